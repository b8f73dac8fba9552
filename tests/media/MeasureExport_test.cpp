// The exports of finished measurements: the spreadsheet's row table and its workbook with the
// picture at A1 (read back with our workbook reader), the word-processor report in both of
// its formats, and the DXF drawing read back and audited by ezdxf. Failures leave an older
// file as it was.
#include "media/MeasureExport.h"

#include "measure/Units.h"
#include "media/DxfDrawing.h"

#include "platform/services/Automation.h"
#include "platform/services/Workbook.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"
#include "tests/media/WordReadBack.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Cells = std::vector<std::u16string>;

std::u16string U(const QString& s) {
    return s.toStdU16String();
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

CMeasureRecord Record(int kind, std::vector<POINT> points, std::vector<CString> labels = {}) {
    CMeasureRecord r;
    r.m_kind = kind;
    r.m_points = std::move(points);
    r.m_labels = std::move(labels);
    return r;
}

// n points along the x axis.
std::vector<POINT> Points(int n) {
    std::vector<POINT> p;
    for (int i = 0; i < n; ++i)
        p.push_back(POINT{10 * i, 5});
    return p;
}

Cells Row(const CMeasureRecord& r, ShapeSource source) {
    std::vector<CString> cells;
    if (!SpreadsheetRow(r, source, cells))
        return {};
    Cells out;
    for (const CString& c : cells)
        out.push_back(c.Str());
    return out;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::test::ResetSeams();
        ms::CopyBounded(g_unitName, 12, u"mm");
        g_decimalPlaces = 3;
        picture = dir.path() + "/10000.bmp";
    }
    void TearDown() override { ms::test::ResetSeams(); }

    // The picture job of a compositor that draws a 64 x 48 picture with a red mark, or fails.
    ExportPictureJob Picture(bool works = true) {
        return {CString(U(picture)), [works](const CString& path) {
                    if (!works)
                        return false;
                    QImage img(64, 48, QImage::Format_RGB32);
                    img.fill(Qt::white);
                    img.setPixelColor(5, 7, Qt::red);
                    return img.save(QString::fromStdU16String(path.Str()), "BMP");
                }};
    }
    ExportMessage Messages() {
        return [this](const CString& text) { shown.push_back(text.Str()); };
    }
    // Everything in the folder but the picture: the export leaves no file of its own behind.
    QStringList FilesBesides() const {
        QStringList names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path().toStdString()))
            if (e.path().filename() != "10000.bmp")
                names << QString::fromStdString(e.path().filename().string());
        names.sort();
        return names;
    }

    QTemporaryDir dir;
    QString picture;
    std::vector<std::u16string> shown;
};

// ---- The spreadsheet ----

