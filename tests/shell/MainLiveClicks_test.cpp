// Measuring on the live picture: the presses of every manual tool and the records they make, the
// double click of the continual line and the polygon, the automatic fits and their right press,
// the guides grabbed by a press, the ruler and the calibration presses, Cancel, and the mouse
// held by a shape in progress. Unit mm, 3 decimals, a 640 x 480 capture of a device without the
// large format (0.0638 mm per preview pixel at magnification 1).
#include "tests/shell/MainWindowHarness.h"

#include "kit/SaveFolders.h"
#include "measure/IniTextFile.h"
#include "measure/MeasureSettings.h"
#include "measure/Units.h"
#include "shell/LiveTools.h"

#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"

#include "tests/support/Mouse.h"

#include <chrono>
#include <fstream>
#include <sstream>

namespace {

using Labels = std::vector<std::u16string>;

std::vector<POINT> Pts(std::initializer_list<POINT> list) {
    return list;
}

bool Same(const std::vector<POINT>& a, const std::vector<POINT>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y)
            return false;
    return true;
}

std::string Text(const std::vector<POINT>& pts) {
    std::string s;
    for (const POINT& p : pts)
        s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return s;
}

Labels LabelsOf(const std::vector<CString>& lines) {
    Labels out;
    for (const CString& l : lines)
        out.emplace_back(l.GetString());
    return out;
}

// A copy of the finished live shapes.
struct ShapeCopy {
    int kind;
    std::vector<POINT> points;
    Labels labels;
    double radius;
    int fontSize;
};
std::vector<ShapeCopy> Shapes() {
    LiveListsLock lock;
    std::vector<ShapeCopy> out;
    for (const auto& r : lock.Shapes())
        out.push_back({r->m_kind, r->m_points, LabelsOf(r->m_labels), r->m_radius, r->m_fontSize});
    return out;
}

std::vector<POINT> DraftPoints() {
    LiveListsLock lock;
    return lock.Draft().m_points;
}

Labels DraftLabels() {
    LiveListsLock lock;
    return LabelsOf(lock.Draft().m_labels);
}

class MainLiveClicksTest : public mstest::MainWindowHarness {
protected:
    void SetUp() override {
        MainWindowHarness::SetUp();
        DeleteAllLiveShapes();
        ms::CopyBounded(g_unitName, 12, u"mm");
        g_decimalPlaces = 3;
        g_has1600x1200 = 0;
        g_captureWidth = 640;
        g_captureHeight = 480;
        g_zoomScale = 1.0;
        g_calibratedZoom = 0.0;
        g_circleLabelCount = g_squareLabelCount = 0;
        hwnd_ = Open();
        SetDlgItemText(hwnd_, IDC_SCALE, u"1");
        SetDlgItemText(hwnd_, IDC_CALIBRATED, u"");
    }
    void TearDown() override {
        MainWindowHarness::TearDown();
        DeleteAllLiveShapes();
        ClipCursor(nullptr);
    }
    void Command(int id) {
        SendMessage(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(Item(id)));
    }
    // A press, double click or release at preview point (x, y), straight to the window.
    void Press(int x, int y) {
        SendMessage(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x + 98, y + 49));
        SendMessage(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(x + 98, y + 49));
    }
    void DoubleClick(int x, int y) {
        SendMessage(hwnd_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x + 98, y + 49));
        SendMessage(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(x + 98, y + 49));
    }
    // The operator's mouse over the preview: the event goes through the window system, the
    // preview and the window's input hook.
    void Mouse(QEvent::Type type, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QWidget* preview = ms::WidgetOf(Item(IDC_PREVIEW));
        ASSERT_TRUE(preview);
        const bool down = type != QEvent::MouseButtonRelease;
        ms::test::SendMouse(preview, type, QPoint(x, y), button,
                            down ? Qt::MouseButtons(button) : Qt::NoButton);
        ms::test::Pump(2);
    }
    bool MouseHeld() {
        RECT clip{};
        GetClipCursor(&clip);
        RECT preview{};
        GetWindowRect(Item(IDC_PREVIEW), &preview);
        const bool confined = clip.left == preview.left && clip.top == preview.top &&
                              clip.right == preview.right && clip.bottom == preview.bottom;
        return GetCapture() == hwnd_ || confined;
    }
    HWND hwnd_ = nullptr;
};

// ---- The manual tools, press by press ----

struct Step {
    enum Kind { Press, DoubleClick } kind;
    POINT p;
};

struct ToolCase {
    const char* name;
    int button;
    std::vector<Step> steps;
    int kind;
    std::vector<POINT> points;
    Labels labels;
};

Step P(int x, int y) {
    return {Step::Press, {x, y}};
}
Step D(int x, int y) {
    return {Step::DoubleClick, {x, y}};
}

