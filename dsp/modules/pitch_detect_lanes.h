// Up to eight zero-crossing trackers side by side, one per lane of a vector: each lane
// follows QB_DSP_Pitch_Detect's recursion (crossing test, estimate, clamps, linear or
// exponential glide) in the same order, so every output sample and state is the one of
// the tracker run alone.
#pragma once

#include <cstdint>

#include "platform/cpu_features.h"

struct QB_PitchLanes {
    static constexpr int kLanes = 8;
    int count = 0;
    uint32_t t0 = 0;  // the clock at the stretch's first sample, the same for every lane
    const float* in[kLanes] = {};
    float* out[kLanes] = {};
    float coef[kLanes] = {}, lo[kLanes] = {}, hi[kLanes] = {}, scale[kLanes] = {};
    float cur[kLanes] = {}, tgt[kLanes] = {};
    int32_t lastBits[kLanes] = {};
    uint32_t lastCross[kLanes] = {};
    uint32_t exponential[kLanes] = {};  // all bits set in an exponential lane
};

#if QB_HAVE_AVX2_KERNELS
// Runs the first n / 8 * 8 samples of every lane (the rest is the caller's) and answers
// that count. Lanes past count read and write nothing of a tracker's. Every lane's
// clock distance t0 + n - lastCross must stay below 2^31. Only on a CPU with AVX2.
uint32_t qbPitchTrackAvx2(QB_PitchLanes& lanes, uint32_t n);
#endif
#if QB_HAVE_AVX512_KERNELS
// The same with AVX-512 F and VL, only on a CPU that has them.
uint32_t qbPitchTrackAvx512(QB_PitchLanes& lanes, uint32_t n);
#endif
