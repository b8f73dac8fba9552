// Pictures to and from the GDI. Built against both variants of the image library.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <iterator>
#include <string>

#include "imaging/DibImage.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"
#include "platform/win/gdi/RecordingDC.h"

#ifdef DIBIMAGE_SUPPORT_PNG
#define DC_SUITE DibImageDCWavenor
#else
#define DC_SUITE DibImageDC
#endif

namespace {

// Text rendering needs a GUI application (offscreen in tests).
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QGuiApplication::instance()) {
            static int argc = 1;
            static char name[] = "DibImageDC_test";
            static char* argv[] = {name, nullptr};
            app_ = new QGuiApplication(argc, argv);
        }
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    QGuiApplication* app_ = nullptr;
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

// A memory DC with a width x height colour bitmap, filled with fill.
struct MemDC {
    HDC dc;
    MemDC(int w, int h, COLORREF fill = RGB(1, 2, 3)) : dc(ms::CreateRecordingDC(w, h)) {
        RECT r{0, 0, w, h};
        HBRUSH b = CreateSolidBrush(fill);
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    ~MemDC() { DeleteDC(dc); }
};

// 2 x 2: top row red, green; bottom row blue, white (as displayed).
CDibImage FourColours() {
    CDibImage img(2, 2, 24);
    img.SetPixelColor(0, 1, RGB(255, 0, 0));
    img.SetPixelColor(1, 1, RGB(0, 255, 0));
    img.SetPixelColor(0, 0, RGB(0, 0, 255));
    img.SetPixelColor(1, 0, RGB(255, 255, 255));
    return img;
}

} // namespace

TEST(DC_SUITE, CreateFromBitmapKeepsTheTopLineAtTheTop) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 640, 480);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all{0, 0, 640, 480}, top{0, 0, 640, 1};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255)), red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, white);
    FillRect(dc, &top, red);
    SelectObject(dc, old);

    CDibImage img;
    ASSERT_TRUE(img.CreateFromBitmap(bmp));
    EXPECT_EQ(img.GetWidth(), 640u);
    EXPECT_EQ(img.GetHeight(), 480u);
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_EQ(img.GetType(), 0u);
    for (long x : {0L, 320L, 639L}) {
        const RGBQUAD c = img.GetPixelColor(x, 479, false);
        EXPECT_EQ(c.rgbRed, 255);
        EXPECT_EQ(c.rgbGreen, 0);
        EXPECT_EQ(c.rgbBlue, 0);
        EXPECT_EQ(img.GetPixelColor(x, 478, false).rgbGreen, 255);
        EXPECT_EQ(img.GetPixelColor(x, 0, false).rgbGreen, 255);
    }
    DeleteObject(white);
    DeleteObject(red);
    DeleteObject(bmp);
    DeleteDC(dc);
}

TEST(DC_SUITE, CreateFromBitmapWithoutBitmapLeavesNoPicture) {
    CDibImage img(4, 4, 24);
    EXPECT_FALSE(img.CreateFromBitmap(nullptr));
    EXPECT_FALSE(img.IsValid());
}

TEST(DC_SUITE, StretchToDCDoublesEveryPixel) {
    CDibImage img = FourColours();
    MemDC m(4, 4);
    SetStretchBltMode(m.dc, HALFTONE);
    ASSERT_EQ(img.StretchToDC(m.dc, 0, 0, 4, 4), 1);
    EXPECT_EQ(GetStretchBltMode(m.dc), COLORONCOLOR);
    const COLORREF want[4][4] = {
        {RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 255, 0)},
        {RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 255, 0)},
        {RGB(0, 0, 255), RGB(0, 0, 255), RGB(255, 255, 255), RGB(255, 255, 255)},
        {RGB(0, 0, 255), RGB(0, 0, 255), RGB(255, 255, 255), RGB(255, 255, 255)},
    };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(GetPixel(m.dc, x, y), want[y][x]) << x << "," << y;
}

