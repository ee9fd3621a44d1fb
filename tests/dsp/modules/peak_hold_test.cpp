#include "dsp/modules/peak_hold.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/modules/host_audio_in.h"
#include "support/stereo_run.h"

namespace {

struct PeakGraph {
    TestGraph g;
    QB_DSP_Host_AudioIn* in = g.make<QB_DSP_Host_AudioIn>();
    QB_DSP_Peak_Hold* peak = g.make<QB_DSP_Peak_Hold>();
    RecordingModule* probe = g.make<RecordingModule>();
    explicit PeakGraph(bool twoInputs) {
        g.wire(in, 0, peak, 0);
        if (twoInputs) g.wire(in, 1, peak, 1);
        g.wire(peak, 0, probe, 0);
        g.prepareAll();
    }
    void send(int16_t port, int32_t i, float f = 0.0f) { peak->postEvent(g.samplePosition, port, 0, i, f, 0); }
    std::vector<float> run(const std::vector<float>& l, const std::vector<float>& r) {
        return runStereo(g, peak, l, r, {128, 5}).out0;
    }
};

TEST(PeakHold, AnImpulseIsHeldForTheHoldTimeThenFallsByTheDecayStepDownToTheSilentLevel) {
    PeakGraph p(false);
    p.send(QB_DSP_Peak_Hold::kInHoldTime, 0, 1.0f);   // 10 ms: 441 samples
    p.send(QB_DSP_Peak_Hold::kInDecayTime, 0, 2.0f);  // a fall of 1.0 over 20 ms
    std::vector<float> x(2000, 0.0f);
    x[100] = -0.5f;
    const std::vector<float> out = p.run(x, x);
    const float step = 1.0f / (441.0f * 2.0f + 1.0f);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(out[i], 0.0f) << i;
    for (int i = 100; i < 100 + 441; ++i) ASSERT_EQ(out[i], 0.5f) << i;
    float expected = 0.5f;
    int i = 100 + 441;
    for (; expected - step >= 0.0f; ++i) {
        expected -= step;
        ASSERT_EQ(out[i], expected) << i;
    }
    // The next fall would go below zero; the silent input's level 0 replaces it.
    for (; i < 2000; ++i) ASSERT_EQ(out[i], 0.0f) << i;
}

TEST(PeakHold, ThePreparedPeakOfMinusOneIsReplacedByTheFirstSample) {
    PeakGraph p(false);
    // Right after prepare the peak is -1: the first sample replaces it.
    EXPECT_EQ(p.peak->peak, -1.0f);
    const std::vector<float> out = p.run({0.0f}, {0.0f});
    EXPECT_EQ(out[0], 0.0f);
}

TEST(PeakHold, TwoInputsHoldTheLargerMagnitudeOfTheTwoAtEachSample) {
    PeakGraph p(true);
    p.send(QB_DSP_Peak_Hold::kInEnable, 1);  // selects the two-input routine
    p.send(QB_DSP_Peak_Hold::kInHoldTime, 0, 0.0f);
    p.send(QB_DSP_Peak_Hold::kInDecayTime, 0, 1000.0f);
    std::vector<float> l(50, 0.0f), r(50, 0.0f);
    l[10] = 0.25f;
    r[20] = -0.75f;
    l[30] = -0.9f;
    r[30] = 0.5f;
    const std::vector<float> out = p.run(l, r);
    EXPECT_NEAR(out[15], 0.25f, 1e-4f);
    EXPECT_NEAR(out[25], 0.75f, 1e-4f);
    EXPECT_NEAR(out[35], 0.9f, 1e-4f);

    PeakGraph one(false);
    one.send(QB_DSP_Peak_Hold::kInEnable, 1);
    EXPECT_EQ(one.run(r, l)[20], 0.75f);
    // Input 1 is not connected there: a 1.0 on the right channel is not read.
    EXPECT_EQ(one.run(std::vector<float>(1, 0.0f), std::vector<float>(1, 1.0f))[0], 0.75f);
}

TEST(PeakHold, DisablingAnnouncesStaticAndZerosAndReEnablingContinuesFromTheKeptPeak) {
    PeakGraph p(false);
    p.send(QB_DSP_Peak_Hold::kInHoldTime, 0, 100.0f);  // a 1 s hold
    p.run(std::vector<float>(10, 0.6f), std::vector<float>(10, 0.0f));
    p.send(QB_DSP_Peak_Hold::kInEnable, 0);
    const std::vector<float> off = p.run(std::vector<float>(300, 0.1f), std::vector<float>(300, 0.0f));
    for (float x : off) ASSERT_EQ(x, 0.0f);
    EXPECT_NE(p.peak->flags & QB_ModuleBase::kAsleep, 0u);
    p.send(QB_DSP_Peak_Hold::kInEnable, 1);
    const std::vector<float> on = p.run(std::vector<float>(10, 0.1f), std::vector<float>(10, 0.0f));
    EXPECT_EQ(on[0], 0.6f);
    const auto rates = rateEvents(*p.probe, 0);
    ASSERT_EQ(rates.size(), 3u);
    EXPECT_EQ(rates[0].second, 1u);
    EXPECT_EQ(rates[1], std::make_pair(10u, uint16_t{0}));
    EXPECT_EQ(rates[2], std::make_pair(310u, uint16_t{1}));
}

TEST(PeakHold, InfiniteInputsAndNaNOrNegativeTimesGiveDefinedFiniteOutput) {
    PeakGraph p(false);
    p.run({std::numeric_limits<float>::infinity()}, {0.0f});
    EXPECT_EQ(p.run({0.25f}, {0.0f})[0], 0.25f);
    p.send(QB_DSP_Peak_Hold::kInHoldTime, 0, std::numeric_limits<float>::quiet_NaN());
    p.send(QB_DSP_Peak_Hold::kInDecayTime, 0, -7.0f);
    p.g.run(1);
    EXPECT_EQ(p.peak->holdSamples, 0);
    EXPECT_EQ(p.peak->decayStep, 1.0f);
    p.send(QB_DSP_Peak_Hold::kInHoldTime, 0, 1e30f);
    p.g.run(1);
    EXPECT_EQ(p.peak->holdSamples, INT32_MAX);
    const std::vector<float> out = p.run(std::vector<float>(300, 0.5f), std::vector<float>(300, 0.0f));
    for (float x : p.run(std::vector<float>(300, 0.0f), std::vector<float>(300, 0.0f))) ASSERT_EQ(x, 0.5f);
    EXPECT_EQ(out.back(), 0.5f);
}

TEST(PeakHold, TheHoldSurvivesTheWrapOfTheSampleClock) {
    PeakGraph p(false);
    p.g.samplePosition = 0xFFFFFFFFu - 50u;
    p.send(QB_DSP_Peak_Hold::kInHoldTime, 0, 1.0f);  // 441 samples
    std::vector<float> x(600, 0.0f);
    x[0] = 0.5f;
    const std::vector<float> out = p.run(x, x);
    for (int i = 0; i < 441; ++i) ASSERT_EQ(out[i], 0.5f) << i;
    EXPECT_LT(out[441], 0.5f);
}

}  // namespace
