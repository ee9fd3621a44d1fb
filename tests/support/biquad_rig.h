// Helpers for driving the biquad modules through a TestGraph: constant control streams,
// a designer feeding a band of a multi engine, signal capture and tone measurement.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "eq/biquad_coeff.h"
#include "eq/biquad_multi_engine.h"
#include "support/test_graph.h"

// A RecordingModule used as a stream source: its output 0 holds value at every offset.
RecordingModule* addConstantStream(TestGraph& g, float value);
// Refills a stream source with value and announces it on output 0 with rateFlag.
void setStream(TestGraph& g, RecordingModule* stream, float value, uint16_t rateFlag = 0);
// Announces output 0 of a source module with rateFlag, stamped now.
void announce(TestGraph& g, QB_ModuleBase* source, uint16_t rateFlag);

// A designer fed by three constant streams, its type set by an event.
struct DesignedBand {
    RecordingModule* frequency;
    RecordingModule* width;
    RecordingModule* gain;
    QB_DSP_BiQuad_Coeff* designer;
};
DesignedBand addDesignedBand(TestGraph& g, int type, float frequency, float width, float gain);
// Wires outputs 0..5 of designer to band `band` of engine, as the shipped graph does.
void wireBand(TestGraph& g, QB_ModuleBase* designer, QB_DSP_BiQuad_Multi_Engine* engine, int band);

// Writes signal(n) (n counts from the start of this call) into source's output 0, runs
// the graph in sub-blocks whose sizes cycle through blockSizes (cut at the ring's end)
// and answers what tap holds at the positions just run.
std::vector<float> runCapture(TestGraph& g, RecordingModule* source, const float* tap, uint32_t frames,
                              const std::function<float(uint32_t)>& signal,
                              const std::vector<uint32_t>& blockSizes = {128});

// Amplitude of the component at hz in y[from..], by a Hann-windowed projection.
double toneAmplitude(const std::vector<float>& y, size_t from, double hz, int32_t sampleRate);

// Drives one second of a unit sine at hz and answers the amplitude of tap's output over
// the last half second (the first half lets the filter settle).
double measuredGain(TestGraph& g, RecordingModule* source, const float* tap, double hz);

// Uniform random samples in [-1, 1) from a fixed seed.
std::vector<float> noise(size_t n, uint32_t seed = 1);
