#include "dsp/modules/fixed_value_to_volt.h"

#include "dsp/modules/stream_helpers.h"

void QB_DSP_FixedValueToVolt::setInput(int32_t port, const float* pointer) {
    if (port < 0 || port >= kMaxPorts) return;
    QB_DSP_FixedValueToINT_FLOAT::setInput(port, pointer);
    float* out = allocateOutput(port);
    if (out == nullptr || pointer == nullptr) return;
    qb::fillRange(out, 0, ringLength + 4u, qb::graphUnits(*pointer));
}
