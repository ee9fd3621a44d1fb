// The 2-D graphics backend on Windows: GDI+. Pictures keep their pixels in buffers of
// their own (premultiplied 0xAARRGGBB, GDI+'s PARGB), wrapped by GDI+ bitmaps; PNG files
// are decoded by GDI+ from a stream over a copy of the bytes. Pixel centres sit at
// half-pixel offsets, as cairo's do, so boxes cover the same pixels on every platform.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "platform/gui/canvas.h"
#include "platform/win32/wide_text.h"
#include "platform/win32_gui/gdiplus_surface.h"

namespace {

// GDI+ is started before the first picture and shut down after the last, on the thread
// that releases it: never from DllMain, where GdiplusShutdown must not be called.
class GdiplusSession {
public:
    GdiplusSession() {
        std::lock_guard<std::mutex> lock(mutex());
        if (users()++ == 0) {
            Gdiplus::GdiplusStartupInput input;
            if (Gdiplus::GdiplusStartup(&token(), &input, nullptr) != Gdiplus::Ok) token() = 0;
        }
        ok_ = token() != 0;
    }
    ~GdiplusSession() {
        std::lock_guard<std::mutex> lock(mutex());
        if (--users() == 0 && token() != 0) {
            Gdiplus::GdiplusShutdown(token());
            token() = 0;
        }
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return ok_; }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static int& users() {
        static int n = 0;
        return n;
    }
    static ULONG_PTR& token() {
        static ULONG_PTR t = 0;
        return t;
    }
    bool ok_ = false;
};

uint32_t unpremultiply(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 0) return 0;
    if (a == 255) return argb;
    auto un = [a](uint32_t c) { return (c * 255u + a / 2u) / a; };
    return (a << 24) | (un((argb >> 16) & 255u) << 16) | (un((argb >> 8) & 255u) << 8) | un(argb & 255u);
}

// Pixels in a buffer of their own and a GDI+ bitmap over them. The session member comes
// first, so GDI+ outlives the bitmap.
struct PixelPicture {
    PixelPicture(int32_t w, int32_t h)
        : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0u) {
        if (session.ok())
            bitmap = std::make_unique<Gdiplus::Bitmap>(w, h, w * 4, PixelFormat32bppPARGB,
                                                       reinterpret_cast<BYTE*>(pixels.data()));
    }
    bool ok() const { return bitmap != nullptr && bitmap->GetLastStatus() == Gdiplus::Ok; }

    GdiplusSession session;
    int32_t width, height;
    std::vector<uint32_t> pixels;
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
};

class GdiplusImage : public QB_Image {
public:
    GdiplusImage(int32_t w, int32_t h) : picture_(w, h) {}
    bool ok() const { return picture_.ok(); }
    int32_t width() const override { return picture_.width; }
    int32_t height() const override { return picture_.height; }
    uint8_t alphaAt(int32_t x, int32_t y) const override {
        if (x < 0 || y < 0 || x >= width() || y >= height()) return 0;
        return static_cast<uint8_t>(picture_.pixels[static_cast<size_t>(y) * width() + x] >> 24);
    }
    uint32_t* pixels() { return picture_.pixels.data(); }
    Gdiplus::Bitmap* bitmap() const { return picture_.bitmap.get(); }

private:
    PixelPicture picture_;
};

Gdiplus::Color colourOf(QB_Rgba c) { return Gdiplus::Color(c.a, c.r, c.g, c.b); }

bool pngEncoder(CLSID* clsid) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType != nullptr && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

class GdiplusCanvas : public QB_Canvas {
public:
    GdiplusCanvas(int32_t width, int32_t height) : picture_(width, height) {
        if (!picture_.ok()) return;
        graphics_.reset(Gdiplus::Graphics::FromImage(picture_.bitmap.get()));
        if (graphics_->GetLastStatus() != Gdiplus::Ok) {
            graphics_.reset();
            return;
        }
        graphics_->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics_->SetCompositingMode(Gdiplus::CompositingModeSourceOver);
        graphics_->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        // Typographic layout (no padding) that counts trailing spaces, as advance widths do.
        format_.reset(Gdiplus::StringFormat::GenericTypographic()->Clone());
        format_->SetFormatFlags(format_->GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                                Gdiplus::StringFormatFlagsNoWrap);
    }
    bool ok() const { return graphics_ != nullptr; }

    int32_t width() const override { return picture_.width; }
    int32_t height() const override { return picture_.height; }

    void setClip(const QB_Box& box) override {
        graphics_->SetClip(Gdiplus::Rect(box.left, box.top, box.width(), box.height()), Gdiplus::CombineModeReplace);
    }
    void resetClip() override { graphics_->ResetClip(); }

    void drawImage(const QB_Image& image, const QB_Box& dest, int32_t sourceX, int32_t sourceY,
                   uint8_t alpha) override {
        drawImageRotated(image, dest, sourceX, sourceY, 0.0, alpha);
    }

