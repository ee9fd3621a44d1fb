#include "support/win32_host.h"

#include <objidl.h>
#include <gdiplus.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "platform/gui/window.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr const wchar_t* kHostClass = L"OrvanTestHost";

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(window, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The host's main window, made once for the program: without a window manager, wine takes
// two seconds to destroy a top-level window, so the parents are its children instead (as
// in hosts that embed editors in their own frame). A pop-up window has no frame: its
// client area is the whole window, at the screen's origin.
HWND hostFrame() {  // after the class is registered
    static HWND frame = CreateWindowExW(0, kHostClass, L"Orvan test host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                        0, 1200, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return frame;
}

bool pngEncoder(CLSID* clsid) {
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (bytes == 0 || Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i)
        if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) return *clsid = codecs[i].Clsid, true;
    return false;
}

// GDI+ for the duration of one call.
struct GdiplusScope {
    GdiplusScope() {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) token = 0;
    }
    ~GdiplusScope() {
        if (token != 0) Gdiplus::GdiplusShutdown(token);
    }
    ULONG_PTR token = 0;
};

}  // namespace

bool Screenshot::writePng(const std::string& path) const {
    if (width <= 0 || height <= 0) return false;
    GdiplusScope gdiplus;
    CLSID png;
    if (gdiplus.token == 0 || !pngEncoder(&png)) return false;
    std::vector<uint32_t> copy = pixels;
    Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppRGB, reinterpret_cast<BYTE*>(copy.data()));
    return bitmap.Save(qbWide(path).c_str(), &png, nullptr) == Gdiplus::Ok;
}

Win32Screenshot readPng(const std::string& path) {
    Win32Screenshot shot;
    GdiplusScope gdiplus;
    if (gdiplus.token == 0) return shot;
    Gdiplus::Bitmap bitmap(qbWide(path).c_str());
    if (bitmap.GetLastStatus() != Gdiplus::Ok) return shot;
    const int w = static_cast<int>(bitmap.GetWidth()), h = static_cast<int>(bitmap.GetHeight());
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    Gdiplus::BitmapData data{};
    data.Width = static_cast<UINT>(w);
    data.Height = static_cast<UINT>(h);
    data.Stride = w * 4;
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = pixels.data();
    Gdiplus::Rect all(0, 0, w, h);
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppARGB,
                        &data) != Gdiplus::Ok)
        return shot;
    bitmap.UnlockBits(&data);
    for (uint32_t& p : pixels) p |= 0xFF000000u;
    shot.width = w;
    shot.height = h;
    shot.pixels = std::move(pixels);
    return shot;
}

