// The vector kernels of sections in series against the scalar loops: every count of
// sections, counts of samples around the stagger's start and end, unaligned offsets, in
// place and not, with guard bands on both sides of the range.
#include "eq/biquad_cascade.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "eq/biquad_design.h"
#include "support/biquad_rig.h"
#include "support/test_graph.h"

namespace {

constexpr float kGuard = 12345.0f;
constexpr uint32_t kSpan = 160;

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameState(const QB_BiquadState& a, const QB_BiquadState& b) {
    return sameBits(a.x1, b.x1) && sameBits(a.x2, b.x2) && sameBits(a.y1, b.y1) && sameBits(a.y2, b.y2);
}

using Run = std::function<void(QB_BiquadState* states, const float* in, float* out)>;

// Runs kernel and reference from the same eight states over n samples at offset, from
// input or in place, and checks every output bit, the guard bands and the states.
void expectSameRun(const Run& kernel, const Run& reference, const QB_BiquadState* start,
                   const std::vector<float>& input, uint32_t offset, uint32_t n, bool inPlace) {
    std::vector<float> out(kSpan + 8, kGuard), ref(kSpan + 8, kGuard);
    if (inPlace) {
        std::copy(input.begin(), input.begin() + n, out.begin() + offset);
        std::copy(input.begin(), input.begin() + n, ref.begin() + offset);
    }
    QB_BiquadState s[8], r[8];
    std::copy(start, start + 8, s);
    std::copy(start, start + 8, r);
    kernel(s, inPlace ? out.data() + offset : input.data(), out.data() + offset);
    reference(r, inPlace ? ref.data() + offset : input.data(), ref.data() + offset);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_TRUE(sameBits(out[i], ref[i])) << "at " << i;
    for (int k = 0; k < 8; ++k) ASSERT_TRUE(sameState(s[k], r[k])) << "section " << k;
}

std::vector<QB_SimdLevel> vectorLevels() {
    std::vector<QB_SimdLevel> levels;
    for (QB_SimdLevel l : {QB_SimdLevel::kSse2, QB_SimdLevel::kAvx2, QB_SimdLevel::kAvx512})
        if (static_cast<int>(l) <= static_cast<int>(qbSimdSupported())) levels.push_back(l);
    return levels;
}

TEST(BiquadCascade, VectorKernelsMatchTheScalarCascadeBitForBitForEveryCountOffsetAndLength) {
    const std::vector<QB_SimdLevel> levels = vectorLevels();
    if (levels.empty()) GTEST_SKIP() << "no vector kernel on this processor";
    TestGraph g;
    // A resonant high-pass makes every section's output differ from its input.
    const QB_BiquadDesign d = qbBeginDesign(g.tables, qbIndexScale(44100), 4, 4, true, 0.3f);
    const QB_BiquadCoefficients c = qbDesignAt(d, 300.f, 0);
    const std::vector<float> input = noise(kSpan, 3);
    QB_BiquadState start[8];
    for (int k = 0; k < 8; ++k) start[k] = {0.1f * k, -0.05f * k, 0.02f * k, -0.3f + 0.01f * k};

    for (QB_SimdLevel level : levels) {
        const QB_BiquadCascadeFn kernel = qbBiquadCascadeFor(level);
        for (int count = 0; count <= 8; ++count) {
            for (bool inPlace : {false, true}) {
                for (uint32_t offset = 0; offset < 4; ++offset) {
                    for (uint32_t n : {0u, 1u, 2u, 3u, 7u, 8u, 9u, 13u, 14u, 15u, 16u, 17u, 31u, 37u, 64u, 128u}) {
                        SCOPED_TRACE(::testing::Message() << qbSimdName(level) << " count " << count << " offset "
                                                          << offset << " n " << n << " in place " << inPlace);
                        expectSameRun(
                            [&](QB_BiquadState* s, const float* in, float* out) { kernel(c, s, count, in, out, n); },
                            [&](QB_BiquadState* r, const float* in, float* out) {
                                qbBiquadCascade(c, r, count, in, out, n);
                            },
                            start, input, offset, n, inPlace);
                        if (HasFatalFailure()) return;
                    }
                }
            }
        }
    }
}

TEST(BiquadCascade, VectorKernelsCarryTheStateAcrossCallsAndThroughNonFiniteInput) {
    const std::vector<QB_SimdLevel> levels = vectorLevels();
    if (levels.empty()) GTEST_SKIP() << "no vector kernel on this processor";
    TestGraph g;
    const QB_BiquadCoefficients c = qbDesignAt(qbBeginDesign(g.tables, qbIndexScale(48000), 1, 4, true, 0.f), 10.f, 0);
    std::vector<float> input = noise(2048, 9);
    input[700] = 1e30f;  // overflows to infinity inside the cascade
    input[1500] = std::numeric_limits<float>::quiet_NaN();
    for (QB_SimdLevel level : levels) {
        const QB_BiquadCascadeFn kernel = qbBiquadCascadeFor(level);
        QB_BiquadState s[5] = {}, r[5] = {};
        std::vector<float> out(input.size()), ref(input.size());
        // Sub-blocks of changing length, as the graph cuts host blocks.
        for (uint32_t at = 0, step = 1; at < input.size(); at += step, step = step % 67 + 11) {
            const uint32_t n = std::min<uint32_t>(step, static_cast<uint32_t>(input.size()) - at);
            kernel(c, s, 5, input.data() + at, out.data() + at, n);
            qbBiquadCascade(c, r, 5, input.data() + at, ref.data() + at, n);
            for (int k = 0; k < 5; ++k) {
                qbClearIfNonFinite(s[k]);
                qbClearIfNonFinite(r[k]);
            }
        }
        for (size_t i = 0; i < out.size(); ++i)
            ASSERT_TRUE(sameBits(out[i], ref[i])) << qbSimdName(level) << " at " << i;
    }
}

// Independent cascades run together: up to nine jobs of mixed section counts (so groups
// of four, a rest, narrow and wide lanes and jobs too short to stagger all occur), each
// with its own coefficients, states and unaligned buffers between guard bands, one in
// place; every output, guard and state as when the job runs alone.
TEST(BiquadCascades, IndependentJobsRunTogetherMatchEachJobRunAloneBitForBit) {
    const std::vector<QB_SimdLevel> levels = vectorLevels();
    if (levels.empty()) GTEST_SKIP() << "no vector kernel on this processor";
    TestGraph g;
    constexpr int kJobs = 9;
    const int counts[kJobs] = {5, 5, 2, 8, 5, 1, 4, 0, 5};
    QB_BiquadCoefficients c[kJobs];
    for (int j = 0; j < kJobs; ++j)
        c[j] = qbDesignAt(qbBeginDesign(g.tables, qbIndexScale(44100), j % 2 ? 1 : 4, 4, true, 0.2f), 100.f + 40.f * j, 0);
    for (QB_SimdLevel level : levels) {
        const QB_BiquadCascadesFn kernel = qbBiquadCascadesFor(level);
        for (int m : {1, 3, 4, 7, kJobs}) {
            for (uint32_t n : {1u, 8u, 9u, 15u, 17u, 37u, 128u}) {
                SCOPED_TRACE(::testing::Message() << qbSimdName(level) << " jobs " << m << " n " << n);
                std::vector<std::vector<float>> in(kJobs), out(kJobs), ref(kJobs);
                QB_BiquadState s[kJobs][8], r[kJobs][8];
                QB_CascadeJob jobs[kJobs];
                for (int j = 0; j < m; ++j) {
                    const uint32_t offset = static_cast<uint32_t>(j % 4);
                    in[j] = noise(kSpan + 8, 20 + j);
                    out[j].assign(kSpan + 8, kGuard);
                    for (int k = 0; k < 8; ++k) s[j][k] = r[j][k] = {0.01f * k * j, -0.02f * k, 0.03f * j, 0.f};
                    const bool inPlace = j == 2;
                    if (inPlace) std::copy(in[j].begin(), in[j].begin() + n, out[j].begin() + offset);
                    ref[j] = out[j];
                    qbBiquadCascade(c[j], r[j], counts[j], inPlace ? ref[j].data() + offset : in[j].data(),
                                    ref[j].data() + offset, n);
                    jobs[j] = {c[j], s[j], counts[j], inPlace ? out[j].data() + offset : in[j].data(),
                               out[j].data() + offset};
                }
                kernel(jobs, m, n);
                for (int j = 0; j < m; ++j) {
                    for (size_t i = 0; i < out[j].size(); ++i)
                        ASSERT_TRUE(sameBits(out[j][i], ref[j][i])) << "job " << j << " at " << i;
                    for (int k = 0; k < 8; ++k) ASSERT_TRUE(sameState(s[j][k], r[j][k])) << "job " << j << " section " << k;
                }
            }
        }
    }
}

TEST(BiquadSeries, VectorKernelsAloneAndInPairsMatchSectionsRunOneAfterTheOtherWithTheirOwnCoefficients) {
    TestGraph g;
    // Eight different peaking sections, as per-sample streams that change at every offset.
    std::vector<float> streams[8][5];
    for (int k = 0; k < 8; ++k) {
        const QB_BiquadDesign d = qbBeginDesign(g.tables, qbIndexScale(44100), 9, 0, true, 0.2f + 0.08f * k);
        for (auto& s : streams[k]) s.resize(kSpan);
        for (uint32_t i = 0; i < kSpan; ++i) {
            const QB_BiquadCoefficients c = qbDesignAt(d, 30.0f + 200.0f * k + i, 0.3f - 0.1f * k + 0.001f * i);
            const float v[5] = {c.b0, c.b1, c.b2, c.a1, c.a2};
            for (int p = 0; p < 5; ++p) streams[k][p][i] = v[p];
        }
    }
    const std::vector<float> input = noise(kSpan, 4), other = noise(kSpan, 5);
    QB_BiquadState start[8], otherStart[8];
    for (int k = 0; k < 8; ++k) start[k] = {0.05f * k, -0.1f, 0.2f - 0.03f * k, 0.01f * k};
    for (int k = 0; k < 8; ++k) otherStart[k] = {-0.02f * k, 0.07f, 0.01f * k, -0.3f + 0.04f * k};

    for (QB_SimdLevel level : {QB_SimdLevel::kScalar, QB_SimdLevel::kSse2, QB_SimdLevel::kAvx2, QB_SimdLevel::kAvx512}) {
        if (!qbSimdAtLeast(qbSimdSupported(), level)) continue;  // the kernel would not run here
        const QB_BiquadSeriesFn kernel = qbBiquadSeriesFor(level);
        const QB_BiquadSeriesPairFn pair = qbBiquadSeriesPairFor(level);
        // Which sections read per sample: none (the staggered loop), one, all.
        for (unsigned perSample : {0x00u, 0x04u, 0xffu}) {
            for (int count = 0; count <= 8; ++count) {
                for (uint32_t offset = 0; offset < 4; ++offset) {
                    for (uint32_t n : {0u, 1u, 5u, 8u, 9u, 14u, 15u, 16u, 37u, 128u}) {
                        QB_SectionCoefficients sections[8];
                        for (int k = 0; k < 8; ++k) {
                            const auto at = [&](int p) { return streams[k][p].data() + offset; };
                            sections[k] = {{at(0), at(1), at(2), at(3), at(4)}, ((perSample >> k) & 1u) != 0};
                        }
                        // The reference: each section over the whole run, then the next in place.
                        const auto oneAfterTheOther = [&](QB_BiquadState* r, const float* in, float* out) {
                            for (int k = 0; k < count; ++k) {
                                if (sections[k].perSample)
                                    qbBiquadRunVarying(sections[k].streams, 0, r[k], k == 0 ? in : out, out, n);
                                else
                                    qbBiquadRun(sections[k].streams.at(0), r[k], k == 0 ? in : out, out, n);
                            }
                        };
                        for (bool inPlace : {false, true}) {
                            SCOPED_TRACE(::testing::Message() << qbSimdName(level) << " per sample " << perSample
                                                              << " count " << count << " offset " << offset << " n "
                                                              << n << " in place " << inPlace);
                            expectSameRun([&](QB_BiquadState* s, const float* in,
                                              float* out) { kernel(sections, s, count, in, out, n); },
                                          oneAfterTheOther, start, input, offset, n, inPlace);
                            if (HasFatalFailure()) return;
                            // Two channels through the same sections side by side: the
                            // checked one, and a second with its own input and states run
                            // by the reference alongside.
                            QB_BiquadState second[8], secondRef[8];
                            std::copy(otherStart, otherStart + 8, second);
                            std::copy(otherStart, otherStart + 8, secondRef);
                            std::vector<float> secondOut(kSpan + 8, kGuard), secondRefOut(kSpan + 8, kGuard);
                            if (inPlace) {
                                std::copy(other.begin(), other.begin() + n, secondOut.begin() + offset);
                                std::copy(other.begin(), other.begin() + n, secondRefOut.begin() + offset);
                            }
                            expectSameRun(
                                [&](QB_BiquadState* s, const float* in, float* out) {
                                    QB_BiquadState* const st[2] = {s, second};
                                    const float* const ins[2] = {in, inPlace ? secondOut.data() + offset : other.data()};
                                    float* const outs[2] = {out, secondOut.data() + offset};
                                    pair(sections, count, st, ins, outs, n);
                                },
                                [&](QB_BiquadState* r, const float* in, float* out) {
                                    oneAfterTheOther(r, in, out);
                                    oneAfterTheOther(secondRef, inPlace ? secondRefOut.data() + offset : other.data(),
                                                     secondRefOut.data() + offset);
                                },
                                start, input, offset, n, inPlace);
                            if (HasFatalFailure()) return;
                            for (size_t i = 0; i < secondOut.size(); ++i)
                                ASSERT_TRUE(sameBits(secondOut[i], secondRefOut[i])) << "second channel at " << i;
                            for (int k = 0; k < 8; ++k)
                                ASSERT_TRUE(sameState(second[k], secondRef[k])) << "second channel section " << k;
                        }
                    }
                }
            }
        }
    }
}

TEST(BiquadCascade, TheForcedLevelIsCappedByWhatTheProcessorSupports) {
    qbSimdForce(QB_SimdLevel::kAvx512);
    EXPECT_EQ(qbSimdLevel(), qbSimdSupported());
    qbSimdForce(QB_SimdLevel::kScalar);
    EXPECT_EQ(qbSimdLevel(), QB_SimdLevel::kScalar);
    qbSimdRelease();
}

}  // namespace