TEST_F(MainLiveClicksTest, EachManualToolMakesItsRecord) {
    const ToolCase cases[] = {
        {"line",
         1179,
         {P(100, 100), P(200, 100), P(152, 81)},
         LIVE_LINE,
         Pts({{100, 100}, {200, 100}, {152, 81}}),
         {u"L:63.830mm"}},
        // Dragged up and to the left: the values stay positive.
        {"rectangle",
         1183,
         {P(200, 200), P(100, 150), P(50, 50)},
         LIVE_RECTANGLE,
         Pts({{200, 200}, {100, 150}, {50, 50}}),
         {u"A:2037.121mm2", u"W:63.830mm", u"H:31.915mm"}},
        // w = 5: the half axis is 2 pixels.
        {"ellipse",
         1185,
         {P(105, 120), P(100, 100), P(30, 30)},
         LIVE_ELLIPSE,
         Pts({{105, 120}, {100, 100}, {30, 30}}),
         {u"A:31.999mm2", u"a:1.277mm", u"b:6.383mm"}},
        {"diameter circle",
         1187,
         {P(100, 100), P(160, 180), P(300, 300)},
         LIVE_DIAMETER_CIRCLE,
         Pts({{100, 100}, {160, 180}, {300, 300}}),
         {u"A:3199.902mm2", u"R:31.915mm", u"G:200.527mm"}},
        {"radius circle",
         1186,
         {P(200, 200), P(250, 200), P(10, 10)},
         LIVE_RADIUS_CIRCLE,
         Pts({{200, 200}, {250, 200}, {10, 10}}),
         {u"A:3199.902mm2", u"R:31.915mm", u"G:200.527mm"}},
        // The first and the third press on one row: the bisector of their chord is vertical.
        {"three-point circle",
         1188,
         {P(100, 200), P(200, 100), P(300, 200), P(40, 40)},
         LIVE_THREE_POINT_CIRCLE,
         Pts({{100, 200}, {200, 100}, {200, 200}, {40, 40}}),
         {u"D:127.660mm"}},
        {"arc",
         1205,
         {P(200, 150), P(250, 200), P(200, 250), P(300, 300)},
         LIVE_ARC,
         Pts({{200, 150}, {250, 200}, {200, 250}, {200, 250}}),
         {u"R:31.915mm", u"Angle:180.00\u00b0", u"Arc:100.261mm"}},
        {"angle",
         1190,
         {P(300, 200), P(200, 200), P(200, 100), P(250, 150)},
         LIVE_ANGLE,
         Pts({{300, 200}, {200, 200}, {200, 100}, {250, 150}}),
         {u"90.00\u00b0"}},
        // The third press is a first press again and keeps the first line.
        {"four-point angle",
         1191,
         {P(100, 100), P(200, 100), P(100, 200), P(200, 300), P(50, 50)},
         LIVE_FOUR_POINT_ANGLE,
         Pts({{100, 100}, {200, 100}, {100, 200}, {200, 300}, {50, 50}}),
         {u"45.00\u00b0"}},
        // The distance of (150, 200) from the row y = 100.
        {"dot line",
         1180,
         {P(100, 100), P(300, 100), P(150, 200), P(20, 20)},
         LIVE_DOT_LINE,
         Pts({{100, 100}, {300, 100}, {150, 200}, {20, 20}}),
         {u"L:63.830mm"}},
        {"continual line",
         1182,
         {P(100, 100), P(200, 100), P(150, 80), P(300, 300), D(300, 300)},
         LIVE_CONTINUAL_LINE,
         Pts({{100, 100}, {200, 100}, {150, 80}, {300, 300}, {300, 300}}),
         {u"63.830mm", u"142.728mm"}},
        {"polygon",
         1184,
         {P(100, 100), P(200, 100), P(200, 200), P(100, 200), D(100, 200), P(150, 250)},
         LIVE_POLYGON,
         Pts({{100, 100}, {200, 100}, {200, 200}, {100, 200}, {100, 100}, {100, 100}}),
         {u"A:4074.242mm2"}},
        // Two circles of radius 50 about (150, 150) and (350, 150).
        {"two circles",
         1189,
         {P(100, 150), P(150, 100), P(200, 150), P(150, 30), P(300, 150), P(350, 100), P(400, 150),
          P(350, 30), P(250, 250)},
         LIVE_TWO_CIRCLES,
         Pts({{100, 150},
              {150, 100},
              {200, 150},
              {150, 150},
              {150, 30},
              {300, 150},
              {350, 100},
              {400, 150},
              {350, 150},
              {350, 30},
              {250, 250}}),
         {u"D:63.830mm", u"D:63.830mm", u"L:127.660mm"}},
    };
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteAllLiveShapes();
        Command(c.button);
        ASSERT_EQ(dlg_->Measuring().Session().Tool(), c.kind);
        for (const Step& s : c.steps) {
            if (s.kind == Step::Press)
                Press(s.p.x, s.p.y);
            else
                DoubleClick(s.p.x, s.p.y);
        }
        const std::vector<ShapeCopy> shapes = Shapes();
        ASSERT_EQ(shapes.size(), 1u);
        EXPECT_EQ(shapes[0].kind, c.kind);
        EXPECT_TRUE(Same(shapes[0].points, c.points)) << Text(shapes[0].points);
        EXPECT_EQ(shapes[0].labels, c.labels);
        // Completed: the draft empty, the mouse free, the tool still chosen for the next shape.
        EXPECT_TRUE(DraftPoints().empty());
        EXPECT_FALSE(MouseHeld());
        EXPECT_EQ(dlg_->Measuring().Session().Tool(), c.kind);
        Command(c.button); // released again
    }
}

TEST_F(MainLiveClicksTest, AShapeInProgressHoldsTheMouseInThePreview) {
    Command(1179);
    Press(100, 100);
    EXPECT_TRUE(MouseHeld());
    EXPECT_EQ(GetCapture(), hwnd_);
    RECT clip{}, preview{};
    GetClipCursor(&clip);
    GetWindowRect(Item(IDC_PREVIEW), &preview);
    EXPECT_EQ(clip.left, preview.left);
    EXPECT_EQ(clip.bottom, preview.bottom);
    EXPECT_EQ(DraftPoints().size(), 2u);
    // Cancel from the preview's popup: the draft and the tool go, the mouse is free, finished
    // shapes stay.
    FinishLiveShape(std::make_unique<CMeasureRecord>());
    Command(1273);
    EXPECT_FALSE(MouseHeld());
    EXPECT_TRUE(DraftPoints().empty());
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), 0);
    EXPECT_EQ(dlg_->ToggleButton(1179)->IsPressed(), FALSE);
    EXPECT_EQ(Shapes().size(), 1u);
    // With no tool a press starts nothing.
    Press(100, 100);
    EXPECT_TRUE(DraftPoints().empty());
    EXPECT_FALSE(MouseHeld());
}

