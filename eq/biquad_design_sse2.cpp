// Type 9 (peaking) coefficient sets four samples at a time with SSE2. Each lane follows
// qbDesignAt's clamps, table read and formula in the same order, so every set is the
// scalar one bit for bit; the last n % 4 samples go through qbDesignAt itself.
#include "eq/biquad_cascade_kernels.h"
#include "eq/biquad_design.h"

#if QB_HAVE_SSE2_KERNELS

#include <emmintrin.h>

namespace {

__m128 select(__m128 mask, __m128 yes, __m128 no) { return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no)); }

__m128 absolute(__m128 x) { return _mm_and_ps(x, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff))); }

// Lanes holding a finite value (NaN and infinities compare false).
__m128 finite(__m128 x) { return _mm_cmple_ps(absolute(x), _mm_set1_ps(3.40282347e38f)); }

}  // namespace

void qbDesignPeakingSse2(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n) {
    using namespace qb_design_detail;
    const __m128 one = _mm_set1_ps(1.0f), H = _mm_set1_ps(d.term);
    const float* table = d.tanTable;
    uint32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        // Table position, clamped to [0, 2047]; NaN goes to 0 (max answers its second
        // operand when the first is NaN).
        const __m128 x = _mm_loadu_ps(f + i);
        __m128 p = d.linearMode ? _mm_mul_ps(x, _mm_set1_ps(d.indexScale))
                                : _mm_mul_ps(_mm_add_ps(x, one), _mm_set1_ps(kPitchPositionScale));
        p = _mm_min_ps(_mm_max_ps(p, _mm_setzero_ps()), _mm_set1_ps(kLastPosition));
        const __m128i index = _mm_cvttps_epi32(p);
        const __m128 t = _mm_sub_ps(p, _mm_cvtepi32_ps(index));
        alignas(16) int32_t at[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(at), index);
        const __m128 lo = _mm_setr_ps(table[at[0]], table[at[1]], table[at[2]], table[at[3]]);
        const __m128 hi = _mm_setr_ps(table[at[0] + 1], table[at[1] + 1], table[at[2] + 1], table[at[3] + 1]);
        const __m128 K = _mm_add_ps(lo, _mm_mul_ps(_mm_sub_ps(hi, lo), t));

        // Gain clamped to [-0.5, 0.5]; NaN gives 0.
        __m128 g = _mm_loadu_ps(u + i);
        g = _mm_andnot_ps(_mm_cmpunord_ps(g, g), g);
        g = _mm_min_ps(_mm_max_ps(g, _mm_set1_ps(-0.5f)), _mm_set1_ps(0.5f));
        g = _mm_add_ps(g, _mm_set1_ps(0.5f));

        const __m128 K2 = _mm_mul_ps(K, K);
        const __m128 P = _mm_mul_ps(_mm_mul_ps(g, K), H);
        const __m128 Q = _mm_mul_ps(_mm_mul_ps(_mm_sub_ps(_mm_set1_ps(1.001f), g), K), H);
        const __m128 N = _mm_div_ps(one, _mm_add_ps(_mm_add_ps(Q, one), K2));
        const __m128 m = _mm_mul_ps(_mm_mul_ps(_mm_set1_ps(2.0f), _mm_sub_ps(K2, one)), N);
        const __m128 onePlusK2 = _mm_add_ps(one, K2);
        __m128 b0 = _mm_mul_ps(_mm_add_ps(onePlusK2, P), N);
        __m128 b1 = m;
        __m128 b2 = _mm_mul_ps(_mm_sub_ps(onePlusK2, P), N);
        __m128 a1 = m;
        __m128 a2 = _mm_mul_ps(_mm_sub_ps(onePlusK2, Q), N);

        // Unusable sets become the pass-through set, as in qbDesignAt.
        const __m128 usable = _mm_and_ps(
            _mm_and_ps(_mm_and_ps(finite(b0), finite(b1)), finite(b2)),
            _mm_and_ps(_mm_cmplt_ps(absolute(a2), one), _mm_cmplt_ps(absolute(a1), _mm_add_ps(one, a2))));
        const __m128 zero = _mm_setzero_ps();
        b0 = select(usable, b0, one);
        b1 = select(usable, b1, zero);
        b2 = select(usable, b2, zero);
        a1 = select(usable, a1, zero);
        a2 = select(usable, a2, zero);
        _mm_storeu_ps(out[0] + i, b0);
        _mm_storeu_ps(out[1] + i, b1);
        _mm_storeu_ps(out[2] + i, b2);
        _mm_storeu_ps(out[3] + i, a1);
        _mm_storeu_ps(out[4] + i, a2);
    }
    for (; i < n; ++i) {
        const QB_BiquadCoefficients c = qbDesignAt(d, f[i], u[i]);
        out[0][i] = c.b0, out[1][i] = c.b1, out[2][i] = c.b2, out[3][i] = c.a1, out[4][i] = c.a2;
    }
}

#endif
