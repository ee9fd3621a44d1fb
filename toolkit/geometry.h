// Points, rectangles and colours of the toolkit, in pixels. A rectangle's left and top
// are inside it, its right and bottom just outside.
#pragma once

#include <cstdint>

#include "platform/gui/canvas.h"

namespace VSTGUI {

using CCoord = int32_t;

struct CPoint {
    CCoord x = 0, y = 0;
    CPoint() = default;
    CPoint(CCoord x_, CCoord y_) : x(x_), y(y_) {}
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
    CPoint& offset(CCoord dx, CCoord dy) {
        x += dx;
        y += dy;
        return *this;
    }
};

struct CRect {
    CCoord left = 0, top = 0, right = 0, bottom = 0;
    CRect() = default;
    CRect(CCoord l, CCoord t, CCoord r, CCoord b) : left(l), top(t), right(r), bottom(b) {}

    CCoord width() const { return right - left; }
    CCoord height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool pointInside(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool rectOverlap(const CRect& o) const {
        return !isEmpty() && !o.isEmpty() && left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    CRect& offset(CCoord dx, CCoord dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    // The smallest rectangle holding both (an empty one adds nothing).
    CRect& unite(const CRect& o) {
        if (o.isEmpty()) return *this;
        if (isEmpty()) return *this = o;
        if (o.left < left) left = o.left;
        if (o.top < top) top = o.top;
        if (o.right > right) right = o.right;
        if (o.bottom > bottom) bottom = o.bottom;
        return *this;
    }
    CRect& bound(const CRect& o) {
        if (left < o.left) left = o.left;
        if (top < o.top) top = o.top;
        if (right > o.right) right = o.right;
        if (bottom > o.bottom) bottom = o.bottom;
        if (right < left) right = left;
        if (bottom < top) bottom = top;
        return *this;
    }
    bool operator==(const CRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    QB_Box box() const { return QB_Box{left, top, right, bottom}; }
};

// Red, green, blue, alpha.
struct CColor {
    uint8_t red = 0, green = 0, blue = 0, alpha = 255;
    QB_Rgba rgba() const { return QB_Rgba{red, green, blue, alpha}; }
    bool operator==(const CColor& o) const {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
};

constexpr CColor kBlackCColor{0, 0, 0, 255};
constexpr CColor kWhiteCColor{255, 255, 255, 255};
constexpr CColor kGreyCColor{127, 127, 127, 255};
constexpr CColor kTransparentCColor{0, 0, 0, 0};

}  // namespace VSTGUI
