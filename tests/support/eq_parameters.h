// The normalised values that pick the plug-in's options, for tests that drive it as a
// host or editor does; the control numbers are the plug-in's own (QB_Control).
#pragma once

#include <cstdint>

#include "plugin/parameters.h"

namespace eqp {

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
