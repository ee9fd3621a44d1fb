// The audio path's modules wired as the shipped graph wires them (input, encoder, peak
// hold, metering, delay, decoder, the fixed values they read), created by code.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/modules/delay_st.h"
#include "dsp/modules/host_audio_in.h"
#include "plugin/module_registry.h"
#include "support/stereo_run.h"
#include "support/math_constants.h"

namespace {

const float kFifty = 50.0f, kHundred = 100.0f, kThreeHundred = 300.0f;

struct AudioPath {
    TestGraph g;
    QB_ModuleBase *in, *fixed, *enc, *peak, *meter, *delay, *dec;
    explicit AudioPath(int32_t rate) : g(rate) {
        in = add(6003);
        fixed = add(6009);
        fixed->setInput(12, &kFifty);
        fixed->setInput(13, &kHundred);
        fixed->setInput(14, &kThreeHundred);
        enc = add(6317);
        g.wire(in, 0, enc, 0);
        g.wire(in, 1, enc, 1);
        peak = add(6194);
        g.wire(enc, 0, peak, 0);
        g.wire(enc, 1, peak, 1);
        g.wire(fixed, 13, peak, 2);
        g.wire(fixed, 12, peak, 3);
        meter = add(6197);
        g.wire(peak, 0, meter, 0);
        g.wire(fixed, 14, meter, 3);
        delay = add(6207);
        g.wire(enc, 0, delay, 0);
        g.wire(enc, 1, delay, 1);
        dec = add(6320);
        g.wire(delay, 0, dec, 0);
        g.wire(delay, 1, dec, 1);
        g.prepareAll();
        // What the response module and the Dynamic control send after a build.
        enc->postEvent(0, 2, 0, 0, 0.0f, 0);
        dec->postEvent(0, 2, 0, 0, 0.0f, 0);
        peak->postEvent(0, 4, 0, 1, 0.1f, 0);
        meter->postEvent(0, 4, 0, 1, 0.1f, 0);
    }
    QB_ModuleBase* add(int32_t code) {
        QB_ModuleBase* m = qbCreateModule(code, &g, false);
        EXPECT_NE(m, nullptr) << code;
        g.add(m);
        return m;
    }
};

TEST(AudioPath, TheShippedWiringPassesStereoThroughBitExactlyAndMetersItsLevel) {
    for (int32_t rate : {44100, 48000}) {
        AudioPath p(rate);
        auto* delay = dynamic_cast<QB_DSP_Delay_ST*>(p.delay);
        ASSERT_NE(delay, nullptr);
        float* const memory = delay->ringL;
        const size_t n = static_cast<size_t>(rate);  // one second
        std::vector<float> l(n), r(n);
        for (size_t i = 0; i < n; ++i) {
            l[i] = 0.5f * static_cast<float>(std::sin(2.0 * kPi * 1000.0 * i / rate));
            r[i] = 0.25f * static_cast<float>(std::sin(2.0 * kPi * 330.0 * i / rate));
        }
        const StereoCapture out = runStereo(p.g, p.dec, l, r, {128, 100, 77});
        EXPECT_EQ(out.out0, l) << rate;
        EXPECT_EQ(out.out1, r) << rate;
        // Peak hold of the larger channel, smoothed: settles near 0.5.
        const float level = p.meter->outputBuffer(0)[(p.g.ringPosition + 127) % 128];
        EXPECT_NEAR(level, 0.5f, 0.01f) << rate;
        EXPECT_EQ(delay->ringL, memory);
        EXPECT_EQ(p.g.eventPool.inUse(), 0u);
        EXPECT_EQ(p.g.eventPool.dropped(), 0u);
    }
}

TEST(AudioPath, TheInputModuleHandsItsBuffersToTheOwnerAnnouncesVaryingOnceAndNeverRuns) {
    TestGraph g;
    auto* in = g.make<QB_DSP_Host_AudioIn>();
    auto* probe = g.make<RecordingModule>();
    g.wire(in, 0, probe, 0);
    g.wire(in, 1, probe, 1);
    EXPECT_EQ(g.inputCopyTarget[0], in->outputBuffer(0));
    EXPECT_EQ(g.inputCopyTarget[1], in->outputBuffer(1));
    g.prepareAll();
    g.run(1000);
    ASSERT_EQ(probe->handled.size(), 2u);
    EXPECT_EQ(probe->handled[0].event.rateFlag, 1u);
    EXPECT_EQ(probe->handled[1].event.port, 1);
    EXPECT_EQ(in->flags, QB_ModuleBase::kAsleep);
    {
        TestGraph other;
        QB_ModuleBase* m = qbCreateModule(6003, &other, false);
        ASSERT_NE(m, nullptr);
        delete m;  // a destroyed input module leaves no dangling copy target
        EXPECT_EQ(other.inputCopyTarget[0], nullptr);
        EXPECT_EQ(other.inputCopyTarget[1], nullptr);
    }
}

TEST(AudioPath, EveryCodeOfTheAudioPathRangesCreatesAModule) {
    const int32_t ranges[][2] = {{6003, 6003}, {6004, 6006}, {6008, 6010}, {6015, 6020}, {6022, 6032}, {6135, 6137},
                                 {6193, 6194}, {6196, 6197}, {6206, 6207}, {6316, 6317}, {6319, 6320}};
    TestGraph g;
    for (const auto& r : ranges) {
        for (int32_t code = r[0]; code <= r[1]; ++code) {
            QB_ModuleBase* m = qbCreateModule(code, &g, false);
            EXPECT_NE(m, nullptr) << code;
            delete m;
        }
    }
    for (int32_t code : {6007, 6011, 6014, 6021, 6195, 6205, 6318})
        EXPECT_EQ(qbCreateModule(code, &g, false), nullptr) << code;
}

}  // namespace
