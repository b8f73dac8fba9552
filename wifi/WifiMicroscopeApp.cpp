#include "wifi/WifiMicroscopeApp.h"

#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiSettings.h"

#include "platform/services/PrinterService.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Files.h"

CWifiMicroscopeApp::CWifiMicroscopeApp() : CWinApp(nullptr) {}

BOOL CWifiMicroscopeApp::InitInstance() {
    // COM and the framework's control containment have nothing to set up here; the dialog
    // colours (0xCFCFCF with black text) are the main window's own.
    g_hInstance = m_hInstance;
    ms::SetProgramName(u"Wavenor");
    INITCOMMONCONTROLSEX icc{8, 0xFF};
    InitCommonControlsEx(&icc);
    // The photo-measure dialog prints its picture on the system's default printer.
    ms::InstallPrinterService();
    ResetWifiSettings();
    ResetWifiGlobals();

    CWifiMicroscopeDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
