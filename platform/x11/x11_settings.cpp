#include "platform/x11/x11_settings.h"

#include <X11/Xatom.h>

#include <cstdio>
#include <cstring>

namespace {

// Reads the property's fields in its own byte order, never past its end.
class Reader {
public:
    Reader(const unsigned char* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    void bigEndian(bool big) { big_ = big; }
    uint32_t card(size_t bytes) {
        if (!fits(bytes)) return 0;
        uint32_t v = 0;
        for (size_t i = 0; i < bytes; ++i) {
            const uint32_t b = data_[at_ + (big_ ? i : bytes - 1 - i)];
            v = (v << 8) | b;
        }
        at_ += bytes;
        return v;
    }
    const unsigned char* bytes(size_t n) {
        if (!fits(n)) return nullptr;
        const unsigned char* p = data_ + at_;
        at_ += n;
        return p;
    }
    void skip(size_t n) { bytes(n); }

private:
    bool fits(size_t n) {
        if (!ok_ || n > size_ - at_) ok_ = false;
        return ok_;
    }
    const unsigned char* data_;
    size_t size_, at_ = 0;
    bool big_ = false, ok_ = true;
};

size_t padded(size_t n) { return (n + 3) & ~size_t{3}; }

}  // namespace

bool qbXSettingsInteger(const unsigned char* data, size_t size, const char* name, int32_t* value) {
    if (data == nullptr || size < 12) return false;
    Reader r(data, size);
    const uint32_t order = r.card(1);
    if (order != LSBFirst && order != MSBFirst) return false;
    r.bigEndian(order == MSBFirst);
    r.skip(3);
    r.card(4);  // the manager's serial
    const uint32_t count = r.card(4);
    const size_t nameLength = std::strlen(name);
    for (uint32_t i = 0; i < count && r.ok(); ++i) {
        const uint32_t type = r.card(1);
        r.skip(1);
        const uint32_t length = r.card(2);
        const unsigned char* settingName = r.bytes(padded(length));
        r.card(4);  // serial of its last change
        if (!r.ok()) return false;
        const bool match = length == nameLength && std::memcmp(settingName, name, length) == 0;
        switch (type) {
            case 0: {  // integer
                const uint32_t v = r.card(4);
                if (match && r.ok()) {
                    *value = static_cast<int32_t>(v);
                    return true;
                }
                break;
            }
            case 1:  // string
                r.skip(padded(r.card(4)));
                break;
            case 2:  // colour: four 16-bit channels
                r.skip(8);
                break;
            default: return false;
        }
    }
    return false;
}

uint32_t qbX11DoubleClickTime(Display* display, uint32_t fallback) {
    char selection[32];
    std::snprintf(selection, sizeof selection, "_XSETTINGS_S%d", DefaultScreen(display));
    const Atom owner = XInternAtom(display, selection, False);
    const Window manager = XGetSelectionOwner(display, owner);
    if (manager == None) return fallback;
    const Atom settings = XInternAtom(display, "_XSETTINGS_SETTINGS", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    // The manager may quit meanwhile: the BadWindow is only counted by the hooks.
    if (XGetWindowProperty(display, manager, settings, 0, 1 << 16, False, settings, &type, &format, &items, &after,
                           &data) != Success)
        return fallback;
    int32_t ms = 0;
    const bool found = data != nullptr && type == settings && format == 8 &&
                       qbXSettingsInteger(data, items, "Net/DoubleClickTime", &ms);
    if (data != nullptr) XFree(data);
    // Values a desktop's settings panel offers; anything else is not to be trusted.
    if (!found || ms < 100 || ms > 2000) return fallback;
    return static_cast<uint32_t>(ms);
}
