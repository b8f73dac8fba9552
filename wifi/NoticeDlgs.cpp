#include "wifi/NoticeDlgs.h"

#include "res/WavenorResource.h"

BEGIN_MESSAGE_MAP(CConfirmDlg, CDialog)
END_MESSAGE_MAP()

CConfirmDlg::CConfirmDlg(CWnd* parent) : CDialog(IDD_CONFIRM, parent) {}

BOOL CConfirmDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_CONFIRM_TEXT, m_message.GetString());
    return TRUE;
}

BEGIN_MESSAGE_MAP(CNoticeDlg, CDialog)
END_MESSAGE_MAP()

CNoticeDlg::CNoticeDlg(CWnd* parent) : CDialog(IDD_NOTICE, parent) {}

BOOL CNoticeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_NOTICE_TEXT, m_message.GetString());
    return TRUE;
}
