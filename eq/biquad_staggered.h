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
//   +, -, *; shiftIn(v, x) = {x, v[0], ..., v[kLanes - 2]};
//   steps4(p, v): v[i] = {p[0][i], ..., p[4][i], 0, ...} (lanes 0 to 4 only).
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
    bool perSample(int) const { return false; }
    const float* stream(int, int) const { return nullptr; }
};

// The most sections the staggered loop takes when one reads its sets per sample.
constexpr int kMaxPerSampleSections = 5;

// A source of its own per section. With a per-sample section, every step reads each
// section's set at its own sample; the sets of four steps are read as a row per section
// and turned into four vectors, one per step. That reads lanes 0 to 4 only (the multi
// engine has five bands): more sections with a per-sample one run one after the other.
struct OwnSets {
    const QB_SectionCoefficients* sections;
    void run(int k, QB_BiquadState& s, const float* in, float* out, uint32_t from, uint32_t n) const {
        if (sections[k].perSample) qbBiquadRunVaryingBaseline(sections[k].streams, from, s, in, out, n);
        else qbBiquadRunBaseline(sections[k].streams.at(0), s, in, out, n);
    }
    QB_BiquadCoefficients at(int k) const { return sections[k].streams.at(0); }
    bool perSample(int k) const { return sections[k].perSample; }
    bool staggers(int count) const {
        for (int k = 0; k < count; ++k)
            if (sections[k].perSample) return count <= kMaxPerSampleSections;
        return true;
    }
    // Coefficient j (b0, b1, b2, a1, a2) of section k.
    const float* stream(int k, int j) const {
        const QB_CoefficientStreams& s = sections[k].streams;
        const float* const all[5] = {s.b0, s.b1, s.b2, s.a1, s.a2};
        return all[j];
    }
};

// count sections (2 <= count <= Pack::kLanes, at most five when one reads per sample)
// over n samples, n > 2 (count - 1).
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
    const auto step = [&](uint32_t t, const Pack& C0, const Pack& C1, const Pack& C2, const Pack& D1,
                          const Pack& D2) {
        const Pack X = Pack::shiftIn(Before, in[t]);
        const Pack Y = C0 * X + C1 * X1 + C2 * X2 - D2 * Y2 - (D1 * Y1 + offset);
        X2 = X1, X1 = X, Y2 = Y1, Y1 = Y;
        Before = Last, Last = Y;
        Y.toLanes(lanes);
        out[t - lead] = lanes[count - 1];
    };
    bool perSample = false;
    for (int k = 0; k < count; ++k) perSample = perSample || sets.perSample(k);
    uint32_t t = lead;
    if (perSample) {
        // Sections with one set read four copies of it; lanes past count read zeros.
        float fixed[5][kMaxPerSampleSections][4] = {}, zeros[4] = {};
        const float* const columns[5] = {b0, b1, b2, a1, a2};
        for (int j = 0; j < 5; ++j)
            for (int k = 0; k < count; ++k)
                for (float& v : fixed[j][k]) v = columns[j][k];
        // rows[j][k]: where coefficient j of lane k is read for the next four steps.
        const float* rows[5][kMaxPerSampleSections];
        uint32_t advance[kMaxPerSampleSections] = {};
        for (int k = 0; k < kMaxPerSampleSections; ++k) {
            const bool varies = k < count && sets.perSample(k);
            advance[k] = varies ? 4 : 0;
            for (int j = 0; j < 5; ++j)
                rows[j][k] = k >= count ? zeros
                             : varies   ? sets.stream(k, j) + (t - kStagger * static_cast<uint32_t>(k))
                                        : fixed[j][k];
        }
        for (; t + 4 <= n; t += 4) {
            Pack C[5][4];
            for (int j = 0; j < 5; ++j) {
                Pack::steps4(rows[j], C[j]);
                for (int k = 0; k < kMaxPerSampleSections; ++k) rows[j][k] += advance[k];
            }
            for (uint32_t i = 0; i < 4; ++i) step(t + i, C[0][i], C[1][i], C[2][i], C[3][i], C[4][i]);
        }
        // The last steps one by one, from a row of lanes.
        for (; t < n; ++t) {
            for (int k = 0; k < count; ++k) {
                if (!sets.perSample(k)) continue;
                const uint32_t at = t - kStagger * static_cast<uint32_t>(k);
                b0[k] = sets.stream(k, 0)[at], b1[k] = sets.stream(k, 1)[at], b2[k] = sets.stream(k, 2)[at];
                a1[k] = sets.stream(k, 3)[at], a2[k] = sets.stream(k, 4)[at];
            }
            step(t, Pack::fromLanes(b0), Pack::fromLanes(b1), Pack::fromLanes(b2), Pack::fromLanes(a1),
                 Pack::fromLanes(a2));
        }
    }
    for (; t < n; ++t) step(t, B0, B1, B2, A1, A2);

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

// A kernel file's entry: the sections one after the other where the stagger cannot
// start or does not pay, Narrow's lanes for up to Narrow::kLanes sections, Wide's beyond.
template <class Narrow, class Wide, class Sets>
inline void run(const Sets& sets, QB_BiquadState* states, int count, const float* in, float* out, uint32_t n) {
    if (count < 2 || n <= kStagger * static_cast<uint32_t>(count - 1) || !sets.staggers(count))
        for (int k = 0; k < count; ++k) sets.run(k, states[k], k == 0 ? in : out, out, 0, n);
    else if (count <= Narrow::kLanes)
        cascade<Narrow>(sets, states, count, in, out, n);
    else
        cascade<Wide>(sets, states, count, in, out, n);
}

}  // namespace qb_staggered
