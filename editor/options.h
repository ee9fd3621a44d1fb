// Option menus: QB_COptionsText shows its current entry as text and opens a pop-up list;
// QB_COptionsImage shows it as a frame of a strip (sliding, turning or cross-fading to
// the next one) and may step to the next option on a click. Both accept the selector
// commands 100 (next), 101 (previous) and 103 (by value) through their links.
#pragma once

#include <string>

#include "editor/link_message.h"
#include "toolkit/option_menu.h"

class QB_GUI_Editor;

constexpr int32_t kSelectNext = 100;
constexpr int32_t kSelectPrevious = 101;
constexpr int32_t kSelectByValue = 103;

class QB_COptionsText : public VSTGUI::COptionMenu {
public:
    QB_COptionsText(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag, const char* options,
                    VSTGUI::CBitmap* bitmap = nullptr);

    void setValue(float value) override;
    void notify(VSTGUI::CView* sender, const void* message) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;
    void idle() override;
    int32_t index() const { return index_; }
    int32_t optionCount() const { return getNbEntries(); }

protected:
    std::string displayText() const override;
    // Selects entry i (by the user or a selector command) and reports value.
    void select(int32_t i, float value);
    // The list opens under the widget; the choice is reported between begin and end edit.
    void openList();
    // Moves the face toward the current option (the image subclass animates it).
    virtual void faceTo(int32_t index) {}

    QB_GUI_Editor* editor_;
    QB_LinkList<8> links_;
    int32_t index_ = 0;
    int32_t refreshCounter_ = 0;
};

class QB_COptionsImage : public QB_COptionsText {
public:
    // frames: the strip's frame count; mode 0..5 as the kinds 20..25 give it (18, 19: 1);
    // glide: step by a fraction of the remaining distance rather than a fixed step.
    QB_COptionsImage(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag, const char* options,
                     VSTGUI::CBitmap* bitmap, int32_t frames, int32_t mode, float speed, bool glide, bool clickCycles,
                     int32_t angleStart, int32_t angleEnd);

    void draw(VSTGUI::CDrawContext* context) override;
    void idle() override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const int32_t& buttons) override {
        return VSTGUI::kMouseEventHandled;
    }
    float position() const { return position_; }

protected:
    void faceTo(int32_t index) override;

private:
    void drawFace(VSTGUI::CDrawContext* context, float position, uint8_t alpha);

    int32_t frames_;
    VSTGUI::CCoord frameHeight_;
    int32_t mode_;
    float speed_;
    bool glide_;
    bool clickCycles_;
    int32_t angleStart_, angleRange_;
    VSTGUI::CPoint anchor_;
    float target_ = 0.f;
    float step_ = 0.f;
    float position_ = 0.f;
    float previous_ = 0.f;
    float alpha_ = 1.f;
};
