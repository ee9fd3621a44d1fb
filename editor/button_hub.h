// An invisible control that makes a group of select buttons one host parameter with n
// options: a button's press selects its position; the parameter's value lights the button
// at int((n - 1) x value) and puts the others out.
#pragma once

#include "editor/link_message.h"
#include "toolkit/control.h"

class QB_GUI_Editor;

class QB_GUI_Multi_Button_Hub : public VSTGUI::CControl {
public:
    QB_GUI_Multi_Button_Hub(QB_GUI_Editor* editor, int32_t tag);

    void notify(VSTGUI::CView* sender, const void* message) override;
    void setValue(float value) override;
    bool hitTest(const VSTGUI::CPoint&, const int32_t&) override { return false; }
    int32_t selected() const { return selected_; }
    int32_t itemCount() const { return items_.count(); }

private:
    QB_GUI_Editor* editor_;
    QB_LinkList<32> items_;
    bool busy_ = false;
    int32_t selected_ = 0;
};
