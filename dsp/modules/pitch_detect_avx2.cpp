// Zero-crossing trackers side by side with AVX2 (pitch_detect_steps.h). Everything in
// this file is compiled for AVX2 and has internal linkage except the entry point, which
// is called only when the CPU reports AVX2.
#include "dsp/framework/graph_host.h"
#include "dsp/modules/pitch_detect_lanes.h"

#if QB_HAVE_AVX2_KERNELS

#include "platform/avx2_begin.h"

#include <immintrin.h>

#include "dsp/modules/pitch_detect_steps.h"

namespace {

// Masks as vectors of all-ones lanes, selections by blendv.
struct VectorMasks {
    using Mask = __m256;
    static Mask less(__m256 a, __m256 b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    static Mask greater(__m256 a, __m256 b) { return _mm256_cmp_ps(a, b, _CMP_GT_OQ); }
    static Mask unordered(__m256 a, __m256 b) { return _mm256_cmp_ps(a, b, _CMP_UNORD_Q); }
    static Mask either(Mask a, Mask b) { return _mm256_or_ps(a, b); }
    static Mask negative(__m256i v) { return _mm256_castsi256_ps(_mm256_srai_epi32(v, 31)); }
    static __m256 blend(Mask m, __m256 no, __m256 yes) { return _mm256_blendv_ps(no, yes, m); }
};

}  // namespace

uint32_t qbPitchTrackAvx2(QB_PitchLanes& l, uint32_t n) { return trackLanes<VectorMasks>(l, n); }

#include "platform/avx2_end.h"

#endif
