#include "capture/LiveShapes.h"

// Not drawn yet: the live shape drawing lands with the live painter's shapes.
void DrawShapesOnPicture(HDC, double, double) {}
void DrawGuidesOnPicture(HDC, double, double) {}
