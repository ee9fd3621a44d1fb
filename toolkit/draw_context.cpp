#include "toolkit/draw_context.h"

namespace VSTGUI {

namespace {
const QB_Font kDefaultFont{"Arial", 12.0, false};

QB_TextAlign alignOf(CHoriTxtAlign a) {
    return a == kLeftText ? QB_TextAlign::left : a == kRightText ? QB_TextAlign::right : QB_TextAlign::centre;
}
}  // namespace

void CDrawContext::setClipRect(const CRect& rect) {
    clip_ = toCanvas(rect);
    canvas_.setClip(clip_.box());
}

void CDrawContext::drawBitmap(const CBitmap* bitmap, const CRect& dest, const CPoint& source, uint8_t alpha) {
    if (bitmap == nullptr || bitmap->image() == nullptr) return;
    canvas_.drawImage(*bitmap->image(), toCanvas(dest).box(), source.x, source.y, alpha);
}

void CDrawContext::drawBitmapRotated(const CBitmap* bitmap, const CRect& dest, const CPoint& source, double degrees,
                                     uint8_t alpha) {
    if (bitmap == nullptr || bitmap->image() == nullptr) return;
    canvas_.drawImageRotated(*bitmap->image(), toCanvas(dest).box(), source.x, source.y, degrees, alpha);
}

void CDrawContext::fillRect(const CRect& rect, const CColor& colour) {
    if (colour.alpha != 0) canvas_.fillBox(toCanvas(rect).box(), colour.rgba());
}

void CDrawContext::frameRect(const CRect& rect, const CColor& colour, CCoord lineWidth) {
    if (colour.alpha != 0) canvas_.frameBox(toCanvas(rect).box(), colour.rgba(), lineWidth);
}

void CDrawContext::drawLine(const CPoint& from, const CPoint& to, const CColor& colour, CCoord lineWidth) {
    canvas_.drawLine(from.x + origin_.x, from.y + origin_.y, to.x + origin_.x, to.y + origin_.y, colour.rgba(),
                     lineWidth);
}

void CDrawContext::drawString(const char* utf8, const CRect& rect, const CFontDesc* font, const CColor& colour,
                              CHoriTxtAlign align) {
    canvas_.drawText(utf8, toCanvas(rect).box(), font != nullptr ? font->font() : kDefaultFont, colour.rgba(),
                     alignOf(align));
}

double CDrawContext::getStringWidth(const char* utf8, const CFontDesc* font) {
    return canvas_.textWidth(utf8, font != nullptr ? font->font() : kDefaultFont);
}

}  // namespace VSTGUI
