#include "wifi/MailDlg.h"

#include "wifi/CaptureName.h"
#include "wifi/WifiMicroscopeDlg.h"

#include "media/MailAttachment.h"
#include "media/MailPicture.h"
#include "kit/LangText.h"

#include "res/WavenorResource.h"

#include <string>

namespace {

constexpr const WCHAR* kCaption = u"Wavenor";

} // namespace

CMailDlg::CMailDlg() : CDialog(IDD_MAIL, nullptr) {}

BOOL CMailDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    WCHAR text[128];
    GetLangText(u"StartOutlook", text, 128, u"Starting the mail program, please wait...");
    SetDlgItemText(IDC_MAIL_TEXT, text);
    SetTimer(TIMER_MAIL_START, 50);
    return TRUE;
}

BOOL CMailDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_TIMER && msg->hwnd == m_hWnd && msg->wParam == TIMER_MAIL_START) {
        KillTimer(TIMER_MAIL_START);
        SendFile(m_hWnd, m_itemPath, u"");
    }
    return CDialog::PreTranslateMessage(msg);
}

bool CMailDlg::SendFile(HWND window, LPCWSTR pathText, LPCWSTR subject) {
    const std::u16string path = pathText ? pathText : u"";
    std::u16string attachment, name;
    // A picture is read as PNG, as the list holds them; another format by its contents.
    if (IsVideoItem(path))
        attachment = VideoOfItem(path); // under its own name
    else if (!ms::MakeMailPictureCopy(window, path, DIBIMAGE_TYPE_PNG, kCaption, attachment, name))
        return false;
    return ms::SendMailAttachment(window, attachment, name, subject ? subject : u"", kCaption);
}
