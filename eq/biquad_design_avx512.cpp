// Type 9 (peaking) coefficient sets sixteen samples at a time with AVX-512 F and VL
// (biquad_design_lanes.h), then eight as with AVX2, with comparisons into mask registers
// and one-operation masked blends in place of blendv. The last n % 8 samples go to the
// SSE2 kernel. Everything in this file is compiled for AVX-512 and has internal linkage except
// the entry point, called only when the CPU reports AVX-512 F and VL.
#include "eq/biquad_cascade_kernels.h"
#include "eq/biquad_design.h"

#if QB_HAVE_AVX512_KERNELS

#include "platform/avx512_begin.h"

#include <immintrin.h>

#include "eq/biquad_design_eight.h"
#include "eq/biquad_design_lanes.h"

namespace {

struct Eight : DesignEight<Eight> {
    using Mask = __mmask8;
    static Mask lessEqual(Eight a, Eight b) { return _mm256_cmp_ps_mask(a.v, b.v, _CMP_LE_OQ); }
    static Mask less(Eight a, Eight b) { return _mm256_cmp_ps_mask(a.v, b.v, _CMP_LT_OQ); }
    static Mask unordered(Eight a, Eight b) { return _mm256_cmp_ps_mask(a.v, b.v, _CMP_UNORD_Q); }
    static Eight select(Mask mask, Eight yes, Eight no) { return of(_mm256_mask_blend_ps(mask, no.v, yes.v)); }
};

// {a, b}
__m512 join(__m256 a, __m256 b) {
    const __m512d low = _mm512_castpd256_pd512(_mm256_castps_pd(a));
    return _mm512_castpd_ps(_mm512_maskz_insertf64x4(0xff, low, _mm256_castps_pd(b), 1));
}

// Sixteen lanes in one 512-bit vector: twice the sets per operation where the processor
// runs 512 bits at once, the same where it runs them as two halves. The zero-masking
// forms below, every lane kept, are the plain instructions; the plain intrinsics trip
// GCC's uninitialised-value warning in its header.
struct Sixteen {
    static constexpr int kLanes = 16;
    using Mask = __mmask16;
    static constexpr Mask kAll = 0xffff;
    __m512 v;
    static Sixteen of(__m512 x) { return {x}; }
    static Sixteen load(const float* p) { return of(_mm512_loadu_ps(p)); }
    void store(float* p) const { _mm512_storeu_ps(p, v); }
    static Sixteen broadcast(float x) { return of(_mm512_set1_ps(x)); }
    Sixteen operator+(Sixteen b) const { return of(_mm512_add_ps(v, b.v)); }
    Sixteen operator-(Sixteen b) const { return of(_mm512_sub_ps(v, b.v)); }
    Sixteen operator*(Sixteen b) const { return of(_mm512_mul_ps(v, b.v)); }
    Sixteen operator/(Sixteen b) const { return of(_mm512_div_ps(v, b.v)); }
    static Sixteen min(Sixteen a, Sixteen b) { return of(_mm512_maskz_min_ps(kAll, a.v, b.v)); }
    static Sixteen max(Sixteen a, Sixteen b) { return of(_mm512_maskz_max_ps(kAll, a.v, b.v)); }
    static Mask lessEqual(Sixteen a, Sixteen b) { return _mm512_cmp_ps_mask(a.v, b.v, _CMP_LE_OQ); }
    static Mask less(Sixteen a, Sixteen b) { return _mm512_cmp_ps_mask(a.v, b.v, _CMP_LT_OQ); }
    static Mask unordered(Sixteen a, Sixteen b) { return _mm512_cmp_ps_mask(a.v, b.v, _CMP_UNORD_Q); }
    static Sixteen select(Mask mask, Sixteen yes, Sixteen no) { return of(_mm512_mask_blend_ps(mask, no.v, yes.v)); }
    static Sixteen absolute(Sixteen a) {
        return of(_mm512_castsi512_ps(_mm512_and_si512(_mm512_castps_si512(a.v), _mm512_set1_epi32(0x7fffffff))));
    }
    // As the eight lanes do it, through memory (see DesignEight).
    void truncate(int32_t* p) const {
        _mm512_storeu_si512(p, _mm512_maskz_cvttps_epi32(kAll, v));
        __asm__ __volatile__("" : : "r"(p) : "memory");
    }
    static Sixteen fromIndices(const int32_t* p) { return of(_mm512_maskz_cvtepi32_ps(kAll, _mm512_loadu_si512(p))); }
    // Each half as the eight lanes read it.
    static void adjacent(const float* t, const int32_t* i, Sixteen& lo, Sixteen& hi) {
        Eight l[2], h[2];
        Eight::adjacent(t, i, l[0], h[0]);
        Eight::adjacent(t, i + 8, l[1], h[1]);
        lo.v = join(l[0].v, l[1].v), hi.v = join(h[0].v, h[1].v);
    }
};

// What is left after the groups of sixteen: eight lanes, then the SSE2 kernel.
void designEight(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n) {
    qb_design_lanes::peakingThen<Eight>(d, f, u, out, n, qbDesignPeakingSse2);
}

}  // namespace

void qbDesignPeakingAvx512(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n) {
    qb_design_lanes::peakingThen<Sixteen>(d, f, u, out, n, designEight);
}

#include "platform/avx512_end.h"

#endif
