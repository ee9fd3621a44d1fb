// The cascade of identical sections the static biquad and the single engine run, with a
// choice of kernels: the scalar loop of biquad_section.h (the reference), and vector
// kernels that run the sections staggered side by side (biquad_staggered.h) with SSE2 or
// AVX2. Every kernel gives the scalar output and states bit for bit.
#pragma once

#include <cstdint>

#include "eq/biquad_section.h"
#include "platform/cpu_features.h"

// count sections (0..8) in series over n samples; in may equal out.
using QB_BiquadCascadeFn = void (*)(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count,
                                    const float* in, float* out, uint32_t n);

// The kernel of a level; a level the build cannot run falls back to the next narrower one.
QB_BiquadCascadeFn qbBiquadCascadeFor(QB_SimdLevel level);
