// The X11 child window inside a fake host: what it shows, the input it translates, the
// keyboard focus, the host destroying the parent first, and what repeated opening costs.
// GoogleTest before the X headers: they define None as a macro.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <dirent.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/window.h"
#include "support/scratch_folder.h"
#include "support/x11_host.h"

namespace {

using Type = QB_InputEvent::Type;

constexpr int kWidth = 240, kHeight = 180;

struct Recorder : QB_WindowListener {
    std::vector<QB_InputEvent> events;
    void onInput(const QB_InputEvent& e) override { events.push_back(e); }
    std::vector<QB_InputEvent> of(Type type) const {
        std::vector<QB_InputEvent> out;
        for (const QB_InputEvent& e : events)
            if (e.type == type) out.push_back(e);
        return out;
    }
    size_t count(Type type) const { return of(type).size(); }
};

int openFileDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d) != nullptr) ++n;
        closedir(d);
    }
    return n;
}

uint32_t argb(QB_Rgba c) { return (uint32_t{c.a} << 24) | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }

class X11WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!host_.usable()) GTEST_SKIP() << "no X display";
        errorsBefore_ = X11TestHost::errors();
        void* parent = host_.makeParent(kWidth, kHeight, 20, 30);
        ASSERT_NE(parent, nullptr);
        window_ = QB_Window::createChild(parent, host_.display(), kWidth, kHeight, &recorder_);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(waitFor([&] { return recorder_.count(Type::exposed) > 0; }));
    }
    void TearDown() override {
        window_.reset();
        if (host_.usable()) {
            EXPECT_EQ(X11TestHost::errors(), errorsBefore_) << "X errors reached the host";
        }
    }
    bool waitFor(const std::function<bool()>& seen) {
        return host_.waitUntil([&] {
            window_->pumpEvents();
            return seen();
        });
    }
    // Waits for the next event of type not answered yet (type exposed when none came).
    QB_InputEvent next(Type type) {
        size_t& taken = taken_[static_cast<int>(type)];
        if (!waitFor([&] { return recorder_.count(type) > taken; })) return QB_InputEvent{Type::exposed};
        return recorder_.of(type)[taken++];
    }
    // Forgets what was recorded.
    void clear() {
        recorder_.events.clear();
        for (size_t& t : taken_) t = 0;
    }
    void fill(QB_Rgba colour) {
        window_->canvas().fillBox({0, 0, kWidth, kHeight}, colour);
    }

    X11TestHost host_;
    Recorder recorder_;
    std::unique_ptr<QB_Window> window_;
    size_t taken_[16] = {};
    int errorsBefore_ = 0;
};

const QB_Rgba kRed{200, 30, 20, 255}, kBlue{10, 40, 220, 255};

}  // namespace

TEST_F(X11WindowTest, TheChildFillsTheParentAndShowsWhatWasDrawnOnlyWhereAsked) {
    const std::vector<Window> children = host_.children();
    ASSERT_EQ(children.size(), 1u);
    XWindowAttributes a;
    ASSERT_NE(XGetWindowAttributes(host_.display(), children[0], &a), 0);
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 0);
    EXPECT_EQ(a.width, kWidth);
    EXPECT_EQ(a.height, kHeight);
    EXPECT_EQ(a.map_state, IsViewable);
    EXPECT_TRUE(window_->alive());

    fill(kRed);
    window_->canvas().fillBox({10, 20, 30, 40}, kBlue);
    window_->show({0, 0, kWidth, kHeight});
    X11Screenshot shot = host_.screenshotShowing(29, 39, argb(kBlue));
    EXPECT_EQ(shot.at(0, 0), argb(kRed));
    EXPECT_EQ(shot.at(kWidth - 1, kHeight - 1), argb(kRed));
    EXPECT_EQ(shot.at(10, 20), argb(kBlue));
    EXPECT_EQ(shot.at(29, 39), argb(kBlue));
    EXPECT_EQ(shot.at(30, 40), argb(kRed));

    // Only the box shown reaches the screen; a box past the edges is cut to the window.
    fill(kBlue);
    window_->show({100, 50, 120, 60});
    window_->show({kWidth - 5, kHeight - 5, kWidth + 50, kHeight + 50});
    shot = host_.screenshotShowing(kWidth - 1, kHeight - 1, argb(kBlue));
    EXPECT_EQ(shot.at(100, 50), argb(kBlue));
    EXPECT_EQ(shot.at(119, 59), argb(kBlue));
    EXPECT_EQ(shot.at(99, 50), argb(kRed));
    EXPECT_EQ(shot.at(120, 59), argb(kRed));
    EXPECT_EQ(shot.at(kWidth - 1, kHeight - 1), argb(kBlue));
    EXPECT_EQ(shot.at(kWidth - 6, kHeight - 1), argb(kRed));

    const std::string folder = makeScratchFolder("orvan-x11-");
    ASSERT_FALSE(folder.empty());
    const std::string png = folder + "/shot.png";
    EXPECT_TRUE(shot.writePng(png));
    EXPECT_GT(std::filesystem::file_size(png), 100u);
    std::filesystem::remove_all(folder);
}

