// Translation of Win32 mouse flags, virtual keys and WM_CHAR units, without a window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32_gui/win32_input.h"

TEST(Win32Input, MouseFlagsNameTheHeldButtonsAndModifiersAndAltComesApart) {
    EXPECT_EQ(qbWin32MouseBits(MK_LBUTTON | MK_SHIFT, false), kQbLeftButton | kQbShift);
    EXPECT_EQ(qbWin32MouseBits(MK_MBUTTON | MK_RBUTTON | MK_CONTROL, true),
              kQbMiddleButton | kQbRightButton | kQbControl | kQbAlt);
    // The extra buttons are not reported.
    EXPECT_EQ(qbWin32MouseBits(MK_XBUTTON1 | MK_XBUTTON2, false), 0u);
    EXPECT_EQ(qbWin32ButtonBit(WM_RBUTTONUP), kQbRightButton);
    EXPECT_EQ(qbWin32ButtonBit(WM_MBUTTONDOWN), kQbMiddleButton);
    EXPECT_EQ(qbWin32ButtonBit(WM_MOUSEMOVE), 0u);
}

TEST(Win32Input, EditingKeysAreNamedAndTypingKeysWaitForTheirText) {
    const struct {
        UINT vk;
        QB_Key key;
    } cases[] = {{VK_RETURN, QB_Key::enter}, {VK_ESCAPE, QB_Key::escape}, {VK_BACK, QB_Key::backspace},
                 {VK_DELETE, QB_Key::deleteKey}, {VK_LEFT, QB_Key::left}, {VK_RIGHT, QB_Key::right},
                 {VK_UP, QB_Key::up}, {VK_DOWN, QB_Key::down}, {VK_HOME, QB_Key::home},
                 {VK_END, QB_Key::end}, {VK_TAB, QB_Key::tab}};
    for (const auto& c : cases) {
        EXPECT_EQ(qbWin32Key(c.vk, false), c.key) << c.vk;
        EXPECT_EQ(qbWin32Key(c.vk, true), c.key) << c.vk;  // Enter types a CR, still Enter
    }
    EXPECT_EQ(qbWin32Key('A', true), QB_Key::character);
    EXPECT_EQ(qbWin32Key(VK_F5, false), QB_Key::other);
    EXPECT_EQ(qbWin32Key(VK_SHIFT, false), QB_Key::other);
}

TEST(Win32Input, CharacterUnitsBecomeUtf8AndSurrogatePairsOneCharacter) {
    QB_Utf16Keys keys;
    char text[8];
    EXPECT_TRUE(keys.feed(L'2', text));
    EXPECT_EQ(std::string(text), "2");
    EXPECT_TRUE(keys.feed(0x20ac, text));
    EXPECT_EQ(std::string(text), "\xe2\x82\xac");
    // U+1F3B5 arrives as D83C DFB5.
    EXPECT_FALSE(keys.feed(0xd83c, text));
    EXPECT_TRUE(keys.feed(0xdfb5, text));
    EXPECT_EQ(std::string(text), "\xf0\x9f\x8e\xb5");
    // A low surrogate on its own, and the control characters of Enter, Escape and
    // Backspace, type nothing.
    for (uint32_t none : {0xdc00u, 0x0du, 0x1bu, 0x08u}) {
        EXPECT_FALSE(keys.feed(none, text)) << std::hex << none;
        EXPECT_EQ(std::string(text), "");
    }
    // A high surrogate followed by no low one is dropped, and what follows still types.
    EXPECT_FALSE(keys.feed(0xd83c, text));
    EXPECT_TRUE(keys.feed(L'a', text));
    EXPECT_EQ(std::string(text), "a");
}
