// CWinApp, the framework's main, message boxes, and the small handle wrappers CDC and CMenu.
#include "platform/mfc/AfxWin.h"
#include "platform/mfc/TempObjects.h"

#include "window/WindowObject.h"

#include <array>
#include <memory>
#include <unordered_map>

namespace {

CWinApp* g_app = nullptr;

struct TempMenu : CMenu {};

// A temporary never owns its menu: it lets go of the handle before it dies.
struct AttachMenu {
    void operator()(TempMenu& m, HMENU h) const { m.m_hMenu = h; }
};

} // namespace

// ---- CWinApp ----

CWinApp::CWinApp(LPCWSTR appName) {
    g_app = this;
    if (appName) {
        appName_ = appName;
        m_pszAppName = appName_.GetString();
    }
    m_hInstance = ::GetModuleHandle(nullptr);
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

int CWinApp::Run() {
    ms::RunMessageLoop();
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT id) const {
    return ::LoadIcon(m_hInstance, MAKEINTRESOURCE(id));
}

HCURSOR CWinApp::LoadCursor(UINT id) const {
    return ::LoadCursor(m_hInstance, MAKEINTRESOURCE(id));
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle() {
    return ::GetModuleHandle(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    return ::GetModuleHandle(nullptr);
}

LPCWSTR AfxGetAppName() {
    return g_app && g_app->m_pszAppName ? g_app->m_pszAppName : u"";
}

int AfxWinMain(int argc, char** argv) {
    ms::EnsureApplication();
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    static CString exeName;
    if (argc > 0 && argv && argv[0]) {
        std::string a = argv[0];
        const auto slash = a.find_last_of('/');
        if (slash != std::string::npos)
            a = a.substr(slash + 1);
        exeName = CString::FromUtf8(a);
        app->m_pszExeName = exeName.GetString();
        if (!app->m_pszAppName || !*app->m_pszAppName)
            app->m_pszAppName = exeName.GetString();
    }
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT) {
    HWND owner = ms::CurrentModalWindow();
    if (!owner)
        if (CWnd* main = AfxGetMainWnd())
            owner = main->m_hWnd;
    return ::MessageBox(owner, text, AfxGetAppName(), type);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
    CString text;
    text.LoadString(promptId);
    return AfxMessageBox(text.GetString(), type, helpId == UINT(-1) ? promptId : helpId);
}

// ---- CMenu ----

namespace {
std::unordered_map<HMENU, CMenu*>& PermanentMenus() {
    static std::unordered_map<HMENU, CMenu*> m;
    return m;
}
} // namespace

CMenu::~CMenu() {
    // Temporary objects never attached their handle: only an owner destroys its menu.
    auto it = PermanentMenus().find(m_hMenu);
    if (m_hMenu && it != PermanentMenus().end() && it->second == this)
        DestroyMenu();
}

CMenu* CMenu::FromHandlePermanent(HMENU menu) {
    auto it = PermanentMenus().find(menu);
    return it == PermanentMenus().end() ? nullptr : it->second;
}

CMenu* CMenu::FromHandle(HMENU menu) {
    if (CMenu* m = FromHandlePermanent(menu))
        return m;
    return menu ? ms::mfc::Temporary<TempMenu>(menu, AttachMenu{}) : nullptr;
}

BOOL CMenu::Attach(HMENU menu) {
    if (m_hMenu || !menu)
        return FALSE;
    m_hMenu = menu;
    PermanentMenus()[menu] = this;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    auto it = PermanentMenus().find(h);
    if (it != PermanentMenus().end() && it->second == this)
        PermanentMenus().erase(it);
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect) {
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, wnd ? wnd->m_hWnd : nullptr, rect);
}

BOOL CMenu::CreateMenu() {
    return Attach(::CreateMenu());
}
BOOL CMenu::CreatePopupMenu() {
    return Attach(::CreatePopupMenu());
}
BOOL CMenu::LoadMenu(UINT id) {
    return Attach(::LoadMenu(AfxGetInstanceHandle(), MAKEINTRESOURCE(id)));
}

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu)
        return FALSE;
    return ::DestroyMenu(Detach());
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, LPCWSTR text) {
    return ::AppendMenu(m_hMenu, flags, idNewItem, text);
}
BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR text) {
    return ::InsertMenu(m_hMenu, position, flags, idNewItem, text);
}
BOOL CMenu::DeleteMenu(UINT position, UINT flags) {
    return ::DeleteMenu(m_hMenu, position, flags);
}
BOOL CMenu::RemoveMenu(UINT position, UINT flags) {
    return ::RemoveMenu(m_hMenu, position, flags);
}
BOOL CMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR text) {
    return ::ModifyMenu(m_hMenu, position, flags, idNewItem, text);
}
UINT CMenu::CheckMenuItem(UINT id, UINT check) {
    return static_cast<UINT>(::CheckMenuItem(m_hMenu, id, check));
}
UINT CMenu::EnableMenuItem(UINT id, UINT enable) {
    return static_cast<UINT>(::EnableMenuItem(m_hMenu, id, enable));
}
UINT CMenu::GetMenuState(UINT id, UINT flags) const {
    return ::GetMenuState(m_hMenu, id, flags);
}
int CMenu::GetMenuItemCount() const {
    return ::GetMenuItemCount(m_hMenu);
}
UINT CMenu::GetMenuItemID(int pos) const {
    return ::GetMenuItemID(m_hMenu, pos);
}

int CMenu::GetMenuString(UINT id, CString& text, UINT flags) const {
    const int n = ::GetMenuString(m_hMenu, id, nullptr, 0, flags);
    WCHAR* buf = text.GetBuffer(n + 1);
    ::GetMenuString(m_hMenu, id, buf, n + 1, flags);
    text.ReleaseBuffer();
    return text.GetLength();
}

CMenu* CMenu::GetSubMenu(int pos) const {
    HMENU sub = ::GetSubMenu(m_hMenu, pos);
    return sub ? FromHandle(sub) : nullptr;
}
