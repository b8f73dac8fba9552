// The canvas's exports: the DXF drawing of its shapes (one drawing for the fixed and the
// full-size view of the same picture, on "Layer2", audited by ezdxf) and the spreadsheet of
// its shapes with the picture of the measured image at A1.
#include "measure/MeasureCanvas.h"

#include "tests/measure/DialogFixture.h"

#include "imaging/DibImage.h"
#include "measure/Units.h"
#include "platform/mfc/AfxCmn.h"
#include "platform/services/Workbook.h"
#include "res/TessaryResource.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

using namespace mstest;

class CanvasExportTest : public MeasureDialogTest {
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
    CMeasureCanvas& Open(int width, int height, CanvasViewMode mode, bool withLibrary = true) {
        if (withLibrary && !fs::exists(program_ / fs::path(MS_DXF_LIBRARY).filename()))
            fs::copy_file(MS_DXF_LIBRARY, program_ / fs::path(MS_DXF_LIBRARY).filename());
        CDibImage image(static_cast<DWORD>(width), static_cast<DWORD>(height), 24);
        const std::u16string path = ms::FromUtf8((program_ / "Probe_10X.bmp").string());
        EXPECT_TRUE(image.SaveToFile(path.c_str(), DIBIMAGE_TYPE_BMP));
        canvas_ = std::make_unique<CMeasureCanvas>(&host_);
        canvas_->m_path = path.c_str();
        canvas_->m_viewMode = mode;
        canvas_->Create(IDD_MEASURE_CANVAS, &host_);
        g_has1600x1200 = 0;
        g_captureWidth = 640;
        g_captureHeight = 480;
        ms::CopyBounded(g_unitName, 12, u"mm");
        g_decimalPlaces = 3;
        return *canvas_;
    }
    static void Add(CMeasureCanvas& c, int kind, std::vector<POINT> points,
                    std::vector<CString> labels = {}) {
        auto r = std::make_unique<CMeasureRecord>();
        r->m_kind = kind;
        r->m_points = std::move(points);
        r->m_labels = std::move(labels);
        c.m_shapes.Add(std::move(r));
    }
    QJsonObject ReadDxf(const fs::path& file) {
        QProcess p;
        p.start("/usr/bin/python3", {MS_DXF_CHECK, QString::fromStdString(file.string())});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        EXPECT_TRUE(o["errors"].toArray().isEmpty());
        EXPECT_TRUE(o["fixes"].toArray().isEmpty());
        return o;
    }

    CWnd host_;
    std::unique_ptr<CMeasureCanvas> canvas_;
};

TEST_F(CanvasExportTest, DxfIsTheSameDrawingInTheFixedAndTheFullSizeView) {
    // One line from the picture's bottom-left to its top-right corner, and a circle of 40
    // picture pixels about its centre, in each view's canvas coordinates.
    const double f = UnitScale(u"mm", 0, 640, 480) * 10.0 / 2.0;
    for (CanvasViewMode mode : {CANVAS_VIEW_FIXED, CANVAS_VIEW_FULL_SIZE}) {
        SCOPED_TRACE(mode);
        CMeasureCanvas& c = Open(1280, 1024, mode);
        c.m_zoom = 2.0;
        const int k = mode == CANVAS_VIEW_FIXED ? 2 : 1; // picture pixels per canvas pixel
        Add(c, CANVAS_KIND_LINE, {{0, 1024 / k}, {1280 / k, 0}}, {u"L:1.000mm"});
        Add(c, TOOL_THREE_POINT_CIRCLE, {{640 / k, 512 / k}, {640 / k + 40 / k, 512 / k}});
        Add(c, CANVAS_KIND_TEXT, {{5, 5}}, {u"a note"});
        const fs::path file = program_ / "canvas.dxf";
        ASSERT_TRUE(c.ExportDxf(CString(ms::FromUtf8(file.string()))));
        const QJsonObject o = ReadDxf(file);
        QStringList layers;
        for (const auto& v : o["layers"].toArray())
            layers << v.toObject()["name"].toString();
        EXPECT_TRUE(layers.contains("Layer1") && layers.contains("Layer2"));
        const QJsonArray e = o["entities"].toArray();
        ASSERT_EQ(e.size(), 2);
        const QJsonArray line = e[0].toObject()["points"].toArray();
        EXPECT_NEAR(line[0].toArray()[0].toDouble(), 0.0, 1e-6);
        EXPECT_NEAR(line[0].toArray()[1].toDouble(), 0.0, 1e-6);
        EXPECT_NEAR(line[1].toArray()[0].toDouble(), 640 * f, 1e-6);
        EXPECT_NEAR(line[1].toArray()[1].toDouble(), 512 * f, 1e-6);
        EXPECT_NEAR(e[1].toObject()["radius"].toDouble(), 20 * f, 1e-6);
        for (const auto& v : e)
            EXPECT_EQ(v.toObject()["layer"], "Layer2");
        EXPECT_TRUE(ms::test::ShownLog().empty());
        canvas_->DestroyWindow();
    }
}

