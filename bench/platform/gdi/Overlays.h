// The measuring overlays a live frame carries, for the benchmarks: `shapes` lines and circles
// drawn with `pen` and no fill, as the frame painter draws them.
#pragma once

#include "platform/win/gdi/Gdi.h"

inline void DrawOverlayShapes(HDC dc, HPEN pen, int shapes) {
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    for (int i = 0; i < shapes; ++i) {
        MoveToEx(dc, 20 + i * 50, 40, nullptr);
        LineTo(dc, 300 + i * 20, 400);
        Ellipse(dc, 100 + i * 30, 100, 300 + i * 30, 300);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}
