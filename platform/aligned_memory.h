// Aligned heap blocks: C++17's aligned_alloc is missing from the Windows runtime, which
// has its own pair of calls instead.
#pragma once

#include <cstddef>

// A block of bytes (a multiple of alignment) aligned to alignment (a power of two), or
// nullptr when memory is short. Free it with qbAlignedFree.
void* qbAlignedAlloc(size_t alignment, size_t bytes);
void qbAlignedFree(void* block);
