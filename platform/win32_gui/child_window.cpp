// The child window inside a host's HWND: a window class of this module's own, the GDI+
// back buffer shown through a DIB section, input translated for the toolkit and queued
// until the next pump, and a SetTimer frame timer that runs on the window's thread. Once
// the host has destroyed the parent (and with it this window), nothing touches the
// native window again.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <windowsx.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gui/input_logic.h"
#include "platform/gui/window.h"
#include "platform/win32/module_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32_gui/gdiplus_surface.h"
#include "platform/win32_gui/win32_input.h"

namespace {

constexpr UINT_PTR kFrameTimerId = 1;
// Messages of this window taken by one pump at most, so a flood cannot hold the thread.
constexpr int kMaxMessagesPerPump = 10000;

HINSTANCE ownInstance() { return static_cast<HINSTANCE>(qbOwnModule()); }

// The window class, registered with the first window and unregistered with the last. Its
// name holds the module's address, so two copies of the library loaded at once do not
// share (or unregister) each other's class.
class WindowClass {
public:
    static const wchar_t* acquire(WNDPROC procedure) {
        std::lock_guard<std::mutex> lock(mutex());
        State& s = state();
        if (s.users == 0) {
            wchar_t name[48];
            std::swprintf(name, sizeof name / sizeof name[0], L"OrvanEqView%p", static_cast<void*>(ownInstance()));
            s.name = name;
            WNDCLASSEXW c{};
            c.cbSize = sizeof c;
            c.lpfnWndProc = procedure;
            c.hInstance = ownInstance();
            c.hCursor = LoadCursor(nullptr, IDC_ARROW);
            c.lpszClassName = s.name.c_str();
            if (RegisterClassExW(&c) == 0) return nullptr;
        }
        ++s.users;
        return s.name.c_str();
    }
    static void release() {
        std::lock_guard<std::mutex> lock(mutex());
        State& s = state();
        if (s.users > 0 && --s.users == 0) UnregisterClassW(s.name.c_str(), ownInstance());
    }

private:
    struct State {
        int users = 0;
        std::wstring name;
    };
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static State& state() {
        static State s;
        return s;
    }
};

class Win32Window : public QB_Window {
public:
    explicit Win32Window(QB_WindowListener* listener) { setListener(listener); }
    ~Win32Window() override;

    bool create(HWND parent, int32_t width, int32_t height);

    QB_Canvas& canvas() override { return *canvas_; }
    void show(const QB_Box& box) override;
    void pumpEvents() override;
    void takeKeyboardFocus() override;
    void releaseKeyboardFocus() override;
    uint32_t doubleClickTime() const override { return GetDoubleClickTime(); }
    bool alive() const override { return alive_; }
    bool runTimer(uint32_t periodMs, std::function<void()> tick) override;
    bool popupMenu(const std::vector<std::string>& entries, const std::vector<bool>& checked, int32_t rowsPerColumn,
                   int32_t x, int32_t y, int32_t* chosen) override;
    bool showTooltip(const std::string& text, int32_t x, int32_t y) override;
    void hideTooltip() override;
    bool beginTextEdit(const QB_Box& box, const std::string& text, const QB_Font& font,
                       std::function<void(bool accepted)> ended) override;
    std::string editedText() const override;
    void endTextEdit() override;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK editProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self);
    void editEnded(bool accepted);
    bool handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void mouseButton(UINT message, WPARAM wParam, LPARAM lParam, bool down);
    void mouseMove(WPARAM wParam, LPARAM lParam);
    void wheel(WPARAM wParam, LPARAM lParam);
    void key(UINT message, WPARAM wParam);
    void character(WPARAM wParam);
    void paint();
    void queue(const QB_InputEvent& event) { queue_.push_back(event); }
    static bool altDown() { return GetKeyState(VK_MENU) < 0; }

    std::unique_ptr<QB_Canvas> canvas_;
    const wchar_t* className_ = nullptr;
    bool oleInitialised_ = false;
    HWND window_ = nullptr;
    bool alive_ = false;
    // What is on the screen: a top-down 32-bit DIB section the back buffer's shown parts
    // are copied into, selected into a memory DC, so WM_PAINT needs no toolkit.
    HDC memoryDc_ = nullptr;
    HBITMAP dib_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    uint32_t* screen_ = nullptr;

