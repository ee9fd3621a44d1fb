#include "platform/x11/x11_input.h"

#include <X11/keysym.h>

#include "platform/gui/input_logic.h"

uint32_t qbX11StateBits(unsigned int state) {
    uint32_t bits = 0;
    if (state & Button1Mask) bits |= kQbLeftButton;
    if (state & Button2Mask) bits |= kQbMiddleButton;
    if (state & Button3Mask) bits |= kQbRightButton;
    if (state & ShiftMask) bits |= kQbShift;
    if (state & ControlMask) bits |= kQbControl;
    if (state & Mod1Mask) bits |= kQbAlt;
    return bits;
}

uint32_t qbX11ButtonBit(unsigned int button) {
    switch (button) {
        case Button1: return kQbLeftButton;
        case Button2: return kQbMiddleButton;
        case Button3: return kQbRightButton;
        default: return 0;
    }
}

uint32_t qbX11KeysymCharacter(KeySym keysym) {
    // Latin-1 keysyms are their characters; 0x01000000 + U is the keysym of any U.
    if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff)) return static_cast<uint32_t>(keysym);
    if (keysym >= 0x01000100 && keysym <= 0x0110ffff) return static_cast<uint32_t>(keysym - 0x01000000);
    if (keysym == XK_EuroSign) return 0x20ac;
    // The keypad types digits and operators when Num Lock gives it those keysyms.
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<uint32_t>('0' + (keysym - XK_KP_0));
    switch (keysym) {
        case XK_KP_Space: return ' ';
        case XK_KP_Multiply: return '*';
        case XK_KP_Add: return '+';
        case XK_KP_Separator: return ',';
        case XK_KP_Subtract: return '-';
        case XK_KP_Decimal: return '.';
        case XK_KP_Divide: return '/';
        case XK_KP_Equal: return '=';
        default: return 0;
    }
}

QB_Key qbX11Key(KeySym keysym, char (&text)[8]) {
    text[0] = '\0';
    switch (keysym) {
        case XK_Return:
        case XK_KP_Enter: return QB_Key::enter;
        case XK_Escape: return QB_Key::escape;
        case XK_BackSpace: return QB_Key::backspace;
        case XK_Delete:
        case XK_KP_Delete: return QB_Key::deleteKey;
        case XK_Left:
        case XK_KP_Left: return QB_Key::left;
        case XK_Right:
        case XK_KP_Right: return QB_Key::right;
        case XK_Up:
        case XK_KP_Up: return QB_Key::up;
        case XK_Down:
        case XK_KP_Down: return QB_Key::down;
        case XK_Home:
        case XK_KP_Home: return QB_Key::home;
        case XK_End:
        case XK_KP_End: return QB_Key::end;
        case XK_Tab:
        case XK_ISO_Left_Tab: return QB_Key::tab;
        default: break;
    }
    return qbCharacterText(qbX11KeysymCharacter(keysym), text) ? QB_Key::character : QB_Key::other;
}
