// Turns value events into a stream that glides linearly to each new value over the glide
// time (30 ms unless set), so that gain changes do not click. Output 0 stays announced
// varying until 100 ms after a glide ends. While the owner suppresses glides (program
// change, graph rebuild) a new value is taken at once and announced static.
//
// Audio thread only (construction and wiring happen while the host is not processing).
#pragma once

#include <cstdint>

#include "dsp/framework/joint_run.h"
#include "dsp/framework/module_base.h"

class QB_DSP_GUItoV_Glide : public QB_ModuleBase {
public:
    enum InPort : int32_t {
        kInValue = 0,      // floatValue
        kInGlideTime = 1,  // floatValue, graph units of 10 ms
    };
    static constexpr float kNoTarget = -1000000.0f;

    QB_DSP_GUItoV_Glide(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;

    // Routines.
    virtual void fill(uint32_t offset, uint32_t count);
    virtual void ramp(uint32_t offset, uint32_t count);
    virtual void endCheck(uint32_t offset, uint32_t count);

    float* out;
    double current = 0.0;
    double increment = 0.0;
    float target = 0.0f;
    float lastTarget = kNoTarget;
    float samplesPerMs = 0.0f;
    int32_t remaining = 0;
    int32_t rampSamples = 0;
    int32_t settleSamples = 0;
    int32_t active = 0;
    int32_t countdown = 0;
    uint32_t deadline = 0;

private:
    void announceVarying();
    // Glides that ramp run their ramps side by side: each is a chain of double additions
    // that would otherwise wait for itself at every sample.
    static bool readyTogether(const QB_ModuleBase& module);
    static void rampTogether(QB_ModuleBase* const* members, int count, uint32_t offset, uint32_t n);
    static const QB_JointKind kJointKind;
};
