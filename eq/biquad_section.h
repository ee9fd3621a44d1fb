// The second-order section shared by every biquad module: its coefficients, its state
// and the per-sample arithmetic, plus the loops that run it over a stretch of a ring.
//
// The output formula is fixed to the bit: single precision, this grouping, and the
// constant 1e-10 subtracted from every output so that the recursion never sinks into
// denormal numbers. The loops handle four samples per step and then the remainder one
// by one; every sample goes through the same expression, so the result is identical to
// calling qbBiquadTick once per sample.
#pragma once

#include <cmath>
#include <cstdint>

// a0 is normalised to 1: y = b0*x + b1*x1 + b2*x2 - a1*y1 - a2*y2.
struct QB_BiquadCoefficients {
    float b0, b1, b2, a1, a2;
};

// x1, x2: the last two inputs; y1, y2: the last two outputs (newest first).
struct QB_BiquadState {
    float x1, x2, y1, y2;
};

// Five coefficient streams read at the same ring offsets as the audio.
struct QB_CoefficientStreams {
    const float* b0;
    const float* b1;
    const float* b2;
    const float* a1;
    const float* a2;

    QB_BiquadCoefficients at(uint32_t offset) const {
        return {b0[offset], b1[offset], b2[offset], a1[offset], a2[offset]};
    }
};

// Where one section of a series finds its coefficients: five streams read at the
// sample's offset (perSample), or the set at their offset 0 for the whole run.
struct QB_SectionCoefficients {
    QB_CoefficientStreams streams;
    bool perSample;
};

constexpr float kQbDenormalOffset = 1e-10f;

// Fills may run on to the next multiple of four: every buffer carries four spare floats.
constexpr uint32_t qbRoundUp4(uint32_t n) { return (n + 3u) & ~3u; }

inline float qbBiquadOutput(const QB_BiquadCoefficients& c, float x, float x1, float x2, float y1, float y2) {
    return c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a2 * y2 - (c.a1 * y1 + kQbDenormalOffset);
}

// One sample through one section: the reference every loop below must match.
inline float qbBiquadTick(const QB_BiquadCoefficients& c, QB_BiquadState& s, float x) {
    const float y = qbBiquadOutput(c, x, s.x1, s.x2, s.y1, s.y2);
    s.x2 = s.x1;
    s.x1 = x;
    s.y2 = s.y1;
    s.y1 = y;
    return y;
}

// Runs one section over n samples. in may equal out (in-place cascades): every input
// sample is read before the output at the same position is written.
// Coeffs(i) yields the coefficient set of sample i.
template <class Coeffs>
inline void qbBiquadRunWith(Coeffs coeffs, QB_BiquadState& s, const float* in, float* out, uint32_t n) {
    float x1 = s.x1, x2 = s.x2, y1 = s.y1, y2 = s.y2;
    uint32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const float i0 = in[i], i1 = in[i + 1], i2 = in[i + 2], i3 = in[i + 3];
        const float o0 = qbBiquadOutput(coeffs(i), i0, x1, x2, y1, y2);
        const float o1 = qbBiquadOutput(coeffs(i + 1), i1, i0, x1, o0, y1);
        const float o2 = qbBiquadOutput(coeffs(i + 2), i2, i1, i0, o1, o0);
        const float o3 = qbBiquadOutput(coeffs(i + 3), i3, i2, i1, o2, o1);
        out[i] = o0;
        out[i + 1] = o1;
        out[i + 2] = o2;
        out[i + 3] = o3;
        x2 = i2;
        x1 = i3;
        y2 = o2;
        y1 = o3;
    }
    for (; i < n; ++i) {
        const float x = in[i];
        const float y = qbBiquadOutput(coeffs(i), x, x1, x2, y1, y2);
        out[i] = y;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
    }
    s = {x1, x2, y1, y2};
}

// One coefficient set for the whole stretch.
inline void qbBiquadRun(const QB_BiquadCoefficients& c, QB_BiquadState& s, const float* in, float* out,
                        uint32_t n) {
    qbBiquadRunWith([&c](uint32_t) -> const QB_BiquadCoefficients& { return c; }, s, in, out, n);
}

// Coefficients read per sample: sample i uses the streams at offset + i.
inline void qbBiquadRunVarying(const QB_CoefficientStreams& c, uint32_t offset, QB_BiquadState& s, const float* in,
                               float* out, uint32_t n) {
    qbBiquadRunWith([&c, offset](uint32_t i) { return c.at(offset + i); }, s, in, out, n);
}

// count sections with the same coefficients in series: the first reads in and writes
// out, every later one filters out in place.
inline void qbBiquadCascade(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in,
                            float* out, uint32_t n) {
    for (int k = 0; k < count; ++k) qbBiquadRun(c, states[k], k == 0 ? in : out, out, n);
}

// One cascade of identical sections among several independent ones that run together:
// no job's output is another job's input or output (a job's own in may equal its out).
struct QB_CascadeJob {
    QB_BiquadCoefficients c;
    QB_BiquadState* states;
    int count;
    const float* in;
    float* out;
};

// A state that became NaN or infinite (from a non-finite input) would keep the section
// silent or non-finite for ever; clearing it lets the section recover as soon as the
// input is finite again. Finite states are left untouched.
inline void qbClearIfNonFinite(QB_BiquadState& s) {
    if (!(std::isfinite(s.x1) && std::isfinite(s.x2) && std::isfinite(s.y1) && std::isfinite(s.y2))) s = {};
}
