#include "eq/orvaneq_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "dsp/modules/pitch_detect.h"
#include "support/signal_feed.h"
#include "support/test_graph.h"

namespace {

using Law = QB_DSP_OrvanEq_Control;
using Detector = QB_DSP_Pitch_Detect;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

int freqOut(int band) { return 3 * band; }
int widthOut(int band) { return 3 * band + 1; }
int gainOut(int band) { return 3 * band + 2; }
// Centre gain in dB of a peaking designer fed the gain value u.
double centreDb(float u) { return 20.0 * std::log10((u + 0.5) / (0.501 - u)); }

// Pitch inputs 15..19 and the level read recording modules whose rings the test fills;
// the law's outputs 0..19 go to the same-numbered inputs of a sink.
struct LawRig {
    TestGraph g;
    RecordingModule* pitch[5];
    RecordingModule* level;
    Law* law;
    RecordingModule* sink;

    explicit LawRig(int32_t rate = 44100) : g(rate) {
        for (auto*& p : pitch) p = g.make<RecordingModule>();
        level = g.make<RecordingModule>();
        law = g.make<Law>();
        sink = g.make<RecordingModule>();
        for (int i = 0; i < 5; ++i) g.wire(pitch[i], 0, law, Law::kInPitch0 + i);
        g.wire(level, 0, law, Law::kInLevel);
        for (int p = 0; p < 20; ++p) g.wire(law, p, sink, p);
        g.prepareAll();
        // What the processor sends after a build: American, Mixing, Multi off, Bandwidth 1.
        for (int port : {Law::kInStyle, Law::kInHighsMode, Law::kInDynamic}) control(port, 0.0f, 0);
        for (int port : {Law::kInMulti2nd, Law::kInMultiHigh, Law::kInBandwidth}) control(port, 0.1f, 1);
        for (int k = 0; k < 5; ++k) slider(k, 0.0f);
        setPitches({6.0f, 33.0f, 33.0f, 70.0f, 100.0f});
        g.run(128);
    }
    void fill(RecordingModule* m, float v) { std::fill(m->outputs[0], m->outputs[0] + g.internalBlockSize + 4, v); }
    void setPitches(std::vector<float> v) {
        for (int i = 0; i < 5; ++i) fill(pitch[i], v[i]);
    }
    void control(int32_t port, float graphValue, int32_t intValue) {
        law->postEvent(g.samplePosition, port, 0, intValue, graphValue, 0);
    }
    void slider(int band, float display) {
        control(Law::kInGain0 + band, display * 0.1f, static_cast<int32_t>(std::floor(display + 0.5f)));
    }
    std::vector<QB_Event> events(int port) const {
        std::vector<QB_Event> e;
        for (const auto& h : sink->handled)
            if (h.event.port == port) e.push_back(h.event);
        return e;
    }
    float last(int port) const {
        const auto e = events(port);
        return e.empty() ? kNaN : e.back().floatValue;
    }
};

TEST(OrvanEqControl, DetectedTonesPlaceTheBandsOnTheirPitchesAndFreezeKeepsThem) {
    // Whole samples per half period at 44.1 kHz: 45, 315, 882 and 1470 Hz.
    TestGraph g(44100);
    RecordingModule* src[4];
    Detector* det[5];
    for (auto*& s : src) s = g.make<RecordingModule>();
    for (auto*& d : det) d = g.make<Detector>();
    const int feedOf[5] = {0, 1, 1, 2, 3};
    for (int i = 0; i < 5; ++i) g.wire(src[feedOf[i]], 0, det[i], Detector::kInSignal);
    auto* law = g.make<Law>();
    auto* sink = g.make<RecordingModule>();
    for (int i = 0; i < 5; ++i) g.wire(det[i], 0, law, Law::kInPitch0 + i);
    for (int p = 0; p < 20; ++p) g.wire(law, p, sink, p);
    g.prepareAll();
    const float lo[5] = {4, 12, 12, 24, 36}, hi[5] = {12, 150, 150, 350, 610};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(det[i]->minimum, lo[i]) << i;
        EXPECT_EQ(det[i]->maximum, hi[i]) << i;
    }
    const float responses[5] = {20.0f, 10.0f, 1.0f, 1.0f, 1.0f};
    for (int i = 0; i < 5; ++i) det[i]->postEvent(0, Detector::kInResponse, 0, 0, responses[i], 0);
    law->postEvent(0, Law::kInMulti2nd, 0, 1, 0.1f, 0);
    law->postEvent(0, Law::kInMultiHigh, 0, 1, 0.1f, 0);

