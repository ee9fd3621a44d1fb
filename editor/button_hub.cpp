#include "editor/button_hub.h"

#include "editor/editor.h"

using namespace VSTGUI;

QB_GUI_Multi_Button_Hub::QB_GUI_Multi_Button_Hub(QB_GUI_Editor* editor, int32_t tag)
    : CControl(CRect(0, 0, 0, 0), editor, tag), editor_(editor) {}

void QB_GUI_Multi_Button_Hub::notify(CView* sender, const void* message) {
    if (busy_ || message == nullptr) return;
    const auto& m = *static_cast<const QB_LinkMessage*>(message);
    if (m.command == kLinkRegister) {
        items_.add(sender, m.position);
        return;
    }
    if (items_.count() < 2) return;  // a hub of fewer than two buttons has no steps
    selected_ = m.position;
    value_ = static_cast<float>(m.position) / static_cast<float>(items_.count() - 1);
    // One gesture for the host: an automation pass in touch mode records the step.
    editor_->beginEdit(tag_);
    editor_->processor()->setParameterAutomated(tag_, value_);
    editor_->endEdit(tag_);
}

void QB_GUI_Multi_Button_Hub::setValue(float v) {
    if (busy_) return;
    busy_ = true;
    value_ = v;
    const int32_t n = items_.count();
    selected_ = n > 1 ? static_cast<int32_t>(static_cast<float>(n - 1) * v) : 0;
    for (int i = 0; i < n; ++i)
        qbSendLink(items_.view(i), nullptr, kLinkSet, items_.position(i), items_.position(i) == selected_ ? 1.f : 0.f);
    busy_ = false;
}
