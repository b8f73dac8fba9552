// Edge, line and circle detection of Tessary's image. Coordinates in these tests count y from
// the top of the picture, as the detection methods do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include <cmath>

#include <opencv2/imgproc.hpp>

#include "imaging/DibHough.h"
#include "imaging/DibImage.h"

namespace {

// A 24-bit picture whose gray level at (x, y from the top) is level(x, y).
CDibImage GrayPicture(int w, int h, const std::function<BYTE(int, int)>& level) {
    CDibImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const BYTE v = level(x, y);
            img.SetPixelColor(x, h - 1 - y, RGBQUAD{v, v, v, 0});
        }
    return img;
}

RGBQUAD At(const CDibImage& img, int x, int y) {
    return img.GetPixelColor(x, static_cast<long>(img.GetHeight()) - 1 - y, false);
}

bool IsRed(RGBQUAD c) {
    return c.rgbRed == 255 && c.rgbGreen == 0 && c.rgbBlue == 0;
}

// Columns 0-98 black, 99-199 white.
CDibImage VerticalEdge() {
    return GrayPicture(200, 200, [](int x, int) { return BYTE(x <= 98 ? 0 : 255); });
}

} // namespace

TEST(DibImageDetect, FindsTheVerticalEdgeWhicheverWayTheCornersCome) {
    CDibImage img = VerticalEdge();
    const int corners[][4] = {{80, 50, 120, 150}, {120, 150, 80, 50}, {80, 150, 120, 50}};
    for (const auto& c : corners) {
        SCOPED_TRACE(testing::Message() << c[0] << "," << c[1] << " " << c[2] << "," << c[3]);
        POINT a{-1, -1}, b{-1, -1};
        ASSERT_TRUE(img.DetectLineInSection(c[0], c[1], c[2], c[3], 3, &a, &b));
        EXPECT_GE(std::min(a.x, b.x), 98);
        EXPECT_LE(std::max(a.x, b.x), 99);
        EXPECT_NEAR(std::min(a.y, b.y), 52, 3);
        EXPECT_NEAR(std::max(a.y, b.y), 148, 3);
    }
}

TEST(DibImageDetect, PictureOfTwoNeighbouringGrayLevelsHasItsEdgeFound) {
    // Rows 0-59 at gray 80, rows 60-119 at 81: the Otsu threshold is 80 itself.
    CDibImage img = GrayPicture(160, 120, [](int, int y) { return BYTE(y < 60 ? 80 : 81); });
    POINT a{}, b{};
    ASSERT_TRUE(img.DetectLineInSection(30, 20, 130, 100, 4, &a, &b));
    EXPECT_NEAR(a.y, 59.5, 1.0);
    EXPECT_NEAR(b.y, 59.5, 1.0);
    EXPECT_GT(std::abs(a.x - b.x), 50);
}

TEST(DibImageDetect, FindsDiagonalsInTheirBands) {
    {
        SCOPED_TRACE("falling diagonal, band 1");
        CDibImage img = GrayPicture(200, 200, [](int x, int y) { return BYTE(x > y ? 30 : 200); });
        POINT a{}, b{};
        ASSERT_TRUE(img.DetectLineInSection(20, 20, 180, 180, 1, &a, &b));
        EXPECT_LE(std::abs(a.x - a.y), 3);
        EXPECT_LE(std::abs(b.x - b.y), 3);
        EXPECT_GT(std::abs(a.x - b.x), 40);
    }
    {
        SCOPED_TRACE("rising diagonal, band 2");
        CDibImage img =
            GrayPicture(200, 200, [](int x, int y) { return BYTE(x + y < 200 ? 30 : 200); });
        POINT a{}, b{};
        ASSERT_TRUE(img.DetectLineInSection(20, 20, 180, 180, 2, &a, &b));
        EXPECT_LE(std::abs(a.x + a.y - 199), 3);
        EXPECT_LE(std::abs(b.x + b.y - 199), 3);
        EXPECT_GT(std::abs(a.x - b.x), 40);
    }
}

