// The popup of Tessary's Language button: the twelve languages that can be chosen from the
// main window, the one in use marked by a filled ring (icon 381), the others by an empty one
// (icon 232). Choosing an entry sends its language command (Language.h) to the owner.
#pragma once

#include "kit/Language.h"
#include "kit/SkinMenu.h"

// The command of the entry shown as current for the stored ids: English for any primary id
// outside the table; for Chinese (4) only sub-language 2 is simplified, any other traditional.
UINT CurrentLanguageCommand(WORD langId, WORD subLangId);

// The popup for the stored ids, built on the heap; the caller tracks and deletes it.
CSkinMenu* BuildLanguagePopup(WORD langId, WORD subLangId);

// The main window's handler of the Language button: re-reads the ids from the registry into
// `choice`, shows the popup with its top-left corner at the button's left edge, 4 pixels above
// its bottom edge, with `owner` as the command target, and deletes it after tracking.
void ShowLanguagePopup(CWnd* owner, CWnd* button, CLanguageChoice& choice);
