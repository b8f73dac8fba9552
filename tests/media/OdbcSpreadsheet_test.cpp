// The spreadsheet table over its two forms: the text form's exact bytes and backup copy, the
// workbook form through the data-access layer (read back with our workbook reader), values
// that hold quotes and apostrophes, row placement, and failures that leave the file as it was.
#include "media/OdbcSpreadsheet.h"

#include "platform/services/Workbook.h"
#include "platform/services/Zip.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Row = std::vector<CString>;

std::u16string U(const QString& s) {
    return s.toStdU16String();
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Utf16Le(const std::u16string& s) {
    QByteArray b;
    for (char16_t c : s) {
        b.append(char(c & 0xFF));
        b.append(char(c >> 8));
    }
    return b;
}

std::vector<std::vector<std::u16string>> SheetRows(const QString& path, const char16_t* sheet) {
    std::u16string error;
    auto book = ms::xlsx::Read(U(path), error);
    EXPECT_TRUE(book.has_value()) << CString(error).ToUtf8();
    if (!book)
        return {};
    ms::xlsx::Sheet* s = book->Find(sheet);
    EXPECT_NE(s, nullptr);
    return s ? s->rows : std::vector<std::vector<std::u16string>>{};
}

// One export as the commands make it: batch, headers once, rows appended, commit.
bool Export(const QString& path, const Row& headers, const std::vector<Row>& rows,
            CString* error = nullptr) {
    COdbcSpreadsheet sheet(CString(U(path)), u"ExportData", true);
    sheet.BeginBatch();
    sheet.AddHeaders(headers, false);
    for (const auto& r : rows)
        sheet.AddRow(r, 0, false);
    bool ok = sheet.Commit();
    if (error)
        *error = sheet.LastError();
    return ok;
}

class OdbcSpreadsheetTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.path() + "/" + name; }
    QTemporaryDir dir;
};

TEST_F(OdbcSpreadsheetTest, TheTextFormWritesUtf16LinesAndItsBackup) {
    QString csv = Path("t.csv");
    {
        COdbcSpreadsheet sheet(CString(U(csv)), u"ExportData", true);
        EXPECT_FALSE(sheet.IsExcel());
        EXPECT_EQ(sheet.LastError(), u"Error in opening file\n");
        sheet.BeginBatch();
        ASSERT_TRUE(sheet.AddHeaders({u"a", u"b"}, false));
        ASSERT_TRUE(sheet.AddRow({u"1", u"2"}, 0, false));
        EXPECT_FALSE(QFile::exists(csv)) << "nothing is written before the commit";
        ASSERT_TRUE(sheet.Commit());
    }
    EXPECT_FALSE(QFile::exists(csv + ".bak")) << "no backup of a file that did not exist";
    QByteArray want = Utf16Le(u"\"a\"ExportData\"b\"\n\"1\"ExportData\"2\"\n");
    EXPECT_EQ(Bytes(csv), want);

    COdbcSpreadsheet again(CString(U(csv)), u"ExportData", true);
    EXPECT_TRUE(again.BackupMade());
    EXPECT_EQ(Bytes(csv + ".bak"), want);
    Row values;
    ASSERT_TRUE(again.ReadRow(values, 0));
    EXPECT_EQ(values, (Row{u"a", u"b"}));
    ASSERT_TRUE(again.ReadRow(values, 0));
    EXPECT_EQ(values, (Row{u"1", u"2"}));
    EXPECT_FALSE(again.ReadRow(values, 0)) << "past the last row";
    EXPECT_EQ(again.LastError(), u"") << "the end of a sequential reading is no error";
    EXPECT_FALSE(again.ReadRow(values, 3));
    EXPECT_EQ(again.LastError(),
              u"Desired row is greater than total number of rows in spreadsheet\n");

    // A second export into the file keeps one header row and appends its rows.
    again.BeginBatch();
    EXPECT_FALSE(again.AddHeaders({u"a", u"b"}, false));
    EXPECT_EQ(again.LastError(), u"Duplicate header row field:a\n");
    ASSERT_TRUE(again.AddRow({u"3", u"4"}, 0, false));
    ASSERT_TRUE(again.Commit());
    EXPECT_EQ(Bytes(csv),
              Utf16Le(u"\"a\"ExportData\"b\"\n\"1\"ExportData\"2\"\n\"3\"ExportData\"4\"\n"));
}

