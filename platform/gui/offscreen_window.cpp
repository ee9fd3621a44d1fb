#include "platform/gui/offscreen_window.h"

QB_OffscreenWindow::QB_OffscreenWindow(int32_t width, int32_t height, QB_WindowListener* listener)
    : canvas_(QB_Canvas::create(width, height)) {
    setListener(listener);
}

void QB_OffscreenWindow::pumpEvents() {
    // Events queued by a listener while it handles one wait for the next pump.
    std::deque<QB_InputEvent> now;
    now.swap(queue_);
    for (const QB_InputEvent& e : now)
        if (inputListener_ != nullptr) inputListener_->onInput(e);
}
