// Small helpers for GDI pixel tests: a memory DC over a white bitmap and pixel queries.
#pragma once

#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"

#include <QImage>
#include <QRect>

namespace gdi_test {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A memory DC with a width x height colour bitmap, cleared to white.
struct MemDC {
    MemDC(int width, int height) {
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateCompatibleBitmap(dc, width, height);
        old = SelectObject(dc, bmp);
        RECT r{0, 0, width, height};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~MemDC() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    MemDC(const MemDC&) = delete;
    MemDC& operator=(const MemDC&) = delete;
    operator HDC() const { return dc; }
    QImage Image() const { return ms::ImageOfBitmap(bmp); }
    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    // Number of pixels of the colour, and their bounding box (empty when none).
    int Count(COLORREF c, QRect* box = nullptr) const;
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
};

} // namespace gdi_test
