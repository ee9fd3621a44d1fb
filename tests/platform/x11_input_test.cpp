// Translation of X11 state, keysyms and click times, without a display.
// GoogleTest before the X headers: they define None as a macro.
#include <gtest/gtest.h>

#include <X11/X.h>
#include <X11/keysym.h>

#include <string>

#include "platform/x11/x11_input.h"

namespace {

std::string textOf(KeySym keysym, QB_Key* key) {
    char text[8];
    *key = qbX11Key(keysym, text);
    return text;
}

}  // namespace

TEST(X11Input, StateBitsNameTheHeldButtonsAndModifiersOnly) {
    EXPECT_EQ(qbX11StateBits(Button1Mask | ShiftMask), kQbLeftButton | kQbShift);
    EXPECT_EQ(qbX11StateBits(Button2Mask | Button3Mask | ControlMask | Mod1Mask),
              kQbMiddleButton | kQbRightButton | kQbControl | kQbAlt);
    // Caps Lock, Num Lock (Mod2), the wheel buttons and Super (Mod4) are not reported.
    EXPECT_EQ(qbX11StateBits(LockMask | Mod2Mask | Mod4Mask | Button4Mask | Button5Mask), 0u);
    EXPECT_EQ(qbX11ButtonBit(Button3), kQbRightButton);
    EXPECT_EQ(qbX11ButtonBit(Button4), 0u);
}

TEST(X11Input, EditingKeysAndTheirKeypadTwinsAreNamed) {
    const struct {
        KeySym keysym;
        QB_Key key;
    } cases[] = {{XK_Return, QB_Key::enter},       {XK_KP_Enter, QB_Key::enter},   {XK_Escape, QB_Key::escape},
                 {XK_BackSpace, QB_Key::backspace}, {XK_KP_Delete, QB_Key::deleteKey}, {XK_KP_Left, QB_Key::left},
                 {XK_Right, QB_Key::right},        {XK_Up, QB_Key::up},             {XK_KP_Down, QB_Key::down},
                 {XK_Home, QB_Key::home},          {XK_KP_End, QB_Key::end},        {XK_ISO_Left_Tab, QB_Key::tab},
                 {XK_Shift_L, QB_Key::other},      {XK_F5, QB_Key::other}};
    for (const auto& c : cases) {
        QB_Key key;
        EXPECT_EQ(textOf(c.keysym, &key), "") << std::hex << c.keysym;
        EXPECT_EQ(key, c.key) << std::hex << c.keysym;
    }
}

TEST(X11Input, CharacterKeysCarryTheirUtf8) {
    QB_Key key;
    EXPECT_EQ(textOf(XK_a, &key), "a");
    EXPECT_EQ(key, QB_Key::character);
    EXPECT_EQ(textOf(XK_eacute, &key), "\xc3\xa9");
    EXPECT_EQ(textOf(XK_EuroSign, &key), "\xe2\x82\xac");
    EXPECT_EQ(textOf(0x01000000 + 0x263a, &key), "\xe2\x98\xba");
    EXPECT_EQ(textOf(0x01000000 + 0x1f3b5, &key), "\xf0\x9f\x8e\xb5");
    EXPECT_EQ(textOf(XK_KP_7, &key), "7");
    EXPECT_EQ(textOf(XK_KP_Decimal, &key), ".");
    EXPECT_EQ(key, QB_Key::character);
    // A surrogate is no character.
    EXPECT_EQ(textOf(0x01000000 + 0xd800, &key), "");
    EXPECT_EQ(key, QB_Key::other);
}
