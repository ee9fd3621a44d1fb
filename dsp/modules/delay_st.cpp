#include "dsp/modules/delay_st.h"

#include <cstring>

#include "dsp/modules/stream_helpers.h"

QB_DSP_Delay_ST::QB_DSP_Delay_ST(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled),
      in0(qb::kSilentStream),
      in1(qb::kSilentStream),
      out0(allocateOutput(0)),
      out1(allocateOutput(1)) {}

QB_DSP_Delay_ST::~QB_DSP_Delay_ST() { freeStorage(); }

void QB_DSP_Delay_ST::freeStorage() {
    dropMemories();
    freeBuffer(storageL);
    freeBuffer(storageR);
    storageL = storageR = nullptr;
    capacity = 0;
}

int32_t QB_DSP_Delay_ST::sizeForIndex(int32_t index) const {
    if (index < 0) index = 0;
    if (index > kLastSizeIndex) index = kLastSizeIndex;
    int32_t size = int32_t{1} << (19 - index);
    if (sampleRate > 48000.0f) size *= 2;
    if (sampleRate > 96000.0f) size *= 2;
    if (sampleRate > 192000.0f) size *= 2;
    return size;
}

void QB_DSP_Delay_ST::prepare() {
    setRoutine(&QB_ModuleBase::sleepRoutine);
    announced = -1;
    allocatedSizeIndex = -1;
    sampleRate = static_cast<float>(owner->sampleRateInt);
    sizeIndex = kDefaultSizeIndex;
    writePos = 0;
    delaySamples = 0;
    secondsScale = sampleRate * 10.0f;
    enable = 1;
    unitMode = 1;
    delayParam = 0.0f;
    millisecondsScale = sampleRate * 0.01f;
    swap = 0;
    samplesPerUnit = millisecondsScale;

    freeStorage();
    const int32_t size = sizeForIndex(sizeIndex);
    storageL = allocateBuffer(static_cast<uint32_t>(size));
    storageR = allocateBuffer(static_cast<uint32_t>(size));
    if (storageL == nullptr || storageR == nullptr) {
        freeStorage();
        return;
    }
    capacity = size;
    useMemories();
}

void QB_DSP_Delay_ST::useMemories() {
    if (storageL == nullptr || storageR == nullptr) {
        dropMemories();
        return;
    }
    allocatedSizeIndex = sizeIndex;
    const int32_t wanted = sizeForIndex(sizeIndex);
    ringSize = wanted < capacity ? wanted : capacity;
    mask = ringSize - 1;
    ringL = storageL;
    ringR = storageR;
    std::memset(ringL, 0, static_cast<size_t>(ringSize) * sizeof(float));
    std::memset(ringR, 0, static_cast<size_t>(ringSize) * sizeof(float));
    writePos = 0;
}

void QB_DSP_Delay_ST::dropMemories() {
    ringL = ringR = nullptr;
    allocatedSizeIndex = -1;
}

void QB_DSP_Delay_ST::suspend() {
    if (enable != 0 && ringL != nullptr) {
        std::memset(ringL, 0, static_cast<size_t>(ringSize) * sizeof(float));
        std::memset(ringR, 0, static_cast<size_t>(ringSize) * sizeof(float));
    }
}

void QB_DSP_Delay_ST::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    if (port == kInLeft) in0 = qb::streamOrSilence(*this, port, pointer);
    if (port == kInRight) in1 = qb::streamOrSilence(*this, port, pointer);
}

