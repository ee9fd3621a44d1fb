// Peak follower: takes the peak magnitude of one or two streams, holds each new peak for
// the hold time and then lets it fall linearly, without a lower limit. Output 0 is the
// held peak. Disabled, it outputs zeros and keeps the peak for when it is enabled.
//
// Audio thread only (construction and wiring happen while the host is not processing).
#pragma once

#include <cmath>
#include <cstdint>

#include "dsp/framework/module_base.h"
#include "dsp/modules/stream_helpers.h"

class QB_DSP_Peak_Hold : public QB_ModuleBase {
public:
    enum InPort : int32_t {
        kIn0 = 0,
        kIn1 = 1,         // optional
        kInHoldTime = 2,  // floatValue, graph units of 10 ms
        kInDecayTime = 3, // floatValue, graph units of 10 ms for a fall of 1.0
        kInEnable = 4,    // intValue low 16 bits
    };
    static constexpr float kInitialPeak = -1.0f;

    QB_DSP_Peak_Hold(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void setInput(int32_t port, const float* pointer) override;

    // Routines.
    virtual void peakOfTwo(uint32_t offset, uint32_t count);
    virtual void peakOfOne(uint32_t offset, uint32_t count);
    virtual void silence(uint32_t offset, uint32_t count);

    const float* in0;
    const float* in1;
    float* out;
    float peak = kInitialPeak;
    float decayStep = 0.0f;
    float sampleRate = 0.0f;
    float rateScale = 0.0f;
    uint32_t holdUntil = 0;
    int32_t holdSamples = 0;
    int32_t countdown = 0;
    int32_t twoInputs = 0;
    int16_t enable = 1;
    int16_t active = -1;
    int16_t announced = -1;

    // The routine's loop one sample at a time, its state in locals: beginSteps (which
    // announces the output first where needed), step(i) for sample i in order, endSteps.
    // The level follower (level_follow.h) runs them in a loop of its own.
    template <bool Two>
    struct Steps {
        const float* a;
        const float* b;
        float* out;
        float p;
        float decay;
        uint32_t until;
        uint32_t t;
        uint32_t hold;
        void step(uint32_t i);
    };
    template <bool Two>
    Steps<Two> beginSteps();
    template <bool Two>
    void endSteps(Steps<Two> s);
    // Whether the routine is one that beginSteps / step / endSteps run, with nothing to
    // announce first.
    bool runsInSteps() const;

private:
    template <bool Two>
    void run(uint32_t offset, uint32_t count);
};

template <bool Two>
inline void QB_DSP_Peak_Hold::Steps<Two>::step(uint32_t i) {
    if (qb::reached(t, until)) p -= decay;
    float x = std::fabs(a[i]);
    if (Two) {
        const float y = std::fabs(b[i]);
        if (y > x) x = y;
    }
    if (x >= p) {
        p = x;
        until = t + hold;
    }
    out[i] = p;
    ++t;
}
