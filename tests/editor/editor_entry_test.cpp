// Typed values in the gain readouts, and the widgets the shipped table does not use
// (option menus and images, global displays, images, static texts, exclusive buttons,
// nested containers) built from a table of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "editor/anim_button.h"
#include "editor/button_hub.h"
#include "editor/hv_slider.h"
#include "editor/image_views.h"
#include "editor/number_entry.h"
#include "editor/on_off_button.h"
#include "editor/options.h"
#include "support/editor_rig.h"

using namespace VSTGUI;
namespace C = QB_Control;

namespace {

constexpr int kBasicReadoutX = 169, kReadoutY = 345;

QB_CNumberEntry* readout(EditorRig& rig, int32_t band) {
    return dynamic_cast<QB_CNumberEntry*>(rig.editor().slot(C::kFirstGainReadout + band));
}

struct Readout : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(rig.open());
        rig.idle();
    }
    // Clicks the Basic readout, selects all its text, types text and ends with key.
    void enter(const std::string& text, QB_Key end = QB_Key::enter) {
        rig.click(kBasicReadoutX, kReadoutY);
        rig.type(text);
        rig.key(end);
        rig.idle();
    }
    EditorRig rig;
};

TEST_F(Readout, TypingANumberSetsTheGainTheSliderFollowsAndTheReadoutShowsItsFormat) {
    enter("2.5");
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kBasic), 0.75f);
    EXPECT_EQ(rig.editor().widget(C::kBasic)->getValue(), 0.75f);
    EXPECT_EQ(std::string(readout(rig, 1)->getText()), "2.500");
    enter("-5");
    EXPECT_EQ(rig.vst().getParameter(C::kBasic), 0.f);
    enter("-+1");
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kBasic), 0.4f);
}

TEST_F(Readout, ATextThatIsNoNumberInRangeRestoresTheOldOneAndSendsNothing) {
    enter("2.5");
    for (const char* bad : {"6", "word", "1e2", "1.2.3", "1 "}) {
        rig.calls.clear();
        enter(bad);
        EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kBasic), 0.75f) << bad;
        EXPECT_EQ(std::string(readout(rig, 1)->getText()), "2.500") << bad;
        EXPECT_TRUE(rig.callsOf(audioMasterAutomate).empty()) << bad;
    }
    enter("1", QB_Key::escape);  // Escape cancels
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kBasic), 0.75f);
}

TEST_F(Readout, EitherButtonStartsEditingAndTheWindowHoldsTheKeysOnlyWhileItDoes) {
    for (uint32_t button : {kQbLeftButton, kQbRightButton}) {
        rig.click(kBasicReadoutX, kReadoutY, button);
        EXPECT_TRUE(readout(rig, 1)->isEditing()) << button;
        EXPECT_EQ(rig.editor().frame()->getModalView(), nullptr) << "no MIDI-learn menu";
        EXPECT_TRUE(rig.window().hasKeyboardFocus());
        VstKeyCode seven{'7', 0, 0};
        EXPECT_TRUE(rig.editor().onKeyDown(seven));  // a key from the host goes to the field
        EXPECT_EQ(readout(rig, 1)->editedText(), "7");
        rig.key(QB_Key::escape);
        EXPECT_FALSE(readout(rig, 1)->isEditing());
        EXPECT_FALSE(rig.window().hasKeyboardFocus());
        EXPECT_FALSE(rig.editor().onKeyDown(seven));  // back to the host
    }
}

TEST_F(Readout, TheFieldEditsUtf8TextWithTheCaretKeys) {
    rig.click(kBasicReadoutX, kReadoutY);
    rig.type("12");
    rig.key(QB_Key::home);
    rig.type("-");
    rig.key(QB_Key::end);
    rig.key(QB_Key::backspace);
    QB_InputEvent e;
    e.type = QB_InputEvent::Type::keyDown;
    e.key = QB_Key::character;
    std::strcpy(e.text, "\xc3\xa9");  // a two-byte character, then erased as one
    rig.window().inject(e);
    rig.idle(0);
    EXPECT_EQ(readout(rig, 1)->editedText(), "-1\xc3\xa9");
    rig.key(QB_Key::backspace);
    rig.key(QB_Key::left);
    rig.key(QB_Key::deleteKey);
    EXPECT_EQ(readout(rig, 1)->editedText(), "-");
    rig.key(QB_Key::character, 0);
    rig.key(QB_Key::escape);
}

