#include "dsp/modules/pitch_detect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "support/signal_feed.h"
#include "support/test_graph.h"

namespace {

using Detector = QB_DSP_Pitch_Detect;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// source -> detector -> sink (output 0, and output 1 when asked), prepared; logs output 0.
struct DetectorRig {
    TestGraph g;
    RecordingModule* source;
    Detector* detector;
    RecordingModule* sink;
    std::vector<float> out;

    explicit DetectorRig(int32_t rate = 48000, int32_t ring = 128, bool stream = true, bool events = false)
        : g(rate, ring) {
        source = g.make<RecordingModule>();
        detector = g.make<Detector>();
        sink = g.make<RecordingModule>();
        g.wire(source, 0, detector, Detector::kInSignal);
        if (stream) g.wire(detector, Detector::kOutStream, sink, 0);
        if (events) g.wire(detector, Detector::kOutEvents, sink, 1);
        g.prepareAll();
    }
    void send(int32_t port, int32_t intValue, float floatValue = 0.0f) {
        detector->postEvent(g.samplePosition, port, 0, intValue, floatValue, 0);
    }
    template <class Signal>
    void feed(uint32_t frames, Signal signal, uint32_t chunk = 128) {
        feedSignal(g, source, frames, signal, [&](uint32_t offset, uint32_t n) {
            out.insert(out.end(), detector->out + offset, detector->out + offset + n);
        }, chunk);
    }
    void tone(uint32_t frames, double hz) {
        const TestTone t{hz};
        feed(frames, [&](uint32_t n) { return t.at(n, g.sampleRateInt); });
    }
    float meanOfLast(size_t n) const {
        double sum = 0.0;
        for (size_t i = out.size() - n; i < out.size(); ++i) sum += out[i];
        return static_cast<float>(sum / n);
    }
    int lastAnnouncement() const {
        int flag = -1;
        for (const auto& h : sink->handled)
            if (h.event.port == 0) flag = h.event.rateFlag;
        return flag;
    }
};

TEST(PitchDetect, ASineAndASineWithAHarmonicAreReportedAtTheirFundamental) {
    DetectorRig rig(48000);  // 480 Hz crosses every 50 samples: 2400 / 50 = 48.0
    rig.send(Detector::kInResponse, 0, 1.0f);  // linear step 100 / (1 x 480) per sample
    rig.tone(24000, 480.0);
    for (size_t i = rig.out.size() - 1024; i < rig.out.size(); ++i) ASSERT_NEAR(rig.out[i], 48.0f, 0.21f) << i;
    rig.send(Detector::kInMode, 1);  // exponential comes to rest on the target
    rig.tone(24000, 480.0);
    EXPECT_NEAR(rig.out.back(), 48.0f, 1e-3f);

    DetectorRig harmonic(44100);
    harmonic.send(Detector::kInMode, 1);
    harmonic.send(Detector::kInResponse, 0, 10.0f);
    const TestTone f1{330.0}, f2{660.0, 0.4, 0.2};
    harmonic.feed(88200, [&](uint32_t n) { return f1.at(n, 44100) + f2.at(n, 44100); });
    EXPECT_NEAR(harmonic.meanOfLast(8192), 33.0f, 0.33f);
}

TEST(PitchDetect, EstimatesAreClampedToTheAppliedRange) {
    DetectorRig rig(48000);
    rig.detector->applyRange({12.0f, 150.0f, 16});
    rig.send(Detector::kInMode, 1);
    rig.send(Detector::kInResponse, 0, 1.0f);
    rig.tone(9600, 50.0);
    EXPECT_NEAR(rig.out.back(), 12.0f, 1e-3f);
    rig.tone(9600, 3000.0);
    EXPECT_NEAR(rig.out.back(), 150.0f, 1e-3f);
    // Non-finite bounds are refused, from applyRange and from events alike.
    rig.detector->applyRange({kNaN, std::numeric_limits<float>::infinity(), 16});
    rig.send(Detector::kInMinimum, 0, kNaN);
    rig.send(Detector::kInMaximum, 0, 40.0f);
    rig.tone(9600, 3000.0);
    EXPECT_EQ(rig.detector->minimum, 12.0f);
    EXPECT_NEAR(rig.out.back(), 40.0f, 1e-3f);

    // +0.0 and -0.0 alternating cross on every sample: clamped to the default maximum.
    DetectorRig zeros(48000);
    zeros.send(Detector::kInMode, 1);
    zeros.send(Detector::kInResponse, 0, 1.0f);
    zeros.feed(9600, [](uint32_t n) { return n % 2 ? -0.0 : 0.0; });
    EXPECT_NEAR(zeros.out.back(), 800.0f, 1e-2f);
}

TEST(PitchDetect, LinearTrackingMovesAHundredUnitsPerResponseTimeAndExponentialLeavesEToTheMinus4) {
    // From the start value 10 to 48 (480 Hz at 48 kHz) with response 10 (100 ms).
    DetectorRig linear(48000), exponential(48000);
    exponential.send(Detector::kInMode, 1);
    for (DetectorRig* r : {&linear, &exponential}) {
        r->send(Detector::kInResponse, 0, 10.0f);
        r->tone(48000, 480.0);
    }
    size_t settled = 0;
    for (size_t i = 0; i < linear.out.size(); ++i)
        if (std::fabs(linear.out[i] - 48.0f) > 0.05f) settled = i + 1;
    const double expected = 38.0 / (100.0 / (10.0 * 480.0));  // 1824 samples
    EXPECT_NEAR(static_cast<double>(settled), expected + 50.0, 60.0);  // first crossing at 49
    EXPECT_NEAR(48.0f - exponential.out[4800 + 49], 38.0f * std::exp(-4.0f), 0.1f);
    EXPECT_GT(48.0f - exponential.out[settled], 1.0f);
}

TEST(PitchDetect, FreezeHoldsTheValueAnnouncesStaticAndSleepsAfterAQuietRing) {
    DetectorRig rig(48000, 64);
    rig.send(Detector::kInResponse, 0, 1.0f);
    rig.tone(4800, 480.0);
    EXPECT_EQ(rig.lastAnnouncement(), 1);
    rig.send(Detector::kInFreeze, 1);
    rig.tone(64, 960.0);
    const float frozen = rig.out.back();
    EXPECT_EQ(rig.lastAnnouncement(), 0);
    EXPECT_EQ(rig.detector->flags & QB_ModuleBase::kAsleep, 0u);
    rig.tone(4800, 960.0);
    EXPECT_NE(rig.detector->flags & QB_ModuleBase::kAsleep, 0u);
    for (size_t i = rig.out.size() - 4864; i < rig.out.size(); ++i) ASSERT_EQ(rig.out[i], frozen) << i;

    rig.send(Detector::kInFreeze, 0);  // tracks again from the held value
    rig.tone(4800, 960.0);
    EXPECT_EQ(rig.lastAnnouncement(), 1);
    EXPECT_NEAR(rig.meanOfLast(512), 96.0f, 0.21f);
    rig.send(Detector::kInEnable, 0);  // enable 0 holds just the same
    rig.tone(4800, 480.0);
    EXPECT_EQ(rig.out.back(), rig.out[rig.out.size() - 4800]);
}

TEST(PitchDetect, NothingIsWrittenBeforeTheFirstEventAndSilenceKeepsTheLastTarget) {
    DetectorRig rig(48000);
    rig.tone(256, 480.0);
    for (float v : rig.out) ASSERT_EQ(v, 0.0f);
    rig.send(Detector::kInMode, 1);
    rig.send(Detector::kInResponse, 0, 50.0f);
    rig.tone(2344, 480.0);  // gliding up from 10; the last sample (n = 2599) is positive
    EXPECT_NEAR(rig.out[256], 10.0f, 0.1f);
    EXPECT_LT(rig.out.back(), 47.0f);
    rig.feed(144000, [](uint32_t) { return 0.0; });
    EXPECT_EQ(rig.detector->target, 48.0f);
    EXPECT_NEAR(rig.out.back(), 48.0f, 0.02f);  // single precision rests a little short
}

TEST(PitchDetect, ValueEventsCarryTheValueReachedAtTheEndOfThePreviousSegment) {
    DetectorRig rig(48000, 128, true, true);
    rig.send(Detector::kInResponse, 0, 10.0f);  // still gliding for the whole run
    rig.tone(1024, 480.0);
    std::vector<QB_Event> events;
    for (const auto& h : rig.sink->handled)
        if (h.event.port == 1) events.push_back(h.event);
    ASSERT_EQ(events.size(), 8u);  // prepare announced 10.0, then one per changed segment
    EXPECT_EQ(events[0].floatValue, 10.0f);
    EXPECT_EQ(events[0].rateFlag, 1);
    for (size_t k = 1; k < events.size(); ++k) EXPECT_EQ(events[k].floatValue, rig.out[128 * k - 1]) << k;
}

TEST(PitchDetect, FourAtATimeProcessingMatchesSingleSampleProcessingBitForBit) {
    const TestTone a{330.0}, b{97.0, 0.6, 2.0};
    auto signal = [&](uint32_t n) { return a.at(n, 44100) + b.at(n, 44100); };
    for (int mode = 0; mode < 2; ++mode) {
        DetectorRig whole(44100, 128), pieces(44100, 60), silent(44100, 128, false);
        for (DetectorRig* r : {&whole, &pieces, &silent}) {
            r->send(Detector::kInMode, mode);
            r->send(Detector::kInResponse, 0, 2.0f);
        }
        whole.feed(20000, signal);
        silent.feed(20000, signal);
        const uint32_t sizes[] = {1, 2, 3, 5, 7, 4, 13};
        for (uint32_t done = 0, k = 0; done < 20000; done += sizes[k++ % 7]) pieces.feed(sizes[k % 7], signal, 13);
        pieces.out.resize(whole.out.size());
        EXPECT_EQ(std::memcmp(whole.out.data(), pieces.out.data(), whole.out.size() * sizeof(float)), 0) << mode;
        EXPECT_EQ(std::memcmp(&whole.detector->current, &silent.detector->current, sizeof(float)), 0) << mode;
    }
}

TEST(PitchDetect, AModeChangeRecomputesTheCoefficient) {
    DetectorRig rig(48000);
    rig.send(Detector::kInResponse, 0, 10.0f);  // linear step 0.0208 per sample
    rig.tone(9600, 480.0);
    rig.send(Detector::kInMode, 1);
    rig.tone(2400, 960.0);  // half the response time: e^-2 of the step left
    EXPECT_NEAR(rig.out.back(), 96.0f - 48.0f * std::exp(-2.0f), 1.0f);
    rig.tone(9600, 960.0);
    rig.send(Detector::kInMode, 0);
    rig.tone(480, 480.0);  // 0.0208 per sample from the first crossing on
    EXPECT_NEAR(rig.out.back(), 86.5f, 0.7f);
}

TEST(PitchDetect, BadResponsesSamplesAndUnfedInputsKeepTheOutputFinite) {
    for (int mode = 0; mode < 2; ++mode) {
        for (float r : {kNaN, 0.0f, -5.0f, std::numeric_limits<float>::infinity()}) {
            DetectorRig rig(48000);
            rig.send(Detector::kInMode, mode);
            rig.send(Detector::kInResponse, 0, r);
            rig.tone(4800, 480.0);
            rig.feed(4800, [](uint32_t n) { return n % 3 == 0 ? std::nan("") : (n % 3 == 1 ? HUGE_VAL : -HUGE_VAL); });
            for (float v : rig.out) ASSERT_TRUE(std::isfinite(v)) << mode << " " << r;
        }
    }
    // A single constant (not a ring) on the signal input is read as silence.
    TestGraph g(48000);
    auto* detector = g.make<Detector>();
    static const float constant = 0.5f;
    detector->setInput(Detector::kInSignal, &constant);
    g.prepareAll();
    detector->postEvent(0, Detector::kInResponse, 0, 0, 1.0f, 0);
    g.run(1024);
    EXPECT_EQ(detector->target, 10.0f);
}

}  // namespace

