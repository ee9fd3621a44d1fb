#include "support/x11_host.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/gui/window.h"

namespace {

std::atomic<int> gErrors{0};

int countError(Display*, XErrorEvent*) {
    ++gErrors;
    return 0;
}

int channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1ul) == 0) ++shift;
    const unsigned long max = mask >> shift;
    return static_cast<int>((((pixel & mask) >> shift) * 255ul + max / 2) / max);
}

// Code points of UTF-8 text (malformed bytes are skipped).
std::vector<uint32_t> codePoints(const std::string& utf8) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || (extra > 0 && i + static_cast<size_t>(extra) >= utf8.size())) {
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? c : c & (0x3f >> extra);
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3f);
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

}  // namespace

bool Screenshot::writePng(const std::string& path) const {
    if (width <= 0 || height <= 0) return false;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) reinterpret_cast<uint32_t*>(data + y * stride)[x] = at(x, y);
    cairo_surface_mark_dirty(s);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

X11TestHost::X11TestHost() {
    if (std::getenv("DISPLAY") == nullptr) return;
    // A server busy with earlier tests' connections may refuse new ones for a moment.
    for (int attempt = 0; attempt < 100 && display_ == nullptr; ++attempt) {
        display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (display_ == nullptr) return;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) {
        XCloseDisplay(display_);
        display_ = nullptr;
        return;
    }
    previousHandler_ = XSetErrorHandler(countError);
}

X11TestHost::~X11TestHost() {
    if (display_ == nullptr) return;
    destroyParent();
    if (!borrowedKeys_.empty()) {
        KeySym none[2] = {NoSymbol, NoSymbol};
        for (KeyCode k : borrowedKeys_) XChangeKeyboardMapping(display_, k, 2, none, 1);
    }
    XSync(display_, False);
    XSetErrorHandler(previousHandler_);
    XCloseDisplay(display_);
}

int X11TestHost::errors() { return gErrors.load(); }

void* X11TestHost::makeParent(int width, int height, int x, int y, int depth) {
    if (display_ == nullptr || parent_ != 0) return nullptr;
    const int screen = DefaultScreen(display_);
    const Window root = RootWindow(display_, screen);
    XSetWindowAttributes a{};
    a.background_pixel = WhitePixel(display_, screen);
    // No window manager moves or decorates it, so its position stays as given.
    a.override_redirect = True;
    unsigned long mask = CWBackPixel | CWOverrideRedirect;
    Visual* visual = CopyFromParent;
    int windowDepth = CopyFromParent;
    if (depth == 32) {
        XVisualInfo info;
        if (!XMatchVisualInfo(display_, screen, 32, TrueColor, &info)) return nullptr;
        visual = info.visual;
        windowDepth = 32;
        colormap_ = XCreateColormap(display_, root, visual, AllocNone);
        a.colormap = colormap_;
        a.background_pixel = 0xffffffff;
        a.border_pixel = 0;
        mask |= CWColormap | CWBorderPixel;
    }
    parent_ = XCreateWindow(display_, root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                            windowDepth, InputOutput, visual, mask, &a);
    width_ = width;
    height_ = height;
    XMapRaised(display_, parent_);
    XSync(display_, False);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(parent_));
}

void X11TestHost::destroyParent() {
    if (parent_ == 0) return;
    XDestroyWindow(display_, parent_);
    if (colormap_ != 0) XFreeColormap(display_, colormap_);
    XSync(display_, False);
    parent_ = 0;
    colormap_ = 0;
}

std::vector<Window> X11TestHost::children() const {
    std::vector<Window> out;
    Window root = 0, parent = 0, *list = nullptr;
    unsigned int n = 0;
    if (parent_ != 0 && XQueryTree(display_, parent_, &root, &parent, &list, &n) != 0) {
        out.assign(list, list + n);
        if (list != nullptr) XFree(list);
    }
    return out;
}

void X11TestHost::move(int x, int y) {
    int rootX = x, rootY = y;
    Window child = 0;
    XTranslateCoordinates(display_, parent_, DefaultRootWindow(display_), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
}

void X11TestHost::modifiers(uint32_t bits, bool down) {
    if (bits & kQbShift) fakeKey(XK_Shift_L, down);
    if (bits & kQbControl) fakeKey(XK_Control_L, down);
    if (bits & kQbAlt) fakeKey(XK_Alt_L, down);
}

void X11TestHost::fakeKey(KeySym keysym, bool down) {
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    if (code != 0) XTestFakeKeyEvent(display_, code, down ? True : False, CurrentTime);
}

void X11TestHost::press(int button, uint32_t modifiers) {
    this->modifiers(modifiers, true);
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), True, CurrentTime);
}

void X11TestHost::release(int button, uint32_t modifiers) {
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), False, CurrentTime);
    this->modifiers(modifiers, false);
}

