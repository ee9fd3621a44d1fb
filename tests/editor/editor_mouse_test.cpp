// The widgets under the mouse and the keys, as a user plays the equaliser from its
// window: knob and slider drags with their sensitivities, double-click and mid-glide
// clicks, the selector buttons and their hubs, the reset and Bypass buttons, transparent
// pixels, the wheel and the arrow keys.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "editor/anim_button.h"
#include "editor/hv_slider.h"
#include "editor/on_off_button.h"
#include "support/editor_rig.h"
#include "support/eq_parameters.h"

using namespace VSTGUI;
namespace C = QB_Control;

namespace {

constexpr int kResponseX = 171, kResponseY = 416;  // the Response knob's centre

// The value a host parameter reached, as the host hears it: its last automate call.
float lastAutomated(const EditorRig& rig, VstInt32 index) {
    float v = -1.f;
    for (const HostCall& c : rig.callsOf(audioMasterAutomate))
        if (c.index == index) v = c.value;
    return v;
}

struct KnobDrag : ::testing::Test {
    void SetUp() override {
        rig.vst().setParameter(C::kResponse, 0.25f);
        ASSERT_TRUE(rig.open());
        rig.idle();
    }
    // Press on the knob, move up by pixels with the modifiers, release.
    void dragUp(int pixels, uint32_t modifiers) {
        rig.press(kResponseX, kResponseY, kQbLeftButton | modifiers);
        for (int p = 5; p <= pixels; p += 5) rig.move(kResponseX, kResponseY - p, kQbLeftButton | modifiers);
        rig.release(kResponseX, kResponseY - pixels, modifiers);
    }
    EditorRig rig;
};

TEST_F(KnobDrag, ThirtyPixelsUpMoveResponseByHalfItsRangeBracketedByBeginAndEndEdit) {
    rig.calls.clear();
    dragUp(30, 0);
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kResponse), 0.75f);
    ASSERT_GE(rig.calls.size(), 3u);
    EXPECT_EQ(rig.calls.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(rig.calls.back().opcode, audioMasterEndEdit);
    for (const HostCall& c : rig.calls) EXPECT_EQ(c.index, C::kResponse);
    for (size_t i = 1; i + 1 < rig.calls.size(); ++i) EXPECT_EQ(rig.calls[i].opcode, audioMasterAutomate);
    EXPECT_FLOAT_EQ(lastAutomated(rig, C::kResponse), 0.75f);
}

TEST_F(KnobDrag, ShiftHalvesAndControlThirdsTheSensitivity) {
    dragUp(30, kQbShift);
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kResponse), 0.5f);
    rig.vst().setParameter(C::kResponse, 0.25f);
    for (int i = 0; i < 60; ++i) rig.idle();  // the knob glides there before the next press
    dragUp(30, kQbControl);
    EXPECT_NEAR(rig.vst().getParameter(C::kResponse), 0.25f + 1.f / 6.f, 1e-6f);
}

TEST_F(KnobDrag, AModifierPressedMidDragContinuesFromTheCurrentValueWithoutAJump) {
    rig.press(kResponseX, kResponseY);
    rig.move(kResponseX, kResponseY - 15);  // +0.25
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kResponse), 0.5f);
    rig.move(kResponseX, kResponseY - 15, kQbLeftButton | kQbShift);  // shift pressed here
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kResponse), 0.5f);
    rig.move(kResponseX, kResponseY - 27, kQbLeftButton | kQbShift);  // 12 more pixels at half speed
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kResponse), 0.6f);
    rig.release(kResponseX, kResponseY - 27);
}

TEST_F(KnobDrag, ADoubleClickReturnsToTheProgramsValueAndIgnoresTheMouseUntilRelease) {
    dragUp(20, 0);
    ASSERT_NE(rig.vst().getParameter(C::kResponse), 0.25f);
    const float loaded = rig.vst().editorState().loadedProgramValue(C::kResponse);
    rig.press(kResponseX, kResponseY, kQbLeftButton);
    rig.release(kResponseX, kResponseY);
    rig.press(kResponseX, kResponseY, kQbLeftButton | kQbDoubleClick);
    EXPECT_EQ(rig.vst().getParameter(C::kResponse), loaded);
    rig.move(kResponseX, kResponseY - 30);
    EXPECT_EQ(rig.vst().getParameter(C::kResponse), loaded);
    rig.release(kResponseX, kResponseY - 30);
}

