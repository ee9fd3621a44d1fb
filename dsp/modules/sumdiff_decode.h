// Sum/difference decoder: L = 0.5 S + 0.5 D on output 0, R = 0.5 S - 0.5 D on output 1
// (or S and D passed through when coding is 0). Ports and behaviour otherwise as
// QB_DSP_SumDiff_Coder.
#pragma once

#include "dsp/modules/sumdiff_coder.h"

class QB_DSP_SumDiff_Decode : public QB_DSP_SumDiff_Coder {
public:
    using QB_DSP_SumDiff_Coder::QB_DSP_SumDiff_Coder;

    void code(uint32_t offset, uint32_t count) override;
};
