#include "platform/gui/input_logic.h"

#include <cstdlib>

bool QB_ClickPairing::press(uint32_t button, int32_t x, int32_t y, uint32_t time, uint32_t limitMs) {
    // Unsigned difference: right across the wrap of the 32-bit clock.
    const uint32_t elapsed = time - time_;
    const bool pair = open_ && button == button_ && elapsed <= limitMs && std::abs(x - x_) <= kMaxDistance &&
                      std::abs(y - y_) <= kMaxDistance;
    open_ = !pair;
    button_ = button;
    x_ = x;
    y_ = y;
    time_ = time;
    return pair;
}

bool qbCharacterText(uint32_t c, char (&text)[8]) {
    text[0] = '\0';
    if (c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0) || (c >= 0xd800 && c <= 0xdfff) || c > 0x10ffff)
        return false;
    int n = 0;
    if (c < 0x80) {
        text[n++] = static_cast<char>(c);
    } else if (c < 0x800) {
        text[n++] = static_cast<char>(0xc0 | (c >> 6));
        text[n++] = static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        text[n++] = static_cast<char>(0xe0 | (c >> 12));
        text[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        text[n++] = static_cast<char>(0x80 | (c & 0x3f));
    } else {
        text[n++] = static_cast<char>(0xf0 | (c >> 18));
        text[n++] = static_cast<char>(0x80 | ((c >> 12) & 0x3f));
        text[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        text[n++] = static_cast<char>(0x80 | (c & 0x3f));
    }
    text[n] = '\0';
    return true;
}
