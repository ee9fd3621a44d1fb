// What the Linux window backend needs of the cairo canvas: its surface, for uploading.
#pragma once

#include <cairo.h>

#include <cstdint>

class QB_Canvas;

// The cairo image surface behind a canvas made by QB_Canvas::create, flushed.
cairo_surface_t* qbCanvasSurface(QB_Canvas& canvas);
// A premultiplied ARGB32 pixel as straight 0xAARRGGBB.
uint32_t qbUnpremultiply(uint32_t argb);
