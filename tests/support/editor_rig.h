// A processor with its editor open in an off-screen window, driven as a host and a user
// would: host calls, input events injected into the window, refresh ticks on a clock the
// test moves. The host callback records the automation calls the editor causes.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "platform/gui/offscreen_window.h"
#include "plugin/dsp_vst.h"

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    float value;
};

class EditorRig {
public:
    EditorRig();
    ~EditorRig();

    QB_DSP_VST& vst() { return *vst_; }
    QB_GUI_Editor& editor() { return *editor_; }
    QB_OffscreenWindow& window() { return *window_; }
    bool open();  // opens in a new off-screen window
    // As open, with the keeper thread that refreshes it when nobody calls idle.
    bool openWithKeeper();
    // As openWithKeeper, in the window given (one that may run a timer of its own).
    bool openWithKeeper(std::unique_ptr<QB_OffscreenWindow> window);
    void close() { editor_->close(); window_ = nullptr; }

    // Moves the clock on by ms and services the editor as a host's idle does.
    void idle(int ms = 14);
    // A press and release at (x, y) with the button bits given (kQbLeftButton ...).
    void click(int x, int y, uint32_t buttons = kQbLeftButton);
    void press(int x, int y, uint32_t buttons = kQbLeftButton);
    void move(int x, int y, uint32_t buttons = kQbLeftButton);
    void release(int x, int y, uint32_t buttons = 0);
    // Keys as the window delivers them while it has the keyboard: one character key per
    // character of text (ASCII), or one key.
    void type(const std::string& text);
    void key(QB_Key key, uint32_t modifiers = 0);

    // The window's back buffer, 0xAARRGGBB.
    uint32_t pixel(int x, int y);
    bool savePng(const std::string& path);

    std::vector<HostCall> calls;
    // The calls of one opcode, in order.
    std::vector<HostCall> callsOf(VstInt32 opcode) const;

private:
    void inject(QB_InputEvent::Type type, int x, int y, uint32_t buttons);
    bool openWith(bool keeper, std::unique_ptr<QB_OffscreenWindow> window = nullptr);

    std::unique_ptr<QB_DSP_VST> vst_;
    QB_GUI_Editor* editor_ = nullptr;
    QB_OffscreenWindow* window_ = nullptr;
    std::chrono::steady_clock::time_point clock_;
};
