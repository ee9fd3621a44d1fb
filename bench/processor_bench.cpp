// The whole processor per instance: "Dynamic EQ" on music-like input in host blocks of
// 512, with 1 and 100 instances in one process, each instance processing every block in
// turn as a host does. Reported per instance and per second of audio (the fraction of a
// core one instance costs), at 44.1 and 96 kHz, with the scalar path and the default one.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/cpu_features.h"
#include "plugin/dsp_vst.h"

namespace {

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

constexpr int kBlock = 512;
constexpr int kDynamicEq = 5;  // factory program "Dynamic EQ"

// Args: instances, sample rate, scalar (1) or the default path (0).
void BM_ProcessorInstances(benchmark::State& state) {
    const int instances = static_cast<int>(state.range(0));
    const float rate = static_cast<float>(state.range(1));
    if (state.range(2) != 0) qbSimdForce(QB_SimdLevel::kScalar);
    std::vector<std::unique_ptr<QB_DSP_VST>> vst;
    for (int k = 0; k < instances; ++k) {
        vst.emplace_back(new QB_DSP_VST(host));
        vst.back()->setSampleRate(rate);
        vst.back()->setBlockSize(kBlock);
        vst.back()->resume();
        vst.back()->setProgram(kDynamicEq);
    }
    qbSimdRelease();
    // Four seconds of a bass and a melody with harmonics, played in a loop.
    const size_t frames = static_cast<size_t>(4 * rate) / kBlock * kBlock;
    std::vector<float> left(frames), right(frames), outL(kBlock), outR(kBlock);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double bass = 55.0 * (1 + static_cast<int>(t * 4) % 3), tune = 220.0 * (1 + static_cast<int>(t * 6) % 4);
        left[i] = static_cast<float>(0.4 * std::sin(6.283185307 * bass * t) + 0.2 * std::sin(6.283185307 * tune * t) +
                                     0.1 * std::sin(6.283185307 * 2 * tune * t));
        right[i] = 0.8f * left[i];
    }
    size_t at = 0;
    for (auto _ : state) {
        float* in[2] = {left.data() + at, right.data() + at};
        float* out[2] = {outL.data(), outR.data()};
        for (auto& v : vst) v->processReplacing(in, out, kBlock);
        benchmark::DoNotOptimize(outL[kBlock - 1]);
        at = (at + kBlock) % frames;
    }
    // Seconds of audio per instance: the inverted rate is CPU seconds per audio second.
    state.counters["core_fraction"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * instances * kBlock / rate,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ProcessorInstances)
    ->ArgNames({"instances", "rate", "scalar"})
    ->ArgsProduct({{1, 100}, {44100, 96000}, {1, 0}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
