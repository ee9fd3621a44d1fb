// Tooltips: when the mouse rests over a view with a tooltip attribute for the delay, its
// text (UTF-8, "\n" breaks lines) shows in a box near the pointer, inside the frame,
// until the mouse moves off the view, a button is pressed or the mouse leaves. Where the
// window has a tooltip of the system's own, that one shows the text.
#pragma once

#include <chrono>
#include <string>

#include "toolkit/view.h"

namespace VSTGUI {

class CFrame;

class CTooltipSupport {
public:
    explicit CTooltipSupport(CFrame* frame, std::chrono::milliseconds delay = std::chrono::milliseconds(500));
    ~CTooltipSupport();
    CTooltipSupport(const CTooltipSupport&) = delete;
    CTooltipSupport& operator=(const CTooltipSupport&) = delete;

    void onMouseMoved(const CPoint& framePoint);
    void onMouseDown() { hide(); resting_ = nullptr; }
    void onMouseExited() { hide(); resting_ = nullptr; }
    void viewRemoved(CView* view);
    // Called every refresh tick: shows the tooltip once the mouse has rested long enough.
    void idle();
    bool isShowing() const { return box_ != nullptr || native_; }
    const std::string& shownText() const { return text_; }

private:
    void hide();
    void show(const std::string& text);

    CFrame* frame_;
    std::chrono::milliseconds delay_;
    CView* resting_ = nullptr;  // the view under the resting mouse
    CPoint at_;
    std::chrono::steady_clock::time_point since_;
    CView* box_ = nullptr;  // the shown tooltip, a view of the frame
    bool native_ = false;   // or the window's own tooltip shows it
    std::string text_;
};

}  // namespace VSTGUI
