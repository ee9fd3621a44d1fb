// The staggered sections with AVX2: eight lanes in one vector. Everything in this file is
// compiled for AVX2 and has internal linkage except the entry point, which is called only
// when the CPU reports AVX2 (platform/cpu_features.h). The shared headers it includes
// define no function that this file would emit.
#include "eq/biquad_cascade_kernels.h"

#if QB_HAVE_AVX2_KERNELS

#include "platform/avx2_begin.h"

#include <immintrin.h>

#include "eq/biquad_eight_lanes.h"
#include "eq/biquad_staggered.h"

namespace {

struct Eight : EightLanes<Eight> {};

}  // namespace

void qbBiquadCascadeAvx2(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in,
                         float* out, uint32_t n) {
    qb_staggered::run<Eight, Eight>(qb_staggered::SameSet{&c}, states, count, in, out, n);
}

void qbBiquadSeriesPairAvx2(const QB_SectionCoefficients* sections, int count, QB_BiquadState* const* states,
                            const float* const* in, float* const* out, uint32_t n) {
    qb_staggered::runPair<Eight>(sections, count, states, in, out, n);
}

void qbBiquadCascadesAvx2(const QB_CascadeJob* jobs, int m, uint32_t n) {
    qb_staggered::runJobs<Eight>(jobs, m, n);
}

void qbBiquadSeriesAvx2(const QB_SectionCoefficients* sections, QB_BiquadState* states, int count, const float* in,
                        float* out, uint32_t n) {
    qb_staggered::run<Eight, Eight>(qb_staggered::OwnSets{sections}, states, count, in, out, n);
}

#include "platform/avx2_end.h"

#endif
