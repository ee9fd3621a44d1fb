#include "support/response_probe.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586476925;
// Starting phase of every tone: keeps the first samples off exact zeros.
constexpr double kPhase = 0.1;

double toDb(std::complex<double> h) { return 20.0 * std::log10(std::abs(h)); }

int64_t framesFor(double seconds, double periods, double hz, double rate) {
    return static_cast<int64_t>(std::ceil(std::max(seconds * rate, periods * rate / hz)));
}

}  // namespace

double ResponseProbe::Transfer::leftDb() const { return toDb(left); }
double ResponseProbe::Transfer::rightDb() const { return toDb(right); }

ResponseProbe::ResponseProbe(StereoBlockFn process, double sampleRate, int32_t blockSize)
    : process_(std::move(process)), rate_(sampleRate), block_(blockSize > 0 ? blockSize : 512) {
    inL_.resize(block_);
    inR_.resize(block_);
    outL_.resize(block_);
    outR_.resize(block_);
}

void ResponseProbe::run(int64_t frames, const Input& input, const Observe& observe) {
    while (frames > 0) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(frames, block_));
        for (int32_t i = 0; i < n; ++i) inL_[i] = inR_[i] = input(clock_ + i);
        process_(inL_.data(), inR_.data(), outL_.data(), outR_.data(), n);
        if (observe)
            for (int32_t i = 0; i < n; ++i) observe(clock_ + i, inL_[i], outL_[i], outR_[i]);
        clock_ += n;
        frames -= n;
    }
}

void ResponseProbe::play(const std::vector<Sine>& tones, double seconds) {
    const double rate = rate_;
    run(static_cast<int64_t>(seconds * rate), [&tones, rate](int64_t n) {
        double s = 0.0;
        for (const Sine& t : tones) s += t.amplitude * std::sin(kTwoPi * t.hz * static_cast<double>(n) / rate + kPhase);
        return static_cast<float>(s);
    });
}

ResponseProbe::Transfer ResponseProbe::measure(double hz, double amplitude) {
    const double w = kTwoPi * hz / rate_;
    auto tone = [w, amplitude](int64_t n) {
        return static_cast<float>(amplitude * std::sin(w * static_cast<double>(n) + kPhase));
    };
    run(framesFor(0.03, 6.0, hz, rate_), tone);

    const int64_t window = framesFor(0.05, 16.0, hz, rate_);
    const int64_t start = clock_;
    std::complex<double> x, l, r;
    run(window, tone, [&](int64_t n, float in, float left, float right) {
        const double k = static_cast<double>(n - start);
        const double hann = 0.5 - 0.5 * std::cos(kTwoPi * (k + 0.5) / static_cast<double>(window));
        const std::complex<double> basis = std::polar(hann, -w * static_cast<double>(n));
        x += basis * static_cast<double>(in);
        l += basis * static_cast<double>(left);
        r += basis * static_cast<double>(right);
    });
    return {l / x, r / x};
}

ResponseProbe::Extremum ResponseProbe::extremum(double loHz, double hiHz, double amplitude, double sign) {
    // Scores are sign x dB: the largest score is the peak (sign 1) or the dip (sign -1).
    auto score = [&](double logHz) { return sign * gainDb(std::exp(logHz), amplitude); };
    const double lo = std::log(loHz);
    const double hi = std::log(hiHz);
    const double step = std::log(2.0) / 12.0;
    const int points = std::max(2, static_cast<int>(std::ceil((hi - lo) / step)) + 1);
    const double spacing = (hi - lo) / (points - 1);

    int best = 0;
    double bestScore = -INFINITY;
    for (int i = 0; i < points; ++i) {
        const double s = score(lo + spacing * i);
        if (std::isnan(s)) return {std::exp(lo + spacing * i), s};  // a broken response fails the caller
        if (s > bestScore) {
            best = i;
            bestScore = s;
        }
    }

    double a = lo + spacing * std::max(0, best - 1);
    double b = lo + spacing * std::min(points - 1, best + 1);
    const double ratio = 0.6180339887498949;
    double c = b - ratio * (b - a);
    double d = a + ratio * (b - a);
    double sc = score(c);
    double sd = score(d);
    while (b - a > 0.0005) {
        if (sc > sd) {
            b = d;
            d = c;
            sd = sc;
            c = b - ratio * (b - a);
            sc = score(c);
        } else {
            a = c;
            c = d;
            sc = sd;
            d = a + ratio * (b - a);
            sd = score(d);
        }
    }
    const double x = sc > sd ? c : d;
    const double s = std::max(sc, sd);
    if (bestScore > s) return {std::exp(lo + spacing * best), sign * bestScore};
    return {std::exp(x), sign * s};
}

ResponseProbe::Extremum ResponseProbe::peak(double loHz, double hiHz, double amplitude) {
    return extremum(loHz, hiHz, amplitude, 1.0);
}

ResponseProbe::Extremum ResponseProbe::dip(double loHz, double hiHz, double amplitude) {
    return extremum(loHz, hiHz, amplitude, -1.0);
}
