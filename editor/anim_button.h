// An on/off button shown by a frame strip that animates between off (frame 0) and on
// (the last frame), one step per refresh tick. Modes: 0 jumps on, 1 runs on at twice the
// speed, 2 runs on, 3 pulses between the lowest lit frame and the last while on, 4
// pulses rising at full speed and falling at half speed; every mode runs off.
#pragma once

#include "editor/knob.h"

class QB_AnimButton : public QB_Knob {
public:
    // speed: the animation speed setting; one step is speed / (frames - 1).
    QB_AnimButton(const VSTGUI::CRect& size, QB_GUI_Editor* editor, int32_t tag, int32_t frames,
                  VSTGUI::CCoord frameHeight, VSTGUI::CBitmap* bitmap, float speed, int32_t mode);

    void setValue(float value) override;
    void idle() override;
    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const int32_t& buttons) override {
        return VSTGUI::kMouseEventHandled;
    }

    float position() const { return position_; }
    float step() const { return step_; }

private:
    float step_ = 0.f;
    float position_ = 0.f;
    float speedPerFrame_;
    float lowestPulse_;
    int32_t mode_;
};
