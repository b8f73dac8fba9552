// Wavenor's main window, driven headless: the first start in an empty home (folders, the eight
// registry defaults, the language from LANG), the layout of 835 x 610, the buttons that work
// before Preview and the hot keys, the menus, texts and tooltips with and without a language
// file, the language commands, maximise and restore, the magnification and calibration
// edits, and the application object running the window to its end.
#include "wifi/WifiButtons.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiLanguage.h"
#include "wifi/WifiMicroscopeApp.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiSettings.h"

#include "measure/MeasureSettings.h"
#include "measure/Units.h"
#include "kit/LangText.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/TestSeams.h"
#include "res/WavenorResource.h"

#include "tests/support/Pump.h"
#include "tests/support/TestEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void Pump() {
    ms::test::Pump(6);
}

std::u16string Text(HWND hwnd) {
    WCHAR buf[256] = {};
    GetWindowText(hwnd, buf, 256);
    return buf;
}

std::u16string MenuText(HMENU menu, UINT item, UINT flags = MF_BYPOSITION) {
    WCHAR buf[128] = {};
    GetMenuString(menu, item, buf, 128, flags);
    return buf;
}

RECT ClientRectOf(HWND dialog, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    POINT tl{r.left, r.top}, br{r.right, r.bottom};
    ScreenToClient(dialog, &tl);
    ScreenToClient(dialog, &br);
    return RECT{tl.x, tl.y, br.x, br.y};
}

SIZE BitmapSize(UINT id) {
    HBITMAP bmp = LoadBitmap(nullptr, MAKEINTRESOURCE(id));
    BITMAP bm{};
    GetObjectW(bmp, sizeof bm, &bm);
    DeleteObject(bmp);
    return SIZE{bm.bmWidth, bm.bmHeight};
}

DWORD ReadDword(LPCWSTR name, DWORD missing = 0xDEADBEEF) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kWifiSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return missing;
    DWORD value = missing, type = 0, size = sizeof value;
    RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return value;
}

COLORREF BrushColor(HBRUSH brush) {
    LOGBRUSH lb{};
    GetObjectW(brush, sizeof lb, &lb);
    return lb.lbColor;
}

bool HasTool(HWND tip, HWND button, int id) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = button;
    ti.uId = static_cast<UINT_PTR>(id);
    return SendMessage(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
}

// The main window with a record of the commands that reach it.
class CRecordingDlg : public CWifiMicroscopeDlg {
public:
    BOOL OnCommand(WPARAM wp, LPARAM lp) override {
        commands.push_back(LOWORD(wp));
        return CWifiMicroscopeDlg::OnCommand(wp, lp);
    }
    std::vector<UINT> commands;
};

class WifiMainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        g_hInstance = GetModuleHandle(nullptr);
        home_ = mstest::Home();
        program_ = mstest::NewProgramDir(mstest::ProgramFiles::None);
        RegDeleteKey(HKEY_CURRENT_USER, kWifiSettingsKey);
        RegDeleteKey(HKEY_CURRENT_USER, kWifiRootKey);
        ResetWifiSettings();
        g_langFilePath[0] = 0;
        g_listShowsPictures = 1;
        ResetWifiGlobals();
        g_stillCalibrating = 0;
        g_stillViewMode = 1;
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", "en_US.UTF-8", 1);
        // The hot keys send camera requests: to the loopback, where nothing listens.
        setenv("WAVENOR_CAMERA_ADDRESS", "127.0.0.1", 1);
        setenv("WAVENOR_STREAM_PORT", "1", 1);
        setenv("WAVENOR_HTTP_PORT", "1", 1);
    }
    void TearDown() override {
        if (dlg_ && dlg_->m_hWnd)
            dlg_->DestroyWindow();
        dlg_.reset();
        Pump();
        ms::test::ResetSeams();
        unsetenv("LANG");
    }
    void WriteLanguageFile(const char* name, const std::string& entries) {
        std::ofstream(program_ / name) << "\xEF\xBB\xBF[Rontage]\n" << entries;
    }
    HWND Open() {
        dlg_ = std::make_unique<CRecordingDlg>();
        EXPECT_TRUE(dlg_->Create(IDD_WAVENOR_MAIN));
        Pump();
        return dlg_->m_hWnd;
    }
    HWND Item(int id) const { return GetDlgItem(dlg_->m_hWnd, id); }
    std::u16string ToolText(int id) const {
        for (int i = 0; i < CWifiMicroscopeDlg::kButtonTipCount; ++i) {
            const CWifiMicroscopeDlg::ButtonTip& entry = dlg_->ButtonTips()[i];
            if (entry.id == id)
                return HasTool(dlg_->ToolTipWindow(), entry.hwnd, id) ? entry.tip : u"<none>";
        }
        return u"<no record>";
    }
    void PressKey(WPARAM vk) {
        PostMessage(dlg_->m_hWnd, WM_KEYDOWN, vk, 0);
        Pump();
    }
    int FilesIn(const fs::path& dir) const {
        int n = 0;
        for (auto it = fs::directory_iterator(dir); it != fs::directory_iterator(); ++it)
            ++n;
        return n;
    }

    fs::path home_, program_;
    std::unique_ptr<CRecordingDlg> dlg_;
};

