// The photo-measure window: opening per picture size with the magnification and its
// calibration, the magnification check of the tool commands, the calibration hand-over, the
// window-size commands with two windows open, closing, Save As and the picture operations.
#include "measure/PhotoMeasureDlg.h"

#include "tests/measure/DialogFixture.h"

#include "imaging/DibImage.h"
#include "measure/Units.h"
#include "platform/win/core/Files.h"
#include "res/TessaryResource.h"

#include "platform/win/dialogs/DialogSeams.h"
#include "tests/support/Mouse.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace mstest;

// The main window's stand-in: it counts the calibration messages of the photo-measure windows.
class MainStandIn : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_APP_SYNC_CALIBRATION)
            ++synced;
        return CWnd::WindowProc(msg, wp, lp);
    }
    int synced = 0;
};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<BYTE> Pixels(const CDibImage& image) {
    const BYTE* bits = image.GetBits();
    return std::vector<BYTE>(bits, bits + image.GetRowStride() * image.GetHeight());
}

class PhotoMeasureTest : public MeasureDialogTest {
protected:
    void SetUp() override {
        MeasureDialogTest::SetUp();
        g_zoomScale = 1.0;
        g_calibratedZoom = 0.0;
        g_calibMagnificationText[0] = 0;
        ASSERT_TRUE(main_.CreateEx(0, nullptr, u"main", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700,
                                   nullptr, nullptr));
    }
    void TearDown() override {
        for (HWND w : windows_)
            if (::IsWindow(w))
                ::DestroyWindow(w);
        Pump();
        main_.DestroyWindow();
        MeasureDialogTest::TearDown();
    }
    // A picture of the size in the program folder, grey with a darker left half.
    std::u16string Picture(const char* name, int width, int height,
                           DWORD type = DIBIMAGE_TYPE_BMP) {
        CDibImage image(static_cast<DWORD>(width), static_cast<DWORD>(height), 24);
        image.Clear(120);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width / 2; ++x)
                image.SetPixelColor(x, y, RGB(40, 60, 80));
        const std::u16string path = ms::FromUtf8((program_ / name).string());
        EXPECT_TRUE(image.SaveToFile(path.c_str(), type));
        return path;
    }
    void WriteCalibration(const char* text) {
        std::ofstream(program_ / "CalibrationIni.ini", std::ios::binary) << text;
    }
    CPhotoMeasureDlg& Open(const std::u16string& path) {
        CPhotoMeasureDlg* w = CPhotoMeasureDlg::Open(CString(path.c_str()), &main_, main_.m_hWnd);
        EXPECT_NE(w, nullptr);
        windows_.push_back(w->m_hWnd);
        Pump();
        return *w;
    }
    // Chooses `command` in the menu that the button opens.
    static void Choose(CPhotoMeasureDlg& w, int button, UINT command) {
        ms::test::ChoosePopupCommand(command);
        Press(w.m_hWnd, button);
    }
    static CSize ClientSize(HWND hwnd) {
        RECT r;
        ::GetClientRect(hwnd, &r);
        return CSize(r.right - r.left, r.bottom - r.top);
    }
    static CSize WindowSize(HWND hwnd) {
        RECT r;
        ::GetWindowRect(hwnd, &r);
        return CSize(r.right - r.left, r.bottom - r.top);
    }
    static void AddShape(CPhotoMeasureDlg& w, const char16_t* text) {
        w.Canvas()->m_textPos = CPoint(20, 20);
        w.Canvas()->AddText(text);
    }

    MainStandIn main_;
    std::vector<HWND> windows_;
};