TEST(SpreadsheetRows, EachKindFillsItsColumnsWithItsLabelLines) {
    ms::CopyBounded(g_unitName, 12, u"mm");
    g_decimalPlaces = 3;
    const std::vector<CString> three{u"A", u"B", u"C"};
    struct Case {
        ShapeSource source;
        int kind;
        Cells row; // empty: no row
    };
    const Case cases[] = {
        {ShapeSource::Live, 1, {u"Line", u"A", u"", u"", u"", u"", u"", u"", u"", u""}},
        {ShapeSource::Live, 24, {u"Line", u"A", u"", u"", u"", u"", u"", u"", u"", u""}},
        {ShapeSource::Live, 2, {u"dot Line", u"A", u"", u"", u"", u"", u"", u"", u"", u""}},
        {ShapeSource::Live, 5, {u"Rectangle", u"", u"", u"", u"B", u"C", u"A", u"", u"", u""}},
        {ShapeSource::Live, 7, {u"Ellipse", u"", u"B", u"C", u"", u"", u"A", u"", u"", u""}},
        {ShapeSource::Live, 8, {u"Radius Circle", u"", u"B", u"", u"", u"", u"A", u"", u"C", u""}},
        {ShapeSource::Live,
         11,
         {u"distance of two Circles", u"C", u"A", u"B", u"", u"", u"", u"", u"", u""}},
        {ShapeSource::Live,
         17,
         {u"Arc Measurement", u"", u"A", u"", u"", u"", u"", u"B", u"", u"C"}},
        {ShapeSource::Live,
         25,
         {u"four point angle", u"", u"", u"", u"", u"", u"", u"A", u"", u""}},
        {ShapeSource::Canvas, 1, {u"Line", u"A", u"", u"", u"", u"", u"", u"", u"", u""}},
        {ShapeSource::Canvas, 22, {u"Dot Line", u"A", u"", u"", u"", u"", u"", u"", u"", u""}},
        {ShapeSource::Canvas, 3, {u"Rectangle", u"", u"", u"", u"B", u"C", u"A", u"", u"", u""}},
        {ShapeSource::Canvas,
         19,
         {u"Identify Circle", u"", u"A", u"", u"", u"", u"", u"", u"", u""}},
        {ShapeSource::Canvas, 333, {u"Arc", u"", u"A", u"", u"", u"", u"", u"B", u"", u"C"}},
        {ShapeSource::Canvas,
         21,
         {u"Auto Angle-Detection", u"", u"", u"", u"", u"", u"", u"A", u"", u""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(Row(Record(c.kind, Points(3), three), c.source), c.row);
    }
    // Texts, labels, guides and unknown kinds give no row.
    for (int kind : {0, 14, 15, 16, 18, 19, 20, 26, 100})
        EXPECT_TRUE(Row(Record(kind, Points(3), three), ShapeSource::Live).empty()) << kind;
    for (int kind : {4, 13, 100, 2})
        EXPECT_TRUE(Row(Record(kind, Points(3), three), ShapeSource::Canvas).empty()) << kind;
    // A record holding fewer label lines than its columns gives empty cells.
    EXPECT_EQ(Row(Record(5, Points(2), {u"A"}), ShapeSource::Live),
              (Cells{u"Rectangle", u"", u"", u"", u"", u"", u"A", u"", u"", u""}));
    EXPECT_EQ(SpreadsheetHeaders(ShapeSource::Live).back(), u"Arc-length");
    EXPECT_EQ(SpreadsheetHeaders(ShapeSource::Canvas).back(), u"Arc");
}

TEST(SpreadsheetRows, ContinualLineTotalAddsTheSegmentsOfAnOddNumberOfPoints) {
    ms::CopyBounded(g_unitName, 12, u"mm");
    g_decimalPlaces = 3;
    struct Case {
        int points;
        std::vector<CString> labels;
        std::u16string total;
    };
    const Case cases[] = {
        {5, {u"1.5mm", u"2.5mm", u"3mm"}, u"T:4.000mm"}, // label lines 0 and 1 only
        {5, {u"1.5mm", u"2.25mm"}, u"T:3.750mm"},
        {4, {u"1.5mm", u"2.5mm"}, u""}, // an even number of points
        {3, {u"1.5mm"}, u"T:1.500mm"},
        {2, {u"1.5mm"}, u""},
        {5, {u"", u""}, u""},            // drawn without labels
        {5, {u"abc", u"x2"}, u""},       // no number at the start counts 0
        {7, {u"1.5mm"}, u"T:1.500mm"},   // missing label lines count 0
        {5, {u"-1.5mm", u"1.5mm"}, u""}, // a sum of 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.points);
        EXPECT_EQ(ContinualLineTotal(Record(4, Points(c.points), c.labels)).Str(), c.total);
    }
    EXPECT_EQ(Row(Record(6, Points(5), {u"1.5mm", u"2.5mm"}), ShapeSource::Canvas)[1],
              u"T:4.000mm");
}

// Live shapes of every sort the table treats alike: a line, a text, a continual line of five
// points, a rectangle.
std::vector<CMeasureRecord> LiveShapes() {
    return {Record(1, {{0, 0}, {10, 0}}, {u"L:1.250mm"}), Record(16, {{5, 5}}, {u"hello"}),
            Record(4, Points(5), {u"1.5mm", u"2.5mm"}),
            Record(5, {{0, 0}, {20, 10}}, {u"A:2.000mm2", u"W:2.000mm", u"H:1.000mm"})};
}

std::vector<std::vector<std::u16string>> Expected() {
    return {
        {u"measuring objective", u"Length", u"Diameter1", u"Diameter2", u"Width", u"Height",
         u"Area", u"Angle", u"Girth", u"Arc-length"},
        {u"Line", u"L:1.250mm", u"", u"", u"", u"", u"", u"", u"", u""},
        {u"Continual Line", u"T:4.000mm", u"", u"", u"", u"", u"", u"", u"", u""},
        {u"Rectangle", u"", u"", u"", u"W:2.000mm", u"H:1.000mm", u"A:2.000mm2", u"", u"", u""}};
}

// Cells as text, short rows padded to ten columns.
std::vector<std::vector<std::u16string>> Table(const ms::xlsx::Sheet& sheet) {
    std::vector<std::vector<std::u16string>> rows;
    for (int r = 0; r < sheet.UsedRows(); ++r) {
        rows.emplace_back();
        for (int c = 0; c < 10; ++c)
            rows.back().push_back(sheet.Cell(r, c));
    }
    return rows;
}

TEST_F(ExportTest, SpreadsheetHoldsTheRowTableAndOnePictureAtA1AndASecondExportReplacesIt) {
    for (const char* name : {"/m.xls", "/m.xlsx"}) {
        const QString path = dir.path() + name;
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(std::string(name) + " round " + std::to_string(round));
            ASSERT_TRUE(ExportToSpreadsheet(CString(U(path)), LiveShapes(), ShapeSource::Live,
                                            Picture(), Messages()));
            EXPECT_TRUE(shown.empty());
            std::u16string error;
            auto book = ms::xlsx::Read(U(path), error);
            ASSERT_TRUE(book.has_value()) << CString(error).ToUtf8();
            ms::xlsx::Sheet* sheet = book->Find(u"ExportData");
            ASSERT_NE(sheet, nullptr);
            EXPECT_EQ(&book->sheets[0], sheet);
            EXPECT_EQ(Table(*sheet), Expected());
            ASSERT_EQ(sheet->pictures.size(), 1u);
            EXPECT_EQ(sheet->pictures[0].row, 0);
            EXPECT_EQ(sheet->pictures[0].column, 0);
            QImage placed;
            ASSERT_TRUE(placed.loadFromData(QByteArray::fromStdString(sheet->pictures[0].data)));
            EXPECT_EQ(placed.size(), QSize(64, 48));
            EXPECT_EQ(placed.pixelColor(5, 7), QColor(Qt::red));
            for (const auto& other : book->sheets)
                EXPECT_TRUE(&other == sheet || other.pictures.empty());
        }
    }
    EXPECT_EQ(FilesBesides(), (QStringList{"m.xls", "m.xlsx"}));
    EXPECT_TRUE(QFile::exists(picture)); // left for the next export to replace
}

TEST_F(ExportTest, SpreadsheetWithoutShapesHoldsTheHeaderRowAndThePicture) {
    const QString path = dir.path() + "/empty.xls";
    ASSERT_TRUE(ExportToSpreadsheet(CString(U(path)),
                                    {Record(18, Points(2)), Record(20, Points(1))},
                                    ShapeSource::Live, Picture(), Messages()));
    std::u16string error;
    auto book = ms::xlsx::Read(U(path), error);
    ASSERT_TRUE(book.has_value());
    EXPECT_EQ(Table(book->sheets[0]), (std::vector<std::vector<std::u16string>>{Expected()[0]}));
    EXPECT_EQ(book->sheets[0].pictures.size(), 1u);
}

TEST_F(ExportTest, SpreadsheetThatFailsAtAnyStageLeavesTheOldFileAsItWas) {
    if (mstest::RerunUnprivileged()) // the read-only folder below must stop the writer
        return;
    const QString path = dir.path() + "/old.xls";
    ASSERT_TRUE(ExportToSpreadsheet(CString(U(path)), LiveShapes(), ShapeSource::Live, Picture(),
                                    Messages()));
    const QByteArray old = Bytes(path);
    ASSERT_FALSE(old.isEmpty());
    std::vector<CMeasureRecord> other{Record(1, Points(2), {u"L:9.000mm"})};

    // The picture cannot be made: an old picture is not taken for it.
    EXPECT_FALSE(ExportToSpreadsheet(CString(U(path)), other, ShapeSource::Live, Picture(false),
                                     Messages()));
    EXPECT_EQ(shown,
              std::vector<std::u16string>{u"Could not make the picture of the measurements."});
    EXPECT_FALSE(QFile::exists(picture));
    EXPECT_EQ(Bytes(path), old);

    // The spreadsheet application cannot be started.
    shown.clear();
    ms::test::FailNextAutomationCreate(u"Excel.Application");
    EXPECT_FALSE(
        ExportToSpreadsheet(CString(U(path)), other, ShapeSource::Live, Picture(), Messages()));
    EXPECT_EQ(shown, std::vector<std::u16string>{u"Could not start Excel111."});
    EXPECT_EQ(Bytes(path), old);
    EXPECT_EQ(FilesBesides(), QStringList{"old.xls"});

    // The folder is read-only.
    shown.clear();
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool refused =
        !ExportToSpreadsheet(CString(U(path)), other, ShapeSource::Live, Picture(), Messages());
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(refused);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_FALSE(shown[0].empty());
    EXPECT_EQ(Bytes(path), old);
    EXPECT_EQ(FilesBesides(), QStringList{"old.xls"});
}

// An export killed half-way leaves its hidden file (and the workbook writer's temporary file
// of it); the next export to that name removes them.
TEST_F(ExportTest, SpreadsheetRemovesWhatAKilledExportLeftBesideItsFile) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const QString dead = QString::number(child);
    for (const QString& name : {".m.xls.export-" + dead + "-1.xls",
                                ".m.xls.export-" + dead + "-2.xls.tmp-" + dead + "-7"}) {
        QFile f(dir.path() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("half");
    }
    ASSERT_TRUE(ExportToSpreadsheet(CString(U(dir.path() + "/m.xls")), LiveShapes(),
                                    ShapeSource::Live, Picture(), Messages()));
    EXPECT_EQ(FilesBesides(), QStringList{"m.xls"});
}

TEST_F(ExportTest, SpreadsheetOfAnotherNameIsTheTextTableAlone) {
    const QString path = dir.path() + "/t.csv";
    ASSERT_TRUE(ExportToSpreadsheet(CString(U(path)), {Record(1, Points(2), {u"L:1.250mm"})},
                                    ShapeSource::Live, Picture(), Messages()));
    EXPECT_TRUE(shown.empty());
    const QByteArray bytes = Bytes(path);
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    EXPECT_TRUE(text.startsWith("\"measuring objective\"ExportData\"Length\"ExportData"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\"Line\"ExportData\"L:1.250mm\"ExportData")) << text.toStdString();
    EXPECT_EQ(FilesBesides(), QStringList{"t.csv"});
}

// ---- The word-processor report ----

TEST(WordReport, LinesFollowTheKindsAndReadMissingLabelLinesAsEmpty) {
    ms::CopyBounded(g_unitName, 12, u"mm");
    g_decimalPlaces = 3;
    using L = ReportLine;
    const std::vector<CMeasureRecord> records{
        Record(10, Points(3), {u"D:2.000mm"}), // one label line where the report reads line 1
        Record(21, Points(1), {u"A:3.142mm2"}),
        Record(4, Points(4), {u"1.5mm"}),
        Record(14, Points(1), {u"1"}),
        Record(0, {}),
        Record(26, Points(2), {u"x"}),
        Record(23, Points(3), {u"R:1.000mm", u"Angle:90.00", u"Arc:1.571mm"})};
    const std::vector<L> expected{{u"File Name:", u""},
                                  {u"Time of establishment:", u""},
                                  {u"Three Point Circle", u""},
                                  {u"Diameter:", u""},
                                  {u"Auto Circle Measurement", u""},
                                  {u"Area:", u"A:3.142mm2"},
                                  {u"Radius:", u""},
                                  {u"Girth:", u""},
                                  {u"Continual Line", u""},
                                  {u"Length:", u""},
                                  {u"Auto Arc Measurement", u""},
                                  {u"Radius:", u"R:1.000mm"},
                                  {u"Angle:", u"Angle:90.00"},
                                  {u"Arc:", u"Arc:1.571mm"}};
    EXPECT_EQ(WordReportLines(records), expected);
}

TEST_F(ExportTest, WordReportHoldsTheParagraphsInOrderAndOnePictureInBothFormats) {
    const std::vector<CMeasureRecord> records{
        Record(4, Points(5), {u"1.5mm", u"2.25mm"}), Record(16, Points(1), {u"a text"}),
        Record(8, Points(2), {u"A:3.142mm2", u"R:1.000mm", u"G:6.283mm"})};
    const std::vector<std::u16string> paragraphs{
        u"File Name:",    u"Time of establishment:", u"Continual Line",  u"Length:T:3.750mm",
        u"Radius Circle", u"Radius1:R:1.000mm",      u"Area:A:3.142mm2", u"Girth:G:6.283mm"};
    for (const char* name : {"/r.docx", "/r.doc"}) {
        SCOPED_TRACE(name);
        const QString path = dir.path() + name;
        ASSERT_TRUE(ExportToWord(CString(U(path)), records, Picture(), Messages()));
        EXPECT_TRUE(shown.empty());
        mstest::ReadBack r =
            QString(name).endsWith("x") ? mstest::ReadDocx(path) : mstest::ReadRtf(path);
        ASSERT_GE(r.paragraphs.size(), paragraphs.size());
        EXPECT_EQ(std::vector(r.paragraphs.begin(), r.paragraphs.begin() + paragraphs.size()),
                  paragraphs);
        // The picture follows the last line; nothing else.
        for (size_t i = paragraphs.size(); i < r.paragraphs.size(); ++i)
            EXPECT_EQ(r.paragraphs[i], u"");
        EXPECT_EQ(r.pictures, 1);
        EXPECT_EQ(r.picture.size(), QSize(64, 48));
    }
}

TEST_F(ExportTest, WordReportThatFailsWritesNothing) {
    const QString path = dir.path() + "/r.docx";
    EXPECT_FALSE(ExportToWord(CString(U(path)), {}, Picture(false), Messages()));
    EXPECT_EQ(shown,
              std::vector<std::u16string>{u"Could not make the picture of the measurements."});
    EXPECT_FALSE(QFile::exists(path));

    ms::test::FailNextAutomationCreate(u"Word.Application");
    EXPECT_FALSE(ExportToWord(CString(U(path)), {}, Picture(), Messages()));
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_FALSE(ms::test::ShownLog().empty()); // the word processor's own message
    EXPECT_EQ(ms::test::ShownLog().back().text, u"Application Create fail!");

    // A name that cannot be written: the word processor's message, no file.
    shown.clear();
    const QString nowhere = dir.path() + "/no/such/folder/r.doc";
    EXPECT_FALSE(ExportToWord(CString(U(nowhere)), {}, Picture(), Messages()));
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_FALSE(QFile::exists(nowhere));
}

// ---- The DXF drawing ----

QJsonObject ReadWithEzdxf(const QString& path) {
    QProcess p;
    p.start("/usr/bin/python3", {MS_DXF_CHECK, path});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    EXPECT_TRUE(o["errors"].toArray().isEmpty()) << QJsonDocument(o).toJson().toStdString();
    EXPECT_TRUE(o["fixes"].toArray().isEmpty()) << QJsonDocument(o).toJson().toStdString();
    return o;
}

std::vector<std::pair<double, double>> PointsOf(const QJsonObject& entity) {
    std::vector<std::pair<double, double>> out;
    for (const auto& p : entity["points"].toArray())
        out.emplace_back(p.toArray()[0].toDouble(), p.toArray()[1].toDouble());
    return out;
}

void ExpectPoints(const QJsonObject& entity, std::vector<std::pair<double, double>> expected) {
    auto got = PointsOf(entity);
    ASSERT_EQ(got.size(), expected.size()) << QJsonDocument(entity).toJson().toStdString();
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].first, expected[i].first, 1e-6) << i;
        EXPECT_NEAR(got[i].second, expected[i].second, 1e-6) << i;
    }
}

