// A view with a value 0..1 that reports changes to its listener and brackets edits with
// begin and end, which reach the frame's editor with the control's tag.
#pragma once

#include <cstdint>

#include "toolkit/view.h"

namespace VSTGUI {

class CControl;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    virtual int32_t controlModifierClicked(CControl* control, int32_t button) { return 0; }
    virtual void controlBeginEdit(CControl* control) {}
    virtual void controlEndEdit(CControl* control) {}
};

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background = nullptr);

    virtual void setValue(float value) { value_ = value; }
    virtual float getValue() const { return value_; }
    void setMin(float v) { min_ = v; }
    float getMin() const { return min_; }
    void setMax(float v) { max_ = v; }
    float getMax() const { return max_; }
    void setDefaultValue(float v) { default_ = v; }
    float getDefaultValue() const { return default_; }
    void setWheelInc(float v) { wheelInc_ = v; }
    float getWheelInc() const { return wheelInc_; }
    int32_t getTag() const { return tag_; }
    void setTag(int32_t tag) { tag_ = tag; }
    CControlListener* getListener() const { return listener_; }
    void setListener(CControlListener* l) { listener_ = l; }

    // Reports the value to the listener.
    virtual void valueChanged();
    // Brackets a change made by the user: the editor tells the host.
    void beginEdit();
    void endEdit();
    // Keeps the value within min..max.
    void bounceValue();

protected:
    float value_ = 0.f;
    float min_ = 0.f;
    float max_ = 1.f;
    float default_ = 0.5f;
    float wheelInc_ = 0.1f;
    int32_t tag_;
    CControlListener* listener_;
};

}  // namespace VSTGUI
