#include "dsp/modules/peak_hold.h"

#include <cmath>
#include <cstring>

#include "dsp/modules/level_follow.h"
#include "dsp/modules/stream_helpers.h"

QB_DSP_Peak_Hold::QB_DSP_Peak_Hold(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled), in0(qb::kSilentStream), in1(qb::kSilentStream), out(allocateOutput(0)) {
    jointKind = &kQbLevelFollow;
}

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
QB_DSP_Peak_Hold::Steps<Two> QB_DSP_Peak_Hold::beginSteps() {
    if (announced != active) {
        announced = active;
        qb::announceRate(*this, 1, announced);
    }
    return {in0, in1, out, peak, decayStep, holdUntil, time, static_cast<uint32_t>(holdSamples)};
}

template <bool Two>
void QB_DSP_Peak_Hold::endSteps(Steps<Two> s) {
    holdUntil = s.until;
    // An infinite input would otherwise hold the peak at infinity for good.
    peak = std::isfinite(s.p) ? s.p : kInitialPeak;
}

bool QB_DSP_Peak_Hold::runsInSteps() const {
    return (routine == qbRoutine(&QB_DSP_Peak_Hold::peakOfTwo) || routine == qbRoutine(&QB_DSP_Peak_Hold::peakOfOne)) &&
           announced == active;
}

template <bool Two>
void QB_DSP_Peak_Hold::run(uint32_t offset, uint32_t count) {
    Steps<Two> s = beginSteps<Two>();
    for (uint32_t i = offset; i < offset + count; ++i) s.step(i);
    endSteps(s);
}

template QB_DSP_Peak_Hold::Steps<true> QB_DSP_Peak_Hold::beginSteps<true>();
template QB_DSP_Peak_Hold::Steps<false> QB_DSP_Peak_Hold::beginSteps<false>();
template void QB_DSP_Peak_Hold::endSteps<true>(Steps<true>);
template void QB_DSP_Peak_Hold::endSteps<false>(Steps<false>);

void QB_DSP_Peak_Hold::peakOfTwo(uint32_t offset, uint32_t count) { run<true>(offset, count); }
void QB_DSP_Peak_Hold::peakOfOne(uint32_t offset, uint32_t count) { run<false>(offset, count); }

void QB_DSP_Peak_Hold::silence(uint32_t offset, uint32_t count) {
    if (qb::silenceStep(*this, announced, countdown, count, 1)) {
        setRoutine(&QB_ModuleBase::sleepRoutine);
        flags |= kAsleep;
    }
    std::memset(out + offset, 0, count * sizeof(float));
}
