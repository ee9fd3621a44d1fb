#include "eq/biquad_static.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "eq/biquad_design.h"
#include "support/biquad_rig.h"

namespace {

using Static = QB_DSP_BiQuad_Static;

// Low-pass and high-pass prefilters as the shipped graph configures them: five sections,
// width 0, linear mode, frequency in graph units of 10 Hz.
struct Prefilter {
    int type;
    float frequency;
};
constexpr Prefilter kLowPass100{1, 10.0f}, kHighPass100{4, 10.0f}, kLowPass2400{1, 240.0f},
    kHighPass2200{4, 220.0f}, kLowPass4200{1, 420.0f}, kHighPass4100{4, 410.0f}, kLowPass6100{1, 610.0f};

struct StaticRig {
    TestGraph g;
    RecordingModule* audio;
    RecordingModule* frequency[2];
    std::vector<Static*> chain;

    // A stage of type -1 gets no type event.
    explicit StaticRig(std::vector<Prefilter> stages, int sectionEvent = 4) {
        audio = g.make<RecordingModule>();
        RecordingModule* zero = addConstantStream(g, 0.0f);
        QB_ModuleBase* from = audio;
        for (size_t k = 0; k < stages.size(); ++k) {
            frequency[k] = addConstantStream(g, stages[k].frequency);
            Static* s = g.make<Static>();
            g.wire(from, 0, s, Static::kAudioIn1);
            g.wire(frequency[k], 0, s, Static::kFrequencyIn);
            g.wire(zero, 0, s, Static::kWidthIn);
            g.wire(zero, 0, s, Static::kGainIn);
            if (stages[k].type >= 0) s->postEvent(0, Static::kTypeIn, 0, stages[k].type, 0.0f, 0);
            s->postEvent(0, Static::kSectionsIn, 0, sectionEvent, 0.0f, 0);
            announce(g, frequency[k], 0);
            chain.push_back(s);
            from = s;
        }
        announce(g, zero, 0);
        g.prepareAll();
        announce(g, audio, 1);
    }
    const float* out(int channel = 0) const { return chain.back()->outputs[channel]; }
    double gainDb(double hz) { return 20.0 * std::log10(measuredGain(g, audio, out(), hz)); }
    std::vector<float> run(const std::vector<float>& x, const std::vector<uint32_t>& blocks = {128}) {
        return runCapture(g, audio, out(), static_cast<uint32_t>(x.size()), [&x](uint32_t n) { return x[n]; },
                          blocks);
    }
};

QB_BiquadCoefficients design(const TestGraph& g, int type, int sectionIndex, float frequency) {
    return qbDesignAt(qbBeginDesign(g.tables, qbIndexScale(g.sampleRateInt), type, sectionIndex, true, 0.0f),
                      frequency, 0.0f);
}

// Five sections, each 1/1.515 (-3.6 dB) at its corner: the cascade is 18 dB down there.
TEST(BiquadStatic, ShippedPrefiltersAreEighteenDecibelsDownAtTheirNamedCorners) {
    for (Prefilter p : {kLowPass100, kHighPass100, kLowPass2400, kHighPass2200, kLowPass4200, kHighPass4100,
                        kLowPass6100}) {
        StaticRig r({p});
        EXPECT_NEAR(r.gainDb(p.frequency * 10.0), -18.1, 0.3) << p.type << " " << p.frequency;
    }
}

TEST(BiquadStatic, ShippedPrefilterChainsPassAndRejectTheirBands) {
    StaticRig bass({kLowPass100});
    EXPECT_GT(bass.gainDb(30.0), -1.0);
    EXPECT_LT(bass.gainDb(400.0), -80.0);
    StaticRig basic({kHighPass100, kLowPass2400});
    EXPECT_GT(basic.gainDb(500.0), -1.0);
    EXPECT_LT(basic.gainDb(25.0), -80.0);
    EXPECT_LT(basic.gainDb(9600.0), -80.0);
    StaticRig second({kHighPass2200, kLowPass4200});
    EXPECT_GT(second.gainDb(3000.0), -16.0);
    EXPECT_LT(second.gainDb(1000.0), -60.0);
    EXPECT_LT(second.gainDb(9000.0), -60.0);
    StaticRig high({kHighPass4100, kLowPass6100});
    EXPECT_GT(high.gainDb(5000.0), -22.0);
    EXPECT_LT(high.gainDb(2000.0), -60.0);
    EXPECT_LT(high.gainDb(12000.0), -60.0);
}

TEST(BiquadStatic, TypeZeroUnknownTypesAndNoTypeYetPassAudioThrough) {
    for (int type : {-1, 0, 12, 0x10000 + 12}) {
        StaticRig r({{type, 100.0f}});
        const std::vector<float> x = noise(500, 3);
        EXPECT_EQ(r.run(x, {128, 7}), x) << type;
    }
}

// Runs left and right through a stereo static biquad in sub-blocks of n frames.
void runStereo(StaticRig& r, RecordingModule* right, const std::vector<float>& left,
               const std::vector<float>& rightIn, std::vector<float>& leftOut, std::vector<float>& rightOut,
               uint32_t n = 100) {
    for (size_t done = 0; done < left.size();) {
        const uint32_t p = r.g.ringPosition;
        const uint32_t count = std::min<uint32_t>({n, static_cast<uint32_t>(left.size() - done), 128 - p});
        for (uint32_t i = 0; i < count; ++i) {
            r.audio->outputs[0][p + i] = left[done + i];
            right->outputs[0][p + i] = rightIn[done + i];
        }
        r.g.runSubBlock(count);
        leftOut.insert(leftOut.end(), r.out(0) + p, r.out(0) + p + count);
        rightOut.insert(rightOut.end(), r.out(1) + p, r.out(1) + p + count);
        done += count;
    }
}

TEST(BiquadStatic, StereoChannelsShareTheDesignAndKeepTheirOwnStates) {
    StaticRig r({{4, 50.0f}}, 2);
    auto* right = r.g.make<RecordingModule>();
    r.g.wire(right, 0, r.chain[0], Static::kAudioIn2);
    const std::vector<float> left = noise(900, 1), rightIn = noise(900, 2);
    std::vector<float> leftOut, rightOut;
    runStereo(r, right, left, rightIn, leftOut, rightOut);
    const QB_BiquadCoefficients c = design(r.g, 4, 2, 50.0f);
    QB_BiquadState sl[3] = {}, sr[3] = {};
    for (size_t n = 0; n < left.size(); ++n) {
        float l = left[n], x = rightIn[n];
        for (int k = 0; k < 3; ++k) l = qbBiquadTick(c, sl[k], l), x = qbBiquadTick(c, sr[k], x);
        ASSERT_EQ(leftOut[n], l) << n;
        ASSERT_EQ(rightOut[n], x) << n;
    }
}

TEST(BiquadStatic, SilenceOnChannelOneSettlesBothChannelsToSilence) {
    StaticRig r({{1, 300.0f}});
    auto* right = r.g.make<RecordingModule>();
    r.g.wire(right, 0, r.chain[0], Static::kAudioIn2);
    setStream(r.g, r.audio, 0.0f, 0);
    const std::vector<float> silent(4096, 0.0f), loud = noise(4096, 5);
    std::vector<float> leftOut, rightOut;
    runStereo(r, right, silent, loud, leftOut, rightOut, 128);
    EXPECT_NE(rightOut[100], 0.0f);
    for (size_t n = leftOut.size() - 512; n < leftOut.size(); ++n) {
        ASSERT_EQ(leftOut[n], 0.0f) << n;
        ASSERT_EQ(rightOut[n], 0.0f) << n;
    }
    EXPECT_NE(r.chain[0]->flags & QB_ModuleBase::kAsleep, 0u);
}

TEST(BiquadStatic, DisablingSilencesAndEnablingStartsFromClearedStates) {
    StaticRig r({{2, 150.0f}});
    r.run(noise(700, 1));
    r.chain[0]->postEvent(r.g.samplePosition, Static::kEnabledIn, 0, 0, 0.0f, 0);
    for (float v : r.run(noise(300, 2))) ASSERT_EQ(v, 0.0f);
    r.chain[0]->postEvent(r.g.samplePosition, Static::kEnabledIn, 0, 1, 0.0f, 0);
    const std::vector<float> x = noise(600, 3);
    const std::vector<float> y = r.run(x, {9, 50});
    const QB_BiquadCoefficients c = design(r.g, 2, 4, 150.0f);
    QB_BiquadState s[5] = {};
    for (size_t n = 0; n < x.size(); ++n) {
        float v = x[n];
        for (QB_BiquadState& st : s) v = qbBiquadTick(c, st, v);
        ASSERT_EQ(y[n], v) << n;
    }
}

TEST(BiquadStatic, RecoversToFiniteOutputOneBlockAfterNonFiniteInput) {
    StaticRig r({kHighPass100});
    std::vector<float> x = noise(128 * 3, 4);
    x[130] = -std::numeric_limits<float>::infinity();
    const std::vector<float> y = r.run(x);
    EXPECT_FALSE(std::isfinite(y[140]));
    for (size_t n = 256; n < y.size(); ++n) ASSERT_TRUE(std::isfinite(y[n])) << n;
}

TEST(BiquadStatic, AVaryingFrequencyIsRedesignedEveryCallAndAStaticOneOnlyOnAnnouncement) {
    for (uint16_t rate : {1, 0}) {
        StaticRig r({{2, 100.0f}}, 0);
        setStream(r.g, r.frequency[0], 400.0f, rate);
        r.run(noise(256, 1));
        for (int i = 0; i < 132; ++i) r.frequency[0]->outputs[0][i] = 1000.0f;  // changed, not announced
        r.chain[0]->postEvent(r.g.samplePosition, Static::kClearIn, 0, 1, 0.0f, 0);
        const std::vector<float> x = noise(300, 3);
        const std::vector<float> y = r.run(x);
        const QB_BiquadCoefficients c = design(r.g, 2, 0, rate != 0 ? 1000.0f : 400.0f);
        QB_BiquadState s{};
        for (size_t n = 0; n < x.size(); ++n) ASSERT_EQ(y[n], qbBiquadTick(c, s, x[n])) << rate << " " << n;
    }
}

}  // namespace
