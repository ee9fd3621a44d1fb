// QB_DSP_BiQuad_Multi_Engine: one audio channel through up to five bands in series, each
// band one section whose coefficients arrive as sample streams from its own designer.
// The equaliser's audio path.
//
// Audio thread only (construction and wiring while the host is not processing).
#pragma once

#include <cstdint>

#include "eq/biquad_cascade.h"
#include "eq/biquad_engine_common.h"
#include "eq/biquad_section.h"
#include "dsp/framework/joint_run.h"

class QB_DSP_BiQuad_Multi_Engine : public QB_BiquadEngineCommon {
public:
    static constexpr int kBands = 5;
    enum Port : int32_t {
        kAudioIn = 0,
        kPerSampleAllowedIn = 1,  // event
        kEnabledIn = 2,           // event
        kActiveIn = 3,            // event
        kClearIn = 4,             // event: a value above 0 clears every band's state
        kFirstBandPort = 9,       // band k: b0..a2 at 10k + 9 .. 10k + 13, active at 10k + 14
        kBandPortStride = 10,
        kAudioOut = 0
    };
    static constexpr int32_t bandPort(int band, int index) { return kFirstBandPort + kBandPortStride * band + index; }

    QB_DSP_BiQuad_Multi_Engine(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void setInput(int32_t port, const float* pointer) override;

    void filter(uint32_t offset, uint32_t count) override;

private:
    // The active bands in order, each with its coefficients (streams from offset) and
    // a copy of its state, and where they belong.
    struct Bands {
        QB_SectionCoefficients sections[kBands];
        QB_BiquadState states[kBands];
        int band[kBands];
        int active = 0;
    };
    void clearStates() override;
    void reselect();
    Bands gather(uint32_t offset) const;
    // Keeps the states the sections ran with, and settles.
    void afterFilter(const Bands& bands, uint32_t offset, uint32_t count);
    // The left and right engines of one equaliser read the same coefficient streams: a pair
    // of them runs its two channels side by side.
    static bool readyTogether(const QB_ModuleBase& module);
    static void filterTogether(QB_ModuleBase* const* members, int count, uint32_t offset, uint32_t n);
    static const QB_JointKind kJointKind;

    QB_CoefficientStreams coefficients_[kBands];
    QB_BiquadState states_[kBands];
    QB_BiquadSeriesFn series_;  // chosen at prepare from the SIMD level in force
    QB_BiquadSeriesPairFn seriesPair_;
    int16_t coefficientRate_[kBands] = {};
    int16_t bandActive_[kBands] = {};
    int16_t perSampleAllowed_ = 0;
};
