// Lookups at fractional coordinates, outside handling and the weight functions.
#include "imaging/DibFloatGeometry.h"
#include "imaging/DibImage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A 24-bit picture whose pixel (x, y) has red x * 10 and green y * 10.
CDibImage Coordinates(DWORD w, DWORD h) {
    CDibImage image(w, h, 24, 0);
    for (long y = 0; y < static_cast<long>(h); ++y)
        for (long x = 0; x < static_cast<long>(w); ++x)
            image.SetPixelColor(
                x, y, RGBQUAD{0, static_cast<BYTE>(y * 10), static_cast<BYTE>(x * 10), 0});
    return image;
}

} // namespace

TEST(DibImageInterpolate, NearestAndBilinear) {
    CDibImage image = Coordinates(5, 5);
    RGBQUAD c = image.GetInterpolatedColor(2.5f, 2.5f, 1, 0, nullptr);
    EXPECT_EQ(c.rgbRed, 30);
    EXPECT_EQ(c.rgbGreen, 30);
    c = image.GetInterpolatedColor(-0.4f, 0, 1, 0, nullptr);
    EXPECT_EQ(c.rgbRed, 0);
    EXPECT_EQ(c.rgbBlue, 0); // pixel (0, 0), not the white border

    for (long method : {0L, 2L, 19L}) {
        c = image.GetInterpolatedColor(3, 1, method, 0, nullptr);
        EXPECT_EQ(c.rgbRed, 30) << method;
        EXPECT_EQ(c.rgbGreen, 10) << method;
    }
    c = image.GetInterpolatedColor(1.5f, 2.25f, 2, 0, nullptr);
    EXPECT_EQ(c.rgbRed, 15);
    EXPECT_EQ(c.rgbGreen, 22);

    CDibImage flat(8, 8, 24, 0);
    for (long y = 0; y < 8; ++y)
        for (long x = 0; x < 8; ++x)
            flat.SetPixelColor(x, y, RGBQUAD{60, 120, 180, 0});
    // Kernels whose weights add up to one reproduce a uniform area.
    for (long method : {3L, 4L, 5L, 7L, 8L, 14L, 15L, 16L}) {
        c = flat.GetInterpolatedColor(3.3f, 4.6f, method, 5, nullptr);
        EXPECT_NEAR(c.rgbGreen, 120, 1) << method;
    }
}

TEST(DibImageInterpolate, OutsideThePicture) {
    CDibImage image = Coordinates(10, 4);
    struct Case {
        long overflow, x, mapped;
    } cases[] = {{4, -3, 7}, {4, 12, 2}, {6, -3, 3}, {6, 12, 7}, {5, 12, 9}, {5, -3, 0}};
    for (const Case& k : cases) {
        long x = k.x, y = 1;
        EXPECT_FALSE(image.MapOutsideCoordinates(x, y, k.overflow));
        EXPECT_EQ(x, k.mapped) << k.overflow << " " << k.x;
        EXPECT_EQ(image.GetPixelColorWithBorder(k.x, 1, k.overflow, nullptr).rgbRed, k.mapped * 10);
    }
    long x = 3, y = 2;
    EXPECT_TRUE(image.MapOutsideCoordinates(x, y, 4));

    // Coordinates no picture reaches, or that are not numbers, are outside.
    const float nan = std::nanf("");
    EXPECT_EQ(image.GetInterpolatedColor(1e30f, 1, 16, 0, nullptr).rgbRed, 255);
    EXPECT_EQ(image.GetInterpolatedColor(nan, 1, 1, 0, nullptr).rgbRed, 255);
    EXPECT_EQ(image.GetInterpolatedColor(1, nan, 3, 1, nullptr).rgbRed, 255);
    EXPECT_EQ(image.GetInterpolatedColor(-1e20f, 1, 2, 5, nullptr).rgbRed, 0); // repeat: column 0

    RGBQUAD c = image.GetInterpolatedColor(500, 500, 2, 1, nullptr);
    EXPECT_EQ(c.rgbRed, 255);
    EXPECT_EQ(c.rgbGreen, 255);
    EXPECT_EQ(c.rgbBlue, 255);
    EXPECT_EQ(c.rgbReserved, 0);
    RGBQUAD border{1, 2, 3, 4};
    c = image.GetInterpolatedColor(-50, 0, 16, 0, &border);
    EXPECT_EQ(c.rgbBlue, 1);
    // Wrap far outside lands inside again.
    c = image.GetInterpolatedColor(-7, 1, 2, 4, nullptr);
    EXPECT_EQ(c.rgbRed, 30);

    image.SetKeyIndex(0);
    image.SetKeyColor(RGBQUAD{9, 9, 9, 0});
    EXPECT_EQ(image.GetPixelColorWithBorder(-1, 0, 2, nullptr).rgbRed, 9);
    ASSERT_TRUE(image.AlphaCreate());
    EXPECT_EQ(image.GetPixelColorWithBorder(-1, 0, 3, &border).rgbReserved, 0);
    EXPECT_EQ(image.GetPixelColorWithBorder(-1, 0, 3, &border).rgbBlue, 1);
}

