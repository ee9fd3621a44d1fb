// A two-state button: its bitmap holds the off picture in the upper half and the on
// picture in the lower half.
#pragma once

#include "toolkit/control.h"

namespace VSTGUI {

class COnOffButton : public CControl {
public:
    COnOffButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
        : CControl(size, listener, tag, background) {}

    // Off half when the value is 0, on half otherwise.
    void draw(CDrawContext* context) override;
    // Toggles, reported between begin and end edit.
    CMouseEventResult onMouseDown(CPoint& where, const int32_t& buttons) override;
};

}  // namespace VSTGUI
