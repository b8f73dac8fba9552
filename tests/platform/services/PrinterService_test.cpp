// The printer service: a picture printed through PrintDlg's DC lands on the one page of the PDF
// the default printer writes to; the job calls keep their order and an aborted job prints
// nothing; without a printer PrintDlg fails; the default printer stays what it was.
#include "platform/services/PrinterService.h"
#include "platform/win/core/Handle.h"
#include "platform/win/dialogs/CommDlg.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/Printing.h"
#include "platform/win/window/TestSeams.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string U(const QString& s) {
    return s.toStdU16String();
}

class PrinterServiceTest : public ::testing::Test {
protected:
    void TearDown() override { ms::test::ResetSeams(); }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    // The default printer's DC, or null.
    static HDC PrinterDC() {
        PRINTDLG pd{};
        pd.lStructSize = sizeof pd;
        pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
        return PrintDlg(&pd) ? pd.hDC : nullptr;
    }

    static std::u16string DefaultPrinter() {
        WCHAR name[260];
        DWORD size = 260;
        return GetDefaultPrinter(name, &size) ? std::u16string(name) : u"(none)";
    }

    // The PDF's pages rendered at `dpi`, first page first.
    std::vector<QImage> Pages(const QString& pdf, int dpi = 20) const {
        const QString prefix = Path("page");
        QProcess::execute("pdftoppm", {"-r", QString::number(dpi), "-png", pdf, prefix});
        std::vector<QImage> pages;
        const QStringList files =
            QDir(dir_.path()).entryList({"page-*.png"}, QDir::Files, QDir::Name);
        for (const QString& f : files)
            pages.emplace_back(dir_.filePath(f));
        return pages;
    }

    QTemporaryDir dir_;
};

// Compares colours with the room a rendered and resampled page needs.
bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40;
}

