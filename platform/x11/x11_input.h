// Translation of X11 input to the window interface's terms: state bits, keys and their
// text. No display needed.
#pragma once

#include <X11/X.h>

#include <cstdint>

#include "platform/gui/window.h"

// Held buttons and modifiers of an X event's state field as QB_ButtonBits.
uint32_t qbX11StateBits(unsigned int state);
// The bit of X button 1, 2 or 3; 0 for any other button.
uint32_t qbX11ButtonBit(unsigned int button);

// The key of keysym; for a character key text receives its UTF-8, terminated.
QB_Key qbX11Key(KeySym keysym, char (&text)[8]);
// The Unicode character keysym types, 0 when it types none.
uint32_t qbX11KeysymCharacter(KeySym keysym);