// Capture 640 x 480, unit mm, magnification 1: one preview pixel is 0.6382978723 mm / 10 * 10.
DxfSpace LiveSpace() {
    return {1.0, 480.0, UnitScale(u"mm", 0, 640, 480), 1.0};
}

TEST_F(ExportTest, DxfOfLiveShapesFlipsYWithThePreviewHeight) {
    const double f = LiveSpace().unitScale * 10.0;
    ASSERT_NEAR(f, 0.63829787234, 1e-9);
    const std::vector<CMeasureRecord> records{
        Record(1, {{0, 0}, {100, 480}}), Record(9, {{0, 0}, {101, 0}}),
        Record(4, {{0, 0}, {10, 0}, {12, 3}, {20, 10}, {22, 13}}),
        Record(2, {{5, 5}, {5, 50}, {40, 20}}), // vertical reference: horizontal foot line
        Record(2, {{0, 0}, {10, 10}, {10, 0}}), // slope 1: foot at (5, 5)
        Record(5, {{10, 20}, {30, 40}}), Record(6, {{0, 0}, {10, 0}, {10, 10}, {0, 0}}),
        Record(21, {{50, 60}}), Record(7, Points(2)), Record(17, Points(3)), Record(23, Points(3)),
        Record(16, Points(1)),
        // Fewer points than their kinds use: left out.
        Record(1, {{1, 1}}), Record(11, Points(8)), Record(13, Points(3)), Record(6, Points(2)),
        Record(4, Points(1)), Record(2, Points(2))};
    CDxfDrawing dxf;
    const QString path = dir.path() + "/live.dxf";
    ASSERT_EQ(ExportToDxf(dxf, CString(U(path)), records, ShapeSource::Live, LiveSpace()),
              DxfResult::Saved);
    const QJsonObject o = ReadWithEzdxf(path);
    QStringList lineTypes, layers;
    for (const auto& v : o["linetypes"].toArray())
        lineTypes << v.toString();
    for (const auto& v : o["layers"].toArray())
        layers << v.toObject()["name"].toString();
    EXPECT_TRUE(lineTypes.contains("Continuous")) << lineTypes.join(",").toStdString();
    EXPECT_TRUE(layers.contains("Layer1")) << layers.join(",").toStdString();
    EXPECT_FALSE(layers.contains("Layer2"));

    const QJsonArray e = o["entities"].toArray();
    ASSERT_EQ(e.size(), 8);
    EXPECT_EQ(e[0].toObject()["type"], "LINE");
    ExpectPoints(e[0].toObject(), {{0, 306.3829787232}, {63.829787234, 0}});
    EXPECT_EQ(e[1].toObject()["type"], "CIRCLE");
    ExpectPoints(e[1].toObject(), {{31.914893617, 306.3829787232}});
    EXPECT_NEAR(e[1].toObject()["radius"].toDouble(), 32.23404255317, 1e-6);
    EXPECT_EQ(e[2].toObject()["type"], "POLYLINE");
    EXPECT_FALSE(e[2].toObject()["closed"].toBool());
    ExpectPoints(e[2].toObject(),
                 {{0, 480 * f}, {10 * f, 480 * f}, {10 * f, 480 * f}, {20 * f, 470 * f}});
    ExpectPoints(e[3].toObject(), {{40 * f, 460 * f}, {5 * f, 460 * f}});
    ExpectPoints(e[4].toObject(), {{10 * f, 480 * f}, {5 * f, 475 * f}});
    EXPECT_TRUE(e[5].toObject()["closed"].toBool());
    ExpectPoints(e[5].toObject(),
                 {{10 * f, 460 * f}, {10 * f, 440 * f}, {30 * f, 440 * f}, {30 * f, 460 * f}});
    EXPECT_TRUE(e[6].toObject()["closed"].toBool());
    ExpectPoints(e[6].toObject(), {{0, 480 * f}, {10 * f, 480 * f}, {10 * f, 470 * f}});
    EXPECT_EQ(e[7].toObject()["type"], "CIRCLE");
    EXPECT_NEAR(e[7].toObject()["radius"].toDouble(), 0.0, 1e-9); // m_radius 0 of the fixture
}

