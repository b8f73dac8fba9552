// CSendMailDlg: Tessary's e-mail strip. It hands the picture or recording of one item of the
// thumbnail strip to the mail program as the attachment of a new mail, showing a waiting text
// while the composer opens. The caller writes the item's full path into m_itemPath and runs
// the dialog modally, without parent. A BMP picture is mailed as a JPEG copy (quality 90); the
// first-frame picture of a recording ("x.avi.bmp") mails the recording ("x.avi").
#pragma once

#include "platform/mfc/AfxWin.h"

class CSendMailDlg : public CDialog {
public:
    CSendMailDlg();

    BOOL OnInitDialog() override;
    // Starts the sending on the strip's timer, inside the running modal loop.
    BOOL PreTranslateMessage(MSG* msg) override;
    // Mails `path`; a picture with the extension "bmp" as its JPEG copy in the private mail
    // folder (see ms::MailAttachmentDir), anything else as it is. False after a message that
    // leaves the strip open.
    bool SendFiles(HWND window, LPCWSTR path, LPCWSTR subject);

    int m_isVideo = 0; // 1 when the item is a recording
    WCHAR m_itemPath[MAX_PATH]{};
};
