// Not a test: Wavenor's main window after start-up, for a look on a real display.
//   WAVENOR_SHOTS_LANGUAGE=<language command id> WAVENOR_SHOTS_MAXIMIZE=1 wavenor_shots
// 1173 English, 1174 Chinese (Simplified), 1178 German, ...; both variables are optional.
// WAVENOR_SHOTS_VIDEO=<recording>.mp4.png opens the video player on that recording.
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeApp.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiSettings.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/WString.h"

#include <cstdlib>
#include <cstring>

namespace {

UINT g_language = 0;
bool g_maximize = false;
const char* g_video = nullptr;

class CShotsDlg : public CWifiMicroscopeDlg {
public:
    BOOL OnInitDialog() override {
        CWifiMicroscopeDlg::OnInitDialog();
        if (g_language)
            PostMessage(WM_COMMAND, g_language, 0);
        if (g_maximize)
            PostMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        if (g_video) {
            ms::CopyBounded(m_selectedPath, MAX_PATH, ms::FromUtf8(g_video));
            PostMessage(WM_APP_SHOW_VIDEO, 0, 0);
        }
        return TRUE;
    }
};

class CShotsApp : public CWinApp {
public:
    BOOL InitInstance() override {
        g_hInstance = m_hInstance;
        INITCOMMONCONTROLSEX icc{8, 0xFF};
        InitCommonControlsEx(&icc);
        ResetWifiSettings();
        ResetWifiGlobals();
        CShotsDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
};

struct Arguments {
    Arguments() {
        const char* language = std::getenv("WAVENOR_SHOTS_LANGUAGE");
        if (language)
            g_language = static_cast<UINT>(std::atoi(language));
        const char* maximize = std::getenv("WAVENOR_SHOTS_MAXIMIZE");
        g_maximize = maximize && std::strcmp(maximize, "1") == 0;
        g_video = std::getenv("WAVENOR_SHOTS_VIDEO");
    }
} const arguments;

CShotsApp theShotsApp;

} // namespace