// Points at the limits of LONG: their differences and sums do not fit one, so the dot line's
// foot and the diameter circle's centre are computed without them.
TEST_F(ExportTest, DxfOfShapesAtTheIntegerLimitsKeepsThemInRange) {
    constexpr LONG kMin = std::numeric_limits<LONG>::min() + 1;
    constexpr LONG kMax = std::numeric_limits<LONG>::max();
    const std::vector<CMeasureRecord> records{
        // The reference line y = x across the whole range; the foot of (max, min) is (0, 0).
        Record(2, {{kMin, kMin}, {kMax, kMax}, {kMax, kMin}}),
        Record(9, {{kMax, kMax}, {kMax, kMax - 2}})};
    CDxfDrawing dxf;
    const QString path = dir.path() + "/limits.dxf";
    ASSERT_EQ(ExportToDxf(dxf, CString(U(path)), records, ShapeSource::Live, LiveSpace()),
              DxfResult::Saved);
    const double f = LiveSpace().unitScale * 10.0;
    const QJsonObject o = ReadWithEzdxf(path);
    const QJsonArray e = o["entities"].toArray();
    ASSERT_EQ(e.size(), 2);
    // The file keeps 15 digits: a thousandth at these sizes.
    const std::vector<std::pair<double, double>> expected{
        {kMax * f, (480.0 - kMin) * f}, {0, 480 * f}, {kMax * f, (480.0 - (kMax - 1)) * f}};
    auto got = PointsOf(e[0].toObject());
    const auto centre = PointsOf(e[1].toObject());
    got.insert(got.end(), centre.begin(), centre.end());
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].first, expected[i].first, 1e-3) << i;
        EXPECT_NEAR(got[i].second, expected[i].second, 1e-3) << i;
    }
    EXPECT_NEAR(e[1].toObject()["radius"].toDouble(), f, 1e-9);
}

