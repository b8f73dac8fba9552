// Workbooks from outside: what the reader takes from a package (shared, inline, boolean and
// number cells, rich text without its phonetic runs), what it ignores (cells beyond IV65536,
// string indexes that do not exist) and what it refuses (a damaged package).
#include "platform/services/Workbook.h"
#include "platform/services/Zip.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char* kWorkbook =
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>)";
const char* kRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Target="worksheets/sheet1.xml" Type="x"/></Relationships>)";
const char* kShared =
    R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<si><t>plain</t></si><si><r><t>ri</t></r><r><t>ch</t></r><rPh><t>x</t></rPh></si></sst>)";
const char* kSheet =
    R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
    R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="s"><v>1</v></c></row>)"
    R"(<row r="2"><c r="A2" t="inlineStr"><is><t>a &amp; b</t></is></c><c r="B2" t="b"><v>1</v></c>)"
    R"(<c r="C2"><v>1.5</v></c><c r="D2" t="s"><v>99</v></c></row>)"
    R"(<row r="99999999999"><c r="ZZZZ1"><v>7</v></c></row>)"
    R"(<row r="70000"><c r="A70000"><v>8</v></c></row></sheetData></worksheet>)";

std::u16string Write(const QTemporaryDir& dir, const char* name,
                     std::vector<ms::ZipEntry> entries) {
    QString path = dir.path() + "/" + name;
    auto bytes = ms::BuildZip(entries);
    EXPECT_TRUE(bytes.has_value());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes->data(), qint64(bytes->size()));
    return path.toStdU16String();
}

TEST(Workbook, ReadsTheValuesItCanPlaceAndIgnoresTheRest) {
    QTemporaryDir dir;
    std::u16string path = Write(dir, "in.xlsx",
                                {{"xl/workbook.xml", kWorkbook},
                                 {"xl/_rels/workbook.xml.rels", kRels},
                                 {"xl/sharedStrings.xml", kShared},
                                 {"xl/worksheets/sheet1.xml", kSheet}});
    std::u16string error;
    auto book = ms::xlsx::Read(path, error);
    ASSERT_TRUE(book.has_value());
    ASSERT_EQ(book->sheets.size(), 1u);
    const ms::xlsx::Sheet& s = book->sheets[0];
    EXPECT_EQ(s.name, u"Data");
    EXPECT_EQ(s.UsedRows(), 2);
    EXPECT_EQ(s.UsedColumns(), 3);
    EXPECT_EQ(s.Cell(0, 0), u"plain");
    EXPECT_EQ(s.Cell(0, 1), u"");
    EXPECT_EQ(s.Cell(0, 2), u"rich");
    EXPECT_EQ(s.Cell(1, 0), u"a & b");
    EXPECT_EQ(s.Cell(1, 1), u"TRUE");
    EXPECT_EQ(s.Cell(1, 2), u"1.5");
    EXPECT_EQ(s.Cell(1, 3), u"") << "a shared string that does not exist";

    // What we write we read back.
    std::u16string copy = (dir.path() + "/copy.xlsx").toStdU16String();
    ASSERT_TRUE(ms::xlsx::Write(*book, copy, error));
    auto again = ms::xlsx::Read(copy, error);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->sheets[0].rows, s.rows);
}

// OOXML writes characters XML cannot carry as "_xHHHH_" (a carriage return as "_x000D_") and
// a literal "_x" that would read as one with its '_' as "_x005F_".
TEST(Workbook, CellEscapesAreDecoded) {
    QTemporaryDir dir;
    const char* shared =
        R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
        R"(<si><t>a_x000D_b</t></si><si><t>_x005F_x000D_</t></si></sst>)";
    const char* sheet =
        R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>)"
        R"(<c r="C1" t="inlineStr"><is><t>c_x0009_d</t></is></c>)"
        R"(<c r="D1" t="inlineStr"><is><t>_x00G0_ _x000D _X000D_</t></is></c>)"
        R"(<c r="E1" t="str"><v>e_x000A_</v></c></row></sheetData></worksheet>)";
    std::u16string error;
    auto book = ms::xlsx::Read(Write(dir, "esc.xlsx",
                                     {{"xl/workbook.xml", kWorkbook},
                                      {"xl/_rels/workbook.xml.rels", kRels},
                                      {"xl/sharedStrings.xml", shared},
                                      {"xl/worksheets/sheet1.xml", sheet}}),
                               error);
    ASSERT_TRUE(book.has_value());
    const ms::xlsx::Sheet& s = book->sheets[0];
    EXPECT_EQ(s.Cell(0, 0), u"a\rb");
    EXPECT_EQ(s.Cell(0, 1), u"_x000D_");
    EXPECT_EQ(s.Cell(0, 2), u"c\td");
    EXPECT_EQ(s.Cell(0, 3), u"_x00G0_ _x000D _X000D_") << "no escapes";
    EXPECT_EQ(s.Cell(0, 4), u"e\n");

    // What we write with line ends or text that looks like an escape reads back the same.
    ms::xlsx::Workbook out;
    out.sheets.push_back({u"Data", {}, {}});
    out.sheets[0].SetCell(0, 0, u"line 1\r\nline 2");
    out.sheets[0].SetCell(0, 1, u"_x000D_ stays as typed");
    const std::u16string path = (dir.path() + "/lines.xlsx").toStdU16String();
    ASSERT_TRUE(ms::xlsx::Write(out, path, error));
    auto again = ms::xlsx::Read(path, error);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->sheets[0].Cell(0, 0), u"line 1\r\nline 2");
    EXPECT_EQ(again->sheets[0].Cell(0, 1), u"_x000D_ stays as typed");
}

