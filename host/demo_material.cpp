#include "host/demo_material.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSilenceStart = 6.5;  // seconds
constexpr double kSilenceEnd = 7.1;

struct Note {
    int midi;      // 0 = rest
    double beats;  // length in beats
};

constexpr double kBeat = 0.5;  // seconds, 120 beats per minute

// Bass: a walking line in A minor, two beats per note.
const Note kBass[] = {{33, 2}, {33, 1}, {36, 1}, {38, 2}, {40, 2}, {41, 2}, {40, 1}, {38, 1},
                      {36, 2}, {31, 2}, {33, 2}, {40, 2}, {33, 2}};
// Melody: moves between 220 and 880 Hz with a few leaps.
const Note kMelody[] = {{69, 1}, {72, 0.5}, {76, 0.5}, {74, 1},   {72, 0.5}, {71, 0.5}, {69, 1}, {64, 1},
                        {67, 0.5}, {69, 0.5}, {72, 1}, {79, 1},   {77, 0.5}, {76, 0.5}, {74, 2}, {0, 1},
                        {81, 1},   {79, 0.5}, {76, 0.5}, {72, 1}, {69, 2}};

double midiToHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// The note sounding at time t and the time since it started.
const Note& noteAt(const Note* notes, size_t count, double t, double& sinceStart) {
    double start = 0;
    for (;;) {
        for (size_t i = 0; i < count; ++i) {
            const double length = notes[i].beats * kBeat;
            if (t < start + length) {
                sinceStart = t - start;
                return notes[i];
            }
            start += length;
        }
    }
}

// Attack, decay to a sustain level, and a release before the note's end.
double envelope(double since, double length, double decay) {
    const double attack = std::min(since / 0.008, 1.0);
    const double release = std::min(std::max((length - since) / 0.03, 0.0), 1.0);
    return attack * release * (0.55 + 0.45 * std::exp(-since / decay));
}

// An oscillator with a bank of harmonics, band-limited below the Nyquist frequency.
struct Voice {
    double phase = 0;     // cycles
    double frequency = 0; // glides towards the note's pitch
    double sample(double target, double glide, double sampleRate, int harmonics, double rolloff) {
        frequency = frequency == 0 ? target : frequency + (target - frequency) * glide;
        phase += frequency / sampleRate;
        phase -= std::floor(phase);
        double sum = 0;
        double amplitude = 1;
        for (int k = 1; k <= harmonics && k * frequency < 0.45 * sampleRate; ++k) {
            sum += amplitude * std::sin(2 * kPi * k * phase);
            amplitude *= rolloff;
        }
        return sum;
    }
};

// Pink-ish noise (three one-pole bands over white) from a fixed-seed generator.
struct PinkNoise {
    explicit PinkNoise(uint32_t seed) : state(seed) {}
    double white() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }
    double sample() {
        const double w = white();
        b0 = 0.99765 * b0 + w * 0.0990460;
        b1 = 0.96300 * b1 + w * 0.2965164;
        b2 = 0.57000 * b2 + w * 1.0526913;
        return (b0 + b1 + b2 + w * 0.1848) * 0.2;
    }
    uint32_t state;
    double b0 = 0, b1 = 0, b2 = 0;
};

// 1 while the music plays, 0 in the silence, with short ramps so nothing clicks.
double gate(double t) {
    const double ramp = 0.01;
    if (t < kSilenceStart - ramp || t > kSilenceEnd + ramp) return 1;
    if (t >= kSilenceStart && t <= kSilenceEnd) return 0;
    return t < kSilenceStart ? (kSilenceStart - t) / ramp : (t - kSilenceEnd) / ramp;
}

}  // namespace

StereoBuffer synthesiseDemo(int sampleRate) {
    StereoBuffer out;
    out.sampleRate = sampleRate;
    const auto frames = static_cast<size_t>(kDemoSeconds * sampleRate);
    out.left.resize(frames);
    out.right.resize(frames);
    Voice bass;
    Voice melody;
    PinkNoise noiseL(12345u);
    PinkNoise noiseR(67890u);
    const double glide = 1.0 - std::exp(-1.0 / (0.025 * sampleRate));
    const size_t bassCount = sizeof kBass / sizeof kBass[0];
    const size_t melodyCount = sizeof kMelody / sizeof kMelody[0];
    std::vector<double> left(frames);
    std::vector<double> right(frames);
    double peak = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        double since = 0;
        const Note& b = noteAt(kBass, bassCount, t, since);
        const double bassLevel = 0.30 * envelope(since, b.beats * kBeat, 0.25);
        const double bassSample = bassLevel * bass.sample(midiToHz(b.midi), 1.0, sampleRate, 10, 0.6);

        const Note& m = noteAt(kMelody, melodyCount, t, since);
        double melodySample = 0;
        if (m.midi != 0) {
            // Vibrato sets in after the attack, as a player's would.
            const double depth = std::min(std::max(since - 0.15, 0.0) / 0.2, 1.0) * 0.25;
            const double hz = midiToHz(m.midi) * std::pow(2.0, depth * std::sin(2 * kPi * 5.5 * t) / 12.0);
            melodySample = 0.16 * envelope(since, m.beats * kBeat, 0.4) * melody.sample(hz, glide, sampleRate, 16, 0.78);
        }
        const double g = gate(t);
        const double noise = 0.02;
        left[i] = g * (bassSample + 0.8 * melodySample + noise * noiseL.sample());
        right[i] = g * (bassSample + 1.0 * melodySample + noise * noiseR.sample());
        peak = std::max(peak, std::max(std::fabs(left[i]), std::fabs(right[i])));
    }
    // Peak at -6 dBFS leaves room for boosts.
    const double scale = peak > 0 ? 0.5 / peak : 1;
    for (size_t i = 0; i < frames; ++i) {
        out.left[i] = static_cast<float>(left[i] * scale);
        out.right[i] = static_cast<float>(right[i] * scale);
    }
    return out;
}
