// The voice input manager: turns MIDI note messages into per-voice events and gives the
// copies of its voice block out to notes, enabling a copy while it has a voice and
// disabling it when the voice is freed. With every voice in use a new note steals the
// voice that started first: the voice mixer fades it out and then reports it finished,
// and the waiting note starts on it.
//
// Voice modules read, per voice, a gate (1 while the key is down, 0 otherwise, in graph
// units; its events carry 10 and 0 as intValue), a pitch stream (0.1 per octave, 0 at
// MIDI note 9) and a velocity stream, and get an event on each when a note starts.
//
// Audio thread only, except construction, attachVoiceTarget and destruction, which run
// while the graph is built or destroyed.
#pragma once

#include <cstdint>
#include <memory>

#include "dsp/framework/module_base.h"

class QB_DSP_Midi_to_Poly : public QB_ModuleBase {
public:
    enum InPort : int32_t {
        kInMidi = 0,           // intValue: status | data1 << 8 | data2 << 16
        kInVelocityCurve = 9,  // intValue 0..6
        kInSensitivity = 10,   // floatValue s: velocity = curve * s/10 + 1 - s/10
    };
    enum OutPort : int32_t { kOutGate = 0, kOutPitch = 1, kOutVelocity = 2 };

    // noteState values: 0 free; kInUse | note while the voice holds a note; kInUse alone
    // once released; kStealMarked from the steal until the mixer starts the fade;
    // kFading until the mixer reports the fade finished.
    static constexpr uint32_t kInUse = 0x80000000u;
    static constexpr uint32_t kStealMarked = 0x84000000u;
    static constexpr uint32_t kFading = 0x82000000u;

    QB_DSP_Midi_to_Poly(QB_GraphHost* owner, bool createDisabled);
    ~QB_DSP_Midi_to_Poly() override;

    void mainRoutine(uint32_t offset, uint32_t count) override;  // writes the control streams
    void prepare() override;
    void resume() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void attachVoiceTarget(QB_ModuleBase* module, int32_t kind, int32_t port, int32_t voice,
                           const QB_VoiceBlock& block) override;

    // Posts an event of output outPort to voice v's copy of each receiver.
    void sendToVoice(uint32_t t, int32_t v, int32_t outPort, uint16_t rateFlag, int32_t intValue, float floatValue,
                     uint64_t extra);
    void enableVoice(int32_t v);
    void disableVoice(int32_t v);
    // The mixer has faded voice v out, at sample time t: the waiting note starts on it,
    // or the voice is freed.
    void voiceFinished(int32_t v, uint32_t t);
    void handleMidi(uint32_t message, int32_t voiceHint);

    // The velocity curve c (0..6, others as 0) at v in 0..1.
    static float velocityCurveAt(int32_t c, float v);

    int32_t voiceCount() const { return voiceCount_; }
    uint32_t noteState(int32_t v) const { return voices_[v].noteState; }
    void setNoteState(int32_t v, uint32_t state) { voices_[v].noteState = state; }
    // Sample time at which voice v was marked for stealing.
    uint32_t stealTime(int32_t v) const { return voices_[v].stealTime; }

    int32_t velocityCurve = 0;
    float velocityScale = 0.0f;
    float velocityOffset = 0.0f;

private:
    struct Voice {
        uint32_t noteState;
        uint32_t startTime;
        uint32_t stealTime;
        uint32_t pendingMessage;  // the note-on waiting for a stolen voice, 0 none
        float gate;
        float velocityValue;
        float pitchValue;
        int32_t streamCountdown;
        float* pitchStream;
        float* velocityStream;
    };
    void startNote(int32_t v, uint32_t message);
    void release(int32_t v);
    bool modulesOf(int32_t v, int32_t& first, int32_t& last) const;

    std::unique_ptr<Voice[]> voices_;
    int32_t voiceCount_ = 0;
    int32_t firstVoiceModule = 0;
    int32_t modulesPerVoice = 0;
};