void QB_DSP_Delay_ST::handleEvent(QB_Event* e, uint32_t offset) {
    countdown = static_cast<int32_t>(ringLength);
    switch (e->port) {
        case kInDelay:
            delayParam = e->floatValue;
            delaySamples = qb::truncToInt(e->floatValue * samplesPerUnit);
            break;
        case kInUnitMode:
            unitMode = static_cast<int16_t>(e->intValue);
            if (unitMode == 0) samplesPerUnit = secondsScale;
            else if (unitMode == 1) samplesPerUnit = millisecondsScale;
            else if (unitMode == 2) samplesPerUnit = 10.0f;
            delaySamples = qb::truncToInt(samplesPerUnit * delayParam);
            break;
        case kInSize: {
            const int32_t v = e->intValue;
            sizeIndex = static_cast<int16_t>(v < 0 ? 0 : (v > kLastSizeIndex ? kLastSizeIndex : v));
            if (enable == 0) return;
            if (sizeIndex != allocatedSizeIndex) useMemories();
            break;
        }
        case kInEnable:
            enable = static_cast<int16_t>(e->intValue);
            if (enable != 0) {
                if (ringL == nullptr) useMemories();
            } else {
                dropMemories();
                setRoutine(&QB_DSP_Delay_ST::silence);
                if (announced == 0) announced = -1;
            }
            break;
        case kInSwap: swap = static_cast<int16_t>(e->intValue); return;
        case kInClear:
            if (e->intValue > 0 && enable != 0 && ringL != nullptr) {
                std::memset(ringL, 0, static_cast<size_t>(ringSize) * sizeof(float));
                std::memset(ringR, 0, static_cast<size_t>(ringSize) * sizeof(float));
            }
            return;
        default: break;
    }
    if (enable != 0) setRoutine(&QB_DSP_Delay_ST::delay);
}

namespace {

// Copies count floats from src into the ring from pos on, wrapping at its end.
void writeRing(float* ring, int32_t size, uint32_t pos, const float* src, uint32_t count) {
    while (count > 0) {
        const uint32_t room = static_cast<uint32_t>(size) - pos;
        const uint32_t n = count < room ? count : room;
        std::memcpy(ring + pos, src, n * sizeof(float));
        src += n;
        count -= n;
        pos = 0;
    }
}

// Copies count floats out of the ring from pos on into dst, wrapping at its end.
void readRing(const float* ring, int32_t size, uint32_t pos, float* dst, uint32_t count) {
    while (count > 0) {
        const uint32_t room = static_cast<uint32_t>(size) - pos;
        const uint32_t n = count < room ? count : room;
        std::memcpy(dst, ring + pos, n * sizeof(float));
        dst += n;
        count -= n;
        pos = 0;
    }
}

}  // namespace

void QB_DSP_Delay_ST::delay(uint32_t offset, uint32_t count) {
    if (announced != 1) {
        announced = 1;
        qb::announceRate(*this, 2, 1);
    }
    float* toL = swap != 0 ? out1 : out0;
    float* toR = swap != 0 ? out0 : out1;
    if (ringL == nullptr || ringR == nullptr) {
        // Only when the memories could not be allocated.
        std::memset(out0 + offset, 0, count * sizeof(float));
        std::memset(out1 + offset, 0, count * sizeof(float));
        return;
    }
    const uint32_t w = static_cast<uint32_t>(writePos);
    writeRing(ringL, ringSize, w, in0 + offset, count);
    writeRing(ringR, ringSize, w, in1 + offset, count);
    // Unsigned arithmetic: any delay, negative or huge, wraps modulo the ring size.
    const uint32_t readPos = (w - static_cast<uint32_t>(delaySamples)) & static_cast<uint32_t>(mask);
    readRing(ringL, ringSize, readPos, toL + offset, count);
    readRing(ringR, ringSize, readPos, toR + offset, count);
    writePos = static_cast<int32_t>((w + count) & static_cast<uint32_t>(mask));
}

void QB_DSP_Delay_ST::silence(uint32_t offset, uint32_t count) {
    if (qb::silenceStep(*this, announced, countdown, count, 2)) {
        setRoutine(&QB_ModuleBase::sleepRoutine);
        flags |= kAsleep;
    }
    std::memset(out0 + offset, 0, count * sizeof(float));
    std::memset(out1 + offset, 0, count * sizeof(float));
}
