#include "dsp/modules/st_level.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "dsp/modules/float_to_volt.h"
#include "dsp/modules/host_audio_in.h"
#include "support/stereo_run.h"

namespace {

std::vector<float> noise(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-2.0f, 2.0f);
    std::vector<float> v(n);
    for (float& x : v) x = d(rng);
    return v;
}

// Input -> level, gain from a held value.
struct LevelChain {
    TestGraph g;
    QB_DSP_Host_AudioIn* in = g.make<QB_DSP_Host_AudioIn>();
    QB_DSP_Float_to_Volt* gain = g.make<QB_DSP_Float_to_Volt>();
    QB_DSP_ST_Level* level = g.make<QB_DSP_ST_Level>();
    RecordingModule* probe = g.make<RecordingModule>();
    LevelChain() {
        g.wire(in, 0, level, 0);
        g.wire(in, 1, level, 1);
        g.wire(gain, 0, level, 2);
        g.wire(level, 0, probe, 0);
        g.prepareAll();
    }
};

TEST(StereoLevel, StaysSilentUntilAGainArrivesAndWithGainOneCopiesItsInputs) {
    LevelChain c;
    const std::vector<float> l = noise(128, 1), r = noise(128, 2);
    StereoCapture out = runStereo(c.g, c.level, l, r);
    for (float x : out.out0) ASSERT_EQ(x, 0.0f);

    c.gain->postEvent(c.g.samplePosition, 0, 0, 0, 1.0f, 0);
    out = runStereo(c.g, c.level, l, r, {13, 50});
    EXPECT_EQ(out.out0, l);
    EXPECT_EQ(out.out1, r);
    const auto rates = rateEvents(*c.probe, 0);
    ASSERT_FALSE(rates.empty());
    EXPECT_EQ(rates.back().second, 1u);
}

TEST(StereoLevel, AStaticGainOfZeroAnnouncesStaticOutputsZerosAndSleeps) {
    LevelChain c;
    c.gain->postEvent(0, 0, 0, 0, 0.5f, 0);
    const std::vector<float> l = noise(128, 3), r = noise(128, 4);
    StereoCapture out = runStereo(c.g, c.level, l, r);
    for (size_t i = 0; i < 128; ++i) ASSERT_EQ(out.out0[i], l[i] * 0.5f) << i;

    c.gain->postEvent(c.g.samplePosition, 0, 0, 0, 0.0f, 0);
    out = runStereo(c.g, c.level, noise(384, 5), noise(384, 6));
    for (size_t i = 0; i < out.out0.size(); ++i) {
        ASSERT_EQ(out.out0[i], 0.0f) << i;
        ASSERT_EQ(out.out1[i], 0.0f) << i;
    }
    const auto rates = rateEvents(*c.probe, 0);
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(rates[1].second, 0u);
    EXPECT_EQ(rates[1].first, 128u);
    EXPECT_NE(c.level->flags & QB_ModuleBase::kAsleep, 0u);
}

// Every offset and count, a varying gain, both plain and squared: the four-wide routine
// writes exactly what one sample at a time gives, and nothing outside its range.
TEST(StereoLevel, FourWideScaleMatchesOneSampleAtATimeBitForBitAndWritesOnlyItsRange) {
    TestGraph g;
    auto* in = g.make<QB_DSP_Host_AudioIn>();
    auto* gainSource = g.make<QB_DSP_Host_AudioIn>();
    auto* level = g.make<QB_DSP_ST_Level>();
    g.wire(in, 0, level, 0);
    g.wire(in, 1, level, 1);
    g.wire(gainSource, 0, level, 2);
    g.prepareAll();
    const std::vector<float> l = noise(132, 7), r = noise(132, 8), gv = noise(132, 9);
    std::memcpy(in->outputs[0], l.data(), 132 * sizeof(float));
    std::memcpy(in->outputs[1], r.data(), 132 * sizeof(float));
    std::memcpy(gainSource->outputs[0], gv.data(), 132 * sizeof(float));
    const float sentinel = -777.0f;
    for (int squared = 0; squared < 2; ++squared) {
        level->squared = squared;
        for (uint32_t offset = 0; offset < 12; ++offset) {
            for (uint32_t count = 0; offset + count <= 128; count += (count < 20 ? 1 : 19)) {
                for (uint32_t i = 0; i < 132; ++i) level->outL[i] = level->outR[i] = sentinel;
                level->scale(offset, count);
                for (uint32_t i = 0; i < 132; ++i) {
                    float el = sentinel, er = sentinel;
                    if (i >= offset && i < offset + count) {
                        const float g1 = squared ? gv[i] * gv[i] : gv[i];
                        el = l[i] * g1;
                        er = r[i] * g1;
                    }
                    ASSERT_EQ(std::memcmp(&level->outL[i], &el, 4), 0) << offset << "/" << count << " at " << i;
                    ASSERT_EQ(std::memcmp(&level->outR[i], &er, 4), 0) << offset << "/" << count << " at " << i;
                }
            }
        }
    }
}

}  // namespace
