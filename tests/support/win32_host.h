// A fake plug-in host on Windows, for tests of editor windows (under wine inside an X
// display). It plays what a real host does: a visible window in its main window whose HWND
// it hands to the plug-in, and a message loop on the thread that opened the editor. Input is posted
// to the plug-in's child window as the system would queue it, at the child's coordinates.
//
// The plug-in's window gets its messages through this host's pump, so a test drives steps
// as
//   host.click(10, 10);
//   host.waitUntil([&] { plugin.dispatch(effEditIdle); return seen(...); });
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/screenshot.h"

using Win32Screenshot = Screenshot;

// A PNG file's pixels as 0xAARRGGBB with alpha made opaque (empty when unreadable).
Win32Screenshot readPng(const std::string& path);

class Win32TestHost {
public:
    Win32TestHost();
    ~Win32TestHost();  // destroys the parent
    Win32TestHost(const Win32TestHost&) = delete;
    Win32TestHost& operator=(const Win32TestHost&) = delete;

    // False when no window can be made (no display for wine).
    bool usable() const { return usable_; }

    // Makes the parent: a visible window of width x height at (x, y) of the screen, white,
    // inside the host's main window. Answers its HWND (nullptr on failure).
    void* makeParent(int width, int height, int x = 0, int y = 0);
    void destroyParent();
    HWND parent() const { return parent_; }
    // The windows inside the parent (the plug-in's child), and the first of them.
    std::vector<HWND> children() const;
    HWND child() const;
    // Windows of this thread, top-level and nested (what an editor could leave behind).
    static int threadWindows();
    // GDI or USER objects of the process (GR_GDIOBJECTS, GR_USEROBJECTS); -1 when the
    // system does not count them.
    static int guiObjects(DWORD kind);

    // Pointer input posted to the child at its coordinates. button: 1 left, 2 middle,
    // 3 right; modifiers: kQbShift, kQbControl bits (they travel in the message).
    void move(int x, int y, uint32_t modifiers = 0);
    void press(int button, uint32_t modifiers = 0);
    void release(int button, uint32_t modifiers = 0);
    void click(int x, int y, int button = 1, uint32_t modifiers = 0);
    void drag(int fromX, int fromY, int toX, int toY, int button = 1, int steps = 4);
    // Wheel notches at (x, y): positive away from the user.
    void wheel(int x, int y, int notches);
    // A key press and release of a virtual key; text typed as WM_CHAR units. Both go to
    // the window with the keyboard focus when it is the child or inside it, else to the
    // child.
    void key(UINT virtualKey);
    void type(const std::string& utf8);

    // The system's pop-up menu as the user meets it, from another thread while the
    // editor's thread is inside it: waits up to timeoutMs for it to open, reads its
    // entries, then clicks entry choose with the mouse (SendInput), or presses Escape when
    // choose is -1.
    struct MenuSeen {
        bool opened = false;
        std::vector<std::string> entries;
        std::vector<int> checked;  // indexes of the entries with a check mark
        int columns = 0;           // entries that start a column, the first one included
    };
    static MenuSeen useMenu(int choose, int timeoutMs = 3000);
    // The system's pop-up menu window when one is open, else nullptr.
    static HWND openMenu();

    // Dispatches every message waiting for this thread, as a host's loop does.
    static void pump();
    // Pumps, then calls seen until it answers true or timeoutMs pass. Answers the last
    // answer of seen.
    bool waitUntil(const std::function<bool()>& seen, int timeoutMs = 3000);

    // What the child shows now, read from its device context.
    Win32Screenshot screenshot() const;

private:
    WPARAM heldFlags(uint32_t modifiers) const;
    void post(UINT message, WPARAM wParam, LPARAM lParam) const;
    HWND keyTarget() const;

    bool usable_ = false;
    HWND parent_ = nullptr;
    ATOM class_ = 0;
    int x_ = 0, y_ = 0;
    int lastX_ = 0, lastY_ = 0;  // where the pointer was moved last
    uint32_t held_ = 0;  // MK_ flags of the buttons held
};
