// Every factory program through the built plug-in with music-like material at the common
// host rates: tones, chords, noise, silence, fades and full-scale peaks, in host blocks of
// changing sizes. The output must stay finite and bounded and must not sit in denormal
// numbers. CI plays each kind of material once (6 s per program and rate);
// ORVAN_LONG_TESTS=1 plays a minute.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/hosted_plugin.h"
#include "support/measurement_report.h"
#include "plugin/parameters.h"

namespace {

constexpr double kTwoPi = 6.283185307179586476925;

// Deterministic stereo material, one second of each kind in turn.
class Material {
public:
    explicit Material(double rate) : rate_(rate) {}

    void next(int64_t n, float& left, float& right) {
        const double t = static_cast<double>(n) / rate_;
        const int64_t second = static_cast<int64_t>(t);
        const double u = t - static_cast<double>(second);  // position within the second
        double l = 0.0, r = 0.0;
        switch (second % 6) {
            case 0: {  // bass and a melody that changes note every 250 ms
                static const double notes[8] = {220.0, 246.9, 261.6, 293.7, 329.6, 392.0, 440.0, 523.3};
                const double bass = 55.0 * (1 + (second / 6) % 3);
                const double melody = notes[(second * 4 + static_cast<int64_t>(u * 4.0)) % 8];
                l = 0.4 * std::sin(kTwoPi * bass * t) + harmonics(melody, t, 0.3);
                r = 0.3 * std::sin(kTwoPi * bass * t) + harmonics(melody * 1.5, t, 0.25);
                break;
            }
            case 1: {  // a four-note chord
                static const double chord[4] = {130.8, 164.8, 196.0, 246.9};
                for (double f : chord) {
                    l += harmonics(f, t, 0.18);
                    r += harmonics(f * 1.003, t, 0.18);
                }
                break;
            }
            case 2:  // white noise, independent per channel
                l = 0.5 * noise();
                r = 0.5 * noise();
                break;
            case 3:  // digital silence
                break;
            case 4:  // full-scale clicks, a full-scale square wave, a full-scale sweep
                if (u < 0.4) {
                    const int64_t k = static_cast<int64_t>(u * 100.0);
                    const bool click = n == static_cast<int64_t>((static_cast<double>(second) + k / 100.0) * rate_);
                    l = r = click ? (k % 2 ? -1.0 : 1.0) : 0.0;
                } else if (u < 0.7) {
                    l = std::sin(kTwoPi * 100.0 * t) >= 0.0 ? 1.0 : -1.0;
                    r = -l;
                } else {
                    const double top = std::min(20000.0, 0.45 * rate_);
                    const double x = (u - 0.7) / 0.3;
                    const double phase = 20.0 * 0.3 / std::log(top / 20.0) * (std::pow(top / 20.0, x) - 1.0);
                    l = r = std::sin(kTwoPi * phase);
                }
                break;
            default:  // a chord fading by 240 dB per second into silence
                if (u < 0.5) {
                    const double gain = std::pow(10.0, -12.0 * u);
                    l = gain * harmonics(110.0, t, 0.5);
                    r = gain * harmonics(165.0, t, 0.5);
                }
                break;
        }
        left = static_cast<float>(l);
        right = static_cast<float>(r);
    }

private:
    static double harmonics(double f, double t, double amplitude) {
        return amplitude * (std::sin(kTwoPi * f * t) + 0.5 * std::sin(kTwoPi * 2.0 * f * t) +
                            0.25 * std::sin(kTwoPi * 3.0 * f * t));
    }
    double noise() {
        seed_ = seed_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(seed_ >> 11) / 4503599627370496.0 - 1.0;  // [-1, 1)
    }

    double rate_;
    uint64_t seed_ = 12345;
};

struct OutputCheck {
    int64_t nonFinite = 0;
    int64_t denormals = 0;
    int64_t longestDenormalRun = 0;
    float largest = 0.f;

    void see(float x, int64_t& run) {
        if (!std::isfinite(x)) {
            ++nonFinite;
            return;
        }
        const float a = std::fabs(x);
        largest = std::max(largest, a);
        if (a != 0.f && a < FLT_MIN) {
            ++denormals;
            longestDenormalRun = std::max(longestDenormalRun, ++run);
        } else {
            run = 0;
        }
    }
};

double secondsPerProgram() { return std::getenv("ORVAN_LONG_TESTS") != nullptr ? 60.0 : 6.0; }

class FactoryPrograms : public ::testing::TestWithParam<float> {};

TEST_P(FactoryPrograms, EveryProgramPlaysMusicWithoutNaNInfinityBlowUpOrSustainedDenormals) {
    const float rate = GetParam();
    const int32_t sizes[] = {512, 300, 64, 511, 17, 128, 1};
    const int64_t frames = static_cast<int64_t>(secondsPerProgram() * rate);
    for (int32_t program = 0; program < kNumPrograms; ++program) {
        HostedPlugin plugin(ORVAN_PLUGIN_PATH, rate, 512, program);
        ASSERT_TRUE(plugin.ok()) << plugin.error();
        const std::string name = plugin.host().getString(effGetProgramName);
        Material material(rate);
        OutputCheck check;
        int64_t runL = 0, runR = 0;
        std::vector<float> inL(512), inR(512), outL(512), outR(512);
        int64_t n = 0;
        for (int block = 0; n < frames; ++block) {
            const int32_t count = static_cast<int32_t>(std::min<int64_t>(sizes[block % 7], frames - n));
            for (int32_t i = 0; i < count; ++i) material.next(n + i, inL[i], inR[i]);
            plugin.host().processReplacing(inL.data(), inR.data(), outL.data(), outR.data(), count);
            for (int32_t i = 0; i < count; ++i) {
                check.see(outL[i], runL);
                check.see(outR[i], runR);
            }
            n += count;
        }
        EXPECT_EQ(check.nonFinite, 0) << "program " << program << " \"" << name << "\"";
        EXPECT_LT(check.largest, 16.f) << "program " << program << " \"" << name << "\"";
        // A filter tail may pass through a few denormal samples on its way to zero; a
        // run of a millisecond would be a recursion stuck in them.
        EXPECT_LT(check.longestDenormalRun, static_cast<int64_t>(rate / 1000.f))
            << "program " << program << " \"" << name << "\", " << check.denormals << " denormal samples";
        reportFigure("program %2d %-16s fs=%.0f %.0f s: largest |out| %.3f, non-finite %lld, denormals %lld "
                     "(longest run %lld)",
                     program, name.c_str(), rate, secondsPerProgram(), check.largest,
                     static_cast<long long>(check.nonFinite), static_cast<long long>(check.denormals),
                     static_cast<long long>(check.longestDenormalRun));
    }
}

INSTANTIATE_TEST_SUITE_P(AtHostRates, FactoryPrograms, ::testing::Values(44100.f, 48000.f, 96000.f));

}  // namespace