TEST_F(PhotoMeasureTest, EachCaptureSizeOpensWithItsLayoutMagnificationAndCalibration) {
    // Lookups never rewrite the file (its LF line ends stay).
    WriteCalibration("[200]\n200=187.5\n");
    const struct {
        int width, height;
        CSize window, canvas;
    } cases[] = {
        {320, 240, {646, 546}, {640, 480}},    {640, 480, {646, 546}, {640, 480}},
        {1280, 960, {646, 546}, {640, 480}},   {1280, 1024, {647, 578}, {640, 512}},
        {1600, 1200, {646, 546}, {640, 480}},
    };
    int n = 0;
    CPhotoMeasureDlg* large = nullptr;
    for (const auto& c : cases) {
        const std::string name = "Sample_200X_0" + std::to_string(++n) + ".bmp";
        CPhotoMeasureDlg& w = Open(Picture(name.c_str(), c.width, c.height));
        ASSERT_NE(w.Canvas(), nullptr) << c.width;
        EXPECT_EQ(WindowSize(w.m_hWnd), c.window) << c.width;
        EXPECT_EQ(WindowSize(w.Canvas()->m_hWnd), c.canvas) << c.width;
        EXPECT_EQ(Text(w.m_hWnd, IDC_PHOTO_MAGNIFICATION), u"200");
        EXPECT_EQ(Text(w.m_hWnd, IDC_PHOTO_CALIBRATED), u"187.5");
        EXPECT_EQ(Text(w.m_hWnd, IDC_PHOTO_TOOL_NAME), u"");
        if (c.height == 1024)
            large = &w;
    }
    EXPECT_TRUE(MessageBoxes().empty());
    EXPECT_EQ(ReadAll(program_ / "CalibrationIni.ini"), "[200]\n200=187.5\n");

    // The measure command takes the calibrated magnification.
    ASSERT_NE(large, nullptr);
    CPhotoMeasureDlg& w = *large;
    Choose(w, IDC_PHOTO_MEASURE, 1249);
    EXPECT_DOUBLE_EQ(g_zoomScale, 187.5);
    EXPECT_DOUBLE_EQ(w.Canvas()->m_zoom, 187.5);
    EXPECT_EQ(w.Canvas()->m_tool, TOOL_LINE);
    EXPECT_EQ(w.Canvas()->m_toolMode, TOOL_MODE_MEASURE);
    EXPECT_EQ(Text(w.m_hWnd, IDC_PHOTO_TOOL_NAME), u"Straight Line");
    // The magnification field takes five characters at most.
    EXPECT_EQ(::SendMessage(::GetDlgItem(w.m_hWnd, IDC_PHOTO_MAGNIFICATION), EM_GETLIMITTEXT, 0,
                            0),
              5);
}

TEST_F(PhotoMeasureTest, ToolCommandsNeedAMagnificationAboveZeroWhereTheyMeasureLengths) {
    CPhotoMeasureDlg& w = Open(Picture("plain.bmp", 640, 480));
    ASSERT_NE(w.Canvas(), nullptr);
    EXPECT_EQ(Text(w.m_hWnd, IDC_PHOTO_MAGNIFICATION), u"");
    for (const char16_t* typed : {u"", u"0", u"-5", u"abc"}) {
        ms::test::ResetSeams();
        Type(w.m_hWnd, IDC_PHOTO_MAGNIFICATION, typed);
        Choose(w, IDC_PHOTO_MEASURE, 1249);
        EXPECT_EQ(MessageBoxes(),
                  std::vector<std::u16string>{u"Please input the zoomIn scale!"}) << ms::ToUtf8(typed);
        EXPECT_EQ(w.Canvas()->m_tool, TOOL_NONE) << ms::ToUtf8(typed);
        EXPECT_DOUBLE_EQ(g_zoomScale, 1.0) << ms::ToUtf8(typed);
    }
    // The angles need none; the four-point angle alone sets the tool flag.
    ms::test::ResetSeams();
    Choose(w, IDC_PHOTO_MEASURE, 1334);
    EXPECT_EQ(w.Canvas()->m_tool, TOOL_FOUR_POINT_ANGLE);
    EXPECT_EQ(w.Canvas()->m_toolFlag, 1);
    Choose(w, IDC_PHOTO_PAINT, 1260);
    EXPECT_EQ(w.Canvas()->m_tool, TOOL_ANGLE);
    EXPECT_EQ(w.Canvas()->m_toolMode, TOOL_MODE_PAINT);
    EXPECT_EQ(w.Canvas()->m_toolFlag, 0);
    EXPECT_TRUE(MessageBoxes().empty());
    // A menu closed without a choice leaves no tool.
    g_circleLabelCount = 4;
    Choose(w, IDC_PHOTO_AUTO_MEASURE, 0);
    EXPECT_EQ(w.Canvas()->m_tool, TOOL_NONE);
    EXPECT_EQ(g_circleLabelCount, 0);
}