// Once only the place of its label is left, a shape lets the mouse go: the operator's click on
// a button beside the preview reaches that button, and a press on the preview places the label.
TEST_F(MainLiveClicksTest, AShapeWithAllItsPointsFreesTheMouseForTheButtons) {
    // A camera, so that the tool buttons take clicks.
    dlg_->DestroyWindow();
    dlg_.reset();
    ms::capture::SyntheticCamera::Instance().SetDevices({mstest::SteppedCamera()});
    hwnd_ = Open();
    ASSERT_EQ(dlg_->IsConnected(), 1);
    SetDlgItemText(hwnd_, IDC_SCALE, u"1");
    const auto click = [&](HWND control) {
        QWidget* w = ms::WidgetOf(control);
        ASSERT_TRUE(w);
        const QPoint centre = w->rect().center();
        ms::test::SendMouse(w, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
        ms::test::SendMouse(w, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
        ms::test::Pump(2);
    };
    Command(1179);
    Press(100, 100);
    EXPECT_TRUE(MouseHeld());
    Press(200, 100);
    EXPECT_FALSE(MouseHeld());
    EXPECT_EQ(DraftLabels().size(), 1u);
    // The label still follows the mouse over the preview and its press places it.
    Mouse(QEvent::MouseMove, 150, 300, Qt::NoButton);
    EXPECT_TRUE(Same(DraftPoints(), Pts({{100, 100}, {200, 100}, {150, 300}})))
        << Text(DraftPoints());
    Press(150, 300);
    ASSERT_EQ(Shapes().size(), 1u);
    EXPECT_TRUE(Same(Shapes()[0].points, Pts({{100, 100}, {200, 100}, {150, 300}})));

    // A click on another tool's button while a label follows: the button takes it.
    Press(100, 200);
    Press(300, 200);
    ASSERT_FALSE(MouseHeld());
    click(Item(1183));
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), LIVE_RECTANGLE);
    EXPECT_EQ(dlg_->ToggleButton(1183)->IsPressed(), TRUE);
    EXPECT_EQ(Shapes().size(), 1u);
    Press(50, 50); // the rectangle's first press
    EXPECT_EQ(dlg_->Measuring().Session().Shape(), LIVE_RECTANGLE);
    EXPECT_EQ(dlg_->Measuring().Session().Next(), 1);
    EXPECT_TRUE(MouseHeld());
}

TEST_F(MainLiveClicksTest, PressesOutsideThePictureOrOnItsFarEdgeStartNothing) {
    Command(1179);
    for (POINT p :
         {POINT{0, 100}, POINT{641, 100}, POINT{100, 481}, POINT{640, 100}, POINT{100, 480}}) {
        Press(p.x, p.y);
        EXPECT_TRUE(DraftPoints().empty()) << p.x << "," << p.y;
    }
    Press(639, 479);
    EXPECT_EQ(DraftPoints().size(), 2u);
}

TEST_F(MainLiveClicksTest, CollinearPressesMakeNoCircleAndTheShapeWaits) {
    Command(1188);
    Press(10, 10);
    Press(20, 20);
    Press(30, 30); // on the line of the first two: refused
    EXPECT_EQ(DraftPoints().size(), 2u);
    EXPECT_EQ(dlg_->Measuring().Session().Next(), 2);
    Press(30, 10);
    EXPECT_EQ(DraftLabels().size(), 1u);
    EXPECT_EQ(dlg_->Measuring().Session().Next(), 3);
}