Win32TestHost::Win32TestHost() {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = hostProcedure;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hCursor = LoadCursor(nullptr, IDC_ARROW);
    c.lpszClassName = kHostClass;
    class_ = RegisterClassExW(&c);
    // Registered by an earlier host of this program: still usable.
    if (class_ == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
    // A window can be made only with a display behind the system.
    usable_ = hostFrame() != nullptr;
}

Win32TestHost::~Win32TestHost() {
    destroyParent();
    pump();
}

void* Win32TestHost::makeParent(int width, int height, int x, int y) {
    if (!usable_ || parent_ != nullptr || hostFrame() == nullptr) return nullptr;
    parent_ = CreateWindowExW(0, kHostClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height,
                              hostFrame(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (parent_ == nullptr) return nullptr;
    x_ = x;
    y_ = y;
    held_ = 0;
    pump();
    return parent_;
}

void Win32TestHost::destroyParent() {
    if (parent_ == nullptr) return;
    DestroyWindow(parent_);
    parent_ = nullptr;
    pump();
}

std::vector<HWND> Win32TestHost::children() const {
    std::vector<HWND> found;
    if (parent_ == nullptr) return found;
    for (HWND w = GetWindow(parent_, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) found.push_back(w);
    return found;
}

HWND Win32TestHost::child() const {
    const std::vector<HWND> all = children();
    return all.empty() ? nullptr : all.front();
}

namespace {
BOOL CALLBACK countNested(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}
BOOL CALLBACK countWithNested(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, countNested, count);
    return TRUE;
}
}  // namespace

int Win32TestHost::threadWindows() {
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWithNested, reinterpret_cast<LPARAM>(&n));
    return n;
}

int Win32TestHost::guiObjects(DWORD kind) {
    SetLastError(0);
    const DWORD n = GetGuiResources(GetCurrentProcess(), kind);
    return n == 0 && GetLastError() != 0 ? -1 : static_cast<int>(n);
}

WPARAM Win32TestHost::heldFlags(uint32_t modifiers) const {
    WPARAM flags = held_;
    if (modifiers & kQbShift) flags |= MK_SHIFT;
    if (modifiers & kQbControl) flags |= MK_CONTROL;
    return flags;
}

void Win32TestHost::post(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (HWND target = child()) PostMessageW(target, message, wParam, lParam);
}

void Win32TestHost::move(int x, int y, uint32_t modifiers) {
    post(WM_MOUSEMOVE, heldFlags(modifiers), MAKELPARAM(x, y));
    lastX_ = x;
    lastY_ = y;
}

namespace {
UINT buttonMessage(int button, bool down) {
    switch (button) {
        case 2: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        case 3: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        default: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    }
}
WPARAM buttonFlag(int button) { return button == 2 ? MK_MBUTTON : button == 3 ? MK_RBUTTON : MK_LBUTTON; }
}  // namespace

void Win32TestHost::press(int button, uint32_t modifiers) {
    held_ |= static_cast<uint32_t>(buttonFlag(button));
    post(buttonMessage(button, true), heldFlags(modifiers), MAKELPARAM(lastX_, lastY_));
}

void Win32TestHost::release(int button, uint32_t modifiers) {
    held_ &= ~static_cast<uint32_t>(buttonFlag(button));
    post(buttonMessage(button, false), heldFlags(modifiers), MAKELPARAM(lastX_, lastY_));
}

void Win32TestHost::click(int x, int y, int button, uint32_t modifiers) {
    move(x, y, modifiers);
    press(button, modifiers);
    release(button, modifiers);
}

void Win32TestHost::drag(int fromX, int fromY, int toX, int toY, int button, int steps) {
    move(fromX, fromY);
    press(button);
    for (int i = 1; i <= steps; ++i) move(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
    release(button);
}

void Win32TestHost::wheel(int x, int y, int notches) {
    move(x, y);
    // The wheel's position is in screen coordinates.
    post(WM_MOUSEWHEEL, MAKEWPARAM(static_cast<WORD>(held_), static_cast<WORD>(notches * WHEEL_DELTA)),
         MAKELPARAM(x_ + x, y_ + y));
}

HWND Win32TestHost::keyTarget() const {
    // Keys go to the focus: the child, or a field inside it.
    HWND target = child(), focus = GetFocus();
    return focus != nullptr && target != nullptr && IsChild(target, focus) ? focus : target;
}

void Win32TestHost::key(UINT virtualKey) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(keyTarget(), WM_KEYDOWN, virtualKey, 1 | scan);
    PostMessageW(keyTarget(), WM_KEYUP, virtualKey, 1 | scan | (LPARAM{3} << 30));
}

void Win32TestHost::type(const std::string& utf8) {
    for (wchar_t unit : qbWide(utf8)) PostMessageW(keyTarget(), WM_CHAR, static_cast<WPARAM>(unit), 1);
}

HWND Win32TestHost::openMenu() {
    HWND menu = FindWindowW(L"#32768", nullptr);  // the class of the system's pop-up menus
    return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

Win32TestHost::MenuSeen Win32TestHost::useMenu(int choose, int timeoutMs) {
    MenuSeen seen;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    HWND window = nullptr;
    while ((window = openMenu()) == nullptr && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    HMENU menu = window != nullptr ? reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0)) : nullptr;
    if (menu == nullptr) return seen;
    seen.opened = true;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        std::string utf8;
        for (const wchar_t* c = text; *c != 0; ++c) utf8 += static_cast<char>(*c);  // the entries are ASCII
        seen.entries.push_back(utf8);
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (state & MF_CHECKED) seen.checked.push_back(i);
        if (i == 0 || (state & MF_MENUBARBREAK)) ++seen.columns;
    }
    RECT r{};
    if (choose < 0 || !GetMenuItemRect(nullptr, menu, static_cast<UINT>(choose), &r)) {
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 1);
        return seen;
    }
    // Absolute mouse positions are in 65536ths of the primary screen.
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const LONG x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    INPUT input[3] = {};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = static_cast<LONG>((x * 65536 + w / 2) / w);
        i.mi.dy = static_cast<LONG>((y * 65536 + h / 2) / h);
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input[0], sizeof(INPUT));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the menu follows the pointer first
    SendInput(2, &input[1], sizeof(INPUT));
    return seen;
}

void Win32TestHost::pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool Win32TestHost::waitUntil(const std::function<bool()>& seen, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pump();
        if (seen()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

Win32Screenshot Win32TestHost::screenshot() const {
    Win32Screenshot shot;
    HWND target = child();
    RECT r;
    if (target == nullptr || !GetClientRect(target, &r)) return shot;
    shot.width = r.right;
    shot.height = r.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HDC window = GetDC(target);
    HGDIOBJ previous = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, shot.width, shot.height, window, 0, 0, SRCCOPY);
    GdiFlush();
    shot.pixels.assign(static_cast<const uint32_t*>(bits),
                       static_cast<const uint32_t*>(bits) + static_cast<size_t>(shot.width) * shot.height);
    for (uint32_t& p : shot.pixels) p |= 0xFF000000u;
    SelectObject(memory, previous);
    ReleaseDC(target, window);
    DeleteDC(memory);
    DeleteObject(dib);
    return shot;
}
