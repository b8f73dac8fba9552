// The main window's input hook over the synthetic camera: the hot keys by size family, F2 as
// one Camera command, the still hand-over, the zoom field's clicks, the calibration messages
// with the calibration file, the two popups and the overlay and format commands.
#include "tests/shell/MainWindowHarness.h"

#include "measure/PhotoMeasureDlg.h"

#include "kit/RegistrySettings.h"
#include "kit/SkinMenu.h"
#include "shell/Popups.h"

#include "imaging/DibImage.h"
#include "measure/Units.h"
#include "platform/services/ServiceSeams.h"
#include "platform/win/window/TestSeams.h"

#include "tests/support/Mouse.h"

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

using ms::capture::SyntheticCamera;
using mstest::SteppedCamera;

// The main window with the Camera button's command counted: F2 must reach it once per press.
class CCountingDlg : public CMicroscopeDlg {
public:
    int cameraCommands = 0;

protected:
    afx_msg void OnCameraClicked() { ++cameraCommands; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingDlg, CMicroscopeDlg)
ON_BN_CLICKED(1005, OnCameraClicked)
END_MESSAGE_MAP()

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class MainInputTest : public mstest::MainWindowHarness {
protected:
    void Key(WPARAM vk) {
        PostMessage(dlg_->m_hWnd, WM_KEYDOWN, vk, 0);
        Pump();
    }
    void Click(int id, Qt::MouseButton button) {
        QWidget* w = ms::WidgetOf(Item(id));
        ASSERT_TRUE(w);
        const QPoint at(w->width() / 2, w->height() / 2);
        ms::test::SendMouse(w, QEvent::MouseButtonPress, at, button, button);
        ms::test::SendMouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
        Pump();
    }
    LONG CapturedWidth() { return g_captureWnd.CurrentFormat().bmiHeader.biWidth; }
    LONG CapturedHeight() { return g_captureWnd.CurrentFormat().bmiHeader.biHeight; }
};

TEST_F(MainInputTest, FunctionKeysAskForTheirFamilysSizesAndF2TakesOnePicture) {
    const struct {
        std::vector<SIZE> family;
        SIZE f10, f11, f12;
    } cases[] = {
        {ms::capture::LargeSizeFamily(), {640, 480}, {1280, 960}, {1600, 1200}},
        {ms::capture::SmallSizeFamily(), {320, 240}, {640, 480}, {1280, 1024}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.f10.cx);
        SyntheticCamera::Instance().SetDevices({SteppedCamera("cam", c.family)});
        Open<CCountingDlg>();
        ASSERT_EQ(dlg_->IsConnected(), 1);
        for (const auto& [vk, size] :
             {std::pair{VK_F10, c.f10}, {VK_F11, c.f11}, {VK_F12, c.f12}}) {
            Key(vk);
            EXPECT_EQ(CapturedWidth(), size.cx);
            EXPECT_EQ(CapturedHeight(), size.cy);
            EXPECT_TRUE(SyntheticCamera::Instance().IsStreaming("cam"));
        }
        Key(VK_F2);
        EXPECT_EQ(static_cast<CCountingDlg*>(dlg_.get())->cameraCommands, 1);
        EXPECT_TRUE(IsWindow(dlg_->m_hWnd));
        dlg_->DestroyWindow();
        dlg_.reset();
        Pump();
    }
}

// With "CapConfig.dat" unwritable (a folder of that name in its place) the keys still change
// the size, and the operator reads once that it could not be stored.
TEST_F(MainInputTest, SizeKeysWorkWhenTheSizeCannotBeStoredAndSayItOnce) {
    SyntheticCamera::Instance().SetDevices({SteppedCamera()});
    std::filesystem::create_directory(program_ / "CapConfig.dat");
    Open();
    ASSERT_EQ(dlg_->IsConnected(), 1);
    const size_t before = ms::test::ShownLog().size();
    Key(VK_F10);
    EXPECT_EQ(CapturedWidth(), 640);
    Key(VK_F11);
    EXPECT_EQ(CapturedWidth(), 1280);
    EXPECT_EQ(CapturedHeight(), 960);
    std::vector<std::u16string> messages;
    for (size_t i = before; i < ms::test::ShownLog().size(); ++i)
        if (ms::test::ShownLog()[i].kind == ms::test::Shown::MessageBox)
            messages.push_back(ms::test::ShownLog()[i].text);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(u"CapConfig.dat"), std::u16string::npos);
    std::filesystem::remove(program_ / "CapConfig.dat");
}

