// Tessary's main window, driven headless: start-up in an empty home (folders, registry
// defaults, language from LANG), the skin layout (client 868 x 650, centred, the 46 buttons at
// their places with their visibility, enabled state and tooltip), no device (every button but
// Close disabled, the connect prompt), full screen and back with Esc (also after minimising),
// the calibration prompt and its "sys_date" switch, the language switch, help and About.
#include "capture/CaptureWnd.h"
#include "kit/LangText.h"
#include "kit/RegistrySettings.h"
#include "kit/SaveFolders.h"
#include "shell/AboutDlg.h"
#include "shell/MicroscopeDlg.h"
#include "shell/ThumbnailStrip.h"

#include "platform/capture/SyntheticCamera.h"
#include "platform/services/ServiceSeams.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"
#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"

#include "tests/support/Pump.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

using ms::test::PumpUntil;

// The main window needs a few more rounds than the shared default.
void Pump() {
    ms::test::Pump(6);
}

std::u16string Text(HWND hwnd) {
    WCHAR buf[256] = {};
    GetWindowText(hwnd, buf, 256);
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

DWORD ReadDword(LPCWSTR subKey, LPCWSTR name, DWORD missing = 0xDEADBEEF) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return missing;
    DWORD value = missing, type = 0, size = sizeof value;
    RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return value;
}

constexpr LPCWSTR kLanguageKey = u"SOFTWARE\\varazizuziVe\\LanguageID";

int ToolCount(HWND tip) {
    return static_cast<int>(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0));
}

// Whether the tooltip has a tool for the button.
bool HasTool(HWND tip, HWND button, int id) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = button;
    ti.uId = static_cast<UINT_PTR>(id);
    return SendMessage(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        g_hInstance = GetModuleHandle(nullptr);
        home_ = mstest::Home();
        program_ = mstest::NewProgramDir(mstest::ProgramFiles::None);
        // A first start each time, also when the cases share one process.
        for (LPCWSTR key : {u"SOFTWARE\\varazizuziVe\\font", u"SOFTWARE\\varazizuziVe\\LanguageID",
                            u"SOFTWARE\\varazizuziVe\\Units", u"SOFTWARE\\varazizuziVe"})
            RegDeleteKey(HKEY_CURRENT_USER, key);
        g_langFilePath[0] = 0;
        g_liveView.Change([](LiveViewSnapshot& s) { s.fullScreen = 0; });
        g_minimized = 0;
        g_listShowsPictures = 1;
        g_showCalibPrompt = 1;
        // No device unless a test plugs one in.
        ms::capture::UseSyntheticCamera(true);
        ms::capture::SyntheticCamera::Instance().SetDevices({});
    }
    void TearDown() override {
        if (dlg_ && dlg_->m_hWnd)
            dlg_->DestroyWindow();
        dlg_.reset();
        Pump();
        ms::test::ResetSeams();
        ms::capture::SyntheticCamera::Instance().ResetToDefault();
    }
    void WriteLanguageFile(const char* name, const std::string& entries) {
        std::ofstream(program_ / name) << "\xEF\xBB\xBF[Rontage]\n" << entries;
    }
    // The main window, modeless so that the test can look at it. Its calibration reminder
    // shows 100 ms after start-up; unless the test answers it itself, it is closed with Cancel.
    HWND Open(bool answerPrompt = true) {
        if (answerPrompt)
            ms::test::PressInDialog(IDD_CALIBRATE_PROMPT, IDCANCEL);
        dlg_ = std::make_unique<CMicroscopeDlg>();
        EXPECT_TRUE(dlg_->Create(IDD_MAIN));
        Pump();
        return dlg_->m_hWnd;
    }
    HWND Item(int id) const { return GetDlgItem(dlg_->m_hWnd, id); }
    // The tooltip text of a button: its entry's text, which the tooltip was given, or
    // "<none>" when the tooltip has no tool for it.
    std::u16string ToolText(int id) const {
        const int i = SkinButtonIndex(id);
        if (i < 0 || !HasTool(dlg_->SkinBar().TipWindow(), Item(id), id))
            return u"<none>";
        return dlg_->SkinBar().Entries()[i].tip;
    }
    void PressKey(WPARAM vk) {
        PostMessage(dlg_->m_hWnd, WM_KEYDOWN, vk, 0);
        Pump();
    }

    fs::path home_, program_;
    std::unique_ptr<CMicroscopeDlg> dlg_;
};

