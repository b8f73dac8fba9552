// Wavenor's photo-measure canvas: the labels its tools give (worked out by hand from the length
// rule), select clicks on a circle's ring, dragging, saving with the items burnt in at the
// picture's scale, the three-point circle's degenerate presses, the calibration line, and the
// measuring space of both view modes.
#include "wifi_measure/WifiMeasureCanvas.h"

#include "wifi_measure/MeasureItem.h"

#include "tests/wifi_measure/PictureFixture.h"
#include "tests/measure/LabelTexts.h"

#include "imaging/DibImage.h"
#include "res/WavenorResource.h"

#include <cmath>
#include <fstream>

namespace {

using namespace mstest;

constexpr COLORREF kGrey = RGB(40, 40, 40);
constexpr COLORREF kRed = RGB(255, 0, 0);

// The colour at (x, y) counted from the top (the image keeps its rows bottom-up).
COLORREF ColourAt(const CDibImage& image, int x, int y) {
    const RGBQUAD q = image.GetPixelColor(x, static_cast<long>(image.GetHeight()) - 1 - y);
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

std::vector<CString> Labels(int index) {
    MeasureStore::Lock lock(CanvasItemStore());
    const CMeasureRecord* item = lock.Shapes().GetAt(index);
    return item ? item->m_labels : std::vector<CString>{};
}

std::vector<POINT> Points(int index) {
    MeasureStore::Lock lock(CanvasItemStore());
    const CMeasureRecord* item = lock.Shapes().GetAt(index);
    return item ? item->m_points : std::vector<POINT>{};
}

int ItemCount() {
    MeasureStore::Lock lock(CanvasItemStore());
    return lock.Shapes().GetSize();
}

class WifiCanvasTest : public PictureViewTest {
protected:
    void SetUp() override {
        PictureViewTest::SetUp();
        CanvasItemStore().DeleteAll();
        g_canvasViewMode = 1;
        g_canvasCalibrating = 0;
        g_calibratedZoom = 0.0;
        g_zoomScale = 50.0;
        g_lineColor = 0x0000FF;
    }
    void TearDown() override {
        if (canvas_ && canvas_->m_hWnd)
            canvas_->DestroyWindow();
        canvas_.reset();
        CanvasItemStore().DeleteAll();
        PictureViewTest::TearDown();
    }
    std::u16string Picture(const char* name, int width, int height) {
        return PictureViewTest::Picture(name, width, height, kGrey);
    }
    // As the dialog builds it: path, zoom and tool, then the child over the frame.
    CWifiMeasureCanvas& Open(const std::u16string& path, int width = 640, int height = 480) {
        canvas_ = std::make_unique<CWifiMeasureCanvas>();
        canvas_->m_picturePath = path.c_str();
        canvas_->SetTool(TOOL_SELECT);
        canvas_->Create(IDD_WIFI_MEASURE_CANVAS, &host_);
        canvas_->MoveWindow(0, 30, width, height);
        canvas_->ShowWindow(SW_SHOW);
        return *canvas_;
    }
    void Send(UINT msg, int x, int y, WPARAM keys = 0) {
        SendMessage(canvas_->m_hWnd, msg, keys, MAKELPARAM(x, y));
    }
    void Click(int x, int y) {
        Send(WM_MOUSEMOVE, x, y);
        Send(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        Send(WM_LBUTTONUP, x, y);
    }
    void DoubleClick(int x, int y) {
        Click(x, y);
        Send(WM_LBUTTONDBLCLK, x, y, MK_LBUTTON);
        Send(WM_LBUTTONUP, x, y);
    }
    void Tool(MeasureTool tool, int mode = 0) {
        canvas_->SetTool(tool, 1);
        canvas_->SetToolMode(mode);
    }

    std::unique_ptr<CWifiMeasureCanvas> canvas_;
};

// Magnification 50 (the stored calibration of "60.0" in the dialog's test), millimetres,
// three decimals: a pixel reads 0.063829787234 x 10 / 50 mm.
TEST_F(WifiCanvasTest, LineRadiusCircleAndPolygonLabels) {
    Open(Picture("p.png", 640, 480));
    Tool(TOOL_LINE);
    Click(100, 100);
    Click(400, 100);
    Click(420, 120); // the label's place
    Tool(TOOL_RADIUS_CIRCLE);
    Click(200, 200);
    Click(200, 260);
    Click(300, 300);
    Tool(TOOL_POLYGON);
    Click(100, 300);
    Click(300, 300);
    Click(300, 400);
    DoubleClick(100, 400);
    Click(50, 420);
    ASSERT_EQ(ItemCount(), 3);
    // 300 px: 300 x 0.0638297 x 10 / 50 = 3.8298.
    EXPECT_EQ(LabelTexts(Labels(0)), (std::vector<std::u16string>{u"L:3.830mm"}));
    // r = 60 px: area 314.15926 x 60² x S² / 50², radius 60 S 10 / 50, girth 60 S 62.831852 / 50.
    EXPECT_EQ(LabelTexts(Labels(1)),
              (std::vector<std::u16string>{u"A:1.843mm2", u"R:0.766mm", u"G:4.813mm"}));
    // 200 x 100 pixels inside the outline: 20000 S² 100 / 50².
    EXPECT_EQ(LabelTexts(Labels(2)), (std::vector<std::u16string>{u"A:3.259mm2"}));
    // Each label sits where its last click put it; the line has its ticks.
    const std::vector<POINT> line = Points(0);
    ASSERT_EQ(line.size(), 7u);
    EXPECT_EQ(line[2].x, 100);
    EXPECT_EQ(line[2].y, 90);
    EXPECT_EQ(line[6].x, 420);
    EXPECT_EQ(Points(1).back().y, 300);
    EXPECT_EQ(Points(2).back().x, 50);
}

TEST_F(WifiCanvasTest, ASelectClickHitsTheRingWithinTwoPixelsOnly) {
    Open(Picture("p.png", 640, 480));
    Tool(TOOL_RADIUS_CIRCLE);
    Click(200, 200);
    Click(260, 200); // r = 60
    Click(400, 400);
    const struct {
        int x;
        bool selected;
    } cases[] = {{260, true}, {258, true}, {262, true}, {263, false}, {257, false}, {200, false}};
    for (const auto& c : cases) {
        canvas_->DeselectAll();
        Tool(TOOL_SELECT);
        Click(c.x, 200);
        MeasureStore::Lock lock(CanvasItemStore());
        EXPECT_EQ(lock.Shapes()[0]->m_selected != 0, c.selected) << "x " << c.x;
    }
}

TEST_F(WifiCanvasTest, DraggingASelectedItemMovesAllOfItsPoints) {
    Open(Picture("p.png", 640, 480));
    Tool(TOOL_LINE);
    Click(100, 100);
    Click(300, 200);
    Click(320, 220);
    Tool(TOOL_POLYGON);
    Click(400, 100);
    Click(500, 100);
    DoubleClick(450, 200);
    Click(460, 230);
    for (int index : {0, 1}) {
        const std::vector<POINT> before = Points(index);
        Tool(TOOL_SELECT);
        canvas_->DeselectAll();
        Click(index == 0 ? 200 : 450, index == 0 ? 150 : 100); // on the line, on an edge
        canvas_->MoveSelected();
        ASSERT_TRUE(canvas_->Moving());
        // The drag takes the handle from where MoveSelected put the cursor: the middle of
        // the first two points.
        const POINT handle{(before[0].x + before[1].x) / 2, (before[0].y + before[1].y) / 2};
        Send(WM_MOUSEMOVE, handle.x + 20, handle.y + 5);
        Click(handle.x + 30, handle.y + 40);
        EXPECT_FALSE(canvas_->Moving());
        const std::vector<POINT> after = Points(index);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i].x, before[i].x + 30) << index << ":" << i;
            EXPECT_EQ(after[i].y, before[i].y + 40) << index << ":" << i;
        }
    }
}

