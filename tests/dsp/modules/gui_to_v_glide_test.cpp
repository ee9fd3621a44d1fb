#include "dsp/modules/gui_to_v_glide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "support/stereo_run.h"

namespace {

struct GlideGraph {
    TestGraph g;
    QB_DSP_GUItoV_Glide* glide;
    RecordingModule* probe;
    explicit GlideGraph(int32_t rate = 48000) : g(rate) {
        glide = g.make<QB_DSP_GUItoV_Glide>();
        probe = g.make<RecordingModule>();
        g.wire(glide, 0, probe, 0);
        g.prepareAll();
        g.run(1024);  // the zero fill after prepare ends and it sleeps
    }
    void send(int16_t port, float v) { glide->postEvent(g.samplePosition, port, 0, 0, v, 0); }
    // Runs n frames one sample per sub-block and returns output 0 at each.
    std::vector<float> runSamples(uint32_t n) {
        std::vector<float> v;
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t p = g.ringPosition;
            g.runSubBlock(1);
            v.push_back(glide->out[p]);
        }
        return v;
    }
};

TEST(Glide, AtFortyEightKilohertzAGlideTakes1440SamplesAndOutputTurnsStatic4800SamplesAfterItEnds) {
    GlideGraph t;
    EXPECT_EQ(t.glide->flags, QB_ModuleBase::kAsleep);
    EXPECT_TRUE(t.probe->handled.empty());
    const uint32_t start = t.g.samplePosition;
    t.send(QB_DSP_GUItoV_Glide::kInValue, 1.0f);
    const std::vector<float> out = t.runSamples(1440 + 4800 + 200);
    // Rising strictly for 1439 samples, exactly on the target from sample 1439 on.
    for (int i = 1; i < 1439; ++i) ASSERT_GT(out[i], out[i - 1]) << i;
    EXPECT_LT(out[1438], 1.0f);
    EXPECT_NEAR(out[719], 0.5f, 1e-6f);
    for (size_t i = 1439; i < out.size(); ++i) ASSERT_EQ(out[i], 1.0f) << i;
    const auto rates = rateEvents(*t.probe, 0);
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(rates[0], std::make_pair(start, uint16_t{1}));
    // The deadline is the glide's end plus 4800; the first segment after it announces.
    EXPECT_EQ(rates[1], std::make_pair(start + 1440 + 4800 + 1, uint16_t{0}));
    EXPECT_EQ(t.glide->flags, QB_ModuleBase::kAsleep);
}

TEST(Glide, TheSameValueTwiceDoesNothingTheSecondTime) {
    GlideGraph t;
    t.send(QB_DSP_GUItoV_Glide::kInValue, 2.0f);
    t.g.run(100);
    const double current = t.glide->current;
    const int32_t remaining = t.glide->remaining;
    t.send(QB_DSP_GUItoV_Glide::kInValue, 2.0f);
    t.g.run(1);
    EXPECT_EQ(t.glide->remaining, remaining - 1);
    EXPECT_EQ(t.glide->current, current + t.glide->increment);
    t.g.run(20000);
    EXPECT_EQ(rateEvents(*t.probe, 0).size(), 2u);
}

TEST(Glide, WhileGlidesAreSuppressedANewValueIsTakenAtOnceAndAnnouncedStatic) {
    GlideGraph t;
    t.send(QB_DSP_GUItoV_Glide::kInValue, 1.0f);
    t.g.run(300);  // gliding
    t.g.glideSuppressed[0] = -1;  // a program change
    const uint32_t at = t.g.samplePosition;
    t.send(QB_DSP_GUItoV_Glide::kInValue, -3.0f);
    const std::vector<float> out = t.runSamples(400);
    for (float x : out) ASSERT_EQ(x, -3.0f);
    const auto rates = rateEvents(*t.probe, 0);
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(rates[1], std::make_pair(at, uint16_t{0}));
    EXPECT_EQ(t.glide->flags, QB_ModuleBase::kAsleep);

    // The second flag (graph rebuild) suppresses too, and the static event goes out even
    // though the output is already announced static.
    t.g.glideSuppressed[1] = -1;
    t.send(QB_DSP_GUItoV_Glide::kInValue, 5.0f);
    t.g.runSubBlock(1);
    EXPECT_EQ(t.glide->out[t.g.ringPosition - 1], 5.0f);
    EXPECT_EQ(rateEvents(*t.probe, 0).size(), 3u);
}

