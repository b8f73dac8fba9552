// The still-picture view: a PNG or JPEG opened fitted into the 640-pixel display and at actual
// size with scrolling, the measuring space of each mode, Escape, and saving by extension.
#include "wifi_measure/StillMeasureView.h"

#include "tests/wifi_measure/PictureFixture.h"

#include "platform/win/controls/CommCtrl.h"
#include "res/WavenorResource.h"

#include <filesystem>

namespace {

using namespace mstest;
namespace fs = std::filesystem;

constexpr COLORREF kLeft = RGB(255, 0, 0);
constexpr COLORREF kRight = RGB(0, 0, 255);

class StillViewTest : public PictureViewTest {
protected:
    void TearDown() override {
        if (view_ && view_->m_hWnd)
            view_->DestroyWindow();
        view_.reset();
        PictureViewTest::TearDown();
    }
    // A picture of the size whose left half is red and right half blue, saved under `name`.
    std::u16string Picture(const char* name, int width, int height, DWORD type) {
        return PictureViewTest::Picture(
            name, width, height, [width](int x, int) { return x < width / 2 ? kLeft : kRight; },
            type);
    }
    // Builds the view as the main window does: path, page and mode first, then the child
    // window over the placeholder's area.
    CStillMeasureView& Open(const std::u16string& path, int mode, int pageWidth = 640,
                            int pageHeight = 480) {
        view_ = std::make_unique<CStillMeasureView>();
        view_->m_imagePath = path.c_str();
        view_->m_pageWidth = pageWidth;
        view_->m_pageHeight = pageHeight;
        view_->m_viewMode = mode;
        view_->Create(IDD_STILL_VIEW, &host_);
        view_->MoveWindow(0, 0, pageWidth, pageHeight);
        if (mode == STILL_VIEW_ACTUAL)
            view_->UpdateScrollBars();
        view_->ShowWindow(SW_SHOW);
        return *view_;
    }
    // The colour the window shows at a client point, after a paint.
    COLORREF Shown(CStillMeasureView& v, int x, int y) {
        v.Invalidate(FALSE);
        v.UpdateWindow();
        CClientDC dc(&v);
        return dc.GetPixel(x, y) & 0xFFFFFF;
    }

