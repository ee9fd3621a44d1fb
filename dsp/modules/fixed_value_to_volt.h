// The fixed-value events of QB_DSP_FixedValueToINT_FLOAT, plus a constant stream per
// input: output n's buffer holds the value in graph units (x 0.1) in every entry.
//
// Buffers are allocated and filled while the graph is built, never on the audio thread.
#pragma once

#include <cstdint>

#include "dsp/modules/fixed_value_to_int_float.h"

class QB_DSP_FixedValueToVolt : public QB_DSP_FixedValueToINT_FLOAT {
public:
    using QB_DSP_FixedValueToINT_FLOAT::QB_DSP_FixedValueToINT_FLOAT;

    // Also allocates output port's buffer and fills it with the value the pointer
    // addresses now (left at zero for a null pointer).
    void setInput(int32_t port, const float* pointer) override;
};