TEST_F(Readout, MovingASliderUpdatesItsReadoutWithinOneTick) {
    rig.press(169, 236);  // the Basic slider's head at 0
    rig.move(169, 236 - 32);
    rig.idle();
    EXPECT_EQ(std::string(readout(rig, 1)->getText()), "2.000");  // 32 of 160 pixels: a fifth of the range
    rig.release(169, 204);
}

// ---- a table of the widgets the shipped one does not use ------------------------------------

// Controls of this table; their ranges are the shipped table's records for them.
constexpr int32_t kText = 3;        // options text, "Mixing,Mastering,A.I.R,"
constexpr int32_t kCycler = 8;      // click-cycling options image
constexpr int32_t kHub = 2;         // a hub, to compare its truncation with the rounding
constexpr int32_t kNumber = 38;     // global number display
constexpr int32_t kName = 39;       // global name display
constexpr int32_t kImage = 40;      // multi-frame image
constexpr int32_t kLabel = 30;      // static text
constexpr int32_t kFirstExclusive = 24;  // two exclusive buttons, 24 and 25
constexpr int32_t kSpring = 5;     // a knob that springs back to the middle
constexpr int32_t kJumpOn = 9;     // anim buttons: mode 0, 1 and 3
constexpr int32_t kDoubleOn = 7;
constexpr int32_t kPulse = 6;
constexpr int32_t kRotate = 14;    // a turning knob of three layers
constexpr int32_t kStrip = 26;     // option images: kind 18, 20 (steps), 24 (cross-fades)
constexpr int32_t kStepping = 27;
constexpr int32_t kFading = 28;

// clang-format off
const QB_ControlDescriptor kTestTable[] = {
    {0,  0,  1,  0,   0,   "orvanD.png",    0, 0, "orvanD.png", "", ""},
    {0,  72, -1, 0,   0,   "Arial",         0, 0, nullptr, nullptr, nullptr},
    {0,  67, 9,  60,  16,  nullptr,         0, 0, nullptr, nullptr, nullptr},
    {kText,   17, -1, 10,  10,  "",            0, 2, "Highs Mode", "Mixing,Mastering,A.I.R,", "options"},
    {kHub,    14, -1, 0,   0,   "",            0, 2, "Style", "American,German,British,", nullptr},
    {21, 13, -1, 420, 300, "american.png", 0, 1, nullptr, nullptr, nullptr},
    {22, 13, -1, 420, 326, "german.png",   0, 1, nullptr, nullptr, nullptr},
    {23, 13, -1, 420, 352, "british.png",  0, 1, nullptr, nullptr, nullptr},
    {21, 65, 0,  2,   0,   nullptr,        0, 0, nullptr, nullptr, nullptr},
    {22, 65, 1,  2,   0,   nullptr,        0, 0, nullptr, nullptr, nullptr},
    {23, 65, 2,  2,   0,   nullptr,        0, 0, nullptr, nullptr, nullptr},
    {0,  69, 0,  0,   0,   nullptr,         1, 0, nullptr, nullptr, nullptr},
    {kCycler, 19, -1, 100, 10,  "Knob.png",    0, 1, nullptr, "A,B,C,", nullptr},
    {4,       0,  -1, 200, 10,  "Knob.png",    1000, 5, "Response", "", nullptr},
    {kNumber, 36, -1, 10,  60,  "",            0, 1, nullptr, nullptr, nullptr},
    {kName,   37, -1, 10,  80,  "",            0, 1, nullptr, nullptr, nullptr},
    {kImage,  51, 8,  300, 10,  "AnimOnOff.png", 1, 0, nullptr, nullptr, nullptr},
    {kLabel,  52, -1, 10,  100, "",            0, 0, nullptr, "Label text", nullptr},
    {kFirstExclusive,     16, -1, 10, 140, "mixing.png", 0, 1, nullptr, nullptr, nullptr},
    {kFirstExclusive + 1, 16, -1, 10, 170, "mastering.png", 0, 1, nullptr, nullptr, nullptr},
    {kFirstExclusive,     60, kFirstExclusive + 1, -1, -1, nullptr, 0, 0, nullptr, nullptr, nullptr},
    {kFirstExclusive + 1, 60, kFirstExclusive, -1, -1, nullptr, 0, 0, nullptr, nullptr, nullptr},
    {1,  73, 0,  300, 200, "air.png",       0, 0, nullptr, nullptr, nullptr},
    {0,  75, 0,  0,   0,   nullptr,         0, 0, nullptr, nullptr, nullptr},
    {kFirstExclusive + 1, 61, 1, -1, -1, nullptr, 0, 0, nullptr, nullptr, nullptr},
    {0,  69, 8,  0,   0,   nullptr,         0.5f, 0, nullptr, nullptr, nullptr},
    {kSpring,    1,  -1, 250, 300, "Knob.png",      0, 1, nullptr, "", nullptr},
    {kJumpOn,    6,  -1, 250, 400, "AnimOnOff.png", 0, 1, nullptr, "", nullptr},
    {kDoubleOn,  7,  -1, 250, 430, "AnimOnOff.png", 0, 1, nullptr, "", nullptr},
    {kPulse,     9,  -1, 250, 460, "AnimOnOff.png", 0, 1, nullptr, "", nullptr},
    {0,  69, 3,  -150, 150, nullptr,        0.5f, 0, nullptr, nullptr, nullptr},
    {kRotate,    2,  -1, 300, 300, "Knob.png",      0, 1, nullptr, "", nullptr},
    {kStrip,     18, -1, 350, 300, "Knob.png",      0, 1, nullptr, "A,B,C,", nullptr},
    {kStepping,  20, -1, 400, 300, "Knob.png",      0, 1, nullptr, "A,B,C,", nullptr},
    {kFading,    24, -1, 450, 300, "Knob.png",      0, 1, nullptr, "A,B,C,", nullptr},
    {0,  76, 0,  0,   0,   nullptr,         0, 0, nullptr, nullptr, nullptr},
};
// clang-format on