TEST_F(MainWindowTest, FirstStartInAnEmptyHome) {
    setenv("LANG", "de_DE.UTF-8", 1);
    WriteLanguageFile("German1252.ini", "MsgTitle=Mikroskop\nTipLine=Linie messen\n");
    HWND hwnd = Open();
    ASSERT_TRUE(hwnd);
    const fs::path base = home_ / "Documents" / "Tessary files";
    EXPECT_TRUE(fs::is_directory(base / "Picture"));
    EXPECT_TRUE(fs::is_directory(base / "Video"));
    // Registry defaults, and the system's language stored as the choice.
    EXPECT_EQ(ReadDword(kLanguageKey, u"sys_date"), 1u);
    EXPECT_EQ(ReadDword(kLanguageKey, u"ImageFormat"), 2u);
    EXPECT_EQ(ReadDword(u"SOFTWARE\\varazizuziVe\\font", u"fontsize"), 16u);
    EXPECT_EQ(ReadDword(kLanguageKey, u"LanID"), 7u);
    EXPECT_EQ(ms::ToUtf8(g_langFilePath), (program_ / "German1252.ini").string());
    // The title is the built-in one whatever the language file says.
    EXPECT_EQ(Text(hwnd), u"Tessary");
    EXPECT_EQ(ToolText(1179), u"Linie messen");
    EXPECT_EQ(Text(Item(IDC_SCALE)), u"100");
    EXPECT_EQ(SendMessage(Item(IDC_SCALE), EM_GETLIMITTEXT, 0, 0), 5);
    unsetenv("LANG");
}

TEST_F(MainWindowTest, ClientAreaIsTheSkinAndTheWindowIsCentred) {
    HWND hwnd = Open();
    RECT client, window;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &window);
    EXPECT_EQ(client.right - client.left, 868);
    EXPECT_EQ(client.bottom - client.top, 650);
    const int w = window.right - window.left, h = window.bottom - window.top;
    // Centred, and kept on a screen smaller than the window.
    EXPECT_EQ(window.left, std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) / 2));
    EXPECT_EQ(window.top, std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2));
    const RECT preview = ClientRectOf(hwnd, Item(IDC_PREVIEW));
    EXPECT_EQ(preview.left, 98);
    EXPECT_EQ(preview.top, 49);
    EXPECT_EQ(preview.right - preview.left, 640);
    EXPECT_EQ(preview.bottom - preview.top, 480);
    const RECT strip = ClientRectOf(hwnd, Item(IDC_THUMBNAILS));
    EXPECT_EQ(strip.left, 97);
    EXPECT_EQ(strip.top, 530);
    EXPECT_EQ(strip.right - strip.left, 642);
    EXPECT_EQ(strip.bottom - strip.top, 115);
    // The frames, the scale label and fields, and the zoom field beside the preview.
    struct Place {
        int id, x, y, cx, cy;
    };
    constexpr Place kPlaces[] = {
        {IDC_FRAME_MEASURE, 744, 56, 111, 175},    {IDC_FRAME_AUTO, 744, 232, 111, 100},
        {IDC_FRAME_COMPARISON, 743, 333, 112, 60}, {IDC_FRAME_CALIBRATION, 743, 442, 112, 88},
        {IDC_SCALE_LABEL, 747, 465, 52, 20},       {IDC_SCALE, 800, 462, 52, 24},
        {IDC_CALIBRATED, 750, 495, 52, 24},        {IDC_ZOOM_FIELD, 738, 530, 120, 120},
    };
    for (const Place& p : kPlaces) {
        SCOPED_TRACE(p.id);
        const RECT r = ClientRectOf(hwnd, Item(p.id));
        EXPECT_EQ(r.left, p.x);
        EXPECT_EQ(r.top, p.y);
        EXPECT_EQ(r.right - r.left, p.cx);
        EXPECT_EQ(r.bottom - r.top, p.cy);
        EXPECT_TRUE(IsWindowVisible(Item(p.id)));
    }
}

