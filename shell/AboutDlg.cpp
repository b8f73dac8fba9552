// The About box.
#include "shell/AboutDlg.h"

#include "kit/LangText.h"
#include "shell/MicroscopeDlg.h"
#include "kit/SkinMenu.h"

#include "platform/services/Shell.h"
#include "res/TessaryResource.h"

#include <string>

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_ABOUT_LINK, m_link);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    LoadLangTexts();
    m_link.SetUrl(kMakerWebAddress);
    m_link.SetUnderline(1);
    return TRUE;
}

void CAboutDlg::LoadLangTexts() {
    WCHAR text[128];
    GetLangText(u"AboutVeltrax1", text, 128, u"About Tessary");
    SetWindowText(text);
    GetLangText(u"AboutVeltrax2", text, 128, u"Tessary");
    SetDlgItemText(IDC_ABOUT_NAME, text);
    GetLangText(u"AboutVersion", text, 128, u"Version 2.00.0002.01");
    SetDlgItemText(IDC_ABOUT_VERSION, text);
    GetLangText(u"AboutCopyright", text, 128,
                u"Copyright (C) Dorvex Co., Ltd. All rights reserved.");
    SetDlgItemText(IDC_ABOUT_COPYRIGHT, text);
    GetLangText(u"Ok", text, 128, u"OK");
    SetDlgItemText(IDOK, text);
}
