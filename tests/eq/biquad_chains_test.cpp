// Cascades packed lane after lane in one pass, against the cascades run one after the
// other: chains that cross vectors, full and nearly empty vectors, a job in place on the
// input, lengths at the shortest the stagger takes and beyond, unaligned buffers between
// guard bands; and the shapes the packing refuses, which must leave everything untouched.
#include "eq/biquad_chains.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "eq/biquad_cascade.h"
#include "eq/biquad_design.h"
#include "support/biquad_rig.h"
#include "support/test_graph.h"

namespace {

constexpr float kGuard = 12345.0f;
constexpr uint32_t kRegion = 200;  // floats per buffer, guard bands included

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Jobs over one arena of buffers: region 0 is the input, region 1 + j job j's output.
// source[j] < 0: job j reads the input, else job source[j]'s output; inPlace: the last job
// writes the input.
struct Shape {
    std::vector<int> counts;
    std::vector<int> source;
    bool inPlace = false;
};

struct Arena {
    std::vector<float> floats;
    std::vector<QB_BiquadState> states;
    std::vector<QB_CascadeJob> jobs;

    Arena(const Shape& shape, const std::vector<QB_BiquadCoefficients>& c, uint32_t n) {
        const int m = static_cast<int>(shape.counts.size());
        floats.assign(kRegion * (m + 1), kGuard);
        const std::vector<float> input = noise(n, 7);
        const uint32_t offset = 3;  // unaligned
        std::copy(input.begin(), input.end(), floats.begin() + offset);
        states.resize(8 * m);
        for (size_t i = 0; i < states.size(); ++i)
            states[i] = {0.001f * i, -0.002f * i, 0.0015f * i, -0.0005f * i};
        float* const in = floats.data() + offset;
        for (int j = 0; j < m; ++j) {
            float* out = floats.data() + kRegion * (j + 1) + offset + j % 3;
            if (shape.inPlace && j == m - 1) out = in;
            const float* from = shape.source[j] < 0 ? in : jobs[shape.source[j]].out;
            jobs.push_back({c[j], &states[8 * j], shape.counts[j], from, out});
        }
    }
};

std::vector<QB_BiquadCoefficients> designs(TestGraph& g, int m) {
    std::vector<QB_BiquadCoefficients> c;
    for (int j = 0; j < m; ++j)
        c.push_back(qbDesignAt(qbBeginDesign(g.tables, qbIndexScale(44100), j % 2 ? 1 : 4, 4, true, 0.25f),
                               80.f + 90.f * j, 0));
    return c;
}

QB_BiquadChainsFn packedKernel() { return qbBiquadChainsFor(qbSimdSupported()); }

// Runs kernel on shape over n samples and checks every float of the arena and every state
// against the cascades run one after the other.
template <class Kernel>
void expectSameAsInOrder(const Shape& shape, const std::vector<QB_BiquadCoefficients>& c, uint32_t n,
                         const Kernel& kernel) {
    const int m = static_cast<int>(shape.counts.size());
    SCOPED_TRACE(::testing::Message() << "jobs " << m << " n " << n);
    Arena packed(shape, c, n), alone(shape, c, n);
    kernel(packed.jobs.data(), m, n);
    for (const QB_CascadeJob& j : alone.jobs) qbBiquadCascade(j.c, j.states, j.count, j.in, j.out, n);
    for (size_t i = 0; i < packed.floats.size(); ++i)
        ASSERT_TRUE(sameBits(packed.floats[i], alone.floats[i])) << "float " << i;
    for (size_t i = 0; i < packed.states.size(); ++i) {
        const QB_BiquadState& a = packed.states[i];
        const QB_BiquadState& b = alone.states[i];
        ASSERT_TRUE(sameBits(a.x1, b.x1) && sameBits(a.x2, b.x2) && sameBits(a.y1, b.y1) && sameBits(a.y2, b.y2))
            << "state " << i;
    }
}

TEST(BiquadChains, PackedCascadesMatchTheCascadesRunInOrderBitForBit) {
    const QB_BiquadChainsFn kernel = packedKernel();
    if (kernel == nullptr) GTEST_SKIP() << "no packed kernel on this processor";
    TestGraph g;
    const Shape shapes[] = {
        // The graph's prefilters: four chains from the input, three of them read on.
        {{5, 5, 5, 5, 5, 5, 5}, {-1, -1, 1, -1, 3, -1, 5}},
        // A chain of three jobs across a vector's end, odd counts, a job in place.
        {{3, 8, 1, 8, 2, 7, 6}, {-1, 0, -1, 1, -1, 4, -1}, true},
        // Every lane of four vectors, as one chain.
        {{8, 8, 8, 8, 8, 8, 8, 8}, {-1, 0, 1, 2, 3, 4, 5, 6}},
        // Two single sections: most lanes idle.
        {{1, 1}, {-1, -1}},
    };
    for (const Shape& shape : shapes) {
        const int m = static_cast<int>(shape.counts.size());
        const std::vector<QB_BiquadCoefficients> c = designs(g, m);
        QB_ChainPlan plan;
        ASSERT_TRUE(qbPlanChains(Arena(shape, c, 150).jobs.data(), m, QB_ChainPlan::kMaxLanes, 150, plan));
        const uint32_t shortest = plan.lead() + 2;
        for (uint32_t n : {shortest, shortest + 1, shortest + 15, 128u, 150u}) {
            if (n > 150) continue;
            expectSameAsInOrder(shape, c, n, [&](const QB_CascadeJob* jobs, int count, uint32_t length) {
                ASSERT_TRUE(kernel(jobs, count, length));
            });
        }
    }
}

// The independent cascades' kernels pack jobs that read one input where they can (AVX2
// does, in three vectors at most) and pair them where they cannot.
TEST(BiquadChains, IndependentJobsOnOneInputMatchAtEveryLevel) {
    TestGraph g;
    const Shape shapes[] = {
        {{5, 5, 5, 5}, {-1, -1, -1, -1}},
        {{8, 8, 7}, {-1, -1, -1}},       // every lane but one of three vectors
        {{8, 8, 8, 5}, {-1, -1, -1, -1}},  // more than three vectors hold
        {{2, 3, 1}, {-1, -1, -1}},
    };
    for (QB_SimdLevel level : {QB_SimdLevel::kSse2, QB_SimdLevel::kAvx2, QB_SimdLevel::kAvx512}) {
        if (!qbSimdAtLeast(qbSimdSupported(), level)) continue;
        const QB_BiquadCascadesFn kernel = qbBiquadCascadesFor(level);
        for (const Shape& shape : shapes) {
            const std::vector<QB_BiquadCoefficients> c = designs(g, static_cast<int>(shape.counts.size()));
            for (uint32_t n : {1u, 9u, 16u, 17u, 37u, 128u}) {
                SCOPED_TRACE(qbSimdName(level));
                expectSameAsInOrder(shape, c, n, kernel);
            }
        }
    }
}

TEST(BiquadChains, ShapesThatDoNotPackAreRefusedWithNothingRun) {
    TestGraph g;
    const std::vector<QB_BiquadCoefficients> c = designs(g, 9);
    QB_ChainPlan plan;
    const auto plans = [&](const Shape& shape, uint32_t n = 128, int capacity = QB_ChainPlan::kMaxLanes) {
        Arena a(shape, c, n);
        return qbPlanChains(a.jobs.data(), static_cast<int>(a.jobs.size()), capacity, n, plan);
    };
    EXPECT_TRUE(plans({{5, 5, 5}, {-1, 0, 0 + 1}}));
    EXPECT_EQ(plan.lanes, 15);
    EXPECT_EQ(plan.lastPosition, 14);
    EXPECT_FALSE(plans({{5, 0}, {-1, -1}}));         // a job of no sections
    EXPECT_FALSE(plans({{5, 9}, {-1, -1}}));         // more than eight
    EXPECT_FALSE(plans({{5, 5, 5}, {-1, 0, 0}}));    // two readers of one job
    EXPECT_FALSE(plans({{8, 8, 8, 8, 8, 8, 8, 8, 1}, {-1, -1, -1, -1, -1, -1, -1, -1, -1}}));  // nine jobs
    EXPECT_FALSE(plans({{8, 8, 8}, {-1, -1, -1}}, 128, 16));  // more lanes than the vectors hold
    EXPECT_FALSE(plans({{5, 5}, {-1, 0}}, 19));       // too short: the stagger needs 18 + 2
    EXPECT_TRUE(plans({{5, 5}, {-1, 0}}, 20));

    // Another input than the first job's, and the kernel leaves every buffer as it was.
    Arena a({{5, 5}, {-1, -1}}, c, 64);
    a.jobs[1].in = a.jobs[0].out + 1;
    EXPECT_FALSE(qbPlanChains(a.jobs.data(), 2, QB_ChainPlan::kMaxLanes, 64, plan));
    const QB_BiquadChainsFn kernel = packedKernel();
    if (kernel == nullptr) return;
    const std::vector<float> before = a.floats;
    EXPECT_FALSE(kernel(a.jobs.data(), 2, 64));
    EXPECT_EQ(std::memcmp(before.data(), a.floats.data(), before.size() * sizeof(float)), 0);
}

}  // namespace
