// The live measurements, overlays and guide shapes as GDI calls on a recording DC: where each
// kind's figure and labels land at the preview's scale and in full screen, the continual
// line's total, the shape being drawn and its rubber line, the scale bar's labels and the
// circle template's rings at a given scale, spacings of zero, the Length-Line's outline and
// value, and records too short for their kind.
#include "capture/LiveOverlays.h"
#include "capture/LiveShapes.h"

#include "capture/CaptureWnd.h"
#include "capture/LiveViewState.h"
#include "measure/Units.h"

#include "kit/RegistrySettings.h"
#include "tests/support/TestEnvironment.h"

#include "platform/win/core/WString.h"
#include "platform/win/gdi/RecordingDC.h"
#include "platform/win/window/TestSeams.h"

#include <QCoreApplication>
#include <gmock/gmock.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

namespace {

[[maybe_unused]] const std::filesystem::path g_program =
    mstest::NewProgramDir(mstest::ProgramFiles::None);

using testing::HasSubstr;
using testing::Not;

CMeasureRecord Record(int kind, std::vector<POINT> points, std::vector<const char16_t*> labels) {
    CMeasureRecord r;
    r.m_kind = kind;
    r.m_points = std::move(points);
    for (const char16_t* text : labels)
        r.m_labels.emplace_back(text);
    r.m_labelFont.lfHeight = 14;
    return r;
}

// What `draw` calls on a fresh 800 x 600 recording DC, one call per line.
std::string Drawn(const std::function<void(HDC)>& draw) {
    HDC dc = ms::CreateRecordingDC(800, 600);
    ms::TakeRecordedCalls(dc);
    draw(dc);
    const std::string calls = ms::ToString(ms::TakeRecordedCalls(dc));
    DeleteDC(dc);
    return calls;
}

std::string DrawnRecord(const CMeasureRecord& r, double scale = 1.0) {
    LiveDrawContext context;
    context.scaleX = context.scaleY = scale;
    return Drawn([&](HDC dc) { DrawLiveRecord(dc, r, context); });
}

std::string DrawnDraft(const CDraftShape& d, const RubberLine& rubber) {
    return Drawn([&](HDC dc) { DrawDraftShape(dc, d, rubber); });
}

std::string Segment(POINT a, POINT b) {
    return "MoveToEx(" + std::to_string(a.x) + "," + std::to_string(a.y) + ")\nLineTo(" +
           std::to_string(b.x) + "," + std::to_string(b.y) + ")";
}

TEST(LiveShapes, ALineWithItsEndBarsAndLabelAtThePreviewScaleAndInFullScreen) {
    const CMeasureRecord line =
        Record(LIVE_LINE, {{100, 100}, {300, 100}, {150, 80}}, {u"L:5.926mm"});
    const std::string normal = DrawnRecord(line);
    EXPECT_THAT(normal, HasSubstr(Segment({100, 100}, {300, 100})));
    EXPECT_THAT(normal, HasSubstr(Segment({100, 90}, {100, 110})));
    EXPECT_THAT(normal, HasSubstr(Segment({300, 90}, {300, 110})));
    EXPECT_THAT(normal, HasSubstr("TextOut(150,80,\"L:5.926mm\")"));
    // Scale 2: every point doubled, the bars 40 pixels long.
    const std::string doubled = DrawnRecord(line, 2.0);
    EXPECT_THAT(doubled, HasSubstr(Segment({200, 200}, {600, 200})));
    EXPECT_THAT(doubled, HasSubstr(Segment({200, 180}, {200, 220})));
    EXPECT_THAT(doubled, HasSubstr(Segment({600, 180}, {600, 220})));
    EXPECT_THAT(doubled, HasSubstr("TextOut(300,160,\"L:5.926mm\")"));
}

TEST(LiveShapes, AContinualLineShowsItsTotalOneLineBelowItsLastLabel) {
    CMeasureRecord line =
        Record(LIVE_CONTINUAL_LINE,
               {{10, 10}, {60, 10}, {30, 20}, {90, 10}, {70, 20}, {120, 40}, {100, 50}},
               {u"1.500mm", u"2.000mm", u"0.500mm"});
    line.m_fontSize = 16;
    LiveDrawContext context;
    context.unit = u"mm";
    context.decimals = 3;
    const std::string drawn = Drawn([&](HDC dc) { DrawLiveRecord(dc, line, context); });
    EXPECT_THAT(drawn, HasSubstr(Segment({10, 10}, {60, 10})));
    EXPECT_THAT(drawn, HasSubstr(Segment({60, 10}, {90, 10})));
    EXPECT_THAT(drawn, HasSubstr(Segment({90, 10}, {120, 40})));
    EXPECT_THAT(drawn, HasSubstr("TextOut(30,20,\"1.500mm\")"));
    EXPECT_THAT(drawn, HasSubstr("TextOut(70,20,\"2.000mm\")"));
    EXPECT_THAT(drawn, HasSubstr("TextOut(100,50,\"0.500mm\")"));
    EXPECT_THAT(drawn, HasSubstr("TextOut(100,66,\"T:4.000mm\")"));
    // A vertex as the last point (odd index) gets no total; nor do labels adding up to 0.
    line.m_points.pop_back();
    EXPECT_THAT(Drawn([&](HDC dc) { DrawLiveRecord(dc, line, context); }), Not(HasSubstr("T:")));
    line.m_points.push_back({100, 50});
    line.m_labels = {CString(u"x"), CString(u"y"), CString(u"z")};
    EXPECT_THAT(Drawn([&](HDC dc) { DrawLiveRecord(dc, line, context); }), Not(HasSubstr("T:")));
}

TEST(LiveShapes, FiguresOfTheOtherKinds) {
    const struct {
        CMeasureRecord record;
        std::vector<std::string> calls;
    } cases[] = {
        // A polygon vertex at x = 0 is not joined to its predecessor, but to its successor;
        // the closing edge runs from the last vertex back to the first.
        {Record(LIVE_POLYGON, {{10, 10}, {0, 50}, {60, 60}, {10, 10}, {30, 30}}, {u"A:1mm2"}),
         {Segment({0, 50}, {60, 60}), Segment({60, 60}, {10, 10}), Segment({10, 10}, {10, 10}),
          "TextOut(30,30,\"A:1mm2\")"}},
        {Record(LIVE_RADIUS_CIRCLE, {{100, 100}, {130, 140}, {5, 5}}, {u"A", u"R", u"G"}),
         {"Ellipse(50,50,150,150)", Segment({100, 100}, {130, 140}), "TextOut(5,5,\"A\")",
          "TextOut(5,17,\"R\")", "TextOut(5,29,\"G\")"}},
        {Record(LIVE_DIAMETER_CIRCLE, {{100, 100}, {200, 100}, {5, 5}}, {u"D"}),
         {"Ellipse(100,50,200,150)"}},
        {Record(LIVE_THREE_POINT_CIRCLE, {{0, 0}, {110, 100}, {100, 100}, {7, 7}}, {u"D:1mm"}),
         {"Ellipse(90,90,110,110)", "TextOut(7,7,\"D:1mm\")"}},
        {Record(LIVE_DOT_LINE, {{0, 0}, {100, 0}, {40, 30}, {7, 7}}, {u"L:1mm"}),
         {Segment({0, 0}, {100, 0}), Segment({40, 30}, {40, 0})}},
        {Record(LIVE_FOUR_POINT_ANGLE, {{0, 0}, {10, 0}, {20, 20}, {30, 30}, {7, 8}},
                {u"45.00\u00B0"}),
         {Segment({0, 0}, {10, 0}), Segment({20, 20}, {30, 30}), "TextOut(7,8,\"45.00\u00B0\")"}},
        {Record(LIVE_SQUARE_LABEL, {{50, 50}}, {u"3"}),
         {"Rectangle(40,40,60,60)", "DrawText(40,40,60,60,1,\"3\")"}},
        {Record(LIVE_CIRCLE_LABEL, {{50, 50}}, {u"4"}),
         {"Ellipse(40,40,60,60)", "DrawText(40,40,60,60,1,\"4\")"}},
        {Record(LIVE_AUTO_CIRCLE, {{100, 100}, {9, 9}}, {u"D:2mm"}), {"Ellipse(80,80,120,120)"}},
    };
    for (const auto& c : cases) {
        CMeasureRecord r = c.record;
        r.m_radius = 20.0;
        const std::string drawn = DrawnRecord(r);
        for (const std::string& call : c.calls)
            EXPECT_THAT(drawn, HasSubstr(call)) << "kind " << r.m_kind;
    }
}

TEST(LiveShapes, TheShapeBeingDrawnIsUnscaledAndMultiPointToolsShowOnlyWhileDragging) {
    CDraftShape line;
    line.m_kind = LIVE_LINE;
    line.m_points = {{10, 10}, {50, 10}};
    EXPECT_THAT(DrawnDraft(line, {}), HasSubstr(Segment({10, 10}, {50, 10})));

    CDraftShape angle;
    angle.m_kind = LIVE_ANGLE;
    angle.m_points = {{10, 10}, {50, 10}};
    RubberLine idle;
    idle.cursor = {70, 70};
    EXPECT_EQ(DrawnDraft(angle, idle), "");
    RubberLine dragging = idle;
    dragging.active = 1;
    EXPECT_THAT(DrawnDraft(angle, dragging), HasSubstr(Segment({50, 10}, {70, 70})));

    // The four-point angle with two points: its first line and the rubber line from p0.
    CDraftShape fourPoint;
    fourPoint.m_kind = LIVE_FOUR_POINT_ANGLE;
    fourPoint.m_points = {{10, 10}, {50, 10}};
    const std::string four = DrawnDraft(fourPoint, dragging);
    EXPECT_THAT(four, HasSubstr(Segment({10, 10}, {50, 10})));
    EXPECT_THAT(four, HasSubstr(Segment({10, 10}, {70, 70})));

    // The automatic distance's first line follows the cursor with its dotted red band.
    CDraftShape distance;
    distance.m_kind = LIVE_AUTO_DISTANCE;
    distance.m_points = {{100, 100}};
    RubberLine band = dragging;
    band.cursor = {200, 100};
    const std::string banded = DrawnDraft(distance, band);
    EXPECT_THAT(banded, HasSubstr(Segment({100, 100}, {200, 100})));
    EXPECT_THAT(banded, HasSubstr("SelectObject(1,2,1,255)")); // PS_DOT, width 1, red
    EXPECT_THAT(banded, HasSubstr(Segment({100, 94}, {200, 94})));
    EXPECT_THAT(banded, HasSubstr(Segment({100, 106}, {200, 106})));

    // The automatic circle shows its points until the fit stores its label.
    CDraftShape circle;
    circle.m_kind = LIVE_AUTO_CIRCLE;
    circle.m_points = {{100, 100}, {130, 100}};
    circle.m_radius = 30;
    EXPECT_THAT(DrawnDraft(circle, {}), HasSubstr(Segment({96, 100}, {104, 100})));
    circle.m_labels = {CString(u"D:1mm")};
    const std::string fitted = DrawnDraft(circle, {});
    EXPECT_THAT(fitted, HasSubstr("Ellipse(70,70,130,130)"));
    EXPECT_THAT(fitted, HasSubstr("TextOut(130,100,\"D:1mm\")"));
}

TEST(LiveShapes, RecordsAndGuidesShorterThanTheirKindOrWithoutARadiusAreSafe) {
    HDC dc = ms::CreateRecordingDC(200, 200);
    LiveDrawContext context;
    context.scaleX = context.scaleY = 1.5;
    for (int kind = 0; kind <= 26; ++kind) {
        for (size_t n = 0; n <= 12; ++n) {
            // Heap vectors of exactly n points, so that ASan sees a read past either end.
            CMeasureRecord r = Record(kind, std::vector<POINT>(n, POINT{50, 60}), {});
            r.m_radius = std::nan(""); // a failed fit never reaches a pixel coordinate
            DrawLiveRecord(dc, r, context);
            r.m_labels = {CString(u"1.5mm")};
            DrawLiveRecord(dc, r, context);
            CDraftShape d;
            d.m_kind = kind;
            d.m_points.assign(n, POINT{50, 60});
            for (int active : {0, 1}) {
                const RubberLine rubber{active, active, POINT{70, 80}};
                DrawDraftShape(dc, d, rubber);
                d.m_labels = {CString(u"1.5mm")};
                DrawDraftShape(dc, d, rubber);
                d.m_labels.clear();
            }
            CPolylineRecord g;
            g.m_kind = kind;
            g.m_points.assign(n, POINT{50, 60});
            DrawGuideShape(dc, g, context);
        }
    }
    DeleteDC(dc);
}

TEST(LiveGuides, ALengthLineDrawsItsBracketAndItsRoundedLength) {
    CPolylineRecord ruler;
    ruler.m_kind = GUIDE_LENGTH_LINE;
    ruler.m_points = {{100, 100}, {300, 100}};
    LiveDrawContext context;
    context.unit = u"mm";
    context.decimals = 3;
    context.liveZoom = 10.0;
    context.captureWidth = 640;
    context.captureHeight = 480;
    const std::string drawn = Drawn([&](HDC dc) { DrawGuideShape(dc, ruler, context); });
    EXPECT_THAT(drawn, HasSubstr("MoveToEx(100,100)\nLineTo(100,64)\nLineTo(82,100)\n"
                                 "LineTo(82,136)\nLineTo(300,136)\nLineTo(336,136)\n"
                                 "LineTo(336,100)\nLineTo(318,100)\nLineTo(300,64)\n"
                                 "LineTo(300,100)\nLineTo(100,100)\n" +
                                 Segment({300, 100}, {300, 136})));
    // 200 pixels of 0.0638 mm at magnification 10: 12.766, shown 12.77 as every live length.
    EXPECT_THAT(drawn, HasSubstr("TextOut(100,116,\"L:12.770mm\")"));
    EXPECT_NEAR(LengthLineValue(200, context), 12.77, 1e-9);

    // Exact tenths stay; other values go to hundredths by their third decimal.
    EXPECT_NEAR(RoundLengthLineValue(1.2049), 1.20, 1e-9);
    EXPECT_NEAR(RoundLengthLineValue(1.2151), 1.22, 1e-9);
    EXPECT_NEAR(RoundLengthLineValue(1.2141), 1.21, 1e-9);

    // The unit scale of the capture format and the unit.
    const struct {
        int has1600, width, height;
        const char16_t* unit;
        int pixels;
        double value;
    } formats[] = {{1, 1600, 1200, u"mm", 100, 8.00}, {1, 1280, 960, u"mm", 200, 12.77},
                   {1, 640, 480, u"mm", 200, 16.00},  {0, 1280, 1024, u"mm", 200, 12.77},
                   {0, 640, 480, u"cm", 200, 1.28},    // 1.2766
                   {0, 640, 480, u"inch", 300, 0.75}}; // 0.7545
    for (const auto& f : formats) {
        LiveDrawContext c = context;
        c.has1600x1200 = f.has1600;
        c.captureWidth = f.width;
        c.captureHeight = f.height;
        c.unit = f.unit;
        EXPECT_NEAR(LengthLineValue(f.pixels, c), f.value, 1e-9) << f.width << "x" << f.height;
    }

    // Without a magnification the outline stands alone: no infinite or NaN value.
    context.liveZoom = 0.0;
    const std::string unzoomed = Drawn([&](HDC dc) { DrawGuideShape(dc, ruler, context); });
    EXPECT_THAT(unzoomed, HasSubstr("LineTo(300,136)"));
    EXPECT_THAT(unzoomed, Not(HasSubstr("TextOut")));
}

TEST(LiveGuides, CoordinateAngleAndToleranceCircles) {
    LiveDrawContext context;
    CPolylineRecord angle;
    angle.m_kind = GUIDE_COORDINATE_ANGLE;
    angle.m_points = {{320, 240}, {320, 40}, {520, 240}};
    const std::string drawn = Drawn([&](HDC dc) { DrawGuideShape(dc, angle, context); });
    EXPECT_THAT(drawn, HasSubstr(Segment({320, 240}, {320, 40})));
    EXPECT_THAT(drawn, HasSubstr(Segment({320, 240}, {520, 240})));
    EXPECT_THAT(drawn, HasSubstr("SetArcDirection(2)\nArc(260,180,380,300,320,40,520,240)\n"
                                 "SetArcDirection(1)"));
    EXPECT_THAT(drawn, HasSubstr("TextOut(330,210,\"90.00\u00B0\")"));

    CPolylineRecord tolerance;
    tolerance.m_kind = GUIDE_TOLERANCE_CIRCLE;
    tolerance.m_points = {{320, 240}};
    tolerance.m_radiusPixels = 100;
    tolerance.m_plusPixels = tolerance.m_minusPixels = 10;
    tolerance.m_radiusValue = 1.0;
    tolerance.m_plusTolerance = tolerance.m_minusTolerance = 0.1;
    context.scaleX = context.scaleY = 2.0;
    const std::string circles = Drawn([&](HDC dc) { DrawGuideShape(dc, tolerance, context); });
    EXPECT_THAT(circles, HasSubstr("Ellipse(440,280,840,680)\n" + Segment({640, 480}, {840, 480})));
    EXPECT_THAT(circles, HasSubstr("SelectObject(1,3,1,255)")); // PS_DASHDOT, width 1
    EXPECT_THAT(circles, HasSubstr("Ellipse(420,260,860,700)"));
    EXPECT_THAT(circles, HasSubstr("Ellipse(460,300,820,660)"));
    EXPECT_THAT(circles, HasSubstr("TextOut(640,440,\"R+:1.100mm\")"));
    EXPECT_THAT(circles, HasSubstr("TextOut(640,480,\"R:1.000mm\")"));
    EXPECT_THAT(circles, HasSubstr("TextOut(640,520,\"R-:0.900mm\")"));
}

// ---- Overlays ----

const RECT kClient{0, 0, 640, 480};

std::string Overlays(const LiveViewSnapshot& shown) {
    return Drawn([&](HDC dc) {
        CCaptureWnd::DrawDateTime(dc, kClient, shown);
        CCaptureWnd::DrawCrossLine(dc, kClient, shown);
        CCaptureWnd::DrawScaleBar(dc, kClient, shown);
        CCaptureWnd::DrawCircleTemplate(dc, kClient, shown);
    });
}

TEST(LiveOverlays, SwitchedOffTheyDrawNothingAndTheCrossMeetsInTheMiddle) {
    LiveViewSnapshot shown;
    EXPECT_EQ(Overlays(shown), "");
    shown.showCrossLine = 1;
    EXPECT_EQ(Overlays(shown), "SelectObject(1,0,1,16777215)\n" + Segment({0, 240}, {640, 240}) +
                                   "\n" + Segment({320, 0}, {320, 480}) +
                                   "\nSelectObject(1,0,1,0)\n");
}

TEST(LiveOverlays, ScaleBarLabelsStandBesideTheTicksOnAlternateSides) {
    LiveViewSnapshot shown;
    shown.showScaleBar = 1;
    shown.unitName = u"mm";
    shown.liveZoom = 20.0;
    shown.liveScale = 25.0;
    const std::string drawn = Overlays(shown);
    EXPECT_THAT(drawn, HasSubstr(Segment({0, 241}, {640, 241})));
    EXPECT_THAT(drawn, HasSubstr(Segment({321, 0}, {321, 480})));
    // Ticks every trunc(25 x 0.25 + 0.5) = 6 pixels.
    EXPECT_THAT(drawn, HasSubstr(Segment({327, 235}, {327, 247})));
    EXPECT_THAT(drawn, HasSubstr(Segment({315, 235}, {315, 247})));
    EXPECT_THAT(drawn, HasSubstr("TextOut(339,258,\"1.00\")"));
    EXPECT_THAT(drawn, HasSubstr("TextOut(291,258,\"-1.00\")"));
    EXPECT_THAT(drawn, HasSubstr("TextOut(363,207,\"2.00\")"));
    EXPECT_THAT(drawn, HasSubstr("TextOut(267,207,\"-2.00\")"));

    // A magnification of exactly 30 keeps the factor 0.25; above it ticks every 0.05 x scale.
    shown.liveZoom = 30.0;
    EXPECT_THAT(Overlays(shown), HasSubstr("TextOut(339,258,\"1.00\")"));
    shown.liveZoom = 31.0;
    shown.liveScale = 100.0; // ticks every 5 pixels, labels 100 pixels apart
    EXPECT_THAT(Overlays(shown), HasSubstr("TextOut(415,258,\"1.00\")"));

    const struct {
        const char16_t* unit;
        const char* first;
    } units[] = {{u"inch", "\"0.01\""}, {u"cm", "\"0.10\""}, {u"mil", "\"10.00\""}};
    shown.liveZoom = 20.0;
    shown.liveScale = 25.0;
    for (const auto& u : units) {
        shown.unitName = u.unit;
        EXPECT_THAT(Overlays(shown), HasSubstr("TextOut(339,258," + std::string(u.first)));
    }
}

TEST(LiveOverlays, CircleTemplateRingsFollowTheScaleAndEndAtTheCentresHeight) {
    LiveViewSnapshot shown;
    shown.showCircleOverlay = 1;
    shown.liveScale = 50.4;
    const std::string drawn = Overlays(shown);
    for (int r : {50, 100, 150, 200})
        EXPECT_THAT(drawn,
                    HasSubstr("Ellipse(" + std::to_string(321 - r) + "," + std::to_string(241 - r) +
                              "," + std::to_string(321 + r) + "," + std::to_string(241 + r) + ")"));
    EXPECT_THAT(drawn, Not(HasSubstr("Ellipse(71,")));
    EXPECT_THAT(drawn, HasSubstr("SelectObject(2,1,0)")); // the null brush
}

TEST(LiveOverlays, SpacingsOfZeroOrWorseShowTheAxesAndReturn) {
    // "mil" at magnification 20: a live scale of about 0.8 gives ticks 0 pixels apart.
    LiveViewSnapshot shown;
    shown.showScaleBar = 1;
    shown.showCircleOverlay = 1;
    shown.unitName = u"mil";
    shown.liveZoom = 20.0;
    for (double scale : {0.795, 0.0, -5.0, std::nan(""), 1e300}) {
        shown.liveScale = scale;
        const std::string drawn = Overlays(shown);
        EXPECT_THAT(drawn, HasSubstr(Segment({0, 241}, {640, 241}))) << scale;
    }
    EXPECT_EQ(OverlaySpacing(0.3, 100), 0);
    EXPECT_EQ(OverlaySpacing(50.4, 100), 50);
    EXPECT_EQ(OverlaySpacing(1e300, 100), 100);
}

TEST(LiveOverlays, TheDateTimeStampAtTheLowerLeft) {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 7;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 1;
    EXPECT_EQ(ms::ToUtf8(DateTimeStampText(t)), "2026-3-7 9:5:1");
    LiveViewSnapshot shown;
    shown.showDateTime = 1;
    EXPECT_THAT(Overlays(shown), HasSubstr("TextOut(0,466,\"20"));
}

// ---- Pictures ----

// What the still compositor draws of the live lists: a copy of them, at picture scale.
void DrawShapesOnPicture(HDC dc, double scaleX, double scaleY) {
    const LiveDrawContext context = PictureDrawContext(scaleX, scaleY);
    const LiveListsCopy lists = CopyLiveLists();
    for (const CMeasureRecord& shape : lists.shapes)
        DrawLiveRecord(dc, shape, context);
}

void DrawGuidesOnPicture(HDC dc, double scaleX, double scaleY) {
    DrawGuideShapes(dc, CopyLiveLists().guides, PictureDrawContext(scaleX, scaleY));
}

TEST(LivePictures, TheLiveListsGoIntoAComposedPictureScaled) {
    {
        LiveListsLock lock;
        lock.Shapes().Add(std::make_unique<CMeasureRecord>(
            Record(LIVE_LINE, {{100, 100}, {300, 100}, {150, 80}}, {u"L:5.926mm"})));
        auto guide = std::make_unique<CPolylineRecord>();
        guide->m_kind = GUIDE_TOLERANCE_CIRCLE;
        guide->m_points = {{320, 240}};
        guide->m_radiusPixels = 100;
        lock.Polylines().Add(std::move(guide));
        lock.Draft().m_kind = LIVE_LINE;
        lock.Draft().m_points = {{1, 1}, {7, 7}};
    }
    const std::string shapes = Drawn([](HDC dc) { DrawShapesOnPicture(dc, 2.5, 2.5); });
    EXPECT_THAT(shapes, HasSubstr(Segment({250, 250}, {750, 250})));
    EXPECT_THAT(shapes, HasSubstr("TextOut(375,200,\"L:5.926mm\")"));
    EXPECT_THAT(shapes, Not(HasSubstr("LineTo(7,7)"))); // the shape being drawn stays out
    const std::string guides = Drawn([](HDC dc) { DrawGuidesOnPicture(dc, 2.5, 2.5); });
    EXPECT_THAT(guides, HasSubstr("Ellipse(550,350,1050,850)"));
    DeleteAllLiveShapes();
    LiveListsLock lock;
    lock.Draft().m_kind = 0;
}

// The guides burnt into a picture follow the picture's own rules: the coordinate angle is the
// angle between its rays (90 here, where the live view's clockwise arc spans 270), written in
// the picture's font 10 pixels right of and 30 above the scaled vertex; the tolerance circles
// are dotted in pure green.
TEST(LivePictures, GuidesInAPictureFollowThePicturesRules) {
    {
        LiveListsLock lock;
        auto angle = std::make_unique<CPolylineRecord>();
        angle->m_kind = GUIDE_COORDINATE_ANGLE;
        angle->m_points = {{320, 240}, {520, 240}, {320, 40}}; // arms turned by a drag
        lock.Polylines().Add(std::move(angle));
        auto ring = std::make_unique<CPolylineRecord>();
        ring->m_kind = GUIDE_TOLERANCE_CIRCLE;
        ring->m_points = {{320, 240}};
        ring->m_radiusPixels = 100;
        ring->m_plusPixels = ring->m_minusPixels = 10;
        ring->m_lineColor = RGB(0, 0, 255);
        lock.Polylines().Add(std::move(ring));
    }
    const std::string picture = Drawn([](HDC dc) { DrawGuidesOnPicture(dc, 2.5, 2.5); });
    EXPECT_THAT(picture, HasSubstr("TextOut(810,570,\"90.00\u00B0\")"));
    EXPECT_THAT(picture, Not(HasSubstr("Arial")));
    EXPECT_THAT(picture, HasSubstr("SelectObject(1,2,1,65280)\nEllipse(525,325,1075,875)"));
    EXPECT_THAT(picture, Not(HasSubstr("SelectObject(1,3,1,")));
    // The live view keeps its own.
    LiveListsCopy lists = CopyLiveLists();
    const std::string live = Drawn([&](HDC dc) { DrawGuideShapes(dc, lists.guides, {}); });
    EXPECT_THAT(live, HasSubstr("TextOut(330,210,\"270.00\u00B0\")"));
    EXPECT_THAT(live, HasSubstr("Arial"));
    EXPECT_THAT(live, HasSubstr("SelectObject(1,3,1,16711680)"));
    DeleteAllLiveShapes();
}

// ---- On the capture window ----

// A 24-bit bottom-up frame whose upper half (as shown) is red and lower half blue.
std::vector<BYTE> TwoBands(int width, int height) {
    const long stride = ms::capture::Rgb24Stride(width);
    std::vector<BYTE> bits(static_cast<size_t>(stride) * height);
    for (int row = 0; row < height; ++row) { // row 0 is the bottom
        const bool upper = row >= height / 2;
        for (int x = 0; x < width; ++x) {
            BYTE* p = &bits[static_cast<size_t>(row) * stride + x * 3];
            p[0] = upper ? 0 : 255;
            p[2] = upper ? 255 : 0;
        }
    }
    return bits;
}

class LiveShapesWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        DeleteAllLiveShapes();
    }
    void Create(int width, int height) {
        ASSERT_TRUE(parent_.CreateEx(0, CWnd::AfxWndClass(), u"Main", WS_POPUP, 0, 0, width + 20,
                                     height + 20, nullptr, nullptr));
        ASSERT_TRUE(wnd_.CreateEx(0, CWnd::AfxWndClass(), u"", WS_CHILD | WS_VISIBLE, 0, 0, width,
                                  height, parent_.m_hWnd, nullptr));
        wnd_.SetLiveView(&state_);
        ASSERT_EQ(wnd_.CreateMemoryDC(), 1);
    }
    void TearDown() override {
        wnd_.ReleaseGraph();
        wnd_.DestroyWindow();
        parent_.DestroyWindow();
        ms::capture::SyntheticCamera::Instance().ResetToDefault();
        DeleteAllLiveShapes();
    }
    static void AddLine(POINT a, POINT b, COLORREF colour) {
        auto line = std::make_unique<CMeasureRecord>(Record(LIVE_LINE, {a, b, {0, 0}}, {}));
        line->m_lineColor = colour;
        LiveListsLock lock;
        lock.Shapes().Add(std::move(line));
    }
    QImage Picture() { return ms::test::PresentedPicture(wnd_.m_hWnd); }

    CWnd parent_;
    CCaptureWnd wnd_;
    CLiveViewState state_;
};

