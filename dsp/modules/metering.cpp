#include "dsp/modules/metering.h"

#include <cmath>
#include <cstring>

#include "dsp/modules/level_follow.h"
#include "dsp/modules/stream_helpers.h"

QB_DSP_Metering::QB_DSP_Metering(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled), in0(qb::kSilentStream), in1(qb::kSilentStream), out(allocateOutput(0)) {
    jointKind = &kQbLevelFollow;
}

void QB_DSP_Metering::prepare() {
    setRoutine(&QB_DSP_Metering::exponentialMax);
    announced = -1;
    active = -1;
    sampleRate = static_cast<float>(owner->sampleRateInt);
    rateScale = sampleRate * 0.01f;
    linear = 0;
    sum = 0;
    attack = 5.0f;
    release = 5.0f;
    coefficientDirty = -1;
    enable = 1;
    envelope = 0.0f;
    attackCoef = releaseCoef = 0.0f;
}

void QB_DSP_Metering::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    if (port == kIn0) in0 = qb::streamOrSilence(*this, port, pointer);
    if (port == kIn1) {
        in1 = qb::streamOrSilence(*this, port, pointer);
        twoInputs = in1 != qb::kSilentStream ? -1 : 0;
    }
}

void QB_DSP_Metering::handleEvent(QB_Event* e, uint32_t offset) {
    countdown = static_cast<int32_t>(ringLength);
    bool reselect = false;
    switch (e->port) {
        case kInAttack:
            attack = qb::nonNegativeTime(e->floatValue);
            coefficientDirty = -1;
            break;
        case kInRelease:
            release = qb::nonNegativeTime(e->floatValue);
            coefficientDirty = -1;
            break;
        case kInEnable: enable = static_cast<int16_t>(e->intValue); reselect = true; break;
        case kInLinear: linear = static_cast<int16_t>(e->intValue); reselect = true; break;
        case kInSum: sum = static_cast<int16_t>(e->intValue); reselect = true; break;
        default: break;
    }
    if (reselect) {
        if (enable != 0) {
            if (linear == 0) setRoutine(sum == 0 ? &QB_DSP_Metering::exponentialMax : &QB_DSP_Metering::exponentialSum);
            else setRoutine(sum == 0 ? &QB_DSP_Metering::linearMax : &QB_DSP_Metering::linearSum);
            coefficientDirty = -1;
        } else {
            setRoutine(&QB_DSP_Metering::silence);
            active = 0;
            if (announced == 0) announced = -1;
        }
    }
    if (enable != 0) active = 1;
}

template <bool Linear, bool Sum>
QB_DSP_Metering::Steps<Linear, Sum> QB_DSP_Metering::beginSteps() {
    if (announced != active) {
        announced = active;
        qb::announceRate(*this, 1, announced);
    }
    if (coefficientDirty != 0) {
        coefficientDirty = 0;
        if (Linear) {
            releaseCoef = 1.0f / (rateScale * release + 1.0f);
            attackCoef = 1.0f / (rateScale * attack + 1.0f);
        } else {
            const float a = attack > kMinExponentialTime ? attack : kMinExponentialTime;
            const float r = release > kMinExponentialTime ? release : kMinExponentialTime;
            attackCoef = std::exp(-400.0f / (sampleRate * a));
            releaseCoef = std::exp(-400.0f / (sampleRate * r));
        }
    }
    return {in0, in1, out, envelope, attackCoef, releaseCoef, twoInputs != 0};
}

template <bool Linear, bool Sum>
void QB_DSP_Metering::endSteps(Steps<Linear, Sum> s) {
    // A NaN or infinite input must not stick in the envelope for good.
    envelope = std::isfinite(s.env) ? s.env : 0.0f;
}

bool QB_DSP_Metering::runsInSteps() const {
    return routine == qbRoutine(&QB_DSP_Metering::exponentialMax) && announced == active;
}

template <bool Linear, bool Sum>
void QB_DSP_Metering::run(uint32_t offset, uint32_t count) {
    Steps<Linear, Sum> s = beginSteps<Linear, Sum>();
    for (uint32_t i = offset; i < offset + count; ++i) s.step(i);
    endSteps(s);
}

template QB_DSP_Metering::Steps<false, false> QB_DSP_Metering::beginSteps<false, false>();
template void QB_DSP_Metering::endSteps<false, false>(Steps<false, false>);

void QB_DSP_Metering::exponentialMax(uint32_t offset, uint32_t count) { run<false, false>(offset, count); }
void QB_DSP_Metering::linearMax(uint32_t offset, uint32_t count) { run<true, false>(offset, count); }
void QB_DSP_Metering::exponentialSum(uint32_t offset, uint32_t count) { run<false, true>(offset, count); }
void QB_DSP_Metering::linearSum(uint32_t offset, uint32_t count) { run<true, true>(offset, count); }

void QB_DSP_Metering::silence(uint32_t offset, uint32_t count) {
    if (qb::silenceStep(*this, announced, countdown, count, 1)) {
        setRoutine(&QB_ModuleBase::sleepRoutine);
        flags |= kAsleep;
    }
    std::memset(out + offset, 0, count * sizeof(float));
}