TEST_F(MainWindowTest, EachButtonAtItsPlaceWithoutADevice) {
    HWND hwnd = Open();
    HWND tip = dlg_->SkinBar().TipWindow();
    ASSERT_TRUE(tip);
    EXPECT_EQ(ToolCount(tip), kSkinButtonCount);
    for (const SkinButtonRow& entry : kSkinButtons) {
        SCOPED_TRACE(entry.id);
        HWND button = Item(entry.id);
        ASSERT_TRUE(button);
        const RECT r = ClientRectOf(hwnd, button);
        const SIZE size = BitmapSize(entry.normalBitmap);
        EXPECT_EQ(r.left, entry.x);
        EXPECT_EQ(r.top, entry.y);
        EXPECT_EQ(r.right - r.left, size.cx);
        EXPECT_EQ(r.bottom - r.top, size.cy);
        EXPECT_EQ(IsWindowVisible(button) != 0, entry.shown);
        // No device: every button but Close is disabled.
        EXPECT_EQ(IsWindowEnabled(button) != 0, entry.id == 1177);
        std::u16string expected = entry.tipDefault;
        // The profile reader drops a default's trailing blanks, as Windows does
        // ("Auto Circle-Arc ").
        while (!expected.empty() && expected.back() == u' ')
            expected.pop_back();
        if (entry.id == IDC_BTN_SNAPSHOT_SWITCH)
            expected = kSwitchDisableDefault; // pressed while "IsEnableSnap" is not 1
        EXPECT_EQ(ToolText(entry.id), expected);
    }
    EXPECT_EQ(g_liveView.Snapshot().statusText, u"Please connect Dorvex Digital Microscope");
    EXPECT_EQ(dlg_->IsConnected(), 0);

    // A device start enables what the table says and presses Preview.
    dlg_->EnableDeviceButtons();
    for (const SkinButtonRow& entry : kSkinButtons) {
        SCOPED_TRACE(entry.id);
        EXPECT_EQ(IsWindowEnabled(Item(entry.id)) != 0, entry.enabledAfterStart);
    }
    EXPECT_TRUE(dlg_->ToggleButton(1014)->IsPressed());
}

TEST_F(MainWindowTest, ButtonsShowTheirPictures) {
    HWND hwnd = Open();
    dlg_->EnableDeviceButtons();
    for (int id : {1177, 1005, 1179, 1202}) {
        SCOPED_TRACE(id);
        HWND button = Item(id);
        const SkinButtonRow& entry = kSkinButtons[SkinButtonIndex(id)];
        // Toggle buttons show the pressed picture while their flag is set (Picture folder).
        const UINT shown = id == 1202 ? entry.pressedBitmap : entry.normalBitmap;
        HBITMAP bmp = LoadBitmap(nullptr, MAKEINTRESOURCE(shown));
        const QImage expected = ms::ImageOfBitmap(bmp).convertToFormat(QImage::Format_RGB32);
        DeleteObject(bmp);
        const QImage actual = ms::test::SurfacePicture(button);
        ASSERT_EQ(actual.size(), expected.size());
        const QPoint centre(expected.width() / 2, expected.height() / 2);
        EXPECT_EQ(actual.pixel(centre), expected.pixel(centre));
        EXPECT_EQ(actual.pixel(2, 2), expected.pixel(2, 2));
    }
    (void)hwnd;
}

