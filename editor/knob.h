// Bitmap knobs: QB_Knob draws a frame strip and glides its drawn value toward its value,
// 10 % of the way per refresh tick; QB_Rotate_Knob turns layers of one bitmap instead.
// Both follow the mouse as a drag of a fixed number of pixels over the whole range, and
// both mirror their value into a paired number entry.
#pragma once

#include "editor/link_message.h"
#include "toolkit/knob.h"

class QB_GUI_Editor;

class QB_Knob : public VSTGUI::CAnimKnob {
public:
    // frames: the strip's frame count; frameHeight: each frame's height.
    QB_Knob(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag, int32_t frames, VSTGUI::CCoord frameHeight,
            VSTGUI::CBitmap* bitmap, int32_t springMode);

    void notify(VSTGUI::CView* sender, const void* message) override;
    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const int32_t& buttons) override;
    bool hitTest(const VSTGUI::CPoint& where, const int32_t& buttons) override;
    void idle() override;
    void setValue(float value) override;
    // The number entry (a control number, 0 = none) that mirrors this knob's value.
    void setPairedEntry(int32_t control) { pairedEntry_ = control; }

    float displayedValue() const { return displayed_; }
    int32_t refreshCounter() const { return refreshCounter_; }

protected:
    // The bitmap pixel under where that decides a hit, as (x, y) in the bitmap.
    virtual bool pixelUnder(const VSTGUI::CPoint& where, VSTGUI::CCoord& x, VSTGUI::CCoord& y) const;
    // The value a drag from the anchor to where gives.
    virtual float dragValue(const VSTGUI::CPoint& where, float divisor) const;
    // Common start of a press: global displays, MIDI-learn menu, begin edit, anchors.
    // Answers false when the press is not the widget's (not handled).
    bool pressStart(VSTGUI::CPoint& where, const int32_t& buttons, VSTGUI::CMouseEventResult& result);

    QB_GUI_Editor* editor_;
    float cached_ = 1.0e24f;  // the first set value is always taken
    int32_t pairedEntry_ = 0;
    bool pairGuard_ = false;
    float dragRange_ = 60.f;
    float displayed_ = 0.f;
    int32_t hitTestFrame0_ = 0;
    bool dragSuppressed_ = false;
    bool editing_ = false;  // between the begin edit of a press and its release
    VSTGUI::CPoint anchor_;
    float anchorValue_ = 0.f;
    int32_t anchorButtons_ = 0;
    QB_LinkList<8> links_;
    int32_t springMode_;
    int32_t refreshCounter_ = 0;
};

class QB_Rotate_Knob : public QB_Knob {
public:
    // layers: how many layers the bitmap holds, one above the other; angles in degrees.
    QB_Rotate_Knob(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag, int32_t layers,
                   VSTGUI::CBitmap* bitmap, int32_t angleStart, int32_t angleEnd, float layerFactor, int32_t mode);
    void draw(VSTGUI::CDrawContext* context) override;

private:
    int32_t angleStart_;
    int32_t angleRange_;
    float layerFactor_;
    int32_t layers_;
    VSTGUI::CCoord layerHeight_;
};
