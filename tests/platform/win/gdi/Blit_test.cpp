#include "GdiTestEnv.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace gdi_test;

namespace {

BITMAPINFO Header24(int w, int h) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    return bmi;
}

// 2 x 2 bottom-up 24-bit frame: stored rows bottom first, each padded to 8 bytes.
// Bottom row: red, green; top row: blue, white.
std::vector<BYTE> Frame2x2() {
    return {0,   0, 255, 0,   255, 0,   0, 0,  // bottom: red, green (BGR)
            255, 0, 0,   255, 255, 255, 0, 0}; // top: blue, white
}

TEST(GdiBlit, StretchDIBitsDoublesEveryPixelAndFlipsOnNegativeHeight) {
    const auto bits = Frame2x2();
    const BITMAPINFO bmi = Header24(2, 2);
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255);
    for (bool flipped : {false, true}) {
        MemDC dc(4, 4);
        SetStretchBltMode(dc, COLORONCOLOR);
        const int lines = flipped ? StretchDIBits(dc, 0, 4, 4, -4, 0, 0, 2, 2, bits.data(), &bmi,
                                                  DIB_RGB_COLORS, SRCCOPY)
                                  : StretchDIBits(dc, 0, 0, 4, 4, 0, 0, 2, 2, bits.data(), &bmi,
                                                  DIB_RGB_COLORS, SRCCOPY);
        EXPECT_EQ(lines, 2);
        const COLORREF topLeft = flipped ? red : blue, topRight = flipped ? green : kWhite;
        const COLORREF bottomLeft = flipped ? blue : red;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const COLORREF want = y < 2 ? (x < 2 ? topLeft : topRight)
                                            : (x < 2 ? bottomLeft : (flipped ? kWhite : green));
                EXPECT_EQ(dc.At(x, y), want) << x << "," << y << (flipped ? " flipped" : "");
            }
    }
}

