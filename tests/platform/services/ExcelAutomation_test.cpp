// The spreadsheet application's stand-in as the export drives it: open the workbook, select
// worksheet 1, remove its pictures, insert a picture at A1, save, quit; read back from the
// file. The cells stay, one picture stands at A1 after every export, and failures throw.
#include "platform/services/ExcelAutomation.h"
#include "platform/services/Workbook.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace ms::excel;

class ExcelAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::xlsx::Workbook book;
        book.sheets.push_back(
            {u"ExportData", {{u"measuring objective", u"Length"}, {u"Line", u"L:1.250mm"}}, {}});
        book.sheets.push_back({u"SheetBackup", {{u"a"}}, {}});
        path = (dir.path() + "/r.xls").toStdU16String();
        std::u16string error;
        ASSERT_TRUE(ms::xlsx::Write(book, path, error));
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::blue);
        picture = (dir.path() + "/10000.bmp").toStdU16String();
        ASSERT_TRUE(img.save(QString::fromStdU16String(picture), "BMP"));
    }
    // The export's calls, in its order.
    void InsertPictureAtA1() {
        auto app = Application::Create();
        ASSERT_TRUE(app);
        app->SetDisplayAlerts(false);
        app->SetUserControl(false);
        auto books = app->GetWorkbooks();
        auto book = books->Open(path);
        auto sheets = book->GetWorksheets();
        ASSERT_EQ(sheets->Count(), 2);
        EXPECT_EQ(sheets->Item(2)->Name(), u"SheetBackup");
        sheets->Item(1)->Select();
        auto active = book->GetActiveSheet();
        auto pictures = active->GetPictures();
        pictures->Cut();
        active->GetRange(u"A1", u"A1")->Select();
        pictures->Insert(picture)->GetBorder()->SetWeight(2);
        active->GetRange(u"A1", u"A1")->Show();
        book->Save();
        books->Close();
        app->Quit();
    }
    ms::xlsx::Workbook ReadBack() {
        std::u16string error;
        auto book = ms::xlsx::Read(path, error);
        EXPECT_TRUE(book.has_value());
        return book.value_or(ms::xlsx::Workbook{});
    }

    QTemporaryDir dir;
    std::u16string path, picture;
};

TEST_F(ExcelAutomationTest, APictureStandsAtA1OnceAfterEveryExport) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        InsertPictureAtA1();
        ms::xlsx::Workbook book = ReadBack();
        ASSERT_EQ(book.sheets.size(), 2u);
        const auto& sheet = book.sheets[0];
        EXPECT_EQ(sheet.Cell(1, 1), u"L:1.250mm");
        ASSERT_EQ(sheet.pictures.size(), 1u);
        EXPECT_EQ(sheet.pictures[0].row, 0);
        EXPECT_EQ(sheet.pictures[0].column, 0);
        QImage shown;
        ASSERT_TRUE(shown.loadFromData(QByteArray::fromStdString(sheet.pictures[0].data)));
        EXPECT_EQ(shown.size(), QSize(40, 30));
        EXPECT_EQ(shown.pixelColor(3, 3), QColor(Qt::blue));
        EXPECT_TRUE(book.sheets[1].pictures.empty());
    }
}

TEST_F(ExcelAutomationTest, RejectedCallsThrowAndLeaveTheFile) {
    ms::test::FailNextAutomationCreate(u"Excel.Application");
    EXPECT_EQ(Application::Create(), nullptr);

    auto app = Application::Create();
    ASSERT_TRUE(app);
    auto books = app->GetWorkbooks();
    EXPECT_THROW(books->Open((dir.path() + "/missing.xls").toStdU16String()), ms::AutomationError);
    auto book = books->Open(path);
    EXPECT_THROW(book->GetWorksheets()->Item(3), ms::AutomationError);
    EXPECT_THROW(book->GetActiveSheet()->GetRange(u"A0", u"A1"), ms::AutomationError);
    EXPECT_THROW(book->GetActiveSheet()->GetPictures()->Insert(path), ms::AutomationError)
        << "a workbook is no picture";
    app->Quit();
    EXPECT_THROW(book->Save(), ms::AutomationError) << "quitting closes the workbook unsaved";
    EXPECT_THROW(app->GetWorkbooks(), ms::AutomationError);
    EXPECT_TRUE(ReadBack().sheets[0].pictures.empty());
}

} // namespace
