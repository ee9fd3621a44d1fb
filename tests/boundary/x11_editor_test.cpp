// The editor through the built plug-in in a host-made parent window on an X display, with
// synthesised X input, as a host and its user meet it: the window matches the off-screen
// snapshot, follows the host, plays the widgets, takes typed values, opens the MIDI-learn
// menu, and opens and closes without an X error or anything left behind.
#include <dirent.h>
#include <cairo.h>
#include <gtest/gtest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/window.h"
#include "plugin/parameters.h"
#include "support/scratch_folder.h"
#include "support/vst_host.h"
#include "support/x11_host.h"

namespace C = QB_Control;

namespace {

int openDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d) != nullptr) ++n;
        closedir(d);
    }
    return n;
}

// One instance of the plug-in with its window open in a parent of the fake host.
class X11Editor : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x.usable()) GTEST_SKIP() << "no X display with XTest";
        ASSERT_TRUE(plugin.loaded()) << plugin.error();
        ASSERT_NE(plugin.instantiate(), nullptr);
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.f);
        plugin.dispatch(effSetBlockSize, 0, 512);
        plugin.dispatch(effMainsChanged, 0, 1);
        errorsBefore = X11TestHost::errors();
    }
    void TearDown() override {
        if (!x.usable()) return;
        plugin.dispatch(effEditClose);
        EXPECT_EQ(X11TestHost::errors(), errorsBefore) << "an X error reached the host";
    }
    bool open() {
        parent = x.makeParent(540, 529);
        return plugin.dispatch(effEditOpen, 0, reinterpret_cast<VstIntPtr>(x.display()), parent) == 1;
    }
    // Idles as the host does until seen() or the time is up.
    bool idleUntil(const std::function<bool()>& seen, int timeoutMs = 3000) {
        return x.waitUntil(
            [&] {
                plugin.dispatch(effEditIdle);
                return seen();
            },
            timeoutMs);
    }
    void idleFor(int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        idleUntil([&] { return std::chrono::steady_clock::now() >= until; }, ms + 1000);
    }
    int callsOf(VstInt32 opcode, VstInt32 index) const {
        int n = 0;
        for (const VstHost::Call& c : plugin.calls())
            if (c.opcode == opcode && c.index == index) ++n;
        return n;
    }

    X11TestHost x;
    VstHost plugin{ORVAN_PLUGIN_PATH};
    void* parent = nullptr;
    int errorsBefore = 0;
};

// The off-screen snapshot of a second instance with the same settings.
std::vector<uint32_t> snapshotOf(const std::function<void(VstHost&)>& settings) {
    VstHost other(ORVAN_PLUGIN_PATH);
    other.instantiate();
    settings(other);
    const std::string dir = makeScratchFolder("orvan_snapshot_");
    const std::string path = dir + "/window.png";
    std::vector<uint32_t> pixels;
    if (other.dispatch(effVendorSpecific, vstFourCC('O', 'r', 'v', 'S'), 0, const_cast<char*>(path.c_str())) == 1) {
        cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
        if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
            const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
            const int stride = cairo_image_surface_get_stride(s);
            for (int y = 0; y < h; ++y)
                for (int xx = 0; xx < w; ++xx) {
                    uint32_t p;
                    std::memcpy(&p, cairo_image_surface_get_data(s) + y * stride + 4 * xx, 4);
                    pixels.push_back(p | 0xFF000000u);
                }
        }
        cairo_surface_destroy(s);
    }
    std::remove(path.c_str());
    std::remove(dir.c_str());
    return pixels;
}

