// Cost per audio sample of the signal modules that run side by side: the five pitch
// trackers, one after the other (scalar) or in the lanes of a SIMD level, every tracker
// gliding linearly (as in "Dynamic EQ") or a mix of both glides; and the peak follower
// with the meter that reads it, one after the other or in one loop.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "bench/bench_support.h"
#include "dsp/modules/level_follow.h"
#include "dsp/modules/metering.h"
#include "dsp/modules/peak_hold.h"
#include "dsp/modules/pitch_detect.h"

namespace {

using namespace bench;
using Detector = QB_DSP_Pitch_Detect;

// A bass and a melody over the ring, as the trackers hear them after the prefilters.
std::vector<float> toneRing() {
    std::vector<float> v(kRing + 4);
    for (uint32_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<float>(0.5 * std::sin(0.049 * i) + 0.3 * std::sin(0.31 * i + 0.2));
    return v;
}

// Args: SIMD level (0 scalar: one after the other), mixed glides (1) or all linear.
void BM_PitchTrackers(benchmark::State& state) {
    const auto level = static_cast<QB_SimdLevel>(state.range(0));
    if (!supported(state, level)) return;
    Host host;
    const std::vector<float> in = toneRing();
    QB_ModuleBase source(&host, false);  // where the input comes from, for the modules' wiring
    std::unique_ptr<Detector> d[5];
    QB_ModuleBase* members[5];
    qbSimdForce(level);
    for (int k = 0; k < 5; ++k) {
        d[k] = std::make_unique<Detector>(&host, false);
        members[k] = host.moduleTable[k] = d[k].get();
        d[k]->sources[Detector::kInSignal] = &source;
        d[k]->setInput(Detector::kInSignal, in.data());
        d[k]->onOutputConnected(Detector::kOutStream, 0);
        d[k]->prepare();
        const bool exponential = state.range(1) != 0 && k % 2 == 0;
        d[k]->postEvent(0, Detector::kInMode, 0, exponential ? 1 : 0, 0.0f, 0);
        d[k]->postEvent(0, Detector::kInResponse, 0, 0, 0.5f + k, 0);
        d[k]->processBlock(0, kRing);  // takes the settings and announces the output
    }
    qbSimdRelease();
    host.moduleCount = 5;
    for (auto _ : state) {
        host.samplePosition += kRing;
        for (auto& x : d) x->time = host.samplePosition;
        Detector::trackTogether(members, 5, 0, kRing);
        benchmark::DoNotOptimize(d[4]->outputs[0][kRing - 1]);
    }
    countSamples(state);
    for (int k = 0; k < 5; ++k) host.moduleTable[k] = nullptr;
}
BENCHMARK(BM_PitchTrackers)->ArgsProduct({{0, 2, 3}, {0, 1}})->ArgNames({"simd", "mixed"});

// Args: together (1) or one after the other (0).
void BM_PeakAndMeter(benchmark::State& state) {
    Host host;
    std::vector<float> left = toneRing(), right = left;
    for (float& x : right) x *= -0.8f;
    QB_DSP_Peak_Hold peak(&host, false);
    QB_DSP_Metering meter(&host, false);
    host.moduleTable[0] = &peak, host.moduleTable[1] = &meter, host.moduleCount = 2;
    QB_ModuleBase source(&host, false);  // where the input comes from, for the modules' wiring
    peak.sources[QB_DSP_Peak_Hold::kIn0] = peak.sources[QB_DSP_Peak_Hold::kIn1] = &source;
    meter.sources[QB_DSP_Metering::kIn0] = &peak;
    peak.setInput(QB_DSP_Peak_Hold::kIn0, left.data());
    peak.setInput(QB_DSP_Peak_Hold::kIn1, right.data());
    meter.setInput(QB_DSP_Metering::kIn0, peak.out);
    peak.prepare();
    meter.prepare();
    peak.postEvent(0, QB_DSP_Peak_Hold::kInEnable, 0, 1, 0.0f, 0);
    peak.processBlock(0, kRing);
    meter.processBlock(0, kRing);
    QB_ModuleBase* const members[2] = {&peak, &meter};
    const bool together = state.range(0) != 0;
    for (auto _ : state) {
        host.samplePosition += kRing;
        peak.time = meter.time = host.samplePosition;
        if (together) kQbLevelFollow.run(members, 2, 0, kRing);
        else peak.runRoutine(0, kRing), meter.runRoutine(0, kRing);
        benchmark::DoNotOptimize(meter.out[kRing - 1]);
    }
    countSamples(state);
    host.moduleTable[0] = host.moduleTable[1] = nullptr;
}
BENCHMARK(BM_PeakAndMeter)->Arg(0)->Arg(1)->ArgName("together");

}  // namespace
