// The canvas tools driven by mouse messages on a 640 x 480 white picture in the fixed view
// (unit mm, 3 decimals, no large-format device, magnification 1: one pixel is 0.638 mm):
// records and labels of the click tools, refused geometry, capture and confinement, the
// automatic tools over the detectors, selection, calibration, rubber band and moving.
#include "measure/CanvasShapeRules.h"
#include "measure/MeasureCanvas.h"

#include "tests/measure/DialogFixture.h"
#include "tests/measure/LabelTexts.h"

#include "imaging/DibImage.h"
#include "platform/mfc/AfxCmn.h"
#include "res/TessaryResource.h"

#include <filesystem>

static bool operator==(const POINT& a, const POINT& b) {
    return a.x == b.x && a.y == b.y;
}

namespace {

using namespace mstest;

// The photo-measure window's stand-in: it counts the calibration messages it receives.
class Host : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_APP_PICTURE_CALIBRATED)
            ++calibrated;
        return CWnd::WindowProc(msg, wp, lp);
    }
    int calibrated = 0;
};

class CanvasToolsTest : public MeasureDialogTest {
protected:
    void SetUp() override {
        MeasureDialogTest::SetUp();
        g_has1600x1200 = 0;
        g_zoomScale = 1.0;
        g_circleLabelCount = 0;
        ASSERT_TRUE(host_.CreateEx(0, nullptr, u"host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700,
                                   nullptr, nullptr));
    }
    void TearDown() override {
        if (canvas_ && canvas_->m_hWnd)
            canvas_->DestroyWindow();
        canvas_.reset();
        host_.DestroyWindow();
        g_has1600x1200 = 1;
        MeasureDialogTest::TearDown();
    }
    // A white picture; `edgeFrom` > 0 paints the columns from there to `edgeTo` black.
    CMeasureCanvas& Open(int edgeFrom = 0, int width = 640, int height = 480,
                         CanvasViewMode mode = CANVAS_VIEW_FIXED, int edgeTo = 1 << 20) {
        CDibImage image(DWORD(width), DWORD(height), 24);
        for (long y = 0; y < height; ++y)
            for (long x = 0; x < width; ++x) {
                const BYTE v = edgeFrom > 0 && x >= edgeFrom && x < edgeTo ? 0 : 255;
                image.SetPixelColor(x, y, RGBQUAD{v, v, v, 0});
            }
        const std::u16string path = ms::FromUtf8((program_ / "p.bmp").string());
        EXPECT_TRUE(image.SaveToFile(path.c_str(), DIBIMAGE_TYPE_BMP));
        canvas_ = std::make_unique<CMeasureCanvas>(&host_);
        canvas_->m_path = path.c_str();
        canvas_->m_viewMode = mode;
        EXPECT_TRUE(canvas_->Create(IDD_MEASURE_CANVAS, &host_));
        canvas_->MoveWindow(0, 0, 700, 520);
        canvas_->ShowWindow(SW_SHOW);
        canvas_->m_zoom = 1.0;
        return *canvas_;
    }
    void Tool(MeasureTool tool, ToolMode mode = TOOL_MODE_MEASURE) { canvas_->SetTool(tool, mode); }
    void Press(int x, int y) { canvas_->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Presses(std::initializer_list<POINT> points) {
        for (POINT p : points)
            Press(p.x, p.y);
    }
    void Move(int x, int y) { canvas_->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Up(int x, int y) { canvas_->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void Right(int x, int y) { canvas_->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y)); }
    void Double(int x, int y) {
        canvas_->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    }
    CMeasureRecord* Last() { return canvas_->m_shapes.GetAt(canvas_->m_shapes.GetSize() - 1); }
    std::vector<std::u16string> Labels(const CMeasureRecord* r) { return LabelTexts(r->m_labels); }
    bool Holding() {
        RECT clip{};
        GetClipCursor(&clip);
        CRect area = canvas_->PictureArea();
        canvas_->ClientToScreen(&area);
        return ::GetCapture() == canvas_->m_hWnd && CRect(clip) == static_cast<const RECT&>(area);
    }
    bool Released() {
        RECT clip{};
        GetClipCursor(&clip);
        return ::GetCapture() != canvas_->m_hWnd && clip.left == 0 && clip.top == 0 &&
               clip.right == GetSystemMetrics(SM_CXSCREEN);
    }

    Host host_;
    std::unique_ptr<CMeasureCanvas> canvas_;
};

TEST_F(CanvasToolsTest, TheManualToolsMakeTheirRecordsAndLabels) {
    struct Case {
        MeasureTool tool;
        std::vector<POINT> presses; // the shape's clicks, then the label click
        int kind;
        std::vector<std::u16string> labels;
        size_t points; // after the label was placed
    };
    const Case cases[] = {
        {TOOL_LINE, {{100, 100}, {200, 100}, {150, 130}}, 1, {u"L:63.830mm"}, 8},
        {TOOL_RECTANGLE,
         {{100, 100}, {200, 150}, {220, 160}},
         3,
         {u"A:2037.121mm2", u"W:63.830mm", u"H:31.915mm"},
         4},
        {TOOL_ANGLE, {{300, 200}, {200, 200}, {200, 100}, {210, 150}}, 5, {u"90.00°"}, 5},
        {TOOL_DOT_LINE, {{100, 100}, {100, 300}, {200, 150}, {210, 150}}, 22, {u"L:63.830mm"}, 5},
        {TOOL_PARALLEL_LINE, {{100, 100}, {100, 200}, {120, 150}}, 12, {u"L:63.830mm"}, 8},
        {TOOL_THREE_POINT_CIRCLE,
         {{350, 240}, {300, 290}, {250, 240}, {300, 240}},
         9,
         {u"D:63.830mm"},
         6},
        {TOOL_ARC,
         {{350, 240}, {300, 190}, {250, 240}, {300, 240}},
         222,
         {u"R:31.915mm", u"Angle:180.00°", u"Arc:100.261mm"},
         6},
        {TOOL_FOUR_POINT_ANGLE,
         {{100, 100}, {200, 100}, {100, 200}, {100, 300}, {150, 250}},
         10,
         {u"90.00°"},
         6},
    };
    CMeasureCanvas& c = Open();
    for (const Case& k : cases) {
        Tool(k.tool);
        for (POINT p : k.presses)
            Press(p.x, p.y);
        ASSERT_FALSE(c.ShapeInProgress()) << k.tool;
        const CMeasureRecord* r = Last();
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->m_kind, k.kind) << k.tool;
        EXPECT_EQ(Labels(r), k.labels) << k.tool;
        EXPECT_EQ(r->m_points.size(), k.points) << k.tool;
    }
    EXPECT_EQ(c.m_shapes.GetSize(), int(std::size(cases)));

