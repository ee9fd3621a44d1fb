#include "eq/biquad_cascade.h"

#include "eq/biquad_cascade_kernels.h"
#include "eq/biquad_staggered.h"

void qbBiquadRunBaseline(const QB_BiquadCoefficients& c, QB_BiquadState& s, const float* in, float* out,
                         uint32_t n) {
    qbBiquadRun(c, s, in, out, n);
}

void qbBiquadRunVaryingBaseline(const QB_CoefficientStreams& c, uint32_t offset, QB_BiquadState& s,
                                const float* in, float* out, uint32_t n) {
    qbBiquadRunVarying(c, offset, s, in, out, n);
}

namespace {

void scalarCascade(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in, float* out,
                   uint32_t n) {
    qbBiquadCascade(c, states, count, in, out, n);
}

void scalarSeries(const QB_SectionCoefficients* sections, QB_BiquadState* states, int count, const float* in,
                  float* out, uint32_t n) {
    for (int k = 0; k < count; ++k) qb_staggered::OwnSets{sections}.run(k, states[k], k == 0 ? in : out, out, 0, n);
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

QB_BiquadSeriesFn qbBiquadSeriesFor(QB_SimdLevel level) {
#if QB_HAVE_AVX2_KERNELS
    if (level == QB_SimdLevel::kAvx2) return &qbBiquadSeriesAvx2;
#endif
#if QB_HAVE_SSE2_KERNELS
    if (level != QB_SimdLevel::kScalar) return &qbBiquadSeriesSse2;
#endif
    return &scalarSeries;
}
