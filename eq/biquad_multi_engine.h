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
    void clearStates() override;
    void reselect();

    QB_CoefficientStreams coefficients_[kBands];
    QB_BiquadState states_[kBands];
    QB_BiquadSeriesFn series_;  // chosen at prepare from the SIMD level in force
    int16_t coefficientRate_[kBands] = {};
    int16_t bandActive_[kBands] = {};
    int16_t perSampleAllowed_ = 0;
};