    // The straight line's points: ends, the perpendicular ticks, the label, the placeholder.
    const std::vector<POINT> line = c.m_shapes.GetAt(0)->m_points;
    const std::vector<POINT> expected = {{100, 100}, {200, 100}, {100, 90},  {100, 110},
                                         {200, 90},  {200, 110}, {150, 130}, {200, 100}};
    EXPECT_EQ(line, expected);
    // The three-point circle keeps its centre first.
    EXPECT_EQ(c.m_shapes.GetAt(5)->m_points[0], (POINT{300, 240}));

    // The label follows the cursor until the click places it.
    Tool(TOOL_LINE);
    Presses({{10, 300}, {110, 300}});
    Move(50, 350);
    EXPECT_EQ(Last()->m_points[6], (POINT{50, 350}));
    Press(60, 360);
    EXPECT_EQ(Last()->m_points[6], (POINT{60, 360}));
    EXPECT_EQ(Last()->m_points[7], (POINT{50, 350}));

    // Another unit shows the same rectangle in it.
    ms::CopyBounded(g_unitName, 12, u"cm");
    c.m_unitScale = UnitScale();
    Tool(TOOL_RECTANGLE);
    Presses({{100, 100}, {200, 150}, {220, 160}});
    EXPECT_EQ(Labels(Last())[0], u"A:20.371cm2");
}

