#include "eq/biquad_coeff.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "support/biquad_rig.h"

namespace {

// A designer feeding band 0 of a multi engine, with a sine source.
struct Rig {
    TestGraph g;
    RecordingModule* audio;
    DesignedBand band;
    QB_DSP_BiQuad_Multi_Engine* engine;

    Rig(int type, float frequency, float width, float gain, int32_t fs = 44100) : g(fs) {
        audio = g.make<RecordingModule>();
        band = addDesignedBand(g, type, frequency, width, gain);
        engine = g.make<QB_DSP_BiQuad_Multi_Engine>();
        g.wire(audio, 0, engine, QB_DSP_BiQuad_Multi_Engine::kAudioIn);
        wireBand(g, band.designer, engine, 0);
        g.prepareAll();
        announce(g, audio, 1);
    }
    double gainAt(double hz) { return measuredGain(g, audio, engine->outputs[0], hz); }
    QB_BiquadCoefficients designed(uint32_t offset = 0) const {
        float* const* c = band.designer->outputs;
        return {c[0][offset], c[1][offset], c[2][offset], c[3][offset], c[4][offset]};
    }
};

// A table node frequency (in Hz) at 44.1 kHz, so that the tangent is read exactly.
constexpr double kNodeHz = 93 * 44100.0 / 4096.0;
constexpr float kNodeUnits = static_cast<float>(kNodeHz / 10.0);

bool stable(const QB_BiquadCoefficients& c) { return std::fabs(c.a2) < 1.0f && std::fabs(c.a1) < 1.0f + c.a2; }

TEST(BiquadCoeff, PeakingCentreGainFollowsItsGainLaw) {
    for (float u : {-0.4f, -1.0f / 6.0f, 0.0f, 1.0f / 6.0f, 0.4f}) {
        Rig r(9, kNodeUnits, 0.5f, u);
        const double expected = (u + 0.5) / (0.501 - u);
        EXPECT_NEAR(r.gainAt(kNodeHz), expected, expected * 0.005) << "u = " << u;
    }
}

TEST(BiquadCoeff, PeakingAtMinusHalfRejectsTheCentreAndAtZeroIsNearlyFlat) {
    Rig reject(9, kNodeUnits, 0.5f, -0.5f);
    EXPECT_LT(reject.gainAt(kNodeHz), 1e-3);
    EXPECT_GT(reject.gainAt(kNodeHz * 4), 0.7);
    Rig flat(9, kNodeUnits, 0.5f, 0.0f);
    for (double hz : {50.0, kNodeHz / 2, kNodeHz, kNodeHz * 2, 10000.0}) {
        const double gain = flat.gainAt(hz);
        EXPECT_GT(gain, 0.9975) << hz;
        EXPECT_LT(gain, 1.0005) << hz;
    }
}

TEST(BiquadCoeff, NotchRejectsItsCentreAndResonatorPeaksThere) {
    Rig notch(8, kNodeUnits, 0.5f, 0.0f);
    EXPECT_LT(notch.gainAt(kNodeHz), 1e-3);
    EXPECT_GT(notch.gainAt(kNodeHz / 4), 0.85);
    EXPECT_GT(notch.gainAt(kNodeHz * 4), 0.85);
    Rig resonator(7, kNodeUnits, 0.9f, 0.0f);
    const double centre = resonator.gainAt(kNodeHz);
    EXPECT_NEAR(centre, 1.0, 0.02);
    EXPECT_LT(resonator.gainAt(kNodeHz / 4), centre * 0.05);
    EXPECT_LT(resonator.gainAt(kNodeHz * 4), centre * 0.05);
}

TEST(BiquadCoeff, LowAndHighPassFormsPassAndRejectAsNamedAndTypeSixInvertsPolarity) {
    for (int type = 1; type <= 6; ++type) {
        Rig r(type, 100.0f, 0.3f, 0.0f);
        const bool lowPass = type <= 3;
        EXPECT_GT(r.gainAt(100.0), lowPass ? 0.95 : 0.0) << type;
        EXPECT_LT(r.gainAt(100.0), lowPass ? 1.1 : 0.02) << type;
        EXPECT_LT(r.gainAt(10000.0), lowPass ? 0.01 : 1.1) << type;
        EXPECT_GT(r.gainAt(10000.0), lowPass ? 0.0 : 0.95) << type;
        if (lowPass) continue;
        auto nyquist = [](uint32_t n) { return n % 2 ? -1.0f : 1.0f; };
        const std::vector<float> y = runCapture(r.g, r.audio, r.engine->outputs[0], 4000, nyquist);
        EXPECT_NEAR(y.back() * nyquist(3999), type == 6 ? -1.0f : 1.0f, 0.01f) << type;
    }
}

TEST(BiquadCoeff, PitchScaleModePlacesTheCentreByPitch) {
    // 0.5 on the pitch scale is 13.75 Hz * 2^5 = 440 Hz.
    Rig r(9, 0.5f, 0.5f, -0.5f);
    r.band.designer->postEvent(r.g.samplePosition, QB_DSP_BiQuad_Coeff::kLinearModeIn, 0, 0, 0.0f, 0);
    EXPECT_LT(r.gainAt(440.0), 0.01);
    EXPECT_GT(r.gainAt(1760.0), 0.7);
}

TEST(BiquadCoeff, GainsAtOrAboveTheStabilityLimitGiveTheLargestStableBoost) {
    const float inf = std::numeric_limits<float>::infinity();
    Rig limit(9, kNodeUnits, 0.2f, 0.5f);
    limit.g.run(256);
    for (float u : {0.501f, 0.7f, 40.0f, inf}) {
        Rig r(9, kNodeUnits, 0.2f, u);
        const double gain = r.gainAt(kNodeHz);
        EXPECT_TRUE(std::isfinite(gain)) << u;
        EXPECT_NEAR(gain, 1000.0, 5.0) << u;
        const QB_BiquadCoefficients c = r.designed(), l = limit.designed();
        EXPECT_TRUE(stable(c));
        EXPECT_EQ(c.a2, l.a2);
        EXPECT_EQ(c.b0, l.b0);
    }
    Rig nanGain(9, kNodeUnits, 0.5f, std::numeric_limits<float>::quiet_NaN());
    EXPECT_NEAR(nanGain.gainAt(kNodeHz), 0.998, 0.002);
}

TEST(BiquadCoeff, FrequenciesOutsideTheTablesAreClampedToItsEnds) {
    // 20 kHz at 32 kHz (the A.I.R band) lies past half the sample rate.
    Rig air(9, 2000.0f, 0.4f, 1.0f / 6.0f, 32000);
    Rig top(9, 2047.0f / qbIndexScale(32000), 0.4f, 1.0f / 6.0f, 32000);
    air.g.run(128);
    top.g.run(128);
    EXPECT_TRUE(stable(air.designed()));
    EXPECT_EQ(air.designed().a1, top.designed().a1);
    EXPECT_EQ(air.designed().b0, top.designed().b0);
    const std::vector<float> x = noise(32000);
    const std::vector<float> y = runCapture(air.g, air.audio, air.engine->outputs[0], 32000, [&](uint32_t n) { return x[n]; });
    for (float v : y) ASSERT_LT(std::fabs(v), 10.0f);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int linear : {1, 0}) {
        for (float outside : {0.0f, -50.0f, nan, 1e30f, -1e30f}) {  // 0: entry 0 repeats entry 1
            Rig r(5, outside, 0.5f, 0.0f);
            r.band.designer->postEvent(0, QB_DSP_BiQuad_Coeff::kLinearModeIn, 0, linear, 0.0f, 0);
            r.g.run(128);
            const QB_BiquadCoefficients c = r.designed();
            EXPECT_TRUE(std::isfinite(c.b0) && std::isfinite(c.b1) && std::isfinite(c.a1) && stable(c))
                << linear << " " << outside;
        }
    }
}