TEST_F(WifiMainWindowTest, FirstStartInAnEmptyHomeChoosesTheSystemLanguage) {
    setenv("LANG", "de_DE.UTF-8", 1);
    fs::copy_file(fs::path(MS_LANG_DIR) / "German1252.ini", program_ / "German1252.ini");
    HWND hwnd = Open();
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(Text(hwnd), u"Wavenor");
    EXPECT_TRUE(fs::is_directory(program_ / "Favorite" / "Picture"));
    EXPECT_TRUE(fs::is_directory(program_ / "Favorite" / "Video"));
    EXPECT_EQ(std::u16string(g_paths.calibIniPath),
              ms::FromUtf8((program_ / "CalibrationIni.ini").string()));
    // The eight defaults, read back.
    EXPECT_EQ(ReadDword(u"m_decimalnum"), 3u);
    EXPECT_EQ(ReadDword(u"m_line_type"), 0u);
    EXPECT_EQ(ReadDword(u"m_line_color"), 255u);
    EXPECT_EQ(ReadDword(u"m_line_width"), 2u);
    EXPECT_EQ(ReadDword(u"m_language_id"), 0u);
    EXPECT_EQ(ReadDword(u"m_sublanguage_id"), 0u);
    EXPECT_EQ(ReadDword(u"m_textfont_color"), 255u);
    EXPECT_EQ(std::u16string(g_unitName), u"mm");
    // German from the system; the choice is not stored, so later starts still follow it.
    EXPECT_EQ(ms::ToUtf8(g_langFilePath), (program_ / "German1252.ini").string());
    EXPECT_EQ(MenuText(dlg_->MenuBar(), 0), u"Datei");
    EXPECT_EQ(ToolText(IDC_PREVIEW), u"Vorschau");
    EXPECT_EQ(Text(Item(IDC_MAGNIFICATION)), u"60.0");
    EXPECT_EQ(SendMessage(Item(IDC_MAGNIFICATION), EM_GETLIMITTEXT, 0, 0), 5);
}

