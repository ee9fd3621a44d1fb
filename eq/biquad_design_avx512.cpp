// Type 9 (peaking) coefficient sets eight samples at a time with AVX-512 F and VL
// (biquad_design_lanes.h): as with AVX2, with comparisons into mask registers and
// one-operation masked blends in place of blendv. The last n % 8 samples go to the SSE2
// kernel. Everything in this file is compiled for AVX-512 and has internal linkage except
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

}  // namespace

void qbDesignPeakingAvx512(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n) {
    qb_design_lanes::peakingThen<Eight>(d, f, u, out, n, qbDesignPeakingSse2);
}

#include "platform/avx512_end.h"

#endif
