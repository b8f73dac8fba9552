// What both programs' e-mail strips share: the private folder that picture copies are mailed
// from, and handing one attachment to the mail program with the operator's answer to it.
// Copies never go into the program folder: it may not be writable and may hold the operator's
// own pictures. Only the copies in the private folder are ever deleted.
#pragma once

#include "platform/win/window/WinUser.h"

#include <string>

// The timer that starts the sending from inside the strip's modal loop.
constexpr UINT_PTR TIMER_SEND_MAIL = 1003;

// Deletes every "*.jpg" file in `folder` (subfolders and dot entries are left alone).
void DeleteJpgFiles(LPCWSTR folder);

namespace ms {

// A folder of this process under $TMPDIR (else /tmp) that only the user can enter, made on the
// first call and kept for the mail program, which reads an attachment after the composer
// opened; empty when it cannot be made.
std::u16string MailAttachmentDir();

// Mails `path` as the one attachment of a new mail with `subject`. `name` is the name the mail
// shows (empty: the file's own). When the mail program started, "Send Completed" shows with
// `caption`; then, or when the operator cancelled, the strip `dialog` is closed and the result
// is true. Any other result (the mail program missing, a failed logon) shows that sending
// failed, leaves the strip open and returns false.
bool SendMailAttachment(HWND dialog, const std::u16string& path, const std::u16string& name,
                        const std::u16string& subject, LPCWSTR caption);

} // namespace ms