TEST_F(WifiMainWindowTest, WithoutALanguageFileEveryTextIsTheBuiltInEnglish) {
    HWND hwnd = Open();
    ASSERT_TRUE(hwnd);
    HMENU bar = dlg_->MenuBar();
    ASSERT_TRUE(bar);
    EXPECT_EQ(GetMenu(hwnd), bar);
    EXPECT_EQ(MenuText(bar, 0), u"File");
    EXPECT_EQ(MenuText(bar, 1), u"Setting");
    EXPECT_EQ(MenuText(bar, 2), u"Capture");
    EXPECT_EQ(MenuText(bar, 3), u"Help");
    HMENU capture = GetSubMenu(bar, 2);
    EXPECT_EQ(MenuText(capture, 0), u"Take Picture...      F2");
    EXPECT_EQ(GetMenuItemID(capture, 0), static_cast<UINT>(IDC_CAMERA));
    EXPECT_EQ(MenuText(capture, 1), u"Take Video/Stop...   F3/F4");
    HMENU setting = GetSubMenu(bar, 1);
    EXPECT_EQ(MenuText(setting, 0), u"640*480    F11");
    EXPECT_EQ(MenuText(setting, 4), u"Settings");
    EXPECT_EQ(MenuText(setting, 7), u"Change language");
    EXPECT_EQ(MenuText(GetSubMenu(setting, 7), ID_LANG_PORTUGUESE, MF_BYCOMMAND),
              u"Portuguese(Portuguese)");
    EXPECT_EQ(MenuText(GetSubMenu(bar, 0), 3), u"Delete...");
    EXPECT_EQ(MenuText(GetSubMenu(bar, 3), 0), u"Help");
    EXPECT_EQ(MenuText(dlg_->ListMenu(), 1), u"Save as");
    EXPECT_EQ(MenuText(dlg_->ListMenu(), 6), u"Favorite");
    EXPECT_EQ(BrushColor(dlg_->MenuBrush()), 0xDCDCDCu);

    ASSERT_TRUE(dlg_->ToolTipWindow());
    EXPECT_EQ(SendMessage(dlg_->ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0), 25);
    for (const WifiTipRow& row : kWifiTips) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(ToolText(row.id), row.defaultText);
    }
    EXPECT_EQ(Text(Item(IDC_VIDEO)), u"Connect WiFi Microscope and then click [Preview]");
    EXPECT_EQ(Text(Item(IDC_TIPS)),
              u"Tips: Click [Preview] again when slow live video or black screen.");
    // No video size until the stream has told it.
    EXPECT_EQ(Text(Item(IDC_VIDEO_SIZE)), u"");
    g_captureWidth = 640;
    dlg_->UpdateStatusTexts();
    EXPECT_EQ(Text(Item(IDC_VIDEO_SIZE)), u"");
    g_captureHeight = 480;
    dlg_->UpdateStatusTexts();
    EXPECT_EQ(Text(Item(IDC_VIDEO_SIZE)), u"640X480");
}

TEST_F(WifiMainWindowTest, LayoutOfTheWindowAndItsControls) {
    HWND hwnd = Open();
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(window.right - window.left, 835);
    EXPECT_EQ(window.bottom - window.top, 610);
    // Centred (the frame's border may shift it by a pixel or two).
    EXPECT_NEAR(window.left, (GetSystemMetrics(SM_CXSCREEN) - 835) / 2, 2);
    EXPECT_NEAR(window.top, (GetSystemMetrics(SM_CYSCREEN) - 610) / 2, 2);
    const int w = client.right, h = client.bottom;
    for (const WifiButtonRow& row : kWifiButtons) {
        SCOPED_TRACE(row.id);
        const RECT r = ClientRectOf(hwnd, Item(row.id));
        const SIZE size = BitmapSize(row.normalBitmap);
        EXPECT_EQ(r.left, row.x);
        EXPECT_EQ(r.top, row.y);
        EXPECT_EQ(r.right - r.left, size.cx);
        EXPECT_EQ(r.bottom - r.top, size.cy);
        EXPECT_TRUE(IsWindowVisible(Item(row.id)));
    }
    struct Place {
        int id, x, y, cx, cy;
    };
    const Place places[] = {
        {IDC_SEPARATOR, 0, 33, w, 2},
        {IDC_CALIB_VALUE, 703, 6, 34, 25},
        {IDC_MAGNIFICATION, 739, 6, 34, 25},
        {IDC_VIDEO, 180, 40, 640, 480},
        {IDC_FILE_LIST, 5, 75, 170, h * 83 / 100},
        {IDC_VIDEO_SIZE, 183, h - 27, 120, 25},
        {IDC_TIPS, 320, h - 27, w - 430, 25},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.id);
        const RECT r = ClientRectOf(hwnd, Item(p.id));
        EXPECT_EQ(r.left, p.x);
        EXPECT_EQ(r.top, p.y);
        EXPECT_EQ(r.right - r.left, p.cx);
        EXPECT_EQ(r.bottom - r.top, p.cy);
    }
    EXPECT_FALSE(IsWindowVisible(Item(IDC_STILL_PLACEHOLDER)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_RECORD_COUNTER)));
    EXPECT_EQ(g_listSlotCount % 2, 0);
    EXPECT_EQ(g_listSlotCount, (g_listClientRect.bottom / 30) & ~1);
    EXPECT_EQ(g_listSlotRects.size(), static_cast<size_t>(g_listSlotCount));
    EXPECT_TRUE(dlg_->ToggleButton(IDC_PICTURE_TAB)->IsPressed());
    EXPECT_EQ(g_mainWnd, hwnd);
}

