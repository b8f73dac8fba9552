// Texts of Wavenor's small dialogs: each control's text (or the caption) looked up by its
// language key, with the English default when the language file has none.
#pragma once

#include "shell/LangText.h"

#include "platform/win/window/WinUser.h"

#include <span>

struct WifiDialogText {
    LPCWSTR key;
    LPCWSTR defaultText;
    int id; // the control; 0 for the caption
};

inline void SetWifiDialogTexts(HWND dialog, std::span<const WifiDialogText> texts) {
    WCHAR text[256];
    for (const WifiDialogText& t : texts) {
        GetLangText(t.key, text, 256, t.defaultText);
        if (t.id)
            SetDlgItemText(dialog, t.id, text);
        else
            SetWindowText(dialog, text);
    }
}
