// A record of the GDI calls made on a DC, for tests that check what was drawn without
// depending on font rasterisation. Recording DCs still draw, so pixels can be checked too.
#pragma once

#include "platform/win/gdi/Gdi.h"

#include <string>
#include <vector>

namespace ms {

class Surface;

// SelectObject records what was selected: (OBJ_PEN, style, width, colour),
// (OBJ_BRUSH, style, colour), (OBJ_FONT, height, width, escapement, weight) with the face as
// text, (OBJ_BITMAP, width, height), (OBJ_REGION).
struct GdiCall {
    std::string name;       // the Win32 name without W suffix: "LineTo", "TextOut", ...
    std::vector<long> args; // integer arguments in call order (colours as COLORREF)
    std::u16string text;    // the text of text calls, the face of a selected font
    // "LineTo(10,20)", "TextOut(5,6,\"L:5.930mm\")"
    std::string ToString() const;
};

// A memory DC with a width x height colour bitmap selected, recording from the start.
HDC CreateRecordingDC(int width, int height);
// Start recording on any DC (clears an earlier record of it).
void StartRecording(HDC hdc);
// Every DC created on the surface from now on records into the surface's list.
void StartRecording(Surface& surface);
void StopRecording(Surface& surface);
// Returns and clears what was recorded.
std::vector<GdiCall> TakeRecordedCalls(HDC hdc);
std::vector<GdiCall> TakeRecordedCalls(Surface& surface);
// The calls as one string, one ToString() per line; handy for EXPECT_THAT with HasSubstr.
std::string ToString(const std::vector<GdiCall>& calls);

} // namespace ms
