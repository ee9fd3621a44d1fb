// Translation of X11 input to the window interface's terms: state bits, keys and their
// text, and the pairing of clicks into double-clicks. No display needed.
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

// Pairs presses into double-clicks: a press of the same button within the time limit and
// a few pixels of the one before completes a pair; the press after a pair starts anew.
class QB_ClickPairing {
public:
    static constexpr int32_t kMaxDistance = 4;  // pixels, in either direction
    // time: the server's millisecond clock (wraps). True when this press completes a pair.
    bool press(unsigned int button, int32_t x, int32_t y, Time time, uint32_t limitMs);

private:
    bool open_ = false;  // the last press may start a pair
    unsigned int button_ = 0;
    int32_t x_ = 0, y_ = 0;
    Time time_ = 0;
};