TEST_F(X11WindowTest, ButtonsArriveWithPositionHeldButtonsAndModifiers) {
    host_.move(40, 50);
    QB_InputEvent e = next(Type::mouseMove);
    EXPECT_EQ(e.x, 40);
    EXPECT_EQ(e.y, 50);
    EXPECT_EQ(e.buttons, 0u);

    host_.press(1, kQbShift);
    e = next(Type::mouseDown);
    EXPECT_EQ(e.type, Type::mouseDown);
    EXPECT_EQ(e.x, 40);
    EXPECT_EQ(e.y, 50);
    EXPECT_EQ(e.buttons, kQbLeftButton | kQbShift);
    host_.press(3);
    EXPECT_EQ(next(Type::mouseDown).buttons, kQbLeftButton | kQbRightButton | kQbShift);
    host_.release(3);
    // A release tells the buttons still held.
    EXPECT_EQ(next(Type::mouseUp).buttons, kQbLeftButton | kQbShift);
    host_.release(1, kQbShift);
    e = next(Type::mouseUp);
    EXPECT_EQ(e.type, Type::mouseUp);
    EXPECT_EQ(e.buttons, kQbShift);

    host_.click(60, 70, 2, kQbControl | kQbAlt);
    e = next(Type::mouseDown);
    EXPECT_EQ(e.buttons, kQbMiddleButton | kQbControl | kQbAlt);
    EXPECT_EQ(e.x, 60);
    EXPECT_EQ(next(Type::mouseUp).buttons, kQbControl | kQbAlt);
}

TEST_F(X11WindowTest, ADragMovesWithTheButtonHeldAndConsecutiveMovesAreMerged) {
    host_.drag(10, 10, 110, 60, 1, 4);
    ASSERT_TRUE(waitFor([&] { return recorder_.count(Type::mouseUp) == 1; }));
    const std::vector<QB_InputEvent> moves = recorder_.of(Type::mouseMove);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back().x, 110);
    EXPECT_EQ(moves.back().y, 60);
    EXPECT_EQ(moves.back().buttons, kQbLeftButton);

    // Moves queued before a pump arrive as the last of them.
    clear();
    for (int i = 1; i <= 20; ++i) host_.move(10 + i * 5, 100);
    host_.move(10 + 21 * 5, 100);
    host_.waitUntil([] { return false; }, 100);  // all of it queued, nothing pumped
    window_->pumpEvents();
    ASSERT_EQ(recorder_.count(Type::mouseMove), 1u);
    EXPECT_EQ(recorder_.of(Type::mouseMove)[0].x, 10 + 21 * 5);
}

TEST_F(X11WindowTest, TheWheelCountsNotchesAwayFromTheUserAsPositive) {
    host_.wheel(30, 40, 2, kQbControl);
    ASSERT_TRUE(waitFor([&] { return recorder_.count(Type::wheel) == 2; }));
    for (const QB_InputEvent& e : recorder_.of(Type::wheel)) {
        EXPECT_EQ(e.wheel, 1.f);
        EXPECT_EQ(e.x, 30);
        EXPECT_EQ(e.y, 40);
        EXPECT_EQ(e.buttons, kQbControl);
    }
    host_.wheel(30, 40, -1);
    ASSERT_TRUE(waitFor([&] { return recorder_.count(Type::wheel) == 3; }));
    EXPECT_EQ(recorder_.of(Type::wheel)[2].wheel, -1.f);
    // Wheel buttons make no mouse-down or mouse-up.
    EXPECT_EQ(recorder_.count(Type::mouseDown), 0u);
    EXPECT_EQ(recorder_.count(Type::mouseUp), 0u);
}