QRgb Rgb(const QImage& picture, int x, int y) {
    return picture.pixel(x, y) & 0xFFFFFF;
}

TEST_F(LiveShapesWindowTest, InFullScreenA5To4FrameAndItsShapesAreScaledAlike) {
    // A 1280 x 1024 screen: preview coordinates run over 640 x 512, both factors are 2.
    Create(1280, 1024);
    state_.Change([](LiveViewSnapshot& s) {
        s.fullScreen = 1;
        s.previewScaleX = 2.0;
        s.previewScaleY = 2.0;
        s.showCrossLine = 1;
    });
    // A line along preview row 200 of the 512.
    AddLine({10, 200}, {300, 200}, RGB(0, 255, 0));
    const auto frame = TwoBands(1280, 1024);
    ASSERT_EQ(wnd_.PaintFrame(frame.data(), static_cast<long>(frame.size()), 1280, 1024), 1);
    const QImage picture = Picture();
    // The frame's middle row (preview row 256) lands at client row 512, not 32 rows lower,
    // and the line at twice its preview row.
    EXPECT_EQ(Rgb(picture, 1000, 510), 0xFF0000u);
    EXPECT_EQ(Rgb(picture, 1000, 513), 0x0000FFu);
    EXPECT_EQ(Rgb(picture, 1023, 1023), 0x0000FFu);
    EXPECT_EQ(Rgb(picture, 100, 400), 0x00FF00u);
    EXPECT_EQ(Rgb(picture, 100, 399), 0xFF0000u);
    EXPECT_EQ(Rgb(picture, 100, 401), 0xFF0000u);
    // The overlays came in the same blit: the cross line's white column.
    EXPECT_EQ(Rgb(picture, 640, 100), 0xFFFFFFu);
}

