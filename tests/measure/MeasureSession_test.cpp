// The measuring session without any window: each tool's presses give its record (kind,
// points, labels); refused presses keep the shape as it was; the point that follows the mouse;
// undo and redo; the kind codes of each user.
#include "measure/MeasureSession.h"
#include "tests/measure/LabelTexts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// 100 pixels measure 63.830 mm.
MeasureContext Context() {
    MeasureContext x;
    x.unitScale = 3.0 / 47.0;
    x.magnification = 1.0;
    x.unit = u"mm";
    x.decimals = 3;
    x.pen.labelStep = 17;
    return x;
}

struct Step {
    enum Kind { Press, DoubleClick, Fit } kind;
    POINT p;
};
Step P(int x, int y) {
    return {Step::Press, {x, y}};
}
Step D() {
    return {Step::DoubleClick, {0, 0}};
}
Step F() {
    return {Step::Fit, {0, 0}};
}

std::string Text(const std::vector<POINT>& pts) {
    std::string s;
    for (POINT p : pts)
        s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return s;
}

std::vector<std::u16string> Labels(const CMeasureRecord& r) {
    return mstest::LabelTexts(r.m_labels);
}

class MeasureSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_circleLabelCount = 0;
        g_squareLabelCount = 0;
    }
    PressOutcome Run(const std::vector<Step>& steps) {
        PressOutcome last;
        for (const Step& s : steps) {
            switch (s.kind) {
            case Step::Press:
                last = session.Press(s.p, ctx);
                break;
            case Step::DoubleClick:
                last = session.DoubleClick(ctx);
                break;
            case Step::Fit:
                last = session.FinishFit(ctx);
                break;
            }
        }
        return last;
    }
    std::vector<POINT> Draft() {
        MeasureStore::Lock lock(store);
        return lock.Draft().m_points;
    }
    int Shapes() {
        MeasureStore::Lock lock(store);
        return lock.Shapes().GetSize();
    }
    MeasureStore store;
    MeasureSession session{store, KindCodes::Live};
    MeasureContext ctx = Context();
};

