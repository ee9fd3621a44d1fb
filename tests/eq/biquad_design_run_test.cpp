// Per-sample designs of a whole stretch with the vector kernels against qbDesignAt:
// inputs that reach every clamp and the pass-through fallback, both table modes, every
// count up to a few groups of four, unaligned offsets, guard bands after the range.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "eq/biquad_design.h"
#include "support/biquad_rig.h"
#include "support/test_graph.h"

namespace {

constexpr float kGuard = 12345.0f;

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every level against qbDesignAt at f[0..n) and u[0..n) for one design, with guard bands.
void expectSetsOfEveryLevel(const QB_BiquadDesign& d, const std::vector<float>& f, const std::vector<float>& u,
                            uint32_t offset, uint32_t n, const char* what) {
    for (QB_SimdLevel level :
         {QB_SimdLevel::kScalar, QB_SimdLevel::kSse2, QB_SimdLevel::kAvx2, QB_SimdLevel::kAvx512}) {
        if (!qbSimdAtLeast(qbSimdSupported(), level)) continue;  // the kernel would not run here
        std::vector<float> buffers[5];
        float* out[5];
        for (int k = 0; k < 5; ++k) {
            buffers[k].assign(offset + n + 8, kGuard);
            out[k] = buffers[k].data() + offset;
        }
        qbDesignRun(level, d, f.data() + offset, u.data() + offset, out, n);
        for (uint32_t i = 0; i < n; ++i) {
            const QB_BiquadCoefficients c = qbDesignAt(d, f[offset + i], u[offset + i]);
            const float want[5] = {c.b0, c.b1, c.b2, c.a1, c.a2};
            for (int k = 0; k < 5; ++k)
                ASSERT_TRUE(sameBits(out[k][i], want[k])) << qbSimdName(level) << " " << what << " offset " << offset
                                                          << " n " << n << " sample " << i << " stream " << k;
        }
        for (int k = 0; k < 5; ++k) {
            for (uint32_t i = 0; i < offset; ++i) ASSERT_EQ(buffers[k][i], kGuard);
            for (uint32_t i = offset + n; i < buffers[k].size(); ++i) ASSERT_EQ(buffers[k][i], kGuard);
        }
    }
}

TEST(BiquadDesignRun, EveryLevelGivesQbDesignAtsSetsBitForBitWithClampsAndFallbacks) {
    TestGraph g;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (bool linear : {true, false}) {
        // Frequencies across the table, below and beyond it, NaN and infinities; pitch
        // values near -1 give sets too close to the unit circle, which fall back.
        std::vector<float> f =
            linear ? std::vector<float>{0.f, -3.f, 2205.f, 5000.f, nan, inf, -inf, 4.f, 123.4f, 1e-30f}
                   : std::vector<float>{-1.f, -0.999f, -1.5f, 1.29f, 2.f, nan, 0.f, 0.5f, -0.9f, 1.f};
        std::vector<float> u = {0.f, 0.5f, 0.501f, -0.5f, -0.7f, nan, 1e-3f, -0.25f, 0.3f, -0.f, inf};
        const std::vector<float> r = noise(64, 5);
        while (f.size() < 64) f.push_back(linear ? 1000.f * (r[f.size()] + 1.f) : r[f.size()]);
        while (u.size() < 64) u.push_back(0.5f * r[u.size()]);
        for (float w : {0.f, 0.4f, 1.f}) {
            const QB_BiquadDesign d = qbBeginDesign(g.tables, qbIndexScale(48000), 9, 0, linear, w);
            for (uint32_t offset = 0; offset < 4; ++offset)
                for (uint32_t n = 0; n + offset <= 40; ++n) expectSetsOfEveryLevel(d, f, u, offset, n, "varying");
        }
    }
}

// A frequency held still over the run reads the table once; one sample that differs, at
// any place, must send the run back to a read per group.
TEST(BiquadDesignRun, AHeldFrequencyGivesTheSameSetsAsOneReadPerSample) {
    TestGraph g;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> r = noise(48, 9);
    std::vector<float> u(48);
    for (size_t i = 0; i < u.size(); ++i) u[i] = 0.6f * r[i];
    u[5] = nan;
    for (bool linear : {true, false}) {
        const QB_BiquadDesign d = qbBeginDesign(g.tables, qbIndexScale(44100), 9, 0, linear, 0.3f);
        // A plain frequency, the table's ends, NaN, and one whose sets fall back to pass-through.
        for (float held : {linear ? 440.f : 0.3f, -5.f, 1e9f, nan, linear ? 0.01f : -0.9999f}) {
            for (int odd = -1; odd < 40; ++odd) {
                std::vector<float> f(48, held);
                if (odd >= 0) f[static_cast<size_t>(odd)] = linear ? 441.f : 0.31f;
                for (uint32_t offset : {0u, 3u})
                    for (uint32_t n : {8u, 16u, 33u, 40u}) expectSetsOfEveryLevel(d, f, u, offset, n, "held");
            }
        }
    }
}

}  // namespace
