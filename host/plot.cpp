#include "host/plot.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "host/atomic_file.h"
#include "host/frequency_analysis.h"
#include "host/tool_error.h"

namespace {

constexpr double kHalfPi = 1.57079632679489661923;
constexpr int kLeft = 78;  // room for the Hz labels
constexpr int kPanelWidth = kPlotColumns;
constexpr int kPanelHeight = kPlotRows;
constexpr int kTop = 56;  // title and first heading
constexpr int kGap = 62;  // time labels and the second heading
constexpr int kBarX = kLeft + kPanelWidth + 18;
constexpr int kBarWidth = 14;
constexpr int kWidth = kBarX + kBarWidth + 62;
constexpr int kHeight = kTop + 2 * kPanelHeight + kGap + 44;
constexpr double kLevelRangeDb = 90.0;

struct Rgb {
    double r, g, b;
};

Rgb gradient(const Rgb* stops, int count, double t) {
    t = std::clamp(t, 0.0, 1.0) * (count - 1);
    const int i = std::min(static_cast<int>(t), count - 2);
    const double f = t - i;
    const Rgb& a = stops[i];
    const Rgb& b = stops[i + 1];
    return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f};
}

// Dark to bright through purple and orange: loud reads bright at a glance.
Rgb levelColour(double t) {
    static const Rgb stops[] = {{0.00, 0.00, 0.02}, {0.16, 0.04, 0.33}, {0.40, 0.08, 0.43}, {0.62, 0.16, 0.39},
                                {0.83, 0.28, 0.26}, {0.96, 0.49, 0.08}, {0.98, 0.76, 0.15}, {0.99, 1.00, 0.64}};
    return gradient(stops, 8, t);
}

// Blue for cuts, near-white for no change, red for boosts.
Rgb gainColour(double t) {
    static const Rgb stops[] = {{0.13, 0.40, 0.67}, {0.57, 0.77, 0.87}, {0.97, 0.97, 0.97}, {0.96, 0.65, 0.51},
                                {0.70, 0.09, 0.17}};
    return gradient(stops, 5, t);
}

// Colours in 32 steps: invisible on screen, and the PNG compresses far better.
double steps(double t) { return std::round(t * 32) / 32; }

const Rgb kNoData{0.25, 0.25, 0.27};

uint32_t pixel(const Rgb& c) {
    const auto channel = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return 0xFF000000u | (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

// An image of w by h pixels coloured by colourOf(x, y), y counted from the bottom.
template <class Colour>
cairo_surface_t* makeImage(int w, int h, Colour colourOf) {
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x) line[x] = pixel(colourOf(x, h - 1 - y));
    }
    cairo_surface_mark_dirty(image);
    return image;
}

// Paints an image stretched over a rectangle, then frees it.
void paintImage(cairo_t* cr, cairo_surface_t* image, double x, double y, double w, double h) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, w / cairo_image_surface_get_width(image), h / cairo_image_surface_get_height(image));
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(image);
}

// Text whose anchor is alignX of its width from the left (0 left, 0.5 centre, 1 right).
void label(cairo_t* cr, double x, double y, const char* s, double alignX, double size = 12) {
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s, &e);
    cairo_move_to(cr, x - alignX * e.x_advance, y);
    cairo_show_text(cr, s);
}

void verticalLabel(cairo_t* cr, double x, double y, const char* s) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, -kHalfPi);
    label(cr, 0, 0, s, 0.5);
    cairo_restore(cr);
}

void frequencyAxis(cairo_t* cr, const SpectrumAnalyser& a, int top) {
    static const double ticks[] = {50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};
    cairo_set_line_width(cr, 1);
    for (double hz : ticks) {
        if (hz < a.fMin() || hz > a.fMax()) continue;
        const double y =
            std::round(top + kPanelHeight * (1 - std::log(hz / a.fMin()) / std::log(a.fMax() / a.fMin()))) + 0.5;
        cairo_set_source_rgba(cr, 1, 1, 1, 0.22);
        cairo_move_to(cr, kLeft, y);
        cairo_line_to(cr, kLeft + kPanelWidth, y);
        cairo_stroke(cr);
        char text[16];
        if (hz >= 1000) std::snprintf(text, sizeof text, "%gk", hz / 1000);
        else std::snprintf(text, sizeof text, "%g", hz);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        label(cr, kLeft - 6, y + 4, text, 1);
    }
    verticalLabel(cr, 20, top + kPanelHeight / 2.0, "frequency (Hz)");
}

