// What the kernel and module benchmarks share: a graph host with the lookup tables, a
// ring of noise, the per-sample counter and the check for a SIMD level.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "dsp/framework/graph_host.h"
#include "platform/cpu_features.h"

namespace bench {

constexpr uint32_t kRing = 128;
constexpr int32_t kSampleRate = 44100;

struct Host : QB_GraphHost {
    Host() {
        internalBlockSize = kRing;
        sampleRateInt = kSampleRate;
        tables.build(kSampleRate, kSampleRate / 2);
    }
};

// kRing + 4 samples of noise in [-1, 1), the same for the same seed.
inline std::vector<float> noiseRing(uint32_t seed = 1) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    std::vector<float> v(kRing + 4);
    for (float& x : v) x = d(rng);
    return v;
}

// Reports the mean time per audio sample (printed in ns).
inline void countSamples(benchmark::State& state) {
    state.counters["per_sample"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRing,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// False (and the benchmark skipped) when the processor lacks level.
inline bool supported(benchmark::State& state, QB_SimdLevel level) {
    if (static_cast<int>(level) <= static_cast<int>(qbSimdSupported())) return true;
    state.SkipWithError("level not supported by this processor");
    return false;
}

}  // namespace bench
