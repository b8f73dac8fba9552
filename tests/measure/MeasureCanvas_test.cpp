// The canvas window: loading by extension, the views and their scale, a failed load, text
// annotations, selection and deletion with their questions, Esc, scrolling, destruction.
#include "measure/MeasureCanvas.h"

#include "tests/measure/DialogFixture.h"

#include "imaging/DibImage.h"
#include "platform/win/controls/CommCtrl.h"
#include "res/TessaryResource.h"

#include <filesystem>

namespace {

using namespace mstest;

class MeasureCanvasTest : public MeasureDialogTest {
protected:
    void SetUp() override {
        MeasureDialogTest::SetUp();
        ASSERT_TRUE(host_.CreateEx(0, nullptr, u"host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700,
                                   nullptr, nullptr));
    }
    void TearDown() override {
        if (canvas_ && canvas_->m_hWnd)
            canvas_->DestroyWindow();
        canvas_.reset();
        host_.DestroyWindow();
        MeasureDialogTest::TearDown();
    }
    // A grey picture of the size, saved under `name` in the program folder.
    std::u16string Picture(const char* name, int width, int height, DWORD type) {
        CDibImage image(static_cast<DWORD>(width), static_cast<DWORD>(height), 24);
        const std::u16string path = ms::FromUtf8((program_ / name).string());
        EXPECT_TRUE(image.SaveToFile(path.c_str(), type));
        return path;
    }
    CMeasureCanvas& Open(const std::u16string& path, CanvasViewMode mode = CANVAS_VIEW_FIXED) {
        canvas_ = std::make_unique<CMeasureCanvas>(&host_);
        canvas_->m_path = path.c_str();
        canvas_->m_viewMode = mode;
        canvas_->Create(IDD_MEASURE_CANVAS, &host_);
        return *canvas_;
    }
    static void AddSelected(CMeasureCanvas& c, int kind) {
        auto r = std::make_unique<CMeasureRecord>();
        r->m_kind = kind;
        r->m_selected = 1;
        c.m_shapes.Add(std::move(r));
    }

