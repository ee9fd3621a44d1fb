// Eight lanes of single precision in one 256-bit vector, for the staggered sections of
// biquad_staggered.h. Included only by kernel files, after their instruction set switch
// (AVX2 or wider), so that each file compiles its own copy; Derived (internal linkage)
// adds nothing or its own way of laying out per-sample sets.
#pragma once

#include <cstdint>

#include <immintrin.h>

namespace {

template <class Derived>
struct EightLanes {
    static constexpr int kLanes = 8;
    __m256 v;
    static Derived of(__m256 x) {
        Derived d;
        d.v = x;
        return d;
    }
    static Derived broadcast(float x) { return of(_mm256_set1_ps(x)); }
    static Derived fromLanes(const float* p) { return of(_mm256_loadu_ps(p)); }
    void toLanes(float* p) const { _mm256_storeu_ps(p, v); }
    // Lane k alone, by a lane permute rather than a row stored and read back.
    void storeLane(float* p, int k) const {
        _mm_store_ss(p, _mm256_castps256_ps128(_mm256_permutevar8x32_ps(v, _mm256_set1_epi32(k))));
    }
    Derived operator+(Derived b) const { return of(_mm256_add_ps(v, b.v)); }
    Derived operator-(Derived b) const { return of(_mm256_sub_ps(v, b.v)); }
    Derived operator*(Derived b) const { return of(_mm256_mul_ps(v, b.v)); }
    static Derived fromBits(const uint32_t* p) {
        return of(_mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))));
    }
    static Derived select(Derived mask, Derived yes, Derived no) { return of(_mm256_blendv_ps(no.v, yes.v, mask.v)); }
    // a with lane k set to x.
    static Derived withLane(Derived a, int k, float x) {
        const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
        const __m256 mask = _mm256_castsi256_ps(_mm256_cmpeq_epi32(lanes, _mm256_set1_epi32(k)));
        return of(_mm256_blendv_ps(a.v, _mm256_set1_ps(x), mask));
    }
    // {x, v0, ..., v6}
    static Derived shiftIn(Derived a, float x) {
        const __m256 up = _mm256_permutevar8x32_ps(a.v, _mm256_setr_epi32(0, 0, 1, 2, 3, 4, 5, 6));
        return of(_mm256_blend_ps(up, _mm256_set1_ps(x), 1));
    }
    // Lanes 0 to 3 by a transpose, lane 4 from a broadcast load, blended in (a blend
    // does not compete with the transpose and the lane shifts for the shuffle port).
    static void steps4(const float* const* p, Derived* d) {
        __m128 c[4] = {_mm_loadu_ps(p[0]), _mm_loadu_ps(p[1]), _mm_loadu_ps(p[2]), _mm_loadu_ps(p[3])};
        _MM_TRANSPOSE4_PS(c[0], c[1], c[2], c[3]);
        for (int i = 0; i < 4; ++i)
            d[i].v = _mm256_blend_ps(_mm256_castps128_ps256(c[i]), _mm256_broadcast_ss(p[4] + i), 0x10);
    }
};

}  // namespace
