// QB_DSP_BiQuad_Static: one or two audio channels through a cascade of up to eight
// identical sections whose coefficients it designs itself from its frequency, width and
// gain inputs (the designs of biquad_design.h). Used as the band-splitting prefilters in
// front of the pitch detectors.
//
// Audio thread only (construction and wiring while the host is not processing).
#pragma once

#include <cstdint>

#include "eq/biquad_cascade.h"
#include "eq/biquad_engine_common.h"
#include "eq/biquad_section.h"
#include "dsp/framework/joint_run.h"

class QB_DSP_BiQuad_Static : public QB_BiquadEngineCommon {
public:
    static constexpr int kMaxSections = 8;
    enum Port : int32_t {
        kAudioIn1 = 0,
        kAudioIn2 = 1,      // connecting it makes the module stereo
        kFrequencyIn = 2,   // graph units of 10 Hz (linear mode) or pitch value
        kWidthIn = 3,
        kGainIn = 4,        // type 9
        kTypeIn = 5,        // event: 0..9 (others are taken as 0)
        kSectionsIn = 6,    // event: section count - 1 (clamped to 0..7)
        kLinearModeIn = 7,  // event
        kEnabledIn = 9,     // event
        kActiveIn = 10,     // event; 0 clears the states
        kClearIn = 11,      // event: a value above 0 clears the states
        kAudioOut1 = 0,
        kAudioOut2 = 1
    };

    QB_DSP_BiQuad_Static(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void setInput(int32_t port, const float* pointer) override;

    void filter(uint32_t offset, uint32_t count) override;
    // One coefficient set from the inputs at offset (type 0 designs nothing).
    virtual void designSection(uint32_t offset);

private:
    // Mono prefilters in their filter routine run together: the chains that read one
    // input side by side, a chain that reads another's output after it.
    static bool readyTogether(const QB_ModuleBase& module);
    static void filterTogether(QB_ModuleBase* const* members, int count, uint32_t offset, uint32_t n);
    static const QB_JointKind kJointKind;
    // The parts of filter before and after the sections run.
    void beforeFilter(uint32_t offset);
    void afterFilter(uint32_t offset, int channels);

    void clearStates() override;

    const float* frequency_;
    const float* width_;
    const float* gain_;
    QB_BiquadState states_[2][kMaxSections];
    QB_BiquadCascadeFn cascade_;  // chosen at prepare from the SIMD level in force
    QB_BiquadCascadesFn cascades_;
    QB_BiquadChainsFn chains_;  // null where the level packs no chains
    QB_BiquadCoefficients coefficients_ = {};
    float indexScale_ = 0.0f;
    int32_t recompute_ = -1;  // 1: design every call, -1: design once, 0: up to date
    int16_t type_ = 0;
    int16_t linearMode_ = 1;
    int16_t sectionCount_ = 1;
    int16_t frequencyRate_ = 0;
    int16_t widthRate_ = 0;
    int16_t gainRate_ = 0;
};
