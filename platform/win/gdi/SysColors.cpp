// The one table of system colours: GetSysColor, GetSysColorBrush, DrawEdge and the
// (HBRUSH)(COLOR_x + 1) brushes of window classes all read it, so a dialog's background and
// its controls' backgrounds are the same grey. A light scheme close to the classic Windows
// one: owner-drawn menus and edges look as their artwork expects.
#include "gdi/GdiPriv.h"

namespace ms::gdi {

COLORREF SysColor(int index) {
    switch (index) {
    case COLOR_SCROLLBAR:
        return RGB(200, 200, 200);
    case COLOR_BACKGROUND:
        return RGB(0, 78, 152);
    case COLOR_ACTIVECAPTION:
        return RGB(0, 84, 227);
    case COLOR_INACTIVECAPTION:
        return RGB(122, 150, 223);
    case COLOR_MENU:
        return RGB(255, 255, 255);
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME:
        return 0;
    case COLOR_MENUTEXT:
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
    case COLOR_INFOTEXT:
        return 0;
    case COLOR_CAPTIONTEXT:
    case COLOR_HIGHLIGHTTEXT:
        return RGB(255, 255, 255);
    case COLOR_ACTIVEBORDER:
    case COLOR_INACTIVEBORDER:
    case COLOR_BTNFACE:
        return RGB(236, 233, 216);
    case COLOR_APPWORKSPACE:
        return RGB(128, 128, 128);
    case COLOR_HIGHLIGHT:
        return RGB(49, 106, 197);
    case COLOR_BTNSHADOW:
        return RGB(172, 168, 153);
    case COLOR_GRAYTEXT:
        return RGB(172, 168, 153);
    case COLOR_INACTIVECAPTIONTEXT:
        return RGB(216, 228, 248);
    case COLOR_BTNHIGHLIGHT:
        return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW:
        return RGB(113, 111, 100);
    case COLOR_3DLIGHT:
        return RGB(241, 239, 226);
    case COLOR_INFOBK:
        return RGB(255, 255, 225);
    case COLOR_HOTLIGHT:
        return RGB(0, 0, 128);
    default:
        return 0;
    }
}

} // namespace ms::gdi