TEST_F(WifiMainWindowTest, BeforePreviewOnlyPreviewSaveAndTheTabsWork) {
    HWND hwnd = Open();
    for (const WifiButtonRow& row : kWifiButtons) {
        SCOPED_TRACE(row.id);
        const bool works = row.id == IDC_PREVIEW || row.id == IDC_SAVE ||
                           row.id == IDC_PICTURE_TAB || row.id == IDC_VIDEO_TAB;
        EXPECT_EQ(IsWindowEnabled(Item(row.id)) != 0, works);
    }
    // The hot keys give their commands; F2 takes no picture without a stream; Esc and Enter
    // never close the window.
    dlg_->commands.clear();
    for (WPARAM key : {VK_F2, VK_F3, VK_F4, VK_F11, VK_F12, VK_ESCAPE, VK_RETURN})
        PressKey(key);
    EXPECT_EQ(dlg_->commands, (std::vector<UINT>{IDC_CAMERA, IDC_AVI, IDC_AVI, ID_RESOLUTION_640,
                                                 ID_RESOLUTION_1280}));
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(FilesIn(program_ / "Favorite" / "Picture"), 0);
    EXPECT_EQ(FilesIn(program_ / "Favorite" / "Video"), 0);

    // A stream enables the capture set; freezing a frame swaps the sets.
    dlg_->EnableCaptureButtons();
    for (int id : {IDC_PREVIEW, IDC_CAMERA, IDC_AVI, IDC_CLOCK, IDC_SETTING, IDC_EMAIL})
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    dlg_->DisableCaptureButtons();
    dlg_->EnableToolButtons();
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_PREVIEW)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SAVE)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_CAMERA)));
    for (int id : {IDC_MIRROR, IDC_BLUE, IDC_TOOL_LINE, IDC_TOOL_FOUR_POINT_ANGLE, IDC_CALIBRATION,
                   IDC_OTHER})
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;

    // The resets release mirror to binary and the tools, never the colours.
    for (int id : {IDC_MIRROR, IDC_BINARY, IDC_RED, IDC_TOOL_ARC})
        dlg_->ToggleButton(id)->SetPressed();
    dlg_->ResetEffectButtons();
    EXPECT_FALSE(dlg_->ToggleButton(IDC_MIRROR)->IsPressed());
    EXPECT_FALSE(dlg_->ToggleButton(IDC_BINARY)->IsPressed());
    EXPECT_TRUE(dlg_->ToggleButton(IDC_RED)->IsPressed());
    EXPECT_TRUE(dlg_->ToggleButton(IDC_TOOL_ARC)->IsPressed());
    dlg_->ResetToolButtons();
    EXPECT_FALSE(dlg_->ToggleButton(IDC_TOOL_ARC)->IsPressed());
}

TEST_F(WifiMainWindowTest, TheListTabsSwitchWhatTheListShows) {
    Open();
    SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_VIDEO_TAB, BN_CLICKED),
                reinterpret_cast<LPARAM>(Item(IDC_VIDEO_TAB)));
    EXPECT_EQ(g_listShowsPictures, 0);
    EXPECT_TRUE(dlg_->ToggleButton(IDC_VIDEO_TAB)->IsPressed());
    EXPECT_FALSE(dlg_->ToggleButton(IDC_PICTURE_TAB)->IsPressed());
    EXPECT_EQ(SendMessage(dlg_->ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0), 25);
    SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PICTURE_TAB, BN_CLICKED),
                reinterpret_cast<LPARAM>(Item(IDC_PICTURE_TAB)));
    EXPECT_EQ(g_listShowsPictures, 1);
    EXPECT_TRUE(dlg_->ToggleButton(IDC_PICTURE_TAB)->IsPressed());
}

