#include "measure/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

bool Eq(POINT p, LONG x, LONG y) {
    return p.x == x && p.y == y;
}

TEST(OffsetPerpendicular, DiagonalTruncatesTowardZero) {
    POINT a1, a2, b1, b2;
    OffsetPerpendicular(0, 0, 100, 100, a1, a2, b1, b2, 10);
    EXPECT_TRUE(Eq(a1, 7, -7));
    EXPECT_TRUE(Eq(a2, -7, 7));
    EXPECT_TRUE(Eq(b1, 107, 92));
    EXPECT_TRUE(Eq(b2, 92, 107));
}

TEST(OffsetPerpendicular, VerticalAndHorizontalLines) {
    POINT a1, a2, b1, b2;
    OffsetPerpendicular(5, 0, 5, 50, a1, a2, b1, b2, 6);
    EXPECT_TRUE(Eq(a1, -1, 0) && Eq(a2, 11, 0) && Eq(b1, -1, 50) && Eq(b2, 11, 50));
    OffsetPerpendicular(0, 5, 50, 5, a1, a2, b1, b2, 6);
    EXPECT_TRUE(Eq(a1, 0, -1) && Eq(a2, 0, 11) && Eq(b1, 50, -1) && Eq(b2, 50, 11));
}

TEST(PerpendicularFoot, CasesWithScales) {
    struct Case {
        int x1, y1, x2, y2, px, py;
        double sx, sy;
        LONG fx, fy;
    } cases[] = {
        {0, 0, 10, 10, 0, 10, 1.0, 1.0, 5, 5},
        {3, 0, 3, 10, 9, 4, 1.0, 1.0, 3, 4}, // vertical line
        {0, 7, 10, 7, 4, 1, 1.0, 1.0, 4, 7}, // horizontal line
        {3, 0, 3, 10, 9, 4, 2.0, 0.5, 6, 2}, // scaled
        {0, 0, 10, 10, 0, 10, 2.0, 2.0, 10, 10},
        {0, 0, 10, 10, 0, 10, 0.0, 1.0, 0, 10}, // a zero scale never divides by zero
    };
    for (const Case& c : cases) {
        POINT f{-99, -99};
        PerpendicularFoot(c.x1, c.y1, c.x2, c.y2, c.px, c.py, c.sx, c.sy, f);
        EXPECT_TRUE(Eq(f, c.fx, c.fy)) << c.x1 << "," << c.y1 << " got " << f.x << "," << f.y;
    }
}

TEST(LineSectionBox, Rules) {
    struct Case {
        POINT p1, p2;
        bool matched;
        RECT box;
        int orientation;
    } cases[] = {
        {{0, 0}, {100, 100}, true, {0, 0, 100, 100}, 1},
        {{100, 100}, {0, 0}, true, {0, 0, 100, 100}, 1},
        {{0, 0}, {0, 100}, true, {-20, 0, 20, 100}, 3},
        {{0, 100}, {0, 0}, true, {-20, 0, 20, 100}, 3},
        {{0, 0}, {10, 100}, true, {-20, 0, 30, 100}, 1},
        {{10, 0}, {0, 100}, true, {-10, 0, 20, 100}, 2},
        {{0, 0}, {100, 0}, true, {0, -20, 100, 20}, 4},
        {{100, 0}, {0, 0}, true, {0, 20, 100, -20}, 4},
        {{0, 0}, {100, 10}, true, {0, -20, 100, 30}, 1},
        {{10, 0}, {0, 10}, true, {0, 30, 10, -20}, 2},
        {{100, 0}, {0, 100}, true, {0, 0, 100, 100}, 2},
        {{0, 100}, {100, 0}, true, {0, 0, 100, 100}, 2},
        // Exactly 20 in one direction while the other exceeds 20: no rule.
        {{0, 0}, {20, 100}, false, {}, 0},
        {{0, 0}, {100, 20}, false, {}, 0},
        {{5, 5}, {5, 5}, false, {}, 0},
    };
    for (const Case& c : cases) {
        RECT box{1, 2, 3, 4};
        int orientation = 77;
        const bool matched = LineSectionBox(c.p1, c.p2, box, orientation);
        SCOPED_TRACE(testing::Message()
                     << c.p1.x << "," << c.p1.y << " -> " << c.p2.x << "," << c.p2.y);
        ASSERT_EQ(matched, c.matched);
        if (c.matched) {
            EXPECT_EQ(box.left, c.box.left);
            EXPECT_EQ(box.top, c.box.top);
            EXPECT_EQ(box.right, c.box.right);
            EXPECT_EQ(box.bottom, c.box.bottom);
            EXPECT_EQ(orientation, c.orientation);
        } else {
            EXPECT_TRUE(box.left == 1 && box.top == 2 && box.right == 3 && box.bottom == 4);
            EXPECT_EQ(orientation, 77);
        }
    }
}

