#include "capture/DialogTexts.h"

#include "shell/LangText.h"

void SetDialogTexts(HWND dialog, std::span<const DialogText> texts) {
    WCHAR text[256];
    for (const DialogText& t : texts) {
        GetLangText(t.key, text, 256, t.defaultText);
        if (t.id)
            SetDlgItemText(dialog, t.id, text);
        else
            SetWindowText(dialog, text);
    }
}