void X11TestHost::click(int x, int y, int button, uint32_t modifiers) {
    move(x, y);
    press(button, modifiers);
    release(button, modifiers);
}

void X11TestHost::drag(int fromX, int fromY, int toX, int toY, int button, int steps) {
    move(fromX, fromY);
    press(button);
    for (int i = 1; i <= steps; ++i) move(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
    release(button);
}

void X11TestHost::wheel(int x, int y, int notches, uint32_t modifiers) {
    move(x, y);
    const int button = notches > 0 ? 4 : 5;
    for (int i = 0; i < (notches > 0 ? notches : -notches); ++i) {
        press(button, modifiers);
        release(button, modifiers);
    }
}

void X11TestHost::key(KeySym keysym, uint32_t modifiers) {
    this->modifiers(modifiers, true);
    fakeKey(keysym, true);
    fakeKey(keysym, false);
    this->modifiers(modifiers, false);
}

KeyCode X11TestHost::keycodeTyping(KeySym keysym, bool* shifted) {
    *shifted = false;
    KeyCode code = XKeysymToKeycode(display_, keysym);
    if (code != 0) {
        if (XkbKeycodeToKeysym(display_, code, 0, 0) == keysym) return code;
        if (XkbKeycodeToKeysym(display_, code, 0, 1) == keysym) {
            *shifted = true;
            return code;
        }
    }
    // A keycode with no symbols gets this one, on both levels.
    int first = 0, last = 0, perCode = 0;
    XDisplayKeycodes(display_, &first, &last);
    KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(first), last - first + 1, &perCode);
    KeyCode spare = 0;
    for (int k = last; k >= first && spare == 0; --k) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i) empty = empty && map[(k - first) * perCode + i] == NoSymbol;
        bool borrowed = false;
        for (KeyCode b : borrowedKeys_) borrowed = borrowed || b == k;
        if (empty && !borrowed) spare = static_cast<KeyCode>(k);
    }
    XFree(map);
    if (spare == 0) return 0;
    KeySym both[2] = {keysym, keysym};
    XChangeKeyboardMapping(display_, spare, 2, both, 1);
    XSync(display_, False);
    borrowedKeys_.push_back(spare);
    return spare;
}

void X11TestHost::type(const std::string& utf8) {
    const KeyCode shift = XKeysymToKeycode(display_, XK_Shift_L);
    for (uint32_t cp : codePoints(utf8)) {
        KeySym keysym = cp == '\n' ? XK_Return : cp == '\t' ? XK_Tab
                      : (cp >= 0x20 && cp < 0x7f) || (cp >= 0xa0 && cp <= 0xff) ? cp
                      : 0x01000000 + cp;
        bool shifted = false;
        KeyCode code = keycodeTyping(keysym, &shifted);
        if (code == 0) continue;
        if (shifted) XTestFakeKeyEvent(display_, shift, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        if (shifted) XTestFakeKeyEvent(display_, shift, False, CurrentTime);
    }
}

Window X11TestHost::focus() const {
    Window w = None;
    int revert = 0;
    XGetInputFocus(display_, &w, &revert);
    return w;
}

void X11TestHost::focusParent() {
    XSetInputFocus(display_, parent_, RevertToParent, CurrentTime);
    XSync(display_, False);
}

bool X11TestHost::waitUntil(const std::function<bool()>& seen, int timeoutMs) {
    XSync(display_, False);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (seen()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

X11Screenshot X11TestHost::screenshot() const {
    X11Screenshot shot;
    if (parent_ == 0) return shot;
    XSync(display_, False);
    XImage* image = XGetImage(display_, parent_, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                              AllPlanes, ZPixmap);
    if (image == nullptr) return shot;
    shot.width = width_;
    shot.height = height_;
    shot.pixels.resize(static_cast<size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            shot.pixels[static_cast<size_t>(y) * width_ + x] =
                0xff000000u | (channel(p, image->red_mask) << 16) | (channel(p, image->green_mask) << 8) |
                channel(p, image->blue_mask);
        }
    XDestroyImage(image);
    return shot;
}

X11Screenshot X11TestHost::screenshotShowing(int x, int y, uint32_t argb, int timeoutMs) {
    X11Screenshot shot;
    waitUntil(
        [&] {
            shot = screenshot();
            return !shot.pixels.empty() && shot.at(x, y) == argb;
        },
        timeoutMs);
    return shot;
}

int X11TestHost::clientCount() const {
    int event = 0, error = 0;
    if (!XResQueryExtension(display_, &event, &error)) return -1;
    int n = 0;
    XResClient* clients = nullptr;
    if (XResQueryClients(display_, &n, &clients) == 0) return -1;
    if (clients != nullptr) XFree(clients);
    return n;
}