// The still road up to the compositor: the hand-over reaches the hook, which takes the
// magnification text for the file name only when it is a number. The compositor here saves
// nothing, so nothing restarts and the shutter stays silent.
TEST_F(MainInputTest, StillHandOverTakesTheMagnificationOnlyWhenItIsANumber) {
    SyntheticCamera::Instance().SetDevices({SteppedCamera()});
    HWND hwnd = Open();
    ASSERT_EQ(dlg_->IsConnected(), 1);
    const struct {
        const char16_t* typed;
        const char16_t* named;
    } cases[] = {{u"25", u"25"}, {u"1.5", u"1.5"}, {u"a/b", u""}, {u"", u""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ms::ToUtf8(c.typed));
        SetDlgItemText(hwnd, IDC_SCALE, c.typed);
        dlg_->Stills().State().zoomText[0] = u'?';
        g_snapshotPending = 1;
        SyntheticCamera::Instance().PushFrame("cam");
        g_snapshotSource = 0;
        g_snapshotRequest = 1;
        ASSERT_TRUE(ms::test::PumpUntil([&] {
            SyntheticCamera::Instance().PushFrame("cam");
            return dlg_->Stills().State().zoomText[0] != u'?';
        }));
        EXPECT_EQ(std::u16string(dlg_->Stills().State().zoomText), c.named);
    }
    // Each still was written, so each made the shutter sound once (a failed one is silent:
    // see the snapshot road's tests).
    dlg_->FinishStills();
    EXPECT_EQ(ms::test::PlayedSounds().size(), std::size(cases));
}

TEST_F(MainInputTest, ZoomFieldClicksStayWithinOneToSix) {
    Open();
    g_zoomLevel = 3;
    for (int i = 0; i < 5; ++i)
        Click(IDC_ZOOM_FIELD, Qt::LeftButton);
    EXPECT_EQ(g_zoomLevel, 6);
    for (int i = 0; i < 7; ++i)
        Click(IDC_ZOOM_FIELD, Qt::RightButton);
    EXPECT_EQ(g_zoomLevel, 1);
    // A click elsewhere changes nothing.
    Click(IDC_SCALE_LABEL, Qt::LeftButton);
    EXPECT_EQ(g_zoomLevel, 1);
}

TEST_F(MainInputTest, CalibrationMessagesFillTheFieldsAndTheCalibrationFile) {
    HWND hwnd = Open();
    const auto ini = program_ / "CalibrationIni.ini";
    ASSERT_EQ(ms::ToUtf8(g_paths.calibIniPath), ini.string());

    SetDlgItemText(hwnd, IDC_SCALE, u"200");
    g_calibratedZoom = 213.456;
    PostMessage(hwnd, WM_APP_LIVE_CALIBRATED, 0, 0);
    Pump();
    EXPECT_EQ(mstest::WindowText(Item(IDC_CALIBRATED)), u"213.5");
    EXPECT_EQ(ReadAll(ini), "[200]\r\n200=213.456\r\n");
    EXPECT_EQ(dlg_->Zoom().Rate(), 213.456); // kept whole, shown rounded

    // A magnification that is no number names no entry.
    SetDlgItemText(hwnd, IDC_SCALE, u"[x]");
    g_calibratedZoom = 99.0;
    PostMessage(hwnd, WM_APP_LIVE_CALIBRATED, 0, 0);
    Pump();
    EXPECT_EQ(mstest::WindowText(Item(IDC_CALIBRATED)), u"99.0");
    EXPECT_EQ(ReadAll(ini), "[200]\r\n200=213.456\r\n");

    // A result that is no number reaches neither the field nor the file (typing 300, which
    // has no calibration, emptied the field; the result leaves it so).
    SetDlgItemText(hwnd, IDC_SCALE, u"300");
    EXPECT_EQ(mstest::WindowText(Item(IDC_CALIBRATED)), u"");
    SetDlgItemText(hwnd, IDC_CALIBRATED, u"99.0");
    g_calibratedZoom = std::nan("");
    PostMessage(hwnd, WM_APP_LIVE_CALIBRATED, 0, 0);
    Pump();
    EXPECT_EQ(mstest::WindowText(Item(IDC_CALIBRATED)), u"99.0");
    EXPECT_EQ(ReadAll(ini), "[200]\r\n200=213.456\r\n");

    // A calibration on a saved picture brings its magnification over.
    ms::CopyBounded(g_calibMagnificationText, 48, u"50");
    g_calibratedZoom = 48.04;
    PostMessage(hwnd, WM_APP_SYNC_CALIBRATION, 0, 0);
    Pump();
    EXPECT_EQ(mstest::WindowText(Item(IDC_SCALE)), u"50");
    EXPECT_EQ(mstest::WindowText(Item(IDC_CALIBRATED)), u"48.0");
}

