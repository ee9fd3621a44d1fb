// A view that holds other views, in its own coordinates, over an optional background.
// It keeps one reference to each view added and drops it when the view is removed or the
// container is destroyed.
#pragma once

#include <vector>

#include "toolkit/view.h"

namespace VSTGUI {

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size) : CView(size) {}

    // Takes over the caller's reference to view.
    void addView(CView* view);
    // Takes view out; forget drops the container's reference (deleting the view with the
    // last one).
    void removeView(CView* view, bool forget = true);
    bool isChild(const CView* view) const;
    const std::vector<CView*>& children() const { return children_; }

    // Draws the background and every visible child that meets the context's clip.
    void draw(CDrawContext* context) override;

    // The visible view (not a container) on top at the frame point where that takes a
    // press there, or nullptr.
    CView* viewAt(const CPoint& framePoint, int32_t buttons);
    // Every view in the tree under this one, depth first, containers before their views.
    template <class Visit>
    void forEachView(Visit&& visit) {
        for (CView* v : children_) {
            visit(v);
            if (auto* c = dynamic_cast<CViewContainer*>(v)) c->forEachView(visit);
        }
    }

protected:
    ~CViewContainer() override;
    std::vector<CView*> children_;
};

// A frame point in the coordinates of view's container.
CPoint qbToParentCoordinates(const CView* view, const CPoint& framePoint);

}  // namespace VSTGUI
