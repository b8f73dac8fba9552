#include "measure/ArcDraw.h"

#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/RecordingDC.h"

#include <gtest/gtest.h>

namespace {

std::string Drawn(int x1, int y1, int x2, int y2, int x3, int y3) {
    HDC dc = ms::CreateRecordingDC(64, 64);
    DrawArcThroughPoints(dc, x1, y1, x2, y2, x3, y3);
    const std::string calls = ms::ToString(ms::TakeRecordedCalls(dc));
    DeleteDC(dc);
    return calls;
}

TEST(DrawArcThroughPoints, StartsWhereTheCounterClockwiseArcPassesTheMiddlePoint) {
    // p1, p2, p3 run counter-clockwise on the screen: from p1 to p3.
    EXPECT_NE(Drawn(0, 0, 10, 10, 20, 0).find("Arc(0,-10,20,10,0,0,20,0)"), std::string::npos);
    // The other way round: from p3 to p1.
    EXPECT_NE(Drawn(20, 0, 10, 10, 0, 0).find("Arc(0,-10,20,10,0,0,20,0)"), std::string::npos);
    EXPECT_NE(Drawn(0, 0, 10, -10, 20, 0).find("Arc(0,-10,20,10,20,0,0,0)"), std::string::npos);
}

TEST(DrawArcThroughPoints, CollinearPointsDrawNothing) {
    EXPECT_EQ(Drawn(0, 0, 10, 10, 20, 20).find("Arc"), std::string::npos);
    EXPECT_EQ(Drawn(5, 5, 5, 5, 9, 9).find("Arc"), std::string::npos);
}

TEST(DrawArcThroughPoints, ArcPixelsLieOnTheCircle) {
    HDC dc = ms::CreateRecordingDC(64, 64);
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RECT all{0, 0, 64, 64};
    FillRect(dc, &all, white);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    // Centre (32, 32), radius 20: the arc from the left point through the bottom to the right.
    DrawArcThroughPoints(dc, 12, 32, 32, 52, 52, 32);
    SelectObject(dc, old);
    DeleteObject(pen);
    EXPECT_EQ(GetPixel(dc, 32, 51) & 0xFFFFFF, 0u); // bottom of the circle (box excludes row 52)
    EXPECT_EQ(GetPixel(dc, 32, 12) & 0xFFFFFF, 0xFFFFFFu); // top half not drawn
    DeleteDC(dc);
}

} // namespace
