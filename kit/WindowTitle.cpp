#include "kit/WindowTitle.h"

#include "platform/win/gdi/Gdi.h"

#include <string>

namespace ms::ui {

void DrawWindowTitle(HDC dc, const RECT& client, LPCWSTR title, int top) {
    if (!dc || !title)
        return;
    HFONT font = ::CreateFontW(20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                               VARIABLE_PITCH | FF_MODERN, u"Arial Unicode MS");
    HGDIOBJ old = ::SelectObject(dc, font);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(dc, RGB(0, 0, 0));
    const int length = static_cast<int>(std::char_traits<char16_t>::length(title));
    SIZE size{};
    ::GetTextExtentPoint32W(dc, title, length, &size);
    ::TextOutW(dc, (client.right - client.left - size.cx) / 2, top, title, length);
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
}

} // namespace ms::ui
