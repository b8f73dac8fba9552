#include "measure/ArcDraw.h"

#include "measure/Geometry.h"
#include "platform/win/gdi/Gdi.h"

void DrawArcThroughPoints(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3) {
    POINT c{};
    double radius = 0;
    int counterClockwise = 0;
    if (!CircleThroughPoints(x1, y1, x2, y2, x3, y3, c, radius, counterClockwise))
        return;
    const int r = static_cast<int>(radius);
    // Arc runs counter-clockwise from its start to its end point: from p1 when the three
    // points run counter-clockwise on the screen, else from p3, so that it passes through p2.
    if (counterClockwise)
        Arc(hdc, c.x - r, c.y - r, c.x + r, c.y + r, x1, y1, x3, y3);
    else
        Arc(hdc, c.x - r, c.y - r, c.x + r, c.y + r, x3, y3, x1, y1);
}
