// The dialog shown before a recording starts. While it is open the capture runs at 640x480,
// the size recordings are made at; Cancel returns the capture to the family's largest size,
// OK leaves it at 640x480 and hands the time limit to the record command (m_timeLimitOn and
// m_timeLimit). It also holds the switch that makes the AVI writer compress.
#pragma once

#include "capture/CaptureWnd.h"

#include "platform/mfc/AfxWin.h"

// 1: recordings are written as Motion-JPEG, 0: uncompressed. Lives for the process, never
// stored; written and read on the user-interface thread.
extern int g_recordCompress;

class CRecorderSettingDlg : public CDialog {
public:
    // `capture` is borrowed; it is the process's capture window outside tests.
    explicit CRecorderSettingDlg(CCaptureWnd& capture = g_captureWnd, CWnd* parent = nullptr);

    int m_frameRate = 20; // validated and kept; recordings are written at their own rate
    int m_timeLimit = 10; // seconds
    int m_timeLimitOn = 1;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Returns the capture to the family's largest size, then ends the dialog. The close box
    // also ends here, so the dialog can be left when the change to 640x480 failed and left
    // OK and Cancel disabled.
    void OnCancel() override;

protected:
    afx_msg void OnTimeLimitCheck();
    afx_msg void OnCompress();
    afx_msg void OnResolutionChange();
    afx_msg void OnHiddenButton() {}
    DECLARE_MESSAGE_MAP()

private:
    // Switches the capture and enables OK, Cancel and the hidden button when that succeeded.
    void ApplySize(int width, int height);

    CCaptureWnd& m_capture;
};
