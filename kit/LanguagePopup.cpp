#include "kit/LanguagePopup.h"

#include "kit/LangText.h"

namespace {

constexpr UINT kIconCurrent = 381;
constexpr UINT kIconOther = 232;

struct LanguageEntry {
    UINT command;
    LPCWSTR key;
    LPCWSTR defaultText;
};
// In the order of the popup (and of kLanguageCommands).
constexpr LanguageEntry kEntries[] = {
    {1301, u"English", u"English(English)"},
    {1302, u"Simplified", u"Chinese(China)"},
    {1351, u"Traditional", u"Traditional(China)"},
    {1303, u"Japanese", u"Japanese(Japanese)"},
    {1304, u"Korean", u"Korean(Korean)"},
    {1305, u"German", u"German(German)"},
    {1306, u"Portuguese", u"Portuguese(Portugal)"},
    {1313, u"Turkey", u"Turkish(Turkey)"},
    {1308, u"Thai", u"Thai(Thailand)"},
    {1352, u"Russian", u"Russian(Russia)"},
    {1353, u"Bulgarian", u"Bulgarian(Bulgaria)"},
    {1359, u"Persian", u"Persian(Persian)"},
};

} // namespace

UINT CurrentLanguageCommand(WORD langId, WORD subLangId) {
    if (langId == 4)
        return subLangId == 2 ? 1302 : 1351;
    for (const LanguageCommand& c : kLanguageCommands)
        if (c.primary == langId)
            return c.id;
    return 1301;
}

CSkinMenu* BuildLanguagePopup(WORD langId, WORD subLangId) {
    auto* menu = new CSkinMenu;
    menu->CreatePopupMenu();
    menu->m_backColor = kPopupBackColor;
    menu->m_selectColor = kPopupSelectColor;
    const UINT current = CurrentLanguageCommand(langId, subLangId);
    for (const LanguageEntry& e : kEntries) {
        WCHAR text[64];
        GetLangText(e.key, text, 64, e.defaultText);
        HICON icon = LoadMenuIcon(e.command == current ? kIconCurrent : kIconOther);
        menu->AddItem(0, new CSkinMenuTextItem(e.command, text, icon));
    }
    return menu;
}

void ShowLanguagePopup(CWnd* owner, CWnd* button, CLanguageChoice& choice) {
    if (!owner || !button)
        return;
    CRect rect;
    button->GetWindowRect(&rect);
    choice.LoadLanguageIds();
    CSkinMenu* menu = BuildLanguagePopup(choice.m_langId, choice.m_subLangId);
    menu->TrackPopupMenu(TPM_LEFTALIGN, rect.left, rect.bottom - 4, owner);
    delete menu;
}