TEST_F(X11Editor, OpensOneChildOfItsRectangleShowingWhatTheSnapshotShows) {
    plugin.setParameter(C::kBass, 0.75f);
    plugin.setParameter(C::kStyle, 0.5f);
    ERect* rect = nullptr;
    ASSERT_EQ(plugin.dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->bottom, 529);
    EXPECT_EQ(rect->right, 540);
    ASSERT_TRUE(open());
    ASSERT_EQ(plugin.dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right, 540);
    ASSERT_EQ(x.children().size(), 1u);
    const std::vector<uint32_t> expected = snapshotOf([](VstHost& h) {
        h.setParameter(C::kBass, 0.75f);
        h.setParameter(C::kStyle, 0.5f);
    });
    ASSERT_FALSE(expected.empty());
    idleFor(50);
    const X11Screenshot shot = x.screenshotShowing(539, 528, expected.back());
    EXPECT_EQ(differingPixels(shot, expected), 0);
}

TEST_F(X11Editor, AHostChangeShowsWithin100MillisecondsAtFifteenAndSixtyHertz) {
    ASSERT_TRUE(open());
    idleFor(100);
    float value = 0.5f;
    for (int period : {66, 16}) {
        const std::vector<uint32_t> before = area(x.screenshot(), 50, 130, 94, 342);  // the Bass slider
        value = value > 0.5f ? 0.f : 1.f;
        plugin.setParameter(C::kBass, value);
        const auto start = std::chrono::steady_clock::now();
        bool shown = false;
        while (!shown && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(100)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(period));
            plugin.dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));  // the upload travels on another connection
            shown = area(x.screenshot(), 50, 130, 94, 342) != before;
        }
        EXPECT_TRUE(shown) << "idle every " << period << " ms";
    }
}

TEST_F(X11Editor, AChangeWhileClosedShowsAtTheNextOpenAndOpeningBeforeTheFirstResumeWorks) {
    ASSERT_TRUE(open());
    plugin.dispatch(effEditClose);
    x.destroyParent();
    plugin.setParameter(C::kHighs, 1.f);
    ASSERT_TRUE(open());
    const std::vector<uint32_t> expected = snapshotOf([](VstHost& h) { h.setParameter(C::kHighs, 1.f); });
    idleFor(50);
    EXPECT_EQ(differingPixels(x.screenshotShowing(466, 156, expected[156 * 540 + 466]), expected), 0);

    VstHost fresh(ORVAN_PLUGIN_PATH);  // never resumed
    ASSERT_NE(fresh.instantiate(), nullptr);
    X11TestHost other;
    void* p = other.makeParent(540, 529, 600, 0);
    EXPECT_EQ(fresh.dispatch(effEditOpen, 0, reinterpret_cast<VstIntPtr>(other.display()), p), 1);
    fresh.dispatch(effEditIdle);
    fresh.dispatch(effEditClose);
}

TEST_F(X11Editor, OpeningAndClosingFiftyTimesAndTwoInstancesAtOnceLeaveNothingBehind) {
    // Audio runs meanwhile, as in a playing session.
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> in(256, 0.1f), outL(256), outR(256);
        while (!stop.load()) plugin.processReplacing(in.data(), in.data(), outL.data(), outR.data(), 256);
    });
    ASSERT_TRUE(open());
    plugin.dispatch(effEditIdle);
    plugin.dispatch(effEditClose);
    x.destroyParent();
    const int descriptors = openDescriptors();
    const int clients = x.clientCount();
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(open()) << i;
        plugin.dispatch(effEditIdle);
        plugin.dispatch(effEditClose);
        x.destroyParent();
    }
    stop.store(true);
    audio.join();
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_EQ(x.clientCount(), clients);

    VstHost second(ORVAN_PLUGIN_PATH);
    ASSERT_NE(second.instantiate(), nullptr);
    X11TestHost otherHost;
    ASSERT_TRUE(open());
    void* p = otherHost.makeParent(540, 529, 560, 0);
    ASSERT_EQ(second.dispatch(effEditOpen, 0, reinterpret_cast<VstIntPtr>(otherHost.display()), p), 1);
    for (int i = 0; i < 5; ++i) {
        plugin.dispatch(effEditIdle);
        second.dispatch(effEditIdle);
    }
    EXPECT_EQ(x.children().size(), 1u);
    EXPECT_EQ(otherHost.children().size(), 1u);
    second.dispatch(effEditClose);
    // The host destroys a parent before closing the editor: nothing goes wrong either.
    x.destroyParent();
    plugin.dispatch(effEditIdle);
}

