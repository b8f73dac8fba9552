#include <gtest/gtest.h>

#include "imaging/DibImage.h"

namespace {
void ExpectBox(const CDibImage& image, LONG left, LONG right, LONG bottom, LONG top) {
    RECT box;
    image.SelectionGetBox(box);
    EXPECT_EQ(box.left, left);
    EXPECT_EQ(box.right, right);
    EXPECT_EQ(box.bottom, bottom);
    EXPECT_EQ(box.top, top);
}
} // namespace

TEST(DibImageSelection, BoxesFollowTheMask) {
    CDibImage image(100, 50, 24, 0);
    EXPECT_TRUE(image.SelectionIsInside(3, 3)); // no mask: everything is selected
    EXPECT_FALSE(image.SelectionIsInside(100, 3));
    EXPECT_FALSE(image.SelectionClear(0));
    ASSERT_TRUE(image.SelectionCreate());
    EXPECT_TRUE(image.SelectionClear(0));
    ExpectBox(image, 100, 0, 50, 0);
    EXPECT_TRUE(image.SelectionClear(255));
    ExpectBox(image, 0, 100, 0, 50);

    CDibImage fresh(100, 50, 24, 0);
    EXPECT_TRUE(fresh.SelectionSetPixel(10, 20, 255));
    ExpectBox(fresh, 10, 11, 20, 21);
    EXPECT_TRUE(fresh.SelectionIsInside(10, 20));
    EXPECT_FALSE(fresh.SelectionIsInside(11, 20));

    CDibImage flip(100, 50, 24, 0);
    EXPECT_TRUE(flip.SelectionFillRect(0, 10, 5, 19));
    ExpectBox(flip, 0, 6, 10, 20);
    EXPECT_TRUE(flip.SelectionFlip());
    ExpectBox(flip, 0, 6, 30, 40);
    EXPECT_EQ(flip.SelectionGetAt(0, 39), 255);
    EXPECT_EQ(flip.SelectionGetAt(0, 29), 0);
    EXPECT_TRUE(flip.SelectionMirror());
    ExpectBox(flip, 94, 100, 30, 40);
    EXPECT_EQ(flip.SelectionGetAt(99, 30), 255);

    CDibImage shapes(20, 20, 8, 0);
    EXPECT_FALSE(shapes.SelectionFillEllipse(5, 5, 5, 9)); // a = 0
    EXPECT_TRUE(shapes.SelectionFillEllipse(2, 2, 12, 12));
    EXPECT_EQ(shapes.SelectionGetAt(7, 7), 255);
    EXPECT_EQ(shapes.SelectionGetAt(2, 2), 0);
    const POINT triangle[3] = {{0, 0}, {10, 0}, {0, 10}};
    CDibImage poly(20, 20, 8, 0);
    EXPECT_TRUE(poly.SelectionFillPolygon(triangle, 3));
    EXPECT_EQ(poly.SelectionGetAt(2, 2), 255);
    EXPECT_EQ(poly.SelectionGetAt(9, 9), 0);
    EXPECT_FALSE(poly.SelectionFillPolygon(triangle, 2));
}

TEST(DibImageSelection, SetFromGrayImage) {
    CDibImage image(4, 2, 24, 0);
    CDibImage notGray(4, 2, 24, 0);
    EXPECT_FALSE(image.SelectionSet(notGray));
    EXPECT_STREQ(image.GetLastErrorText(),
                 "CDibImage::SelectionSet: wrong width or height, or image is not gray scale");
    CDibImage mask(4, 2, 8, 0);
    mask.SetGrayPalette();
    mask.SetPixelIndex(1, 1, 200);
    EXPECT_TRUE(image.SelectionSet(mask));
    ExpectBox(image, 1, 2, 1, 2);
    CDibImage back;
    EXPECT_TRUE(image.SelectionToGrayImage(&back));
    EXPECT_EQ(back.GetPixelIndex(1, 1), 200);
}

TEST(DibImageAlpha, ChannelBasics) {
    CDibImage image(3, 3, 24, 0);
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGetAt(0, 0), 0);
    ASSERT_TRUE(image.AlphaCreate());
    EXPECT_EQ(image.AlphaGetAt(2, 2), 255);
    image.AlphaSetAt(0, 0, 10);
    image.AlphaSetAt(0, 1, 20);
    image.AlphaSetAt(0, 2, 30);
    image.AlphaSetAt(5, 5, 1); // outside: nothing
    EXPECT_TRUE(image.AlphaFlip());
    EXPECT_EQ(image.AlphaGetAt(0, 0), 30);
    EXPECT_EQ(image.AlphaGetAt(0, 1), 20); // the middle row stays
    EXPECT_EQ(image.AlphaGetAt(0, 2), 10);
    EXPECT_TRUE(image.AlphaMirror());
    EXPECT_EQ(image.AlphaGetAt(2, 0), 30);
    image.AlphaInvert();
    EXPECT_EQ(image.AlphaGetAt(2, 0), 225);

    CDibImage other(4, 3, 24, 0);
    other.AlphaCreate();
    other.AlphaFill(9);
    EXPECT_FALSE(image.AlphaCopy(other)); // another size: unchanged
    EXPECT_EQ(image.AlphaGetAt(2, 0), 225);
    CDibImage same(3, 3, 24, 0);
    same.AlphaCreate();
    same.AlphaFill(9);
    same.SetAlphaMax(100);
    EXPECT_TRUE(image.AlphaCopy(same));
    EXPECT_EQ(image.AlphaGetAt(1, 1), 9);
    EXPECT_EQ(image.GetAlphaMax(), 100);
    image.AlphaDelete();
    EXPECT_EQ(image.AlphaGetPointer(), nullptr);
}

TEST(DibImageAlpha, BlendIntoPixelsTakesKeyColour) {
    CDibImage image(2, 1, 24, 0);
    image.SetPixelColor(0, 0, RGB(200, 200, 200));
    image.SetPixelColor(1, 0, RGB(200, 200, 200));
    image.SetKeyColor(RGBQUAD{0, 0, 100, 0});
    image.AlphaCreate();
    image.AlphaSetAt(0, 0, 0);
    image.AlphaBlendIntoPixels();
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 100); // transparent: the key colour
    EXPECT_EQ(image.GetPixelColor(1, 0).rgbRed, (100 * 1 + 200 * 255) >> 8);
}

TEST(DibImageLayers, InsertDeleteAndLookup) {
    CDibImage image(2, 2, 24, 0);
    EXPECT_EQ(image.GetLayerAt(0), nullptr);
    EXPECT_TRUE(image.InsertLayer());
    EXPECT_TRUE(image.InsertLayer(0));
    EXPECT_EQ(image.GetLayerCount(), 2);
    CDibImage* last = image.GetLayerAt(1);
    EXPECT_EQ(image.GetLayerAt(-1), last);
    EXPECT_EQ(last->GetParentImage(), &image);
    EXPECT_FALSE(image.DeleteLayer(5));
    EXPECT_TRUE(image.DeleteLayer(-1));
    EXPECT_EQ(image.GetLayerCount(), 1);
    // The rest goes with the image (ASan reports a leak otherwise).
}
