// The editor through the built DLL in a host-made parent window (under wine inside an X
// display), with input posted as the system queues it: the window matches the off-screen
// snapshot, follows the host, opens the MIDI-learn menu, and opens and closes without
// anything left behind.
#include <gtest/gtest.h>

#include "support/win32_host.h"

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/window.h"
#include "plugin/parameters.h"
#include "support/scratch_folder.h"
#include "support/vst_host.h"

namespace C = QB_Control;

namespace {

constexpr int kWidth = 540, kHeight = 529;

class Win32Editor : public ::testing::Test {
protected:
    void SetUp() override {
        if (!host.usable()) GTEST_SKIP() << "no windows can be made (wine without a display)";
        ASSERT_TRUE(plugin.loaded()) << plugin.error();
        ASSERT_NE(plugin.instantiate(), nullptr);
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.f);
        plugin.dispatch(effSetBlockSize, 0, 512);
        plugin.dispatch(effMainsChanged, 0, 1);
    }
    void TearDown() override {
        if (!host.usable()) return;
        plugin.dispatch(effEditClose);
        host.destroyParent();
    }
    bool open() {
        void* parent = host.makeParent(kWidth, kHeight);
        return plugin.dispatch(effEditOpen, 0, 0, parent) == 1;
    }
    // Pumps and idles as the host does until seen() or the time is up.
    bool idleUntil(const std::function<bool()>& seen, int timeoutMs = 3000) {
        return host.waitUntil(
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
    // What the window shows once pixel (x, y) has colour argb, or after the time is up.
    Win32Screenshot screenshotShowing(int x, int y, uint32_t argb) {
        Win32Screenshot shot;
        idleUntil([&] {
            shot = host.screenshot();
            return shot.width > x && shot.height > y && shot.at(x, y) == argb;
        });
        return shot;
    }

    Win32TestHost host;
    VstHost plugin{ORVAN_PLUGIN_PATH};
};

// The off-screen snapshot of a second instance with the same settings.
Win32Screenshot snapshotOf(const std::function<void(VstHost&)>& settings) {
    VstHost other(ORVAN_PLUGIN_PATH);
    other.instantiate();
    settings(other);
    const std::string dir = makeScratchFolder("orvan_snapshot_");
    const std::string path = dir + "/window.png";
    Win32Screenshot shot;
    if (other.dispatch(effVendorSpecific, vstFourCC('O', 'r', 'v', 'S'), 0, const_cast<char*>(path.c_str())) == 1)
        shot = readPng(path);
    std::remove(path.c_str());
    std::remove(dir.c_str());
    return shot;
}

TEST_F(Win32Editor, OpensOneChildOfItsRectangleShowingWhatTheSnapshotShows) {
    plugin.setParameter(C::kBass, 0.75f);
    plugin.setParameter(C::kStyle, 0.5f);
    ERect* rect = nullptr;
    ASSERT_EQ(plugin.dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, kHeight);
    EXPECT_EQ(rect->right, kWidth);
    ASSERT_TRUE(open());
    ASSERT_EQ(plugin.dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->bottom, kHeight);
    EXPECT_EQ(rect->right, kWidth);
    ASSERT_EQ(host.children().size(), 1u);
    RECT r;
    ASSERT_TRUE(GetWindowRect(host.child(), &r));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, kWidth);
    EXPECT_EQ(r.bottom - r.top, kHeight);
    EXPECT_NE(GetWindowLongW(host.child(), GWL_STYLE) & WS_CHILD, 0);

    const Win32Screenshot expected = snapshotOf([](VstHost& h) {
        h.setParameter(C::kBass, 0.75f);
        h.setParameter(C::kStyle, 0.5f);
    });
    ASSERT_EQ(expected.width, kWidth);
    const Win32Screenshot shot = screenshotShowing(kWidth - 1, kHeight - 1, expected.pixels.back());
    EXPECT_EQ(differingPixels(shot, expected.pixels), 0);
    if (const char* path = std::getenv("ORVAN_EDITOR_SCREENSHOT")) {
        EXPECT_TRUE(shot.writePng(path)) << path;
    }
}

TEST_F(Win32Editor, AHostChangeShowsWithin100MillisecondsAtFifteenAndSixtyHertz) {
    ASSERT_TRUE(open());
    idleFor(100);
    float value = 0.5f;
    for (int period : {66, 16}) {
        const std::vector<uint32_t> before = area(host.screenshot(), 50, 130, 94, 342);  // the Bass slider
        value = value > 0.5f ? 0.f : 1.f;
        plugin.setParameter(C::kBass, value);
        const auto start = std::chrono::steady_clock::now();
        bool shown = false;
        while (!shown && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(100)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(period));
            Win32TestHost::pump();
            plugin.dispatch(effEditIdle);
            shown = area(host.screenshot(), 50, 130, 94, 342) != before;
        }
        EXPECT_TRUE(shown) << "idle every " << period << " ms";
    }
}

