#include "tools/artwork/preview.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "tools/artwork/artwork.h"
#include "tools/artwork/layout.h"
#include "tools/artwork/palette.h"
#include "plugin/control_kinds.h"
#include "plugin/parameters.h"

namespace artwork {

namespace {

// Sample values (0..1) by control number; the buttons of a selector show one choice.
double sampleValue(int control) {
    static const std::map<int, double> values = {
        {4, 0.35}, {5, 0.7},   {6, 1},    {7, 0},     {8, 1},   {9, 0},  {10, 0.72}, {11, 0.4},
        {12, 0.5}, {13, 0.85}, {14, 0.2}, {22, 1},    {28, 1},  {36, 0}, {37, 0},
    };
    const auto it = values.find(control);
    return it != values.end() ? it->second : 0.0;
}

// Draws frame `frame` of a vertical strip into the widget's rectangle.
void drawFrame(cairo_t* cr, cairo_surface_t* strip, const Box& rect, double top, int frame, double frameHeight) {
    cairo_save(cr);
    cairo_rectangle(cr, rect.x0, rect.y0, rect.x1 - rect.x0, rect.y1 - rect.y0);
    cairo_clip(cr);
    cairo_set_source_surface(cr, strip, rect.x0, top - frame * frameHeight);
    cairo_paint(cr);
    cairo_restore(cr);
}

// A gain readout as the editor's text field draws it: white on black, grey frame.
void drawReadout(cairo_t* cr, const Box& rect, double value) {
    cairo_rectangle(cr, rect.x0, rect.y0, rect.x1 - rect.x0, rect.y1 - rect.y0);
    setColour(cr, kReadoutBack);
    cairo_fill(cr);
    cairo_rectangle(cr, rect.x0 + 0.5, rect.y0 + 0.5, rect.x1 - rect.x0 - 1, rect.y1 - rect.y0 - 1);
    cairo_set_line_width(cr, 1);
    setColour(cr, kReadoutFrame);
    cairo_stroke(cr);
    char text[16];
    std::snprintf(text, sizeof text, "%1.3f", -5 + 10 * value);
    useFont(cr, 12, Weight::Regular);
    drawText(cr, text, (rect.x0 + rect.x1) / 2, rect.y1 - 4, Align::Centre, kReadoutText);
}

}  // namespace

Surface drawPreview() {
    std::map<std::string, Surface> images;
    for (int i = 0; i < kImageCount; ++i) images[kImages[i].name] = drawImage(kImages[i]);
    cairo_surface_t* background = images["orvanD.png"].get();
    Surface window = newImage(cairo_image_surface_get_width(background), cairo_image_surface_get_height(background));
    Context owner = contextFor(window.get());
    cairo_t* cr = owner.get();
    cairo_set_source_surface(cr, background, 0, 0);
    cairo_paint(cr);

    for (const Widget& w : widgetLayout()) {
        const Box& r = w.rect;
        if (w.kind == QB_Kind::kNumberEntry + 3) {
            // Readouts 31..35 follow the sliders 10..14.
            drawReadout(cr, r, sampleValue(w.control - QB_Control::kFirstGainReadout + QB_Control::kBass));
            continue;
        }
        cairo_surface_t* bitmap = images[w.bitmap].get();
        const double v = sampleValue(w.control);
        const double height = r.y1 - r.y0;
        switch (w.kind) {
            case QB_Kind::kSlider: {
                const double headHeight = cairo_image_surface_get_height(bitmap);
                const double top = std::floor(r.y0 + (1 - v) * (height - headHeight));
                drawFrame(cr, bitmap, {r.x0, top, r.x1, top + headHeight}, top, 0, headHeight);
                break;
            }
            case QB_Kind::kMomentaryButton:
            case QB_Kind::kSelectButton: drawFrame(cr, bitmap, r, r.y0, v != 0 ? 1 : 0, height); break;
            default: drawFrame(cr, bitmap, r, r.y0, static_cast<int>((w.frames - 1) * v), height); break;
        }
    }
    return window;
}

}  // namespace artwork