TEST(DC_SUITE, StretchToDCWithNegativeHeightDrawsUpsideDown) {
    CDibImage img = FourColours();
    MemDC m(4, 4);
    // Mirrored about y = 4: the rectangle runs from row 4 upwards, rows 0..3.
    ASSERT_EQ(img.StretchToDC(m.dc, 0, 4, 4, -4), 1);
    EXPECT_EQ(GetPixel(m.dc, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(m.dc, 3, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(m.dc, 0, 3), RGB(255, 0, 0));
}

TEST(DC_SUITE, StretchToDCRectFormAndRefusals) {
    CDibImage img = FourColours();
    MemDC m(6, 6);
    RECT r{2, 2, 6, 6};
    ASSERT_EQ(img.StretchToDC(m.dc, &r), 1);
    EXPECT_EQ(GetPixel(m.dc, 1, 1), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(m.dc, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(m.dc, 5, 5), RGB(255, 255, 255));

    CDibImage empty;
    MemDC n(4, 4);
    ms::TakeRecordedCalls(n.dc);
    EXPECT_EQ(empty.StretchToDC(n.dc, 0, 0, 4, 4), 0);
    EXPECT_TRUE(ms::TakeRecordedCalls(n.dc).empty());
    EXPECT_EQ(GetPixel(n.dc, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(img.StretchToDC(nullptr, 0, 0, 4, 4), 0);
}

TEST(DC_SUITE, MakeBitmapRoundTrips) {
    CDibImage img = FourColours();
    HBITMAP bmp = img.MakeBitmap();
    ASSERT_NE(bmp, nullptr);
    CDibImage back;
    ASSERT_TRUE(back.CreateFromBitmap(bmp));
    EXPECT_EQ(back.GetPixelColor(0, 1, false).rgbRed, 255);
    EXPECT_EQ(back.GetPixelColor(0, 0, false).rgbBlue, 255);
    DeleteObject(bmp);
}

TEST(DC_SUITE, DrawBlendsKeyColourAndAlpha) {
    CDibImage img = FourColours();
    img.SetKeyColor(RGBQUAD{255, 255, 255, 0}); // white is transparent
    img.SetKeyIndex(0);
    ASSERT_TRUE(img.AlphaCreate());
    img.AlphaSetAt(0, 0, 0); // blue corner fully transparent
    MemDC m(2, 2, RGB(10, 20, 30));
    ASSERT_EQ(img.Draw(m.dc, 0, 0), 1);
    EXPECT_EQ(GetPixel(m.dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(m.dc, 1, 1), RGB(10, 20, 30)) << "key colour";
    EXPECT_EQ(GetPixel(m.dc, 0, 1), RGB(10, 20, 30)) << "alpha 0";

    MemDC k(4, 4, RGB(10, 20, 30));
    ASSERT_EQ(img.DrawWithKeyMask(k.dc, 0, 0, 4, 4), 1);
    EXPECT_EQ(GetPixel(k.dc, 3, 3), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(k.dc, 0, 3), RGB(0, 0, 255)) << "the key mask ignores the alpha channel";
}

TEST(DC_SUITE, TileCutsTheLastTiles) {
    CDibImage img = FourColours();
    MemDC m(6, 6);
    RECT r{0, 0, 5, 3};
    ASSERT_EQ(img.Tile(m.dc, &r), 1);
    EXPECT_EQ(GetPixel(m.dc, 2, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(m.dc, 4, 2), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(m.dc, 5, 0), RGB(1, 2, 3)) << "outside the rectangle";
    EXPECT_EQ(GetPixel(m.dc, 0, 3), RGB(1, 2, 3));
}

TEST(DC_SUITE, DrawStringSetsThePixelsUnderTheText) {
    CDibImage img(120, 40, 24);
    img.Clear(255);
    MemDC m(4, 4);
    ASSERT_EQ(img.DrawString(m.dc, 2, 2, u"Hi", RGB(255, 0, 0), u"Arial", -24), 1);
    int red = 0;
    for (long y = 0; y < 40; ++y)
        for (long x = 0; x < 120; ++x) {
            const RGBQUAD c = img.GetPixelColor(x, y, false);
            red += c.rgbRed == 255 && c.rgbGreen == 0;
        }
    EXPECT_GT(red, 20);
}

TEST(DC_SUITE, DrawStringExUsesTheRecord) {
    CDibImage img(160, 60, 24);
    img.Clear(255);
    CDibImage::TextInfo info;
    EXPECT_EQ(info.font.lfHeight, -36);
    EXPECT_EQ(info.font.lfWeight, 400);
    EXPECT_EQ(info.font.lfCharSet, 238);
    EXPECT_EQ(std::u16string(info.font.lfFaceName), u"Arial");
    std::fill(std::begin(info.text), std::end(info.text), u'W'); // not terminated
    info.colour = RGB(0, 0, 255);
    MemDC m(4, 4);
    ASSERT_EQ(img.DrawStringEx(m.dc, 0, 0, &info), 1);
    int blue = 0;
    for (long y = 0; y < 60; ++y)
        for (long x = 0; x < 160; ++x)
            blue += img.GetPixelColor(x, y, false).rgbRed == 0;
    EXPECT_GT(blue, 50);
}

TEST(DC_SUITE, CreateFromIconKeepsItsAlpha) {
    QImage argb(4, 3, QImage::Format_ARGB32);
    argb.fill(qRgba(0, 255, 0, 255));
    argb.setPixel(0, 0, qRgba(0, 0, 0, 0));
    HICON icon = ms::CreateIconFromQImage(argb);
    ASSERT_NE(icon, nullptr);
    CDibImage img;
    ASSERT_TRUE(img.CreateFromHICON(icon));
    EXPECT_EQ(img.GetWidth(), 4u);
    EXPECT_EQ(img.GetHeight(), 3u);
    ASSERT_TRUE(img.AlphaIsValid());
    EXPECT_EQ(img.AlphaGetAt(0, 2), 0) << "top-left pixel, transparent";
    EXPECT_EQ(img.AlphaGetAt(1, 2), 255);
    EXPECT_EQ(img.GetPixelColor(1, 1, false).rgbGreen, 255);
    DestroyIcon(icon);
    EXPECT_FALSE(img.CreateFromHICON(nullptr));
}
