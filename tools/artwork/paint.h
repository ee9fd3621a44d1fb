// Drawing helpers shared by every piece of the editor's artwork: owned cairo objects,
// colours, rounded shapes, soft shadows and text in the editor's font.
//
// One light serves the whole faceplate: it comes from the upper left, so top and left
// edges catch a highlight and shadows fall down and to the right.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>

namespace artwork {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

// A transparent ARGB image of the given size, and a context drawing into it.
Surface newImage(int width, int height);
Context contextFor(cairo_surface_t* surface);

struct Rgba {
    double r, g, b, a;
};
// 0xRRGGBB with an opacity.
constexpr Rgba rgb(unsigned hex, double alpha = 1.0) {
    return {((hex >> 16) & 0xff) / 255.0, ((hex >> 8) & 0xff) / 255.0, (hex & 0xff) / 255.0, alpha};
}
Rgba mix(const Rgba& a, const Rgba& b, double t);
Rgba withAlpha(const Rgba& c, double alpha);
void setColour(cairo_t* cr, const Rgba& c);

struct Box {
    double x0, y0, x1, y1;
    bool intersects(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// Adds a rounded rectangle to the current path.
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);

// Fills the current path with a vertical gradient from top (at y0) to bottom (at y1),
// keeping the path.
void fillVertical(cairo_t* cr, double y0, double y1, const Rgba& top, const Rgba& bottom);

// A soft shadow of a rounded rectangle, offset down and to the right, made of
// concentric layers (cairo has no blur).
void softShadow(cairo_t* cr, double x, double y, double w, double h, double radius, double spread,
                double opacity);

// A recessed rounded well: dark inside, shadowed along its upper left edge and lit
// along its lower right one.
void recessedWell(cairo_t* cr, double x, double y, double w, double h, double radius, const Rgba& inside);

// Text in the editor's family ("Arial") at a pixel size, hinted the same way on
// every run so the images come out byte for byte the same.
enum class Weight { Regular, Bold };
enum class Align { Left, Centre, Right };
void useFont(cairo_t* cr, double size, Weight weight);

// Draws text with the current font; x is the left edge, centre or right edge as
// aligned, y the baseline. Answers the box the glyphs cover.
Box drawText(cairo_t* cr, const std::string& text, double x, double y, Align align, const Rgba& colour);

// The box text would cover, without drawing it.
Box measureText(cairo_t* cr, const std::string& text, double x, double y, Align align);

// Checks that fontconfig resolves "Arial" to Liberation Sans, the face the committed
// images were drawn with. Answers false and the family found otherwise.
bool editorFontIsAvailable(std::string& family);

// Writes the surface as PNG through a temporary file and a rename, so a failed run
// leaves no partial image. Answers false with a message on failure.
bool writePng(cairo_surface_t* surface, const std::string& path, std::string& error);

}  // namespace artwork
