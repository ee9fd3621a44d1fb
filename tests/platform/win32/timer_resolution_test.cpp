// Timer resolution on Windows goes to the multimedia timer, which refuses periods it
// cannot serve (the Linux stand-in accepts everything).
#include <gtest/gtest.h>

#include "platform/timer_resolution.h"

namespace {

TEST(TimerResolution, OneMillisecondIsRaisedAndRestoredAndAZeroPeriodIsRefused) {
    EXPECT_EQ(qbTimeBeginPeriod(1), 0);
    EXPECT_EQ(qbTimeEndPeriod(1), 0);
    EXPECT_NE(qbTimeBeginPeriod(0), 0);
    EXPECT_NE(qbTimeEndPeriod(0), 0);
}

}  // namespace