    std::unique_ptr<CStillMeasureView> view_;
};

TEST_F(StillViewTest, AFrameOf1280x1024IsShownFittedAtHalfSize) {
    CStillMeasureView& v =
        Open(Picture("tempImage.png", 1280, 1024, DIBIMAGE_TYPE_PNG), STILL_VIEW_FITTED);
    ASSERT_TRUE(v.HasPicture());
    EXPECT_EQ(v.m_imageWidth, 1280);
    EXPECT_EQ(v.m_displayWidth, 640);
    EXPECT_EQ(v.m_displayHeight, 512);
    // The picture's middle column lands on the display's.
    EXPECT_EQ(Shown(v, 318, 100), kLeft);
    EXPECT_EQ(Shown(v, 322, 100), kRight);
    EXPECT_EQ(Shown(v, 639, 479), kRight);
    int minPos = 0, maxPos = 0;
    v.GetScrollRange(SB_HORZ, &minPos, &maxPos);
    EXPECT_EQ(maxPos, 0);
}

TEST_F(StillViewTest, ThePictureCopiesAreTakenAsLoaded) {
    CStillMeasureView& v =
        Open(Picture("frame.jpg", 640, 480, DIBIMAGE_TYPE_JPG), STILL_VIEW_FITTED);
    ASSERT_TRUE(v.HasPicture());
    EXPECT_EQ(v.m_displayHeight, 480);
    ASSERT_TRUE(v.m_prevImage && v.m_origImage);
    EXPECT_NE(v.m_prevImage.get(), v.m_image.get());
    EXPECT_EQ(v.m_origImage->GetWidth(), 640u);
    EXPECT_EQ(v.m_origImage->GetPixelColor(600, 10).rgbBlue,
              v.m_image->GetPixelColor(600, 10).rgbBlue);
}

TEST_F(StillViewTest, AtActualSizeTheViewScrollsByArrowAndByTheClientHeight) {
    CStillMeasureView& v =
        Open(Picture("big.png", 1600, 1200, DIBIMAGE_TYPE_PNG), STILL_VIEW_ACTUAL, 700, 500);
    ASSERT_TRUE(v.HasPicture());
    EXPECT_EQ(Shown(v, 10, 10), kLeft);
    int minPos = 0, maxPos = 0;
    v.GetScrollRange(SB_HORZ, &minPos, &maxPos);
    EXPECT_EQ(maxPos, 1600);
    v.GetScrollRange(SB_VERT, &minPos, &maxPos);
    EXPECT_EQ(maxPos, 1200);

    CRect client;
    v.GetClientRect(&client);
    // A horizontal page is the client's height, as for the vertical bar.
    v.SendMessage(WM_HSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(v.m_scrollX, client.Height());
    v.SendMessage(WM_HSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(v.m_scrollX, client.Height() - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(v.GetScrollPos(SB_HORZ), v.m_scrollX);
    v.SendMessage(WM_HSCROLL, SB_PAGEDOWN, 0);
    v.SendMessage(WM_HSCROLL, SB_PAGEDOWN, 0);
    v.SendMessage(WM_HSCROLL, SB_PAGEDOWN, 0);
    // The last column can be reached and no further.
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    v.GetScrollInfo(SB_HORZ, &si, SIF_ALL);
    EXPECT_EQ(v.m_scrollX, 1600 - static_cast<int>(si.nPage));
    EXPECT_EQ(Shown(v, 10, 10), kRight);
    v.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(v.m_scrollY, client.Height());
}

TEST_F(StillViewTest, APictureSmallerThanTheAreaGetsNoScrollBars) {
    CStillMeasureView& v =
        Open(Picture("small.png", 320, 240, DIBIMAGE_TYPE_PNG), STILL_VIEW_ACTUAL, 700, 500);
    ASSERT_TRUE(v.HasPicture());
    int minPos = 0, maxPos = 0;
    for (int bar : {SB_HORZ, SB_VERT}) {
        v.GetScrollRange(bar, &minPos, &maxPos);
        EXPECT_EQ(maxPos, 0);
    }
    EXPECT_EQ(Shown(v, 300, 200), kRight);
}

TEST_F(StillViewTest, LengthsAreMeasuredInTheFittedDisplayAndSavedAtPictureScale) {
    struct Case {
        int width, height, mode;
        double toPictureX, toPictureY, fittedLength;
    };
    // Two stored points 200 apart on x and 0 on y.
    const Case cases[] = {
        {1280, 1024, STILL_VIEW_FITTED, 2.0, 2.0, 200.0},
        {640, 480, STILL_VIEW_FITTED, 1.0, 1.0, 200.0},
        {1920, 1080, STILL_VIEW_FITTED, 3.0, 2.25, 200.0},
        {1280, 1024, STILL_VIEW_ACTUAL, 1.0, 1.0, 100.0},
        {640, 480, STILL_VIEW_ACTUAL, 1.0, 1.0, 200.0},
    };
    for (const Case& c : cases) {
        const StillViewSpace s = StillViewSpaceOf(c.width, c.height, c.mode);
        const std::string what = std::to_string(c.width) + " mode " + std::to_string(c.mode);
        EXPECT_DOUBLE_EQ(s.toPictureX, c.toPictureX) << what;
        EXPECT_DOUBLE_EQ(s.toPictureY, c.toPictureY) << what;
        EXPECT_DOUBLE_EQ(FittedDistance(s, {100, 50}, {300, 50}), c.fittedLength) << what;
    }
}

TEST_F(StillViewTest, SavesPngOrJpegByTheEndingAndNothingElse) {
    CStillMeasureView& v =
        Open(Picture("tempImage.png", 1280, 1024, DIBIMAGE_TYPE_PNG), STILL_VIEW_FITTED);
    ASSERT_TRUE(v.HasPicture());
    EXPECT_EQ(v.SaveWithMeasurements(PathOf("x.bmp").c_str()), 0);
    EXPECT_FALSE(fs::exists(program_ / "x.bmp"));
    EXPECT_EQ(v.SaveWithMeasurements(PathOf("x.jpeg").c_str()), 0);
    EXPECT_FALSE(fs::exists(program_ / "x.jpeg"));

    struct Case {
        const char* name;
        DWORD type;
    };
    for (const Case& c :
         {Case{"saved.PNG", DIBIMAGE_TYPE_PNG}, Case{"saved.jpg", DIBIMAGE_TYPE_JPG}}) {
        EXPECT_EQ(v.SaveWithMeasurements(PathOf(c.name).c_str()), 1) << c.name;
        CDibImage back(PathOf(c.name).c_str(), c.type);
        ASSERT_TRUE(back.IsValid()) << c.name;
        // Saved at the picture's own size, not the display's.
        EXPECT_EQ(back.GetWidth(), 1280u) << c.name;
        EXPECT_EQ(back.GetHeight(), 1024u) << c.name;
        EXPECT_EQ(back.GetPixelColor(1270, 10).rgbBlue > 200, true) << c.name;
    }
    // A folder that does not exist: failure, not success.
    EXPECT_EQ(v.SaveWithMeasurements(PathOf("gone/x.png").c_str()), 0);
}

TEST_F(StillViewTest, OtherEndingsAndUndecodableFilesShowNoPicture) {
    Picture("frame.bmp", 64, 48, DIBIMAGE_TYPE_BMP);
    CStillMeasureView& bmp = Open(PathOf("frame.bmp"), STILL_VIEW_FITTED);
    EXPECT_FALSE(bmp.HasPicture());
    EXPECT_EQ(bmp.SaveWithMeasurements(PathOf("out.png").c_str()), 0);
    EXPECT_FALSE(fs::exists(program_ / "out.png"));
    EXPECT_EQ(Shown(bmp, 10, 10), 0x808080u);
    bmp.DestroyWindow();

    {
        std::FILE* f = std::fopen((program_ / "broken.png").c_str(), "wb");
        std::fputs("not a png", f);
        std::fclose(f);
    }
    CStillMeasureView& broken = Open(PathOf("broken.png"), STILL_VIEW_ACTUAL);
    EXPECT_FALSE(broken.HasPicture());
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(StillViewTest, EscapeNeverClosesTheViewAndAPostedRedrawShowsAnEffect) {
    CStillMeasureView& v =
        Open(Picture("frame.png", 640, 480, DIBIMAGE_TYPE_PNG), STILL_VIEW_FITTED);
    MSG key{v.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(v.PreTranslateMessage(&key));
    EXPECT_TRUE(IsWindow(v.m_hWnd));

    // An effect changes the picture in place and posts the redraw, as the main window does.
    EXPECT_EQ(Shown(v, 10, 10), kLeft);
    v.m_image->Clear(0);
    v.PostMessage(WM_APP_REDRAW_STILL, 0, 0);
    CClientDC dc(&v);
    EXPECT_TRUE(ms::test::PumpUntil([&] { return (dc.GetPixel(10, 10) & 0xFFFFFF) == 0; }));
}

} // namespace
