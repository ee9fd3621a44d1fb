#include "dsp/modules/delay_st.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "dsp/modules/host_audio_in.h"
#include "support/stereo_run.h"

namespace {

std::vector<float> noise(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    std::vector<float> v(n);
    for (float& x : v) x = d(rng);
    return v;
}

struct DelayChain {
    TestGraph g;
    QB_DSP_Host_AudioIn* in;
    QB_DSP_Delay_ST* delay;
    RecordingModule* probe;
    explicit DelayChain(int32_t rate = 44100) : g(rate) {
        in = g.make<QB_DSP_Host_AudioIn>();
        delay = g.make<QB_DSP_Delay_ST>();
        probe = g.make<RecordingModule>();
        g.wire(in, 0, delay, 0);
        g.wire(in, 1, delay, 1);
        g.wire(delay, 0, probe, 0);
        g.prepareAll();
    }
    void send(int16_t port, int32_t intValue, float floatValue = 0.0f) {
        delay->postEvent(g.samplePosition, port, 0, intValue, floatValue, 0);
    }
};

TEST(StereoDelay, DefaultsPassTheSignalThroughWithAMemorySizedForTheSampleRate) {
    const struct {
        int32_t rate;
        int32_t size;
    } cases[] = {{44100, 32768}, {48000, 32768}, {96000, 65536}, {192000, 131072}, {192001, 262144}};
    for (const auto& k : cases) {
        DelayChain c(k.rate);
        EXPECT_EQ(c.delay->ringSize, k.size) << k.rate;
        EXPECT_EQ(c.delay->mask, k.size - 1) << k.rate;
        const std::vector<float> l = noise(1000, 1), r = noise(1000, 2);
        const StereoCapture out = runStereo(c.g, c.delay, l, r, {77, 128, 3});
        EXPECT_EQ(out.out0, l) << k.rate;
        EXPECT_EQ(out.out1, r) << k.rate;
    }
}

TEST(StereoDelay, UnitModeTwoWithOnePointFiveDelaysByFifteenSamplesAndSwapExchangesTheChannels) {
    DelayChain c;
    c.send(QB_DSP_Delay_ST::kInUnitMode, 2);
    c.send(QB_DSP_Delay_ST::kInDelay, 0, 1.5f);
    EXPECT_EQ(c.delay->delaySamples, 0);  // not yet handled
    const std::vector<float> l = noise(400, 3), r = noise(400, 4);
    StereoCapture out = runStereo(c.g, c.delay, l, r, {50});
    EXPECT_EQ(c.delay->delaySamples, 15);
    for (size_t i = 0; i < 400; ++i) {
        ASSERT_EQ(out.out0[i], i < 15 ? 0.0f : l[i - 15]) << i;
        ASSERT_EQ(out.out1[i], i < 15 ? 0.0f : r[i - 15]) << i;
    }
    c.send(QB_DSP_Delay_ST::kInSwap, 1);
    const std::vector<float> l2 = noise(200, 5), r2 = noise(200, 6);
    out = runStereo(c.g, c.delay, l2, r2, {64});
    for (size_t i = 15; i < 200; ++i) {
        ASSERT_EQ(out.out0[i], r2[i - 15]) << i;
        ASSERT_EQ(out.out1[i], l2[i - 15]) << i;
    }
}

TEST(StereoDelay, MillisecondAndSecondUnitsScaleWithTheSampleRate) {
    DelayChain c(48000);
    c.send(QB_DSP_Delay_ST::kInDelay, 0, 0.1f);  // 1 ms in the default millisecond unit
    c.g.run(1);
    EXPECT_EQ(c.delay->delaySamples, 48);
    c.send(QB_DSP_Delay_ST::kInUnitMode, 0);  // now 0.1 graph units of seconds
    c.g.run(1);
    EXPECT_EQ(c.delay->delaySamples, 48000);
    c.send(QB_DSP_Delay_ST::kInUnitMode, 7);  // unknown: keeps the scale
    c.g.run(1);
    EXPECT_EQ(c.delay->delaySamples, 48000);
}

TEST(StereoDelay, ASizeChangeWhileEnabledEmptiesTheMemoryAndWhileDisabledOnlyRecordsIt) {
    DelayChain c;
    c.send(QB_DSP_Delay_ST::kInUnitMode, 2);
    c.send(QB_DSP_Delay_ST::kInDelay, 0, 10.0f);  // 100 samples
    runStereo(c.g, c.delay, noise(256, 7), noise(256, 8));
    c.send(QB_DSP_Delay_ST::kInSize, 8);  // 2048 samples, emptied
    StereoCapture out = runStereo(c.g, c.delay, noise(100, 9), noise(100, 10));
    EXPECT_EQ(c.delay->ringSize, 2048);
    for (size_t i = 0; i < 100; ++i) ASSERT_EQ(out.out0[i], 0.0f) << i;

    runStereo(c.g, c.delay, noise(300, 11), noise(300, 12));
    c.send(QB_DSP_Delay_ST::kInEnable, 0);
    c.send(QB_DSP_Delay_ST::kInSize, 10);
    out = runStereo(c.g, c.delay, noise(300, 13), noise(300, 14));
    for (float x : out.out0) ASSERT_EQ(x, 0.0f);
    EXPECT_EQ(c.delay->sizeIndex, 10);
    EXPECT_EQ(c.delay->ringL, nullptr);
    EXPECT_EQ(c.delay->allocatedSizeIndex, -1);

    // Enabled again: empty memories of the recorded size.
    c.send(QB_DSP_Delay_ST::kInEnable, 1);
    const std::vector<float> l = noise(300, 15), r = noise(300, 16);
    out = runStereo(c.g, c.delay, l, r);
    EXPECT_EQ(c.delay->ringSize, 512);
    for (size_t i = 0; i < 300; ++i) ASSERT_EQ(out.out0[i], i < 100 ? 0.0f : l[i - 100]) << i;
}

TEST(StereoDelay, DisablingAnnouncesStaticWritesZerosAndSleepsAndReEnablingAnnouncesVarying) {
    DelayChain c;
    runStereo(c.g, c.delay, noise(128, 17), noise(128, 18));
    c.send(QB_DSP_Delay_ST::kInEnable, 0);
    runStereo(c.g, c.delay, noise(300, 19), noise(300, 20));
    EXPECT_NE(c.delay->flags & QB_ModuleBase::kAsleep, 0u);
    c.send(QB_DSP_Delay_ST::kInEnable, 1);
    const std::vector<float> l = noise(64, 21);
    const StereoCapture out = runStereo(c.g, c.delay, l, l);
    EXPECT_EQ(out.out0, l);
    const auto rates = rateEvents(*c.probe, 0);
    ASSERT_EQ(rates.size(), 3u);
    EXPECT_EQ(rates[0].second, 1u);
    EXPECT_EQ(rates[1].second, 0u);
    EXPECT_EQ(rates[1].first, 128u);
    EXPECT_EQ(rates[2].second, 1u);
}

TEST(StereoDelay, SizeAndEnableEventsReuseTheMemoryAllocatedInPrepareAndLargerSizesAreLimitedToIt) {
    DelayChain c;
    float* const memL = c.delay->ringL;
    float* const memR = c.delay->ringR;
    ASSERT_NE(memL, nullptr);
    const int32_t capacity = c.delay->capacity;
    EXPECT_EQ(capacity, 32768);
    c.send(QB_DSP_Delay_ST::kInSize, 0);  // 524288 asked: limited to what was allocated
    c.g.run(64);
    EXPECT_EQ(c.delay->ringL, memL);
    EXPECT_EQ(c.delay->ringSize, capacity);
    c.send(QB_DSP_Delay_ST::kInSize, 11);
    c.send(QB_DSP_Delay_ST::kInEnable, 0);
    c.send(QB_DSP_Delay_ST::kInEnable, 1);
    c.g.run(64);
    EXPECT_EQ(c.delay->ringL, memL);
    EXPECT_EQ(c.delay->ringR, memR);
    EXPECT_EQ(c.delay->ringSize, 256);
    // Indices outside the table are held to its ends.
    c.send(QB_DSP_Delay_ST::kInSize, 99);
    c.g.run(1);
    EXPECT_EQ(c.delay->ringSize, 256);
    c.send(QB_DSP_Delay_ST::kInSize, -5);
    c.g.run(1);
    EXPECT_EQ(c.delay->ringSize, capacity);
}

TEST(StereoDelay, NaNHugeAndNegativeDelaysGiveDefinedDelaysWithinTheMemory) {
    DelayChain c;
    c.send(QB_DSP_Delay_ST::kInUnitMode, 2);
    const float values[] = {std::numeric_limits<float>::quiet_NaN(), 1e30f, -1e30f,
                            std::numeric_limits<float>::infinity(), -0.5f, 3276.8f * 4.0f};
    const int32_t expected[] = {0, INT32_MAX, INT32_MIN, INT32_MAX, -5, 131072};
    for (size_t k = 0; k < 6; ++k) {
        c.send(QB_DSP_Delay_ST::kInDelay, 0, values[k]);
        const std::vector<float> l = noise(500, 30 + k);
        const StereoCapture out = runStereo(c.g, c.delay, l, l, {128, 1, 61});
        EXPECT_EQ(c.delay->delaySamples, expected[k]) << k;
        for (float x : out.out0) ASSERT_TRUE(std::isfinite(x)) << k;
    }
    // 131072 samples is four whole rings: no delay at all.
    const std::vector<float> l = noise(100, 40);
    EXPECT_EQ(runStereo(c.g, c.delay, l, l).out0, l);
}

TEST(StereoDelay, ClearEmptiesTheMemoryAndSuspendDoesTooWhileEnabled) {
    DelayChain c;
    c.send(QB_DSP_Delay_ST::kInUnitMode, 2);
    c.send(QB_DSP_Delay_ST::kInDelay, 0, 5.0f);  // 50 samples
    runStereo(c.g, c.delay, noise(128, 41), noise(128, 42));
    c.send(QB_DSP_Delay_ST::kInClear, 1);
    StereoCapture out = runStereo(c.g, c.delay, noise(50, 43), noise(50, 44));
    for (float x : out.out0) ASSERT_EQ(x, 0.0f);
    runStereo(c.g, c.delay, noise(128, 45), noise(128, 46));
    c.delay->suspend();
    out = runStereo(c.g, c.delay, noise(50, 47), noise(50, 48));
    for (float x : out.out1) ASSERT_EQ(x, 0.0f);
}

}  // namespace
