// Bypass and the reset button, the two editor-only controls, driven in-process as the
// editor drives them (setParameter with control numbers 36 and 37) on a processor that
// is running audio.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "support/eq_parameters.h"
#include "support/measurement_report.h"
#include "support/processor_fixture.h"
#include "support/response_probe.h"

namespace {

StereoBlockFn rigProcessor(ProcessorRig& rig) {
    return [&rig](const float* inL, const float* inR, float* outL, float* outR, int32_t frames) {
        rig.process(frames, inL, inR);
        std::copy(rig.outL.begin(), rig.outL.end(), outL);
        std::copy(rig.outR.begin(), rig.outR.end(), outR);
    };
}

// A processor on "Default Flat", locked onto 440 Hz with the Basic band at +5.
struct BoostedAt440 {
    BoostedAt440() : probe(rigProcessor(rig), 44100.0) {
        rig.vst->setParameter(QB_Control::kResponse, eqp::kQuickResponse);
        rig.vst->setParameter(QB_Control::kBasic, eqp::kFullBoost);
        probe.play({{440.0, 0.3}}, 1.0);
    }
    ProcessorRig rig{44100.f, 512};
    ResponseProbe probe;
};

TEST(Bypass, PassesEverySampleUnchangedWhileOnAndFiltersAgainWhenSwitchedOff) {
    BoostedAt440 eq;
    const double before = eq.probe.gainDb(440.0);
    ASSERT_NEAR(before, 6.0, 0.3);

    eq.rig.vst->setParameter(QB_Control::kBypass, 1.f);
    // Stereo material with different channels, full-scale peaks and awkward block sizes,
    // from the first block after the switch on.
    uint64_t seed = 1;
    const int32_t sizes[] = {512, 1, 300, 17, 128, 511};
    for (int block = 0; block < 120; ++block) {
        const int32_t n = sizes[block % 6];
        std::vector<float> inL(n), inR(n);
        for (int32_t i = 0; i < n; ++i) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            const float noise = static_cast<float>(static_cast<int64_t>(seed >> 33) - (1ll << 30)) * 4.6566e-10f;
            inL[i] = 0.5f * std::sin(0.0627f * (block * 512 + i)) + 0.3f * noise;
            inR[i] = i % 97 == 0 ? -1.f : 0.7f * noise;
        }
        eq.rig.process(n, inL.data(), inR.data());
        ASSERT_EQ(std::memcmp(eq.rig.outL.data(), inL.data(), n * sizeof(float)), 0) << "left, block " << block;
        ASSERT_EQ(std::memcmp(eq.rig.outR.data(), inR.data(), n * sizeof(float)), 0) << "right, block " << block;
    }

    eq.rig.vst->setParameter(QB_Control::kBypass, 0.f);
    const ResponseProbe::Transfer after = eq.probe.measure(440.0);
    EXPECT_NEAR(after.leftDb(), before, 0.05);
    EXPECT_NEAR(after.rightDb(), before, 0.05);
    reportFigure("bypass: 440 Hz gain %.3f dB before, bit-identical while on, %.3f / %.3f dB after", before,
                 after.leftDb(), after.rightDb());
}

// Third-octave steps from 31.5 Hz to 16 kHz, within a tenth of a decibel of flat;
// answers the largest deviation.
double expectFlat(ResponseProbe& probe, const char* what) {
    double worst = 0.0;
    for (double hz = 31.5; hz < 17000.0; hz *= std::pow(2.0, 1.0 / 3.0)) {
        const ResponseProbe::Transfer t = probe.measure(hz);
        EXPECT_NEAR(t.leftDb(), 0.0, 0.1) << what << ", left at " << hz << " Hz";
        EXPECT_NEAR(t.rightDb(), 0.0, 0.1) << what << ", right at " << hz << " Hz";
        worst = std::max({worst, std::fabs(t.leftDb()), std::fabs(t.rightDb())});
    }
    return worst;
}

TEST(Reset, PressAndReleaseBringTheFiveSlidersToZeroAndTheResponseToFlatInEveryStyle) {
    const float sliders[5] = {0.9f, eqp::kFullBoost, 0.2f, eqp::kFullCut, 0.7f};
    for (int style = 0; style < 3; ++style) {
        for (bool processBetween : {false, true}) {
            BoostedAt440 eq;
            QB_DSP_VST& v = *eq.rig.vst;
            v.setParameter(QB_Control::kStyle, eqp::kOption[style]);
            for (int k = 0; k < 5; ++k) v.setParameter(QB_Control::kBass + k, sliders[k]);
            double furthest = 0.0;
            for (double hz : {110.0, 440.0, 1320.0}) furthest = std::max(furthest, std::fabs(eq.probe.gainDb(hz)));
            ASSERT_GT(furthest, 1.0) << "style " << style << ": the sliders must move the response first";

            v.setParameter(QB_Control::kReset, 1.f);
            if (processBetween) eq.rig.process(64);
            v.setParameter(QB_Control::kReset, 0.f);
            eq.rig.process(4410);

            for (int k = 0; k < 5; ++k) EXPECT_EQ(v.getParameter(QB_Control::kBass + k), 0.5f) << "style " << style;
            const char* how = processBetween ? "press, block, release" : "press and release together";
            const double worst = expectFlat(eq.probe, how);
            reportFigure("reset style %d (%s): sliders read 0.5, largest deviation from flat %.4f dB", style, how, worst);
        }
    }
}

}  // namespace
