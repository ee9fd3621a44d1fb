// The staggered sections with SSE2: four lanes for up to four sections, two vectors of
// four for five to eight.
#include "eq/biquad_cascade_kernels.h"

#if QB_HAVE_SSE2_KERNELS

#include <emmintrin.h>

#include "eq/biquad_staggered.h"

namespace {

struct Four {
    static constexpr int kLanes = 4;
    __m128 v;
    static Four broadcast(float x) { return {_mm_set1_ps(x)}; }
    static Four fromLanes(const float* p) { return {_mm_loadu_ps(p)}; }
    void toLanes(float* p) const { _mm_storeu_ps(p, v); }
    friend Four operator+(Four a, Four b) { return {_mm_add_ps(a.v, b.v)}; }
    friend Four operator-(Four a, Four b) { return {_mm_sub_ps(a.v, b.v)}; }
    friend Four operator*(Four a, Four b) { return {_mm_mul_ps(a.v, b.v)}; }
    static Four fromBits(const uint32_t* p) { return {bits(p)}; }
    static __m128 bits(const uint32_t* p) { return _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))); }
    static Four select(const Four& mask, const Four& yes, const Four& no) { return {pick(mask.v, yes.v, no.v)}; }
    static __m128 pick(__m128 mask, __m128 yes, __m128 no) {
        return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no));
    }
    // {x, v0, v1, v2}
    static Four shiftIn(const Four& a, float x) {
        return {_mm_move_ss(_mm_shuffle_ps(a.v, a.v, _MM_SHUFFLE(2, 1, 0, 0)), _mm_set_ss(x))};
    }
    static void steps4(const float* const* p, Four* v) {
        transpose(p, v[0].v, v[1].v, v[2].v, v[3].v);
    }
    // c[i] = {p[0][i], p[1][i], p[2][i], p[3][i]}
    static void transpose(const float* const* p, __m128& c0, __m128& c1, __m128& c2, __m128& c3) {
        c0 = _mm_loadu_ps(p[0]), c1 = _mm_loadu_ps(p[1]), c2 = _mm_loadu_ps(p[2]), c3 = _mm_loadu_ps(p[3]);
        _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
    }
};

struct Eight {
    static constexpr int kLanes = 8;
    __m128 lo, hi;
    static Eight broadcast(float x) { return {_mm_set1_ps(x), _mm_set1_ps(x)}; }
    static Eight fromLanes(const float* p) { return {_mm_loadu_ps(p), _mm_loadu_ps(p + 4)}; }
    void toLanes(float* p) const { _mm_storeu_ps(p, lo), _mm_storeu_ps(p + 4, hi); }
    friend Eight operator+(Eight a, Eight b) { return {_mm_add_ps(a.lo, b.lo), _mm_add_ps(a.hi, b.hi)}; }
    friend Eight operator-(Eight a, Eight b) { return {_mm_sub_ps(a.lo, b.lo), _mm_sub_ps(a.hi, b.hi)}; }
    friend Eight operator*(Eight a, Eight b) { return {_mm_mul_ps(a.lo, b.lo), _mm_mul_ps(a.hi, b.hi)}; }
    static Eight fromBits(const uint32_t* p) { return {Four::bits(p), Four::bits(p + 4)}; }
    static Eight select(const Eight& mask, const Eight& yes, const Eight& no) {
        return {Four::pick(mask.lo, yes.lo, no.lo), Four::pick(mask.hi, yes.hi, no.hi)};
    }
    // {x, lo0, lo1, lo2}, {lo3, hi0, hi1, hi2}
    static Eight shiftIn(const Eight& a, float x) {
        const __m128 seam = _mm_shuffle_ps(a.lo, a.hi, _MM_SHUFFLE(0, 0, 3, 3));  // lo3 lo3 hi0 hi0
        return {_mm_move_ss(_mm_shuffle_ps(a.lo, a.lo, _MM_SHUFFLE(2, 1, 0, 0)), _mm_set_ss(x)),
                _mm_shuffle_ps(seam, a.hi, _MM_SHUFFLE(2, 1, 2, 0))};
    }
    // Lanes 0 to 3 by a transpose, lane 4 by single loads.
    static void steps4(const float* const* p, Eight* v) {
        Four::transpose(p, v[0].lo, v[1].lo, v[2].lo, v[3].lo);
        for (int i = 0; i < 4; ++i) v[i].hi = _mm_load_ss(p[4] + i);
    }
};

}  // namespace

void qbBiquadCascadeSse2(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in,
                         float* out, uint32_t n) {
    qb_staggered::run<Four, Eight>(qb_staggered::SameSet{&c}, states, count, in, out, n);
}

// One job after the other: two jobs' lanes of two vectors each do not fit SSE2's sixteen
// registers, and running them side by side was measured slower.
void qbBiquadCascadesSse2(const QB_CascadeJob* jobs, int m, uint32_t n) {
    for (int j = 0; j < m; ++j) qbBiquadCascadeSse2(jobs[j].c, jobs[j].states, jobs[j].count, jobs[j].in, jobs[j].out, n);
}

void qbBiquadSeriesSse2(const QB_SectionCoefficients* sections, QB_BiquadState* states, int count, const float* in,
                        float* out, uint32_t n) {
    qb_staggered::run<Four, Eight>(qb_staggered::OwnSets{sections}, states, count, in, out, n);
}

#endif
