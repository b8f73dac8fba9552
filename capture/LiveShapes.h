// The live lists drawn into a picture that the snapshot compositor is composing: the finished
// measurements of g_liveShapes and the guide shapes of g_livePolylines, their preview
// coordinates multiplied by the factors from preview to picture coordinates. The shape still
// being drawn with the mouse never goes into a picture. Both take LiveListsLock themselves and
// put back every object they select into `dc`. UI thread.
#pragma once

#include "platform/win/WinTypes.h"

void DrawShapesOnPicture(HDC dc, double scaleX, double scaleY);
void DrawGuidesOnPicture(HDC dc, double scaleX, double scaleY);
