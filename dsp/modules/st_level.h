// Stereo level: multiplies a pair of streams by a gain stream, or by its square. Stays
// silent until a gain event arrives.
//
// Audio thread only (construction and wiring happen while the host is not processing).
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_DSP_ST_Level : public QB_ModuleBase {
public:
    enum InPort : int32_t {
        kInLeft = 0,
        kInRight = 1,
        kInGain = 2,
        kInSquared = 3,  // intValue: non-zero multiplies by the square of the gain
    };
    // The gain value that stands for "the gain stream varies".
    static constexpr float kVaryingGain = 2000.0f;

    QB_DSP_ST_Level(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void setInput(int32_t port, const float* pointer) override;

    // Routines.
    virtual void passThrough(uint32_t offset, uint32_t count);
    virtual void scale(uint32_t offset, uint32_t count);
    virtual void silence(uint32_t offset, uint32_t count);

    const float* inL;
    const float* inR;
    const float* inGain;
    float* outL;
    float* outR;
    float gain = 0.0f;
    float levelL = 0.0f;
    float levelR = 0.0f;
    int32_t countdown = 0;
    int32_t gainVarying = 0;
    int32_t active = -1;
    int32_t announced = -1;
    int32_t squared = 0;

private:
    void announce();
};
