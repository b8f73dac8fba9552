// The still view's measuring tools on a frozen 640 x 480 frame: each tool's presses and the
// item it lists (kind, points, labels), the calibration line and the lengths read after it,
// refused geometry, undo and redo of the still lists, closing the view, and the items burnt
// into a saved picture where they were drawn.
#include "wifi_measure/MeasureItem.h"
#include "wifi_measure/StillDrawing.h"
#include "wifi_measure/StillMeasureView.h"

#include "tests/wifi_measure/PictureFixture.h"
#include "tests/measure/LabelTexts.h"

#include "measure/MeasureSettings.h"
#include "measure/Units.h"
#include "res/WavenorResource.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace mstest;
namespace fs = std::filesystem;

constexpr COLORREF kGreen = RGB(0, 160, 0);

struct Step {
    int x, y;
    bool dbl = false; // the press is followed by a double click at the same place
};

class StillToolsTest : public PictureViewTest {
protected:
    void SetUp() override {
        PictureViewTest::SetUp();
        DeleteAllStillItems();
        g_stillTool = STILL_NONE;
        g_stillCalibrating = 0;
        g_zoomScale = 60.0;
        g_calibratedZoom = 0.0;
        g_lineColor = 0x0000FF;
    }
    void TearDown() override {
        if (view_ && view_->m_hWnd)
            view_->DestroyWindow();
        view_.reset();
        DeleteAllStillItems();
        g_stillTool = STILL_NONE;
        g_stillCalibrating = 0;
        PictureViewTest::TearDown();
    }
    CStillMeasureView& Open(int width = 640, int height = 480, int mode = STILL_VIEW_FITTED) {
        view_ = std::make_unique<CStillMeasureView>();
        view_->m_imagePath = Picture("tempImage.png", width, height, kGreen).c_str();
        view_->m_pageWidth = 640;
        view_->m_pageHeight = 480;
        view_->m_viewMode = mode;
        view_->Create(IDD_STILL_VIEW, &host_);
        view_->MoveWindow(0, 0, 640, 480);
        if (mode == STILL_VIEW_ACTUAL)
            view_->UpdateScrollBars();
        view_->ShowWindow(SW_SHOW);
        return *view_;
    }
    void Run(int tool, const std::vector<Step>& steps) {
        g_stillTool = tool;
        for (const Step& s : steps) {
            const LPARAM at = MAKELPARAM(s.x, s.y);
            view_->SendMessage(WM_MOUSEMOVE, 0, at);
            view_->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
            view_->SendMessage(WM_LBUTTONUP, 0, at);
            if (s.dbl) {
                view_->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
                view_->SendMessage(WM_LBUTTONUP, 0, at);
            }
        }
    }
    static std::vector<CMeasureItem*> Items() {
        std::vector<CMeasureItem*> out;
        MeasureStore::Lock lock(StillItemStore());
        for (const auto& r : lock.Shapes())
            out.push_back(static_cast<CMeasureItem*>(r.get()));
        return out;
    }
    static std::vector<int> Numbers(bool undone) {
        std::vector<int> out;
        MeasureStore::Lock lock(StillItemStore());
        for (const auto& r : undone ? lock.Undone() : lock.Shapes())
            out.push_back(static_cast<CMeasureItem*>(r.get())->m_number);
        return out;
    }
    static std::vector<std::u16string> Labels(const CMeasureItem& item) {
        return LabelTexts(item.m_labels);
    }

    std::unique_ptr<CStillMeasureView> view_;
};

struct Point {
    LONG x, y;
    bool operator==(const Point&) const = default;
};
std::vector<Point> PointsOf(const CMeasureItem& item) {
    std::vector<Point> out;
    for (const POINT& p : item.m_points)
        out.push_back(Point{p.x, p.y});
    return out;
}

