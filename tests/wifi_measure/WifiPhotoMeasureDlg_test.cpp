// The Photo Measure dialog: its layout and fields for a picture and a magnification with a
// stored calibration, a tool chosen from the popup measuring with that calibration, a
// calibration on the canvas stored and handed to the main window, printing without a printer,
// and the empty dialog of a picture that does not load.
#include "wifi_measure/WifiPhotoMeasureDlg.h"

#include "wifi_measure/MeasureItem.h"
#include "wifi_measure/StillMessages.h"

#include "tests/wifi_measure/PictureFixture.h"

#include "imaging/DibImage.h"
#include "measure/IniTextFile.h"
#include "measure/InputDlgs.h"
#include "platform/services/PrinterService.h"
#include "res/WavenorResource.h"

#include <QImage>
#include <QProcess>

#include <fstream>

namespace {

using namespace mstest;
namespace fs = std::filesystem;

RECT WindowRectOf(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

class PhotoMeasureDlgTest : public PictureViewTest {
protected:
    void SetUp() override {
        PictureViewTest::SetUp();
        CanvasItemStore().DeleteAll();
        g_canvasViewMode = 1;
        g_canvasCalibrating = 0;
        g_calibratedZoom = 0.0;
        g_zoomScale = 1.0;
        ini_ = program_ / "CalibrationIni.ini";
        std::ofstream(ini_) << "[60.0]\r\n60.0=50.0\r\n";
    }
    void TearDown() override {
        CanvasItemStore().DeleteAll();
        PictureViewTest::TearDown();
    }
    std::u16string Picture(const char* name, int width, int height) {
        return PictureViewTest::Picture(name, width, height, RGB(10, 200, 30));
    }
    // The dialog as the main window opens it, run modally with `script` while it shows.
    void Run(const std::u16string& picture, std::function<void(CWifiPhotoMeasureDlg&)> script) {
        CWifiPhotoMeasureDlg dialog(&host_);
        dialog.m_picturePath = picture.c_str();
        dialog.m_magnificationText = u"60.0";
        dialog.m_calibIniPath = ms::FromUtf8(ini_.string()).c_str();
        dialog.m_printFolder = ms::FromUtf8(program_.string()).c_str();
        dialog.m_calibrationZoom = &calibrationZoom_;
        dialog.SetMainWindow(host_.m_hWnd);
        ms::test::AnswerDialog(IDD_WIFI_PHOTO_MEASURE, [&](HWND) { script(dialog); });
        dialog.DoModal();
    }
    void Click(HWND canvas, int x, int y) {
        SendMessage(canvas, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        SendMessage(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessage(canvas, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    fs::path ini_;
    double calibrationZoom_ = 0.0;
};

TEST_F(PhotoMeasureDlgTest, TheStoredCalibrationOfTheMagnificationMeasuresTheLine) {
    Run(Picture("p.png", 640, 480), [&](CWifiPhotoMeasureDlg& d) {
        EXPECT_EQ(Text(d.m_hWnd, IDC_WPM_MAGNIFICATION), u"60.0");
        EXPECT_EQ(Text(d.m_hWnd, IDC_WPM_CALIBRATED), u"50.0");
        const RECT window = WindowRectOf(d.m_hWnd);
        EXPECT_EQ(window.right - window.left, 647);
        EXPECT_EQ(window.bottom - window.top, 543);
        ASSERT_NE(d.Canvas(), nullptr);
        CRect canvas;
        d.Canvas()->GetClientRect(&canvas);
        EXPECT_EQ(canvas.Width(), 640);
        EXPECT_EQ(canvas.Height(), 480);
        // The Measure popup offers the nine tools; the line is chosen from it.
        ms::test::ChoosePopupCommand(ID_WPM_TOOL_LINE);
        Press(d.m_hWnd, IDC_WPM_MEASURE);
        ASSERT_FALSE(ms::test::ShownMenus().empty());
        EXPECT_EQ(ms::test::ShownMenus().back().items.size(), 12u); // nine tools, three separators
        EXPECT_EQ(Text(d.m_hWnd, IDC_WPM_TOOL_NAME), u"Line");
        EXPECT_DOUBLE_EQ(g_zoomScale, 50.0);
        const HWND c = d.Canvas()->m_hWnd;
        Click(c, 100, 100);
        Click(c, 400, 100);
        Click(c, 420, 120);
        MeasureStore::Lock lock(CanvasItemStore());
        ASSERT_EQ(lock.Shapes().GetSize(), 1);
        EXPECT_EQ(std::u16string(lock.Shapes()[0]->m_labels[0].GetString()), u"L:3.830mm");
    });
    // Closing the dialog discards its measurements.
    MeasureStore::Lock lock(CanvasItemStore());
    EXPECT_TRUE(lock.Shapes().IsEmpty());
}

TEST_F(PhotoMeasureDlgTest, ACalibrationOnTheCanvasIsShownStoredAndHandedToTheMainWindow) {
    Run(Picture("p.png", 640, 480), [&](CWifiPhotoMeasureDlg& d) {
        Press(d.m_hWnd, IDC_WPM_CALIBRATION);
        EXPECT_EQ(g_canvasCalibrating, 1);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.m_hWnd, IDC_WPM_CALIBRATION)));
        ms::test::AnswerDialog(IDD_WIFI_CALIBRATION, [](HWND dialog) {
            SetDlgItemText(dialog, IDC_WC_DISTANCE, u"2");
            SendMessage(dialog, WM_COMMAND, IDOK, 0);
        });
        const HWND c = d.Canvas()->m_hWnd;
        Click(c, 100, 100);
        Click(c, 400, 100); // 300 px: 300 x 0.0638297 x 10 / 2 = 95.74
        Pump();
        Click(c, 420, 120);
        EXPECT_EQ(Text(d.m_hWnd, IDC_WPM_CALIBRATED), u"95.7");
        EXPECT_EQ(g_canvasCalibrating, 0);
    });
    Pump();
    EXPECT_NEAR(g_calibratedZoom, 95.744680851, 1e-6);
    EXPECT_DOUBLE_EQ(calibrationZoom_, 60.0); // made under the magnification typed
    CString stored;
    ASSERT_TRUE(ReadCalibration(ms::FromUtf8(ini_.string()).c_str(), u"60.0", stored));
    EXPECT_NEAR(LeadingNumber(stored), 95.744680851, 1e-6);
    EXPECT_EQ(host_.stored, 1);
}

TEST_F(PhotoMeasureDlgTest, MaximisingAsksForUnsavedMeasurementsAndRebuildsTheCanvasAtActualSize) {
    Run(Picture("p.png", 640, 480), [&](CWifiPhotoMeasureDlg& d) {
        SendMessage(d.m_hWnd, WM_COMMAND, ID_WPM_TOOL_LINE, 0);
        const HWND c = d.Canvas()->m_hWnd;
        Click(c, 100, 100);
        Click(c, 300, 100);
        Click(c, 320, 120);
        // Any other change of size (the window manager's) keeps the canvas and its items.
        SetWindowPos(d.m_hWnd, nullptr, 0, 0, 700, 560, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(d.Canvas()->m_hWnd, c);
        EXPECT_TRUE(d.Canvas()->HasItems());
        // Yes saves instead (the save is cancelled here) and the window stays as it is.
        ms::test::AnswerMessageBox(IDYES);
        ms::test::CancelCommonDialog();
        SendMessage(d.m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        EXPECT_FALSE(IsZoomed(d.m_hWnd));
        EXPECT_EQ(d.Canvas()->m_hWnd, c);
        // No lets it go: a new canvas at actual size, without the old measurements.
        ms::test::AnswerMessageBox(IDNO);
        SendMessage(d.m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        Pump();
        EXPECT_EQ(g_canvasViewMode, 2);
        ASSERT_NE(d.Canvas(), nullptr);
        EXPECT_FALSE(d.Canvas()->HasItems());
        EXPECT_TRUE(d.Canvas()->HasPicture());
    });
    EXPECT_EQ(MessageBoxes(),
              (std::vector<std::u16string>{u"Save changes to...", u"Save changes to..."}));
    g_canvasViewMode = 1;
}

TEST_F(PhotoMeasureDlgTest, TheTextButtonAddsAnAnnotationThatAClickSets) {
    Run(Picture("p.png", 640, 480), [&](CWifiPhotoMeasureDlg& d) {
        const HWND c = d.Canvas()->m_hWnd;
        ms::test::AnswerDialog(IDD_WIFI_TEXT, [](HWND dialog) {
            SetDlgItemText(dialog, IDC_WT_EDIT, u"Sample 1");
            SendMessage(dialog, WM_COMMAND, IDOK, 0);
        });
        Press(d.m_hWnd, IDC_WPM_TEXT);
        SendMessage(c, WM_MOUSEMOVE, 0, MAKELPARAM(200, 150));
        Click(c, 200, 150);
        MeasureStore::Lock lock(CanvasItemStore());
        ASSERT_EQ(lock.Shapes().GetSize(), 1);
        const CMeasureRecord& text = *lock.Shapes()[0];
        EXPECT_EQ(text.m_kind, 4);
        EXPECT_EQ(std::u16string(text.m_labels[0].GetString()), u"Sample 1");
        EXPECT_EQ(text.m_points[0].x, 200);
        EXPECT_EQ(text.m_points[1].y, 210);
    });
}

TEST_F(PhotoMeasureDlgTest, PrintingGivesOnePageThatShowsThePictureOverThePrintableArea) {
    const fs::path pdf = program_ / "printed.pdf";
    ms::test::PrintToPdf(ms::FromUtf8(pdf.string()), 50);
    Run(Picture("p.png", 640, 480),
        [&](CWifiPhotoMeasureDlg& d) { Press(d.m_hWnd, IDC_WPM_PRINT); });
    EXPECT_TRUE(MessageBoxes().empty());
    ASSERT_EQ(ms::test::PrintedDocuments().size(), 1u);
    EXPECT_TRUE(ms::test::PrintedDocuments()[0].ok);
    EXPECT_EQ(ms::test::PrintedDocuments()[0].pages, 1);
    EXPECT_EQ(ms::test::PrintedDocuments()[0].name,
              ms::FromUtf8((program_ / "print.bmp").string()));
    QProcess::execute("pdftoppm", {"-r", "20", "-png", QString::fromStdString(pdf.string()),
                                   QString::fromStdString((program_ / "page").string())});
    const QImage page(QString::fromStdString((program_ / "page-1.png").string()));
    ASSERT_FALSE(page.isNull());
    EXPECT_FALSE(fs::exists(program_ / "page-2.png"));
    // The picture's green fills the page's middle.
    const QRgb middle = page.pixel(page.width() / 2, page.height() / 2);
    EXPECT_LT(std::abs(qRed(middle) - 10), 40);
    EXPECT_LT(std::abs(qGreen(middle) - 200), 40);
    EXPECT_LT(std::abs(qBlue(middle) - 30), 40);
}

TEST_F(PhotoMeasureDlgTest, WithoutAPrinterTheMessageShowsAndPrintBmpStaysBehind) {
    ms::test::PrintWithoutPrinter();
    Run(Picture("p.png", 640, 480),
        [&](CWifiPhotoMeasureDlg& d) { Press(d.m_hWnd, IDC_WPM_PRINT); });
    EXPECT_EQ(MessageBoxes(), (std::vector<std::u16string>{u"No printer found!"}));
    CDibImage copy(ms::FromUtf8((program_ / "print.bmp").string()).c_str(), DIBIMAGE_TYPE_BMP);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.GetWidth(), 640u);
    EXPECT_EQ(copy.GetHeight(), 480u);
    // The file itself is 24-bit: its header's bit count.
    std::ifstream file(program_ / "print.bmp", std::ios::binary);
    char header[30] = {};
    file.read(header, sizeof header);
    EXPECT_EQ(
        static_cast<unsigned char>(header[28]) | (static_cast<unsigned char>(header[29]) << 8), 24);
}

TEST_F(PhotoMeasureDlgTest, AJobThePrinterRefusesIsSaid) {
    // The printer's output cannot be written: the job fails at its end.
    ms::test::PrintToPdf(ms::FromUtf8((program_ / "missing" / "printed.pdf").string()), 50);
    Run(Picture("p.png", 640, 480),
        [&](CWifiPhotoMeasureDlg& d) { Press(d.m_hWnd, IDC_WPM_PRINT); });
    EXPECT_EQ(MessageBoxes(), (std::vector<std::u16string>{u"Print failed!"}));
    ASSERT_EQ(ms::test::PrintedDocuments().size(), 1u);
    EXPECT_FALSE(ms::test::PrintedDocuments()[0].ok);
}

TEST_F(PhotoMeasureDlgTest, APictureThatDoesNotLoadShowsTheEmptyDialogWhoseCommandsDoNothing) {
    std::ofstream(program_ / "broken.png") << "not a picture";
    Run(ms::FromUtf8((program_ / "broken.png").string()), [&](CWifiPhotoMeasureDlg& d) {
        EXPECT_EQ(d.Canvas(), nullptr);
        EXPECT_TRUE(IsWindowVisible(d.m_hWnd));
        for (int id : {IDC_WPM_OPEN, IDC_WPM_SAVE, IDC_WPM_SELECT, IDC_WPM_TEXT, IDC_WPM_DELETE,
                       IDC_WPM_MOVE, IDC_WPM_CALIBRATION})
            Press(d.m_hWnd, id);
        SendMessage(d.m_hWnd, WM_COMMAND, ID_WPM_TOOL_LINE, 0);
        EXPECT_EQ(g_canvasCalibrating, 0);
        EXPECT_EQ(Text(d.m_hWnd, IDC_WPM_CALIBRATED), u"");
    });
    EXPECT_TRUE(MessageBoxes().empty());
    EXPECT_TRUE(ms::test::ShownCommonDialogs().empty());
    for (const ms::test::Shown& s : ms::test::ShownLog())
        EXPECT_EQ(s.templateId, static_cast<UINT>(IDD_WIFI_PHOTO_MEASURE));
}

} // namespace
