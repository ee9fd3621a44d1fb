// A processor created in-process, with a host callback that accepts everything, for tests
// that look at its state directly.
#pragma once

#include <memory>
#include <vector>

#include "plugin/dsp_vst.h"

VstIntPtr acceptingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float);

struct ProcessorRig {
    explicit ProcessorRig(float rate = 44100.f, VstInt32 block = 512);
    // Runs frames of the given (or silent) stereo input; answers the outputs.
    void process(int32_t frames, const float* inL = nullptr, const float* inR = nullptr);

    std::unique_ptr<QB_DSP_VST> vst;
    std::vector<float> outL, outR, silence;
};
