#include "editor/hv_slider.h"

#include "editor/editor.h"

using namespace VSTGUI;

QB_HV_Slider::QB_HV_Slider(const CRect& size, QB_GUI_Editor* editor, int32_t tag, CBitmap* head, int32_t vertical,
                           int32_t springMode)
    : QB_Knob(size, editor, tag, 1, head != nullptr ? head->getHeight() : 0, head, springMode),
      vertical_(vertical),
      headWidth_(head != nullptr ? head->getWidth() : 0),
      headHeight_(head != nullptr ? head->getHeight() : 0) {
    travel_ = vertical_ != 0 ? size.height() - headHeight_ : size.width() - headWidth_;
    if (travel_ < 1) travel_ = 1;
    dragRange_ = static_cast<float>(travel_);
    head_ = headRect(displayed_);
}

CRect QB_HV_Slider::headRect(float d) const {
    if (vertical_ != 0) {
        const CCoord top = size_.top + static_cast<CCoord>((1.f - d) * static_cast<float>(travel_));
        return CRect(size_.left, top, size_.left + headWidth_, top + headHeight_);
    }
    const CCoord left = size_.left + static_cast<CCoord>(d * static_cast<float>(travel_));
    return CRect(left, size_.top, left + headWidth_, size_.top + headHeight_);
}

void QB_HV_Slider::draw(CDrawContext* context) {
    head_ = headRect(displayed_);
    if (background_ != nullptr) context->drawBitmap(background_, head_);
    setDirty(false);
}

bool QB_HV_Slider::pixelUnder(const CPoint& where, CCoord& x, CCoord& y) const {
    x = where.x - head_.left;
    y = where.y - head_.top;
    return head_.pointInside(where);
}

float QB_HV_Slider::dragValue(const CPoint& where, float divisor) const {
    return vertical_ != 0 ? anchorValue_ + static_cast<float>(anchor_.y - where.y) / divisor
                          : anchorValue_ + static_cast<float>(where.x - anchor_.x) / divisor;
}
