// Not a test: the timed-capture and Recorder Setting dialogs as a program, for a look on a
// real display. The Recorder Setting dialog runs over the synthetic camera.
//   capture_dialogs_demo timed | recorder
#include "capture/RecorderSettingDlg.h"
#include "capture/TimedSnapshot.h"

#include "platform/capture/SyntheticCamera.h"
#include "res/TessaryResource.h"

#include <cstring>

namespace {

bool g_recorder = false;

class CDemoApp : public CWinApp {
public:
    CDemoApp() : CWinApp(u"Capture dialogs demo") {}
    BOOL InitInstance() override {
        if (g_recorder) {
            ms::capture::UseSyntheticCamera(true);
            g_captureWnd.SetWindows(nullptr, nullptr);
            g_captureWnd.CreateDeviceEnumerator();
            g_captureWnd.EnumerateDevices() && g_captureWnd.BuildGraph() &&
                g_captureWnd.ConfigureFormat() && g_captureWnd.Run();
            CRecorderSettingDlg dlg;
            m_pMainWnd = &dlg;
            dlg.DoModal();
            g_captureWnd.ReleaseGraph();
        } else {
            CTimedCaptureDlg dlg(TessaryTimedCapture(), nullptr);
            m_pMainWnd = &dlg;
            dlg.DoModal();
        }
        m_pMainWnd = nullptr;
        return FALSE;
    }
};

CDemoApp theApp;

} // namespace

int main(int argc, char** argv) {
    g_recorder = argc > 1 && std::strcmp(argv[1], "recorder") == 0;
    return AfxWinMain(argc, argv);
}