TEST_F(LiveShapesWindowTest, ShapesChangeOnTheUiThreadWhileFramesArriveAt30Fps) {
    Create(640, 480);
    ms::capture::UseSyntheticCamera(true);
    ms::capture::SyntheticDevice d;
    d.framesPerSecond = 30;
    d.sizes = ms::capture::SmallSizeFamily();
    ms::capture::SyntheticCamera::Instance().SetDevices({d});
    g_snapEnable = 0;
    wnd_.SetWindows(parent_.m_hWnd, nullptr);
    wnd_.CreateDeviceEnumerator();
    ASSERT_EQ(wnd_.EnumerateDevices(), 1);
    ASSERT_EQ(wnd_.BuildGraph(), 1);
    ASSERT_EQ(wnd_.ConfigureFormat(), 1);
    // One line stays for the whole run; the others come and go.
    AddLine({20, 400}, {620, 400}, RGB(0, 255, 0));
    ASSERT_EQ(wnd_.Run(), 1);
    // Three seconds of the camera's frames (its sample times), however long they take to paint.
    const auto SampleTime = [] {
        std::lock_guard lock(g_frameLock);
        return g_frameSampleTime;
    };
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (int step = 0; SampleTime() < 3.0 && std::chrono::steady_clock::now() < limit; ++step) {
        {
            LiveListsLock lock;
            if (lock.Shapes().GetSize() < 12) {
                auto circle = std::make_unique<CMeasureRecord>(Record(
                    LIVE_RADIUS_CIRCLE, {{320, 240}, {320 + step % 100, 200}, {10, 10}}, {u"R"}));
                lock.Shapes().Add(std::move(circle));
            } else {
                lock.Shapes().RemoveLast();
            }
            lock.Draft().m_kind = LIVE_CONTINUAL_LINE;
            lock.Draft().m_points.push_back(POINT{step % 640, step % 480});
            if (lock.Draft().m_points.size() > 9)
                lock.Draft().m_points.clear();
            if (step % 50 == 0) {
                auto guide = std::make_unique<CPolylineRecord>();
                guide->m_kind = 1 + step / 50 % 3;
                guide->m_points = {{100, 100}, {300, 100}, {300, 300}};
                guide->m_radiusPixels = 50;
                lock.Polylines().Add(std::move(guide));
            }
            if (lock.Polylines().GetSize() > 3)
                lock.Polylines().RemoveAt(0);
        }
        g_rubberActive = step % 2;
        g_rubberPoint = POINT{step % 600, 300};
        state_.Change([&](LiveViewSnapshot& s) {
            s.showScaleBar = step % 3 == 0;
            s.showCircleOverlay = step % 5 == 0;
            s.showDateTime = step % 7 == 0;
            s.unitName = step % 2 ? u"mil" : u"mm";
            s.liveScale = 0.5 + step % 40;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    // A quiet end: only the lasting line stays, so the last frames show it uncovered.
    {
        LiveListsLock lock;
        while (lock.Shapes().GetSize() > 1)
            lock.Shapes().RemoveLast();
        lock.Draft().m_points.clear();
        while (lock.Polylines().GetSize() > 0)
            lock.Polylines().RemoveAt(0);
    }
    g_rubberActive = 0;
    state_.Change(
        [](LiveViewSnapshot& s) { s.showScaleBar = s.showCircleOverlay = s.showDateTime = 0; });
    // Frames kept coming (the sample time counts them at 30 per second); two whole frames
    // more after the quiet end, so the last one was painted entirely after it.
    EXPECT_GE(SampleTime(), 3.0);
    const double quiet = SampleTime();
    while (SampleTime() < quiet + 3.0 / 30 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    wnd_.Stop();
    // The painter drew the lasting line into the last frame.
    EXPECT_EQ(Rgb(Picture(), 300, 400), 0x00FF00u);
}

} // namespace
