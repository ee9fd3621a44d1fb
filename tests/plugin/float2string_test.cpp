#include "plugin/float2string.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

std::string text(float value, int32_t maxLen = 8) {
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    float2string(value, buffer, maxLen);
    return buffer;
}

TEST(Float2String, WritesEightCharactersWithoutRounding) {
    EXPECT_EQ(text(0.5f), "0.500000");
    EXPECT_EQ(text(-5.f), "-5.00000");
    EXPECT_EQ(text(1000.f), "1000.000");
    EXPECT_EQ(text(0.7f), "0.699999");
    EXPECT_EQ(text(0.f), "0.000000");
    EXPECT_EQ(text(-0.f), "0.000000");
    EXPECT_EQ(text(12.25f), "12.25000");
    EXPECT_EQ(text(-0.125f), "-0.12500");
    EXPECT_EQ(text(0.999999f), "0.999998");  // the float lies just below 0.999999
}

TEST(Float2String, WholeNumbersThatFillTheWidthEndWithThePoint) {
    EXPECT_EQ(text(1234567.f), "1234567.");
    EXPECT_EQ(text(-123456.f), "-123456.");
    EXPECT_EQ(text(1234567.f, 16), "1234567.");
}

TEST(Float2String, EightDigitNumbersKeepEveryDigit) {
    EXPECT_EQ(text(12345678.f), "12345678");
    EXPECT_EQ(text(-1234567.f), "-1234567");
    EXPECT_EQ(text(99999992.f), "99999992");
}

TEST(Float2String, TooLargeValuesAndNaNGiveTheEmptyText) {
    EXPECT_EQ(text(100000000.f), "");
    EXPECT_EQ(text(-10000000.f), "");
    EXPECT_EQ(text(std::numeric_limits<float>::infinity()), "");
    EXPECT_EQ(text(-std::numeric_limits<float>::infinity()), "");
    EXPECT_EQ(text(std::nanf("")), "");
    EXPECT_EQ(text(std::numeric_limits<float>::max()), "");
    EXPECT_EQ(text(-9999999.f), "-9999999");
}

TEST(Float2String, MaxLenCutsTheTextAndTerminatesRightAfterIt) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    float2string(0.5f, buffer, 3);
    EXPECT_STREQ(buffer, "0.5");
    EXPECT_EQ(buffer[4], '#');
    EXPECT_EQ(text(0.5f, 0), "");
    EXPECT_EQ(text(0.5f, -4), "");
    float2string(0.5f, nullptr, 8);  // no buffer: nothing written
}

}  // namespace
