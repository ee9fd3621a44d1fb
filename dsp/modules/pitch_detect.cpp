#include "dsp/modules/pitch_detect.h"

#include <cmath>
#include <cstring>

#include "dsp/framework/joint_run.h"
#include "dsp/modules/pitch_detect_lanes.h"

namespace {

// Read in place of an input that is not a module's stream (unconnected, or wired to a
// single constant that must not be read at ring offsets): digital silence.
const float kSilence[QB_GraphHost::kMaxRing + 4] = {};

inline int32_t bitsOf(float x) {
    int32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

}  // namespace

QB_DSP_Pitch_Detect::QB_DSP_Pitch_Detect(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled) {
    out = allocateOutput(kOutStream);
    audioIn = kSilence;
    jointKind = &kJointKind;
}

void QB_DSP_Pitch_Detect::applyRange(const QB_RangeRecord& range) {
    // A non-finite bound would let a NaN target through the clamp; keep the old one.
    if (std::isfinite(range.minimum)) minimum = range.minimum;
    if (std::isfinite(range.maximum)) maximum = range.maximum;
}

void QB_DSP_Pitch_Detect::onOutputConnected(int32_t outPort, int16_t targetIndex) {
    if (outPort == kOutStream) output0Listened = -1;
    else if (outPort == kOutEvents) output1Listened = -1;
}

void QB_DSP_Pitch_Detect::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    if (port == kInSignal) {
        // Only a module's ring may be read at every offset.
        const bool stream = pointer != nullptr && sources[kInSignal] != nullptr &&
                            ringLength <= static_cast<uint32_t>(QB_GraphHost::kMaxRing);
        audioIn = stream ? pointer : kSilence;
    }
}

void QB_DSP_Pitch_Detect::prepare() {
    setRoutine(&QB_DSP_Pitch_Detect::sleepRoutine);
    simdLevel = qbSimdLevel();
    announced = -1;
    coefficientDirty = -1;
    sampleRate = static_cast<float>(owner->sampleRateInt);
    crossingScale = sampleRate * 0.05f;
    rateScale = sampleRate * 0.01f;
    response = 100.0f;
    target = 10.0f;
    current = 10.0f;
    mode = 0;
    lastCrossingTime = time - 1u;
    enable = 1;
    lastSampleBits = 0;
    freeze = 0;
    minimum = 2.0f;
    maximum = 800.0f;
    if (output1Listened != 0) {
        lastSentValue = 10.0f;
        announced = 1;
        sendEvent(time, kOutEvents, 1, 0, 10.0f, 0);
    }
}

void QB_DSP_Pitch_Detect::handleEvent(QB_Event* event, uint32_t offset) {
    countdown = static_cast<int32_t>(ringLength);
    switch (event->port) {
        case kInResponse:
            response = event->floatValue;
            coefficientDirty = -1;
            break;
        case kInFreeze:
            freeze = event->intValue;
            break;
        case kInMode: {
            const int16_t m = static_cast<int16_t>(event->intValue);
            // The coefficient means a factor in one mode and a step in the other.
            if ((m != 0) != (mode != 0)) coefficientDirty = -1;
            mode = m;
            break;
        }
        case kInMinimum:
            if (std::isfinite(event->floatValue)) minimum = event->floatValue;
            break;
        case kInMaximum:
            if (std::isfinite(event->floatValue)) maximum = event->floatValue;
            break;
        case kInEnable:
            enable = static_cast<int16_t>(event->intValue);
            break;
        default:
            break;
    }
    selectRoutine();
}

void QB_DSP_Pitch_Detect::selectRoutine() {
    // Without a buffer (memory was short) nothing may be written: track silently.
    const bool writes = output0Listened != 0 && out != nullptr;
    if (freeze != 0 || enable == 0) setRoutine(&QB_DSP_Pitch_Detect::hold);
    else if (writes) setRoutine(mode != 0 ? &QB_DSP_Pitch_Detect::trackExponential : &QB_DSP_Pitch_Detect::trackLinear);
    else setRoutine(mode != 0 ? &QB_DSP_Pitch_Detect::trackExponentialSilent : &QB_DSP_Pitch_Detect::trackLinearSilent);
}

void QB_DSP_Pitch_Detect::updateCoefficient() {
    // NaN, zero and negative responses all take the floor.
    const float r = response > kMinResponse ? response : kMinResponse;
    if (mode != 0) coefficient = std::exp(-400.0f / (r * sampleRate));
    else coefficient = 100.0f / (r * rateScale);
}

// One tracker's recursion over a stretch, with its state in locals.
struct QB_DSP_Pitch_Detect::Lane {
    const float* in;
    float* o;
    float coef, lo, hi, scale;
    uint32_t t0;
    float cur, tgt;
    int32_t lastBits;
    uint32_t lastCross;

    template <bool Exponential, bool WriteOutput>
    inline void step(uint32_t i) {
        const float s = in[i];
        const int32_t bits = bitsOf(s);
        if ((bits ^ lastBits) < 0) {
            const uint32_t t = t0 + i;
            const float estimate = scale / static_cast<float>(t - lastCross);
            if (estimate < lo || std::isnan(estimate)) tgt = lo;
            else if (estimate > hi) tgt = hi;
            else tgt = estimate;
            lastCross = t;
        }
        if (Exponential) cur = (cur - tgt) * coef + tgt;
        else cur = tgt - cur > 0.0f ? cur + coef : cur - coef;
        if (WriteOutput) o[i] = cur;
        lastBits = bits;
    }
};

