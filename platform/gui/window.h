// The window interface the toolkit lives in: a child window inside a host's window (X11
// on Linux, Win32 on Windows) or an off-screen window with no display, for tests and
// snapshots. The toolkit draws into the window's back buffer, tells it which part to show,
// and receives input through its listener.
//
// Threads: a window is made, pumped, drawn and destroyed on one thread, the editor's.
// Nothing here may be called from any other thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/canvas.h"

// Mouse-button and modifier bits of an input event.
enum QB_ButtonBits : uint32_t {
    kQbLeftButton = 2,
    kQbMiddleButton = 4,
    kQbRightButton = 8,
    kQbShift = 16,
    kQbControl = 32,
    kQbAlt = 64,
    kQbDoubleClick = 1024,
};

// Keys other than text, as they arrive in QB_InputEvent::key.
enum class QB_Key : int32_t {
    none = 0,
    character,  // text holds the character(s), UTF-8
    enter,
    escape,
    backspace,
    deleteKey,
    left,
    right,
    up,
    down,
    home,
    end,
    tab,
    other,  // a key the toolkit does not use
};

struct QB_InputEvent {
    enum class Type {
        mouseDown,   // x, y, buttons (with kQbDoubleClick for the second click of a pair)
        mouseUp,     // x, y, buttons: the buttons still held and the modifiers
        mouseMove,   // x, y, buttons held
        wheel,       // x, y, buttons (modifiers), wheel: +1 per notch away from the user
        keyDown,     // key, text, buttons (modifiers)
        keyUp,
        mouseLeft,   // the pointer left the window
        focusLost,   // the window lost the keyboard focus it had taken
        exposed,     // the system needs box redrawn (the back buffer still holds it)
    };
    Type type;
    int32_t x = 0, y = 0;
    uint32_t buttons = 0;
    float wheel = 0.f;
    QB_Key key = QB_Key::none;
    char text[8] = {};  // UTF-8 of a character key, terminated
    QB_Box box{0, 0, 0, 0};
};

class QB_WindowListener {
public:
    virtual ~QB_WindowListener() = default;
    virtual void onInput(const QB_InputEvent& event) = 0;
};

class QB_Window {
public:
    virtual ~QB_Window() = default;  // destroys the native window and releases its connection

    // The back buffer, of the window's size. The toolkit draws here, then calls show.
    virtual QB_Canvas& canvas() = 0;
    // Copies box of the back buffer to the screen.
    virtual void show(const QB_Box& box) = 0;
    // Delivers every input event that has arrived since the last call to the listener,
    // then returns; never waits.
    virtual void pumpEvents() = 0;
    // Takes the keyboard focus from the host (while a text is being edited or a menu is
    // open) and gives it back.
    virtual void takeKeyboardFocus() = 0;
    virtual void releaseKeyboardFocus() = 0;
    // Longest time between the clicks of a double-click, in milliseconds.
    virtual uint32_t doubleClickTime() const = 0;
    // False once the host has destroyed the window's parent (then nothing is drawn and
    // the native window is not touched again).
    virtual bool alive() const = 0;
    // A window whose system runs timers on the window's own thread (Win32's SetTimer)
    // calls tick every periodMs from there while it exists, and answers true; the others
    // answer false and leave the timing to their owner.
    virtual bool runTimer(uint32_t periodMs, std::function<void()> tick) { return false; }

    // ---- the system's own pop-up menu and tooltip, where it has them (Win32). Windows
    // without them answer false and the toolkit draws its own in the back buffer.
    // Shows a pop-up menu with its top-left corner at (x, y) of the window: the entries
    // (UTF-8) with check marks where checked says, a new column after every
    // rowsPerColumn entries. Returns once it has closed, with *chosen the index of the
    // entry chosen or -1 when it was dismissed.
    virtual bool popupMenu(const std::vector<std::string>& entries, const std::vector<bool>& checked,
                           int32_t rowsPerColumn, int32_t x, int32_t y, int32_t* chosen) {
        return false;
    }
    // Shows text (UTF-8, "\n" breaks lines) in a tooltip near (x, y) of the window, in
    // place of any shown before; hideTooltip takes it away.
    virtual bool showTooltip(const std::string& text, int32_t x, int32_t y) { return false; }
    virtual void hideTooltip() {}
    // Edits text (UTF-8) in the system's edit field over box of the window, all of it
    // selected, with the keyboard taken from the host. When the user ends it (Enter keeps
    // the text, Escape does not, a lost focus keeps it), ended(accepted) is called from a
    // later pumpEvents; the field stays until endTextEdit.
    virtual bool beginTextEdit(const QB_Box& box, const std::string& text, const QB_Font& font,
                               std::function<void(bool accepted)> ended) {
        return false;
    }
    // The text in the field now.
    virtual std::string editedText() const { return {}; }
    // Takes the field away (without calling ended) and gives the keyboard back.
    virtual void endTextEdit() {}

    // Who receives the input from now on (the window's creator may hand it on).
    void setListener(QB_WindowListener* listener) { inputListener_ = listener; }

    // A child window of size width x height at (0, 0) inside the host's parent window.
    // parent: the host's window (an X11 window id on Linux, an HWND on Windows);
    // hostDisplay: what the host passed beside it (an X11 Display*, or nullptr); the
    // window uses a display connection of its own. nullptr when it cannot be made.
    static std::unique_ptr<QB_Window> createChild(void* parent, void* hostDisplay, int32_t width, int32_t height,
                                                  QB_WindowListener* listener);

protected:
    QB_WindowListener* inputListener_ = nullptr;
};
