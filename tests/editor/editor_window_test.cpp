// The editor window built from the control table and drawn off-screen: the widgets the
// table makes and where, every widget at its parameter's value, host changes shown
// within a refresh at any idle rate, the MIDI-learn menu, and open/close cycles.
#include <gtest/gtest.h>

#include <thread>

#include "editor/anim_button.h"
#include "editor/button_hub.h"
#include "editor/frame_timer.h"
#include "editor/hv_slider.h"
#include "editor/number_entry.h"
#include "editor/on_off_button.h"
#include "plugin/control_table.h"
#include "support/editor_rig.h"
#include "support/eq_parameters.h"
#include "toolkit/option_menu.h"

using namespace VSTGUI;
namespace C = QB_Control;

namespace {

struct Placed {
    int32_t control;
    CRect rect;
};

template <class Widget>
Widget* as(EditorRig& rig, int32_t control) {
    return dynamic_cast<Widget*>(rig.editor().slot(control));
}

TEST(EditorWindow, TheRectangleIsTheBackgroundsBeforeAndAfterOpening) {
    EditorRig rig;
    ERect* r = nullptr;
    ASSERT_TRUE(rig.editor().getRect(&r));
    EXPECT_EQ(r->top, 0);
    EXPECT_EQ(r->left, 0);
    EXPECT_EQ(r->bottom, 529);
    EXPECT_EQ(r->right, 540);
    ASSERT_TRUE(rig.open());
    ASSERT_TRUE(rig.editor().getRect(&r));
    EXPECT_EQ(r->bottom, 529);
    EXPECT_EQ(r->right, 540);
}

TEST(EditorWindow, EveryControlOfTheTableBecomesItsWidgetWhereTheLayoutPutsIt) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    const Placed knobs[] = {{C::kResponse, {151, 396, 191, 436}}, {C::kBandwidth, {249, 396, 289, 436}}};
    for (const Placed& p : knobs) {
        auto* k = as<QB_Knob>(rig, p.control);
        ASSERT_NE(k, nullptr) << p.control;
        EXPECT_EQ(k->getViewSize(), p.rect) << p.control;
        EXPECT_EQ(k->getNumSubPixmaps(), 60);
    }
    const Placed anims[] = {{C::kBypass, {428, 480, 508, 506}},   {C::kDynamic, {177, 480, 257, 506}},
                            {C::kFreeze, {279, 480, 359, 506}},   {C::kMulti2nd, {228, 84, 308, 110}},
                            {C::kMultiHigh, {324, 84, 404, 110}}};
    for (const Placed& p : anims) {
        auto* a = dynamic_cast<QB_AnimButton*>(rig.editor().slot(p.control));
        ASSERT_NE(a, nullptr) << p.control;
        EXPECT_EQ(a->getViewSize(), p.rect) << p.control;
        EXPECT_EQ(a->getNumSubPixmaps(), 8);
    }
    const CCoord sliderX[] = {50, 147, 244, 342, 444};
    const CCoord readoutX[] = {48, 144, 240, 339, 441};
    for (int32_t b = 0; b < C::kNumGains; ++b) {
        auto* s = as<QB_HV_Slider>(rig, C::kBass + b);
        ASSERT_NE(s, nullptr) << b;
        EXPECT_EQ(s->getViewSize(), CRect(sliderX[b], 130, sliderX[b] + 44, 342)) << b;
        auto* e = as<QB_CNumberEntry>(rig, C::kFirstGainReadout + b);
        ASSERT_NE(e, nullptr) << b;
        EXPECT_EQ(e->getViewSize(), CRect(readoutX[b], 337, readoutX[b] + 50, 353)) << b;
        EXPECT_EQ(e->source(), C::kBass + b);  // paired with its slider
    }
    auto* reset = as<QB_COnOffButton>(rig, C::kReset);
    ASSERT_NE(reset, nullptr);
    EXPECT_EQ(reset->getViewSize(), CRect(21, 225, 41, 245));
    for (int32_t i = 0; i < 3; ++i) {
        auto* style = as<QB_COnOffButton>(rig, C::kFirstStyleButton + i);
        ASSERT_NE(style, nullptr);
        EXPECT_EQ(style->getViewSize(), CRect(30, 380 + 26 * i, 110, 406 + 26 * i));
        auto* mode = as<QB_COnOffButton>(rig, C::kFirstHighsModeButton + i);
        ASSERT_NE(mode, nullptr);
        EXPECT_EQ(mode->getViewSize(), CRect(426, 32 + 26 * i, 506, 58 + 26 * i));
    }
    for (int32_t hub : {C::kStyle, C::kHighsMode}) {
        auto* h = as<QB_GUI_Multi_Button_Hub>(rig, hub);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(h->itemCount(), 3);
        EXPECT_EQ(qbControlMaps().optionCount(hub), 3);
    }
    // The tooltip of the table travels as the 'cvtt' attribute, with its terminator.
    int32_t size = 0;
    const char* tip = rig.editor().slot(C::kReset)->getAttribute(kCViewTooltipAttribute, &size);
    ASSERT_NE(tip, nullptr);
    EXPECT_STREQ(tip, "Resets all Sliders to Zero");
    EXPECT_EQ(size, 27);
}