    auto lastFreq = [&](int band) {
        float v = kNaN;
        for (const auto& h : sink->handled)
            if (h.event.port == freqOut(band)) v = h.event.floatValue;
        return v;
    };
    TestTone tones[4] = {{45.0}, {315.0}, {882.0}, {1470.0}};
    auto feedAll = [&](uint32_t frames) {
        for (; frames > 0; frames -= 128) {
            for (int k = 0; k < 4; ++k)
                for (uint32_t i = 0; i < 128; ++i)
                    src[k]->outputs[0][i] = static_cast<float>(tones[k].at(g.samplePosition + i, 44100));
            g.runSubBlock(128);
        }
    };
    feedAll(88192);
    EXPECT_NEAR(lastFreq(0), 4.5f, 0.012f);  // within one linear slew step
    EXPECT_NEAR(lastFreq(1), 31.5f, 0.023f);
    EXPECT_EQ(lastFreq(2), 2.0f * lastFreq(1));  // Multi 2nd off
    EXPECT_EQ(lastFreq(3), 3.0f * lastFreq(1));  // Multi High off
    EXPECT_EQ(lastFreq(4), 800.0f);

    law->postEvent(g.samplePosition, Law::kInMulti2nd, 0, 0, 0.0f, 0);
    law->postEvent(g.samplePosition, Law::kInMultiHigh, 0, 0, 0.0f, 0);
    feedAll(4480);
    EXPECT_NEAR(lastFreq(2), 88.2f, 0.23f);
    EXPECT_NEAR(lastFreq(3), 147.0f, 0.23f);

    for (auto* d : det) d->postEvent(g.samplePosition, Detector::kInFreeze, 0, 1, 0.1f, 0);
    feedAll(128);  // the law picks up the held values
    const float held[4] = {lastFreq(0), lastFreq(1), lastFreq(2), lastFreq(3)};
    for (auto& t : tones) t.hz *= 1.3;
    feedAll(44160);
    for (int b = 0; b < 4; ++b) EXPECT_EQ(lastFreq(b), held[b]) << b;
}

TEST(OrvanEqControl, HarmonicBandsFollowTheirSourcesAndNoBandLeavesTheDesignersRange) {
    LawRig rig;
    rig.setPitches({0.0f, 43.7f, 12.0f, 99.0f, 222.0f});
    rig.g.run(128);
    EXPECT_EQ(rig.last(freqOut(0)), 4.0f);  // no bass pitch: 40 Hz
    EXPECT_EQ(rig.last(freqOut(2)), 2.0f * 43.7f);
    EXPECT_EQ(rig.last(freqOut(3)), 3.0f * 43.7f);
    rig.control(Law::kInMulti2nd, 0.0f, 0);
    rig.control(Law::kInMultiHigh, 0.0f, 0);
    rig.g.run(128);
    EXPECT_EQ(rig.last(freqOut(2)), 99.0f);
    EXPECT_EQ(rig.last(freqOut(3)), 222.0f);

    rig.setPitches({kNaN, -3.0f, 0.0f, kNaN, 1.0e9f});
    rig.sink->handled.clear();
    rig.g.run(128);
    EXPECT_TRUE(rig.events(freqOut(0)).empty());  // still 4: not resent
    EXPECT_EQ(rig.last(freqOut(1)), 4.0f);
    EXPECT_EQ(rig.last(freqOut(2)), 4.0f);
    EXPECT_LT(rig.last(freqOut(3)), 44100 * 0.05f);

    // Frequencies are read once per ring, in the call at offset 0.
    rig.setPitches({6.0f, 50.0f, 0.0f, 100.0f, 200.0f});
    rig.sink->handled.clear();
    rig.g.run(64);
    rig.setPitches({7.0f, 60.0f, 0.0f, 110.0f, 210.0f});
    rig.g.run(64);
    ASSERT_EQ(rig.events(freqOut(1)).size(), 1u);
    EXPECT_EQ(rig.last(freqOut(1)), 50.0f);
}

