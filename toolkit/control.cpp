#include "toolkit/control.h"

#include "toolkit/frame.h"

namespace VSTGUI {

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
    : CView(size), tag_(tag), listener_(listener) {
    if (background != nullptr) setBackground(background);
}

void CControl::valueChanged() {
    if (listener_ != nullptr) listener_->valueChanged(this);
}

void CControl::beginEdit() {
    if (listener_ != nullptr) listener_->controlBeginEdit(this);
    if (CFrame* f = getFrame())
        if (f->getEditor() != nullptr) f->getEditor()->beginEdit(tag_);
}

void CControl::endEdit() {
    if (CFrame* f = getFrame())
        if (f->getEditor() != nullptr) f->getEditor()->endEdit(tag_);
    if (listener_ != nullptr) listener_->controlEndEdit(this);
}

void CControl::bounceValue() {
    if (value_ > max_) value_ = max_;
    if (value_ < min_) value_ = min_;
}

}  // namespace VSTGUI
