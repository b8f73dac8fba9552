// Drawing an arc through three points, the one piece of the measurement geometry that needs
// a device context (library measuredraw, over the GDI stand-in).
#pragma once

#include "platform/win/WinTypes.h"

// Draws the arc of the circle through the three points from p1 to p3 passing through p2,
// with the DC's pen, for the default counter-clockwise arc direction. Collinear or
// coincident points draw nothing.
void DrawArcThroughPoints(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3);
