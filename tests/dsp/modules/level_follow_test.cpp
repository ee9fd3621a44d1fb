// The peak follower and the meter that reads it run in one loop where both are ready:
// every sample and state as when each runs alone.
#include "dsp/modules/level_follow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "dsp/modules/host_audio_in.h"
#include "dsp/modules/metering.h"
#include "dsp/modules/peak_hold.h"
#include "support/stereo_run.h"

namespace {

// Input -> peak (two inputs) -> meter, fed noisy bursts in sub-blocks of changing
// length, with settings changed now and then at the start of a sub-block or inside one,
// and the peak switched off and on; answers the meter's output and both modules' states
// after every stretch.
std::vector<float> peakThenMeter(bool together, int* groups) {
    TestGraph g(44100);
    auto* in = g.make<QB_DSP_Host_AudioIn>();
    auto* peak = g.make<QB_DSP_Peak_Hold>();
    auto* meter = g.make<QB_DSP_Metering>();
    g.wire(in, 0, peak, 0);
    g.wire(in, 1, peak, 1);
    g.wire(peak, 0, meter, 0);
    g.prepareAll();
    if (together) g.groupJointly();
    *groups = g.jointGroupCount;
    peak->postEvent(0, QB_DSP_Peak_Hold::kInEnable, 0, 1, 0.0f, 0);  // the two-input routine
    meter->postEvent(0, QB_DSP_Metering::kInAttack, 0, 0, 0.3f, 0);
    std::vector<float> out;
    uint32_t seed = 7;
    for (int stretch = 0; stretch < 24; ++stretch) {
        std::vector<float> left(300), right(300);
        for (size_t i = 0; i < left.size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            const float x = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
            left[i] = (i / 40 + stretch) % 3 == 0 ? x : 0.1f * x;
            right[i] = -0.7f * left[(i + 11) % left.size()];
        }
        const uint32_t inside = stretch % 2 == 0 ? 0u : 23u;
        if (stretch % 5 == 1)
            peak->postEvent(g.samplePosition + inside, QB_DSP_Peak_Hold::kInHoldTime, 0, 0, 0.2f * stretch, 0);
        if (stretch % 7 == 3)
            meter->postEvent(g.samplePosition + inside, QB_DSP_Metering::kInRelease, 0, 0, 1.0f + stretch, 0);
        if (stretch == 9 || stretch == 11)
            peak->postEvent(g.samplePosition + inside, QB_DSP_Peak_Hold::kInEnable, 0, stretch == 11 ? 1 : 0, 0.0f, 0);
        const std::vector<float> o = runStereo(g, meter, left, right, {128, 37, 5, 64, 1}).out0;
        out.insert(out.end(), o.begin(), o.end());
        out.push_back(peak->peak);
        out.push_back(static_cast<float>(peak->holdUntil));
        out.push_back(meter->envelope);
    }
    return out;
}

TEST(LevelFollow, ThePeakAndTheMeterRunTogetherGiveEverySampleAndStateOfEachRunAlone) {
    int alone = -1, joined = -1;
    const std::vector<float> a = peakThenMeter(false, &alone), b = peakThenMeter(true, &joined);
    EXPECT_EQ(alone, 0);
    EXPECT_EQ(joined, 1);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(std::memcmp(&a[i], &b[i], sizeof(float)), 0) << i;
}

}  // namespace