TEST(CircleThroughPoints, ConstructionAndFlag) {
    POINT c{};
    double r = 0;
    int flag = -1;
    ASSERT_TRUE(CircleThroughPoints(0, 0, 10, 10, 20, 0, c, r, flag));
    EXPECT_TRUE(Eq(c, 10, 0));
    EXPECT_EQ(r, 10.0);
    EXPECT_EQ(flag, 1);

    ASSERT_TRUE(CircleThroughPoints(20, 0, 10, 10, 0, 0, c, r, flag));
    EXPECT_TRUE(Eq(c, 10, 0));
    EXPECT_EQ(flag, 0);

    // A horizontal chord takes the vertical slope constant; the radius is truncated.
    ASSERT_TRUE(CircleThroughPoints(0, 0, 10, 0, 10, 10, c, r, flag));
    EXPECT_TRUE(Eq(c, 5, 5));
    EXPECT_EQ(r, 7.0);
}

TEST(CircleThroughPoints, DegenerateLeavesOutputs) {
    const int sets[][6] = {{0, 0, 10, 10, 20, 20},
                           {0, 0, 10, 0, 30, 0},
                           {0, 5, 0, 10, 0, 50},
                           {3, 3, 3, 3, 9, 1},
                           {3, 3, 3, 3, 3, 3}};
    for (const auto& s : sets) {
        POINT c{-1, -2};
        double r = -3;
        int flag = -4;
        EXPECT_FALSE(CircleThroughPoints(s[0], s[1], s[2], s[3], s[4], s[5], c, r, flag));
        EXPECT_TRUE(Eq(c, -1, -2) && r == -3 && flag == -4);
    }
}

TEST(CircleCentre, RoundsAndCoversEveryBranch) {
    struct Case {
        int p[6];
        LONG cx, cy;
    } cases[] = {
        {{0, 0, 0, 20, 10, 10}, 0, 10}, // p1p2 vertical
        {{0, 0, 10, 10, 0, 20}, 0, 10}, // p1p3 vertical
        {{0, 0, 10, 10, 20, 0}, 10, 0}, // p1p3 horizontal: no division by its zero slope
        {{0, 0, 7, 1, 2, 9}, 3, 4},     // general
    };
    for (const Case& c : cases) {
        POINT centre{-9, -9};
        ASSERT_TRUE(CircleCentre(c.p[0], c.p[1], c.p[2], c.p[3], c.p[4], c.p[5], centre));
        EXPECT_TRUE(Eq(centre, c.cx, c.cy)) << centre.x << "," << centre.y;
    }
    POINT centre{-9, -9};
    EXPECT_FALSE(CircleCentre(0, 0, 5, 5, 10, 10, centre));
    EXPECT_TRUE(Eq(centre, -9, -9));
}

