// QB_DSP_BiQuad_Coeff: turns frequency, width and gain streams into the five coefficient
// streams (b0, b1, b2, a1, a2) of one second-order section, for a filter engine that
// runs it (possibly as several identical sections in cascade).
//
// Audio thread only (construction and wiring while the host is not processing).
// The designs and their input checks live in biquad_design.h.
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"
#include "eq/biquad_design.h"

class QB_DSP_BiQuad_Coeff : public QB_ModuleBase {
public:
    enum Port : int32_t {
        kFrequencyIn = 0,  // graph units of 10 Hz (linear mode) or pitch value
        kWidthIn = 1,
        kGainIn = 2,       // type 9 only
        kTypeIn = 3,       // event: 0..9
        kSectionIn = 4,    // event: section index 0..7
        kPerSampleIn = 5,  // event: design every sample (non-zero) or once per call
        kEnabledIn = 6,    // event
        kLinearModeIn = 7, // event: 1 linear frequency, 0 pitch value
        kBandActiveOut = 5 // events only: 1 while the type is not 0
    };
    static constexpr int kCoefficientOutputs = 5;  // outputs 0..4: b0, b1, b2, a1, a2

    QB_DSP_BiQuad_Coeff(QB_GraphHost* owner, bool createDisabled);
    ~QB_DSP_BiQuad_Coeff() override;

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void setInput(int32_t port, const float* pointer) override;

    // Routines.
    virtual void zeroCoefficients(uint32_t offset, uint32_t count);
    virtual void designCoefficients(uint32_t offset, uint32_t count);

private:
    void announceRate(int32_t rate);
    void sendBandActive();
    void runCountdown(uint32_t count);
    void writeSet(uint32_t offset, const QB_BiquadCoefficients& c);

    float* coefficients_[kCoefficientOutputs];
    float* zeros_;  // read by unconnected stream inputs
    const float* frequency_;
    const float* width_;
    const float* gain_;
    float indexScale_ = 0.0f;
    QB_SimdLevel simdLevel_ = QB_SimdLevel::kScalar;  // of the per-sample designs, read at prepare
    int32_t countdown_ = 0;
    int32_t inputRates_[3] = {0, 0, 0};
    int32_t wantedRate_ = -2;
    int32_t announcedRate_ = -1;
    int16_t perSample_ = 0;
    int16_t linearMode_ = 1;
    int16_t type_ = 9;
    int16_t enabled_ = 1;
    int16_t sectionIndex_ = 0;
    bool buffersReady_ = false;
};
