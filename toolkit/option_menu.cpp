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

}  // namespace

COptionMenuPopup::COptionMenuPopup(const CRect& size, std::vector<std::string> entries, std::vector<bool> checked,
                                   int32_t rows, CCoord columnWidth, CFontDesc* font, Chosen chosen)
    : CView(size),
      entries_(std::move(entries)),
      checked_(std::move(checked)),
      rows_(rows > 0 ? rows : 1),
      columnWidth_(columnWidth),
      font_(font),
      chosen_(std::move(chosen)) {
    font_->remember();
}

COptionMenuPopup::~COptionMenuPopup() { font_->forget(); }

void COptionMenuPopup::draw(CDrawContext* context) {
    context->fillRect(size_, kMenuBack);
    context->frameRect(size_, kMenuFrame);
    for (int32_t i = 0; i < entryCount(); ++i) {
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

CMouseEventResult COptionMenuPopup::onMouseDown(CPoint& where, const int32_t& buttons) {
    finish(entryAt(where));  // outside the list: dismissed
    return kMouseEventHandled;
}

CMouseEventResult COptionMenuPopup::onMouseMoved(CPoint& where, const int32_t& buttons) {
    setHover(entryAt(where));
    return kMouseEventHandled;
}

int32_t COptionMenuPopup::onKeyDown(const CKeyEvent& key) {
    const int32_t n = entryCount();
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

CRect COptionMenuPopup::entryRect(int32_t i) const {
    const CCoord col = i / rows_, row = i % rows_;
    const CCoord x = size_.left + kMargin + col * columnWidth_, y = size_.top + kMargin + row * kRow;
    return CRect(x, y, x + columnWidth_, y + kRow);
}

int32_t COptionMenuPopup::entryAt(const CPoint& p) const {
    if (!size_.pointInside(p)) return -1;
    for (int32_t i = 0; i < entryCount(); ++i)
        if (entryRect(i).pointInside(p)) return i;
    return -2;
}

void COptionMenuPopup::setHover(int32_t i) {
    if (i == hover_ || i < -1) return;
    hover_ = i;
    invalid();
}

void COptionMenuPopup::finish(int32_t index) {
    if (index == -2) return;
    Chosen chosen = std::move(chosen_);
    CFrame* frame = getFrame();
    if (frame != nullptr) {
        if (frame->window() != nullptr) frame->window()->releaseKeyboardFocus();
        frame->setModalView(nullptr);  // deletes this view: touch no member after it
    }
    if (chosen) chosen(index);
}

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
    // The system's own menu where the window has one, in the same columns; it returns
    // once it has closed.
    int32_t index = -1;
    if (frame->window()->popupMenu(entries_, checked_, rows, where.x, where.y, &index)) {
        if (chosen) chosen(index);
        return true;
    }
    CDrawContext measure(frame->window()->canvas());
    double widest = 0.0;
    for (const std::string& e : entries_) widest = std::max(widest, measure.getStringWidth(e.c_str(), font_));
    const CCoord columnWidth = static_cast<CCoord>(widest) + kCheckSpace + 10;
    const CCoord w = std::min<CCoord>(columns * columnWidth + 2 * kMargin, f.width());
    const CCoord h = rows * kRow + 2 * kMargin;
    const CCoord x = std::max<CCoord>(0, std::min<CCoord>(where.x, f.right - w));
    const CCoord y = std::max<CCoord>(0, std::min<CCoord>(where.y, f.bottom - h));
    auto* list =
        new COptionMenuPopup(CRect(x, y, x + w, y + h), entries_, checked_, rows, columnWidth, font_, std::move(chosen));
    frame->setModalView(list);
    list->forget();  // the frame holds it now
    // Escape and the arrow keys reach the list while it is open.
    if (frame->window() != nullptr) frame->window()->takeKeyboardFocus();
    return true;
}

}  // namespace VSTGUI
