#include "GdiTestEnv.h"
#include "platform/win/gdi/Surface.h"

#include <gtest/gtest.h>
#include <vector>

using namespace gdi_test;

namespace {

// A 4 x 4 icon: a red opaque 2 x 2 square in its top left, transparent elsewhere.
HICON RedCornerIcon() {
    QImage img(4, 4, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            img.setPixel(x, y, qRgba(255, 0, 0, 255));
    return ms::CreateIconFromQImage(img);
}

TEST(GdiIcon, DrawIconExPaintsOnlyTheOpaquePart) {
    HICON icon = RedCornerIcon();
    MemDC dc(8, 8);
    EXPECT_TRUE(DrawIconEx(dc, 2, 2, icon, 8, 8, 0, nullptr, DI_NORMAL)); // stretched twice
    EXPECT_EQ(dc.Count(RGB(255, 0, 0)), 16);
    EXPECT_EQ(dc.At(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(dc.At(6, 6), kWhite);
    // The menu's embossed look: the icon drawn into a white monochrome bitmap is its mask.
    HBITMAP mono = CreateBitmap(4, 4, 1, 1, nullptr);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mono);
    DrawIconEx(mdc, 0, 0, icon, 4, 4, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(GetPixel(mdc, 0, 0), kBlack);
    EXPECT_EQ(GetPixel(mdc, 3, 3), kWhite);
    SelectObject(mdc, old);
    DeleteObject(mono);
    DeleteDC(mdc);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_FALSE(DrawIcon(dc, 0, 0, icon));
}

// The image library turns an icon into a picture through GetIconInfo and GetDIBits, keeping
// the alpha channel of the 32-bit colour bitmap.
TEST(GdiIcon, IconInfoGivesColourWithAlphaAndMask) {
    HICON icon = RedCornerIcon();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    BITMAP bm{};
    GetObject(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<BYTE> rows(64);
    HDC screen = ms::CreateScreenDC();
    EXPECT_EQ(GetDIBits(screen, info.hbmColor, 0, 4, rows.data(), &bmi, DIB_RGB_COLORS), 4);
    // Bottom-up: stored row 3 is the icon's top row.
    EXPECT_EQ(rows[48 + 2], 255); // red
    EXPECT_EQ(rows[48 + 3], 255); // opaque
    EXPECT_EQ(rows[3], 0);        // transparent bottom row
    HDC mdc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mdc, info.hbmMask);
    EXPECT_EQ(GetPixel(mdc, 0, 0), kBlack);
    EXPECT_EQ(GetPixel(mdc, 3, 3), kWhite);
    SelectObject(mdc, old);
    DeleteDC(mdc);
    DeleteDC(screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}

} // namespace