struct TestTable : ::testing::Test {
    void SetUp() override {
        rig.editor().useTable(kTestTable, static_cast<int32_t>(sizeof kTestTable / sizeof kTestTable[0]));
        ASSERT_TRUE(rig.open());
        rig.idle();
    }
    void TearDown() override {
        rig.close();
        // The option counts are process-wide: give the shipped table's back.
        for (int32_t c : {kCycler, kStrip, kStepping, kFading}) qbControlMaps().setOptionCount(c, 0);
    }
    template <class W>
    W* get(int32_t control) {
        return dynamic_cast<W*>(rig.editor().slot(control));
    }
    EditorRig rig;
};

TEST_F(TestTable, AnOptionMenuRoundsItsIndexWhereAHubTruncates) {
    auto* text = get<QB_COptionsText>(kText);
    auto* hub = get<QB_GUI_Multi_Button_Hub>(kHub);
    ASSERT_NE(text, nullptr);
    ASSERT_NE(hub, nullptr);
    EXPECT_EQ(text->optionCount(), 3);
    EXPECT_EQ(qbControlMaps().optionCount(kText), 3);
    for (float v : {0.25f, 0.5f, 0.74f}) {
        text->setValue(v);
        EXPECT_EQ(text->index(), 1) << v;
    }
    text->setValue(0.24f);
    EXPECT_EQ(text->index(), 0);
    text->setValue(0.75f);
    EXPECT_EQ(text->index(), 2);
    text->setValue(1.5f);  // outside 0..1: ignored
    EXPECT_EQ(text->index(), 2);
    ASSERT_EQ(hub->itemCount(), 3);
    hub->setValue(0.99f);
    EXPECT_EQ(hub->selected(), 1);
    hub->setValue(0.49f);
    EXPECT_EQ(hub->selected(), 0);
}

TEST_F(TestTable, SelectorCommandsStepAndWrapAndSetTheParameter) {
    auto* text = get<QB_COptionsText>(kText);
    text->setValue(1.f);
    qbSendLink(text, nullptr, kLinkSet, kSelectNext, 1.f);
    EXPECT_EQ(text->index(), 0);
    EXPECT_EQ(rig.vst().getParameter(kText), 0.f);
    qbSendLink(text, nullptr, kLinkSet, kSelectPrevious, 1.f);
    EXPECT_EQ(text->index(), 2);
    qbSendLink(text, nullptr, kLinkSet, kSelectNext, 0.f);  // a zero value changes nothing
    EXPECT_EQ(text->index(), 2);
    qbSendLink(text, nullptr, kLinkSet, kSelectByValue, 0.6f);
    EXPECT_EQ(text->index(), 1);
    EXPECT_FLOAT_EQ(rig.vst().getParameter(kText), 0.6f);
}

TEST_F(TestTable, AClickOpensTheListAndAChoiceSetsTheParameter) {
    rig.click(40, 18);
    auto* list = dynamic_cast<COptionMenuPopup*>(rig.editor().frame()->getModalView());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->entryCount(), 3);
    EXPECT_EQ(list->entry(2), "A.I.R");
    const CRect r = list->entryRect(2);
    rig.click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(rig.vst().getParameter(kText), 1.f);
    EXPECT_EQ(get<QB_COptionsText>(kText)->index(), 2);
    rig.idle();
}

