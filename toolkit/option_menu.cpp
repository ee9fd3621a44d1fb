#include "toolkit/option_menu.h"

#include <algorithm>

#include "toolkit/frame.h"

namespace VSTGUI {

namespace {

constexpr CCoord kRow = 16;
constexpr CCoord kMargin = 4;
constexpr CCoord kCheckSpace = 18;
constexpr CColor kMenuBack{245, 245, 245, 255};
constexpr CColor kMenuText{20, 20, 20, 255};
constexpr CColor kMenuFrame{80, 80, 80, 255};
constexpr CColor kMenuHover{70, 110, 180, 255};

// The open list: a modal view of the frame.
class PopupList : public CView {
public:
    PopupList(const CRect& size, std::vector<std::string> entries, std::vector<bool> checked, int32_t rows,
              CCoord columnWidth, CFontDesc* font, COptionMenu::Chosen chosen)
        : CView(size),
          entries_(std::move(entries)),
          checked_(std::move(checked)),
          rows_(rows),
          columnWidth_(columnWidth),
          font_(font),
          chosen_(std::move(chosen)) {
        font_->remember();
    }

    void draw(CDrawContext* context) override {
        context->fillRect(size_, kMenuBack);
        context->frameRect(size_, kMenuFrame);
        for (int32_t i = 0; i < static_cast<int32_t>(entries_.size()); ++i) {
            const CRect r = entryRect(i);
            const bool hot = i == hover_;
            if (hot) context->fillRect(r, kMenuHover);
            const CColor text = hot ? kWhiteCColor : kMenuText;
            if (checked_[i]) {
                // A check mark: two strokes in the entry's left margin.
                const CCoord cx = r.left + 5, cy = r.top + kRow / 2;
                context->drawLine(CPoint(cx, cy), CPoint(cx + 3, cy + 3), text, 2);
                context->drawLine(CPoint(cx + 3, cy + 3), CPoint(cx + 9, cy - 4), text, 2);
            }
            CRect label = r;
            label.left += kCheckSpace;
            context->drawString(entries_[i].c_str(), label, font_, text, kLeftText);
        }
        setDirty(false);
    }

    CMouseEventResult onMouseDown(CPoint& where, const int32_t& buttons) override {
        const int32_t i = entryAt(where);
        finish(i);  // outside the list: dismissed
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const int32_t& buttons) override {
        setHover(entryAt(where));
        return kMouseEventHandled;
    }
    int32_t onKeyDown(const CKeyEvent& key) override {
        const int32_t n = static_cast<int32_t>(entries_.size());
        switch (key.key) {
            case QB_Key::escape: finish(-1); break;
            case QB_Key::enter: finish(hover_); break;
            case QB_Key::down: setHover(hover_ < 0 ? 0 : std::min(n - 1, hover_ + 1)); break;
            case QB_Key::up: setHover(hover_ <= 0 ? 0 : hover_ - 1); break;
            case QB_Key::right: setHover(hover_ < 0 ? 0 : std::min(n - 1, hover_ + rows_)); break;
            case QB_Key::left: setHover(hover_ < rows_ ? hover_ : hover_ - rows_); break;
            default: break;
        }
        return 1;  // an open list takes every key
    }
    bool hitTest(const CPoint&, const int32_t&) override { return true; }

    CRect entryRect(int32_t i) const {
        const CCoord col = i / rows_, row = i % rows_;
        const CCoord x = size_.left + kMargin + col * columnWidth_, y = size_.top + kMargin + row * kRow;
        return CRect(x, y, x + columnWidth_, y + kRow);
    }

private:
    ~PopupList() override { font_->forget(); }

    int32_t entryAt(const CPoint& p) const {
        if (!size_.pointInside(p)) return -1;
        for (int32_t i = 0; i < static_cast<int32_t>(entries_.size()); ++i)
            if (entryRect(i).pointInside(p)) return i;
        return -2;  // inside the list, between entries: nothing happens
    }
    void setHover(int32_t i) {
        if (i == hover_ || i < -1) return;
        hover_ = i;
        invalid();
    }
    void finish(int32_t index) {
        if (index == -2) return;
        COptionMenu::Chosen chosen = std::move(chosen_);
        CFrame* frame = getFrame();
        if (frame != nullptr) {
            if (frame->window() != nullptr) frame->window()->releaseKeyboardFocus();
            frame->setModalView(nullptr);  // may delete this view: touch no member after it
        }
        if (chosen) chosen(index);
    }

    std::vector<std::string> entries_;
    std::vector<bool> checked_;
    int32_t rows_;
    CCoord columnWidth_;
    CFontDesc* font_;
    COptionMenu::Chosen chosen_;
    int32_t hover_ = -1;
};

}  // namespace

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                         int32_t style)
    : CParamDisplay(size, background, style) {
    listener_ = listener;
    tag_ = tag;
}

void COptionMenu::addEntry(const char* text) {
    entries_.emplace_back(text != nullptr ? text : "");
    checked_.push_back(false);
}

const char* COptionMenu::getEntry(int32_t index) const {
    return index >= 0 && index < getNbEntries() ? entries_[index].c_str() : nullptr;
}

void COptionMenu::checkEntry(int32_t index, bool checked) {
    if (index >= 0 && index < getNbEntries()) checked_[index] = checked;
}

bool COptionMenu::isChecked(int32_t index) const { return index >= 0 && index < getNbEntries() && checked_[index]; }

void COptionMenu::setCurrent(int32_t index) {
    if (index >= 0 && index < getNbEntries()) current_ = index;
    invalid();
}

std::string COptionMenu::displayText() const {
    const char* e = getEntry(current_);
    return e != nullptr ? e : "";
}

void COptionMenu::draw(CDrawContext* context) { drawWithText(context, displayText().c_str()); }

bool COptionMenu::popup(CFrame* frame, const CPoint& where, Chosen chosen) {
    if (frame == nullptr || !frame->isOpen() || entries_.empty()) return false;
    const CRect& f = frame->getViewSize();
    const int32_t n = getNbEntries();
    const int32_t maxRows = std::max<int32_t>(1, (f.height() - 2 * kMargin) / kRow);
    const int32_t columns = (n + maxRows - 1) / maxRows;
    const int32_t rows = (n + columns - 1) / columns;
    CDrawContext measure(frame->window()->canvas());
    double widest = 0.0;
    for (const std::string& e : entries_) widest = std::max(widest, measure.getStringWidth(e.c_str(), font_));
    const CCoord columnWidth = static_cast<CCoord>(widest) + kCheckSpace + 10;
    const CCoord w = std::min<CCoord>(columns * columnWidth + 2 * kMargin, f.width());
    const CCoord h = rows * kRow + 2 * kMargin;
    const CCoord x = std::max<CCoord>(0, std::min<CCoord>(where.x, f.right - w));
    const CCoord y = std::max<CCoord>(0, std::min<CCoord>(where.y, f.bottom - h));
    auto* list = new PopupList(CRect(x, y, x + w, y + h), entries_, checked_, rows, columnWidth, font_, std::move(chosen));
    frame->setModalView(list);
    list->forget();  // the frame holds it now
    // Escape and the arrow keys reach the list while it is open.
    if (frame->window() != nullptr) frame->window()->takeKeyboardFocus();
    return true;
}

}  // namespace VSTGUI
