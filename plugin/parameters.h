// How many controls, host parameters and programs the plug-in has, and the control
// numbers that code and tests name.
#pragma once

#include <cstdint>

#include "dsp/framework/graph_record.h"

constexpr int kNumControls = kGraphNumControls;  // control numbers 0..40
constexpr int kNumParams = 18;                   // 0..17 are the host's parameters
constexpr int kNumPrograms = 16;

namespace QB_Control {

// Host parameters. 0, 1 and 15..17 have no descriptor of their own.
constexpr int32_t kStyle = 2;
constexpr int32_t kHighsMode = 3;
constexpr int32_t kResponse = 4;
constexpr int32_t kBandwidth = 5;
constexpr int32_t kDynamic = 6;
constexpr int32_t kFreeze = 7;
constexpr int32_t kMulti2nd = 8;
constexpr int32_t kMultiHigh = 9;
constexpr int32_t kBass = 10;  // the five gain sliders: Bass, Basic, 2nd Harmonic,
constexpr int32_t kBasic = 11;  // High Harmonic, Highs
constexpr int32_t kSecondHarmonic = 12;
constexpr int32_t kHighHarmonic = 13;
constexpr int32_t kHighs = 14;
constexpr int32_t kNumGains = 5;

// Controls that exist only between the editor and the graph.
constexpr int32_t kMidiInput = 20;             // every MIDI message, as its four bytes
constexpr int32_t kFirstStyleButton = 21;      // 21..23: American, German, British
constexpr int32_t kFirstHighsModeButton = 27;  // 27..29: Mixing, Mastering, A.I.R
constexpr int32_t kFirstGainReadout = 31;      // 31..35 show the gains 10..14
constexpr int32_t kBypass = 36;
constexpr int32_t kReset = 37;
constexpr int32_t kCommand = 38;  // the command module's input

}  // namespace QB_Control