TEST_F(X11WindowTest, ASecondQuickClickIsADoubleClickAndAThirdIsNot) {
    EXPECT_GE(window_->doubleClickTime(), 100u);
    host_.click(50, 50);
    host_.click(51, 50);
    host_.click(51, 50);
    ASSERT_TRUE(waitFor([&] { return recorder_.count(Type::mouseDown) == 3; }));
    const std::vector<QB_InputEvent> downs = recorder_.of(Type::mouseDown);
    EXPECT_EQ(downs[0].buttons, kQbLeftButton);
    EXPECT_EQ(downs[1].buttons, kQbLeftButton | kQbDoubleClick);
    EXPECT_EQ(downs[2].buttons, kQbLeftButton);
    // Far apart: two single clicks.
    host_.click(100, 100);
    host_.click(140, 100);
    ASSERT_TRUE(waitFor([&] { return recorder_.count(Type::mouseDown) == 5; }));
    EXPECT_EQ(recorder_.of(Type::mouseDown)[4].buttons, kQbLeftButton);
}

TEST_F(X11WindowTest, InputGoesToTheListenerItWasHandedOnTo) {
    Recorder other;
    window_->setListener(&other);
    host_.click(20, 20);
    EXPECT_TRUE(waitFor([&] { return other.count(Type::mouseUp) == 1; }));
    EXPECT_EQ(recorder_.count(Type::mouseDown), 0u);
}

TEST_F(X11WindowTest, LeavingTheWindowIsReported) {
    host_.move(20, 20);
    next(Type::mouseMove);
    host_.move(kWidth + 30, kHeight + 30);  // outside the parent
    const QB_InputEvent e = next(Type::mouseLeft);
    EXPECT_EQ(e.type, Type::mouseLeft);
}

TEST_F(X11WindowTest, KeysArriveNamedWithTextAndModifiers) {
    host_.focusParent();
    window_->takeKeyboardFocus();
    const struct {
        KeySym keysym;
        QB_Key key;
    } named[] = {{XK_Return, QB_Key::enter}, {XK_Escape, QB_Key::escape}, {XK_BackSpace, QB_Key::backspace},
                 {XK_Delete, QB_Key::deleteKey}, {XK_Left, QB_Key::left}, {XK_Down, QB_Key::down},
                 {XK_Home, QB_Key::home}, {XK_Tab, QB_Key::tab}};
    for (const auto& n : named) {
        host_.key(n.keysym);
        const QB_InputEvent down = next(Type::keyDown);
        EXPECT_EQ(down.key, n.key) << std::hex << n.keysym;
        EXPECT_EQ(down.text[0], '\0');
        EXPECT_EQ(next(Type::keyUp).key, n.key);
    }

    clear();
    host_.type("aB1");
    ASSERT_TRUE(waitFor([&] { return recorder_.count(Type::keyUp) >= 4; }));  // B needs Shift
    std::string typed;
    for (const QB_InputEvent& e : recorder_.of(Type::keyDown))
        if (e.key == QB_Key::character) typed += e.text;
    EXPECT_EQ(typed, "aB1");
    for (const QB_InputEvent& e : recorder_.of(Type::keyDown))
        if (e.key == QB_Key::character && e.text[0] == 'B') {
            EXPECT_EQ(e.buttons, kQbShift);
        }

    // Characters of no key on this keyboard (the host lends one) arrive as UTF-8.
    clear();
    host_.type("\xc3\xa9\xe2\x82\xac");  // é €
    ASSERT_TRUE(waitFor([&] { return recorder_.count(Type::keyDown) >= 2; }));
    EXPECT_STREQ(recorder_.of(Type::keyDown)[0].text, "\xc3\xa9");
    EXPECT_STREQ(recorder_.of(Type::keyDown)[1].text, "\xe2\x82\xac");

    clear();
    host_.key(XK_a, kQbControl);
    QB_InputEvent e;
    do e = next(Type::keyDown);
    while (e.type == Type::keyDown && e.key != QB_Key::character);
    EXPECT_STREQ(e.text, "a");
    EXPECT_EQ(e.buttons, kQbControl);
    window_->releaseKeyboardFocus();
}

