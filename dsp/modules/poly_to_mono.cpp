#include "dsp/modules/poly_to_mono.h"

#include "dsp/modules/midi_to_poly.h"
#include "dsp/modules/stream_helpers.h"

QB_DSP_Poly_to_Mono::QB_DSP_Poly_to_Mono(QB_GraphHost* owner, bool createDisabled)
    : QB_ModuleBase(owner, createDisabled) {
    for (auto& a : announced) a = -1;
}

void QB_DSP_Poly_to_Mono::attachVoiceSource(QB_ModuleBase* manager, int32_t firstModule, int32_t voices,
                                            int32_t stride, int32_t sourcePort, int32_t outPort) {
    auto* m = dynamic_cast<QB_DSP_Midi_to_Poly*>(manager);
    if (m == nullptr || outPort < 0 || outPort >= kMaxPorts || voices <= 0) return;
    if (manager_ == nullptr) {
        manager_ = m;
        voices_ = voices < m->voiceCount() ? voices : m->voiceCount();
        fades_.assign(static_cast<size_t>(voices_), Fade{0.0f, 0, 0});
    }
    if (m != manager_ || voices_ == 0 || allocateOutput(outPort) == nullptr) return;
    std::vector<const float*>& buffers = voiceBuffers[outPort];
    buffers.assign(static_cast<size_t>(voices_), nullptr);
    for (int32_t i = 0; i < voices_; ++i) {
        const int32_t index = firstModule + i * stride;
        QB_ModuleBase* source = index >= 0 && index < QB_GraphHost::kMaxModules ? owner->moduleTable[index] : nullptr;
        if (source != nullptr) buffers[static_cast<size_t>(i)] = source->outputBuffer(sourcePort);
    }
    if (outPort + 1 > mixedCount) mixedCount = outPort + 1;
}

void QB_DSP_Poly_to_Mono::prepare() {
    setRoutine(&QB_ModuleBase::mainRoutine);
    fadeSamples = qb::truncToInt(owner->samplesPerMs * 5.0f);
    if (fadeSamples < 1) fadeSamples = 1;
    fadeStep = 1.0f / static_cast<float>(fadeSamples);
    quietCountdown = static_cast<int32_t>(ringLength);
    for (auto& a : announced) a = -1;
    for (Fade& f : fades_) f = Fade{0.0f, 0, 0};
}

float QB_DSP_Poly_to_Mono::fadeStepOf(Fade& f, float step) {
    if (f.delay > 0) {
        --f.delay;
    } else {
        f.gain -= step;
        if (f.gain < 0.0f) f.gain = 0.0f;
    }
    return f.gain;
}

void QB_DSP_Poly_to_Mono::mainRoutine(uint32_t offset, uint32_t count) {
    if (manager_ == nullptr) return;
    using Manager = QB_DSP_Midi_to_Poly;
    // Voices marked for stealing start to fade at the sample of the steal.
    bool inUse = false;
    for (int32_t v = 0; v < voices_; ++v) {
        const uint32_t state = manager_->noteState(v);
        if (state == Manager::kStealMarked) {
            manager_->setNoteState(v, Manager::kFading);
            int32_t delay = static_cast<int32_t>(manager_->stealTime(v) - time);
            if (delay < 0) delay = 0;
            if (delay > static_cast<int32_t>(count)) delay = static_cast<int32_t>(count);
            fades_[static_cast<size_t>(v)] = Fade{1.0f, delay, fadeSamples + delay};
        }
        inUse = inUse || state != 0;
    }

    if (inUse) quietCountdown = static_cast<int32_t>(ringLength);
    if (inUse || quietCountdown > 0) {
        for (int32_t o = 0; o < mixedCount; ++o) {
            float* out = outputs[o];
            if (out == nullptr) continue;
            qb::fillRange(out, offset, count, 0.0f);
            for (int32_t v = 0; v < voices_; ++v) {
                const float* in = voiceBuffers[o][static_cast<size_t>(v)];
                const uint32_t state = manager_->noteState(v);
                if (in == nullptr || state == 0) continue;
                if (state != Manager::kFading) {
                    for (uint32_t i = offset; i < offset + count; ++i) out[i] += in[i];
                    continue;
                }
                Fade f = fades_[static_cast<size_t>(v)];
                for (uint32_t i = offset; i < offset + count; ++i) out[i] += in[i] * fadeStepOf(f, fadeStep);
            }
        }
        if (!inUse) quietCountdown -= static_cast<int32_t>(count);
    }
    for (Fade& f : fades_)
        for (uint32_t i = 0; i < count && f.countdown > 0; ++i) fadeStepOf(f, fadeStep);

    const int16_t rate = inUse ? 1 : 0;
    for (int32_t o = 0; o < mixedCount; ++o) {
        if (outputs[o] == nullptr || announced[o] == rate) continue;
        announced[o] = rate;
        sendEvent(time, o, static_cast<uint16_t>(rate), 0, 0.0f, 0);
    }

    // A fade that is over hands the voice back; a countdown that lands exactly on 0
    // counts as over, so no fade can stay unfinished.
    for (int32_t v = 0; v < voices_; ++v) {
        Fade& f = fades_[static_cast<size_t>(v)];
        if (f.countdown <= 0) continue;
        f.countdown -= static_cast<int32_t>(count);
        if (f.countdown <= 0) {
            f.countdown = 0;
            manager_->voiceFinished(v, time + count);
        }
    }
}
