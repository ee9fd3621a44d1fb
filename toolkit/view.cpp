#include "toolkit/view.h"

#include <atomic>
#include <cstring>

#include "toolkit/frame.h"
#include "toolkit/view_container.h"

namespace VSTGUI {

namespace {
std::atomic<int32_t> gLiveViews{0};
}  // namespace

int32_t CView::liveViews() { return gLiveViews.load(std::memory_order_relaxed); }

CView::CView(const CRect& size) : size_(size) { gLiveViews.fetch_add(1, std::memory_order_relaxed); }

CView::~CView() {
    gLiveViews.fetch_sub(1, std::memory_order_relaxed);
    if (background_ != nullptr) background_->forget();
}

CRect CView::frameRect() const {
    CRect r = size_;
    for (const CViewContainer* c = parent_; c != nullptr; c = c->getParentView()) {
        const CRect& s = c->getViewSize();
        r.offset(s.left, s.top);
    }
    return r;
}

void CView::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    // Hiding a view uncovers what lies under it; the frame redraws that area.
    if (CFrame* f = getFrame()) f->invalidRect(frameRect());
    invalid();
}

void CView::setBackground(CBitmap* bitmap) {
    if (bitmap != nullptr) bitmap->remember();
    if (background_ != nullptr) background_->forget();
    background_ = bitmap;
    invalid();
}

void CView::setAttribute(uint32_t id, const void* data, int32_t size) {
    if (data == nullptr || size < 0) return;
    const char* bytes = static_cast<const char*>(data);
    attributes_[id].assign(bytes, bytes + size);
}

const char* CView::getAttribute(uint32_t id, int32_t* size) const {
    const auto it = attributes_.find(id);
    if (it == attributes_.end()) {
        if (size != nullptr) *size = 0;
        return nullptr;
    }
    if (size != nullptr) *size = static_cast<int32_t>(it->second.size());
    return it->second.data();
}

CFrame* CView::getFrame() const { return parent_ != nullptr ? parent_->getFrame() : nullptr; }

}  // namespace VSTGUI
