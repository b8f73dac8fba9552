#include "capture/RecorderSettingDlg.h"

#include "capture/CaptureFormat.h"
#include "kit/DialogTexts.h"

#include "res/TessaryResource.h"

int g_recordCompress = 0;

BEGIN_MESSAGE_MAP(CRecorderSettingDlg, CDialog)
ON_BN_CLICKED(IDC_RS_TIME_LIMIT_ON, OnTimeLimitCheck)
ON_BN_CLICKED(IDC_RS_COMPRESS, OnCompress)
ON_CBN_SELCHANGE(IDC_RS_RESOLUTION, OnResolutionChange)
ON_BN_CLICKED(IDC_RS_HIDDEN, OnHiddenButton)
END_MESSAGE_MAP()

CRecorderSettingDlg::CRecorderSettingDlg(CCaptureWnd& capture, CWnd* parent)
    : CDialog(IDD_RECORDER_SETTING, parent), m_capture(capture) {}

void CRecorderSettingDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_RS_FRAME_RATE, m_frameRate);
    DDV_MinMaxInt(dx, m_frameRate, 1, 30);
    DDX_Text(dx, IDC_RS_TIME_LIMIT, m_timeLimit);
    DDV_MinMaxInt(dx, m_timeLimit, 1, 99999);
    DDX_Check(dx, IDC_RS_TIME_LIMIT_ON, m_timeLimitOn);
}

BOOL CRecorderSettingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    static const DialogText texts[] = {
        {u"RecorderSetting", u"Recorder Setting", 0},
        {u"FrameRate", u"Frame rate", IDC_RS_FRAME_RATE_LABEL},
        {u"TimerLimit", u"Time limit", IDC_RS_TIME_LIMIT_ON},
        {u"Second", u"Second", IDC_RS_SECOND_LABEL},
        {u"Compress", u"Compress", IDC_RS_COMPRESS},
        {u"OK", u"OK", IDOK},
        {u"Cancel", u"Cancel", IDCANCEL},
    };
    SetDialogTexts(m_hWnd, texts);
    CheckDlgButton(IDC_RS_COMPRESS, g_recordCompress == 1 ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RS_TIME_LIMIT), m_timeLimitOn ? TRUE : FALSE);

    for (int id : {IDOK, IDCANCEL, IDC_RS_HIDDEN})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), FALSE);

    for (int i = 0; i < kCaptureSizeCount; ++i)
        SendDlgItemMessage(IDC_RS_RESOLUTION, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(CaptureSizeOf(g_has1600x1200, i).text));
    SendDlgItemMessage(IDC_RS_RESOLUTION, CB_SETCURSEL, g_has1600x1200 ? 0 : 1, 0);

    ApplySize(640, 480);
    return TRUE;
}

void CRecorderSettingDlg::ApplySize(int width, int height) {
    // The recording's size is not the operator's: it is not stored for the next start.
    if (m_capture.SetResolution(width, height, SizeChoice::Recording) != 0)
        return;
    for (int id : {IDOK, IDCANCEL, IDC_RS_HIDDEN})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), TRUE);
}

void CRecorderSettingDlg::OnTimeLimitCheck() {
    m_timeLimitOn = IsDlgButtonChecked(IDC_RS_TIME_LIMIT_ON) == BST_CHECKED ? 1 : 0;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RS_TIME_LIMIT), m_timeLimitOn ? TRUE : FALSE);
}

void CRecorderSettingDlg::OnCompress() {
    g_recordCompress = IsDlgButtonChecked(IDC_RS_COMPRESS) == BST_CHECKED ? 1 : 0;
}

void CRecorderSettingDlg::OnResolutionChange() {
    const int index = static_cast<int>(SendDlgItemMessage(IDC_RS_RESOLUTION, CB_GETCURSEL, 0, 0));
    const CaptureSize& size = CaptureSizeOf(g_has1600x1200, index == 0 || index == 1 ? index : 2);
    ApplySize(size.width, size.height);
}

void CRecorderSettingDlg::OnCancel() {
    if (g_has1600x1200 == 1)
        m_capture.SetResolution(1600, 1200);
    else
        m_capture.SetResolution(1280, 1024);
    CDialog::OnCancel();
}
