// The main window's About popup, help and support commands.
#include "kit/LangText.h"
#include "kit/SkinMenu.h"
#include "shell/AboutDlg.h"
#include "shell/MicroscopeDlg.h"

#include "platform/services/Shell.h"
#include "res/TessaryResource.h"

#include <string>

void CMicroscopeDlg::OnAboutMenu() {
    RECT button;
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_BTN_ABOUT), &button);

    struct Entry {
        UINT id;
        LPCWSTR key;
        LPCWSTR defaultText;
        UINT icon;
    };
    static constexpr Entry kEntries[] = {
        {ID_HELP_FILE, u"Help", u"Tessary Help", 230},
        {ID_UPDATE_WEB, u"Update", u"Tessary Update", 230},
        {ID_ABOUT_BOX, u"About", u"About Tessary", 1283},
    };
    auto* menu = new CSkinMenu;
    menu->CreatePopupMenu();
    menu->m_backColor = RGB(236, 233, 216);
    menu->m_selectColor = RGB(49, 106, 197);
    for (const Entry& e : kEntries) {
        WCHAR text[64];
        GetLangText(e.key, text, 64, e.defaultText);
        menu->AddItem(
            0, new CSkinMenuTextItem(e.id, text, ::LoadIcon(g_hInstance, MAKEINTRESOURCE(e.icon))));
    }
    menu->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, button.left, button.bottom - 4, this);
    delete menu;
}

void CMicroscopeDlg::OnHelpFile() {
    // The help files are named as the language chose them ("Tessary-EN.CHM"); the pages
    // beside the program carry the same name with the ending ".html".
    std::u16string page = m_language.m_helpPath;
    const auto dot = page.rfind(u'.');
    if (dot != std::u16string::npos && page.find(u'/', dot) == std::u16string::npos)
        page.erase(dot);
    if (page.empty())
        return;
    page += u".html";
    ShellExecute(m_hWnd, u"open", page.c_str(), u"", u"", SW_SHOW);
}

BOOL CMicroscopeDlg::OnHelpInfo(HELPINFO*) {
    OnHelpFile();
    return TRUE;
}

void CMicroscopeDlg::OnUpdateWeb() {
    ShellExecute(m_hWnd, u"open", kSupportPageAddress, nullptr, nullptr, SW_SHOW);
}

void CMicroscopeDlg::OnAbout() {
    CAboutDlg dlg;
    dlg.DoModal();
}