// One shape, one length: a line measured before a calibration keeps in the drawing the length
// its label shows, and the calibration line its own, whatever magnification the export runs at.
TEST_F(CanvasExportTest, DxfGivesEachShapeTheLengthItsLabelShows) {
    CMeasureCanvas& c = Open(640, 480, CANVAS_VIEW_FIXED);
    c.MoveWindow(0, 0, 700, 520);
    CEdit magnification;
    magnification.Create(WS_CHILD, CRect(0, 600, 50, 620), &host_, 1130);
    magnification.SetWindowText(u"50");
    c.m_unitScale = 0.08;
    c.m_zoom = 50.0;
    g_zoomScale = 50.0;
    const auto clicks = [&](std::initializer_list<POINT> points) {
        for (POINT p : points)
            c.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    };
    c.SetTool(TOOL_LINE, TOOL_MODE_MEASURE);
    clicks({{100, 100}, {300, 100}, {150, 130}});
    ms::test::AnswerDialog(IDD_CALIBRATION, [](HWND h) {
        Type(h, IDC_CALIB_DISTANCE, u"0.5");
        mstest::Press(h, IDOK);
    });
    c.SetCalibrationMode(1);
    c.SetTool(TOOL_PARALLEL_LINE, TOOL_MODE_MEASURE);
    clicks({{100, 300}, {300, 300}, {150, 330}});
    ASSERT_DOUBLE_EQ(g_zoomScale, 320.0);
    c.m_zoom = g_zoomScale; // as the photo-measure window takes the calibration
    ASSERT_EQ(c.m_shapes.GetSize(), 2);
    EXPECT_EQ(c.m_shapes.GetAt(0)->m_labels[0], CString(u"L:3.200mm"));
    EXPECT_EQ(c.m_shapes.GetAt(1)->m_labels[0], CString(u"L:0.500mm"));

    const fs::path file = program_ / "calibrated.dxf";
    ASSERT_TRUE(c.ExportDxf(CString(ms::FromUtf8(file.string()))));
    const QJsonArray e = ReadDxf(file)["entities"].toArray();
    ASSERT_EQ(e.size(), 2);
    const auto length = [](const QJsonValue& entity) {
        const QJsonArray p = entity.toObject()["points"].toArray();
        return std::hypot(p[1].toArray()[0].toDouble() - p[0].toArray()[0].toDouble(),
                          p[1].toArray()[1].toDouble() - p[0].toArray()[1].toDouble());
    };
    EXPECT_NEAR(length(e[0]), 3.2, 1e-9);
    EXPECT_NEAR(length(e[1]), 0.5, 1e-9);
}

TEST_F(CanvasExportTest, DxfWithoutTheLibraryShowsItsMessageAndWritesNothing) {
    CMeasureCanvas& c = Open(640, 480, CANVAS_VIEW_FIXED, false);
    Add(c, CANVAS_KIND_LINE, {{0, 480}, {0, 0}});
    const fs::path file = program_ / "none.dxf";
    EXPECT_FALSE(c.ExportDxf(CString(ms::FromUtf8(file.string()))));
    ASSERT_EQ(ms::test::ShownLog().size(), 1u);
    EXPECT_EQ(ms::test::ShownLog()[0].text, u"Fatal error on creating CDxfDrawing!");
    EXPECT_EQ(ms::test::ShownLog()[0].caption, u"Error");
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(CanvasExportTest, SpreadsheetHoldsTheCanvasRowsAndThePictureWithItsShapes) {
    CMeasureCanvas& c = Open(320, 240, CANVAS_VIEW_FULL_SIZE);
    Add(c, TOOL_DOT_LINE, {{0, 0}, {50, 0}, {20, 30}}, {u"L:0.500mm"});
    Add(c, CANVAS_KIND_TEXT, {{5, 5}}, {u"a note"});
    Add(c, TOOL_CIRCLE_LABEL, {{5, 5}}, {u"1"});
    Add(c, TOOL_CONTINUOUS_LINE, {{0, 0}, {10, 0}, {11, 1}, {20, 10}, {21, 11}},
        {u"1.5mm", u"2.5mm"});
    Add(c, TOOL_AUTO_ARC, {{0, 0}, {10, 0}, {20, 5}},
        {u"R:1.000mm", u"Angle:90.00", u"Arc:1.571mm"});
    const fs::path file = program_ / "canvas.xls";
    ASSERT_TRUE(c.ExportToSpreadsheet(CString(ms::FromUtf8(file.string()))));
    EXPECT_TRUE(ms::test::ShownLog().empty());
    std::u16string error;
    auto book = ms::xlsx::Read(ms::FromUtf8(file.string()), error);
    ASSERT_TRUE(book.has_value());
    const ms::xlsx::Sheet& sheet = book->sheets[0];
    EXPECT_EQ(sheet.name, u"ExportData");
    ASSERT_EQ(sheet.UsedRows(), 4);
    EXPECT_EQ(sheet.Cell(0, 9), u"Arc");
    EXPECT_EQ(sheet.Cell(1, 0), u"Dot Line");
    EXPECT_EQ(sheet.Cell(1, 1), u"L:0.500mm");
    EXPECT_EQ(sheet.Cell(2, 0), u"Continual Line");
    EXPECT_EQ(sheet.Cell(2, 1), u"T:4.000mm");
    EXPECT_EQ(sheet.Cell(3, 0), u"Arc");
    EXPECT_EQ(sheet.Cell(3, 2), u"R:1.000mm");
    EXPECT_EQ(sheet.Cell(3, 7), u"Angle:90.00");
    EXPECT_EQ(sheet.Cell(3, 9), u"Arc:1.571mm");
    ASSERT_EQ(sheet.pictures.size(), 1u);
    EXPECT_EQ(sheet.pictures[0].row, 0);
    EXPECT_EQ(sheet.pictures[0].column, 0);
    QImage placed;
    ASSERT_TRUE(placed.loadFromData(QByteArray::fromStdString(sheet.pictures[0].data)));
    EXPECT_EQ(placed.size(), QSize(320, 240)); // the picture at its own resolution
    EXPECT_TRUE(fs::exists(program_ / "10000.bmp"));
}

} // namespace
