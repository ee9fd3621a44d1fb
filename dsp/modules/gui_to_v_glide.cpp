#include "dsp/modules/gui_to_v_glide.h"

#include "dsp/modules/stream_helpers.h"

namespace {

// steps samples of M ramps from offset, none of which reaches its end in them: the
// additions of ramp, each glide's own chain, interleaved.
template <int M>
void rampSideBySide(QB_DSP_GUItoV_Glide* const* g, uint32_t offset, uint32_t steps) {
    double current[M], increment[M];
    float* out[M];
    for (int j = 0; j < M; ++j) current[j] = g[j]->current, increment[j] = g[j]->increment, out[j] = g[j]->out;
    for (uint32_t i = offset; i < offset + steps; ++i) {
        for (int j = 0; j < M; ++j) {
            current[j] += increment[j];
            out[j][i] = static_cast<float>(current[j]);
        }
    }
    for (int j = 0; j < M; ++j) {
        g[j]->current = current[j];
        g[j]->remaining -= static_cast<int32_t>(steps);
    }
}

}  // namespace

QB_DSP_GUItoV_Glide::QB_DSP_GUItoV_Glide(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled), out(allocateOutput(0)) {
    jointKind = &kJointKind;
}

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

const QB_JointKind QB_DSP_GUItoV_Glide::kJointKind = {&QB_DSP_GUItoV_Glide::readyTogether,
                                                      &QB_DSP_GUItoV_Glide::rampTogether};

bool QB_DSP_GUItoV_Glide::readyTogether(const QB_ModuleBase& module) {
    return module.routine == qbRoutine(&QB_DSP_GUItoV_Glide::ramp);
}

void QB_DSP_GUItoV_Glide::rampTogether(QB_ModuleBase* const* members, int count, uint32_t offset, uint32_t n) {
    QB_DSP_GUItoV_Glide* g[QB_JointGroup::kMaxMembers];
    // The samples before the first of them reaches its end (ramp ends at the sample where
    // remaining counts down to 0).
    uint32_t common = n;
    for (int k = 0; k < count; ++k) {
        g[k] = static_cast<QB_DSP_GUItoV_Glide*>(members[k]);
        const int32_t before = g[k]->remaining - 1;
        if (before < static_cast<int32_t>(common)) common = before > 0 ? static_cast<uint32_t>(before) : 0u;
    }
    switch (count) {
        case 2: rampSideBySide<2>(g, offset, common); break;
        case 3: rampSideBySide<3>(g, offset, common); break;
        case 4: rampSideBySide<4>(g, offset, common); break;
        case 5: rampSideBySide<5>(g, offset, common); break;
        case 6: rampSideBySide<6>(g, offset, common); break;
        case 7: rampSideBySide<7>(g, offset, common); break;
        default: rampSideBySide<QB_JointGroup::kMaxMembers>(g, offset, common); break;
    }
    // The rest, which holds every end, one glide after the other.
    if (common < n)
        for (int k = 0; k < count; ++k) g[k]->ramp(offset + common, n - common);
}
