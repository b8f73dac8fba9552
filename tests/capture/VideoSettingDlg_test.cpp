// The Video Setting dialog over the synthetic camera, run modally through the dialog test
// seam: the picture-control rows, the spin bars and Default against the device's values, the
// device and resolution lists, the refresh on a device notice and the save-folder choice.
#include "capture/VideoSettingDlg.h"
#include "tests/support/Pump.h"

#include "kit/SaveFolders.h"
#include "tests/support/TestEnvironment.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/WString.h"
#include "platform/win/dialogs/DialogSeams.h"
#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>

namespace {

const std::filesystem::path g_home = mstest::Home();
const std::filesystem::path g_program = mstest::NewProgramDir(mstest::ProgramFiles::None);

namespace fs = std::filesystem;
using ms::capture::SyntheticCamera;
using ms::capture::SyntheticControl;
using ms::capture::SyntheticDevice;

constexpr long kManual = VideoProcAmp_Flags_Manual;

// Brightness -64..64 (default 0), gamma 100..300 (default 150) and the other rows' controls.
SyntheticDevice Device(const std::string& id, std::u16string name = u"",
                       std::vector<SIZE> sizes = ms::capture::LargeSizeFamily()) {
    SyntheticDevice d;
    d.id = id;
    d.friendlyName = name.empty() ? u"Camera " + std::u16string(id.begin(), id.end()) : name;
    d.sizes = std::move(sizes);
    d.framesPerSecond = 0;
    d.controls = {
        {VideoProcAmp_Brightness, {-64, 64, 1, 0, kManual}, false},
        {VideoProcAmp_Contrast, {0, 100, 1, 50, kManual}, false},
        {VideoProcAmp_Hue, {-180, 180, 1, 0, kManual}, false},
        {VideoProcAmp_Saturation, {0, 100, 1, 64, kManual}, false},
        {VideoProcAmp_Sharpness, {0, 7, 1, 3, kManual}, false},
        {VideoProcAmp_Gamma, {100, 300, 1, 150, kManual}, false},
    };
    return d;
}

std::u16string Text(HWND dlg, int id) {
    WCHAR buf[300] = {};
    ::GetDlgItemText(dlg, id, buf, 300);
    return buf;
}

LRESULT Send(HWND dlg, int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    return ::SendDlgItemMessage(dlg, id, msg, wp, lp);
}

void Spin(HWND dlg, int spinId, int code) {
    ::SendMessage(dlg, WM_VSCROLL, MAKEWPARAM(code, 0),
                  reinterpret_cast<LPARAM>(::GetDlgItem(dlg, spinId)));
}

void Choose(HWND dlg, int comboId, int item) {
    Send(dlg, comboId, CB_SETCURSEL, static_cast<WPARAM>(item));
    ::SendMessage(dlg, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                  reinterpret_cast<LPARAM>(::GetDlgItem(dlg, comboId)));
}

void Click(HWND dlg, int id) {
    ::SendMessage(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                  reinterpret_cast<LPARAM>(::GetDlgItem(dlg, id)));
}

class VideoSettingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::capture::UseSyntheticCamera(true);
        ms::capture::SetPostMessage([](HWND, UINT, WPARAM, LPARAM) { return true; });
        ms::test::ResetSeams();
        InitProgramPaths();
        fs::remove(g_program / "folderpath.dat");
        g_has1600x1200 = 1;
        g_captureWidth = 1600;
        g_captureHeight = 1200;
        SetFrameWidth(1600);
    }
    void TearDown() override {
        wnd_.ReleaseGraph();
        ms::capture::SetPostMessage({});
        SyntheticCamera::Instance().ResetToDefault();
        ms::test::ResetSeams();
    }
    static void SetFrameWidth(int width) {
        std::lock_guard lock(g_frameLock);
        g_frameInfo.biWidth = width;
    }
    int Start(std::vector<SyntheticDevice> devices) {
        SyntheticCamera::Instance().SetDevices(std::move(devices));
        EXPECT_EQ(wnd_.CreateDeviceEnumerator(), S_OK);
        return wnd_.EnumerateDevices() && wnd_.BuildGraph() && wnd_.ConfigureFormat() && wnd_.Run();
    }
    // Sets a control on the device itself, behind the dialog's back.
    void SetOnDevice(long property, long value) {
        std::shared_ptr<IAMVideoProcAmp> amp;
        ASSERT_EQ(wnd_.QueryVideoProcAmp(&amp), S_OK);
        ASSERT_EQ(amp->Set(property, value, kManual), S_OK);
    }
    long OnDevice(long property, long* flags = nullptr) {
        long value = 0, f = 0;
        EXPECT_TRUE(SyntheticCamera::Instance().ControlValue(current_, property, &value, &f));
        if (flags)
            *flags = f;
        return value;
    }
    void RunDialog(std::function<void(CVideoSettingDlg&, HWND)> script) {
        CVideoSettingDlg dlg(wnd_);
        ms::test::AnswerDialog(IDD_VIDEO_SETTING, [&](HWND h) { script(dlg, h); });
        dlg.DoModal();
    }

    CCaptureWnd wnd_;
    std::string current_ = "cam";
};

