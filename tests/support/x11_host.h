// A fake plug-in host on an X display, for tests of editor windows. It plays what a real
// host does: its own display connection, a mapped parent window whose id it hands to the
// plug-in, and a process-wide X error handler; this one only counts, and tests expect the
// count to stay 0. Input is synthesised with XTest at the parent's coordinates.
//
// The plug-in's window reads its input only when pumped, so a test drives steps as
//   host.click(10, 10);
//   host.waitUntil([&] { window->pumpEvents(); return seen(...); });
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/screenshot.h"

using X11Screenshot = Screenshot;

class X11TestHost {
public:
    // Opens the display named by DISPLAY; usable() is false when there is none or it
    // lacks XTest.
    X11TestHost();
    ~X11TestHost();  // destroys the parent, puts the previous error handler back, closes
    X11TestHost(const X11TestHost&) = delete;
    X11TestHost& operator=(const X11TestHost&) = delete;

    bool usable() const { return display_ != nullptr; }
    // The host's connection, as a host passes it beside the parent.
    Display* display() const { return display_; }

    // Makes the parent: a mapped top-level window of width x height at (x, y) of the
    // screen, white, of the screen's depth or (depth 32) of an ARGB visual. Answers its id
    // the way the plug-in receives it (nullptr on failure).
    void* makeParent(int width, int height, int x = 0, int y = 0, int depth = 0);
    void destroyParent();
    Window parent() const { return parent_; }
    // The windows inside the parent (the plug-in's child).
    std::vector<Window> children() const;

    // X errors the process-wide handler saw since the program started: every connection
    // without hooks of its own, the host's included, reports there.
    static int errors();

    // Pointer input at the parent's coordinates. Buttons are X's (1 left, 2 middle,
    // 3 right, 4 and 5 the wheel); modifiers are kQbShift, kQbControl, kQbAlt bits.
    void move(int x, int y);
    void press(int button, uint32_t modifiers = 0);
    void release(int button, uint32_t modifiers = 0);
    void click(int x, int y, int button = 1, uint32_t modifiers = 0);
    void drag(int fromX, int fromY, int toX, int toY, int button = 1, int steps = 4);
    // Wheel notches at (x, y): positive away from the user.
    void wheel(int x, int y, int notches, uint32_t modifiers = 0);
    // Presses and releases the key of keysym, with modifiers held.
    void key(KeySym keysym, uint32_t modifiers = 0);
    // Types UTF-8 text; characters missing from the keyboard get a spare key.
    void type(const std::string& utf8);

    // Keyboard focus of the server, and giving it to the parent (as a host window has it).
    Window focus() const;
    void focusParent();

    // Sends what is queued, then calls seen until it answers true (it pumps the plug-in's
    // window) or timeoutMs pass. Answers the last answer of seen.
    bool waitUntil(const std::function<bool()>& seen, int timeoutMs = 3000);

    // What the parent shows now (the plug-in's child included).
    X11Screenshot screenshot() const;
    // What it shows once pixel (x, y) has colour argb (the plug-in's requests travel on
    // another connection, so they may still be on their way), or after timeoutMs.
    X11Screenshot screenshotShowing(int x, int y, uint32_t argb, int timeoutMs = 3000);

    // X clients the server has now (XRes), -1 when it cannot tell.
    int clientCount() const;

private:
    void modifiers(uint32_t bits, bool down);
    void fakeKey(KeySym keysym, bool down);
    KeyCode keycodeTyping(KeySym keysym, bool* shifted);

    Display* display_ = nullptr;
    Window parent_ = 0;
    Colormap colormap_ = 0;  // of an ARGB parent
    int width_ = 0, height_ = 0;
    XErrorHandler previousHandler_ = nullptr;
    std::vector<KeyCode> borrowedKeys_;  // spare keycodes given keysyms by type
};
