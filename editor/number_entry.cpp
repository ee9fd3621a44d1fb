#include "editor/number_entry.h"

#include <cstdio>

#include "editor/editor.h"
#include "plugin/control_table.h"

using namespace VSTGUI;

namespace {
const QB_ControlDescriptor& descriptorOf(int32_t control) {
    const int32_t c = control >= 0 && control < kNumControls ? control : 0;
    return kControlTable[qbControlMaps().parameterEntry[c]];
}
}  // namespace

float qbParseNumber(const char* text) {
    if (text == nullptr) return kQbParseFailure;
    const char* p = text;
    float sign = 1.f;
    if (*p == '-') {
        sign = -1.f;
        ++p;
    }
    if (*p == '+') ++p;
    float number = 0.f, place = 0.f;  // place 0: whole digits; else the next fraction digit's weight
    for (; *p != '\0'; ++p) {
        if (*p >= '0' && *p <= '9') {
            const float digit = static_cast<float>(*p - '0');
            if (place == 0.f) {
                number = number * 10.f + digit;
            } else {
                number += digit * place;
                place *= 0.1f;
            }
        } else if (*p == '.' && place == 0.f) {
            place = 0.1f;
        } else {
            return kQbParseFailure;
        }
    }
    return sign * number;
}

float qbDisplayValue(int32_t control, float x) {
    const QB_ControlDescriptor& d = descriptorOf(control);
    return d.min + (d.max - d.min) * x;
}

float qbNormalised(int32_t control, float display) {
    const QB_ControlDescriptor& d = descriptorOf(control);
    const float span = d.max - d.min;
    return span != 0.f ? (display - d.min) / span : -1.f;
}

// ---- QB_CNumberEntry ------------------------------------------------------------------------

QB_CNumberEntry::QB_CNumberEntry(const CRect& size, QB_GUI_Editor* editor, int32_t tag, int32_t format)
    : CTextEdit(size, editor, tag), editor_(editor), format_(format), readOnly_(format >= 5) {}

std::string QB_CNumberEntry::formatted() const {
    static const char* const kFormats[] = {"%1.0f", "%1.1f", "%1.2f", "%1.3f", "%1.4f"};
    const char* f = format_ >= 0 && format_ <= 4 ? kFormats[format_] : "%1.3f";
    char text[64];
    std::snprintf(text, sizeof text, f, static_cast<double>(qbDisplayValue(source(), value_)));
    return text;
}

void QB_CNumberEntry::setValue(float v) {
    if (guard_) return;
    value_ = v;
    editor_->forwardToGlobalDisplay(tag_, v);
    links_.push(v);
    ++refreshCounter_;
}

void QB_CNumberEntry::notify(CView* sender, const void* message) {
    const QB_LinkMessage* command = qbLinkCommand(links_, sender, message);
    if (command == nullptr) return;
    const QB_LinkMessage& m = *command;
    value_ = m.value;
    editor_->processor()->setParameterAutomated(tag_, value_);
}

void QB_CNumberEntry::draw(CDrawContext* context) {
    if (!isEditing() && value_ != shown_) {
        shown_ = value_;
        setText(formatted().c_str());
    }
    CTextEdit::draw(context);
}

CMouseEventResult QB_CNumberEntry::onMouseDown(CPoint& where, const int32_t& buttons) {
    if (readOnly_) return kMouseEventHandled;
    if (!editor_->editorBuilding()) editor_->showInGlobalDisplays(source(), value_);
    // A paired readout edits on any click; an unpaired one on a right click of a host
    // parameter opens the MIDI-learn menu instead.
    if (source_ != 0 || (buttons & kRButton) == 0) {
        beginEdit();
        takeFocus();
    } else if (tag_ < kNumParams) {
        const CRect f = frameRect();
        CPoint at = where;
        at.offset(f.left - size_.left, f.top - size_.top);
        editor_->openMidiLearnMenu(this, at);
    }
    return kMouseEventHandled;
}

void QB_CNumberEntry::editingEnded(bool accepted, const std::string& before) {
    endEdit();
    if (!accepted || text_ == before) return;
    const int32_t control = typedControl();
    const float number = qbParseNumber(text_.c_str());
    const float x = number == kQbParseFailure ? -1.f : qbNormalised(control, number);
    if (!(x >= 0.f && x <= 1.f) || control == 0) {
        setText(before.c_str());  // rejected: the old text returns, nothing is sent
        return;
    }
    value_ = x;
    shown_ = -2.f;  // the next draw shows the value in the entry's own format
    editor_->processor()->setParameterAutomated(control, x);
}

void QB_CNumberEntry::idle() {
    qbRefreshOnTick(refreshCounter_, this);
}

// ---- QB_GlobalNumberDisplay -------------------------------------------------------------------

QB_GlobalNumberDisplay::QB_GlobalNumberDisplay(const CRect& size, QB_GUI_Editor* editor, int32_t tag)
    : QB_CNumberEntry(size, editor, tag, 4) {
    readOnly_ = false;
}

void QB_GlobalNumberDisplay::show(int32_t control) {
    shownControl_ = control;
    editor_->state().setGlobalDisplayTag(control);
}

void QB_GlobalNumberDisplay::setValue(float v) {
    if (shownControl_ == 0) {
        setText("");
        return;
    }
    if (guard_) return;
    if (editor_->editorBuilding() || editor_->programChanging()) {
        setText("");
        shownControl_ = 0;
        return;
    }
    value_ = v;
    char text[64];
    std::snprintf(text, sizeof text, "%4.4f", static_cast<double>(qbDisplayValue(shownControl_, v)));
    setText(text);
    ++refreshCounter_;
}

CMouseEventResult QB_GlobalNumberDisplay::onMouseDown(CPoint& where, const int32_t& buttons) {
    if ((buttons & kLButton) == 0 || shownControl_ == 0 || isEditing()) return kMouseEventHandled;
    beginEdit();
    takeFocus();
    return kMouseEventHandled;
}

// ---- QB_GlobalNameDisplay ---------------------------------------------------------------------

QB_GlobalNameDisplay::QB_GlobalNameDisplay(const CRect& size, QB_GUI_Editor* editor, int32_t tag)
    : CParamDisplay(size), editor_(editor) {
    listener_ = editor;
    tag_ = tag;
}

void QB_GlobalNameDisplay::show(int32_t control) {
    shownControl_ = control;
    invalid();
}

void QB_GlobalNameDisplay::setValue(float v) {
    if (editor_->editorBuilding() || editor_->programChanging()) shownControl_ = 0;
    ++refreshCounter_;
}

void QB_GlobalNameDisplay::idle() {
    qbRefreshOnTick(refreshCounter_, this);
}

std::string QB_GlobalNameDisplay::displayText() const {
    if (shownControl_ == 0) return "";
    const char* name = descriptorOf(shownControl_).name;
    return name != nullptr ? name : "";
}
