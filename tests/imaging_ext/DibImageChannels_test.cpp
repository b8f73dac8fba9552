// The colour-channel display of Wavenor's R, G and B effect buttons.
#include <gtest/gtest.h>

#include <cstring>

#include "imaging/DibImage.h"

// A 3x1 picture has 9 bytes of pixels and 3 of padding per row: the channels stay aligned and
// the padding is left as it was.
TEST(DibImageChannels, MasksOnAPaddedRow) {
    struct Case {
        DWORD mask;
        BYTE want[9]; // blue, green, red of the three pixels
    } cases[] = {
        {0x1, {30, 30, 30, 3, 3, 3, 255, 255, 255}},   {0x10, {20, 20, 20, 2, 2, 2, 0, 0, 0}},
        {0x100, {10, 10, 10, 1, 1, 1, 128, 128, 128}}, {0x11, {0, 20, 30, 0, 2, 3, 0, 0, 255}},
        {0x101, {10, 0, 30, 1, 0, 3, 128, 0, 255}},    {0x110, {10, 20, 0, 1, 2, 0, 128, 0, 0}},
        {0x111, {10, 20, 30, 1, 2, 3, 128, 0, 255}},   {0, {10, 20, 30, 1, 2, 3, 128, 0, 255}},
        {0x1000, {10, 20, 30, 1, 2, 3, 128, 0, 255}},
    };
    const BYTE row[12] = {10, 20, 30, 1, 2, 3, 128, 0, 255, 0xAB, 0xCD, 0xEF};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        CDibImage image(3, 2, 24);
        ASSERT_EQ(image.GetRowStride(), 12u);
        for (DWORD y = 0; y < 2; ++y)
            std::memcpy(image.GetBits(y), row, 12);
        EXPECT_FALSE(image.ShowColorChannels(c.mask));
        for (DWORD y = 0; y < 2; ++y) {
            EXPECT_EQ(std::memcmp(image.GetBits(y), c.want, 9), 0);
            EXPECT_EQ(std::memcmp(image.GetBits(y) + 9, row + 9, 3), 0);
        }
    }
}

TEST(DibImageChannels, OtherDepthsAndEmptyImagesStayAsTheyAre) {
    CDibImage gray(4, 1, 8);
    gray.SetPixelIndex(1, 0, 77);
    EXPECT_FALSE(gray.ShowColorChannels(0x1));
    EXPECT_EQ(gray.GetPixelIndex(1, 0), 77);
    CDibImage empty;
    EXPECT_FALSE(empty.ShowColorChannels(0x11));
    EXPECT_FALSE(empty.IsValid());
}
