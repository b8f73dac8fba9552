#include "GdiTestEnv.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>

using namespace gdi_test;

namespace {

struct LineCase {
    POINT a, b;
};

// LineTo draws from the current position up to, not including, the end point.
TEST(GdiDraw, LineToLeavesOutTheEndPixel) {
    const LineCase cases[] = {
        {{2, 5}, {12, 5}},  {{12, 5}, {2, 5}}, {{5, 2}, {5, 15}},
        {{2, 2}, {12, 12}}, {{3, 1}, {6, 17}}, {{17, 3}, {1, 8}},
    };
    for (const auto& c : cases) {
        MemDC dc(20, 20);
        MoveToEx(dc, c.a.x, c.a.y, nullptr);
        LineTo(dc, c.b.x, c.b.y);
        SCOPED_TRACE(testing::Message()
                     << c.a.x << "," << c.a.y << " -> " << c.b.x << "," << c.b.y);
        EXPECT_EQ(dc.At(c.a.x, c.a.y), kBlack);
        EXPECT_EQ(dc.At(c.b.x, c.b.y), kWhite);
        EXPECT_EQ(dc.Count(kBlack), std::max(std::abs(c.b.x - c.a.x), std::abs(c.b.y - c.a.y)));
        POINT pos{};
        GetCurrentPositionEx(dc, &pos);
        EXPECT_EQ(pos.x, c.b.x);
        EXPECT_EQ(pos.y, c.b.y);
    }
}

// A polyline joins its segments without drawing a vertex twice and leaves out its last point.
TEST(GdiDraw, PolylineLeavesOutOnlyTheLastPoint) {
    MemDC dc(20, 20);
    const POINT pts[] = {{2, 2}, {10, 2}, {10, 10}};
    Polyline(dc, pts, 3);
    EXPECT_EQ(dc.At(10, 2), kBlack);
    EXPECT_EQ(dc.At(10, 10), kWhite);
    EXPECT_EQ(dc.Count(kBlack), 16);
}

TEST(GdiDraw, RectangleAndEllipseBoxesExcludeRightAndBottom) {
    for (bool ellipse : {false, true}) {
        MemDC dc(30, 30);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        if (ellipse)
            Ellipse(dc, 2, 3, 22, 15);
        else
            Rectangle(dc, 2, 3, 22, 15);
        QRect box;
        EXPECT_GT(dc.Count(kBlack, &box), 0);
        EXPECT_EQ(box, QRect(QPoint(2, 3), QPoint(21, 14))) << (ellipse ? "Ellipse" : "Rectangle");
        // Hollow: the middle stays white.
        EXPECT_EQ(dc.At(12, 9), kWhite);
        // Closed and symmetric: every row of the box has pixels at both mirrored places.
        for (int y = 3; y < 15; ++y)
            for (int x = 2; x < 22; ++x)
                EXPECT_EQ(dc.At(x, y), dc.At(23 - x, y)) << x << "," << y;
    }
}

TEST(GdiDraw, FilledRectangleFillsInsideThePen) {
    MemDC dc(20, 20);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, red);
    Rectangle(dc, 0, 0, 10, 10);
    EXPECT_EQ(dc.Count(RGB(255, 0, 0)), 64); // 8 x 8 inside the 1-pixel frame
    EXPECT_EQ(dc.Count(kBlack), 36);
    // A circle of radius r drawn on its box c - r .. c + r spans 2r pixels.
    Ellipse(dc, 10, 10, 20, 20);
    QRect box;
    dc.Count(kBlack, &box);
    EXPECT_EQ(box.bottomRight(), QPoint(19, 19));
    SelectObject(dc, old);
    DeleteObject(red);
}

// Arc from the same radial points: counterclockwise takes the short way over the top right,
// clockwise the long way round through the bottom left.
TEST(GdiDraw, ArcDirectionChoosesTheSide) {
    for (int dir : {AD_COUNTERCLOCKWISE, AD_CLOCKWISE}) {
        MemDC dc(41, 41);
        EXPECT_EQ(SetArcDirection(dc, dir), AD_COUNTERCLOCKWISE);
        Arc(dc, 0, 0, 41, 41, 40, 20, 20, 0); // start: right, end: top
        auto quadrant = [&](int qx, int qy) { // pixels in one quadrant, away from the axes
            int n = 0;
            for (int y = 0; y < 41; ++y)
                for (int x = 0; x < 41; ++x)
                    if ((x - 20) * qx > 2 && (y - 20) * qy > 2 && dc.At(x, y) == kBlack)
                        ++n;
            return n;
        };
        const bool ccw = dir == AD_COUNTERCLOCKWISE;
        EXPECT_EQ(quadrant(1, -1) > 0, ccw) << dir;  // top right
        EXPECT_EQ(quadrant(-1, 1) > 0, !ccw) << dir; // bottom left
        EXPECT_EQ(quadrant(-1, -1) > 0, !ccw) << dir;
        EXPECT_EQ(GetArcDirection(dc), dir);
    }
}

