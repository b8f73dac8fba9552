#include "shell/Popups.h"

#include "kit/LangText.h"
#include "kit/RegistrySettings.h"
#include "kit/SkinMenu.h"

#include "res/TessaryResource.h"

#include <cstddef>

namespace {

// One popup entry; a zero id is a separator.
struct PopupEntry {
    UINT id;
    LPCWSTR key;
    LPCWSTR defaultText;
    UINT icon;
};

constexpr PopupEntry kStripEntries[] = {
    {ID_FILE_OPEN, u"Open", u"Open...", 338},
    {0, nullptr, nullptr, 0},
    {ID_FILE_SAVE_AS, u"Save", u"Save as...", 339},
    {ID_FILE_SAVE_ALL, u"SaveAll", u"Save All", 340},
    {0, nullptr, nullptr, 0},
    {ID_FILE_DELETE, u"Delete", u"Delete", 341},
    {ID_FILE_DELETE_ALL, u"DeleteAll", u"Delete All", 342},
    {0, nullptr, nullptr, 0},
    {ID_FILE_SEND_MAIL, u"Email", u"E-Mail", 344},
};

constexpr PopupEntry kPreviewEntries[] = {
    {ID_POPUP_CANCEL, u"Cancel", u"Cancel", 337},
    {0, nullptr, nullptr, 0},
    {ID_OVERLAY_CROSS_LINE, u"Cross", u"Cross Line", 230},
    {ID_OVERLAY_SCALE_BAR, u"Scale", u"Scale", 231},
    {ID_OVERLAY_CIRCLE, u"Circle", u"Circle", 232},
    {ID_OVERLAY_TIME, u"Time", u"Time", 233},
    {0, nullptr, nullptr, 0},
};

CSkinMenu* NewPopup() {
    auto* menu = new CSkinMenu;
    menu->CreatePopupMenu();
    menu->m_backColor = kPopupBackColor;
    menu->m_selectColor = kPopupSelectColor;
    return menu;
}

CSkinMenuTextItem* TextItem(UINT id, LPCWSTR key, LPCWSTR defaultText, UINT icon) {
    WCHAR text[32];
    GetLangText(key, text, 32, defaultText);
    return new CSkinMenuTextItem(id, text, icon ? LoadMenuIcon(icon) : nullptr);
}

template <size_t N> void AddEntries(CSkinMenu* menu, const PopupEntry (&entries)[N]) {
    for (const PopupEntry& e : entries) {
        if (e.id == 0)
            menu->AddSeparator();
        else
            menu->AddItem(0, TextItem(e.id, e.key, e.defaultText, e.icon));
    }
}

} // namespace

CSkinMenu* BuildPreviewPopup() {
    CSkinMenu* menu = NewPopup();
    AddEntries(menu, kPreviewEntries);
    CSkinMenu* format = NewPopup();
    const bool bmp = g_imageFormat == 1;
    format->AddItem(bmp ? MF_CHECKED : 0, TextItem(ID_FORMAT_BMP, u"BMP", u"BMP", 0));
    format->AddItem(bmp ? 0 : MF_CHECKED, TextItem(ID_FORMAT_JPG, u"JPG", u"JPG", 0));
    menu->AddPopup(0, format, TextItem(0, u"Format", u"Format", IDI_RING_DOT));
    return menu;
}

CSkinMenu* BuildStripPopup() {
    CSkinMenu* menu = NewPopup();
    AddEntries(menu, kStripEntries);
    return menu;
}

void TrackAndDelete(CSkinMenu* menu, POINT at, CWnd* owner) {
    menu->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, owner);
    delete menu;
}
