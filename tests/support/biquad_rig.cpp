#include "support/biquad_rig.h"

#include <cmath>
#include <random>
#include "support/math_constants.h"

RecordingModule* addConstantStream(TestGraph& g, float value) {
    RecordingModule* m = g.make<RecordingModule>();
    for (int32_t i = 0; i < g.internalBlockSize + 4; ++i) m->outputs[0][i] = value;
    return m;
}

void announce(TestGraph& g, QB_ModuleBase* source, uint16_t rateFlag) {
    source->sendEvent(g.samplePosition, 0, rateFlag, 0, 0.0f, 0);
}

void setStream(TestGraph& g, RecordingModule* stream, float value, uint16_t rateFlag) {
    for (int32_t i = 0; i < g.internalBlockSize + 4; ++i) stream->outputs[0][i] = value;
    announce(g, stream, rateFlag);
}

DesignedBand addDesignedBand(TestGraph& g, int type, float frequency, float width, float gain) {
    DesignedBand b;
    b.frequency = addConstantStream(g, frequency);
    b.width = addConstantStream(g, width);
    b.gain = addConstantStream(g, gain);
    b.designer = g.make<QB_DSP_BiQuad_Coeff>();
    g.wire(b.frequency, 0, b.designer, QB_DSP_BiQuad_Coeff::kFrequencyIn);
    g.wire(b.width, 0, b.designer, QB_DSP_BiQuad_Coeff::kWidthIn);
    g.wire(b.gain, 0, b.designer, QB_DSP_BiQuad_Coeff::kGainIn);
    for (RecordingModule* s : {b.frequency, b.width, b.gain}) announce(g, s, 0);
    b.designer->postEvent(g.samplePosition, QB_DSP_BiQuad_Coeff::kTypeIn, 0, type, 0.0f, 0);
    return b;
}

void wireBand(TestGraph& g, QB_ModuleBase* designer, QB_DSP_BiQuad_Multi_Engine* engine, int band) {
    for (int k = 0; k <= 5; ++k) g.wire(designer, k, engine, QB_DSP_BiQuad_Multi_Engine::bandPort(band, k));
}

std::vector<float> runCapture(TestGraph& g, RecordingModule* source, const float* tap, uint32_t frames,
                              const std::function<float(uint32_t)>& signal,
                              const std::vector<uint32_t>& blockSizes) {
    std::vector<float> y;
    y.reserve(frames);
    float* ring = source->outputs[0];
    uint32_t done = 0;
    size_t k = 0;
    while (done < frames) {
        uint32_t n = blockSizes[k++ % blockSizes.size()];
        if (n == 0) n = 1;
        if (n > frames - done) n = frames - done;
        const uint32_t room = static_cast<uint32_t>(g.internalBlockSize) - g.ringPosition;
        if (n > room) n = room;
        const uint32_t p = g.ringPosition;
        for (uint32_t i = 0; i < n; ++i) ring[p + i] = signal(done + i);
        g.runSubBlock(n);
        y.insert(y.end(), tap + p, tap + p + n);
        done += n;
    }
    return y;
}

double toneAmplitude(const std::vector<float>& y, size_t from, double hz, int32_t sampleRate) {
    const size_t n = y.size() - from;
    double re = 0.0, im = 0.0, weights = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / static_cast<double>(n - 1));
        const double phase = 2.0 * kPi * hz * static_cast<double>(from + i) / sampleRate;
        re += w * y[from + i] * std::cos(phase);
        im += w * y[from + i] * std::sin(phase);
        weights += w;
    }
    return 2.0 * std::sqrt(re * re + im * im) / weights;
}

double measuredGain(TestGraph& g, RecordingModule* source, const float* tap, double hz) {
    const int32_t fs = g.sampleRateInt;
    const std::vector<float> y = runCapture(g, source, tap, static_cast<uint32_t>(fs), [&](uint32_t n) {
        return static_cast<float>(std::sin(2.0 * kPi * hz * n / fs));
    });
    return toneAmplitude(y, y.size() / 2, hz, fs);
}

std::vector<float> noise(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    std::vector<float> v(n);
    for (float& x : v) x = d(rng);
    return v;
}