TEST_F(X11WindowTest, FocusIsTakenFromTheHostAndGivenBack) {
    const Window child = host_.children().at(0);
    host_.focusParent();
    window_->takeKeyboardFocus();
    EXPECT_TRUE(host_.waitUntil([&] { return host_.focus() == child; }));
    window_->releaseKeyboardFocus();
    EXPECT_TRUE(host_.waitUntil([&] { return host_.focus() == host_.parent(); }));

    // The host taking it back is a loss; a release after it leaves the focus alone.
    window_->takeKeyboardFocus();
    ASSERT_TRUE(host_.waitUntil([&] { return host_.focus() == child; }));
    window_->pumpEvents();
    host_.focusParent();
    EXPECT_EQ(next(Type::focusLost).type, Type::focusLost);
    window_->releaseKeyboardFocus();
    EXPECT_EQ(host_.focus(), host_.parent());
    EXPECT_EQ(recorder_.count(Type::focusLost), 1u);

    // Given back to a window that has gone meanwhile: no error, the focus follows the pointer.
    Window other = XCreateSimpleWindow(host_.display(), DefaultRootWindow(host_.display()), 400, 0, 20, 20, 0, 0, 0);
    XMapWindow(host_.display(), other);
    XSync(host_.display(), False);
    XSetInputFocus(host_.display(), other, RevertToNone, CurrentTime);
    XSync(host_.display(), False);
    window_->takeKeyboardFocus();
    ASSERT_TRUE(host_.waitUntil([&] { return host_.focus() == child; }));
    XDestroyWindow(host_.display(), other);
    XSync(host_.display(), False);
    window_->releaseKeyboardFocus();
    EXPECT_TRUE(host_.waitUntil([&] { return host_.focus() == PointerRoot; }));
}

TEST_F(X11WindowTest, AParentDestroyedFirstEndsTheWindowWithoutAnError) {
    host_.destroyParent();
    // Before the window has heard of it: drawing and focus reach a window that is gone.
    fill(kRed);
    window_->show({0, 0, kWidth, kHeight});
    window_->takeKeyboardFocus();
    EXPECT_TRUE(waitFor([&] { return !window_->alive(); }));
    window_->show({0, 0, kWidth, kHeight});
    window_->releaseKeyboardFocus();
    window_->pumpEvents();
    window_.reset();
    EXPECT_EQ(X11TestHost::errors(), errorsBefore_);
}

TEST(X11WindowCreate, ABadParentOrSizeMakesNoWindowAndNoError) {
    X11TestHost host;
    if (!host.usable()) GTEST_SKIP() << "no X display";
    const int before = X11TestHost::errors();
    Recorder recorder;
    EXPECT_EQ(QB_Window::createChild(reinterpret_cast<void*>(uintptr_t{0x1fffff0}), host.display(), 100, 100,
                                     &recorder),
              nullptr);
    void* parent = host.makeParent(100, 100);
    EXPECT_EQ(QB_Window::createChild(parent, host.display(), 0, 100, &recorder), nullptr);
    EXPECT_EQ(QB_Window::createChild(nullptr, host.display(), 100, 100, &recorder), nullptr);
    // Without the host's display the DISPLAY variable names the server.
    EXPECT_NE(QB_Window::createChild(parent, nullptr, 100, 100, &recorder), nullptr);
    EXPECT_EQ(X11TestHost::errors(), before);
}

