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

#include "eq/biquad_design_eight.h"
#include "eq/biquad_design_lanes.h"

namespace {

struct Eight : DesignEight<Eight> {};

}  // namespace

void qbDesignPeakingAvx2(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n) {
    qb_design_lanes::peakingThen<Eight>(d, f, u, out, n, qbDesignPeakingSse2);
}

#include "platform/avx2_end.h"

#endif
