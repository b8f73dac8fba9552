// CMailDlg: Wavenor's e-mail strip. It hands the picture or recording of one item of the file
// list to the mail program as the attachment of a new mail, showing a waiting text while the
// composer opens. The caller writes the item's full path into m_itemPath and runs the dialog
// modally, without parent. A picture (of any format) is mailed as a JPEG copy (quality 90) in
// the private mail folder; an item whose file name holds "mp4" is a recording's companion
// picture ("x.mp4.png") and mails the recording ("x.mp4").
#pragma once

#include "platform/mfc/AfxWin.h"

class CMailDlg : public CDialog {
public:
    CMailDlg();

    BOOL OnInitDialog() override;
    // Starts the sending on the strip's timer, inside the running modal loop.
    BOOL PreTranslateMessage(MSG* msg) override;
    // Mails the item `path`. False after a message that leaves the strip open.
    bool SendFile(HWND window, LPCWSTR path, LPCWSTR subject);

    WCHAR m_itemPath[MAX_PATH]{};
};
