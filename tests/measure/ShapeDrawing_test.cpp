// Drawing finished shapes on the screen and into saved pictures: where a line lands in the
// file, the colours of selected shapes, the foot of the dotted line's perpendicular, and
// records with fewer points than their kind that must not be read past.
#include "measure/ShapeDrawing.h"

#include "tests/measure/DialogFixture.h"

#include "measure/MeasureCanvas.h"

#include "imaging/DibImage.h"
#include "platform/mfc/AfxGdi.h"
#include "platform/win/gdi/RecordingDC.h"
#include "res/TessaryResource.h"

#include <cmath>
#include <filesystem>
#include <gmock/gmock.h>

namespace {

using namespace mstest;

std::unique_ptr<CMeasureRecord> Record(int kind, std::vector<POINT> points, int selected = 0) {
    auto r = std::make_unique<CMeasureRecord>();
    r->m_kind = kind;
    r->m_points = std::move(points);
    r->m_selected = selected;
    r->m_lineColor = RGB(0, 255, 0);
    r->m_labelFont.lfHeight = 14;
    return r;
}

TEST(ShapeDrawing, TheDotLineFootMeetsTheLineAtRightAngles) {
    const struct {
        POINT p0, p1, p2, foot;
    } cases[] = {
        {{10, 10}, {10, 90}, {50, 40}, {10, 40}}, // vertical
        {{10, 10}, {90, 10}, {50, 40}, {50, 10}}, // horizontal
        {{0, 0}, {100, 100}, {0, 100}, {50, 50}}, // oblique
        {{0, 0}, {100, 50}, {20, 60}, {40, 20}},
    };
    for (const auto& c : cases) {
        const POINT f = DotLineFoot(c.p0, c.p1, c.p2);
        EXPECT_EQ(f.x, c.foot.x);
        EXPECT_EQ(f.y, c.foot.y);
        const double dot =
            double(c.p1.x - c.p0.x) * (c.p2.x - f.x) + double(c.p1.y - c.p0.y) * (c.p2.y - f.y);
        EXPECT_NEAR(dot, 0.0, 1e-9);
    }
}

TEST(ShapeDrawing, RecordsWithTooFewPointsOrLabelsAreNotReadPast) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&dc, 200, 200);
    CBitmap* old = dc.SelectObject(&bitmap);
    const int kinds[] = {1,  3,  4,  5,  6,   9,   10, 11, 12, 13, 18,
                         19, 21, 22, 24, 222, 333, 0,  16, 20, 100};
    for (bool toFile : {false, true}) {
        const ShapeMapping m{toFile, 3, 4, 2.0, 2.0};
        for (int kind : kinds) {
            for (size_t n = 0; n <= 12; ++n) {
                // Heap vectors of exactly n points and no labels, so that ASan sees a read
                // past either.
                auto r = Record(kind, std::vector<POINT>(n, POINT{50, 60}));
                DrawMeasureRecord(dc, *r, m, 3, u"mm");
                r->m_labels = {CString(u"1.5mm")};
                DrawMeasureRecord(dc, *r, m, 3, u"mm");
            }
        }
    }
    dc.SelectObject(old);
}

// What drawing `record` calls, as text.
std::string Drawn(const CMeasureRecord& record, const ShapeMapping& mapping) {
    HDC dc = ms::CreateRecordingDC(400, 400);
    DrawMeasureRecord(dc, record, mapping, 3, u"mm");
    const std::string calls = ms::ToString(ms::TakeRecordedCalls(dc));
    DeleteDC(dc);
    return calls;
}

