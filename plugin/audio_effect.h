// The host boundary: the descriptor handed to the host, the static trampolines the host
// calls through it, and the dispatcher that turns opcodes into virtual operations.
//
// AudioEffect covers the 1.0 opcodes, AudioEffectX the 2.x ones. The processor derives
// from AudioEffectX and overrides what it does; everything else answers the defaults
// below. Host input is checked here (indices, null buffers, sizes) so that overrides
// receive only values in range.
#pragma once

#include <atomic>

#include "platform/vst2.h"
#include "plugin/editor_interface.h"

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;
    // Dispatcher thread (effClose): destroys the editor, then the derived state.
    virtual ~AudioEffect();

    // Any thread: the record the host keeps.
    AEffect* getAeffect() { return &cEffect; }

    // Dispatcher thread (effProcessEvents arrives on the audio thread): one host opcode.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    // ---- parameters --------------------------------------------------------------
    // Any host thread (dispatcher, UI or the host's parameter thread); index is a
    // control number 0..numControls-1 and value is not NaN.
    virtual void setParameter(VstInt32 index, float value) {}
    // Any thread but the audio thread (the processor's answer takes its host mutex).
    virtual float getParameter(VstInt32 index) { return 0.f; }
    // UI thread: an edit made in the editor; sets the parameter, then tells the host
    // for host parameters only.
    virtual void setParameterAutomated(VstInt32 index, float value);
    // Editor thread: a user's edit of a host parameter starts / ends (the host groups
    // the automation it records between them). True when the host answered.
    bool beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index, 0, nullptr, 0.f) != 0; }
    bool endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index, 0, nullptr, 0.f) != 0; }

    // Dispatcher thread; index in 0..numParams-1 (getParameterName: any index of 0 or
    // more), text holds at least 9 bytes.
    virtual void getParameterLabel(VstInt32 index, char* label) { label[0] = '\0'; }
    virtual void getParameterDisplay(VstInt32 index, char* text) { text[0] = '\0'; }
    virtual void getParameterName(VstInt32 index, char* text) { text[0] = '\0'; }

    // ---- programs ----------------------------------------------------------------
    // Dispatcher thread; program in 0..numPrograms-1.
    virtual void setProgram(VstInt32 program) { curProgram.store(program, std::memory_order_relaxed); }
    // Any thread.
    virtual VstInt32 getProgram() { return curProgram.load(std::memory_order_relaxed); }
    // Dispatcher thread; name is a terminated text.
    virtual void setProgramName(char* name) {}
    // Dispatcher thread; name holds at least 25 bytes.
    virtual void getProgramName(char* name) { name[0] = '\0'; }
    // Dispatcher thread: points *data at the chunk, answers its size in bytes (0: none).
    virtual VstInt32 getChunk(void** data, bool isPreset) { return 0; }
    // Dispatcher thread: restores a chunk of byteSize > 0 bytes; answers the size taken.
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) { return 0; }

    // ---- set-up ------------------------------------------------------------------
    // Dispatcher thread, while suspended; rate is finite and at least 1 Hz.
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    // Dispatcher thread, while suspended; size is positive.
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }
    // Dispatcher thread: the host stops / starts processing.
    virtual void suspend() {}
    virtual void resume() {}

    // ---- audio -------------------------------------------------------------------
    // Audio thread: the deprecated accumulating process; does nothing.
    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames) {}
    // Audio thread: every buffer pointer is valid and sampleFrames > 0. The base
    // writes silence.
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);
    // Audio thread: not advertised; does nothing.
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {}

    // ---- descriptor set-up (constructor of the derived class) ---------------------
    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setNumInputs(VstInt32 count) { cEffect.numInputs = count; }
    void setNumOutputs(VstInt32 count) { cEffect.numOutputs = count; }
    void setInitialDelay(VstInt32 frames) { cEffect.initialDelay = frames; }
    void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
    void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
    void noSoundInStop(bool state) { setFlag(effFlagsNoSoundInStop, state); }
    // Takes ownership of the editor (or none) and announces it in the flags.
    void setEditor(AEffEditor* newEditor);
    AEffEditor* getEditor() const { return editor; }

protected:
    // Calls the host, answering 0 when there is no host callback.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    void setFlag(VstInt32 flag, bool state) {
        cEffect.flags = state ? (cEffect.flags | flag) : (cEffect.flags & ~flag);
    }
    bool isParameterIndex(VstInt32 index) const { return index >= 0 && index < numParams; }
    // The host's setParameter reaches every control, not only the host parameters:
    // 0..numControls-1. Equal to numParams unless the derived class has more controls.
    void setNumControls(VstInt32 count) { numControls = count; }

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numControls;
    // Written by program changes, read by getProgram on any thread.
    std::atomic<VstInt32> curProgram{0};
    AEffect cEffect;

private:
    static VstIntPtr VSTCALLBACK dispatchTrampoline(AEffect* e, VstInt32 opcode, VstInt32 index,
                                                    VstIntPtr value, void* ptr, float opt);
    static void VSTCALLBACK processTrampoline(AEffect* e, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
    static void VSTCALLBACK processReplacingTrampoline(AEffect* e, float** inputs, float** outputs,
                                                       VstInt32 sampleFrames);
    static void VSTCALLBACK processDoubleReplacingTrampoline(AEffect* e, double** inputs,
                                                             double** outputs, VstInt32 sampleFrames);
    static void VSTCALLBACK setParameterTrampoline(AEffect* e, VstInt32 index, float value);
    static float VSTCALLBACK getParameterTrampoline(AEffect* e, VstInt32 index);
};

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

    // Dispatcher thread: the 2.x opcodes; the rest go to AudioEffect::dispatcher.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // Audio thread: the block's MIDI and other events; answers 1 when taken.
    virtual VstInt32 processEvents(VstEvents* events) { return 0; }
    // Dispatcher thread; index in 0..numParams-1.
    virtual bool canParameterBeAutomated(VstInt32 index) { return true; }
    // Dispatcher thread; index in 0..numPrograms-1, text holds at least 25 bytes.
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) { return false; }
    // Dispatcher thread: "Left In"/"Right In", "Left Out"/"Right Out" for pins 0 and 1;
    // any other index answers false and leaves the record untouched.
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties);
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties);
    // Dispatcher thread: both sides stereo; points the host's pointers at our records.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                       VstSpeakerArrangement** pluginOutput);
    // Dispatcher thread: identity answers; texts hold 33 (name) or 65 bytes.
    virtual VstPlugCategory getPlugCategory() { return kPlugCategMastering; }
    virtual bool getEffectName(char* name);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual VstInt32 getVendorVersion();
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    virtual VstInt32 getNumMidiInputChannels() { return 16; }
    // Dispatcher thread: effVendorSpecific; answers 0 for anything not understood.
    virtual VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) { return 0; }
    // Dispatcher thread: 1 (yes), -1 (no) or 0 (unknown) for a capability string.
    virtual VstInt32 canDo(const char* text);

    // Asks the host to send MIDI events (audioMasterWantMidi).
    void wantEvents(VstInt32 filter = 1) { callHost(audioMasterWantMidi, 0, filter, nullptr, 0.f); }

private:
    VstSpeakerArrangement inputArrangement;
    VstSpeakerArrangement outputArrangement;
};
