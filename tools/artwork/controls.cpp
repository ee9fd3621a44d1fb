#include "tools/artwork/controls.h"

#include <cmath>

#include "tools/artwork/layout.h"
#include "tools/artwork/palette.h"

namespace artwork {

namespace {

constexpr double kKnobSweep = 300.0 * M_PI / 180.0;

void circle(cairo_t* cr, double cx, double cy, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
}

// One knob frame centred at (cx, cy); angle in radians, clockwise from straight up.
void drawKnob(cairo_t* cr, double cx, double cy, double angle) {
    for (int i = 4; i >= 1; --i) {  // shadow, cast down and to the right
        circle(cr, cx + 0.8, cy + 1.6, 18 + i * 0.5);
        setColour(cr, rgb(0x000000, 0.09));
        cairo_fill(cr);
    }
    // Skirt: a shallow cone, bright where it faces the light.
    circle(cr, cx, cy, 18);
    cairo_pattern_t* cone = cairo_pattern_create_linear(cx - 13, cy - 13, cx + 13, cy + 13);
    cairo_pattern_add_color_stop_rgb(cone, 0, 0.55, 0.56, 0.58);
    cairo_pattern_add_color_stop_rgb(cone, 0.5, 0.22, 0.23, 0.24);
    cairo_pattern_add_color_stop_rgb(cone, 1, 0.08, 0.08, 0.09);
    cairo_set_source(cr, cone);
    cairo_fill(cr);
    cairo_pattern_destroy(cone);
    // Grip flutes, turning with the pointer.
    cairo_set_line_width(cr, 1);
    for (int i = 0; i < 30; ++i) {
        const double a = angle + i * 2 * M_PI / 30;
        cairo_move_to(cr, cx + 14.8 * std::sin(a), cy - 14.8 * std::cos(a));
        cairo_line_to(cr, cx + 17.2 * std::sin(a), cy - 17.2 * std::cos(a));
    }
    setColour(cr, rgb(0x000000, 0.28));
    cairo_stroke(cr);
    circle(cr, cx, cy, 17.5);
    setColour(cr, rgb(0x000000, 0.6));
    cairo_stroke(cr);
    // Cap: flat top, lit from above.
    circle(cr, cx, cy, 13.5);
    setColour(cr, rgb(0x000000, 0.5));  // the step down from cap to skirt
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    circle(cr, cx, cy, 13.5);
    fillVertical(cr, cy - 13.5, cy + 13.5, rgb(0x3e4145), rgb(0x232528));
    cairo_new_path(cr);
    circle(cr, cx, cy, 13);
    cairo_pattern_t* rim = cairo_pattern_create_linear(cx - 10, cy - 10, cx + 10, cy + 10);
    cairo_pattern_add_color_stop_rgba(rim, 0, 1, 1, 1, 0.28);
    cairo_pattern_add_color_stop_rgba(rim, 0.55, 1, 1, 1, 0.0);
    cairo_pattern_add_color_stop_rgba(rim, 1, 0, 0, 0, 0.35);
    cairo_set_source(cr, rim);
    cairo_stroke(cr);
    cairo_pattern_destroy(rim);
    // Pointer, painted across cap and skirt.
    const double sx = std::sin(angle), sy = -std::cos(angle);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 2.4);
    cairo_move_to(cr, cx + 5 * sx, cy + 5 * sy);
    cairo_line_to(cr, cx + 16.2 * sx, cy + 16.2 * sy);
    setColour(cr, rgb(0xf4f4f0));
    cairo_stroke(cr);
}

// A key's body inside (x, y, w, h); pressed keys sit lower and catch less light.
void drawKey(cairo_t* cr, double x, double y, double w, double h, bool pressed) {
    softShadow(cr, x, y, w, h, 3.5, pressed ? 1.0 : 2.0, 0.35);
    roundedRect(cr, x, y, w, h, 3.5);
    setColour(cr, kKeyEdge);
    cairo_fill(cr);
    roundedRect(cr, x + 1, y + 1, w - 2, h - 2, 2.5);
    fillVertical(cr, y + 1, y + h - 1, pressed ? mix(kKeyTop, kKeyBottom, 0.45) : kKeyTop,
                 pressed ? mix(kKeyBottom, kKeyEdge, 0.2) : kKeyBottom);
    cairo_new_path(cr);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, x + 3, y + 1.5);  // the top edge facing the light
    cairo_line_to(cr, x + w - 3, y + 1.5);
    setColour(cr, rgb(0xffffff, pressed ? 0.07 : 0.16));
    cairo_stroke(cr);
}

// A light strip at (x, y, w, h) with brightness 0 (off) to 1, glowing onto the key.
void drawLightStrip(cairo_t* cr, double x, double y, double w, double h, const Rgba& lit, double level) {
    if (level > 0) {
        for (int i = 4; i >= 1; --i) {
            roundedRect(cr, x - i * 1.5, y - i * 1.2, w + i * 3, h + i * 2.4, h / 2 + i * 1.2);
            setColour(cr, withAlpha(lit, 0.07 * level));
            cairo_fill(cr);
        }
    }
    roundedRect(cr, x - 0.5, y - 0.5, w + 1, h + 1, h / 2 + 0.5);
    setColour(cr, rgb(0x000000, 0.7));
    cairo_fill(cr);
    roundedRect(cr, x, y, w, h, h / 2);
    setColour(cr, level == 0 ? kLedOff : mix(kLedOff, lit, 0.15 + 0.85 * level));
    cairo_fill(cr);
    if (level > 0) {  // the hot core
        roundedRect(cr, x + 1.5, y + 1, w - 3, h - 2, (h - 2) / 2);
        setColour(cr, withAlpha(mix(lit, rgb(0xffffff), 0.45), 0.8 * level));
        cairo_fill(cr);
    }
}

