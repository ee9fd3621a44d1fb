// Turns value events into a held stream: each value (on any input port) is written to
// output 0 for at least one ring and passed on as an event on output 0; then it sleeps.
//
// Audio thread only (construction and wiring happen while the host is not processing).
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_DSP_Float_to_Volt : public QB_ModuleBase {
public:
    QB_DSP_Float_to_Volt(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;

    // Routines.
    virtual void fill(uint32_t offset, uint32_t count);

    float* out;
    float value = 0.0f;
    int32_t countdown = 0;
};