TEST(DibImageDetect, SectionReachingOutsideThePictureIsClipped) {
    CDibImage img = VerticalEdge();
    POINT a{}, b{};
    ASSERT_TRUE(img.DetectLineInSection(80, -40, 120, 150, 3, &a, &b));
    EXPECT_GE(std::min(a.x, b.x), 98);
    EXPECT_LE(std::max(a.x, b.x), 99);
    EXPECT_GE(std::min(a.y, b.y), 0);
    // Entirely outside: nothing to find.
    EXPECT_FALSE(img.DetectLineInSection(300, 10, 400, 100, 3, &a, &b));
}

TEST(DibImageDetect, NoEdgeLeavesTheEndPointsUntouched) {
    CDibImage uniform = GrayPicture(100, 100, [](int, int) { return BYTE(120); });
    CDibImage edge = VerticalEdge();
    CDibImage gray8(200, 200, 8);
    const POINT untouched{-7, -7};
    struct Case {
        const char* what;
        CDibImage* img;
        int x1, y1, x2, y2;
        bool dilated;
    } cases[] = {
        {"uniform", &uniform, 10, 10, 90, 90, false},
        {"uniform, dilated", &uniform, 10, 10, 90, 90, true},
        {"zero width", &edge, 98, 50, 98, 150, false},
        {"3 x 3 section", &edge, 97, 50, 99, 52, false},
        {"3 pixels wide", &edge, 97, 50, 99, 150, false},
        {"10 x 10, dilated", &edge, 94, 50, 103, 59, true},
        {"8-bit picture", &gray8, 80, 50, 120, 150, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        POINT a = untouched, b = untouched;
        const bool found =
            c.dilated ? c.img->DetectLineInSectionDilated(c.x1, c.y1, c.x2, c.y2, 3, &a, &b)
                      : c.img->DetectLineInSection(c.x1, c.y1, c.x2, c.y2, 3, &a, &b);
        EXPECT_FALSE(found);
        EXPECT_EQ(a.x, untouched.x);
        EXPECT_EQ(b.y, untouched.y);
    }
}

TEST(DibImageDetect, DilatedVariantFindsTheEdgeIgnoringTheBand) {
    CDibImage img = VerticalEdge();
    POINT a{}, b{};
    // Band mode 4 would whiten a vertical edge's ends; the dilated variant does not use it.
    ASSERT_TRUE(img.DetectLineInSectionDilated(80, 50, 120, 150, 4, &a, &b));
    EXPECT_NEAR(a.x, 98.5, 2.0);
    EXPECT_NEAR(b.x, 98.5, 2.0);
    EXPECT_GT(std::abs(a.y - b.y), 60);
}

TEST(DibImageDetect, OtsuThreshold) {
    DWORD h[256] = {};
    EXPECT_EQ(CDibImage::OtsuThreshold(h), 0) << "empty";
    h[120] = 50;
    EXPECT_EQ(CDibImage::OtsuThreshold(h), 0) << "one level: no split has two classes";
    h[200] = 50;
    EXPECT_EQ(CDibImage::OtsuThreshold(h), 120) << "equal variances from 120 to 199: the lowest";
    DWORD bimodal[256] = {};
    for (int i = 0; i < 20; ++i) {
        bimodal[40 + i] = 100;
        bimodal[180 + i] = 100;
    }
    const int t = CDibImage::OtsuThreshold(bimodal);
    EXPECT_GE(t, 59);
    EXPECT_LT(t, 180);
}

TEST(DibImageDetect, WhitenOutsideBandKeepsTheBand) {
    // Which (stored row, column) pixels stay black after the mask, over an all-black section.
    auto kept = [](int w, int h, int mode) {
        const int stride = (w + 3) / 4 * 4;
        std::vector<BYTE> s(static_cast<size_t>(stride) * h, 0);
        CDibImage::WhitenOutsideBand(s.data(), w, h, mode);
        std::vector<std::pair<int, int>> out;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                if (s[static_cast<size_t>(r) * stride + c] == 0)
                    out.emplace_back(r, c);
        return out;
    };
    using P = std::vector<std::pair<int, int>>;
    // Mode 1 on 4 x 4: the falling diagonal as displayed (the top row is stored row 3).
    EXPECT_EQ(kept(4, 4, 1), (P{{0, 3}, {1, 2}, {2, 1}, {3, 0}}));
    EXPECT_EQ(kept(4, 4, 2), (P{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    // Mode 3 on 21 x 300 keeps columns 6..14 of every row.
    const P mode3 = kept(21, 300, 3);
    ASSERT_EQ(mode3.size(), 9u * 300u);
    EXPECT_EQ(mode3.front().second, 6);
    EXPECT_EQ(mode3[8].second, 14);
    // Mode 4 on 10 rows keeps stored rows 3..6.
    const P mode4 = kept(3, 10, 4);
    ASSERT_EQ(mode4.size(), 12u);
    EXPECT_EQ(mode4.front().first, 3);
    EXPECT_EQ(mode4.back().first, 6);
    EXPECT_EQ(kept(5, 5, 0).size(), 25u);
    EXPECT_EQ(kept(5, 5, 5).size(), 25u);
}

TEST(DibImageDetect, FindEdgePointNearTakesTheStrongestContrastFirst) {
    CDibImage img = GrayPicture(100, 100, [](int x, int y) {
        if (y == 50 && x == 53)
            return BYTE(200); // 150 away, ring 3
        if (y == 50 && x == 58)
            return BYTE(220); // 170 away, ring 8
        return BYTE(50);
    });
    POINT p{};
    ASSERT_TRUE(img.FindEdgePointNear(50, 50, 0, 0, &p, 20));
    EXPECT_EQ(p.x, 58);
    EXPECT_EQ(p.y, 50);
}

TEST(DibImageDetect, FindEdgePointNearPrefersTheNearerRingWithinAPass) {
    CDibImage img = GrayPicture(100, 100, [](int x, int y) {
        return BYTE((y == 47 && x == 50) || (y == 50 && x == 58) ? 230 : 40);
    });
    POINT p{};
    ASSERT_TRUE(img.FindEdgePointNear(50, 50, 0, 0, &p, 20));
    EXPECT_EQ(p.x, 50);
    EXPECT_EQ(p.y, 47);
}

TEST(DibImageDetect, FindEdgePointNearRefusalsLeaveTheClick) {
    CDibImage uniform = GrayPicture(100, 100, [](int, int) { return BYTE(90); });
    CDibImage edge = VerticalEdge();
    CDibImage gray8(100, 100, 8);
    struct Case {
        const char* what;
        CDibImage* img;
        int x, y;
    } cases[] = {
        {"no edge in the square", &uniform, 50, 50},
        {"5 pixels from the left border", &edge, 5, 100},
        {"square past the bottom", &edge, 100, 190},
        {"8-bit picture", &gray8, 50, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        POINT p{-1, -1};
        EXPECT_FALSE(c.img->FindEdgePointNear(c.x, c.y, 0, 0, &p, 20));
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
    }
}

TEST(DibImageDetect, FindEdgePointInPatchWithoutContrastGivesTheOrigin) {
    std::vector<BYTE> patch(44 * 41, 77);
    const POINT p = CDibImage::FindEdgePointInPatch(patch.data(), 41, 41);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

namespace {

struct Preview {
    int w, h;
    std::vector<BYTE> out;
    Preview(int w_, int h_)
        : w(w_), h(h_), out(static_cast<size_t>((3 * w_ + 3) / 4 * 4) * h_, 1) {}
    const BYTE* Px(int col, int storedRow) const {
        return &out[static_cast<size_t>(storedRow) * ((3 * w + 3) / 4 * 4) + 3 * col];
    }
    int RedCount() const {
        int n = 0;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                n += Px(c, r)[2] == 255 && Px(c, r)[1] == 0 && Px(c, r)[0] == 0;
        return n;
    }
};

// Left half dark, right half bright; 100 x 80.
CDibImage HalfDark() {
    return GrayPicture(100, 80, [](int x, int) { return BYTE(x < 50 ? 20 : 220); });
}

} // namespace

TEST(DibImageDetect, BinaryPreviewAroundThePointer) {
    CDibImage img = HalfDark();
    Preview p(21, 15);
    ASSERT_TRUE(img.RenderBinaryPreview(50, 40, p.w, p.h, p.out.data()));
    // Window columns 40..60: 40..49 dark, 50..60 bright.
    EXPECT_EQ(p.Px(0, 0)[0], 0);
    EXPECT_EQ(p.Px(9, 3)[1], 0);
    EXPECT_EQ(p.Px(11, 3)[1], 255);
    EXPECT_EQ(p.Px(20, 14)[2], 255);
    // The pointer: column w / 2, stored row (79 - 40) - bottom row 32 = 7.
    EXPECT_EQ(p.RedCount(), 1);
    EXPECT_EQ(p.Px(10, 7)[2], 255);
    EXPECT_EQ(p.Px(10, 7)[0], 0);
}

TEST(DibImageDetect, BinaryPreviewAtTheBorders) {
    CDibImage img = HalfDark();
    {
        SCOPED_TRACE("top border: against the top row, pointer at its own row");
        Preview p(21, 15);
        ASSERT_TRUE(img.RenderBinaryPreview(50, 0, p.w, p.h, p.out.data()));
        EXPECT_EQ(p.RedCount(), 1);
        EXPECT_EQ(p.Px(10, 14)[2], 255);
        EXPECT_EQ(p.Px(10, 14)[1], 0);
    }
    {
        SCOPED_TRACE("left border: against column 0, no pointer");
        Preview p(21, 15);
        ASSERT_TRUE(img.RenderBinaryPreview(3, 40, p.w, p.h, p.out.data()));
        EXPECT_EQ(p.RedCount(), 0);
    }
    {
        SCOPED_TRACE("pointer below the picture: no pointer, nothing written outside");
        Preview p(21, 15);
        ASSERT_TRUE(img.RenderBinaryPreview(50, 500, p.w, p.h, p.out.data()));
        EXPECT_EQ(p.RedCount(), 0);
    }
    Preview big(120, 10);
    EXPECT_FALSE(img.RenderBinaryPreview(50, 40, big.w, big.h, big.out.data()));
    CDibImage gray8(100, 80, 8);
    Preview p(21, 15);
    EXPECT_FALSE(gray8.RenderBinaryPreview(50, 40, p.w, p.h, p.out.data()));
}

namespace {

// A dark square (columns and rows 30..69) on white, 100 x 100.
CDibImage DarkSquare() {
    return GrayPicture(100, 100, [](int x, int y) {
        return BYTE(x >= 30 && x < 70 && y >= 30 && y < 70 ? 10 : 240);
    });
}

int RedInRow(const CDibImage& img, int y, int xFrom, int xTo) {
    int n = 0;
    for (int x = xFrom; x <= xTo; ++x)
        n += IsRed(At(img, x, y));
    return n;
}

} // namespace

TEST(DibImageDetect, CheckEdgePortionPaintsTheOutlineRed) {
    CDibImage img = DarkSquare();
    ASSERT_TRUE(img.CheckEdgePortion(90, 90, 10, 10));
    EXPECT_GT(RedInRow(img, 50, 26, 34), 0) << "left side of the square";
    EXPECT_GT(RedInRow(img, 50, 65, 73), 0) << "right side of the square";
    EXPECT_FALSE(IsRed(At(img, 50, 50))) << "inside";
    EXPECT_FALSE(IsRed(At(img, 15, 50))) << "outside";
    EXPECT_EQ(RedInRow(img, 5, 0, 99), 0) << "outside the section";
}

TEST(DibImageDetect, CheckEdgePortionClipsASectionCrossingTheBorder) {
    CDibImage img = DarkSquare();
    ASSERT_TRUE(img.CheckEdgePortion(-20, 120, 120, -20));
    EXPECT_GT(RedInRow(img, 50, 26, 34), 0);
    CDibImage outside = DarkSquare();
    EXPECT_TRUE(outside.CheckEdgePortion(200, 200, 300, 300));
}

TEST(DibImageDetect, CheckEdgeNoOpsAndRefusals) {
    CDibImage img = DarkSquare();
    CDibImage before(img);
    EXPECT_TRUE(img.CheckEdgePortion(40, 10, 40, 90));
    EXPECT_TRUE(img.CheckEdgePortion(10, 40, 90, 40));
    EXPECT_EQ(0, std::memcmp(img.GetBits(), before.GetBits(),
                             static_cast<size_t>(img.GetRowStride()) * img.GetHeight()));
    CDibImage gray8(100, 100, 8);
    EXPECT_FALSE(gray8.CheckEdgePortion(10, 10, 90, 90));
    EXPECT_FALSE(gray8.CheckEdgeGlobal());
    CDibImage empty;
    EXPECT_FALSE(empty.CheckEdgeGlobal());
}

TEST(DibImageDetect, CheckEdgeGlobalPaintsInsideAFivePixelMargin) {
    // A dark band at columns 0..49: its outline runs at x = 49 and along the picture's border.
    CDibImage img = GrayPicture(100, 100, [](int x, int) { return BYTE(x < 50 ? 10 : 240); });
    ASSERT_TRUE(img.CheckEdgeGlobal());
    EXPECT_GT(RedInRow(img, 50, 45, 53), 0);
    EXPECT_EQ(RedInRow(img, 2, 0, 99), 0) << "margin rows stay unpainted";
    for (int y = 0; y < 100; ++y)
        EXPECT_FALSE(IsRed(At(img, 2, y)));
}

TEST(DibImageDetect, Morphology) {
    // 10 x 10 (rows padded to 12 bytes), a black 4 x 4 block at rows and columns 3..6.
    constexpr int kStride = 12;
    auto block = [] {
        std::vector<BYTE> img(kStride * 10, 255);
        for (int r = 3; r < 7; ++r)
            for (int c = 3; c < 7; ++c)
                img[r * kStride + c] = 0;
        return img;
    };
    std::vector<BYTE> boundary = block();
    CDibImage::BinaryBoundary(boundary.data(), 10, 10);
    EXPECT_EQ(boundary[4 * kStride + 4], 255) << "inner pixel whitened";
    EXPECT_EQ(boundary[3 * kStride + 4], 0) << "outline stays";

    const DWORD plus[25] = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1,
                            1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    std::vector<BYTE> eroded = block();
    eroded[8 * kStride + 0] = 0;
    CDibImage::BinaryErode(eroded.data(), 10, 10, plus, 5, 5);
    EXPECT_EQ(eroded[4 * kStride + 7], 0) << "white next to black becomes black";
    EXPECT_EQ(eroded[4 * kStride + 2], 0);
    EXPECT_EQ(eroded[2 * kStride + 2], 255) << "diagonal neighbours are not in the plus";
    EXPECT_EQ(eroded[8 * kStride + 0], 0) << "border column keeps its value";
    EXPECT_EQ(eroded[8 * kStride + 2], 255);

    // An element selecting only the right neighbour: dilation mirrors it, so a pixel turns
    // white when its LEFT neighbour is white.
    const DWORD right[9] = {0, 0, 0, 0, 0, 1, 0, 0, 0};
    std::vector<BYTE> dilated = block();
    CDibImage::BinaryDilate(dilated.data(), 10, 10, right, 3, 3);
    EXPECT_EQ(dilated[4 * kStride + 3], 255) << "left column of the block";
    EXPECT_EQ(dilated[4 * kStride + 6], 0) << "right column of the block";
}

TEST(DibImageDetect, Morphology3x3) {
    const int all[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::vector<BYTE> img(36, 0);
    img[2 * 6 + 2] = 255;
    ASSERT_TRUE(CDibImage::BinaryDilate3x3(img.data(), 6, 6, 0, all));
    EXPECT_EQ(img[1 * 6 + 1], 255);
    EXPECT_EQ(img[3 * 6 + 3], 255);
    EXPECT_EQ(img[4 * 6 + 4], 0);
    EXPECT_EQ(img[0 * 6 + 3], 255) << "first row comes out white";
    ASSERT_TRUE(CDibImage::BinaryErode3x3(img.data(), 6, 6, 0, all));
    EXPECT_EQ(img[2 * 6 + 2], 255);
    EXPECT_EQ(img[3 * 6 + 3], 0) << "next to the black pixel at (4, 4)";
    img[7] = 128;
    EXPECT_FALSE(CDibImage::BinaryErode3x3(img.data(), 6, 6, 0, all));
}

TEST(DibImageDetect, HoughAccumulateAndLineFit) {
    // 40 x 40 white with a black vertical line at x = 25: rho = 5, theta = 0.
    std::vector<BYTE> img(1600, 255);
    for (int y = 0; y < 40; ++y)
        img[y * 40 + 25] = 0;
    std::vector<DWORD> acc(81 * 91);
    float rho = -1, theta = -1;
    EXPECT_EQ(CDibImage::HoughAccumulate(img.data(), 40, 40, acc.data(), 81, 91, 1.0f, 2.0f, &rho,
                                         &theta),
              45);
    EXPECT_FLOAT_EQ(rho, 5.0f);
    EXPECT_FLOAT_EQ(theta, 0.0f);
    // A tiny accumulator: distances beyond it are dropped, not written past its end.
    std::vector<DWORD> small(3 * 3);
    CDibImage::HoughAccumulate(img.data(), 40, 40, small.data(), 3, 3, 1.0f, 45.0f, &rho, &theta);

    const POINT line[] = {{0, 2}, {1, 5}, {2, 8}, {3, 11}};
    double a = 0, b = 0;
    ASSERT_EQ(CDibImage::FitLineLeastSquares(line, 4, &a, &b), 1);
    EXPECT_DOUBLE_EQ(a, 2.0);
    EXPECT_DOUBLE_EQ(b, 3.0);
    const POINT vertical[] = {{7, 0}, {7, 5}, {7, 9}};
    ASSERT_EQ(CDibImage::FitLineLeastSquares(vertical, 3, &a, &b), 1);
    EXPECT_DOUBLE_EQ(a, 7.0);
    EXPECT_DOUBLE_EQ(b, 0.0);
    a = b = 42;
    EXPECT_EQ(CDibImage::FitLineLeastSquares(line, 1, &a, &b), 0);
    EXPECT_EQ(a, 42);
}

TEST(DibImageDetect, HoughBisectionMatchesTheTopDownThresholdSearch) {
    // Scattered points plus a few noisy lines: the first threshold from the top that yields
    // segments, and those segments, must be what the bisection returns.
    unsigned seed = 99;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        cv::Mat img = cv::Mat::zeros(90 + 10 * round, 120, CV_8UC1);
        for (int i = 0; i < 40 * round; ++i)
            img.at<BYTE>(static_cast<int>(next() % img.rows), static_cast<int>(next() % img.cols)) =
                255;
        for (int l = 0; l < round % 3 + 1; ++l) {
            const int x0 = static_cast<int>(next() % 120), x1 = static_cast<int>(next() % 120);
            for (int y = 5; y < img.rows - 5; ++y)
                if (next() % 4)
                    img.at<BYTE>(y, x0 + (x1 - x0) * y / img.rows) = 255;
        }
        const int top = static_cast<int>(std::sqrt(double(img.rows) * img.rows + 120.0 * 120.0));
        std::vector<cv::Vec4i> expected;
        for (int t = top; t > 5 && expected.empty(); --t)
            cv::HoughLinesP(img, expected, 1.0, CV_PI / 180, t, 0, 100.0);
        const std::vector<cv::Vec4i> got = dibdetect::HoughAtHighestThreshold(img, top, 6);
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], expected[i]);
    }
    EXPECT_TRUE(dibdetect::HoughAtHighestThreshold(cv::Mat::zeros(20, 20, CV_8UC1), 28, 6).empty());
}
