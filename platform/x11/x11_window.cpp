// The child window inside a host's X11 window: its own display connection (see
// x11_display.h), a cairo back buffer uploaded with XPutImage, and input translated for
// the toolkit. Once the host has destroyed the parent (and with it this window), nothing
// touches the native window again.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/cairo/cairo_surface.h"
#include "platform/gui/input_logic.h"
#include "platform/gui/window.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_input.h"
#include "platform/x11/x11_settings.h"

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask |
                            FocusChangeMask | StructureNotifyMask;
// Without a desktop that publishes its own (XSETTINGS), in milliseconds.
constexpr uint32_t kDefaultDoubleClickTime = 400;
// Events delivered by one pump at most, so a flood cannot hold the editor's thread.
constexpr int kMaxEventsPerPump = 10000;

int nativeByteOrder() {
    const uint16_t probe = 1;
    uint8_t first;
    std::memcpy(&first, &probe, 1);
    return first == 1 ? LSBFirst : MSBFirst;
}

// Position and width of a colour mask's bits.
struct Channel {
    int shift = 0;
    unsigned long max = 0;
    explicit Channel(unsigned long mask) {
        if (mask == 0) return;
        while ((mask & 1ul) == 0) {
            mask >>= 1;
            ++shift;
        }
        max = mask;
    }
    unsigned long scale(uint32_t value8) const { return ((value8 * max + 127u) / 255u) << shift; }
};

class X11Window : public QB_Window {
public:
    X11Window(std::unique_ptr<QB_X11Connection> connection, QB_WindowListener* listener)
        : connection_(std::move(connection)), display_(connection_->display()) {
        setListener(listener);
    }
    ~X11Window() override;

    bool create(Window parent, int32_t width, int32_t height);

    QB_Canvas& canvas() override { return *canvas_; }
    void show(const QB_Box& box) override;
    void pumpEvents() override;
    void takeKeyboardFocus() override;
    void releaseKeyboardFocus() override;
    uint32_t doubleClickTime() const override { return doubleClickTime_; }
    bool alive() const override { return alive_ && !connection_->dead(); }

private:
    void handle(XEvent& event);
    void deliver(QB_InputEvent& event) {
        if (inputListener_ != nullptr) inputListener_->onInput(event);
    }
    void deliverKey(const XKeyEvent& key, QB_InputEvent::Type type);
    bool setUpImage(Visual* visual, int depth);
    void convertBox(const QB_Box& box);

    std::unique_ptr<QB_X11Connection> connection_;
    Display* display_;
    std::unique_ptr<QB_Canvas> canvas_;
    Window window_ = 0;
    GC gc_ = nullptr;
    bool alive_ = false;
    // The back buffer as an XImage: directly over the cairo pixels when the visual keeps
    // 8-bit red, green and blue where ARGB32 has them; else a converted copy.
    XImage direct_{};
    XImage* converted_ = nullptr;
    // Keyboard focus taken from the host, and who had it.
    bool focused_ = false;
    Window previousFocus_ = None;
    // Serial of our last focus request: focus events older than it (from giving the focus
    // back before taking it again) say nothing about the focus we hold now.
    unsigned long focusSerial_ = 0;
    QB_ClickPairing clicks_;
    uint32_t doubleClickTime_ = kDefaultDoubleClickTime;
};

bool X11Window::create(Window parent, int32_t width, int32_t height) {
    const uint32_t errorsBefore = connection_->errors();
    XWindowAttributes parentAttributes;
    if (XGetWindowAttributes(display_, parent, &parentAttributes) == 0) return false;
    canvas_ = QB_Canvas::create(width, height);
    if (canvas_ == nullptr || !setUpImage(parentAttributes.visual, parentAttributes.depth)) return false;

    XSetWindowAttributes attributes{};
    // No background: the server leaves exposed parts alone until the toolkit's upload
    // instead of flashing a colour first.
    attributes.background_pixmap = None;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = kEventMask;
    window_ = XCreateWindow(display_, parent, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                            CopyFromParent, InputOutput, CopyFromParent, CWBackPixmap | CWBitGravity | CWEventMask,
                            &attributes);
    alive_ = window_ != 0;
    if (!alive_) return false;
    XMapWindow(display_, window_);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    // Held keys then repeat as presses alone, not as release-press pairs (per client).
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(display_, True, &detectable);
    XSync(display_, False);
    if (gc_ == nullptr || connection_->errors() != errorsBefore || connection_->dead()) return false;
    doubleClickTime_ = qbX11DoubleClickTime(display_, kDefaultDoubleClickTime);
    return true;
}

