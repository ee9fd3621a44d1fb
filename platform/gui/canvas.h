// The 2-D graphics interface the toolkit draws through: decoded images with per-pixel
// alpha, and a canvas over an image in memory (the window's back buffer or an off-screen
// picture). One backend per platform implements it (cairo on Linux, GDI+ on Windows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct QB_Rgba {
    uint8_t r, g, b, a;
};

// A rectangle in pixels: left and top inside, right and bottom just outside.
struct QB_Box {
    int32_t left, top, right, bottom;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    // The part inside a picture of width x height.
    QB_Box within(int32_t width, int32_t height) const {
        return {left < 0 ? 0 : left, top < 0 ? 0 : top, right > width ? width : right,
                bottom > height ? height : bottom};
    }
};

// A font: family name (UTF-8, e.g. "Arial"), size in pixels, bold or not.
struct QB_Font {
    const char* family;
    double size;
    bool bold;
};

enum class QB_TextAlign { left, centre, right };

// A decoded picture with straight or premultiplied pixels as the backend keeps them.
class QB_Image {
public:
    virtual ~QB_Image() = default;
    virtual int32_t width() const = 0;
    virtual int32_t height() const = 0;
    // Alpha 0..255 of the pixel at (x, y); 0 outside the picture.
    virtual uint8_t alphaAt(int32_t x, int32_t y) const = 0;

    // Decodes a PNG file held in memory; nullptr when the data is not a PNG it can read.
    static std::unique_ptr<QB_Image> decodePng(const unsigned char* data, size_t size);
};

// Draws into a picture in memory. Coordinates are pixels of that picture.
class QB_Canvas {
public:
    virtual ~QB_Canvas() = default;
    virtual int32_t width() const = 0;
    virtual int32_t height() const = 0;

    // Later drawing is limited to box (intersected with the picture) until resetClip.
    virtual void setClip(const QB_Box& box) = 0;
    virtual void resetClip() = 0;

    // Draws the part of image whose top-left corner is (sourceX, sourceY) and whose size
    // is dest's into dest, with overall opacity alpha (255 = as the image is).
    virtual void drawImage(const QB_Image& image, const QB_Box& dest, int32_t sourceX, int32_t sourceY,
                           uint8_t alpha) = 0;
    // As drawImage, turned clockwise by degrees about dest's centre.
    virtual void drawImageRotated(const QB_Image& image, const QB_Box& dest, int32_t sourceX, int32_t sourceY,
                                  double degrees, uint8_t alpha) = 0;
    virtual void fillBox(const QB_Box& box, QB_Rgba colour) = 0;
    // A frame of lineWidth pixels drawn inside box.
    virtual void frameBox(const QB_Box& box, QB_Rgba colour, int32_t lineWidth) = 0;
    virtual void drawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, QB_Rgba colour, int32_t lineWidth) = 0;
    // UTF-8 text on one line, vertically centred in box and aligned horizontally.
    virtual void drawText(const char* utf8, const QB_Box& box, const QB_Font& font, QB_Rgba colour,
                          QB_TextAlign align) = 0;
    // Width in pixels of the UTF-8 text in font.
    virtual double textWidth(const char* utf8, const QB_Font& font) = 0;

    // The picture's pixels as 0xAARRGGBB, unpremultiplied, row after row.
    virtual std::vector<uint32_t> pixels() const = 0;
    // Writes the picture as a PNG file; false when it could not be written.
    virtual bool writePng(const char* path) const = 0;

    // A canvas over a new picture of width x height, fully transparent.
    static std::unique_ptr<QB_Canvas> create(int32_t width, int32_t height);
};
