// Drives a TestGraph with a computed signal: the samples are written into a source
// module's output 0 at the ring position, then the sub-block runs.
#pragma once

#include <cmath>
#include <cstdint>

#include "support/test_graph.h"
#include "support/math_constants.h"

// A sine of the given frequency (Hz), amplitude and starting phase (radians).
struct TestTone {
    double hz;
    double amplitude = 1.0;
    double phase = 0.1;  // keeps samples off exact zeros
    double at(uint32_t n, int32_t sampleRate) const {
        return amplitude * std::sin(2.0 * kPi * hz * static_cast<double>(n) / sampleRate + phase);
    }
};

// Runs frames samples of signal(sampleTime) through the graph in sub-blocks of at most
// chunk frames that never cross the ring's end. After each sub-block observe(offset, count)
// sees the ring positions just processed.
template <class Signal, class Observe>
void feedSignal(TestGraph& g, QB_ModuleBase* source, uint32_t frames, Signal signal, Observe observe,
                uint32_t chunk = 128) {
    float* ring = source->outputs[0];
    while (frames > 0) {
        uint32_t n = frames < chunk ? frames : chunk;
        const uint32_t room = static_cast<uint32_t>(g.internalBlockSize) - g.ringPosition;
        if (n > room) n = room;
        const uint32_t offset = g.ringPosition;
        for (uint32_t i = 0; i < n; ++i) ring[offset + i] = static_cast<float>(signal(g.samplePosition + i));
        g.runSubBlock(n);
        observe(offset, n);
        frames -= n;
    }
}

template <class Signal>
void feedSignal(TestGraph& g, QB_ModuleBase* source, uint32_t frames, Signal signal) {
    feedSignal(g, source, frames, signal, [](uint32_t, uint32_t) {});
}
