#include "eq/biquad_engine_common.h"

#include "eq/biquad_section.h"

namespace {

// How close to its first sample a ring must stay to count as settled.
constexpr float kSettleTolerance = 1e-12f;
// A settled value below this is written as exact zero: with silence in, the 1e-10 term
// leaves a small negative residue.
constexpr float kSettledZero = 1e-8f;

}  // namespace

QB_BiquadEngineCommon::QB_BiquadEngineCommon(QB_GraphHost* owner, bool createDisabled, int channels)
    : QB_ModuleBase(owner, createDisabled), channels_(1) {
    zeros_ = allocateBuffer(ringLength + 4u);
    buffersReady_ = zeros_ != nullptr;
    for (int ch = 0; ch < 2; ++ch) {
        audioIn_[ch] = zeros_;
        audioOut_[ch] = ch < channels ? allocateOutput(ch) : nullptr;
        if (ch < channels && audioOut_[ch] == nullptr) buffersReady_ = false;
    }
}

QB_BiquadEngineCommon::~QB_BiquadEngineCommon() { freeBuffer(zeros_); }

void QB_BiquadEngineCommon::prepareCommon() {
    inputRate_ = 0;
    announced_ = -1;
    enabled_ = 1;
    active_ = 1;
}

void QB_BiquadEngineCommon::noteAudioRate(const QB_Event& event, uint32_t offset) {
    inputRate_ = static_cast<int16_t>(event.rateFlag);
    levelMarker_ = inputRate_ != 0 ? 1.0f : audioIn_[0][offset];
}

void QB_BiquadEngineCommon::setEnabled(int16_t value) {
    enabled_ = value;
    if (value == 0) {
        clearStates();
        setRoutine(&QB_BiquadEngineCommon::silence);
        if (announced_ == 0) announced_ = -1;
    }
}

void QB_BiquadEngineCommon::setActive(int16_t value) {
    active_ = value;
    if (value == 0) clearStates();
}

void QB_BiquadEngineCommon::selectRoutine(bool filteringWanted, bool coefficientsStatic) {
    if (enabled_ == 0 || !buffersReady_) return;
    if (filteringWanted) {
        setRoutine(&QB_BiquadEngineCommon::filter);
        settleAllowed_ = (levelMarker_ == 0.0f || (inputRate_ == 0 && coefficientsStatic)) ? 1 : 0;
    } else {
        if (inputRate_ == 0) announced_ = -1;
        setRoutine(&QB_BiquadEngineCommon::passThrough);
    }
}

bool QB_BiquadEngineCommon::ringSettled(uint32_t offset, float& value) const {
    if (settleAllowed_ == 0 || offset != 0) return false;
    const float* out = audioOut_[0];
    const float first = out[0];
    const float low = first - kSettleTolerance, high = first + kSettleTolerance;
    for (uint32_t i = 0; i < ringLength; ++i)
        if (!(out[i] >= low && out[i] <= high)) return false;
    value = first < kSettledZero ? 0.0f : first;
    return true;
}

void QB_BiquadEngineCommon::settleToHeldValue(uint32_t offset) {
    if (ringSettled(offset, settledValue_)) setRoutine(&QB_BiquadEngineCommon::holdSettled);
}

void QB_BiquadEngineCommon::settleToSilence(uint32_t offset) {
    float value = 0.0f;
    if (ringSettled(offset, value) && value == 0.0f) setRoutine(&QB_BiquadEngineCommon::silence);
}

void QB_BiquadEngineCommon::announce(int16_t rate) {
    announced_ = rate;
    sendEvent(time, 0, static_cast<uint16_t>(rate), 0, 0.0f, 0);
}

void QB_BiquadEngineCommon::runCountdown(uint32_t count) {
    countdown_ -= static_cast<int32_t>(count);
    if (countdown_ < 0) {
        setRoutine(&QB_ModuleBase::sleepRoutine);
        flags |= kAsleep;
    }
}

void QB_BiquadEngineCommon::passThrough(uint32_t offset, uint32_t count) {
    if (inputRate_ != announced_) announce(inputRate_);
    if (announced_ == 0) runCountdown(count);
    for (int ch = 0; ch < channels_; ++ch) {
        const float* in = audioIn_[ch] + offset;
        float* out = audioOut_[ch] + offset;
        for (uint32_t i = 0; i < count; ++i) out[i] = in[i];
    }
}

void QB_BiquadEngineCommon::holdSettled(uint32_t offset, uint32_t count) {
    if (inputRate_ != announced_) announce(inputRate_);
    runCountdown(count);
    float* out = audioOut_[0] + offset;
    const uint32_t n = qbRoundUp4(count);
    for (uint32_t i = 0; i < n; ++i) out[i] = settledValue_;
}

void QB_BiquadEngineCommon::silence(uint32_t offset, uint32_t count) {
    if (announced_ != 0) announce(0);
    runCountdown(count);
    for (int ch = 0; ch < channels_; ++ch) {
        float* out = audioOut_[ch] + offset;
        for (uint32_t i = 0; i < count; ++i) out[i] = 0.0f;
    }
}
