// What the three biquad engines (single, multi-band, static) share: the rate and level
// bookkeeping of the audio input, enable and activity, the choice between filtering and
// passing through, the settle tests, and the cheap routines a quiet engine settles into.
//
// Audio thread only. A derived class adds its sections, its filter routine and its
// event ports, and calls the helpers below from its handleEvent.
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_BiquadEngineCommon : public QB_ModuleBase {
public:
    // Routines.
    virtual void filter(uint32_t offset, uint32_t count) = 0;
    // Writes the settled output value (single and multi engine).
    virtual void holdSettled(uint32_t offset, uint32_t count);
    virtual void passThrough(uint32_t offset, uint32_t count);
    virtual void silence(uint32_t offset, uint32_t count);

    // Clears the section states and keeps the routine.
    void suspend() override { clearStates(); }

protected:
    // channels: 1, or 2 for the static biquad (whose second channel is used only when
    // its input 1 is connected).
    QB_BiquadEngineCommon(QB_GraphHost* owner, bool createDisabled, int channels);
    ~QB_BiquadEngineCommon() override;

    virtual void clearStates() = 0;

    // The state every prepare starts from; the routine is chosen by the caller.
    void prepareCommon();
    // An event on the audio input: its rate, and the level marker (1.0 while varying,
    // else the static value at the event's offset).
    void noteAudioRate(const QB_Event& event, uint32_t offset);
    // Enable 0 clears the states and outputs silence until enabled again.
    void setEnabled(int16_t value);
    // Activity 0 clears the states.
    void setActive(int16_t value);
    // Filter when wanted, else pass the audio through. coefficientsStatic says that no
    // coefficient stream varies (it allows settling into a held value).
    void selectRoutine(bool filteringWanted, bool coefficientsStatic);
    // Settle tests at the end of a filter call at offset 0, when allowed. The ring has
    // settled when every output of channel 1 lies within 1e-12 of its first; the value
    // then held is that sample, or 0 below 1e-8 (the denormal guard leaves a small
    // negative residue behind silence). The static biquad, which holds no value, settles
    // only into silence.
    bool ringSettled(uint32_t offset, float& value) const;
    void settleToHeldValue(uint32_t offset);
    void settleToSilence(uint32_t offset);

    void announce(int16_t rate);
    void runCountdown(uint32_t count);
    const float* streamOrZeros(const float* pointer) const { return pointer != nullptr ? pointer : zeros_; }

    const float* audioIn_[2];
    float* audioOut_[2];
    int channels_;
    float* zeros_;  // read by unconnected stream inputs
    bool buffersReady_;

    int16_t inputRate_ = 0;
    float levelMarker_ = 0.0f;
    int16_t announced_ = -1;
    int16_t enabled_ = 1;
    int16_t active_ = 1;
    int32_t settleAllowed_ = 0;
    float settledValue_ = 0.0f;
    int32_t countdown_ = 0;
};
