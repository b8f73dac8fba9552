#include "shell/CalibratePromptDlg.h"

#include "kit/LangText.h"
#include "kit/RegistrySettings.h"

#include "platform/win/core/Registry.h"
#include "res/TessaryResource.h"

LONG SaveShowCalibPrompt() {
    HKEY key = nullptr;
    LONG result = RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\varazizuziVe\\LanguageID", 0,
                               KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &key);
    if (result != ERROR_SUCCESS)
        return result;
    const DWORD value = static_cast<DWORD>(g_showCalibPrompt);
    result = RegSetValueEx(key, u"sys_date", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value);
    const LONG closed = RegCloseKey(key);
    return result != ERROR_SUCCESS ? result : closed;
}

CCalibratePromptDlg::CCalibratePromptDlg(CWnd* parent) : CDialog(IDD_CALIBRATE_PROMPT, parent) {}

BOOL CCalibratePromptDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    WCHAR text[256];
    GetLangText(u"CalibrateBeforeMeasure", text, 256, u"Please calibrate before measurement");
    SetDlgItemText(IDC_PROMPT_TEXT, text);
    GetLangText(u"TipPrompt", text, 256, u"Pop-up window next time.");
    SetDlgItemText(IDC_PROMPT_AGAIN, text);
    SendDlgItemMessage(IDC_PROMPT_AGAIN, BM_SETCHECK, BST_CHECKED, 0);
    return TRUE;
}

void CCalibratePromptDlg::OnOK() {
    g_showCalibPrompt = IsDlgButtonChecked(IDC_PROMPT_AGAIN) == BST_CHECKED ? 1 : 0;
    SaveShowCalibPrompt();
    CDialog::OnOK();
}
