#include "dsp/modules/sumdiff_decode.h"

#include "dsp/modules/stream_helpers.h"

void QB_DSP_SumDiff_Decode::code(uint32_t offset, uint32_t count) {
    announceAndCount(count);
    const float* s = in0;
    const float* d = in1;
    float* l = out0;
    float* r = out1;
    qb::forEachFourWide(
        offset, count,
        [=](uint32_t i) {
            const float hs = 0.5f * s[i];
            const float hd = 0.5f * d[i];
            l[i] = hs + hd;
            r[i] = hs - hd;
        },
        [=](uint32_t i) {
#if QB_FOUR_WIDE_SSE
            const __m128 half = _mm_set1_ps(0.5f);
            const __m128 hs = _mm_mul_ps(half, _mm_loadu_ps(s + i));
            const __m128 hd = _mm_mul_ps(half, _mm_loadu_ps(d + i));
            _mm_store_ps(l + i, _mm_add_ps(hs, hd));
            _mm_store_ps(r + i, _mm_sub_ps(hs, hd));
#else
            for (uint32_t k = i; k < i + 4u; ++k) {
                const float hs = 0.5f * s[k];
                const float hd = 0.5f * d[k];
                l[k] = hs + hd;
                r[k] = hs - hd;
            }
#endif
        });
}
