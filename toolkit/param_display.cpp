#include "toolkit/param_display.h"

#include <cstdio>

namespace VSTGUI {

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, int32_t style)
    : CControl(size, nullptr, 0, background), style_(style) {
    font_ = new CFontDesc("Arial", 12.0);
}

CParamDisplay::~CParamDisplay() {
    if (font_ != nullptr) font_->forget();
}

void CParamDisplay::setFont(CFontDesc* font) {
    if (font == nullptr) return;
    font->remember();
    if (font_ != nullptr) font_->forget();
    font_ = font;
    invalid();
}

std::string CParamDisplay::displayText() const {
    if (convert_ == nullptr) return text_;
    char text[256] = {};
    convert_(value_, text, user_);
    text[255] = '\0';
    return text;
}

void CParamDisplay::drawWithText(CDrawContext* context, const char* text) {
    if ((style_ & kNoDrawStyle) == 0) {
        if (background_ != nullptr) context->drawBitmap(background_, size_);
        else if (!getTransparency()) context->fillRect(size_, backColor_);
        if ((style_ & kNoFrame) == 0) context->frameRect(size_, frameColor_);
    }
    if ((style_ & kNoTextStyle) == 0) {
        CRect inner = size_;
        if (align_ != kCenterText) {
            inner.left += 2;
            inner.right -= 2;
        }
        context->drawString(text, inner, font_, fontColor_, align_);
    }
    setDirty(false);
}

void CParamDisplay::draw(CDrawContext* context) { drawWithText(context, displayText().c_str()); }

}  // namespace VSTGUI
