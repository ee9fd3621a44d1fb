#include "editor/options.h"

#include <cmath>

#include "editor/control_builder.h"
#include "editor/editor.h"
#include "toolkit/frame.h"

using namespace VSTGUI;

QB_COptionsText::QB_COptionsText(const CRect& size, QB_GUI_Editor* editor, int32_t tag, const char* options,
                                 CBitmap* bitmap)
    : COptionMenu(size, editor, tag, bitmap), editor_(editor) {
    const int32_t n = qbCountOptions(options);
    for (int32_t i = 0; i < n; ++i) addEntry(qbOptionEntry(options, i).c_str());
}

std::string QB_COptionsText::displayText() const {
    const char* e = getEntry(index_);
    return e != nullptr ? e : "";
}

void QB_COptionsText::setValue(float v) {
    if (!(v >= 0.f && v <= 1.f)) return;
    const int32_t n = getNbEntries();
    index_ = n > 1 ? static_cast<int32_t>(static_cast<float>(n - 1) * v + 0.5f) : 0;  // rounded
    if ((getMenuStyle() & 0x401) != 0) setCurrent(index_);
    value_ = v;
    faceTo(index_);
    links_.push(v);
    ++refreshCounter_;
}

void QB_COptionsText::select(int32_t i, float value) {
    index_ = i;
    value_ = value;
    faceTo(i);
    invalid();
    editor_->processor()->setParameterAutomated(tag_, value);
}

void QB_COptionsText::notify(CView* sender, const void* message) {
    const QB_LinkMessage* command = qbLinkCommand(links_, sender, message);
    if (command == nullptr) return;
    const QB_LinkMessage& m = *command;
    const int32_t n = getNbEntries();
    invalid();
    if (n < 2) return;
    const float step = 1.f / static_cast<float>(n - 1);
    if (m.position == kSelectNext && m.value != 0.f) {
        const int32_t i = index_ + 1 < n ? index_ + 1 : 0;
        select(i, static_cast<float>(i) * step);
    } else if (m.position == kSelectPrevious && m.value != 0.f) {
        const int32_t i = index_ > 0 ? index_ - 1 : n - 1;
        select(i, static_cast<float>(i) * step);
    } else if (m.position == kSelectByValue) {
        select(static_cast<int32_t>(static_cast<float>(n - 1) * m.value), m.value);
    }
}

void QB_COptionsText::openList() {
    CFrame* frame = getFrame();
    if (frame == nullptr) return;
    const CRect f = frameRect();
    const CPoint at(f.left, (getMenuStyle() & 0x200) != 0 ? f.top : f.bottom);
    for (int32_t i = 0; i < getNbEntries(); ++i) checkEntry(i, i == index_);
    beginEdit();
    const bool opened = popup(frame, at, [this](int32_t i) {
        const int32_t n = getNbEntries();
        if (i >= 0 && n > 1) {
            index_ = i;
            value_ = static_cast<float>(i) / static_cast<float>(n - 1);
            faceTo(i);
            invalid();
            valueChanged();
        }
        endEdit();
    });
    if (!opened) endEdit();
}

CMouseEventResult QB_COptionsText::onMouseDown(CPoint& where, const int32_t& buttons) {
    if ((buttons & kRButton) != 0) {
        if (tag_ >= kNumParams) return kMouseEventNotHandled;
        const CRect f = frameRect();
        CPoint at = where;
        at.offset(f.left - size_.left, f.top - size_.top);
        editor_->openMidiLearnMenu(this, at);
        return kMouseEventHandled;
    }
    if ((buttons & kLButton) == 0 && (buttons & 128) == 0) return kMouseEventNotHandled;
    openList();
    return kMouseEventHandled;
}

void QB_COptionsText::idle() {
    qbRefreshOnTick(refreshCounter_, this);
}

// ---- QB_COptionsImage ---------------------------------------------------------------------------

