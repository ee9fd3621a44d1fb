// Until the X11 window exists: no child window can be made, so the editor does not open.
#include "platform/gui/window.h"

std::unique_ptr<QB_Window> QB_Window::createChild(void*, void*, int32_t, int32_t, QB_WindowListener*) {
    return nullptr;
}
