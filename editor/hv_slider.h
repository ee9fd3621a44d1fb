// A slider: its bitmap is the head, moved along the widget's rectangle (value 1 at the
// top of a vertical slider, at the right of a horizontal one). Only the head takes clicks.
#pragma once

#include "editor/knob.h"

class QB_HV_Slider : public QB_Knob {
public:
    QB_HV_Slider(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag, VSTGUI::CBitmap* head,
                 int32_t vertical, int32_t springMode);

    void draw(VSTGUI::CDrawContext* context) override;
    // Where the head is drawn for a value.
    VSTGUI::CRect headRect(float value) const;
    const VSTGUI::CRect& currentHead() const { return head_; }

protected:
    bool pixelUnder(const VSTGUI::CPoint& where, VSTGUI::CCoord& x, VSTGUI::CCoord& y) const override;
    // Along the slider's axis only; one travel of pixels covers the range.
    float dragValue(const VSTGUI::CPoint& where, float divisor) const override;

private:
    int32_t vertical_;
    VSTGUI::CCoord headWidth_, headHeight_;
    VSTGUI::CCoord travel_;
    VSTGUI::CRect head_;
};