TEST_F(MainWindowTest, LanguageTextsFollowTheLanguageCommands) {
    WriteLanguageFile("German1252.ini",
                      "TipArc=Bogen\nConnectMsg=Bitte Mikroskop anschliessen\nTipMeasure=Messen\n");
    HWND hwnd = Open();
    HWND tip = dlg_->SkinBar().TipWindow();
    EXPECT_EQ(ToolText(1205), u"Arc Measurement");
    EXPECT_EQ(ToolText(1207), u"Auto Circle-Arc");
    SendMessage(hwnd, WM_COMMAND, 1305, 0);
    // One key for two buttons: a file that defines it gives both the same text.
    EXPECT_EQ(ToolText(1205), u"Bogen");
    EXPECT_EQ(ToolText(1207), u"Bogen");
    EXPECT_EQ(Text(Item(IDC_FRAME_MEASURE)), u"Messen");
    EXPECT_EQ(Text(Item(IDC_FRAME_AUTO)), u"Auto Measure");
    EXPECT_EQ(Text(hwnd), u"Tessary");
    EXPECT_EQ(Text(Item(IDC_PREVIEW)), u"Bitte Mikroskop anschliessen");
    EXPECT_EQ(ReadDword(kLanguageKey, u"LanID"), 7u);
    EXPECT_EQ(ToolCount(tip), kSkinButtonCount);

    // The Language button's popup sends the same commands.
    ms::test::ChoosePopupCommand(1301);
    SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(1293, BN_CLICKED),
                reinterpret_cast<LPARAM>(Item(1293)));
    Pump();
    ASSERT_EQ(ms::test::ShownMenus().size(), 1u);
    EXPECT_EQ(ms::test::ShownMenus().back().result, 1301u);
    EXPECT_EQ(ReadDword(kLanguageKey, u"LanID"), 9u);
    EXPECT_EQ(ToolText(1205), u"Arc Measurement");
    EXPECT_EQ(Text(Item(IDC_PREVIEW)), u"Please connect Dorvex Digital Microscope");
}

// Every language file's captions of the measuring panel fit their controls with the window's
// font: a caption cut short ("Automatic meas") leaves the operator guessing.
TEST_F(MainWindowTest, EveryLanguageFitsThePanelCaptions) {
    HWND hwnd = Open();
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(MS_LANG_DIR))
        if (entry.path().extension() == ".ini")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 24u);
    for (const fs::path& file : files) {
        const std::u16string path = ms::FromUtf8(file.string());
        std::copy_n(path.c_str(), path.size() + 1, g_langFilePath);
        dlg_->LoadLangTexts();
        for (const LangTextItem& item : kFrameCaptions) {
            QWidget* w = ms::WidgetOf(Item(item.controlId));
            ASSERT_NE(w, nullptr);
            // A group box's title takes the style's label rectangle; a label's text its hint.
            int needed = w->sizeHint().width();
            if (auto* box = qobject_cast<QGroupBox*>(w)) {
                QStyleOptionGroupBox opt;
                opt.initFrom(box);
                opt.text = box->title();
                opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
                needed =
                    box->style()
                        ->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box)
                        .right() +
                    1;
            }
            EXPECT_LE(needed, w->width())
                << file.filename() << " " << ms::ToUtf8(Text(Item(item.controlId)));
        }
    }
    EXPECT_TRUE(IsWindow(hwnd));
}

