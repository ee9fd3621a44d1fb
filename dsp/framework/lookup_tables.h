// The eight 2049-entry tables the filter designers interpolate in, so that no
// trigonometric function runs while audio does.
#pragma once

#include <cstdint>

struct QB_LookupTables {
    static constexpr int kSize = 2049;

    // Linear-frequency tables: entry j stands for j * fs / 4096 (entry 0 repeats entry 1).
    float linSin[kSize];
    float linCos[kSize];
    float linTan[kSize];
    float linInvTan[kSize];
    // Pitch-scale tables: entry j stands for 13.75 Hz * 2^(j * 23/2048 - 10), capped
    // below the pitch ceiling.
    float pitchSin[kSize];
    float pitchCos[kSize];
    float pitchTan[kSize];
    float pitchInvTan[kSize];

    // Fills all eight tables for the given integer sample rate and pitch ceiling (Hz).
    // Both must be positive and pitchCeiling at most sampleRateInt / 2.
    void build(int32_t sampleRateInt, int32_t pitchCeiling);
};
