#include "eq/biquad_cascade.h"

#include "eq/biquad_cascade_kernels.h"
#include "eq/biquad_staggered.h"

void qbBiquadRunBaseline(const QB_BiquadCoefficients& c, QB_BiquadState& s, const float* in, float* out,
                         uint32_t n) {
    qbBiquadRun(c, s, in, out, n);
}

void qbBiquadCascadeBaseline(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in,
                             float* out, uint32_t n) {
    qbBiquadCascade(c, states, count, in, out, n);
}

void qbBiquadRunVaryingBaseline(const QB_CoefficientStreams& c, uint32_t offset, QB_BiquadState& s,
                                const float* in, float* out, uint32_t n) {
    qbBiquadRunVarying(c, offset, s, in, out, n);
}

namespace {

void scalarCascades(const QB_CascadeJob* jobs, int m, uint32_t n) {
    for (int j = 0; j < m; ++j) qbBiquadCascade(jobs[j].c, jobs[j].states, jobs[j].count, jobs[j].in, jobs[j].out, n);
}

void scalarSeries(const QB_SectionCoefficients* sections, QB_BiquadState* states, int count, const float* in,
                  float* out, uint32_t n) {
    for (int k = 0; k < count; ++k) qb_staggered::OwnSets{sections}.run(k, states[k], k == 0 ? in : out, out, 0, n);
}

template <QB_BiquadSeriesFn series>
void seriesOneByOne(const QB_SectionCoefficients* sections, int count, QB_BiquadState* const* states,
                    const float* const* in, float* const* out, uint32_t n) {
    for (int ch = 0; ch < 2; ++ch) series(sections, states[ch], count, in[ch], out[ch], n);
}

// The kernel of a level among those this build has; a level the build cannot run falls
// back to the next narrower one. The vector kernels are named only where they exist.
template <class Fn>
Fn choose(QB_SimdLevel level, Fn scalar, Fn sse2, Fn avx2) {
    if (QB_HAVE_AVX2_KERNELS && qbSimdAtLeast(level, QB_SimdLevel::kAvx2)) return avx2;
    if (QB_HAVE_SSE2_KERNELS && level != QB_SimdLevel::kScalar) return sse2;
    return scalar;
}

#if QB_HAVE_AVX2_KERNELS
#define QB_AVX2_KERNEL(name) &name
#else
#define QB_AVX2_KERNEL(name) nullptr
#endif
#if QB_HAVE_SSE2_KERNELS
#define QB_SSE2_KERNEL(name) &name
#else
#define QB_SSE2_KERNEL(name) nullptr
#endif

}  // namespace

QB_BiquadCascadeFn qbBiquadCascadeFor(QB_SimdLevel level) {
    return choose<QB_BiquadCascadeFn>(level, &qbBiquadCascadeBaseline, QB_SSE2_KERNEL(qbBiquadCascadeSse2),
                                      QB_AVX2_KERNEL(qbBiquadCascadeAvx2));
}

QB_BiquadCascadesFn qbBiquadCascadesFor(QB_SimdLevel level) {
    return choose<QB_BiquadCascadesFn>(level, &scalarCascades, QB_SSE2_KERNEL(qbBiquadCascadesSse2),
                                       QB_AVX2_KERNEL(qbBiquadCascadesAvx2));
}

QB_BiquadChainsFn qbBiquadChainsFor(QB_SimdLevel level) {
    // With AVX2's sixteen registers the packed lanes spill, and the waves of pairs are faster.
#if QB_HAVE_AVX512_KERNELS
    if (level == QB_SimdLevel::kAvx512) return &qbBiquadChainsAvx512;
#endif
    return nullptr;
}

QB_BiquadSeriesFn qbBiquadSeriesFor(QB_SimdLevel level) {
    return choose<QB_BiquadSeriesFn>(level, &scalarSeries, QB_SSE2_KERNEL(qbBiquadSeriesSse2),
                                     QB_AVX2_KERNEL(qbBiquadSeriesAvx2));
}

QB_BiquadSeriesPairFn qbBiquadSeriesPairFor(QB_SimdLevel level) {
    // SSE2 runs the channels one after the other: two channels' lanes in pairs of vectors
    // do not fit its sixteen registers. AVX-512 keeps both and their sets in thirty-two.
#if QB_HAVE_AVX512_KERNELS
    if (level == QB_SimdLevel::kAvx512) return &qbBiquadSeriesPairAvx512;
#endif
    return choose<QB_BiquadSeriesPairFn>(level, &seriesOneByOne<&scalarSeries>,
                                         QB_SSE2_KERNEL(seriesOneByOne<&qbBiquadSeriesSse2>),
                                         QB_AVX2_KERNEL(qbBiquadSeriesPairAvx2));
}