TEST_F(Win32Editor, TheWindowsOwnTimerKeepsItCurrentWhileTheHostOnlyPumpsMessages) {
    ASSERT_TRUE(open());
    idleFor(50);
    const std::vector<uint32_t> before = area(host.screenshot(), 50, 130, 94, 342);
    plugin.setParameter(C::kBass, 1.f);
    // No effEditIdle: the 14 ms frame timer services the window on this thread.
    EXPECT_TRUE(host.waitUntil([&] { return area(host.screenshot(), 50, 130, 94, 342) != before; }, 1000));
}

TEST_F(Win32Editor, AChangeWhileClosedShowsAtTheNextOpen) {
    ASSERT_TRUE(open());
    plugin.dispatch(effEditClose);
    host.destroyParent();
    plugin.setParameter(C::kHighs, 1.f);
    ASSERT_TRUE(open());
    const Win32Screenshot expected = snapshotOf([](VstHost& h) { h.setParameter(C::kHighs, 1.f); });
    ASSERT_EQ(expected.width, kWidth);
    EXPECT_EQ(differingPixels(screenshotShowing(466, 156, expected.at(466, 156)), expected.pixels), 0);
}

// Whether the editor's window class is registered: its name holds the DLL's address, so
// two copies of the DLL keep their classes apart.
bool editorClassRegistered() {
    HMODULE dll = GetModuleHandleW(L"OrvanEq.dll");
    wchar_t name[48];
    std::swprintf(name, 48, L"OrvanEqView%p", static_cast<void*>(dll));
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    return dll != nullptr && GetClassInfoExW(dll, name, &info) != 0;
}

TEST_F(Win32Editor, OpeningAndClosingFiftyTimesWithAudioRunningLeavesNothingBehind) {
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> in(256, 0.1f), outL(256), outR(256);
        while (!stop.load()) plugin.processReplacing(in.data(), in.data(), outL.data(), outR.data(), 256);
    });
    // The first open loads what stays loaded (GDI+, OLE's libraries, fonts).
    ASSERT_TRUE(open());
    EXPECT_TRUE(editorClassRegistered()) << "the class is named so";
    idleFor(30);
    plugin.dispatch(effEditClose);
    host.destroyParent();
    const int windows = Win32TestHost::threadWindows();
    const int gdi = Win32TestHost::guiObjects(GR_GDIOBJECTS);
    const int user = Win32TestHost::guiObjects(GR_USEROBJECTS);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(open()) << i;
        ASSERT_EQ(host.children().size(), 1u) << i;
        plugin.dispatch(effEditIdle);
        Win32TestHost::pump();
        plugin.dispatch(effEditClose);
        EXPECT_TRUE(host.children().empty()) << i;
        host.destroyParent();
    }
    stop.store(true);
    audio.join();
    EXPECT_EQ(Win32TestHost::threadWindows(), windows);
    EXPECT_EQ(Win32TestHost::guiObjects(GR_GDIOBJECTS), gdi);
    EXPECT_EQ(Win32TestHost::guiObjects(GR_USEROBJECTS), user);
    if (gdi < 0 || user < 0) std::printf("note: the system does not count GDI and USER objects\n");
    EXPECT_FALSE(editorClassRegistered()) << "the window class goes with the last window";

    // The host destroys the parent before closing the editor: nothing goes wrong either.
    ASSERT_TRUE(open());
    idleFor(30);
    host.destroyParent();
    plugin.dispatch(effEditIdle);
    plugin.dispatch(effEditClose);
    EXPECT_EQ(Win32TestHost::threadWindows(), windows);
}

