// Measures what a stereo processor does to sines, by playing signals through it block by
// block: tones, the steady-state transfer (gain and phase) at one frequency, and the peak
// or dip of the magnitude response within a frequency range.
#pragma once

#include <complex>
#include <cstdint>
#include <functional>
#include <vector>

// One block of stereo audio through the processor under test.
using StereoBlockFn =
    std::function<void(const float* inL, const float* inR, float* outL, float* outR, int32_t frames)>;

struct Sine {
    double hz;
    double amplitude;
};

class ResponseProbe {
public:
    // -40 dBFS: low enough that a level-dependent gain stays near its floor.
    static constexpr double kProbeLevel = 0.01;

    ResponseProbe(StereoBlockFn process, double sampleRate, int32_t blockSize = 512);

    // Plays frames of input(n) on both channels, n counting every frame this probe has
    // played; observe(n, in, left, right) sees each output frame (may be empty).
    using Input = std::function<float(int64_t n)>;
    using Observe = std::function<void(int64_t n, float in, float left, float right)>;
    void run(int64_t frames, const Input& input, const Observe& observe = {});

    // Plays the sum of the tones for the given time. A tone's phase follows the probe's
    // frame count, so playing the same tones again continues them without a jump.
    void play(const std::vector<Sine>& tones, double seconds);

    // Steady-state transfer out/in at hz: a sine of the amplitude plays for a settle time
    // (at least 30 ms and 6 periods), then a Hann-weighted correlation with the tone over
    // a window (at least 50 ms and 16 periods) gives the complex ratio per channel.
    struct Transfer {
        std::complex<double> left, right;
        double leftDb() const;
        double rightDb() const;
    };
    Transfer measure(double hz, double amplitude = kProbeLevel);
    double gainDb(double hz, double amplitude = kProbeLevel) { return measure(hz, amplitude).leftDb(); }

    // Largest (peak) or smallest (dip) left-channel gain between loHz and hiHz: a grid of
    // 12 steps per octave, then a golden-section search in log frequency around the best
    // grid point, down to a bracket of 0.05 %.
    struct Extremum {
        double hz;
        double db;
    };
    Extremum peak(double loHz, double hiHz, double amplitude = kProbeLevel);
    Extremum dip(double loHz, double hiHz, double amplitude = kProbeLevel);

    int64_t framesPlayed() const { return clock_; }
    double sampleRate() const { return rate_; }

private:
    Extremum extremum(double loHz, double hiHz, double amplitude, double sign);

    StereoBlockFn process_;
    double rate_;
    int32_t block_;
    int64_t clock_ = 0;
    std::vector<float> inL_, inR_, outL_, outR_;
};
