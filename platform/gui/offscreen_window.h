// A window with no display, for tests and snapshots: input is queued with inject and
// delivered by the next pump; the back buffer is the picture (canvas().pixels()).
#pragma once

#include <deque>
#include <memory>

#include "platform/gui/window.h"

class QB_OffscreenWindow : public QB_Window {
public:
    QB_OffscreenWindow(int32_t width, int32_t height, QB_WindowListener* listener);

    QB_Canvas& canvas() override { return *canvas_; }
    void show(const QB_Box& box) override { ++shows_; }
    void pumpEvents() override;
    void takeKeyboardFocus() override { focused_ = true; }
    void releaseKeyboardFocus() override { focused_ = false; }
    uint32_t doubleClickTime() const override { return 400; }
    bool alive() const override { return true; }

    // Queues an event for the next pumpEvents.
    void inject(const QB_InputEvent& event) { queue_.push_back(event); }
    bool hasKeyboardFocus() const { return focused_; }
    // How many times the toolkit showed a part of the back buffer.
    int shows() const { return shows_; }

private:
    std::unique_ptr<QB_Canvas> canvas_;
    std::deque<QB_InputEvent> queue_;
    bool focused_ = false;
    int shows_ = 0;
};
