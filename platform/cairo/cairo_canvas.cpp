// The 2-D graphics backend on Linux: pictures are cairo image surfaces (premultiplied
// ARGB32), PNG files are decoded with libpng, text uses cairo's fontconfig faces.
#include <cairo.h>
#include <png.h>

#include <cmath>
#include <cstring>

#include "platform/cairo/cairo_surface.h"
#include "platform/gui/canvas.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

uint32_t* rowOf(cairo_surface_t* s, int32_t y) {
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) +
                                       static_cast<ptrdiff_t>(y) * cairo_image_surface_get_stride(s));
}

class CairoImage : public QB_Image {
public:
    explicit CairoImage(cairo_surface_t* surface) : surface_(surface) {}
    ~CairoImage() override { cairo_surface_destroy(surface_); }
    int32_t width() const override { return cairo_image_surface_get_width(surface_); }
    int32_t height() const override { return cairo_image_surface_get_height(surface_); }
    uint8_t alphaAt(int32_t x, int32_t y) const override {
        if (x < 0 || y < 0 || x >= width() || y >= height()) return 0;
        return static_cast<uint8_t>(rowOf(surface_, y)[x] >> 24);
    }
    cairo_surface_t* surface() const { return surface_; }

private:
    cairo_surface_t* surface_;
};

void setColour(cairo_t* cr, QB_Rgba c) { cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0); }

class CairoCanvas : public QB_Canvas {
public:
    CairoCanvas(int32_t width, int32_t height)
        : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)), cr_(cairo_create(surface_)) {}
    ~CairoCanvas() override {
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }

    int32_t width() const override { return cairo_image_surface_get_width(surface_); }
    int32_t height() const override { return cairo_image_surface_get_height(surface_); }

    void setClip(const QB_Box& box) override {
        cairo_reset_clip(cr_);
        cairo_rectangle(cr_, box.left, box.top, box.width(), box.height());
        cairo_clip(cr_);
    }
    void resetClip() override { cairo_reset_clip(cr_); }

    void drawImage(const QB_Image& image, const QB_Box& dest, int32_t sourceX, int32_t sourceY,
                   uint8_t alpha) override {
        drawImageRotated(image, dest, sourceX, sourceY, 0.0, alpha);
    }

    void drawImageRotated(const QB_Image& image, const QB_Box& dest, int32_t sourceX, int32_t sourceY,
                          double degrees, uint8_t alpha) override {
        if (dest.empty() || alpha == 0) return;
        const auto& img = static_cast<const CairoImage&>(image);
        cairo_save(cr_);
        if (degrees != 0.0) {
            const double cx = dest.left + dest.width() / 2.0, cy = dest.top + dest.height() / 2.0;
            cairo_translate(cr_, cx, cy);
            cairo_rotate(cr_, degrees * kPi / 180.0);
            cairo_translate(cr_, -cx, -cy);
        }
        cairo_rectangle(cr_, dest.left, dest.top, dest.width(), dest.height());
        cairo_clip(cr_);
        cairo_set_source_surface(cr_, img.surface(), dest.left - sourceX, dest.top - sourceY);
        // Rotated frames are smoothed; straight ones are copied pixel for pixel.
        cairo_pattern_set_filter(cairo_get_source(cr_), degrees != 0.0 ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
        if (alpha == 255) cairo_paint(cr_);
        else cairo_paint_with_alpha(cr_, alpha / 255.0);
        cairo_restore(cr_);
    }

    void fillBox(const QB_Box& box, QB_Rgba colour) override {
        if (box.empty()) return;
        setColour(cr_, colour);
        cairo_rectangle(cr_, box.left, box.top, box.width(), box.height());
        cairo_fill(cr_);
    }

    void frameBox(const QB_Box& box, QB_Rgba colour, int32_t lineWidth) override {
        if (box.empty() || lineWidth <= 0) return;
        setColour(cr_, colour);
        const double h = lineWidth / 2.0;
        cairo_set_line_width(cr_, lineWidth);
        cairo_rectangle(cr_, box.left + h, box.top + h, box.width() - lineWidth, box.height() - lineWidth);
        cairo_stroke(cr_);
    }

    void drawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, QB_Rgba colour, int32_t lineWidth) override {
        setColour(cr_, colour);
        cairo_set_line_width(cr_, lineWidth);
        // Odd widths sit on pixel centres so a one-pixel line covers one pixel.
        const double o = (lineWidth % 2 != 0) ? 0.5 : 0.0;
        cairo_move_to(cr_, x0 + o, y0 + o);
        cairo_line_to(cr_, x1 + o, y1 + o);
        cairo_stroke(cr_);
    }

    void drawText(const char* utf8, const QB_Box& box, const QB_Font& font, QB_Rgba colour,
                  QB_TextAlign align) override {
        if (utf8 == nullptr || *utf8 == '\0') return;
        useFont(font);
        cairo_text_extents_t te;
        cairo_text_extents(cr_, utf8, &te);
        cairo_font_extents_t fe;
        cairo_font_extents(cr_, &fe);
        double x = box.left;
        if (align == QB_TextAlign::centre) x = box.left + (box.width() - te.x_advance) / 2.0;
        else if (align == QB_TextAlign::right) x = box.right - te.x_advance;
        const double y = box.top + (box.height() + fe.ascent - fe.descent) / 2.0;
        cairo_save(cr_);
        cairo_rectangle(cr_, box.left, box.top, box.width(), box.height());
        cairo_clip(cr_);
        setColour(cr_, colour);
        cairo_move_to(cr_, std::round(x), std::round(y));
        cairo_show_text(cr_, utf8);
        cairo_restore(cr_);
    }

    double textWidth(const char* utf8, const QB_Font& font) override {
        if (utf8 == nullptr) return 0.0;
        useFont(font);
        cairo_text_extents_t te;
        cairo_text_extents(cr_, utf8, &te);
        return te.x_advance;
    }

    std::vector<uint32_t> pixels() const override {
        cairo_surface_flush(surface_);
        const int32_t w = width(), h = height();
        std::vector<uint32_t> out(static_cast<size_t>(w) * static_cast<size_t>(h));
        for (int32_t y = 0; y < h; ++y) {
            const uint32_t* row = rowOf(surface_, y);
            for (int32_t x = 0; x < w; ++x) out[static_cast<size_t>(y) * w + x] = qbUnpremultiply(row[x]);
        }
        return out;
    }

    bool writePng(const char* path) const override {
        cairo_surface_flush(surface_);
        return cairo_surface_write_to_png(surface_, path) == CAIRO_STATUS_SUCCESS;
    }

    cairo_surface_t* surface() const { return surface_; }

