#include "fuzz/fuzz_host.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "plugin/dsp_vst.h"

namespace fuzz {

namespace {

VstIntPtr VSTCALLBACK acceptAll(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Length of the text in buffer, or size when no terminator lies within it.
size_t textLength(const char* buffer, size_t size) {
    const void* end = std::memchr(buffer, '\0', size);
    return end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - buffer) : size;
}

}  // namespace

void check(bool ok, const char* what, const char* file, int line) {
    if (ok) return;
    std::fprintf(stderr, "FUZZ_CHECK failed: %s at %s:%d\n", what, file, line);
    std::abort();
}

const float kHostRates[10] = {22050.f, 32000.f, 44100.f, 48000.f, 88200.f, 96000.f, 176400.f, 192000.f, 352800.f, 384000.f};
const VstInt32 kHostBlocks[12] = {1, 2, 3, 16, 63, 64, 127, 128, 300, 512, 1024, 4096};

float sampleOf(uint8_t selector, float plain) {
    switch (selector & 15u) {
        case 0: return std::numeric_limits<float>::quiet_NaN();
        case 1: return std::numeric_limits<float>::infinity();
        case 2: return -std::numeric_limits<float>::infinity();
        case 3: return std::numeric_limits<float>::denorm_min();
        case 4: return -std::numeric_limits<float>::min() * 0.5f;
        case 5: return std::numeric_limits<float>::max();
        case 6: return 1.f;
        case 7: return -1.f;
        case 8: return 0.f;
        default: return std::isfinite(plain) ? plain : 0.f;
    }
}

Instance::Instance() {
    AudioEffect* e = qbCreateEffect(acceptAll);
    FUZZ_CHECK(e != nullptr);
    effect_ = e->getAeffect();
}

Instance::~Instance() {
    if (effect_ != nullptr) effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.f);
}

VstIntPtr Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void Instance::setParameter(VstInt32 index, float value) { effect_->setParameter(effect_, index, value); }

float Instance::getParameter(VstInt32 index) { return effect_->getParameter(effect_, index); }

void Instance::start(float rate, VstInt32 block) {
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effSetBlockSize, 0, block);
    dispatch(effMainsChanged, 0, 1);
}

void Instance::process(VstInt32 frames, const std::vector<float>& input) {
    const size_t n = frames > 0 ? static_cast<size_t>(frames) : 0;
    inL_.resize(n);
    inR_.resize(n);
    outL_.assign(n, 0.f);
    outR_.assign(n, 0.f);
    if (input.size() >= 2 * n) {
        for (size_t i = 0; i < n; ++i) {
            inL_[i] = input[i];
            inR_[i] = input[n + i];
        }
    } else {
        for (size_t i = 0; i < n; ++i, ++clock_) {
            const double t = static_cast<double>(clock_);
            inL_[i] = static_cast<float>(0.4 * std::sin(0.031 * t) + 0.1 * std::sin(0.29 * t));
            inR_[i] = static_cast<float>(0.4 * std::sin(0.017 * t) - 0.1 * std::sin(0.41 * t));
        }
    }
    float* in[2] = {inL_.data(), inR_.data()};
    float* out[2] = {outL_.data(), outR_.data()};
    effect_->processReplacing(effect_, in, out, frames);
}

bool Instance::outputFinite() const {
    for (size_t i = 0; i < outL_.size(); ++i)
        if (!std::isfinite(outL_[i]) || !std::isfinite(outR_[i])) return false;
    return true;
}

void Instance::checkReadBack() {
    char text[256];
    for (VstInt32 p = 0; p < effect_->numParams; ++p) {
        const float x = getParameter(p);
        FUZZ_CHECK(x >= 0.f && x <= 1.f);
        std::memset(text, 0x7F, sizeof text);
        dispatch(effGetParamDisplay, p, 0, text);
        FUZZ_CHECK(textLength(text, sizeof text) <= kVstMaxParamStrLen);
        std::memset(text, 0x7F, sizeof text);
        dispatch(effGetParamLabel, p, 0, text);
        FUZZ_CHECK(textLength(text, sizeof text) <= kVstMaxParamStrLen);
        std::memset(text, 0x7F, sizeof text);
        dispatch(effGetParamName, p, 0, text);
        FUZZ_CHECK(textLength(text, sizeof text) <= 20);
    }
    std::memset(text, 0x7F, sizeof text);
    dispatch(effGetProgramName, 0, 0, text);
    FUZZ_CHECK(textLength(text, sizeof text) <= kVstMaxProgNameLen);
    for (VstInt32 k = 0; k < effect_->numPrograms; ++k) {
        std::memset(text, 0x7F, sizeof text);
        FUZZ_CHECK(dispatch(effGetProgramNameIndexed, k, 0, text) == 1);
        FUZZ_CHECK(textLength(text, sizeof text) <= kVstMaxProgNameLen);
    }
    // The current program's chunk holds exactly what getParameter answers.
    void* chunk = nullptr;
    FUZZ_CHECK(dispatch(effGetChunk, 1, 0, &chunk) == 390);
    FUZZ_CHECK(chunk != nullptr);
    float values[18];
    std::memcpy(values, chunk, sizeof values);
    for (VstInt32 p = 0; p < kNumParams; ++p) FUZZ_CHECK(values[p] == getParameter(p));
    chunk = nullptr;
    FUZZ_CHECK(dispatch(effGetChunk, 0, 0, &chunk) == 6272);
    FUZZ_CHECK(chunk != nullptr);
    // Touch every byte, so a short chunk is caught by the address checker.
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < 6272; ++i) sum = static_cast<uint8_t>(sum + static_cast<const uint8_t*>(chunk)[i]);
    (void)sum;
}

}  // namespace fuzz
