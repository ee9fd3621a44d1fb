#include "dsp/modules/midi_to_poly.h"

#include <cmath>
#include <new>

#include "dsp/modules/stream_helpers.h"

namespace {

constexpr float kVelocityUnit = 0.007874016f;  // 1/127
constexpr float kPitchPerNote = 0.008333334f;  // 0.1 per octave
constexpr int32_t kPitchZeroNote = 9;           // 13.75 Hz
constexpr int32_t kGateDown = 10;               // intValue of a gate event while the key is down

uint32_t noteOf(uint32_t message) { return (message >> 8) & 0x7Fu; }
uint32_t velocityOf(uint32_t message) { return (message >> 16) & 0x7Fu; }

}  // namespace

QB_DSP_Midi_to_Poly::QB_DSP_Midi_to_Poly(QB_GraphHost* owner, bool createDisabled)
    : QB_ModuleBase(owner, createDisabled) {}

QB_DSP_Midi_to_Poly::~QB_DSP_Midi_to_Poly() {
    for (int32_t v = 0; v < voiceCount_; ++v) {
        freeBuffer(voices_[v].pitchStream);
        freeBuffer(voices_[v].velocityStream);
    }
}

void QB_DSP_Midi_to_Poly::attachVoiceTarget(QB_ModuleBase* module, int32_t kind, int32_t port, int32_t voice,
                                            const QB_VoiceBlock& block) {
    if (module == nullptr) {
        // The block this manager serves; only the first one is taken.
        if (voiceCount_ > 0 || block.voices <= 0 || block.modulesPerVoice <= 0) return;
        voices_.reset(new (std::nothrow) Voice[block.voices]());
        if (!voices_) return;
        bool allocated = true;
        for (int32_t v = 0; v < block.voices; ++v) {
            voices_[v].pitchStream = allocateBuffer(ringLength + 4u);
            voices_[v].velocityStream = allocateBuffer(ringLength + 4u);
            allocated = allocated && voices_[v].pitchStream != nullptr && voices_[v].velocityStream != nullptr;
        }
        if (!allocated) {  // memory is short: the manager serves no voices
            for (int32_t v = 0; v < block.voices; ++v) {
                freeBuffer(voices_[v].pitchStream);
                freeBuffer(voices_[v].velocityStream);
            }
            voices_.reset();
            return;
        }
        voiceCount_ = block.voices;
        firstVoiceModule = block.firstModule;
        modulesPerVoice = block.modulesPerVoice;
        return;
    }
    if (voice < 0 || voice >= voiceCount_ || block.firstModule != firstVoiceModule) return;
    Voice& s = voices_[voice];
    switch (kind) {
    case kOutGate:
        module->setInput(port, &s.gate);
        break;
    case kOutPitch:
        module->setInput(port, s.pitchStream);
        break;
    case kOutVelocity:
        module->setInput(port, s.velocityStream);
        break;
    default:
        break;
    }
}

void QB_DSP_Midi_to_Poly::prepare() {
    setRoutine(&QB_ModuleBase::sleepRoutine);
    flags |= kAsleep;
    for (int32_t v = 0; v < voiceCount_; ++v) {
        voices_[v].streamCountdown = 0;
        voices_[v].noteState = 0;
        voices_[v].gate = 0.0f;
        voices_[v].pendingMessage = 0;
    }
}

void QB_DSP_Midi_to_Poly::resume() {
    for (int32_t v = 0; v < voiceCount_; ++v) {
        voices_[v].gate = 0.0f;
        voices_[v].pendingMessage = 0;
        disableVoice(v);
    }
}

void QB_DSP_Midi_to_Poly::handleEvent(QB_Event* e, uint32_t offset) {
    switch (e->port) {
    case kInMidi:
        handleMidi(static_cast<uint32_t>(e->intValue), -1);
        break;
    case kInVelocityCurve:
        velocityCurve = e->intValue;
        break;
    case kInSensitivity:
        velocityScale = e->floatValue * 0.1f;
        velocityOffset = 1.0f - e->floatValue * 0.1f;
        break;
    default:
        break;
    }
}

