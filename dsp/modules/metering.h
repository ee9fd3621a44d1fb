// Level meter: smooths the magnitude of one or two streams (their maximum, or their sum)
// with separate attack and release times, exponentially or linearly. Output 0 is the
// envelope. Disabled, it outputs zeros and keeps the envelope for when it is enabled.
//
// Audio thread only (construction and wiring happen while the host is not processing).
#pragma once

#include <cmath>
#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_DSP_Metering : public QB_ModuleBase {
public:
    enum InPort : int32_t {
        kIn0 = 0,
        kIn1 = 1,        // optional
        kInAttack = 2,   // floatValue, graph units of 10 ms
        kInRelease = 3,  // floatValue, graph units of 10 ms
        kInEnable = 4,   // intValue low 16 bits
        kInLinear = 5,   // intValue low 16 bits
        kInSum = 6,      // intValue low 16 bits
    };
    // Shortest time the exponential coefficients use: keeps them finite.
    static constexpr float kMinExponentialTime = 0.0001f;

    QB_DSP_Metering(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void setInput(int32_t port, const float* pointer) override;

    // Routines.
    virtual void exponentialMax(uint32_t offset, uint32_t count);
    virtual void linearMax(uint32_t offset, uint32_t count);
    virtual void exponentialSum(uint32_t offset, uint32_t count);
    virtual void linearSum(uint32_t offset, uint32_t count);
    virtual void silence(uint32_t offset, uint32_t count);

    const float* in0;
    const float* in1;
    float* out;
    float envelope = 0.0f;
    float attackCoef = 0.0f;
    float releaseCoef = 0.0f;
    float sampleRate = 0.0f;
    float rateScale = 0.0f;
    float attack = 5.0f;
    float release = 5.0f;
    int32_t countdown = 0;
    int32_t twoInputs = 0;
    int16_t enable = 1;
    int16_t active = -1;
    int16_t announced = -1;
    int16_t coefficientDirty = -1;
    int16_t linear = 0;
    int16_t sum = 0;

    // The routine's loop one sample at a time, its state in locals: beginSteps (which
    // announces the output and works out the coefficients first where needed), step(i)
    // for sample i in order, endSteps. The level follower (level_follow.h) runs them in a
    // loop of its own.
    template <bool Linear, bool Sum>
    struct Steps {
        const float* a;
        const float* b;
        float* out;
        float env;
        float attackCoef;
        float releaseCoef;
        bool two;
        void step(uint32_t i);
    };
    template <bool Linear, bool Sum>
    Steps<Linear, Sum> beginSteps();
    template <bool Linear, bool Sum>
    void endSteps(Steps<Linear, Sum> s);
    // Whether the routine is the exponential maximum, which the level follower runs in
    // steps, with nothing to announce first.
    bool runsInSteps() const;

private:
    template <bool Linear, bool Sum>
    void run(uint32_t offset, uint32_t count);
};

template <bool Linear, bool Sum>
inline void QB_DSP_Metering::Steps<Linear, Sum>::step(uint32_t i) {
    float x = std::fabs(a[i]);
    if (two) {
        const float y = std::fabs(b[i]);
        x = Sum ? x + y : (y > x ? y : x);
    }
    if (Linear) {
        if (env >= x) {
            const float down = env - releaseCoef;
            env = down > x ? down : x;
        } else {
            const float up = env + attackCoef;
            env = up < x ? up : x;
        }
    } else {
        const float d = env - x;
        env = x + d * (d > 0.0f ? releaseCoef : attackCoef);
    }
    out[i] = env;
}
