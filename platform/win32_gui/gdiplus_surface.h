// What the Windows window backend needs of the GDI+ canvas: its pixels, for blitting.
#pragma once

#include <cstdint>

class QB_Canvas;

// The premultiplied 0xAARRGGBB pixels (row after row, width per row) of a canvas made by
// QB_Canvas::create, with GDI+'s pending drawing flushed into them.
const uint32_t* qbCanvasPixels(QB_Canvas& canvas);
