#include "media/MailAttachment.h"

#include "kit/LangText.h"

#include "platform/mfc/AfxWin.h"
#include "platform/services/Mail.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The framework's prompt for a mail that could not be sent, and its help id.
constexpr UINT kFailedMapiSend = 61842;
constexpr const WCHAR* kFailedMapiSendText = u"Failed to send mail message.";

} // namespace

void DeleteJpgFiles(LPCWSTR folder) {
    if (!folder || !*folder)
        return;
    const std::u16string dir = folder;
    WIN32_FIND_DATA found{};
    HANDLE h = FindFirstFile((dir + u"/*.jpg").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    // Collected first: deleting while the search runs could skip entries.
    std::vector<std::u16string> files;
    do {
        const std::u16string name = found.cFileName;
        if (name != u"." && name != u".." && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(dir + u"/" + name);
    } while (FindNextFile(h, &found));
    FindClose(h);
    for (const std::u16string& file : files)
        DeleteFile(file.c_str());
}

namespace ms {

std::u16string MailAttachmentDir() {
    static const std::u16string dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = (tmp && *tmp == '/' ? std::string(tmp) : std::string("/tmp"));
        pattern += "/mail-attachments-XXXXXX";
        // mkdtemp makes a new folder with mode 0700: nobody else can place or swap files there.
        return ::mkdtemp(pattern.data()) ? FromUtf8(pattern) : std::u16string();
    }();
    return dir;
}

bool SendMailAttachment(HWND dialog, const std::u16string& path, const std::u16string& name,
                        const std::u16string& subject, LPCWSTR caption) {
    std::string pathText = ToUtf8(path);
    std::string nameText = ToUtf8(name);
    std::string subjectText = ToUtf8(subject);
    MapiFileDesc file;
    file.lpszPathName = pathText.data();
    file.lpszFileName = nameText.data();
    MapiMessage message;
    message.lpszSubject = subjectText.data();
    message.nFileCount = 1;
    message.lpFiles = &file;
    const ULONG result = MAPISendMail(0, reinterpret_cast<ULONG_PTR>(dialog), &message,
                                      MAPI_LOGON_UI | MAPI_DIALOG, 0);
    // A failed logon started no mail program either: it is a failure, not a completed send.
    if (result == SUCCESS_SUCCESS || result == MAPI_USER_ABORT) {
        if (result == SUCCESS_SUCCESS) {
            WCHAR text[256];
            GetLangText(u"SEND_CAMPLETE", text, 256, u"Send Completed");
            MessageBox(dialog, text, caption, MB_ICONEXCLAMATION);
        }
        PostMessage(dialog, WM_CLOSE, 0, 0);
        return true;
    }
    AfxMessageBox(kFailedMapiSendText, MB_OK, kFailedMapiSend);
    return false;
}

} // namespace ms
