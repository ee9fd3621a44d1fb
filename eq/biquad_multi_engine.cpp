#include "eq/biquad_multi_engine.h"

QB_DSP_BiQuad_Multi_Engine::QB_DSP_BiQuad_Multi_Engine(QB_GraphHost* owner, bool createDisabled)
    : QB_BiquadEngineCommon(owner, createDisabled, 1) {
    for (QB_CoefficientStreams& c : coefficients_) c = {zeros_, zeros_, zeros_, zeros_, zeros_};
    series_ = qbBiquadSeriesFor(qbSimdLevel());
    seriesPair_ = qbBiquadSeriesPairFor(qbSimdLevel());
    jointKind = &kJointKind;
    clearStates();
}

void QB_DSP_BiQuad_Multi_Engine::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    const float* stream = streamOrZeros(pointer);
    if (port == kAudioIn) {
        audioIn_[0] = stream;
        return;
    }
    const int32_t rel = port - kFirstBandPort;
    if (rel < 0 || rel >= kBands * kBandPortStride) return;
    QB_CoefficientStreams& c = coefficients_[rel / kBandPortStride];
    switch (rel % kBandPortStride) {
        case 0: c.b0 = stream; break;
        case 1: c.b1 = stream; break;
        case 2: c.b2 = stream; break;
        case 3: c.a1 = stream; break;
        case 4: c.a2 = stream; break;
        default: break;
    }
}

void QB_DSP_BiQuad_Multi_Engine::clearStates() {
    for (QB_BiquadState& s : states_) s = {};
}

void QB_DSP_BiQuad_Multi_Engine::prepare() {
    if (!buffersReady_) return;
    clearStates();
    prepareCommon();
    series_ = qbBiquadSeriesFor(qbSimdLevel());
    seriesPair_ = qbBiquadSeriesPairFor(qbSimdLevel());
    for (int k = 0; k < kBands; ++k) coefficientRate_[k] = bandActive_[k] = 0;
    perSampleAllowed_ = 0;
    levelMarker_ = 0.0f;
    settleAllowed_ = 0;
    settledValue_ = 0.0f;
    setRoutine(&QB_DSP_BiQuad_Multi_Engine::filter);
}

void QB_DSP_BiQuad_Multi_Engine::handleEvent(QB_Event* event, uint32_t offset) {
    if (!buffersReady_) return;
    countdown_ = static_cast<int32_t>(ringLength);
    const int16_t value = static_cast<int16_t>(event->intValue);
    switch (event->port) {
        case kAudioIn: noteAudioRate(*event, offset); break;
        case kPerSampleAllowedIn: perSampleAllowed_ = value; break;
        case kEnabledIn: setEnabled(value); break;
        case kActiveIn: setActive(value); break;
        case kClearIn:
            if (value > 0) clearStates();
            return;
        default: {
            const int32_t rel = event->port - kFirstBandPort;
            if (rel < 0 || rel >= kBands * kBandPortStride) return;
            const int band = rel / kBandPortStride;
            const int index = rel % kBandPortStride;
            if (index == 0) {
                coefficientRate_[band] = static_cast<int16_t>(event->rateFlag);
            } else if (index == 5) {
                bandActive_[band] = value;
                if (value == 0) states_[band] = {};
            } else {
                return;  // b1..a2 carry no events of their own; other ports are unused
            }
        }
    }
    reselect();
}

void QB_DSP_BiQuad_Multi_Engine::reselect() {
    bool anyBand = false, coefficientsStatic = true;
    for (int k = 0; k < kBands; ++k) {
        anyBand = anyBand || bandActive_[k] != 0;
        coefficientsStatic = coefficientsStatic && coefficientRate_[k] == 0;
    }
    selectRoutine(active_ != 0 && anyBand, coefficientsStatic);
}

