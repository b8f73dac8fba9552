// The canvas's headless core: what a picture's path says, the fixed view and its scale, and
// the scroll arithmetic of the full-size view.
#include "measure/CanvasView.h"

#include "imaging/DibImage.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/WString.h"

#include <gtest/gtest.h>

namespace {

TEST(CanvasView, PictureTypeByTheLastThreeLettersCaseBlind) {
    const struct {
        const char16_t* path;
        DWORD type;
    } cases[] = {
        {u"/p/a.bmp", DIBIMAGE_TYPE_BMP},
        {u"/p/a.BMP", DIBIMAGE_TYPE_BMP},
        {u"/p/x.JPG", DIBIMAGE_TYPE_JPG},
        {u"x.jpg", DIBIMAGE_TYPE_JPG},
        {u"x.jpeg", 0},
        {u"x.png", 0},
        {u"jp", 0},
        {u"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureTypeOfPath(c.path), c.type) << ms::ToUtf8(c.path);
}

TEST(CanvasView, TitleStampAndMagnificationFromTheFileName) {
    const struct {
        const char16_t* path;
        const char16_t* title;
        const char16_t* stamp;
        const char16_t* magnification;
    } cases[] = {
        {u"/home/op/Pictures/Sample_200X_01.bmp", u"Sample_200X_01", u"Sample_200X", u"200"},
        {u"C:\\pics\\Probe_12.5X.jpg", u"Probe_12.5X", u"Probe_12.5X", u"12.5"},
        {u"/p/Probe_abcX.jpg", u"Probe_abcX", u"Probe_abcX", u""},
        {u"/p/300X.jpg", u"300X", u"300X", u"300"},         // no underscore: all before the X
        {u"/p/probe_40x.jpg", u"probe_40x", u"", u""},      // a small x does not count
        {u"/p/Still_X1.bmp", u"Still_X1", u"Still_X", u""}, // empty text passes the check
        {u"/p/a.b", u"", u"", u""},
    };
    for (const auto& c : cases) {
        const PictureName name = ParsePictureName(c.path);
        const std::string what = ms::ToUtf8(c.path);
        EXPECT_EQ(std::u16string(name.title.GetString()), c.title) << what;
        EXPECT_EQ(std::u16string(name.stamp.GetString()), c.stamp) << what;
        EXPECT_EQ(std::u16string(name.magnification.GetString()), c.magnification) << what;
    }
}

TEST(CanvasView, TheFixedViewIs640WideAndScalesByThePictureWidth) {
    const struct {
        int width, height, viewHeight;
        double scale;
    } cases[] = {
        {1280, 1024, 512, 2.0}, {1600, 1200, 480, 2.5}, {1280, 960, 480, 2.0},
        {640, 480, 480, 1.0},   {320, 240, 480, 0.5},
    };
    for (const auto& c : cases) {
        const FixedView view = FixedViewOf(c.width, c.height);
        EXPECT_EQ(view.width, 640);
        EXPECT_EQ(view.height, c.viewHeight) << c.width << "x" << c.height;
        EXPECT_DOUBLE_EQ(view.scale, c.scale) << c.width << "x" << c.height;
    }
}

TEST(CanvasView, ScrollRangesHideABarWhenThePictureFits) {
    const ScrollRange fits = CanvasScrollRange(600, 700);
    EXPECT_EQ(fits.max, 0);
    EXPECT_EQ(fits.page, 0u);
    const ScrollRange wide = CanvasScrollRange(1600, 700);
    EXPECT_EQ(wide.min, 0);
    EXPECT_EQ(wide.max, 1600);
    EXPECT_EQ(wide.page, 700u);
}

// Each page is what remains of the client once the bars that are needed stand in it.
TEST(CanvasView, ScrollPagesLeaveRoomForBothBars) {
    const struct {
        const char* name;
        int pictureWidth, pictureHeight, width, height;
        int horizontalPage, verticalPage; // 0: no bar
    } cases[] = {
        {"both needed anyway", 1600, 1200, 1280, 960, 1263, 943},
        {"neither", 600, 400, 700, 500, 0, 0},
        {"the horizontal bar makes the vertical one needed", 1600, 490, 700, 500, 683, 483},
        {"the vertical bar makes the horizontal one needed", 690, 1200, 700, 500, 683, 483},
        {"only the horizontal", 1600, 300, 700, 500, 700, 0},
        {"only the vertical", 300, 1200, 700, 500, 0, 500},
    };
    for (const auto& c : cases) {
        const ScrollRanges r =
            CanvasScrollRanges(c.pictureWidth, c.pictureHeight, c.width, c.height, 17, 17);
        EXPECT_EQ(r.horizontal.page, UINT(c.horizontalPage)) << c.name;
        EXPECT_EQ(r.vertical.page, UINT(c.verticalPage)) << c.name;
        EXPECT_EQ(r.horizontal.max, c.horizontalPage ? c.pictureWidth : 0) << c.name;
        EXPECT_EQ(r.vertical.max, c.verticalPage ? c.pictureHeight : 0) << c.name;
    }
}

TEST(CanvasView, ScrollStepsByArrowPageAndThumb) {
    const ScrollRange range{0, 1600, 700}; // the last position is 900
    const struct {
        int position;
        UINT code;
        int track;
        int expected;
    } cases[] = {
        {100, SB_LINEUP, 0, 83},          {10, SB_LINEUP, 0, 0},
        {100, SB_LINEDOWN, 0, 117},       {890, SB_LINEDOWN, 0, 900},
        {800, SB_PAGEUP, 0, 100},         {300, SB_PAGEUP, 0, 0},
        {100, SB_PAGEDOWN, 0, 800},       {800, SB_PAGEDOWN, 0, 900},
        {5, SB_THUMBTRACK, 40000, 40000}, {5, SB_THUMBPOSITION, 321, 321},
        {77, SB_ENDSCROLL, 0, 77},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CanvasScrollPosition(c.position, c.code, range, c.track, 17, 700), c.expected)
            << c.position << " code " << c.code;
}

} // namespace
