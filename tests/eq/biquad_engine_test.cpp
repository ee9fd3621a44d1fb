#include "eq/biquad_engine.h"

#include <gtest/gtest.h>

#include <vector>

#include "eq/biquad_design.h"
#include "support/biquad_rig.h"

namespace {

using Engine = QB_DSP_BiQuad_Engine;

struct SingleRig {
    TestGraph g;
    RecordingModule* audio;
    RecordingModule* coefficients;
    Engine* engine;

    SingleRig() {
        audio = g.make<RecordingModule>();
        coefficients = g.make<RecordingModule>();
        for (int p = 1; p < 5; ++p) coefficients->allocateOutput(p);
        engine = g.make<Engine>();
        g.wire(audio, 0, engine, Engine::kAudioIn);
        for (int p = 0; p < 5; ++p) g.wire(coefficients, p, engine, Engine::kB0In + p);
        g.prepareAll();
        announce(g, audio, 1);
    }
    void setAt(uint32_t offset, const QB_BiquadCoefficients& c) {
        const float v[5] = {c.b0, c.b1, c.b2, c.a1, c.a2};
        for (int p = 0; p < 5; ++p) coefficients->outputs[p][offset] = v[p];
    }
    void post(int32_t port, int32_t value) { engine->postEvent(g.samplePosition, port, 0, value, 0.0f, 0); }
    std::vector<float> run(const std::vector<float>& x, const std::vector<uint32_t>& blocks = {128}) {
        return runCapture(g, audio, engine->outputs[0], static_cast<uint32_t>(x.size()),
                          [&x](uint32_t n) { return x[n]; }, blocks);
    }
};

QB_BiquadCoefficients lowPass(const TestGraph& g, float frequency) {
    return qbDesignAt(qbBeginDesign(g.tables, qbIndexScale(g.sampleRateInt), 2, 0, true, 0.3f), frequency, 0.0f);
}

TEST(BiquadEngine, RunsSectionCountSectionsWithTheSetAtOffsetZero) {
    for (int32_t countEvent : {2, 99}) {  // three sections; 99 is clamped to eight
        SingleRig r;
        const QB_BiquadCoefficients used = lowPass(r.g, 300.0f);
        r.setAt(0, used);
        for (uint32_t i = 1; i < 132; ++i) r.setAt(i, lowPass(r.g, 900.0f));  // never read
        announce(r.g, r.coefficients, 1);
        r.post(Engine::kSectionsIn, countEvent);
        const std::vector<float> x = noise(1200, 4);
        const std::vector<float> y = r.run(x, {5, 13, 64, 7, 39, 1, 3});
        const int sections = countEvent == 2 ? 3 : 8;
        QB_BiquadState s[8] = {};
        for (size_t n = 0; n < x.size(); ++n) {
            float v = x[n];
            for (int k = 0; k < sections; ++k) v = qbBiquadTick(used, s[k], v);
            ASSERT_EQ(y[n], v) << countEvent << " " << n;
        }
    }
}

TEST(BiquadEngine, AnInactiveBandPassesAudioAndReturnsFromClearedStates) {
    SingleRig r;
    const QB_BiquadCoefficients c = lowPass(r.g, 500.0f);
    r.setAt(0, c);
    r.run(noise(500, 1));
    r.post(Engine::kBandActiveIn, 0);
    const std::vector<float> x = noise(300, 2);
    EXPECT_EQ(r.run(x, {7, 100}), x);
    r.post(Engine::kBandActiveIn, 1);
    const std::vector<float> y = r.run(x);
    QB_BiquadState s{};
    for (size_t n = 0; n < x.size(); ++n) ASSERT_EQ(y[n], qbBiquadTick(c, s, x[n])) << n;
}

TEST(BiquadEngine, SilenceInWithStaticCoefficientsSettlesToExactZero) {
    SingleRig r;
    r.setAt(0, lowPass(r.g, 500.0f));
    r.post(Engine::kSectionsIn, 4);
    setStream(r.g, r.audio, 0.0f, 0);
    const std::vector<float> y = r.run(std::vector<float>(44100, 0.0f));
    EXPECT_NE(y[10], 0.0f);
    EXPECT_EQ(y.back(), 0.0f);
    EXPECT_NE(r.engine->flags & QB_ModuleBase::kAsleep, 0u);
}

}  // namespace
