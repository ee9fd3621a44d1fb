// The base of everything in a window: a rectangle in its container's coordinates, drawn
// when dirty, with mouse, wheel and key handlers and an attribute store.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/gui/window.h"
#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit/geometry.h"
#include "toolkit/reference.h"

namespace VSTGUI {

class CFrame;
class CViewContainer;

// Mouse buttons and modifiers of an event, as one word: left 2, middle 4, right 8,
// shift 16, control 32, alt 64, double-click 1024.
enum CButton : int32_t {
    kLButton = kQbLeftButton,
    kMButton = kQbMiddleButton,
    kRButton = kQbRightButton,
    kShift = kQbShift,
    kControl = kQbControl,
    kAlt = kQbAlt,
    kDoubleClick = kQbDoubleClick,
};

enum CMouseEventResult {
    kMouseEventNotHandled = 0,
    kMouseEventHandled,
    kMouseEventNotImplemented,
};

// A key as the toolkit sees it, from the window or from the host.
struct CKeyEvent {
    QB_Key key = QB_Key::none;
    char text[8] = {};     // UTF-8 of a character key
    int32_t modifiers = 0;  // kShift | kControl | kAlt
};

// The attribute identifier of a view's tooltip text.
constexpr uint32_t kCViewTooltipAttribute = ('c' << 24) | ('v' << 16) | ('t' << 8) | 't';

class CView : public CBaseObject {
public:
    explicit CView(const CRect& size);

    // The link-message slot: another view (or nobody) passes a message. Views that take
    // part in links override it; the base ignores it.
    virtual void notify(CView* sender, const void* message) {}
    virtual void draw(CDrawContext* context) {}
    virtual CMouseEventResult onMouseDown(CPoint& where, const int32_t& buttons) { return kMouseEventNotHandled; }
    virtual CMouseEventResult onMouseUp(CPoint& where, const int32_t& buttons) { return kMouseEventNotHandled; }
    virtual CMouseEventResult onMouseMoved(CPoint& where, const int32_t& buttons) { return kMouseEventNotHandled; }
    // distance: notches, positive away from the user. True when used.
    virtual bool onWheel(const CPoint& where, float distance, const int32_t& buttons) { return false; }
    // 1 when the key was used, -1 when not.
    virtual int32_t onKeyDown(const CKeyEvent& key) { return -1; }
    // Whether a press at where (container coordinates) belongs to this view.
    virtual bool hitTest(const CPoint& where, const int32_t& buttons) { return size_.pointInside(where); }
    // Called once per refresh tick by whoever owns the view's refresh (the editor).
    virtual void idle() {}
    // The keyboard focus was taken away while the view held it.
    virtual void looseFocus() {}
    virtual void setViewSize(const CRect& rect) {
        invalid();
        size_ = rect;
        invalid();
    }

    const CRect& getViewSize() const { return size_; }
    // This view's rectangle in the frame's coordinates.
    CRect frameRect() const;
    // Marks the view to be redrawn at the next redraw of the frame.
    void invalid() { dirty_ = true; }
    void setDirty(bool dirty = true) { dirty_ = dirty; }
    bool isDirty() const { return dirty_; }
    void setVisible(bool visible);
    bool isVisible() const { return visible_; }
    void setTransparency(bool on) { transparent_ = on; }
    bool getTransparency() const { return transparent_; }

    void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background_; }

    // Attributes: bytes stored under a four-character identifier.
    void setAttribute(uint32_t id, const void* data, int32_t size);
    // Answers the stored bytes of id, or nullptr (size then 0).
    const char* getAttribute(uint32_t id, int32_t* size = nullptr) const;

    CViewContainer* getParentView() const { return parent_; }
    virtual CFrame* getFrame() const;
    // How many views exist in the process (a window closed leaves none behind).
    static int32_t liveViews();

protected:
    ~CView() override;
    friend class CViewContainer;
    friend class CFrame;

    CRect size_;
    CViewContainer* parent_ = nullptr;
    CBitmap* background_ = nullptr;
    bool dirty_ = true;
    bool visible_ = true;
    bool transparent_ = false;
    std::map<uint32_t, std::vector<char>> attributes_;
};

}  // namespace VSTGUI