TEST_F(WifiCanvasTest, ARightClickDuringAMoveLeavesTheItemWhereItWas) {
    Open(Picture("p.png", 640, 480));
    Tool(TOOL_LINE);
    Click(100, 100);
    Click(300, 100);
    Click(320, 120);
    const std::vector<POINT> before = Points(0);
    Tool(TOOL_SELECT);
    Click(200, 100);
    canvas_->MoveSelected();
    Send(WM_MOUSEMOVE, 250, 250);
    Send(WM_RBUTTONDOWN, 250, 250, MK_RBUTTON);
    EXPECT_FALSE(canvas_->Moving());
    EXPECT_EQ(Points(0)[0].x, before[0].x);
    EXPECT_EQ(Points(0)[0].y, before[0].y);
}

// Measured in the fitted 640 x 512 display, the line lands on the full picture doubled.
TEST_F(WifiCanvasTest, SavingA1280x1024PictureDrawsTheLineAtItsPicturePosition) {
    Open(Picture("big.png", 1280, 1024), 640, 512);
    g_lineWidth = 2;
    Tool(TOOL_LINE);
    Click(100, 50);
    Click(300, 50);
    Click(300, 300);
    ASSERT_EQ(ItemCount(), 1);
    const std::u16string saved = ms::FromUtf8((program_ / "measured.png").string());
    ASSERT_EQ(canvas_->SaveWithMeasurements(saved.c_str()), 1);
    CDibImage image(saved.c_str(), DIBIMAGE_TYPE_PNG);
    ASSERT_EQ(image.GetWidth(), 1280u);
    ASSERT_EQ(image.GetHeight(), 1024u);
    for (int x : {210, 400, 590})
        EXPECT_EQ(ColourAt(image, x, 100), kRed) << x;
    EXPECT_EQ(ColourAt(image, 400, 50), kGrey); // not at the display position
    EXPECT_EQ(ColourAt(image, 150, 100), kGrey); // nothing left of the start
    // Any other ending writes nothing.
    EXPECT_EQ(canvas_->SaveWithMeasurements((program_ / "x.bmp").u16string().c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(program_ / "x.bmp"));
}

TEST_F(WifiCanvasTest, ThreePressesOnOneLineAreRefusedAndTwoOnOneVerticalSolved) {
    MeasureContext x;
    x.unitScale = 0.063829787234;
    x.magnification = 50.0;
    CMeasureRecord item;
    EXPECT_FALSE(MakeCanvasItem(LIVE_THREE_POINT_CIRCLE, {{10, 10}, {20, 20}, {30, 30}}, {}, x, item));
    EXPECT_FALSE(MakeCanvasItem(LIVE_THREE_POINT_CIRCLE, {{10, 10}, {10, 20}, {10, 40}}, {}, x, item));
    // First and second press on one vertical: the centre of (0,0), (0,100), (100,0) is (50,50).
    ASSERT_TRUE(MakeCanvasItem(LIVE_THREE_POINT_CIRCLE, {{0, 0}, {0, 100}, {100, 0}}, {}, x, item));
    EXPECT_EQ(item.m_points[0].x, 50);
    EXPECT_EQ(item.m_points[0].y, 50);
    for (const CString& label : item.m_labels)
        EXPECT_EQ(std::u16string(label.GetString()).find(u"nan"), std::u16string::npos);

    // On the canvas the refused third press keeps the two presses; a good one finishes it.
    Open(Picture("p.png", 640, 480));
    Tool(TOOL_THREE_POINT_CIRCLE);
    Click(100, 100);
    Click(200, 200);
    Click(300, 300);
    EXPECT_EQ(ItemCount(), 0);
    EXPECT_EQ(canvas_->Session().Next(), 2);
    Click(300, 100);
    Click(500, 400);
    ASSERT_EQ(ItemCount(), 1);
    EXPECT_EQ(Points(0).size(), 5u);
}

TEST_F(WifiCanvasTest, ACalibrationLineReadsTheTypedLengthAndACancelledFirstOneTheMagnification) {
    Open(Picture("p.png", 640, 480));
    // Cancelled before any calibration: the line reads at the magnification, 300 px at 50.
    g_canvasCalibrating = 1;
    ms::test::PressInDialog(IDD_WIFI_CALIBRATION, IDCANCEL);
    Tool(TOOL_LINE);
    Click(100, 100);
    Click(400, 100);
    Click(420, 120);
    EXPECT_EQ(LabelTexts(Labels(0)), (std::vector<std::u16string>{u"L:3.830mm"}));
    EXPECT_EQ(g_calibratedZoom, 0.0);
    EXPECT_EQ(g_canvasCalibrating, 0);
    // Accepted: 2 mm typed gives the magnification at which the line reads 2 mm.
    g_canvasCalibrating = 1;
    ms::test::AnswerDialog(IDD_WIFI_CALIBRATION, [](HWND dialog) {
        SetDlgItemText(dialog, IDC_WC_DISTANCE, u"2");
        SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
    Click(100, 200);
    Click(400, 200);
    Click(420, 220);
    EXPECT_EQ(LabelTexts(Labels(1)), (std::vector<std::u16string>{u"L:2.000mm"}));
    EXPECT_NEAR(g_calibratedZoom, 300 * 0.063829787234 * 10 / 2, 1e-9);
}

// Lengths are measured in the fitted display in both modes; saving from the fitted display
// scales by picture / display for every picture size.
TEST_F(WifiCanvasTest, TheMeasuringSpaceOfBothViewModes) {
    const struct {
        int w, h, mode;
        double toPictureX, toPictureY, toFitted;
    } cases[] = {
        {640, 480, 1, 1.0, 1.0, 1.0},   {1280, 1024, 1, 2.0, 2.0, 1.0},
        {1600, 1200, 1, 2.5, 2.5, 1.0}, {1280, 1024, 2, 1.0, 1.0, 0.5},
        {1600, 1200, 2, 1.0, 1.0, 0.4},
    };
    for (const auto& c : cases) {
        const CanvasSpace s = CanvasSpaceOf(c.w, c.h, c.mode);
        EXPECT_DOUBLE_EQ(s.toPictureX, c.toPictureX) << c.w;
        EXPECT_DOUBLE_EQ(s.toPictureY, c.toPictureY) << c.w;
        EXPECT_DOUBLE_EQ(s.toFitted, c.toFitted) << c.w;
    }
    // A line across a 1280 x 1024 picture reads the same at actual size as fitted.
    g_canvasViewMode = 2;
    Open(Picture("big.png", 1280, 1024), 640, 512);
    Tool(TOOL_LINE);
    Click(0, 100);
    Click(600, 100);
    Click(600, 150);
    g_canvasViewMode = 1;
    EXPECT_EQ(LabelTexts(Labels(0)), (std::vector<std::u16string>{u"L:3.830mm"})); // 600 px = 300 fitted
}

TEST_F(WifiCanvasTest, APictureThatDoesNotLoadLeavesAGreyCanvasThatStartsNothing) {
    std::ofstream(program_ / "broken.png") << "not a picture";
    CWifiMeasureCanvas& c = Open(ms::FromUtf8((program_ / "broken.png").string()));
    EXPECT_FALSE(c.HasPicture());
    EXPECT_EQ(MessageBoxes(), (std::vector<std::u16string>{u"Can not Open file"}));
    Tool(TOOL_LINE);
    Click(100, 100);
    Click(200, 100);
    EXPECT_EQ(ItemCount(), 0);
    EXPECT_EQ(c.SaveWithMeasurements((program_ / "x.png").u16string().c_str()), 0);
}

} // namespace
