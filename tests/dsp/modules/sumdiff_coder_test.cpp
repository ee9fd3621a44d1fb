#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "dsp/modules/float_to_volt.h"
#include "dsp/modules/host_audio_in.h"
#include "dsp/modules/sumdiff_decode.h"
#include "dsp/modules/sumdiff_encode.h"
#include "support/stereo_run.h"

namespace {

std::vector<float> noise(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    std::vector<float> v(n);
    for (float& x : v) x = d(rng);
    return v;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof(float)) == 0; }

// Input -> encoder -> decoder, with both coders coding.
struct CoderChain {
    TestGraph g;
    QB_DSP_Host_AudioIn* in = g.make<QB_DSP_Host_AudioIn>();
    QB_DSP_SumDiff_Encode* enc = g.make<QB_DSP_SumDiff_Encode>();
    QB_DSP_SumDiff_Decode* dec = g.make<QB_DSP_SumDiff_Decode>();
    RecordingModule* probe = g.make<RecordingModule>();
    CoderChain() {
        g.wire(in, 0, enc, 0);
        g.wire(in, 1, enc, 1);
        g.wire(enc, 0, dec, 0);
        g.wire(enc, 1, dec, 1);
        g.wire(dec, 0, probe, 0);
        g.wire(dec, 1, probe, 1);
        g.prepareAll();
    }
};

TEST(SumDiffCoders, MonoEncodesToTwiceTheInputAndAnExactZeroDifferenceAndDecodesBackExactly) {
    CoderChain c;
    for (uint32_t block = 0; block < 4; ++block) {
        const std::vector<float> mono = noise(128, 1 + block);
        const StereoCapture out = runStereo(c.g, c.dec, mono, mono);
        for (size_t i = 0; i < 128; ++i) {
            ASSERT_EQ(c.enc->out0[i], 2.0f * mono[i]) << i;
            ASSERT_TRUE(sameBits(c.enc->out1[i], 0.0f)) << i;
            ASSERT_EQ(out.out0[i], mono[i]) << i;
            ASSERT_EQ(out.out1[i], mono[i]) << i;
        }
    }
    // The decoder announced its outputs varying, once.
    const auto rates = rateEvents(*c.probe, 0);
    ASSERT_EQ(rates.size(), 1u);
    EXPECT_EQ(rates[0].second, 1u);
}

TEST(SumDiffCoders, CodingZeroPassesBothChannelsThroughUnchanged) {
    CoderChain c;
    c.enc->postEvent(0, QB_DSP_SumDiff_Coder::kInCoding, 0, 0, 0.0f, 0);
    c.dec->postEvent(0, QB_DSP_SumDiff_Coder::kInCoding, 0, 0, 0.0f, 0);
    const std::vector<float> l = noise(700, 2), r = noise(700, 3);
    const StereoCapture encOut = runStereo(c.g, c.enc, l, r, {37, 128, 5});
    EXPECT_EQ(encOut.out0, l);
    EXPECT_EQ(encOut.out1, r);
    const std::vector<float> l2 = noise(300, 4), r2 = noise(300, 5);
    const StereoCapture decOut = runStereo(c.g, c.dec, l2, r2, {64});
    EXPECT_EQ(decOut.out0, l2);
    EXPECT_EQ(decOut.out1, r2);
}

TEST(SumDiffCoders, EnableZeroAnnouncesStaticWritesZerosAndSleepsAfterOneRing) {
    CoderChain c;
    runStereo(c.g, c.dec, noise(256, 6), noise(256, 7));
    c.dec->postEvent(c.g.samplePosition + 10, QB_DSP_SumDiff_Coder::kInEnable, 0, 0, 0.0f, 0);
    const StereoCapture out = runStereo(c.g, c.dec, noise(512, 8), noise(512, 9), {100});
    for (size_t i = 10; i < out.out0.size(); ++i) {
        ASSERT_EQ(out.out0[i], 0.0f) << i;
        ASSERT_EQ(out.out1[i], 0.0f) << i;
    }
    EXPECT_NE(out.out0[0], 0.0f);
    const auto rates = rateEvents(*c.probe, 0);
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(rates[1].first, 256u + 10u);
    EXPECT_EQ(rates[1].second, 0u);
    EXPECT_EQ(rateEvents(*c.probe, 1).size(), 2u);
    EXPECT_NE(c.dec->flags & QB_ModuleBase::kAsleep, 0u);

    // Enabled again it codes once more and announces varying.
    c.dec->postEvent(c.g.samplePosition, QB_DSP_SumDiff_Coder::kInEnable, 0, 1, 0.0f, 0);
    const std::vector<float> mono = noise(64, 10);
    const StereoCapture back = runStereo(c.g, c.dec, mono, mono);
    EXPECT_EQ(back.out0, mono);
    EXPECT_EQ(rateEvents(*c.probe, 0).back().second, 1u);
}

