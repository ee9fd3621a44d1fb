#include "toolkit/frame.h"

#include "toolkit/tooltip.h"

namespace VSTGUI {

namespace {
CRect origin0(const CRect& r) { return CRect(0, 0, r.width(), r.height()); }
}  // namespace

CFrame::CFrame(const CRect& size, void* parentWindow, void* hostDisplay, VSTGUIEditorInterface* editor)
    : CViewContainer(origin0(size)), editor_(editor) {
    window_ = QB_Window::createChild(parentWindow, hostDisplay, size_.width(), size_.height(), this);
}

CFrame::CFrame(const CRect& size, std::unique_ptr<QB_Window> window, VSTGUIEditorInterface* editor)
    : CViewContainer(origin0(size)), window_(std::move(window)), editor_(editor) {
    if (window_ != nullptr) window_->setListener(this);
}

CFrame::~CFrame() {
    setModalView(nullptr);
    focusView_ = nullptr;
    mouseView_ = nullptr;
    // The views go before the window they were drawn in.
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        (*it)->parent_ = nullptr;
        (*it)->forget();
    }
    children_.clear();
}

void CFrame::pumpEvents() {
    if (isOpen()) window_->pumpEvents();
}

void CFrame::viewRemoved(CView* view) {
    if (mouseView_ == view) mouseView_ = nullptr;
    if (focusView_ == view) focusView_ = nullptr;
    if (tooltips_ != nullptr) tooltips_->viewRemoved(view);
}

void CFrame::setFocusView(CView* view) {
    if (view == focusView_) return;
    CView* old = focusView_;
    focusView_ = view;
    if (old != nullptr) old->looseFocus();
}

void CFrame::setModalView(CView* view) {
    if (view == modalView_) return;
    CView* old = modalView_;
    modalView_ = view;
    if (old != nullptr) {
        if (mouseView_ == old) mouseView_ = nullptr;
        removeView(old, true);
    }
    if (view != nullptr) {
        view->remember();
        addView(view);
    }
}

bool CFrame::onKey(const CKeyEvent& key) {
    if (modalView_ != nullptr) return modalView_->onKeyDown(key) >= 0;
    if (focusView_ != nullptr && focusView_->onKeyDown(key) >= 0) return true;
    CView* under = viewAt(mouse_, 0);
    return under != nullptr && under->onKeyDown(key) >= 0;
}

void CFrame::onInput(const QB_InputEvent& e) {
    using T = QB_InputEvent::Type;
    const CPoint p(e.x, e.y);
    const int32_t buttons = static_cast<int32_t>(e.buttons);
    switch (e.type) {
        case T::mouseDown: {
            mouse_ = p;
            if (tooltips_ != nullptr) tooltips_->onMouseDown();
            CView* target = modalView_ != nullptr ? modalView_ : viewAt(p, buttons);
            // A press elsewhere ends the editing of a text, keeping what was typed.
            if (focusView_ != nullptr && target != focusView_) setFocusView(nullptr);
            if (target == nullptr) break;
            const bool modal = target == modalView_;
            CPoint local = qbToParentCoordinates(target, p);
            // An open list may close (and go) in its press: only other views capture.
            if (target->onMouseDown(local, buttons) == kMouseEventHandled && !modal) mouseView_ = target;
            break;
        }
        case T::mouseMove: {
            mouse_ = p;
            CView* target = mouseView_ != nullptr ? mouseView_ : modalView_;
            if (target != nullptr) {
                CPoint local = qbToParentCoordinates(target, p);
                target->onMouseMoved(local, buttons);
            } else if (tooltips_ != nullptr) {
                tooltips_->onMouseMoved(p);
            }
            break;
        }
        case T::mouseUp: {
            mouse_ = p;
            CView* target = mouseView_ != nullptr ? mouseView_ : modalView_;
            mouseView_ = nullptr;
            if (target != nullptr) {
                CPoint local = qbToParentCoordinates(target, p);
                target->onMouseUp(local, buttons);
            }
            break;
        }
        case T::wheel: {
            CView* target = modalView_ != nullptr ? modalView_ : viewAt(p, 0);
            if (target != nullptr) target->onWheel(qbToParentCoordinates(target, p), e.wheel, buttons);
            break;
        }
        case T::keyDown: {
            CKeyEvent key;
            key.key = e.key;
            for (size_t i = 0; i < sizeof key.text && i < sizeof e.text; ++i) key.text[i] = e.text[i];
            key.text[sizeof key.text - 1] = '\0';
            key.modifiers = buttons & (kShift | kControl | kAlt);
            onKey(key);
            break;
        }
        case T::mouseLeft:
            if (tooltips_ != nullptr) tooltips_->onMouseExited();
            break;
        case T::focusLost:
            setFocusView(nullptr);
            break;
        case T::exposed:
            invalidRect(CRect(e.box.left, e.box.top, e.box.right, e.box.bottom));
            break;
        case T::keyUp:
            break;
    }
}

CRect CFrame::redrawDirty() {
    CRect region = pending_;
    pending_ = CRect();
    if (isDirty()) region.unite(size_);
    setDirty(false);
    forEachView([&region](CView* v) {
        if (v->isDirty() && v->isVisible()) region.unite(v->frameRect());
        v->setDirty(false);
    });
    region.bound(size_);
    if (region.isEmpty() || !isOpen()) return CRect();
    drawRegion(region);
    return region;
}

void CFrame::drawRegion(const CRect& region) {
    CDrawContext context(window_->canvas());
    context.setClipRect(region);
    draw(&context);
    window_->canvas().resetClip();
    window_->show(region.box());
}

}  // namespace VSTGUI