// A press on the point before it would give an arm of no length: the angle tools refuse it and
// keep their points, and the shape goes on with the next press as if it had not been.
TEST_F(MainLiveClicksTest, AnglesRefuseAnArmOfNoLength) {
    const struct {
        const char* name;
        int button;
        std::vector<POINT> presses; // the repeated ones are refused
        Labels labels;
    } cases[] = {
        {"angle, vertex on the first press",
         1190,
         {{300, 200}, {300, 200}, {200, 200}, {200, 100}, {250, 150}},
         {u"90.00\u00b0"}},
        {"angle, second arm on the vertex",
         1190,
         {{300, 200}, {200, 200}, {200, 200}, {200, 100}, {250, 150}},
         {u"90.00\u00b0"}},
        {"four-point angle, first line",
         1191,
         {{100, 100}, {100, 100}, {200, 100}, {100, 200}, {200, 300}, {50, 50}},
         {u"45.00\u00b0"}},
        {"four-point angle, second line",
         1191,
         {{100, 100}, {200, 100}, {100, 200}, {100, 200}, {200, 300}, {50, 50}},
         {u"45.00\u00b0"}},
        {"automatic angle, first section",
         1356,
         {{100, 100}, {100, 100}, {200, 100}, {100, 200}, {200, 300}, {50, 50}},
         {u"45.00\u00b0"}},
        {"automatic angle, second section",
         1356,
         {{100, 100}, {200, 100}, {100, 200}, {100, 200}, {200, 300}, {50, 50}},
         {u"45.00\u00b0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteAllLiveShapes();
        dlg_->Measuring().FrozenImage().reset();
        Command(1273); // Cancel: no tool, no shape in progress
        Command(c.button);
        size_t before = 0;
        for (size_t i = 0; i < c.presses.size(); ++i) {
            const POINT p = c.presses[i];
            const bool repeated = i > 0 && Same({p}, {c.presses[i - 1]});
            if (repeated)
                before = DraftPoints().size();
            Press(p.x, p.y);
            if (repeated) {
                EXPECT_EQ(DraftPoints().size(), before) << i;
                EXPECT_TRUE(DraftLabels().empty()) << i;
            }
        }
        const std::vector<ShapeCopy> shapes = Shapes();
        ASSERT_EQ(shapes.size(), 1u);
        EXPECT_EQ(shapes[0].labels, c.labels);
    }
}

TEST_F(MainLiveClicksTest, LabelToolsNumberTheirPressesAndAnotherToolRestartsTheCount) {
    Command(1192);
    Press(10, 10);
    Press(20, 10);
    Press(30, 10);
    Command(1179);
    Command(1192);
    Press(40, 10);
    const std::vector<ShapeCopy> shapes = Shapes();
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[2].labels, Labels{u"3"});
    EXPECT_EQ(shapes[3].labels, Labels{u"1"});
    EXPECT_EQ(shapes[3].kind, LIVE_CIRCLE_LABEL);
    EXPECT_FALSE(MouseHeld());
}

// The operator's own mouse: presses over the preview reach the window through the preview, and
// the second press of a double click is one.
TEST_F(MainLiveClicksTest, TheOperatorsMouseClosesAPolygon) {
    Command(1184);
    Mouse(QEvent::MouseButtonPress, 100, 100);
    Mouse(QEvent::MouseButtonRelease, 100, 100);
    Mouse(QEvent::MouseButtonPress, 200, 100);
    Mouse(QEvent::MouseButtonRelease, 200, 100);
    Mouse(QEvent::MouseButtonPress, 150, 200);
    Mouse(QEvent::MouseButtonRelease, 150, 200);
    Mouse(QEvent::MouseButtonDblClick, 150, 200);
    Mouse(QEvent::MouseButtonRelease, 150, 200);
    EXPECT_TRUE(dlg_->Measuring().Session().LabelsOnly());
    ASSERT_EQ(DraftLabels().size(), 1u);
    Mouse(QEvent::MouseButtonPress, 300, 300);
    Mouse(QEvent::MouseButtonRelease, 300, 300);
    const std::vector<ShapeCopy> shapes = Shapes();
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].kind, LIVE_POLYGON);
    EXPECT_FALSE(MouseHeld());
}

// ---- Automatic tools ----

MeasureContext FitContext(double S, double m) {
    MeasureContext x;
    x.unitScale = S;
    x.magnification = m;
    return x;
}

TEST(LiveFits, CircleArcAndLineFromEdgePoints) {
    // Points on a circle of radius 50 about (200, 200), at m = 10 with S = 0.08.
    const std::vector<POINT> ring = {{250, 200}, {200, 150}, {150, 200}, {200, 250}, {230, 240}};
    FittedShape circle;
    ASSERT_TRUE(FitAutoCircle(ring, FitContext(0.08, 10.0), circle));
    EXPECT_TRUE(Same(circle.points, Pts({{200, 200}, {200, 200}}))) << Text(circle.points);
    EXPECT_EQ(LabelsOf(circle.labels), Labels{u"D:8.000mm"});
    EXPECT_EQ(circle.radius, 50);

    // A half circle of radius 50 about (150, 200), either way round.
    for (bool reversed : {false, true}) {
        std::vector<POINT> half = {{100, 200}, {120, 160}, {150, 150}, {180, 160}, {200, 200}};
        if (reversed)
            std::reverse(half.begin(), half.end());
        FittedShape arc;
        ASSERT_TRUE(FitAutoArc(half, FitContext(0.08, 10.0), arc));
        EXPECT_EQ(LabelsOf(arc.labels)[0], u"R:4.000mm");
        EXPECT_EQ(LabelsOf(arc.labels)[1], u"Angle:180.00\u00b0");
        EXPECT_EQ(arc.points[1].x, reversed ? 180 : 120); // the first inner point on the circle
        EXPECT_EQ(arc.points[3].x, 150);                  // the centre
        EXPECT_EQ(arc.points[3].y, 200);
    }

    // A row: E1 and E2 keep their x; a column measures its true length (not 0); scattered
    // points about y = x give the outermost feet.
    const struct {
        std::vector<POINT> edge;
        std::vector<POINT> ends;
    } lines[] = {
        {{{10, 120}, {50, 120}, {90, 120}}, Pts({{10, 120}, {90, 120}, {90, 120}})},
        {{{50, 90}, {50, 10}, {50, 50}}, Pts({{50, 10}, {50, 90}, {50, 90}})},
        {{{0, 2}, {2, 0}, {50, 52}, {52, 50}, {100, 102}, {102, 100}},
         Pts({{1, 1}, {101, 101}, {101, 101}})},
    };
    for (const auto& l : lines) {
        FittedShape line;
        ASSERT_TRUE(FitAutoLine(l.edge, FitContext(0.08, 10.0), line));
        EXPECT_TRUE(Same(line.points, l.ends)) << Text(line.points);
    }
    // Too few or coincident points give no shape.
    FittedShape none;
    EXPECT_FALSE(FitAutoCircle({{1, 1}, {2, 2}}, FitContext(0.08, 10.0), none));
    EXPECT_FALSE(FitAutoCircle({{1, 1}, {2, 2}, {3, 3}}, FitContext(0.08, 10.0), none));
    EXPECT_FALSE(FitAutoLine({{5, 5}, {5, 5}}, FitContext(0.08, 10.0), none));
}

