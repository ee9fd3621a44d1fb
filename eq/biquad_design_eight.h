// Eight lanes for the type 9 designs of biquad_design_lanes.h: those of
// biquad_eight_lanes.h with the design's own operations, masks as vectors. Included only
// by kernel files, after their instruction set switch (AVX2 or wider), so that each
// compiles its own copy; Derived (internal linkage) may bring masks of its own.
#pragma once

#include <cstdint>

#include <immintrin.h>

#include "eq/biquad_eight_lanes.h"

namespace {

template <class Derived>
struct DesignEight : EightLanes<Derived> {
    using EightLanes<Derived>::of;
    using EightLanes<Derived>::v;
    static Derived load(const float* p) { return of(_mm256_loadu_ps(p)); }
    void store(float* p) const { _mm256_storeu_ps(p, v); }
    Derived operator/(Derived b) const { return of(_mm256_div_ps(v, b.v)); }
    Derived operator&(Derived b) const { return of(_mm256_and_ps(v, b.v)); }
    static Derived min(Derived a, Derived b) { return of(_mm256_min_ps(a.v, b.v)); }
    static Derived max(Derived a, Derived b) { return of(_mm256_max_ps(a.v, b.v)); }
    static Derived lessEqual(Derived a, Derived b) { return of(_mm256_cmp_ps(a.v, b.v, _CMP_LE_OQ)); }
    static Derived less(Derived a, Derived b) { return of(_mm256_cmp_ps(a.v, b.v, _CMP_LT_OQ)); }
    static Derived unordered(Derived a, Derived b) { return of(_mm256_cmp_ps(a.v, b.v, _CMP_UNORD_Q)); }
    static Derived absolute(Derived a) {
        return of(_mm256_and_ps(a.v, _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff))));
    }
    // The positions go through memory and are read back as scalars (the empty statement
    // keeps the compiler from taking them out of the vector lane by lane, which would
    // occupy the shuffle port twice per lane where a load does not).
    void truncate(int32_t* p) const {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_cvttps_epi32(v));
        __asm__ __volatile__("" : : "r"(p) : "memory");
    }
    static Derived fromIndices(const int32_t* p) {
        return of(_mm256_cvtepi32_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))));
    }
    // Each pair of neighbours by one 64-bit load, the pairs split by shuffles (cheaper
    // than two gathers).
    static void adjacent(const float* t, const int32_t* i, Derived& lo, Derived& hi) {
        const __m256 a = _mm256_set_m128(pairs(t, i[4], i[5]), pairs(t, i[0], i[1]));
        const __m256 b = _mm256_set_m128(pairs(t, i[6], i[7]), pairs(t, i[2], i[3]));
        lo.v = _mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
        hi.v = _mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
    }
    // {t[i], t[i + 1], t[j], t[j + 1]}
    static __m128 pairs(const float* t, int32_t i, int32_t j) {
        // __m64 may alias the floats.
        const __m128 low = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(t + i));
        return _mm_loadh_pi(low, reinterpret_cast<const __m64*>(t + j));
    }
};

}  // namespace