    std::deque<QB_InputEvent> queue_;
    QB_ClickPairing clicks_;
    QB_Utf16Keys characters_;
    bool trackingLeave_ = false;  // TrackMouseEvent asked for WM_MOUSELEAVE
    int32_t lastX_ = 0, lastY_ = 0;
    int wheelRemainder_ = 0;  // of a wheel that turns in parts of a notch
    // Keyboard focus taken from the host, and who had it.
    bool focused_ = false;
    HWND previousFocus_ = nullptr;
    std::function<void()> tick_;
    // A pump, a tick or a menu is running: a timer message dispatched inside it (a menu's
    // own message loop dispatches them) waits its turn.
    bool busy_ = false;
    HWND tooltip_ = nullptr;  // the common tooltip control, made when first needed
    // The edit control of an in-place edit, its font, and how its user ended it (waiting
    // for the next pump).
    HWND edit_ = nullptr;
    HFONT editFont_ = nullptr;
    std::function<void(bool)> editEnded_;
    enum class EditEnd { none, accepted, cancelled } editEnd_ = EditEnd::none;
};

bool Win32Window::create(HWND parent, int32_t width, int32_t height) {
    // OLE for the editor's thread, paired with the uninitialisation in the destructor; a
    // thread its host set up for another apartment model keeps it.
    const HRESULT ole = OleInitialize(nullptr);
    oleInitialised_ = ole == S_OK || ole == S_FALSE;
    canvas_ = QB_Canvas::create(width, height);
    if (canvas_ == nullptr) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as the back buffer's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dib_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    memoryDc_ = CreateCompatibleDC(nullptr);
    if (dib_ == nullptr || memoryDc_ == nullptr || bits == nullptr) return false;
    previousBitmap_ = SelectObject(memoryDc_, dib_);
    screen_ = static_cast<uint32_t*>(bits);

    className_ = WindowClass::acquire(&Win32Window::procedure);
    if (className_ == nullptr) return false;
    window_ = CreateWindowExW(0, className_, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                              width, height, parent, nullptr, ownInstance(), this);
    alive_ = window_ != nullptr;
    return alive_;
}

Win32Window::~Win32Window() {
    endTextEdit();
    releaseKeyboardFocus();
    if (alive_) {
        KillTimer(window_, kFrameTimerId);
        if (GetCapture() == window_) ReleaseCapture();
        DestroyWindow(window_);
    }
    if (className_ != nullptr) WindowClass::release();
    if (memoryDc_ != nullptr) {
        if (previousBitmap_ != nullptr) SelectObject(memoryDc_, previousBitmap_);
        DeleteDC(memoryDc_);
    }
    if (dib_ != nullptr) DeleteObject(dib_);
    if (editFont_ != nullptr) DeleteObject(editFont_);
    canvas_.reset();
    if (oleInitialised_) OleUninitialize();
}

bool Win32Window::runTimer(uint32_t periodMs, std::function<void()> tick) {
    if (!alive_) return false;
    tick_ = std::move(tick);
    return SetTimer(window_, kFrameTimerId, periodMs, nullptr) != 0;
}

bool Win32Window::popupMenu(const std::vector<std::string>& entries, const std::vector<bool>& checked,
                            int32_t rowsPerColumn, int32_t x, int32_t y, int32_t* chosen) {
    *chosen = -1;
    if (!alive_ || entries.empty()) return false;
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return false;
    for (size_t i = 0; i < entries.size(); ++i) {
        UINT flags = MF_STRING;
        if (i < checked.size() && checked[i]) flags |= MF_CHECKED;
        if (rowsPerColumn > 0 && i > 0 && i % static_cast<size_t>(rowsPerColumn) == 0) flags |= MF_MENUBARBREAK;
        // Command 0 means "dismissed": entry i is command i + 1.
        AppendMenuW(menu, flags, i + 1, qbWide(entries[i]).c_str());
    }
    POINT at{x, y};
    ClientToScreen(window_, &at);
    const bool wasBusy = busy_;
    busy_ = true;
    const BOOL command = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY |
                                              TPM_LEFTBUTTON | TPM_RIGHTBUTTON,
                                        at.x, at.y, 0, window_, nullptr);
    busy_ = wasBusy;
    DestroyMenu(menu);
    if (command > 0 && static_cast<size_t>(command) <= entries.size()) *chosen = command - 1;
    return true;
}