TEST_F(WifiMainWindowTest, ALanguageCommandReloadsTheTextsAndStoresAllSettings) {
    WriteLanguageFile("English1252.ini", "Delete=Delete (start)\nPointtoLine=Point (start)\n");
    WriteLanguageFile("Portuguese1252.ini",
                      "File=Arquivo\nDelete=Excluir...\n"
                      "PointtoLine=Ponto (start)\nDotLine=Ponto a linha\nTipSetting=Configurar\n");
    Open();
    EXPECT_EQ(MenuText(GetSubMenu(dlg_->MenuBar(), 0), 3), u"Delete (start)");
    EXPECT_EQ(ToolText(IDC_TOOL_POINT_LINE), u"Point (start)");

    ms::CopyBounded(g_unitName, 12, u"cm");
    g_lineType = 2;
    SendMessage(dlg_->m_hWnd, WM_COMMAND, ID_LANG_PORTUGUESE, 0);
    Pump();
    EXPECT_EQ(ms::ToUtf8(g_langFilePath), (program_ / "Portuguese1252.ini").string());
    EXPECT_EQ(g_languageId, 22);
    EXPECT_EQ(g_subLanguageId, 0);
    EXPECT_EQ(ReadDword(u"m_language_id"), 22u);
    EXPECT_EQ(ReadDword(u"m_sublanguage_id"), 0u);
    EXPECT_EQ(ReadDword(u"m_line_type"), 2u); // every setting is written, not only the language
    // The rebuilt bar, its lighter background and the keys of a language change.
    HMENU bar = dlg_->MenuBar();
    EXPECT_EQ(GetMenu(dlg_->m_hWnd), bar);
    EXPECT_EQ(MenuText(bar, 0), u"Arquivo");
    EXPECT_EQ(MenuText(GetSubMenu(bar, 0), 3), u"Excluir...");
    EXPECT_EQ(BrushColor(dlg_->MenuBrush()), 0xE0E0E0u);
    EXPECT_EQ(ToolText(IDC_TOOL_POINT_LINE), u"Ponto a linha");
    EXPECT_EQ(ToolText(IDC_SETTING), u"Configurar");
    EXPECT_EQ(SendMessage(dlg_->ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0), 25);

    // A restart takes the stored language.
    dlg_->DestroyWindow();
    dlg_.reset();
    ResetWifiSettings();
    Open();
    EXPECT_EQ(MenuText(dlg_->MenuBar(), 0), u"Arquivo");
    EXPECT_EQ(std::u16string(g_unitName), u"cm");
}

