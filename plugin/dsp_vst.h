// The plug-in processor: the object behind the descriptor the host holds, and the
// graph host its modules talk to.
#pragma once

#include "dsp/framework/graph_host.h"
#include "platform/vst2.h"
#include "plugin/audio_effect.h"

class QB_DSP_VST : public AudioEffectX, public QB_GraphHost {
public:
    static constexpr VstInt32 kNumPrograms = 16;
    static constexpr VstInt32 kNumParams = 18;

    // Entry point (host's loading thread): fills the descriptor and asks for MIDI.
    explicit QB_DSP_VST(audioMasterCallback audioMaster);
    // Dispatcher thread (effClose).
    ~QB_DSP_VST() override;

    // Audio thread: no graph yet, so both outputs are silent.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    // Audio thread: events are taken (and, without a graph, dropped).
    VstInt32 processEvents(VstEvents* events) override { return 1; }
};

// Entry point (host's loading thread): creates the processor for a host callback, or
// answers nullptr when it cannot be created. Never throws.
AudioEffect* qbCreateEffect(audioMasterCallback audioMaster);
