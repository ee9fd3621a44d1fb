// Cascades packed lane after lane (biquad_chains.h) with AVX-512: sixteen lanes in a
// vector, and thirty-two registers to keep several vectors' lanes in. Everything in this
// file is compiled for AVX-512 and has internal linkage except the entry point, which is
// called only when the CPU reports AVX-512 F and VL (platform/cpu_features.h).
#include "eq/biquad_cascade_kernels.h"

#if QB_HAVE_AVX512_KERNELS

#include "eq/biquad_chains.h"
#include "eq/biquad_staggered.h"

#include "platform/avx512_begin.h"

#include <immintrin.h>

#include "eq/biquad_chains_steps.h"

namespace {

struct Sixteen {
    static constexpr int kLanes = 16;
    using Mask = __mmask16;
    __m512 v;
    static Sixteen broadcast(float x) { return {_mm512_set1_ps(x)}; }
    static Sixteen fromLanes(const float* p) { return {_mm512_loadu_ps(p)}; }
    void toLanes(float* p) const { _mm512_storeu_ps(p, v); }
    Sixteen operator+(Sixteen b) const { return {_mm512_add_ps(v, b.v)}; }
    Sixteen operator-(Sixteen b) const { return {_mm512_sub_ps(v, b.v)}; }
    Sixteen operator*(Sixteen b) const { return {_mm512_mul_ps(v, b.v)}; }
    static Mask maskFromBits(const uint32_t* p) {
        const __m512i bits = _mm512_loadu_si512(p);
        return _mm512_test_epi32_mask(bits, bits);
    }
    static Mask atMost(const int32_t* p, int32_t m) {
        return _mm512_cmple_epi32_mask(_mm512_loadu_si512(p), _mm512_set1_epi32(m));
    }
    static Sixteen select(Mask mask, Sixteen yes, Sixteen no) { return {_mm512_mask_blend_ps(mask, no.v, yes.v)}; }
    // {before15, a0, ..., a14}. The zero-masking form with every lane kept is the same
    // instruction; the plain one trips GCC's uninitialised-value warning in its header.
    static Sixteen shiftAcross(Sixteen a, Sixteen before) {
        const __m512i lanes =
            _mm512_maskz_alignr_epi32(0xffff, _mm512_castps_si512(a.v), _mm512_castps_si512(before.v), 15);
        return {_mm512_castsi512_ps(lanes)};
    }
};

}  // namespace

bool qbBiquadChainsAvx512(const QB_CascadeJob* jobs, int m, uint32_t n) {
    return qb_chains::run<Sixteen, 4>(jobs, m, n);
}

#include "platform/avx512_end.h"

#endif
