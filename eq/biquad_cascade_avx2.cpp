// The staggered sections with AVX2: eight lanes in one vector. Everything in this file is
// compiled for AVX2 and has internal linkage except the entry point, which is called only
// when the CPU reports AVX2 (platform/cpu_features.h). The shared headers it includes
// define no function that this file would emit.
#include "eq/biquad_cascade_kernels.h"
#include "eq/biquad_chains.h"

#if QB_HAVE_AVX2_KERNELS

#include "platform/avx2_begin.h"

#include <immintrin.h>

#include "eq/biquad_eight_lanes.h"
#include "eq/biquad_staggered.h"
#include "eq/biquad_chains_steps.h"

namespace {

// With what the packed chains ask for (biquad_chains_steps.h), masks as vectors.
struct Eight : EightLanes<Eight> {
    using Mask = Eight;
    static Eight maskFromBits(const uint32_t* p) { return fromBits(p); }
    static Eight atMost(const int32_t* p, int32_t m) {
        const __m256i lanes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        return of(_mm256_castsi256_ps(_mm256_cmpgt_epi32(_mm256_set1_epi32(m + 1), lanes)));
    }
    // {before7, a0, ..., a6}: the halves {before4..7, a0..3} and {a0..3, a4..7} aligned
    // by one lane within each half.
    static Eight shiftAcross(Eight a, Eight before) {
        const __m256 middle = _mm256_permute2f128_ps(before.v, a.v, 0x21);
        return of(_mm256_castsi256_ps(_mm256_alignr_epi8(_mm256_castps_si256(a.v), _mm256_castps_si256(middle), 12)));
    }
};

}  // namespace

void qbBiquadCascadeAvx2(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in,
                         float* out, uint32_t n) {
    qb_staggered::run<Eight, Eight>(qb_staggered::SameSet{&c}, states, count, in, out, n);
}

void qbBiquadSeriesPairAvx2(const QB_SectionCoefficients* sections, int count, QB_BiquadState* const* states,
                            const float* const* in, float* const* out, uint32_t n) {
    qb_staggered::runPair<Eight>(sections, count, states, in, out, n);
}

// Three or more jobs on one input packed lane after lane in up to three vectors (more
// would not fit the sixteen registers), else in pairs.
void qbBiquadCascadesAvx2(const QB_CascadeJob* jobs, int m, uint32_t n) {
    if (m >= 3 && qb_chains::run<Eight, 3>(jobs, m, n)) return;
    qb_staggered::runJobs<Eight>(jobs, m, n);
}

void qbBiquadSeriesAvx2(const QB_SectionCoefficients* sections, QB_BiquadState* states, int count, const float* in,
                        float* out, uint32_t n) {
    qb_staggered::run<Eight, Eight>(qb_staggered::OwnSets{sections}, states, count, in, out, n);
}

#include "platform/avx2_end.h"

#endif
