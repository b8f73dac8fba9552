// Wavenor's About box: the program's picture, its name, maker, version and rights line from
// the language file, and OK.
#pragma once

#include "platform/mfc/AfxWin.h"

class CWifiAboutDlg : public CDialog {
public:
    explicit CWifiAboutDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
};