TEST_F(VideoSettingTest, RowsShowTheDeviceRangesAndValues) {
    ASSERT_EQ(Start({Device("cam")}), 1);
    SetOnDevice(VideoProcAmp_Brightness, 10);
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        EXPECT_EQ(g_videoSettingWnd, h);
        EXPECT_EQ(Send(h, IDC_VS_BRIGHTNESS_SLIDER, TBM_GETRANGEMIN), -64);
        EXPECT_EQ(Send(h, IDC_VS_BRIGHTNESS_SLIDER, TBM_GETRANGEMAX), 64);
        EXPECT_EQ(Send(h, IDC_VS_BRIGHTNESS_SLIDER, TBM_GETPOS), 10);
        EXPECT_EQ(Text(h, IDC_VS_BRIGHTNESS_VALUE), u" 10");
        EXPECT_EQ(Text(h, IDC_VS_BRIGHTNESS_LABEL), u"Brightness");
        EXPECT_EQ(Send(h, IDC_VS_GAMMA_SLIDER, TBM_GETRANGEMIN), 100);
        EXPECT_EQ(Send(h, IDC_VS_GAMMA_SLIDER, TBM_GETRANGEMAX), 300);
        EXPECT_EQ(Text(h, IDC_VS_GAMMA_VALUE), u"150");
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(h, IDC_VS_GAMMA_SLIDER)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(h, IDC_VS_HUE_SLIDER)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(h, IDC_VS_HUE_SPIN)));
        EXPECT_EQ(Send(h, IDC_VS_NORM, CB_GETCOUNT), 1);
        EXPECT_EQ(Text(h, IDC_VS_NORM), u"N/A");
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(h, IDC_VS_NORM)));
        EXPECT_EQ(Text(h, IDC_VS_DEVICE_BOX), u"Video Capture Device");
        EXPECT_EQ(Text(h, IDC_VS_SAVE_PATH), std::u16string(g_saveBaseDir));
    });
}

TEST_F(VideoSettingTest, ResolutionListAndHotKeysFollowTheFamilyAndTheLastFrame) {
    const struct {
        bool large;
        int frameWidth;
        int selected;
        const char16_t* text;
        const char16_t* hotKeys;
    } cases[] = {
        {true, 1280, 1, u"1280*960", u"F10\uFF1A640x480  F11: 1280x960   F12: 1600x1200"},
        {true, 800, -1, u"", u"F10\uFF1A640x480  F11: 1280x960   F12: 1600x1200"},
        {false, 1280, 2, u"1280*1024", u" F10\uFF1A320x240  F11: 640x480   F12: 1280x1024"},
        {false, 320, 0, u"320*240", u" F10\uFF1A320x240  F11: 640x480   F12: 1280x1024"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frameWidth);
        ASSERT_EQ(Start({Device("cam", u"",
                                c.large ? ms::capture::LargeSizeFamily()
                                        : ms::capture::SmallSizeFamily())}),
                  1);
        SetFrameWidth(c.frameWidth);
        RunDialog([&](CVideoSettingDlg&, HWND h) {
            EXPECT_EQ(Send(h, IDC_VS_RESOLUTION, CB_GETCOUNT), 3);
            EXPECT_EQ(Send(h, IDC_VS_RESOLUTION, CB_GETCURSEL), c.selected);
            EXPECT_EQ(Text(h, IDC_VS_RESOLUTION), c.text);
            EXPECT_EQ(Text(h, IDC_VS_HOTKEYS), c.hotKeys);
        });
        wnd_.ReleaseGraph();
    }
}

