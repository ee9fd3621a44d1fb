// Bit scans the compilers offer as builtins, with a portable fallback.
#pragma once

#include <cstdint>

// Index of the lowest set bit of a non-zero value.
inline int32_t qbLowestSetBit(uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctzll(bits);
#else
    int32_t n = 0;
    while ((bits & 1u) == 0) {
        bits >>= 1;
        ++n;
    }
    return n;
#endif
}
