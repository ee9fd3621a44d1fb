// A text display that can be edited in place: takeFocus starts editing (the window takes
// the keyboard from the host), Enter or a lost focus ends it keeping the typed text,
// Escape ends it restoring the old one. The field shows a caret; left and right, Home and
// End, Backspace and Delete and select-all (control-A) edit UTF-8 text. Where the window
// has an edit field of the system's own, that field does the editing over the display.
#pragma once

#include <string>

#include "toolkit/param_display.h"

namespace VSTGUI {

class CTextEdit : public CParamDisplay {
public:
    CTextEdit(const CRect& size, CControlListener* listener, int32_t tag, const char* text = "",
              CBitmap* background = nullptr, int32_t style = 0);

    void setText(const char* text);
    const char* getText() const { return text_.c_str(); }
    bool isEditing() const { return editing_; }
    // The text while it is being edited.
    const std::string& editedText() const { return edited_; }

    // Starts editing the shown text, all of it selected.
    virtual void takeFocus();
    // Ends editing: the typed text replaces the shown one unless editing was cancelled.
    void looseFocus() override;

    int32_t onKeyDown(const CKeyEvent& key) override;
    void draw(CDrawContext* context) override;

protected:
    // Editing has ended; accepted tells whether the typed text was kept (not Escape).
    // The base reports a changed text to the listener.
    virtual void editingEnded(bool accepted, const std::string& before);

private:
    void insert(const char* utf8);
    void eraseBefore();
    void eraseAfter();

    // The window's own field ended the editing (accepted: not with Escape).
    void nativeEnded(bool accepted);

    bool editing_ = false;
    bool native_ = false;  // the window's own field is editing
    bool cancelled_ = false;
    bool allSelected_ = false;
    std::string edited_;
    size_t caret_ = 0;  // byte offset, on a character boundary
};

}  // namespace VSTGUI