TEST_F(VideoSettingTest, SpinBarsStepTheControlWithinItsRange) {
    ASSERT_EQ(Start({Device("cam")}), 1);
    SetOnDevice(VideoProcAmp_Brightness, 10);
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        Spin(h, IDC_VS_BRIGHTNESS_SPIN, SB_LINEUP);
        EXPECT_EQ(OnDevice(VideoProcAmp_Brightness), 11);
        EXPECT_EQ(Send(h, IDC_VS_BRIGHTNESS_SLIDER, TBM_GETPOS), 11);
        EXPECT_EQ(Text(h, IDC_VS_BRIGHTNESS_VALUE), u" 11");
        Spin(h, IDC_VS_GAMMA_SPIN, SB_LINEDOWN);
        EXPECT_EQ(OnDevice(VideoProcAmp_Gamma), 149);
        EXPECT_EQ(Text(h, IDC_VS_GAMMA_VALUE), u"149");
        // Other scroll codes change nothing.
        Spin(h, IDC_VS_BRIGHTNESS_SPIN, SB_PAGEUP);
        EXPECT_EQ(OnDevice(VideoProcAmp_Brightness), 11);
    });

    // At the end of the range a spin sends nothing: the device keeps a value set behind the
    // dialog's back.
    SetOnDevice(VideoProcAmp_Brightness, -64);
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        ASSERT_EQ(Send(h, IDC_VS_BRIGHTNESS_SLIDER, TBM_GETPOS), -64);
        SetOnDevice(VideoProcAmp_Brightness, 5);
        Spin(h, IDC_VS_BRIGHTNESS_SPIN, SB_LINEDOWN);
        EXPECT_EQ(OnDevice(VideoProcAmp_Brightness), 5);
        EXPECT_EQ(Text(h, IDC_VS_BRIGHTNESS_VALUE), u"-64");
    });
}

TEST_F(VideoSettingTest, SliderNotificationSendsThePosition) {
    ASSERT_EQ(Start({Device("cam")}), 1);
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        HWND slider = ::GetDlgItem(h, IDC_VS_CONTRAST_SLIDER);
        ::SendMessage(slider, TBM_SETPOS, TRUE, 77);
        NMHDR hdr{slider, static_cast<UINT_PTR>(IDC_VS_CONTRAST_SLIDER),
                  static_cast<UINT>(NM_RELEASEDCAPTURE)};
        EXPECT_EQ(
            ::SendMessage(h, WM_NOTIFY, IDC_VS_CONTRAST_SLIDER, reinterpret_cast<LPARAM>(&hdr)), 0);
        EXPECT_EQ(OnDevice(VideoProcAmp_Contrast), 77);
        EXPECT_EQ(Text(h, IDC_VS_CONTRAST_VALUE), u" 77");
        EXPECT_EQ(g_videoProperties[1].value, 77);
    });
}

TEST_F(VideoSettingTest, DefaultSetsEveryControlToItsDefaultAndTheLargestSize) {
    ASSERT_EQ(Start({Device("cam")}), 1);
    SetOnDevice(VideoProcAmp_Brightness, 10);
    SetOnDevice(VideoProcAmp_Gamma, 250);
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        Choose(h, IDC_VS_RESOLUTION, 0);
        EXPECT_EQ(wnd_.CurrentFormat().bmiHeader.biWidth, 640);
        Click(h, IDC_VS_DEFAULT);
        const struct {
            long property;
            long def;
            int slider;
        } rows[] = {
            {VideoProcAmp_Brightness, 0, IDC_VS_BRIGHTNESS_SLIDER},
            {VideoProcAmp_Contrast, 50, IDC_VS_CONTRAST_SLIDER},
            {VideoProcAmp_Saturation, 64, IDC_VS_SATURATION_SLIDER},
            {VideoProcAmp_Sharpness, 3, IDC_VS_SHARPNESS_SLIDER},
            {VideoProcAmp_Gamma, 150, IDC_VS_GAMMA_SLIDER},
            {VideoProcAmp_Hue, 0, IDC_VS_HUE_SLIDER},
        };
        for (const auto& r : rows) {
            long flags = 0;
            EXPECT_EQ(OnDevice(r.property, &flags), r.def) << r.property;
            EXPECT_EQ(Send(h, r.slider, TBM_GETPOS), r.def) << r.property;
        }
        for (const auto& row : g_videoProperties)
            EXPECT_EQ(row.flags, VideoProcAmp_Flags_Auto);
        EXPECT_EQ(Text(h, IDC_VS_GAMMA_VALUE), u"150");
        EXPECT_EQ(Send(h, IDC_VS_RESOLUTION, CB_GETCURSEL), 2);
        EXPECT_EQ(wnd_.CurrentFormat().bmiHeader.biWidth, 1600);
        EXPECT_EQ(wnd_.CurrentFormat().bmiHeader.biHeight, 1200);
    });
}