TEST(GdiBlit, StretchDIBitsMirrorsOnNegativeWidthAndShrinksByNearestPixel) {
    const auto bits = Frame2x2();
    const BITMAPINFO bmi = Header24(2, 2);
    MemDC dc(4, 4);
    StretchDIBits(dc, 2, 0, -2, 2, 0, 0, 2, 2, bits.data(), &bmi, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(dc.At(0, 0), kWhite); // top row mirrored: white, blue
    EXPECT_EQ(dc.At(1, 0), RGB(0, 0, 255));
    EXPECT_EQ(dc.At(0, 1), RGB(0, 255, 0));
    // 32-bit top-down (the video player's frames): the first stored row is the top.
    const BYTE rows32[] = {0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0};
    BITMAPINFO bmi32 = Header24(2, -2);
    bmi32.bmiHeader.biBitCount = 32;
    StretchDIBits(dc, 0, 2, 2, 2, 0, 0, 2, 2, rows32, &bmi32, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(dc.At(0, 2), RGB(255, 0, 0));
    EXPECT_EQ(dc.At(1, 2), RGB(0, 0, 255));
    EXPECT_EQ(dc.At(0, 3), RGB(0, 255, 0));
    // 1600 x 1200 into 640 x 480 (the live view): every destination pixel comes from one
    // source pixel, and the frame's bottom stored row lands at the bottom.
    const int W = 1600, H = 1200;
    std::vector<BYTE> big(static_cast<size_t>(W) * H * 3, 0);
    for (int x = 0; x < 3 * W; ++x)
        big[static_cast<size_t>(x) * 3 + 2] = 255; // stored rows 0-2 (the bottom) red
    const BITMAPINFO bigInfo = Header24(W, H);
    MemDC live(640, 480);
    StretchDIBits(live, 0, 0, 640, 480, 0, 0, W, H, big.data(), &bigInfo, DIB_RGB_COLORS, SRCCOPY);
    QRect box;
    EXPECT_EQ(live.Count(RGB(255, 0, 0), &box), 640);
    EXPECT_EQ(box, QRect(0, 479, 640, 1));
}

TEST(GdiBlit, GetDIBitsOfA32BitBitmapTo24BitBottomUp) {
    MemDC dc(3, 2);
    SetPixel(dc, 0, 0, RGB(10, 20, 30)); // top left
    SetPixel(dc, 2, 1, RGB(40, 50, 60)); // bottom right
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    // First call: the bitmap describes itself.
    SelectObject(dc, dc.old); // GetDIBits wants the bitmap not selected, as on Windows
    ASSERT_NE(GetDIBits(dc, dc.bmp, 0, 2, nullptr, &bmi, DIB_RGB_COLORS), 0);
    EXPECT_EQ(bmi.bmiHeader.biWidth, 3);
    EXPECT_EQ(bmi.bmiHeader.biHeight, 2);
    EXPECT_EQ(bmi.bmiHeader.biBitCount, 32);
    BITMAP bm{};
    GetObject(dc.bmp, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmWidth, 3);
    bmi = Header24(3, 2);
    std::vector<BYTE> rows(2 * 12, 0xEE); // 9 bytes of pixels + 3 of padding per row
    EXPECT_EQ(GetDIBits(dc, dc.bmp, 0, 2, rows.data(), &bmi, DIB_RGB_COLORS), 2);
    EXPECT_EQ(bmi.bmiHeader.biSizeImage, 24u);
    // Stored row 0 is the bitmap's bottom line.
    EXPECT_EQ(rows[6], 60);
    EXPECT_EQ(rows[7], 50);
    EXPECT_EQ(rows[8], 40);
    EXPECT_EQ(rows[12], 30);
    EXPECT_EQ(rows[13], 20);
    EXPECT_EQ(rows[14], 10);
    EXPECT_EQ(rows[3], 255); // white elsewhere
    SelectObject(dc, dc.bmp);
}

struct DibCase {
    int bpp;
    bool bottomUp;
};

// Drawing into a DIB section lands in its bits in the DIB's own layout, and bits written by
// the caller show when the section is drawn from.
TEST(GdiBlit, DibSectionsOfEveryDepthAndOrientation) {
    const DibCase cases[] = {{1, true},  {1, false}, {4, true},   {4, false}, {8, true},
                             {8, false}, {24, true}, {24, false}, {32, true}, {32, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bpp << (c.bottomUp ? " bottom-up" : " top-down"));
        struct {
            BITMAPINFOHEADER h;
            RGBQUAD colors[256];
        } info{};
        info.h.biSize = sizeof(BITMAPINFOHEADER);
        info.h.biWidth = 9;
        info.h.biHeight = c.bottomUp ? 4 : -4;
        info.h.biPlanes = 1;
        info.h.biBitCount = static_cast<WORD>(c.bpp);
        info.colors[0] = RGBQUAD{0, 0, 0, 0};
        info.colors[1] = RGBQUAD{0, 0, 255, 0}; // red
        void* raw = nullptr;
        HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, &raw, nullptr, 0);
        ASSERT_NE(dib, nullptr);
        ASSERT_NE(raw, nullptr);
        auto* bits = static_cast<BYTE*>(raw);
        const int stride = ((9 * c.bpp + 31) / 32) * 4;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, dib);
        SetPixel(dc, 8, 0, RGB(255, 0, 0)); // top row, last column
        const BYTE* top = bits + (c.bottomUp ? 3 * stride : 0);
        switch (c.bpp) {
        case 1:
            EXPECT_EQ((top[1] >> 7) & 1, 1);
            break;
        case 4:
            EXPECT_EQ(top[4] >> 4, 1);
            break;
        case 8:
            EXPECT_EQ(top[8], 1);
            break;
        default:
            EXPECT_EQ(top[8 * (c.bpp / 8) + 2], 255);
            EXPECT_EQ(top[8 * (c.bpp / 8)], 0);
        }
        // The caller writes the bottom row's first pixel; drawing from the DC sees it.
        BYTE* bottom = bits + (c.bottomUp ? 0 : 3 * stride);
        if (c.bpp == 1)
            bottom[0] = 0x80;
        else if (c.bpp == 4)
            bottom[0] = 0x10;
        else if (c.bpp == 8)
            bottom[0] = 1;
        else
            bottom[2] = 255;
        EXPECT_EQ(GetPixel(dc, 0, 3), RGB(255, 0, 0));
        DIBSECTION ds{};
        EXPECT_EQ(GetObject(dib, sizeof ds, &ds), static_cast<int>(sizeof ds));
        EXPECT_EQ(ds.dsBm.bmBits, raw);
        EXPECT_EQ(ds.dsBmih.biBitCount, c.bpp);
        SelectObject(dc, old);
        DeleteObject(dib);
        DeleteDC(dc);
    }
}

