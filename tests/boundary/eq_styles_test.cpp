// Styles and Highs Mode through the built plug-in: the peak gains of a full boost and a
// full cut in each Style, how the Style shapes the band, and where Highs Mode puts the
// Highs band at the sample rates a host may use.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/frozen_eq.h"
#include "support/measurement_report.h"

namespace {

constexpr double kFundamental = 440.0;

struct StyleCase {
    int style;
    const char* name;
    // The designers' centre gain (u + 0.5)/(0.501 - u) at the Style's gain extremes.
    double boostDb;
    double cutDb;
};

std::string styleName(const ::testing::TestParamInfo<StyleCase>& info) { return info.param.name; }

class Style : public ::testing::TestWithParam<StyleCase> {};

TEST_P(Style, FullBoostAndFullCutReachTheStylesGainRangeOnTheBasicAndHighsBands) {
    const StyleCase c = GetParam();
    FrozenEq eq(ORVAN_PLUGIN_PATH, 44100.f, {{55.0, 0.3}, {kFundamental, 0.3}});
    ASSERT_TRUE(eq.plugin.ok()) << eq.plugin.error();
    eq.plugin.set(QB_Control::kStyle, eqp::kOption[c.style]);

    struct Band {
        int32_t slider;
        double lo, hi;
    };
    const Band bands[2] = {{QB_Control::kBasic, 300.0, 650.0}, {QB_Control::kHighs, 5000.0, 12500.0}};
    for (const Band& b : bands) {
        eq.plugin.set(b.slider, eqp::kFullBoost);
        const ResponseProbe::Extremum boost = eq.probe.peak(b.lo, b.hi);
        eq.plugin.set(b.slider, eqp::kFullCut);
        const ResponseProbe::Extremum cut = eq.probe.dip(b.lo, b.hi);
        eq.plugin.set(b.slider, eqp::kFlat);
        EXPECT_NEAR(boost.db, c.boostDb, 0.3) << c.name << " boost of slider " << b.slider << " at " << boost.hz << " Hz";
        EXPECT_NEAR(cut.db, c.cutDb, 0.3) << c.name << " cut of slider " << b.slider << " at " << cut.hz << " Hz";
        reportFigure("style %s slider %d: full boost %+.3f dB at %.1f Hz, full cut %+.3f dB at %.1f Hz", c.name,
                     b.slider, boost.db, boost.hz, cut.db, cut.hz);
    }
}

INSTANTIATE_TEST_SUITE_P(AllThree, Style,
                         ::testing::Values(StyleCase{0, "American", 6.0, -6.03}, StyleCase{1, "German", 6.0, -6.03},
                                           StyleCase{2, "British", 3.5, -3.54}),
                         styleName);

// Gain one octave above the frozen Basic band: the wider the band, the further it reaches.
double octaveAboveDb(FrozenEq& eq, int style, float slider) {
    eq.plugin.set(QB_Control::kStyle, eqp::kOption[style]);
    eq.plugin.set(QB_Control::kBasic, slider);
    const double db = eq.probe.gainDb(2.0 * kFundamental);
    eq.plugin.set(QB_Control::kBasic, eqp::kFlat);
    return db;
}

TEST(StyleShape, GermanNarrowsItsBoostsAndWidensItsCutsAgainstAmerican) {
    FrozenEq eq(ORVAN_PLUGIN_PATH, 44100.f, {{55.0, 0.3}, {kFundamental, 0.3}});
    ASSERT_TRUE(eq.plugin.ok()) << eq.plugin.error();
    const double americanBoost = octaveAboveDb(eq, 0, eqp::kFullBoost);
    const double germanBoost = octaveAboveDb(eq, 1, eqp::kFullBoost);
    const double americanCut = octaveAboveDb(eq, 0, eqp::kFullCut);
    const double germanCut = octaveAboveDb(eq, 1, eqp::kFullCut);
    const double britishBoost = octaveAboveDb(eq, 2, eqp::kFullBoost);
    const double britishCut = octaveAboveDb(eq, 2, eqp::kFullCut);
    EXPECT_LT(germanBoost, americanBoost - 0.1) << "an octave above a full boost";
    EXPECT_LT(germanCut, americanCut - 0.1) << "an octave above a full cut";
    reportFigure("octave above 440 Hz: boost American %+.3f German %+.3f British %+.3f dB | cut American %+.3f German "
                 "%+.3f British %+.3f dB",
                 americanBoost, germanBoost, britishBoost, americanCut, germanCut, britishCut);
}

struct HighsCase {
    float rate;
    int mode;
    double wantedHz;  // 0: the mode's frequency is out of reach at this rate
};

std::string highsName(const ::testing::TestParamInfo<HighsCase>& info) {
    static const char* const modes[3] = {"Mixing", "Mastering", "AIR"};
    return std::to_string(static_cast<int>(info.param.rate)) + "Hz_" + modes[info.param.mode];
}

class HighsMode : public ::testing::TestWithParam<HighsCase> {};

TEST_P(HighsMode, PutsTheHighsBandOnItsFrequencyOrJustBelowHalfTheSampleRate) {
    const HighsCase c = GetParam();
    // Frozen, so that the tracking bands do not follow the probes.
    FrozenEq eq(ORVAN_PLUGIN_PATH, c.rate, {{55.0, 0.3}, {kFundamental, 0.3}});
    ASSERT_TRUE(eq.plugin.ok()) << eq.plugin.error();
    eq.plugin.set(QB_Control::kHighsMode, eqp::kOption[c.mode]);
    const ResponseProbe::Extremum p = eq.peakWith(QB_Control::kHighs, 4000.0, 0.49 * c.rate);
    if (c.wantedHz > 0.0) {
        EXPECT_NEAR(p.hz, c.wantedHz, 0.02 * c.wantedHz) << "peak " << p.db << " dB";
    } else {
        EXPECT_LT(p.hz, 0.48 * c.rate) << "peak " << p.db << " dB";
        EXPECT_GT(p.hz, 10000.0) << "peak " << p.db << " dB";
    }
    EXPECT_NEAR(p.db, 6.0, 0.3) << "at " << p.hz << " Hz";
    reportFigure("highs mode %d fs=%.0f: peak %.1f Hz %+.3f dB", c.mode, c.rate, p.hz, p.db);
}

INSTANTIATE_TEST_SUITE_P(
    AtHostRates, HighsMode,
    ::testing::Values(HighsCase{44100.f, 0, 8000.0}, HighsCase{44100.f, 1, 12000.0}, HighsCase{44100.f, 2, 20000.0},
                      HighsCase{96000.f, 0, 8000.0}, HighsCase{96000.f, 1, 12000.0}, HighsCase{96000.f, 2, 20000.0},
                      HighsCase{32000.f, 1, 12000.0}, HighsCase{32000.f, 2, 0.0}, HighsCase{22050.f, 1, 0.0},
                      HighsCase{22050.f, 2, 0.0}),
    highsName);

}  // namespace
