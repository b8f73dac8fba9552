// MAPISendMail over xdg-email.
#include "platform/services/Mail.h"
#include "platform/services/Shell.h"
#include "platform/win/core/WString.h"

#include <chrono>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// How long the caller waits for the composer to start. xdg-email tries one way after another
// before it gives up, which takes seconds on a busy machine; the windows keep painting
// meanwhile (RunProgram).
constexpr std::chrono::seconds kStartWait{20};

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
    // xdg-email ends as soon as it handed the mail to the mail program, or fails at once when it
    // finds none ("no method available"). One that is still running after the wait usually
    // keeps the mail program in the foreground: that mail program started.
    const int status = ms::RunProgram(argv, kStartWait);
    return status == 0 || status == ms::kProgramStillRunning ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}
