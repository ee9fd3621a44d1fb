#include "eq/biquad_engine.h"

#include "eq/biquad_design.h"

QB_DSP_BiQuad_Engine::QB_DSP_BiQuad_Engine(QB_GraphHost* owner, bool createDisabled)
    : QB_BiquadEngineCommon(owner, createDisabled, 1) {
    coefficients_ = {zeros_, zeros_, zeros_, zeros_, zeros_};
    clearStates();
}

void QB_DSP_BiQuad_Engine::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    const float* stream = streamOrZeros(pointer);
    switch (port) {
        case kAudioIn: audioIn_[0] = stream; break;
        case kB0In: coefficients_.b0 = stream; break;
        case kB1In: coefficients_.b1 = stream; break;
        case kB2In: coefficients_.b2 = stream; break;
        case kA1In: coefficients_.a1 = stream; break;
        case kA2In: coefficients_.a2 = stream; break;
        default: break;
    }
}

void QB_DSP_BiQuad_Engine::clearStates() {
    for (QB_BiquadState& s : states_) s = {};
}

void QB_DSP_BiQuad_Engine::prepare() {
    if (!buffersReady_) return;
    clearStates();
    prepareCommon();
    sectionCount_ = 1;
    bandActive_ = 1;
    setRoutine(&QB_DSP_BiQuad_Engine::filter);
}

void QB_DSP_BiQuad_Engine::handleEvent(QB_Event* event, uint32_t offset) {
    if (!buffersReady_) return;
    countdown_ = static_cast<int32_t>(ringLength);
    const int16_t value = static_cast<int16_t>(event->intValue);
    switch (event->port) {
        case kAudioIn: noteAudioRate(*event, offset); break;
        case kB0In: coefficientRate_ = static_cast<int16_t>(event->rateFlag); break;
        case kBandActiveIn:
            bandActive_ = value;
            if (value == 0) clearStates();
            break;
        case kSectionsIn:
            sectionCount_ = static_cast<int16_t>(qbValidSectionIndex(event->intValue) + 1);
            return;
        case kReselectIn: break;
        case kEnabledIn: setEnabled(value); break;
        case kActiveIn: setActive(value); break;
        case kClearIn:
            if (value > 0) clearStates();
            return;
        default:
            return;  // b1..a2 events and unused ports
    }
    selectRoutine(active_ != 0 && bandActive_ != 0, coefficientRate_ == 0);
}

void QB_DSP_BiQuad_Engine::filter(uint32_t offset, uint32_t count) {
    if (announced_ != 1) announce(1);
    qbBiquadCascade(coefficients_.at(0), states_, sectionCount_, audioIn_[0] + offset, audioOut_[0] + offset, count);
    for (int k = 0; k < sectionCount_; ++k) qbClearIfNonFinite(states_[k]);
    settleToHeldValue(offset);
}