TEST_F(MainLiveClicksTest, AutomaticLineOnAStillMeasuresAVerticalEdge) {
    // A still whose left part is black up to x = 50.
    std::vector<BYTE> pixels(size_t(640) * 480 * 3, 255);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 50; ++x)
            for (int k = 0; k < 3; ++k)
                pixels[(size_t(y) * 640 + x) * 3 + k] = 0;
    auto still = std::make_unique<CDibImage>();
    ASSERT_TRUE(still->CreateFromBuffer(pixels.data(), 640, 480, 24, 640 * 3));
    Command(1349);
    ASSERT_EQ(dlg_->Measuring().Session().Tool(), LIVE_AUTO_LINE);
    dlg_->Measuring().FrozenImage() = std::move(still);
    Press(56, 30); // near the edge: snapped onto it
    EXPECT_FALSE(dlg_->Measuring().Session().FitReady());
    Press(57, 110);
    EXPECT_TRUE(dlg_->Measuring().Session().FitReady());
    const std::vector<POINT> snapped = DraftPoints();
    ASSERT_EQ(snapped.size(), 2u);
    EXPECT_NEAR(snapped[0].x, 50, 1);
    EXPECT_EQ(snapped[0].x, snapped[1].x);

    // The right button over the preview fits the line; the next press places its label.
    Mouse(QEvent::MouseButtonPress, 300, 200, Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, 300, 200, Qt::RightButton);
    EXPECT_TRUE(dlg_->Measuring().Session().LabelsOnly());
    EXPECT_EQ(DraftLabels(), Labels{u"L:51.064mm"});
    EXPECT_TRUE(ms::test::ShownMenus().empty());
    Press(120, 60);
    const std::vector<ShapeCopy> shapes = Shapes();
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].kind, LIVE_AUTO_LINE);
    EXPECT_EQ(shapes[0].labels, Labels{u"L:51.064mm"});
    EXPECT_EQ(shapes[0].points.size(), 3u);
    EXPECT_FALSE(MouseHeld());

    // With no automatic tool at work the right button opens the preview's popup.
    Mouse(QEvent::MouseButtonPress, 300, 200, Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, 300, 200, Qt::RightButton);
    EXPECT_EQ(ms::test::ShownMenus().size(), 1u);
}

TEST_F(MainLiveClicksTest, AutomaticCircleWithoutAStillUsesThePresses) {
    Command(1206);
    ASSERT_EQ(dlg_->Measuring().Session().Tool(), LIVE_AUTO_CIRCLE);
    ASSERT_FALSE(dlg_->Measuring().FrozenImage());
    Press(250, 200);
    Press(200, 150);
    EXPECT_FALSE(dlg_->Measuring().Session().FitReady());
    dlg_->Measuring().FinishAutoShape(); // too early: nothing happens
    EXPECT_EQ(DraftPoints().size(), 2u);
    Press(150, 200);
    EXPECT_TRUE(dlg_->Measuring().Session().FitReady());
    dlg_->Measuring().FinishAutoShape();
    EXPECT_EQ(DraftLabels(), Labels{u"D:63.830mm"});
    Press(400, 400);
    const std::vector<ShapeCopy> shapes = Shapes();
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].kind, LIVE_AUTO_CIRCLE);
    EXPECT_EQ(shapes[0].radius, 50.0);
    EXPECT_TRUE(Same(shapes[0].points, Pts({{200, 200}, {200, 200}})));
}

// The automatic distance between two horizontal edges, found on the still and, without one,
// taken from the middles of the presses; the automatic angle of the presses themselves.
TEST_F(MainLiveClicksTest, AutomaticDistanceAndAngleFromTwoSections) {
    std::vector<BYTE> pixels(size_t(640) * 480 * 3, 255);
    for (int y = 100; y < 200; ++y)
        for (int x = 40; x < 160; ++x)
            for (int k = 0; k < 3; ++k)
                pixels[(size_t(479 - y) * 640 + x) * 3 + k] = 0; // rows stored bottom-up
    for (bool withStill : {true, false}) {
        SCOPED_TRACE(withStill ? "still" : "no still");
        DeleteAllLiveShapes();
        Command(1357);
        ASSERT_EQ(dlg_->Measuring().Session().Tool(), LIVE_AUTO_DISTANCE);
        dlg_->Measuring().FrozenImage().reset();
        if (withStill) {
            dlg_->Measuring().FrozenImage() = std::make_unique<CDibImage>();
            ASSERT_TRUE(dlg_->Measuring().FrozenImage()->CreateFromBuffer(pixels.data(), 640, 480,
                                                                          24, 640 * 3));
        }
        for (POINT p : {POINT{60, 104}, POINT{140, 104}, POINT{50, 196}, POINT{150, 196}})
            Press(p.x, p.y);
        const std::vector<POINT> found = DraftPoints();
        ASSERT_EQ(found.size(), 3u);
        if (withStill) {
            EXPECT_NEAR(found[0].y, 100, 1);
            EXPECT_NEAR(found[1].y, 200, 1);
            EXPECT_EQ(found[0].x, found[1].x);
        } else {
            EXPECT_TRUE(Same(found, Pts({{100, 104}, {100, 196}, {100, 196}}))) << Text(found);
        }
        Press(300, 150);
        const std::vector<ShapeCopy> shapes = Shapes();
        ASSERT_EQ(shapes.size(), 1u);
        EXPECT_EQ(shapes[0].kind, LIVE_AUTO_DISTANCE);
        EXPECT_EQ(shapes[0].points.size(), 3u);
        EXPECT_FALSE(MouseHeld());
    }
    DeleteAllLiveShapes();
    dlg_->Measuring().FrozenImage().reset();
    Command(1356);
    for (POINT p :
         {POINT{100, 100}, POINT{200, 100}, POINT{100, 200}, POINT{200, 300}, POINT{50, 50}})
        Press(p.x, p.y);
    const std::vector<ShapeCopy> shapes = Shapes();
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].labels, Labels{u"45.00\u00b0"});
    EXPECT_TRUE(
        Same(shapes[0].points, Pts({{100, 100}, {200, 100}, {100, 200}, {200, 300}, {50, 50}})));
}

