#include "platform/aligned_memory.h"

#include <cstdlib>
#if defined(_WIN32)
#include <malloc.h>
#endif

void* qbAlignedAlloc(size_t alignment, size_t bytes) {
#if defined(_WIN32)
    return _aligned_malloc(bytes, alignment);
#else
    return std::aligned_alloc(alignment, bytes);
#endif
}

void qbAlignedFree(void* block) {
#if defined(_WIN32)
    _aligned_free(block);
#else
    std::free(block);
#endif
}
