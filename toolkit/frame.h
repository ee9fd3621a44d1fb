// The root of a window's views. It owns the platform window, routes its input to the
// views (a press captures the mouse for the view that took it until release), keeps the
// keyboard focus view and one modal view (an open menu) above the others, and redraws
// what is dirty into the back buffer, showing only that part.
//
// Threads: made, driven and destroyed on the editor's thread only.
#pragma once

#include <memory>

#include "platform/gui/window.h"
#include "toolkit/editor_interface.h"
#include "toolkit/view_container.h"

namespace VSTGUI {

class CTooltipSupport;

class CFrame : public CViewContainer, public QB_WindowListener {
public:
    // A frame in a child window of the host's parent window (see QB_Window::createChild).
    CFrame(const CRect& size, void* parentWindow, void* hostDisplay, VSTGUIEditorInterface* editor);
    // A frame in a window made elsewhere (the off-screen window).
    CFrame(const CRect& size, std::unique_ptr<QB_Window> window, VSTGUIEditorInterface* editor);

    // True when the window exists and its host has not destroyed it.
    bool isOpen() const { return window_ != nullptr && window_->alive(); }
    VSTGUIEditorInterface* getEditor() const { return editor_; }
    QB_Window* window() const { return window_.get(); }
    CFrame* getFrame() const override { return const_cast<CFrame*>(this); }

    // Delivers the window's pending input to the views.
    void pumpEvents();
    // Draws every dirty view (and whatever lies in the rectangles they cover) into the
    // back buffer and shows that part of it. Answers the area drawn (empty: nothing).
    CRect redrawDirty();
    // Marks an area of the frame to be redrawn with the next redrawDirty.
    void invalidRect(const CRect& rect) { pending_.unite(rect); }

    // The view that receives keys first (a text being edited), or nullptr.
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView_; }
    // A view drawn above all others that takes every press while it is set (a menu);
    // the frame keeps a reference to it until it is cleared.
    void setModalView(CView* view);
    CView* getModalView() const { return modalView_; }

    // A key from the host or the window: to the modal view, then the focus view, then the
    // view under the mouse. True when used.
    bool onKey(const CKeyEvent& key);

    void setTooltipSupport(CTooltipSupport* tooltips) { tooltips_ = tooltips; }
    const CPoint& mousePosition() const { return mouse_; }

    // A view leaves the frame: it no longer receives the mouse, keys or tooltips.
    void viewRemoved(CView* view);

    // QB_WindowListener
    void onInput(const QB_InputEvent& event) override;

protected:
    ~CFrame() override;

private:
    void drawRegion(const CRect& region);

    std::unique_ptr<QB_Window> window_;
    VSTGUIEditorInterface* editor_;
    CRect pending_;
    CView* mouseView_ = nullptr;  // captured by a press until release
    CView* focusView_ = nullptr;
    CView* modalView_ = nullptr;
    CTooltipSupport* tooltips_ = nullptr;
    CPoint mouse_;
};

}  // namespace VSTGUI