bool Win32Window::showTooltip(const std::string& text, int32_t x, int32_t y) {
    if (!alive_) return false;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // what every version of the control reads
    tool.hwnd = window_;
    tool.uId = 1;
    if (tooltip_ == nullptr) {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                   ownInstance(), nullptr);
        if (tooltip_ == nullptr) return false;
        // Placed where we say, shown while we say: the toolkit keeps the timing.
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        // A maximum width makes the control break lines at line feeds.
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 800);
    }
    std::wstring wide;
    for (wchar_t c : qbWide(text)) {
        if (c == L'\n') wide += L'\r';
        wide += c;
    }
    tool.lpszText = wide.data();
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    POINT at{x, y};
    ClientToScreen(window_, &at);
    SendMessageW(tooltip_, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(tooltip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    return true;
}

void Win32Window::hideTooltip() {
    if (!alive_ || tooltip_ == nullptr) return;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window_;
    tool.uId = 1;
    SendMessageW(tooltip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

bool Win32Window::beginTextEdit(const QB_Box& box, const std::string& text, const QB_Font& font,
                                std::function<void(bool accepted)> ended) {
    if (!alive_) return false;
    endTextEdit();
    edit_ = CreateWindowExW(0, L"EDIT", qbWide(text).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL, box.left, box.top,
                            box.width(), box.height(), window_, nullptr, ownInstance(), nullptr);
    if (edit_ == nullptr) return false;
    if (!SetWindowSubclass(edit_, &Win32Window::editProcedure, 1, reinterpret_cast<DWORD_PTR>(this))) {
        DestroyWindow(edit_);
        edit_ = nullptr;
        return false;
    }
    if (editFont_ != nullptr) DeleteObject(editFont_);
    editFont_ = CreateFontW(-static_cast<int>(font.size + 0.5), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                            FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                            DEFAULT_PITCH, qbWide(font.family != nullptr ? font.family : "Arial").c_str());
    if (editFont_ != nullptr) SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(editFont_), FALSE);
    SendMessageW(edit_, EM_LIMITTEXT, 255, 0);
    SendMessageW(edit_, EM_SETSEL, 0, -1);
    editEnded_ = std::move(ended);
    editEnd_ = EditEnd::none;
    HWND current = GetFocus();
    if (current != window_ && current != edit_) previousFocus_ = current;
    focused_ = true;
    SetFocus(edit_);
    return true;
}

std::string Win32Window::editedText() const {
    if (edit_ == nullptr) return {};
    const int n = GetWindowTextLengthW(edit_);
    std::wstring wide(static_cast<size_t>(n) + 1, L'\0');
    wide.resize(static_cast<size_t>(GetWindowTextW(edit_, wide.data(), n + 1)));
    return qbNarrow(wide);
}

void Win32Window::endTextEdit() {
    editEnded_ = nullptr;
    editEnd_ = EditEnd::none;
    if (edit_ == nullptr) return;
    HWND edit = edit_;
    edit_ = nullptr;  // its focus loss below is no end by the user
    const bool hadFocus = GetFocus() == edit;
    RemoveWindowSubclass(edit, &Win32Window::editProcedure, 1);
    if (hadFocus) SetFocus(window_);  // so releasing the keyboard finds it with us
    DestroyWindow(edit);
    releaseKeyboardFocus();
}

void Win32Window::editEnded(bool accepted) {
    if (editEnd_ == EditEnd::none) editEnd_ = accepted ? EditEnd::accepted : EditEnd::cancelled;
}

LRESULT CALLBACK Win32Window::editProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR data) {
    auto* self = reinterpret_cast<Win32Window*>(data);
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | DefSubclassProc(edit, message, wParam, lParam);
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                if (self->edit_ == edit) self->editEnded(wParam == VK_RETURN);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == L'\r' || wParam == 0x1b) return 0;  // no beep for the keys above
            break;
        case WM_KILLFOCUS:
            if (self->edit_ == edit) self->editEnded(true);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

void Win32Window::show(const QB_Box& box) {
    if (!alive_) return;
    const QB_Box b = box.within(canvas_->width(), canvas_->height());
    if (b.empty()) return;
    // Premultiplied colour is the colour over black; the screen ignores alpha.
    const uint32_t* pixels = qbCanvasPixels(*canvas_);
    const size_t width = static_cast<size_t>(canvas_->width());
    for (int32_t y = b.top; y < b.bottom; ++y)
        std::memcpy(screen_ + y * width + b.left, pixels + y * width + b.left, sizeof(uint32_t) * b.width());
    GdiFlush();
    if (HDC dc = GetDC(window_)) {
        BitBlt(dc, b.left, b.top, b.width(), b.height(), memoryDc_, b.left, b.top, SRCCOPY);
        ReleaseDC(window_, dc);
    }
}

void Win32Window::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    if (dc != nullptr) {
        const RECT& r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memoryDc_, r.left, r.top, SRCCOPY);
    }
    EndPaint(window_, &ps);
}

