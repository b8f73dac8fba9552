// The main window opened modeless over the synthetic camera, for the tests of its device
// start and its input hook: a fresh program folder and registry per test, the calibration
// reminder answered, frames only when the test pushes them.
#pragma once

#include "capture/AviRecorder.h"
#include "capture/CaptureWnd.h"
#include "capture/VideoSettingDlg.h"
#include "kit/LangText.h"
#include "kit/SaveFolders.h"
#include "shell/MicroscopeDlg.h"
#include "shell/ThumbnailStrip.h"

#include "platform/capture/SyntheticCamera.h"
#include "platform/win/core/Registry.h"
#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"

#include "tests/support/Pump.h"
#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace mstest {

inline ms::capture::SyntheticDevice
SteppedCamera(const std::string& id = "cam",
              std::vector<SIZE> sizes = ms::capture::LargeSizeFamily()) {
    ms::capture::SyntheticDevice d;
    d.id = id;
    d.sizes = std::move(sizes);
    d.framesPerSecond = 0;
    return d;
}

inline std::u16string WindowText(HWND hwnd) {
    WCHAR buf[256] = {};
    GetWindowText(hwnd, buf, 256);
    return buf;
}

class MainWindowHarness : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        g_hInstance = GetModuleHandle(nullptr);
        home_ = mstest::Home();
        program_ = mstest::NewProgramDir(mstest::ProgramFiles::None);
        // A first start each time, also when the cases share one process: the settings' keys
        // are made anew only when none is left.
        for (LPCWSTR key : {u"SOFTWARE\\varazizuziVe\\font", u"SOFTWARE\\varazizuziVe\\LanguageID",
                            u"SOFTWARE\\varazizuziVe\\Units", u"SOFTWARE\\varazizuziVe"})
            RegDeleteKey(HKEY_CURRENT_USER, key);
        g_langFilePath[0] = 0;
        g_liveView.Change([](LiveViewSnapshot& s) { s = LiveViewSnapshot{}; });
        g_snapshotRequest = 0;
        g_snapshotSource = 0;
        g_snapshotPending = 0;
        g_recording = 0;
        ms::capture::UseSyntheticCamera(true);
        ms::capture::SyntheticCamera::Instance().SetDevices({});
    }
    void TearDown() override {
        if (dlg_ && dlg_->m_hWnd)
            dlg_->DestroyWindow();
        dlg_.reset();
        ms::test::Pump(6);
        ms::test::ResetSeams();
        ms::capture::SyntheticCamera::Instance().ResetToDefault();
    }
    // The window, modeless; its calibration reminder is answered with Cancel.
    template <class Dlg = CMicroscopeDlg> HWND Open() {
        ms::test::PressInDialog(IDD_CALIBRATE_PROMPT, IDCANCEL);
        dlg_ = std::make_unique<Dlg>();
        EXPECT_TRUE(dlg_->Create(IDD_MAIN));
        ms::test::Pump(6);
        return dlg_->m_hWnd;
    }
    HWND Item(int id) const { return GetDlgItem(dlg_->m_hWnd, id); }
    void Pump() { ms::test::Pump(6); }

    std::filesystem::path home_, program_;
    std::unique_ptr<CMicroscopeDlg> dlg_;
};

} // namespace mstest
