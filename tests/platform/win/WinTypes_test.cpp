#include "platform/win/WinTypes.h"

#include <cstddef>
#include <gtest/gtest.h>

// Byte layouts that files and frame headers rely on.
TEST(WinTypes, LayoutsMatchWindows) {
    EXPECT_EQ(offsetof(BITMAPFILEHEADER, bfSize), 2u);
    EXPECT_EQ(offsetof(BITMAPFILEHEADER, bfOffBits), 10u);
    EXPECT_EQ(offsetof(LOGFONTW, lfFaceName), 28u);
    EXPECT_EQ(offsetof(VIDEOINFOHEADER, AvgTimePerFrame), 40u);
    EXPECT_EQ(offsetof(VIDEOINFOHEADER, bmiHeader), 48u);
}

TEST(WinTypes, PackingHelpers) {
    EXPECT_EQ(RGB(1, 2, 3), 0x00030201u);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
    LPARAM lp = MAKELPARAM(static_cast<WORD>(-5), 7);
    EXPECT_EQ(GET_X_LPARAM(lp), -5);
    EXPECT_EQ(GET_Y_LPARAM(lp), 7);
    EXPECT_EQ(LOWORD(lp), 0xfffb);
}