    void drawImageRotated(const QB_Image& image, const QB_Box& dest, int32_t sourceX, int32_t sourceY,
                          double degrees, uint8_t alpha) override {
        if (dest.empty() || alpha == 0) return;
        const auto& img = static_cast<const GdiplusImage&>(image);
        const Gdiplus::GraphicsState state = graphics_->Save();
        if (degrees != 0.0) {
            const float cx = dest.left + dest.width() / 2.0f, cy = dest.top + dest.height() / 2.0f;
            graphics_->TranslateTransform(cx, cy);
            graphics_->RotateTransform(static_cast<float>(degrees));
            graphics_->TranslateTransform(-cx, -cy);
        }
        const Gdiplus::Rect to(dest.left, dest.top, dest.width(), dest.height());
        graphics_->SetClip(to, Gdiplus::CombineModeIntersect);
        // Rotated frames are smoothed; straight ones are copied pixel for pixel.
        graphics_->SetInterpolationMode(degrees != 0.0 ? Gdiplus::InterpolationModeBilinear
                                                       : Gdiplus::InterpolationModeNearestNeighbor);
        Gdiplus::ImageAttributes attributes;
        // Bilinear sampling at the picture's edge reads transparent pixels, not wrapped ones.
        attributes.SetWrapMode(Gdiplus::WrapModeClamp);
        if (alpha != 255) {
            Gdiplus::ColorMatrix m = {{{1, 0, 0, 0, 0},
                                       {0, 1, 0, 0, 0},
                                       {0, 0, 1, 0, 0},
                                       {0, 0, 0, alpha / 255.0f, 0},
                                       {0, 0, 0, 0, 1}}};
            attributes.SetColorMatrix(&m);
        }
        graphics_->DrawImage(img.bitmap(), to, sourceX, sourceY, dest.width(), dest.height(), Gdiplus::UnitPixel,
                             &attributes);
        graphics_->Restore(state);
    }

    void fillBox(const QB_Box& box, QB_Rgba colour) override {
        if (box.empty()) return;
        Gdiplus::SolidBrush brush(colourOf(colour));
        graphics_->FillRectangle(&brush, box.left, box.top, box.width(), box.height());
    }

    void frameBox(const QB_Box& box, QB_Rgba colour, int32_t lineWidth) override {
        if (box.empty() || lineWidth <= 0) return;
        // Four strips inside the box; a frame wider than half the box fills it.
        const int32_t w = lineWidth;
        if (2 * w >= box.width() || 2 * w >= box.height()) {
            fillBox(box, colour);
            return;
        }
        fillBox({box.left, box.top, box.right, box.top + w}, colour);
        fillBox({box.left, box.bottom - w, box.right, box.bottom}, colour);
        fillBox({box.left, box.top + w, box.left + w, box.bottom - w}, colour);
        fillBox({box.right - w, box.top + w, box.right, box.bottom - w}, colour);
    }

    void drawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, QB_Rgba colour, int32_t lineWidth) override {
        Gdiplus::Pen pen(colourOf(colour), static_cast<float>(lineWidth));
        graphics_->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        // Odd widths sit on pixel centres so a one-pixel line covers one pixel.
        const float o = (lineWidth % 2 != 0) ? 0.5f : 0.0f;
        graphics_->DrawLine(&pen, x0 + o, y0 + o, x1 + o, y1 + o);
        graphics_->SetSmoothingMode(Gdiplus::SmoothingModeNone);
    }

    void drawText(const char* utf8, const QB_Box& box, const QB_Font& font, QB_Rgba colour,
                  QB_TextAlign align) override {
        if (utf8 == nullptr || *utf8 == '\0') return;
        const Face face(font);
        if (!face.ok()) return;
        const std::wstring text = qbWide(utf8);
        const float advance = measure(text, face);
        float x = static_cast<float>(box.left);
        if (align == QB_TextAlign::centre) x = box.left + (box.width() - advance) / 2.0f;
        else if (align == QB_TextAlign::right) x = box.right - advance;
        const float baseline = box.top + (box.height() + face.ascent - face.descent) / 2.0f;
        const Gdiplus::GraphicsState state = graphics_->Save();
        graphics_->SetClip(Gdiplus::Rect(box.left, box.top, box.width(), box.height()), Gdiplus::CombineModeIntersect);
        Gdiplus::SolidBrush brush(colourOf(colour));
        // GDI+ places the top of the line's cell at the point: the baseline less the ascent.
        const Gdiplus::PointF at(std::round(x), std::round(baseline) - face.ascent);
        graphics_->DrawString(text.c_str(), static_cast<INT>(text.size()), face.font.get(), at, format(), &brush);
        graphics_->Restore(state);
    }

    double textWidth(const char* utf8, const QB_Font& font) override {
        if (utf8 == nullptr || *utf8 == '\0') return 0.0;
        const Face face(font);
        return face.ok() ? measure(qbWide(utf8), face) : 0.0;
    }

    std::vector<uint32_t> pixels() const override {
        graphics_->Flush(Gdiplus::FlushIntentionSync);
        std::vector<uint32_t> out(picture_.pixels.size());
        for (size_t i = 0; i < out.size(); ++i) out[i] = unpremultiply(picture_.pixels[i]);
        return out;
    }

    const uint32_t* flushedPixels() {
        graphics_->Flush(Gdiplus::FlushIntentionSync);
        return picture_.pixels.data();
    }

    bool writePng(const char* path) const override {
        if (path == nullptr) return false;
        graphics_->Flush(Gdiplus::FlushIntentionSync);
        CLSID png;
        if (!pngEncoder(&png)) return false;
        return picture_.bitmap->Save(qbWide(path).c_str(), &png, nullptr) == Gdiplus::Ok;
    }

