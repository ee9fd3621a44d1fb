// Sections in series run side by side: lane k of a vector holds section k, and the
// sections are staggered two samples apart, so one vector step advances every section by
// one sample (section k at sample t - 2k). Each lane computes exactly the scalar
// recursion of qbBiquadOutput, in the same order, so output and states are bit for bit
// those of running the sections one after the other. Two samples of stagger give a
// section's input two steps to arrive from the section before it, which keeps the
// feedback through y1, not the chain between sections, the longest path of a step.
//
// Included only by the kernel files, each with its own Pack of lanes (internal linkage):
//   kLanes; broadcast(x); fromLanes(const float*); toLanes(float*) const;
//   +, -, *; shiftIn(v, x) = {x, v[0], ..., v[kLanes - 2]}.
#pragma once

#include <cstdint>

#include "eq/biquad_section.h"

// The scalar section runs, compiled out of line with the baseline instruction set.
void qbBiquadRunBaseline(const QB_BiquadCoefficients& c, QB_BiquadState& s, const float* in, float* out,
                         uint32_t n);
void qbBiquadRunVaryingBaseline(const QB_CoefficientStreams& c, uint32_t offset, QB_BiquadState& s,
                                const float* in, float* out, uint32_t n);

namespace qb_staggered {

constexpr uint32_t kStagger = 2;

// One set for every section.
struct SameSet {
    const QB_BiquadCoefficients& c;
    void run(int, QB_BiquadState& s, const float* in, float* out, uint32_t, uint32_t n) const {
        qbBiquadRunBaseline(c, s, in, out, n);
    }
    bool staggers(int) const { return true; }
    QB_BiquadCoefficients at(int) const { return c; }
};

// A source of its own per section. The staggered loop takes only sections with one set
// for the run: gathering per-sample sets of different sections into one vector costs
// more than the stagger saves, so a series with a per-sample section runs scalar.
struct OwnSets {
    const QB_SectionCoefficients* sections;
    void run(int k, QB_BiquadState& s, const float* in, float* out, uint32_t from, uint32_t n) const {
        if (sections[k].perSample) qbBiquadRunVaryingBaseline(sections[k].streams, from, s, in, out, n);
        else qbBiquadRunBaseline(sections[k].streams.at(0), s, in, out, n);
    }
    QB_BiquadCoefficients at(int k) const { return sections[k].streams.at(0); }
    bool staggers(int count) const {
        for (int k = 0; k < count; ++k)
            if (sections[k].perSample) return false;
        return true;
    }
};

// count sections (2 <= count <= Pack::kLanes, each with one set for the run) over n
// samples, n > 2 (count - 1).
template <class Pack, class Sets>
inline void cascade(const Sets& sets, QB_BiquadState* states, int count, const float* in, float* out, uint32_t n) {
    constexpr int L = Pack::kLanes;
    const uint32_t lead = kStagger * static_cast<uint32_t>(count - 1);

    // Start: section k runs alone up to sample 2 (count - 1 - k), where the stagger begins.
    for (int k = 0; k < count - 1; ++k)
        sets.run(k, states[k], k == 0 ? in : out, out, 0, kStagger * static_cast<uint32_t>(count - 1 - k));

    // Lanes past count filter nothing (zero coefficients) and are never read.
    float b0[L] = {}, b1[L] = {}, b2[L] = {}, a1[L] = {}, a2[L] = {};
    float x1[L] = {}, x2[L] = {}, y1[L] = {}, y2[L] = {}, last[L] = {}, before[L] = {};
    for (int k = 0; k < count; ++k) {
        const QB_BiquadCoefficients c = sets.at(k);
        b0[k] = c.b0, b1[k] = c.b1, b2[k] = c.b2, a1[k] = c.a1, a2[k] = c.a2;
        x1[k] = states[k].x1, x2[k] = states[k].x2, y1[k] = states[k].y1, y2[k] = states[k].y2;
    }
    // The outputs of the two steps before the first: section k's at samples
    // 2 (count - 1 - k) - 1 and - 2, still in out (later sections stopped short of them).
    for (int k = 0; k < count - 1; ++k) {
        const uint32_t end = kStagger * static_cast<uint32_t>(count - 1 - k);
        last[k] = out[end - 1];
        before[k] = out[end - 2];
    }
    const Pack B0 = Pack::fromLanes(b0), B1 = Pack::fromLanes(b1), B2 = Pack::fromLanes(b2);
    const Pack A1 = Pack::fromLanes(a1), A2 = Pack::fromLanes(a2);
    const Pack offset = Pack::broadcast(kQbDenormalOffset);
    Pack X1 = Pack::fromLanes(x1), X2 = Pack::fromLanes(x2), Y1 = Pack::fromLanes(y1), Y2 = Pack::fromLanes(y2);
    Pack Last = Pack::fromLanes(last), Before = Pack::fromLanes(before);

    float lanes[L];
    for (uint32_t t = lead; t < n; ++t) {
        const Pack X = Pack::shiftIn(Before, in[t]);
        const Pack Y = B0 * X + B1 * X1 + B2 * X2 - A2 * Y2 - (A1 * Y1 + offset);
        X2 = X1, X1 = X, Y2 = Y1, Y1 = Y;
        Before = Last, Last = Y;
        Y.toLanes(lanes);
        out[t - lead] = lanes[count - 1];
    }

    X1.toLanes(x1), X2.toLanes(x2), Y1.toLanes(y1), Y2.toLanes(y2);
    Last.toLanes(last), Before.toLanes(before);
    for (int k = 0; k < count; ++k) states[k] = {x1[k], x2[k], y1[k], y2[k]};

    // End: section k still owes its last 2k samples. Their input is section k - 1's
    // output at those samples: two from the last two steps, the rest from its own end.
    float input[kStagger * L], ends[kStagger * L];  // ends: section k - 1's last outputs
    for (int k = 1; k < count; ++k) {
        const uint32_t owed = kStagger * static_cast<uint32_t>(k);
        input[0] = before[k - 1];
        input[1] = last[k - 1];
        for (uint32_t i = 2; i < owed; ++i) input[i] = ends[i - 2];
        sets.run(k, states[k], input, k == count - 1 ? out + (n - owed) : ends, n - owed, owed);
    }
}

}  // namespace qb_staggered
