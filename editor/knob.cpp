#include "editor/knob.h"

#include <cmath>

#include "editor/editor.h"

using namespace VSTGUI;

namespace {
// A bitmap pixel takes a click when it is more opaque than this.
constexpr uint8_t kHitAlpha = 143;
}  // namespace

QB_Knob::QB_Knob(const CRect& size, QB_GUI_Editor* editor, int32_t tag, int32_t frames, CCoord frameHeight,
                 CBitmap* bitmap, int32_t springMode)
    : CAnimKnob(size, editor, tag, frames, frameHeight, bitmap), editor_(editor), springMode_(springMode) {}

void QB_Knob::setValue(float v) {
    if (pairGuard_) return;
    if (pairedEntry_ != 0) {
        pairGuard_ = true;
        if (CControl* entry = editor_->widget(pairedEntry_)) entry->setValue(v);
        pairGuard_ = false;
    }
    if (v == cached_) return;
    value_ = v;
    cached_ = v;
    // A window being opened shows its values at once rather than gliding to them.
    if (editor_->editorBuilding()) displayed_ = v;
    editor_->forwardToGlobalDisplay(tag_, v);
    links_.push(v);
    ++refreshCounter_;
}

void QB_Knob::notify(CView* sender, const void* message) {
    const QB_LinkMessage* command = qbLinkCommand(links_, sender, message);
    if (command == nullptr) return;
    const QB_LinkMessage& m = *command;
    value_ = m.value;
    editor_->processor()->setParameterAutomated(tag_, value_);
}

void QB_Knob::idle() {
    qbRefreshOnTick(refreshCounter_, this);
    if (displayed_ != value_) {
        if (std::fabs(value_ - displayed_) < 0.005f) displayed_ = value_;
        else displayed_ = displayed_ + (value_ - displayed_) * 0.1f;
        invalid();
    }
}

void QB_Knob::draw(CDrawContext* context) {
    if (background_ != nullptr)
        context->drawBitmap(background_, size_, CPoint(0, frameFor(displayed_) * heightOfOneImage_));
    setDirty(false);
}

bool QB_Knob::pixelUnder(const CPoint& where, CCoord& x, CCoord& y) const {
    const int32_t frame = hitTestFrame0_ != 0 ? 0 : frameFor(value_);
    x = where.x - size_.left;
    y = where.y - size_.top + frame * heightOfOneImage_;
    return size_.pointInside(where);
}

bool QB_Knob::hitTest(const CPoint& where, const int32_t& buttons) {
    CCoord x = 0, y = 0;
    if (!pixelUnder(where, x, y)) return false;
    return background_ == nullptr || background_->alphaAt(x, y) > kHitAlpha;
}

bool QB_Knob::pressStart(CPoint& where, const int32_t& buttons, CMouseEventResult& result) {
    if (!editor_->editorBuilding()) editor_->showInGlobalDisplays(tag_, value_);
    if ((buttons & kLButton) == 0) {
        if ((buttons & kRButton) != 0 && tag_ < kNumParams) {
            CPoint at = where;
            const CRect f = frameRect();
            at.offset(f.left - size_.left, f.top - size_.top);
            editor_->openMidiLearnMenu(this, at);
            result = kMouseEventHandled;
        } else {
            result = kMouseEventNotHandled;
        }
        return false;
    }
    beginEdit();
    editing_ = true;
    return true;
}

CMouseEventResult QB_Knob::onMouseDown(CPoint& where, const int32_t& buttons) {
    CMouseEventResult result = kMouseEventHandled;
    if (!pressStart(where, buttons, result)) return result;
    if ((buttons & kDoubleClick) != 0) {
        value_ = editor_->state().loadedProgramValue(tag_);
        if (value_ != cached_) dragSuppressed_ = true;
    } else {
        value_ = displayed_;  // a running glide stops where it is shown
    }
    if (value_ != cached_) valueChanged();
    ++refreshCounter_;
    anchor_ = where;
    anchorValue_ = value_;
    anchorButtons_ = buttons;
    return kMouseEventHandled;
}

float QB_Knob::dragValue(const CPoint& where, float divisor) const {
    return anchorValue_ + static_cast<float>((where.x - anchor_.x) - (where.y - anchor_.y)) / divisor;
}

CMouseEventResult QB_Knob::onMouseMoved(CPoint& where, const int32_t& buttons) {
    if (dragSuppressed_ || (buttons & kLButton) == 0 || where == anchor_) return kMouseEventHandled;
    if (buttons != anchorButtons_) {
        // A modifier changed: carry on from here with the new sensitivity.
        anchorButtons_ = buttons;
        anchor_ = where;
        anchorValue_ = value_;
    }
    float range = dragRange_;
    if ((buttons & kShift) != 0) range *= 2.f;
    const float divisor = (buttons & kControl) != 0 ? range * 3.f : range;
    float v = dragValue(where, divisor);
    if (v < 0.f) v = 0.f;
    if (v > 1.f) v = 1.f;
    displayed_ = v;  // no glide while dragging
    value_ = v;
    // The value last taken is the one the processor echoed: report only a change.
    if (value_ != cached_) valueChanged();
    ++refreshCounter_;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult QB_Knob::onMouseUp(CPoint& where, const int32_t& buttons) {
    dragSuppressed_ = false;
    // A right press that opened the MIDI-learn menu began no edit to end.
    if (!editing_) return kMouseEventHandled;
    editing_ = false;
    if (springMode_ != 0) {
        value_ = 0.5f;
        valueChanged();
        ++refreshCounter_;
    }
    endEdit();
    return kMouseEventHandled;
}

// ---- QB_Rotate_Knob -------------------------------------------------------------------

QB_Rotate_Knob::QB_Rotate_Knob(const CRect& size, QB_GUI_Editor* editor, int32_t tag, int32_t layers, CBitmap* bitmap,
                               int32_t angleStart, int32_t angleEnd, float layerFactor, int32_t mode)
    : QB_Knob(size, editor, tag, 1, size.height(), bitmap, mode),
      angleStart_(angleStart),
      angleRange_(angleEnd - angleStart),
      layerFactor_(layerFactor),
      layers_(layers > 0 ? layers : 1),
      layerHeight_(bitmap != nullptr ? bitmap->getHeight() / (layers > 0 ? layers : 1) : 0) {
    dragRange_ = 640.f;
    hitTestFrame0_ = layers_;
}

void QB_Rotate_Knob::draw(CDrawContext* context) {
    if (background_ != nullptr) {
        const double angle = angleStart_ + angleRange_ * static_cast<double>(displayed_);
        context->drawBitmapRotated(background_, size_, CPoint(0, 0), angle);
        if (layers_ == 3) context->drawBitmapRotated(background_, size_, CPoint(0, layerHeight_), angle * layerFactor_);
        if (layers_ > 1) context->drawBitmap(background_, size_, CPoint(0, (layers_ - 1) * layerHeight_));
    }
    setDirty(false);
}
