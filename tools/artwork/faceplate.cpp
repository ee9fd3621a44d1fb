#include "tools/artwork/faceplate.h"

#include <cmath>

#include "tools/artwork/layout.h"
#include "tools/artwork/palette.h"

namespace artwork {

namespace {

// Control numbers of the table's widgets.
constexpr int kResponse = 4, kBandwidth = 5, kDynamic = 6, kFreeze = 7, kMulti2nd = 8, kMultiHigh = 9;
constexpr int kFirstSlider = 10, kSliders = 5, kFirstReadout = 31, kBypass = 36, kReset = 37;
constexpr int kAmerican = 21, kMixing = 27, kAir = 29;

constexpr double kLabelSize = 11, kScaleSize = 9;
constexpr double kMargin = 16;  // between the window's edge and the sections

double centreX(const Box& b) { return (b.x0 + b.x1) / 2; }

class Painter {
public:
    explicit Painter(cairo_t* cr) : cr_(cr) {}

    // Prints text with a faint shadow below it and answers the box it covers.
    Box label(const std::string& text, double x, double baseline, Align align = Align::Centre,
              double size = kLabelSize, Weight weight = Weight::Bold, const Rgba& colour = kPrint) {
        useFont(cr_, size, weight);
        drawText(cr_, text, x, baseline + 1, align, kPrintShadow);
        print_.push_back({text, drawText(cr_, text, x, baseline, align, colour)});
        return print_.back().box;
    }

    std::vector<Print> takePrint() { return std::move(print_); }

private:
    cairo_t* cr_;
    std::vector<Print> print_;
};

void drawPanel(cairo_t* cr, double w, double h) {
    cairo_rectangle(cr, 0, 0, w, h);
    fillVertical(cr, 0, h, kPanelTop, kPanelBottom);
    cairo_new_path(cr);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 0.5, h - 1);
    cairo_line_to(cr, 0.5, 0.5);
    cairo_line_to(cr, w - 1, 0.5);
    setColour(cr, rgb(0xffffff, 0.12));
    cairo_stroke(cr);
    cairo_move_to(cr, w - 0.5, 0.5);
    cairo_line_to(cr, w - 0.5, h - 0.5);
    cairo_line_to(cr, 0.5, h - 0.5);
    setColour(cr, rgb(0x000000, 0.6));
    cairo_stroke(cr);
}

void drawScrew(cairo_t* cr, double cx, double cy) {
    cairo_arc(cr, cx + 0.5, cy + 1, 4, 0, 2 * M_PI);
    setColour(cr, rgb(0x000000, 0.35));
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 3.5, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_linear(cx - 3, cy - 3, cx + 3, cy + 3);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.50, 0.51, 0.53);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.20, 0.21, 0.22);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, 0.6);
    cairo_rectangle(cr, -2.6, -0.6, 5.2, 1.2);
    setColour(cr, rgb(0x141516));
    cairo_fill(cr);
    cairo_restore(cr);
}

// Row of a slider's head centre at gain g (-5..5): the head's top runs from the track's
// top (gain 5) down by the travel, and its index line sits 26 rows below its top.
double sliderRow(const Box& track, double gain) {
    const double travel = (track.y1 - track.y0) - 52;
    return track.y0 + 26 + (5 - gain) / 10 * travel;
}

std::string gainText(int g) {
    if (g > 0) return "+" + std::to_string(g);
    if (g < 0) return "\xe2\x88\x92" + std::to_string(-g);  // a true minus sign
    return "0";
}

void drawSliderTrack(cairo_t* cr, const Box& track) {
    const double cx = centreX(track);
    const double top = sliderRow(track, 5) - 10, bottom = sliderRow(track, -5) + 10;
    recessedWell(cr, cx - 3, top, 6, bottom - top, 3, kGroove);
    for (int g = -5; g <= 5; ++g) {
        const double row = sliderRow(track, g);
        const bool major = g == 0 || g == 5 || g == -5;
        const double len = major ? 7 : 5;  // clear of the reset button, 9 pixels left of the bass track
        setColour(cr, g == 0 ? kPrint : kPrintDim);
        cairo_rectangle(cr, track.x0 - 2 - len, row, len, 1);
        cairo_rectangle(cr, track.x1 + 2, row, len, 1);
        cairo_fill(cr);
    }
}

void drawGainScale(Painter& p, const Box& track, double x) {
    for (int g = -5; g <= 5; ++g)
        p.label(gainText(g), x, sliderRow(track, g) + 4, Align::Centre, kScaleSize, Weight::Regular,
                g == 0 ? kPrint : kPrintDim);
}

