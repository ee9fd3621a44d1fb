// The kinds of the control descriptor table: what the editor builds for a record, or
// which layout directive the record carries. Kinds below kFirstDirective are controls.
#pragma once

#include <cstdint>

namespace QB_Kind {

// ---- controls -------------------------------------------------------------------
constexpr int16_t kKnob = 0;
constexpr int16_t kSpringKnob = 1;   // returns to 0.5 on release
constexpr int16_t kRotateKnob = 2;   // 2, 3: modes 0, 1
constexpr int16_t kSlider = 4;
constexpr int16_t kSpringSlider = 5;
constexpr int16_t kAnimButton = 6;   // 6..10: animation modes 0..4
constexpr int16_t kLastAnimButton = 10;
constexpr int16_t kToggleButton = 11;
constexpr int16_t kMomentaryButton = 12;
constexpr int16_t kSelectButton = 13;
constexpr int16_t kButtonHub = 14;   // a selector shown as linked buttons
constexpr int16_t kExclusiveButton = 15;          // its group may be all off
constexpr int16_t kExclusiveButtonKeepOne = 16;   // one of its group stays on
constexpr int16_t kOptionsText = 17;
constexpr int16_t kOptionsImage = 18;  // 18..25; 20..25 animate, odd kinds step on a click
constexpr int16_t kLastOptionsImage = 25;
constexpr int16_t kNumberEntry = 26;   // 26..35: number format kind - 26
constexpr int16_t kFirstReadOnlyEntry = 31;
constexpr int16_t kLastNumberEntry = 35;
constexpr int16_t kGlobalNumberDisplay = 36;
constexpr int16_t kGlobalNameDisplay = 37;
constexpr int16_t kSelector49 = 49;  // displayed as a selector; the editor builds nothing for it
constexpr int16_t kFirstNonParameter = 50;  // records from here seed no MIDI controller
constexpr int16_t kImage = 51;
constexpr int16_t kTextOnly = 52;

// ---- editor directives ------------------------------------------------------------
constexpr int16_t kFirstDirective = 57;
constexpr int16_t kLinkPartners = 60;
constexpr int16_t kLinkContainers = 61;
constexpr int16_t kOneWayLink = 64;
constexpr int16_t kTwoWayLink = 65;
constexpr int16_t kNumberPairing = 66;
constexpr int16_t kTextStyle = 67;
constexpr int16_t kKnobFrames = 68;
constexpr int16_t kAnimSettings = 69;
constexpr int16_t kSliderSettings = 70;
constexpr int16_t kContainerSettings = 71;
constexpr int16_t kFont = 72;
constexpr int16_t kContainer = 73;
constexpr int16_t kHiddenContainer = 74;
constexpr int16_t kEndOfContainer = 75;
constexpr int16_t kEndOfTable = 76;  // this kind or above ends the table

// Kinds whose parameter display is an option text.
constexpr bool isSelector(int16_t kind) {
    return kind == kButtonHub || (kind >= kOptionsText && kind <= kLastOptionsImage) || kind == kSelector49;
}

}  // namespace QB_Kind
