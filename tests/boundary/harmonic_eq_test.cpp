// The equaliser's main job through the built plug-in, driven as a host drives it: the
// bands follow the pitch of a tone, hold it under Freeze, lock on sooner with a faster
// Response, and scale with the level under Dynamic. Band positions are measured with
// probe sines after Freeze, as the peak of the magnitude response.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/frozen_eq.h"
#include "support/measurement_report.h"

namespace {

constexpr double kBassTone = 55.0;
constexpr double kToneLevel = 0.3;

// Default Flat with a quick Response, frozen on a bass tone, a fundamental and any
// extra tones.
FrozenEq frozenOn(float rate, double fundamental, std::vector<Sine> extra = {}) {
    std::vector<Sine> tones{{kBassTone, kToneLevel}, {fundamental, kToneLevel}};
    tones.insert(tones.end(), extra.begin(), extra.end());
    return FrozenEq(ORVAN_PLUGIN_PATH, rate, tones);
}

double percentOff(double measured, double wanted) { return 100.0 * (measured / wanted - 1.0); }

struct TrackingCase {
    float rate;
    double fundamental;
};

std::string caseName(const ::testing::TestParamInfo<TrackingCase>& info) {
    return std::to_string(static_cast<int>(info.param.rate)) + "Hz_" +
           std::to_string(static_cast<int>(info.param.fundamental)) + "Hz";
}

class Tracking : public ::testing::TestWithParam<TrackingCase> {};

TEST_P(Tracking, TheBandsSitOnTheFrozenPitchesAtSixDecibelsAndTheHarmonicsOnTwoAndThreeTimesBasic) {
    const auto [rate, f] = GetParam();
    FrozenEq eq = frozenOn(rate, f);
    ASSERT_TRUE(eq.plugin.ok()) << eq.plugin.error();

    const ResponseProbe::Extremum basic = eq.peakWith(QB_Control::kBasic, f / 1.45, f * 1.55);
    EXPECT_NEAR(basic.hz, f, 0.02 * f) << "Basic +5 peaks at " << basic.hz << " Hz";
    EXPECT_NEAR(basic.db, 6.0, 0.3) << "Basic +5 peak at " << basic.hz << " Hz";

    const ResponseProbe::Extremum bass = eq.peakWith(QB_Control::kBass, 38.0, 90.0);
    EXPECT_NEAR(bass.hz, kBassTone, 0.02 * kBassTone) << "Bass +5 peaks at " << bass.hz << " Hz";
    EXPECT_NEAR(bass.db, 6.0, 0.3) << "Bass +5 peak at " << bass.hz << " Hz";

    eq.plugin.set(QB_Control::kMulti2nd, eqp::kFollowsBasic);
    const ResponseProbe::Extremum second = eq.peakWith(QB_Control::kSecondHarmonic, 1.4 * f, 2.8 * f);
    EXPECT_NEAR(second.hz, 2.0 * basic.hz, 0.02 * 2.0 * basic.hz)
        << "2nd Harmonic +5 peaks at " << second.hz << " Hz, Basic at " << basic.hz << " Hz";

    eq.plugin.set(QB_Control::kMultiHigh, eqp::kFollowsBasic);
    const ResponseProbe::Extremum high = eq.peakWith(QB_Control::kHighHarmonic, 2.2 * f, 4.0 * f);
    EXPECT_NEAR(high.hz, 3.0 * basic.hz, 0.02 * 3.0 * basic.hz)
        << "High Harmonic +5 peaks at " << high.hz << " Hz, Basic at " << basic.hz << " Hz";

    reportFigure("tracking fs=%.0f f=%.0f: Basic %.2f Hz (%+.2f %%) %.3f dB | Bass %.2f Hz (%+.2f %%) %.3f dB | "
                 "2nd %.2f Hz (%+.2f %% of 2xBasic, %+.2f %% of 2f) %.3f dB | High %.2f Hz (%+.2f %% of 3xBasic, "
                 "%+.2f %% of 3f) %.3f dB",
                 rate, f, basic.hz, percentOff(basic.hz, f), basic.db, bass.hz, percentOff(bass.hz, kBassTone),
                 bass.db, second.hz, percentOff(second.hz, 2 * basic.hz), percentOff(second.hz, 2 * f), second.db,
                 high.hz, percentOff(high.hz, 3 * basic.hz), percentOff(high.hz, 3 * f), high.db);
}

// The harmonic detectors time whole-sample half periods, so a tone whose half period is
// a whole number of samples is one they can report exactly; other tones land on the
// nearest such frequency (steps of about 7 % near 3 kHz at 44.1 kHz).
double wholeHalfPeriodTone(float rate, double nearHz) { return rate / (2.0 * std::round(rate / (2.0 * nearHz))); }

TEST_P(Tracking, WithMultiOnTheHarmonicBandsFollowTheirOwnDetectorsInsteadOfTheBasicPitch) {
    const auto [rate, f] = GetParam();
    struct Harmonic {
        const char* name;
        int32_t slider;
        int32_t multi;
        double tone;
    };
    // One harmonic tone per run: the prefilters are gentle, and a second tone near one
    // detector's band would add crossings of its own.
    const Harmonic harmonics[2] = {{"2nd Harmonic", QB_Control::kSecondHarmonic, QB_Control::kMulti2nd, wholeHalfPeriodTone(rate, 3000.0)},
                                   {"High Harmonic", QB_Control::kHighHarmonic, QB_Control::kMultiHigh, wholeHalfPeriodTone(rate, 4800.0)}};
    for (const Harmonic& h : harmonics) {
        FrozenEq eq = frozenOn(rate, f, {{h.tone, 0.1}});
        ASSERT_TRUE(eq.plugin.ok()) << eq.plugin.error();
        ASSERT_EQ(eq.plugin.get(h.multi), eqp::kOwnDetector);  // "Default Flat" has Multi on
        const ResponseProbe::Extremum p = eq.peakWith(h.slider, h.tone / 1.35, h.tone * 1.45);
        EXPECT_NEAR(p.hz, h.tone, 0.02 * h.tone) << h.name << " +5 peaks at " << p.hz << " Hz";
        EXPECT_NEAR(p.db, 6.0, 0.3) << h.name << " +5 peak at " << p.hz << " Hz";
        reportFigure("multi on fs=%.0f f=%.0f: %s tone %.2f Hz -> peak %.2f Hz (%+.2f %%) %.3f dB", rate, f, h.name,
                     h.tone, p.hz, percentOff(p.hz, h.tone), p.db);
    }
}

INSTANTIATE_TEST_SUITE_P(FundamentalsAcrossTheBasicRange, Tracking,
                         ::testing::Values(TrackingCase{44100.f, 330.0}, TrackingCase{44100.f, 150.0},
                                           TrackingCase{44100.f, 440.0}, TrackingCase{44100.f, 1000.0},
                                           TrackingCase{96000.f, 330.0}, TrackingCase{96000.f, 150.0},
                                           TrackingCase{96000.f, 440.0}, TrackingCase{96000.f, 1000.0}),
                         caseName);

// Seconds from a switch of the input from 220 Hz to 440 Hz until the Basic band, frozen
// at that moment, peaks within 2 % of 440 Hz. Each try is a fresh instance that plays
// 220 Hz long enough to lock at any of the settings (the default needs 0.6 s from its
// start at 100 Hz), then 440 Hz for t; t is bisected to 2 ms.
double secondsToReach440(float response) {
    auto reached = [response](double t) {
        HostedPlugin plugin(ORVAN_PLUGIN_PATH, 44100.f);
        plugin.set(QB_Control::kResponse, response);
        plugin.set(QB_Control::kBasic, eqp::kFullBoost);
        ResponseProbe probe = plugin.probe();
        probe.play({{220.0, kToneLevel}}, 1.0);
        probe.play({{440.0, kToneLevel}}, t);
        plugin.set(QB_Control::kFreeze, eqp::kOn);
        return probe.peak(330.0, 480.0).hz >= 0.98 * 440.0;
    };
    double lo = 0.0;
    double hi = 0.016;
    while (!reached(hi)) {
        lo = hi;
        hi *= 2.0;
        if (hi > 10.0) return INFINITY;
    }
    while (hi - lo > 0.002) {
        const double mid = 0.5 * (lo + hi);
        (reached(mid) ? hi : lo) = mid;
    }
    return hi;
}

TEST(Response, AFasterSettingLocksTheBasicBandOntoANewPitchSooner) {
    // 0.5 is the default (display 502.5), 0.75 is 253.75, 1 the fastest (5); the Basic
    // detector slews 1 kHz in display x 10 ms.
    const float settings[3] = {0.5f, 0.75f, 1.0f};
    double seconds[3];
    for (int i = 0; i < 3; ++i) {
        seconds[i] = secondsToReach440(settings[i]);
        reportFigure("response x=%.2f: 220 -> 440 Hz reached (within 2 %%) after %.3f s", settings[i], seconds[i]);
    }
    EXPECT_LT(seconds[0], 2.0) << "default Response";
    EXPECT_LT(seconds[1], seconds[0]) << seconds[1] << " s at 0.75, " << seconds[0] << " s at 0.5";
    EXPECT_LT(seconds[2], seconds[1]) << seconds[2] << " s at 1, " << seconds[1] << " s at 0.75";
    EXPECT_LT(seconds[2], 0.05) << "fastest Response";
}

// Gain at the frozen Basic band's centre for a steady tone of the amplitude, after the
// level meters have followed it for half a second.
double steadyGainDb(ResponseProbe& probe, double hz, double amplitude) {
    probe.play({{hz, amplitude}}, 0.5);
    return probe.gainDb(hz, amplitude);
}

TEST(Dynamic, ALouderInputGetsALargerBoostAndAQuietOneASmallerOneThanWithDynamicOff) {
    FrozenEq eq = frozenOn(44100.f, 440.0);
    ASSERT_TRUE(eq.plugin.ok()) << eq.plugin.error();
    eq.plugin.set(QB_Control::kBasic, eqp::kFullBoost);
    const double off = steadyGainDb(eq.probe, 440.0, 0.3);

    eq.plugin.set(QB_Control::kDynamic, eqp::kOn);
    eq.probe.play({}, 1.0);
    const double quiet = steadyGainDb(eq.probe, 440.0, 0.003);
    const double loud = steadyGainDb(eq.probe, 440.0, 0.9);
    eq.probe.play({}, 1.0);
    const double quietAgain = steadyGainDb(eq.probe, 440.0, 0.003);
    // Far above full scale: the level factor is capped, so the boost stays bounded.
    const double hot = steadyGainDb(eq.probe, 440.0, 8.0);

    EXPECT_GT(loud, off + 1.0) << "loud " << loud << " dB, Dynamic off " << off << " dB";
    EXPECT_LT(quiet, off - 1.0) << "quiet " << quiet << " dB, Dynamic off " << off << " dB";
    EXPECT_NEAR(quietAgain, quiet, 0.05) << "quiet after loud and silence";
    EXPECT_TRUE(std::isfinite(hot));
    EXPECT_GE(hot, loud) << "8.0 amplitude " << hot << " dB";
    EXPECT_LT(hot, 14.0) << "8.0 amplitude " << hot << " dB";
    reportFigure("dynamic at 440 Hz, Basic +5: off %.3f dB | on: 0.003 %.3f dB, 0.9 %.3f dB, 0.003 again %.3f dB, "
                 "8.0 %.3f dB",
                 off, quiet, loud, quietAgain, hot);
}

TEST(Dynamic, AfterASuspendAndResumeTheLevelFollowsTheNewInputAtOnce) {
    FrozenEq eq = frozenOn(44100.f, 440.0);
    ASSERT_TRUE(eq.plugin.ok()) << eq.plugin.error();
    eq.plugin.set(QB_Control::kBasic, eqp::kFullBoost);
    eq.plugin.set(QB_Control::kDynamic, eqp::kOn);
    eq.probe.play({}, 1.0);
    const double quiet = steadyGainDb(eq.probe, 440.0, 0.003);
    eq.probe.play({{440.0, 0.9}}, 3.0);
    // A host stops and starts again: held peaks and deadlines must not outlive the stop.
    eq.plugin.host().dispatch(effMainsChanged, 0, 0);
    eq.plugin.host().dispatch(effMainsChanged, 0, 1);
    const double quietAfter = steadyGainDb(eq.probe, 440.0, 0.003);
    EXPECT_NEAR(quietAfter, quiet, 0.1) << "quiet " << quiet << " dB before, " << quietAfter << " dB after the stop";
}

}  // namespace
