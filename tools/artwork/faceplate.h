// The editor's background "orvanD.png": the panel with the product's name, every
// control's label, the sliders' tracks and scales and the knobs' scales.
#pragma once

#include <string>
#include <vector>

#include "tools/artwork/paint.h"

namespace artwork {

struct Print {
    std::string text;
    Box box;  // the pixels its glyphs cover
};

struct Faceplate {
    Surface image;
    std::vector<Print> print;
};

Faceplate drawFaceplate();

// The print that lies on a widget's rectangle, where the widget would hide it; the
// layout is wrong when this is not empty.
std::vector<std::string> printUnderWidgets(const Faceplate& faceplate);

}  // namespace artwork