TEST_F(ExportTest, DxfOfCanvasShapesGoesToLayer2) {
    const std::vector<CMeasureRecord> records{
        Record(CANVAS_KIND_LINE, {{0, 480}, {0, 0}}),
        Record(CANVAS_KIND_RECTANGLE, {{30, 40}, {10, 20}}),
        Record(TOOL_THREE_POINT_CIRCLE, {{10, 10}, {13, 14}}),
        Record(TOOL_CONTINUOUS_LINE, {{0, 0}, {10, 0}, {11, 1}, {20, 10}, {21, 11}}),
        Record(TOOL_DOT_LINE, {{0, 7}, {50, 7}, {20, 30}}),
        Record(CANVAS_KIND_TEXT, Points(1)),
        Record(TOOL_CIRCLE_LABEL, Points(1)),
        Record(TOOL_ARC, Points(3)),
        Record(TOOL_AUTO_ARC, Points(3)),
        Record(TOOL_TWO_CIRCLES, Points(4))};
    DxfSpace space = LiveSpace();
    space.magnification = 2.0;
    const double f = space.unitScale * 10.0 / 2.0;
    CDxfDrawing dxf;
    const QString path = dir.path() + "/canvas.dxf";
    ASSERT_EQ(ExportToDxf(dxf, CString(U(path)), records, ShapeSource::Canvas, space),
              DxfResult::Saved);
    const QJsonObject o = ReadWithEzdxf(path);
    QStringList layers;
    for (const auto& v : o["layers"].toArray())
        layers << v.toObject()["name"].toString();
    EXPECT_TRUE(layers.contains("Layer1") && layers.contains("Layer2"));
    const QJsonArray e = o["entities"].toArray();
    ASSERT_EQ(e.size(), 5);
    for (const auto& v : e)
        EXPECT_EQ(v.toObject()["layer"], "Layer2");
    ExpectPoints(e[0].toObject(), {{0, 0}, {0, 480 * f}});
    // Drawn from the bottom-right corner: p0, (p0.x, p1.y), p1, (p1.x, p0.y).
    ExpectPoints(e[1].toObject(),
                 {{30 * f, 440 * f}, {30 * f, 460 * f}, {10 * f, 460 * f}, {10 * f, 440 * f}});
    EXPECT_NEAR(e[2].toObject()["radius"].toDouble(), 5 * f, 1e-9);
    ExpectPoints(e[3].toObject(),
                 {{0, 480 * f}, {10 * f, 480 * f}, {10 * f, 480 * f}, {20 * f, 470 * f}});
    ExpectPoints(e[4].toObject(), {{20 * f, 450 * f}, {20 * f, 473 * f}});
}