TEST_F(KnobDrag, AClickDuringAGlideFreezesTheKnobWhereItIsShown) {
    rig.vst().setParameter(C::kResponse, 1.f);
    for (int i = 0; i < 5; ++i) rig.idle();
    auto* knob = dynamic_cast<QB_Knob*>(rig.editor().slot(C::kResponse));
    const float shown = knob->displayedValue();
    ASSERT_GT(shown, 0.25f);
    ASSERT_LT(shown, 1.f);
    rig.press(kResponseX, kResponseY);
    EXPECT_EQ(rig.vst().getParameter(C::kResponse), shown);
    rig.release(kResponseX, kResponseY);
    for (int i = 0; i < 10; ++i) rig.idle();
    EXPECT_EQ(knob->displayedValue(), shown);
}

TEST_F(KnobDrag, TheWheelAndTheArrowKeysStepATenthOrAHundredthWithShift) {
    QB_InputEvent wheel;
    wheel.type = QB_InputEvent::Type::wheel;
    wheel.x = kResponseX;
    wheel.y = kResponseY;
    wheel.wheel = 1.f;
    rig.window().inject(wheel);
    rig.idle(0);
    EXPECT_NEAR(rig.vst().getParameter(C::kResponse), 0.35f, 1e-6f);
    rig.move(kResponseX, kResponseY, 0);  // the pointer rests over the knob
    VstKeyCode down{0, VKEY_DOWN, 0};
    EXPECT_TRUE(rig.editor().onKeyDown(down));
    EXPECT_NEAR(rig.vst().getParameter(C::kResponse), 0.25f, 1e-6f);
    VstKeyCode upShift{0, VKEY_UP, MODIFIER_SHIFT};
    EXPECT_TRUE(rig.editor().onKeyDown(upShift));
    EXPECT_NEAR(rig.vst().getParameter(C::kResponse), 0.26f, 1e-6f);
    // Keys the window does not use go back to the host.
    rig.move(5, 5, 0);
    VstKeyCode letter{'a', 0, 0};
    EXPECT_FALSE(rig.editor().onKeyDown(letter));
}

TEST(SliderDrag, EightyPixelsUpTheHeadMoveBassByHalfAndTheTrackBesideItDoesNothing) {
    EditorRig rig;
    rig.vst().setParameter(C::kBass, 0.25f);
    ASSERT_TRUE(rig.open());
    rig.idle();
    auto* bass = dynamic_cast<QB_HV_Slider*>(rig.editor().slot(C::kBass));
    const CRect head = bass->currentHead();
    ASSERT_EQ(head.top, 130 + 120);
    rig.click(72, 150);  // the track above the head
    rig.click(72, head.bottom + 10);  // and below it
    EXPECT_EQ(rig.vst().getParameter(C::kBass), 0.25f);
    const int y = (head.top + head.bottom) / 2;
    rig.press(72, y);
    for (int p = 10; p <= 80; p += 10) rig.move(72, y - p);
    rig.release(72, y - 80);
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kBass), 0.75f);
    rig.idle();
    EXPECT_EQ(bass->currentHead().top, 130 + 40);
    EXPECT_EQ(rig.editor().widget(C::kFirstGainReadout)->getValue(), 0.75f);  // the readout follows
}

TEST(Selectors, AClickLightsOnlyThatButtonAndSetsTheHubAsHostAutomationDoes) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    struct Group {
        int32_t hub, firstButton, x, y0;
    };
    for (const Group& g : {Group{C::kStyle, C::kFirstStyleButton, 70, 380}, Group{C::kHighsMode, C::kFirstHighsModeButton, 466, 32}}) {
        for (int32_t p = 0; p < 3; ++p) {
            rig.calls.clear();
            rig.click(g.x, g.y0 + 26 * p + 13);
            EXPECT_FLOAT_EQ(rig.vst().getParameter(g.hub), 0.5f * p) << g.hub << " " << p;
            EXPECT_FLOAT_EQ(lastAutomated(rig, g.hub), 0.5f * p);
            // The host hears one gesture on the hub's parameter, and nothing of the buttons.
            std::vector<VstInt32> opcodes;
            for (const HostCall& c : rig.calls) {
                EXPECT_EQ(c.index, g.hub);
                opcodes.push_back(c.opcode);
            }
            EXPECT_EQ(opcodes, (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit}));
            for (int32_t b = 0; b < 3; ++b)
                EXPECT_EQ(rig.editor().widget(g.firstButton + b)->getValue(), b == p ? 1.f : 0.f) << p << b;
        }
        // Clicking the lit button again keeps it lit and its partners out.
        rig.click(g.x, g.y0 + 26 * 2 + 13);
        EXPECT_EQ(rig.editor().widget(g.firstButton + 2)->getValue(), 1.f);
        EXPECT_EQ(rig.editor().widget(g.firstButton)->getValue(), 0.f);
        rig.vst().setParameter(g.hub, 0.7f);
        for (int32_t b = 0; b < 3; ++b) EXPECT_EQ(rig.editor().widget(g.firstButton + b)->getValue(), b == 1 ? 1.f : 0.f);
    }
}

