// The voice mixer: sums the outputs of a voice block's copies into its own outputs, one
// per mixed voice output, over the voices in use. A voice the manager has marked for
// stealing fades out over 5 ms from the sample of the steal; when the fade is over the
// mixer tells the manager, which starts the waiting note on it.
//
// Audio thread only, except construction, attachVoiceSource and destruction, which run
// while the graph is built or destroyed.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp/framework/module_base.h"

class QB_DSP_Midi_to_Poly;

class QB_DSP_Poly_to_Mono : public QB_ModuleBase {
public:
    QB_DSP_Poly_to_Mono(QB_GraphHost* owner, bool createDisabled);

    void mainRoutine(uint32_t offset, uint32_t count) override;  // the mix
    void prepare() override;
    void attachVoiceSource(QB_ModuleBase* manager, int32_t firstModule, int32_t voices, int32_t stride,
                           int32_t sourcePort, int32_t outPort) override;

    int32_t mixedOutputs() const { return mixedCount; }
    int32_t fadeLength() const { return fadeSamples; }

private:
    struct Fade {
        float gain;
        int32_t delay;      // samples of full gain before the gain starts to fall
        int32_t countdown;  // samples until the fade is over; 0 when not fading
    };
    // Advances a fade by one sample and answers the gain of that sample.
    static float fadeStepOf(Fade& f, float step);

    QB_DSP_Midi_to_Poly* manager_ = nullptr;
    int32_t voices_ = 0;
    int32_t mixedCount = 0;
    int32_t fadeSamples = 1;
    float fadeStep = 1.0f;
    int32_t quietCountdown = 0;
    std::vector<const float*> voiceBuffers[kMaxPorts];  // per mixed output, one per voice
    int16_t announced[kMaxPorts];
    std::vector<Fade> fades_;
};