TEST_F(CanvasToolsTest, PaintModeEndsOnTheShapesLastClickWithEmptyLabels) {
    CMeasureCanvas& c = Open();
    Tool(TOOL_RECTANGLE, TOOL_MODE_PAINT);
    Presses({{10, 10}, {50, 40}});
    EXPECT_FALSE(c.ShapeInProgress());
    EXPECT_TRUE(Released());
    EXPECT_EQ(Labels(Last()), (std::vector<std::u16string>{u"", u"", u""}));
    Tool(TOOL_CIRCLE_LABEL, TOOL_MODE_PAINT);
    Presses({{60, 60}, {90, 60}});
    EXPECT_EQ(Labels(Last()), std::vector<std::u16string>{u"2"});
    // Outside the picture a first click starts nothing.
    Press(650, 100);
    EXPECT_EQ(c.m_shapes.GetSize(), 3);
}

TEST_F(CanvasToolsTest, UndefinedGeometryRefusesTheClickAndKeepsThePoints) {
    CMeasureCanvas& c = Open();
    Tool(TOOL_THREE_POINT_CIRCLE);
    Presses({{100, 100}, {200, 100}, {300, 100}}); // collinear
    EXPECT_TRUE(c.m_shapes.IsEmpty());
    EXPECT_EQ(c.Session().Next(), 2);
    Press(150, 150); // the third point again, now off the line
    ASSERT_EQ(c.m_shapes.GetSize(), 1);
    EXPECT_EQ(Last()->m_points[0], (POINT{150, 100}));
    Press(400, 400);

    Tool(TOOL_ARC);
    Presses({{100, 100}, {100, 100}, {100, 100}}); // coincident
    EXPECT_EQ(c.m_shapes.GetSize(), 1);
    Right(0, 0);

    Tool(TOOL_ANGLE);
    Presses({{100, 100}, {200, 200}, {200, 200}}); // a zero-length second arm
    EXPECT_EQ(c.m_shapes.GetSize(), 1);
    EXPECT_EQ(c.Session().Next(), 2);
    Right(0, 0);

    Tool(TOOL_AUTO_ANGLE);
    Presses({{100, 100}, {120, 200}}); // |dx| = 20 with |dy| > 20 matches no section rule
    EXPECT_EQ(c.Session().Next(), 1);
    Right(0, 0);

    Tool(TOOL_AUTO_CIRCLE);
    Presses({{100, 100}, {150, 100}, {200, 100}}); // collinear edge points: no circle fits
    Right(250, 250);
    EXPECT_EQ(c.m_shapes.GetSize(), 1);
    EXPECT_EQ(c.Session().Next(), 3);
    Press(100, 200); // collecting goes on, and now a circle fits
    Right(250, 250);
    EXPECT_EQ(Last()->m_kind, TOOL_AUTO_CIRCLE);
}

TEST_F(CanvasToolsTest, CaptureAndConfinementLastFromTheFirstClickToTheLastOrTheRightButton) {
    CMeasureCanvas& c = Open();
    Tool(TOOL_LINE);
    Presses({{10, 10}, {40, 10}, {50, 50}});
    ASSERT_EQ(c.m_shapes.GetSize(), 1);
    const CMeasureRecord* kept = Last();

    Press(100, 100);
    EXPECT_TRUE(Holding());
    // Cancelled before it was listed: the finished line before it stays.
    Right(120, 120);
    EXPECT_TRUE(Released());
    EXPECT_EQ(c.m_shapes.GetSize(), 1);

    Presses({{100, 100}, {200, 100}});
    EXPECT_TRUE(Released()); // only the label's place is left: the mouse is free
    EXPECT_EQ(c.m_shapes.GetSize(), 2);
    Right(120, 120); // listed, label pending: the shape in progress goes
    EXPECT_TRUE(Released());
    ASSERT_EQ(c.m_shapes.GetSize(), 1);
    EXPECT_EQ(Last(), kept);

    // A continuous line or two circles in progress keep every listed shape.
    for (MeasureTool tool : {TOOL_CONTINUOUS_LINE, TOOL_TWO_CIRCLES}) {
        Tool(tool);
        Presses({{300, 300}, {350, 300}});
        EXPECT_TRUE(Holding());
        Right(1, 1);
        EXPECT_TRUE(Released());
        EXPECT_FALSE(c.ShapeInProgress());
        EXPECT_EQ(c.m_shapes.GetSize(), 1);
    }

    // Choosing another tool ends the shape and lets the mouse go.
    Tool(TOOL_RECTANGLE);
    Press(100, 100);
    Tool(TOOL_LINE);
    EXPECT_TRUE(Released());
    EXPECT_FALSE(c.ShapeInProgress());
}