TEST_F(PhotoMeasureTest, CalibrationReadsTheTypedMagnificationAndMeasuringTheCalibratedOne) {
    CPhotoMeasureDlg& w = Open(Picture("cal.bmp", 640, 480));
    ASSERT_NE(w.Canvas(), nullptr);
    Type(w.m_hWnd, IDC_PHOTO_MAGNIFICATION, u"200");
    Type(w.m_hWnd, IDC_PHOTO_CALIBRATED, u"50");
    Choose(w, IDC_PHOTO_CALIBRATION, 396);
    EXPECT_DOUBLE_EQ(g_zoomScale, 200.0);
    EXPECT_EQ(w.Canvas()->m_calibrationMode, 1);
    EXPECT_EQ(w.Canvas()->m_tool, TOOL_PARALLEL_LINE);
    EXPECT_EQ(Text(w.m_hWnd, IDC_PHOTO_TOOL_NAME), u"Line Calibration");
    Choose(w, IDC_PHOTO_MEASURE, 1255);
    EXPECT_DOUBLE_EQ(g_zoomScale, 50.0);

    // An empty magnification refuses the calibration even with a calibrated value.
    Type(w.m_hWnd, IDC_PHOTO_MAGNIFICATION, u"");
    Type(w.m_hWnd, IDC_PHOTO_CALIBRATED, u"50");
    w.Canvas()->SetCalibrationMode(0);
    Choose(w, IDC_PHOTO_CALIBRATION, 382);
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Please input the zoomIn scale!"});
    EXPECT_EQ(w.Canvas()->m_calibrationMode, 0);
}

TEST_F(PhotoMeasureTest, ACalibrationIsStoredUnderTheMagnificationItWasConfirmedAt) {
    CPhotoMeasureDlg& w = Open(Picture("Part_200X.bmp", 640, 480));
    ASSERT_NE(w.Canvas(), nullptr);
    // Confirmed at 200; the operator typed 300 before the message arrived.
    ms::CopyBounded(g_calibMagnificationText, 48, u"200");
    g_calibratedZoom = 190.04;
    Type(w.m_hWnd, IDC_PHOTO_MAGNIFICATION, u"300");
    w.PostMessage(WM_APP_PICTURE_CALIBRATED, 0, 0);
    Pump();
    // Shown to one decimal, kept and used in full.
    EXPECT_EQ(Text(w.m_hWnd, IDC_PHOTO_CALIBRATED), u"190.0");
    EXPECT_DOUBLE_EQ(g_zoomScale, 190.04);
    EXPECT_EQ(main_.synced, 1);
    EXPECT_EQ(ReadAll(program_ / "CalibrationIni.ini"), "[200]\r\n200=190.04\r\n");
    // Read back from the file, too.
    Type(w.m_hWnd, IDC_PHOTO_MAGNIFICATION, u"200");
    EXPECT_EQ(Text(w.m_hWnd, IDC_PHOTO_CALIBRATED), u"190.0");
    Choose(w, IDC_PHOTO_MEASURE, 1249);
    EXPECT_DOUBLE_EQ(g_zoomScale, 190.04);
    EXPECT_TRUE(MessageBoxes().empty());

    // Without a confirmed magnification nothing is stored under an empty key.
    g_calibMagnificationText[0] = 0;
    std::filesystem::remove(program_ / "CalibrationIni.ini");
    w.PostMessage(WM_APP_PICTURE_CALIBRATED, 0, 0);
    Pump();
    EXPECT_FALSE(std::filesystem::exists(program_ / "CalibrationIni.ini"));
    EXPECT_EQ(main_.synced, 2);
    EXPECT_TRUE(MessageBoxes().empty());

    // A file that cannot be written (here its name is a folder): the operator reads that the
    // calibration is not kept, and where it should have gone.
    std::filesystem::create_directories(program_ / "CalibrationIni.ini");
    ms::CopyBounded(g_calibMagnificationText, 48, u"200");
    w.PostMessage(WM_APP_PICTURE_CALIBRATED, 0, 0);
    Pump();
    const std::vector<std::u16string> boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(u"could not be saved"), std::u16string::npos);
    EXPECT_NE(boxes[0].find(ms::FromUtf8((program_ / "CalibrationIni.ini").string())),
              std::u16string::npos);
}

