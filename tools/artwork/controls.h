// The widgets' bitmaps. Strips hold their frames stacked vertically, frame 0 on top;
// two-state bitmaps hold the off state on top and the on state below.
//
// Hit tests read these bitmaps' alpha (above 143 of 255 is a hit), so every part a user
// grabs is opaque and everything around it transparent; shadows stay below that alpha.
#pragma once

#include <string>

#include "tools/artwork/paint.h"

namespace artwork {

// 60 frames of 40 x 40; the pointer turns 300 degrees clockwise from frame 0 (lower
// left, the minimum) to frame 59 (lower right, the maximum).
Surface drawKnobStrip();

// 44 x 52; its index line lies on row 26, the head's centre, which the scale beside the
// track is drawn for.
Surface drawSliderHead();

// 8 frames of 80 x 26 of a key with a light strip: frame 0 is off, frame 7 fully lit,
// frames 1 to 6 light it step by step (turning on plays them forward, turning off
// backward, and Bypass pulses between frames 1 and 7, so frame 1 already glows).
Surface drawAnimStrip(const Rgba& lit);

// 20 x 40: the reset button, released on top, pressed below.
Surface drawResetButton();

// 80 x 52: a key carrying its name, off on top, selected below.
Surface drawNamedButton(const std::string& name);

}  // namespace artwork