TEST_F(ExportTest, DxfIsRefusedWithoutALibraryOrAMagnification) {
    const QString path = dir.path() + "/out.dxf";
    const std::vector<CMeasureRecord> records{Record(1, {{0, 0}, {10, 10}})};
    {
        CDxfDrawing dxf;
        for (double m : {0.0, -1.0}) {
            DxfSpace space = LiveSpace();
            space.magnification = m;
            EXPECT_EQ(ExportToDxf(dxf, CString(U(path)), records, ShapeSource::Live, space),
                      DxfResult::BadMagnification);
        }
        EXPECT_FALSE(QFile::exists(path));
        // The drawing was never opened, so the next export works.
        EXPECT_EQ(ExportToDxf(dxf, CString(U(path)), records, ShapeSource::Live, LiveSpace()),
                  DxfResult::Saved);
        EXPECT_EQ(ExportToDxf(dxf, CString(U(path)), records, ShapeSource::Live, LiveSpace()),
                  DxfResult::Saved);
        ReadWithEzdxf(path);
        QFile::remove(path);
        EXPECT_EQ(ExportToDxf(dxf, CString(U(dir.path() + "/no/such/out.dxf")), records,
                              ShapeSource::Live, LiveSpace()),
                  DxfResult::SaveFailed);
    }
    const std::string old = std::getenv("MS_PROGRAM_DIR");
    setenv("MS_PROGRAM_DIR", dir.path().toUtf8().constData(), 1);
    {
        CDxfDrawing dxf; // no library in that folder
        EXPECT_EQ(ExportToDxf(dxf, CString(U(path)), records, ShapeSource::Live, LiveSpace()),
                  DxfResult::NoDrawing);
    }
    setenv("MS_PROGRAM_DIR", old.c_str(), 1);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(DxfResultText(DxfResult::NoDrawing), u"Fatal error on creating CDxfDrawing!");
    EXPECT_EQ(DxfResultText(DxfResult::SaveFailed), u"Error while saving dxf file!");
}

TEST(DxfName, ANameWithoutExtensionGetsDxf) {
    EXPECT_EQ(WithDxfExtension(u"/tmp/out").Str(), u"/tmp/out.dxf");
    EXPECT_EQ(WithDxfExtension(u"/tmp/out.DXF").Str(), u"/tmp/out.DXF");
    EXPECT_EQ(WithDxfExtension(u"/tmp/out.x").Str(), u"/tmp/out.x");
    EXPECT_EQ(WithDxfExtension(u"/tmp/a.b/out").Str(), u"/tmp/a.b/out.dxf");
    EXPECT_EQ(WithDxfExtension(u"/tmp/.out").Str(), u"/tmp/.out.dxf");
    EXPECT_EQ(WithDxfExtension(u"/tmp/out.").Str(), u"/tmp/out..dxf");
}

} // namespace
