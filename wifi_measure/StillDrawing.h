// Drawing the still view's items: one rule per kind over the shared shape painter, for the
// screen (points less the scroll position) and for the saved picture (points times the
// picture scale) alike.
#pragma once

#include "measure/MeasureRecords.h"
#include "measure/ShapePainter.h"

#include "platform/win/WinTypes.h"

// The points an item of still kind `kind` needs to be drawn; 0 for kinds that draw nothing.
size_t PointsOfStillKind(int kind);

// Draws one item: its lines with its own pen (made for it and deleted before its labels), its
// circles hollow, its labels in its label colour, up to three lines one label step apart; the
// fold line with its total ("T:" with `decimals` and `unit`) below its last label. An item
// with fewer points than its kind needs draws nothing.
void DrawStillItem(HDC dc, const CMeasureRecord& item, const ShapeMapping& mapping, int decimals,
                   const WCHAR* unit);
