#include "toolkit/tooltip.h"

#include <algorithm>
#include <vector>

#include "toolkit/frame.h"

namespace VSTGUI {

namespace {

constexpr CColor kTipBack{255, 255, 225, 255};
constexpr CColor kTipText{0, 0, 0, 255};
constexpr CColor kTipFrame{90, 90, 90, 255};
constexpr CCoord kLineHeight = 15;
constexpr CCoord kPad = 4;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

class TooltipBox : public CView {
public:
    TooltipBox(const CRect& size, std::vector<std::string> lines, CFontDesc* font)
        : CView(size), lines_(std::move(lines)), font_(font) {}
    void draw(CDrawContext* context) override {
        context->fillRect(size_, kTipBack);
        context->frameRect(size_, kTipFrame);
        CRect line(size_.left + kPad, size_.top + kPad / 2, size_.right - kPad, size_.top + kPad / 2 + kLineHeight);
        for (const std::string& l : lines_) {
            context->drawString(l.c_str(), line, font_, kTipText, kLeftText);
            line.offset(0, kLineHeight);
        }
    }
    bool hitTest(const CPoint&, const int32_t&) override { return false; }  // never takes a click

private:
    ~TooltipBox() override { font_->forget(); }
    std::vector<std::string> lines_;
    CFontDesc* font_;
};

}  // namespace

CTooltipSupport::CTooltipSupport(CFrame* frame, std::chrono::milliseconds delay) : frame_(frame), delay_(delay) {
    if (frame_ != nullptr) frame_->setTooltipSupport(this);
}

CTooltipSupport::~CTooltipSupport() {
    hide();
    if (frame_ != nullptr) frame_->setTooltipSupport(nullptr);
}

void CTooltipSupport::onMouseMoved(const CPoint& p) {
    CView* under = frame_ != nullptr ? frame_->viewAt(p, 0) : nullptr;
    if (under == box_ && box_ != nullptr) return;
    if (under != resting_) {
        hide();
        resting_ = under;
    }
    if (!isShowing()) {
        at_ = p;
        since_ = std::chrono::steady_clock::now();
    }
}

void CTooltipSupport::viewRemoved(CView* view) {
    if (view == resting_) resting_ = nullptr;
    if (view == box_) box_ = nullptr;
}

void CTooltipSupport::idle() {
    if (isShowing() || resting_ == nullptr || frame_ == nullptr) return;
    if (std::chrono::steady_clock::now() - since_ < delay_) return;
    int32_t size = 0;
    const char* text = resting_->getAttribute(kCViewTooltipAttribute, &size);
    if (text == nullptr || size <= 1) return;
    show(std::string(text, static_cast<size_t>(size - 1)));
}

void CTooltipSupport::show(const std::string& text) {
    // Below and right of the pointer.
    CCoord x = at_.x + 12, y = at_.y + 18;
    if (frame_->window()->showTooltip(text, x, y)) {
        native_ = true;
        text_ = text;
        return;
    }
    std::vector<std::string> lines = linesOf(text);
    auto* font = new CFontDesc("Arial", 11.0);
    CDrawContext measure(frame_->window()->canvas());
    double widest = 0.0;
    for (const std::string& l : lines) widest = std::max(widest, measure.getStringWidth(l.c_str(), font));
    const CRect& f = frame_->getViewSize();
    const CCoord w = std::min<CCoord>(static_cast<CCoord>(widest) + 2 * kPad + 1, f.width());
    const CCoord h = static_cast<CCoord>(lines.size()) * kLineHeight + kPad;
    // Moved inside the frame when it would stick out.
    if (x + w > f.right) x = std::max<CCoord>(0, f.right - w);
    if (y + h > f.bottom) y = std::max<CCoord>(0, at_.y - h - 4);
    box_ = new TooltipBox(CRect(x, y, x + w, y + h), std::move(lines), font);
    text_ = text;
    frame_->addView(box_);
}

void CTooltipSupport::hide() {
    if (native_) {
        native_ = false;
        text_.clear();
        if (frame_ != nullptr && frame_->window() != nullptr) frame_->window()->hideTooltip();
        return;
    }
    if (box_ == nullptr || frame_ == nullptr) return;
    CView* b = box_;
    box_ = nullptr;
    text_.clear();
    frame_->removeView(b, true);
}

}  // namespace VSTGUI
