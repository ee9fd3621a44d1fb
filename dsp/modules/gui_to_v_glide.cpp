#include "dsp/modules/gui_to_v_glide.h"

#include "dsp/modules/stream_helpers.h"

QB_DSP_GUItoV_Glide::QB_DSP_GUItoV_Glide(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled), out(allocateOutput(0)) {}

void QB_DSP_GUItoV_Glide::prepare() {
    setRoutine(&QB_DSP_GUItoV_Glide::fill);
    current = 0.0;
    increment = 0.0;
    target = 0.0f;
    lastTarget = kNoTarget;
    deadline = 0;
    remaining = 0;
    active = 0;
    samplesPerMs = owner->samplesPerMs;
    settleSamples = qb::truncToInt(samplesPerMs * 100.0f);
    rampSamples = qb::truncToInt(samplesPerMs * 30.0f);
    countdown = static_cast<int32_t>(ringLength);
}

void QB_DSP_GUItoV_Glide::announceVarying() {
    if (active != 1) {
        active = 1;
        qb::announceRate(*this, 1, 1);
    }
}

void QB_DSP_GUItoV_Glide::handleEvent(QB_Event* e, uint32_t offset) {
    countdown = static_cast<int32_t>(ringLength);
    if (e->port == kInValue) {
        target = e->floatValue;
        if (target == lastTarget) return;
        lastTarget = target;
    } else if (e->port == kInGlideTime) {
        rampSamples = qb::truncToInt(e->floatValue * 10.0f * samplesPerMs);
    } else {
        return;
    }

    if (owner->glideSuppressed[0] != 0 || owner->glideSuppressed[1] != 0) {
        active = 0;
        qb::announceRate(*this, 1, 0);
        deadline = time + ringLength;
        current = target;
        setRoutine(&QB_DSP_GUItoV_Glide::fill);
    } else if (rampSamples > 0) {
        remaining = rampSamples;
        increment = (static_cast<double>(target) - current) / static_cast<double>(rampSamples);
        if (increment == 0.0) return;
        announceVarying();
        // Unsigned: the clock may wrap; endCheck compares across the wrap.
        deadline = time + static_cast<uint32_t>(settleSamples) + static_cast<uint32_t>(remaining);
        setRoutine(&QB_DSP_GUItoV_Glide::ramp);
    } else {
        announceVarying();
        deadline = time + static_cast<uint32_t>(settleSamples);
        current = target;
        setRoutine(&QB_DSP_GUItoV_Glide::fill);
    }
}

void QB_DSP_GUItoV_Glide::fill(uint32_t offset, uint32_t count) {
    countdown -= static_cast<int32_t>(count);
    if (countdown < 1) setRoutine(&QB_DSP_GUItoV_Glide::endCheck);
    qb::fillRange(out, offset, count, target);
}

void QB_DSP_GUItoV_Glide::ramp(uint32_t offset, uint32_t count) {
    const uint32_t end = offset + count;
    for (uint32_t i = offset; i < end; ++i) {
        if (--remaining <= 0) {
            remaining = 0;
            qb::fillRange(out, i, end - i, target);
            current = target;
            setRoutine(&QB_DSP_GUItoV_Glide::fill);
            return;
        }
        current += increment;
        out[i] = static_cast<float>(current);
    }
}

void QB_DSP_GUItoV_Glide::endCheck(uint32_t offset, uint32_t count) {
    // Strictly after the deadline, on a clock that may wrap.
    if (static_cast<int32_t>(time - deadline) > 0) {
        if (active != 0) {
            active = 0;
            qb::announceRate(*this, 1, 0);
        }
        setRoutine(&QB_ModuleBase::sleepRoutine);
        flags |= kAsleep;
    }
}