void Win32Window::pumpEvents() {
    if (busy_) return;
    busy_ = true;
    // The host's message loop dispatches our messages too; this takes those still waiting,
    // for hosts that idle the editor before they pump.
    MSG msg;
    for (int n = 0; n < kMaxMessagesPerPump && alive_ && PeekMessageW(&msg, window_, 0, 0, PM_REMOVE); ++n) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // Delivery may take the focus or close a menu; anything it causes is queued behind.
    while (!queue_.empty()) {
        const QB_InputEvent event = queue_.front();
        queue_.pop_front();
        if (inputListener_ != nullptr) inputListener_->onInput(event);
    }
    if (editEnd_ != EditEnd::none && editEnded_) {
        const bool accepted = editEnd_ == EditEnd::accepted;
        editEnd_ = EditEnd::none;
        std::function<void(bool)> ended = editEnded_;  // it may end the edit, and with it editEnded_
        ended(accepted);
    }
    busy_ = false;
}

LRESULT CALLBACK Win32Window::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    LRESULT result = 0;
    if (self != nullptr && self->window_ == window && self->handle(message, wParam, lParam, &result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

bool Win32Window::handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    QB_InputEvent out{};
    switch (message) {
        case WM_DESTROY:
            // The host destroyed the parent, or the destructor this window. The tooltip is
            // owned by the host's top-level window, so it goes by hand.
            alive_ = false;
            focused_ = false;
            if (tooltip_ != nullptr) DestroyWindow(tooltip_);
            tooltip_ = nullptr;
            edit_ = nullptr;  // a child: it goes with this window
            editEnded_ = nullptr;
            return false;
        case WM_ERASEBKGND:
            *result = 1;  // WM_PAINT covers everything: no flash of a background first
            return true;
        case WM_PAINT:
            paint();
            return true;
        case WM_TIMER:
            if (wParam != kFrameTimerId) return false;
            if (!busy_ && tick_) {
                busy_ = true;
                tick_();
                busy_ = false;
            }
            return true;
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN:
            mouseButton(message, wParam, lParam, true);
            return true;
        case WM_LBUTTONUP:
        case WM_MBUTTONUP:
        case WM_RBUTTONUP:
            mouseButton(message, wParam, lParam, false);
            return true;
        case WM_MOUSEMOVE:
            mouseMove(wParam, lParam);
            return true;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            out.type = QB_InputEvent::Type::mouseLeft;
            out.x = lastX_;
            out.y = lastY_;
            out.buttons = qbWin32ModifierBits();
            queue(out);
            return true;
        case WM_MOUSEWHEEL:
            wheel(wParam, lParam);
            return true;
        case WM_KEYDOWN:
        case WM_KEYUP:
            key(message, wParam);
            return true;
        case WM_CHAR:
            character(wParam);
            return true;
        case WM_GETDLGCODE:
            // Inside a host's dialog, Enter, Escape, Tab and the arrows still reach us.
            *result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
            return true;
        case WM_KILLFOCUS:
            // To the in-place edit field: still ours.
            if (!focused_ || (edit_ != nullptr && reinterpret_cast<HWND>(wParam) == edit_)) return false;
            focused_ = false;
            previousFocus_ = nullptr;
            out.type = QB_InputEvent::Type::focusLost;
            queue(out);
            return false;
        default:
            return false;
    }
}

void Win32Window::mouseButton(UINT message, WPARAM wParam, LPARAM lParam, bool down) {
    const uint32_t bit = qbWin32ButtonBit(message);
    QB_InputEvent out{};
    out.x = GET_X_LPARAM(lParam);
    out.y = GET_Y_LPARAM(lParam);
    lastX_ = out.x;
    lastY_ = out.y;
    const uint32_t state = qbWin32MouseBits(static_cast<uint32_t>(wParam), altDown());
    if (down) {
        // The window keeps the mouse while a button is held, as an X client's implicit grab.
        if (GetCapture() != window_) SetCapture(window_);
        out.type = QB_InputEvent::Type::mouseDown;
        out.buttons = state | bit;
        if (clicks_.press(bit, out.x, out.y, static_cast<uint32_t>(GetMessageTime()), GetDoubleClickTime()))
            out.buttons |= kQbDoubleClick;
    } else {
        out.type = QB_InputEvent::Type::mouseUp;
        out.buttons = state & ~bit;
        if ((out.buttons & (kQbLeftButton | kQbMiddleButton | kQbRightButton)) == 0 && GetCapture() == window_)
            ReleaseCapture();
    }
    queue(out);
}

void Win32Window::mouseMove(WPARAM wParam, LPARAM lParam) {
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = window_;
        trackingLeave_ = TrackMouseEvent(&track) != 0;
    }
    QB_InputEvent out{};
    out.type = QB_InputEvent::Type::mouseMove;
    out.x = GET_X_LPARAM(lParam);
    out.y = GET_Y_LPARAM(lParam);
    out.buttons = qbWin32MouseBits(static_cast<uint32_t>(wParam), altDown());
    lastX_ = out.x;
    lastY_ = out.y;
    // Only the latest of consecutive moves counts.
    if (!queue_.empty() && queue_.back().type == out.type) queue_.back() = out;
    else queue(out);
}