TEST_F(CanvasToolsTest, ContinuousLineAndTwoCircles) {
    CMeasureCanvas& c = Open();
    const int fontSize = g_fontSize;
    g_fontSize = 20; // a label line step of 18
    Tool(TOOL_CONTINUOUS_LINE);
    Double(100, 100); // before its first segment the double click makes nothing
    Presses({{100, 100}, {200, 100}, {150, 80}, {200, 200}});
    Press(210, 220); // the label of the last segment: the first click of the double click
    Double(210, 220);
    ASSERT_EQ(c.m_shapes.GetSize(), 1);
    const CMeasureRecord* line = Last();
    EXPECT_EQ(line->m_kind, TOOL_CONTINUOUS_LINE);
    EXPECT_EQ(Labels(line), (std::vector<std::u16string>{u"63.830mm", u"63.830mm"}));
    const std::vector<POINT> points = {{100, 100}, {200, 100}, {150, 80}, {200, 200}, {210, 220}};
    EXPECT_EQ(line->m_points, points);
    // The line's labels and total stand as far apart as the other shapes' of this font.
    EXPECT_EQ(line->m_fontSize, 18);
    g_fontSize = fontSize;
    EXPECT_FALSE(c.ShapeInProgress());
    EXPECT_TRUE(Released());

    Tool(TOOL_TWO_CIRCLES);
    Presses({{150, 100},
             {100, 150},
             {50, 100},
             {100, 60}, // first circle, its label
             {350, 100},
             {300, 150},
             {250, 100},
             {300, 60},
             {200, 60}}); // second, labels
    ASSERT_EQ(c.m_shapes.GetSize(), 2);
    const CMeasureRecord* two = Last();
    EXPECT_EQ(two->m_points.size(), 11u);
    EXPECT_EQ(Labels(two),
              (std::vector<std::u16string>{u"D:63.830mm", u"D:63.830mm", u"L:127.660mm"}));
    EXPECT_EQ(two->m_points[3], (POINT{100, 100}));
    EXPECT_EQ(two->m_points[8], (POINT{300, 100}));
}

TEST_F(CanvasToolsTest, AnAutomaticLineSnapsToAnEdge) {
    CMeasureCanvas& c = Open(320); // black from column 320 on
    Tool(TOOL_AUTO_LINE_LENGTH2);
    Press(312, 100);
    Right(0, 0); // one point: nothing to fit yet
    EXPECT_TRUE(c.m_shapes.IsEmpty());
    Presses({{310, 200}, {314, 300}});
    Right(400, 200);
    ASSERT_EQ(c.m_shapes.GetSize(), 1);
    const CMeasureRecord* r = Last();
    EXPECT_EQ(r->m_kind, TOOL_AUTO_LINE_LENGTH2);
    ASSERT_EQ(r->m_points.size(), 3u);
    for (int i : {0, 1})
        EXPECT_NEAR(r->m_points[size_t(i)].x, 320, 1) << i;
    EXPECT_NEAR(r->m_points[0].y, 100, 1);
    EXPECT_NEAR(r->m_points[1].y, 300, 1);
    Press(420, 220); // the label
    EXPECT_EQ(r->m_points[2], (POINT{420, 220}));
    EXPECT_TRUE(Released());

    // The section tools find the same edge: two sections dragged along it.
    Tool(TOOL_AUTO_ANGLE);
    Presses({{318, 50}, {318, 150}, {322, 250}, {322, 400}});
    const CMeasureRecord* angle = Last();
    ASSERT_EQ(angle->m_kind, TOOL_AUTO_ANGLE);
    for (int i : {0, 1, 2, 3})
        EXPECT_NEAR(angle->m_points[size_t(i)].x, 320, 1) << i;
    const std::u16string degrees = Labels(angle)[0];
    EXPECT_TRUE(degrees == u"0.00°" || degrees == u"180.00°") << ms::ToUtf8(degrees);
}

