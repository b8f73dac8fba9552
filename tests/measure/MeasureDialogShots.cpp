// Not a test: one measurement dialog on a real display, for a look at its layout in a language.
//   measure_dialog_shots pen|units|text|calibration|circle|magnifier [language file]
// The language file is looked up in the program folder ("German1252.ini").
#include "measure/InputDlgs.h"
#include "measure/MagnifierDlg.h"
#include "measure/MeasureSettings.h"
#include "measure/PenSettingDlg.h"
#include "measure/TextDlg.h"
#include "shell/LangText.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <cstring>
#include <string>

namespace {

const char* g_what = "pen";
std::string g_language;

// The setting dialog opened on its unit page.
class CUnitPageDlg : public CPenSettingDlg {
public:
    BOOL OnInitDialog() override {
        CPenSettingDlg::OnInitDialog();
        m_tab.SetCurSel(1);
        NMHDR nm{m_tab.m_hWnd, IDC_PEN_TAB, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessage(WM_NOTIFY, IDC_PEN_TAB, reinterpret_cast<LPARAM>(&nm));
        return TRUE;
    }
};

class CShotsApp : public CWinApp {
public:
    BOOL InitInstance() override {
        InitCommonControls();
        if (!g_language.empty())
            ms::CopyBounded(g_langFilePath, MAX_PATH,
                            ms::ProgramDir() + u"/" + ms::FromUtf8(g_language));
        if (std::strcmp(g_what, "pen") == 0) {
            CPenSettingDlg dlg;
            dlg.DoModal();
        } else if (std::strcmp(g_what, "units") == 0) {
            CUnitPageDlg dlg;
            dlg.DoModal();
        } else if (std::strcmp(g_what, "text") == 0) {
            g_textFont = DefaultLabelFont();
            g_textFont.lfHeight = -20;
            CTextDlg dlg;
            dlg.m_text = u"Scratch on the wafer, 0.25 mm";
            dlg.DoModal();
        } else if (std::strcmp(g_what, "calibration") == 0) {
            CCalibrationDlg dlg;
            dlg.DoModal();
        } else if (std::strcmp(g_what, "circle") == 0) {
            CCircleToleranceDlg dlg;
            dlg.DoModal();
        } else if (std::strcmp(g_what, "magnifier") == 0) {
            CMagnifierDlg dlg;
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
