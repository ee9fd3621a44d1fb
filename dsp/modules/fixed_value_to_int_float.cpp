#include "dsp/modules/fixed_value_to_int_float.h"

#include "dsp/modules/stream_helpers.h"

void QB_DSP_FixedValueToINT_FLOAT::setInput(int32_t port, const float* pointer) {
    if (port < 0 || port >= kMaxPorts) return;
    QB_ModuleBase::setInput(port, pointer);
    if (port + 1 > inputCount) inputCount = port + 1;
}

void QB_DSP_FixedValueToINT_FLOAT::prepare() {
    setRoutine(&QB_ModuleBase::sleepRoutine);
    flags |= kAsleep;
    for (int32_t n = 0; n < inputCount; ++n) {
        if (inputs[n] == nullptr) continue;
        const float x = *inputs[n];
        sendEvent(time, n, 0, qb::truncToInt(x), qb::graphUnits(x), 0);
    }
}