TEST(BiquadCoeff, OutOfRangeSectionIndexIsClampedAndUnknownTypeMeansNoFilter) {
    auto designedWith = [](int type, int section) {
        Rig r(type, 300.0f, 1.0f, 0.0f);
        r.band.designer->postEvent(0, QB_DSP_BiQuad_Coeff::kSectionIn, 0, section, 0.0f, 0);
        r.g.run(128);
        return r.designed();
    };
    EXPECT_EQ(designedWith(3, 100).a2, designedWith(3, 7).a2);
    EXPECT_EQ(designedWith(3, -4).a2, designedWith(3, 0).a2);
    EXPECT_NE(designedWith(3, 7).a2, designedWith(3, 0).a2);

    for (int type : {10, -1, 0x7fff}) {
        Rig r(type, 300.0f, 0.5f, 0.3f);
        auto* activity = r.g.make<RecordingModule>();
        r.g.wire(r.band.designer, QB_DSP_BiQuad_Coeff::kBandActiveOut, activity, 0);
        const std::vector<float> y =
            runCapture(r.g, r.audio, r.engine->outputs[0], 512, [](uint32_t n) { return std::sin(0.1f * n); });
        for (int k = 0; k < 5; ++k) EXPECT_EQ(r.band.designer->outputs[k][5], 0.0f);
        ASSERT_FALSE(activity->handled.empty());
        EXPECT_EQ(activity->handled.back().event.intValue, 0);
        EXPECT_EQ(y[300], std::sin(0.1f * 300));  // the inactive band passes audio
    }
}

