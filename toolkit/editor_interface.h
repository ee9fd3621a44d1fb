// What the frame asks of the editor that owns it.
#pragma once

#include <cstdint>

namespace VSTGUI {

class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;
    // Once per refresh tick, before the frame redraws its dirty views.
    virtual void doIdleStuff() {}
    // 0 circular, 1 relative circular, 2 linear.
    virtual int32_t getKnobMode() const { return 2; }
    // A control's edit starts and ends (a drag, a wheel step); index is its tag.
    virtual void beginEdit(int32_t index) {}
    virtual void endEdit(int32_t index) {}
};

}  // namespace VSTGUI