TEST_F(MeasureSessionTest, EachToolsPressesMakeItsRecord) {
    struct Row {
        const char* name;
        ShapeKind tool;
        std::vector<Step> steps;
        std::vector<POINT> points;
        std::vector<std::u16string> labels;
        int labelStep; // 17 where the labels stack by the pen's step, else the record's 12
    };
    const Row rows[] = {
        {"line", LIVE_LINE, {P(100, 100), P(200, 100), P(152, 81)},
         {{100, 100}, {200, 100}, {152, 81}}, {u"L:63.830mm"}, 12},
        {"rectangle", LIVE_RECTANGLE, {P(200, 200), P(100, 150), P(50, 50)},
         {{200, 200}, {100, 150}, {50, 50}}, {u"A:2037.121mm2", u"W:63.830mm", u"H:31.915mm"}, 17},
        {"ellipse", LIVE_ELLIPSE, {P(105, 120), P(100, 100), P(30, 30)},
         {{105, 120}, {100, 100}, {30, 30}}, {u"A:31.999mm2", u"a:1.277mm", u"b:6.383mm"}, 17},
        {"radius circle", LIVE_RADIUS_CIRCLE, {P(200, 200), P(250, 200), P(10, 10)},
         {{200, 200}, {250, 200}, {10, 10}}, {u"A:3199.902mm2", u"R:31.915mm", u"G:200.527mm"}, 17},
        {"diameter circle", LIVE_DIAMETER_CIRCLE, {P(100, 100), P(160, 180), P(300, 300)},
         {{100, 100}, {160, 180}, {300, 300}}, {u"A:3199.902mm2", u"R:31.915mm", u"G:200.527mm"}, 17},
        {"three-point circle", LIVE_THREE_POINT_CIRCLE,
         {P(100, 200), P(200, 100), P(300, 200), P(40, 40)},
         {{100, 200}, {200, 100}, {200, 200}, {40, 40}}, {u"D:127.660mm"}, 17},
        {"arc", LIVE_ARC, {P(200, 150), P(250, 200), P(200, 250), P(300, 300)},
         {{200, 150}, {250, 200}, {200, 250}, {200, 250}},
         {u"R:31.915mm", u"Angle:180.00\u00b0", u"Arc:100.261mm"}, 17},
        {"angle", LIVE_ANGLE, {P(300, 200), P(200, 200), P(200, 100), P(250, 150)},
         {{300, 200}, {200, 200}, {200, 100}, {250, 150}}, {u"90.00\u00b0"}, 12},
        {"four-point angle", LIVE_FOUR_POINT_ANGLE,
         {P(100, 100), P(200, 100), P(100, 200), P(200, 300), P(50, 50)},
         {{100, 100}, {200, 100}, {100, 200}, {200, 300}, {50, 50}}, {u"45.00\u00b0"}, 12},
        {"dot line", LIVE_DOT_LINE, {P(100, 100), P(300, 100), P(150, 200), P(20, 20)},
         {{100, 100}, {300, 100}, {150, 200}, {20, 20}}, {u"L:63.830mm"}, 12},
        {"continual line", LIVE_CONTINUAL_LINE,
         {P(100, 100), P(200, 100), P(150, 80), P(300, 300), D()},
         {{100, 100}, {200, 100}, {150, 80}, {300, 300}, {300, 300}}, {u"63.830mm", u"142.728mm"},
         17},
        {"polygon", LIVE_POLYGON,
         {P(100, 100), P(200, 100), P(200, 200), P(100, 200), D(), P(150, 250)},
         {{100, 100}, {200, 100}, {200, 200}, {100, 200}, {100, 100}, {100, 100}},
         {u"A:4074.242mm2"}, 17},
        {"two circles", LIVE_TWO_CIRCLES,
         {P(100, 150), P(150, 100), P(200, 150), P(150, 30), P(300, 150), P(350, 100),
          P(400, 150), P(350, 30), P(250, 250)},
         {{100, 150}, {150, 100}, {200, 150}, {150, 150}, {150, 30}, {300, 150}, {350, 100},
          {400, 150}, {350, 150}, {350, 30}, {250, 250}},
         {u"D:63.830mm", u"D:63.830mm", u"L:127.660mm"}, 12},
        // Without an edge finder the sections' middles stand for the edges.
        {"automatic distance", LIVE_AUTO_DISTANCE,
         {P(100, 80), P(100, 120), P(200, 80), P(200, 120), P(150, 150)},
         {{100, 100}, {200, 100}, {150, 150}}, {u"L:63.830mm"}, 12},
        {"automatic circle", LIVE_AUTO_CIRCLE,
         {P(100, 150), P(150, 100), P(200, 150), P(150, 200), F(), P(10, 10)},
         {{150, 150}, {150, 150}}, {u"D:63.830mm"}, 17},
        {"automatic line", LIVE_AUTO_LINE, {P(200, 100), P(100, 100), F(), P(10, 10)},
         {{100, 100}, {200, 100}, {200, 100}}, {u"L:63.830mm"}, 17},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        store.DeleteAll();
        session.Reset();
        session.Choose(row.tool);
        EXPECT_EQ(Run(row.steps).result, PressResult::Completed);
        MeasureStore::Lock lock(store);
        ASSERT_EQ(lock.Shapes().GetSize(), 1);
        const CMeasureRecord& r = *lock.Shapes().GetAt(0);
        EXPECT_EQ(r.m_kind, row.tool);
        EXPECT_EQ(Text(r.m_points), Text(row.points));
        EXPECT_EQ(Labels(r), row.labels);
        EXPECT_EQ(r.m_fontSize, row.labelStep);
        EXPECT_DOUBLE_EQ(r.m_unitsPerPixel, 30.0 / 47.0);
        // Completed: the draft is empty, no shape in progress, the tool still chosen.
        EXPECT_TRUE(lock.Draft().m_points.empty());
        EXPECT_EQ(session.Shape(), SHAPE_NONE);
        EXPECT_EQ(session.Next(), 0);
        EXPECT_EQ(session.Tool(), row.tool);
    }
}