TEST(Glide, AGlideTimeOfZeroMakesChangesJumpButStillAnnouncesVaryingForTheSettleTime) {
    GlideGraph t;
    t.send(QB_DSP_GUItoV_Glide::kInGlideTime, 0.0f);
    t.g.run(1);
    const uint32_t at = t.g.samplePosition;
    t.send(QB_DSP_GUItoV_Glide::kInValue, 0.75f);
    const std::vector<float> out = t.runSamples(4800 + 10);
    for (float x : out) ASSERT_EQ(x, 0.75f);
    const auto rates = rateEvents(*t.probe, 0);
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(rates[0].second, 1u);
    EXPECT_EQ(rates[1], std::make_pair(at + 4800 + 1, uint16_t{0}));
}

TEST(Glide, AGlideTimeOfTenMillisecondsMakesGlidesOf480Samples) {
    GlideGraph t;
    t.send(QB_DSP_GUItoV_Glide::kInGlideTime, 1.0f);  // 10 ms: 480 samples
    t.g.run(1);
    EXPECT_EQ(t.glide->rampSamples, 480);
    t.send(QB_DSP_GUItoV_Glide::kInValue, 4.0f);
    const std::vector<float> out = t.runSamples(480);
    EXPECT_LT(out[478], 4.0f);
    EXPECT_EQ(out[479], 4.0f);
}

TEST(Glide, NaNNegativeAndHugeGlideTimesGiveDefinedLengths) {
    GlideGraph t;
    const float times[] = {std::numeric_limits<float>::quiet_NaN(), -4.0f, 1e20f};
    const int32_t expected[] = {0, -1920, INT32_MAX};
    for (int k = 0; k < 3; ++k) {
        t.send(QB_DSP_GUItoV_Glide::kInGlideTime, times[k]);
        t.g.run(1);
        EXPECT_EQ(t.glide->rampSamples, expected[k]) << k;
    }
    // With the huge length a change glides, slowly, without drifting off.
    t.send(QB_DSP_GUItoV_Glide::kInValue, 1.0f);
    t.g.run(1000);
    EXPECT_GT(t.glide->current, 0.0);
    EXPECT_LT(t.glide->current, 1e-5);
    // A jump (time -4 counts as no glide) lands at once.
    t.send(QB_DSP_GUItoV_Glide::kInGlideTime, -4.0f);
    t.send(QB_DSP_GUItoV_Glide::kInValue, 2.0f);
    t.g.run(128);
    EXPECT_EQ(t.glide->out[0], 2.0f);
}

}  // namespace

namespace {

// Three glides fed new values at their own times, with their own glide times, run in
// sub-blocks of changing length; answers every output sample of each.
std::vector<float> threeGlides(bool together) {
    TestGraph g(44100);
    QB_DSP_GUItoV_Glide* glide[3];
    for (auto& x : glide) x = g.make<QB_DSP_GUItoV_Glide>();
    g.prepareAll();
    if (together) g.groupJointly();
    EXPECT_EQ(g.jointGroupCount, together ? 1 : 0);
    std::vector<float> out;
    const float glideTimes[3] = {3.0f, 0.7f, 5.5f};
    for (int k = 0; k < 3; ++k) glide[k]->postEvent(0, QB_DSP_GUItoV_Glide::kInGlideTime, 0, 0, glideTimes[k], 0);
    for (uint32_t block = 0, n = 5; block < 120; ++block, n = n % 97 + 13) {
        if (g.ringPosition + n > g.graphRing) n = g.graphRing - g.ringPosition;
        // New targets now and then: at the start of a sub-block, or inside it.
        for (int k = 0; k < 3; ++k)
            if ((block + 3 * k) % 7 == 0)
                glide[k]->postEvent(g.samplePosition + (block % 3 == 0 ? n / 2 : 0), QB_DSP_GUItoV_Glide::kInValue, 0, 0,
                                    0.37f * static_cast<float>(block % 11) - k, 0);
        const uint32_t at = g.ringPosition;
        g.runSubBlock(n);
        for (auto* x : glide) out.insert(out.end(), x->out + at, x->out + at + n);
    }
    return out;
}

TEST(Glide, GlidesRampingTogetherGiveEverySampleOfEachGlideRunAlone) {
    const std::vector<float> alone = threeGlides(false), together = threeGlides(true);
    ASSERT_EQ(alone.size(), together.size());
    for (size_t i = 0; i < alone.size(); ++i) ASSERT_EQ(std::memcmp(&alone[i], &together[i], sizeof(float)), 0) << i;
}

}  // namespace
