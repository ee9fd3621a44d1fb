// Announces the graph's fixed values once, as events: for every input wired to a
// constant, output n carries the value truncated towards zero as intValue and in graph
// units (x 0.1) as floatValue. It never runs after `prepare`.
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_DSP_FixedValueToINT_FLOAT : public QB_ModuleBase {
public:
    using QB_ModuleBase::QB_ModuleBase;

    // Sends one event per input that is set, then sleeps for good.
    void prepare() override;
    // Notes the highest input set (graph building only).
    void setInput(int32_t port, const float* pointer) override;

    // One more than the highest input port set so far.
    int32_t inputCount = 0;
};