// Geometry with no result refuses the press: the shape keeps its clicks and its draft.
TEST_F(MeasureSessionTest, PressesThatGiveNoShapeAreRefused) {
    struct Row {
        const char* name;
        ShapeKind tool;
        std::vector<Step> before;
        POINT refused;
    };
    const Row rows[] = {
        {"angle arm of no length", LIVE_ANGLE, {P(100, 100)}, {100, 100}},
        {"angle second arm of no length", LIVE_ANGLE, {P(100, 100), P(200, 100)}, {200, 100}},
        {"four-point line of no length", LIVE_FOUR_POINT_ANGLE, {P(50, 50)}, {50, 50}},
        {"three-point circle on a line", LIVE_THREE_POINT_CIRCLE, {P(0, 0), P(10, 10)}, {20, 20}},
        {"arc on a line", LIVE_ARC, {P(0, 0), P(10, 10)}, {30, 30}},
        {"two circles on a line", LIVE_TWO_CIRCLES, {P(0, 0), P(10, 0)}, {20, 0}},
        {"automatic angle with no section", LIVE_AUTO_ANGLE, {P(100, 100)}, {100, 100}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        store.DeleteAll();
        session.Reset();
        session.Choose(row.tool);
        Run(row.before);
        const int next = session.Next();
        const std::vector<POINT> draft = Draft();
        EXPECT_EQ(session.Press(row.refused, ctx).result, PressResult::Refused);
        EXPECT_EQ(session.Next(), next);
        EXPECT_EQ(Text(Draft()), Text(draft));
        EXPECT_EQ(Shapes(), 0);
    }
    // Edge points on one line give no circle: the fit is refused and the tool keeps collecting.
    store.DeleteAll();
    session.Reset();
    session.Choose(LIVE_AUTO_CIRCLE);
    Run({P(10, 10), P(20, 20), P(30, 30)});
    EXPECT_TRUE(session.FitReady());
    EXPECT_EQ(session.FinishFit(ctx).result, PressResult::Refused);
    EXPECT_TRUE(session.FitReady());
    EXPECT_EQ(Draft().size(), 3u);
}

// The calibrating parallel line and automatic distance leave the label to the calibration.
TEST_F(MeasureSessionTest, ACalibratingLineWaitsForItsLabel) {
    ctx.calibrating = true;
    session.Choose(LIVE_PARALLEL_LINE);
    session.Press({100, 100}, ctx);
    const PressOutcome o = session.Press({200, 100}, ctx);
    EXPECT_EQ(o.result, PressResult::Calibrate);
    EXPECT_NEAR(o.value, 100 * 30.0 / 47.0, 1e-9);
    {
        MeasureStore::Lock lock(store);
        ASSERT_EQ(lock.Draft().m_labels.size(), 1u);
        EXPECT_TRUE(lock.Draft().m_labels[0].IsEmpty());
    }
    session.SetFirstLabel(u"L:10.000mm");
    session.Press({150, 50}, ctx);
    MeasureStore::Lock lock(store);
    ASSERT_EQ(lock.Shapes().GetSize(), 1);
    EXPECT_EQ(Labels(*lock.Shapes().GetAt(0)), std::vector<std::u16string>{u"L:10.000mm"});
}

// What a move does after n presses of each tool: which draft point goes to the mouse, or the
// rubber line (2: the automatic tools' one), and whether the place is a label's.
TEST_F(MeasureSessionTest, AMoveMovesThePointOfTheNextClick) {
    struct Row {
        ShapeKind tool;
        std::vector<Step> presses;
        int moved; // draft index at the mouse, -1 none
        int rubber;
        bool cursor;
    };
    const Row rows[] = {
        {LIVE_LINE, {P(1, 1)}, 1, 0, false},
        {LIVE_LINE, {P(1, 1), P(9, 9)}, 2, 0, false},
        {LIVE_DOT_LINE, {P(1, 1), P(9, 9)}, -1, 0, false},
        {LIVE_DOT_LINE, {P(1, 1), P(9, 9), P(5, 20)}, 3, 0, false},
        {LIVE_PARALLEL_LINE, {P(1, 1), P(9, 9)}, 2, 0, true},
        {LIVE_CONTINUAL_LINE, {P(1, 1)}, -1, 1, false},
        {LIVE_CONTINUAL_LINE, {P(1, 1), P(9, 9)}, 2, 0, false},
        {LIVE_THREE_POINT_CIRCLE, {P(100, 200), P(200, 100), P(300, 200)}, 3, 0, false},
        {LIVE_ANGLE, {P(1, 1)}, -1, 1, false},
        {LIVE_FOUR_POINT_ANGLE, {P(1, 1), P(9, 9)}, -1, 0, false},
        {LIVE_FOUR_POINT_ANGLE, {P(1, 1), P(9, 9), P(1, 20), P(9, 40)}, 4, 0, false},
        {LIVE_AUTO_DISTANCE, {P(100, 80)}, -1, 2, false},
        {LIVE_AUTO_CIRCLE, {P(100, 150), P(150, 100), P(200, 150), F()}, 1, 0, true},
        {LIVE_ARC, {P(200, 150), P(250, 200)}, 2, 0, false},
        {LIVE_RULER, {P(1, 1)}, 1, 0, false},
        // The two circles: only the label given by the last press follows; the presses on
        // the circles stay where they were made.
        {LIVE_TWO_CIRCLES, {P(100, 150), P(150, 100), P(200, 150)}, 4, 0, false},
        {LIVE_TWO_CIRCLES, {P(100, 150), P(150, 100), P(200, 150), P(150, 30)}, -1, 0, false},
        {LIVE_TWO_CIRCLES,
         {P(100, 150), P(150, 100), P(200, 150), P(150, 30), P(300, 150)},
         -1,
         0,
         false},
        {LIVE_TWO_CIRCLES,
         {P(100, 150), P(150, 100), P(200, 150), P(150, 30), P(300, 150), P(350, 100)},
         -1,
         0,
         false},
        {LIVE_TWO_CIRCLES,
         {P(100, 150), P(150, 100), P(200, 150), P(150, 30), P(300, 150), P(350, 100), P(400, 150)},
         9,
         0,
         false},
        {LIVE_TWO_CIRCLES,
         {P(100, 150), P(150, 100), P(200, 150), P(150, 30), P(300, 150), P(350, 100), P(400, 150),
          P(350, 30)},
         10,
         0,
         false},
    };
    const POINT p{77, 66};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tool);
        store.DeleteAll();
        session.Reset();
        session.Choose(row.tool);
        Run(row.presses);
        const std::vector<POINT> before = Draft();
        const MoveOutcome o = session.Move(p);
        const std::vector<POINT> after = Draft();
        ASSERT_GE(after.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(after[i].x, int(i) == row.moved ? 77 : before[i].x) << i;
        EXPECT_EQ(store.Rubber().active.load(), row.rubber ? 1 : 0);
        EXPECT_EQ(store.Rubber().automatic.load(), row.rubber == 2 ? 1 : 0);
        EXPECT_EQ(o.cursor, row.cursor);
        EXPECT_EQ(o.changed, row.moved >= 0 || row.rubber);
    }
    // Another tool chosen: the shape in progress no longer follows.
    session.Reset();
    session.Choose(LIVE_LINE);
    session.Press({1, 1}, ctx);
    session.Choose(LIVE_RECTANGLE);
    EXPECT_FALSE(session.Move(p).changed);
}

