// Type 9 (peaking) coefficient sets eight samples at a time with AVX2
// (biquad_design_lanes.h); the last n % 8 samples go to the SSE2 kernel. Everything in
// this file is compiled for AVX2 and has internal linkage except the entry point, which
// is called only when the CPU reports AVX2; the shared headers are included before the
// instruction set is switched, so what they define stays baseline code.
#include "eq/biquad_cascade_kernels.h"
#include "eq/biquad_design.h"

#if QB_HAVE_AVX2_KERNELS

#include "platform/avx2_begin.h"

#include <immintrin.h>

#include "eq/biquad_design_lanes.h"

namespace {

struct Eight {
    static constexpr int kLanes = 8;
    __m256 v;
    static Eight load(const float* p) { return {_mm256_loadu_ps(p)}; }
    void store(float* p) const { _mm256_storeu_ps(p, v); }
    static Eight broadcast(float x) { return {_mm256_set1_ps(x)}; }
    Eight operator+(Eight b) const { return {_mm256_add_ps(v, b.v)}; }
    Eight operator-(Eight b) const { return {_mm256_sub_ps(v, b.v)}; }
    Eight operator*(Eight b) const { return {_mm256_mul_ps(v, b.v)}; }
    Eight operator/(Eight b) const { return {_mm256_div_ps(v, b.v)}; }
    Eight operator&(Eight b) const { return {_mm256_and_ps(v, b.v)}; }
    static Eight min(Eight a, Eight b) { return {_mm256_min_ps(a.v, b.v)}; }
    static Eight max(Eight a, Eight b) { return {_mm256_max_ps(a.v, b.v)}; }
    static Eight lessEqual(Eight a, Eight b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_LE_OQ)}; }
    static Eight less(Eight a, Eight b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_LT_OQ)}; }
    static Eight unordered(Eight a, Eight b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_UNORD_Q)}; }
    static Eight select(Eight mask, Eight yes, Eight no) { return {_mm256_blendv_ps(no.v, yes.v, mask.v)}; }
    static Eight absolute(Eight a) { return {_mm256_and_ps(a.v, _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff)))}; }
    void truncate(int32_t* p) const { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_cvttps_epi32(v)); }
    static Eight fromIndices(const int32_t* p) {
        return {_mm256_cvtepi32_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)))};
    }
    // Each pair of neighbours by one 64-bit load, the pairs split by shuffles (cheaper
    // than two gathers).
    static void adjacent(const float* t, const int32_t* i, Eight& lo, Eight& hi) {
        const __m256 a = _mm256_set_m128(pairs(t, i[4], i[5]), pairs(t, i[0], i[1]));
        const __m256 b = _mm256_set_m128(pairs(t, i[6], i[7]), pairs(t, i[2], i[3]));
        lo.v = _mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
        hi.v = _mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
    }
    // {t[i], t[i + 1], t[j], t[j + 1]}
    static __m128 pairs(const float* t, int32_t i, int32_t j) {
        // __m64 may alias the floats.
        const __m128 low = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(t + i));
        return _mm_loadh_pi(low, reinterpret_cast<const __m64*>(t + j));
    }
};

}  // namespace

void qbDesignPeakingAvx2(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n) {
    qb_design_lanes::peaking<Eight>(d, f, u, out, n / 8);
    const uint32_t done = n / 8 * 8;
    float* const rest[5] = {out[0] + done, out[1] + done, out[2] + done, out[3] + done, out[4] + done};
    qbDesignPeakingSse2(d, f + done, u + done, rest, n - done);
}

#include "platform/avx2_end.h"

#endif