TEST(DibImageInterpolate, AreaColour) {
    CDibImage image = Coordinates(4, 4);
    // A 2 x 2 area centred between four pixels averages them.
    RGBQUAD c = image.GetAreaColor(1.5f, 1.5f, 2, 2, 2, 5, nullptr);
    EXPECT_NEAR(c.rgbRed, 15, 1);
    EXPECT_NEAR(c.rgbGreen, 15, 1);
    // A thin area along x.
    c = image.GetAreaColor(1.5f, 2, 2, 1, 2, 5, nullptr);
    EXPECT_NEAR(c.rgbRed, 15, 1);
    EXPECT_EQ(c.rgbGreen, 20);
    // Small areas are plain lookups.
    c = image.GetAreaColor(2, 3, 1, 1, 1, 0, nullptr);
    EXPECT_EQ(c.rgbRed, 20);
}

TEST(DibImageInterpolate, WeightFunctions) {
    EXPECT_NEAR(CDibImage::BSplineWeight(0), 0.6666667f, 1e-6);
    EXPECT_EQ(CDibImage::BSplineWeight(2), 0);
    EXPECT_EQ(CDibImage::BSplineWeight(3), 0);
    EXPECT_FLOAT_EQ(CDibImage::CatmullRomWeight(0), 1);
    EXPECT_NEAR(CDibImage::CatmullRomWeight(1), 0, 1e-6);
    EXPECT_FLOAT_EQ(CDibImage::CubicWeight(0, -0.5f), 1);
    EXPECT_FLOAT_EQ(CDibImage::CubicWeightSharp(0), 1);
    EXPECT_FLOAT_EQ(CDibImage::LanczosWeight(0, 6), 1);
    EXPECT_EQ(CDibImage::LanczosWeight(7, 6), 0);
    EXPECT_EQ(CDibImage::BoxWeight(0.5f), 0);
    EXPECT_EQ(CDibImage::BoxWeight(-0.5f), 1);
    EXPECT_FLOAT_EQ(CDibImage::HermiteWeight(0), 1);
    EXPECT_FLOAT_EQ(CDibImage::QuadraticWeight(0), 0.75f);
    EXPECT_NEAR(CDibImage::MitchellWeight(0), 0.8888889f, 1e-6);
    EXPECT_FLOAT_EQ(CDibImage::PowerWeight(0.5f, 2), 0.75f);
    EXPECT_FLOAT_EQ(CDibImage::LinearWeight(0.25f), 0.75f);
    EXPECT_NEAR(CDibImage::BesselWeight(0), 0.7853982f, 1e-6);
    EXPECT_NEAR(CDibImage::BesselJ1(1.0), 0.4400505857, 1e-7);
    EXPECT_NEAR(CDibImage::BesselJ1(-1.0), -0.4400505857, 1e-7);
    // The far form (from 8 on) is a coarser rational fit; it joins the near form smoothly.
    EXPECT_NEAR(CDibImage::BesselJ1(10.0), 0.0434727462, 1e-4);
    EXPECT_NEAR(CDibImage::BesselJ1(7.9999), CDibImage::BesselJ1(8.0001), 1e-3);
    EXPECT_EQ(CDibImage::BesselJ1(0.0), 0.0);
}

TEST(DibImageInterpolate, FloatGeometry) {
    CDibFloatRect a(0, 0, 2, 2), b(2, 0, 4, 2), c(5, 5, 6, 6);
    CDibFloatRect touch = a.Intersect(b);
    EXPECT_EQ(touch.Area(), 0);
    EXPECT_EQ(touch.left, 2); // an edge, not the all-zero rectangle
    CDibFloatRect none = a.Intersect(c);
    EXPECT_EQ(none.left, 0);
    EXPECT_EQ(none.right, 0);
    CDibFloatRect over = a.Intersect(CDibFloatRect(1, 1, 3, 3));
    EXPECT_EQ(over.Area(), 1);
    EXPECT_EQ(over.Center().x, 1.5f);
    EXPECT_EQ(CDibFloatPoint(0, 0).Distance(3, 4), 5);
}
