#include "wifi/MailDlg.h"

#include "wifi/WifiMicroscopeDlg.h"

#include "media/MailAttachment.h"
#include "shell/LangText.h"

#include "imaging/DibImage.h"
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
    const std::size_t slash = path.find_last_of(u"/\\");
    std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
    std::u16string attachment;
    if (name.find(u"mp4") != std::u16string::npos) {
        // A recording is listed through its companion picture "<video>.mp4.png".
        attachment = path.size() > 4 ? path.substr(0, path.size() - 4) : std::u16string();
        name.clear();
    } else {
        const std::size_t dot = name.rfind(u'.');
        if (dot != std::u16string::npos)
            name = name.substr(0, dot + 1) + u"jpg";
        const std::u16string folder = ms::MailAttachmentDir();
        // The copies of earlier mails go; the mail program has long read them.
        DeleteJpgFiles(folder.c_str());
        // A PNG as the list holds them; another format is found by its contents.
        CDibImage image(path.c_str(), DIBIMAGE_TYPE_PNG);
        if (!image.IsValid()) {
            ::MessageBox(window, u"imageEmail Create fail", kCaption, MB_ICONEXCLAMATION);
            return false;
        }
        image.SetJpegLevel(90);
        attachment = folder + u"/" + name;
        if (folder.empty() || !image.SaveToFile(attachment.c_str(), DIBIMAGE_TYPE_JPG)) {
            ::MessageBox(window, u"Compress fail", kCaption, MB_ICONEXCLAMATION);
            return false;
        }
    }
    return ms::SendMailAttachment(window, attachment, name, subject ? subject : u"", kCaption);
}
