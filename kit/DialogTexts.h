// The texts of a dialog of either program: each control's text (or the caption) looked up by
// its language key, with the English default when the language file has none. Inline, so that
// it costs the window-less shellkit no window library.
#pragma once

#include "kit/LangText.h"

#include "platform/win/window/WinUser.h"

#include <span>

struct DialogText {
    LPCWSTR key;
    LPCWSTR defaultText;
    int id; // the control; 0 for the dialog's caption
};

inline void SetDialogTexts(HWND dialog, std::span<const DialogText> texts) {
    WCHAR text[256];
    for (const DialogText& t : texts) {
        GetLangText(t.key, text, 256, t.defaultText);
        if (t.id)
            SetDlgItemText(dialog, t.id, text);
        else
            SetWindowText(dialog, text);
    }
}