constexpr int kResponseX = 171, kResponseY = 416;

TEST_F(X11Editor, DraggingResponseThirtyPixelsUpMovesItByHalfAThirdWithShiftASixthWithControl) {
    ASSERT_TRUE(open());
    struct Case {
        uint32_t modifiers;
        float change;
    };
    for (const Case& c : {Case{0, 0.5f}, Case{kQbShift, 0.25f}, Case{kQbControl, 1.f / 6.f}}) {
        plugin.setParameter(C::kResponse, 0.25f);
        idleFor(1000);  // the knob glides there first
        plugin.clearCalls();
        x.move(kResponseX, kResponseY);
        x.press(1, c.modifiers);
        idleFor(20);
        for (int p = 6; p <= 30; p += 6) {
            x.move(kResponseX, kResponseY - p);
            idleFor(15);
        }
        x.release(1, c.modifiers);
        idleUntil([&] { return callsOf(audioMasterEndEdit, C::kResponse) == 1; });
        EXPECT_NEAR(plugin.getParameter(C::kResponse), 0.25f + c.change, 1e-5f) << c.modifiers;
        // begin edit, the automation, end edit, in that order, all with control 4
        std::vector<VstInt32> order;
        for (const VstHost::Call& call : plugin.calls()) {
            if (call.opcode != audioMasterBeginEdit && call.opcode != audioMasterAutomate &&
                call.opcode != audioMasterEndEdit)
                continue;
            EXPECT_EQ(call.index, C::kResponse);
            if (order.empty() || order.back() != call.opcode) order.push_back(call.opcode);
        }
        EXPECT_EQ(order, (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit}));
    }
}

TEST_F(X11Editor, TheBassHeadDragsAndTheTrackBesideItIsDead) {
    ASSERT_TRUE(open());
    idleFor(50);
    x.click(72, 150);  // the track above the head at 0 (head 210..262)
    idleFor(50);
    EXPECT_EQ(plugin.getParameter(C::kBass), 0.5f);
    x.drag(72, 236, 72, 156, 1, 8);
    idleUntil([&] { return plugin.getParameter(C::kBass) == 1.f; });
    EXPECT_EQ(plugin.getParameter(C::kBass), 1.f);
}

TEST_F(X11Editor, ClickingGermanAndMasteringLightsThemAndSetsTheirParameters) {
    ASSERT_TRUE(open());
    idleFor(50);
    x.click(70, 419);
    x.click(466, 71);
    idleUntil([&] { return plugin.getParameter(C::kStyle) == 0.5f && plugin.getParameter(C::kHighsMode) == 0.5f; });
    EXPECT_EQ(plugin.getParameter(C::kStyle), 0.5f);
    EXPECT_EQ(plugin.getParameter(C::kHighsMode), 0.5f);
    idleFor(50);
    const std::vector<uint32_t> expected = snapshotOf([](VstHost& h) {
        h.setParameter(C::kStyle, 0.7f);  // host automation lights the same buttons
        h.setParameter(C::kHighsMode, 0.5f);
    });
    EXPECT_EQ(area(x.screenshot(), 30, 380, 110, 458), area({540, 529, expected}, 30, 380, 110, 458));
    EXPECT_EQ(area(x.screenshot(), 426, 32, 506, 110), area({540, 529, expected}, 426, 32, 506, 110));
}