TEST(GdiBlit, MonochromeSourceTakesTextAndBackgroundColours) {
    // A monochrome mask: black square in the middle of white.
    HBITMAP mono = CreateBitmap(4, 4, 1, 1, nullptr);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mono);
    RECT all{0, 0, 4, 4}, mid{1, 1, 3, 3};
    FillRect(mdc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FillRect(mdc, &mid, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    MemDC dc(4, 4);
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkColor(dc, RGB(0, 0, 255));
    BitBlt(dc, 0, 0, 4, 4, mdc, 0, 0, SRCCOPY);
    EXPECT_EQ(dc.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(dc.At(1, 1), RGB(255, 0, 0));
    // 0xB8074A: where the mask is black, the brush; where white, the destination stays.
    RECT fill{0, 0, 4, 4};
    FillRect(dc, &fill, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    SetTextColor(dc, kBlack);
    SetBkColor(dc, kWhite);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    HGDIOBJ oldBrush = SelectObject(dc, green);
    BitBlt(dc, 0, 0, 4, 4, mdc, 0, 0, 0x00B8074A);
    EXPECT_EQ(dc.At(0, 0), RGB(128, 128, 128));
    EXPECT_EQ(dc.At(2, 2), RGB(0, 255, 0));
    SelectObject(dc, oldBrush);
    DeleteObject(green);
    SelectObject(mdc, old);
    DeleteObject(mono);
    DeleteDC(mdc);
}

TEST(GdiBlit, PatBltAndInvertingRops) {
    MemDC dc(8, 8);
    HBRUSH black = CreateSolidBrush(kBlack);
    HGDIOBJ old = SelectObject(dc, black);
    PatBlt(dc, 0, 0, 8, 8, PATCOPY);
    EXPECT_EQ(dc.Count(kBlack), 64);
    SelectObject(dc, old);
    DeleteObject(black);
    MemDC src(8, 8);
    SetPixel(src, 3, 3, RGB(1, 2, 3));
    const QImage before = dc.Image();
    BitBlt(dc, 0, 0, 8, 8, src, 0, 0, SRCINVERT);
    EXPECT_EQ(dc.At(0, 0), kWhite);
    BitBlt(dc, 0, 0, 8, 8, src, 0, 0, SRCINVERT);
    EXPECT_EQ(dc.Image(), before);
    EXPECT_FALSE(BitBlt(dc, 0, 0, 8, 8, nullptr, 0, 0, SRCCOPY)) << "SRCCOPY needs a source";
}

TEST(GdiBlit, StretchBltEnlargesWithoutSmoothing) {
    MemDC src(2, 1);
    SetPixel(src, 0, 0, kBlack);
    MemDC dc(8, 4);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, 8, 4, src, 0, 0, 2, 1, SRCCOPY);
    QRect box;
    EXPECT_EQ(dc.Count(kBlack, &box), 16);
    EXPECT_EQ(box, QRect(0, 0, 4, 4));
    EXPECT_EQ(dc.Count(kWhite), 16);
}

TEST(GdiBlit, BadDibHeadersAreRefused) {
    MemDC dc(4, 4);
    std::vector<BYTE> bits(64, 0);
    BITMAPINFO bmi = Header24(2, 2);
    bmi.bmiHeader.biBitCount = 7;
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 4, 4, 0, 0, 2, 2, bits.data(), &bmi, DIB_RGB_COLORS, SRCCOPY),
              0);
    bmi = Header24(-2, 2);
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 4, 4, 0, 0, 2, 2, bits.data(), &bmi, DIB_RGB_COLORS, SRCCOPY),
              0);
    bmi = Header24(100000, 100000);
    EXPECT_EQ(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, -1, 5), nullptr);
}

