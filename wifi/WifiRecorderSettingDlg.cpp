#include "wifi/WifiRecorderSettingDlg.h"

#include "kit/DialogTexts.h"

#include "res/WavenorResource.h"

BEGIN_MESSAGE_MAP(CWifiRecorderSettingDlg, CDialog)
ON_BN_CLICKED(IDC_WR_TIME_LIMIT_ON, OnLimitCheck)
END_MESSAGE_MAP()

CWifiRecorderSettingDlg::CWifiRecorderSettingDlg(CWnd* parent)
    : CDialog(IDD_WIFI_RECORDER_SETTING, parent) {}

void CWifiRecorderSettingDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_WR_TIME_LIMIT, m_timeLimit);
    DDV_MinMaxInt(dx, m_timeLimit, 1, 99999);
    DDX_Check(dx, IDC_WR_TIME_LIMIT_ON, m_limitOn);
}

BOOL CWifiRecorderSettingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    LoadLangTexts();
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_WR_TIME_LIMIT), m_limitOn ? TRUE : FALSE);
    return TRUE;
}

void CWifiRecorderSettingDlg::LoadLangTexts() {
    static const DialogText texts[] = {
        {u"RecorderSetting", u"Recorder Setting", 0},
        {u"FrameRate", u"Frame rate", IDC_WR_FRAME_RATE_LABEL},
        {u"TimerLimit", u"Time limit", IDC_WR_TIME_LIMIT_ON},
        {u"Second", u"Second", IDC_WR_SECOND_LABEL},
        {u"OK", u"OK", IDOK},
        {u"Cancel", u"Cancel", IDCANCEL},
        {u"Recommend", u"Recommend:Please change the resolution to 640X480", IDC_WR_RECOMMEND},
    };
    SetDialogTexts(m_hWnd, texts);
    SetDlgItemText(IDC_WR_FRAME_RATE, u"10");
}

void CWifiRecorderSettingDlg::OnLimitCheck() {
    m_limitOn = IsDlgButtonChecked(IDC_WR_TIME_LIMIT_ON) == BST_CHECKED ? 1 : 0;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_WR_TIME_LIMIT), m_limitOn ? TRUE : FALSE);
}
