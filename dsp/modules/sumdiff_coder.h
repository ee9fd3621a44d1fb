// What the sum/difference encoder and decoder share: ports, fields, the event handler
// and the silence and pass-through routines. Each coder adds only its `code` routine.
//
// Audio thread only (construction and wiring happen while the host is not processing).
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_DSP_SumDiff_Coder : public QB_ModuleBase {
public:
    enum InPort : int32_t {
        kIn0 = 0,     // encoder: L; decoder: S
        kIn1 = 1,     // encoder: R; decoder: D
        kInCoding = 2,  // intValue low 16 bits: 1 code, 0 pass through
        kInEnable = 3,  // intValue low 16 bits: 0 silences both outputs
    };

    QB_DSP_SumDiff_Coder(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void setInput(int32_t port, const float* pointer) override;

    // Routines.
    virtual void silence(uint32_t offset, uint32_t count);
    virtual void passThrough(uint32_t offset, uint32_t count);
    virtual void code(uint32_t offset, uint32_t count) = 0;

    const float* in0;
    const float* in1;
    float* out0;
    float* out1;
    int32_t countdown = 0;
    int32_t announced = -1;
    int32_t rate0 = -1;
    int32_t rate1 = -1;
    int32_t active = -1;
    int16_t coding = 1;
    int16_t enable = 1;

protected:
    // The head of `passThrough` and `code`: announces a changed rate, and while both
    // inputs are static runs the quiet countdown towards sleep.
    void announceAndCount(uint32_t count);
};
