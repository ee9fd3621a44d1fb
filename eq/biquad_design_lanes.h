// Type 9 (peaking) coefficient sets several samples at a time. Each lane follows
// qbDesignAt's clamps, table read, formula and pass-through fallback in the same order,
// so every set is the scalar one bit for bit.
//
// Included only by the kernel files, each with its own Lanes type (internal linkage):
//   kLanes; load(const float*); store(float*) const; broadcast(x); +, -, *, /;
//   min, max (answering b when a is NaN), lessEqual, less, unordered (masks, of V or of
//   a type of their own, combined by &), select(mask, yes, no), absolute; truncate(int32_t*) const (toward zero) and
//   fromIndices(const int32_t*); adjacent(table, const int32_t* i, lo, hi): lo = table[i],
//   hi = table[i + 1] lane by lane.
#pragma once

#include <cstdint>
#include <cstring>

#include "eq/biquad_design.h"

namespace qb_design_lanes {

// The tangent table read at the frequencies f[0 .. kLanes), clamped to [0, 2047]; NaN goes to 0.
template <class V>
inline V tangentAt(const QB_BiquadDesign& d, const float* f) {
    using namespace qb_design_detail;
    constexpr int L = V::kLanes;
    const V x = V::load(f);
    V p = d.linearMode ? x * V::broadcast(d.indexScale) : (x + V::broadcast(1.0f)) * V::broadcast(kPitchPositionScale);
    p = V::min(V::max(p, V::broadcast(0.0f)), V::broadcast(kLastPosition));
    int32_t at[L];
    p.truncate(at);
    const V t = p - V::fromIndices(at);
    V lo, hi;
    V::adjacent(d.tanTable, at, lo, hi);
    return lo + (hi - lo) * t;
}

// With kFixed every group takes the tangent fixedK, read once where the frequency holds still.
template <class V, bool kFixed>
inline void peakingGroups(const QB_BiquadDesign& d, V fixedK, const float* f, const float* u, float* const* out,
                          uint32_t groups) {
    constexpr int L = V::kLanes;
    const V one = V::broadcast(1.0f), zero = V::broadcast(0.0f), H = V::broadcast(d.term);
    const V largest = V::broadcast(3.40282347e38f);
    for (uint32_t g = 0; g < groups; ++g) {
        const uint32_t i = g * L;
        const V K = kFixed ? fixedK : tangentAt<V>(d, f + i);

        // Gain clamped to [-0.5, 0.5]; NaN gives 0.
        V gain = V::load(u + i);
        gain = V::select(V::unordered(gain, gain), zero, gain);
        gain = V::min(V::max(gain, V::broadcast(-0.5f)), V::broadcast(0.5f)) + V::broadcast(0.5f);

        const V K2 = K * K;
        const V P = gain * K * H;
        const V Q = (V::broadcast(1.001f) - gain) * K * H;
        const V N = one / (Q + one + K2);
        const V m = V::broadcast(2.0f) * (K2 - one) * N;
        const V b0 = (one + K2 + P) * N, b2 = (one + K2 - P) * N, a2 = (one + K2 - Q) * N;

        // Unusable sets become the pass-through set.
        const auto usable = V::lessEqual(V::absolute(b0), largest) & V::lessEqual(V::absolute(m), largest) &
                         V::lessEqual(V::absolute(b2), largest) & V::less(V::absolute(a2), one) &
                         V::less(V::absolute(m), one + a2);
        V::select(usable, b0, one).store(out[0] + i);
        V::select(usable, m, zero).store(out[1] + i);
        V::select(usable, b2, zero).store(out[2] + i);
        V::select(usable, m, zero).store(out[3] + i);
        V::select(usable, a2, zero).store(out[4] + i);
    }
}

// Designs groups * Lanes::kLanes sets from f[i], u[i] into out[0..4][i]. The control law
// moves a band's frequency once per sub-block and its gain at every sample, so a run whose
// frequencies all have the same bits reads the table once: the same K, the same sets.
template <class V>
inline void peaking(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t groups) {
    if (groups == 0) return;
    const size_t n = static_cast<size_t>(groups) * V::kLanes;
    if (std::memcmp(f, f + 1, (n - 1) * sizeof(float)) == 0)
        peakingGroups<V, true>(d, tangentAt<V>(d, f), f, u, out, groups);
    else
        peakingGroups<V, false>(d, V::broadcast(0.0f), f, u, out, groups);
}

// A kernel file's entry: the whole groups of V's lanes here, the last n % kLanes sets by
// rest, a narrower design run with the same arguments.
template <class V, class Rest>
inline void peakingThen(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t n,
                        Rest rest) {
    const uint32_t done = n / V::kLanes * V::kLanes;
    peaking<V>(d, f, u, out, n / V::kLanes);
    float* const after[5] = {out[0] + done, out[1] + done, out[2] + done, out[3] + done, out[4] + done};
    rest(d, f + done, u + done, after, n - done);
}

}  // namespace qb_design_lanes
