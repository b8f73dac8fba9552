// Bridges between GDI handles and Qt, for the resource loader and the window layer.
#pragma once

#include "platform/win/gdi/Gdi.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <string_view>

namespace ms {

// A colour bitmap holding a copy of the image (alpha dropped). Caller owns it (DeleteObject).
HBITMAP CreateBitmapFromQImage(const QImage& image);
// A copy of the bitmap's pixels as Format_RGB32; null image for a bad handle.
QImage ImageOfBitmap(HBITMAP bitmap);

// An icon (or cursor, with its hot spot) from an image with alpha. Caller owns it (DestroyIcon).
HICON CreateIconFromQImage(const QImage& image, bool isIcon = true, int xHotspot = 0,
                           int yHotspot = 0);
// ARGB32 copy of the icon; null image for a bad handle.
QImage ImageOfIcon(HICON icon);
POINT IconHotspot(HICON icon);

// The installed family that stands in for a Windows face name ("Arial" -> "Liberation Sans").
QString MapFontFace(std::u16string_view face);
// The Qt font GDI draws for a LOGFONTW (pixel sizes, 96 dpi), and for a font handle (a default
// font for a bad handle). Native controls use it for WM_SETFONT.
QFont QFontFromLogFont(const LOGFONTW& lf);
QFont QFontOfHandle(HFONT font);

// Runs of text are drawn from a cache of the pixels Qt drew for them (the same pixels, without
// shaping and rasterising the text again). Off: Qt draws every run; tests compare the two.
void SetTextRunCache(bool on);

// The system colours (the one table GetSysColor answers from) and their brushes: stock
// objects that DeleteObject leaves alone, null for an unknown index.
COLORREF SystemColor(int index);
HBRUSH SysColorBrush(int index);

// HORZRES/VERTRES: the primary screen's size when a GUI application exists, else this size
// (also a test's way to pin it). Default 1280 x 1024.
void SetScreenSize(int width, int height);

} // namespace ms
