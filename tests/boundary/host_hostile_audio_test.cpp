// Hostile audio from the host: NaN, infinities, extreme and denormal values, DC and
// full-scale square waves. Output is finite again within one block of the input being
// finite, whatever the program, and the instance then sounds as if nothing had happened.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "host_session.h"

namespace {

using host_suite::Session;
using host_suite::Signal;
using host_suite::Stereo;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct Hostile {
    const char* name;
    Signal signal;
};

// Input that no filter can pass unharmed: what a broken upstream plug-in may send.
std::vector<Hostile> brokenInputs() {
    return {
        {"NaN", [](int, uint64_t) { return kNaN; }},
        {"+infinity", [](int, uint64_t) { return kInf; }},
        {"-infinity", [](int, uint64_t) { return -kInf; }},
        {"NaN on the left only", [](int c, uint64_t n) { return c == 0 ? kNaN : host_suite::musicalSample(c, n, 44100.f); }},
        {"alternating infinities", [](int, uint64_t n) { return n % 2 ? kInf : -kInf; }},
        {"one NaN in a hundred", [](int c, uint64_t n) { return n % 100 == 7 ? kNaN : host_suite::musicalSample(c, n, 44100.f); }},
    };
}

// Finite but absurd: overflows the filters to infinity. The peak follower then holds a
// huge peak that falls by its linear decay step (about 1.0 per 5 ms), so Dynamic stays at
// its ceiling for a long time: only finiteness is asked of it.
float largestFloat(int, uint64_t n) { return n % 2 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max(); }

// Input a healthy host may send: the output must stay finite throughout.
std::vector<Hostile> extremeButValidInputs() {
    return {
        {"denormals", [](int, uint64_t n) { return (n % 2 ? 1.f : -1.f) * std::numeric_limits<float>::denorm_min() * static_cast<float>(n % 7); }},
        {"DC +1", [](int, uint64_t) { return 1.f; }},
        {"DC -1", [](int, uint64_t) { return -1.f; }},
        {"square 50 Hz full scale", [](int, uint64_t n) { return (n / 441) % 2 ? 1.f : -1.f; }},
        {"square 1 kHz full scale", [](int, uint64_t n) { return (n / 22) % 2 ? 1.f : -1.f; }},
        {"square at Nyquist full scale", [](int, uint64_t n) { return n % 2 ? 1.f : -1.f; }},
        {"silence", [](int, uint64_t) { return 0.f; }},
    };
}

// The factory programs, plus Dynamic, British and Freeze settings on top of Dynamic EQ.
struct Setting {
    VstInt32 program;
    VstInt32 parameter;  // -1: none
    float value;
};
std::vector<Setting> settings() {
    std::vector<Setting> all;
    for (VstInt32 p = 0; p < 12; ++p) all.push_back({p, -1, 0.f});
    all.push_back({5, 6, 1.f});  // Dynamic
    all.push_back({5, 2, 1.f});  // British
    all.push_back({5, 7, 1.f});  // Freeze
    return all;
}

Session& setUp(Session& s, const Setting& setting, VstInt32 block) {
    s.setProgram(setting.program);
    if (setting.parameter >= 0) s.setParameter(setting.parameter, setting.value);
    s.start(44100.f, block);
    return s;
}

TEST(HostileAudio, OutputIsFiniteAgainWithinOneBlockOfFiniteInputAndSoundsAsBeforeForEverySetting) {
    constexpr int64_t kBlock = 512;
    constexpr int64_t kBefore = 4096, kHostile = 1024, kAfter = 11025;
    for (const Setting& setting : settings()) {
        // The same instance undisturbed, over the same stretch of the signal.
        Session clean;
        setUp(clean, setting, kBlock);
        const Stereo reference = clean.play(kBefore + kHostile + kBlock + kAfter, kBlock);
        const double referenceLevel = host_suite::levelDb(reference, reference.size() - kAfter / 2, reference.size());
        for (const Hostile& h : brokenInputs()) {
            Session hit;
            setUp(hit, setting, kBlock);
            ASSERT_TRUE(host_suite::allFinite(hit.play(kBefore, kBlock)));
            hit.play(kHostile, kBlock, h.signal);
            const Stereo firstBlock = hit.play(kBlock, kBlock);
            const Stereo after = hit.play(kAfter, kBlock);
            // The sub-block that holds the last broken sample is the only one allowed to
            // carry it on: at most one ring (128 frames) into the first finite block.
            EXPECT_LE(host_suite::finiteFrom(firstBlock), 128u) << h.name << ", program " << setting.program;
            ASSERT_TRUE(host_suite::allFinite(after)) << h.name << ", program " << setting.program;
            // Nothing stays stuck: detectors, meters and filters are back to their work.
            EXPECT_NEAR(host_suite::levelDb(after, kAfter / 2, kAfter), referenceLevel, 1.0)
                << h.name << ", program " << setting.program;
        }
    }
}

TEST(HostileAudio, BrokenInputInSingleFrameBlocksAndInLongBlocksRecoversToo) {
    std::vector<Hostile> inputs = brokenInputs();
    inputs.push_back({"largest float", largestFloat});
    for (const Hostile& h : inputs) {
        for (int64_t block : {1, 127, 4096}) {
            Session s;
            s.setProgram(5);
            s.start(44100.f, static_cast<VstInt32>(block));
            s.play(4096, block);
            s.play(700, block, h.signal);
            const Stereo out = s.play(8192, block);
            EXPECT_LE(host_suite::finiteFrom(out), 128u) << h.name << " in blocks of " << block;
        }
    }
}

TEST(HostileAudio, DenormalsDcAndFullScaleSquaresGiveFiniteBoundedOutputForEverySetting) {
    for (const Hostile& h : extremeButValidInputs()) {
        for (const Setting& setting : settings()) {
            Session s;
            setUp(s, setting, 256);
            const Stereo out = s.play(11025, 256, h.signal);
            ASSERT_TRUE(host_suite::allFinite(out)) << h.name << ", program " << setting.program;
            float peak = 0.f;
            for (size_t i = 0; i < out.size(); ++i) peak = std::max({peak, std::fabs(out.left[i]), std::fabs(out.right[i])});
            // Five peaking bands of at most about 15 dB each on a full-scale input.
            EXPECT_LT(peak, 32.f) << h.name << ", program " << setting.program;
        }
    }
}

}  // namespace
