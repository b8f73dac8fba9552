// The controls test dialog's procedure, shared by the tests and the demo program. It sets the
// controls up as the programs do and records every notification it receives.
#pragma once

#include "platform/win/controls/CommCtrl.h"

#include <vector>

namespace ctltest {

struct Note {
    UINT msg;  // WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_VSCROLL, WM_DRAWITEM
    int id;    // the control's id (0: a window's own scroll bar)
    UINT code; // notification or SB_ code
    int pos;   // SB_THUMB* position, or the item state of WM_DRAWITEM
    HWND from; // lParam of scroll messages, hwndFrom of notifications
};

std::vector<Note>& Log();
// Notes of one kind (and one id, unless id is 0).
std::vector<Note> NotesOf(UINT msg, int id = 0);

INT_PTR ControlsDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
HWND ToolTipOf(HWND dlg);
// The strip's first visible item (changed by its own scroll bar).
int StripFirst();

} // namespace ctltest
