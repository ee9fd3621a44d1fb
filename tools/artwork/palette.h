// The faceplate's colours: a dark neutral panel, light grey print and one warm accent
// for what is lit; Bypass lights red so it is never mistaken for a setting.
#pragma once

#include "tools/artwork/paint.h"

namespace artwork {

constexpr Rgba kPanelTop = rgb(0x34363a);
constexpr Rgba kPanelBottom = rgb(0x2a2c2f);
constexpr Rgba kWell = rgb(0x222326);
constexpr Rgba kGroove = rgb(0x0e0f10);
constexpr Rgba kPrint = rgb(0xd6d8db);       // labels
constexpr Rgba kPrintDim = rgb(0x8e9197);    // scales and small captions
constexpr Rgba kPrintShadow = rgb(0x000000, 0.55);
constexpr Rgba kAccent = rgb(0xf2a93b);      // lit LEDs and the selected button's mark
constexpr Rgba kBypassLit = rgb(0xf04a3c);
constexpr Rgba kLedOff = rgb(0x1a1b1d);

constexpr Rgba kKeyTop = rgb(0x4a4d52);
constexpr Rgba kKeyBottom = rgb(0x323438);
constexpr Rgba kKeyEdge = rgb(0x111214);
constexpr Rgba kKeyText = rgb(0xa9adb2);
constexpr Rgba kKeyTextLit = rgb(0xffffff);

constexpr Rgba kReadoutBack = rgb(0x000000);
constexpr Rgba kReadoutFrame = rgb(0x7f7f7f);
constexpr Rgba kReadoutText = rgb(0xffffff);

}  // namespace artwork