QB_DSP_BiQuad_Multi_Engine::Bands QB_DSP_BiQuad_Multi_Engine::gather(uint32_t offset) const {
    // Per sample, or one set read at offset (perSampleAllowed) or 0.
    Bands b;
    for (int k = 0; k < kBands; ++k) {
        if (bandActive_[k] == 0) continue;
        const bool perSample = perSampleAllowed_ != 0 && coefficientRate_[k] != 0;
        const uint32_t at = perSampleAllowed_ != 0 ? offset : 0;
        const QB_CoefficientStreams& c = coefficients_[k];
        b.sections[b.active] = {{c.b0 + at, c.b1 + at, c.b2 + at, c.a1 + at, c.a2 + at}, perSample};
        b.states[b.active] = states_[k];
        b.band[b.active++] = k;
    }
    return b;
}

void QB_DSP_BiQuad_Multi_Engine::afterFilter(const Bands& b, uint32_t offset, uint32_t count) {
    for (int j = 0; j < b.active; ++j) {
        states_[b.band[j]] = b.states[j];
        qbClearIfNonFinite(states_[b.band[j]]);
    }
    // No band active (only before the first band event): the audio passes unchanged.
    if (b.active == 0) {
        const float* in = audioIn_[0] + offset;
        float* out = audioOut_[0] + offset;
        for (uint32_t i = 0; i < count; ++i) out[i] = in[i];
    }
    settleToHeldValue(offset);
}

void QB_DSP_BiQuad_Multi_Engine::filter(uint32_t offset, uint32_t count) {
    if (announced_ != 1) announce(1);
    Bands b = gather(offset);
    series_(b.sections, b.states, b.active, audioIn_[0] + offset, audioOut_[0] + offset, count);
    afterFilter(b, offset, count);
}

const QB_JointKind QB_DSP_BiQuad_Multi_Engine::kJointKind = {&QB_DSP_BiQuad_Multi_Engine::readyTogether,
                                                             &QB_DSP_BiQuad_Multi_Engine::filterTogether};

bool QB_DSP_BiQuad_Multi_Engine::readyTogether(const QB_ModuleBase& module) {
    const auto& m = static_cast<const QB_DSP_BiQuad_Multi_Engine&>(module);
    return m.routine == qbRoutine(&QB_BiquadEngineCommon::filter) && m.announced_ == 1;
}

namespace {

bool sameSections(const QB_SectionCoefficients* a, const QB_SectionCoefficients* b, int count) {
    for (int k = 0; k < count; ++k) {
        const QB_CoefficientStreams &x = a[k].streams, &y = b[k].streams;
        if (a[k].perSample != b[k].perSample || x.b0 != y.b0 || x.b1 != y.b1 || x.b2 != y.b2 || x.a1 != y.a1 ||
            x.a2 != y.a2)
            return false;
    }
    return true;
}

}  // namespace

void QB_DSP_BiQuad_Multi_Engine::filterTogether(QB_ModuleBase* const* members, int count, uint32_t offset,
                                                uint32_t n) {
    // Neighbours in graph order that filter with the same sections run as a pair.
    for (int k = 0; k < count;) {
        auto* m = static_cast<QB_DSP_BiQuad_Multi_Engine*>(members[k]);
        auto* next = k + 1 < count ? static_cast<QB_DSP_BiQuad_Multi_Engine*>(members[k + 1]) : nullptr;
        Bands b = m->gather(offset);
        Bands c = next != nullptr ? next->gather(offset) : Bands{};
        if (next == nullptr || b.active != c.active || !sameSections(b.sections, c.sections, b.active)) {
            m->series_(b.sections, b.states, b.active, m->audioIn_[0] + offset, m->audioOut_[0] + offset, n);
            m->afterFilter(b, offset, n);
            ++k;
            continue;
        }
        QB_BiquadState* const states[2] = {b.states, c.states};
        const float* const in[2] = {m->audioIn_[0] + offset, next->audioIn_[0] + offset};
        float* const out[2] = {m->audioOut_[0] + offset, next->audioOut_[0] + offset};
        m->seriesPair_(b.sections, b.active, states, in, out, n);
        m->afterFilter(b, offset, n);
        next->afterFilter(c, offset, n);
        k += 2;
    }
}
