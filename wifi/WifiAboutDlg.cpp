#include "wifi/WifiAboutDlg.h"

#include "kit/LangText.h"

#include "res/WavenorResource.h"

CWifiAboutDlg::CWifiAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

BOOL CWifiAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    struct Text {
        int id; // 0: the caption
        LPCWSTR key, text;
    };
    static constexpr Text kTexts[] = {
        {0, u"AboutViewRontage1", u"About Wavenor"},
        {IDC_ABOUT_NAME, u"AboutViewRontage2", u"Wavenor"},
        {IDC_ABOUT_DESCRIPTION, u"AboutDescription", u"Product by  Dorvex Co., Ltd."},
        {IDC_ABOUT_VERSION, u"AboutVersion", u"Version 3.00.0000.01"},
        {IDC_ABOUT_COPYRIGHT, u"AboutCopyright",
         u"Copyright (C) Dorvex Co., Ltd. All rights reserved."},
        {IDOK, u"Ok", u"OK"},
    };
    for (const Text& t : kTexts) {
        WCHAR text[128];
        GetLangText(t.key, text, 128, t.text);
        if (t.id == 0)
            SetWindowText(text);
        else
            SetDlgItemText(t.id, text);
    }
    return TRUE;
}
