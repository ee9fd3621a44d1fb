#include "dsp/modules/peak_hold.h"

#include <cmath>
#include <cstring>

#include "dsp/modules/stream_helpers.h"

QB_DSP_Peak_Hold::QB_DSP_Peak_Hold(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled), in0(qb::kSilentStream), in1(qb::kSilentStream), out(allocateOutput(0)) {}

void QB_DSP_Peak_Hold::prepare() {
    setRoutine(&QB_DSP_Peak_Hold::peakOfOne);
    announced = -1;
    active = -1;
    sampleRate = static_cast<float>(owner->sampleRateInt);
    rateScale = sampleRate * 0.01f;
    peak = kInitialPeak;
    holdSamples = qb::truncToInt(rateScale * 5.0f);
    enable = 1;
    decayStep = 1.0f / (rateScale * 0.5f + 1.0f);
}

void QB_DSP_Peak_Hold::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    if (port == kIn0) in0 = qb::streamOrSilence(*this, port, pointer);
    if (port == kIn1) {
        in1 = qb::streamOrSilence(*this, port, pointer);
        twoInputs = in1 != qb::kSilentStream ? -1 : 0;
    }
}

void QB_DSP_Peak_Hold::handleEvent(QB_Event* e, uint32_t offset) {
    countdown = static_cast<int32_t>(ringLength);
    switch (e->port) {
        case kInHoldTime: holdSamples = qb::truncToInt(rateScale * qb::nonNegativeTime(e->floatValue)); break;
        case kInDecayTime: decayStep = 1.0f / (rateScale * qb::nonNegativeTime(e->floatValue) + 1.0f); break;
        case kInEnable:
            enable = static_cast<int16_t>(e->intValue);
            if (enable != 0) {
                setRoutine(twoInputs != 0 ? &QB_DSP_Peak_Hold::peakOfTwo : &QB_DSP_Peak_Hold::peakOfOne);
            } else {
                setRoutine(&QB_DSP_Peak_Hold::silence);
                if (announced == 0) announced = -1;
            }
            break;
        default: break;
    }
    if (enable != 0) active = 1;
}

template <bool Two>
void QB_DSP_Peak_Hold::run(uint32_t offset, uint32_t count) {
    if (announced != active) {
        announced = active;
        qb::announceRate(*this, 1, announced);
    }
    const float* a = in0;
    const float* b = in1;
    float p = peak;
    uint32_t until = holdUntil;
    uint32_t t = time;
    for (uint32_t i = offset; i < offset + count; ++i, ++t) {
        if (qb::reached(t, until)) p -= decayStep;
        float x = std::fabs(a[i]);
        if (Two) {
            const float y = std::fabs(b[i]);
            if (y > x) x = y;
        }
        if (x >= p) {
            p = x;
            until = t + static_cast<uint32_t>(holdSamples);
        }
        out[i] = p;
    }
    holdUntil = until;
    // An infinite input would otherwise hold the peak at infinity for good.
    peak = std::isfinite(p) ? p : kInitialPeak;
}

void QB_DSP_Peak_Hold::peakOfTwo(uint32_t offset, uint32_t count) { run<true>(offset, count); }
void QB_DSP_Peak_Hold::peakOfOne(uint32_t offset, uint32_t count) { run<false>(offset, count); }

void QB_DSP_Peak_Hold::silence(uint32_t offset, uint32_t count) {
    if (qb::silenceStep(*this, announced, countdown, count, 1)) {
        setRoutine(&QB_ModuleBase::sleepRoutine);
        flags |= kAsleep;
    }
    std::memset(out + offset, 0, count * sizeof(float));
}
