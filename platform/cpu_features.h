// Which vector width the DSP kernels may use: what the processor offers, capped by the
// ORVAN_SIMD environment variable ("scalar", "sse2" or "avx2", read once) and by a
// process-wide setting that tests use to force each path. Modules read the level when the
// graph is built (prepare) and keep the kernel they chose, so a change takes effect at
// the next build, never in the middle of a block.
//
// Any thread; the setting is an atomic.
#pragma once

// Whether this build has kernels compiled for SSE2 and for AVX2 (each in files of their
// own, chosen at run time from qbSimdLevel). AVX2 needs GCC or clang, and is left out on
// Windows (see qbSimdSupported).
#if defined(__SSE2__) || defined(_M_X64)
#define QB_HAVE_SSE2_KERNELS 1
#else
#define QB_HAVE_SSE2_KERNELS 0
#endif
#if QB_HAVE_SSE2_KERNELS && (defined(__GNUC__) || defined(__clang__)) && !defined(_WIN32)
#define QB_HAVE_AVX2_KERNELS 1
#else
#define QB_HAVE_AVX2_KERNELS 0
#endif

enum class QB_SimdLevel : int { kScalar = 0, kSse2 = 1, kAvx2 = 2 };

// The widest level this processor and build can run. SSE2 is the baseline of every x86
// build; AVX2 is taken from the CPU's features at run time (not on Windows, whose
// compilers cannot keep 32-byte stack slots aligned).
QB_SimdLevel qbSimdSupported();
// The level in force: the forced one if set, else the supported one capped by ORVAN_SIMD.
QB_SimdLevel qbSimdLevel();
// Forces a level (capped by what is supported); qbSimdRelease returns to the default.
void qbSimdForce(QB_SimdLevel level);
void qbSimdRelease();
const char* qbSimdName(QB_SimdLevel level);