TEST(SumDiffCoders, StaticInputsMakeTheCoderSleepAfterOneRingAndANewStaticValueIsAnnouncedAgain) {
    TestGraph g(44100, 64);
    auto* left = g.make<QB_DSP_Float_to_Volt>();
    auto* right = g.make<QB_DSP_Float_to_Volt>();
    auto* enc = g.make<QB_DSP_SumDiff_Encode>();
    auto* probe = g.make<RecordingModule>();
    g.wire(left, 0, enc, 0);
    g.wire(right, 0, enc, 1);
    g.wire(enc, 0, probe, 0);
    g.prepareAll();
    left->postEvent(0, 0, 0, 0, 0.25f, 0);
    right->postEvent(0, 0, 0, 0, 0.5f, 0);
    g.run(64 + 16);
    EXPECT_EQ(enc->flags, QB_ModuleBase::kAsleep);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(enc->out0[i], 0.75f) << i;
    auto rates = rateEvents(*probe, 0);
    ASSERT_EQ(rates.size(), 1u);
    EXPECT_EQ(rates[0].second, 0u);

    // Asleep, it costs nothing: a whole ring later it is still asleep.
    g.run(200);
    EXPECT_EQ(enc->flags, QB_ModuleBase::kAsleep);

    right->postEvent(g.samplePosition, 0, 0, 0, -1.0f, 0);
    g.run(64);
    rates = rateEvents(*probe, 0);
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(rates[1].second, 0u);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(enc->out0[i], -0.75f) << i;
    for (int i = 0; i < 64; ++i) ASSERT_EQ(enc->out1[i], 1.25f) << i;
    g.run(64);
    EXPECT_EQ(enc->flags, QB_ModuleBase::kAsleep);
}

// Every offset and count within a ring, with sentinels around the range: the four-wide
// routine writes exactly what one sample at a time gives, and nothing outside the range.
template <class Coder>
void checkCodeAgainstOneAtATime(bool decode) {
    TestGraph g(44100, 128);
    auto* in = g.make<QB_DSP_Host_AudioIn>();
    auto* coder = g.make<Coder>();
    g.wire(in, 0, coder, 0);
    g.wire(in, 1, coder, 1);
    g.prepareAll();
    float* a = in->outputs[0];
    float* b = in->outputs[1];
    std::vector<float> l = noise(132, 11), r = noise(132, 12);
    // Awkward values too: denormals, infinities, NaN, signed zeros, extremes.
    const float specials[] = {1e-40f, -1e-42f, std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
                              -0.0f, 3.4e38f, -3.4e38f};
    for (size_t i = 0; i < 8; ++i) {
        l[i * 13] = specials[i];
        r[i * 7 + 3] = specials[7 - i];
    }
    std::memcpy(a, l.data(), 132 * sizeof(float));
    std::memcpy(b, r.data(), 132 * sizeof(float));
    const float sentinel = 12345.0f;
    for (uint32_t offset = 0; offset < 12; ++offset) {
        for (uint32_t count = 0; offset + count <= 128; count += (count < 20 ? 1 : 17)) {
            for (uint32_t i = 0; i < 132; ++i) coder->out0[i] = coder->out1[i] = sentinel;
            coder->code(offset, count);
            for (uint32_t i = 0; i < 132; ++i) {
                float e0 = sentinel, e1 = sentinel;
                if (i >= offset && i < offset + count) {
                    if (decode) {
                        const float hs = 0.5f * a[i];
                        const float hd = 0.5f * b[i];
                        e0 = hs + hd;
                        e1 = hs - hd;
                    } else {
                        e0 = a[i] + b[i];
                        e1 = a[i] - b[i];
                    }
                }
                ASSERT_TRUE(sameBits(coder->out0[i], e0)) << "offset " << offset << " count " << count << " at " << i;
                ASSERT_TRUE(sameBits(coder->out1[i], e1)) << "offset " << offset << " count " << count << " at " << i;
            }
        }
    }
}

TEST(SumDiffCoders, FourWideEncodeMatchesOneSampleAtATimeBitForBitAndWritesOnlyItsRange) {
    checkCodeAgainstOneAtATime<QB_DSP_SumDiff_Encode>(false);
}

TEST(SumDiffCoders, FourWideDecodeMatchesOneSampleAtATimeBitForBitAndWritesOnlyItsRange) {
    checkCodeAgainstOneAtATime<QB_DSP_SumDiff_Decode>(true);
}

TEST(SumDiffCoders, SwitchingFromPassThroughToCodingMidBlockLeavesTheEarlierSamplesAlone) {
    CoderChain c;
    c.enc->postEvent(0, QB_DSP_SumDiff_Coder::kInCoding, 0, 0, 0.0f, 0);
    c.enc->postEvent(7, QB_DSP_SumDiff_Coder::kInCoding, 0, 1, 0.0f, 0);
    const std::vector<float> l = noise(16, 13), r = noise(16, 14);
    const StereoCapture out = runStereo(c.g, c.enc, l, r, {16});
    for (size_t i = 0; i < 7; ++i) ASSERT_EQ(out.out0[i], l[i]) << i;
    for (size_t i = 7; i < 16; ++i) ASSERT_EQ(out.out0[i], l[i] + r[i]) << i;
}

TEST(SumDiffCoders, UnconnectedInputsReadAsSilence) {
    TestGraph g;
    auto* enc = g.make<QB_DSP_SumDiff_Encode>();
    g.prepareAll();
    enc->postEvent(0, QB_DSP_SumDiff_Coder::kInCoding, 0, 1, 0.0f, 0);
    enc->out0[3] = 9.0f;
    g.run(128);
    for (int i = 0; i < 128; ++i) ASSERT_EQ(enc->out0[i], 0.0f) << i;
}

}  // namespace
