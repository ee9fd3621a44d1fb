#include "eq/biquad_multi_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "eq/biquad_coeff.h"
#include "eq/biquad_design.h"
#include "eq/biquad_engine.h"
#include "eq/biquad_static.h"
#include "plugin/module_registry.h"
#include "support/biquad_rig.h"

namespace {

using Engine = QB_DSP_BiQuad_Multi_Engine;

// A multi engine whose five bands read coefficient streams the test writes directly.
struct EngineRig {
    TestGraph g;
    RecordingModule* audio;
    RecordingModule* bands[Engine::kBands];
    Engine* engine;

    EngineRig() {
        audio = g.make<RecordingModule>();
        for (RecordingModule*& b : bands) {
            b = g.make<RecordingModule>();
            for (int p = 1; p < 5; ++p) b->allocateOutput(p);
        }
        engine = g.make<Engine>();
        g.wire(audio, 0, engine, Engine::kAudioIn);
        for (int k = 0; k < Engine::kBands; ++k)
            for (int p = 0; p < 5; ++p) g.wire(bands[k], p, engine, Engine::bandPort(k, p));
        g.prepareAll();
        announce(g, audio, 1);
    }
    void setBandAt(int band, uint32_t offset, const QB_BiquadCoefficients& c) {
        const float v[5] = {c.b0, c.b1, c.b2, c.a1, c.a2};
        for (int p = 0; p < 5; ++p) bands[band]->outputs[p][offset] = v[p];
    }
    void setBand(int band, const QB_BiquadCoefficients& c) {
        for (uint32_t i = 0; i < 132; ++i) setBandAt(band, i, c);
    }
    void post(int32_t port, int32_t value) { engine->postEvent(g.samplePosition, port, 0, value, 0.0f, 0); }
    void activate(int band, int32_t on) { post(Engine::bandPort(band, 5), on); }
    std::vector<float> run(const std::vector<float>& x, const std::vector<uint32_t>& blocks = {128}) {
        return runCapture(g, audio, engine->outputs[0], static_cast<uint32_t>(x.size()),
                          [&x](uint32_t n) { return x[n]; }, blocks);
    }
};

QB_BiquadCoefficients peaking(const TestGraph& g, float frequency, float gain, float width = 0.5f) {
    return qbDesignAt(qbBeginDesign(g.tables, qbIndexScale(g.sampleRateInt), 9, 0, true, width), frequency, gain);
}

const std::vector<uint32_t> kOddBlocks = {5, 13, 64, 7, 39, 1, 3};

TEST(BiquadMultiEngine, AllBandsInactivePassAudioUnchanged) {
    EngineRig r;
    r.setBand(0, peaking(r.g, 100.0f, 0.3f));
    r.activate(0, 1);
    r.run(noise(300));
    r.activate(0, 0);
    const std::vector<float> x = noise(1000, 3);
    EXPECT_EQ(r.run(x, kOddBlocks), x);
}

TEST(BiquadMultiEngine, FiveBandsOverOddSubBlocksMatchOneSampleAtATime) {
    EngineRig r;
    QB_BiquadCoefficients sets[Engine::kBands];
    for (int k = 0; k < Engine::kBands; ++k) {
        sets[k] = peaking(r.g, 20.0f + 150.0f * k, 0.3f - 0.15f * k);
        r.setBand(k, sets[k]);
        r.activate(k, 1);
    }
    const std::vector<float> x = noise(3000, 5);
    const std::vector<float> y = r.run(x, kOddBlocks);
    QB_BiquadState states[Engine::kBands] = {};
    for (size_t n = 0; n < x.size(); ++n) {
        float v = x[n];
        for (int k = 0; k < Engine::kBands; ++k) v = qbBiquadTick(sets[k], states[k], v);
        ASSERT_EQ(y[n], v) << n;
    }
}

// Band 2 alone, from the audio input; bands 0 and 1 hold NaN sets that must not be used.
// Coefficients are read once per call at offset 0, once per call at the call's offset
// (per sample allowed, static coefficients), or per sample (both allowed and varying).
TEST(BiquadMultiEngine, BandsZeroAndOneInactiveFilterBandTwoFromTheInputInEveryCoefficientMode) {
    enum Mode { kOffsetZero, kCallOffset, kPerSample };
    for (Mode mode : {kOffsetZero, kCallOffset, kPerSample}) {
        EngineRig r;
        const float nan = std::numeric_limits<float>::quiet_NaN();
        r.setBand(0, {nan, nan, nan, nan, nan});
        r.setBand(1, {nan, nan, nan, nan, nan});
        for (uint32_t i = 0; i < 132; ++i) r.setBandAt(2, i, peaking(r.g, 80.0f + 3.0f * i, 0.3f));
        r.activate(2, 1);
        if (mode != kOffsetZero) r.post(Engine::kPerSampleAllowedIn, 1);
        if (mode == kPerSample) announce(r.g, r.bands[2], 1);

        const std::vector<float> x = noise(1500, 9);
        const std::vector<float> y = r.run(x, kOddBlocks);
        QB_BiquadState s{};
        uint32_t offset = 0, callStart = 0;
        size_t block = 0, left = 0;
        for (size_t n = 0; n < x.size(); ++n) {
            if (left == 0) {  // the same sub-block split as runCapture
                left = std::min<size_t>(kOddBlocks[block++ % kOddBlocks.size()], 128 - offset);
                callStart = offset;
            }
            const uint32_t read = mode == kOffsetZero ? 0 : mode == kCallOffset ? callStart : offset;
            ASSERT_EQ(y[n], qbBiquadTick(peaking(r.g, 80.0f + 3.0f * read, 0.3f), s, x[n])) << mode << " " << n;
            offset = (offset + 1) % 128;
            --left;
        }
    }
}

TEST(BiquadMultiEngine, SilenceInSettlesToExactZeroAfterOneRingAndSleeps) {
    EngineRig r;
    for (int k = 0; k < Engine::kBands; ++k) {
        r.setBand(k, peaking(r.g, 100.0f + 150.0f * k, 0.4f));
        r.activate(k, 1);
    }
    auto* listener = r.g.make<RecordingModule>();
    r.g.wire(r.engine, 0, listener, 0);
    setStream(r.g, r.audio, 0.0f, 0);
    const std::vector<float> early = r.run(std::vector<float>(128, 0.0f));
    EXPECT_LT(early[127], 0.0f);  // the denormal guard leaves a negative residue
    const std::vector<float> late = r.run(std::vector<float>(44100, 0.0f));
    for (size_t n = late.size() - 512; n < late.size(); ++n) ASSERT_EQ(late[n], 0.0f) << n;
    EXPECT_NE(r.engine->flags & QB_ModuleBase::kAsleep, 0u);
    ASSERT_FALSE(listener->handled.empty());
    EXPECT_EQ(listener->handled.back().event.rateFlag, 0);

    announce(r.g, r.audio, 1);  // audio again: the engine wakes and filters
    const std::vector<float> again = r.run(noise(256));
    EXPECT_NE(again[255], 0.0f);
    EXPECT_EQ(listener->handled.back().event.rateFlag, 1);
}

TEST(BiquadMultiEngine, DisablingSilencesAndEnablingClearingOrSuspendingStartsFromClearedStates) {
    constexpr int kSuspend = -1;
    for (int restart : {int{Engine::kEnabledIn}, int{Engine::kClearIn}, kSuspend}) {
        EngineRig r;
        const QB_BiquadCoefficients a = peaking(r.g, 30.0f, 0.4f), b = peaking(r.g, 200.0f, -0.3f);
        r.setBand(1, a);
        r.setBand(3, b);
        r.activate(1, 1);
        r.activate(3, 1);
        r.run(noise(1000, 2));
        if (restart == Engine::kEnabledIn) {
            r.post(Engine::kEnabledIn, 0);
            for (float v : r.run(noise(300, 4))) ASSERT_EQ(v, 0.0f);
            r.post(Engine::kEnabledIn, 1);
        } else if (restart == Engine::kClearIn) {
            r.post(Engine::kClearIn, 1);
        } else {
            r.engine->suspend();
        }
        const std::vector<float> x = noise(700, 6);
        const std::vector<float> y = r.run(x);
        QB_BiquadState sa{}, sb{};
        for (size_t n = 0; n < x.size(); ++n)
            ASSERT_EQ(y[n], qbBiquadTick(b, sb, qbBiquadTick(a, sa, x[n]))) << restart << " " << n;
    }
}

TEST(BiquadMultiEngine, RecoversToFiniteOutputOneBlockAfterNonFiniteInput) {
    EngineRig r;
    const QB_BiquadCoefficients a = peaking(r.g, 50.0f, 0.4f);
    r.setBand(0, a);
    r.activate(0, 1);
    std::vector<float> x = noise(128 * 4, 8);
    x[200] = std::numeric_limits<float>::quiet_NaN();
    x[201] = std::numeric_limits<float>::infinity();
    const std::vector<float> y = r.run(x);
    EXPECT_TRUE(std::isnan(y[202]));
    QB_BiquadState s{};  // the block after the bad samples starts from a cleared state
    for (size_t n = 256; n < x.size(); ++n) ASSERT_EQ(y[n], qbBiquadTick(a, s, x[n])) << n;
}

TEST(BiquadMultiEngine, TheGraphCodesCreateTheFilterClasses) {
    TestGraph g;
    auto is = [&g](int32_t code, auto* type) {
        QB_ModuleBase* m = qbCreateModule(code, &g, false);
        const bool match = dynamic_cast<decltype(type)>(m) != nullptr;
        delete m;
        return match;
    };
    for (int32_t code = 6283; code <= 6290; ++code) EXPECT_TRUE(is(code, (QB_DSP_BiQuad_Static*)nullptr)) << code;
    for (int32_t code = 6292; code <= 6297; ++code) EXPECT_TRUE(is(code, (QB_DSP_BiQuad_Coeff*)nullptr)) << code;
    for (int32_t code = 6299; code <= 6301; ++code) EXPECT_TRUE(is(code, (QB_DSP_BiQuad_Engine*)nullptr)) << code;
    for (int32_t code = 6306; code <= 6308; ++code) EXPECT_TRUE(is(code, (Engine*)nullptr)) << code;
}

}  // namespace
