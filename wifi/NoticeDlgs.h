// Wavenor's two small questions and notices, asked in dialogs of its own instead of system
// message boxes: CConfirmDlg (OK and Cancel) and CNoticeDlg (OK). The caller sets m_message
// and runs the dialog modally; DoModal gives IDOK or IDCANCEL.
#pragma once

#include "platform/mfc/AfxWin.h"

class CConfirmDlg : public CDialog {
public:
    explicit CConfirmDlg(CWnd* parent = nullptr);
    BOOL OnInitDialog() override;

    CString m_message;

protected:
    void DoDataExchange(CDataExchange*) override {}
    DECLARE_MESSAGE_MAP()
};

class CNoticeDlg : public CDialog {
public:
    explicit CNoticeDlg(CWnd* parent = nullptr);
    BOOL OnInitDialog() override;

    CString m_message;

protected:
    void DoDataExchange(CDataExchange*) override {}
    DECLARE_MESSAGE_MAP()
};
