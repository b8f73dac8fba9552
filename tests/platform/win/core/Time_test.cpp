#include "platform/win/core/Time.h"

#include <gtest/gtest.h>

TEST(Time, TestClockIsSetAndAdvanced) {
    SYSTEMTIME t{2024, 2, 0, 29, 23, 59, 59, 900};
    ms::SetTestClock(t, 5000);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, 2024);
    EXPECT_EQ(now.wDayOfWeek, 4); // 29 February 2024 was a Thursday
    EXPECT_EQ(now.wMilliseconds, 900);
    EXPECT_EQ(GetTickCount(), 5000u);
    ms::AdvanceTestClock(200);
    GetSystemTime(&now);
    EXPECT_EQ(now.wMonth, 3);
    EXPECT_EQ(now.wDay, 1);
    EXPECT_EQ(now.wHour, 0);
    EXPECT_EQ(now.wMilliseconds, 100);
    EXPECT_EQ(GetTickCount(), 5200u);
    ms::ClearTestClock();
    GetLocalTime(&now);
    EXPECT_GE(now.wYear, 2025);
}