TEST_F(StillToolsTest, EachToolListsItsItemWithPointsAndLabelsAtMagnification60) {
    struct Case {
        const char* what;
        int tool;
        std::vector<Step> steps;
        const char16_t* name;
        std::vector<Point> points;
        std::vector<std::u16string> labels;
    };
    // 63.83 / 1000 mm per pixel at magnification 10: one pixel reads 0.0106383 mm at 60.
    const Case cases[] = {
        {"line", STILL_LINE, {{100, 100}, {400, 100}, {420, 120}}, u"Line",
         {{100, 100}, {400, 100}, {420, 120}}, {u"L:3.191mm"}},
        {"dot line", STILL_DOT_LINE, {{100, 100}, {300, 100}, {200, 160}, {210, 170}}, u"DotLine",
         {{100, 100}, {300, 100}, {200, 160}, {210, 170}}, {u"L:0.638mm"}},
        {"radius circle", STILL_RADIUS_CIRCLE, {{200, 200}, {200, 260}, {300, 300}},
         u"Radius Circle", {{200, 200}, {200, 260}, {300, 300}},
         {u"R:0.638mm", u"G:4.011mm", u"A:1.280mm2"}},
        {"diameter circle", STILL_DIAMETER_CIRCLE, {{100, 200}, {220, 200}, {300, 300}},
         u"Diameter Circle", {{160, 200}, {100, 200}, {220, 200}, {300, 300}},
         {u"R:0.638mm", u"A:1.280mm2", u"G:4.011mm"}},
        {"three-point circle", STILL_THREE_POINT_CIRCLE,
         {{100, 200}, {200, 100}, {300, 200}, {350, 350}}, u"Three point Circle",
         {{200, 200}, {200, 100}, {100, 200}, {300, 200}, {350, 350}},
         {u"R:1.064mm", u"A:3.555mm2", u"G:6.684mm"}},
        {"arc", STILL_ARC, {{100, 200}, {200, 100}, {300, 200}, {350, 350}}, u"Arc",
         {{100, 200}, {200, 100}, {300, 200}, {350, 350}},
         {u"R:1.069mm", u"Ang:180.00\u00B0", u"Arc:3.342mm"}},
        {"three-point angle", STILL_THREE_POINT_ANGLE,
         {{300, 100}, {100, 100}, {100, 300}, {150, 150}}, u"Three point Angle",
         {{100, 100}, {300, 100}, {100, 300}, {150, 150}}, {u"90.000\u00B0"}},
        {"four-point angle", STILL_FOUR_POINT_ANGLE,
         {{100, 100}, {300, 100}, {100, 150}, {100, 350}, {150, 150}}, u"Four point Angle",
         {{100, 100}, {300, 100}, {100, 150}, {100, 350}, {150, 150}}, {u"90.000\u00B0"}},
        {"fold line", STILL_FOLD_LINE, {{100, 100}, {200, 100}, {210, 90}, {200, 200, true}},
         u"Fold Line", {{100, 100}, {200, 100}, {210, 90}, {200, 200}, {200, 200}},
         {u"1.064", u"1.064"}},
        {"polygon", STILL_POLYGON,
         {{100, 100}, {200, 100}, {200, 200}, {100, 200, true}, {250, 250}}, u"Polygon",
         {{100, 100}, {200, 100}, {200, 200}, {100, 200}, {250, 250}}, {u"A:1.132mm2"}},
    };
    Open();
    int number = 0;
    for (const Case& c : cases) {
        Run(c.tool, c.steps);
        const std::vector<CMeasureItem*> items = Items();
        ASSERT_EQ(items.size(), static_cast<size_t>(number + 1)) << c.what;
        const CMeasureItem& item = *items.back();
        EXPECT_EQ(item.m_kind, c.tool) << c.what;
        EXPECT_EQ(item.m_number, ++number) << c.what;
        EXPECT_EQ(std::u16string(item.m_name.GetString()), c.name) << c.what;
        EXPECT_EQ(PointsOf(item), c.points) << c.what;
        EXPECT_EQ(Labels(item), c.labels) << c.what;
        EXPECT_EQ(item.m_quantities.size(), item.m_labels.size()) << c.what;
        EXPECT_EQ(item.m_penWidth, 2) << c.what;
        // The shape is over: the tool stays, the mouse is free again.
        EXPECT_EQ(view_->Session().Shape(), SHAPE_NONE) << c.what;
        EXPECT_EQ(GetCapture(), nullptr) << c.what;
    }
}

