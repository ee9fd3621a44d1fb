// The plug-in's window: built from the control descriptor table on open, carrying values
// both ways while open, refreshed every 14 ms by its frame timer.
//
// Threads: open, close, idle, keys and every widget belong to the editor's thread (the
// host's thread that opened it). setParameter may come on any thread, the audio thread
// included: there it only stores the value, lock-free, for the editor's thread to apply
// at its next service; on the editor's thread itself it applies at once.
//
// A host that never calls idle (or stops calling it for kIdleMissing) would leave the
// window frozen: where the window runs a timer of its own on the editor's thread (Win32),
// that timer services it every 14 ms; elsewhere a keeper thread of the editor's does, and
// is the editor's thread while it does. Host calls and the keeper take turns under one
// lock, so the window, its display connection and the widgets are never touched by two
// threads at once; the audio thread never takes that lock.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "plugin/dsp_vst.h"
#include "plugin/editor_interface.h"
#include "plugin/parameters.h"
#include "toolkit/control.h"
#include "toolkit/editor_interface.h"
#include "toolkit/font.h"
#include "toolkit/frame.h"
#include "toolkit/tooltip.h"

class QB_Frame_Timer;
class QB_GlobalNumberDisplay;
class QB_GlobalNameDisplay;

class QB_GUI_Editor : public AEffEditor, public VSTGUI::VSTGUIEditorInterface, public VSTGUI::CControlListener {
public:
    static constexpr int kMaxContainers = 10;
    // How long the host may leave the window without idle before the keeper takes over.
    static constexpr std::chrono::milliseconds kIdleMissing{200};

    explicit QB_GUI_Editor(QB_DSP_VST* processor);
    ~QB_GUI_Editor() override;

    // ---- host side (AEffEditor) ---------------------------------------------------------
    bool getRect(ERect** rect) override;
    // parent: the host's window; hostDisplay: what the host passed beside it (Linux: its
    // X11 Display*), or nullptr.
    bool open(void* parent) override { return openIn(parent, nullptr); }
    bool openIn(void* parent, void* hostDisplay);
    // Opens in a window made by the caller (an off-screen one for tests and snapshots).
    // keeper: service it from the editor's own thread when the host does not idle.
    bool openInWindow(std::unique_ptr<QB_Window> window, bool keeper = false);
    void close() override;
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    // The table the next open builds from (the shipped one unless a test gives another;
    // ranges and names still come from the shipped table's records of each control).
    void useTable(const QB_ControlDescriptor* table, int32_t length) {
        table_ = table;
        tableLength_ = length;
    }
    // Closed: opens off-screen, draws once and writes the window to a PNG file.
    bool writeSnapshot(const char* path) override;
    // Any thread: control (0..40) now has the normalised value.
    void setParameter(VstInt32 index, float value) override;

    // ---- the frame's editor (VSTGUIEditorInterface) ---------------------------------------
    void doIdleStuff() override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;

    // ---- the widgets' listener (CControlListener) ------------------------------------------
    void valueChanged(VSTGUI::CControl* control) override;
    // Opens the MIDI-learn menu of control's parameter at where (frame coordinates).
    void openMidiLearnMenu(VSTGUI::CControl* control, const VSTGUI::CPoint& where);

    // ---- what widgets read and call --------------------------------------------------------
    QB_DSP_VST* processor() const { return processor_; }
    QB_EditorState& state() const { return processor_->editorState(); }
    // A program change's values are being pushed (also while posted ones from a program
    // change are applied).
    bool programChanging() const { return applyingProgram_ || state().programChanging(); }
    bool editorBuilding() const { return state().editorBuilding(); }
    // The control in the slot of a control number (nullptr when the slot holds none or
    // a passive view).
    VSTGUI::CControl* widget(int32_t control) const;
    // Whatever the slot holds.
    VSTGUI::CView* slot(int32_t control) const {
        return control >= 0 && control < kNumControls ? slots_[control] : nullptr;
    }
    // A widget was touched: the global displays show it (number display: with value).
    void showInGlobalDisplays(int32_t control, float value);
    // The global number display's set value, when control is the one it shows.
    void forwardToGlobalDisplay(int32_t control, float value);

    VSTGUI::CFrame* frame() const { return frame_; }
    QB_Frame_Timer* frameTimer() const { return timer_.get(); }
    VSTGUI::CTooltipSupport* tooltips() const { return tooltips_.get(); }
    // Refresh ticks run since open (for tests).
    int64_t ticksRun() const { return ticks_; }

    // Runs the refresh ticks due by now and redraws once: the host's idle, or a test.
    void service(std::chrono::steady_clock::time_point now);
    // When the open window's frame timer started: its ticks fall 14 ms apart from here.
    std::chrono::steady_clock::time_point openedAt() const { return opened_; }
    // How many services the keeper thread has run since open.
    int64_t keeperServices() const { return keeperServices_.load(std::memory_order_relaxed); }
    // Runs look on this thread while no other touches the window (for tests).
    template <class Look>
    void withWindow(Look&& look) {
        std::lock_guard<std::recursive_mutex> ui(uiMutex_);
        look();
    }

private:
    friend class QB_ControlBuilder;
    bool finishOpen(VSTGUI::CFrame* frame, bool keeper);
    void serviceLocked(std::chrono::steady_clock::time_point now);
    void keeperLoop();
    void stopKeeper();
    // Applies the values other threads stored, on the editor's thread.
    void applyPosted();
    void applyParameter(int32_t index, float value);
    bool onEditorThread() const { return editorThread_.load(std::memory_order_relaxed) == std::this_thread::get_id(); }

    QB_DSP_VST* processor_;
    const QB_ControlDescriptor* table_;
    int32_t tableLength_;
    ERect rect_{0, 0, 0, 0};
    VSTGUI::CBitmap* background_ = nullptr;
    VSTGUI::CFrame* frame_ = nullptr;
    std::unique_ptr<VSTGUI::CTooltipSupport> tooltips_;
    std::unique_ptr<QB_Frame_Timer> timer_;
    VSTGUI::CView* slots_[kNumControls] = {};
    VSTGUI::CViewContainer* containers_[kMaxContainers] = {};
    std::chrono::steady_clock::time_point created_;
    int64_t ticks_ = 0;
    bool applyingProgram_ = false;

    std::atomic<std::thread::id> editorThread_{};
    // Held by whichever thread touches the window or the widgets (recursive: a widget's
    // change comes back to setParameter on the same thread).
    std::recursive_mutex uiMutex_;
    std::thread keeper_;
    std::mutex keeperMutex_;
    std::condition_variable keeperWake_;
    bool keeperStop_ = false;
    std::atomic<int64_t> lastHostService_{0};  // steady clock, nanoseconds
    std::chrono::steady_clock::time_point opened_{};
    std::atomic<int64_t> keeperServices_{0};
    // Values set on other threads, waiting for the editor's thread: the latest value of
    // each control, a bit per control that has one, and a bit per control whose value
    // came from a program change.
    std::atomic<float> posted_[kNumControls];
    std::atomic<uint64_t> postedBits_{0};
    std::atomic<uint64_t> postedProgramBits_{0};
};

// Creates the processor's editor; the entry point hands this to the processor.
AEffEditor* qbCreateEditor(QB_DSP_VST* processor);