// Rubber bands are drawn with R2_NOTXORPEN: drawing the same figure twice restores every pixel,
// also where a figure crosses itself or a wide pen overlaps its own joins.
TEST(GdiDraw, NotXorPenDrawnTwiceRestoresThePicture) {
    MemDC dc(60, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
            SetPixel(dc, x, y, RGB(x * 4, y * 4, (x * y) & 255));
    const QImage before = dc.Image();
    SetROP2(dc, R2_NOTXORPEN);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    for (int width : {1, 3, 4}) {
        HPEN pen = CreatePen(PS_SOLID, width, RGB(255, 0, 255));
        HGDIOBJ old = SelectObject(dc, pen);
        auto draw = [&] {
            const POINT star[] = {{5, 5}, {50, 40}, {10, 50}, {45, 3}, {30, 58}};
            Polyline(dc, star, 5);
            Rectangle(dc, 8, 8, 40, 30);
            Ellipse(dc, 20, 10, 55, 50);
            Arc(dc, 5, 5, 50, 50, 50, 25, 25, 5);
            MoveToEx(dc, 0, 59, nullptr);
            LineTo(dc, 59, 0);
        };
        draw();
        EXPECT_NE(dc.Image(), before) << width;
        draw();
        EXPECT_EQ(dc.Image(), before) << width;
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

TEST(GdiDraw, DottedPenHasGapsOnlyWhenOneWide) {
    for (int width : {1, 2}) {
        MemDC dc(60, 10);
        SetBkMode(dc, TRANSPARENT);
        HPEN pen = CreatePen(PS_DOT, width, RGB(255, 0, 0));
        SelectObject(dc, pen);
        MoveToEx(dc, 5, 5, nullptr);
        LineTo(dc, 55, 5);
        int gaps = 0;
        for (int x = 5; x < 55; ++x)
            gaps += dc.At(x, 5) == kWhite;
        if (width == 1)
            EXPECT_GT(gaps, 10);
        else
            EXPECT_EQ(gaps, 0) << "a styled pen wider than 1 draws solid";
        SelectObject(dc, GetStockObject(BLACK_PEN));
        DeleteObject(pen);
    }
}

TEST(GdiDraw, OpaqueBackgroundFillsTheGapsOfStyledPens) {
    MemDC dc(60, 10);
    SetBkColor(dc, RGB(0, 0, 255));
    HPEN pen = CreatePen(PS_DASH, 1, RGB(255, 0, 0));
    SelectObject(dc, pen);
    MoveToEx(dc, 5, 5, nullptr);
    LineTo(dc, 55, 5);
    EXPECT_EQ(dc.Count(RGB(255, 0, 0)) + dc.Count(RGB(0, 0, 255)), 50);
    EXPECT_GT(dc.Count(RGB(0, 0, 255)), 0);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(GdiDraw, PolygonFillsPixelCentresInside) {
    MemDC dc(20, 20);
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    const POINT square[] = {{2, 2}, {12, 2}, {12, 12}, {2, 12}};
    Polygon(dc, square, 4);
    QRect box;
    EXPECT_EQ(dc.Count(kBlack, &box), 100);
    EXPECT_EQ(box, QRect(2, 2, 10, 10));
}

// Memory DCs keep what was selected and set across uses; SaveDC/RestoreDC bring it back.
TEST(GdiDraw, DcStateSelectAndRestore) {
    MemDC dc(4, 4);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, oldPen), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    const int saved = SaveDC(dc);
    SetTextColor(dc, RGB(9, 9, 9));
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, pen);
    RestoreDC(dc, saved);
    EXPECT_EQ(GetTextColor(dc), kBlack);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    LOGPEN lp{};
    EXPECT_EQ(GetObject(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
    EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen)) << "a deleted handle is invalid";
    EXPECT_FALSE(LineTo(reinterpret_cast<HDC>(pen), 1, 1));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN));
}

TEST(GdiDraw, FocusRectAndInvertRectUndoThemselves) {
    MemDC dc(20, 20);
    const QImage before = dc.Image();
    RECT r{2, 3, 15, 12};
    DrawFocusRect(dc, &r);
    EXPECT_NE(dc.Image(), before);
    DrawFocusRect(dc, &r);
    EXPECT_EQ(dc.Image(), before);
    InvertRect(dc, &r);
    EXPECT_EQ(dc.Count(kBlack), 13 * 9);
}