TEST_F(OdbcSpreadsheetTest, TheFormFollowsTheExtension) {
    struct Case {
        const char* name;
        bool excel;
    };
    for (Case c : {Case{"r.xls", true}, Case{"R.XLS", true}, Case{"r.xlsx", true},
                   Case{"r.csv", false}, Case{"r.txt", false}, Case{"xls", false}}) {
        COdbcSpreadsheet sheet(CString(U(Path(c.name))), u"ExportData", true);
        EXPECT_EQ(sheet.IsExcel(), c.excel) << c.name;
    }
}

TEST_F(OdbcSpreadsheetTest, QuotesApostrophesAndSeparatorsInsideValuesSurvive) {
    const Row headers{u"name", u"value"};
    const std::vector<Row> rows = {
        {u"it's", u"say \"hi\""},
        {u"x\"ExportData\"y", u"\""},
        {u"a\",;.?\"b", u"''"},
        {u"µm²", u""},
    };
    for (const char* name : {"q.csv", "q.xlsx"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Export(Path(name), headers, rows));
        COdbcSpreadsheet back(CString(U(Path(name))), u"ExportData", false);
        Row values;
        ASSERT_TRUE(back.ReadRow(values, 1));
        EXPECT_EQ(values, headers);
        for (const auto& want : rows) {
            ASSERT_TRUE(back.ReadRow(values, 0));
            EXPECT_EQ(values, want);
        }
    }
}

TEST_F(OdbcSpreadsheetTest, AWorkbookIsWrittenReadBackAndBackedUpOnce) {
    QString xls = Path("report.xls");
    {
        COdbcSpreadsheet sheet(CString(U(xls)), u"ExportData", true);
        EXPECT_TRUE(sheet.IsExcel());
        EXPECT_FALSE(sheet.AddRow({u"1"}, 0, false));
        EXPECT_EQ(sheet.LastError(), u"No header row. Add header row first\n");
        sheet.BeginBatch();
        ASSERT_TRUE(sheet.AddHeaders({u"measuring objective", u"Length"}, false));
        ASSERT_TRUE(sheet.AddRow({u"Line", u"L:1.250mm"}, 0, false));
        EXPECT_FALSE(sheet.AddRow({u"a", u"b", u"c"}, 0, false));
        EXPECT_EQ(sheet.LastError(),
                  u"Number of columns to be added cannot be greater than the number of fields\n");
        ASSERT_TRUE(sheet.Commit()) << sheet.LastError().ToUtf8();
    }
    EXPECT_TRUE(ms::ReadZipEntry(xls.toStdString(), "xl/workbook.xml").has_value())
        << "an OOXML workbook, whatever the extension";
    using Cells = std::vector<std::vector<std::u16string>>;
    EXPECT_EQ(SheetRows(xls, u"ExportData"),
              (Cells{{u"measuring objective", u"Length"}, {u"Line", u"L:1.250mm"}}));

    // A second export: the old rows are kept in "SheetBackup", the new ones come below.
    {
        COdbcSpreadsheet sheet(CString(U(xls)), u"ExportData", true);
        EXPECT_TRUE(sheet.BackupMade());
        EXPECT_EQ(sheet.TotalRows(), 2);
        sheet.BeginBatch();
        EXPECT_FALSE(sheet.AddHeaders({u"measuring objective", u"Length"}, false));
        EXPECT_EQ(sheet.LastError(), u"Duplicate header row field:measuring objective\n");
        ASSERT_TRUE(sheet.AddRow({u"dot Line", u"L:2.000mm"}, 0, false));
        ASSERT_TRUE(sheet.Commit()) << sheet.LastError().ToUtf8();
    }
    EXPECT_EQ(SheetRows(xls, u"ExportData"), (Cells{{u"measuring objective", u"Length"},
                                                    {u"Line", u"L:1.250mm"},
                                                    {u"dot Line", u"L:2.000mm"}}));
    EXPECT_EQ(SheetRows(xls, u"SheetBackup"),
              (Cells{{u"measuring objective", u"Length"}, {u"Line", u"L:1.250mm"}}));

    // The backup sheet is made once: a third construction cannot make it again.
    QByteArray before = Bytes(xls);
    COdbcSpreadsheet third(CString(U(xls)), u"ExportData", true);
    EXPECT_FALSE(third.BackupMade());
    EXPECT_EQ(Bytes(xls), before) << "a failed backup writes nothing";
}