TEST_F(Win32Editor, TwoInstancesOpenAtOnceEachInItsOwnParent) {
    VstHost second(ORVAN_PLUGIN_PATH);
    ASSERT_NE(second.instantiate(), nullptr);
    Win32TestHost otherHost;
    ASSERT_TRUE(open());
    void* p = otherHost.makeParent(kWidth, kHeight, 560, 0);
    ASSERT_EQ(second.dispatch(effEditOpen, 0, 0, p), 1);
    for (int i = 0; i < 5; ++i) {
        plugin.dispatch(effEditIdle);
        second.dispatch(effEditIdle);
        Win32TestHost::pump();
    }
    EXPECT_EQ(host.children().size(), 1u);
    EXPECT_EQ(otherHost.children().size(), 1u);
    second.dispatch(effEditClose);
    EXPECT_TRUE(otherHost.children().empty());
    // The first instance's window still works after the second one's class user is gone.
    const std::vector<uint32_t> before = area(host.screenshot(), 50, 130, 94, 342);
    plugin.setParameter(C::kBass, 1.f);
    EXPECT_TRUE(idleUntil([&] { return area(host.screenshot(), 50, 130, 94, 342) != before; }));
}

constexpr int kResponseX = 171, kResponseY = 416;

TEST_F(Win32Editor, DraggingResponseThirtyPixelsUpMovesItByHalfAThirdWithShiftASixthWithControl) {
    ASSERT_TRUE(open());
    struct Case {
        uint32_t modifiers;
        float change;
    };
    for (const Case& c : {Case{0, 0.5f}, Case{kQbShift, 0.25f}, Case{kQbControl, 1.f / 6.f}}) {
        plugin.setParameter(C::kResponse, 0.25f);
        idleFor(1000);  // the knob glides there first
        plugin.clearCalls();
        host.move(kResponseX, kResponseY, c.modifiers);
        host.press(1, c.modifiers);
        idleFor(20);
        for (int p = 6; p <= 30; p += 6) {
            host.move(kResponseX, kResponseY - p, c.modifiers);
            idleFor(15);
        }
        host.release(1, c.modifiers);
        idleUntil([&] { return plugin.countCalls(audioMasterEndEdit) == 1; });
        EXPECT_NEAR(plugin.getParameter(C::kResponse), 0.25f + c.change, 1e-5f) << c.modifiers;
    }
}

// The system's edit field inside the editor's window, or nullptr.
HWND editField(HWND editor) { return FindWindowExW(editor, nullptr, L"EDIT", nullptr); }

TEST_F(Win32Editor, TypingIntoTheBasicReadoutsEditFieldSetsItAndKeysGoBackToTheHostAfterEnter) {
    ASSERT_TRUE(open());
    idleFor(50);
    SetFocus(host.parent());
    host.click(169, 345);
    idleUntil([&] { return editField(host.child()) != nullptr; });
    HWND field = editField(host.child());
    ASSERT_NE(field, nullptr) << "the system's edit field";
    EXPECT_EQ(GetFocus(), field) << "editing takes the keyboard";
    RECT r;
    GetWindowRect(field, &r);
    EXPECT_EQ(r.left, 144);  // over the readout
    EXPECT_EQ(r.right - r.left, 50);
    host.type("2.5");
    host.key(VK_RETURN);
    idleUntil([&] { return plugin.getParameter(C::kBasic) == 0.75f; });
    EXPECT_EQ(plugin.getParameter(C::kBasic), 0.75f);
    EXPECT_EQ(editField(host.child()), nullptr);
    EXPECT_EQ(GetFocus(), host.parent()) << "the keyboard goes back after Enter";

    // Escape keeps the old value; a click elsewhere keeps what was typed.
    host.click(169, 345);
    idleUntil([&] { return editField(host.child()) != nullptr; });
    host.type("-1");
    host.key(VK_ESCAPE);
    idleUntil([&] { return editField(host.child()) == nullptr; });
    EXPECT_EQ(plugin.getParameter(C::kBasic), 0.75f);
    host.click(169, 345);
    idleUntil([&] { return editField(host.child()) != nullptr; });
    host.type("-5");
    host.click(300, 20);
    idleUntil([&] { return plugin.getParameter(C::kBasic) == 0.f; });
    EXPECT_EQ(plugin.getParameter(C::kBasic), 0.f);
    EXPECT_EQ(editField(host.child()), nullptr);
}