TEST(ShapeDrawing, AContinuousLineShowsTheTotalOfItsNumericLabels) {
    using testing::HasSubstr;
    using testing::Not;
    auto line = Record(TOOL_CONTINUOUS_LINE, {{10, 10}, {50, 10}, {30, 20}, {90, 10}, {70, 20}});
    line->m_fontSize = 12;
    line->m_labels = {CString(u"12.345mm"), CString(u"1.000mm")};
    const ShapeMapping screen{false, 3, 4, 1.0, 1.0};
    const std::string drawn = Drawn(*line, screen);
    EXPECT_THAT(drawn, HasSubstr("TextOut(27,16,\"12.345mm\")"));
    EXPECT_THAT(drawn, HasSubstr("TextOut(67,28,\"T:13.345mm\")"));
    line->m_labels = {CString(u"about"), CString(u"none")};
    EXPECT_THAT(Drawn(*line, screen), Not(HasSubstr("T:")));
    // With an even count the last point is no label point, and no total is written.
    line->m_labels = {CString(u"12.345mm"), CString(u"1.000mm")};
    line->m_points.pop_back();
    EXPECT_THAT(Drawn(*line, screen), Not(HasSubstr("T:")));
}

TEST(ShapeDrawing, CirclesAndTheirLabelsOnTheScreenAndInTheFile) {
    using testing::HasSubstr;
    using testing::Not;
    const ShapeMapping screen{false, 0, 0, 1.0, 1.0};
    const ShapeMapping file{true, 0, 0, 2.0, 2.0};
    // Centre 10.9 pixels from the second point: radius 10.
    auto three = Record(TOOL_THREE_POINT_CIRCLE, {{100, 100}, {109, 106}, {0, 0}, {0, 0}, {0, 0}});
    EXPECT_THAT(Drawn(*three, screen), HasSubstr("Ellipse(90,90,110,110)"));
    // In the file the radius is measured in picture pixels: 21.8 -> 21.
    EXPECT_THAT(Drawn(*three, file), HasSubstr("Ellipse(179,179,221,221)"));

    auto automatic = Record(TOOL_AUTO_CIRCLE, {{100, 100}, {140, 100}});
    automatic->m_radius = 10.5;
    automatic->m_labels = {CString(u"D:0.210mm")};
    const std::string onScreen = Drawn(*automatic, screen);
    EXPECT_THAT(onScreen, HasSubstr("Ellipse(89,89,111,111)"));
    EXPECT_THAT(onScreen, HasSubstr("TextOut(140,100,\"D:0.210mm\")"));
    // The file shows a radius to the right and the label at the centre.
    const std::string inFile = Drawn(*automatic, file);
    EXPECT_THAT(inFile, HasSubstr("Ellipse(178,178,222,222)"));
    EXPECT_THAT(inFile, HasSubstr("LineTo(222,200)"));
    EXPECT_THAT(inFile, HasSubstr("TextOut(200,200,\"D:0.210mm\")"));
}

TEST(ShapeDrawing, SelectedShapesAreMagentaOnTheScreenAndRedInTheFile) {
    using testing::HasSubstr;
    const ShapeMapping screen{false, 0, 0, 1.0, 1.0};
    const ShapeMapping file{true, 0, 0, 2.0, 2.0};
    auto text = Record(CANVAS_KIND_TEXT, {{10, 10}, {0, 0}}, 1);
    text->m_labels = {CString(u"Crack")};
    text->m_textColor = RGB(0, 0, 255);
    EXPECT_THAT(Drawn(*text, screen), HasSubstr("SetTextColor(16711935)")); // 0xFF00FF
    EXPECT_THAT(Drawn(*text, file), HasSubstr("SetTextColor(255)"));        // 0x0000FF
    auto line = Record(CANVAS_KIND_LINE, std::vector<POINT>(7, POINT{5, 5}), 1);
    line->m_labels = {CString(u"L:1mm")};
    line->m_labelColor = RGB(0, 0, 200);
    const std::string drawn = Drawn(*line, screen);
    EXPECT_THAT(drawn, HasSubstr("SelectObject(1,0,1,16711935)")); // pen: solid, magenta
    EXPECT_THAT(drawn, HasSubstr("SetTextColor(13107200)"));       // label keeps its colour
}

