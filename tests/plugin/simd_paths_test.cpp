// The whole processor with its vector kernels against the scalar reference path: every
// factory program, on music-like material and on noise, at 44.1, 48 and 96 kHz and in
// host blocks of 1, 37, 512 and 4096 frames, must give the same output bits. The path is
// forced process-wide before the graph is built, for the SSE2, AVX2 and AVX-512 paths in
// turn (each left out on a processor without it).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/cpu_features.h"
#include "plugin/parameters.h"
#include "support/processor_fixture.h"

namespace {

constexpr double kTwoPi = 6.283185307179586476925;

struct Stereo {
    std::vector<float> left, right;
};

// A walking bass, a melody with harmonics and quiet noise, then silence: the detectors
// lock and follow, the dynamic gains move, and the prefilters settle into silence.
Stereo musicLike(double rate, double seconds) {
    static const double bass[4] = {55.0, 65.4, 73.4, 82.4};
    static const double melody[6] = {261.6, 329.6, 392.0, 440.0, 523.3, 392.0};
    const size_t n = static_cast<size_t>(rate * seconds);
    Stereo s{std::vector<float>(n), std::vector<float>(n)};
    uint32_t seed = 1;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        if (t > 0.8 * seconds) break;  // silence to the end
        const double b = bass[static_cast<size_t>(t * 8.0) % 4], m = melody[static_cast<size_t>(t * 12.0) % 6];
        seed = seed * 1664525u + 1013904223u;
        const double hiss = 0.01 * (static_cast<double>(seed >> 8) / 8388608.0 - 1.0);
        const double tune = 0.3 * (std::sin(kTwoPi * m * t) + 0.5 * std::sin(kTwoPi * 2 * m * t) +
                                   0.25 * std::sin(kTwoPi * 3 * m * t));
        s.left[i] = static_cast<float>(0.5 * std::sin(kTwoPi * b * t) + tune + hiss);
        s.right[i] = static_cast<float>(0.4 * std::sin(kTwoPi * b * t) + 0.8 * tune - hiss);
    }
    return s;
}

Stereo noise(double rate, double seconds) {
    const size_t n = static_cast<size_t>(rate * seconds);
    Stereo s{std::vector<float>(n), std::vector<float>(n)};
    uint32_t seed = 7;
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        s.left[i] = static_cast<float>(static_cast<double>(seed >> 8) / 8388608.0 - 1.0) * 0.7f;
        seed = seed * 1664525u + 1013904223u;
        s.right[i] = static_cast<float>(static_cast<double>(seed >> 8) / 8388608.0 - 1.0) * 0.7f;
    }
    return s;
}

// The output of one program at one rate and host block size, on a graph built at level.
Stereo render(QB_SimdLevel level, int program, float rate, int block, const Stereo& in) {
    qbSimdForce(level);
    ProcessorRig rig(rate, block);
    qbSimdRelease();
    rig.vst->setProgram(program);
    Stereo out{std::vector<float>(in.left.size()), std::vector<float>(in.left.size())};
    for (size_t at = 0; at < in.left.size(); at += static_cast<size_t>(block)) {
        const int32_t n = static_cast<int32_t>(std::min(in.left.size() - at, static_cast<size_t>(block)));
        rig.process(n, in.left.data() + at, in.right.data() + at);
        std::copy(rig.outL.begin(), rig.outL.end(), out.left.begin() + static_cast<std::ptrdiff_t>(at));
        std::copy(rig.outR.begin(), rig.outR.end(), out.right.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return out;
}

// Index of the first frame whose bits differ, or -1.
long firstDifference(const Stereo& a, const Stereo& b) {
    for (size_t i = 0; i < a.left.size(); ++i)
        if (std::memcmp(&a.left[i], &b.left[i], sizeof(float)) != 0 ||
            std::memcmp(&a.right[i], &b.right[i], sizeof(float)) != 0)
            return static_cast<long>(i);
    return -1;
}

// A digest of an output's bits (FNV-1a): the reference is kept as one number.
uint64_t digest(const Stereo& s) {
    uint64_t h = 14695981039346656037ull;
    for (const std::vector<float>* channel : {&s.left, &s.right})
        for (float v : *channel) {
            uint32_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            for (int k = 0; k < 4; ++k) h = (h ^ ((bits >> (8 * k)) & 0xffu)) * 1099511628211ull;
        }
    return h;
}

// Every vector level in one test, so that each scalar reference is rendered once (the
// test runner starts a process per test).
TEST(SimdPaths, EveryFactoryProgramGivesTheScalarOutputBitForBitAtEveryLevelRateAndHostBlock) {
    std::vector<QB_SimdLevel> levels;
    for (QB_SimdLevel level : {QB_SimdLevel::kSse2, QB_SimdLevel::kAvx2, QB_SimdLevel::kAvx512})
        if (qbSimdAtLeast(qbSimdSupported(), level)) levels.push_back(level);
    if (levels.empty()) GTEST_SKIP() << "this processor has no vector path";
    for (float rate : {44100.f, 48000.f, 96000.f}) {
        const Stereo materials[2] = {musicLike(rate, 0.5), noise(rate, 0.125)};
        for (int m = 0; m < 2; ++m) {
            for (int block : {1, 37, 512, 4096}) {
                for (int program = 0; program < kNumPrograms; ++program) {
                    const Stereo& in = materials[m];
                    const uint64_t reference = digest(render(QB_SimdLevel::kScalar, program, rate, block, in));
                    for (QB_SimdLevel level : levels) {
                        const Stereo vector = render(level, program, rate, block, in);
                        if (digest(vector) == reference) continue;
                        // Where they part, from the reference rendered again.
                        const Stereo again = render(QB_SimdLevel::kScalar, program, rate, block, in);
                        ADD_FAILURE() << qbSimdName(level) << ": program " << program << ", " << rate
                                      << " Hz, block " << block << (m == 0 ? ", music" : ", noise")
                                      << ", first different frame " << firstDifference(again, vector);
                    }
                }
            }
        }
    }
}

}  // namespace
