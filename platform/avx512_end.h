// Ends the AVX-512 stretch that platform/avx512_begin.h began.
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
