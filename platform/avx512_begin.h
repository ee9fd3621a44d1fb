// Compiles what follows, up to platform/avx512_end.h, for AVX-512 F and VL (with AVX2),
// under the rules of platform/avx2_begin.h: once per kernel file, after every shared
// header and before <immintrin.h>, for functions called only when the CPU reports
// those features (platform/cpu_features.h).
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,avx512f,avx512vl"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512vl")
#endif
