// Two-state buttons of the editor. QB_COnOffButton toggles (mode 0), is pressed only
// while held (mode 1, momentary) or lights on a click (mode 2, select) and pushes every
// value it is set to along its links. QB_ExclusiveButton puts its partners out when it
// lights and shows or hides the containers linked to it.
#pragma once

#include "editor/link_message.h"
#include "toolkit/on_off_button.h"
#include "toolkit/view_container.h"

class QB_GUI_Editor;

class QB_COnOffButton : public VSTGUI::COnOffButton {
public:
    QB_COnOffButton(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag, VSTGUI::CBitmap* bitmap, int32_t mode);

    void setValue(float value) override;
    void notify(VSTGUI::CView* sender, const void* message) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const int32_t& buttons) override;
    bool hitTest(const VSTGUI::CPoint& where, const int32_t& buttons) override;
    void idle() override;
    int32_t refreshCounter() const { return refreshCounter_; }

protected:
    // Right press on a host parameter: the MIDI-learn menu. True when handled so.
    bool midiLearnPress(VSTGUI::CPoint& where, const int32_t& buttons);

    QB_GUI_Editor* editor_;
    QB_LinkList<8> links_;
    int32_t mode_;
    int32_t refreshCounter_ = 0;
};

class QB_ExclusiveButton : public QB_COnOffButton {
public:
    static constexpr int kMaxPartners = 32;
    static constexpr int kMaxContainers = 8;

    // mayAllBeOff: the group may have no button lit; otherwise a button lights itself
    // again when its group would be all off.
    QB_ExclusiveButton(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag, VSTGUI::CBitmap* bitmap,
                       bool mayAllBeOff);

    void setValue(float value) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const int32_t& buttons) override {
        return VSTGUI::kMouseEventHandled;
    }
    void addPartner(int32_t control);
    void addContainer(VSTGUI::CViewContainer* container);

private:
    bool mayAllBeOff_;
    int32_t partners_[kMaxPartners] = {};
    int partnerCount_ = 0;
    VSTGUI::CViewContainer* containers_[kMaxContainers] = {};
    int containerCount_ = 0;
};
