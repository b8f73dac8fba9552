// Pieces of the live overlays that need no window: the date-time stamp's text and the
// spacings of the scale bar and the circle template.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

// "%d-%d-%d %d:%d:%d", nothing padded: 2026-3-7 9:5:1.
std::u16string DateTimeStampText(const SYSTEMTIME& time);

// The pixel spacing trunc(value + 0.5) of ticks or rings; 0 (draw none) when it comes out
// below 1, and never more than `limit`, so that a loop over it always ends.
int OverlaySpacing(double value, int limit);
