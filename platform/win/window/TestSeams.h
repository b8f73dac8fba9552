// Test seams of the window layer: scripted answers for message boxes and modal dialogs, and
// a record of each one shown; a window's pixels and timers. Tests outside the platform reach
// the window layer through this header, as its internals are not on their include path.
// Without a script a message box on the headless platform (offscreen) answers with its default
// button, so that a test never hangs on one; a modal dialog without a script runs its loop as
// usual.
#pragma once

#include "platform/win/window/Application.h"
#include "platform/win/window/WinUser.h"

#include <QImage>
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

// A window's pixels: what the screen shows (the last finished frame) and what is being drawn.
// Null images for a window without a surface.
QImage PresentedPicture(HWND hwnd);
QImage SurfacePicture(HWND hwnd);
// Runs the window's paint event as the screen would and returns what it drew.
QImage GrabWindow(HWND hwnd);

// Whether the window's timer `id` runs (set by SetTimer, not yet killed).
bool TimerAlive(HWND hwnd, UINT_PTR id);

// Debug builds: a call that must run on the UI thread and ran on another one reports its name
// here instead of stopping the program (empty function: stop again).
void OnThreadContractBroken(std::function<void(const char* call)> handler);
// Forgets scripts, records and a WM_QUIT that arrived (also those of the common dialogs and
// services, which register their own forgetting with AddSeamReset).
void ResetSeams();
void AddSeamReset(std::function<void()> reset);

// ---- Popup menus (TrackPopupMenu) ----
// Without a script a popup on the headless platform (offscreen) is built, measured and drawn,
// then dismissed (0), so that a test never hangs on one; on a real display it runs for the
// operator.
struct ShownMenuItem {
    UINT id;    // command id (0 for separators and submenus)
    UINT flags; // MF_ flags
    std::u16string text;
    RECT rect; // in the popup's client coordinates
};
struct ShownMenu {
    HMENU menu = nullptr;
    HWND owner = nullptr;
    UINT flags = 0; // TPM_ flags
    POINT at{};     // where it was asked to open
    RECT placed{};  // where the popup stood on the screen
    std::vector<ShownMenuItem> items;
    QImage picture;  // the popup as drawn (owner-drawn items through WM_DRAWITEM)
    UINT result = 0; // the command chosen, 0 when dismissed
};
// The next popup is built, measured and drawn like a real one and then `command` is chosen as
// if clicked (0: dismissed). A command that is not an enabled item of the menu or of its
// submenus dismisses it.
void ChoosePopupCommand(UINT command);
// The next popup runs its real loop and receives these keys one after another (virtual keys:
// VK_DOWN, VK_RETURN, VK_ESCAPE, 'A'..'Z' and '0'..'9' as typed characters); when they are used
// up while it is still open, it is dismissed.
void KeysToPopupMenu(std::vector<UINT> keys);
const std::vector<ShownMenu>& ShownMenus();

} // namespace ms::test

namespace ms {
// Runs a modal dialog's loop with the test seams applied; used by DialogBoxParam and the
// framework's DoModal. The dialog must exist; its owner is already disabled.
INT_PTR RunModalDialog(HWND dialog, UINT templateId);
} // namespace ms