TEST_F(VideoSettingTest, DeviceListSkipsUnnamedDevicesAndSelectsByTableIndex) {
    SyntheticDevice unnamed = Device("b");
    unnamed.friendlyNameReadable = false;
    current_ = "a";
    ASSERT_EQ(Start({Device("a", u"First"), unnamed, Device("c", u"Third")}), 1);
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        ASSERT_EQ(Send(h, IDC_VS_DEVICE, CB_GETCOUNT), 2);
        EXPECT_EQ(Send(h, IDC_VS_DEVICE, CB_GETITEMDATA, 0), 0);
        EXPECT_EQ(Send(h, IDC_VS_DEVICE, CB_GETITEMDATA, 1), 2);
        EXPECT_EQ(Send(h, IDC_VS_DEVICE, CB_GETCURSEL), 0);
        Choose(h, IDC_VS_DEVICE, 1);
        EXPECT_EQ(wnd_.CurrentDevice(), &wnd_.GetDeviceTable()[2]);
        EXPECT_TRUE(SyntheticCamera::Instance().IsStreaming("c"));
        // The list was built anew with the new device selected.
        EXPECT_EQ(Send(h, IDC_VS_DEVICE, CB_GETCOUNT), 2);
        EXPECT_EQ(Send(h, IDC_VS_DEVICE, CB_GETCURSEL), 1);
        EXPECT_EQ(Text(h, IDC_VS_DEVICE), u"Third");
    });
}

TEST_F(VideoSettingTest, ADeviceNoticeRefreshesTheRows) {
    ASSERT_EQ(Start({Device("cam")}), 1);
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        SetOnDevice(VideoProcAmp_Saturation, 20);
        ::PostMessage(h, WM_APP_DEVICE_CHANGED, 0, 0);
        EXPECT_TRUE(
            ms::test::PumpUntil([&] { return Text(h, IDC_VS_SATURATION_VALUE) == u" 20"; }));
        EXPECT_EQ(Send(h, IDC_VS_SATURATION_SLIDER, TBM_GETPOS), 20);
    });
}

TEST_F(VideoSettingTest, AMissingPropertyKeepsItsRowButCannotChangeIt) {
    SyntheticDevice d = Device("cam");
    std::erase_if(d.controls,
                  [](const SyntheticControl& c) { return c.property == VideoProcAmp_Sharpness; });
    ASSERT_EQ(Start({d}), 1);
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(h, IDC_VS_SHARPNESS_SLIDER)));
        EXPECT_EQ(Text(h, IDC_VS_SHARPNESS_LABEL), u"Sharpness");
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(h, IDC_VS_SHARPNESS_SLIDER)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(h, IDC_VS_SHARPNESS_SPIN)));
        Spin(h, IDC_VS_SHARPNESS_SPIN, SB_LINEUP);
        EXPECT_EQ(Text(h, IDC_VS_SHARPNESS_VALUE), u"  0");
        // The other rows still work.
        Spin(h, IDC_VS_BRIGHTNESS_SPIN, SB_LINEUP);
        EXPECT_EQ(OnDevice(VideoProcAmp_Brightness), 1);
    });
}

TEST_F(VideoSettingTest, WithoutADeviceTheListsStayEmptyAndNothingIsSent) {
    ASSERT_EQ(Start({}), 0);
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        EXPECT_EQ(Send(h, IDC_VS_DEVICE, CB_GETCOUNT), 0);
        EXPECT_EQ(Send(h, IDC_VS_RESOLUTION, CB_GETCOUNT), 0);
        EXPECT_EQ(Text(h, IDC_VS_HOTKEYS), u"");
        Spin(h, IDC_VS_BRIGHTNESS_SPIN, SB_LINEUP);
        Click(h, IDC_VS_DEFAULT);
        EXPECT_EQ(Text(h, IDC_VS_BRIGHTNESS_VALUE), u"");
    });
}

