// Knobs: CKnob answers the wheel and the arrow keys; CAnimKnob draws one frame of a
// vertical strip of equal frames for its value.
#pragma once

#include "toolkit/control.h"

namespace VSTGUI {

class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
        : CControl(size, listener, tag, background) {}

    // The wheel adds distance x the wheel step (a tenth of it with shift); a change is
    // bracketed by begin and end edit.
    bool onWheel(const CPoint& where, float distance, const int32_t& buttons) override;
    // Left and down take one wheel step off, up and right add one.
    int32_t onKeyDown(const CKeyEvent& key) override;

protected:
    // Adds steps wheel steps; true when the value changed.
    bool step(float steps, int32_t modifiers);
};

class CAnimKnob : public CKnob {
public:
    // subPixmaps 0: square frames, as many as the strip's height holds.
    CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps, CCoord heightOfOneImage,
              CBitmap* background);
    void draw(CDrawContext* context) override;
    int32_t getNumSubPixmaps() const { return subPixmaps_; }
    CCoord getHeightOfOneImage() const { return heightOfOneImage_; }

protected:
    // The frame a value shows: int((frames - 1) x value), 0 for negative values.
    int32_t frameFor(float value) const;
    int32_t subPixmaps_;
    CCoord heightOfOneImage_;
};

}  // namespace VSTGUI
