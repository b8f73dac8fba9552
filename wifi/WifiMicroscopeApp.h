// The application object of Wavenor: runs the main window as a modal dialog; the program ends
// with it. Several copies may run at once.
#pragma once

#include "platform/mfc/AfxWin.h"

class CWifiMicroscopeApp : public CWinApp {
public:
    CWifiMicroscopeApp();

    // Always FALSE: the whole run lies inside the main window's modal loop.
    BOOL InitInstance() override;
};