    CWnd host_;
    std::unique_ptr<CMeasureCanvas> canvas_;
};

TEST_F(MeasureCanvasTest, APictureOpensInTheFixedViewWithItsScaleAndMagnification) {
    CMeasureCanvas& c = Open(Picture("Sample_200X_01.bmp", 1280, 1024, DIBIMAGE_TYPE_BMP));
    ASSERT_TRUE(c.HasPicture());
    EXPECT_EQ(c.m_viewWidth, 640);
    EXPECT_EQ(c.m_viewHeight, 512);
    EXPECT_DOUBLE_EQ(c.m_scaleX, 2.0);
    EXPECT_DOUBLE_EQ(c.m_scaleY, 2.0);
    EXPECT_EQ(std::u16string(c.m_titleToX.GetString()), u"Sample_200X");
    EXPECT_EQ(std::u16string(g_fileMagnificationText), u"200");
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(MeasureCanvasTest, A1600PictureScalesByItsWidthWhateverTheDevice) {
    g_has1600x1200 = 0;
    CMeasureCanvas& c = Open(Picture("Probe_12.5X.JPG", 1600, 1200, DIBIMAGE_TYPE_JPG));
    ASSERT_TRUE(c.HasPicture());
    EXPECT_EQ(c.m_viewHeight, 480);
    EXPECT_DOUBLE_EQ(c.m_scaleX, 2.5);
    EXPECT_EQ(std::u16string(g_fileMagnificationText), u"12.5");
}

TEST_F(MeasureCanvasTest, OtherExtensionsLoadNothingSilentlyAndAMissingPictureIsReported) {
    Picture("x.png", 64, 48, DIBIMAGE_TYPE_BMP);
    CMeasureCanvas& png = Open(ms::FromUtf8((program_ / "x.png").string()));
    EXPECT_FALSE(png.HasPicture());
    EXPECT_TRUE(MessageBoxes().empty());
    png.DestroyWindow();

    CMeasureCanvas& missing = Open(ms::FromUtf8((program_ / "gone.bmp").string()));
    EXPECT_FALSE(missing.HasPicture());
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Can not Open file"});
    // A canvas without a picture paints nothing and takes no harm from a repaint.
    missing.Redraw(TRUE);
}

TEST_F(MeasureCanvasTest, TheFullSizeViewScrollsByPageAndArrow) {
    CMeasureCanvas& c =
        Open(Picture("big.bmp", 1600, 1200, DIBIMAGE_TYPE_BMP), CANVAS_VIEW_FULL_SIZE);
    ASSERT_TRUE(c.HasPicture());
    EXPECT_DOUBLE_EQ(c.m_scaleX, 1.0);
    c.MoveWindow(0, 0, 700, 500);
    c.SetScrollRanges();
    int minPos = 0, maxPos = 0;
    c.GetScrollRange(SB_HORZ, &minPos, &maxPos);
    EXPECT_EQ(maxPos, 1600);
    CRect client;
    c.GetClientRect(&client);
    c.SendMessage(WM_HSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(c.m_scrollX, client.Width());
    c.SendMessage(WM_HSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(c.m_scrollX, client.Width() - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(c.GetScrollPos(SB_HORZ), c.m_scrollX);
    c.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(c.m_scrollY, client.Height());
}

// A canvas as large as a maximised window shows both bars: paging to the end shows the
// picture's last column and row, whatever size the canvas had before.
TEST_F(MeasureCanvasTest, TheFullSizeViewScrollsToTheLastColumnAndRow) {
    CMeasureCanvas& c =
        Open(Picture("big.bmp", 1600, 1200, DIBIMAGE_TYPE_BMP), CANVAS_VIEW_FULL_SIZE);
    ASSERT_TRUE(c.HasPicture());
    for (CSize size : {CSize(1270, 900), CSize(700, 500), CSize(1270, 900)}) {
        SCOPED_TRACE(size.cx);
        c.MoveWindow(0, 0, size.cx, size.cy);
        c.SetScrollRanges();
        CRect client;
        c.GetClientRect(&client);
        EXPECT_EQ(client.Width(), size.cx - GetSystemMetrics(SM_CXVSCROLL));
        EXPECT_EQ(client.Height(), size.cy - GetSystemMetrics(SM_CYHSCROLL));
        for (int i = 0; i < 10; ++i) {
            c.SendMessage(WM_HSCROLL, SB_PAGEDOWN, 0);
            c.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
        }
        EXPECT_EQ(c.m_scrollX + client.Width(), 1600);
        EXPECT_EQ(c.m_scrollY + client.Height(), 1200);
        c.SendMessage(WM_HSCROLL, SB_PAGEUP, 0);
        c.SendMessage(WM_VSCROLL, SB_PAGEUP, 0);
        for (int i = 0; i < 10; ++i) {
            c.SendMessage(WM_HSCROLL, SB_PAGEUP, 0);
            c.SendMessage(WM_VSCROLL, SB_PAGEUP, 0);
        }
    }
}

TEST_F(MeasureCanvasTest, TextsAreAddedAtTheLastClickAndAnEmptyTextIsRefused) {
    CMeasureCanvas& c = Open(Picture("t.bmp", 640, 480, DIBIMAGE_TYPE_BMP));
    c.AddText(u"");
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Please input text!"});
    EXPECT_FALSE(c.HasShapes());

    c.m_textPos = CPoint(30, 40);
    c.m_scrollX = 5;
    c.m_scrollY = 7;
    c.m_textColor = RGB(0, 0, 255);
    c.AddText(u"Crack");
    ASSERT_EQ(c.m_shapes.GetSize(), 1);
    const CMeasureRecord* r = c.m_shapes.GetAt(0);
    EXPECT_EQ(r, c.m_currentRecord);
    EXPECT_EQ(r->m_kind, CANVAS_KIND_TEXT);
    ASSERT_EQ(r->m_points.size(), 2u);
    EXPECT_EQ(r->m_points[0].x, 35);
    EXPECT_EQ(r->m_points[0].y, 47);
    EXPECT_EQ(r->m_points[1].x, 5);
    EXPECT_EQ(r->m_points[1].y, 7);
    ASSERT_EQ(r->m_labels.size(), 1u);
    EXPECT_EQ(std::u16string(r->m_labels[0].GetString()), u"Crack");
    EXPECT_EQ(r->m_textColor, RGB(0, 0, 255));
}

TEST_F(MeasureCanvasTest, DeleteAsksForEachSelectedShapeFromTheLast) {
    CMeasureCanvas& c = Open(Picture("d.bmp", 640, 480, DIBIMAGE_TYPE_BMP));
    AddSelected(c, 1); // asked second: Yes
    c.m_shapes.Add(std::make_unique<CMeasureRecord>());
    AddSelected(c, 5); // asked first: No
    ms::test::AnswerMessageBox(IDNO);
    ms::test::AnswerMessageBox(IDYES);
    c.DeleteSelected();
    EXPECT_EQ(MessageBoxes(), (std::vector<std::u16string>{u"Are you sure to delete?",
                                                           u"Are you sure to delete?"}));
    ASSERT_EQ(c.m_shapes.GetSize(), 2);
    EXPECT_EQ(c.m_shapes.GetAt(1)->m_kind, 5);

    ms::test::ResetSeams();
    c.DeselectAll();
    EXPECT_EQ(c.m_shapes.GetAt(1)->m_selected, 0);
    c.DeleteSelected();
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Please select a metafile"});
    EXPECT_EQ(c.m_selectedFirst, -1);
    EXPECT_EQ(c.m_shapes.GetSize(), 2);
}

TEST_F(MeasureCanvasTest, OnlyTheEscKeyIsSwallowed) {
    CMeasureCanvas& c = Open(Picture("e.bmp", 640, 480, DIBIMAGE_TYPE_BMP));
    MSG key{c.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(c.PreTranslateMessage(&key));
    // A message that is no key goes the dialog's usual way even with 27 in its wParam.
    for (UINT message : {UINT(WM_TIMER), UINT(WM_MOUSEMOVE), UINT(WM_APP + 1)}) {
        MSG other{c.m_hWnd, message, 27, 0, 0, {0, 0}};
        MSG same = other;
        EXPECT_EQ(c.PreTranslateMessage(&other), c.CDialog::PreTranslateMessage(&same)) << message;
    }
}

TEST_F(MeasureCanvasTest, DestroyingACanvasDeletesOnlyItsOwnShapes) {
    CMeasureCanvas& first = Open(Picture("a.bmp", 640, 480, DIBIMAGE_TYPE_BMP));
    first.m_textPos = CPoint(1, 1);
    first.AddText(u"one");
    CMeasureCanvas other(&host_);
    other.m_path = ms::FromUtf8((program_ / "a.bmp").string()).c_str();
    ASSERT_TRUE(other.Create(IDD_MEASURE_CANVAS, &host_));
    other.AddText(u"two");
    first.DestroyWindow();
    EXPECT_FALSE(first.HasShapes());
    EXPECT_FALSE(first.HasPicture());
    EXPECT_TRUE(other.HasShapes());
    other.DestroyWindow();
}

} // namespace