TEST(X11WindowCreate, AnArgbParentGetsTheBackBufferAsItIs) {
    X11TestHost host;
    if (!host.usable()) GTEST_SKIP() << "no X display";
    const int errors = X11TestHost::errors();
    void* parent = host.makeParent(kWidth, kHeight, 0, 0, 32);
    if (parent == nullptr) GTEST_SKIP() << "no 32-bit visual";
    Recorder recorder;
    auto window = QB_Window::createChild(parent, host.display(), kWidth, kHeight, &recorder);
    ASSERT_NE(window, nullptr);
    XWindowAttributes a;
    ASSERT_NE(XGetWindowAttributes(host.display(), host.children().at(0), &a), 0);
    EXPECT_EQ(a.depth, 32);
    window->canvas().fillBox({0, 0, kWidth, kHeight}, kBlue);
    window->canvas().fillBox({0, 0, 10, 10}, kRed);
    window->show({0, 0, kWidth, kHeight});
    const X11Screenshot shot = host.screenshotShowing(50, 50, argb(kBlue));
    EXPECT_EQ(shot.at(5, 5), argb(kRed));
    EXPECT_EQ(shot.at(50, 50), argb(kBlue));
    window.reset();
    EXPECT_EQ(X11TestHost::errors(), errors);
}

TEST(X11WindowCreate, FiftyOpenAndCloseCyclesLeaveNoDescriptorOrConnection) {
    X11TestHost host;
    if (!host.usable()) GTEST_SKIP() << "no X display";
    const int errors = X11TestHost::errors();
    const int fds = openFileDescriptors(), clients = host.clientCount();
    for (int cycle = 0; cycle < 50; ++cycle) {
        Recorder recorder;
        void* parent = host.makeParent(kWidth, kHeight);
        ASSERT_NE(parent, nullptr);
        auto window = QB_Window::createChild(parent, host.display(), kWidth, kHeight, &recorder);
        ASSERT_NE(window, nullptr);
        window->canvas().fillBox({0, 0, kWidth, kHeight}, kBlue);
        window->show({0, 0, kWidth, kHeight});
        window->pumpEvents();
        // As a host closes: the editor first, then the parent; every fifth time the other way.
        if (cycle % 5 == 4) host.destroyParent();
        window.reset();
        host.destroyParent();
    }
    EXPECT_EQ(openFileDescriptors(), fds);
    if (clients >= 0) {
        EXPECT_TRUE(host.waitUntil([&] { return host.clientCount() == clients; }));
    }
    EXPECT_EQ(X11TestHost::errors(), errors);
}

TEST(X11WindowCreate, TwoWindowsAtOnceKeepTheirPicturesAndInputApart) {
    X11TestHost first, second;
    if (!first.usable()) GTEST_SKIP() << "no X display";
    const int errors = X11TestHost::errors();
    Recorder r1, r2;
    auto w1 = QB_Window::createChild(first.makeParent(kWidth, kHeight, 0, 0), first.display(), kWidth, kHeight, &r1);
    auto w2 = QB_Window::createChild(second.makeParent(kWidth, kHeight, kWidth + 10, 0), second.display(), kWidth,
                                     kHeight, &r2);
    ASSERT_NE(w1, nullptr);
    ASSERT_NE(w2, nullptr);
    w1->canvas().fillBox({0, 0, kWidth, kHeight}, kRed);
    w2->canvas().fillBox({0, 0, kWidth, kHeight}, kBlue);
    w1->show({0, 0, kWidth, kHeight});
    w2->show({0, 0, kWidth, kHeight});
    EXPECT_EQ(first.screenshotShowing(kWidth / 2, kHeight / 2, argb(kRed)).at(kWidth / 2, kHeight / 2), argb(kRed));
    EXPECT_EQ(second.screenshotShowing(kWidth / 2, kHeight / 2, argb(kBlue)).at(kWidth / 2, kHeight / 2),
              argb(kBlue));

    second.click(15, 25);
    ASSERT_TRUE(second.waitUntil([&] {
        w1->pumpEvents();
        w2->pumpEvents();
        return r2.count(Type::mouseUp) == 1;
    }));
    EXPECT_EQ(r1.count(Type::mouseDown), 0u);
    EXPECT_EQ(r2.of(Type::mouseDown).at(0).x, 15);

    // Closing the first leaves the second working.
    w1.reset();
    first.destroyParent();
    w2->canvas().fillBox({0, 0, kWidth, kHeight}, kRed);
    w2->show({0, 0, kWidth, kHeight});
    EXPECT_EQ(second.screenshotShowing(kWidth / 2, kHeight / 2, argb(kRed)).at(kWidth / 2, kHeight / 2), argb(kRed));
    w2.reset();
    EXPECT_EQ(X11TestHost::errors(), errors);
}