bool X11Window::setUpImage(Visual* visual, int depth) {
    // Colour-mapped visuals (PseudoColor, DirectColor, grey scales) make no window.
    if (visual->c_class != TrueColor) return false;
    cairo_surface_t* surface = qbCanvasSurface(*canvas_);
    const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    if ((depth == 24 || depth == 32) && visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 &&
        visual->blue_mask == 0xff) {
        // ARGB32 in the machine's byte order; Xlib converts if the server's differs. At
        // depth 32 the premultiplied alpha is what an ARGB visual expects.
        direct_.width = width;
        direct_.height = height;
        direct_.format = ZPixmap;
        direct_.data = reinterpret_cast<char*>(cairo_image_surface_get_data(surface));
        direct_.byte_order = nativeByteOrder();
        direct_.bitmap_unit = 32;
        direct_.bitmap_bit_order = nativeByteOrder();
        direct_.bitmap_pad = 32;
        direct_.depth = depth;
        direct_.bytes_per_line = cairo_image_surface_get_stride(surface);
        direct_.bits_per_pixel = 32;
        direct_.red_mask = visual->red_mask;
        direct_.green_mask = visual->green_mask;
        direct_.blue_mask = visual->blue_mask;
        return XInitImage(&direct_) != 0;
    }
    // Any other true-colour layout (16-bit, 30-bit, other orders): a copy in the server's
    // format, converted pixel by pixel for the part shown.
    converted_ = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                              static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (converted_ == nullptr) return false;
    converted_->data = static_cast<char*>(std::calloc(static_cast<size_t>(converted_->bytes_per_line), height));
    return converted_->data != nullptr;
}

X11Window::~X11Window() {
    releaseKeyboardFocus();
    if (!connection_->dead()) {
        if (alive_) XDestroyWindow(display_, window_);
        if (gc_ != nullptr) XFreeGC(display_, gc_);
    }
    if (converted_ != nullptr) XDestroyImage(converted_);  // frees its data too
    connection_.reset();  // syncs (errors still go to our hooks), then closes
}

void X11Window::convertBox(const QB_Box& box) {
    cairo_surface_t* surface = qbCanvasSurface(*canvas_);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const Channel red(converted_->red_mask), green(converted_->green_mask), blue(converted_->blue_mask);
    for (int32_t y = box.top; y < box.bottom; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int32_t x = box.left; x < box.right; ++x) {
            // Premultiplied colour is the colour over black.
            const uint32_t p = row[x];
            XPutPixel(converted_, x, y, red.scale((p >> 16) & 255u) | green.scale((p >> 8) & 255u) | blue.scale(p & 255u));
        }
    }
}

void X11Window::show(const QB_Box& box) {
    if (!alive()) return;
    const QB_Box b = box.within(canvas_->width(), canvas_->height());
    if (b.empty()) return;
    XImage* image = &direct_;
    if (converted_ != nullptr) {
        convertBox(b);
        image = converted_;
    } else {
        qbCanvasSurface(*canvas_);  // flushes cairo's pending drawing into the pixels
    }
    XPutImage(display_, window_, gc_, image, b.left, b.top, b.left, b.top, static_cast<unsigned>(b.width()),
              static_cast<unsigned>(b.height()));
    // Sent now; an error (the host destroyed the parent meanwhile) reaches only our hooks.
    XFlush(display_);
}

void X11Window::pumpEvents() {
    for (int n = 0; n < kMaxEventsPerPump && !connection_->dead() && XPending(display_) > 0; ++n) {
        XEvent event;
        XNextEvent(display_, &event);
        handle(event);
    }
}

