// The Recorder Setting dialog shown before a recording starts: whether the recording ends by
// itself and after how many seconds. The frame-rate edit only shows "10": the camera decides.
#pragma once

#include "platform/mfc/AfxWin.h"

class CWifiRecorderSettingDlg : public CDialog {
public:
    explicit CWifiRecorderSettingDlg(CWnd* parent = nullptr);

    int m_timeLimit = 10; // seconds, 1 to 99999
    BOOL m_limitOn = 1;

    BOOL OnInitDialog() override;
    void LoadLangTexts();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    afx_msg void OnLimitCheck();
    DECLARE_MESSAGE_MAP()
};
