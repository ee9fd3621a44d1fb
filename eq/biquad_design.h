// The nine second-order designs shared by the coefficient designer and the static
// biquad: table look-up with linear interpolation, the section compensation factors and
// the per-type formulas, in single precision with the grouping the formulas are given in.
//
// Inputs are checked here, where they enter the arithmetic, so that no input can index
// outside a table or yield an unusable section:
// - a table position (frequency x index scale, or (pitch + 1) x 2048/2.3) is clamped to
//   [0, 2047]; NaN goes to 0. Position 2047 is the last node whose interval does not end
//   at the pole of the tangent at half the sample rate.
// - a type outside 0..9 is taken as 0 (no filter); a section index outside 0..7 is
//   clamped to that range.
// - type 9's gain u is clamped to [-0.5, 0.5], full rejection to +60 dB; NaN gives 0.
//   At u = 0.501 the poles reach the unit circle; below -0.5 a cut would turn into a
//   phase-inverted boost again.
// - any other set that comes out non-finite or with poles on or outside the unit circle
//   is replaced by the pass-through set {1, 0, 0, 0, 0}. That catches types 1 and 4 with
//   R*w >= 1.01, type 7 with w = 1, a NaN width, and pitch-scale frequencies below a few
//   hertz, where single precision can no longer keep the poles inside the unit circle.
// Finite, stable sets are never altered.
#pragma once

#include <cmath>
#include <cstdint>

#include "dsp/framework/lookup_tables.h"
#include "eq/biquad_section.h"
#include "platform/cpu_features.h"

// A type or section index as it arrives in an event's intValue (its low 16 bits count).
int16_t qbValidBiquadType(int32_t intValue);
int16_t qbValidSectionIndex(int32_t intValue);

// 2048 / (fs * 0.05): table position per graph unit (10 Hz) of linear frequency.
float qbIndexScale(int32_t sampleRateInt);

// The part of a design that is computed once per call: the tables of the mode and the
// width term of the type.
struct QB_BiquadDesign {
    int16_t type;  // 0..9
    bool linearMode;
    float indexScale;
    float term;  // M (types 1, 4), B (2, 5), G (3, 6, 8), r (7) or H (9)
    const float* sinTable;
    const float* cosTable;
    const float* tanTable;
    const float* invTanTable;
};

QB_BiquadDesign qbBeginDesign(const QB_LookupTables& tables, float indexScale, int16_t type, int16_t sectionIndex,
                              bool linearMode, float width);

namespace qb_design_detail {

constexpr float kLastPosition = 2047.0f;
constexpr float kPitchPositionScale = 890.43475f;  // 2048 / 2.3

inline float tablePosition(const QB_BiquadDesign& d, float x) {
    float p = d.linearMode ? x * d.indexScale : (x + 1.0f) * kPitchPositionScale;
    if (!(p > 0.0f)) p = 0.0f;  // also NaN
    if (p > kLastPosition) p = kLastPosition;
    return p;
}

// T[i] + (T[i+1] - T[i]) * t at a position already clamped to [0, 2047].
struct TablePoint {
    int32_t i;
    float t;
    float read(const float* table) const { return table[i] + (table[i + 1] - table[i]) * t; }
};

inline TablePoint tablePoint(const QB_BiquadDesign& d, float x) {
    const float p = tablePosition(d, x);
    const int32_t i = static_cast<int32_t>(p);
    return {i, p - static_cast<float>(i)};
}

inline bool isUsable(const QB_BiquadCoefficients& c) {
    return std::isfinite(c.b0) && std::isfinite(c.b1) && std::isfinite(c.b2) && std::fabs(c.a2) < 1.0f &&
           std::fabs(c.a1) < 1.0f + c.a2;
}

}  // namespace qb_design_detail

// One set per sample for n samples, sample i from frequency f[i] and gain u[i], written
// at out[0..4][i] (b0, b1, b2, a1, a2): qbDesignAt at every sample, with the kernel of
// the level where one exists for the type (type 9, SSE2 and wider).
void qbDesignRun(QB_SimdLevel level, const QB_BiquadDesign& d, const float* f, const float* u, float* const* out,
                 uint32_t n);

