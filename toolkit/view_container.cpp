#include "toolkit/view_container.h"

#include <algorithm>

#include "toolkit/frame.h"

namespace VSTGUI {

CPoint qbToParentCoordinates(const CView* view, const CPoint& framePoint) {
    CPoint p = framePoint;
    for (const CViewContainer* c = view->getParentView(); c != nullptr; c = c->getParentView()) {
        if (c->getParentView() == nullptr) break;  // the frame's origin is the window's
        p.offset(-c->getViewSize().left, -c->getViewSize().top);
    }
    return p;
}

CViewContainer::~CViewContainer() {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        (*it)->parent_ = nullptr;
        (*it)->forget();
    }
}

void CViewContainer::addView(CView* view) {
    if (view == nullptr) return;
    view->parent_ = this;
    children_.push_back(view);
    view->invalid();
}

void CViewContainer::removeView(CView* view, bool forget) {
    const auto it = std::find(children_.begin(), children_.end(), view);
    if (it == children_.end()) return;
    if (CFrame* f = getFrame()) {
        f->invalidRect(view->frameRect());
        f->viewRemoved(view);
    }
    children_.erase(it);
    view->parent_ = nullptr;
    if (forget) view->forget();
}

bool CViewContainer::isChild(const CView* view) const {
    return std::find(children_.begin(), children_.end(), view) != children_.end();
}

void CViewContainer::draw(CDrawContext* context) {
    // The frame draws at the window's origin; a nested container moves the origin to its
    // own corner for its views.
    const bool nested = parent_ != nullptr;
    if (nested) context->translate(size_.left, size_.top);
    if (background_ != nullptr)
        context->drawBitmap(background_, CRect(0, 0, size_.width(), size_.height()));
    const CRect& clip = context->getClipRect();
    for (CView* v : children_) {
        if (!v->isVisible()) continue;
        if (!v->frameRect().rectOverlap(clip)) continue;
        v->draw(context);
    }
    if (nested) context->translate(-size_.left, -size_.top);
}

CView* CViewContainer::viewAt(const CPoint& framePoint, int32_t buttons) {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* v = *it;
        if (!v->isVisible() || !v->frameRect().pointInside(framePoint)) continue;
        if (auto* c = dynamic_cast<CViewContainer*>(v)) {
            if (CView* inner = c->viewAt(framePoint, buttons)) return inner;
            continue;
        }
        if (v->hitTest(qbToParentCoordinates(v, framePoint), buttons)) return v;
    }
    return nullptr;
}

}  // namespace VSTGUI
