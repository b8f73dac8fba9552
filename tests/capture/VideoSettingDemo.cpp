// The Video Setting dialog as a program over the synthetic camera, to look at it on a real
// display:
//   DISPLAY=:99 build/tests/video_setting_demo
// It ends with the dialog (OK or Exit).
#include "capture/VideoSettingDlg.h"

#include "kit/SaveFolders.h"

#include <mutex>

namespace {

class CDemoApp : public CWinApp {
public:
    CDemoApp() : CWinApp(u"Video Setting demo") {}
    BOOL InitInstance() override {
        ms::capture::UseSyntheticCamera(true);
        InitProgramPaths();
        InitSaveFolders();
        g_captureWnd.CreateDeviceEnumerator();
        if (g_captureWnd.EnumerateDevices() && g_captureWnd.BuildGraph())
            g_captureWnd.ConfigureFormat() && g_captureWnd.Run();
        {
            std::lock_guard lock(g_frameLock);
            g_frameInfo.biWidth = g_captureWidth;
        }
        CVideoSettingDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        g_captureWnd.ReleaseGraph();
        return FALSE;
    }
};

CDemoApp theApp;

} // namespace
