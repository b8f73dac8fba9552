// The reminder to calibrate before measuring, shown once shortly after start-up. Its check box
// decides whether the reminder shows at the next start ("sys_date" in the registry).
#pragma once

#include "platform/mfc/AfxWin.h"

// Writes g_showCalibPrompt to "sys_date"; the registry's result (ERROR_SUCCESS when written).
LONG SaveShowCalibPrompt();

class CCalibratePromptDlg : public CDialog {
public:
    explicit CCalibratePromptDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // Stores the check box's state, then ends the dialog. Cancel and Esc change nothing.
    void OnOK() override;
};