class SaveWithShapesTest : public MeasureDialogTest {
protected:
    void SetUp() override {
        MeasureDialogTest::SetUp();
        ASSERT_TRUE(host_.CreateEx(0, nullptr, u"host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700,
                                   nullptr, nullptr));
        CDibImage image(1280, 1024, 24);
        picture_ = ms::FromUtf8((program_ / "Sample_50X_1.bmp").string());
        ASSERT_TRUE(image.SaveToFile(picture_.c_str(), DIBIMAGE_TYPE_BMP));
        canvas_ = std::make_unique<CMeasureCanvas>(&host_);
        canvas_->m_path = picture_.c_str();
        ASSERT_TRUE(canvas_->Create(IDD_MEASURE_CANVAS, &host_));
        ASSERT_TRUE(canvas_->HasPicture());
    }
    void TearDown() override {
        canvas_->DestroyWindow();
        canvas_.reset();
        host_.DestroyWindow();
        MeasureDialogTest::TearDown();
    }
    // The colour of a pixel of a saved picture, y counted from the top.
    static COLORREF At(const CDibImage& image, int x, int y) {
        const RGBQUAD q =
            image.GetPixelColor(x, static_cast<long>(image.GetHeight()) - 1 - y, false);
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    std::u16string Out(const char* name) const { return ms::FromUtf8((program_ / name).string()); }

    CWnd host_;
    std::u16string picture_;
    std::unique_ptr<CMeasureCanvas> canvas_;
};

TEST_F(SaveWithShapesTest, ALineLandsWhereItsViewPointsMapInThePicture) {
    // View points (10, 20) to (110, 20) in the fixed view of scale 2.0; selected, so red.
    canvas_->m_shapes.Add(
        Record(CANVAS_KIND_LINE,
               {{10, 20}, {110, 20}, {10, 20}, {10, 20}, {110, 20}, {110, 20}, {300, 300}}, 1));
    // A selected automatic line length keeps magenta in the file.
    canvas_->m_shapes.Add(Record(TOOL_AUTO_LINE_LENGTH2, {{10, 100}, {60, 100}, {0, 0}}, 1));
    const std::u16string out = Out("saved.bmp");
    ASSERT_NE(canvas_->SaveWithShapes(out.c_str()), 0);
    CDibImage saved(out.c_str(), DIBIMAGE_TYPE_BMP);
    ASSERT_TRUE(saved.IsValid());
    EXPECT_EQ(saved.GetWidth(), 1280u);
    for (int x : {20, 100, 219})
        EXPECT_EQ(At(saved, x, 40), RGB(255, 0, 0)) << x;
    EXPECT_EQ(At(saved, 19, 40), RGB(0, 0, 0));
    EXPECT_EQ(At(saved, 220, 40), RGB(0, 0, 0)); // LineTo leaves out the end pixel
    EXPECT_EQ(At(saved, 100, 39), RGB(0, 0, 0));
    EXPECT_EQ(At(saved, 20, 200), RGB(255, 0, 255));
    EXPECT_EQ(At(saved, 119, 200), RGB(255, 0, 255));
    // No stamp in the file: its corner stays as the picture is.
    EXPECT_EQ(At(saved, 4, 1020), RGB(0, 0, 0));
}

TEST_F(SaveWithShapesTest, OnlyBmpAndJpgAreWritten) {
    canvas_->m_shapes.Add(Record(TOOL_AUTO_LINE_LENGTH2, {{10, 100}, {60, 100}, {0, 0}}));
    const std::u16string png = Out("saved.png");
    EXPECT_EQ(canvas_->SaveWithShapes(png.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(program_ / "saved.png"));
    const std::u16string jpg = Out("saved.JPG");
    ASSERT_NE(canvas_->SaveWithShapes(jpg.c_str()), 0);
    CDibImage saved(jpg.c_str(), DIBIMAGE_TYPE_JPG);
    EXPECT_TRUE(saved.IsValid());
    EXPECT_EQ(saved.GetHeight(), 1024u);
}

TEST_F(SaveWithShapesTest, ACanvasWithoutAPictureWritesNothing) {
    CMeasureCanvas empty(&host_);
    empty.m_path = u"none.png";
    ASSERT_TRUE(empty.Create(IDD_MEASURE_CANVAS, &host_));
    const std::u16string out = Out("empty.bmp");
    EXPECT_EQ(empty.SaveWithShapes(out.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(program_ / "empty.bmp"));
    empty.DestroyWindow();
}

} // namespace