// Shapes with coordinates far outside the picture (a stray point, an overflowing scale) cost
// only the pixels they can touch and draw what lies inside.
TEST(GdiDraw, FarAwayCoordinatesAreClippedNotWalked) {
    MemDC dc(20, 20);
    const int big = 2000000000;
    MoveToEx(dc, -big, 5, nullptr);
    LineTo(dc, big, 5);
    EXPECT_EQ(dc.Count(kBlack), 20);
    MoveToEx(dc, -1000, -1000, nullptr);
    LineTo(dc, 1000, 1000);
    EXPECT_EQ(dc.At(12, 12), kBlack);
    HPEN wide = CreatePen(PS_DASH, 5, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, wide);
    const POINT far[] = {{-big, -big}, {big, 10}, {INT_MIN, INT_MAX}};
    Polyline(dc, far, 3);
    Polygon(dc, far, 3);
    Rectangle(dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    Ellipse(dc, -big, -big, big, big);
    Arc(dc, -big, -big, big, big, big, 0, 0, -big);
    SelectObject(dc, old);
    DeleteObject(wide);
    const BYTE pixel[4] = {0, 255, 0, 0};
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), 1, 1, 1, 24, BI_RGB, 4, 0, 0, 0, 0};
    EXPECT_EQ(StretchDIBits(dc, INT_MIN, 0, INT_MAX, 20, 0, 0, 1, 1, pixel, &bmi, DIB_RGB_COLORS,
                            SRCCOPY),
              1);
    StretchBlt(dc, 0, 0, 20, 20, dc, INT_MIN, 0, INT_MIN, 1, SRCCOPY);
    PatBlt(dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX, PATCOPY);
    SUCCEED();
}

// Edges and (HBRUSH)(COLOR_x + 1) brushes use the one table of system colours.
TEST(GdiDraw, EtchedEdgeAndSystemBrushesUseTheSystemColours) {
    MemDC dc(20, 10);
    RECT r{0, 4, 20, 10};
    FillRect(dc, &r, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    EXPECT_EQ(dc.At(5, 9), ms::SystemColor(COLOR_WINDOW));
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
    EXPECT_EQ(dc.At(5, 4), ms::SystemColor(COLOR_BTNSHADOW));
    EXPECT_EQ(dc.At(5, 5), ms::SystemColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(dc.At(5, 6), RGB(128, 128, 128));
}

// An arc is the part of its ellipse's outline whose pixels lie within the angle from the
// start ray to the end ray (in the arc's direction, a billionth of a radian of slack): checked
// pixel by pixel against the outline Ellipse draws, over many boxes, ends and pen widths,
// including arcs of almost nothing, of half a turn and of almost a whole turn.
TEST(GdiDraw, ArcKeepsTheOutlinePixelsWithinItsAngle) {
    unsigned seed = 12345;
    auto next = [&](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(n));
    };
    auto norm = [](double a) {
        a = std::fmod(a, 2 * M_PI);
        return a < 0 ? a + 2 * M_PI : a;
    };
    for (int i = 0; i < 160; ++i) {
        const int l = next(30), t = next(30), r = l + 4 + next(60), b = t + 4 + next(60);
        const double cx = (double(l) + r - 1) / 2.0, cy = (double(t) + b - 1) / 2.0;
        POINT from{next(100), next(100)}, to{next(100), next(100)};
        if (i % 8 == 1) // half a turn
            to = POINT{static_cast<LONG>(2 * cx - from.x), static_cast<LONG>(2 * cy - from.y)};
        if (i % 8 == 2) // the same ray: a whole turn
            to = from;
        if (i % 8 == 3) // one pixel off the start ray
            to = POINT{from.x + 1, from.y};
        const int width = 1 + i % 3;
        const int dir = i % 2 ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE;
        MemDC outline(100, 100), arc(100, 100);
        HPEN pen = CreatePen(PS_SOLID, width, kBlack);
        SelectObject(outline, pen);
        SelectObject(arc, pen);
        SelectObject(outline, GetStockObject(NULL_BRUSH));
        Ellipse(outline, l, t, r, b);
        SetArcDirection(arc, dir);
        Arc(arc, l, t, r, b, from.x, from.y, to.x, to.y);
        auto angle = [&](double x, double y) { return std::atan2(-(y - cy), x - cx); };
        const double s = angle(from.x, from.y), e = angle(to.x, to.y);
        const bool ccw = dir == AD_COUNTERCLOCKWISE;
        const double span = ccw ? norm(e - s) : norm(s - e);
        const QImage ring = outline.Image(), drawn = arc.Image();
        const QRgb black = 0xFF000000u;
        int wrong = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                const double a = angle(x, y);
                const double d = ccw ? norm(a - s) : norm(s - a);
                const bool want = ring.pixel(x, y) == black && (span < 1e-12 || d <= span + 1e-9);
                wrong += want != (drawn.pixel(x, y) == black);
            }
        EXPECT_EQ(wrong, 0) << "box " << l << "," << t << "," << r << "," << b << " from "
                            << from.x << "," << from.y << " to " << to.x << "," << to.y
                            << " width " << width << " dir " << dir;
        SelectObject(outline, GetStockObject(BLACK_PEN));
        SelectObject(arc, GetStockObject(BLACK_PEN));
        DeleteObject(pen);
    }
}

} // namespace
