// System metrics, work area and system colours: the screen's own size where there is a
// screen, otherwise, and for every other metric, the fixed numbers of a classic 96-dpi desktop;
// the colours come from the GDI layer's one table.
#include "platform/win/window/WinUser.h"

#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

int GetSystemMetrics(int index) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect geo = screen ? screen->geometry() : QRect(0, 0, 1280, 1024);
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
        return geo.width();
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        return geo.height();
    case SM_CXFULLSCREEN:
        return geo.width();
    case SM_CYFULLSCREEN:
        return geo.height() - 19;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 17;
    case SM_CYCAPTION:
        return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 20;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return 13;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    default:
        return 0;
    }
}

BOOL SystemParametersInfo(UINT action, UINT, PVOID pvParam, UINT) {
    if (!pvParam)
        return FALSE;
    if (action == SPI_GETWORKAREA) {
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect a = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
        *static_cast<RECT*>(pvParam) =
            RECT{a.left(), a.top(), a.left() + a.width(), a.top() + a.height()};
        return TRUE;
    }
    if (action == SPI_GETNONCLIENTMETRICS) {
        auto* m = static_cast<NONCLIENTMETRICSW*>(pvParam);
        const UINT size = m->cbSize;
        *m = NONCLIENTMETRICSW{};
        m->cbSize = size;
        m->iBorderWidth = 1;
        m->iScrollWidth = m->iScrollHeight = 17;
        m->iCaptionWidth = m->iCaptionHeight = 18;
        m->iSmCaptionWidth = m->iSmCaptionHeight = 12;
        m->iMenuWidth = m->iMenuHeight = 19;
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfWeight = 400;
        const char16_t face[] = u"Tahoma";
        std::copy(std::begin(face), std::end(face), lf.lfFaceName);
        m->lfCaptionFont = m->lfSmCaptionFont = m->lfMenuFont = m->lfStatusFont = m->lfMessageFont =
            lf;
        m->lfCaptionFont.lfWeight = 700;
        return TRUE;
    }
    return FALSE;
}

DWORD GetSysColor(int index) {
    return ms::SystemColor(index);
}

HBRUSH GetSysColorBrush(int index) {
    return ms::SysColorBrush(index);
}
