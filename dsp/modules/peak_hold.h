// Peak follower: takes the peak magnitude of one or two streams, holds each new peak for
// the hold time and then lets it fall linearly, without a lower limit. Output 0 is the
// held peak. Disabled, it outputs zeros and keeps the peak for when it is enabled.
//
// Audio thread only (construction and wiring happen while the host is not processing).
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

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

private:
    template <bool Two>
    void run(uint32_t offset, uint32_t count);
};