TEST_F(WifiMainWindowTest, MaximiseAndRestoreLayTheWindowOutAgain) {
    HWND hwnd = Open();
    SendMessage(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    RECT client;
    GetClientRect(hwnd, &client);
    const int w = client.right, h = client.bottom;
    ASSERT_GT(w, 0);
    EXPECT_EQ(g_stillViewMode, 2);
    RECT list = ClientRectOf(hwnd, Item(IDC_FILE_LIST));
    EXPECT_EQ(list.bottom - list.top, static_cast<int>(0.885 * h));
    RECT video = ClientRectOf(hwnd, Item(IDC_VIDEO));
    EXPECT_EQ(video.right - video.left, w - 188);
    EXPECT_EQ(video.bottom - video.top, h - 75);
    EXPECT_EQ(g_listSlotCount % 2, 0);
    EXPECT_EQ(g_listSlotRects.size(), static_cast<size_t>(g_listSlotCount));

    SendMessage(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    GetClientRect(hwnd, &client);
    EXPECT_EQ(g_stillViewMode, 1);
    list = ClientRectOf(hwnd, Item(IDC_FILE_LIST));
    EXPECT_EQ(list.bottom - list.top, static_cast<int>(0.855 * client.bottom));
    const RECT tips = ClientRectOf(hwnd, Item(IDC_TIPS));
    EXPECT_EQ(tips.top, client.bottom - 27);
}

TEST_F(WifiMainWindowTest, MagnificationLooksUpItsCalibrationAndStoresNewOnes) {
    std::ofstream(program_ / "CalibrationIni.ini") << "[60.0]\r\n60.0=55.5\r\n";
    HWND hwnd = Open();
    EXPECT_EQ(Text(Item(IDC_CALIB_VALUE)), u"55.5");
    EXPECT_TRUE(dlg_->ReadZoomScale());
    EXPECT_DOUBLE_EQ(g_zoomScale, 55.5);
    // While calibrating the magnification itself counts.
    g_stillCalibrating = 1;
    EXPECT_TRUE(dlg_->ReadZoomScale());
    EXPECT_DOUBLE_EQ(g_zoomScale, 60.0);
    g_stillCalibrating = 0;

    // The text is not converted: "60" is no section of its own.
    SetWindowText(Item(IDC_MAGNIFICATION), u"60");
    Pump();
    EXPECT_EQ(Text(Item(IDC_CALIB_VALUE)), u"");
    EXPECT_TRUE(dlg_->ReadZoomScale());
    EXPECT_DOUBLE_EQ(g_zoomScale, 60.0);
    // A text that is no number finds nothing (and could never name a section of its own).
    SetWindowText(Item(IDC_MAGNIFICATION), u"60.0");
    Pump();
    EXPECT_EQ(Text(Item(IDC_CALIB_VALUE)), u"55.5");
    SetWindowText(Item(IDC_MAGNIFICATION), u"6]0=");
    Pump();
    EXPECT_EQ(Text(Item(IDC_CALIB_VALUE)), u"");
    // An emptied magnification keeps the calibration shown; nothing usable is refused.
    SetWindowText(Item(IDC_MAGNIFICATION), u"");
    Pump();
    EXPECT_FALSE(dlg_->ReadZoomScale());
    SetWindowText(Item(IDC_MAGNIFICATION), u"0");
    EXPECT_FALSE(dlg_->ReadZoomScale());
    SetWindowText(Item(IDC_MAGNIFICATION), u"-5");
    EXPECT_FALSE(dlg_->ReadZoomScale());
    EXPECT_DOUBLE_EQ(g_zoomScale, 60.0);

    // A finished calibration is shown and stored under its magnification.
    fs::remove(program_ / "CalibrationIni.ini");
    SetWindowText(Item(IDC_MAGNIFICATION), u"80");
    g_calibrationZoom = 80.0;
    g_calibratedZoom = 77.5;
    PostMessage(hwnd, WM_APP_STORE_CALIBRATION, 0, 0);
    Pump();
    EXPECT_EQ(Text(Item(IDC_CALIB_VALUE)), u"77.5");
    std::ifstream in(program_ / "CalibrationIni.ini");
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "[80.0]\r\n80.0=77.5\r\n");
    EXPECT_DOUBLE_EQ(g_zoomScale, 77.5);

    // Shown to one decimal, stored and used in full, also when looked up again.
    g_calibrationZoom = 80.0;
    g_calibratedZoom = 3.1496062992125984;
    PostMessage(hwnd, WM_APP_STORE_CALIBRATION, 0, 0);
    Pump();
    EXPECT_EQ(Text(Item(IDC_CALIB_VALUE)), u"3.1");
    EXPECT_DOUBLE_EQ(g_zoomScale, 3.1496062992125984);
    SetWindowText(Item(IDC_MAGNIFICATION), u"60");
    SetWindowText(Item(IDC_MAGNIFICATION), u"80.0");
    Pump();
    EXPECT_EQ(Text(Item(IDC_CALIB_VALUE)), u"3.1");
    ASSERT_TRUE(dlg_->ReadZoomScale());
    EXPECT_DOUBLE_EQ(g_zoomScale, 3.1496062992125984);

    // A file that cannot take it (its name is a folder here): the operator is told where.
    fs::remove(program_ / "CalibrationIni.ini");
    fs::create_directories(program_ / "CalibrationIni.ini");
    const size_t before = ms::test::ShownLog().size();
    g_calibrationZoom = 80.0;
    PostMessage(hwnd, WM_APP_STORE_CALIBRATION, 0, 0);
    Pump();
    std::vector<std::u16string> boxes;
    for (size_t i = before; i < ms::test::ShownLog().size(); ++i)
        if (ms::test::ShownLog()[i].kind == ms::test::Shown::MessageBox)
            boxes.push_back(ms::test::ShownLog()[i].text);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(u"could not be saved"), std::u16string::npos);
    EXPECT_NE(boxes[0].find(ms::FromUtf8((program_ / "CalibrationIni.ini").string())),
              std::u16string::npos);
    fs::remove(program_ / "CalibrationIni.ini");
}

