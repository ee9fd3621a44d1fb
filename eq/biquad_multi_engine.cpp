#include "eq/biquad_multi_engine.h"

QB_DSP_BiQuad_Multi_Engine::QB_DSP_BiQuad_Multi_Engine(QB_GraphHost* owner, bool createDisabled)
    : QB_BiquadEngineCommon(owner, createDisabled, 1) {
    for (QB_CoefficientStreams& c : coefficients_) c = {zeros_, zeros_, zeros_, zeros_, zeros_};
    series_ = qbBiquadSeriesFor(qbSimdLevel());
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

void QB_DSP_BiQuad_Multi_Engine::filter(uint32_t offset, uint32_t count) {
    if (announced_ != 1) announce(1);
    const float* in = audioIn_[0] + offset;
    float* out = audioOut_[0] + offset;
    // The active bands in order, each with its coefficients: per sample, or one set read
    // at offset s (perSampleAllowed) or 0.
    QB_SectionCoefficients sections[kBands];
    QB_BiquadState states[kBands];
    int bands[kBands], active = 0;
    for (int k = 0; k < kBands; ++k) {
        if (bandActive_[k] == 0) continue;
        const bool perSample = perSampleAllowed_ != 0 && coefficientRate_[k] != 0;
        const uint32_t at = perSampleAllowed_ != 0 ? offset : 0;
        const QB_CoefficientStreams& c = coefficients_[k];
        sections[active] = {{c.b0 + at, c.b1 + at, c.b2 + at, c.a1 + at, c.a2 + at}, perSample};
        states[active] = states_[k];
        bands[active++] = k;
    }
    series_(sections, states, active, in, out, count);
    for (int j = 0; j < active; ++j) {
        states_[bands[j]] = states[j];
        qbClearIfNonFinite(states_[bands[j]]);
    }
    // No band active (only before the first band event): the audio passes unchanged.
    if (active == 0)
        for (uint32_t i = 0; i < count; ++i) out[i] = in[i];
    settleToHeldValue(offset);
}
