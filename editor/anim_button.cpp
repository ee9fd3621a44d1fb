#include "editor/anim_button.h"

#include "editor/editor.h"

using namespace VSTGUI;

QB_AnimButton::QB_AnimButton(const CRect& size, QB_GUI_Editor* editor, int32_t tag, int32_t frames,
                             CCoord frameHeight, CBitmap* bitmap, float speed, int32_t mode)
    : QB_Knob(size, editor, tag, frames, frameHeight, bitmap, 0),
      speedPerFrame_(frames > 1 ? speed / static_cast<float>(frames - 1) : speed),
      lowestPulse_(frames > 1 ? 1.f / static_cast<float>(frames - 1) : 0.f),
      mode_(mode) {}

void QB_AnimButton::setValue(float v) {
    const float target = v >= 0.5f ? 1.f : 0.f;
    if (editor_->editorBuilding()) {
        // A window being opened shows its buttons as they are, without animating; a lit
        // pulsing button goes on pulsing from its last frame.
        position_ = target;
        step_ = target > 0.f && mode_ >= 3 ? -speedPerFrame_ * (mode_ == 4 ? 0.5f : 1.f) : 0.f;
    } else if (target != position_) {
        if (target > 0.f) {
            if (mode_ == 0) {
                position_ = 1.f;
                step_ = 0.f;
                invalid();
            } else {
                step_ = mode_ == 1 ? 2.f * speedPerFrame_ : speedPerFrame_;
            }
        } else {
            step_ = -speedPerFrame_;
        }
    }
    value_ = target;
    QB_Knob::setValue(target);
}

void QB_AnimButton::idle() {
    qbRefreshOnTick(refreshCounter_, this);
    if (step_ == 0.f) return;
    position_ += step_;
    const bool on = value_ != 0.f;
    if (mode_ <= 2 || !on) {
        if (position_ >= 1.f) {
            position_ = 1.f;
            step_ = 0.f;
        } else if (position_ <= 0.f) {
            position_ = 0.f;
            step_ = 0.f;
        }
    } else if (mode_ == 3) {
        if (position_ >= 1.f) {
            position_ = 1.f;
            step_ = -step_;
        } else if (position_ <= lowestPulse_) {
            position_ = lowestPulse_;
            step_ = -step_;
        }
    } else {
        if (position_ >= 1.f) {
            position_ = 1.f;
            step_ = -0.5f * speedPerFrame_;
        } else if (position_ <= lowestPulse_) {
            position_ = lowestPulse_;
            step_ = speedPerFrame_;
        }
    }
    invalid();
}

void QB_AnimButton::draw(CDrawContext* context) {
    if (background_ != nullptr)
        context->drawBitmap(background_, size_, CPoint(0, frameFor(position_) * heightOfOneImage_));
    setDirty(false);
}

CMouseEventResult QB_AnimButton::onMouseDown(CPoint& where, const int32_t& buttons) {
    CMouseEventResult result = kMouseEventHandled;
    if (!pressStart(where, buttons, result)) return result;
    // The animation starts when the processor echoes the new value.
    value_ = value_ != 0.f ? 0.f : 1.f;
    valueChanged();
    return kMouseEventHandled;
}