QB_COptionsImage::QB_COptionsImage(const CRect& size, QB_GUI_Editor* editor, int32_t tag, const char* options,
                                   CBitmap* bitmap, int32_t frames, int32_t mode, float speed, bool glide,
                                   bool clickCycles, int32_t angleStart, int32_t angleEnd)
    : QB_COptionsText(size, editor, tag, options, bitmap),
      frames_(frames > 0 ? frames : 1),
      frameHeight_(bitmap != nullptr ? bitmap->getHeight() / (frames > 0 ? frames : 1) : 0),
      mode_(mode),
      speed_(speed),
      glide_(glide),
      clickCycles_(clickCycles),
      angleStart_(angleStart),
      angleRange_(angleEnd - angleStart) {}

void QB_COptionsImage::faceTo(int32_t index) {
    const int32_t n = getNbEntries();
    const float target = n > 1 ? static_cast<float>(index) / static_cast<float>(n - 1) : 0.f;
    if (mode_ >= 4) {
        // Cross-fade from the face shown now to the new one.
        if (target != position_) {
            previous_ = position_;
            position_ = target;
            alpha_ = speed_ >= 1.f ? 1.f : 0.f;
        }
    } else if (speed_ >= 1.f) {
        position_ = target;
    }
    // A fixed step covers the way in 1 / speed ticks.
    step_ = (target - position_) * speed_;
    target_ = target;
    invalid();
}

void QB_COptionsImage::idle() {
    QB_COptionsText::idle();
    if (mode_ >= 4) {
        if (alpha_ < 1.f) {
            alpha_ = std::fmin(1.f, alpha_ + speed_);
            invalid();
        }
        return;
    }
    if (position_ == target_) return;
    if (glide_) {
        position_ += (target_ - position_) * speed_;
        if (std::fabs(target_ - position_) < 0.01f) position_ = target_;
    } else {
        position_ += step_;
        // Past the target (or no step at all): arrive.
        if (step_ == 0.f || (step_ > 0.f) == (position_ >= target_)) position_ = target_;
    }
    invalid();
}

void QB_COptionsImage::drawFace(CDrawContext* context, float position, uint8_t alpha) {
    if (background_ == nullptr) return;
    if (mode_ <= 1 || mode_ >= 4) {
        const CCoord travel = background_->getHeight() - frameHeight_;
        context->drawBitmap(background_, size_, CPoint(0, static_cast<CCoord>(position * static_cast<float>(travel))),
                            alpha);
    } else if (frames_ == 1) {
        context->drawBitmapRotated(background_, size_, CPoint(0, 0), angleStart_ + angleRange_ * position, alpha);
    } else {
        const int32_t frame = static_cast<int32_t>(static_cast<float>(frames_ - 1) * position);
        context->drawBitmap(background_, size_, CPoint(0, frame * frameHeight_), alpha);
    }
}

void QB_COptionsImage::draw(CDrawContext* context) {
    if (mode_ >= 4 && alpha_ < 1.f) {
        drawFace(context, previous_, static_cast<uint8_t>((1.f - alpha_) * 255.f));
        drawFace(context, position_, static_cast<uint8_t>(alpha_ * 255.f));
    } else {
        drawFace(context, position_, 255);
    }
    setDirty(false);
}

CMouseEventResult QB_COptionsImage::onMouseDown(CPoint& where, const int32_t& buttons) {
    if (clickCycles_ && (buttons & kLButton) != 0) {
        const int32_t n = getNbEntries();
        anchor_ = where;
        if (n > 1) {
            const int32_t i = index_ + 1 < n ? index_ + 1 : 0;
            select(i, static_cast<float>(i) / static_cast<float>(n - 1));
        }
        return kMouseEventHandled;
    }
    return QB_COptionsText::onMouseDown(where, buttons);
}

CMouseEventResult QB_COptionsImage::onMouseMoved(CPoint& where, const int32_t& buttons) {
    const int32_t n = getNbEntries();
    if (!clickCycles_ || (buttons & kLButton) == 0 || n < 2) return kMouseEventHandled;
    // Every 9 pixels up selects the next option, every 9 down the previous one.
    const CCoord dy = anchor_.y - where.y;
    if (dy >= 9 || dy <= -9) {
        const int32_t i = dy > 0 ? (index_ + 1 < n ? index_ + 1 : index_) : (index_ > 0 ? index_ - 1 : 0);
        anchor_ = where;
        if (i != index_) select(i, static_cast<float>(i) / static_cast<float>(n - 1));
    }
    return kMouseEventHandled;
}
