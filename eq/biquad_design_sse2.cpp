// Type 9 (peaking) coefficient sets four samples at a time with SSE2
// (biquad_design_lanes.h); the last n % 4 samples go through qbDesignAt itself.
#include "eq/biquad_cascade_kernels.h"
#include "eq/biquad_design.h"

#if QB_HAVE_SSE2_KERNELS

#include <emmintrin.h>

#include "eq/biquad_design_lanes.h"

namespace {

struct Four {
    static constexpr int kLanes = 4;
    __m128 v;
    static Four load(const float* p) { return {_mm_loadu_ps(p)}; }
    void store(float* p) const { _mm_storeu_ps(p, v); }
    static Four broadcast(float x) { return {_mm_set1_ps(x)}; }
    Four operator+(Four b) const { return {_mm_add_ps(v, b.v)}; }
    Four operator-(Four b) const { return {_mm_sub_ps(v, b.v)}; }
    Four operator*(Four b) const { return {_mm_mul_ps(v, b.v)}; }
    Four operator/(Four b) const { return {_mm_div_ps(v, b.v)}; }
    Four operator&(Four b) const { return {_mm_and_ps(v, b.v)}; }
    static Four min(Four a, Four b) { return {_mm_min_ps(a.v, b.v)}; }
    static Four max(Four a, Four b) { return {_mm_max_ps(a.v, b.v)}; }
    static Four lessEqual(Four a, Four b) { return {_mm_cmple_ps(a.v, b.v)}; }
    static Four less(Four a, Four b) { return {_mm_cmplt_ps(a.v, b.v)}; }
    static Four unordered(Four a, Four b) { return {_mm_cmpunord_ps(a.v, b.v)}; }
    static Four select(Four mask, Four yes, Four no) {
        return {_mm_or_ps(_mm_and_ps(mask.v, yes.v), _mm_andnot_ps(mask.v, no.v))};
    }
    static Four absolute(Four a) { return {_mm_and_ps(a.v, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff)))}; }
    void truncate(int32_t* p) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_cvttps_epi32(v)); }
    static Four fromIndices(const int32_t* p) {
        return {_mm_cvtepi32_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))};
    }
    // Each pair of neighbours by one 64-bit load, the pairs split by shuffles.
    static void adjacent(const float* t, const int32_t* i, Four& lo, Four& hi) {
        const __m128 a = pairs(t, i[0], i[1]), b = pairs(t, i[2], i[3]);
        lo.v = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
        hi.v = _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
    }
    // {t[i], t[i + 1], t[j], t[j + 1]}
    static __m128 pairs(const float* t, int32_t i, int32_t j) {
        // __m64 may alias the floats.
        const __m128 low = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(t + i));
        return _mm_loadh_pi(low, reinterpret_cast<const __m64*>(t + j));
    }
};

void designOneByOne(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n) {
    qbDesignRun(QB_SimdLevel::kScalar, d, f, u, out, n);
}

}  // namespace

void qbDesignPeakingSse2(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n) {
    qb_design_lanes::peakingThen<Four>(d, f, u, out, n, designOneByOne);
}

#endif
