// MAPISendMail over xdg-email.
#include "platform/services/Mail.h"
#include "platform/services/Shell.h"
#include "platform/win/core/WString.h"

#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::u16string Text(const char* s) {
    return s ? ms::FromUtf8(s) : std::u16string();
}

} // namespace

ULONG MAPISendMail(LHANDLE, ULONG_PTR, lpMapiMessage message, FLAGS, ULONG) {
    if (!message || (message->nFileCount && !message->lpFiles))
        return MAPI_E_FAILURE;
    std::vector<std::u16string> argv{u"xdg-email", u"--utf8"};
    if (message->lpszSubject && *message->lpszSubject)
        argv.insert(argv.end(), {u"--subject", Text(message->lpszSubject)});
    for (ULONG i = 0; i < message->nFileCount; ++i) {
        const char* path = message->lpFiles[i].lpszPathName;
        struct stat st {};
        if (!path || ::stat(path, &st) != 0 || !S_ISREG(st.st_mode))
            return MAPI_E_ATTACHMENT_NOT_FOUND;
        argv.insert(argv.end(), {u"--attach", Text(path)});
    }
    return ms::StartProgram(argv) ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}