// The system's tooltip window showing, and its text; nullptr when none shows.
HWND shownTooltip(HWND tool, std::string* text) {
    HWND tip = FindWindowW(L"tooltips_class32", nullptr);
    if (tip == nullptr || !IsWindowVisible(tip)) return nullptr;
    wchar_t buffer[80] = {};
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = tool;
    info.uId = 1;
    info.lpszText = buffer;
    SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
    text->clear();
    for (const wchar_t* c = buffer; *c != 0; ++c) *text += static_cast<char>(*c);  // ASCII
    return tip;
}

TEST_F(Win32Editor, TheSystemsTooltipShowsAfterTheMouseRestsHalfASecondAndGoesWithAPress) {
    ASSERT_TRUE(open());
    idleFor(50);
    std::string text;
    host.move(31, 235);  // over the reset button
    idleFor(200);
    EXPECT_EQ(shownTooltip(host.child(), &text), nullptr);
    EXPECT_TRUE(idleUntil([&] { return shownTooltip(host.child(), &text) != nullptr; }, 2000));
    EXPECT_EQ(text, "Resets all Sliders to Zero");
    RECT tip{};
    GetWindowRect(FindWindowW(L"tooltips_class32", nullptr), &tip);
    EXPECT_GE(tip.left, 31);
    EXPECT_GE(tip.top, 235) << "below and right of the pointer";
    host.click(300, 20);
    EXPECT_TRUE(idleUntil([&] { return shownTooltip(host.child(), &text) == nullptr; }));
}

// The editor's thread is inside the system's menu until it closes: a second thread plays
// the user.
Win32TestHost::MenuSeen rightClickAndUseMenu(Win32TestHost& host, VstHost& plugin, int x, int y, int choose) {
    Win32TestHost::MenuSeen seen;
    std::atomic<bool> done{false};
    std::thread user([&] {
        seen = Win32TestHost::useMenu(choose);
        done.store(true);
    });
    host.click(x, y, 3);
    host.waitUntil([&] {
        plugin.dispatch(effEditIdle);
        return done.load() && Win32TestHost::openMenu() == nullptr;
    });
    user.join();
    return seen;
}

TEST_F(Win32Editor, RightClickingResponseOpensTheSystemsMidiLearnMenuAndChoosingCc7LetsCc7DriveIt) {
    ASSERT_TRUE(open());
    idleFor(50);
    host.click(70, 419, 3);  // a style button is no host parameter: nothing opens
    idleFor(80);
    EXPECT_EQ(Win32TestHost::openMenu(), nullptr);

    Win32TestHost::MenuSeen seen = rightClickAndUseMenu(host, plugin, kResponseX, kResponseY, 8);
    ASSERT_TRUE(seen.opened);
    ASSERT_EQ(seen.entries.size(), 129u);
    EXPECT_EQ(seen.entries[0], "None");
    EXPECT_EQ(seen.entries[8], "CC 7");
    EXPECT_EQ(seen.checked, std::vector<int>{0}) << "nothing assigned yet";
    EXPECT_EQ(seen.columns, 5) << "26 entries a column, as the toolkit's own list";
    VstMidiEvent cc{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {static_cast<char>(0xB0), 7, 127, 0}, 0, 0, 0, 0};
    VstEvents events{1, 0, {reinterpret_cast<VstEvent*>(&cc), nullptr}};
    plugin.dispatch(effProcessEvents, 0, 0, &events);
    EXPECT_FLOAT_EQ(plugin.getParameter(C::kResponse), 1.f);

    // Dismissed with Escape, the menu changes nothing; it shows the assignment.
    seen = rightClickAndUseMenu(host, plugin, kResponseX, kResponseY, -1);
    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(seen.checked, std::vector<int>{8});
    cc.midiData[2] = 0;
    plugin.dispatch(effProcessEvents, 0, 0, &events);
    EXPECT_FLOAT_EQ(plugin.getParameter(C::kResponse), 0.f);
    // The editor goes on: a host change still shows.
    const std::vector<uint32_t> before = area(host.screenshot(), 50, 130, 94, 342);
    plugin.setParameter(C::kBass, 1.f);
    EXPECT_TRUE(idleUntil([&] { return area(host.screenshot(), 50, 130, 94, 342) != before; }));
}

}  // namespace
