#include "tools/artwork/layout.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>

#include "plugin/control_table.h"

namespace artwork {

const ImageEntry kImages[] = {
    {"orvanD.png", 540, 529},   {"Knob.png", 40, 2400},    {"sliderhead.png", 44, 52},
    {"AnimOnOff.png", 80, 208}, {"AnimBypass.png", 80, 208}, {"TriButton.png", 20, 40},
    {"american.png", 80, 52},   {"german.png", 80, 52},    {"british.png", 80, 52},
    {"mixing.png", 80, 52},     {"mastering.png", 80, 52}, {"air.png", 80, 52},
};
const int kImageCount = static_cast<int>(sizeof(kImages) / sizeof(kImages[0]));

const ImageEntry* findImage(const std::string& name) {
    for (const ImageEntry& image : kImages)
        if (strcasecmp(image.name, name.c_str()) == 0) return &image;
    return nullptr;
}

namespace {

[[noreturn]] void badTable(const char* what, int record) {
    std::fprintf(stderr, "orvan_make_artwork: record %d of the control table: %s\n", record, what);
    std::exit(1);
}

// Walks the table as the editor's builder does, carrying the directive settings.
std::vector<Widget> buildLayout() {
    std::vector<Widget> widgets;
    int textWidth = 0, textHeight = 0, sliderWidth = 0, sliderHeight = 0, animFrames = 0, knobFrames = 0;
    for (int r = 1; r < kControlTableLength && kControlTable[r].kind < QB_Kind::kEndOfTable; ++r) {
        const QB_ControlDescriptor& d = kControlTable[r];
        const std::string bitmap = d.bitmap != nullptr && d.kind != QB_Kind::kFont ? d.bitmap : "";
        const ImageEntry* image = findImage(bitmap);
        Widget w{d.controlNumber(), d.kind, bitmap, d.name != nullptr ? d.name : "", {}, 1};
        const double x = d.x, y = d.y;
        using namespace QB_Kind;
        switch (d.kind) {
            case kTextStyle: textWidth = d.x; textHeight = d.y; continue;
            case kKnobFrames: knobFrames = d.x; continue;
            case kAnimSettings: animFrames = d.aux; continue;
            case kSliderSettings: sliderWidth = d.x; sliderHeight = d.y; continue;
            case kKnob:
            case kSpringKnob:
            case kAnimButton: case kAnimButton + 1: case kAnimButton + 2: case kAnimButton + 3: case kLastAnimButton:
                if (image == nullptr) badTable("names an image the generator does not draw", r);
                w.frames = d.kind <= kSpringKnob ? (knobFrames != 0 ? knobFrames : image->height / image->width)
                                                 : (animFrames != 0 ? animFrames : image->height / image->width);
                w.rect = {x, y, x + image->width, y + static_cast<double>(image->height / w.frames)};
                break;
            case kSlider:
            case kSpringSlider: w.rect = {x, y, x + sliderWidth, y + sliderHeight}; break;
            case kToggleButton: case kMomentaryButton: case kSelectButton:
                if (image == nullptr) badTable("names an image the generator does not draw", r);
                w.frames = 2;
                w.rect = {x, y, x + image->width, y + image->height / 2.0};
                break;
            case kNumberEntry + 3: w.rect = {x, y, x + textWidth, y + textHeight}; break;
            case kButtonHub: continue;  // a selector hub: no rectangle
            default:
                if (d.kind < QB_Kind::kFirstDirective) badTable("is a widget kind the generator does not know", r);
                continue;
        }
        widgets.push_back(w);
    }
    return widgets;
}

}  // namespace

const std::vector<Widget>& widgetLayout() {
    static const std::vector<Widget> widgets = buildLayout();
    return widgets;
}

const Widget& widgetFor(int control) {
    for (const Widget& w : widgetLayout())
        if (w.control == control) return w;
    std::fprintf(stderr, "orvan_make_artwork: no widget for control %d\n", control);
    std::exit(1);
}

}  // namespace artwork