TEST_F(OdbcSpreadsheetTest, AFailedCommitLeavesTheOldWorkbookAsItWas) {
    QString xls = Path("keep.xlsx");
    ASSERT_TRUE(Export(xls, {u"a"}, {{u"1"}}));
    QByteArray before = Bytes(xls);
    // A sheet name the workbook format refuses fails at the commit.
    COdbcSpreadsheet sheet(CString(U(xls)), u"a sheet name far longer than any allowed", false);
    sheet.BeginBatch();
    ASSERT_TRUE(sheet.AddHeaders({u"a"}, false));
    ASSERT_TRUE(sheet.AddRow({u"2"}, 0, false));
    EXPECT_FALSE(sheet.Commit());
    EXPECT_FALSE(sheet.LastError().IsEmpty());
    EXPECT_EQ(Bytes(xls), before);

    // A text file cannot be created in a folder that does not exist.
    CString error;
    EXPECT_FALSE(Export(Path("missing/t.csv"), {u"a"}, {{u"1"}}, &error));
    EXPECT_EQ(error, u"Error writing file\n");
}

TEST_F(OdbcSpreadsheetTest, RewritingTheSheetKeepsItsPicture) {
    QString xls = Path("pic.xls");
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(Qt::green);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(img.save(&buffer, "PNG"));
    ms::xlsx::Workbook book;
    book.sheets.push_back({u"ExportData", {{u"a"}, {u"1"}}, {{0, 0, png.toStdString()}}});
    std::u16string error;
    ASSERT_TRUE(ms::xlsx::Write(book, U(xls), error));

    ASSERT_TRUE(Export(xls, {u"a"}, {{u"2"}}));
    auto back = ms::xlsx::Read(U(xls), error);
    ASSERT_TRUE(back.has_value());
    ms::xlsx::Sheet* sheet = back->Find(u"ExportData");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->rows, (std::vector<std::vector<std::u16string>>{{u"a"}, {u"1"}, {u"2"}}));
    ASSERT_EQ(sheet->pictures.size(), 1u);
    EXPECT_EQ(sheet->pictures[0].data, png.toStdString());
}

TEST_F(OdbcSpreadsheetTest, AFileThatIsNoWorkbookCannotBeOpened) {
    QFile f(Path("bad.xls"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a workbook");
    f.close();
    EXPECT_THROW(COdbcSpreadsheet(CString(U(f.fileName())), u"ExportData", true), CDBException);
    EXPECT_EQ(Bytes(f.fileName()), "not a workbook");
}

TEST_F(OdbcSpreadsheetTest, RowsArePlacedByNumber) {
    struct Case {
        const char* name;
        const char16_t* empty; // the text of an empty cell when read back
    };
    for (Case c : {Case{"p.csv", u""}, Case{"p.xls", u" "}}) {
        SCOPED_TRACE(c.name);
        COdbcSpreadsheet sheet(CString(U(Path(c.name))), u",", false);
        ASSERT_TRUE(sheet.AddHeaders({u"h1", u"h2"}, false));
        ASSERT_TRUE(sheet.AddRow({u"a", u"1"}, 0, false));
        ASSERT_TRUE(sheet.AddRow({u"d", u"4"}, 5, false)); // three past the last row
        ASSERT_TRUE(sheet.AddRow({u"b", u"2"}, 3, false)); // inserted before row 3
        ASSERT_TRUE(sheet.AddRow({u"B", u"2"}, 3, true));  // replaces it
        EXPECT_EQ(sheet.TotalRows(), 6);

        COdbcSpreadsheet back(CString(U(Path(c.name))), u",", false);
        std::vector<Row> want = {{u"h1", u"h2"},     {u"a", u"1"},       {u"B", u"2"},
                                 {c.empty, c.empty}, {c.empty, c.empty}, {u"d", u"4"}};
        Row values;
        for (size_t r = 0; r < want.size(); ++r) {
            ASSERT_TRUE(back.ReadRow(values, LONG(r + 1)));
            EXPECT_EQ(values, want[r]) << "row " << r + 1;
        }
    }
}

} // namespace
