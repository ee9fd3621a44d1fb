// Number fields: QB_CNumberEntry shows a control's display value in one of ten formats
// and takes a typed number; QB_GlobalNumberDisplay and QB_GlobalNameDisplay show the
// value and the name of the control touched last.
#pragma once

#include <string>

#include "editor/link_message.h"
#include "toolkit/param_display.h"
#include "toolkit/text_edit.h"

class QB_GUI_Editor;

// Reads a typed number: an optional "-", then an optional "+", digits with at most one
// ".". An empty text reads 0. Anything else fails with kQbParseFailure.
constexpr float kQbParseFailure = 1.0e32f;
float qbParseNumber(const char* text);

// The display value of control for the normalised x: min + (max - min) x.
float qbDisplayValue(int32_t control, float x);
// The normalised value of a display value of control (range from its descriptor).
float qbNormalised(int32_t control, float display);

class QB_CNumberEntry : public VSTGUI::CTextEdit {
public:
    // format 0..9 (kind - 26); formats 5..9 are read-only.
    QB_CNumberEntry(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag, int32_t format);

    void setValue(float value) override;
    void notify(VSTGUI::CView* sender, const void* message) override;
    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;
    void idle() override;
    // The knob or slider this entry mirrors (0 = none: its own control).
    void setSource(int32_t control) { source_ = control; }
    int32_t source() const { return source_ != 0 ? source_ : tag_; }
    // The text the format gives for the current value.
    std::string formatted() const;
    bool readOnly() const { return readOnly_; }

protected:
    void editingEnded(bool accepted, const std::string& before) override;
    // The control whose range and number a typed value is for.
    virtual int32_t typedControl() const { return source(); }

    QB_GUI_Editor* editor_;
    int32_t source_ = 0;
    bool guard_ = false;
    int32_t format_;
    bool readOnly_;
    float shown_ = -1.f;  // the value whose text is shown; -1 so the first draw formats
    QB_LinkList<8> links_;
    int32_t refreshCounter_ = 0;
};

class QB_GlobalNumberDisplay : public QB_CNumberEntry {
public:
    QB_GlobalNumberDisplay(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag);

    // Shows control n from now on.
    void show(int32_t control);
    int32_t shownControl() const { return shownControl_; }
    void setValue(float value) override;
    void draw(VSTGUI::CDrawContext* context) override { CTextEdit::draw(context); }
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;

protected:
    int32_t typedControl() const override { return shownControl_; }

private:
    int32_t shownControl_ = 0;
};

class QB_GlobalNameDisplay : public VSTGUI::CParamDisplay {
public:
    QB_GlobalNameDisplay(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag);

    void show(int32_t control);
    int32_t shownControl() const { return shownControl_; }
    void setValue(float value) override;
    void idle() override;

protected:
    std::string displayText() const override;

private:
    QB_GUI_Editor* editor_;
    int32_t shownControl_ = 0;
    int32_t refreshCounter_ = 0;
};
