// Two channels through the same series of sections (the left and right engines) with
// AVX-512: the staggered sections of biquad_staggered.h on eight lanes of 256 bits for
// each channel, as with AVX2, with thirty-two registers to hold both channels and their
// sets, and the per-sample sets laid into the lanes by two-source permutes instead of
// four-by-four transposes. Everything in this file is compiled
// for AVX-512 and has internal linkage except the entry point, called only when the CPU
// reports AVX-512 F and VL.
#include "eq/biquad_cascade_kernels.h"

#if QB_HAVE_AVX512_KERNELS

#include "platform/avx512_begin.h"

#include <immintrin.h>

#include "eq/biquad_eight_lanes.h"
#include "eq/biquad_staggered.h"

namespace {

// kPick[i]: lanes 0 to 3 take sample i of rows 0 to 3 (rows 0 and 1 in the first
// vector, 2 and 3 in the second, four samples each).
struct Pick {
    alignas(32) int32_t lanes[4][8];
    constexpr Pick() : lanes() {
        for (int i = 0; i < 4; ++i)
            for (int r = 0; r < 4; ++r) lanes[i][r] = 4 * r + i;
    }
};
constexpr Pick kPick{};

// Four floats from a, then four from b.
inline __m256 join(const float* a, const float* b) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(a)), _mm_loadu_ps(b), 1);
}

struct Eight : EightLanes<Eight> {
    // a with lane k set to x, by a masked broadcast.
    static Eight withLane(Eight a, int k, float x) {
        return of(_mm256_mask_broadcastss_ps(a.v, static_cast<__mmask8>(1u << k), _mm_set_ss(x)));
    }
    // The sets of four steps: rows 0 and 1, and rows 2 and 3, of each coefficient in a
    // vector each; one two-source permute gives lanes 0 to 3 of a step, and lane 4
    // comes from row 4 by a masked broadcast.
    struct SetRows {
        static constexpr uint32_t kSteps = 4;
        __m256 a[5], b[5];
        const float* last[5];
        explicit SetRows(const float* const (&rows)[5][qb_staggered::kMaxPerSampleSections]) {
            for (int j = 0; j < 5; ++j) {
                a[j] = join(rows[j][0], rows[j][1]);
                b[j] = join(rows[j][2], rows[j][3]);
                last[j] = rows[j][4];
            }
        }
        QB_STEP_INLINE void at(uint32_t i, Eight* sets) const {
            const __m256i pick = _mm256_load_si256(reinterpret_cast<const __m256i*>(kPick.lanes[i]));
            for (int j = 0; j < 5; ++j) {
                const __m256 low = _mm256_maskz_permutex2var_ps(0x0f, a[j], pick, b[j]);
                sets[j].v = _mm256_mask_broadcastss_ps(low, 0x10, _mm_load_ss(last[j] + i));
            }
        }
    };
};

}  // namespace

void qbBiquadSeriesPairAvx512(const QB_SectionCoefficients* sections, int count, QB_BiquadState* const* states,
                              const float* const* in, float* const* out, uint32_t n) {
    qb_staggered::runPair<Eight>(sections, count, states, in, out, n);
}

#include "platform/avx512_end.h"

#endif