TEST(Selectors, ATransparentCornerOfAButtonDoesNotPressIt) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    auto* german = dynamic_cast<QB_COnOffButton*>(rig.editor().slot(C::kFirstStyleButton + 1));
    ASSERT_LE(german->getBackground()->alphaAt(0, 0), 143) << "the artwork's corner is meant to be transparent";
    rig.click(30, 406);
    EXPECT_EQ(rig.vst().getParameter(C::kStyle), 0.f);
    EXPECT_EQ(german->getValue(), 0.f);
}

TEST(ResetButton, PressAndReleaseReportOneThenZeroAndTheSlidersReturnToZero) {
    EditorRig rig;
    for (int32_t g = 0; g < C::kNumGains; ++g) rig.vst().setParameter(C::kBass + g, g % 2 == 0 ? 1.f : 0.f);
    ASSERT_TRUE(rig.open());
    auto* reset = rig.editor().widget(C::kReset);
    rig.press(31, 235);
    EXPECT_EQ(reset->getValue(), 1.f);
    EXPECT_FLOAT_EQ(rig.vst().controlValue(C::kReset), 0.1f);
    std::vector<float> in(512, 0.f), out(512);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    rig.vst().processReplacing(ins, outs, 512);
    rig.release(31, 235);
    EXPECT_EQ(reset->getValue(), 0.f);
    EXPECT_EQ(rig.vst().controlValue(C::kReset), 0.f);
    rig.vst().processReplacing(ins, outs, 512);
    for (int i = 0; i < 60; ++i) rig.idle();
    for (int32_t g = 0; g < C::kNumGains; ++g) {
        EXPECT_EQ(rig.vst().getParameter(C::kBass + g), 0.5f) << g;
        auto* slider = dynamic_cast<QB_HV_Slider*>(rig.editor().slot(C::kBass + g));
        EXPECT_EQ(slider->getValue(), 0.5f) << g;
        EXPECT_EQ(slider->currentHead().top, 130 + 80) << g;
    }
}

TEST(BypassButton, AClickPassesAudioUntouchedAndTheButtonPulsesBetweenFramesOneAndSeven) {
    EditorRig rig;
    rig.vst().setParameter(C::kBasic, 1.f);
    ASSERT_TRUE(rig.open());
    rig.click(468, 493);
    EXPECT_FLOAT_EQ(rig.vst().controlValue(C::kBypass), 0.1f);
    std::vector<float> inL(512), inR(512), outL(512), outR(512);
    for (int i = 0; i < 512; ++i) {
        inL[i] = 0.5f * std::sin(0.05f * i);
        inR[i] = 0.25f * std::sin(0.031f * i);
    }
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    for (int block = 0; block < 4; ++block) {
        rig.vst().processReplacing(ins, outs, 512);
        ASSERT_EQ(std::memcmp(outL.data(), inL.data(), sizeof(float) * 512), 0) << block;
        ASSERT_EQ(std::memcmp(outR.data(), inR.data(), sizeof(float) * 512), 0) << block;
    }
    auto* bypass = dynamic_cast<QB_AnimButton*>(rig.editor().slot(C::kBypass));
    int lowest = 7, highest = 0, turns = 0;
    float previousStep = bypass->step();
    for (int tick = 0; tick < 200; ++tick) {
        rig.idle();
        const int frame = static_cast<int>(7.f * bypass->position());
        if (tick > 20) {
            lowest = std::min(lowest, frame);
            highest = std::max(highest, frame);
        }
        if ((bypass->step() > 0.f) != (previousStep > 0.f)) ++turns;
        previousStep = bypass->step();
    }
    EXPECT_EQ(lowest, 1);
    EXPECT_EQ(highest, 7);
    EXPECT_GE(turns, 4);
    rig.click(468, 493);  // off again: it runs down to frame 0 and rests
    for (int tick = 0; tick < 60; ++tick) rig.idle();
    EXPECT_EQ(bypass->position(), 0.f);
    EXPECT_EQ(bypass->step(), 0.f);
}

TEST(OnOffSwitches, DynamicTogglesAndRunsItsSevenFramesInSevenTicks) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    auto* dynamic = dynamic_cast<QB_AnimButton*>(rig.editor().slot(C::kDynamic));
    rig.click(217, 493);
    EXPECT_EQ(rig.vst().getParameter(C::kDynamic), 1.f);
    for (int tick = 1; tick <= 7; ++tick) {
        rig.idle();
        EXPECT_NEAR(dynamic->position(), std::min(1.f, tick / 7.f), 1e-5f) << tick;
    }
    rig.click(217, 493);
    EXPECT_EQ(rig.vst().getParameter(C::kDynamic), 0.f);
}

}  // namespace