// A 1, 2 or 5 times a power of ten that gives at most about ten steps.
double niceStep(double span, int most) {
    const double raw = span / most;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

void timeAxis(cairo_t* cr, double seconds, int bottom, bool withTitle) {
    const double step = niceStep(seconds, 10);
    for (double t = 0; t <= seconds + 1e-9; t += step) {
        const double x = std::round(kLeft + kPanelWidth * t / seconds) + 0.5;
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_move_to(cr, x, bottom);
        cairo_line_to(cr, x, bottom + 4);
        cairo_stroke(cr);
        char text[16];
        std::snprintf(text, sizeof text, "%g", t);
        label(cr, x, bottom + 17, text, 0.5);
    }
    if (withTitle) label(cr, kLeft + kPanelWidth / 2.0, bottom + 34, "time (s)", 0.5);
}

// A vertical colour bar from lo (bottom) to hi with labels every step dB.
template <class Colour>
void colourBar(cairo_t* cr, int top, double lo, double hi, double step, const char* unit, Colour colour) {
    paintImage(cr, makeImage(1, 256, [&](int, int y) { return colour(y / 255.0); }), kBarX, top, kBarWidth,
               kPanelHeight);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_rectangle(cr, kBarX + 0.5, top + 0.5, kBarWidth - 1, kPanelHeight - 1);
    cairo_stroke(cr);
    for (double v = std::ceil(lo / step) * step; v <= hi + 1e-9; v += step) {
        const double y = top + kPanelHeight * (1 - (v - lo) / (hi - lo));
        // Gains carry their sign; levels and zero (never "-0") do not.
        const double shown = std::fabs(v) > 1e-9 ? v : 0.0;
        const bool withSign = lo < 0 && hi > 0 && shown != 0;
        char text[16];
        std::snprintf(text, sizeof text, withSign ? "%+g" : "%g", shown);
        label(cr, kBarX + kBarWidth + 5, y + 4, text, 0);
    }
    label(cr, kBarX + kBarWidth / 2.0, top - 6, unit, 0.5, 11);
}

// Labels every third of the range when that is a whole number of dB, else at a round step.
double gainLabelStep(double range) {
    const double third = range / 3;
    return std::fabs(third - std::round(third)) < 1e-9 ? third : niceStep(range, 3);
}

// Fits text into width at most `size` points, down to 9, then cuts it with an ellipsis;
// answers the font size.
double fitText(cairo_t* cr, std::string& text, double width, double size) {
    cairo_text_extents_t e;
    for (;; size -= 0.5) {
        cairo_set_font_size(cr, size);
        cairo_text_extents(cr, text.c_str(), &e);
        if (e.x_advance <= width || size <= 9) break;
    }
    const size_t full = text.size();
    while (e.x_advance > width && !text.empty()) {
        // Drop whole UTF-8 characters: continuation bytes, then the lead byte.
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
        if (!text.empty()) text.pop_back();
        cairo_text_extents(cr, (text + "\u2026").c_str(), &e);
    }
    if (text.size() < full) text += "\u2026";
    return size;
}

// The whole title on one line when it fits; else the headline, and the settings in
// smaller type under it.
void drawTitle(cairo_t* cr, const PlotTitle& title) {
    const double room = kWidth - kLeft - 12;
    std::string line = title.text();
    cairo_text_extents_t e;
    cairo_set_font_size(cr, 15);
    cairo_text_extents(cr, line.c_str(), &e);
    if (e.x_advance <= room) {
        label(cr, kLeft, 22, line.c_str(), 0, 15);
        return;
    }
    line = title.headline();
    label(cr, kLeft, 18, line.c_str(), 0, fitText(cr, line, room, 15));
    line = title.settings;
    label(cr, kLeft, 33, line.c_str(), 0, fitText(cr, line, room, 11));
}

uint32_t crc32(const unsigned char* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian(std::vector<unsigned char>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

// An uncompressed international text chunk (UTF-8) of a PNG.
std::vector<unsigned char> textChunk(const std::string& keyword, const std::string& text) {
    std::vector<unsigned char> body{'i', 'T', 'X', 't'};
    body.insert(body.end(), keyword.begin(), keyword.end());
    for (int k = 0; k < 5; ++k) body.push_back(0);  // end of keyword, no compression, no language tags
    body.insert(body.end(), text.begin(), text.end());
    std::vector<unsigned char> chunk;
    putBigEndian(chunk, static_cast<uint32_t>(body.size() - 4));
    chunk.insert(chunk.end(), body.begin(), body.end());
    putBigEndian(chunk, crc32(body.data(), body.size()));
    return chunk;
}

double loudestLevel(const SpectrumAnalyser& a) {
    float top = -200;
    for (int x = 0; x < a.columns(); ++x)
        for (int y = 0; y < a.rows(); ++y) top = std::max(top, a.levelDb(x, y));
    return std::ceil(top / 10.0) * 10.0;
}

cairo_status_t appendToBuffer(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

PlotRect gainScaleArea() { return {kBarX, kTop + kPanelHeight + kGap, kWidth - kBarX, kPanelHeight}; }

PlotTitle plotTitle(const std::string& effect, const std::string& program, const std::vector<SettingAction>& actions,
                    const std::string& material) {
    std::string settings;
    for (const SettingAction& action : actions) {
        std::string value = action.text;
        if (action.kind == SettingAction::Load) value = value.substr(value.rfind('/') + 1);
        if (value.find(' ') != std::string::npos) value = "\"" + value + "\"";
        const char* option = action.kind == SettingAction::Program ? "--program"
                             : action.kind == SettingAction::Set   ? "--set"
                                                                   : "--load";
        settings += (settings.empty() ? "" : " ") + std::string(option) + " " + value;
    }
    return {effect + ", program \"" + program + "\"", settings, material};
}

void drawPlot(const SpectrumAnalyser& a, const PlotTitle& title, double range, AtomicFile& out) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

    const int top1 = kTop;
    const int top2 = kTop + kPanelHeight + kGap;
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
    drawTitle(cr, title);
    cairo_set_source_rgb(cr, 0.25, 0.25, 0.25);
    label(cr, kLeft, top1 - 8, "Input spectrogram", 0, 12);
    label(cr, kLeft, top2 - 8, "Equaliser gain over time: output over input, per frame (grey: too quiet to tell)", 0,
          12);

    const double levelTop = loudestLevel(a);
    const double levelBottom = levelTop - kLevelRangeDb;
    paintImage(cr, makeImage(a.columns(), a.rows(),
                             [&](int x, int y) {
                                 return levelColour(steps((a.levelDb(x, y) - levelBottom) / kLevelRangeDb));
                             }),
               kLeft, top1, kPanelWidth, kPanelHeight);
    paintImage(cr, makeImage(a.columns(), a.rows(),
                             [&](int x, int y) {
                                 const float g = a.gainDb(x, y);
                                 return std::isnan(g) ? kNoData : gainColour(steps((g + range) / (2 * range)));
                             }),
               kLeft, top2, kPanelWidth, kPanelHeight);

    for (int top : {top1, top2}) {
        frequencyAxis(cr, a, top);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_rectangle(cr, kLeft + 0.5, top + 0.5, kPanelWidth - 1, kPanelHeight - 1);
        cairo_stroke(cr);
    }
    timeAxis(cr, a.seconds(), top1 + kPanelHeight, false);
    timeAxis(cr, a.seconds(), top2 + kPanelHeight, true);
    colourBar(cr, top1, levelBottom, levelTop, 10, "dBFS", levelColour);
    colourBar(cr, top2, -range, range, gainLabelStep(range), "dB", gainColour);

    cairo_destroy(cr);
    std::vector<unsigned char> png;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, appendToBuffer, &png);
    cairo_surface_destroy(surface);
    // The one plot is drawn: let go of cairo's and fontconfig's caches so leak
    // checkers see none.
    cairo_debug_reset_static_data();
    FcFini();
    if (status != CAIRO_STATUS_SUCCESS)
        throw ToolError("cannot write plot " + out.path() + ": " + cairo_status_to_string(status));
    // The text chunks go right after the header chunk (signature 8 bytes, IHDR 25).
    constexpr size_t kAfterHeader = 33;
    if (png.size() < kAfterHeader) throw ToolError("cannot write plot " + out.path() + ": cairo gave no image");
    std::vector<unsigned char> text = textChunk("Title", title.text());
    const std::vector<unsigned char> software = textChunk("Software", "orvan-render");
    text.insert(text.end(), software.begin(), software.end());
    png.insert(png.begin() + kAfterHeader, text.begin(), text.end());
    out.write(png.data(), png.size());
}