TEST_F(TestTable, AClickCyclingImageStepsOnEachClickAndEveryNinePixelsOfDrag) {
    auto* cycler = get<QB_COptionsImage>(kCycler);
    ASSERT_NE(cycler, nullptr);
    const CRect r = cycler->getViewSize();
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    rig.vst().setParameter(kCycler, 0.f);
    ASSERT_EQ(cycler->index(), 0);
    rig.click(x, y);
    EXPECT_EQ(cycler->index(), 1);
    EXPECT_FLOAT_EQ(rig.vst().controlValue(kCycler) * 10.f, 1.f - 0.5f * 1.f);  // Multi 2nd runs 1..0
    rig.click(x, y);
    rig.click(x, y);
    EXPECT_EQ(cycler->index(), 0);  // wrapped
    rig.press(x, y);  // -> 1
    rig.move(x, y - 9);
    EXPECT_EQ(cycler->index(), 2);
    rig.move(x, y - 18);
    EXPECT_EQ(cycler->index(), 2);  // stops at the last
    rig.move(x, y - 9);
    EXPECT_EQ(cycler->index(), 1);
    rig.release(x, y - 9);
}

TEST_F(TestTable, TheGlobalDisplaysFollowTheLastTouchedControl) {
    auto* number = get<QB_GlobalNumberDisplay>(kNumber);
    auto* name = get<QB_GlobalNameDisplay>(kName);
    ASSERT_NE(number, nullptr);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(rig.vst().editorState().globalNumberDisplayIndex(), kNumber);
    EXPECT_EQ(rig.vst().editorState().globalNameDisplayIndex(), kName);
    rig.press(220, 30);  // the Response knob
    rig.release(220, 30);
    EXPECT_EQ(number->shownControl(), 4);
    EXPECT_EQ(rig.vst().editorState().globalDisplayTag(), 4);
    EXPECT_EQ(std::string(number->getText()), "502.5000");  // 1000 + (5 - 1000) x 0.5
    rig.vst().setParameter(4, 1.f);
    EXPECT_EQ(std::string(number->getText()), "5.0000");
    rig.idle();
    // A program change forgets the shown control.
    rig.vst().setProgram(1);
    rig.idle();
    EXPECT_EQ(number->shownControl(), 0);
    EXPECT_EQ(name->shownControl(), 0);
}

TEST_F(TestTable, AnImageTakesFrameCommandsAndFades) {
    auto* image = get<QB_GUI_Image>(kImage);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->isVisible());
    EXPECT_EQ(image->alpha(), 255);
    qbSendLink(image, nullptr, kLinkSet, kImageNextFrame, 1.f);
    qbSendLink(image, nullptr, kLinkSet, kImageNextFrame, 1.f);
    EXPECT_EQ(image->frame(), 2);
    qbSendLink(image, nullptr, kLinkSet, kImagePreviousFrame, 1.f);
    EXPECT_EQ(image->frame(), 1);
    qbSendLink(image, nullptr, kLinkSet, kImageFrameByValue, 1.f);
    EXPECT_EQ(image->frame(), 7);
    qbSendLink(image, nullptr, kLinkSet, kImageFrame, 3.f);
    EXPECT_EQ(image->frame(), 3);
    qbSendLink(image, nullptr, kLinkSet, kImageFade, -64.f);
    for (int i = 0; i < 10; ++i) rig.idle();
    EXPECT_EQ(image->alpha(), 0);
    EXPECT_FALSE(image->isVisible());
}

TEST_F(TestTable, AStaticTextShowsItsRecordsText) {
    auto* label = get<QB_GUI_TextOnly>(kLabel);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Label text");
    EXPECT_EQ(label->getViewSize(), CRect(10, 100, 70, 116));
}

TEST_F(TestTable, ExclusiveButtonsKeepOneOfTheirGroupLitAndShowTheirContainer) {
    auto* a = get<QB_ExclusiveButton>(kFirstExclusive);
    auto* b = get<QB_ExclusiveButton>(kFirstExclusive + 1);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    CViewContainer* nested = nullptr;
    for (CView* v : rig.editor().frame()->children())
        if (auto* c = dynamic_cast<CViewContainer*>(v)) nested = c;
    ASSERT_NE(nested, nullptr);
    EXPECT_EQ(nested->getViewSize(), CRect(300, 200, 380, 252));
    rig.click(50, 146);  // a lights
    EXPECT_EQ(a->getValue(), 1.f);
    EXPECT_EQ(b->getValue(), 0.f);
    EXPECT_FALSE(nested->isVisible());
    rig.click(50, 176);  // b lights, a goes out, b's container shows
    EXPECT_EQ(a->getValue(), 0.f);
    EXPECT_EQ(b->getValue(), 1.f);
    EXPECT_TRUE(nested->isVisible());
    rig.click(50, 176);  // b would leave the group all off: it lights itself again
    EXPECT_EQ(b->getValue(), 1.f);
}