TEST_F(StillToolsTest, ACalibrationLineSetsTheZoomAndLaterLengthsReadInIt) {
    Open();
    g_stillCalibrating = 1;
    g_calibrationZoom = 60.0;
    bool cursorFree = false;
    ms::test::AnswerDialog(IDD_WIFI_CALIBRATION, [&](HWND h) {
        // The dialog must be reachable: nothing confines the cursor while it runs.
        RECT clip{};
        cursorFree = !GetClipCursor(&clip) || clip.right - clip.left > 640 ||
                     clip.bottom - clip.top > 480;
        Type(h, IDC_WC_DISTANCE, u"25.4");
        Press(h, IDOK);
    });
    Run(STILL_LINE, {{100, 100}, {400, 100}});
    EXPECT_TRUE(cursorFree);
    // 300 pixels of 0.06383 mm at magnification 10 are 25.4 mm at 7.539.
    EXPECT_NEAR(g_calibratedZoom, 7.538951, 1e-6);
    EXPECT_EQ(g_stillCalibrating, 0);
    EXPECT_TRUE(ms::test::PumpUntil([&] { return host_.stored == 1; }));
    ASSERT_EQ(Items().size(), 1u);
    EXPECT_EQ(Labels(*Items()[0]), std::vector<std::u16string>{u"L:25.400mm"});
    Run(STILL_LINE, {{420, 120}});
    EXPECT_EQ(PointsOf(*Items()[0]), (std::vector<Point>{{100, 100}, {400, 100}, {420, 120}}));

    // The main window reads the stored calibration as the magnification of every formula.
    g_zoomScale = g_calibratedZoom;
    Run(STILL_LINE, {{100, 300}, {250, 300}, {260, 310}});
    Run(STILL_RADIUS_CIRCLE, {{300, 200}, {300, 260}, {400, 300}});
    Run(STILL_POLYGON, {{100, 100}, {200, 100}, {200, 200}, {100, 200, true}, {250, 250}});
    const std::vector<CMeasureItem*> items = Items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(Labels(*items[1]), std::vector<std::u16string>{u"L:12.700mm"});
    EXPECT_EQ(Labels(*items[2]),
              (std::vector<std::u16string>{u"R:5.080mm", u"G:31.919mm", u"A:81.073mm2"}));
    EXPECT_EQ(Labels(*items[3]), std::vector<std::u16string>{u"A:71.684mm2"});
}

TEST_F(StillToolsTest, ACancelledFirstCalibrationReadsAtTheCurrentMagnification) {
    Open();
    g_stillCalibrating = 1;
    ms::test::AnswerDialog(IDD_WIFI_CALIBRATION, [&](HWND h) { Press(h, IDCANCEL); });
    Run(STILL_LINE, {{100, 100}, {400, 100}, {420, 120}});
    EXPECT_EQ(g_calibratedZoom, 0.0);
    ASSERT_EQ(Items().size(), 1u);
    EXPECT_EQ(Labels(*Items()[0]), std::vector<std::u16string>{u"L:3.191mm"});
    ms::test::Pump(6);
    EXPECT_EQ(host_.stored, 0);
}

TEST_F(StillToolsTest, GeometryWithNoResultRefusesTheClickAndKeepsThePoints) {
    Open();
    // Three points on one line give no circle and no arc: the third press is refused, the two
    // before it stay, and a press off the line completes the shape.
    for (int tool : {STILL_THREE_POINT_CIRCLE, STILL_ARC}) {
        Run(tool, {{100, 100}, {200, 100}, {300, 100}});
        EXPECT_TRUE(Items().empty()) << tool;
        EXPECT_EQ(view_->Session().Next(), 2) << tool;
        Run(tool, {{200, 200}});
        ASSERT_EQ(Items().size(), 1u) << tool;
        for (const CString& label : Items()[0]->m_labels)
            EXPECT_EQ(std::u16string(label.GetString()).find(u"nan"), std::u16string::npos);
        Run(tool, {{400, 400}});
        DeleteAllStillItems();
    }
    // An arm of no length gives no angle.
    Run(STILL_THREE_POINT_ANGLE, {{100, 100}, {100, 100}});
    EXPECT_EQ(view_->Session().Next(), 1);
    // A dot line whose line has no length has nothing to measure from.
    view_->CancelTool();
    Run(STILL_DOT_LINE, {{100, 100}, {100, 100}, {200, 200}});
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(view_->Session().Next(), 2);
}