TEST_F(PrinterServiceTest, APictureStretchedOverThePrintableAreaFillsTheOnePdfPage) {
    const QString pdf = Path("out.pdf");
    ms::test::PrintToPdf(U(pdf), 100);
    const std::u16string before = DefaultPrinter();
    EXPECT_EQ(before, u"PDF");

    // A 24-bit BMP of four coloured quarters, loaded as the photo-measure dialog loads it.
    QImage picture(64, 48, QImage::Format_RGB888);
    const QRgb quarters[4] = {qRgb(255, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            picture.setPixel(x, y, quarters[(y >= 24) * 2 + (x >= 32)]);
    const QString bmp = Path("print.bmp");
    ASSERT_TRUE(picture.save(bmp, "BMP"));
    const std::u16string bmpPath = U(bmp);

    HDC printer = PrinterDC();
    ASSERT_NE(printer, nullptr);
    const int width = GetDeviceCaps(printer, HORZRES), height = GetDeviceCaps(printer, VERTRES);
    EXPECT_EQ(GetDeviceCaps(printer, LOGPIXELSX), 100);
    // A4 at 100 dpi is 826 x 1169 pixels; the printable area lies inside it.
    EXPECT_EQ(GetDeviceCaps(printer, PHYSICALWIDTH), 826);
    EXPECT_EQ(GetDeviceCaps(printer, PHYSICALHEIGHT), 1169);
    EXPECT_GT(width, 700);
    EXPECT_GT(height, 1000);
    const int ox = GetDeviceCaps(printer, PHYSICALOFFSETX);
    const int oy = GetDeviceCaps(printer, PHYSICALOFFSETY);
    EXPECT_LE(ox + width, 826);
    EXPECT_LE(oy + height, 1169);

    DOCINFO doc{sizeof(DOCINFO), bmpPath.c_str(), nullptr, nullptr, 0};
    ASSERT_GT(StartDoc(printer, &doc), 0);
    ASSERT_GT(StartPage(printer), 0);
    auto bitmap = static_cast<HBITMAP>(LoadImage(nullptr, bmpPath.c_str(), IMAGE_BITMAP, 0, 0,
                                                 LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    HDC memory = CreateCompatibleDC(printer);
    SetMapMode(memory, GetMapMode(printer));
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetStretchBltMode(printer, HALFTONE);
    EXPECT_TRUE(StretchBlt(printer, 0, 0, width, height, memory, 0, 0, 64, 48, SRCCOPY));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    EXPECT_GT(EndPage(printer), 0);
    EXPECT_GT(EndDoc(printer), 0);
    DeleteDC(printer);

    ASSERT_EQ(ms::test::PrintedDocuments().size(), 1u);
    EXPECT_EQ(ms::test::PrintedDocuments()[0].name, bmpPath);
    EXPECT_EQ(ms::test::PrintedDocuments()[0].pages, 1);
    EXPECT_TRUE(ms::test::PrintedDocuments()[0].ok);

    const std::vector<QImage> pages = Pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    const QImage& page = pages[0];
    // The middle of each quarter of the printable area shows that quarter's colour.
    const double sx = page.width() / 826.0, sy = page.height() / 1169.0;
    for (int q = 0; q < 4; ++q) {
        const double x = (q % 2 ? 0.75 : 0.25) * width, y = (q / 2 ? 0.75 : 0.25) * height;
        const QPoint at(static_cast<int>((ox + x) * sx), static_cast<int>((oy + y) * sy));
        EXPECT_TRUE(Near(page.pixel(at), quarters[q]))
            << "quarter " << q << " " << std::hex << page.pixel(at);
    }

    // The default printer is the one it was; another cannot be made the default from here.
    EXPECT_EQ(DefaultPrinter(), before);
    EXPECT_FALSE(SetDefaultPrinter(u"No Such Printer"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
    EXPECT_TRUE(SetDefaultPrinter(before.c_str()));
    EXPECT_EQ(DefaultPrinter(), before);
}

TEST_F(PrinterServiceTest, JobCallsKeepTheirOrderEachPageStartsWhiteAndAnAbortPrintsNothing) {
    const QString pdf = Path("job.pdf");
    ms::test::PrintToPdf(U(pdf), 50);
    HDC printer = PrinterDC();
    ASSERT_NE(printer, nullptr);
    DOCINFO doc{sizeof(DOCINFO), u"job", nullptr, nullptr, 0};

    // Out of order: refused, and nothing changes.
    EXPECT_EQ(StartPage(printer), SP_ERROR);
    EXPECT_EQ(EndPage(printer), SP_ERROR);
    EXPECT_EQ(EndDoc(printer), SP_ERROR);
    EXPECT_EQ(AbortDoc(printer), SP_ERROR);
    EXPECT_EQ(StartDoc(printer, nullptr), SP_ERROR);
    const int job = StartDoc(printer, &doc);
    EXPECT_GT(job, 0);
    EXPECT_EQ(StartDoc(printer, &doc), SP_ERROR);
    EXPECT_EQ(EndPage(printer), SP_ERROR);
    ASSERT_GT(StartPage(printer), 0);
    EXPECT_EQ(StartPage(printer), SP_ERROR);
    EXPECT_EQ(EndDoc(printer), SP_ERROR); // a page is open
    const int w = GetDeviceCaps(printer, HORZRES), h = GetDeviceCaps(printer, VERTRES);
    EXPECT_TRUE(PatBlt(printer, 0, 0, w, h, BLACKNESS));
    EXPECT_GT(EndPage(printer), 0);
    // Dropped: no file, no document.
    EXPECT_GT(AbortDoc(printer), 0);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(ms::test::PrintedDocuments().empty());

    // Two pages: the first black, the second left as StartPage made it.
    ASSERT_GT(StartDoc(printer, &doc), job);
    ASSERT_GT(StartPage(printer), 0);
    PatBlt(printer, 0, 0, w, h, BLACKNESS);
    ASSERT_GT(EndPage(printer), 0);
    ASSERT_GT(StartPage(printer), 0);
    ASSERT_GT(EndPage(printer), 0);
    ASSERT_GT(EndDoc(printer), 0);
    const std::vector<QImage> pages = Pages(pdf);
    ASSERT_EQ(pages.size(), 2u);
    const QPoint middle(pages[0].width() / 2, pages[0].height() / 2);
    EXPECT_TRUE(Near(pages[0].pixel(middle), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(pages[1].pixel(middle), qRgb(255, 255, 255)));

    // The DC going in the middle of a document prints nothing.
    QFile::remove(pdf);
    ASSERT_GT(StartDoc(printer, &doc), 0);
    ASSERT_GT(StartPage(printer), 0);
    ASSERT_GT(EndPage(printer), 0);
    EXPECT_TRUE(DeleteDC(printer));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(ms::test::PrintedDocuments().size(), 1u);

    // Only a printer's DC takes a job.
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(StartDoc(memory, &doc), SP_ERROR);
    EXPECT_EQ(StartPage(memory), SP_ERROR);
    DeleteDC(memory);
    EXPECT_EQ(StartDoc(nullptr, &doc), SP_ERROR);
}

TEST_F(PrinterServiceTest, AFileThatCannotBeWrittenFailsTheDocument) {
    ms::test::PrintToPdf(U(Path("no-such-folder/out.pdf")), 50);
    HDC printer = PrinterDC();
    ASSERT_NE(printer, nullptr);
    DOCINFO doc{sizeof(DOCINFO), u"job", nullptr, nullptr, 0};
    ASSERT_GT(StartDoc(printer, &doc), 0);
    ASSERT_GT(StartPage(printer), 0);
    ASSERT_GT(EndPage(printer), 0);
    EXPECT_EQ(EndDoc(printer), SP_ERROR);
    ASSERT_EQ(ms::test::PrintedDocuments().size(), 1u);
    EXPECT_FALSE(ms::test::PrintedDocuments()[0].ok);

    // A document with an output file of its own goes there.
    const std::u16string own = U(Path("own.pdf"));
    DOCINFO toFile{sizeof(DOCINFO), u"job", own.c_str(), nullptr, 0};
    ASSERT_GT(StartDoc(printer, &toFile), 0);
    ASSERT_GT(StartPage(printer), 0);
    ASSERT_GT(EndPage(printer), 0);
    EXPECT_GT(EndDoc(printer), 0);
    EXPECT_TRUE(QFile::exists(Path("own.pdf")));
    DeleteDC(printer);
}

TEST_F(PrinterServiceTest, WithoutAPrinterPrintDlgAndTheDefaultPrinterFail) {
    ms::test::PrintWithoutPrinter();
    PRINTDLG pd{};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    EXPECT_FALSE(PrintDlg(&pd));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(PDERR_NODEFAULTPRN));
    EXPECT_EQ(pd.hDC, nullptr);
    WCHAR name[260];
    DWORD size = 260;
    EXPECT_FALSE(GetDefaultPrinter(name, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SetDefaultPrinter(u"PDF"));

    // A short buffer is told the size it needs.
    ms::test::PrintToPdf(U(Path("x.pdf")));
    size = 2;
    EXPECT_FALSE(GetDefaultPrinter(name, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, 4u);

    // The redirect ends with the test's seams: without the service installed there is no
    // printer again.
    ms::test::ResetSeams();
    EXPECT_FALSE(PrintDlg(&pd));
}

} // namespace
