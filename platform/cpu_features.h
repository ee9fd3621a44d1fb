// Which vector width the DSP kernels may use: what the processor offers, capped by the
// ORVAN_SIMD environment variable ("scalar", "sse2", "avx2" or "avx512", read once) and by a
// process-wide setting that tests use to force each path. Modules read the level when the
// graph is built (prepare) and keep the kernel they chose, so a change takes effect at
// the next build, never in the middle of a block.
//
// Any thread; the setting is an atomic.
#pragma once

// Whether this build has kernels compiled for SSE2, AVX2 and AVX-512 (each in files of
// their own, chosen at run time from qbSimdLevel). AVX2 and AVX-512 need GCC or clang,
// and are left out on Windows (see qbSimdSupported).
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
#define QB_HAVE_AVX512_KERNELS QB_HAVE_AVX2_KERNELS

// Each level includes the ones below it: a kernel of a level serves the levels above it
// that have no kernel of their own. kAvx512 stands for AVX-512 F and VL (with AVX2).
enum class QB_SimdLevel : int { kScalar = 0, kSse2 = 1, kAvx2 = 2, kAvx512 = 3 };

// Whether level includes at.
constexpr bool qbSimdAtLeast(QB_SimdLevel level, QB_SimdLevel at) {
    return static_cast<int>(level) >= static_cast<int>(at);
}

// The widest level this processor and build can run. SSE2 is the baseline of every x86
// build; AVX2 and AVX-512 are taken from the CPU's features (and the system's support
// of their registers) at run time (not on Windows, whose
// compilers cannot keep 32-byte stack slots aligned).
QB_SimdLevel qbSimdSupported();
// The level in force: the forced one if set, else the supported one capped by ORVAN_SIMD.
QB_SimdLevel qbSimdLevel();
// Forces a level (capped by what is supported); qbSimdRelease returns to the default.
void qbSimdForce(QB_SimdLevel level);
void qbSimdRelease();
const char* qbSimdName(QB_SimdLevel level);
