// Simple MAPI's MAPISendMail over the desktop's mail composer (xdg-email): a new mail with the
// given subject, text, recipients and attachments opens in the operator's mail program. The
// composer is started from an argument vector, never through a shell. Unlike Windows, the call
// returns once the mail program was started (xdg-email ended well, or still runs after a
// bounded wait), not when the mail was sent; xdg-email's failure is the call's failure. On the
// headless platform nothing is started; every start is recorded for tests (ServiceSeams.h).
#pragma once

#include "platform/win/WinTypes.h"

using LHANDLE = ULONG_PTR;
using FLAGS = ULONG;

// MAPISendMail results
#define SUCCESS_SUCCESS 0
#define MAPI_USER_ABORT 1
#define MAPI_E_USER_ABORT MAPI_USER_ABORT
#define MAPI_E_FAILURE 2
#define MAPI_E_LOGIN_FAILURE 3
#define MAPI_E_LOGON_FAILURE MAPI_E_LOGIN_FAILURE
#define MAPI_E_ATTACHMENT_NOT_FOUND 11

// MAPISendMail flags
#define MAPI_LOGON_UI 0x00000001
#define MAPI_NEW_SESSION 0x00000002
#define MAPI_DIALOG 0x00000008

// Strings are UTF-8, the code page of file names here.
struct MapiFileDesc {
    ULONG ulReserved = 0;
    ULONG flFlags = 0;
    ULONG nPosition = 0xFFFFFFFF; // not placed in the text
    LPSTR lpszPathName = nullptr; // the file attached
    LPSTR lpszFileName = nullptr; // the name the mail shows (the composer takes the path's)
    void* lpFileType = nullptr;
};
using lpMapiFileDesc = MapiFileDesc*;

struct MapiRecipDesc; // recipients are chosen in the composer
using lpMapiRecipDesc = MapiRecipDesc*;

struct MapiMessage {
    ULONG ulReserved = 0;
    LPSTR lpszSubject = nullptr;
    LPSTR lpszNoteText = nullptr;
    LPSTR lpszMessageType = nullptr;
    LPSTR lpszDateReceived = nullptr;
    LPSTR lpszConversationID = nullptr;
    FLAGS flFlags = 0;
    lpMapiRecipDesc lpOriginator = nullptr;
    ULONG nRecipCount = 0;
    lpMapiRecipDesc lpRecips = nullptr;
    ULONG nFileCount = 0;
    lpMapiFileDesc lpFiles = nullptr;
};
using lpMapiMessage = MapiMessage*;

// Opens the composer with the subject and the attachments of the message (the operator
// chooses the recipients and writes the text there). SUCCESS_SUCCESS when it was started;
// MAPI_E_ATTACHMENT_NOT_FOUND when an attachment is missing (nothing is started);
// MAPI_E_FAILURE without a message or when the composer cannot be started (xdg-email missing,
// or it finds no mail program).
// Session, window, flags and reserved are accepted and not used: the composer always shows.
ULONG MAPISendMail(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags,
                   ULONG reserved);
