#include "dsp/modules/metering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/modules/host_audio_in.h"
#include "support/stereo_run.h"

namespace {

// Input -> metering; oneInput leaves the meter's input 1 unconnected.
struct MeterGraph {
    TestGraph g;
    QB_DSP_Host_AudioIn* in;
    QB_DSP_Metering* meter;
    RecordingModule* probe;
    MeterGraph(int32_t rate, bool twoInputs) : g(rate) {
        in = g.make<QB_DSP_Host_AudioIn>();
        meter = g.make<QB_DSP_Metering>();
        probe = g.make<RecordingModule>();
        g.wire(in, 0, meter, 0);
        if (twoInputs) g.wire(in, 1, meter, 1);
        g.wire(meter, 0, probe, 0);
        g.prepareAll();
    }
    void send(int16_t port, int32_t i, float f = 0.0f) { meter->postEvent(g.samplePosition, port, 0, i, f, 0); }
    std::vector<float> run(float left, float right, uint32_t n) {
        return runStereo(g, meter, std::vector<float>(n, left), std::vector<float>(n, right), {128, 7}).out0;
    }
};

TEST(Metering, ExponentialWithEqualTimesRisesAndFallsOnTheSameCurveAtTheStatedFactor) {
    MeterGraph m(48000, false);
    const std::vector<float> up = m.run(1.0f, 0.0f, 2000);
    const std::vector<float> down = m.run(0.0f, 0.0f, 2000);
    const double factor = std::exp(-400.0 / 240000.0);
    EXPECT_NEAR(up[0], 1.0 - factor, 1e-6);
    for (int i = 1; i < 2000; i += 97) {
        EXPECT_NEAR((1.0 - up[i]) / (1.0 - up[i - 1]), factor, 1e-4) << i;
        EXPECT_NEAR(down[i] / down[i - 1], factor, 1e-6) << i;
    }
    // Same curve: the fall mirrors the rise from the level reached.
    for (int i = 0; i < 2000; i += 111) EXPECT_NEAR(down[i] / up[1999], 1.0 - up[i], 2e-4) << i;
    // The step is 98.2 % covered after the time (50 ms = 2400 samples).
    const std::vector<float> more = m.run(1.0f, 0.0f, 2400);
    EXPECT_NEAR(more[2399], 0.982, 0.001);
}

TEST(Metering, LinearBallisticsMoveByTheirStepsAndLandExactlyOnTheLevelWithoutOvershoot) {
    MeterGraph m(44100, false);
    m.send(QB_DSP_Metering::kInLinear, 1);
    m.send(QB_DSP_Metering::kInAttack, 0, 1.0f);   // 10 ms: step 1 / 442
    m.send(QB_DSP_Metering::kInRelease, 0, 2.0f);  // 20 ms: step 1 / 883
    const std::vector<float> up = m.run(0.5f, 0.0f, 400);
    const float step = 1.0f / 442.0f;
    EXPECT_FLOAT_EQ(up[0], step);
    EXPECT_FLOAT_EQ(up[99], 100.0f * step);
    int landed = -1;
    for (int i = 0; i < 400; ++i) {
        ASSERT_LE(up[i], 0.5f) << i;
        if (landed < 0 && up[i] == 0.5f) landed = i;
    }
    EXPECT_EQ(landed, 220);  // 0.5 / step = 221 steps
    const std::vector<float> down = m.run(0.125f, 0.0f, 400);
    EXPECT_NEAR(0.5f - down[9], 10.0f / 883.0f, 1e-6f);
    for (float x : down) ASSERT_GE(x, 0.125f);
    EXPECT_EQ(down.back(), 0.125f);
}

TEST(Metering, TwoInputsMeterTheirLargerMagnitudeOrTheirSum) {
    MeterGraph m(44100, true);
    m.send(QB_DSP_Metering::kInLinear, 1);
    m.send(QB_DSP_Metering::kInAttack, 0, 0.0f);  // a time of 0: a step of 1.0 per sample
    m.send(QB_DSP_Metering::kInRelease, 0, 0.0f);
    EXPECT_EQ(m.run(0.25f, -0.75f, 10).back(), 0.75f);
    EXPECT_EQ(m.run(-0.5f, 0.125f, 10).back(), 0.5f);
    m.send(QB_DSP_Metering::kInSum, 1);
    EXPECT_EQ(m.run(0.25f, -0.5f, 10).back(), 0.75f);
    MeterGraph one(44100, false);
    one.send(QB_DSP_Metering::kInSum, 1);
    one.send(QB_DSP_Metering::kInLinear, 1);
    one.send(QB_DSP_Metering::kInAttack, 0, 0.0f);
    EXPECT_EQ(one.run(0.25f, -0.5f, 10).back(), 0.25f);
}

TEST(Metering, DisablingAnnouncesStaticAndZerosAndReEnablingContinuesFromTheKeptEnvelope) {
    MeterGraph m(44100, false);
    m.send(QB_DSP_Metering::kInEnable, 1);
    const float reached = m.run(1.0f, 0.0f, 500).back();
    m.send(QB_DSP_Metering::kInEnable, 0);
    const std::vector<float> off = m.run(1.0f, 0.0f, 300);
    for (float x : off) ASSERT_EQ(x, 0.0f);
    EXPECT_NE(m.meter->flags & QB_ModuleBase::kAsleep, 0u);
    m.send(QB_DSP_Metering::kInEnable, 1);
    const std::vector<float> on = m.run(0.0f, 0.0f, 10);
    const float release = std::exp(-400.0f / (44100.0f * 5.0f));
    EXPECT_FLOAT_EQ(on[0], reached * release);
    const auto rates = rateEvents(*m.probe, 0);
    ASSERT_EQ(rates.size(), 3u);
    EXPECT_EQ(rates[0].second, 1u);
    EXPECT_EQ(rates[1], std::make_pair(500u, uint16_t{0}));
    EXPECT_EQ(rates[2], std::make_pair(800u, uint16_t{1}));
}

TEST(Metering, NaNAndInfiniteInputsOrTimesDoNotStickInTheEnvelope) {
    MeterGraph m(44100, false);
    m.run(std::numeric_limits<float>::quiet_NaN(), 0.0f, 64);
    m.run(std::numeric_limits<float>::infinity(), 0.0f, 64);
    EXPECT_TRUE(std::isfinite(m.run(0.5f, 0.0f, 2000).back()));
    m.send(QB_DSP_Metering::kInAttack, 0, std::numeric_limits<float>::quiet_NaN());
    m.send(QB_DSP_Metering::kInRelease, 0, -3.0f);
    for (float x : m.run(0.25f, 0.0f, 200)) ASSERT_TRUE(std::isfinite(x));
    m.send(QB_DSP_Metering::kInLinear, 1);
    const std::vector<float> lin = m.run(0.75f, 0.0f, 4);
    EXPECT_EQ(lin[0], 0.75f);  // both times count as 0: a step of 1.0
}

}  // namespace