TEST_F(MeasureSessionTest, UndoAndRedoKeepEveryShape) {
    session.Choose(LIVE_CIRCLE_LABEL);
    EXPECT_EQ(session.Press({10, 10}, ctx).result, PressResult::Listed);
    EXPECT_EQ(session.Press({20, 20}, ctx).result, PressResult::Listed);
    EXPECT_EQ(store.Undo(), 1);
    EXPECT_EQ(store.Undo(), 1);
    EXPECT_EQ(store.Undo(), 0);
    EXPECT_EQ(store.Redo(), 1);
    {
        MeasureStore::Lock lock(store);
        ASSERT_EQ(lock.Shapes().GetSize(), 1);
        EXPECT_EQ(Labels(*lock.Shapes().GetAt(0)), std::vector<std::u16string>{u"1"});
    }
    // A new shape empties the redo list; redo then changes nothing.
    session.Press({30, 30}, ctx);
    EXPECT_EQ(store.Redo(), 0);
    MeasureStore::Lock lock(store);
    ASSERT_EQ(lock.Shapes().GetSize(), 2);
    EXPECT_EQ(Labels(*lock.Shapes().GetAt(1)), std::vector<std::u16string>{u"3"});
}

// One set of kinds; the canvas keeps its own numbering, where the rectangle is 3 and the angle
// 5 (the live rectangle's code).
TEST(MeasureKindCodes, EachUserStoresItsOwnCodes) {
    EXPECT_EQ(StoredKind(LIVE_RECTANGLE, KindCodes::Live), 5);
    EXPECT_EQ(StoredKind(LIVE_RECTANGLE, KindCodes::Canvas), CANVAS_KIND_RECTANGLE);
    EXPECT_EQ(StoredKind(LIVE_ANGLE, KindCodes::Canvas), TOOL_ANGLE);
    EXPECT_EQ(StoredKind(LIVE_LINE, KindCodes::Canvas), CANVAS_KIND_LINE);
    EXPECT_EQ(KindOfStored(TOOL_ANGLE, KindCodes::Canvas), LIVE_ANGLE);
    EXPECT_EQ(KindOfStored(5, KindCodes::Live), LIVE_RECTANGLE);
    EXPECT_EQ(KindOfStored(2, KindCodes::Canvas), SHAPE_NONE);
    EXPECT_EQ(KindOfStored(99, KindCodes::Live), SHAPE_NONE);
    for (int k = LIVE_LINE; k <= SHAPE_AUTO_LINE_TWO; ++k) {
        const auto kind = static_cast<ShapeKind>(k);
        for (KindCodes codes : {KindCodes::Live, KindCodes::Canvas}) {
            const int code = StoredKind(kind, codes);
            if (code >= 0 && KindOfStored(code, codes) != SHAPE_NONE) {
                EXPECT_EQ(KindOfStored(code, codes), kind) << k;
            }
        }
    }
    // The canvas's records of a session carry the canvas's codes.
    MeasureStore store;
    MeasureSession canvas(store, KindCodes::Canvas);
    MeasureContext x = Context();
    canvas.Choose(LIVE_ANGLE);
    for (POINT p : {POINT{300, 200}, POINT{200, 200}, POINT{200, 100}, POINT{250, 150}})
        canvas.Press(p, x);
    MeasureStore::Lock lock(store);
    ASSERT_EQ(lock.Shapes().GetSize(), 1);
    EXPECT_EQ(lock.Shapes().GetAt(0)->m_kind, TOOL_ANGLE);
}

