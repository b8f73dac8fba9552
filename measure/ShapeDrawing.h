// Drawing the finished shapes of a canvas, on the screen and into a saved picture: one set of
// rules by kind, with the two mappings and the few points in which the file differs (selected
// shapes red, circles measured in picture pixels, the automatic circle's radius and centre
// label). A record that holds fewer points than its kind uses is not drawn, and only the label
// lines it holds are written, so drawing never reads past a record.
#pragma once

#include "measure/MeasureRecords.h"
#include "measure/ShapePainter.h"

#include "platform/win/WinTypes.h"

// The number of points a record of `kind` needs to be drawn; 0 for kinds that draw nothing.
size_t PointsOfKind(int kind, bool toFile);

// Draws `record` into `dc` (its pens and fonts made for it and deleted after it; the null
// brush stays selected once a hollow outline was drawn). The continuous line's total uses
// `decimals` and `unit`.
void DrawMeasureRecord(HDC dc, const CMeasureRecord& record, const ShapeMapping& mapping,
                       int decimals, const WCHAR* unit);

// The foot of the perpendicular from p2 onto the line through p0 and p1 (dotted line kind).
POINT DotLineFoot(POINT p0, POINT p1, POINT p2);
