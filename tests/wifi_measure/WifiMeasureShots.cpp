// Not a test: Wavenor's measurement views on a real display, for a look at their layout.
//   wifi_measure_shots setting|calibration|fitted|actual [language file]
// "fitted" and "actual" show the still view over a generated 1280 x 1024 frame in a window of
// the main window's video area (640 x 480 fitted, 900 x 600 at actual size).
#include "wifi_measure/StillMeasureView.h"
#include "wifi_measure/WifiCalibrationDlg.h"
#include "wifi_measure/WifiPenSettingDlg.h"

#include "wifi/WifiSettings.h"

#include "kit/LangText.h"

#include "imaging/DibImage.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "res/WavenorResource.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

const char* g_what = "setting";
std::string g_language;

// A frame of soft bands with a ring in its middle, written beside the program.
std::u16string FramePicture() {
    CDibImage image(1280, 1024, 24);
    for (long y = 0; y < 1024; ++y)
        for (long x = 0; x < 1280; ++x) {
            const double r = std::hypot(x - 640.0, y - 512.0);
            const bool ring = r > 300 && r < 320;
            image.SetPixelColor(
                x, y, ring ? RGB(230, 220, 120) : RGB(40 + x / 16, 60 + y / 20, 90 + (x + y) / 40));
        }
    const std::u16string path = ms::ProgramDir() + u"/tempImage.png";
    image.SaveToFile(path.c_str(), DIBIMAGE_TYPE_PNG);
    return path;
}

CWnd g_host;
CStillMeasureView* g_view = nullptr;

void ShowView(int mode) {
    const int width = mode == STILL_VIEW_FITTED ? 640 : 900;
    const int height = mode == STILL_VIEW_FITTED ? 480 : 600;
    g_host.CreateEx(0, nullptr, u"Still view", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                    nullptr);
    g_view = new CStillMeasureView();
    g_view->m_imagePath = FramePicture().c_str();
    g_view->m_pageWidth = width;
    g_view->m_pageHeight = height;
    g_view->m_viewMode = mode;
    g_view->Create(IDD_STILL_VIEW, &g_host);
    g_view->MoveWindow(0, 0, width, height);
    if (mode == STILL_VIEW_ACTUAL) {
        g_view->UpdateScrollBars();
        g_view->SendMessage(WM_HSCROLL, SB_PAGEDOWN, 0);
    }
    g_view->ShowWindow(SW_SHOW);
}

class CShotsApp : public CWinApp {
public:
    BOOL InitInstance() override {
        InitCommonControls();
        if (!g_language.empty())
            ms::CopyBounded(g_langFilePath, MAX_PATH,
                            ms::ProgramDir() + u"/" + ms::FromUtf8(g_language));
        if (std::strcmp(g_what, "fitted") == 0 || std::strcmp(g_what, "actual") == 0) {
            ShowView(std::strcmp(g_what, "fitted") == 0 ? STILL_VIEW_FITTED : STILL_VIEW_ACTUAL);
            return TRUE; // runs the message loop until the process is ended
        }
        if (std::strcmp(g_what, "setting") == 0) {
            CreateDefaultWifiSettings();
            CWifiPenSettingDlg dlg({LoadWifiSettings, SaveWifiSettings});
            dlg.DoModal();
        } else if (std::strcmp(g_what, "calibration") == 0) {
            CWifiCalibrationDlg dlg;
            dlg.DoModal();
        }
        return FALSE;
    }
} theApp;

} // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        g_what = argv[1];
    if (argc > 2)
        g_language = argv[2];
    return AfxWinMain(argc, argv);
}
