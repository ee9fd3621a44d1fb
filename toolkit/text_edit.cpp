#include "toolkit/text_edit.h"

#include <cstring>

#include "toolkit/frame.h"

namespace VSTGUI {

namespace {
constexpr size_t kMaxText = 255;
bool continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u; }
}  // namespace

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, int32_t tag, const char* text,
                     CBitmap* background, int32_t style)
    : CParamDisplay(size, background, style) {
    listener_ = listener;
    tag_ = tag;
    setText(text);
}

void CTextEdit::setText(const char* text) {
    text_ = text != nullptr ? text : "";
    if (text_.size() > kMaxText) text_.resize(kMaxText);
    invalid();
}

void CTextEdit::takeFocus() {
    CFrame* frame = getFrame();
    if (editing_ || frame == nullptr) return;
    editing_ = true;
    cancelled_ = false;
    allSelected_ = true;
    edited_ = text_;
    caret_ = edited_.size();
    frame->setFocusView(this);
    QB_Window* window = frame->window();
    auto ended = [this](bool accepted) { nativeEnded(accepted); };
    if (window != nullptr && window->beginTextEdit(frameRect().box(), text_, font_->font(), ended)) {
        native_ = true;
        return;
    }
    if (window != nullptr) window->takeKeyboardFocus();
    invalid();
}

void CTextEdit::nativeEnded(bool accepted) {
    cancelled_ = !accepted;
    looseFocus();
}

void CTextEdit::looseFocus() {
    if (!editing_) return;
    editing_ = false;
    CFrame* frame = getFrame();
    if (frame != nullptr) {
        if (frame->getFocusView() == this) frame->setFocusView(nullptr);
        if (QB_Window* window = frame->window()) {
            if (native_) {
                edited_ = window->editedText();
                window->endTextEdit();
            } else {
                window->releaseKeyboardFocus();
            }
        }
    }
    native_ = false;
    const std::string before = text_;
    if (!cancelled_) text_ = edited_;
    invalid();
    editingEnded(!cancelled_, before);
}

void CTextEdit::editingEnded(bool accepted, const std::string& before) {
    if (accepted && text_ != before) valueChanged();
}

void CTextEdit::insert(const char* utf8) {
    if (allSelected_) {
        edited_.clear();
        caret_ = 0;
        allSelected_ = false;
    }
    const size_t n = std::strlen(utf8);
    if (edited_.size() + n > kMaxText) return;
    edited_.insert(caret_, utf8, n);
    caret_ += n;
}

void CTextEdit::eraseBefore() {
    if (allSelected_) {
        edited_.clear();
        caret_ = 0;
        allSelected_ = false;
        return;
    }
    if (caret_ == 0) return;
    size_t from = caret_ - 1;
    while (from > 0 && continuation(edited_[from])) --from;
    edited_.erase(from, caret_ - from);
    caret_ = from;
}

void CTextEdit::eraseAfter() {
    if (allSelected_) {
        eraseBefore();
        return;
    }
    if (caret_ >= edited_.size()) return;
    size_t to = caret_ + 1;
    while (to < edited_.size() && continuation(edited_[to])) ++to;
    edited_.erase(caret_, to - caret_);
}

int32_t CTextEdit::onKeyDown(const CKeyEvent& key) {
    if (!editing_ || native_) return -1;  // the window's own field has the keyboard
    switch (key.key) {
        case QB_Key::character:
            if ((key.modifiers & kControl) != 0) {
                if (key.text[0] == 'a' || key.text[0] == 'A') allSelected_ = true;
            } else {
                insert(key.text);
            }
            break;
        case QB_Key::enter:
            looseFocus();
            return 1;
        case QB_Key::escape:
            cancelled_ = true;
            looseFocus();
            return 1;
        case QB_Key::backspace: eraseBefore(); break;
        case QB_Key::deleteKey: eraseAfter(); break;
        case QB_Key::left:
            allSelected_ = false;
            while (caret_ > 0 && continuation(edited_[--caret_])) {}
            break;
        case QB_Key::right:
            allSelected_ = false;
            if (caret_ < edited_.size()) ++caret_;
            while (caret_ < edited_.size() && continuation(edited_[caret_])) ++caret_;
            break;
        case QB_Key::home:
            allSelected_ = false;
            caret_ = 0;
            break;
        case QB_Key::end:
            allSelected_ = false;
            caret_ = edited_.size();
            break;
        default:
            break;  // other keys are swallowed while editing, so the host never sees them
    }
    invalid();
    return 1;
}

void CTextEdit::draw(CDrawContext* context) {
    if (!editing_) {
        drawWithText(context, displayText().c_str());
        return;
    }
    // While editing: a white field, the text left-aligned, the selection or the caret.
    context->fillRect(size_, kWhiteCColor);
    context->frameRect(size_, kBlackCColor);
    CRect inner(size_.left + 3, size_.top, size_.right - 3, size_.bottom);
    const double width = context->getStringWidth(edited_.c_str(), font_);
    if (allSelected_ && !edited_.empty())
        context->fillRect(CRect(inner.left, size_.top + 2, inner.left + static_cast<CCoord>(width) + 1, size_.bottom - 2),
                          CColor{120, 160, 220, 255});
    context->drawString(edited_.c_str(), inner, font_, kBlackCColor, kLeftText);
    if (!allSelected_) {
        const CCoord x = inner.left + static_cast<CCoord>(context->getStringWidth(edited_.substr(0, caret_).c_str(), font_));
        context->drawLine(CPoint(x, size_.top + 2), CPoint(x, size_.bottom - 3), kBlackCColor);
    }
    setDirty(false);
}

}  // namespace VSTGUI