// A message map that records the two open requests of the strip.
class COpenRequestDlg : public CMicroscopeDlg {
public:
    std::vector<UINT> requests;

protected:
    afx_msg LRESULT OnOpen(WPARAM, LPARAM) {
        requests.push_back(WM_APP_OPEN_PICTURE);
        return 0;
    }
    afx_msg LRESULT OnPlay(WPARAM, LPARAM) {
        requests.push_back(WM_APP_PLAY_VIDEO);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(COpenRequestDlg, CMicroscopeDlg)
ON_MESSAGE(WM_APP_OPEN_PICTURE, OnOpen)
ON_MESSAGE(WM_APP_PLAY_VIDEO, OnPlay)
END_MESSAGE_MAP()

TEST_F(MainInputTest, DoubleClickedStripItemsOpenOnlyCaptureSizedPictures) {
    auto picture = [&](const char* name, DWORD w, DWORD h, DWORD type) {
        CDibImage image;
        image.Create(w, h, 24);
        const auto path = program_ / name;
        EXPECT_TRUE(image.SaveToFile(ms::FromUtf8(path.string()).c_str(), type));
        return ms::FromUtf8(path.string());
    };
    const struct {
        std::u16string path;
        bool opens;
    } cases[] = {
        {picture("a.jpg", 640, 480, DIBIMAGE_TYPE_JPG), true},
        {picture("b.JPG", 1600, 1200, DIBIMAGE_TYPE_JPG), true},
        {picture("c.bmp", 1280, 1024, DIBIMAGE_TYPE_BMP), true},
        {picture("d.jpg", 800, 600, DIBIMAGE_TYPE_JPG), false},
        {picture("e.Jpg", 640, 480, DIBIMAGE_TYPE_JPG), false},
        {picture("f.png", 640, 480, DIBIMAGE_TYPE_BMP), false},
        {ms::FromUtf8((program_ / "gone.jpg").string()), false},
    };
    Open<COpenRequestDlg>();
    auto* dlg = static_cast<COpenRequestDlg*>(dlg_.get());
    g_listShowsPictures = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(ms::ToUtf8(c.path));
        dlg->requests.clear();
        EXPECT_EQ(dlg->Strip().OpenItem(c.path.c_str()), c.opens ? 1 : 0);
        Pump();
        EXPECT_EQ(dlg->requests,
                  c.opens ? std::vector<UINT>{WM_APP_OPEN_PICTURE} : std::vector<UINT>{});
        EXPECT_EQ(std::u16string(dlg->Strip().SelectedPath()), c.path);
    }
    // In the videos mode the item is a recording to play.
    g_listShowsPictures = 0;
    dlg->requests.clear();
    EXPECT_EQ(dlg->Strip().OpenItem(u"/videos/x.avi.bmp"), 1);
    Pump();
    EXPECT_EQ(dlg->requests, std::vector<UINT>{WM_APP_PLAY_VIDEO});
    g_listShowsPictures = 1;
}

// The whole road of a picture of the strip: the opened item shows in a photo-measure window.
TEST_F(MainInputTest, AnOpenedPictureShowsInAPhotoMeasureWindow) {
    CDibImage image;
    image.Create(1600, 1200, 24);
    const auto path = program_ / "Still_2026-03-07_090501_100X_N0001.jpg";
    ASSERT_TRUE(image.SaveToFile(ms::FromUtf8(path.string()).c_str(), DIBIMAGE_TYPE_JPG));
    HWND main = Open();
    g_listShowsPictures = 1;
    ASSERT_EQ(dlg_->Strip().OpenItem(ms::FromUtf8(path.string()).c_str()), 1);
    HWND window = nullptr;
    ASSERT_TRUE(ms::test::PumpUntil([&] {
        window = FindWindow(nullptr, u"Image Process");
        return window && window != main && IsWindowVisible(window);
    }));
    SendMessage(window, WM_CLOSE, 0, 0);
    ms::test::Pump();
}

TEST_F(MainInputTest, PopupsListTheirEntriesAndTheFormatIsTicked) {
    for (int format : {1, 2}) {
        g_imageFormat = format;
        std::unique_ptr<CSkinMenu> menu(BuildPreviewPopup());
        const std::vector<UINT> ids = {1273, 0, 1243, 1244, 1245, 395, 0};
        ASSERT_EQ(menu->GetMenuItemCount(), static_cast<int>(ids.size()) + 1);
        for (size_t i = 0; i < ids.size(); ++i)
            EXPECT_EQ(menu->GetMenuItemID(static_cast<int>(i)), ids[i] ? ids[i] : 0u) << i;
        CMenu* sub = menu->FindMenuOfCommand(1314);
        ASSERT_TRUE(sub);
        EXPECT_EQ((sub->GetMenuState(1314, MF_BYCOMMAND) & MF_CHECKED) != 0, format == 1);
        EXPECT_EQ((sub->GetMenuState(1315, MF_BYCOMMAND) & MF_CHECKED) != 0, format == 2);
    }
    std::unique_ptr<CSkinMenu> strip(BuildStripPopup());
    const std::vector<UINT> stripIds = {1234, 0, 1235, 1300, 0, 1236, 410, 0, 1274};
    ASSERT_EQ(strip->GetMenuItemCount(), static_cast<int>(stripIds.size()));
    for (size_t i = 0; i < stripIds.size(); ++i)
        EXPECT_EQ(strip->GetMenuItemID(static_cast<int>(i)), stripIds[i]) << i;

    // A right click on the preview opens its popup; choosing BMP stores the format.
    Open();
    g_imageFormat = 2;
    ms::test::ChoosePopupCommand(1314);
    Click(IDC_PREVIEW, Qt::RightButton);
    ASSERT_EQ(ms::test::ShownMenus().size(), 1u);
    EXPECT_EQ(ms::test::ShownMenus().back().items.front().id, 1273u);
    EXPECT_EQ(g_imageFormat, 1);
    HKEY key = nullptr;
    ASSERT_EQ(
        RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\varazizuziVe\\LanguageID", 0, KEY_READ, &key),
        ERROR_SUCCESS);
    DWORD value = 0, type = 0, size = sizeof value;
    RegQueryValueEx(key, u"ImageFormat", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    EXPECT_EQ(value, 1u);
}

TEST_F(MainInputTest, OverlaysSwitchOnlyWithADeviceAndTheScaledOnesOnlyWithAMagnification) {
    HWND hwnd = Open();
    SendMessage(hwnd, WM_COMMAND, 1243, 0);
    EXPECT_EQ(g_liveView.Snapshot().showCrossLine, 0) << "no device runs";
    dlg_->DestroyWindow();

    SyntheticCamera::Instance().SetDevices({SteppedCamera()});
    hwnd = Open();
    ASSERT_EQ(dlg_->IsConnected(), 1);
    SendMessage(hwnd, WM_COMMAND, 1243, 0);
    SendMessage(hwnd, WM_COMMAND, 395, 0);
    EXPECT_EQ(g_liveView.Snapshot().showCrossLine, 1);
    EXPECT_EQ(g_liveView.Snapshot().showDateTime, 1);
    SendMessage(hwnd, WM_COMMAND, 1243, 0);
    EXPECT_EQ(g_liveView.Snapshot().showCrossLine, 0);

    // No magnification: the operator is asked for one and the scale bar stays off.
    SetDlgItemText(hwnd, IDC_SCALE, u"");
    SetDlgItemText(hwnd, IDC_CALIBRATED, u"");
    SendMessage(hwnd, WM_COMMAND, 1244, 0);
    EXPECT_EQ(g_liveView.Snapshot().showScaleBar, 0);
    ASSERT_FALSE(ms::test::ShownLog().empty());
    EXPECT_EQ(ms::test::ShownLog().back().text, u"Please input the zoomIn scale!");

    SetDlgItemText(hwnd, IDC_SCALE, u"100");
    SendMessage(hwnd, WM_COMMAND, 1245, 0);
    EXPECT_EQ(g_liveView.Snapshot().showCircleOverlay, 1);
    EXPECT_DOUBLE_EQ(g_captureWnd.m_liveScale, 100 / (UnitScale() * 10));
    EXPECT_DOUBLE_EQ(g_captureWnd.m_liveZoom, 100);
    SendMessage(hwnd, WM_COMMAND, 1245, 0);
    EXPECT_EQ(g_liveView.Snapshot().showCircleOverlay, 0);
}

} // namespace
