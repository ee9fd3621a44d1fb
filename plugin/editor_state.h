// The processor state the editor reads and writes: the values of the program last
// loaded, the two "values are being pushed" flags, and the global displays.
//
// The editor works on its UI thread, but a parameter change can reach its widgets on the
// host's parameter thread (or during a program change on the dispatcher thread), where
// widgets read these fields too. Every field is therefore an atomic of its own, read and
// written relaxed: none of them must be seen together with another.
#pragma once

#include <atomic>
#include <cstdint>

#include "plugin/parameters.h"

class QB_EditorState {
public:
    QB_EditorState() {
        for (auto& v : loadedProgramValues_) v.store(0.f, std::memory_order_relaxed);
    }
    QB_EditorState(const QB_EditorState&) = delete;
    QB_EditorState& operator=(const QB_EditorState&) = delete;

    // The normalised value of control in the program last selected (0 outside 0..40).
    // Written by the program change (dispatcher thread); read by the editor (any thread).
    float loadedProgramValue(int32_t control) const {
        return inRange(control) ? loadedProgramValues_[control].load(std::memory_order_relaxed) : 0.f;
    }
    void setLoadedProgramValue(int32_t control, float x) {
        if (inRange(control)) loadedProgramValues_[control].store(x, std::memory_order_relaxed);
    }

    // True while a program change pushes its values. Written by the program change;
    // read by widgets on any thread.
    bool programChanging() const { return programChanging_.load(std::memory_order_relaxed); }
    void setProgramChanging(bool on) { programChanging_.store(on, std::memory_order_relaxed); }

    // True from construction until the first window is built, and while the editor builds
    // its window and pushes the parameters into it. Written on the UI thread; read by
    // widgets on any thread.
    bool editorBuilding() const { return editorBuilding_.load(std::memory_order_relaxed); }
    void setEditorBuilding(bool on) { editorBuilding_.store(on, std::memory_order_relaxed); }

    // The control numbers of the global number and name displays, and the control they
    // show; 0 = none. Written on the UI thread; read by widgets on any thread.
    int32_t globalNumberDisplayIndex() const { return globalNumberDisplay_.load(std::memory_order_relaxed); }
    void setGlobalNumberDisplayIndex(int32_t control) { globalNumberDisplay_.store(control, std::memory_order_relaxed); }
    int32_t globalNameDisplayIndex() const { return globalNameDisplay_.load(std::memory_order_relaxed); }
    void setGlobalNameDisplayIndex(int32_t control) { globalNameDisplay_.store(control, std::memory_order_relaxed); }
    int32_t globalDisplayTag() const { return globalDisplayTag_.load(std::memory_order_relaxed); }
    void setGlobalDisplayTag(int32_t control) { globalDisplayTag_.store(control, std::memory_order_relaxed); }

private:
    static bool inRange(int32_t control) { return control >= 0 && control < kNumControls; }

    std::atomic<float> loadedProgramValues_[kNumControls];
    std::atomic<bool> programChanging_{false};
    std::atomic<bool> editorBuilding_{true};
    std::atomic<int32_t> globalNumberDisplay_{0};
    std::atomic<int32_t> globalNameDisplay_{0};
    std::atomic<int32_t> globalDisplayTag_{0};
};
static_assert(std::atomic<float>::is_always_lock_free && std::atomic<bool>::is_always_lock_free &&
                  std::atomic<int32_t>::is_always_lock_free,
              "widgets read the editor state from any thread, including the host's parameter thread");
