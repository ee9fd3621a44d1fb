#include "editor/on_off_button.h"

#include "editor/editor.h"
#include "toolkit/frame.h"

using namespace VSTGUI;

QB_COnOffButton::QB_COnOffButton(const CRect& size, QB_GUI_Editor* editor, int32_t tag, CBitmap* bitmap, int32_t mode)
    : COnOffButton(size, editor, tag, bitmap), editor_(editor), mode_(mode) {}

void QB_COnOffButton::setValue(float v) {
    value_ = v;  // no equality test: every value set is pushed
    links_.push(v);
    ++refreshCounter_;
}

void QB_COnOffButton::notify(CView* sender, const void* message) {
    const QB_LinkMessage* command = qbLinkCommand(links_, sender, message);
    if (command == nullptr) return;
    const QB_LinkMessage& m = *command;
    if (m.command == kLinkToggle) value_ = value_ != 0.f ? 0.f : 1.f;
    else value_ = m.value;
    valueChanged();
}

bool QB_COnOffButton::midiLearnPress(CPoint& where, const int32_t& buttons) {
    if ((buttons & kLButton) != 0 || (buttons & kRButton) == 0) return false;
    if (tag_ < kNumParams) {
        const CRect f = frameRect();
        CPoint at = where;
        at.offset(f.left - size_.left, f.top - size_.top);
        editor_->openMidiLearnMenu(this, at);
    }
    return true;
}

CMouseEventResult QB_COnOffButton::onMouseDown(CPoint& where, const int32_t& buttons) {
    if ((buttons & kLButton) == 0) return midiLearnPress(where, buttons) ? kMouseEventHandled : kMouseEventNotHandled;
    value_ = mode_ == 0 && value_ != 0.f ? 0.f : 1.f;
    valueChanged();
    return kMouseEventHandled;
}

CMouseEventResult QB_COnOffButton::onMouseUp(CPoint& where, const int32_t& buttons) {
    if (mode_ == 1 && value_ != 0.f) {
        value_ = 0.f;
        valueChanged();
    }
    return kMouseEventHandled;
}

bool QB_COnOffButton::hitTest(const CPoint& where, const int32_t& buttons) {
    if (!size_.pointInside(where)) return false;
    if (background_ == nullptr) return true;
    const CCoord half = background_->getHeight() / 2;
    return background_->alphaAt(where.x - size_.left, where.y - size_.top + (value_ != 0.f ? half : 0)) > 143;
}

void QB_COnOffButton::idle() {
    qbRefreshOnTick(refreshCounter_, this);
}

// ---- QB_ExclusiveButton ------------------------------------------------------------------

QB_ExclusiveButton::QB_ExclusiveButton(const CRect& size, QB_GUI_Editor* editor, int32_t tag, CBitmap* bitmap,
                                       bool mayAllBeOff)
    : QB_COnOffButton(size, editor, tag, bitmap, 0), mayAllBeOff_(mayAllBeOff) {}

void QB_ExclusiveButton::addPartner(int32_t control) {
    if (partnerCount_ < kMaxPartners) partners_[partnerCount_++] = control;
}

void QB_ExclusiveButton::addContainer(CViewContainer* container) {
    if (container != nullptr && containerCount_ < kMaxContainers) containers_[containerCount_++] = container;
}

void QB_ExclusiveButton::setValue(float v) {
    value_ = v;
    if (partnerCount_ > 0 && !editor_->editorBuilding() && !editor_->programChanging()) {
        if (v > 0.f) {
            for (int i = 0; i < partnerCount_; ++i) {
                CControl* p = editor_->widget(partners_[i]);
                if (p == nullptr || p == this) continue;
                p->setValue(0.f);
                p->valueChanged();
            }
        } else if (!mayAllBeOff_) {
            bool anyOn = false;
            for (int i = 0; i < partnerCount_; ++i) {
                CControl* p = editor_->widget(partners_[i]);
                anyOn = anyOn || (p != nullptr && p != this && p->getValue() > 0.f);
            }
            if (!anyOn) {
                setValue(1.f);
                valueChanged();
                return;
            }
        }
    }
    for (int i = 0; i < containerCount_; ++i) containers_[i]->setVisible(value_ > 0.f);
    if (containerCount_ > 0)
        if (CFrame* f = getFrame()) f->invalid();
    ++refreshCounter_;
}

CMouseEventResult QB_ExclusiveButton::onMouseDown(CPoint& where, const int32_t& buttons) {
    if ((buttons & kLButton) == 0) return midiLearnPress(where, buttons) ? kMouseEventHandled : kMouseEventNotHandled;
    setValue(value_ == 0.f ? 1.f : 0.f);
    valueChanged();
    return kMouseEventHandled;
}