TEST_F(TestTable, ASpringKnobReturnsToTheMiddleOnReleaseAndATurningKnobTakesSixHundredFortyPixels) {
    rig.press(270, 320);
    rig.move(270, 310);
    EXPECT_NE(rig.vst().getParameter(kSpring), 0.5f);
    rig.release(270, 310);
    EXPECT_EQ(rig.vst().getParameter(kSpring), 0.5f);
    rig.vst().setParameter(kRotate, 0.5f);
    for (int i = 0; i < 60; ++i) rig.idle();
    rig.press(320, 320);
    rig.move(320, 256);
    rig.release(320, 256);
    EXPECT_NEAR(rig.vst().getParameter(kRotate), 0.6f, 1e-5f);  // 64 of 640 pixels
    rig.idle();  // draws the turned layers
}

TEST_F(TestTable, AnimationModesJumpRunAtDoubleSpeedOrPulse) {
    auto* jump = get<QB_AnimButton>(kJumpOn);
    auto* twice = get<QB_AnimButton>(kDoubleOn);
    auto* pulse = get<QB_AnimButton>(kPulse);
    ASSERT_TRUE(jump && twice && pulse);
    for (int32_t c : {kJumpOn, kDoubleOn, kPulse}) rig.vst().setParameter(c, 1.f);
    EXPECT_EQ(jump->position(), 1.f);  // mode 0: at once
    rig.idle();
    EXPECT_NEAR(twice->position(), 1.f / 7.f, 1e-6f);  // mode 1: twice the 0.5-speed step
    EXPECT_NEAR(pulse->position(), 1.f / 7.f, 1e-6f);  // mode 3 starts at the lowest lit frame
    float lowest = 1.f, highest = 0.f;
    for (int i = 0; i < 200; ++i) {
        rig.idle();
        if (i > 20) {
            lowest = std::min(lowest, pulse->position());
            highest = std::max(highest, pulse->position());
        }
    }
    EXPECT_NEAR(lowest, 1.f / 7.f, 1e-5f);  // mode 3 pulses between the lowest lit frame
    EXPECT_EQ(highest, 1.f);                // and the last
    EXPECT_EQ(twice->position(), 1.f);
}

TEST_F(TestTable, OptionImagesShowTheirOptionAtOnceStepTowardItOrCrossFade) {
    auto* strip = get<QB_COptionsImage>(kStrip);
    auto* stepping = get<QB_COptionsImage>(kStepping);
    auto* fading = get<QB_COptionsImage>(kFading);
    ASSERT_TRUE(strip && stepping && fading);
    EXPECT_EQ(strip->getViewSize(), CRect(350, 300, 390, 1100));  // three frames of the strip
    for (int32_t c : {kStrip, kStepping, kFading}) rig.vst().setParameter(c, 1.f);
    EXPECT_EQ(strip->position(), 1.f);
    EXPECT_EQ(fading->position(), 1.f);
    rig.idle();
    EXPECT_FLOAT_EQ(stepping->position(), 0.5f);  // half the way per tick at speed 0.5
    rig.idle();
    EXPECT_FLOAT_EQ(stepping->position(), 1.f);
    EXPECT_EQ(fading->index(), 2);
}

TEST_F(Readout, SelectAllAndTypingReplacesTheWholeText) {
    rig.click(kBasicReadoutX, kReadoutY);
    rig.key(QB_Key::right);  // ends the selection of the whole text
    rig.type("5");
    EXPECT_EQ(readout(rig, 1)->editedText(), "0.0005");
    QB_InputEvent selectAll;
    selectAll.type = QB_InputEvent::Type::keyDown;
    selectAll.key = QB_Key::character;
    selectAll.text[0] = 'a';
    selectAll.buttons = kQbControl;
    rig.window().inject(selectAll);
    rig.idle(0);
    rig.type("1");
    EXPECT_EQ(readout(rig, 1)->editedText(), "1");
    rig.key(QB_Key::enter);
    EXPECT_FLOAT_EQ(rig.vst().getParameter(C::kBasic), 0.6f);
}

}  // namespace
