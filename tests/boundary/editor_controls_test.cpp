// The controls beyond the host parameters (Bypass 36, Reset 37) reached through the
// descriptor's setParameter, as the editor reaches them, and the names of indices past
// the host parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "host_session.h"
#include "support/eq_parameters.h"

namespace {

using host_suite::Session;
using host_suite::Stereo;

// The musical signal the session plays, frames [from, from + n).
Stereo inputOf(const Session& s, uint64_t from, int64_t n) {
    Stereo in;
    for (int64_t i = 0; i < n; ++i) {
        in.left.push_back(host_suite::musicalSample(0, from + static_cast<uint64_t>(i), s.rate()));
        in.right.push_back(host_suite::musicalSample(1, from + static_cast<uint64_t>(i), s.rate()));
    }
    return in;
}

TEST(EditorControls, NamesPastTheHostParametersAreZDash) {
    Session s;
    ASSERT_TRUE(s.ok());
    for (VstInt32 index : {18, 40, 41, 1000}) EXPECT_EQ(s.host().getString(effGetParamName, index), "z-") << index;
    EXPECT_EQ(s.host().getString(effGetParamName, 0), "orvanD.png");
    EXPECT_EQ(s.host().getString(effGetParamName, QB_Control::kBass), "Bass");
}

TEST(EditorControls, BypassThroughTheHostsSetParameterPassesAudioUntouchedAndOffFiltersAgain) {
    Session s;
    ASSERT_TRUE(s.ok());
    s.start(44100.f, 512);
    s.setParameter(QB_Control::kResponse, eqp::kQuickResponse);
    s.setParameter(QB_Control::kBasic, eqp::kFullBoost);
    s.play(44100);

    s.setParameter(QB_Control::kBypass, 1.f);
    const uint64_t from = s.clock();
    const Stereo bypassed = s.play(8192, 300);
    EXPECT_EQ(host_suite::firstDifference(bypassed, inputOf(s, from, 8192)), bypassed.size());
    EXPECT_EQ(s.getParameter(QB_Control::kBypass), 0.f);  // never stored in a program

    s.setParameter(QB_Control::kBypass, 0.f);
    const uint64_t again = s.clock();
    const Stereo filtered = s.play(8192, 300);
    EXPECT_LT(host_suite::firstDifference(filtered, inputOf(s, again, 8192)), filtered.size());
}

TEST(EditorControls, ResetPressAndReleaseThroughTheHostsSetParameterBringTheGainsToZero) {
    Session s;
    ASSERT_TRUE(s.ok());
    s.start(44100.f, 512);
    const VstInt32 gains[] = {QB_Control::kBass, QB_Control::kBasic, QB_Control::kSecondHarmonic,
                              QB_Control::kHighHarmonic, QB_Control::kHighs};
    for (VstInt32 g : gains) s.setParameter(g, g % 2 == 0 ? eqp::kFullBoost : eqp::kFullCut);
    s.play(1024);
    s.setParameter(QB_Control::kReset, 1.f);
    s.play(512);
    s.setParameter(QB_Control::kReset, 0.f);
    s.play(512);
    for (VstInt32 g : gains) EXPECT_EQ(s.getParameter(g), eqp::kFlat) << g;
}

TEST(EditorControls, NumbersPastTheControlsAndNaNAreIgnored) {
    Session s;
    ASSERT_TRUE(s.ok());
    s.start(44100.f, 512);
    s.setParameter(QB_Control::kBass, 0.75f);
    for (VstInt32 index : {-1, 41, 1000, std::numeric_limits<VstInt32>::min()}) s.setParameter(index, 1.f);
    s.setParameter(QB_Control::kBass, std::nanf(""));
    s.setParameter(QB_Control::kBypass, std::nanf(""));
    s.play(512);
    EXPECT_EQ(s.getParameter(QB_Control::kBass), 0.75f);
    const uint64_t from = s.clock();
    const Stereo out = s.play(4096);
    EXPECT_LT(host_suite::firstDifference(out, inputOf(s, from, 4096)), out.size());  // not bypassed
}

}  // namespace
