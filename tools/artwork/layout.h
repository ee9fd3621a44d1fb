// Where the editor puts its widgets, worked out from the control descriptor table the
// way the editor's builder does it, and the images the widgets draw with.
#pragma once

#include <string>
#include <vector>

#include "tools/artwork/paint.h"

namespace artwork {

// The editor's images with their sizes; the frame layouts follow from the widgets.
struct ImageEntry {
    const char* name;
    int width, height;
};
extern const ImageEntry kImages[];
extern const int kImageCount;
// Answers nullptr for a name that is not one of them (compared without case).
const ImageEntry* findImage(const std::string& name);

constexpr int kKnobFrames = 60;
constexpr int kAnimFrames = 8;

struct Widget {
    int control;         // control number
    int kind;            // descriptor kind
    std::string bitmap;  // "" for text fields
    std::string name;    // the descriptor's name, may be empty
    Box rect;            // in window pixels
    int frames;          // frames in the bitmap (1 for a slider head, 2 for two-state buttons)
};

// Every widget the editor builds, in table order (the selector hubs have no rectangle
// and are left out).
const std::vector<Widget>& widgetLayout();
// The widget of a control number; the first one if several share it.
const Widget& widgetFor(int control);

}  // namespace artwork