// After the calibration's dialog the line's label waits for its click with the mouse free: the
// operator's click on Save As reaches Save As (no stray label under the tool bar), and the
// calibration line stays as it was labelled.
TEST_F(PhotoMeasureTest, AClickOnSaveAsAfterACalibrationReachesSaveAs) {
    CPhotoMeasureDlg& w = Open(Picture("cal_200X.bmp", 640, 480));
    ASSERT_NE(w.Canvas(), nullptr);
    Type(w.m_hWnd, IDC_PHOTO_MAGNIFICATION, u"200");
    Choose(w, IDC_PHOTO_CALIBRATION, 396);
    ms::test::AnswerDialog(IDD_CALIBRATION, [](HWND h) {
        Type(h, IDC_CALIB_DISTANCE, u"1");
        mstest::Press(h, IDOK);
    });
    CMeasureCanvas& c = *w.Canvas();
    c.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    c.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 100));
    Pump();
    ASSERT_EQ(c.m_shapes.GetSize(), 1);
    const CMeasureRecord* line = c.m_shapes.GetAt(0);
    EXPECT_EQ(line->m_labels[0], CString(u"L:1.000mm"));
    const size_t points = line->m_points.size();

    const std::u16string out = ms::FromUtf8((program_ / "after_200X.bmp").string());
    ms::test::AnswerFileDialog(out);
    QWidget* saveAs = ms::WidgetOf(::GetDlgItem(w.m_hWnd, IDC_PHOTO_SAVE_AS));
    ASSERT_NE(saveAs, nullptr);
    const QPoint centre = saveAs->rect().center();
    ms::test::SendMouse(saveAs, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    ms::test::SendMouse(saveAs, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
    Pump();
    EXPECT_FALSE(ms::test::ShownCommonDialogs().empty());
    EXPECT_TRUE(std::filesystem::exists(program_ / "after_200X.bmp"));
    ASSERT_EQ(c.m_shapes.GetSize(), 1);
    EXPECT_EQ(c.m_shapes.GetAt(0)->m_points.size(), points); // no label placed by the click
    EXPECT_EQ(c.m_tool, TOOL_NONE);
}

TEST_F(PhotoMeasureTest, TwoWindowsKeepTheirShapesWhenOneIsMaximisedRestoredOrClosed) {
    const std::u16string path = Picture("two.bmp", 640, 480);
    CPhotoMeasureDlg& first = Open(path);
    CPhotoMeasureDlg& second = Open(path);
    ASSERT_TRUE(first.Canvas() && second.Canvas());
    AddShape(first, u"one");
    AddShape(second, u"two");

    // Maximise with an unsaved shape asks; No maximises and empties only this window's list.
    ms::test::AnswerMessageBox(IDNO);
    Press(first.m_hWnd, IDC_PHOTO_MAX);
    Pump();
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Save changes to..."});
    EXPECT_TRUE(first.IsZoomed());
    ASSERT_NE(first.Canvas(), nullptr);
    EXPECT_EQ(first.ViewMode(), CANVAS_VIEW_FULL_SIZE);
    EXPECT_EQ(first.Canvas()->m_viewMode, CANVAS_VIEW_FULL_SIZE);
    EXPECT_FALSE(first.Canvas()->HasShapes());
    EXPECT_TRUE(second.Canvas()->HasShapes());
    EXPECT_EQ(second.Canvas()->m_viewMode, CANVAS_VIEW_FIXED);

    // Restoring asks nothing without shapes and brings the fixed view back; the window is
    // then normal again, so the title corner and the button see it as such.
    ms::test::ResetSeams();
    Press(first.m_hWnd, IDC_PHOTO_MAX);
    Pump();
    EXPECT_FALSE(first.IsZoomed());
    EXPECT_EQ(first.WindowState(), 1);
    EXPECT_EQ(first.Canvas()->m_viewMode, CANVAS_VIEW_FIXED);
    AddShape(first, u"again");
    RECT r;
    first.GetWindowRect(&r);
    for (int i = 0; i < 3; ++i)
        first.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(r.left + 10, r.top + 10));
    Pump();
    EXPECT_TRUE(MessageBoxes().empty());
    EXPECT_TRUE(first.Canvas()->HasShapes());

    // Closing asks; No keeps the window, Yes closes it and the other keeps its shape.
    ms::test::AnswerMessageBox(IDNO);
    first.SendMessage(WM_CLOSE);
    EXPECT_TRUE(::IsWindow(windows_[0]));
    ms::test::AnswerMessageBox(IDYES);
    Press(first.m_hWnd, IDC_PHOTO_CLOSE);
    Pump();
    EXPECT_EQ(MessageBoxes(), (std::vector<std::u16string>{u"Are you sure to close?",
                                                           u"Are you sure to close?"}));
    EXPECT_FALSE(::IsWindow(windows_[0]));
    EXPECT_TRUE(second.Canvas()->HasShapes());
}