void QB_DSP_Midi_to_Poly::mainRoutine(uint32_t offset, uint32_t count) {
    bool streaming = false;
    for (int32_t v = 0; v < voiceCount_; ++v) {
        Voice& s = voices_[v];
        if (s.streamCountdown <= 0) continue;
        s.streamCountdown -= static_cast<int32_t>(count);
        if (s.streamCountdown < 0) s.streamCountdown = 0;
        qb::fillRange(s.pitchStream, offset, count, s.pitchValue);
        qb::fillRange(s.velocityStream, offset, count, s.velocityValue);
        streaming = streaming || s.streamCountdown > 0;
    }
    if (!streaming) {
        setRoutine(&QB_ModuleBase::sleepRoutine);
        flags |= kAsleep;
    }
}

float QB_DSP_Midi_to_Poly::velocityCurveAt(int32_t c, float v) {
    const float d = v - 0.5f;
    switch (c) {
    case 1:
        return v * v;
    case 2:
        return v * v * v * v;
    case 3:
        return 1.0f - (1.0f - v) * (1.0f - v);
    case 4:
        return 2.0f * std::fabs(d) * d + 0.5f;
    case 5:
        return 4.0f * (d * d) * d + 0.5f;
    case 6:
        return 2.0f * v - 0.5f - 2.0f * std::fabs(d) * d;
    default:
        return v;
    }
}

void QB_DSP_Midi_to_Poly::handleMidi(uint32_t message, int32_t voiceHint) {
    const uint32_t status = message & 0xF0u;
    if ((message & 0xFFu) >= 0xF0u || voiceCount_ == 0) return;
    const uint32_t controller = message & 0xFFF0u;
    if (controller == 0x78B0u || controller == 0x7BB0u) {
        // All sound off / all notes off: every voice is released, and no waiting note
        // starts after its fade.
        for (int32_t v = 0; v < voiceCount_; ++v) {
            voices_[v].pendingMessage = 0;
            release(v);
        }
        setRoutine(&QB_ModuleBase::mainRoutine);
        return;
    }
    const uint32_t note = noteOf(message);
    if (status == 0x90u && velocityOf(message) > 0) {
        int32_t v = voiceHint;
        for (int32_t k = 0; v < 0 && k < voiceCount_; ++k)
            if (voices_[k].noteState == 0) v = k;
        if (v >= 0) {
            startNote(v, message);
            return;
        }
        // Steal the voice that started first, among those not already on their way out;
        // one that started at this very sample is not old enough.
        int32_t oldest = -1;
        uint32_t oldestAge = 0;
        for (int32_t k = 0; k < voiceCount_; ++k) {
            const Voice& s = voices_[k];
            if (s.noteState == kStealMarked || s.noteState == kFading) continue;
            const uint32_t age = time - s.startTime;
            if (static_cast<int32_t>(age) > 0 && age > oldestAge) {
                oldest = k;
                oldestAge = age;
            }
        }
        if (oldest < 0) return;
        voices_[oldest].pendingMessage = message;
        voices_[oldest].noteState = kStealMarked;
        voices_[oldest].stealTime = time;
        return;
    }
    if (status == 0x80u || status == 0x90u) {
        for (int32_t v = 0; v < voiceCount_; ++v) {
            Voice& s = voices_[v];
            if (s.gate != 0.0f && s.noteState == (kInUse | note)) {
                release(v);
                return;
            }
        }
        // A note still waiting for its stolen voice is not started at all.
        for (int32_t v = 0; v < voiceCount_; ++v) {
            Voice& s = voices_[v];
            if (s.pendingMessage != 0 && noteOf(s.pendingMessage) == note) {
                s.pendingMessage = 0;
                return;
            }
        }
    }
}

