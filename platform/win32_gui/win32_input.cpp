#include "platform/win32_gui/win32_input.h"

#include <windows.h>

#include "platform/gui/input_logic.h"

uint32_t qbWin32MouseBits(uint32_t mkFlags, bool alt) {
    uint32_t bits = 0;
    if (mkFlags & MK_LBUTTON) bits |= kQbLeftButton;
    if (mkFlags & MK_MBUTTON) bits |= kQbMiddleButton;
    if (mkFlags & MK_RBUTTON) bits |= kQbRightButton;
    if (mkFlags & MK_SHIFT) bits |= kQbShift;
    if (mkFlags & MK_CONTROL) bits |= kQbControl;
    if (alt) bits |= kQbAlt;
    return bits;
}

uint32_t qbWin32ButtonBit(uint32_t message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP: return kQbLeftButton;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP: return kQbMiddleButton;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: return kQbRightButton;
        default: return 0;
    }
}

uint32_t qbWin32ModifierBits() {
    uint32_t bits = 0;
    if (GetKeyState(VK_SHIFT) < 0) bits |= kQbShift;
    if (GetKeyState(VK_CONTROL) < 0) bits |= kQbControl;
    if (GetKeyState(VK_MENU) < 0) bits |= kQbAlt;
    return bits;
}

QB_Key qbWin32Key(uint32_t virtualKey, bool typesText) {
    switch (virtualKey) {
        case VK_RETURN: return QB_Key::enter;
        case VK_ESCAPE: return QB_Key::escape;
        case VK_BACK: return QB_Key::backspace;
        case VK_DELETE: return QB_Key::deleteKey;
        case VK_LEFT: return QB_Key::left;
        case VK_RIGHT: return QB_Key::right;
        case VK_UP: return QB_Key::up;
        case VK_DOWN: return QB_Key::down;
        case VK_HOME: return QB_Key::home;
        case VK_END: return QB_Key::end;
        case VK_TAB: return QB_Key::tab;
        default: return typesText ? QB_Key::character : QB_Key::other;
    }
}

bool QB_Utf16Keys::feed(uint32_t unit, char (&text)[8]) {
    text[0] = '\0';
    if (unit >= 0xd800 && unit <= 0xdbff) {
        high_ = unit;
        return false;
    }
    uint32_t c = unit;
    if (unit >= 0xdc00 && unit <= 0xdfff) {
        if (high_ == 0) return false;  // a low surrogate on its own
        c = 0x10000 + ((high_ - 0xd800) << 10) + (unit - 0xdc00);
    }
    high_ = 0;
    return qbCharacterText(c, text);
}
