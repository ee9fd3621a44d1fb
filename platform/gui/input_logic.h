// Input logic every window backend shares: pairing presses into double-clicks and the
// UTF-8 text of a typed character. No display needed.
#pragma once

#include <cstdint>

// Pairs presses into double-clicks: a press of the same button within the time limit and
// a few pixels of the one before completes a pair; the press after a pair starts anew.
class QB_ClickPairing {
public:
    static constexpr int32_t kMaxDistance = 4;  // pixels, in either direction
    // button: the backend's number for it; time: the system's millisecond clock (wraps at
    // 32 bits). True when this press completes a pair.
    bool press(uint32_t button, int32_t x, int32_t y, uint32_t time, uint32_t limitMs);

private:
    bool open_ = false;  // the last press may start a pair
    uint32_t button_ = 0;
    int32_t x_ = 0, y_ = 0;
    uint32_t time_ = 0;
};

// Writes the UTF-8 of Unicode character c, terminated, into text; false (and text empty)
// when c is no character (0, a surrogate, beyond U+10FFFF) or a control character.
bool qbCharacterText(uint32_t c, char (&text)[8]);
