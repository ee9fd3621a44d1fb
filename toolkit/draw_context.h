// What views draw with: the window's back buffer seen through an origin (a container's
// children draw in its coordinates) and a clip rectangle.
#pragma once

#include "platform/gui/canvas.h"
#include "toolkit/bitmap.h"
#include "toolkit/font.h"
#include "toolkit/geometry.h"

namespace VSTGUI {

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };

class CDrawContext {
public:
    explicit CDrawContext(QB_Canvas& canvas) : canvas_(canvas) {}

    // Moves the origin by (dx, dy): later coordinates are relative to the new origin.
    void translate(CCoord dx, CCoord dy) { origin_.offset(dx, dy); }
    const CPoint& origin() const { return origin_; }
    // Limits drawing to rect (in current coordinates) until the clip is set again.
    void setClipRect(const CRect& rect);
    const CRect& getClipRect() const { return clip_; }  // in canvas coordinates

    // The part of bitmap at source, of dest's size, into dest.
    void drawBitmap(const CBitmap* bitmap, const CRect& dest, const CPoint& source = CPoint(), uint8_t alpha = 255);
    // As drawBitmap, turned clockwise by degrees about dest's centre.
    void drawBitmapRotated(const CBitmap* bitmap, const CRect& dest, const CPoint& source, double degrees,
                           uint8_t alpha = 255);
    void fillRect(const CRect& rect, const CColor& colour);
    void frameRect(const CRect& rect, const CColor& colour, CCoord lineWidth = 1);
    void drawLine(const CPoint& from, const CPoint& to, const CColor& colour, CCoord lineWidth = 1);
    // One line of UTF-8 text, vertically centred in rect.
    void drawString(const char* utf8, const CRect& rect, const CFontDesc* font, const CColor& colour,
                    CHoriTxtAlign align = kCenterText);
    double getStringWidth(const char* utf8, const CFontDesc* font);

private:
    CRect toCanvas(const CRect& r) const {
        CRect c = r;
        return c.offset(origin_.x, origin_.y);
    }

    QB_Canvas& canvas_;
    CPoint origin_;
    CRect clip_;
};

}  // namespace VSTGUI
