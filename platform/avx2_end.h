// Ends the AVX2 stretch that platform/avx2_begin.h began.
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
