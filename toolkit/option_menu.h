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

class COptionMenu : public CParamDisplay {
public:
    using Chosen = std::function<void(int32_t index)>;

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