TEST_F(PhotoMeasureTest, TheCornerRestoresAMaximisedWindowOncePerVisit) {
    CPhotoMeasureDlg& w = Open(Picture("corner.bmp", 640, 480));
    w.SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    ASSERT_TRUE(w.IsZoomed());
    RECT r;
    w.GetWindowRect(&r);
    const LPARAM corner = MAKELPARAM(r.left + 10, r.top + 10);
    EXPECT_EQ(w.SendMessage(WM_NCHITTEST, 0, corner), HTCAPTION);
    w.SendMessage(WM_NCHITTEST, 0, corner);
    Pump();
    EXPECT_FALSE(w.IsZoomed());
    EXPECT_EQ(w.WindowState(), 1);
    // Esc and Enter never close it; a message that is no key goes on even with 27 in wParam.
    for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN)}) {
        MSG msg{w.m_hWnd, WM_KEYDOWN, key, 0, 0, {0, 0}};
        EXPECT_TRUE(w.PreTranslateMessage(&msg));
    }
    MSG timer{w.m_hWnd, WM_TIMER, 27, 0, 0, {0, 0}};
    MSG same = timer;
    EXPECT_EQ(w.PreTranslateMessage(&timer), w.CDialog::PreTranslateMessage(&same));
    EXPECT_TRUE(MessageBoxes().empty());

    // Minimising and restoring the normal window keeps its canvas and shapes.
    CMeasureCanvas* canvas = w.Canvas();
    AddShape(w, u"kept");
    w.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_EQ(w.GetStyle() & WS_MAXIMIZEBOX, 0u);
    w.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_NE(w.GetStyle() & WS_MAXIMIZEBOX, 0u);
    EXPECT_EQ(w.Canvas(), canvas);
    EXPECT_TRUE(w.Canvas()->HasShapes());
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(PhotoMeasureTest, TextMagnifierAndPenButtonsSetTheirToolsWhateverTheDialogsAnswer) {
    CPhotoMeasureDlg& w = Open(Picture("buttons.bmp", 640, 480));
    ASSERT_NE(w.Canvas(), nullptr);
    ms::test::PressInDialog(IDD_TEXT, IDCANCEL);
    Press(w.m_hWnd, IDC_PHOTO_TEXT);
    EXPECT_EQ(w.Canvas()->m_tool, TOOL_TEXT);
    EXPECT_FALSE(w.Canvas()->HasShapes());

    ms::test::PressInDialog(IDD_MAGNIFIER, IDOK);
    Press(w.m_hWnd, IDC_PHOTO_MAGNIFIER);
    EXPECT_EQ(w.Canvas()->m_tool, TOOL_MAGNIFIER);
    EXPECT_EQ(Text(w.m_hWnd, IDC_PHOTO_TOOL_NAME), u"Magnifier");

    ms::test::PressInDialog(IDD_PEN_SETTING, IDCANCEL);
    Press(w.m_hWnd, IDC_PHOTO_PEN);
    EXPECT_EQ(w.Canvas()->m_tool, TOOL_NONE);
    EXPECT_EQ(Text(w.m_hWnd, IDC_PHOTO_TOOL_NAME), u"");

    Press(w.m_hWnd, IDC_PHOTO_SELECT);
    EXPECT_EQ(w.Canvas()->m_tool, TOOL_SELECT);
    EXPECT_EQ(w.Canvas()->m_toolMode, TOOL_MODE_IDLE);
}

