#include "toolkit/on_off_button.h"

namespace VSTGUI {

void COnOffButton::draw(CDrawContext* context) {
    if (background_ != nullptr) {
        const CCoord half = background_->getHeight() / 2;
        context->drawBitmap(background_, size_, CPoint(0, value_ != 0.f ? half : 0));
    }
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint& where, const int32_t& buttons) {
    if ((buttons & kLButton) == 0) return kMouseEventNotHandled;
    value_ = value_ != 0.f ? 0.f : 1.f;
    beginEdit();
    valueChanged();
    endEdit();
    invalid();
    return kMouseEventHandled;
}

}  // namespace VSTGUI
