// The plug-in processor: the object behind the descriptor the host holds. It owns the
// program bank, the control values, the editor (when one exists) and the module graph.
//
// Threads: the host's audio thread calls processReplacing and processEvents; the
// dispatcher/editor thread (and sometimes a third, parameter thread) calls everything
// else. Host-side state (bank, control values, names) is guarded by a mutex that the audio
// thread never takes; control changes cross to the graph through a lock-free mailbox, and
// changes made on the audio thread come back to the host side through a second one. What
// the editor and other threads read without the mutex (the current program, the control
// values, the editor state, the suspended flag) is atomic. What the command module asks
// for on the audio thread (saving the bank, opening an address) is carried out by the
// processor's service thread, which runs from the first graph build to destruction.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "dsp/framework/signal_graph.h"
#include "platform/vst2.h"
#include "plugin/audio_effect.h"
#include "plugin/control_mailbox.h"
#include "plugin/control_table.h"
#include "plugin/editor_state.h"
#include "plugin/identity.h"
#include "plugin/parameters.h"
#include "plugin/program_record.h"

class QB_DSP_VST;
struct QB_GraphDefinition;
// Opens a web address without waiting (qbOpenAddress); tests stand in their own.
using QB_AddressOpener = bool (*)(const char* url);
// Makes the processor's editor (the entry point passes the editor layer's), or nullptr.
using QB_EditorFactory = AEffEditor* (*)(QB_DSP_VST* processor);

class QB_DSP_VST : public AudioEffectX, public QB_SignalGraph {
public:
    // Entry point (host's loading thread): fills the descriptor, seeds and loads the
    // bank, creates the editor when a factory is given, asks for MIDI and selects
    // program 0.
    explicit QB_DSP_VST(audioMasterCallback audioMaster, QB_EditorFactory editorFactory = nullptr);
    // Dispatcher thread (effClose).
    ~QB_DSP_VST() override;

    // ---- audio thread ----------------------------------------------------------
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    VstInt32 processEvents(VstEvents* events) override;

    // ---- dispatcher thread, while the host is not processing ---------------------
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void suspend() override;
    void resume() override;

    // ---- any non-audio thread (setParameter also on the audio thread, for MIDI) ----
    // Any control number 0..40; others are ignored.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    // ---- the processor's own operations ----------------------------------------
    // Dispatcher/editor thread: MIDI-learn assignments, kept in program record 0.
    void setMidiController(VstInt32 param, VstInt32 controller);
    VstInt32 getMidiController(VstInt32 param);
    // A module (audio thread) or the editor sets a control, in graph units.
    void setControlFromModule(int32_t control, float value, int32_t send) override;
    // Writes the 16 programs to the bank file. From the audio thread the write is
    // handed to the service thread.
    void writeBankFile() override;
    // Opens entry index of kQbCommandAddresses (an empty entry does nothing). From the
    // audio thread the opening is handed to the service thread.
    void openAddress(int32_t index) override;
    // Any non-audio thread (the service thread polls it): carries out the bank writes and
    // address openings the audio thread has asked for, each once.
    void serviceRequests();
    // Dispatcher thread, while the host is not processing: the graph the next resume
    // builds (the shipped one until then). The definition must outlive the processor.
    void setGraphDefinition(const QB_GraphDefinition& graph);
    // Dispatcher thread: the editor snapshot request (kQbEditorSnapshot).
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    // Construction: copies the factory bank resource into the bank.
    void loadFactoryBank(const char* name);

    // ---- state the editor reads, any thread --------------------------------------
    // The current value of a control in graph units, as the host side knows it (0 for a
    // number outside 0..40).
    float controlValue(int32_t control) const {
        return control >= 0 && control < kNumControls ? controlValues[control].load(std::memory_order_relaxed) : 0.f;
    }
    // True between suspend and resume.
    bool isSuspended() const { return suspended.load(std::memory_order_relaxed) != 0; }
    QB_EditorState& editorState() { return editorState_; }
    const QB_EditorState& editorState() const { return editorState_; }

    // ---- host-side state: dispatcher thread under the host mutex (tests read it) ------
    int32_t builtSampleRate = 0;
    int32_t builtBlockSize = 0;
    int32_t tablesSampleRate = 0;
    QB_ProgramRecord* bank = nullptr;
    QB_ProgramRecord* globalRecord = nullptr;
    QB_ProgramRecord* currentRecord = nullptr;
    int32_t timerPeriodResult = -1;
    int32_t emptyNameCounter = 0;
    // What opens addresses; set before the host processes.
    QB_AddressOpener addressOpener;

protected:
    void beforeSubBlock() override;

private:
    bool onAudioThread() const;
    // The record that holds parameter p: record 0 for global parameters, else the current.
    QB_ProgramRecord* recordFor(int32_t param);
    // Host side, hostMutex held.
    void setParameterLocked(int32_t index, float x);
    // Loads a program's values (hostMutex held) and raises the program-changing flag;
    // finishProgramChange then shows them in the editor (hostMutex released) and lowers it.
    void setProgramLocked(int32_t program, float (&loaded)[kNumParams]);
    void finishProgramChange(const float (&loaded)[kNumParams]);
    // Tells the editor (when there is one) that control has the normalised value x.
    void tellEditor(int32_t control, float x) {
        if (editor != nullptr) editor->setParameter(control, x);
    }
    void syncFromAudio();
    void refreshMidiMap();
    void seedBank();
    // The bank's streamed image (hostMutex held).
    void bankFileImage(unsigned char (&image)[kBankFileSize]);
    void rebuildTablesIfNeeded();
    // The service thread: started with the first graph, stopped by the destructor.
    void startService();
    void stopService();

    std::mutex hostMutex;
    // Written under hostMutex, read without it (controlValue).
    std::atomic<float> controlValues[kNumControls];
    std::atomic<int32_t> suspended{0};
    QB_EditorState editorState_;
    // Host threads -> audio thread. Its producers all hold hostMutex, so it has one
    // producer at a time; the audio thread drains it before each sub-block, and resume
    // clears it (also a drain) only while the host is not processing.
    QB_ControlMailbox toGraph;
    QB_ControlMailbox toHost;   // audio thread -> host side
    std::atomic<int16_t> midiMap[kNumParams];
    // Audio thread -> serviceRequests: presses of each address button not yet carried
    // out, and whether the bank file is to be written.
    std::atomic<uint32_t> openRequests[kQbCommandAddressCount] = {};
    std::atomic<bool> saveRequested{false};
    // Requests from the audio thread are carried out by a thread of the processor's own
    // that looks for them every kServicePeriod: the audio thread only sets bits (no lock,
    // no wake-up call), slow work (the disk flush, starting a process) holds up neither
    // the audio thread nor the host's user interface, and it happens whether or not the
    // host calls the plug-in again.
    std::thread serviceThread;
    std::mutex serviceMutex;
    std::condition_variable serviceWake;
    bool serviceStopping = false;  // serviceMutex
    const QB_GraphDefinition* graphDefinition;
    // The last frame of a host block a MIDI event may name: the declared block size - 1.
    std::atomic<int32_t> lastEventFrame{1023};
    // getChunk hands out copies, so a host reading a chunk never races a later change.
    QB_ProgramRecord programChunk{};
    QB_ProgramRecord bankChunk[kNumPrograms]{};
};

// Entry point (host's loading thread): creates the processor for a host callback, or
// answers nullptr when it cannot be created. Never throws.
AudioEffect* qbCreateEffect(audioMasterCallback audioMaster, QB_EditorFactory editorFactory = nullptr);
