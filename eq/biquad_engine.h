// QB_DSP_BiQuad_Engine: one audio channel through a cascade of up to eight identical
// sections whose coefficients arrive as sample streams (read once per call, at ring
// offset 0).
//
// Audio thread only (construction and wiring while the host is not processing).
#pragma once

#include <cstdint>

#include "eq/biquad_engine_common.h"
#include "eq/biquad_section.h"

class QB_DSP_BiQuad_Engine : public QB_BiquadEngineCommon {
public:
    static constexpr int kMaxSections = 8;
    enum Port : int32_t {
        kAudioIn = 0,
        kB0In = 1,  // its rate announcements set the coefficient rate
        kB1In = 2,
        kB2In = 3,
        kA1In = 4,
        kA2In = 5,
        kBandActiveIn = 6,  // event; 0 clears the states
        kSectionsIn = 7,    // event: section count - 1 (clamped to 0..7)
        kReselectIn = 8,    // event: reruns the routine selection
        kEnabledIn = 9,     // event
        kActiveIn = 10,     // event; 0 clears the states
        kClearIn = 11,      // event: a value above 0 clears the states
        kAudioOut = 0
    };

    QB_DSP_BiQuad_Engine(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void setInput(int32_t port, const float* pointer) override;

    void filter(uint32_t offset, uint32_t count) override;

private:
    void clearStates() override;

    QB_CoefficientStreams coefficients_;
    QB_BiquadState states_[kMaxSections];
    int16_t coefficientRate_ = 0;
    int16_t sectionCount_ = 1;
    int16_t bandActive_ = 1;
};