TEST_F(StillToolsTest, UndoAndRedoMoveItemsInOrderAndANewItemKeepsTheRedoList) {
    Open();
    for (int y : {100, 200, 300})
        Run(STILL_LINE, {{100, y}, {300, y}, {310, y + 10}});
    EXPECT_EQ(Numbers(false), (std::vector<int>{1, 2, 3}));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(UndoStillItem());
    EXPECT_FALSE(UndoStillItem());
    EXPECT_EQ(Numbers(true), (std::vector<int>{3, 2, 1}));
    EXPECT_TRUE(RedoStillItem());
    EXPECT_TRUE(RedoStillItem());
    EXPECT_EQ(Numbers(false), (std::vector<int>{1, 2}));
    // A new measurement leaves what undo took back: the redo brings it after the new one.
    Run(STILL_LINE, {{100, 400}, {300, 400}, {310, 410}});
    EXPECT_EQ(Numbers(true), std::vector<int>{3});
    EXPECT_TRUE(RedoStillItem());
    EXPECT_EQ(Numbers(false), (std::vector<int>{1, 2, 4, 3}));
    EXPECT_TRUE(Numbers(true).empty());
}

TEST_F(StillToolsTest, ClosingTheViewEmptiesBothLists) {
    Open();
    Run(STILL_LINE, {{100, 100}, {300, 100}, {310, 110}});
    Run(STILL_LINE, {{100, 200}, {300, 200}, {310, 210}});
    ASSERT_TRUE(UndoStillItem());
    // A line whose label still follows the mouse, and the mouse held.
    Run(STILL_LINE, {{100, 300}, {300, 300}});
    EXPECT_EQ(GetCapture(), view_->m_hWnd);
    view_->DestroyWindow();
    EXPECT_TRUE(Numbers(false).empty());
    EXPECT_TRUE(Numbers(true).empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(StillToolsTest, TheRightButtonEndsAShapeButKeepsAListedItem) {
    Open();
    Run(STILL_LINE, {{100, 100}, {300, 100}});
    view_->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(320, 130));
    view_->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(320, 130));
    EXPECT_EQ(g_stillTool, STILL_NONE);
    ASSERT_EQ(Items().size(), 1u);
    EXPECT_EQ(PointsOf(*Items()[0]), (std::vector<Point>{{100, 100}, {300, 100}, {320, 130}}));
    // A fold line or a polygon not yet listed leaves nothing.
    Run(STILL_FOLD_LINE, {{100, 200}, {200, 200}});
    view_->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(200, 200));
    Run(STILL_POLYGON, {{100, 300}, {200, 300}, {200, 400}});
    view_->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(200, 400));
    EXPECT_EQ(Items().size(), 1u);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(StillToolsTest, ASavedPictureHasTheRedLineWhereItWasDrawn) {
    struct Case {
        int width, height, mode;
        int y;      // where the saved line runs
        int x0, x1; // from, to in the saved picture
    };
    // Stored from (100, 50) to (300, 50): doubled for a 1280 x 1024 frame shown fitted, as it
    // stands at actual size.
    const Case cases[] = {
        {1280, 1024, STILL_VIEW_FITTED, 100, 200, 600},
        {1280, 1024, STILL_VIEW_ACTUAL, 50, 100, 300},
        {640, 480, STILL_VIEW_FITTED, 50, 100, 300},
    };
    for (const Case& c : cases) {
        Open(c.width, c.height, c.mode);
        Run(STILL_LINE, {{100, 50}, {300, 50}, {150, 150}});
        ASSERT_EQ(Items().size(), 1u);
        const std::u16string out = PathOf("saved.png");
        ASSERT_EQ(view_->SaveWithMeasurements(out.c_str()), 1);
        CDibImage back(out.c_str(), DIBIMAGE_TYPE_PNG);
        ASSERT_TRUE(back.IsValid());
        // The picture's rows count from its bottom.
        const auto red = [&](int x, int y) {
            const RGBQUAD q = back.GetPixelColor(x, c.height - 1 - y);
            return q.rgbRed > 200 && q.rgbGreen < 60 && q.rgbBlue < 60;
        };
        const int mid = (c.x0 + c.x1) / 2;
        EXPECT_TRUE(red(c.x0 + 2, c.y) && red(mid, c.y) && red(c.x1 - 2, c.y)) << c.width << " " << c.mode;
        EXPECT_FALSE(red(mid, c.y + 20)) << c.width << " " << c.mode;
        EXPECT_FALSE(red(c.x1 + 20, c.y)) << c.width << " " << c.mode;
        view_->DestroyWindow();
    }
}