void Win32Window::wheel(WPARAM wParam, LPARAM lParam) {
    // Screen coordinates; one event a whole notch (WHEEL_DELTA), positive away from the user.
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(window_, &p);
    wheelRemainder_ += GET_WHEEL_DELTA_WPARAM(wParam);
    QB_InputEvent out{};
    out.type = QB_InputEvent::Type::wheel;
    out.x = p.x;
    out.y = p.y;
    out.buttons = qbWin32MouseBits(GET_KEYSTATE_WPARAM(wParam), altDown());
    while (wheelRemainder_ >= WHEEL_DELTA || wheelRemainder_ <= -WHEEL_DELTA) {
        out.wheel = wheelRemainder_ > 0 ? 1.f : -1.f;
        wheelRemainder_ -= wheelRemainder_ > 0 ? WHEEL_DELTA : -WHEEL_DELTA;
        queue(out);
    }
}

void Win32Window::key(UINT message, WPARAM wParam) {
    const UINT vk = static_cast<UINT>(wParam);
    // A key that types text is reported once, by its WM_CHAR, with the text.
    const bool typesText = (MapVirtualKeyW(vk, MAPVK_VK_TO_CHAR) & 0x7fffffffu) != 0;
    QB_InputEvent out{};
    out.key = qbWin32Key(vk, typesText);
    if (message == WM_KEYDOWN && out.key == QB_Key::character) return;
    if (out.key == QB_Key::character) out.key = QB_Key::other;  // its release: the text is gone
    out.type = message == WM_KEYDOWN ? QB_InputEvent::Type::keyDown : QB_InputEvent::Type::keyUp;
    out.x = lastX_;
    out.y = lastY_;
    out.buttons = qbWin32ModifierBits();
    queue(out);
}

void Win32Window::character(WPARAM wParam) {
    QB_InputEvent out{};
    // Enter, Escape, Backspace and Tab type control characters: their WM_KEYDOWN told them.
    if (!characters_.feed(static_cast<uint32_t>(wParam), out.text)) return;
    out.type = QB_InputEvent::Type::keyDown;
    out.key = QB_Key::character;
    out.x = lastX_;
    out.y = lastY_;
    out.buttons = qbWin32ModifierBits();
    queue(out);
}

void Win32Window::takeKeyboardFocus() {
    if (!alive_) return;
    HWND current = GetFocus();
    if (current != window_) previousFocus_ = current;
    SetFocus(window_);
    focused_ = true;
}

void Win32Window::releaseKeyboardFocus() {
    if (!focused_) return;
    focused_ = false;  // before SetFocus, whose WM_KILLFOCUS is then no loss
    if (!alive_) return;
    // Someone else has taken it since: leave it there.
    if (GetFocus() == window_) {
        HWND back = previousFocus_ != nullptr && IsWindow(previousFocus_) ? previousFocus_ : GetParent(window_);
        SetFocus(back);
    }
    previousFocus_ = nullptr;
}

}  // namespace

std::unique_ptr<QB_Window> QB_Window::createChild(void* parent, void* hostDisplay, int32_t width, int32_t height,
                                                  QB_WindowListener* listener) {
    HWND parentWindow = static_cast<HWND>(parent);
    if (parentWindow == nullptr || width <= 0 || height <= 0 || !IsWindow(parentWindow)) return nullptr;
    auto window = std::make_unique<Win32Window>(listener);
    if (!window->create(parentWindow, width, height)) return nullptr;
    return window;
}