TEST(GdiBlit, QImageBridges) {
    QImage img(3, 2, QImage::Format_ARGB32);
    img.fill(qRgb(7, 8, 9));
    HBITMAP bmp = ms::CreateBitmapFromQImage(img);
    ASSERT_NE(bmp, nullptr);
    const QImage back = ms::ImageOfBitmap(bmp);
    EXPECT_EQ(back.size(), QSize(3, 2));
    EXPECT_EQ(back.pixel(2, 1) & 0xFFFFFFu, 0x070809u);
    DeleteObject(bmp);
    EXPECT_TRUE(ms::ImageOfBitmap(bmp).isNull());
}

// Straight SRCCOPY copies take a row-by-row path; a rop with the same ternary code but another
// low word (0x00CC0000) still means "source" and goes the pixel-by-pixel way. The two must leave
// the same bytes for every source layout, odd sizes, rectangles reaching past either image,
// clipping, copies within one bitmap, and stretched DIBs (whose nearest-pixel rows read 32 bits
// at a time where the row has room).
TEST(GdiBlit, RowCopiesMatchThePixelByPixelPath) {
    constexpr DWORD kGeneralCopy = 0x00CC0000;
    constexpr int kSrcW = 13, kSrcH = 11, kDstW = 17, kDstH = 15;
    struct Case {
        const char* name;
        int bpp;      // 24 or 32: a DIB; 0: a compatible bitmap (BitBlt only)
        bool topDown; // DIB orientation
        bool stretch; // StretchDIBits from the bits instead of BitBlt from a DIB section
        int x, y, w, h, xSrc, ySrc;
        bool clip;          // a clip region of two overlapping rectangles
        bool sameDc;        // BitBlt within the destination itself
        int srcW = 13;      // source width; 16 gives 24-bit rows without padding
        int sw = 0, sh = 0; // StretchDIBits source size when it stretches
    };
    const Case cases[] = {
        {"dib32 bottom-up whole", 32, false, true, 0, 0, kSrcW, kSrcH, 0, 0, false, false},
        {"dib32 top-down offset", 32, true, true, 3, 2, 9, 7, 2, 3, false, false},
        {"dib24 bottom-up past edges", 24, false, true, -2, 5, 20, 20, -3, -1, false, false},
        {"dib24 top-down clipped", 24, true, true, 1, 1, 15, 13, 0, 0, true, false},
        {"dib32 bottom-up clipped, negative sizes", 32, false, true, 14, 12, -11, -9, 12, 10, true,
         false},
        {"blit compatible", 0, false, false, 2, 3, 11, 9, 1, 1, false, false},
        {"blit compatible clipped past edges", 0, false, false, -1, -2, 19, 17, -2, 0, true, false},
        {"blit dib32 top-down (raw alpha)", 32, true, false, 0, 1, 13, 11, 0, 0, false, false},
        {"blit dib24 bottom-up negative sizes", 24, false, false, 12, 10, -9, -7, 10, 9, true,
         false},
        {"blit within one bitmap", 0, false, false, 3, 2, 12, 11, 1, 0, true, true},
        {"dib24 unpadded rows", 24, false, true, 1, 2, 16, 9, 0, 1, false, false, 16},
        {"dib24 unpadded rows widened, rows shrunk", 24, true, true, 0, 0, 17, 5, 0, 0, false,
         false, 16, 16, 11},
        {"dib32 stretched and mirrored", 32, false, true, 15, 1, -14, 13, 1, 2, true, false, 13, 9,
         7},
    };
    // Source bytes with every byte varying, the fourth byte of 32-bit pixels included.
    auto pattern = [](size_t i) { return static_cast<BYTE>(i * 37 + (i >> 5) * 11 + 5); };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        QImage start(kDstW, kDstH, QImage::Format_RGB32);
        for (int y = 0; y < kDstH; ++y)
            for (int x = 0; x < kDstW; ++x)
                start.setPixel(x, y, qRgb(x * 9, y * 13, 200));
        QImage results[2];
        for (int pass = 0; pass < 2; ++pass) {
            const DWORD rop = pass == 0 ? SRCCOPY : kGeneralCopy;
            HDC dc = CreateCompatibleDC(nullptr);
            HBITMAP dst = ms::CreateBitmapFromQImage(start);
            HGDIOBJ oldDst = SelectObject(dc, dst);
            if (tc.clip) {
                HRGN a = CreateRectRgn(1, 1, 9, 7), b = CreateRectRgn(5, 4, 16, 14);
                CombineRgn(a, a, b, RGN_OR);
                SelectClipRgn(dc, a);
                DeleteObject(a);
                DeleteObject(b);
            }
            BITMAPINFO bmi{};
            bmi.bmiHeader = {sizeof(BITMAPINFOHEADER),
                             tc.srcW,
                             tc.topDown ? -kSrcH : kSrcH,
                             1,
                             static_cast<WORD>(tc.bpp ? tc.bpp : 32),
                             BI_RGB,
                             0,
                             0,
                             0,
                             0,
                             0};
            const size_t stride = ((tc.srcW * bmi.bmiHeader.biBitCount + 31) / 32) * 4;
            std::vector<BYTE> bits(stride * kSrcH);
            for (size_t i = 0; i < bits.size(); ++i)
                bits[i] = pattern(i);
            if (tc.stretch) {
                SetStretchBltMode(dc, COLORONCOLOR);
                EXPECT_NE(StretchDIBits(dc, tc.x, tc.y, tc.w, tc.h, tc.xSrc, tc.ySrc,
                                        tc.sw ? tc.sw : tc.w, tc.sh ? tc.sh : tc.h, bits.data(),
                                        &bmi, DIB_RGB_COLORS, rop),
                          0);
            } else if (tc.sameDc) {
                EXPECT_TRUE(BitBlt(dc, tc.x, tc.y, tc.w, tc.h, dc, tc.xSrc, tc.ySrc, rop));
            } else {
                HDC srcDc = CreateCompatibleDC(dc);
                HBITMAP src = nullptr;
                if (tc.bpp == 0) {
                    QImage img(kSrcW, kSrcH, QImage::Format_RGB32);
                    for (int y = 0; y < kSrcH; ++y)
                        for (int x = 0; x < kSrcW; ++x)
                            img.setPixel(x, y, qRgb(x * 17, 255 - y * 19, x * y));
                    src = ms::CreateBitmapFromQImage(img);
                } else {
                    void* p = nullptr;
                    src = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &p, nullptr, 0);
                    ASSERT_NE(p, nullptr);
                    std::memcpy(p, bits.data(), bits.size());
                }
                HGDIOBJ oldSrc = SelectObject(srcDc, src);
                EXPECT_TRUE(BitBlt(dc, tc.x, tc.y, tc.w, tc.h, srcDc, tc.xSrc, tc.ySrc, rop));
                SelectObject(srcDc, oldSrc);
                DeleteObject(src);
                DeleteDC(srcDc);
            }
            SelectObject(dc, oldDst);
            results[pass] = ms::ImageOfBitmap(dst);
            DeleteObject(dst);
            DeleteDC(dc);
        }
        ASSERT_EQ(results[0].size(), results[1].size());
        for (int y = 0; y < kDstH; ++y)
            EXPECT_EQ(
                std::memcmp(results[0].constScanLine(y), results[1].constScanLine(y), kDstW * 4), 0)
                << "row " << y;
        EXPECT_NE(std::memcmp(results[0].constBits(), start.constBits(), kDstW * kDstH * 4), 0)
            << "the copy changed nothing";
    }
}

} // namespace