TEST_F(WifiMainWindowTest, TheSettingMenuRunsTheMeasurementSetting) {
    HWND hwnd = Open();
    ASSERT_TRUE(hwnd);
    bool shown = false;
    ms::test::AnswerDialog(IDD_WIFI_PEN_SETTING, [&](HWND setting) {
        shown = true;
        EXPECT_EQ(IsDlgButtonChecked(setting, IDC_WP_UNIT_MM), BST_CHECKED);
        SendMessage(GetDlgItem(setting, IDC_WP_UNIT_MIL), BM_CLICK, 0, 0);
        SendMessage(GetDlgItem(setting, IDOK), BM_CLICK, 0, 0);
    });
    SendMessage(hwnd, WM_COMMAND, ID_MEASURE_SETTING, 0);
    Pump();
    EXPECT_TRUE(shown);
    EXPECT_EQ(std::u16string(g_unitName), u"mil");
    g_unitName[0] = 0;
    LoadWifiSettings();
    EXPECT_EQ(std::u16string(g_unitName), u"mil");
}

TEST_F(WifiMainWindowTest, TheApplicationRunsTheWindowUntilItIsClosed) {
    bool ran = false;
    ms::test::AnswerDialog(IDD_WAVENOR_MAIN, [&](HWND dialog) {
        ran = true;
        EXPECT_EQ(g_mainWnd, dialog);
        SendMessage(dialog, WM_CLOSE, 0, 0);
    });
    CWifiMicroscopeApp app;
    app.m_hInstance = GetModuleHandle(nullptr);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(ran);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(g_mainWnd, nullptr);
}

// A tool button reads the magnification first: without one it says so and chooses nothing.
// Without a stream it chooses the tool and presses its button, freezing nothing; Calibration
// chooses the line and makes it a calibration line. The Other popup offers Undo, Redo, Delete
// All and Settings, and its choice arrives as a command.
TEST_F(WifiMainWindowTest, ToolButtonsNeedAMagnificationAndTheOtherPopupSendsItsCommand) {
    HWND hwnd = Open();
    ASSERT_TRUE(hwnd);
    g_stillTool = 0;
    const auto click = [&](int id) {
        SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(Item(id)));
    };
    SetWindowText(Item(IDC_MAGNIFICATION), u"");
    SetWindowText(Item(IDC_CALIB_VALUE), u"");
    Pump();
    const size_t before = ms::test::ShownLog().size();
    click(IDC_TOOL_ARC);
    EXPECT_EQ(g_stillTool, 0);
    ASSERT_EQ(ms::test::ShownLog().size(), before + 1);
    EXPECT_EQ(ms::test::ShownLog().back().text, u"Please enter magnification!");
    EXPECT_TRUE(ms::test::ShownLog().back().type & MB_ICONEXCLAMATION);

    SetWindowText(Item(IDC_MAGNIFICATION), u"60.0");
    Pump();
    click(IDC_TOOL_ARC);
    EXPECT_EQ(g_stillTool, 9);
    EXPECT_TRUE(dlg_->ToggleButton(IDC_TOOL_ARC)->IsPressed());
    EXPECT_EQ(dlg_->StillView(), nullptr);
    EXPECT_DOUBLE_EQ(g_zoomScale, 60.0);
    click(IDC_CALIBRATION);
    EXPECT_EQ(g_stillTool, 1);
    EXPECT_EQ(g_stillCalibrating, 1);
    EXPECT_FALSE(dlg_->ToggleButton(IDC_TOOL_ARC)->IsPressed());
    g_stillCalibrating = 0;

    dlg_->commands.clear();
    ms::test::ChoosePopupCommand(ID_REDO);
    click(IDC_OTHER);
    ASSERT_FALSE(ms::test::ShownMenus().empty());
    std::vector<UINT> ids;
    for (const ms::test::ShownMenuItem& item : ms::test::ShownMenus().back().items)
        ids.push_back(item.id);
    EXPECT_EQ(ids, (std::vector<UINT>{ID_UNDO, ID_REDO, ID_DELETE_MEASUREMENTS, 0, ID_MEASURE_SETTING}));
    Pump();
    EXPECT_NE(std::find(dlg_->commands.begin(), dlg_->commands.end(), UINT(ID_REDO)),
              dlg_->commands.end());
    g_stillTool = 0;
}

} // namespace
