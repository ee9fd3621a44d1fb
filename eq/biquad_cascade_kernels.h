// The vector kernels of the cascade and of the designs, each file compiled for its
// instruction set. Chosen through qbBiquadCascadeFor and qbDesignRun; not to be called
// on a CPU without the feature.
#pragma once

#include <cstdint>

#include "eq/biquad_section.h"
#include "platform/cpu_features.h"

void qbBiquadSeriesSse2(const QB_SectionCoefficients* sections, QB_BiquadState* states, int count, const float* in,
                        float* out, uint32_t n);
void qbBiquadSeriesAvx2(const QB_SectionCoefficients* sections, QB_BiquadState* states, int count, const float* in,
                        float* out, uint32_t n);
void qbBiquadSeriesPairAvx2(const QB_SectionCoefficients* sections, int count, QB_BiquadState* const* states,
                            const float* const* in, float* const* out, uint32_t n);
void qbBiquadSeriesPairAvx512(const QB_SectionCoefficients* sections, int count, QB_BiquadState* const* states,
                              const float* const* in, float* const* out, uint32_t n);
void qbBiquadCascadesSse2(const QB_CascadeJob* jobs, int m, uint32_t n);
void qbBiquadCascadesAvx2(const QB_CascadeJob* jobs, int m, uint32_t n);
bool qbBiquadChainsAvx512(const QB_CascadeJob* jobs, int m, uint32_t n);
void qbBiquadCascadeSse2(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in,
                         float* out, uint32_t n);
// Type 9 sets for n samples from f[i] and u[i], written at out[0..4][i].
struct QB_BiquadDesign;
void qbDesignPeakingSse2(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n);
void qbDesignPeakingAvx512(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n);
void qbDesignPeakingAvx2(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n);
void qbBiquadCascadeAvx2(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in,
                         float* out, uint32_t n);
