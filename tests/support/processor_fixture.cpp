#include "support/processor_fixture.h"

VstIntPtr acceptingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

ProcessorRig::ProcessorRig(float rate, VstInt32 block) : vst(new QB_DSP_VST(acceptingHost)) {
    vst->setSampleRate(rate);
    vst->setBlockSize(block);
    vst->resume();
}

void ProcessorRig::process(int32_t frames, const float* inL, const float* inR) {
    const size_t n = frames > 0 ? static_cast<size_t>(frames) : 0;
    outL.assign(n, 0.f);
    outR.assign(n, 0.f);
    silence.assign(n, 0.f);
    float* in[2] = {const_cast<float*>(inL ? inL : silence.data()), const_cast<float*>(inR ? inR : silence.data())};
    float* out[2] = {outL.data(), outR.data()};
    vst->processReplacing(in, out, frames);
}
