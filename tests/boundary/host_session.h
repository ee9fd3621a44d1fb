// A host session for the host-behaviour suite: one instance of the built plug-in, loaded
// through dlopen, set up at a rate and a declared block size, fed a musical test signal
// in host blocks of any size, with its output kept for comparison.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/vst_host.h"
#include "support/math_constants.h"

namespace host_suite {

struct Stereo {
    std::vector<float> left, right;
    size_t size() const { return left.size(); }
    void append(const Stereo& more) {
        left.insert(left.end(), more.left.begin(), more.left.end());
        right.insert(right.end(), more.right.begin(), more.right.end());
    }
};

// Sample n of channel c (0 left, 1 right): a 196 Hz tone with two harmonics, a quieter
// tone a fifth higher on the right, and a slow amplitude swell, so that the detectors
// track, the level moves and both channels differ.
inline float musicalSample(int c, uint64_t n, float rate) {
    const double t = static_cast<double>(n) / rate;
    const double f = c == 0 ? 196.0 : 293.66;
    const double swell = 0.6 + 0.4 * std::sin(2.0 * kPi * 0.7 * t);
    const double tone = std::sin(2.0 * kPi * f * t) + 0.5 * std::sin(4.0 * kPi * f * t + 0.3) +
                        0.25 * std::sin(6.0 * kPi * f * t + 0.7);
    return static_cast<float>(0.25 * swell * tone);
}

// Any signal: sample(channel, n).
using Signal = std::function<float(int, uint64_t)>;

inline bool allFinite(const Stereo& s) {
    for (size_t i = 0; i < s.size(); ++i)
        if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i])) return false;
    return true;
}

// Index of the first frame from which every later frame is finite (size() when the last
// frame is not).
inline size_t finiteFrom(const Stereo& s) {
    size_t from = 0;
    for (size_t i = 0; i < s.size(); ++i)
        if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i])) from = i + 1;
    return from;
}

// Root-mean-square level of frames [from, to) of both channels, in dB.
inline double levelDb(const Stereo& s, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += static_cast<double>(s.left[i]) * s.left[i] + static_cast<double>(s.right[i]) * s.right[i];
    return 10.0 * std::log10(sum / (2.0 * static_cast<double>(to - from)) + 1e-30);
}

// First frame at which two outputs differ bitwise (size when none does).
inline size_t firstDifference(const Stereo& a, const Stereo& b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
        if (std::memcmp(&a.left[i], &b.left[i], sizeof(float)) != 0 ||
            std::memcmp(&a.right[i], &b.right[i], sizeof(float)) != 0)
            return i;
    return n;
}

class Session {
public:
    Session() : host_(ORVAN_PLUGIN_PATH) {
        EXPECT_TRUE(host_.loaded()) << host_.error();
        effect_ = host_.instantiate();
        EXPECT_NE(effect_, nullptr);
    }

    VstHost& host() { return host_; }
    AEffect* effect() { return effect_; }
    bool ok() const { return effect_ != nullptr; }
    float rate() const { return rate_; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.f) {
        return host_.dispatch(opcode, index, value, ptr, opt);
    }
    void setParameter(VstInt32 index, float value) { host_.setParameter(index, value); }
    float getParameter(VstInt32 index) { return host_.getParameter(index); }
    void setProgram(VstInt32 p) { dispatch(effSetProgram, 0, p); }

    // Sets the rate and declared block size and switches processing on.
    void start(float rate, VstInt32 block) {
        rate_ = rate;
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(effSetBlockSize, 0, block);
        dispatch(effMainsChanged, 0, 1);
    }
    void suspend() { dispatch(effMainsChanged, 0, 0); }
    void resume() { dispatch(effMainsChanged, 0, 1); }

    // Plays frames of signal, continuing its clock, in host blocks of hostBlock frames
    // (the last one shorter); answers the output.
    Stereo play(int64_t frames, int64_t hostBlock, const Signal& signal) {
        Stereo out;
        out.left.resize(static_cast<size_t>(frames));
        out.right.resize(static_cast<size_t>(frames));
        std::vector<float> inL, inR;
        for (int64_t done = 0; done < frames;) {
            const int64_t n = frames - done < hostBlock ? frames - done : hostBlock;
            inL.resize(static_cast<size_t>(n));
            inR.resize(static_cast<size_t>(n));
            for (int64_t i = 0; i < n; ++i) {
                inL[i] = signal(0, clock_ + i);
                inR[i] = signal(1, clock_ + i);
            }
            host_.processReplacing(inL.data(), inR.data(), &out.left[done], &out.right[done], static_cast<VstInt32>(n));
            clock_ += static_cast<uint64_t>(n);
            done += n;
        }
        return out;
    }
    // The musical test signal at the session's rate.
    Stereo play(int64_t frames, int64_t hostBlock = 512) {
        const float r = rate_;
        return play(frames, hostBlock, [r](int c, uint64_t n) { return musicalSample(c, n, r); });
    }
    uint64_t clock() const { return clock_; }
    // Starts the signal again from its first sample.
    void restartSignal() { clock_ = 0; }

    // The chunk of the current program (preset) or of the bank, copied.
    std::vector<uint8_t> chunk(bool program) {
        void* data = nullptr;
        const VstIntPtr size = dispatch(effGetChunk, program ? 1 : 0, 0, &data);
        if (data == nullptr || size <= 0) return {};
        const auto* bytes = static_cast<const uint8_t*>(data);
        return std::vector<uint8_t>(bytes, bytes + size);
    }
    VstIntPtr setChunk(std::vector<uint8_t> bytes, bool program) {
        return dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(bytes.size()), bytes.data());
    }
    std::string programName() { return host_.getString(effGetProgramName); }

private:
    VstHost host_;
    AEffect* effect_ = nullptr;
    float rate_ = 44100.f;
    uint64_t clock_ = 0;
};

}  // namespace host_suite