private:
    void useFont(const QB_Font& font) {
        cairo_select_font_face(cr_, font.family != nullptr ? font.family : "Arial", CAIRO_FONT_SLANT_NORMAL,
                               font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr_, font.size);
    }

    cairo_surface_t* surface_;
    cairo_t* cr_;
};

}  // namespace

uint32_t qbUnpremultiply(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 0) return 0;
    if (a == 255) return argb;
    auto un = [a](uint32_t c) { return (c * 255u + a / 2u) / a; };
    return (a << 24) | (un((argb >> 16) & 255u) << 16) | (un((argb >> 8) & 255u) << 8) | un(argb & 255u);
}

cairo_surface_t* qbCanvasSurface(QB_Canvas& canvas) {
    cairo_surface_t* s = static_cast<CairoCanvas&>(canvas).surface();
    cairo_surface_flush(s);
    return s;
}

std::unique_ptr<QB_Canvas> QB_Canvas::create(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return nullptr;
    return std::make_unique<CairoCanvas>(width, height);
}

std::unique_ptr<QB_Image> QB_Image::decodePng(const unsigned char* data, size_t size) {
    if (data == nullptr || size == 0) return nullptr;
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&png, data, size) == 0) return nullptr;
    png.format = PNG_FORMAT_BGRA;  // byte order of cairo's native ARGB32 on little-endian machines
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(png.width),
                                                    static_cast<int>(png.height));
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        png_image_free(&png);
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_surface_flush(s);
    const int stride = cairo_image_surface_get_stride(s);
    if (png_image_finish_read(&png, nullptr, cairo_image_surface_get_data(s), stride, nullptr) == 0) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    // cairo keeps colours premultiplied by alpha.
    for (int y = 0; y < static_cast<int>(png.height); ++y) {
        uint32_t* row = rowOf(s, y);
        for (int x = 0; x < static_cast<int>(png.width); ++x) {
            const uint32_t p = row[x], a = p >> 24;
            if (a == 255) continue;
            auto pre = [a](uint32_t c) { return (c * a + 127u) / 255u; };
            row[x] = (a << 24) | (pre((p >> 16) & 255u) << 16) | (pre((p >> 8) & 255u) << 8) | pre(p & 255u);
        }
    }
    cairo_surface_mark_dirty(s);
    return std::make_unique<CairoImage>(s);
}