template <bool WriteOutput>
QB_DSP_Pitch_Detect::Lane QB_DSP_Pitch_Detect::beginTrack(uint32_t offset) {
    if (WriteOutput && announced != 1) {
        announced = 1;
        sendEvent(time, kOutStream, 1, 0, 0.0f, 0);
    }
    if (current != lastSentValue && output1Listened != 0) {
        lastSentValue = current;
        sendEvent(time, kOutEvents, 0, 0, current, 0);
    }
    if (coefficientDirty != 0) {
        coefficientDirty = 0;
        updateCoefficient();
    }
    return {audioIn + offset, out + offset, coefficient, minimum, maximum, crossingScale, time,
            current, target, lastSampleBits, lastCrossingTime};
}

void QB_DSP_Pitch_Detect::endTrack(const Lane& lane) {
    current = lane.cur;
    target = lane.tgt;
    lastSampleBits = lane.lastBits;
    lastCrossingTime = lane.lastCross;
}

template <bool Exponential, bool WriteOutput>
void QB_DSP_Pitch_Detect::track(uint32_t offset, uint32_t count) {
    Lane lane = beginTrack<WriteOutput>(offset);
    uint32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        lane.template step<Exponential, WriteOutput>(i);
        lane.template step<Exponential, WriteOutput>(i + 1);
        lane.template step<Exponential, WriteOutput>(i + 2);
        lane.template step<Exponential, WriteOutput>(i + 3);
    }
    for (; i < count; ++i) lane.template step<Exponential, WriteOutput>(i);
    endTrack(lane);
}

void QB_DSP_Pitch_Detect::trackExponential(uint32_t offset, uint32_t count) { track<true, true>(offset, count); }
void QB_DSP_Pitch_Detect::trackExponentialSilent(uint32_t offset, uint32_t count) { track<true, false>(offset, count); }
void QB_DSP_Pitch_Detect::trackLinear(uint32_t offset, uint32_t count) { track<false, true>(offset, count); }
void QB_DSP_Pitch_Detect::trackLinearSilent(uint32_t offset, uint32_t count) { track<false, false>(offset, count); }

void QB_DSP_Pitch_Detect::hold(uint32_t offset, uint32_t count) {
    if (announced != 0) {
        announced = 0;
        sendEvent(time, kOutStream, 0, 0, 0.0f, 0);
    }
    countdown -= static_cast<int32_t>(count);
    if (countdown < 0) {
        setRoutine(&QB_DSP_Pitch_Detect::sleepRoutine);
        flags |= kAsleep;
    }
    if (out == nullptr) return;
    for (uint32_t i = 0; i < count; ++i) out[offset + i] = current;
}

const QB_JointKind QB_DSP_Pitch_Detect::kJointKind = {&QB_DSP_Pitch_Detect::readyTogether,
                                                      &QB_DSP_Pitch_Detect::trackTogether, true};



bool QB_DSP_Pitch_Detect::readyTogether(const QB_ModuleBase& module) {
    const auto& m = static_cast<const QB_DSP_Pitch_Detect&>(module);
    const bool linear = m.routine == qbRoutine(&QB_DSP_Pitch_Detect::trackLinear);
    const bool exponential = m.routine == qbRoutine(&QB_DSP_Pitch_Detect::trackExponential);
    // Tracking with its output written, no event to send first, and a last crossing
    // close enough for the lanes' clock arithmetic.
    return (linear || exponential) && m.announced == 1 && (m.current == m.lastSentValue || m.output1Listened == 0) &&
           m.time - m.lastCrossingTime < (1u << 30);
}

void QB_DSP_Pitch_Detect::trackTogether(QB_ModuleBase* const* members, int count, uint32_t offset, uint32_t n) {
    QB_DSP_Pitch_Detect* m[QB_JointGroup::kMaxMembers] = {};
    for (int k = 0; k < count; ++k) m[k] = static_cast<QB_DSP_Pitch_Detect*>(members[k]);
#if QB_HAVE_AVX2_KERNELS
    if (qbSimdAtLeast(m[0]->simdLevel, QB_SimdLevel::kAvx2) && count <= QB_PitchLanes::kLanes) {
        QB_PitchLanes lanes;
        Lane alone[QB_JointGroup::kMaxMembers];
        lanes.count = count;
        for (int k = 0; k < count; ++k) {
            const Lane a = alone[k] = m[k]->beginTrack<true>(offset);
            lanes.t0 = a.t0;  // every member's clock is the sub-block's
            lanes.in[k] = a.in, lanes.out[k] = a.o;
            lanes.coef[k] = a.coef, lanes.lo[k] = a.lo, lanes.hi[k] = a.hi, lanes.scale[k] = a.scale;
            lanes.cur[k] = a.cur, lanes.tgt[k] = a.tgt, lanes.lastBits[k] = a.lastBits, lanes.lastCross[k] = a.lastCross;
            lanes.exponential[k] = m[k]->routine == qbRoutine(&QB_DSP_Pitch_Detect::trackExponential) ? ~0u : 0u;
        }
#if QB_HAVE_AVX512_KERNELS
        const uint32_t done = m[0]->simdLevel == QB_SimdLevel::kAvx512 ? qbPitchTrackAvx512(lanes, n)
                                                                        : qbPitchTrackAvx2(lanes, n);
#else
        const uint32_t done = qbPitchTrackAvx2(lanes, n);
#endif
        // The last samples of each, alone.
        for (int k = 0; k < count; ++k) {
            Lane& a = alone[k];
            a.cur = lanes.cur[k], a.tgt = lanes.tgt[k], a.lastBits = lanes.lastBits[k], a.lastCross = lanes.lastCross[k];
            for (uint32_t i = done; i < n; ++i) {
                if (lanes.exponential[k] != 0) a.step<true, true>(i);
                else a.step<false, true>(i);
            }
            m[k]->endTrack(a);
        }
        return;
    }
#endif
    for (int k = 0; k < count; ++k) m[k]->runRoutine(offset, n);
}
