// Point adjustments, neighbourhood filters and blurs.
#include "imaging/DibImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

RGBQUAD Colour(BYTE r, BYTE g, BYTE b) {
    return RGBQUAD{b, g, r, 0};
}

CDibImage Filled(DWORD w, DWORD h, RGBQUAD c) {
    CDibImage image(w, h, 24, 0);
    for (long y = 0; y < static_cast<long>(h); ++y)
        for (long x = 0; x < static_cast<long>(w); ++x)
            image.SetPixelColor(x, y, c);
    return image;
}

std::vector<BYTE> Pixels(const CDibImage& image) {
    const BYTE* p = image.GetBits();
    return std::vector<BYTE>(p, p + image.GetHeader().biSizeImage);
}

} // namespace

TEST(DibImageAdjust, RefusalsOnAnEmptyImage) {
    const std::vector<std::pair<const char*, std::function<bool(CDibImage&)>>> ops = {
        {"OffsetChannels", [](CDibImage& i) { return i.OffsetChannels(1, 1, 1); }},
        {"ApplyGamma", [](CDibImage& i) { return i.ApplyGamma(1); }},
        {"Solarize", [](CDibImage& i) { return i.Solarize(); }},
        {"AddNoise", [](CDibImage& i) { return i.AddNoise(10); }},
        {"ReduceRedEye", [](CDibImage& i) { return i.ReduceRedEye(); }},
        {"Erode", [](CDibImage& i) { return i.Erode(3); }},
        {"ContourEdges", [](CDibImage& i) { return i.ContourEdges(); }},
        {"Jitter", [](CDibImage& i) { return i.Jitter(2); }},
        {"GaussianBlur", [](CDibImage& i) { return i.GaussianBlur(2); }},
        {"SelectiveBlur", [](CDibImage& i) { return i.SelectiveBlur(2, 20); }},
        {"UnsharpMask", [](CDibImage& i) { return i.UnsharpMask(); }},
        {"RampSteps", [](CDibImage& i) { return i.RampSteps(); }},
    };
    for (const auto& [name, op] : ops) {
        CDibImage empty;
        EXPECT_FALSE(op(empty)) << name;
    }
    CDibImage empty;
    EXPECT_EQ(empty.MeanGrayLevel(), 0);
}

TEST(DibImageAdjust, GammaRefusesNonPositiveValues) {
    CDibImage image = Filled(2, 2, Colour(100, 150, 200));
    const std::vector<BYTE> before = Pixels(image);
    EXPECT_FALSE(image.ApplyGamma(0));
    EXPECT_FALSE(image.ApplyGammaRgb(1, 0, 1));
    EXPECT_EQ(Pixels(image), before);
    ASSERT_TRUE(image.ApplyGamma(1));
    EXPECT_EQ(Pixels(image), before);
    ASSERT_TRUE(image.ApplyGammaRgb(2, 1, 1));
    EXPECT_GT(image.GetPixelColor(0, 0).rgbRed, 100); // gamma 2 lifts the middle
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbGreen, 150);
}