// A workbook cell holds 32,767 characters; a longer one (read from a file another program
// wrote) is refused with its row, and the old file stays.
TEST(Workbook, ACellLongerThanAWorkbookCellHoldsIsRefusedWithItsRow) {
    QTemporaryDir dir;
    const std::u16string path = (dir.path() + "/long.xlsx").toStdU16String();
    ms::xlsx::Workbook book;
    book.sheets.push_back({u"Data", {}, {}});
    book.sheets[0].SetCell(0, 0, u"short");
    book.sheets[0].SetCell(2, 1, std::u16string(32767, u'x'));
    std::u16string error;
    ASSERT_TRUE(ms::xlsx::Write(book, path, error))
        << QString::fromStdU16String(error).toStdString();
    QFile f(QString::fromStdU16String(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray old = f.readAll();
    f.close();

    book.sheets[0].SetCell(2, 1, std::u16string(32768, u'x'));
    EXPECT_FALSE(ms::xlsx::Write(book, path, error));
    EXPECT_NE(error.find(u"Row 3 "), std::u16string::npos)
        << QString::fromStdU16String(error).toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"long.xlsx"});
}

TEST(Workbook, ADamagedPackageIsRefusedWhole) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        std::vector<ms::ZipEntry> entries;
    };
    const Case cases[] = {
        {"nothing.xlsx", {{"other.xml", "<a/>"}}},
        {"badxml.xlsx", {{"xl/workbook.xml", "<workbook><sheets>"}}},
        {"nosheet.xlsx", {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRels}}},
        {"norels.xlsx", {{"xl/workbook.xml", kWorkbook}}},
        {"badsheet.xlsx",
         {{"xl/workbook.xml", kWorkbook},
          {"xl/_rels/workbook.xml.rels", kRels},
          {"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row>"}}},
    };
    for (const auto& c : cases) {
        std::u16string error;
        EXPECT_FALSE(ms::xlsx::Read(Write(dir, c.name, c.entries), error).has_value()) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
}

// A picture keeps its own size and shape in every reader: it is anchored at its top-left cell
// with its extent given (640 x 480 pixels at 96 dpi), not stretched between two cells whose
// widths a reader with another default font measures otherwise.
TEST(Workbook, APictureIsAnchoredAtOneCellWithItsOwnSize) {
    QTemporaryDir dir;
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "PNG"));
    ms::xlsx::Workbook book;
    book.sheets.resize(1);
    book.sheets[0].name = u"ExportData";
    book.sheets[0].rows = {{u"measuring objective", u"Length"}, {u"Line", u"L:1.000mm"}};
    book.sheets[0].pictures.push_back({0, 0, std::string(png.constData(), size_t(png.size()))});
    const std::u16string path = (dir.path() + "/picture.xlsx").toStdU16String();
    std::u16string error;
    ASSERT_TRUE(ms::xlsx::Write(book, path, error)) << std::string(error.begin(), error.end());

    const std::string file = (dir.path() + "/picture.xlsx").toStdString();
    const auto drawing = ms::ReadZipEntry(file, "xl/drawings/drawing1.xml");
    ASSERT_TRUE(drawing.has_value());
    EXPECT_EQ(drawing->find("twoCellAnchor"), std::string::npos) << *drawing;
    EXPECT_EQ(drawing->find("<xdr:to>"), std::string::npos) << *drawing;
    EXPECT_NE(drawing->find("<xdr:oneCellAnchor><xdr:from><xdr:col>0</xdr:col>"), std::string::npos)
        << *drawing;
    // The anchor's extent is the picture's frame, 4:3 like the picture.
    const size_t ext = drawing->find("</xdr:from><xdr:ext cx=\"");
    ASSERT_NE(ext, std::string::npos) << *drawing;
    const std::string extent = drawing->substr(ext + 20, drawing->find("/>", ext) - ext - 20);
    EXPECT_NE(drawing->find("<a:ext " + extent + "/>"), std::string::npos) << *drawing;
    long cx = 0, cy = 0;
    ASSERT_EQ(std::sscanf(extent.c_str(), "cx=\"%ld\" cy=\"%ld\"", &cx, &cy), 2) << extent;
    EXPECT_NEAR(double(cx) / double(cy), 4.0 / 3.0, 1e-4);
    EXPECT_NE(drawing->find("</xdr:oneCellAnchor>"), std::string::npos) << *drawing;

    // Read back: the table and the picture at A1.
    auto again = ms::xlsx::Read(path, error);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->sheets[0].rows, book.sheets[0].rows);
    ASSERT_EQ(again->sheets[0].pictures.size(), 1u);
    EXPECT_EQ(again->sheets[0].pictures[0].row, 0);
    EXPECT_EQ(again->sheets[0].pictures[0].column, 0);
    EXPECT_EQ(again->sheets[0].pictures[0].data, book.sheets[0].pictures[0].data);
}

} // namespace
