// Zero-crossing trackers side by side with AVX-512 F and VL (pitch_detect_steps.h): the
// same eight lanes as with AVX2, with comparisons into mask registers and one-operation
// masked blends in place of blendv, which shortens each step's chain. Everything in this
// file is compiled for AVX-512 and has internal linkage except the entry point, called
// only when the CPU reports AVX-512 F and VL.
#include "dsp/framework/graph_host.h"
#include "dsp/modules/pitch_detect_lanes.h"

#if QB_HAVE_AVX512_KERNELS

#include "platform/avx512_begin.h"

#include <immintrin.h>

#include "dsp/modules/pitch_detect_steps.h"

namespace {

struct RegisterMasks {
    using Mask = __mmask8;
    static Mask less(__m256 a, __m256 b) { return _mm256_cmp_ps_mask(a, b, _CMP_LT_OQ); }
    static Mask greater(__m256 a, __m256 b) { return _mm256_cmp_ps_mask(a, b, _CMP_GT_OQ); }
    static Mask unordered(__m256 a, __m256 b) { return _mm256_cmp_ps_mask(a, b, _CMP_UNORD_Q); }
    static Mask either(Mask a, Mask b) { return static_cast<Mask>(a | b); }
    static Mask negative(__m256i v) { return _mm256_cmplt_epi32_mask(v, _mm256_setzero_si256()); }
    static __m256 blend(Mask m, __m256 no, __m256 yes) { return _mm256_mask_blend_ps(m, no, yes); }
};

}  // namespace

uint32_t qbPitchTrackAvx512(QB_PitchLanes& l, uint32_t n) { return trackLanes<RegisterMasks>(l, n); }

#include "platform/avx512_end.h"

#endif