void X11Window::handle(XEvent& event) {
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        return;
    }
    if (event.xany.window != window_) return;
    QB_InputEvent out{};
    switch (event.type) {
        case DestroyNotify:
            if (event.xdestroywindow.window == window_) {
                alive_ = false;
                focused_ = false;
            }
            return;
        case Expose:
            out.type = QB_InputEvent::Type::exposed;
            out.box = {event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                       event.xexpose.y + event.xexpose.height};
            deliver(out);
            return;
        case ButtonPress: {
            const XButtonEvent& b = event.xbutton;
            out.x = b.x;
            out.y = b.y;
            if (b.button == Button4 || b.button == Button5) {
                out.type = QB_InputEvent::Type::wheel;
                out.wheel = b.button == Button4 ? 1.f : -1.f;
                out.buttons = qbX11StateBits(b.state);
                deliver(out);
                return;
            }
            const uint32_t bit = qbX11ButtonBit(b.button);
            if (bit == 0) return;
            out.type = QB_InputEvent::Type::mouseDown;
            out.buttons = qbX11StateBits(b.state) | bit;
            if (clicks_.press(b.button, b.x, b.y, static_cast<uint32_t>(b.time), doubleClickTime_)) out.buttons |= kQbDoubleClick;
            deliver(out);
            return;
        }
        case ButtonRelease: {
            const XButtonEvent& b = event.xbutton;
            const uint32_t bit = qbX11ButtonBit(b.button);
            if (bit == 0) return;
            out.type = QB_InputEvent::Type::mouseUp;
            out.x = b.x;
            out.y = b.y;
            out.buttons = qbX11StateBits(b.state) & ~bit;  // state holds the buttons before the release
            deliver(out);
            return;
        }
        case MotionNotify: {
            // Only the latest of consecutive moves counts.
            XEvent next;
            while (XEventsQueued(display_, QueuedAlready) > 0) {
                XPeekEvent(display_, &next);
                if (next.type != MotionNotify || next.xmotion.window != window_) break;
                XNextEvent(display_, &event);
            }
            out.type = QB_InputEvent::Type::mouseMove;
            out.x = event.xmotion.x;
            out.y = event.xmotion.y;
            out.buttons = qbX11StateBits(event.xmotion.state);
            deliver(out);
            return;
        }
        case EnterNotify:
            // The pointer's position on entry, as a move.
            out.type = QB_InputEvent::Type::mouseMove;
            out.x = event.xcrossing.x;
            out.y = event.xcrossing.y;
            out.buttons = qbX11StateBits(event.xcrossing.state);
            deliver(out);
            return;
        case LeaveNotify:
            if (event.xcrossing.detail == NotifyInferior) return;
            out.type = QB_InputEvent::Type::mouseLeft;
            out.x = event.xcrossing.x;
            out.y = event.xcrossing.y;
            out.buttons = qbX11StateBits(event.xcrossing.state);
            deliver(out);
            return;
        case KeyPress:
            deliverKey(event.xkey, QB_InputEvent::Type::keyDown);
            return;
        case KeyRelease:
            deliverKey(event.xkey, QB_InputEvent::Type::keyUp);
            return;
        case FocusOut:
            // A keyboard grab (a host's menu, a shortcut) hands the focus back when it ends;
            // anything else took it for good.
            if (!focused_ || event.xfocus.serial < focusSerial_ || event.xfocus.mode == NotifyGrab ||
                event.xfocus.detail == NotifyPointer || event.xfocus.detail == NotifyInferior)
                return;
            focused_ = false;
            previousFocus_ = None;
            out.type = QB_InputEvent::Type::focusLost;
            deliver(out);
            return;
        default:
            return;
    }
}

void X11Window::deliverKey(const XKeyEvent& key, QB_InputEvent::Type type) {
    QB_InputEvent out{};
    out.type = type;
    out.x = key.x;
    out.y = key.y;
    out.buttons = qbX11StateBits(key.state);
    // XLookupString applies Shift, Caps and Num Lock to the keysym; its text is in the
    // locale's encoding, so the UTF-8 comes from the keysym instead.
    char latin[8];
    KeySym keysym = NoSymbol;
    XKeyEvent copy = key;
    XLookupString(&copy, latin, sizeof latin, &keysym, nullptr);
    out.key = keysym == NoSymbol ? QB_Key::other : qbX11Key(keysym, out.text);
    deliver(out);
}

void X11Window::takeKeyboardFocus() {
    if (!alive()) return;
    Window current = None;
    int revert = 0;
    XGetInputFocus(display_, &current, &revert);
    if (current != window_) previousFocus_ = current;
    // Fails harmlessly (BadMatch, to our hooks) while the host keeps the parent unmapped.
    focusSerial_ = NextRequest(display_);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XFlush(display_);
    focused_ = true;
}

void X11Window::releaseKeyboardFocus() {
    if (!focused_) return;
    focused_ = false;
    if (!alive()) return;
    Window current = None;
    int revert = 0;
    XGetInputFocus(display_, &current, &revert);
    // Someone else has taken it since: leave it there.
    if (current != window_) return;
    const uint32_t errorsBefore = connection_->errors();
    XSetInputFocus(display_, previousFocus_, RevertToParent, CurrentTime);
    XSync(display_, False);
    // The window that had it is gone: the pointer's window gets it, as with no focus set.
    if (connection_->errors() != errorsBefore) XSetInputFocus(display_, PointerRoot, RevertToParent, CurrentTime);
    XFlush(display_);
    previousFocus_ = None;
}

}  // namespace

std::unique_ptr<QB_Window> QB_Window::createChild(void* parent, void* hostDisplay, int32_t width, int32_t height,
                                                  QB_WindowListener* listener) {
    if (parent == nullptr || width <= 0 || height <= 0) return nullptr;
    // DisplayString only reads the host's display structure; the host's connection is
    // never used for anything else.
    const char* name = hostDisplay != nullptr ? DisplayString(static_cast<Display*>(hostDisplay)) : nullptr;
    std::unique_ptr<QB_X11Connection> connection = QB_X11Connection::open(name);
    if (connection == nullptr) return nullptr;
    auto window = std::make_unique<X11Window>(std::move(connection), listener);
    if (!window->create(static_cast<Window>(reinterpret_cast<uintptr_t>(parent)), width, height)) return nullptr;
    return window;
}