TEST_F(X11Editor, ResetPressAndReleaseBringTheSlidersBackAndBypassPassesAudioUntouched) {
    for (VstInt32 g = C::kBass; g <= C::kHighs; ++g) plugin.setParameter(g, 0.9f);
    ASSERT_TRUE(open());
    idleFor(50);
    std::vector<float> inL(512), inR(512), outL(512), outR(512);
    for (int i = 0; i < 512; ++i) {
        inL[i] = 0.4f * std::sin(0.07f * i);
        inR[i] = 0.2f * std::sin(0.013f * i);
    }
    x.move(31, 235);
    x.press(1);
    idleUntil([&] { return true; });
    idleFor(30);
    plugin.processReplacing(inL.data(), inR.data(), outL.data(), outR.data(), 512);
    x.release(1);
    idleFor(30);
    plugin.processReplacing(inL.data(), inR.data(), outL.data(), outR.data(), 512);
    for (VstInt32 g = C::kBass; g <= C::kHighs; ++g) EXPECT_EQ(plugin.getParameter(g), 0.5f) << g;

    x.click(468, 493);  // Bypass
    idleFor(50);
    plugin.processReplacing(inL.data(), inR.data(), outL.data(), outR.data(), 512);
    EXPECT_EQ(std::memcmp(outL.data(), inL.data(), sizeof(float) * 512), 0);
    EXPECT_EQ(std::memcmp(outR.data(), inR.data(), sizeof(float) * 512), 0);
}

TEST_F(X11Editor, TypingIntoTheBasicReadoutSetsItAndKeysGoBackToTheHostAfterEnter) {
    ASSERT_TRUE(open());
    idleFor(50);
    x.focusParent();
    x.click(169, 345);
    idleUntil([&] { return x.focus() != x.parent(); });
    EXPECT_NE(x.focus(), x.parent()) << "editing takes the keyboard";
    x.type("2.5");
    x.key(XK_Return);
    idleUntil([&] { return plugin.getParameter(C::kBasic) == 0.75f; });
    EXPECT_EQ(plugin.getParameter(C::kBasic), 0.75f);
    idleUntil([&] { return x.focus() == x.parent(); });
    EXPECT_EQ(x.focus(), x.parent()) << "the keyboard goes back after Enter";
}

TEST_F(X11Editor, RightClickingResponseOpensTheMidiLearnMenuAndChoosingCc7LetsCc7DriveIt) {
    ASSERT_TRUE(open());
    idleFor(50);
    const std::vector<uint32_t> closed = x.screenshot().pixels;
    x.click(70, 419, 3);  // a style button is no host parameter: nothing opens
    idleFor(80);
    EXPECT_EQ(x.screenshot().pixels, closed);

    x.click(kResponseX, kResponseY, 3);
    X11Screenshot shot;
    idleUntil([&] {
        shot = x.screenshot();
        return menuLeftEdge(shot, 245) >= 0;
    });
    // The list is 26 rows of 16 pixels from 4 pixels below its top, which sits at the
    // bottom of the window: entry 8 ("CC 7") is in the first column.
    const int top = 529 - (26 * 16 + 8);
    const int left = menuLeftEdge(shot, top + 4 + 8 * 16 + 8);
    ASSERT_GE(left, 0);
    x.click(left + 30, top + 4 + 8 * 16 + 8);
    idleFor(50);
    EXPECT_EQ(area(x.screenshot(), 0, 0, 540, 529), area({540, 529, closed}, 0, 0, 540, 529)) << "the menu closed";

    VstMidiEvent cc{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {static_cast<char>(0xB0), 7, 127, 0}, 0, 0, 0, 0};
    VstEvents events{1, 0, {reinterpret_cast<VstEvent*>(&cc), nullptr}};
    plugin.dispatch(effProcessEvents, 0, 0, &events);
    EXPECT_FLOAT_EQ(plugin.getParameter(C::kResponse), 1.f);

    // Dismissed with Escape, the menu changes nothing.
    x.click(kResponseX, kResponseY, 3);
    idleUntil([&] { return menuLeftEdge(x.screenshot(), 245) >= 0; });
    x.key(XK_Escape);
    idleFor(50);
    cc.midiData[2] = 0;
    plugin.dispatch(effProcessEvents, 0, 0, &events);
    EXPECT_FLOAT_EQ(plugin.getParameter(C::kResponse), 0.f);
}

}  // namespace
