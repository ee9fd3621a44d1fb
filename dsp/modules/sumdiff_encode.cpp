#include "dsp/modules/sumdiff_encode.h"

#include "dsp/modules/stream_helpers.h"

void QB_DSP_SumDiff_Encode::code(uint32_t offset, uint32_t count) {
    announceAndCount(count);
    const float* a = in0;
    const float* b = in1;
    float* s = out0;
    float* d = out1;
    qb::forEachFourWide(
        offset, count,
        [=](uint32_t i) {
            s[i] = a[i] + b[i];
            d[i] = a[i] - b[i];
        },
        [=](uint32_t i) {
#if QB_FOUR_WIDE_SSE
            const __m128 l = _mm_loadu_ps(a + i);
            const __m128 r = _mm_loadu_ps(b + i);
            _mm_store_ps(s + i, _mm_add_ps(l, r));
            _mm_store_ps(d + i, _mm_sub_ps(l, r));
#else
            for (uint32_t k = i; k < i + 4u; ++k) {
                s[k] = a[k] + b[k];
                d[k] = a[k] - b[k];
            }
#endif
        });
}
