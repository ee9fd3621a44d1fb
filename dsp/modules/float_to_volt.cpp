#include "dsp/modules/float_to_volt.h"

#include "dsp/modules/stream_helpers.h"

QB_DSP_Float_to_Volt::QB_DSP_Float_to_Volt(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled), out(allocateOutput(0)) {}

void QB_DSP_Float_to_Volt::prepare() {
    setRoutine(&QB_DSP_Float_to_Volt::fill);
    value = 0.0f;
    countdown = static_cast<int32_t>(ringLength);
}

void QB_DSP_Float_to_Volt::handleEvent(QB_Event* e, uint32_t offset) {
    countdown = static_cast<int32_t>(ringLength);
    value = e->floatValue;
    sendEvent(time, 0, 0, 0, value, 0);
    setRoutine(&QB_DSP_Float_to_Volt::fill);
}

void QB_DSP_Float_to_Volt::fill(uint32_t offset, uint32_t count) {
    countdown -= static_cast<int32_t>(count);
    if (countdown <= 0) {
        // This call still writes; once a whole ring holds the value, nothing has to.
        setRoutine(&QB_ModuleBase::sleepRoutine);
        flags |= kAsleep;
    }
    qb::fillRange(out, offset, count, value);
}
