#include "editor/image_views.h"

using namespace VSTGUI;

QB_GUI_Image::QB_GUI_Image(const CRect& size, CBitmap* bitmap, int32_t frames, bool visible)
    : CView(size),
      frameHeight_(bitmap != nullptr && frames > 0 ? bitmap->getHeight() / frames : 0),
      lastFrame_(frames > 0 ? frames - 1 : 0),
      alpha_(visible ? 255 : 0) {
    setBackground(bitmap);
    setVisible(visible);
}

void QB_GUI_Image::setFrame(int32_t frame) {
    if (frame < 0) frame = 0;
    if (frame > lastFrame_) frame = lastFrame_;
    if (frame == frame_) return;
    frame_ = frame;
    if (frame_ != lastPushed_) {
        lastPushed_ = frame_;
        links_.push(static_cast<float>(frame_));
    }
}

void QB_GUI_Image::notify(CView* sender, const void* message) {
    const QB_LinkMessage* command = qbLinkCommand(links_, sender, message);
    if (command == nullptr) return;
    const QB_LinkMessage& m = *command;
    switch (m.position) {
        case kImageNextFrame:
            if (m.value != 0.f) setFrame(frame_ + 1);
            break;
        case kImagePreviousFrame:
            if (m.value != 0.f) setFrame(frame_ - 1);
            break;
        case kImageFade:
            fadeStep_ = m.value;
            if (fadeStep_ != 0.f) setVisible(true);
            break;
        case kImageFrameByValue: setFrame(static_cast<int32_t>(static_cast<float>(lastFrame_) * m.value)); break;
        case kImageFrame: setFrame(static_cast<int32_t>(m.value)); break;
        default: break;
    }
    if (fadeStep_ == 0.f) invalid();
}

void QB_GUI_Image::draw(CDrawContext* context) {
    if (fadeStep_ != 0.f) {
        alpha_ += static_cast<int32_t>(fadeStep_);
        if (alpha_ < 0) {
            alpha_ = 0;
            fadeStep_ = 0.f;
            setVisible(false);
        } else if (alpha_ > 255) {
            alpha_ = 255;
            fadeStep_ = 0.f;
        }
    }
    if (background_ != nullptr && alpha_ > 0) {
        CRect r = size_;
        r.offset(offset_.x, offset_.y);
        context->drawBitmap(background_, r, CPoint(0, frame_ * frameHeight_), static_cast<uint8_t>(alpha_));
    }
    setDirty(false);
}

CMouseEventResult QB_GUI_Image::onMouseDown(CPoint& where, const int32_t& buttons) {
    if ((buttons & kLButton) == 0) return kMouseEventNotHandled;
    links_.push(static_cast<float>(frame_));
    return kMouseEventHandled;
}

void QB_GUI_Image::idle() {
    if (fadeStep_ != 0.f) invalid();
}

QB_GUI_TextOnly::QB_GUI_TextOnly(const CRect& size, const char* text) : CView(size) { setText(text); }

QB_GUI_TextOnly::~QB_GUI_TextOnly() {
    if (font_ != nullptr) font_->forget();
}

void QB_GUI_TextOnly::setStyle(CFontDesc* font, const CColor& fontColour, const CColor& frameColour,
                               const CColor& backColour) {
    if (font != nullptr) font->remember();
    if (font_ != nullptr) font_->forget();
    font_ = font;
    fontColour_ = fontColour;
    frameColour_ = frameColour;
    backColour_ = backColour;
    invalid();
}

void QB_GUI_TextOnly::draw(CDrawContext* context) {
    if (backColour_.alpha != 0) context->fillRect(size_, backColour_);
    if (frameColour_.alpha != 0) context->frameRect(size_, frameColour_);
    context->drawString(text_.c_str(), size_, font_, fontColour_, kCenterText);
    setDirty(false);
}