TEST_F(CanvasToolsTest, LineSpacingBetweenFoundEdgesOrBetweenTheSections) {
    Open(300, 640, 480, CANVAS_VIEW_FIXED, 350); // a band 50 pixels wide
    Tool(TOOL_AUTO_LINE_SPACING);
    // Two sections dragged along the band's edges: the perpendicular between the lines.
    Presses({{300, 100}, {300, 200}, {350, 100}, {350, 200}, {400, 300}});
    const CMeasureRecord* r = Last();
    ASSERT_EQ(r->m_kind, TOOL_AUTO_LINE_SPACING);
    ASSERT_EQ(r->m_points.size(), 8u);
    EXPECT_NEAR(r->m_points[0].x, 300, 1);
    EXPECT_NEAR(r->m_points[1].x, 350, 1);
    EXPECT_EQ(r->m_points[0].y, r->m_points[1].y);
    EXPECT_EQ(r->m_points[6], (POINT{400, 300}));
    const double mm = std::stod(ms::ToUtf8(Labels(r)[0]).substr(2));
    EXPECT_NEAR(mm, 50 * 0.6383, 0.65);

    // No edge in the first section: the distance between the sections' centres.
    Presses({{100, 100}, {100, 200}, {350, 100}, {350, 200}, {400, 300}});
    EXPECT_EQ(Last()->m_points[0], (POINT{100, 150}));
    EXPECT_NEAR(Last()->m_points[1].x, 350, 1);

    // The automatic angle without edges measures between the two drags.
    Tool(TOOL_AUTO_ANGLE);
    Presses({{30, 30}, {130, 130}, {30, 400}, {130, 300}, {200, 200}});
    EXPECT_EQ(Labels(Last()), std::vector<std::u16string>{u"90.00°"});
}

TEST_F(CanvasToolsTest, TheFullSizeViewMeasuresInThePixelsOfTheFixedView) {
    CMeasureCanvas& c = Open(0, 1280, 1024, CANVAS_VIEW_FULL_SIZE);
    ASSERT_DOUBLE_EQ(c.m_scaleX, 1.0);
    Tool(TOOL_LINE);
    Presses({{100, 100}, {300, 100}, {200, 130}}); // 200 picture pixels, 100 in the fixed view
    EXPECT_EQ(Labels(Last()), std::vector<std::u16string>{u"L:63.830mm"});
}

TEST_F(CanvasToolsTest, EdgeSectionAndMagnifierLens) {
    CMeasureCanvas& c = Open(320);
    Tool(TOOL_EDGE_PORTION, TOOL_MODE_PAINT);
    Press(300, 100);
    EXPECT_TRUE(Holding());
    Move(340, 200);
    Up(340, 200);
    EXPECT_TRUE(Released());
    int red = 0;
    for (long y = 0; y < 480; ++y)
        for (long x = 0; x < 640; ++x) {
            const RGBQUAD q = c.m_image->GetPixelColor(x, y);
            if (q.rgbRed == 255 && q.rgbGreen == 0 && q.rgbBlue == 0) {
                ++red;
                EXPECT_NEAR(x, 320, 2);
            }
        }
    EXPECT_GT(red, 50);
    EXPECT_TRUE(MessageBoxes().empty());
    Press(650, 100); // outside the picture: no section
    Up(650, 100);
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Please select section first"});

    Tool(TOOL_MAGNIFIER, TOOL_MODE_PAINT);
    c.m_lensSize = 100;
    Press(200, 200);
    ASSERT_EQ(c.m_lensActive, 1);
    CRect lens;
    c.m_lens->GetWindowRect(&lens);
    c.ScreenToClient(&lens);
    EXPECT_EQ(lens, (RECT{150, 150, 250, 250}));
    Move(300, 260);
    c.m_lens->GetWindowRect(&lens);
    c.ScreenToClient(&lens);
    EXPECT_EQ(lens, (RECT{250, 210, 350, 310}));
    EXPECT_EQ(c.m_lensPoint.x, 250);
    Right(300, 260);
    EXPECT_EQ(c.m_lensActive, 0);
    EXPECT_EQ(c.m_lens, nullptr);
    EXPECT_TRUE(Released());
    // Another tool closes a lens that is still shown.
    Press(100, 100);
    Tool(TOOL_SELECT, TOOL_MODE_IDLE);
    EXPECT_EQ(c.m_lensActive, 0);
    EXPECT_TRUE(Released());
}

