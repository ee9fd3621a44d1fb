// Sum/difference encoder: S = L + R on output 0, D = L - R on output 1 (or L and R
// passed through when coding is 0). Ports and behaviour otherwise as QB_DSP_SumDiff_Coder.
#pragma once

#include "dsp/modules/sumdiff_coder.h"

class QB_DSP_SumDiff_Encode : public QB_DSP_SumDiff_Coder {
public:
    using QB_DSP_SumDiff_Coder::QB_DSP_SumDiff_Coder;

    void code(uint32_t offset, uint32_t count) override;
};
