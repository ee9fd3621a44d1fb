#include "toolkit/knob.h"

namespace VSTGUI {

bool CKnob::step(float steps, int32_t modifiers) {
    const float before = value_;
    const float increment = (modifiers & kShift) != 0 ? wheelInc_ * 0.1f : wheelInc_;
    value_ += steps * increment;
    bounceValue();
    if (value_ == before) return false;
    beginEdit();
    valueChanged();
    endEdit();
    invalid();
    return true;
}

bool CKnob::onWheel(const CPoint& where, float distance, const int32_t& buttons) {
    step(distance, buttons);
    return true;
}

int32_t CKnob::onKeyDown(const CKeyEvent& key) {
    switch (key.key) {
        case QB_Key::up:
        case QB_Key::right:
            step(1.f, key.modifiers);
            return 1;
        case QB_Key::down:
        case QB_Key::left:
            step(-1.f, key.modifiers);
            return 1;
        default:
            return -1;
    }
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
                     CCoord heightOfOneImage, CBitmap* background)
    : CKnob(size, listener, tag, background), subPixmaps_(subPixmaps), heightOfOneImage_(heightOfOneImage) {
    if (background != nullptr && subPixmaps_ <= 0 && background->getWidth() > 0) {
        subPixmaps_ = background->getHeight() / background->getWidth();
        heightOfOneImage_ = background->getWidth();
    }
    if (subPixmaps_ <= 0) subPixmaps_ = 1;
}

int32_t CAnimKnob::frameFor(float value) const {
    if (!(value > 0.f)) return 0;
    int32_t frame = static_cast<int32_t>(static_cast<float>(subPixmaps_ - 1) * value);
    return frame < subPixmaps_ ? frame : subPixmaps_ - 1;
}

void CAnimKnob::draw(CDrawContext* context) {
    if (background_ != nullptr)
        context->drawBitmap(background_, size_, CPoint(0, frameFor(value_) * heightOfOneImage_));
    setDirty(false);
}

}  // namespace VSTGUI