TEST(EditorWindow, OpeningShowsEveryParameterAsTheProgramHoldsIt) {
    EditorRig rig;
    rig.vst().setParameter(C::kBass, 0.75f);
    rig.vst().setParameter(C::kStyle, 1.f);
    rig.vst().setParameter(C::kDynamic, 1.f);
    ASSERT_TRUE(rig.open());
    rig.idle();
    auto* bass = as<QB_HV_Slider>(rig, C::kBass);
    EXPECT_EQ(bass->getValue(), 0.75f);
    EXPECT_EQ(bass->displayedValue(), 0.75f);  // no glide on opening
    EXPECT_EQ(bass->currentHead().top, 130 + 40);  // a quarter of the 160-pixel travel down
    EXPECT_EQ(as<QB_CNumberEntry>(rig, C::kFirstGainReadout)->getText(), std::string("2.500"));
    EXPECT_EQ(as<QB_COnOffButton>(rig, C::kFirstStyleButton + 2)->getValue(), 1.f);  // British
    EXPECT_EQ(as<QB_COnOffButton>(rig, C::kFirstStyleButton)->getValue(), 0.f);
    EXPECT_EQ(as<QB_AnimButton>(rig, C::kDynamic)->position(), 1.f);
}

// The head of slider 10 is drawn in the back buffer where its value puts it.
bool headDrawnAt(EditorRig& rig, CCoord top) {
    // The head's index line runs across row 26 of the 52-pixel head; the groove does not.
    const uint32_t line = rig.pixel(72, top + 26), above = rig.pixel(72, top - 6);
    return line != above;
}

TEST(EditorWindow, AHostChangeWhileOpenShowsWithin100MillisecondsAtFifteenAndSixtyHertz) {
    for (int period : {66, 16}) {
        EditorRig rig;
        ASSERT_TRUE(rig.open());
        rig.idle(period);
        auto* bass = as<QB_HV_Slider>(rig, C::kBass);
        const CCoord before = bass->currentHead().top;
        // From another thread, as a host's parameter thread sets it.
        std::thread([&rig] { rig.vst().setParameter(C::kBass, 1.f); }).join();
        EXPECT_EQ(bass->getValue(), 0.5f) << "another thread's value waits for the editor's thread";
        int waited = 0;
        while (waited < 100 && bass->currentHead().top == before) {
            rig.idle(period);
            waited += period;
        }
        EXPECT_LT(bass->currentHead().top, before) << period;
        EXPECT_LE(waited, 100) << period;
        EXPECT_TRUE(headDrawnAt(rig, bass->currentHead().top)) << period;
    }
}

TEST(EditorWindow, AGlideTakesTheSameTimeWhateverTheIdleRate) {
    float shown[2] = {};
    int i = 0;
    for (int period : {66, 16}) {
        EditorRig rig;
        ASSERT_TRUE(rig.open());
        rig.vst().setParameter(C::kResponse, 1.f);  // on the editor's thread: applied at once
        for (int t = 0; t < 330; t += period) rig.idle(period);
        shown[i++] = as<QB_Knob>(rig, C::kResponse)->displayedValue();
    }
    EXPECT_GT(shown[0], 0.5f);
    EXPECT_LT(shown[0], 1.f);
    EXPECT_NEAR(shown[0], shown[1], 0.03f);
}

TEST(EditorWindow, AChangeWhileClosedShowsAtTheNextOpen) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    rig.close();
    rig.vst().setParameter(C::kHighs, 0.f);
    rig.vst().setParameter(C::kHighsMode, 0.5f);
    ASSERT_TRUE(rig.open());
    EXPECT_EQ(as<QB_HV_Slider>(rig, C::kHighs)->getValue(), 0.f);
    EXPECT_EQ(as<QB_COnOffButton>(rig, C::kFirstHighsModeButton + 1)->getValue(), 1.f);
}

TEST(EditorWindow, BypassStaysLitAcrossACloseAndReopen) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    rig.click(468, 493);
    ASSERT_FLOAT_EQ(rig.vst().controlValue(C::kBypass), 0.1f);
    rig.close();
    ASSERT_TRUE(rig.open());
    EXPECT_EQ(as<QB_AnimButton>(rig, C::kBypass)->getValue(), 1.f);
    EXPECT_GT(as<QB_AnimButton>(rig, C::kBypass)->position(), 6.f / 7.f);  // lit at once
    for (int i = 0; i < 10; ++i) rig.idle();
    EXPECT_LT(as<QB_AnimButton>(rig, C::kBypass)->position(), 1.f);  // and it pulses on
}

