#include "eq/biquad_cascade.h"

#include "eq/biquad_cascade_kernels.h"

void qbBiquadRunBaseline(const QB_BiquadCoefficients& c, QB_BiquadState& s, const float* in, float* out,
                         uint32_t n) {
    qbBiquadRun(c, s, in, out, n);
}

namespace {

void scalarCascade(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in, float* out,
                   uint32_t n) {
    qbBiquadCascade(c, states, count, in, out, n);
}

}  // namespace

QB_BiquadCascadeFn qbBiquadCascadeFor(QB_SimdLevel level) {
#if QB_HAVE_AVX2_KERNELS
    if (level == QB_SimdLevel::kAvx2) return &qbBiquadCascadeAvx2;
#endif
#if QB_HAVE_SSE2_KERNELS
    if (level != QB_SimdLevel::kScalar) return &qbBiquadCascadeSse2;
#endif
    return &scalarCascade;
}
