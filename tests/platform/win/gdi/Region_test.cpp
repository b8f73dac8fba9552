#include "GdiTestEnv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace gdi_test;

namespace {

int PixelsIn(HRGN rgn) {
    RECT box{};
    GetRgnBox(rgn, &box);
    int n = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            n += PtInRegion(rgn, x, y) ? 1 : 0;
    return n;
}

// The polygon area of the measurements counts the pixels of a polygon region.
TEST(GdiRegion, SquarePolygonHoldsExactlyItsArea) {
    const POINT square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    HRGN rgn = CreatePolygonRgn(square, 4, ALTERNATE);
    RECT box{};
    EXPECT_EQ(GetRgnBox(rgn, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 10);
    EXPECT_EQ(PixelsIn(rgn), 100);
    EXPECT_TRUE(PtInRegion(rgn, 0, 0));
    EXPECT_FALSE(PtInRegion(rgn, 10, 5));
    HRGN rect = CreateRectRgn(0, 0, 10, 10);
    EXPECT_TRUE(EqualRgn(rgn, rect));
    DeleteObject(rect);
    DeleteObject(rgn);
    // Offset and reversed order change nothing but the place.
    const POINT moved[] = {{15, 25}, {15, 35}, {25, 35}, {25, 25}};
    rgn = CreatePolygonRgn(moved, 4, WINDING);
    EXPECT_EQ(PixelsIn(rgn), 100);
    DeleteObject(rgn);
    const POINT triangle[] = {{0, 0}, {10, 0}, {0, 10}};
    rgn = CreatePolygonRgn(triangle, 3, ALTERNATE);
    EXPECT_EQ(PixelsIn(rgn), 55); // rows of 10, 9, ..., 1
    DeleteObject(rgn);
}

TEST(GdiRegion, FillModesDifferInsideAStar) {
    const POINT star[] = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    HRGN alt = CreatePolygonRgn(star, 5, ALTERNATE);
    HRGN wind = CreatePolygonRgn(star, 5, WINDING);
    EXPECT_FALSE(PtInRegion(alt, 50, 50));
    EXPECT_TRUE(PtInRegion(wind, 50, 50));
    EXPECT_TRUE(PtInRegion(alt, 50, 10));
    EXPECT_GT(PixelsIn(wind), PixelsIn(alt));
    // The region's rectangles hold exactly the pixels found inside it, one by one.
    for (HRGN rgn : {alt, wind}) {
        const DWORD size = GetRegionData(rgn, 0, nullptr);
        ASSERT_GT(size, sizeof(RGNDATAHEADER));
        std::vector<char> buffer(size);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        EXPECT_EQ(GetRegionData(rgn, size - 1, data), size); // too small: nothing written
        ASSERT_EQ(GetRegionData(rgn, size, data), size);
        EXPECT_EQ(data->rdh.nCount, (size - sizeof(RGNDATAHEADER)) / sizeof(RECT));
        long long pixels = 0;
        for (DWORD i = 0; i < data->rdh.nCount; ++i) {
            RECT r;
            std::memcpy(&r, data->Buffer + i * sizeof(RECT), sizeof r);
            pixels += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
        }
        EXPECT_EQ(pixels, PixelsIn(rgn));
    }
    EXPECT_EQ(CreatePolygonRgn(star, 5, 7), nullptr);
    DeleteObject(alt);
    DeleteObject(wind);
}

TEST(GdiRegion, CombineRowsIntoOneRegion) {
    HRGN acc = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetRgnBox(acc, nullptr), ERROR);
    for (int y = 0; y < 3; ++y) {
        HRGN row = CreateRectRgn(2, y, 6 + y, y + 1);
        EXPECT_NE(CombineRgn(acc, acc, row, RGN_OR), ERROR);
        DeleteObject(row);
    }
    EXPECT_EQ(PixelsIn(acc), 4 + 5 + 6);
    HRGN cut = CreateRectRgn(0, 0, 4, 10);
    EXPECT_EQ(CombineRgn(acc, acc, cut, RGN_DIFF), COMPLEXREGION);
    EXPECT_EQ(PixelsIn(acc), 2 + 3 + 4);
    EXPECT_EQ(CombineRgn(acc, acc, cut, RGN_AND), NULLREGION);
    DeleteObject(cut);
    DeleteObject(acc);
}

TEST(GdiRegion, ClipRegionLimitsDrawing) {
    MemDC dc(20, 20);
    HRGN clip = CreateRectRgn(5, 5, 10, 10);
    SelectClipRgn(dc, clip);
    DeleteObject(clip); // the DC keeps its own copy
    RECT box{};
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.bottom, 10);
    RECT all{0, 0, 20, 20};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    QRect painted;
    EXPECT_EQ(dc.Count(kBlack, &painted), 25);
    EXPECT_EQ(painted, QRect(5, 5, 5, 5));
    SelectClipRgn(dc, nullptr);
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 20);
}

} // namespace
