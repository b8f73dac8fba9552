// The application object of Tessary: one copy per user (a second start ends silently), and
// the main window run as a modal dialog; the program ends with it.
#pragma once

#include "platform/mfc/AfxWin.h"

// The name of the per-user single-instance mutex.
inline constexpr LPCWSTR kSingleInstanceMutex = u"{1C6780D1-4078-41fa-8F5F-8FCC82BD15DD}";

class CMicroscopeApp : public CWinApp {
public:
    CMicroscopeApp();

    // Always FALSE: the whole run lies inside the main dialog's modal loop, so the framework
    // never runs a message loop of its own.
    BOOL InitInstance() override;
    int ExitInstance() override;

    HANDLE m_hMutex = nullptr;
};