TEST_F(StillToolsTest, ACircleOnAFittedFrameOf1280x1024IsSavedInTwiceItsBox) {
    // Centre (100, 100) through (103, 110): radius 10.44, drawn in the box (90, 90)-(110, 110)
    // on the screen and (180, 180)-(220, 220) in the saved picture.
    Open(1280, 1024, STILL_VIEW_FITTED);
    Run(STILL_RADIUS_CIRCLE, {{100, 100}, {103, 110}, {300, 300}});
    ASSERT_EQ(Items().size(), 1u);
    const std::u16string out = PathOf("circle.png");
    ASSERT_EQ(view_->SaveWithMeasurements(out.c_str()), 1);
    CDibImage back(out.c_str(), DIBIMAGE_TYPE_PNG);
    ASSERT_TRUE(back.IsValid());
    const auto redNear = [&](int x, int y) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const RGBQUAD q = back.GetPixelColor(x + dx, 1023 - (y + dy));
                if (q.rgbRed > 200 && q.rgbGreen < 60)
                    return true;
            }
        return false;
    };
    EXPECT_TRUE(redNear(180, 200));  // left
    EXPECT_TRUE(redNear(200, 180));  // top
    EXPECT_TRUE(redNear(200, 220));  // bottom
    EXPECT_FALSE(redNear(170, 200)); // not the screen's box scaled from elsewhere
    EXPECT_FALSE(redNear(100, 100));
}

TEST_F(StillToolsTest, AtActualSizeAFrameOf1280x1024MeasuresInTheFittedDisplaysPixels) {
    // 200 picture pixels are 100 pixels of the fitted display: the same length either way.
    Open(1280, 1024, STILL_VIEW_ACTUAL);
    Run(STILL_LINE, {{100, 100}, {300, 100}, {310, 110}});
    Run(STILL_RADIUS_CIRCLE, {{200, 300}, {200, 420}, {300, 400}});
    const std::vector<CMeasureItem*> items = Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(Labels(*items[0]), std::vector<std::u16string>{u"L:1.064mm"});
    EXPECT_EQ(Labels(*items[1]),
              (std::vector<std::u16string>{u"R:0.638mm", u"G:4.011mm", u"A:1.280mm2"}));
}

TEST_F(StillToolsTest, AFoldLineShowsItsTotalBelowItsLastLabel) {
    // Drawn into a memory picture: the total's text lands one label step below the last label.
    CMeasureItem fold;
    fold.m_kind = STILL_FOLD_LINE;
    fold.m_points = {{10, 10}, {100, 10}, {100, 20}, {200, 10}, {150, 40}};
    fold.m_labels = {CString(u"1.250"), CString(u"2.500")};
    const auto inkBelow = [&](const CMeasureItem& item) {
        CClientDC screen(&host_);
        CDC dc;
        dc.CreateCompatibleDC(&screen);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&screen, 300, 100);
        CBitmap* old = dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, 300, 100, 0xFFFFFF);
        DrawStillItem(dc.GetSafeHdc(), item, ShapeMapping{}, 3, u"mm");
        int ink = 0;
        for (int y = 59; y < 70; ++y)
            for (int x = 150; x < 260; ++x)
                ink += (dc.GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        dc.SelectObject(old);
        return ink;
    };
    EXPECT_GT(inkBelow(fold), 0);
    // Texts that add up to 0 show no total.
    fold.m_labels = {CString(u"0.000"), CString(u"0.000")};
    EXPECT_EQ(inkBelow(fold), 0);
}

TEST(StillToolCodes, EachToolCodeIsItsItemsStoredKindBothWays) {
    for (int tool : {1, 2, 6, 7, 8, 9, 10, 11, 12, 13}) {
        const ShapeKind kind = ShapeOfStillTool(tool);
        EXPECT_NE(kind, SHAPE_NONE) << tool;
        EXPECT_EQ(StoredKind(kind, KindCodes::Still), tool) << tool;
        EXPECT_EQ(KindOfStored(tool, KindCodes::Still), kind) << tool;
    }
    for (int unused : {0, 3, 4, 5, 14})
        EXPECT_EQ(KindOfStored(unused, KindCodes::Still), SHAPE_NONE) << unused;
    EXPECT_EQ(ShapeOfStillTool(4), SHAPE_NONE);
}

} // namespace
