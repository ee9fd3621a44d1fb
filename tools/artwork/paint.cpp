#include "tools/artwork/paint.h"

#include <fontconfig/fontconfig.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace artwork {

Surface newImage(int width, int height) {
    // A fresh image surface is cleared to transparent black.
    return Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

Context contextFor(cairo_surface_t* surface) { return Context(cairo_create(surface)); }

Rgba mix(const Rgba& a, const Rgba& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba withAlpha(const Rgba& c, double alpha) { return {c.r, c.g, c.b, alpha}; }

void setColour(cairo_t* cr, const Rgba& c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
    const double r = std::fmin(radius, std::fmin(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void fillVertical(cairo_t* cr, double y0, double y1, const Rgba& top, const Rgba& bottom) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, top.a);
    cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, bottom.a);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
}

void softShadow(cairo_t* cr, double x, double y, double w, double h, double radius, double spread,
                double opacity) {
    const int layers = 4;
    const double dx = spread * 0.35, dy = spread * 0.6;
    for (int i = layers; i >= 1; --i) {
        const double grow = spread * i / layers;
        roundedRect(cr, x + dx - grow / 2, y + dy - grow / 2, w + grow, h + grow, radius + grow / 2);
        setColour(cr, rgb(0x000000, opacity / layers));
        cairo_fill(cr);
    }
}

void recessedWell(cairo_t* cr, double x, double y, double w, double h, double radius, const Rgba& inside) {
    roundedRect(cr, x, y, w, h, radius);
    setColour(cr, inside);
    cairo_fill(cr);
    // Lit lower right rim, then the shadow the upper left rim casts into the well.
    cairo_save(cr);
    cairo_set_line_width(cr, 1);
    roundedRect(cr, x - 0.5, y - 0.5, w + 1, h + 1, radius + 0.5);
    cairo_pattern_t* rim = cairo_pattern_create_linear(x, y, x + w * 0.3, y + h);
    cairo_pattern_add_color_stop_rgba(rim, 0, 0, 0, 0, 0.55);
    cairo_pattern_add_color_stop_rgba(rim, 0.5, 0, 0, 0, 0.15);
    cairo_pattern_add_color_stop_rgba(rim, 1, 1, 1, 1, 0.10);
    cairo_set_source(cr, rim);
    cairo_stroke(cr);
    cairo_pattern_destroy(rim);
    roundedRect(cr, x, y, w, h, radius);
    cairo_clip(cr);
    for (int i = 1; i <= 3; ++i) {
        cairo_set_line_width(cr, 2.0 * i);
        roundedRect(cr, x + 0.5, y + 0.5, w + 2.0 * i, h + 2.0 * i, radius);
        setColour(cr, rgb(0x000000, 0.12));
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void useFont(cairo_t* cr, double size, Weight weight) {
    cairo_select_font_face(cr, "Arial", CAIRO_FONT_SLANT_NORMAL,
                           weight == Weight::Bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    // Fixed rendering options, whatever the desktop's fontconfig settings say.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

namespace {

// The left edge of text placed at x with the given alignment; snapped to whole pixels
// so that hinted glyphs stay crisp.
double leftEdge(const cairo_text_extents_t& e, double x, Align align) {
    switch (align) {
        case Align::Left: return x;
        case Align::Centre: return std::round(x - e.x_advance / 2);
        case Align::Right: return std::round(x - e.x_advance);
    }
    return x;
}

}  // namespace

Box measureText(cairo_t* cr, const std::string& text, double x, double y, Align align) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    const double left = leftEdge(e, x, align);
    return {left + e.x_bearing, y + e.y_bearing, left + e.x_bearing + e.width, y + e.y_bearing + e.height};
}

Box drawText(cairo_t* cr, const std::string& text, double x, double y, Align align, const Rgba& colour) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    const double left = leftEdge(e, x, align);
    setColour(cr, colour);
    cairo_move_to(cr, left, y);
    cairo_show_text(cr, text.c_str());
    cairo_new_path(cr);
    return {left + e.x_bearing, y + e.y_bearing, left + e.x_bearing + e.width, y + e.y_bearing + e.height};
}

bool editorFontIsAvailable(std::string& family) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Arial"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    family.clear();
    FcChar8* name = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
        family = reinterpret_cast<const char*>(name);
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return family == "Liberation Sans";
}

namespace {

cairo_status_t appendToFile(void* closure, const unsigned char* data, unsigned int length) {
    return std::fwrite(data, 1, length, static_cast<FILE*>(closure)) == length ? CAIRO_STATUS_SUCCESS
                                                                                : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

bool writePng(cairo_surface_t* surface, const std::string& path, std::string& error) {
    cairo_surface_flush(surface);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        error = path + ": " + cairo_status_to_string(cairo_surface_status(surface));
        return false;
    }
    const std::string tmpPath = path + ".tmp";
    FILE* out = std::fopen(tmpPath.c_str(), "wb");
    if (out == nullptr) {
        error = tmpPath + ": " + std::strerror(errno);
        return false;
    }
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, appendToFile, out);
    const bool closed = std::fclose(out) == 0;
    if (status != CAIRO_STATUS_SUCCESS || !closed || std::rename(tmpPath.c_str(), path.c_str()) != 0) {
        error = path + ": cannot be written";
        std::remove(tmpPath.c_str());
        return false;
    }
    return true;
}

}  // namespace artwork
