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

#include "eq/biquad_design.h"

namespace qb_design_lanes {

// Designs groups * Lanes::kLanes sets from f[i], u[i] into out[0..4][i].
template <class V>
inline void peaking(const QB_BiquadDesign& d, const float* f, const float* u, float* const* out, uint32_t groups) {
    using namespace qb_design_detail;
    constexpr int L = V::kLanes;
    const V one = V::broadcast(1.0f), zero = V::broadcast(0.0f), H = V::broadcast(d.term);
    const V scale = V::broadcast(d.linearMode ? d.indexScale : kPitchPositionScale);
    const V largest = V::broadcast(3.40282347e38f);
    for (uint32_t g = 0; g < groups; ++g) {
        const uint32_t i = g * L;
        // Table position, clamped to [0, 2047]; NaN goes to 0.
        const V x = V::load(f + i);
        V p = d.linearMode ? x * scale : (x + one) * scale;
        p = V::min(V::max(p, zero), V::broadcast(kLastPosition));
        int32_t at[L];
        p.truncate(at);
        const V t = p - V::fromIndices(at);
        V lo, hi;
        V::adjacent(d.tanTable, at, lo, hi);
        const V K = lo + (hi - lo) * t;

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

}  // namespace qb_design_lanes