TEST(DibImageAdjust, PointAdjustments) {
    CDibImage image = Filled(2, 1, Colour(250, 10, 128));
    ASSERT_TRUE(image.OffsetChannels(10, -20, 0));
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 255);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbGreen, 0);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbBlue, 128);

    CDibImage sol = Filled(1, 1, Colour(200, 50, 129));
    ASSERT_TRUE(sol.Solarize(128, false));
    EXPECT_EQ(sol.GetPixelColor(0, 0).rgbRed, 55);
    EXPECT_EQ(sol.GetPixelColor(0, 0).rgbGreen, 50);
    EXPECT_EQ(sol.GetPixelColor(0, 0).rgbBlue, 126);

    CDibImage eye = Filled(1, 1, Colour(200, 50, 80));
    ASSERT_TRUE(eye.ReduceRedEye(0.5f));
    EXPECT_EQ(eye.GetPixelColor(0, 0).rgbRed, 125);

    CDibImage noise = Filled(3, 3, Colour(10, 20, 30));
    const std::vector<BYTE> before = Pixels(noise);
    ASSERT_TRUE(noise.AddNoise(0));
    EXPECT_EQ(Pixels(noise), before);
    ASSERT_TRUE(noise.AddNoise(40));
    for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 3; ++x)
            EXPECT_LE(std::abs(noise.GetPixelColor(x, y).rgbBlue - 30), 20);

    CDibImage paint(2, 1, 24, 0);
    paint.SetPixelColor(1, 0, Colour(255, 255, 255));
    ASSERT_TRUE(paint.PaintByGrayLevel(128, true, Colour(255, 0, 0)));
    EXPECT_EQ(paint.GetPixelColor(1, 0).rgbGreen, 0);
    EXPECT_EQ(paint.GetPixelColor(0, 0).rgbRed, 0);
    EXPECT_NEAR(Filled(2, 2, Colour(100, 100, 100)).MeanGrayLevel(), 99.0f, 1.0f);

    // A palette picture changes its palette, and stays a gray ramp when it was one.
    CDibImage gray(2, 1, 8, 0);
    gray.SetGrayPalette();
    gray.SetPixelIndex(1, 0, 100);
    ASSERT_TRUE(gray.OffsetChannels(5, 5, 5));
    EXPECT_EQ(gray.GetPixelColor(1, 0).rgbRed, 105);
}

TEST(DibImageAdjust, NeighbourhoodOperations) {
    CDibImage dot = Filled(5, 5, Colour(10, 10, 10));
    dot.SetPixelColor(2, 2, Colour(200, 100, 50));
    const std::vector<BYTE> before = Pixels(dot);
    CDibImage same(dot);
    ASSERT_TRUE(same.Erode(1));
    ASSERT_TRUE(same.Dilate(1));
    EXPECT_EQ(Pixels(same), before);

    CDibImage grown(dot);
    ASSERT_TRUE(grown.Dilate(3));
    EXPECT_EQ(grown.GetPixelColor(1, 1).rgbRed, 200);
    EXPECT_EQ(grown.GetPixelColor(0, 0).rgbRed, 10);
    ASSERT_TRUE(grown.Erode(3));
    EXPECT_EQ(grown.GetPixelColor(2, 2).rgbRed, 200);
    EXPECT_EQ(grown.GetPixelColor(1, 1).rgbRed, 10);

    CDibImage range(dot);
    ASSERT_TRUE(range.RangeEdges(3));
    EXPECT_EQ(range.GetPixelColor(0, 0).rgbRed, 255);
    EXPECT_EQ(range.GetPixelColor(1, 1).rgbRed, 255 - 190);

    CDibImage contour(dot);
    ASSERT_TRUE(contour.ContourEdges());
    EXPECT_EQ(contour.GetPixelColor(2, 2).rgbRed, 255); // no neighbour above the centre
    EXPECT_EQ(contour.GetPixelColor(1, 2).rgbRed, 255 - 190);

    CDibImage still(dot);
    ASSERT_TRUE(still.Jitter(0));
    EXPECT_EQ(Pixels(still), before);
    ASSERT_TRUE(still.Jitter(3)); // stays inside the picture
}

