// The plug-in's host parameter numbers and the normalised values that pick its options,
// for tests that drive it as a host or editor does.
#pragma once

#include <cstdint>

namespace eqp {

constexpr int32_t kStyle = 2;
constexpr int32_t kHighsMode = 3;
constexpr int32_t kResponse = 4;
constexpr int32_t kBandwidth = 5;
constexpr int32_t kDynamic = 6;
constexpr int32_t kFreeze = 7;
constexpr int32_t kMulti2nd = 8;
constexpr int32_t kMultiHigh = 9;
constexpr int32_t kBass = 10;
constexpr int32_t kBasic = 11;
constexpr int32_t kSecondHarmonic = 12;
constexpr int32_t kHighHarmonic = 13;
constexpr int32_t kHighs = 14;
// Editor-only controls: reachable in-process, not through the host's setParameter.
constexpr int32_t kBypass = 36;
constexpr int32_t kReset = 37;

// Three-way selectors (Style, Highs Mode): 0, 0.5 and 1 pick the first, second and third.
constexpr float kOption[3] = {0.f, 0.5f, 1.f};
// Gain sliders: 0.5 is 0 (flat), 1 is +5 (full boost), 0 is -5 (full cut).
constexpr float kFlat = 0.5f;
constexpr float kFullBoost = 1.f;
constexpr float kFullCut = 0.f;
// Multi 2nd / Multi High run from 1 down to 0: the button on (x = 1) gives the band its
// own detector; off (x = 0) ties it to twice or three times the Basic frequency.
constexpr float kOwnDetector = 1.f;
constexpr float kFollowsBasic = 0.f;
// Switches (Dynamic, Freeze).
constexpr float kOn = 1.f;
constexpr float kOff = 0.f;
// Response 0.9: display 104.5, the Basic detector slews 1 kHz in 1.045 s (the default
// 0.5 needs about 5 s, too slow to lock within the two seconds the tests play).
constexpr float kQuickResponse = 0.9f;

}  // namespace eqp