// One coefficient set for frequency x (graph units or pitch value, by the design's mode)
// and gain u (type 9 only). Type 0 gives the all-zero set.
inline QB_BiquadCoefficients qbDesignAt(const QB_BiquadDesign& d, float x, float u) {
    using namespace qb_design_detail;
    const TablePoint pt = tablePoint(d, x);
    QB_BiquadCoefficients c{};
    switch (d.type) {
        case 1: {  // low-pass, inverse-tangent form
            const float M = d.term, V = pt.read(d.invTanTable), V2 = V * V;
            const float N = 1.0f / (V2 + 1.0f + V * M);
            c = {N, 2.0f * N, N, 2.0f * (1.0f - V2) * N, (1.0f - V * M + V2) * N};
            break;
        }
        case 2: {  // low-pass, tangent form
            const float B = d.term, K = pt.read(d.tanTable), K2 = K * K;
            const float N = 1.0f / (K2 + 1.0f + B * K);
            c = {K2 * N, 2.0f * K2 * N, K2 * N, (2.0f * K2 - 2.0f) * N, (K2 + 1.0f - B * K) * N};
            break;
        }
        case 3: {  // low-pass, sine/cosine form
            const float S = pt.read(d.sinTable), Co = pt.read(d.cosTable);
            const float alpha = S * d.term, h = 0.5f / (alpha + 1.0f);
            const float b = (1.0f - Co) * h;
            c = {b, (1.0f - Co) * 2.0f * h, b, -2.0f * Co * 2.0f * h, (1.0f - alpha) * 2.0f * h};
            break;
        }
        case 4: {  // high-pass, tangent form
            const float M = d.term, K = pt.read(d.tanTable), K2 = K * K;
            const float N = 1.0f / (K2 + 1.0f + K * M);
            c = {N, -2.0f * N, N, 2.0f * (K2 - 1.0f) * N, (1.0f - K * M + K2) * N};
            break;
        }
        case 5: {  // high-pass, inverse-tangent form
            const float B = d.term, V = pt.read(d.invTanTable), V2 = V * V;
            const float N = 1.0f / (V2 + 1.0f + V * B);
            c = {V2 * N, -2.0f * V2 * N, V2 * N, 2.0f * N - 2.0f * V2 * N, (V2 + 1.0f - V * B) * N};
            break;
        }
        case 6: {  // high-pass, sine/cosine form, inverted polarity
            const float S = pt.read(d.sinTable), Co = pt.read(d.cosTable);
            const float alpha = S * d.term, h = 0.5f / (alpha + 1.0f);
            const float b = -((1.0f + Co) * h);
            c = {b, (1.0f + Co) * 2.0f * h, b, -2.0f * Co * 2.0f * h, (1.0f - alpha) * 2.0f * h};
            break;
        }
        case 7: {  // two-pole resonator
            const float r = d.term, Co = pt.read(d.cosTable);
            c = {1.0f + r, 0.0f, r * (1.0f + r), 2.0f * r * Co, r * r};
            break;
        }
        case 8: {  // notch
            const float S = pt.read(d.sinTable), Co = pt.read(d.cosTable);
            const float alpha = S * d.term, den = 1.0f + alpha;
            const float b = 1.0f / den, m = -2.0f * Co / den;
            c = {b, m, b, m, (1.0f - alpha) / den};
            break;
        }
        case 9: {  // peaking
            if (std::isnan(u)) u = 0.0f;
            else if (u < -0.5f) u = -0.5f;
            else if (u > 0.5f) u = 0.5f;
            const float H = d.term, K = pt.read(d.tanTable), K2 = K * K;
            const float g = u + 0.5f;
            const float P = g * K * H, Q = (1.001f - g) * K * H;
            const float N = 1.0f / (Q + 1.0f + K2);
            const float m = 2.0f * (K2 - 1.0f) * N;
            c = {(1.0f + K2 + P) * N, m, (1.0f + K2 - P) * N, m, (1.0f + K2 - Q) * N};
            break;
        }
        default:
            return c;
    }
    if (!isUsable(c)) c = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    return c;
}
