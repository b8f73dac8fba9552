// Test seams of the window layer: scripted answers for message boxes and modal dialogs, and
// a record of each one shown. Without a script a message box on the headless platform
// (offscreen) answers with its default button, so that a test never hangs on one; a modal
// dialog without a script runs its loop as usual.
#pragma once

#include "platform/win/window/WinUser.h"

#include <functional>
#include <string>
#include <vector>

namespace ms::test {

struct Shown {
    enum Kind { MessageBox, Dialog } kind;
    std::u16string caption;
    std::u16string text;   // message boxes
    UINT type = 0;         // MB_ flags of a message box
    UINT templateId = 0;   // dialogs
    INT_PTR result = 0;    // what the call returned
    bool leftOpen = false; // dialogs: the script ran and the dialog did not end by itself
};

// The next message box answers `answer` (IDOK, IDYES, ...), first in first out.
void AnswerMessageBox(int answer);

// The next modal dialog of template `templateId` (0: any) runs `script` once its modal loop
// runs (after WM_INITDIALOG). The script drives it like an operator: it may set texts and
// send WM_COMMAND IDOK. When the dialog is still open after the script, it is ended with
// IDCANCEL and the record says leftOpen.
void AnswerDialog(UINT templateId, std::function<void(HWND dialog)> script);
// Shorthand: press the button `buttonId` (IDOK, IDCANCEL, ...) of the next such dialog.
void PressInDialog(UINT templateId, int buttonId);

const std::vector<Shown>& ShownLog();
// Forgets scripts, records and a WM_QUIT that arrived.
void ResetSeams();

} // namespace ms::test

namespace ms {
// Runs a modal dialog's loop with the test seams applied; used by DialogBoxParam and the
// framework's DoModal. The dialog must exist; its owner is already disabled.
INT_PTR RunModalDialog(HWND dialog, UINT templateId);
} // namespace ms
