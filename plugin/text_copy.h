// Bounded text copy used wherever a host or the editor hands us a buffer.
#pragma once

#include <cstdint>

// Copies at most maxLen characters of src into dst and writes a terminator after them,
// so dst must hold maxLen + 1 bytes. A null dst writes nothing; a null src or a
// negative maxLen gives the empty text.
inline void qbCopyText(char* dst, const char* src, int32_t maxLen) {
    if (dst == nullptr) return;
    int32_t i = 0;
    if (src != nullptr) {
        for (; i < maxLen && src[i] != '\0'; ++i) dst[i] = src[i];
    }
    dst[i] = '\0';
}
