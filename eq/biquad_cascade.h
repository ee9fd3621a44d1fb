// Sections in series with a choice of kernels: the scalar loops of biquad_section.h (the
// reference), and vector kernels that run the sections staggered side by side
// (biquad_staggered.h, biquad_chains.h) with SSE2, AVX2 or AVX-512. Every kernel gives the scalar output and
// states bit for bit. The cascade of identical sections serves the static biquad, the
// series of sections with their own coefficients the multi engine's bands.
#pragma once

#include <cstdint>

#include "eq/biquad_section.h"
#include "platform/cpu_features.h"

// count sections (0..8) in series over n samples; in may equal out.
using QB_BiquadCascadeFn = void (*)(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count,
                                    const float* in, float* out, uint32_t n);

// The kernel of a level; a level the build cannot run falls back to the next narrower one.
QB_BiquadCascadeFn qbBiquadCascadeFor(QB_SimdLevel level);

// m independent cascades (QB_CascadeJob), each of 0..8 sections, over the same n samples:
// every job's output and states as if it ran alone.
using QB_BiquadCascadesFn = void (*)(const QB_CascadeJob* jobs, int m, uint32_t n);
QB_BiquadCascadesFn qbBiquadCascadesFor(QB_SimdLevel level);

// The jobs (in the order they would run alone; a job may read an earlier job's output)
// packed lane after lane in one pass (biquad_chains.h). Answers false, having run
// nothing, when they do not fit its shape; null where the level has no such kernel.
using QB_BiquadChainsFn = bool (*)(const QB_CascadeJob* jobs, int m, uint32_t n);
QB_BiquadChainsFn qbBiquadChainsFor(QB_SimdLevel level);

// count sections (0..8) in series, each with its own coefficients (biquad_staggered.h):
// the first reads in, the others filter out in place. The streams of a section start at
// the run's first sample.
using QB_BiquadSeriesFn = void (*)(const QB_SectionCoefficients* sections, QB_BiquadState* states, int count,
                                   const float* in, float* out, uint32_t n);
QB_BiquadSeriesFn qbBiquadSeriesFor(QB_SimdLevel level);

// Two channels (states[ch], in[ch], out[ch]) through the same count sections: as the
// series kernel of the level would run them one channel after the other.
using QB_BiquadSeriesPairFn = void (*)(const QB_SectionCoefficients* sections, int count,
                                       QB_BiquadState* const* states, const float* const* in, float* const* out,
                                       uint32_t n);
QB_BiquadSeriesPairFn qbBiquadSeriesPairFor(QB_SimdLevel level);
