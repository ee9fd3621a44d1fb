// Zero-crossing trackers side by side, eight lanes of 256 bits: eight samples of every
// lane are loaded and transposed, so that each step works on one sample of all lanes, and
// the outputs are transposed back. Each lane follows QB_DSP_Pitch_Detect's recursion in
// the same order (pitch_detect_lanes.h). Included only by the kernel files, after their
// instruction set switch (AVX2 or wider), each with its own Masks.
#pragma once

#include <cstdint>

#include <immintrin.h>

#include "dsp/framework/graph_host.h"
#include "dsp/modules/pitch_detect_lanes.h"

namespace {

// r[i] = {v[0][i], ..., v[7][i]}, in place.
inline void transpose(__m256* v) {
    const __m256 t0 = _mm256_unpacklo_ps(v[0], v[1]), t1 = _mm256_unpackhi_ps(v[0], v[1]);
    const __m256 t2 = _mm256_unpacklo_ps(v[2], v[3]), t3 = _mm256_unpackhi_ps(v[2], v[3]);
    const __m256 t4 = _mm256_unpacklo_ps(v[4], v[5]), t5 = _mm256_unpackhi_ps(v[4], v[5]);
    const __m256 t6 = _mm256_unpacklo_ps(v[6], v[7]), t7 = _mm256_unpackhi_ps(v[6], v[7]);
    const __m256 s0 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 s1 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 s2 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 s3 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 s4 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 s5 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 s6 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 s7 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(3, 2, 3, 2));
    v[0] = _mm256_permute2f128_ps(s0, s4, 0x20), v[1] = _mm256_permute2f128_ps(s1, s5, 0x20);
    v[2] = _mm256_permute2f128_ps(s2, s6, 0x20), v[3] = _mm256_permute2f128_ps(s3, s7, 0x20);
    v[4] = _mm256_permute2f128_ps(s0, s4, 0x31), v[5] = _mm256_permute2f128_ps(s1, s5, 0x31);
    v[6] = _mm256_permute2f128_ps(s2, s6, 0x31), v[7] = _mm256_permute2f128_ps(s3, s7, 0x31);
}

inline __m256 loadFloats(const float* p) { return _mm256_loadu_ps(p); }
inline __m256i loadInts(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }

// Read by lanes without a tracker; their outputs go to scrap.
const float kSilence[QB_GraphHost::kMaxRing + 8] = {};

// How the lanes glide: each as its own flag says, or every tracker the same way (the
// flags' blend then leaves each step's chain).
enum class Glides { kMixed, kExponential, kLinear };

// The lanes' steps, with Masks choosing how comparisons and selections are made:
//   Mask; less, greater, unordered (float compares); either(a, b); negative(int lanes);
//   blend(mask, no, yes): yes in the lanes of mask, else no.
template <class Masks, Glides kGlides>
uint32_t trackLanesGliding(QB_PitchLanes& l, uint32_t n) {
    constexpr int L = QB_PitchLanes::kLanes;
    float scrap[QB_GraphHost::kMaxRing + 8];
    const uint32_t done = (n < static_cast<uint32_t>(QB_GraphHost::kMaxRing) ? n : QB_GraphHost::kMaxRing) / 8 * 8;
    const float* in[L];
    float* out[L];
    for (int k = 0; k < L; ++k) {
        in[k] = k < l.count ? l.in[k] : kSilence;
        out[k] = k < l.count ? l.out[k] : scrap;
    }
    const __m256 coef = loadFloats(l.coef), lo = loadFloats(l.lo), hi = loadFloats(l.hi), scale = loadFloats(l.scale);
    const auto exponential = Masks::negative(loadInts(l.exponential));
    const __m256 zero = _mm256_setzero_ps();
    __m256 cur = loadFloats(l.cur), tgt = loadFloats(l.tgt);
    __m256i lastBits = loadInts(l.lastBits), lastCross = loadInts(l.lastCross);
    for (uint32_t i = 0; i < done; i += 8) {
        __m256 x[L];
        for (int k = 0; k < L; ++k) x[k] = loadFloats(in[k] + i);
        transpose(x);
        for (int s = 0; s < 8; ++s) {
            const __m256i bits = _mm256_castps_si256(x[s]);
            const auto cross = Masks::negative(_mm256_xor_si256(bits, lastBits));
            const __m256i t = _mm256_set1_epi32(static_cast<int32_t>(l.t0 + i + static_cast<uint32_t>(s)));
            // The distance is below 2^31, where the signed conversion is the unsigned one.
            const __m256 estimate = _mm256_div_ps(scale, _mm256_cvtepi32_ps(_mm256_sub_epi32(t, lastCross)));
            const auto low = Masks::either(Masks::less(estimate, lo), Masks::unordered(estimate, estimate));
            const auto high = Masks::greater(estimate, hi);
            const __m256 clamped = Masks::blend(low, Masks::blend(high, estimate, hi), lo);
            tgt = Masks::blend(cross, tgt, clamped);
            lastCross = _mm256_castps_si256(
                Masks::blend(cross, _mm256_castsi256_ps(lastCross), _mm256_castsi256_ps(t)));
            const __m256 glide = _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(cur, tgt), coef), tgt);
            const auto up = Masks::greater(_mm256_sub_ps(tgt, cur), zero);
            const __m256 slew = Masks::blend(up, _mm256_sub_ps(cur, coef), _mm256_add_ps(cur, coef));
            cur = kGlides == Glides::kExponential ? glide
                  : kGlides == Glides::kLinear    ? slew
                                                  : Masks::blend(exponential, slew, glide);
            x[s] = cur;
            lastBits = bits;
        }
        transpose(x);
        for (int k = 0; k < L; ++k) _mm256_storeu_ps(out[k] + i, x[k]);
    }
    _mm256_storeu_ps(l.cur, cur), _mm256_storeu_ps(l.tgt, tgt);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(l.lastBits), lastBits);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(l.lastCross), lastCross);
    return done;
}

// Runs the lanes as trackLanesGliding does, the glide chosen once for all lanes where
// every tracker (lanes past count are scrap) glides the same way.
template <class Masks>
uint32_t trackLanes(QB_PitchLanes& l, uint32_t n) {
    bool exponential = true, linear = true;
    for (int k = 0; k < l.count; ++k) {
        exponential = exponential && l.exponential[k] != 0;
        linear = linear && l.exponential[k] == 0;
    }
    if (exponential) return trackLanesGliding<Masks, Glides::kExponential>(l, n);
    if (linear) return trackLanesGliding<Masks, Glides::kLinear>(l, n);
    return trackLanesGliding<Masks, Glides::kMixed>(l, n);
}

}  // namespace