// ---- Guides, the ruler and the calibration ----

TEST(LiveGuides, APressGrabsThePartOfTheGuideItHits) {
    auto length = MakeLengthLineGuide(POINT{100, 100}, POINT{200, 110}, 100, LivePen{});
    auto corner = MakeCoordinateAngleGuide(320, 240, LivePen{});
    auto ring = MakeToleranceGuide(10.0, 1.0, 1.6, 0.2, 10.0, LivePen{}); // 50, 5 and 8 pixels
    ASSERT_TRUE(ring);
    ASSERT_EQ(ring->m_radiusPixels, 50);
    const struct {
        const CPolylineRecord* guide;
        POINT p;
        int hit, grip1, grip2, grip3;
    } cases[] = {
        {length.get(), {95, 120}, 1, 0, 1, 0},  // the body: the whole guide
        {length.get(), {210, 120}, 1, 1, 0, 0}, // the end
        {length.get(), {150, 300}, 0, 0, 0, 0},
        {corner.get(), {325, 245}, 1, 0, 0, 1}, // the corner
        {corner.get(), {322, 150}, 1, 1, 0, 0}, // the upward arm
        {corner.get(), {400, 243}, 1, 0, 1, 0}, // the rightward arm
        {ring.get(), {361, 240}, 1, 0, 1, 0},   // 41 pixels from the centre
        {ring.get(), {362, 240}, 0, 0, 0, 0},   // 42
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.p.x) + "," + std::to_string(c.p.y));
        LiveToolState st;
        EXPECT_EQ(GrabGuide(*c.guide, c.p, st), c.hit);
        EXPECT_EQ(st.m_guideGrip1, c.grip1);
        EXPECT_EQ(st.m_guideGrip2, c.grip2);
        EXPECT_EQ(st.m_guideGrip3, c.grip3);
    }
}

TEST_F(MainLiveClicksTest, GrabbingAGuideEndsTheShapeInProgressAndFreesTheMouse) {
    AddLiveGuide(MakeLengthLineGuide(POINT{100, 100}, POINT{200, 100}, 100, LivePen{}));
    dlg_->Measuring().State().m_guidePresent = 1;
    Command(1179);
    Press(300, 300);
    ASSERT_TRUE(MouseHeld());
    Press(95, 120);                                       // the guide's body
    EXPECT_EQ(dlg_->Measuring().State().m_guideGrip2, 0); // the release ended the drag
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), 0);
    EXPECT_EQ(dlg_->ToggleButton(1179)->IsPressed(), FALSE);
    EXPECT_FALSE(MouseHeld());
    EXPECT_TRUE(DraftPoints().empty());
    Press(400, 400); // nothing for the line any more
    EXPECT_TRUE(Shapes().empty());
    EXPECT_TRUE(DraftPoints().empty());

    // While the button is down the guide follows the mouse; the release ends it.
    SendMessage(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(95 + 98, 120 + 49));
    EXPECT_EQ(dlg_->Measuring().State().m_guideDragging, 1);
    EXPECT_EQ(dlg_->Measuring().State().m_guideGrip2, 1);
    POINT screen{150 + 98, 120 + 49};
    ClientToScreen(hwnd_, &screen);
    dlg_->Measuring().OnMouseMove(screen);
    SendMessage(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(150 + 98, 120 + 49));
    EXPECT_EQ(dlg_->Measuring().State().m_guideDragging, 0);
    LiveListsLock lock;
    EXPECT_EQ(lock.Polylines().GetAt(0)->m_points[0].x, 150);
}