// ---- The photo-measure canvas's rules ----

class CanvasRulesTest : public MeasureSessionTest {
protected:
    MeasureSession canvas{store, KindCodes::Canvas, CanvasSessionRules()};
    CMeasureRecord* Only() {
        MeasureStore::Lock lock(store);
        return lock.Shapes().GetSize() == 1 ? lock.Shapes().GetAt(0) : nullptr;
    }
};

// A shape of clicks is listed with its last click, in the canvas's layout and codes; its label
// follows the mouse (to (5, 5) here) and the next press (at (7, 9)) inserts the label's place
// at the kind's anchor, before the point that followed.
TEST_F(CanvasRulesTest, ShapesAreListedInTheCanvasLayoutAndThePressAfterPlacesTheLabel) {
    struct Row {
        const char* name;
        ShapeKind tool;
        std::vector<POINT> clicks;
        int kind;
        std::vector<POINT> points; // after the move and the label press
        std::vector<std::u16string> labels;
        int labelStep;
    };
    const Row rows[] = {
        {"line",
         LIVE_LINE,
         {{100, 100}, {200, 100}},
         CANVAS_KIND_LINE,
         {{100, 100}, {200, 100}, {100, 90}, {100, 110}, {200, 90}, {200, 110}, {7, 9}, {5, 5}},
         {u"L:63.830mm"},
         12},
        {"parallel line",
         LIVE_PARALLEL_LINE,
         {{100, 100}, {100, 200}},
         TOOL_PARALLEL_LINE,
         {{100, 100}, {100, 200}, {0, 100}, {200, 100}, {0, 200}, {200, 200}, {7, 9}, {5, 5}},
         {u"L:63.830mm"},
         12},
        {"rectangle",
         LIVE_RECTANGLE,
         {{100, 100}, {200, 150}},
         CANVAS_KIND_RECTANGLE,
         {{100, 100}, {200, 150}, {7, 9}, {5, 5}},
         {u"A:2037.121mm2", u"W:63.830mm", u"H:31.915mm"},
         17},
        {"dot line",
         LIVE_DOT_LINE,
         {{100, 100}, {100, 300}, {200, 150}},
         TOOL_DOT_LINE,
         {{100, 100}, {100, 300}, {200, 150}, {7, 9}, {5, 5}},
         {u"L:63.830mm"},
         12},
        {"angle",
         LIVE_ANGLE,
         {{300, 200}, {200, 200}, {200, 100}},
         TOOL_ANGLE,
         {{300, 200}, {200, 200}, {200, 100}, {7, 9}, {5, 5}},
         {u"90.00\u00b0"},
         12},
        {"three-point circle",
         LIVE_THREE_POINT_CIRCLE,
         {{350, 240}, {300, 290}, {250, 240}},
         TOOL_THREE_POINT_CIRCLE,
         {{300, 240}, {300, 290}, {350, 240}, {250, 240}, {7, 9}, {5, 5}},
         {u"D:63.830mm"},
         17},
        {"arc",
         LIVE_ARC,
         {{350, 240}, {300, 190}, {250, 240}},
         TOOL_ARC,
         {{350, 240}, {300, 190}, {250, 240}, {7, 9}, {5, 5}, {300, 240}},
         {u"R:31.915mm", u"Angle:180.00\u00b0", u"Arc:100.261mm"},
         17},
        {"four-point angle",
         LIVE_FOUR_POINT_ANGLE,
         {{100, 100}, {200, 100}, {100, 200}, {100, 300}},
         TOOL_FOUR_POINT_ANGLE,
         {{100, 100}, {200, 100}, {100, 200}, {100, 300}, {7, 9}, {5, 5}},
         {u"90.00\u00b0"},
         12},
        // Without an edge finder the sections' centres stand for the edges.
        {"automatic spacing",
         LIVE_AUTO_DISTANCE,
         {{100, 80}, {100, 120}, {200, 80}, {200, 120}},
         TOOL_AUTO_LINE_SPACING,
         {{100, 100}, {200, 100}, {100, 90}, {100, 110}, {200, 90}, {200, 110}, {7, 9}, {5, 5}},
         {u"L:63.830mm"},
         17},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        store.DeleteAll();
        canvas.Reset();
        canvas.Choose(row.tool);
        PressOutcome last;
        for (POINT p : row.clicks)
            last = canvas.Press(p, ctx);
        EXPECT_EQ(last.result, PressResult::LabelsOnly);
        CMeasureRecord* listed = Only();
        ASSERT_NE(listed, nullptr);
        EXPECT_EQ(canvas.Listed(), listed);
        EXPECT_EQ(listed->m_kind, row.kind);
        EXPECT_EQ(Labels(*listed), row.labels);
        EXPECT_EQ(listed->m_fontSize, row.labelStep);
        const size_t listedPoints = listed->m_points.size();
        // The label follows the mouse, then the press inserts its place.
        const MoveOutcome moved = canvas.Move({5, 5});
        EXPECT_TRUE(moved.changed && moved.cursor);
        EXPECT_EQ(listed->m_points.size(), listedPoints);
        const PressOutcome placed = canvas.Press({7, 9}, ctx);
        EXPECT_EQ(placed.result, PressResult::Completed);
        EXPECT_EQ(Text(listed->m_points), Text(row.points));
        EXPECT_EQ(canvas.Shape(), SHAPE_NONE);
        EXPECT_EQ(canvas.Listed(), nullptr);
    }
}

