#include "plugin/dsp_vst.h"

#include <cstring>
#include <new>

#include "plugin/identity.h"

QB_DSP_VST::QB_DSP_VST(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
    programsAreChunks(true);
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(kQbUniqueId);
    noSoundInStop(false);
    canProcessReplacing(true);
    // Control changes arrive as MIDI controllers.
    wantEvents(1);
}

QB_DSP_VST::~QB_DSP_VST() = default;

void QB_DSP_VST::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    const size_t bytes = sizeof(float) * static_cast<size_t>(sampleFrames);
    std::memset(outputs[0], 0, bytes);
    std::memset(outputs[1], 0, bytes);
}

AudioEffect* qbCreateEffect(audioMasterCallback audioMaster) {
    try {
        return new (std::nothrow) QB_DSP_VST(audioMaster);
    } catch (...) {
        // A member allocation failed inside the constructor: no instance.
        return nullptr;
    }
}
