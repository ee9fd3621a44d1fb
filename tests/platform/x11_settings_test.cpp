// Reading the desktop's double-click time from its XSETTINGS manager.
// GoogleTest before the X headers: they define None as a macro.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gui/window.h"
#include "platform/x11/x11_settings.h"
#include "support/x11_host.h"

namespace {

// An _XSETTINGS_SETTINGS property in either byte order.
class SettingsBlob {
public:
    explicit SettingsBlob(bool bigEndian) : big_(bigEndian) {
        bytes_ = {static_cast<unsigned char>(big_ ? MSBFirst : LSBFirst), 0, 0, 0};
        card(7, 4);  // serial
        card(0, 4);  // count, patched by add
    }
    SettingsBlob& integer(const std::string& name, int32_t v) {
        head(0, name);
        card(static_cast<uint32_t>(v), 4);
        return counted();
    }
    SettingsBlob& text(const std::string& name, const std::string& v) {
        head(1, name);
        card(static_cast<uint32_t>(v.size()), 4);
        padded(v);
        return counted();
    }
    SettingsBlob& colour(const std::string& name) {
        head(2, name);
        for (int i = 0; i < 4; ++i) card(0x1234, 2);
        return counted();
    }
    const std::vector<unsigned char>& bytes() const { return bytes_; }

private:
    void card(uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            const int shift = 8 * (big_ ? n - 1 - i : i);
            bytes_.push_back(static_cast<unsigned char>(v >> shift));
        }
    }
    void padded(const std::string& s) {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        while (bytes_.size() % 4 != 0) bytes_.push_back(0);
    }
    void head(int type, const std::string& name) {
        bytes_.push_back(static_cast<unsigned char>(type));
        bytes_.push_back(0);
        card(static_cast<uint32_t>(name.size()), 2);
        padded(name);
        card(1, 4);  // serial of the last change
    }
    SettingsBlob& counted() {
        ++count_;
        std::vector<unsigned char> c;
        for (int i = 0; i < 4; ++i) c.push_back(static_cast<unsigned char>(count_ >> (8 * (big_ ? 3 - i : i))));
        std::memcpy(&bytes_[8], c.data(), 4);
        return *this;
    }
    bool big_;
    uint32_t count_ = 0;
    std::vector<unsigned char> bytes_;
};

bool read(const std::vector<unsigned char>& b, size_t size, int32_t* v) {
    return qbXSettingsInteger(b.data(), size, "Net/DoubleClickTime", v);
}

}  // namespace

TEST(X11Settings, TheIntegerIsFoundAmongOtherSettingsInEitherByteOrder) {
    for (bool big : {false, true}) {
        SettingsBlob blob(big);
        blob.text("Net/ThemeName", "Dark").colour("Gtk/Colour").integer("Net/DoubleClick", 1).integer(
            "Net/DoubleClickTime", 275);
        int32_t v = 0;
        EXPECT_TRUE(read(blob.bytes(), blob.bytes().size(), &v)) << big;
        EXPECT_EQ(v, 275) << big;
        // Cut anywhere inside, it is not found and nothing past the end is read.
        for (size_t size = 0; size < blob.bytes().size(); ++size) EXPECT_FALSE(read(blob.bytes(), size, &v)) << size;
    }
    SettingsBlob other(false);
    other.integer("Net/DoubleClickDistance", 5);
    int32_t v = 0;
    EXPECT_FALSE(read(other.bytes(), other.bytes().size(), &v));
}

TEST(X11Settings, TheWindowTakesTheDoubleClickTimeOfTheDesktopsManager) {
    X11TestHost host;
    if (!host.usable()) GTEST_SKIP() << "no X display";
    Display* d = host.display();
    const Atom selection = XInternAtom(d, "_XSETTINGS_S0", False);
    // Never take the selection from a real desktop's manager.
    if (XGetSelectionOwner(d, selection) != None) GTEST_SKIP() << "a settings manager runs";
    const int errors = X11TestHost::errors();
    void* parent = host.makeParent(50, 50);
    struct : QB_WindowListener {
        void onInput(const QB_InputEvent&) override {}
    } listener;
    auto window = QB_Window::createChild(parent, d, 50, 50, &listener);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->doubleClickTime(), 400u);

    SettingsBlob blob(false);
    blob.integer("Net/DoubleClickTime", 250);
    const Atom settings = XInternAtom(d, "_XSETTINGS_SETTINGS", False);
    const Window manager = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XChangeProperty(d, manager, settings, settings, 8, PropModeReplace, blob.bytes().data(),
                    static_cast<int>(blob.bytes().size()));
    XSetSelectionOwner(d, selection, manager, CurrentTime);
    XSync(d, False);
    window = QB_Window::createChild(parent, d, 50, 50, &listener);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->doubleClickTime(), 250u);

    // Out of reason: the default.
    SettingsBlob silly(false);
    silly.integer("Net/DoubleClickTime", 20000);
    XChangeProperty(d, manager, settings, settings, 8, PropModeReplace, silly.bytes().data(),
                    static_cast<int>(silly.bytes().size()));
    XSync(d, False);
    window = QB_Window::createChild(parent, d, 50, 50, &listener);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->doubleClickTime(), 400u);

    window.reset();
    XDestroyWindow(d, manager);  // gives up the selection
    XSync(d, False);
    EXPECT_EQ(X11TestHost::errors(), errors);
}