// The live view's painter reads the window's texts, fonts and layout on the capture thread:
// one snapshot per frame, whole, while the UI thread switches layouts and languages.
TEST_F(MainWindowTest, PainterReadsWholeSnapshotsWhileTheWindowChanges) {
    HWND hwnd = Open();
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0}, broken{0};
    std::thread painter([&] {
        while (!stop) {
            const LiveViewSnapshot s = g_liveView.Snapshot();
            if (s.statusText.empty() || !s.overlayFont || !s.counterFont ||
                (s.fullScreen && s.escHintText.empty()))
                ++broken;
            ++frames;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int i = 0; i < 4; ++i) {
        SendMessage(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        Pump();
        SendMessage(hwnd, WM_COMMAND, i % 2 ? 1301 : 1302, 0);
        SendMessage(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        Pump();
    }
    stop = true;
    painter.join();
    EXPECT_GT(frames.load(), 0);
    EXPECT_EQ(broken.load(), 0);
    EXPECT_EQ(g_liveView.Snapshot().fullScreen, 0);
}

TEST_F(MainWindowTest, FullScreenHidesEverythingAndEscRestores) {
    HWND hwnd = Open();
    HWND tip = dlg_->SkinBar().TipWindow();
    RECT before;
    GetWindowRect(hwnd, &before);
    dlg_->EnableDeviceButtons();

    SendMessage(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    EXPECT_EQ(FullScreen(), 1);
    for (const SkinButtonRow& entry : kSkinButtons)
        EXPECT_FALSE(IsWindowVisible(Item(entry.id))) << entry.id;
    for (int id :
         {IDC_SCALE, IDC_CALIBRATED, IDC_FRAME_MEASURE, IDC_FRAME_CALIBRATION, IDC_FRAME_AUTO,
          IDC_FRAME_COMPARISON, IDC_SCALE_LABEL, IDC_ZOOM_FIELD, IDC_THUMBNAILS})
        EXPECT_FALSE(IsWindowVisible(Item(id))) << id;
    EXPECT_EQ(ToolCount(tip), 0);
    RECT window, client, preview;
    GetWindowRect(hwnd, &window);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_EQ(window.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(window.bottom, GetSystemMetrics(SM_CYSCREEN));
    GetClientRect(hwnd, &client);
    GetClientRect(Item(IDC_PREVIEW), &preview);
    EXPECT_EQ(preview.right, client.right);
    EXPECT_EQ(preview.bottom, client.bottom);
    EXPECT_TRUE(IsWindowVisible(Item(IDC_PREVIEW)));

    PressKey(VK_ESCAPE);
    EXPECT_EQ(FullScreen(), 0);
    GetWindowRect(hwnd, &window);
    EXPECT_EQ(CRect(window), CRect(before));
    for (const SkinButtonRow& entry : kSkinButtons) {
        EXPECT_EQ(IsWindowVisible(Item(entry.id)) != 0, entry.shown) << entry.id;
        EXPECT_EQ(IsWindowEnabled(Item(entry.id)) != 0, entry.enabledAfterStart) << entry.id;
    }
    EXPECT_TRUE(IsWindowVisible(Item(IDC_THUMBNAILS)));
    EXPECT_EQ(ToolCount(tip), kSkinButtonCount);
    const RECT p = ClientRectOf(hwnd, Item(IDC_PREVIEW));
    EXPECT_EQ(p.left, 98);
    EXPECT_EQ(p.right - p.left, 640);
}

TEST_F(MainWindowTest, FullScreenScalesTheLiveViewToThePreviewAndBack) {
    HWND hwnd = Open();
    SendMessage(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    ASSERT_EQ(FullScreen(), 1);
    RECT preview;
    GetClientRect(Item(IDC_PREVIEW), &preview);
    const double rows = g_captureWidth == 1280 && g_captureHeight == 1024 ? 512.0 : 480.0;
    LiveViewSnapshot shown = g_liveView.Snapshot();
    EXPECT_DOUBLE_EQ(shown.previewScaleX, preview.right / 640.0);
    EXPECT_DOUBLE_EQ(shown.previewScaleY, preview.bottom / rows);
    PressKey(VK_ESCAPE);
    shown = g_liveView.Snapshot();
    EXPECT_EQ(shown.previewScaleX, 1.0);
    EXPECT_EQ(shown.previewScaleY, 1.0);
}

TEST_F(MainWindowTest, MinimiseAndRestoreInFullScreenThenEscGivesTheNormalWindow) {
    HWND hwnd = Open();
    RECT before;
    GetWindowRect(hwnd, &before);
    SendMessage(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    SendMessage(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_TRUE(IsIconic(hwnd));
    SendMessage(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(IsIconic(hwnd));
    EXPECT_EQ(FullScreen(), 1) << "a restore keeps the layout the window had";
    PressKey(VK_ESCAPE);
    EXPECT_EQ(FullScreen(), 0);
    RECT window;
    GetWindowRect(hwnd, &window);
    EXPECT_EQ(CRect(window), CRect(before));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsWindowVisible(Item(1176)));
    EXPECT_EQ(ToolCount(dlg_->SkinBar().TipWindow()), kSkinButtonCount);
}

TEST_F(MainWindowTest, MinimiseAndRestoreKeepTheNormalLayoutAndEscAndEnterDoNothing) {
    HWND hwnd = Open();
    RECT before;
    GetWindowRect(hwnd, &before);
    PressKey(VK_ESCAPE);
    PressKey(VK_RETURN);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    SendMessage(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    SendMessage(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_EQ(FullScreen(), 0);
    RECT window;
    GetWindowRect(hwnd, &window);
    EXPECT_EQ(CRect(window), CRect(before));
    EXPECT_TRUE(IsWindowVisible(Item(1005)));
}

TEST_F(MainWindowTest, TitleStripDragsTheWindowButNotLeftOfTheButtons) {
    HWND hwnd = Open();
    auto hit = [&](int x, int y) {
        POINT p{x, y};
        ClientToScreen(hwnd, &p);
        return SendMessage(hwnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    };
    EXPECT_EQ(hit(10, 10), HTCAPTION);
    EXPECT_EQ(hit(699, 45), HTCAPTION);
    EXPECT_EQ(hit(700, 10), HTCLIENT);
    EXPECT_EQ(hit(10, 46), HTCLIENT);
}

TEST_F(MainWindowTest, StripModesRedrawTheSkinBehindTheStrip) {
    Open();
    dlg_->SetListMode(0);
    EXPECT_EQ(g_listShowsPictures, 0);
    dlg_->SetListMode(1);
    EXPECT_EQ(g_listShowsPictures, 1);
    EXPECT_EQ(ToolCount(dlg_->SkinBar().TipWindow()), kSkinButtonCount);
}

TEST_F(MainWindowTest, CalibrationPromptUntickedOkStoresZero) {
    bool shown = false;
    ms::test::AnswerDialog(IDD_CALIBRATE_PROMPT, [&](HWND prompt) {
        shown = true;
        EXPECT_EQ(IsDlgButtonChecked(prompt, IDC_PROMPT_AGAIN), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(Text(GetDlgItem(prompt, IDC_PROMPT_TEXT)),
                  u"Please calibrate before measurement");
        EXPECT_EQ(Text(GetDlgItem(prompt, IDC_PROMPT_AGAIN)), u"Pop-up window next time.");
        EXPECT_EQ(Text(prompt), u"Prompt");
        CheckDlgButton(prompt, IDC_PROMPT_AGAIN, BST_UNCHECKED);
        SendMessage(prompt, WM_COMMAND, IDOK, 0);
    });
    Open(false);
    ASSERT_TRUE(PumpUntil([&] { return shown; }));
    Pump();
    EXPECT_EQ(g_showCalibPrompt, 0);
    EXPECT_EQ(ReadDword(kLanguageKey, u"sys_date"), 0u);

    // The next start shows no reminder: its start-up timer reads "sys_date" again and posts
    // nothing.
    dlg_->DestroyWindow();
    ms::test::ResetSeams();
    g_showCalibPrompt = 1;
    Open();
    ASSERT_TRUE(PumpUntil([&] { return g_showCalibPrompt == 0; }));
    Pump();
    for (const auto& s : ms::test::ShownLog())
        EXPECT_NE(s.templateId, static_cast<UINT>(IDD_CALIBRATE_PROMPT));
}

TEST_F(MainWindowTest, CalibrationPromptCancelChangesNothing) {
    bool shown = false;
    ms::test::AnswerDialog(IDD_CALIBRATE_PROMPT, [&](HWND prompt) {
        shown = true;
        CheckDlgButton(prompt, IDC_PROMPT_AGAIN, BST_UNCHECKED);
        SendMessage(prompt, WM_COMMAND, IDCANCEL, 0);
    });
    Open(false);
    ASSERT_TRUE(PumpUntil([&] { return shown; }));
    EXPECT_EQ(g_showCalibPrompt, 1);
    EXPECT_EQ(ReadDword(kLanguageKey, u"sys_date"), 1u);
}

TEST_F(MainWindowTest, AboutBoxTexts) {
    WriteLanguageFile("English1252.ini", "AboutVeltrax2=Tessary Pro\n");
    HWND hwnd = Open();
    SendMessage(hwnd, WM_COMMAND, 1301, 0);
    std::u16string caption, name, version, ok;
    ms::test::AnswerDialog(IDD_ABOUTBOX, [&](HWND about) {
        caption = Text(about);
        name = Text(GetDlgItem(about, IDC_ABOUT_NAME));
        version = Text(GetDlgItem(about, IDC_ABOUT_VERSION));
        ok = Text(GetDlgItem(about, IDOK));
        SendMessage(about, WM_COMMAND, IDOK, 0);
    });
    SendMessage(hwnd, WM_COMMAND, ID_ABOUT_BOX, 0);
    EXPECT_EQ(caption, u"About Tessary");
    EXPECT_EQ(name, u"Tessary Pro");
    EXPECT_EQ(version, u"Version 2.00.0002.01");
    EXPECT_EQ(ok, u"OK");
}

TEST_F(MainWindowTest, AboutButtonPopupOpensTheAboutBox) {
    HWND hwnd = Open();
    bool aboutShown = false;
    ms::test::AnswerDialog(IDD_ABOUTBOX, [&](HWND about) {
        aboutShown = true;
        SendMessage(about, WM_COMMAND, IDOK, 0);
    });
    ms::test::ChoosePopupCommand(ID_ABOUT_BOX);
    SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(1199, BN_CLICKED),
                reinterpret_cast<LPARAM>(Item(1199)));
    Pump();
    ASSERT_EQ(ms::test::ShownMenus().size(), 1u);
    const ms::test::ShownMenu& menu = ms::test::ShownMenus().back();
    ASSERT_EQ(menu.items.size(), 3u);
    EXPECT_EQ(menu.items[0].id, static_cast<UINT>(ID_HELP_FILE));
    EXPECT_EQ(menu.items[1].id, static_cast<UINT>(ID_UPDATE_WEB));
    EXPECT_EQ(menu.items[2].id, static_cast<UINT>(ID_ABOUT_BOX));
    // Left edge at the button's, top 4 pixels above its bottom.
    RECT button;
    GetWindowRect(Item(1199), &button);
    EXPECT_EQ(menu.at.x, button.left);
    EXPECT_EQ(menu.at.y, button.bottom - 4);
    EXPECT_TRUE(aboutShown);
}

TEST_F(MainWindowTest, HelpPageFollowsTheLanguageAndSupportOpensTheWebPage) {
    std::ofstream(program_ / "Tessary-EN.html") << "<html></html>";
    std::ofstream(program_ / "Tessary-CN.html") << "<html></html>";
    HWND hwnd = Open();
    auto lastOpened = [] {
        const auto& launches = ms::test::Launches();
        return launches.empty() ? std::string() : ms::ToUtf8(launches.back().argv.back());
    };
    SendMessage(hwnd, WM_COMMAND, 1302, 0);
    EXPECT_EQ(ms::ToUtf8(dlg_->HelpPath()), (program_ / "Tessary-CN.CHM").string());
    SendMessage(hwnd, WM_COMMAND, ID_HELP_FILE, 0);
    EXPECT_EQ(lastOpened(), (program_ / "Tessary-CN.html").string());
    SendMessage(hwnd, WM_COMMAND, 1351, 0);
    EXPECT_EQ(ms::ToUtf8(dlg_->HelpPath()), (program_ / "Tessary-EN.CHM").string());
    // F1 on a button of the window: the help request climbs to the window's help handler.
    const std::size_t before = ms::test::Launches().size();
    QWidget* button = ms::WidgetOf(Item(1177));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(button, &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(button, &up);
    EXPECT_EQ(ms::test::Launches().size(), before + 1);
    EXPECT_EQ(lastOpened(), (program_ / "Tessary-EN.html").string());
    SendMessage(hwnd, WM_COMMAND, ID_UPDATE_WEB, 0);
    EXPECT_EQ(lastOpened(), ms::ToUtf8(kSupportPageAddress));
}

TEST_F(MainWindowTest, CloseTwiceAndDeviceEventsAfterCloseAreHarmless) {
    HWND hwnd = Open();
    EXPECT_EQ(dlg_->ReleaseResources(), 1);
    EXPECT_EQ(dlg_->ReleaseResources(), 1);
    SendMessage(hwnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
    Pump();
    EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(MainWindowTest, PreviewIsTheCaptureWindowAndTheSnapshotSwitchTogglesTheDeviceButton) {
    HWND hwnd = Open();
    EXPECT_EQ(g_captureWnd.m_hWnd, Item(IDC_PREVIEW));
    EXPECT_EQ(CWnd::FromHandlePermanent(Item(IDC_PREVIEW)), &g_captureWnd);
    // The preview keeps its own look while no frame is painted: the connect prompt.
    EXPECT_EQ(Text(Item(IDC_PREVIEW)), u"Please connect Dorvex Digital Microscope");

    // Pressed at start: the device's snapshot button is off.
    CToggleBitmapButton* sw = dlg_->ToggleButton(IDC_BTN_SNAPSHOT_SWITCH);
    ASSERT_TRUE(sw);
    ASSERT_TRUE(sw->IsPressed());
    const int i = SkinButtonIndex(IDC_BTN_SNAPSHOT_SWITCH);
    EXPECT_EQ(std::u16string(dlg_->SkinBar().Entries()[i].tip), u"Snapshot Disable");
    const WPARAM click = MAKEWPARAM(IDC_BTN_SNAPSHOT_SWITCH, BN_CLICKED);
    SendMessage(hwnd, WM_COMMAND, click, reinterpret_cast<LPARAM>(Item(IDC_BTN_SNAPSHOT_SWITCH)));
    EXPECT_FALSE(sw->IsPressed());
    EXPECT_EQ(g_snapEnable, 1);
    EXPECT_EQ(ReadDword(kLanguageKey, u"IsEnableSnap"), 1u);
    EXPECT_EQ(std::u16string(dlg_->SkinBar().Entries()[i].tip), u"Snapshot Enable");
    SendMessage(hwnd, WM_COMMAND, click, reinterpret_cast<LPARAM>(Item(IDC_BTN_SNAPSHOT_SWITCH)));
    EXPECT_TRUE(sw->IsPressed());
    EXPECT_EQ(g_snapEnable, 0);
    EXPECT_EQ(ReadDword(kLanguageKey, u"IsEnableSnap"), 0u);
    EXPECT_EQ(std::u16string(dlg_->SkinBar().Entries()[i].tip), u"Snapshot Disable");

    // The capture window lets go of the control with the main window, and binds to the next.
    dlg_->DestroyWindow();
    EXPECT_FALSE(g_captureWnd.m_hWnd);
    Open();
    EXPECT_EQ(g_captureWnd.m_hWnd, Item(IDC_PREVIEW));
}

} // namespace
