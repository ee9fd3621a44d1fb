// Builds the editor's widgets from the control descriptor table in one pass: every
// control record makes a widget in the slot of its control number; directive records
// set the settings later records use, link widgets and pair readouts with sliders; kinds
// 73 and 74 open a nested container built from the following records up to kind 75.
#pragma once

#include <cstdint>

#include "plugin/control_table.h"
#include <map>
#include <string>

#include "toolkit/control.h"
#include "toolkit/font.h"
#include "toolkit/geometry.h"
#include "toolkit/view_container.h"

class QB_GUI_Editor;

class QB_ControlBuilder {
public:
    QB_ControlBuilder(QB_GUI_Editor* editor, const QB_ControlDescriptor* table, int32_t length);
    ~QB_ControlBuilder();
    QB_ControlBuilder(const QB_ControlBuilder&) = delete;
    QB_ControlBuilder& operator=(const QB_ControlBuilder&) = delete;

    // Builds into container from record first; answers the record it stopped at (the
    // end of the table, or a kind 75 closing a nested container).
    int32_t build(VSTGUI::CViewContainer* container, int32_t first);

private:
    // One record of kind below kFirstDirective: the widget, or nullptr.
    VSTGUI::CControl* makeControl(const QB_ControlDescriptor& d, int32_t control);
    void directive(const QB_ControlDescriptor& d, int32_t control, VSTGUI::CViewContainer* container, int32_t& record);
    void styleText(VSTGUI::CControl* widget, int16_t kind);
    // The record's bitmap with one reference for the caller, or nullptr for none.
    VSTGUI::CBitmap* bitmapOf(const QB_ControlDescriptor& d);

    QB_GUI_Editor* editor_;
    const QB_ControlDescriptor* table_;
    int32_t length_;

    // Settings carried from directive records to later ones.
    int32_t knobFrames_ = 0;
    int32_t animFrames_ = 0;
    int32_t rotateFrames_ = 0;
    int32_t animControl_ = 0;
    int32_t angleStart_ = 0, angleEnd_ = 0;
    float animSpeed_ = 1.f, rotateSpeed_ = 1.f;
    int32_t sliderWidth_ = 0, sliderHeight_ = 0, sliderVertical_ = 1;
    int32_t containerX_ = 0, containerY_ = 0, containerFlag_ = 0;
    float containerSpeed_ = 0.f;
    VSTGUI::CColor fontColour_ = VSTGUI::kWhiteCColor;
    VSTGUI::CColor backColour_ = VSTGUI::kBlackCColor;
    VSTGUI::CColor frameColour_ = VSTGUI::kGreyCColor;
    int32_t textWidth_ = 50, textHeight_ = 16;
    VSTGUI::CFontDesc* font_ = nullptr;
    std::map<std::string, VSTGUI::CBitmap*> bitmaps_;  // decoded during this build
};

// The number of comma-terminated entries of an option list (0 for none or "").
int32_t qbCountOptions(const char* options);
// Entry i of an option list, without its comma.
std::string qbOptionEntry(const char* options, int32_t i);
