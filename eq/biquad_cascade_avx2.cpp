// The staggered sections with AVX2: eight lanes in one vector. Everything in this file is
// compiled for AVX2 and has internal linkage except the entry point, which is called only
// when the CPU reports AVX2 (platform/cpu_features.h). The shared headers it includes
// define no function that this file would emit.
#include "eq/biquad_cascade_kernels.h"

#if QB_HAVE_AVX2_KERNELS

#include "platform/avx2_begin.h"

#include <immintrin.h>

#include "eq/biquad_staggered.h"

namespace {

struct Eight {
    static constexpr int kLanes = 8;
    __m256 v;
    static Eight broadcast(float x) { return {_mm256_set1_ps(x)}; }
    static Eight fromLanes(const float* p) { return {_mm256_loadu_ps(p)}; }
    void toLanes(float* p) const { _mm256_storeu_ps(p, v); }
    Eight operator+(Eight b) const { return {_mm256_add_ps(v, b.v)}; }
    Eight operator-(Eight b) const { return {_mm256_sub_ps(v, b.v)}; }
    Eight operator*(Eight b) const { return {_mm256_mul_ps(v, b.v)}; }
    static Eight fromBits(const uint32_t* p) {
        return {_mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)))};
    }
    static Eight select(Eight mask, Eight yes, Eight no) { return {_mm256_blendv_ps(no.v, yes.v, mask.v)}; }
    // {x, v0, ..., v6}
    static Eight shiftIn(Eight a, float x) {
        const __m256 up = _mm256_permutevar8x32_ps(a.v, _mm256_setr_epi32(0, 0, 1, 2, 3, 4, 5, 6));
        return {_mm256_blend_ps(up, _mm256_set1_ps(x), 1)};
    }
    // Lanes 0 to 3 by a transpose, lane 4 from a broadcast load, blended in (a blend
    // does not compete with the transpose and the lane shifts for the shuffle port).
    static void steps4(const float* const* p, Eight* v) {
        __m128 c[4] = {_mm_loadu_ps(p[0]), _mm_loadu_ps(p[1]), _mm_loadu_ps(p[2]), _mm_loadu_ps(p[3])};
        _MM_TRANSPOSE4_PS(c[0], c[1], c[2], c[3]);
        for (int i = 0; i < 4; ++i)
            v[i].v = _mm256_blend_ps(_mm256_castps128_ps256(c[i]), _mm256_broadcast_ss(p[4] + i), 0x10);
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

void qbBiquadCascadesAvx2(const QB_CascadeJob* jobs, int m, uint32_t n) {
    qb_staggered::runJobs<Eight>(jobs, m, n);
}

void qbBiquadSeriesAvx2(const QB_SectionCoefficients* sections, QB_BiquadState* states, int count, const float* in,
                        float* out, uint32_t n) {
    qb_staggered::run<Eight, Eight>(qb_staggered::OwnSets{sections}, states, count, in, out, n);
}

#include "platform/avx2_end.h"

#endif