// Random presses, moves, releases, double and right clicks over every tool: nothing reads
// out of bounds, no label shows a value that is not a number, and a tool change lets the
// mouse go.
TEST_F(CanvasToolsTest, RandomInputOverEveryToolStaysSound) {
    CMeasureCanvas& c = Open(320);
    const MeasureTool tools[] = {TOOL_LINE,
                                 TOOL_DOT_LINE,
                                 TOOL_PARALLEL_LINE,
                                 TOOL_RECTANGLE,
                                 TOOL_ANGLE,
                                 TOOL_CONTINUOUS_LINE,
                                 TOOL_THREE_POINT_CIRCLE,
                                 TOOL_ARC,
                                 TOOL_TWO_CIRCLES,
                                 TOOL_FOUR_POINT_ANGLE,
                                 TOOL_CIRCLE_LABEL,
                                 TOOL_SELECT,
                                 TOOL_AUTO_LINE_SPACING,
                                 TOOL_AUTO_ANGLE,
                                 TOOL_AUTO_CIRCLE,
                                 TOOL_AUTO_ARC,
                                 TOOL_AUTO_LINE_LENGTH2,
                                 TOOL_EDGE_PORTION,
                                 TOOL_MAGNIFIER,
                                 TOOL_TEXT};
    unsigned seed = 12345;
    auto next = [&](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (int round = 0; round < 60; ++round) {
        const MeasureTool tool = tools[next(std::size(tools))];
        Tool(tool, next(2) ? TOOL_MODE_MEASURE : TOOL_MODE_PAINT);
        c.SetToolFlag(int(next(2)));
        for (int i = 0; i < 25; ++i) {
            // Few distinct places, so that points coincide and line up often.
            const int x = int(next(5)) * 150 - 10, y = int(next(5)) * 110 - 10;
            switch (next(8)) {
            case 0:
                Right(x, y);
                break;
            case 1:
                Double(x, y);
                break;
            case 2:
                Move(x, y);
                break;
            case 3:
                Up(x, y);
                break;
            case 4:
                c.BeginMoveSelected();
                break;
            default:
                Press(x, y);
            }
        }
    }
    Tool(TOOL_NONE, TOOL_MODE_IDLE);
    Right(0, 0);
    EXPECT_TRUE(Released());
    for (const auto& shape : c.m_shapes)
        for (const CString& label : shape->m_labels) {
            const std::string text = ms::ToUtf8(label.GetString());
            EXPECT_EQ(text.find("nan"), std::string::npos) << text;
            EXPECT_EQ(text.find("inf"), std::string::npos) << text;
        }
    EXPECT_GT(c.m_shapes.GetSize(), 10);
}

TEST(CanvasShapeRules, SelectClicksAtTheBandEdges) {
    CMeasureRecord rect;
    rect.m_kind = CANVAS_KIND_RECTANGLE;
    rect.m_points = {{100, 100}, {200, 150}, {150, 125}};
    CMeasureRecord circle;
    circle.m_kind = TOOL_THREE_POINT_CIRCLE;
    circle.m_points = {{300, 240}, {350, 240}, {250, 240}, {300, 290}};
    CMeasureRecord line;
    line.m_kind = CANVAS_KIND_LINE;
    line.m_points = {{100, 300}, {300, 300}};
    CMeasureRecord autoCircle;
    autoCircle.m_kind = TOOL_AUTO_CIRCLE;
    autoCircle.m_points = {{300, 240}, {0, 0}};
    autoCircle.m_radius = 50.0;
    CMeasureRecord four;
    four.m_kind = TOOL_FOUR_POINT_ANGLE;
    four.m_points = {{100, 300}, {300, 300}, {0, 0}, {0, 0}};
    struct Case {
        const CMeasureRecord* shape;
        POINT click;
        bool hit;
    };
    const Case cases[] = {
        {&rect, {98, 120}, true},        {&rect, {97, 120}, false},
        {&rect, {101, 120}, true},       {&rect, {102, 120}, false},
        {&rect, {150, 125}, false},      {&rect, {201, 120}, true},
        {&rect, {202, 120}, false},      {&rect, {150, 152}, false},
        {&rect, {150, 151}, true},       {&circle, {352, 240}, true},
        {&circle, {353, 240}, false},    {&circle, {348, 240}, true},
        {&circle, {347, 240}, false},    {&line, {200, 303}, true},
        {&line, {200, 304}, false},      {&line, {301, 300}, false},
        {&autoCircle, {352, 240}, true}, {&autoCircle, {400, 400}, false},
        {&four, {200, 300}, false},
    };
    for (const Case& k : cases)
        EXPECT_EQ(HitsShape(*k.shape, k.click), k.hit)
            << k.shape->m_kind << " at " << k.click.x << "," << k.click.y;
    EXPECT_TRUE(HitsFourPointAngle(four, POINT{200, 300}));
}

TEST_F(CanvasToolsTest, SelectTakesTheFirstShapeHitAndFourPointAnglesPickInTwos) {
    CMeasureCanvas& c = Open();
    Tool(TOOL_LINE);
    Presses({{100, 100}, {300, 100}, {1, 1}, {100, 101}, {300, 101}, {1, 1}});
    Tool(TOOL_SELECT, TOOL_MODE_IDLE);
    Press(200, 100);
    EXPECT_EQ(c.m_shapes.GetAt(0)->m_selected, 1);
    EXPECT_EQ(c.m_shapes.GetAt(1)->m_selected, 0);
    Press(500, 400); // empty ground keeps the selection
    EXPECT_EQ(c.m_shapes.GetAt(0)->m_selected, 1);

    Tool(TOOL_FOUR_POINT_ANGLE);
    for (int y : {200, 250, 300})
        Presses({{100, y}, {200, y}, {300, y + 10}, {300, y + 40}, {1, 1}});
    c.SetToolFlag(1);
    Tool(TOOL_SELECT, TOOL_MODE_IDLE);
    Presses({{150, 200}, {150, 250}, {150, 300}});
    EXPECT_EQ(c.m_shapes.GetAt(2)->m_selected, 0);
    EXPECT_EQ(c.m_shapes.GetAt(3)->m_selected, 1);
    EXPECT_EQ(c.m_shapes.GetAt(4)->m_selected, 1);
    EXPECT_EQ(c.m_selectedFirst, 3);
    EXPECT_EQ(c.m_selectedSecond, 4);
}

TEST_F(CanvasToolsTest, ACalibrationLineReadsTheTypedLength) {
    CMeasureCanvas& c = Open();
    CEdit magnification;
    magnification.Create(WS_CHILD, CRect(0, 600, 50, 620), &host_, 1130);
    magnification.SetWindowText(u"50");
    c.m_unitScale = 0.08;
    c.m_zoom = 50.0;
    g_zoomScale = 50.0;
    c.SetCalibrationMode(1);
    Tool(TOOL_PARALLEL_LINE);
    ms::test::AnswerDialog(IDD_CALIBRATION, [](HWND h) {
        Type(h, IDC_CALIB_DISTANCE, u"0.5");
        mstest::Press(h, IDOK);
    });
    Presses({{100, 100}, {300, 100}});
    EXPECT_DOUBLE_EQ(g_calibratedZoom, 320.0);
    EXPECT_DOUBLE_EQ(g_zoomScale, 320.0);
    EXPECT_EQ(std::u16string(g_calibMagnificationText), u"50");
    EXPECT_EQ(c.m_calibrationMode, 0);
    EXPECT_EQ(Labels(Last()), std::vector<std::u16string>{u"L:0.500mm"});
    EXPECT_TRUE(Released()); // the label click follows, with the mouse free
    Pump();
    EXPECT_EQ(host_.calibrated, 1);
    // The label's click ends the calibration and its tool.
    Press(120, 130);
    EXPECT_EQ(c.m_tool, TOOL_NONE);
    EXPECT_FALSE(c.ShapeInProgress());
    Press(100, 300);
    EXPECT_FALSE(c.ShapeInProgress());

    // Cancelled: nothing changes but the end of the calibration mode.
    c.SetCalibrationMode(1);
    Tool(TOOL_PARALLEL_LINE);
    ms::test::PressInDialog(IDD_CALIBRATION, IDCANCEL);
    Presses({{100, 200}, {300, 200}});
    EXPECT_DOUBLE_EQ(g_zoomScale, 320.0);
    EXPECT_EQ(c.m_calibrationMode, 0);
    Pump();
    EXPECT_EQ(host_.calibrated, 1);
}

TEST_F(CanvasToolsTest, TheRubberBandErasesItselfAsItFollows) {
    CMeasureCanvas& c = Open();
    Pump();
    Tool(TOOL_RECTANGLE);
    Press(100, 100);
    Pump();
    // Whether the right edge of a band at x stands in the row y = 125.
    auto edgeAt = [&](int x) {
        const QImage drawn = ms::test::SurfacePicture(c.m_hWnd);
        for (int dx = -3; dx <= 3; ++dx)
            if (drawn.pixel(x + dx, 125) != drawn.pixel(400, 125))
                return true;
        return false;
    };
    Move(200, 150);
    EXPECT_TRUE(edgeAt(200));
    Move(250, 250);
    EXPECT_FALSE(edgeAt(200)) << "the first band is gone";
    EXPECT_TRUE(edgeAt(250));
}

TEST_F(CanvasToolsTest, AMovedShapeKeepsItsLabelsAndLandsAtTheDrop) {
    CMeasureCanvas& c = Open();
    Tool(TOOL_LINE);
    Presses({{100, 100}, {200, 100}, {150, 130}});
    Tool(TOOL_THREE_POINT_CIRCLE);
    Presses({{350, 240}, {300, 290}, {250, 240}, {300, 240}});
    Tool(TOOL_SELECT, TOOL_MODE_IDLE);

    c.BeginMoveSelected();
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Please select a metafile"});
    EXPECT_EQ(c.m_moving, 0);

    Press(150, 100);
    c.BeginMoveSelected();
    ASSERT_EQ(c.m_moving, 1);
    Move(280, 300);
    Move(300, 300);
    Press(300, 300);
    EXPECT_EQ(c.m_moving, 0);
    const CMeasureRecord* line = c.m_shapes.GetAt(0);
    EXPECT_EQ(line->m_points[0], (POINT{250, 300}));
    EXPECT_EQ(line->m_points[1], (POINT{350, 300}));
    EXPECT_EQ(line->m_points[6], (POINT{300, 330}));
    EXPECT_EQ(Labels(line), std::vector<std::u16string>{u"L:63.830mm"});

    // The right button leaves a shape where it was.
    c.BeginMoveSelected();
    Move(10, 10);
    Right(10, 10);
    EXPECT_EQ(c.m_moving, 0);
    EXPECT_EQ(line->m_points[0], (POINT{250, 300}));

    // A shape deleted during the move: the drop moves nothing.
    c.BeginMoveSelected();
    ms::test::AnswerMessageBox(IDYES);
    c.DeleteSelected();
    Move(20, 20);
    Press(20, 20);
    EXPECT_EQ(c.m_moving, 0);
    ASSERT_EQ(c.m_shapes.GetSize(), 1);
    EXPECT_EQ(c.m_shapes.GetAt(0)->m_points[0], (POINT{300, 240}));

    // With only the second four-point angle picked, that one moves.
    Tool(TOOL_FOUR_POINT_ANGLE);
    Presses({{100, 100}, {200, 100}, {100, 150}, {100, 250}, {50, 50}});
    c.SetToolFlag(1);
    c.m_selectedSecond = 1;
    c.BeginMoveSelected();
    ASSERT_EQ(c.m_moving, 1);
    Press(200, 200);
    EXPECT_EQ(c.m_shapes.GetAt(1)->m_points[0], (POINT{150, 200}));
}

} // namespace
