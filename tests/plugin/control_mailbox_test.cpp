#include "plugin/control_mailbox.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<QB_ControlMessage> drainAll(QB_ControlMailbox& box) {
    std::vector<QB_ControlMessage> out;
    box.drain([&](const QB_ControlMessage& m) { out.push_back(m); });
    return out;
}

TEST(ControlMailbox, ChangesArriveInOrderIncludingAPressAndItsRelease) {
    QB_ControlMailbox box;
    box.push({37, 0.1f, 1.f});
    box.push({37, 0.f, 0.f});
    box.push({4, 50.f, 0.5f});
    const auto got = drainAll(box);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].control, 37);
    EXPECT_EQ(got[0].value, 0.1f);
    EXPECT_EQ(got[1].value, 0.f);
    EXPECT_EQ(got[2].control, 4);
    EXPECT_TRUE(box.empty());
}

TEST(ControlMailbox, AFullRingKeepsTheLatestValueOfEveryOverflowedControl) {
    QB_ControlMailbox box;
    for (uint32_t i = 0; i < QB_ControlMailbox::kCapacity; ++i) box.push({1, float(i), 0.f});
    box.push({5, 1.f, 0.f});
    box.push({5, 2.f, 0.f});
    box.push({1, -7.f, 0.f});
    const auto got = drainAll(box);
    ASSERT_EQ(got.size(), QB_ControlMailbox::kCapacity + 2);
    // The overflow entries come last, one per control, with the latest value.
    EXPECT_EQ(got[got.size() - 2].control, 1);
    EXPECT_EQ(got[got.size() - 2].value, -7.f);
    EXPECT_EQ(got.back().control, 5);
    EXPECT_EQ(got.back().value, 2.f);
    EXPECT_TRUE(box.empty());
}

TEST(ControlMailbox, OutOfRangeControlsAreIgnored) {
    QB_ControlMailbox box;
    box.push({-1, 1.f, 1.f});
    box.push({64, 1.f, 1.f});
    EXPECT_TRUE(box.empty());
}

}  // namespace