TEST_F(VideoSettingTest, AChosenFolderIsStoredAndGetsItsSubfolders) {
    ASSERT_EQ(Start({Device("cam")}), 1);
    const fs::path chosen = g_home / "saves";
    fs::create_directories(chosen);
    ms::CopyBounded(g_saveBaseDir, MAX_PATH, u"/old/base");
    ms::CopyBounded(g_paths.pictureDir, MAX_PATH, u"/old/base/Picture");
    ms::test::AnswerFolderDialog(ms::FromUtf8(chosen.string()));
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        Click(h, IDC_VS_BROWSE);
        EXPECT_EQ(Text(h, IDC_VS_SAVE_PATH), ms::FromUtf8(chosen.string()));
    });
    ASSERT_EQ(ms::test::ShownCommonDialogs().size(), 1u);
    EXPECT_EQ(ms::test::ShownCommonDialogs()[0].title, u"Please select folder");
    EXPECT_EQ(ms::test::ShownCommonDialogs()[0].flags, 73u);

    std::ifstream in(g_program / "folderpath.dat", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 520u);
    const std::string path = chosen.string();
    for (size_t i = 0; i < 260; ++i) {
        const char expected = i < path.size() ? path[i] : '\0';
        ASSERT_EQ(bytes[2 * i], expected) << i;
        ASSERT_EQ(bytes[2 * i + 1], '\0') << i;
    }
    EXPECT_TRUE(fs::is_directory(chosen / "Picture"));
    EXPECT_TRUE(fs::is_directory(chosen / "Video"));
    EXPECT_EQ(ms::ToUtf8(g_paths.pictureDir), (chosen / "Picture").string());
    EXPECT_EQ(ms::ToUtf8(g_paths.videoDir), (chosen / "Video").string());
    EXPECT_EQ(ms::ToUtf8(g_saveBaseDir), path);
}

TEST_F(VideoSettingTest, ACancelledFolderBrowseKeepsTheSaveFolder) {
    ASSERT_EQ(Start({Device("cam")}), 1);
    ms::CopyBounded(g_saveBaseDir, MAX_PATH, u"/old/base");
    ms::CopyBounded(g_paths.pictureDir, MAX_PATH, u"/old/base/Picture");
    ms::test::CancelCommonDialog();
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        Click(h, IDC_VS_BROWSE);
        EXPECT_EQ(Text(h, IDC_VS_SAVE_PATH), u"/old/base");
    });
    EXPECT_EQ(ms::ToUtf8(g_saveBaseDir), "/old/base");
    EXPECT_EQ(ms::ToUtf8(g_paths.pictureDir), "/old/base/Picture");
    EXPECT_FALSE(fs::exists(g_program / "folderpath.dat"));
}

// When "folderpath.dat" cannot be written the chosen folder is not taken at all, instead of
// being shown while pictures go on into the old folders.
TEST_F(VideoSettingTest, AFolderThatCannotBeStoredIsNotTaken) {
    ASSERT_EQ(Start({Device("cam")}), 1);
    const fs::path chosen = g_home / "unstored";
    fs::create_directories(chosen);
    fs::create_directories(g_program / "folderpath.dat"); // a folder: no file there
    ms::CopyBounded(g_saveBaseDir, MAX_PATH, u"/old/base");
    ms::CopyBounded(g_paths.pictureDir, MAX_PATH, u"/old/base/Picture");
    ms::test::AnswerFolderDialog(ms::FromUtf8(chosen.string()));
    RunDialog([&](CVideoSettingDlg&, HWND h) {
        Click(h, IDC_VS_BROWSE);
        EXPECT_EQ(Text(h, IDC_VS_SAVE_PATH), u"/old/base");
    });
    fs::remove(g_program / "folderpath.dat");
    EXPECT_EQ(ms::ToUtf8(g_saveBaseDir), "/old/base");
    EXPECT_EQ(ms::ToUtf8(g_paths.pictureDir), "/old/base/Picture");
    EXPECT_FALSE(fs::exists(chosen / "Picture"));
}

} // namespace