void QB_DSP_Midi_to_Poly::startNote(int32_t v, uint32_t message) {
    Voice& s = voices_[v];
    const uint32_t note = noteOf(message);
    s.noteState = kInUse | note;
    s.gate = 1.0f;
    s.startTime = time;
    s.pendingMessage = 0;
    const float velocity = static_cast<float>(velocityOf(message)) * kVelocityUnit;
    s.velocityValue = velocityCurveAt(velocityCurve, velocity) * velocityScale + velocityOffset;
    s.pitchValue = static_cast<float>(static_cast<int32_t>(note) - kPitchZeroNote) * kPitchPerNote;
    s.streamCountdown = static_cast<int32_t>(ringLength);
    enableVoice(v);
    sendToVoice(time, v, kOutPitch, 0, 0, s.pitchValue, 0);
    sendToVoice(time, v, kOutGate, 0, kGateDown, 1.0f, 0);
    sendToVoice(time, v, kOutVelocity, 0, 0, 0.0f, 0);
    setRoutine(&QB_ModuleBase::mainRoutine);
}

void QB_DSP_Midi_to_Poly::release(int32_t v) {
    Voice& s = voices_[v];
    s.gate = 0.0f;
    // A held note becomes a released voice, still in use; a voice on its way out stays so.
    if ((s.noteState & ~0xFFFFu) == kInUse) s.noteState = kInUse;
    sendToVoice(time, v, kOutGate, 0, 0, 0.0f, 0);
}

void QB_DSP_Midi_to_Poly::sendToVoice(uint32_t t, int32_t v, int32_t outPort, uint16_t rateFlag, int32_t intValue,
                                      float floatValue, uint64_t extra) {
    if (outPort < 0 || outPort >= kMaxPorts) return;
    for (const QB_Connection* c = connections[outPort]; c != nullptr; c = c->next) {
        const int32_t copies = c->voiceCount > 0 ? c->voiceCount : 1;
        if (v < 0 || v >= copies) continue;
        const int32_t index = c->targetModule + v * c->voiceStride;
        if (index < 0 || index >= QB_GraphHost::kMaxModules) continue;
        QB_ModuleBase* target = owner->moduleTable[index];
        if (target != nullptr) target->postEvent(t, c->targetPort, rateFlag, intValue, floatValue, extra);
    }
}

bool QB_DSP_Midi_to_Poly::modulesOf(int32_t v, int32_t& first, int32_t& last) const {
    if (v < 0 || v >= voiceCount_) return false;
    first = firstVoiceModule + v * modulesPerVoice;
    last = first + modulesPerVoice;
    return first >= 0 && last <= QB_GraphHost::kMaxModules;
}

void QB_DSP_Midi_to_Poly::enableVoice(int32_t v) {
    int32_t first = 0, last = 0;
    if (!modulesOf(v, first, last)) return;
    for (int32_t i = first; i < last; ++i)
        if (QB_ModuleBase* m = owner->moduleTable[i]) m->flags &= ~kDisabled;
}

void QB_DSP_Midi_to_Poly::disableVoice(int32_t v) {
    int32_t first = 0, last = 0;
    if (!modulesOf(v, first, last)) return;
    voices_[v].noteState = 0;
    for (int32_t i = first; i < last; ++i)
        if (QB_ModuleBase* m = owner->moduleTable[i]) m->disable();
}

void QB_DSP_Midi_to_Poly::voiceFinished(int32_t v, uint32_t t) {
    // Only a fading voice can finish: one freed meanwhile (resume) may have a new note.
    if (v < 0 || v >= voiceCount_ || voices_[v].noteState != kFading) return;
    time = t;
    const uint32_t pending = voices_[v].pendingMessage;
    if (pending != 0) {
        handleMidi(pending, v);
        flags &= ~kAsleep;
    } else {
        disableVoice(v);
    }
}
