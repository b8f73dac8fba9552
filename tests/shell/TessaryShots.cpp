// Not a test: Tessary's main window with one command given after start-up, for a look at the
// layouts on a real display while no device runs (every button but Close is disabled then).
//   tessary_shots fullscreen | about | prompt | german | videos | tip | languages | pictures
//                 [language]
// "pictures" and "videos" show the thumbnail strip's list with its second item selected.
// A language command id (1301 English ... 1359 Persian) as the second argument switches the
// language first; "languages" opens the language popup.
#include "shell/MicroscopeDlg.h"
#include "shell/ThumbnailStrip.h"

#include "platform/win/controls/CommCtrl.h"
#include "res/TessaryResource.h"

#include <cstdlib>
#include <cstring>

namespace {

const char* g_mode = "";
UINT g_language = 0;

class CShotsDlg : public CMicroscopeDlg {
public:
    BOOL OnInitDialog() override {
        CMicroscopeDlg::OnInitDialog();
        if (g_language)
            PostMessage(WM_COMMAND, g_language, 0);
        if (std::strcmp(g_mode, "fullscreen") == 0)
            PostMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        else if (std::strcmp(g_mode, "about") == 0)
            PostMessage(WM_COMMAND, ID_ABOUT_BOX, 0);
        else if (std::strcmp(g_mode, "german") == 0)
            PostMessage(WM_COMMAND, 1305, 0);
        else if (std::strcmp(g_mode, "videos") == 0)
            PostMessage(WM_COMMAND, MAKEWPARAM(1202, BN_CLICKED),
                        reinterpret_cast<LPARAM>(::GetDlgItem(m_hWnd, 1202)));
        else if (std::strcmp(g_mode, "languages") == 0)
            SetTimer(kPopupTimer, 500);
        else if (std::strcmp(g_mode, "tip") == 0)
            SetTimer(kTipTimer, 3500);
        if (std::strcmp(g_mode, "videos") == 0 || std::strcmp(g_mode, "pictures") == 0)
            SetTimer(kSelectTimer, 500);
        if (std::strcmp(g_mode, "prompt") != 0)
            KillTimer(TIMER_STARTUP_PROMPT);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        // The pointer rests on the Close button, the one button that works without a device.
        if (msg->message == WM_TIMER && msg->wParam == kTipTimer && msg->hwnd == m_hWnd) {
            KillTimer(kTipTimer);
            RECT r;
            ::GetWindowRect(::GetDlgItem(m_hWnd, 1177), &r);
            SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            return TRUE;
        }
        if (msg->message == WM_TIMER && msg->wParam == kSelectTimer && msg->hwnd == m_hWnd) {
            KillTimer(kSelectTimer);
            if (g_thumbnailView) {
                const RECT& slot = g_thumbnailView->Geometry().slotRects[1];
                POINT p{slot.left + 10, slot.top + 10};
                ::ClientToScreen(g_thumbnailView->m_hWnd, &p);
                g_thumbnailView->SelectAt(static_cast<UINT>(p.x), static_cast<UINT>(p.y));
            }
            return TRUE;
        }
        if (msg->message == WM_TIMER && msg->wParam == kPopupTimer && msg->hwnd == m_hWnd) {
            KillTimer(kPopupTimer);
            // The popup's button is disabled without a device, so open the popup directly.
            OnLanguageMenu();
            return TRUE;
        }
        return CMicroscopeDlg::PreTranslateMessage(msg);
    }

private:
    static constexpr UINT_PTR kTipTimer = 77;
    static constexpr UINT_PTR kPopupTimer = 78;
    static constexpr UINT_PTR kSelectTimer = 79;
};

class CShotsApp : public CWinApp {
public:
    BOOL InitInstance() override {
        g_hInstance = m_hInstance;
        InitCommonControls();
        CShotsDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
} theApp;

} // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        g_mode = argv[1];
    if (argc > 2)
        g_language = static_cast<UINT>(std::atoi(argv[2]));
    return AfxWinMain(argc, argv);
}
