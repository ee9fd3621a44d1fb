// The graph's audio source: two output buffers into which the processor copies the
// host's left and right input at the ring position before the graph runs.
//
// Built and prepared while the host is not processing; it never runs afterwards.
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_DSP_Host_AudioIn : public QB_ModuleBase {
public:
    enum OutPort : int32_t { kOutLeft = 0, kOutRight = 1 };

    // Allocates both buffers and hands them to the owner as its input copy targets.
    QB_DSP_Host_AudioIn(QB_GraphHost* owner, bool createDisabled);
    // Withdraws the buffers from the owner so nothing copies into freed memory.
    ~QB_DSP_Host_AudioIn() override;

    // Announces both outputs as varying, once, and falls asleep for good.
    void prepare() override;
};
