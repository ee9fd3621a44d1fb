// The editor's child window inside the host's HWND is still to come: until then no
// window can be made and the editor stays closed.
#include "platform/gui/window.h"

std::unique_ptr<QB_Window> QB_Window::createChild(void* parent, void* hostDisplay, int32_t width, int32_t height,
                                                  QB_WindowListener* listener) {
    return nullptr;
}
