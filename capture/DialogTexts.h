// The capture dialogs' texts: each control's text (or the caption) looked up by its language
// key, with the English default when the language file has none.
#pragma once

#include "platform/win/window/WinUser.h"

#include <span>

struct DialogText {
    LPCWSTR key;
    LPCWSTR defaultText;
    int id; // the control; 0 for the dialog's caption
};

void SetDialogTexts(HWND dialog, std::span<const DialogText> texts);