TEST_F(PhotoMeasureTest, SaveAsWritesThePictureWithItsShapesAndThenMaximiseAsksNothing) {
    CPhotoMeasureDlg& w = Open(Picture("save.bmp", 640, 480));
    ASSERT_NE(w.Canvas(), nullptr);
    AddShape(w, u"mark");
    const std::u16string out = ms::FromUtf8((program_ / "out_200X.jpg").string());
    ms::test::AnswerFileDialog(out);
    Press(w.m_hWnd, IDC_PHOTO_SAVE_AS);
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Save successfully!"});
    ASSERT_FALSE(ms::test::ShownCommonDialogs().empty());
    EXPECT_EQ(ms::test::ShownCommonDialogs().back().initialName, u"save");
    CDibImage saved(out.c_str(), DIBIMAGE_TYPE_JPG);
    EXPECT_TRUE(saved.IsValid());
    EXPECT_EQ(saved.GetWidth(), 640u);

    ms::test::ResetSeams();
    w.SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    EXPECT_TRUE(MessageBoxes().empty());
    EXPECT_TRUE(w.IsZoomed());
    EXPECT_FALSE(w.Canvas()->HasShapes());
}

TEST_F(PhotoMeasureTest, PictureOperationsChangeTheCanvasPictureAndRevertReloadsTheFile) {
    CPhotoMeasureDlg& w = Open(Picture("ops.bmp", 64, 48));
    ASSERT_NE(w.Canvas(), nullptr);
    CDibImage& image = *w.Canvas()->m_image;
    const std::vector<BYTE> original = Pixels(image);
    AddShape(w, u"stay");
    const POINT shapeAt = w.Canvas()->m_shapes.GetAt(0)->m_points[0];

    Choose(w, IDC_PHOTO_OPERATION, 1264);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 120);
    EXPECT_EQ(image.GetPixelColor(63, 0).rgbRed, 40);
    Choose(w, IDC_PHOTO_OPERATION, 1264);
    EXPECT_EQ(Pixels(image), original);

    Choose(w, IDC_PHOTO_OPERATION, 1268);
    Choose(w, IDC_PHOTO_OPERATION, 1268);
    EXPECT_EQ(image.GetPixelColor(63, 0).rgbRed, 140);
    Choose(w, IDC_PHOTO_OPERATION, 1267);
    EXPECT_EQ(image.GetPixelColor(63, 0).rgbRed, 255 - 140);
    ASSERT_EQ(w.Canvas()->m_shapes.GetSize(), 1);
    EXPECT_EQ(w.Canvas()->m_shapes.GetAt(0)->m_points[0].x, shapeAt.x);
    EXPECT_EQ(w.Canvas()->m_tool, TOOL_NONE);

    Press(w.m_hWnd, IDC_PHOTO_REVERT);
    ASSERT_NE(w.Canvas(), nullptr);
    CDibImage& reloaded = *w.Canvas()->m_image;
    EXPECT_EQ(Pixels(reloaded), original);
    EXPECT_FALSE(w.Canvas()->HasShapes());
}

TEST_F(PhotoMeasureTest, AnUnreadablePictureLeavesAWindowWithoutCanvasWhoseCommandsDoNothing) {
    std::ofstream(program_ / "broken.bmp") << "not a picture";
    CPhotoMeasureDlg& w = Open(ms::FromUtf8((program_ / "broken.bmp").string()));
    EXPECT_EQ(w.Canvas(), nullptr);
    for (UINT command : {1264u, 1268u, 1279u, 1318u})
        Choose(w, IDC_PHOTO_OPERATION, command);
    Choose(w, IDC_PHOTO_MEASURE, 1256);
    Press(w.m_hWnd, IDC_PHOTO_REVERT);
    Press(w.m_hWnd, IDC_PHOTO_SAVE_AS);
    EXPECT_TRUE(ms::test::ShownCommonDialogs().empty());
    EXPECT_TRUE(MessageBoxes().empty());
}

} // namespace