TEST(OrvanEqControl, HighsModeGivesEightTwelveAndTwentyKilohertzWhereTheRateAllowsAndStaysBelowNyquist) {
    const float nominal[3] = {800.0f, 1200.0f, 2000.0f};
    for (int32_t rate : {22050, 32000, 44100, 48000, 88200, 96000, 192000, 384000}) {
        LawRig rig(rate);
        for (int mode = 0; mode < 3; ++mode) {
            rig.control(Law::kInHighsMode, 0.1f * mode, mode);
            rig.g.run(128);
            const float f = rig.last(freqOut(4));
            EXPECT_LT(f * 10.0f, 0.48f * rate) << rate << " " << mode;
            if (nominal[mode] * 10.0f < 0.45f * rate || rate >= 44100) EXPECT_EQ(f, nominal[mode]) << rate;
            else EXPECT_GT(f * 10.0f, 0.45f * rate) << rate << " " << mode;  // as high as is safe
        }
    }
}

TEST(OrvanEqControl, EachStyleGivesItsGainRangeAndShapesTheWidths) {
    const double boostDb[3] = {6.0, 6.0, 3.50}, cutDb[3] = {-6.03, -6.03, -3.54};
    // Width change at a full boost and a full cut, relative to the band's base width.
    const float boostDw[3] = {0.0f, 0.2f / 6, -0.1f}, cutDw[3] = {0.0f, -0.2f / 6, -0.1f};
    const float base[5] = {0.7f, 0.55f, 0.5f, 0.45f, 0.4f};
    for (int style = 0; style < 3; ++style) {
        LawRig rig;
        rig.control(Law::kInStyle, 0.1f * style, style);
        for (int k = 0; k < 5; ++k) {
            for (float display : {5.0f, -5.0f, 0.0f}) {
                rig.slider(k, display);
                rig.g.run(128);
                const float u = rig.last(gainOut(k)), w = rig.last(widthOut(k));
                const int at = display > 0 ? 0 : (display < 0 ? 1 : 2);
                const double db[3] = {boostDb[style], cutDb[style], -0.017};
                const float dw[3] = {boostDw[style], cutDw[style], 0.0f};
                EXPECT_NEAR(centreDb(u), db[at], 0.02) << style << " " << k << " " << display;
                EXPECT_NEAR(w, base[k] + dw[at], 1e-6f) << style << " " << k << " " << display;
            }
        }
        // Bandwidth scales bands 0..3 only.
        rig.control(Law::kInBandwidth, 0.05f, 1);
        rig.g.run(128);
        for (int k = 0; k < 5; ++k) EXPECT_FLOAT_EQ(rig.last(widthOut(k)), k < 4 ? 0.5f * base[k] : 0.4f) << k;
    }
}

TEST(OrvanEqControl, AStyleChangeReevaluatesEveryBandButSendsOnlyWhatDiffers) {
    LawRig rig;
    rig.sink->handled.clear();
    rig.control(Law::kInStyle, 0.1f, 1);  // American -> German with every slider at 0
    rig.g.run(256);
    EXPECT_TRUE(rig.sink->handled.empty());

    rig.slider(2, 3.0f);
    rig.g.run(128);
    rig.sink->handled.clear();
    rig.control(Law::kInStyle, 0.2f, 2);  // -> British: only band 2 differs
    rig.g.run(128);
    EXPECT_EQ(rig.events(widthOut(2)).size() + rig.events(gainOut(2)).size(), 2u);
    EXPECT_TRUE(rig.events(widthOut(1)).empty());

    rig.sink->handled.clear();
    rig.control(Law::kInStyle, 0.3f, 3);  // no such Style: no widths or gains at all
    rig.slider(1, 5.0f);
    rig.g.run(256);
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(rig.events(gainOut(k)).empty() && rig.events(widthOut(k)).empty());
}

