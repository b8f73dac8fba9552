#include "shell/MicroscopeApp.h"

#include "shell/MicroscopeDlg.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/Sync.h"

CMicroscopeApp::CMicroscopeApp() : CWinApp(u"Tessary") {}

BOOL CMicroscopeApp::InitInstance() {
    m_hMutex = CreateMutex(nullptr, FALSE, kSingleInstanceMutex);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return FALSE;
    // COM and the framework's control containment have nothing to set up here.
    g_hInstance = m_hInstance;
    ms::SetProgramName(u"Tessary");
    INITCOMMONCONTROLSEX icc{8, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    CMicroscopeDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CMicroscopeApp::ExitInstance() {
    if (m_hMutex) {
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
    return CWinApp::ExitInstance();
}