TEST_F(MainLiveClicksTest, RulerMakesAGuideOfTheTypedLengthAndACancelledOneNone) {
    SetDlgItemText(hwnd_, IDC_SCALE, u"10");
    ms::test::AnswerDialog(IDD_LENGTH_LINE, [](HWND h) {
        SetDlgItemText(h, IDC_LENGTH_VALUE, u"1");
        SendMessage(h, WM_COMMAND, IDOK, 0);
    });
    Command(1212);
    Press(100, 100);
    Press(130, 180); // higher than wide: a vertical guide
    {
        LiveListsLock lock;
        ASSERT_EQ(lock.Polylines().GetSize(), 1);
        const CPolylineRecord* g = lock.Polylines().GetAt(0);
        EXPECT_EQ(g->m_kind, GUIDE_LENGTH_LINE);
        EXPECT_EQ(g->m_vertical, 1);
        EXPECT_TRUE(Same(g->m_points, Pts({{100, 100}, {100, 116}}))) << Text(g->m_points);
        EXPECT_TRUE(lock.Draft().m_points.empty());
    }
    EXPECT_EQ(dlg_->Measuring().State().m_guidePresent, 1);
    EXPECT_EQ(g_captureWnd.m_liveZoom, 10.0); // its label reads the typed 1 mm
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), 0);
    EXPECT_FALSE(MouseHeld());
    EXPECT_TRUE(IsWindowEnabled(hwnd_));

    ms::test::PressInDialog(IDD_LENGTH_LINE, IDCANCEL);
    Command(1212);
    Press(200, 200);
    Press(300, 210);
    LiveListsLock lock;
    EXPECT_EQ(lock.Polylines().GetSize(), 1);
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(MainLiveClicksTest, CalibrationWithAParallelLineStoresTheMagnification) {
    SetDlgItemText(hwnd_, IDC_SCALE, u"10");
    ms::test::AnswerDialog(IDD_CALIBRATION, [](HWND h) {
        SetDlgItemText(h, IDC_CALIB_DISTANCE, u"1");
        SendMessage(h, WM_COMMAND, IDOK, 0);
    });
    Command(1197);
    ASSERT_EQ(dlg_->Measuring().State().m_calibrationMode, 1);
    Press(100, 100);
    Press(300, 100); // 200 pixels
    EXPECT_NEAR(g_zoomScale, 127.659574468, 1e-6);
    EXPECT_EQ(dlg_->Measuring().State().m_calibrationMode, 0);
    EXPECT_TRUE(IsWindowEnabled(hwnd_));
    EXPECT_EQ(DraftLabels(), Labels{u"L:1.000mm"});
    EXPECT_FALSE(MouseHeld()); // the line goes on, its label is placed next, the mouse is free
    ms::test::Pump(4);         // the posted calibration message
    EXPECT_EQ(mstest::WindowText(Item(IDC_CALIBRATED)), u"127.7");
    EXPECT_EQ(FileText(ms::ToUtf8(g_paths.calibIniPath)), "[10]\r\n10=127.659574468\r\n");
    Press(200, 60);
    const std::vector<ShapeCopy> shapes = Shapes();
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].kind, LIVE_PARALLEL_LINE);
    EXPECT_EQ(shapes[0].labels, Labels{u"L:1.000mm"});
    {
        // The record keeps the scale its label was measured with: 200 pixels are 1 mm.
        LiveListsLock lock;
        EXPECT_NEAR(lock.Shapes().GetAt(0)->m_unitsPerPixel * 200.0, 1.0, 1e-12);
    }
    // The calibration is over with its line: no tool, its button released, a press starts
    // nothing.
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), 0);
    EXPECT_EQ(dlg_->ToggleButton(1181)->IsPressed(), FALSE);
    Press(400, 400);
    EXPECT_TRUE(DraftPoints().empty());
    EXPECT_EQ(Shapes().size(), 1u);

    // A cancelled calibration changes nothing and adds nothing.
    DeleteAllLiveShapes();
    ms::test::PressInDialog(IDD_CALIBRATION, IDCANCEL);
    Command(1197);
    const double before = g_zoomScale;
    Press(100, 100);
    Press(200, 100);
    ms::test::Pump(4);
    EXPECT_EQ(g_zoomScale, before);
    EXPECT_EQ(dlg_->Measuring().State().m_calibrationMode, 0);
    EXPECT_TRUE(DraftPoints().empty());
    EXPECT_FALSE(MouseHeld());
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), 0);
    EXPECT_EQ(dlg_->ToggleButton(1181)->IsPressed(), FALSE);
    Press(150, 150);
    EXPECT_TRUE(Shapes().empty());
    EXPECT_EQ(FileText(ms::ToUtf8(g_paths.calibIniPath)), "[10]\r\n10=127.659574468\r\n");
}

// The calibrated field shows one decimal, but lengths use the calibration in full, whether it
// was just made or read back from the file: a later line of the calibrated length reads the
// typed length to every decimal.
TEST_F(MainLiveClicksTest, ACalibrationMeasuresInFullPrecisionAndAFailedStoreIsShown) {
    ms::CopyBounded(g_unitName, 12, u"inch");
    SetDlgItemText(hwnd_, IDC_SCALE, u"100");
    ms::test::AnswerDialog(IDD_CALIBRATION, [](HWND h) {
        SetDlgItemText(h, IDC_CALIB_DISTANCE, u"2");
        SendMessage(h, WM_COMMAND, IDOK, 0);
    });
    Command(1197);
    Press(100, 100);
    Press(300, 100); // 200 pixels are 2 inch
    Press(200, 60);
    ms::test::Pump(4);
    const std::u16string shown = mstest::WindowText(Item(IDC_CALIBRATED));
    EXPECT_EQ(shown.size(), 3u) << ms::ToUtf8(shown); // one decimal, as before
    const auto lineOf200Pixels = [&](LONG y) {
        if (dlg_->Measuring().Session().Tool() != LIVE_LINE)
            Command(1179);
        Press(100, y);
        Press(300, y);
        Press(200, y + 30);
        return Shapes().back().labels;
    };
    EXPECT_EQ(lineOf200Pixels(200), Labels{u"L:2.000inch"});

    // Read back from the file under another magnification: the same.
    const double calibrated = g_calibratedZoom;
    ASSERT_TRUE(StoreCalibration(g_paths.calibIniPath, u"50", calibrated));
    SetDlgItemText(hwnd_, IDC_SCALE, u"50");
    EXPECT_EQ(mstest::WindowText(Item(IDC_CALIBRATED)), shown);
    EXPECT_EQ(lineOf200Pixels(300), Labels{u"L:2.000inch"});

    // A calibration the file cannot take (here the file's name is a folder) is shown as lost
    // for the next start, with the file's path; it still measures until then.
    Command(1179);
    const std::filesystem::path file = ms::ToUtf8(g_paths.calibIniPath);
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    ms::test::AnswerDialog(IDD_CALIBRATION, [](HWND h) {
        SetDlgItemText(h, IDC_CALIB_DISTANCE, u"4");
        SendMessage(h, WM_COMMAND, IDOK, 0);
    });
    const size_t before = ms::test::ShownLog().size();
    Command(1197);
    Press(100, 100);
    Press(300, 100);
    ms::test::Pump(4);
    std::vector<std::u16string> boxes;
    for (size_t i = before; i < ms::test::ShownLog().size(); ++i)
        if (ms::test::ShownLog()[i].kind == ms::test::Shown::MessageBox)
            boxes.push_back(ms::test::ShownLog()[i].text);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(u"could not be saved"), std::u16string::npos) << ms::ToUtf8(boxes[0]);
    EXPECT_NE(boxes[0].find(g_paths.calibIniPath), std::u16string::npos) << ms::ToUtf8(boxes[0]);
    std::filesystem::remove(file);
}