namespace {

// Five detectors on one signal, each with its own response and a glide mode from
// modes (bit k: detector k glides exponentially), run in sub-blocks of changing length;
// answers every output sample of each.
std::vector<float> fiveDetectors(bool together, unsigned modes, int* groups) {
    TestGraph g(44100);
    RecordingModule* source = g.make<RecordingModule>();
    Detector* d[5];
    for (auto*& x : d) {
        x = g.make<Detector>();
        g.wire(source, 0, x, Detector::kInSignal);
    }
    RecordingModule* sink = g.make<RecordingModule>();
    for (int k = 0; k < 5; ++k) g.wire(d[k], Detector::kOutStream, sink, k);  // the outputs are written
    g.prepareAll();
    if (together) g.groupJointly();
    *groups = g.jointGroupCount;
    for (int k = 0; k < 5; ++k) {
        d[k]->postEvent(0, Detector::kInMode, 0, static_cast<int32_t>((modes >> k) & 1u), 0.0f, 0);
        d[k]->postEvent(0, Detector::kInResponse, 0, 0, 0.5f + 1.5f * k, 0);
    }
    const TestTone a{220.0}, b{61.0, 0.7, 1.0};
    std::vector<float> out;
    const uint32_t sizes[] = {128, 37, 5, 64, 1, 100};
    for (uint32_t k = 0; k < 240; ++k)
        feedSignal(g, source, sizes[k % 6], [&](uint32_t n) { return a.at(n, 44100) + b.at(n, 44100); },
                   [&](uint32_t offset, uint32_t n) {
                       for (auto* x : d) out.insert(out.end(), x->out + offset, x->out + offset + n);
                   });
    return out;
}

TEST(PitchDetect, DetectorsTrackingTogetherGiveEverySampleOfEachAloneWhetherTheyGlideAlikeOrNot) {
    for (unsigned modes : {0x00u, 0x1fu, 0x0bu}) {
        int alone = -1, joined = -1;
        const std::vector<float> a = fiveDetectors(false, modes, &alone), b = fiveDetectors(true, modes, &joined);
        EXPECT_EQ(alone, 0);
        EXPECT_EQ(joined, 1);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i)
            ASSERT_EQ(std::memcmp(&a[i], &b[i], sizeof(float)), 0) << "modes " << modes << " at " << i;
    }
}

}  // namespace