// Brightness of anim frame k: 0 for frame 0, then an even ramp from a clear glow.
double animLevel(int k) { return k == 0 ? 0.0 : 0.3 + 0.7 * (k - 1) / (kAnimFrames - 2); }

}  // namespace

Surface drawKnobStrip() {
    const int size = 40;
    Surface image = newImage(size, size * kKnobFrames);
    Context cr = contextFor(image.get());
    for (int k = 0; k < kKnobFrames; ++k) {
        const double angle = -kKnobSweep / 2 + kKnobSweep * k / (kKnobFrames - 1);
        drawKnob(cr.get(), size / 2.0, size * k + size / 2.0, angle);
    }
    return image;
}

Surface drawSliderHead() {
    const double w = 44, x = 3, y = 5, cw = 38, ch = 42;
    Surface image = newImage(static_cast<int>(w), 52);
    Context owner = contextFor(image.get());
    cairo_t* cr = owner.get();
    softShadow(cr, x, y, cw, ch, 3, 3, 0.45);
    roundedRect(cr, x, y, cw, ch, 3);
    setColour(cr, kKeyEdge);
    cairo_fill(cr);
    // The cap's face: two slopes meeting at the index line, lit from above.
    roundedRect(cr, x + 1, y + 1, cw - 2, ch - 2, 2);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, y + 1, 0, y + ch - 1);
    cairo_pattern_add_color_stop_rgb(face, 0.00, 0.56, 0.57, 0.60);
    cairo_pattern_add_color_stop_rgb(face, 0.47, 0.30, 0.31, 0.33);
    cairo_pattern_add_color_stop_rgb(face, 0.53, 0.40, 0.41, 0.44);
    cairo_pattern_add_color_stop_rgb(face, 1.00, 0.22, 0.23, 0.25);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    cairo_set_line_width(cr, 1);
    // Grip ridges: a dark groove with a lit lower lip on each slope.
    for (int row : {10, 14, 18, 34, 38, 42}) {
        cairo_move_to(cr, x + 4, row + 0.5);
        cairo_line_to(cr, x + cw - 4, row + 0.5);
        setColour(cr, rgb(0x000000, 0.35));
        cairo_stroke(cr);
        cairo_move_to(cr, x + 4, row + 1.5);
        cairo_line_to(cr, x + cw - 4, row + 1.5);
        setColour(cr, rgb(0xffffff, 0.10));
        cairo_stroke(cr);
    }
    cairo_move_to(cr, x + 2, y + 1.5);
    cairo_line_to(cr, x + cw - 2, y + 1.5);
    setColour(cr, rgb(0xffffff, 0.25));
    cairo_stroke(cr);
    // Index line on row 26 between two dark rows.
    cairo_rectangle(cr, x + 1, 25, cw - 2, 3);
    setColour(cr, rgb(0x101112));
    cairo_fill(cr);
    cairo_rectangle(cr, x + 1, 26, cw - 2, 1);
    setColour(cr, rgb(0xf4f4f0));
    cairo_fill(cr);
    return image;
}

Surface drawAnimStrip(const Rgba& lit) {
    const int w = 80, h = 26;
    Surface image = newImage(w, h * kAnimFrames);
    Context cr = contextFor(image.get());
    for (int k = 0; k < kAnimFrames; ++k) {
        const double top = h * k;
        drawKey(cr.get(), 1, top + 1, w - 2, h - 3, false);
        drawLightStrip(cr.get(), 22, top + 10, 36, 4, lit, animLevel(k));
    }
    return image;
}

Surface drawResetButton() {
    Surface image = newImage(20, 40);
    Context cr = contextFor(image.get());
    for (int state = 0; state < 2; ++state) {
        const double top = 20.0 * state;
        const bool pressed = state == 1;
        drawKey(cr.get(), 1, top + 1, 18, 17, pressed);
        // A triangle pointing at the sliders' zero line.
        const double cx = 10.5, cy = top + 9.5;
        cairo_move_to(cr.get(), cx - 3.5, cy - 4.5);
        cairo_line_to(cr.get(), cx + 4.5, cy);
        cairo_line_to(cr.get(), cx - 3.5, cy + 4.5);
        cairo_close_path(cr.get());
        setColour(cr.get(), pressed ? kAccent : kKeyText);
        cairo_fill(cr.get());
    }
    return image;
}

Surface drawNamedButton(const std::string& name) {
    const int w = 80, h = 26;
    Surface image = newImage(w, 2 * h);
    Context cr = contextFor(image.get());
    for (int state = 0; state < 2; ++state) {
        const double top = h * state;
        const bool on = state == 1;
        drawKey(cr.get(), 1, top + 1, w - 2, h - 3, on);
        // Selection mark at the left, then the name centred on the rest of the key.
        drawLightStrip(cr.get(), 8, top + 8, 3, 7, kAccent, on ? 1.0 : 0.0);
        useFont(cr.get(), 11, Weight::Bold);
        drawText(cr.get(), name, 44.5, top + 16, Align::Centre, on ? kKeyTextLit : kKeyText);
    }
    return image;
}

}  // namespace artwork