// Eleven ticks around a knob, from its minimum at lower left to its maximum at lower
// right, kept outside the knob's square so the widget covers none of them.
void drawKnobScale(cairo_t* cr, const Box& knob) {
    const double cx = centreX(knob), cy = (knob.y0 + knob.y1) / 2;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i <= 10; ++i) {
        const double a = (-150.0 + 30.0 * i) * M_PI / 180.0;
        const bool major = i == 0 || i == 5 || i == 10;
        const double r0 = major ? 26 : 27, r1 = major ? 31 : 29.5;
        cairo_move_to(cr, cx + r0 * std::sin(a), cy - r0 * std::cos(a));
        cairo_line_to(cr, cx + r1 * std::sin(a), cy - r1 * std::cos(a));
        cairo_set_line_width(cr, major ? 2 : 1.5);
        setColour(cr, major ? kPrint : kPrintDim);
        cairo_stroke(cr);
    }
}

void labelKnob(Painter& p, const Box& knob, const std::string& name, const std::string& low,
               const std::string& high, double nameBaseline) {
    const double cx = centreX(knob), cy = (knob.y0 + knob.y1) / 2;
    p.label(name, cx, nameBaseline);
    p.label(low, cx - 19, cy + 36, Align::Right, kScaleSize, Weight::Regular, kPrintDim);
    p.label(high, cx + 19, cy + 36, Align::Left, kScaleSize, Weight::Regular, kPrintDim);
}

// The title above a column of buttons.
void titleButtons(Painter& p, const Box& first, const std::string& title) {
    p.label(title, centreX(first), first.y0 - 6);
}

}  // namespace

Faceplate drawFaceplate() {
    const ImageEntry& background = *findImage("orvanD.png");
    Faceplate result{newImage(background.width, background.height), {}};
    Context owner = contextFor(result.image.get());
    cairo_t* cr = owner.get();
    Painter p(cr);
    const double w = background.width, h = background.height;

    drawPanel(cr, w, h);
    for (double x : {kMargin / 2, w - kMargin / 2}) {
        drawScrew(cr, x, kMargin / 2);
        drawScrew(cr, x, h - kMargin / 2);
    }

    // The name, in the free corner above the bass sliders.
    const Box orvan = p.label("Orvan", 26, 52, Align::Left, 26, Weight::Bold, kPrint);
    p.label("EQ", std::round(orvan.x1 + 8), 52, Align::Left, 26, Weight::Bold, kAccent);
    p.label("Harmonic Equaliser", 27, 70, Align::Left, 10, Weight::Regular, kPrintDim);

    // The band section: one well holding the five sliders with their names and scales.
    const Box last = widgetFor(kFirstSlider + kSliders - 1).rect;
    const double wellTop = widgetFor(kAir).rect.y1 + 5;
    const double wellBottom = widgetFor(kFirstReadout).rect.y1 + 4;  // below the readouts
    recessedWell(cr, kMargin, wellTop, w - 2 * kMargin, wellBottom - wellTop, 6, kWell);
    for (int i = 0; i < kSliders; ++i) {
        const Widget& slider = widgetFor(kFirstSlider + i);
        drawSliderTrack(cr, slider.rect);
        p.label(slider.name, centreX(slider.rect), slider.rect.y0 - 3);
        if (i + 1 < kSliders)
            drawGainScale(p, slider.rect, (slider.rect.x1 + widgetFor(kFirstSlider + i + 1).rect.x0) / 2);
    }
    drawGainScale(p, last, (last.x1 + w - kMargin) / 2);
    const Box reset = widgetFor(kReset).rect;
    p.label("Reset", centreX(reset), reset.y0 - 8, Align::Centre, kScaleSize, Weight::Regular, kPrint);

    // Mode switches above their bands.
    for (int control : {kMulti2nd, kMultiHigh}) {
        const Widget& button = widgetFor(control);
        p.label(button.name, centreX(button.rect), button.rect.y0 - 6);
    }
    titleButtons(p, widgetFor(kMixing).rect, "Highs Mode");

    // The lower section: Style, the two knobs, the switches and Bypass.
    const double lowerTop = wellBottom + 5;
    recessedWell(cr, kMargin, lowerTop, w - 2 * kMargin, h - kMargin - lowerTop, 6, kWell);
    titleButtons(p, widgetFor(kAmerican).rect, "Style");
    const double knobTitle = widgetFor(kAmerican).rect.y0 - 6;  // level with the Style title
    for (int control : {kResponse, kBandwidth}) drawKnobScale(cr, widgetFor(control).rect);
    labelKnob(p, widgetFor(kResponse).rect, "Response", "Slow", "Fast", knobTitle);
    labelKnob(p, widgetFor(kBandwidth).rect, "Bandwidth", "0.5", "1.0", knobTitle);
    for (int control : {kDynamic, kFreeze, kBypass}) {
        const Widget& button = widgetFor(control);
        p.label(button.name, centreX(button.rect), button.rect.y0 - 6);
    }

    result.print = p.takePrint();
    return result;
}

std::vector<std::string> printUnderWidgets(const Faceplate& faceplate) {
    std::vector<std::string> clashes;
    for (const Print& print : faceplate.print)
        for (const Widget& widget : widgetLayout())
            if (print.box.intersects(widget.rect))
                clashes.push_back("\"" + print.text + "\" lies under control " + std::to_string(widget.control));
    return clashes;
}

}  // namespace artwork
