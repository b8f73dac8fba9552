#include "kit/LanguagePopup.h"

#include "kit/LangText.h"
#include "res/TessaryResource.h"

namespace {

constexpr UINT kIconOther = 232;

struct LanguageEntry {
    UINT command;
    LPCWSTR key;
    LPCWSTR defaultText;
};
// In the order of the popup (and of kLanguageCommands).
constexpr LanguageEntry kEntries[] = {
    {ID_LANG_ENGLISH, u"English", u"English(English)"},
    {ID_LANG_CHINESE_SIMPLIFIED, u"Simplified", u"Chinese(China)"},
    {ID_LANG_CHINESE_TRADITIONAL, u"Traditional", u"Traditional(China)"},
    {ID_LANG_JAPANESE, u"Japanese", u"Japanese(Japanese)"},
    {ID_LANG_KOREAN, u"Korean", u"Korean(Korean)"},
    {ID_LANG_GERMAN, u"German", u"German(German)"},
    {ID_LANG_PORTUGUESE, u"Portuguese", u"Portuguese(Portugal)"},
    {ID_LANG_TURKISH, u"Turkey", u"Turkish(Turkey)"},
    {ID_LANG_THAI, u"Thai", u"Thai(Thailand)"},
    {ID_LANG_RUSSIAN, u"Russian", u"Russian(Russia)"},
    {ID_LANG_BULGARIAN, u"Bulgarian", u"Bulgarian(Bulgaria)"},
    {ID_LANG_PERSIAN, u"Persian", u"Persian(Persian)"},
};

} // namespace

UINT CurrentLanguageCommand(WORD langId, WORD subLangId) {
    if (langId == 4)
        return subLangId == 2 ? ID_LANG_CHINESE_SIMPLIFIED : ID_LANG_CHINESE_TRADITIONAL;
    for (const LanguageCommand& c : kLanguageCommands)
        if (c.primary == langId)
            return c.id;
    return ID_LANG_ENGLISH;
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
        HICON icon = LoadMenuIcon(e.command == current ? IDI_RING_DOT : kIconOther);
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
