#include "platform/x11/x11_display.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

// After the standard headers: it defines min and max as macros.
#include <X11/Xlibint.h>

namespace {

constexpr int kOpenAttempts = 10;
constexpr int kOpenRetryMs = 10;

}  // namespace

// Xlib's hooks on a connection; they reach it through the display's extension data, so
// no table is shared between editors (they may live on different threads).
struct QB_X11ConnectionHooks {
    static int keepPrivate(XExtData*) { return 0; }

    static QB_X11Connection* owner(Display* display) {
        XEDataObject object;
        object.display = display;
        XExtData** head = XEHeadOfExtensionList(object);
        // Our extension is the one whose error hook is ours.
        for (_XExtension* ext = display->ext_procs; ext != nullptr; ext = ext->next) {
            if (ext->error != onReplyError) continue;
            XExtData* data = XFindOnExtensionList(head, ext->codes.extension);
            if (data != nullptr) return reinterpret_cast<QB_X11Connection*>(data->private_data);
        }
        return nullptr;
    }

    static void record(Display* display, int code) {
        if (QB_X11Connection* self = owner(display)) {
            ++self->errors_;
            self->lastErrorCode_ = code;
        }
    }

    static int onReplyError(Display* display, xError* error, XExtCodes*, int* result) {
        record(display, error->errorCode);
        *result = 0;  // what the request's reply wait answers: it failed
        return 1;     // handled: Xlib calls no other handler
    }

    static Bool onEventError(Display* display, XErrorEvent*, xError* wire) {
        record(display, wire->errorCode);
        return False;  // dropped
    }

    static void onConnectionLost(Display*, void* self) { static_cast<QB_X11Connection*>(self)->dead_ = true; }
};

std::unique_ptr<QB_X11Connection> QB_X11Connection::open(const char* displayName) {
    Display* display = nullptr;
    // A busy server's queue of connections waiting to be accepted can be full for a
    // moment (connect answers EAGAIN, or the set-up is reset); anything else fails at once.
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        errno = 0;
        display = XOpenDisplay(displayName);
        if (display != nullptr || (errno != EAGAIN && errno != ECONNRESET && errno != EINTR)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kOpenRetryMs));
    }
    if (display == nullptr) return nullptr;
    std::unique_ptr<QB_X11Connection> connection(new QB_X11Connection(display));
    if (connection->codes_ == nullptr) return nullptr;
    return connection;
}

QB_X11Connection::QB_X11Connection(Display* display) : display_(display) {
    // An extension of our own, only for its per-display hooks.
    codes_ = XAddExtension(display_);
    if (codes_ == nullptr) return;
    auto* data = static_cast<XExtData*>(std::calloc(1, sizeof(XExtData)));
    if (data == nullptr) {
        codes_ = nullptr;
        return;
    }
    data->number = codes_->extension;
    data->private_data = reinterpret_cast<XPointer>(this);
    data->free_private = QB_X11ConnectionHooks::keepPrivate;
    XEDataObject object;
    object.display = display_;
    XAddToExtensionList(XEHeadOfExtensionList(object), data);
    // Errors read inside a reply wait (XSync, XGetWindowAttributes, ...) go through the
    // extension hooks first...
    XESetError(display_, codes_->extension, QB_X11ConnectionHooks::onReplyError);
    // ...but Xlib skips those for errors read with the events (XPending, XNextEvent);
    // every error passes the per-code conversion, and a conversion that answers False
    // drops it before the process-wide handler.
    for (int code = 1; code < 256; ++code) XESetWireToError(display_, code, QB_X11ConnectionHooks::onEventError);
    XSetIOErrorExitHandler(display_, QB_X11ConnectionHooks::onConnectionLost, this);
}

QB_X11Connection::~QB_X11Connection() {
    // Syncs first, with the hooks still in place, then frees the extension data.
    XCloseDisplay(display_);
}
