// A console host that renders the same synthetic stereo material through every program
// of a plug-in at 44.1 and 96 kHz and writes the raw output, for comparing builds of one
// plug-in byte for byte (the Linux library against the Windows DLLs, say).
//
//   orvan_render_programs PLUGIN OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/pNN_RATE.f32 (interleaved little-endian 32-bit floats, left then
// right) for each program NN, and prints one line per render with an FNV-1a hash of its
// bytes. The material is made with additions and multiplications only, so it is the same
// on every platform; the host block size changes from block to block, and a few
// parameters move half-way through, as a host's automation would.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/vst_host.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

// sin and cos of x in [-pi, pi] from their series: no library call whose last bit could
// differ between runtimes.
void sinCos(double x, double* s, double* c) {
    double term = x, sum = x;
    for (int n = 1; n < 30; ++n) {
        term = -term * x * x / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    *s = sum;
    term = 1.0;
    double csum = 1.0;
    for (int n = 1; n < 30; ++n) {
        term = -term * x * x / ((2.0 * n - 1.0) * (2.0 * n));
        csum += term;
    }
    *c = csum;
}

// A sine oscillator turned by a fixed rotation per sample.
struct Oscillator {
    Oscillator(double hz, double rate) {
        double angle = kTwoPi * hz / rate;
        while (angle > kTwoPi / 2) angle -= kTwoPi;
        sinCos(angle, &sinStep, &cosStep);
    }
    double next() {
        const double s = y * cosStep + x * sinStep;
        x = x * cosStep - y * sinStep;
        y = s;
        return y;
    }
    double sinStep = 0, cosStep = 1, x = 1, y = 0;
};

struct Noise {
    uint32_t state = 0x12345678u;
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 4294967296.0 - 0.5;
    }
};

// Seconds of material: a bass walking over four notes, a melody with two harmonics that
// changes note every quarter second, quiet noise, a loud burst and a stretch of silence.
void makeMaterial(double rate, int64_t frames, std::vector<float>& left, std::vector<float>& right) {
    static const double kBass[4] = {55.0, 73.416, 61.735, 82.407};
    static const double kMelody[8] = {220.0, 246.94, 261.63, 293.66, 329.63, 293.66, 261.63, 246.94};
    left.assign(static_cast<size_t>(frames), 0.f);
    right.assign(static_cast<size_t>(frames), 0.f);
    const int64_t quarter = static_cast<int64_t>(rate / 4);
    Noise noise;
    for (int64_t start = 0; start < frames; start += quarter) {
        const int64_t note = start / quarter;
        Oscillator bass(kBass[(note / 2) % 4], rate);
        Oscillator tone(kMelody[note % 8], rate), second(2 * kMelody[note % 8], rate), third(3 * kMelody[note % 8], rate);
        const bool silent = note % 12 == 11, loud = note % 12 == 5;
        for (int64_t i = start; i < frames && i < start + quarter; ++i) {
            const double fade = (i - start) < 64 ? (i - start) / 64.0 : 1.0;
            const double b = 0.4 * bass.next(), m = 0.25 * tone.next() + 0.1 * second.next() + 0.05 * third.next();
            double l = fade * (b + m) + 0.01 * noise.next(), r = fade * (b + 0.6 * m) + 0.01 * noise.next();
            if (loud) {
                l *= 3.0;
                r *= 3.0;
            }
            if (silent) l = r = 0.0;
            left[static_cast<size_t>(i)] = static_cast<float>(l);
            right[static_cast<size_t>(i)] = static_cast<float>(r);
        }
    }
}

uint64_t fnv1a(const void* data, size_t size, uint64_t hash = 14695981039346656037ull) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    return hash;
}

bool render(const std::string& plugin, VstInt32 program, float rate, const std::string& outPath, std::string* name,
            uint64_t* hash) {
    VstHost host(plugin);
    if (!host.loaded()) {
        std::fprintf(stderr, "cannot load %s: %s\n", plugin.c_str(), host.error().c_str());
        return false;
    }
    if (host.instantiate() == nullptr) return false;
    host.dispatch(effOpen);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    host.dispatch(effSetBlockSize, 0, 1024);
    host.dispatch(effSetProgram, 0, program);
    *name = host.getString(effGetProgramName);
    host.dispatch(effMainsChanged, 0, 1);

    const int64_t frames = static_cast<int64_t>(rate) * 3;
    std::vector<float> inL, inR;
    makeMaterial(rate, frames, inL, inR);
    std::vector<float> outL(inL.size()), outR(inR.size());
    static const VstInt32 kBlocks[] = {512, 64, 1000, 37, 1024, 128, 1, 777};
    int64_t done = 0;
    for (int block = 0; done < frames; ++block) {
        if (block == 40) {
            // Automation half-way: two gains, the bandwidth and the style change.
            host.setParameter(10, 0.8f);
            host.setParameter(12, 0.3f);
            host.setParameter(4, 0.75f);
            host.setParameter(2, 1.0f);
        }
        VstInt32 n = kBlocks[block % 8];
        if (n > frames - done) n = static_cast<VstInt32>(frames - done);
        host.processReplacing(&inL[done], &inR[done], &outL[done], &outR[done], n);
        done += n;
    }
    host.dispatch(effMainsChanged, 0, 0);

    std::vector<float> interleaved(2 * static_cast<size_t>(frames));
    for (int64_t i = 0; i < frames; ++i) {
        interleaved[2 * i] = outL[i];
        interleaved[2 * i + 1] = outR[i];
    }
    const size_t bytes = interleaved.size() * sizeof(float);
    *hash = fnv1a(interleaved.data(), bytes);
    FILE* f = std::fopen(outPath.c_str(), "wb");
    if (f == nullptr) {
        std::perror(outPath.c_str());
        return false;
    }
    const bool written = std::fwrite(interleaved.data(), 1, bytes, f) == bytes;
    return std::fclose(f) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PLUGIN OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string plugin = argv[1], folder = argv[2];
    VstInt32 programs = 0;
    {
        VstHost probe(plugin);
        if (!probe.loaded() || probe.instantiate() == nullptr) {
            std::fprintf(stderr, "cannot load %s: %s\n", plugin.c_str(), probe.error().c_str());
            return 1;
        }
        programs = probe.effect()->numPrograms;
    }
    int failures = 0;
    for (float rate : {44100.f, 96000.f}) {
        for (VstInt32 p = 0; p < programs; ++p) {
            char file[64];
            std::snprintf(file, sizeof file, "p%02d_%d.f32", static_cast<int>(p), static_cast<int>(rate));
            std::string name;
            uint64_t hash = 0;
            if (!render(plugin, p, rate, folder + "/" + file, &name, &hash)) {
                std::fprintf(stderr, "render of program %d at %.0f Hz failed\n", static_cast<int>(p), rate);
                ++failures;
                continue;
            }
            std::printf("%s %016llx %s\n", file, static_cast<unsigned long long>(hash), name.c_str());
        }
    }
    return failures == 0 ? 0 : 1;
}
