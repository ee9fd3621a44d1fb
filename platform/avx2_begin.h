// Compiles what follows, up to platform/avx2_end.h, for AVX2. Include it once in a kernel
// file, after every shared header (what those define must stay baseline code) and before
// <immintrin.h>; the functions between the two must be called only when the CPU reports
// AVX2 (platform/cpu_features.h). No include guard: each kernel file takes it once.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
