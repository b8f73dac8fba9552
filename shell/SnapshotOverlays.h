// The switchable overlays burnt into a snapshot: the cross line, the scale bar (a ruler along
// both centre lines, labelled in the current unit) and the circle template (rings around the
// centre). They are laid out in picture pixels: the unit length grows with the capture size,
// so a 1280-wide picture shows the ruler the 640-wide preview shows, twice as large. The
// date-time stamp of the live view never goes into a picture.
#pragma once

#include "platform/win/WinTypes.h"

struct SnapshotOverlays {
    int width = 0, height = 0; // the picture; its centre is (width / 2, height / 2)
    int crossLine = 0, scaleBar = 0, circleTemplate = 0;
    double liveScale = 0; // unit length on the 640-wide preview: magnification / (S x 10)
    double zoomRate = 0;  // the magnification; above 30 the ruler is finer
    const WCHAR* unit = u"mm";
};

// Unit length on a picture of this size relative to the preview: 0.5 for 320 x 240, 2 for
// 1280 x 960 and 1280 x 1024, 2.5 for 1600 x 1200, 3.2 for 2048 x 1536, 4.05 for 2592 x 1944,
// 1 for 640 x 480 and every other size.
double OverlaySizeFactor(int width, int height);

// Draws the overlays whose switch is 1 into `dc`, in the order cross line, scale bar, circle
// template, and puts back every object, colour and mode it changed. A ruler or ring spacing
// that comes out below one pixel leaves the ticks and labels, or the rings, out (the centre
// lines stay), so drawing always ends.
void DrawSnapshotOverlays(HDC dc, const SnapshotOverlays& overlays);
