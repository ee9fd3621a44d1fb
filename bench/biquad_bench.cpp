// Cost of the filter engines per audio sample: the five-band multi engine with one
// coefficient set per call and with coefficients read per sample, the static biquad's
// five-section cascade (the prefilter configuration) and the per-sample peaking design,
// the last two with each SIMD level.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bench/bench_support.h"
#include "dsp/framework/graph_host.h"
#include "eq/biquad_design.h"
#include "eq/biquad_multi_engine.h"
#include "eq/biquad_static.h"

namespace {

using namespace bench;

void runBlocks(benchmark::State& state, Host& host, QB_ModuleBase& m) {
    for (auto _ : state) {
        m.processBlock(0, kRing);
        host.samplePosition += kRing;
        benchmark::DoNotOptimize(m.outputs[0][kRing - 1]);
    }
    countSamples(state);
}

void BM_MultiEngineFiveBands(benchmark::State& state) {
    const bool perSample = state.range(0) != 0;
    const auto level = static_cast<QB_SimdLevel>(state.range(1));
    if (!supported(state, level)) return;
    Host host;
    const std::vector<float> audio = noiseRing();
    // Five peaking bands; per sample, each offset holds a slightly different set.
    std::vector<float> streams[QB_DSP_BiQuad_Multi_Engine::kBands][5];
    const QB_BiquadDesign d = qbBeginDesign(host.tables, qbIndexScale(kSampleRate), 9, 0, true, 0.5f);
    for (int k = 0; k < QB_DSP_BiQuad_Multi_Engine::kBands; ++k) {
        for (auto& s : streams[k]) s.resize(kRing + 4);
        for (uint32_t i = 0; i < kRing + 4; ++i) {
            const QB_BiquadCoefficients c = qbDesignAt(d, 10.0f + 150.0f * k, 0.1f + 0.0005f * i);
            const float v[5] = {c.b0, c.b1, c.b2, c.a1, c.a2};
            for (int p = 0; p < 5; ++p) streams[k][p][i] = v[p];
        }
    }
    QB_DSP_BiQuad_Multi_Engine engine(&host, false);
    host.moduleTable[0] = &engine;
    host.moduleCount = 1;
    engine.setInput(QB_DSP_BiQuad_Multi_Engine::kAudioIn, audio.data());
    for (int k = 0; k < QB_DSP_BiQuad_Multi_Engine::kBands; ++k)
        for (int p = 0; p < 5; ++p) engine.setInput(QB_DSP_BiQuad_Multi_Engine::bandPort(k, p), streams[k][p].data());
    qbSimdForce(level);
    engine.prepare();
    qbSimdRelease();
    engine.postEvent(0, QB_DSP_BiQuad_Multi_Engine::kAudioIn, 1, 0, 0.0f, 0);
    engine.postEvent(0, QB_DSP_BiQuad_Multi_Engine::kPerSampleAllowedIn, 0, 1, 0.0f, 0);
    for (int k = 0; k < QB_DSP_BiQuad_Multi_Engine::kBands; ++k) {
        engine.postEvent(0, QB_DSP_BiQuad_Multi_Engine::bandPort(k, 0), perSample ? 1 : 0, 0, 0.0f, 0);
        engine.postEvent(0, QB_DSP_BiQuad_Multi_Engine::bandPort(k, 5), 0, 1, 1.0f, 0);
    }
    runBlocks(state, host, engine);
    host.moduleTable[0] = nullptr;
}
BENCHMARK(BM_MultiEngineFiveBands)->ArgsProduct({{0, 1}, {0, 1, 2}})->ArgNames({"perSample", "simd"});

// Two channels through five peaking sections with the same sets (the left and right
// engines), three of the five per sample as "Dynamic EQ" has them (perSample:1) or none.
void BM_SeriesPairFiveBands(benchmark::State& state) {
    const bool perSample = state.range(0) != 0;
    const auto level = static_cast<QB_SimdLevel>(state.range(1));
    if (!supported(state, level)) return;
    Host host;
    const std::vector<float> left = noiseRing(), right = noiseRing();
    std::vector<float> streams[5][5], outL(kRing + 4), outR(kRing + 4);
    QB_SectionCoefficients sections[5];
    const QB_BiquadDesign d = qbBeginDesign(host.tables, qbIndexScale(kSampleRate), 9, 0, true, 0.5f);
    for (int k = 0; k < 5; ++k) {
        for (auto& s : streams[k]) s.resize(kRing + 4);
        for (uint32_t i = 0; i < kRing + 4; ++i) {
            const QB_BiquadCoefficients c = qbDesignAt(d, 10.0f + 150.0f * k, 0.1f + 0.0005f * i);
            const float v[5] = {c.b0, c.b1, c.b2, c.a1, c.a2};
            for (int p = 0; p < 5; ++p) streams[k][p][i] = v[p];
        }
        const QB_CoefficientStreams c = {streams[k][0].data(), streams[k][1].data(), streams[k][2].data(),
                                         streams[k][3].data(), streams[k][4].data()};
        sections[k] = {c, perSample && (0b01011 >> k & 1) != 0};
    }
    QB_BiquadState states[2][5] = {};
    QB_BiquadState* const st[2] = {states[0], states[1]};
    const float* const in[2] = {left.data(), right.data()};
    float* const out[2] = {outL.data(), outR.data()};
    const QB_BiquadSeriesPairFn pair = qbBiquadSeriesPairFor(level);
    for (auto _ : state) {
        pair(sections, 5, st, in, out, kRing);
        benchmark::DoNotOptimize(outR[kRing - 1]);
    }
    countSamples(state);
}
BENCHMARK(BM_SeriesPairFiveBands)->ArgsProduct({{0, 1}, {2, 3}})->ArgNames({"perSample", "simd"});

// Arg: the SIMD level (0 scalar, 1 SSE2, 2 AVX2), forced while the module prepares.
void BM_StaticFiveSectionCascade(benchmark::State& state) {
    const auto level = static_cast<QB_SimdLevel>(state.range(0));
    if (!supported(state, level)) return;
    Host host;
    const std::vector<float> audio = noiseRing();
    const std::vector<float> frequency(kRing + 4, 240.0f), zero(kRing + 4, 0.0f);
    QB_DSP_BiQuad_Static prefilter(&host, false);
    host.moduleTable[0] = &prefilter;
    host.moduleCount = 1;
    prefilter.setInput(QB_DSP_BiQuad_Static::kAudioIn1, audio.data());
    prefilter.setInput(QB_DSP_BiQuad_Static::kFrequencyIn, frequency.data());
    prefilter.setInput(QB_DSP_BiQuad_Static::kWidthIn, zero.data());
    prefilter.setInput(QB_DSP_BiQuad_Static::kGainIn, zero.data());
    qbSimdForce(level);
    prefilter.prepare();
    qbSimdRelease();
    prefilter.postEvent(0, QB_DSP_BiQuad_Static::kAudioIn1, 1, 0, 0.0f, 0);
    prefilter.postEvent(0, QB_DSP_BiQuad_Static::kTypeIn, 0, 1, 0.0f, 0);
    prefilter.postEvent(0, QB_DSP_BiQuad_Static::kSectionsIn, 0, 4, 0.0f, 0);
    runBlocks(state, host, prefilter);
    host.moduleTable[0] = nullptr;
}
BENCHMARK(BM_StaticFiveSectionCascade)->Arg(0)->Arg(1)->Arg(2)->ArgName("simd");

// Prefilter chains that read one input (three or four, as in the two waves of the
// graph): five sections each, per ring and per chain, run one after the other
// (together:0, ring calls of the single cascade) or in one call (together:1).
void BM_CascadesOfFive(benchmark::State& state) {
    const bool together = state.range(0) != 0;
    const auto level = static_cast<QB_SimdLevel>(state.range(1));
    const int count = static_cast<int>(state.range(2));
    if (!supported(state, level)) return;
    Host host;
    const std::vector<float> audio = noiseRing();
    std::vector<float> out[7];
    QB_BiquadState states[7][5] = {};
    QB_CascadeJob jobs[7];
    for (int j = 0; j < count; ++j) {
        out[j].resize(kRing + 4);
        const QB_BiquadDesign d = qbBeginDesign(host.tables, qbIndexScale(kSampleRate), j == 0 ? 1 : 4, 4, true, 0);
        jobs[j] = {qbDesignAt(d, 100.0f + 700.0f * j, 0), states[j], 5, audio.data(), out[j].data()};
    }
    const QB_BiquadCascadeFn one = qbBiquadCascadeFor(level);
    const QB_BiquadCascadesFn all = qbBiquadCascadesFor(level);
    for (auto _ : state) {
        if (together) all(jobs, count, kRing);
        else
            for (int j = 0; j < count; ++j) one(jobs[j].c, jobs[j].states, jobs[j].count, jobs[j].in, jobs[j].out, kRing);
        benchmark::DoNotOptimize(out[count - 1][kRing - 1]);
    }
    countSamples(state);
}
BENCHMARK(BM_CascadesOfFive)->ArgsProduct({{0, 1}, {0, 1, 2}, {3, 4}})->ArgNames({"together", "simd", "jobs"});

// The graph's seven prefilter chains of five sections: four read the input and three of
// them feed one more chain each. In two waves of independent chains (chains:0) or packed
// lane after lane in one pass (chains:1, with AVX-512).
void BM_PrefilterChains(benchmark::State& state) {
    const bool packed = state.range(0) != 0;
    const auto level = static_cast<QB_SimdLevel>(state.range(1));
    if (!supported(state, level)) return;
    const QB_BiquadChainsFn chains = qbBiquadChainsFor(level);
    if (packed && chains == nullptr) return state.SkipWithError("no packed kernel at this level");
    Host host;
    const std::vector<float> audio = noiseRing();
    std::vector<float> out[7];
    QB_BiquadState states[7][5] = {};
    QB_CascadeJob jobs[7];
    const int source[7] = {-1, -1, 1, -1, 3, -1, 5};  // graph order: a follower after its source
    for (int j = 0; j < 7; ++j) {
        out[j].resize(kRing + 4);
        const QB_BiquadDesign d = qbBeginDesign(host.tables, qbIndexScale(kSampleRate), j == 0 ? 1 : 4, 4, true, 0);
        const float* in = source[j] < 0 ? audio.data() : out[source[j]].data();
        jobs[j] = {qbDesignAt(d, 100.0f + 700.0f * j, 0), states[j], 5, in, out[j].data()};
    }
    const QB_CascadeJob first[4] = {jobs[0], jobs[1], jobs[3], jobs[5]}, second[3] = {jobs[2], jobs[4], jobs[6]};
    const QB_BiquadCascadesFn waves = qbBiquadCascadesFor(level);
    for (auto _ : state) {
        if (!packed || !chains(jobs, 7, kRing)) waves(first, 4, kRing), waves(second, 3, kRing);
        benchmark::DoNotOptimize(out[6][kRing - 1]);
    }
    countSamples(state);
}
BENCHMARK(BM_PrefilterChains)->Args({0, 1})->Args({0, 2})->Args({0, 3})->Args({1, 3})->ArgNames({"chains", "simd"});

// Type 9 designs per sample over a ring, every sample a different gain, and a different
// frequency too unless held (as the control law holds it over a sub-block).
void BM_PeakingDesignPerSample(benchmark::State& state) {
    const auto level = static_cast<QB_SimdLevel>(state.range(0));
    const bool held = state.range(1) != 0;
    Host host;
    const QB_BiquadDesign d = qbBeginDesign(host.tables, qbIndexScale(kSampleRate), 9, 0, true, 0.5f);
    std::vector<float> f(kRing), u(kRing), streams[5];
    for (uint32_t i = 0; i < kRing; ++i) f[i] = held ? 440.0f : 50.0f + 3.0f * i, u[i] = -0.3f + 0.004f * i;
    float* out[5];
    for (int k = 0; k < 5; ++k) out[k] = (streams[k].resize(kRing), streams[k].data());
    for (auto _ : state) {
        qbDesignRun(level, d, f.data(), u.data(), out, kRing);
        benchmark::DoNotOptimize(streams[4][kRing - 1]);
    }
    countSamples(state);
}
BENCHMARK(BM_PeakingDesignPerSample)->ArgsProduct({{0, 1, 2, 3}, {0, 1}})->ArgNames({"simd", "held"});

}  // namespace
