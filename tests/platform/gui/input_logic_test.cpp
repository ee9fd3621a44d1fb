// The input logic every window backend shares: double-click pairing and typed text.
#include <gtest/gtest.h>

#include <string>

#include "platform/gui/input_logic.h"

namespace {

std::string textOf(uint32_t c, bool* ok) {
    char text[8];
    *ok = qbCharacterText(c, text);
    return text;
}

}  // namespace

TEST(InputLogic, APressPairsWithTheOneBeforeWhenQuickCloseAndOfTheSameButton) {
    QB_ClickPairing clicks;
    EXPECT_FALSE(clicks.press(1, 10, 10, 1000, 400));
    EXPECT_TRUE(clicks.press(1, 12, 13, 1400, 400));
    // The third press starts a new pair.
    EXPECT_FALSE(clicks.press(1, 12, 13, 1500, 400));
    EXPECT_TRUE(clicks.press(1, 12, 13, 1600, 400));

    EXPECT_FALSE(clicks.press(1, 10, 10, 5000, 400));
    EXPECT_FALSE(clicks.press(1, 10, 10, 5401, 400));  // too late
    EXPECT_FALSE(clicks.press(1, 10 + QB_ClickPairing::kMaxDistance + 1, 10, 5500, 400));  // too far
    EXPECT_FALSE(clicks.press(3, 15, 10, 5600, 400));  // another button
    EXPECT_TRUE(clicks.press(3, 15, 10, 5700, 400));

    // Across the wrap of the 32-bit clock.
    EXPECT_FALSE(clicks.press(1, 0, 0, 0xffffff00u, 400));
    EXPECT_TRUE(clicks.press(1, 0, 0, 0x40, 400));
}

TEST(InputLogic, CharactersOfEveryLengthBecomeUtf8AndControlsAndSurrogatesNone) {
    bool ok = false;
    EXPECT_EQ(textOf('a', &ok), "a");
    EXPECT_TRUE(ok);
    EXPECT_EQ(textOf(0xe9, &ok), "\xc3\xa9");
    EXPECT_EQ(textOf(0x20ac, &ok), "\xe2\x82\xac");
    EXPECT_EQ(textOf(0x1f3b5, &ok), "\xf0\x9f\x8e\xb5");
    EXPECT_EQ(textOf(0x10ffff, &ok), "\xf4\x8f\xbf\xbf");
    EXPECT_TRUE(ok);
    for (uint32_t none : {0u, 0x08u, 0x0du, 0x1bu, 0x7fu, 0x9bu, 0xd800u, 0xdfffu, 0x110000u}) {
        EXPECT_EQ(textOf(none, &ok), "") << std::hex << none;
        EXPECT_FALSE(ok) << std::hex << none;
    }
}