private:
    // A font in pixels, with its ascent and descent in pixels.
    struct Face {
        explicit Face(const QB_Font& f)
            : family(qbWide(f.family != nullptr ? f.family : "Arial").c_str()),
              style(f.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular) {
            if (family.GetLastStatus() != Gdiplus::Ok) return;
            font = std::make_unique<Gdiplus::Font>(&family, static_cast<float>(f.size), style, Gdiplus::UnitPixel);
            const float em = family.GetEmHeight(style);
            ascent = static_cast<float>(f.size) * family.GetCellAscent(style) / em;
            descent = static_cast<float>(f.size) * family.GetCellDescent(style) / em;
        }
        bool ok() const { return font != nullptr && font->GetLastStatus() == Gdiplus::Ok; }
        Gdiplus::FontFamily family;
        INT style;
        std::unique_ptr<Gdiplus::Font> font;
        float ascent = 0.f, descent = 0.f;
    };

    const Gdiplus::StringFormat* format() const { return format_.get(); }

    float measure(const std::wstring& text, const Face& face) const {
        Gdiplus::RectF bounds;
        graphics_->MeasureString(text.c_str(), static_cast<INT>(text.size()), face.font.get(),
                                 Gdiplus::PointF(0.f, 0.f), format(), &bounds);
        return bounds.Width;
    }

    PixelPicture picture_;
    std::unique_ptr<Gdiplus::Graphics> graphics_;
    std::unique_ptr<Gdiplus::StringFormat> format_;
};

// A stream over a copy of the bytes; the stream frees the copy when released.
IStream* memoryStream(const unsigned char* data, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return nullptr;
    void* bytes = GlobalLock(block);
    if (bytes == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(bytes, data, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK) {
        GlobalFree(block);
        return nullptr;
    }
    return stream;
}

}  // namespace

const uint32_t* qbCanvasPixels(QB_Canvas& canvas) { return static_cast<GdiplusCanvas&>(canvas).flushedPixels(); }

std::unique_ptr<QB_Canvas> QB_Canvas::create(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return nullptr;
    auto canvas = std::make_unique<GdiplusCanvas>(width, height);
    if (!canvas->ok()) return nullptr;
    return canvas;
}

std::unique_ptr<QB_Image> QB_Image::decodePng(const unsigned char* data, size_t size) {
    // GDI+ reads other formats too: only PNG files are taken.
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (data == nullptr || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return nullptr;
    GdiplusSession session;
    if (!session.ok()) return nullptr;
    IStream* stream = memoryStream(data, size);
    if (stream == nullptr) return nullptr;
    std::unique_ptr<QB_Image> result;
    {
        // The decoded bitmap reads from the stream until it is gone: copy its pixels out first.
        std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream));
        if (decoded != nullptr && decoded->GetLastStatus() == Gdiplus::Ok) {
            const int32_t w = static_cast<int32_t>(decoded->GetWidth()), h = static_cast<int32_t>(decoded->GetHeight());
            auto image = w > 0 && h > 0 ? std::make_unique<GdiplusImage>(w, h) : nullptr;
            if (image != nullptr && image->ok()) {
                Gdiplus::BitmapData out;
                out.Width = static_cast<UINT>(w);
                out.Height = static_cast<UINT>(h);
                out.Stride = w * 4;
                out.PixelFormat = PixelFormat32bppPARGB;
                out.Scan0 = image->pixels();
                out.Reserved = 0;
                Gdiplus::Rect all(0, 0, w, h);
                // Reading into our buffer converts to premultiplied pixels on the way.
                if (decoded->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                      PixelFormat32bppPARGB, &out) == Gdiplus::Ok) {
                    decoded->UnlockBits(&out);
                    result = std::move(image);
                }
            }
        }
    }
    stream->Release();
    return result;
}
