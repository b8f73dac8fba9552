// Wavenor's image: one more format slot for PNG, no detection members.
#include <gtest/gtest.h>

#include "imaging/DibImage.h"

TEST(DibImageWavenor, FormatTableHasThePngSlot) {
    EXPECT_EQ(CDibImage::GetFormatCount(), 3u);
    EXPECT_EQ(CDibImage::GetIndexFromType(DIBIMAGE_TYPE_PNG), 3u);
    EXPECT_EQ(CDibImage::GetTypeFromIndex(3), DIBIMAGE_TYPE_PNG);
    EXPECT_EQ(CDibImage::GetTypeFromExtension(u"PNG"), DIBIMAGE_TYPE_PNG);
    CDibImage image(DIBIMAGE_TYPE_PNG);
    EXPECT_TRUE(image.SetCodecOption(1));
    EXPECT_EQ(image.GetCodecOption(DIBIMAGE_TYPE_PNG), 1u);
    EXPECT_EQ(image.GetCodecOption(DIBIMAGE_TYPE_JPG), 0u);
    EXPECT_TRUE(image.SetImageType(DIBIMAGE_TYPE_PNG));
}