TEST(EditorWindow, HostAutomationOfAHubLightsItsButtonByTruncation) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    rig.vst().setParameter(C::kStyle, 0.7f);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(as<QB_COnOffButton>(rig, C::kFirstStyleButton + i)->getValue(), i == 1 ? 1.f : 0.f) << i;
    // The buttons never reach the host: only the hub's parameter is automated.
    for (const HostCall& c : rig.callsOf(audioMasterAutomate)) EXPECT_LT(c.index, kNumParams);
}

COptionMenuPopup* openMenu(EditorRig& rig) { return dynamic_cast<COptionMenuPopup*>(rig.editor().frame()->getModalView()); }

TEST(EditorWindow, RightClickingAHostParameterOpensTheMidiLearnMenuAndAChoiceAssignsIt) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    rig.click(171, 416, kQbRightButton);  // the Response knob's centre
    COptionMenuPopup* menu = openMenu(rig);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->entryCount(), 129);
    EXPECT_EQ(menu->entry(0), "None");
    EXPECT_EQ(menu->entry(8), "CC 7");
    EXPECT_EQ(menu->entry(128), "CC 127");
    EXPECT_TRUE(menu->isChecked(0));  // no assignment yet
    const CRect& f = rig.editor().frame()->getViewSize();
    for (int32_t i = 0; i < 129; ++i) {
        const CRect r = menu->entryRect(i);
        ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= f.right && r.bottom <= f.bottom) << i;
    }
    rig.idle();
    const CRect cc7 = menu->entryRect(8);
    rig.click((cc7.left + cc7.right) / 2, (cc7.top + cc7.bottom) / 2);
    EXPECT_EQ(openMenu(rig), nullptr);
    EXPECT_EQ(rig.vst().getMidiController(C::kResponse), 7);

    // MIDI CC 7 now drives Response.
    VstMidiEvent cc{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {static_cast<char>(0xB0), 7, 127, 0}, 0, 0, 0, 0};
    VstEvents events{1, 0, {reinterpret_cast<VstEvent*>(&cc), nullptr}};
    rig.vst().processEvents(&events);
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kResponse), 1.f);

    // Reopened, the menu marks CC 7; dismissing it changes nothing.
    rig.click(171, 416, kQbRightButton);
    ASSERT_NE(openMenu(rig), nullptr);
    EXPECT_TRUE(openMenu(rig)->isChecked(8));
    rig.click(5, 5);  // outside the list
    EXPECT_EQ(openMenu(rig), nullptr);
    EXPECT_EQ(rig.vst().getMidiController(C::kResponse), 7);
}

TEST(EditorWindow, RightClickingAControlThatIsNoHostParameterOpensNothing) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    const CPoint spots[] = {{70, 418}, {70, 393}, {31, 235}, {468, 493}};  // German, American, reset, Bypass
    for (const CPoint& p : spots) {
        rig.click(p.x, p.y, kQbRightButton);
        EXPECT_EQ(openMenu(rig), nullptr) << p.x << "," << p.y;
    }
    rig.click(217, 493, kQbRightButton);  // Dynamic is a host parameter
    EXPECT_NE(openMenu(rig), nullptr);
}

TEST(EditorWindow, OpeningAndClosingFiftyTimesLeavesNothingBehind) {
    EditorRig rig;
    const int32_t views = CView::liveViews();
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(rig.open());
        rig.idle();
        EXPECT_EQ(QB_Frame_Timer::count(), 1);
        rig.close();
    }
    EXPECT_EQ(CView::liveViews(), views);
    EXPECT_EQ(QB_Frame_Timer::count(), 0);
    ASSERT_TRUE(rig.open());
    EXPECT_EQ(as<QB_HV_Slider>(rig, C::kBass)->getValue(), 0.5f);
}

TEST(EditorWindow, AnIdleWithNothingChangedDrawsNothing) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    for (int i = 0; i < 10; ++i) rig.idle(40);
    const int shows = rig.window().shows();
    for (int i = 0; i < 25; ++i) rig.idle(40);
    EXPECT_EQ(rig.window().shows(), shows);
}

}  // namespace

namespace {

TEST(EditorWindow, ATooltipShowsAfterTheMouseRestsHalfASecondAndGoesWithAPress) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    rig.move(31, 235, 0);  // over the reset button
    rig.idle(200);
    EXPECT_FALSE(rig.editor().tooltips()->isShowing());
    // The delay runs on the real clock: wait it out.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
    while (std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    rig.idle();
    ASSERT_TRUE(rig.editor().tooltips()->isShowing());
    EXPECT_EQ(rig.editor().tooltips()->shownText(), "Resets all Sliders to Zero");
    rig.click(300, 20);
    EXPECT_FALSE(rig.editor().tooltips()->isShowing());
}

}  // namespace
