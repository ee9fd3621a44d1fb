// Host behaviour: every sample rate hosts use, block sizes from 1 to 8192, and host blocks
// longer or shorter than the size the host declared.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "host_session.h"

namespace {

using host_suite::Session;
using host_suite::Stereo;

const float kHostRates[] = {22050.f, 32000.f, 44100.f, 48000.f, 88200.f, 96000.f, 176400.f, 192000.f, 352800.f, 384000.f};

// Default Flat, Bright, Dynamic EQ, British Gentle, M/S Side.
const VstInt32 kPrograms[] = {0, 4, 5, 6, 8};

TEST(HostRates, EveryRateGivesEachProgramTheLevelItHasAt44100) {
    std::vector<double> reference;
    for (VstInt32 p : kPrograms) {
        Session s;
        s.setProgram(p);
        s.start(44100.f, 512);
        const Stereo out = s.play(13230);
        reference.push_back(host_suite::levelDb(out, 6615, 13230));
    }
    for (float rate : kHostRates) {
        for (size_t k = 0; k < std::size(kPrograms); ++k) {
            Session s;
            s.setProgram(kPrograms[k]);
            s.start(rate, 512);
            // 0.3 s, measured over its second half: the same stretch of the signal at every rate.
            const int64_t frames = static_cast<int64_t>(rate * 0.3f);
            const Stereo out = s.play(frames);
            ASSERT_TRUE(host_suite::allFinite(out)) << rate << " program " << kPrograms[k];
            // The bands follow the same pitches at every rate, so each program colours the
            // test signal by the same amount.
            EXPECT_NEAR(host_suite::levelDb(out, frames / 2, frames), reference[k], 0.3)
                << rate << " program " << kPrograms[k];
        }
    }
}

TEST(HostRates, TheFlatProgramPassesTheSignalAtItsLevelAtEveryRate) {
    for (float rate : kHostRates) {
        Session s;
        s.start(rate, 512);
        const int64_t second = static_cast<int64_t>(rate * 0.3f);
        const Stereo out = s.play(second);
        Stereo in;
        for (int64_t n = second / 2; n < second; ++n) {
            in.left.push_back(host_suite::musicalSample(0, static_cast<uint64_t>(n), rate));
            in.right.push_back(host_suite::musicalSample(1, static_cast<uint64_t>(n), rate));
        }
        EXPECT_NEAR(host_suite::levelDb(out, second / 2, second), host_suite::levelDb(in, 0, in.size()), 0.2) << rate;
    }
}

// The output of a stream does not depend on how the host cuts it into blocks, whatever
// the declared size: every slicing gives the same samples, bit for bit.
TEST(HostBlocks, AnySlicingOfTheStreamGivesBitIdenticalOutputForEveryDeclaredSize) {
    const VstInt32 declared[] = {1, 3, 64, 127, 128, 129, 1000, 8192};
    const int64_t hostBlocks[] = {1, 7, 64, 129, 300, 1000, 4097, 8192};
    for (VstInt32 d : declared) {
        Session reference;
        reference.start(44100.f, d);
        const Stereo expected = reference.play(9000, d);
        ASSERT_TRUE(host_suite::allFinite(expected)) << d;
        for (int64_t b : hostBlocks) {
            Session s;
            s.start(44100.f, d);
            const Stereo out = s.play(9000, b);
            EXPECT_EQ(host_suite::firstDifference(expected, out), out.size()) << "declared " << d << " host block " << b;
        }
    }
}

TEST(HostBlocks, BlocksThatChangeSizeFromCallToCallGiveTheSameStream) {
    Session reference;
    reference.start(48000.f, 512);
    const Stereo expected = reference.play(30000, 512);
    Session s;
    s.start(48000.f, 512);
    // Host blocks that wander: shorter and longer than declared, odd and even, and empty.
    const int64_t pattern[] = {512, 1, 0, 511, 513, 37, 8192, 2, 1024, 129, 127, 3};
    Stereo out;
    for (size_t k = 0; out.size() < 30000; ++k) {
        const int64_t n = std::min<int64_t>(pattern[k % std::size(pattern)], 30000 - static_cast<int64_t>(out.size()));
        if (n == 0) {
            s.host().processReplacing(nullptr, nullptr, nullptr, nullptr, 0);
            continue;
        }
        out.append(s.play(n, n));
    }
    EXPECT_EQ(host_suite::firstDifference(expected, out), out.size());
}

}  // namespace