TEST(OrvanEqControl, DynamicGivesLouderInputALargerGainAndNeverNearsTheDesignersLimit) {
    LawRig rig;
    rig.slider(1, 5.0f);
    rig.control(Law::kInDynamic, 0.1f, 1);
    auto gainAt = [&](float level) {
        rig.fill(rig.level, level);
        rig.g.run(128);
        return rig.last(gainOut(1));
    };
    const float silent = gainAt(0.0f), quiet = gainAt(0.1f), loud = gainAt(0.9f);
    EXPECT_LT(silent, quiet);
    EXPECT_LT(quiet, loud);
    EXPECT_GT(loud, 1.0f / 6);  // above the static full boost
    for (float level : {3.0f, 100.0f, std::numeric_limits<float>::infinity()}) {
        EXPECT_LE(gainAt(level), 1.0f / 3 + 1e-6f) << level;  // 13.9 dB, far from u = 0.501
    }
    EXPECT_EQ(gainAt(kNaN), silent);
    rig.slider(1, -5.0f);
    EXPECT_GE(gainAt(100.0f), -1.0f / 3 - 1e-6f);

    // A steady level sends once and lets the window close; a moving one keeps it open.
    rig.slider(1, 5.0f);
    gainAt(0.5f);
    rig.sink->handled.clear();
    rig.g.run(4096);
    EXPECT_TRUE(rig.events(gainOut(1)).empty());
    ASSERT_EQ(rig.events(Law::kOutPerSample0 + 1).size(), 1u);
    rig.sink->handled.clear();
    for (int i = 0; i < 40; ++i) gainAt(0.2f + 0.01f * i);  // 5120 samples
    const auto window = rig.events(Law::kOutPerSample0 + 1);
    ASSERT_EQ(window.size(), 40u);
    for (const auto& e : window) EXPECT_EQ(e.intValue, 1);

    rig.control(Law::kInStyle, 0.2f, 2);  // British gains ignore the level
    EXPECT_FLOAT_EQ(gainAt(0.0f), 0.1f);
    EXPECT_FLOAT_EQ(gainAt(0.9f), 0.1f);
}

TEST(OrvanEqControl, AGainChangeDesignsPerSampleFor35MillisecondsAlsoAcrossTheClockWrap) {
    const uint32_t hold = static_cast<uint32_t>(44.1f * 35.0f);  // 1543 samples
    LawRig rig(44100);
    rig.g.samplePosition = 0x7FFFF000u;  // past the largest signed time, nothing changing
    rig.sink->handled.clear();
    rig.g.run(8192);
    EXPECT_TRUE(rig.sink->handled.empty());

    const struct { uint32_t start; float display; } changes[] = {{1000000u, 2.0f}, {0xFFFFFF00u, -3.0f}};
    for (const auto& change : changes) {
        const uint32_t start = change.start;
        rig.g.samplePosition = start;
        rig.sink->handled.clear();
        rig.slider(3, change.display);
        rig.g.run(4096);
        const auto on = rig.events(Law::kOutPerSample0 + 3);
        ASSERT_EQ(on.size(), 2u);
        EXPECT_EQ(on[0].intValue, 1);
        EXPECT_EQ(on[0].time, start);
        EXPECT_EQ(on[1].intValue, 0);
        EXPECT_GE(on[1].time - start, hold);
        EXPECT_LT(on[1].time - start, hold + 128);
        for (int k : {0, 1, 2, 4}) {  // every designer is told to stop, none to start
            const auto e = rig.events(Law::kOutPerSample0 + k);
            ASSERT_EQ(e.size(), 1u);
            EXPECT_EQ(e[0].intValue, 0);
        }
    }
}

TEST(OrvanEqControl, OutOfRangeControlsAreBroughtBackToTheirRanges) {
    LawRig rig;
    rig.slider(1, 9.0f);  // beyond the slider's end: a full boost
    rig.g.run(128);
    EXPECT_FLOAT_EQ(rig.last(gainOut(1)), 0.5f * 0.3333333f);
    rig.control(Law::kInGain0 + 1, kNaN, 0);
    rig.g.run(128);
    EXPECT_EQ(rig.last(gainOut(1)), 0.0f);
    rig.control(Law::kInHighsMode, 0.7f, 7);
    rig.g.run(128);
    EXPECT_EQ(rig.last(freqOut(4)), 2000.0f);
    rig.control(Law::kInHighsMode, -0.2f, -2);
    rig.g.run(128);
    EXPECT_EQ(rig.last(freqOut(4)), 800.0f);
    rig.control(Law::kInBandwidth, -4.0f, -40);
    rig.g.run(128);
    EXPECT_FLOAT_EQ(rig.last(widthOut(0)), 0.35f);
    rig.control(Law::kInBandwidth, kNaN, 0);
    rig.g.run(128);
    EXPECT_FLOAT_EQ(rig.last(widthOut(0)), 0.7f);
}

}  // namespace