TEST(BiquadCoeff, AStaticDesignSleepsAndWakesTheEngineOnlyWhenTheDesignChanges) {
    Rig r(9, 300.0f, 0.5f, 0.2f);
    auto* rates = r.g.make<RecordingModule>();
    auto* activity = r.g.make<RecordingModule>();
    r.g.wire(r.band.designer, 0, rates, 0);
    r.g.wire(r.band.designer, QB_DSP_BiQuad_Coeff::kBandActiveOut, activity, 0);
    r.g.run(512);
    EXPECT_NE(r.band.designer->flags & QB_ModuleBase::kAsleep, 0u);
    ASSERT_EQ(rates->handled.size(), 1u);
    EXPECT_EQ(rates->handled[0].event.rateFlag, 0);

    r.band.designer->postEvent(r.g.samplePosition, QB_DSP_BiQuad_Coeff::kPerSampleIn, 0, 1, 0.0f, 0);
    r.g.run(512);
    EXPECT_EQ(rates->handled.size(), 1u);

    r.band.designer->postEvent(r.g.samplePosition, QB_DSP_BiQuad_Coeff::kTypeIn, 0, 8, 0.0f, 0);
    r.g.run(512);
    ASSERT_EQ(rates->handled.size(), 2u);
    EXPECT_EQ(rates->handled[1].event.rateFlag, 0);
    EXPECT_EQ(activity->handled.back().event.intValue, 1);

    r.band.designer->postEvent(r.g.samplePosition, QB_DSP_BiQuad_Coeff::kTypeIn, 0, 0, 0.0f, 0);
    r.g.run(512);
    EXPECT_EQ(activity->handled.back().event.intValue, 0);
    EXPECT_EQ(activity->handled.back().event.floatValue, 0.0f);
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < 128; ++i) ASSERT_EQ(r.band.designer->outputs[k][i], 0.0f);
    r.band.designer->postEvent(r.g.samplePosition, QB_DSP_BiQuad_Coeff::kTypeIn, 0, 9, 0.0f, 0);
    r.g.run(512);
    EXPECT_EQ(activity->handled.back().event.intValue, 1);
    EXPECT_EQ(activity->handled.back().event.floatValue, 1.0f);
}

TEST(BiquadCoeff, PerSampleDesignFollowsTheGainAtEveryOffsetOfOddSubBlocks) {
    Rig r(9, 300.0f, 0.5f, 0.0f);
    for (int i = 0; i < 132; ++i) r.band.gain->outputs[0][i] = -0.45f + 0.007f * i;
    announce(r.g, r.band.gain, 1);
    r.band.designer->postEvent(0, QB_DSP_BiQuad_Coeff::kPerSampleIn, 0, 1, 0.0f, 0);
    runCapture(r.g, r.audio, r.engine->outputs[0], 128 * 3, [](uint32_t) { return 0.0f; }, {5, 13, 3, 38, 1, 4});
    const QB_BiquadDesign d = qbBeginDesign(r.g.tables, qbIndexScale(44100), 9, 0, true, 0.5f);
    for (uint32_t i = 0; i < 128; ++i) {
        const QB_BiquadCoefficients want = qbDesignAt(d, 300.0f, -0.45f + 0.007f * i), got = r.designed(i);
        ASSERT_EQ(got.b0, want.b0) << i;
        ASSERT_EQ(got.b2, want.b2) << i;
        ASSERT_EQ(got.a2, want.a2) << i;
    }
}

TEST(BiquadCoeff, OneDesignPerCallReachesEveryOffsetOfAShortRing) {
    TestGraph g(44100, 64);
    DesignedBand b = addDesignedBand(g, 9, 300.0f, 0.5f, 0.2f);
    g.prepareAll();
    g.run(64 * 3);
    setStream(g, b.frequency, 500.0f);
    for (uint32_t n : {24u, 40u, 17u, 47u}) g.runSubBlock(n);
    const QB_BiquadCoefficients want =
        qbDesignAt(qbBeginDesign(g.tables, qbIndexScale(44100), 9, 0, true, 0.5f), 500.0f, 0.2f);
    for (uint32_t i = 0; i < 64; ++i) ASSERT_EQ(b.designer->outputs[0][i], want.b0) << i;
}

}  // namespace
