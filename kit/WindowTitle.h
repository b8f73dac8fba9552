// The title that the caption-less skinned windows draw themselves: black, bold 20-pixel
// "Arial Unicode MS" on a transparent background, centred across the client area at `top`.
#pragma once

#include "platform/win/WinTypes.h"

namespace ms::ui {

void DrawWindowTitle(HDC dc, const RECT& client, LPCWSTR title, int top);

} // namespace ms::ui
