// The factory program "Default Flat" through the built plug-in: sines from 20 Hz to
// 20 kHz come out as they went in. The pitch detectors follow each probe and move the
// bands with it, but with every gain slider at 0 the bands stay flat.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/hosted_plugin.h"
#include "support/measurement_report.h"

namespace {

// Third-octave steps from 20 Hz, then 20 kHz itself.
std::vector<double> thirdOctaves() {
    std::vector<double> f;
    for (int k = 0; 20.0 * std::pow(2.0, k / 3.0) < 20000.0; ++k) f.push_back(20.0 * std::pow(2.0, k / 3.0));
    f.push_back(20000.0);
    return f;
}

class DefaultFlat : public ::testing::TestWithParam<float> {};

TEST_P(DefaultFlat, KeepsEverySineFrom20HzTo20kHzWithinATenthOfADecibelOnBothChannels) {
    const float rate = GetParam();
    HostedPlugin plugin(ORVAN_PLUGIN_PATH, rate);
    ASSERT_TRUE(plugin.ok()) << plugin.error();
    ASSERT_EQ(plugin.host().getString(effGetProgramName), "Default Flat");
    ResponseProbe probe = plugin.probe();

    double worst = 0.0;
    for (double hz : thirdOctaves()) {
        const ResponseProbe::Transfer t = probe.measure(hz, 0.25);
        EXPECT_NEAR(t.leftDb(), 0.0, 0.1) << "left at " << hz << " Hz, " << rate << " Hz rate";
        EXPECT_NEAR(t.rightDb(), 0.0, 0.1) << "right at " << hz << " Hz, " << rate << " Hz rate";
        worst = std::max({worst, std::fabs(t.leftDb()), std::fabs(t.rightDb())});
        reportFigure("flat fs=%.0f f=%.1f left=%+.4f dB right=%+.4f dB", rate, hz, t.leftDb(), t.rightDb());
    }
    reportFigure("flat fs=%.0f largest deviation %.4f dB", rate, worst);
}

INSTANTIATE_TEST_SUITE_P(AtCommonRates, DefaultFlat, ::testing::Values(44100.f, 48000.f));

}  // namespace
