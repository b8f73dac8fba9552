// Not a test: the video player on one recording, for a look on a real display.
//   player_demo <file.avi>
#include "media/AviPlayerDlg.h"

#include "platform/win/core/WString.h"

namespace {

const char* g_file = "";

class CDemoApp : public CWinApp {
public:
    CDemoApp() : CWinApp(u"Player demo") {}
    BOOL InitInstance() override {
        CAviPlayerDlg dlg;
        ms::CopyBounded(dlg.m_filePath, MAX_PATH, ms::FromUtf8(g_file));
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
};

CDemoApp theApp;

} // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        g_file = argv[1];
    return AfxWinMain(argc, argv);
}
