// The vector cascade kernels, each in its own file compiled for its instruction set.
// Chosen through qbBiquadCascadeFor; not to be called on a CPU without the feature.
#pragma once

#include <cstdint>

#include "eq/biquad_section.h"

#if defined(__SSE2__) || defined(_M_X64)
#define QB_HAVE_SSE2_KERNELS 1
#else
#define QB_HAVE_SSE2_KERNELS 0
#endif

// AVX2 with GCC or clang; not on Windows (see platform/cpu_features.h).
#if QB_HAVE_SSE2_KERNELS && (defined(__GNUC__) || defined(__clang__)) && !defined(_WIN32)
#define QB_HAVE_AVX2_KERNELS 1
#else
#define QB_HAVE_AVX2_KERNELS 0
#endif

void qbBiquadCascadeSse2(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in,
                         float* out, uint32_t n);
void qbBiquadCascadeAvx2(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in,
                         float* out, uint32_t n);
