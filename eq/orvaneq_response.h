// The response module: fans the Response knob out to the five pitch detectors (scaled
// per band), switches the two multi-band engines between filtering and pass-through for
// Bypass, and sets the five gain sliders back to 0 when the reset button is pressed.
// Event-only: it has no signal outputs.
//
// Audio thread only; the reset calls back into the processor from the audio thread.
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_DSP_OrvanEq_Response : public QB_ModuleBase {
public:
    enum InPort : int32_t {
        kInResponse = 0,  // floatValue r, graph units
        kInBypass = 1,    // intValue
        kInReset = 9,     // intValue: non-zero resets the gain sliders
    };
    enum OutPort : int32_t {
        kOutBassResponse = 0,   // 20 r
        kOutBasicResponse = 1,  // 10 r
        kOutOtherResponse = 2,  // r
        kOutCoderMode = 14,     // always 0
        kOutSumActive = 15,     // 1 filtering, 0 pass-through
        kOutDiffActive = 16,
    };
    // The gain slider controls the reset sets to 0.
    static constexpr int32_t kFirstGainControl = 10;
    static constexpr int32_t kGainControls = 5;

    QB_DSP_OrvanEq_Response(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;

    // Routine: runs once after prepare and after every event, then sleeps.
    virtual void applyBypass(uint32_t offset, uint32_t count);

    int32_t bypass = 0;
    int32_t bypassInForce = 0;
};
