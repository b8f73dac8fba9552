// The main window's menus, texts and tooltips: the menu bar and the file list's context menu
// with every text from the language file, the 25 tooltip texts and their registration, and
// the language commands that reload them all.
#include "wifi/WifiButtons.h"
#include "kit/ButtonTips.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiLanguage.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiSettings.h"

#include "kit/LangText.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/gdi/Gdi.h"
#include "res/WavenorResource.h"

#include <cstddef>

namespace {

// The tooltip structure without its trailing parameter, as the registrations pass it.

// One menu text: the item by position in its popup (or by command), its key and default.
struct MenuText {
    int popup;    // 0 File, 1 Setting, 2 Capture, 3 Help; -1 the bar itself
    int position; // position in the popup (or on the bar); -1: by command
    UINT command; // for items addressed by command
    LPCWSTR key;
    LPCWSTR defaultText;
};

constexpr MenuText kMenuTexts[] = {
    {-1, 0, 0, u"File", u"File"},
    {0, 0, 0, u"Open", u"Open..."},
    {0, 2, 0, u"Save", u"Save As"},
    {0, 3, 0, u"Delete", u"Delete..."},
    {0, 4, 0, u"DeleteAll", u"Delete All"},
    {0, 6, 0, u"EMail", u"E-Mail..."},
    {0, 7, 0, u"Favorite", u"Favorite"},
    {-1, 1, 0, u"Setting", u"Setting"},
    {1, 0, 0, u"640*480", u"640*480    F11"},
    {1, 1, 0, u"1280*1024", u"1280*1024    F12"},
    {1, 3, 0, u"Device...", u"Device Settings"},
    {1, 4, 0, u"Setting", u"Settings"},
    {1, 5, 0, u"Snapshot", u"Start Snapshot"},
    {1, 7, 0, u"Changelanguage", u"Change language"},
    {1, -1, ID_LANG_ENGLISH, u"English", u"English(English)"},
    {1, -1, ID_LANG_CHINESE_SIMPLIFIED, u"Simplified", u"Chinese(Simplified)"},
    {1, -1, ID_LANG_RUSSIAN, u"Russian", u"Russian(Russian)"},
    {1, -1, ID_LANG_JAPANESE, u"Japanese", u"Japanese(Japanese)"},
    {1, -1, ID_LANG_KOREAN, u"Korean", u"Korean(Korean)"},
    {1, -1, ID_LANG_GERMAN, u"German", u"German(German)"},
    {1, -1, ID_LANG_CHINESE_TRADITIONAL, u"Traditional", u"Chinese(Traditional)"},
    {1, -1, ID_LANG_PORTUGUESE, u"Portuguese", u"Portuguese(Portuguese)"},
    {1, -1, ID_LANG_TURKISH, u"Turkish", u"Turkish(Turkish)"},
    {-1, 2, 0, u"Capture", u"Capture"},
    {2, 0, 0, u"Take Picture", u"Take Picture...      F2"},
    {2, 1, 0, u"Take Video", u"Take Video/Stop...   F3/F4"},
    {2, 3, 0, u"Take time lapsed Pictures", u"Take time lapsed Pictures"},
    {-1, 3, 0, u"Help", u"Help"},
    {3, 0, 0, u"ViewRontageManual", u"Help"},
    {3, 1, 0, u"ViewRontageAbout", u"About"},
};

struct ListMenuText {
    int position;
    LPCWSTR key;
    LPCWSTR defaultText;
};
constexpr ListMenuText kListMenuTexts[] = {
    {0, u"Open", u"Open..."},         {1, u"Save", u"Save as"},    {2, u"Delete", u"Delete..."},
    {3, u"DeleteAll", u"Delete All"}, {5, u"EMail", u"E-Mail..."}, {6, u"Favorite", u"Favorite"},
};

// Replaces only the text: the item keeps its command or popup.
void SetItemText(HMENU menu, UINT item, BOOL byPosition, LPCWSTR text) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<LPWSTR>(text);
    ::SetMenuItemInfo(menu, item, byPosition, &info);
}

} // namespace

void CWifiMicroscopeDlg::BuildMenus() {
    OnMagnificationChange();

    m_menuBar.LoadMenu(IDR_MAIN_MENU);
    m_menuBrush = CreateSolidBrush(0xDCDCDC);
    SetMenuTexts(m_menuBar.m_hMenu, false);
    // The template's bar holds the client area's place until the bar with the texts replaces it.
    HMENU templateBar = ::GetMenu(m_hWnd);
    ::SetMenu(m_hWnd, m_menuBar.m_hMenu);
    if (templateBar && templateBar != m_menuBar.m_hMenu)
        ::DestroyMenu(templateBar);

    m_listMenuOwner.LoadMenu(IDR_LIST_MENU);
    m_listMenu = ::GetSubMenu(m_listMenuOwner.m_hMenu, 0);
    LoadFileMenuTexts();

    LoadToolTipTexts(false);
    for (ButtonTip& entry : m_buttons) {
        entry.hwnd = ::GetDlgItem(m_hWnd, entry.id);
        ::GetWindowRect(entry.hwnd, &entry.rect);
    }
    CreateToolTipCtrl();

    if (CWnd* video = GetDlgItem(IDC_VIDEO)) {
        video->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FIXED_FONT)),
                           TRUE);
        GetLangText(u"ConnectMsg", g_statusText, 128,
                    u"Connect WiFi Microscope and then click [Preview]");
        video->SetWindowText(g_statusText);
    }
}