TEST(FitCircle, SixtyThreePointsOfALargeCircle) {
    std::vector<POINT> pts;
    for (int i = 0; i < 63; ++i) {
        const double t = i * 0.1;
        pts.push_back(POINT{LONG(std::lround(1000 + 500 * std::cos(t))),
                            LONG(std::lround(1000 + 500 * std::sin(t)))});
    }
    double cx = 0, cy = 0, r = 0;
    ASSERT_EQ(FitCircle(pts.data(), int(pts.size()), cx, cy, r), 1);
    EXPECT_NEAR(cx, 1000.0, 1.0);
    EXPECT_NEAR(cy, 1000.0, 1.0);
    EXPECT_NEAR(r, 500.0, 1.0);
}

TEST(FitCircle, RefusesTooFewOrCollinearPoints) {
    const POINT two[] = {{0, 0}, {10, 10}};
    const POINT line[] = {{0, 0}, {10, 10}, {20, 20}, {30, 30}};
    const POINT same[] = {{4, 4}, {4, 4}, {4, 4}};
    double cx = -1, cy = -1, r = -1;
    EXPECT_EQ(FitCircle(two, 2, cx, cy, r), 0);
    EXPECT_EQ(FitCircle(line, 4, cx, cy, r), 0);
    EXPECT_EQ(FitCircle(same, 3, cx, cy, r), 0);
    EXPECT_EQ(FitCircle(nullptr, 5, cx, cy, r), 0);
    EXPECT_TRUE(cx == -1 && cy == -1 && r == -1);
}

TEST(AngleBetweenLines, Table) {
    struct Case {
        int p[8];
        double degrees;
    } cases[] = {
        {{0, 0, 10, 0, 0, 0, 0, 10}, 90.0},
        {{10, 0, 0, 0, 0, 5, 20, 5}, 180.0}, // horizontal, opposite
        {{0, 0, 10, 0, 0, 5, 20, 5}, 0.0},   // parallel
        {{0, 0, 0, 10, 5, 0, 5, 10}, 0.0},   // both vertical
        {{0, 10, 0, 0, 5, 0, 5, 5}, 0.0},    // both vertical, y2 < y1 but y1 not < y4
        {{0, 5, 0, 0, 5, 0, 5, 20}, 180.0},  // both vertical: y2 < y1 < y4
        {{0, 0, 10, 10, 0, 0, 10, 0}, 45.0},
        {{0, 0, 10, 10, 20, 0, 10, 10}, 90.0},
    };
    for (const Case& c : cases) {
        const double a =
            AngleBetweenLines(c.p[0], c.p[1], c.p[2], c.p[3], c.p[4], c.p[5], c.p[6], c.p[7]);
        EXPECT_NEAR(a, c.degrees, 1e-5)
            << c.p[0] << "," << c.p[1] << "," << c.p[2] << "," << c.p[3];
    }
}

TEST(AngleBetweenLines, ZeroLengthArmGivesNoNaN) {
    const int sets[][8] = {
        {5, 5, 5, 5, 0, 0, 10, 0},   // line 1 is a point on line 2's line
        {5, 0, 5, 0, 0, 0, 10, 0},   // the point lies on line 2
        {0, 0, 10, 0, 3, 3, 3, 3},   // line 2 is a point
        {0, 0, 10, 0, 0, 0, 10, 10}, // the far ends do not touch the intersection
        {4, 4, 4, 4, 4, 4, 4, 4},
    };
    for (const auto& s : sets) {
        const double a = AngleBetweenLines(s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7]);
        EXPECT_FALSE(std::isnan(a));
        EXPECT_GE(a, 0.0);
        EXPECT_LE(a, 180.0);
    }
}

TEST(RayAngle, CounterClockwiseOnTheScreen) {
    EXPECT_NEAR(RayAngle(10, 0, 0, 0, 0, -10), 90.0, 1e-5);
    EXPECT_NEAR(RayAngle(10, 0, 0, 0, 10, 0), 360.0, 1e-5);
    EXPECT_NEAR(RayAngle(0, -10, 0, 0, 10, 0), 270.0, 1e-4);
    EXPECT_NEAR(RayAngle(10, 0, 0, 0, -10, 0), 180.0, 1e-4);
    EXPECT_FALSE(std::isnan(RayAngle(0, 0, 0, 0, 0, 0)));
}

} // namespace
