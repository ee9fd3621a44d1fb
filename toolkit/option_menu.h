// A list of entries with check marks. As a control it shows its current entry; popup
// opens the list above everything else in the frame, laid out in as many columns as the
// frame's height needs, until an entry is chosen (with the mouse, or the arrow keys and
// Enter) or the list is dismissed (Escape, or a press outside it). The choice arrives
// through a callback: the entry's index, or -1 when dismissed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "toolkit/param_display.h"

namespace VSTGUI {

// The open list of a COptionMenu: a modal view of the frame while it is open.
class COptionMenuPopup : public CView {
public:
    using Chosen = std::function<void(int32_t index)>;

    COptionMenuPopup(const CRect& size, std::vector<std::string> entries, std::vector<bool> checked, int32_t rows,
                     CCoord columnWidth, CFontDesc* font, Chosen chosen);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const int32_t& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const int32_t& buttons) override;
    int32_t onKeyDown(const CKeyEvent& key) override;
    bool hitTest(const CPoint&, const int32_t&) override { return true; }

    int32_t entryCount() const { return static_cast<int32_t>(entries_.size()); }
    const std::string& entry(int32_t i) const { return entries_[i]; }
    bool isChecked(int32_t i) const { return checked_[i]; }
    // Where entry i is drawn, in frame coordinates.
    CRect entryRect(int32_t i) const;

private:
    ~COptionMenuPopup() override;
    // The entry under p; -1 outside the list, -2 inside it between entries.
    int32_t entryAt(const CPoint& p) const;
    void setHover(int32_t i);
    // Closes the list (deleting it) and reports index.
    void finish(int32_t index);

    std::vector<std::string> entries_;
    std::vector<bool> checked_;
    int32_t rows_;
    CCoord columnWidth_;
    CFontDesc* font_;
    Chosen chosen_;
    int32_t hover_ = -1;
};

class COptionMenu : public CParamDisplay {
public:
    using Chosen = COptionMenuPopup::Chosen;

    COptionMenu(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background = nullptr,
                int32_t style = 0);

    void addEntry(const char* text);
    int32_t getNbEntries() const { return static_cast<int32_t>(entries_.size()); }
    const char* getEntry(int32_t index) const;
    void checkEntry(int32_t index, bool checked);
    bool isChecked(int32_t index) const;
    void setCurrent(int32_t index);
    int32_t getCurrent() const { return current_; }
    void setMenuStyle(int32_t style) { menuStyle_ = style; }
    int32_t getMenuStyle() const { return menuStyle_; }

    // Opens the list in the frame with its top-left corner at where (frame coordinates,
    // moved so the list fits). False when the frame cannot show it.
    bool popup(CFrame* frame, const CPoint& where, Chosen chosen);

    void draw(CDrawContext* context) override;

protected:
    std::string displayText() const override;

private:
    std::vector<std::string> entries_;
    std::vector<bool> checked_;
    int32_t current_ = 0;
    int32_t menuStyle_ = 0;
};

}  // namespace VSTGUI
