#include "media/SendMailDlg.h"

#include "media/MailAttachment.h"
#include "kit/LangText.h"
#include "media/MailPicture.h"

#include "imaging/DibImage.h"
#include "res/TessaryResource.h"

#include <string>

namespace {

constexpr const WCHAR* kCaption = u"Tessary";

bool EndsWithNoCase(const std::u16string& s, std::u16string_view tail) {
    if (s.size() < tail.size())
        return false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char16_t c = s[s.size() - tail.size() + i];
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != tail[i])
            return false;
    }
    return true;
}

} // namespace

CSendMailDlg::CSendMailDlg() : CDialog(IDD_SEND_MAIL, nullptr) {}

BOOL CSendMailDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    WCHAR text[100];
    GetLangText(u"StartOutlook", text, 100, u"Starting the mail program, please wait...");
    SetDlgItemText(IDC_SEND_MAIL_TEXT, text);
    SetTimer(TIMER_SEND_MAIL, 50);
    return TRUE;
}

BOOL CSendMailDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_TIMER && msg->hwnd == m_hWnd && msg->wParam == TIMER_SEND_MAIL) {
        KillTimer(TIMER_SEND_MAIL);
        // A recording's item in the strip is its first frame, named after the recording with
        // ".bmp" appended. Only that ending counts: a folder or a picture that merely has
        // ".avi" somewhere in its path is no recording.
        std::u16string path = m_itemPath;
        m_isVideo = EndsWithNoCase(path, u".avi.bmp") ? 1 : 0;
        if (m_isVideo)
            m_itemPath[path.size() - 4] = 0;
        SendFiles(m_hWnd, m_itemPath, u"");
    }
    return CDialog::PreTranslateMessage(msg);
}

bool CSendMailDlg::SendFiles(HWND window, LPCWSTR pathText, LPCWSTR subject) {
    const std::u16string path = pathText ? pathText : u"";
    const std::size_t dot = path.rfind(u'.');
    const std::u16string extension =
        dot == std::u16string::npos ? std::u16string() : path.substr(dot + 1, 3);
    std::u16string attachment = path;
    std::u16string name;
    if (!m_isVideo && extension == u"bmp" &&
        !ms::MakeMailPictureCopy(window, path, DIBIMAGE_TYPE_BMP, kCaption, attachment, name))
        return false;
    return ms::SendMailAttachment(window, attachment, name, subject ? subject : u"", kCaption);
}
