// Translation of Win32 input to the window interface's terms: button and modifier bits,
// keys, and the UTF-16 of WM_CHAR as UTF-8 text. No window needed.
#pragma once

#include <cstdint>

#include "platform/gui/window.h"

// Held buttons and modifiers of a mouse message's MK_* flags (its wParam) as
// QB_ButtonBits; alt: whether Alt is down (the flags do not carry it).
uint32_t qbWin32MouseBits(uint32_t mkFlags, bool alt);
// The bit of the button a WM_xBUTTONDOWN or WM_xBUTTONUP message is about; 0 for others.
uint32_t qbWin32ButtonBit(uint32_t message);
// Shift, Control and Alt of the calling thread's keyboard state now.
uint32_t qbWin32ModifierBits();

// The key of a virtual-key code: the editing and movement keys by name, and
// QB_Key::character for a key whose text follows in WM_CHAR (typesText); else other.
QB_Key qbWin32Key(uint32_t virtualKey, bool typesText);

// Assembles the UTF-16 units of successive WM_CHAR messages into characters: a high
// surrogate waits for the low one after it.
class QB_Utf16Keys {
public:
    // True when unit completes a character that types text; text then holds its UTF-8.
    bool feed(uint32_t unit, char (&text)[8]);

private:
    uint32_t high_ = 0;  // a high surrogate waiting for its pair
};