// The canvas refuses what gives no shape: the click is forgotten and the shape keeps its
// clicks; nothing is listed.
TEST_F(CanvasRulesTest, PressesThatGiveNoShapeAreRefused) {
    struct Row {
        const char* name;
        ShapeKind tool;
        std::vector<POINT> before;
        POINT refused;
    };
    const Row rows[] = {
        {"three-point circle on a line",
         LIVE_THREE_POINT_CIRCLE,
         {{100, 100}, {200, 100}},
         {300, 100}},
        {"arc on one point", LIVE_ARC, {{100, 100}, {100, 100}}, {100, 100}},
        {"angle arm of no length", LIVE_ANGLE, {{100, 100}}, {100, 100}},
        {"angle second arm of no length", LIVE_ANGLE, {{100, 100}, {200, 200}}, {200, 200}},
        {"dot line of no length", LIVE_DOT_LINE, {{100, 100}}, {100, 100}},
        {"four-point second line of no length",
         LIVE_FOUR_POINT_ANGLE,
         {{100, 100}, {200, 100}, {50, 50}},
         {50, 50}},
        {"section that is no section", LIVE_AUTO_ANGLE, {{100, 100}}, {120, 200}},
        {"spacing section that is no section", LIVE_AUTO_DISTANCE, {{100, 100}}, {120, 200}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        store.DeleteAll();
        canvas.Reset();
        canvas.Choose(row.tool);
        for (POINT p : row.before)
            canvas.Press(p, ctx);
        const int next = canvas.Next();
        EXPECT_EQ(canvas.Press(row.refused, ctx).result, PressResult::Refused);
        EXPECT_EQ(canvas.Next(), next);
        EXPECT_EQ(Shapes(), 0);
    }
    // Edge points on one line fit no circle: the tool keeps collecting.
    store.DeleteAll();
    canvas.Reset();
    canvas.Choose(LIVE_AUTO_CIRCLE);
    for (POINT p : {POINT{100, 100}, POINT{150, 100}, POINT{200, 100}})
        canvas.Press(p, ctx);
    EXPECT_EQ(canvas.FinishFit({250, 250}, ctx).result, PressResult::Refused);
    EXPECT_EQ(canvas.Next(), 3);
    canvas.Press({100, 200}, ctx);
    EXPECT_EQ(canvas.FinishFit({250, 250}, ctx).result, PressResult::LabelsOnly);
    ASSERT_NE(Only(), nullptr);
    EXPECT_EQ(Only()->m_kind, TOOL_AUTO_CIRCLE);
    EXPECT_EQ(Only()->m_points.back().x, 250); // the label's place until it is placed

    // Edge points all but on one line fit a circle no pixel coordinate holds: refused, rather
    // than a centre cast out of range and a label of billions.
    store.DeleteAll();
    canvas.Reset();
    MeasureContext wide = ctx;
    wide.frameWidth = 300000;
    canvas.Choose(LIVE_AUTO_CIRCLE);
    for (POINT p : {POINT{0, 0}, POINT{100000, 1}, POINT{200000, 0}})
        canvas.Press(p, wide);
    EXPECT_EQ(canvas.FinishFit({10, 10}, wide).result, PressResult::Refused);
    EXPECT_EQ(Shapes(), 0);
}

// What the canvas's context changes: the paint mode ends a shape with its last click and
// without labels; the full-size view measures in the fixed view's pixels; a calibrating
// parallel line leaves its label to the calibration; a dropped shape leaves the store.
TEST_F(CanvasRulesTest, PaintModeViewScaleCalibrationAndDrop) {
    MeasureContext paint = ctx;
    paint.labels = false;
    canvas.Choose(LIVE_RECTANGLE);
    canvas.Press({10, 10}, paint);
    EXPECT_EQ(canvas.Press({50, 40}, paint).result, PressResult::Completed);
    ASSERT_NE(Only(), nullptr);
    EXPECT_EQ(Labels(*Only()), (std::vector<std::u16string>{u"", u"", u""}));
    EXPECT_EQ(canvas.Shape(), SHAPE_NONE);

    store.DeleteAll();
    MeasureContext full = ctx;
    full.viewScale = 2.0;
    canvas.Choose(LIVE_LINE);
    canvas.Press({100, 100}, full);
    canvas.Press({300, 100}, full);
    ASSERT_NE(Only(), nullptr);
    EXPECT_EQ(Labels(*Only()), std::vector<std::u16string>{u"L:63.830mm"});
    EXPECT_DOUBLE_EQ(Only()->m_unitsPerPixel, 30.0 / 47.0); // of the magnification alone
    canvas.Drop();
    EXPECT_EQ(Shapes(), 0);
    EXPECT_EQ(canvas.Shape(), SHAPE_NONE);

    MeasureContext calibrating = ctx;
    calibrating.calibrating = true;
    canvas.Choose(LIVE_PARALLEL_LINE);
    canvas.Press({100, 100}, calibrating);
    const PressOutcome o = canvas.Press({300, 100}, calibrating);
    EXPECT_EQ(o.result, PressResult::Calibrate);
    EXPECT_DOUBLE_EQ(o.pixels, 200.0);
    ASSERT_NE(canvas.Listed(), nullptr);
    EXPECT_TRUE(canvas.Listed()->m_labels[0].IsEmpty());
}

// ---- A user that makes its own records ----

// Records made of the clicks, the last one again as the label's place; a line that starts and
// ends on one point gives none.
SessionRules MadeRules() {
    SessionRules rules;
    rules.make = [](ShapeKind, const std::vector<POINT>& clicks,
                    const MeasureContext&) -> std::unique_ptr<CMeasureRecord> {
        if (clicks.size() < 2 || (clicks[0].x == clicks[1].x && clicks[0].y == clicks[1].y))
            return nullptr;
        auto record = std::make_unique<CMeasureRecord>();
        record->m_points = clicks;
        record->m_points.push_back(clicks.back());
        return record;
    };
    rules.labelIsLastPoint = true;
    rules.keepUndone = true;
    return rules;
}

class MadeRulesTest : public MeasureSessionTest {
protected:
    MeasureSession made{store, KindCodes::Live, MadeRules()};
    std::vector<std::string> Points(bool undone) {
        std::vector<std::string> out;
        MeasureStore::Lock lock(store);
        for (const auto& r : undone ? lock.Undone() : lock.Shapes())
            out.push_back(Text(r->m_points));
        return out;
    }
};

// A made record is listed at once with the session's pen, leaving the redo list; its last
// point follows the mouse until the next press places it there. Taken away before that (by
// undo or Drop), it is never written to, and the record before it keeps its points.
TEST_F(MadeRulesTest, AListedRecordsLabelIsItsLastPointUntilTheNextPress) {
    struct Row {
        const char* what;
        void (*meanwhile)(MeasureStore&, MeasureSession&);
        std::vector<std::string> shapes, undone;
    };
    const std::string first = "(10,10)(110,10)(20,20)";
    const Row rows[] = {
        {"placed",
         [](MeasureStore&, MeasureSession&) {},
         {first, "(10,100)(110,100)(55,66)"},
         {"(1,1)"}},
        {"undone",
         [](MeasureStore& s, MeasureSession&) { s.Undo(); },
         {first},
         {"(1,1)", "(10,100)(110,100)(50,60)"}},
        {"dropped", [](MeasureStore&, MeasureSession& m) { m.Drop(); }, {first}, {"(1,1)"}},
    };
    ctx.pen.width = 3;
    for (const Row& row : rows) {
        store.DeleteAll();
        auto undone = std::make_unique<CMeasureRecord>();
        undone->m_points = {{1, 1}};
        store.Finish(std::move(undone), true);
        store.Undo();
        made.Choose(LIVE_LINE);
        for (POINT p : {POINT{10, 10}, POINT{110, 10}, POINT{20, 20}})
            made.Press(p, ctx);
        made.Press({10, 100}, ctx);
        EXPECT_EQ(made.Press({110, 100}, ctx).result, PressResult::LabelsOnly) << row.what;
        ASSERT_NE(made.Listed(), nullptr) << row.what;
        EXPECT_EQ(made.Listed()->m_penWidth, 3) << row.what;
        EXPECT_EQ(made.Listed()->m_kind, LIVE_LINE) << row.what;
        EXPECT_TRUE(made.Move({50, 60}).changed) << row.what;
        row.meanwhile(store, made);
        EXPECT_EQ(made.Move({51, 61}).changed, made.Listed() != nullptr) << row.what;
        made.Press({55, 66}, ctx);
        EXPECT_EQ(Points(false), row.shapes) << row.what;
        EXPECT_EQ(Points(true), row.undone) << row.what;
        made.End();
    }
}

// Clicks the maker refuses leave the shape, its clicks and its draft as they were.
TEST_F(MadeRulesTest, ARefusedRecordKeepsTheClicksAndTheDraft) {
    made.Choose(LIVE_DOT_LINE);
    made.Press({10, 10}, ctx);
    made.Press({10, 10}, ctx);
    const std::vector<POINT> draft = Draft();
    EXPECT_EQ(made.Press({50, 50}, ctx).result, PressResult::Refused);
    EXPECT_EQ(Text(Draft()), Text(draft));
    EXPECT_EQ(made.Next(), 2);
    EXPECT_FALSE(made.LabelsOnly());
    EXPECT_EQ(Shapes(), 0);
}

// The canvas's tools map onto the one set of kinds.
TEST(CanvasTools, EachToolDrawsItsKind) {
    EXPECT_EQ(KindOfCanvasTool(TOOL_LINE), LIVE_LINE);
    EXPECT_EQ(KindOfCanvasTool(TOOL_RECTANGLE), LIVE_RECTANGLE);
    EXPECT_EQ(KindOfCanvasTool(TOOL_TEXT), LIVE_TEXT);
    EXPECT_EQ(KindOfCanvasTool(TOOL_SELECT), SHAPE_SELECT);
    EXPECT_EQ(KindOfCanvasTool(TOOL_MAGNIFIER), SHAPE_MAGNIFIER);
    EXPECT_EQ(KindOfCanvasTool(TOOL_AUTO_LINE_LENGTH2), SHAPE_AUTO_LINE_TWO);
    EXPECT_EQ(KindOfCanvasTool(TOOL_NONE), SHAPE_NONE);
    EXPECT_EQ(KindOfCanvasTool(1), SHAPE_NONE);
}

} // namespace
