#include "dsp/modules/host_audio_in.h"

#include "dsp/modules/stream_helpers.h"

QB_DSP_Host_AudioIn::QB_DSP_Host_AudioIn(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled) {
    owner->inputCopyTarget[0] = allocateOutput(kOutLeft);
    owner->inputCopyTarget[1] = allocateOutput(kOutRight);
}

QB_DSP_Host_AudioIn::~QB_DSP_Host_AudioIn() {
    for (int c = 0; c < 2; ++c) {
        if (owner->inputCopyTarget[c] == outputs[c]) owner->inputCopyTarget[c] = nullptr;
    }
}

void QB_DSP_Host_AudioIn::prepare() {
    setRoutine(&QB_ModuleBase::sleepRoutine);
    flags |= kAsleep;
    qb::announceRate(*this, 2, 1);
}
