#include "eq/biquad_section.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "eq/biquad_design.h"
#include "support/biquad_rig.h"

namespace {

constexpr float kGuard = 12345.0f;

QB_BiquadCoefficients peakingSet(const QB_LookupTables& t, float frequency, float gain) {
    return qbDesignAt(qbBeginDesign(t, qbIndexScale(44100), 9, 0, true, 0.4f), frequency, gain);
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(BiquadSection, FourAtATimeLoopsMatchOneSampleAtATimeBitForBitAtAnyOffsetAndCount) {
    TestGraph g;
    const QB_BiquadCoefficients fixed = peakingSet(g.tables, 100.0f, 0.3f);
    // Per-sample sets that differ at every offset.
    std::vector<float> streams[5];
    for (auto& s : streams) s.resize(64);
    for (int i = 0; i < 64; ++i) {
        const QB_BiquadCoefficients c = peakingSet(g.tables, 50.0f + 7.0f * i, -0.3f + 0.01f * i);
        streams[0][i] = c.b0, streams[1][i] = c.b1, streams[2][i] = c.b2, streams[3][i] = c.a1, streams[4][i] = c.a2;
    }
    const QB_CoefficientStreams varying{streams[0].data(), streams[1].data(), streams[2].data(), streams[3].data(),
                                        streams[4].data()};
    const std::vector<float> input = noise(64, 7);
    const QB_BiquadState start{0.25f, -0.5f, 0.125f, 0.75f};

    for (bool perSample : {false, true}) {
        for (bool inPlace : {false, true}) {
            for (uint32_t offset = 0; offset < 4; ++offset) {
                for (uint32_t count = 0; count <= 37; ++count) {
                    std::vector<float> out(64, kGuard);
                    if (inPlace) std::copy(input.begin() + offset, input.begin() + offset + count, out.begin() + offset);
                    const float* in = inPlace ? out.data() + offset : input.data() + offset;
                    QB_BiquadState s = start, r = start;
                    if (perSample) qbBiquadRunVarying(varying, offset, s, in, out.data() + offset, count);
                    else qbBiquadRun(fixed, s, in, out.data() + offset, count);
                    for (uint32_t i = 0; i < count; ++i) {
                        const float y = qbBiquadTick(perSample ? varying.at(offset + i) : fixed, r, input[offset + i]);
                        ASSERT_TRUE(sameBits(out[offset + i], y)) << perSample << inPlace << offset << " " << count;
                    }
                    EXPECT_TRUE(sameBits(s.x1, r.x1) && sameBits(s.x2, r.x2) && sameBits(s.y1, r.y1) &&
                                sameBits(s.y2, r.y2));
                    for (uint32_t i = 0; i < offset; ++i) EXPECT_EQ(out[i], kGuard);  // nothing before the range
                    for (uint32_t i = offset + count; i < 64; ++i) EXPECT_EQ(out[i], kGuard);  // or after it
                }
            }
        }
    }
}

}  // namespace
