// Fixed-width value text of the parameter displays.
#pragma once

#include <cstdint>

// Writes value as an 8-character decimal text without rounding ("0.500000",
// "-5.00000", "1000.000"; 0.7f reads "0.699999"), cut to maxLen characters plus a
// terminator (text must hold maxLen + 1 bytes). Values above 99999999, below
// -9999999, and NaN give the empty text. Any thread; no allocation.
void float2string(float value, char* text, int32_t maxLen);