// The menu bar's background, its popups and every text; the Delete item's key has a trailing
// blank after a language change.
void CWifiMicroscopeDlg::SetMenuTexts(HMENU bar, bool afterLanguageChange) {
    MENUINFO mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    mi.hbrBack = m_menuBrush;
    ::SetMenuInfo(bar, &mi);
    m_fileMenu = ::GetSubMenu(bar, 0);
    m_settingMenu = ::GetSubMenu(bar, 1);
    m_captureMenu = ::GetSubMenu(bar, 2);
    m_helpMenu = ::GetSubMenu(bar, 3);
    const HMENU popups[] = {m_fileMenu, m_settingMenu, m_captureMenu, m_helpMenu};
    const HMENU languages = ::GetSubMenu(m_settingMenu, 7);
    for (const MenuText& t : kMenuTexts) {
        LPCWSTR key = t.key;
        if (afterLanguageChange && t.popup == 0 && t.position == 3)
            key = u"Delete ";
        WCHAR text[64];
        GetLangText(key, text, 64, t.defaultText);
        if (t.popup < 0)
            SetItemText(bar, static_cast<UINT>(t.position), TRUE, text);
        else if (t.position < 0)
            SetItemText(languages, t.command, FALSE, text);
        else
            SetItemText(popups[t.popup], static_cast<UINT>(t.position), TRUE, text);
    }
    if (m_hWnd)
        ::DrawMenuBar(m_hWnd);
}

void CWifiMicroscopeDlg::LoadFileMenuTexts() {
    if (!m_listMenu)
        return;
    for (const ListMenuText& t : kListMenuTexts) {
        WCHAR text[64];
        GetLangText(t.key, text, 64, t.defaultText);
        SetItemText(m_listMenu, static_cast<UINT>(t.position), TRUE, text);
    }
}

void CWifiMicroscopeDlg::LoadToolTipTexts(bool afterLanguageChange) {
    for (int i = 0; i < kButtonTipCount; ++i) {
        const WifiTipRow& row = kWifiTips[i];
        m_buttons[i].id = row.id;
        GetLangText(afterLanguageChange ? row.keyAfterLanguageChange : row.key, m_buttons[i].tip,
                    128, row.defaultText);
    }
}

void CWifiMicroscopeDlg::LoadLangTexts() {
    ::SetMenu(m_hWnd, nullptr);
    m_menuBar.DestroyMenu();
    if (m_menuBrush)
        DeleteObject(m_menuBrush);
    m_menuBar.LoadMenu(IDR_MAIN_MENU);
    m_menuBrush = CreateSolidBrush(0xE0E0E0);
    SetMenuTexts(m_menuBar.m_hMenu, true);
    ::SetMenu(m_hWnd, m_menuBar.m_hMenu);
    LoadFileMenuTexts();
    LoadToolTipTexts(true);
    RefreshToolTips();
}

// ---- Tooltips ----

void CWifiMicroscopeDlg::CreateToolTipCtrl() {
    m_toolTip = ms::ui::CreateButtonTips(m_hWnd);
}

void CWifiMicroscopeDlg::AddToolTip(HWND button, int id, LPCWSTR text) {
    ms::ui::AddButtonTip(m_toolTip, button, id, text);
}

void CWifiMicroscopeDlg::RemoveToolTip(HWND button, int id) {
    ms::ui::RemoveButtonTip(m_toolTip, button, id);
}

void CWifiMicroscopeDlg::RefreshToolTips() {
    for (const ButtonTip& entry : m_buttons)
        RemoveToolTip(entry.hwnd, entry.id);
    for (ButtonTip& entry : m_buttons)
        AddToolTip(entry.hwnd, entry.id, entry.tip);
}

// ---- Language ----

void CWifiMicroscopeDlg::SetLanguage(WORD language, WORD subLanguage) {
    SetWifiLanguage(language, subLanguage);
}

void CWifiMicroscopeDlg::OnLanguageCommand(UINT id) {
    const WifiLanguageCommand* row = FindWifiLanguageCommand(id);
    if (!row)
        return;
    g_langFilePath[0] = 0;
    g_helpFilePath[0] = 0;
    SetLanguage(row->language, row->subLanguage);
    LoadLangTexts();
    g_languageId = row->storedLanguage;
    g_subLanguageId = row->storedSubLanguage;
    SaveWifiSettings();
}
