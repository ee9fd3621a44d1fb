#include "eq/biquad_static.h"

#include "eq/biquad_design.h"

QB_DSP_BiQuad_Static::QB_DSP_BiQuad_Static(QB_GraphHost* owner, bool createDisabled)
    : QB_BiquadEngineCommon(owner, createDisabled, 2) {
    frequency_ = width_ = gain_ = zeros_;
    cascade_ = qbBiquadCascadeFor(qbSimdLevel());
    cascades_ = qbBiquadCascadesFor(qbSimdLevel());
    chains_ = qbBiquadChainsFor(qbSimdLevel());
    jointKind = &kJointKind;
    clearStates();
}

void QB_DSP_BiQuad_Static::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    const float* stream = streamOrZeros(pointer);
    switch (port) {
        case kAudioIn1: audioIn_[0] = stream; break;
        case kAudioIn2:
            audioIn_[1] = stream;
            channels_ = pointer != nullptr ? 2 : 1;
            break;
        case kFrequencyIn: frequency_ = stream; break;
        case kWidthIn: width_ = stream; break;
        case kGainIn: gain_ = stream; break;
        default: break;
    }
}

void QB_DSP_BiQuad_Static::clearStates() {
    for (auto& channel : states_)
        for (QB_BiquadState& s : channel) s = {};
}

void QB_DSP_BiQuad_Static::prepare() {
    if (!buffersReady_) return;
    clearStates();
    prepareCommon();
    cascade_ = qbBiquadCascadeFor(qbSimdLevel());
    cascades_ = qbBiquadCascadesFor(qbSimdLevel());
    chains_ = qbBiquadChainsFor(qbSimdLevel());
    type_ = 0;
    linearMode_ = 1;
    sectionCount_ = 1;
    recompute_ = -1;
    coefficients_ = {};
    indexScale_ = qbIndexScale(owner->sampleRateInt);
    // With no type yet there is nothing to filter with: pass the audio until one arrives.
    setRoutine(&QB_DSP_BiQuad_Static::passThrough);
}

void QB_DSP_BiQuad_Static::handleEvent(QB_Event* event, uint32_t offset) {
    if (!buffersReady_) return;
    countdown_ = static_cast<int32_t>(ringLength);
    const int16_t value = static_cast<int16_t>(event->intValue);
    switch (event->port) {
        case kAudioIn1: noteAudioRate(*event, offset); break;
        case kFrequencyIn: frequencyRate_ = static_cast<int16_t>(event->rateFlag); break;
        case kWidthIn: widthRate_ = static_cast<int16_t>(event->rateFlag); break;
        case kGainIn: gainRate_ = static_cast<int16_t>(event->rateFlag); break;
        case kTypeIn: type_ = qbValidBiquadType(event->intValue); break;
        case kSectionsIn: sectionCount_ = static_cast<int16_t>(qbValidSectionIndex(event->intValue) + 1); break;
        case kLinearModeIn: linearMode_ = value; break;
        case kEnabledIn: setEnabled(value); break;
        case kActiveIn: setActive(value); break;
        case kClearIn:
            if (value > 0) clearStates();
            return;
        default:
            return;  // input 1 and unused ports
    }
    // Any design input: design on every call while one varies, else once.
    if (event->port >= kFrequencyIn && event->port <= kLinearModeIn)
        recompute_ = (frequencyRate_ | widthRate_ | gainRate_) != 0 ? 1 : -1;
    selectRoutine(active_ != 0 && type_ != 0, false);
}

void QB_DSP_BiQuad_Static::designSection(uint32_t offset) {
    if (type_ == 0) return;
    const QB_BiquadDesign d = qbBeginDesign(owner->tables, indexScale_, type_,
                                            static_cast<int16_t>(sectionCount_ - 1), linearMode_ != 0, width_[offset]);
    coefficients_ = qbDesignAt(d, frequency_[offset], gain_[offset]);
}

void QB_DSP_BiQuad_Static::beforeFilter(uint32_t offset) {
    if (announced_ != 1) announce(1);
    if (recompute_ != 0) {
        designSection(offset);
        recompute_ = recompute_ == 1 ? 1 : 0;
    }
}

void QB_DSP_BiQuad_Static::afterFilter(uint32_t offset, int channels) {
    for (int ch = 0; ch < channels; ++ch)
        for (int k = 0; k < sectionCount_; ++k) qbClearIfNonFinite(states_[ch][k]);
    settleToSilence(offset);
}

void QB_DSP_BiQuad_Static::filter(uint32_t offset, uint32_t count) {
    beforeFilter(offset);
    for (int ch = 0; ch < channels_; ++ch)
        cascade_(coefficients_, states_[ch], sectionCount_, audioIn_[ch] + offset, audioOut_[ch] + offset, count);
    afterFilter(offset, channels_);
}

const QB_JointKind QB_DSP_BiQuad_Static::kJointKind = {&QB_DSP_BiQuad_Static::readyTogether,
                                                       &QB_DSP_BiQuad_Static::filterTogether};

bool QB_DSP_BiQuad_Static::readyTogether(const QB_ModuleBase& module) {
    const auto& m = static_cast<const QB_DSP_BiQuad_Static&>(module);
    return m.routine == qbRoutine(&QB_BiquadEngineCommon::filter) && m.channels_ == 1 && m.announced_ == 1;
}

void QB_DSP_BiQuad_Static::filterTogether(QB_ModuleBase* const* members, int count, uint32_t offset, uint32_t n) {
    QB_DSP_BiQuad_Static* m[QB_JointGroup::kMaxMembers] = {};
    for (int k = 0; k < count; ++k) {
        m[k] = static_cast<QB_DSP_BiQuad_Static*>(members[k]);
        m[k]->beforeFilter(offset);
    }
    // All in one pass, a reader packed behind the chain it reads, where the level can.
    QB_CascadeJob all[QB_JointGroup::kMaxMembers] = {};
    for (int k = 0; k < count; ++k)
        all[k] = {m[k]->coefficients_, m[k]->states_[0], m[k]->sectionCount_, m[k]->audioIn_[0] + offset,
                  m[k]->audioOut_[0] + offset};
    const bool packed = m[0]->chains_ != nullptr && m[0]->chains_(all, count, n);
    // Else in waves: every chain whose input no chain still to run writes, side by side.
    // A member reads only earlier members, so the first one left never waits.
    bool done[QB_JointGroup::kMaxMembers] = {};
    for (int left = packed ? 0 : count; left > 0;) {
        QB_CascadeJob jobs[QB_JointGroup::kMaxMembers];
        int wave[QB_JointGroup::kMaxMembers], waveCount = 0;
        for (int k = 0; k < count; ++k) {
            if (done[k]) continue;
            bool waits = false;
            for (int e = 0; e < count; ++e) waits = waits || (e != k && !done[e] && m[e]->audioOut_[0] == m[k]->audioIn_[0]);
            if (waits) continue;
            wave[waveCount] = k;
            jobs[waveCount++] = all[k];
        }
        m[0]->cascades_(jobs, waveCount, n);
        for (int w = 0; w < waveCount; ++w) done[wave[w]] = true;
        left -= waveCount;
    }
    for (int k = 0; k < count; ++k) m[k]->afterFilter(offset, 1);
}