// Frames stream at 30 per second and the painter draws the shape in progress while presses
// change it and complete records.
TEST_F(MainLiveClicksTest, PressesWhileFramesStream) {
    dlg_->DestroyWindow();
    dlg_.reset();
    ms::capture::SyntheticDevice camera = mstest::SteppedCamera();
    camera.framesPerSecond = 30;
    ms::capture::SyntheticCamera::Instance().SetDevices({camera});
    hwnd_ = Open();
    ASSERT_EQ(dlg_->IsConnected(), 1);
    SetDlgItemText(hwnd_, IDC_SCALE, u"1");
    // Two seconds of the camera's frames (their sample times) and at least 50 rounds, however
    // long a loaded machine takes for them.
    const auto SampleTime = [] {
        std::lock_guard lock(g_frameLock);
        return g_frameSampleTime;
    };
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int rounds = 0;
    while ((rounds < 50 || SampleTime() < 2.0) && std::chrono::steady_clock::now() < limit) {
        const int tool = rounds % 2 ? 1184 : 1187;
        Command(tool);
        const LONG d = rounds % 200;
        Press(100 + d, 100);
        ms::test::Pump(1);
        Press(160 + d, 180);
        if (tool == 1184) {
            Press(60 + d, 200);
            DoubleClick(60 + d, 200);
        }
        ms::test::Pump(1);
        Press(300, 300);
        Command(tool);
        if (rounds % 10 == 0)
            Command(409);
        ++rounds;
    }
    EXPECT_GE(SampleTime(), 2.0);
    EXPECT_FALSE(MouseHeld());
}

// The automatic distance calibrates too, and the magnification it finds is the one every later
// length uses: no factor of the capture size is applied on top.
TEST_F(MainLiveClicksTest, AutomaticDistanceCalibrationKeepsTheCalibratedMagnification) {
    SetDlgItemText(hwnd_, IDC_SCALE, u"10");
    ms::test::AnswerDialog(IDD_CALIBRATION, [](HWND h) {
        SetDlgItemText(h, IDC_CALIB_DISTANCE, u"1");
        SendMessage(h, WM_COMMAND, IDOK, 0);
    });
    SendMessage(hwnd_, WM_COMMAND, 1355, 0);
    ASSERT_EQ(dlg_->Measuring().Session().Tool(), LIVE_AUTO_DISTANCE);
    ASSERT_EQ(dlg_->Measuring().State().m_calibrationMode, 1);
    for (POINT p : {POINT{60, 100}, POINT{140, 100}, POINT{50, 300}, POINT{150, 300}})
        Press(p.x, p.y);
    // No still: the middles of the presses, 200 pixels apart.
    EXPECT_NEAR(g_zoomScale, 127.659574468, 1e-6);
    EXPECT_EQ(DraftLabels(), Labels{u"L:1.000mm"});
    Press(300, 200); // before the posted calibration message is handled
    ASSERT_EQ(Shapes().size(), 1u);
    EXPECT_EQ(Shapes()[0].labels, Labels{u"L:1.000mm"});
    LiveListsLock lock;
    EXPECT_NEAR(lock.Shapes().GetAt(0)->m_unitsPerPixel * 200.0, 1.0, 1e-12);
}

// A double click before the continual line's first label is placed does not end it.
TEST_F(MainLiveClicksTest, ContinualLineEndsOnlyAfterALabelIsPlaced) {
    Command(1182);
    Press(100, 100);
    Press(200, 100);
    DoubleClick(200, 100);
    EXPECT_TRUE(Shapes().empty());
    EXPECT_EQ(dlg_->Measuring().Session().Shape(), LIVE_CONTINUAL_LINE);
    EXPECT_TRUE(MouseHeld());
}

TEST_F(MainLiveClicksTest, PreviewCursorOverThePreview) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    Mouse(QEvent::MouseMove, 200, 200, Qt::NoButton);
    EXPECT_EQ(dlg_->CursorMode(), 2);
    // The preview's own cursor, and the default processing (which would show the arrow) skipped.
    SetCursor(arrow);
    EXPECT_EQ(SendMessage(hwnd_, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd_),
                          MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_NE(GetCursor(), arrow);
    EXPECT_NE(GetCursor(), nullptr);
}

} // namespace