TEST(DibImageAdjust, GaussianKernelAndBlur) {
    float* kernel = nullptr;
    EXPECT_EQ(CDibImage::MakeGaussianKernel(std::nanf(""), &kernel), 0);
    EXPECT_EQ(kernel, nullptr);
    EXPECT_EQ(CDibImage::MakeGaussianKernel(1e30f, &kernel), 0);
    ASSERT_EQ(CDibImage::MakeGaussianKernel(0, &kernel), 1);
    EXPECT_FLOAT_EQ(kernel[0], 1.0f);
    std::free(kernel);
    const long length = CDibImage::MakeGaussianKernel(3, &kernel);
    ASSERT_EQ(length % 2, 1);
    float sum = 0;
    for (long i = 0; i < length; ++i)
        sum += kernel[i];
    EXPECT_NEAR(sum, 1.0f, 1e-5);
    EXPECT_FLOAT_EQ(kernel[0], kernel[length - 1]);
    EXPECT_GT(kernel[length / 2], kernel[0]);
    float* table = CDibImage::MakeKernelProductTable(kernel, length);
    ASSERT_NE(table, nullptr);
    EXPECT_FLOAT_EQ(table[1 * 256 + 200], 200 * kernel[1]);
    std::free(table);
    std::free(kernel);

    CDibImage flat = Filled(6, 5, Colour(90, 91, 92));
    const std::vector<BYTE> before = Pixels(flat);
    ASSERT_TRUE(flat.GaussianBlur(2));
    EXPECT_EQ(Pixels(flat), before);

    CDibImage dot = Filled(9, 9, Colour(0, 0, 0));
    dot.SetPixelColor(4, 4, Colour(255, 255, 255));
    CDibImage blurred;
    ASSERT_TRUE(dot.GaussianBlur(1.5f, &blurred));
    EXPECT_EQ(dot.GetPixelColor(4, 4).rgbRed, 255); // the source stays
    EXPECT_LT(blurred.GetPixelColor(4, 4).rgbRed, 255);
    EXPECT_GT(blurred.GetPixelColor(5, 4).rgbRed, 0);
    EXPECT_EQ(blurred.GetPixelColor(5, 4).rgbRed, blurred.GetPixelColor(3, 4).rgbRed);

    // A colour-palette picture comes back with its palette.
    CDibImage palette(4, 4, 4, 0);
    palette.SetStandardPalette();
    palette.SetPixelIndex(1, 1, 9);
    ASSERT_TRUE(palette.GaussianBlur(1));
    EXPECT_EQ(palette.GetBpp(), 4);
    EXPECT_EQ(palette.GetPaletteColor(9).rgbRed, 255);
}

TEST(DibImageAdjust, SelectiveBlurUnsharpMaskRampSteps) {
    // A hard edge stays hard under the selective blur; the picture keeps having no selection.
    CDibImage edge(8, 4, 24, 0);
    for (long y = 0; y < 4; ++y)
        for (long x = 0; x < 8; ++x)
            edge.SetPixelColor(x, y, x < 4 ? Colour(0, 0, 0) : Colour(250, 250, 250));
    CDibImage selective(edge);
    ASSERT_TRUE(selective.SelectiveBlur(2, 10));
    EXPECT_FALSE(selective.SelectionIsValid());
    EXPECT_EQ(selective.GetPixelColor(3, 1).rgbRed, 0);
    EXPECT_EQ(selective.GetPixelColor(4, 1).rgbRed, 250);

    CDibImage sharp(edge);
    ASSERT_TRUE(sharp.UnsharpMask(2, 1.0f, 0));
    EXPECT_EQ(sharp.GetPixelColor(3, 1).rgbRed, 0);   // clamped undershoot
    EXPECT_EQ(sharp.GetPixelColor(4, 1).rgbRed, 255); // overshoot
    EXPECT_EQ(sharp.GetPixelColor(0, 1).rgbRed, 0);

    CDibImage flat = Filled(6, 6, Colour(7, 8, 9));
    const std::vector<BYTE> before = Pixels(flat);
    ASSERT_TRUE(flat.UnsharpMask(2, 1.0f, 0));
    ASSERT_TRUE(flat.RampSteps(10, 2, 4, true, true));
    EXPECT_EQ(Pixels(flat), before);

    // A staircase edge: row 0 steps at x = 2, row 1 at x = 3.
    CDibImage stairs(8, 2, 8, 0);
    stairs.SetGrayPalette();
    for (long x = 0; x < 8; ++x) {
        stairs.SetPixelIndex(x, 0, x >= 2 ? 200 : 0);
        stairs.SetPixelIndex(x, 1, x >= 3 ? 200 : 0);
    }
    CDibImage ramped;
    ASSERT_TRUE(stairs.RampSteps(50, 1, 4, true, false, &ramped));
    EXPECT_GT(ramped.GetPixelIndex(2, 1), 0);
    EXPECT_LT(ramped.GetPixelIndex(2, 1), 200);
    EXPECT_EQ(ramped.GetPixelIndex(7, 1), 200);
}
