// CWnd: handle maps, creation and subclassing, the window procedure with message maps,
// command routing, reflection, the pre-translation walk and the default handlers.
#include "platform/mfc/AfxWin.h"
#include "platform/mfc/TempObjects.h"

#include "platform/win/window/Framework.h"
#include "platform/win/window/Menu.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

std::unordered_map<HWND, CWnd*>& Permanent() {
    static std::unordered_map<HWND, CWnd*> m;
    return m;
}

std::unordered_map<HWND, std::unique_ptr<CWnd>>& Temporary() {
    static std::unordered_map<HWND, std::unique_ptr<CWnd>> m;
    return m;
}

// The messages being processed, innermost last (for Default and reflection).
std::vector<MSG>& Current() {
    static std::vector<MSG> stack;
    return stack;
}

BOOL PreTranslateWalk(MSG* msg, HWND stop) {
    if (!stop) {
        if (CWnd* main = AfxGetMainWnd())
            stop = main->m_hWnd;
    }
    for (HWND h = msg->hwnd; h && ::IsWindow(h);) {
        const HWND parent = ::GetParent(h);
        CWnd* w = CWnd::FromHandlePermanent(h);
        if (w && w->PreTranslateMessage(msg))
            return TRUE;
        if (h == stop)
            break;
        h = ::IsWindow(h) ? ::GetParent(h) : parent;
    }
    if (CWinApp* app = AfxGetApp())
        return app->PreTranslateMessage(msg);
    return FALSE;
}

void InstallHooks() {
    static bool done = false;
    if (done)
        return;
    done = true;
    ms::SetPreTranslateHook(PreTranslateWalk);
}

void AttachPermanent(CWnd* wnd, HWND h) {
    wnd->m_hWnd = h;
    Permanent()[h] = wnd;
    Temporary().erase(h);
}

} // namespace

LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    if (!w)
        return ::DefWindowProc(hwnd, msg, wp, lp);
    Current().push_back(MSG{hwnd, msg, wp, lp, 0, {0, 0}});
    const LRESULT r = w->WindowProc(msg, wp, lp);
    Current().pop_back();
    return r;
}

// ---- CWnd ----

CWnd::CWnd() {
    InstallHooks();
}

CWnd::~CWnd() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        if (::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
        if (m_hWnd)
            Permanent().erase(m_hWnd);
        m_hWnd = nullptr;
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    auto it = Permanent().find(hwnd);
    return it == Permanent().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    if (CWnd* p = FromHandlePermanent(hwnd))
        return p;
    auto& temp = Temporary();
    auto it = temp.find(hwnd);
    if (it != temp.end())
        return it->second.get();
    // Objects of windows that are gone are dropped before a new one is made.
    for (auto i = temp.begin(); i != temp.end();) {
        if (!::IsWindow(i->first)) {
            i->second->m_hWnd = nullptr;
            i = temp.erase(i);
        } else {
            ++i;
        }
    }
    auto obj = std::make_unique<CWnd>();
    obj->m_hWnd = hwnd;
    CWnd* raw = obj.get();
    temp[hwnd] = std::move(obj);
    return raw;
}

namespace {
struct AttachScrollBar {
    void operator()(CScrollBar& bar, HWND hwnd) const { bar.m_hWnd = hwnd; }
};
} // namespace

CScrollBar* CWnd::ScrollBarFromHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    // Trackbars and spin bars send scroll messages too; their objects are no CScrollBar, so
    // such a sender gets a temporary scroll-bar wrapper instead of a pointer of the wrong type.
    if (auto* bar = dynamic_cast<CScrollBar*>(FromHandlePermanent(hwnd)))
        return bar;
    return ms::mfc::Temporary<CScrollBar>(hwnd, AttachScrollBar{});
}

LPCWSTR CWnd::AfxWndClass() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProc;
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = u"AfxWnd";
        ::RegisterClass(&wc);
        return true;
    }();
    (void)registered;
    return u"AfxWnd";
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                    int w, int h, HWND parent, HMENU idOrMenu, LPVOID param) {
    if (m_hWnd)
        return FALSE;
    ms::SetCreateHook([this](HWND hwnd) {
        AttachPermanent(this, hwnd);
        m_pfnSuper = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
        if (m_pfnSuper == AfxWndProc)
            m_pfnSuper = nullptr;
    });
    HWND hwnd = ::CreateWindowEx(exStyle, className ? className : AfxWndClass(), windowName, style,
                                 x, y, w, h, parent, idOrMenu, nullptr, param);
    ms::SetCreateHook(nullptr);
    if (!hwnd) {
        if (m_hWnd)
            Permanent().erase(m_hWnd);
        m_hWnd = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                    const RECT& r, CWnd* parent, UINT id, LPVOID param) {
    return CreateEx(exStyle, className, windowName, style, r.left, r.top, r.right - r.left,
                    r.bottom - r.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, void*) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::Attach(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd))
        return FALSE;
    AttachPermanent(this, hwnd);
    return TRUE;
}

HWND CWnd::Detach() {
    HWND h = m_hWnd;
    if (h && FromHandlePermanent(h) == this)
        Permanent().erase(h);
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!::IsWindow(hwnd) || !Attach(hwnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC old = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    if (old != AfxWndProc)
        m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent)
        return FALSE;
    HWND h = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (!m_hWnd)
        return nullptr;
    if (m_pfnSuper)
        ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {
        {WM_NCDESTROY, 0, 0, 0,
         [](CWnd* w, UINT, WPARAM, LPARAM, LRESULT*) -> BOOL {
             w->OnNcDestroy();
             return TRUE;
         }},
        {0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = 0;
    if (!OnWndMsg(msg, wp, lp, &r))
        r = DefWindowProc(msg, wp, lp);
    return r;
}

static BOOL RouteMenuItem(UINT msg, LPARAM lp);

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    LRESULT dummy = 0;
    if (!result)
        result = &dummy;
    *result = 0;
    if (msg == WM_COMMAND)
        return OnCommand(wp, lp);
    if (msg == WM_NOTIFY)
        return OnNotify(wp, lp, result);
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e) {
            if (e->nMessage == msg && msg != WM_COMMAND && msg != WM_NOTIFY)
                return e->pfn(this, msg, wp, lp, result);
        }
    }
    if (msg == WM_DRAWITEM || msg == WM_MEASUREITEM) {
        *result = TRUE;
        if (RouteMenuItem(msg, lp))
            return TRUE;
        // Owner-drawn controls draw (and measure) themselves: the message is reflected.
        HWND item = msg == WM_DRAWITEM
                        ? (lp ? reinterpret_cast<LPDRAWITEMSTRUCT>(lp)->hwndItem : nullptr)
                        : ::GetDlgItem(m_hWnd, static_cast<int>(wp));
        return item && ReflectLastMsg(item, result);
    }
    // Colour and scroll messages of a control go to its object when the parent's map has no
    // entry for them, as the framework's default handlers do.
    if ((msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) ||
        ((msg == WM_HSCROLL || msg == WM_VSCROLL) && lp)) {
        HWND child = reinterpret_cast<HWND>(lp);
        if (child && child != m_hWnd && ReflectLastMsg(child, result))
            return msg == WM_HSCROLL || msg == WM_VSCROLL || *result != 0;
    }
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_pfnSuper)
        return ::CallWindowProc(m_pfnSuper, m_hWnd, msg, wp, lp);
    return ::DefWindowProc(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::Default() {
    if (Current().empty())
        return 0;
    const MSG m = Current().back();
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

BOOL CWnd::OnCommand(WPARAM wp, LPARAM lp) {
    const UINT id = LOWORD(wp);
    HWND control = reinterpret_cast<HWND>(lp);
    int code = HIWORD(wp);
    if (control) {
        // The control may handle its own notification first.
        if (ReflectLastMsg(control))
            return TRUE;
    } else {
        code = 0; // menus (0) and accelerators (1) are both commands
    }
    LRESULT r = 0;
    return OnCmdMsg(id, code, WM_COMMAND, wp, lp, &r);
}

BOOL CWnd::OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) {
    auto* hdr = reinterpret_cast<NMHDR*>(lp);
    if (!hdr)
        return FALSE;
    if (hdr->hwndFrom && ReflectLastMsg(hdr->hwndFrom, result))
        return TRUE;
    return OnCmdMsg(static_cast<UINT>(hdr->idFrom), static_cast<int>(hdr->code), WM_NOTIFY, wp, lp,
                    result);
}

BOOL CWnd::OnCmdMsg(UINT id, int code, UINT message, WPARAM wp, LPARAM lp, LRESULT* result) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e) {
            if (e->nMessage == message && e->nCode == static_cast<UINT>(code) && id >= e->nID &&
                id <= e->nLastID) {
                *result = 0;
                e->pfn(this, message, wp, lp, result);
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CWnd::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    return ReflectChildNotify(msg, wp, lp, result);
}

BOOL CWnd::ReflectChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    UINT code = 0;
    if (msg == WM_COMMAND)
        code = HIWORD(wp);
    else if (msg == WM_NOTIFY)
        code = lp ? reinterpret_cast<NMHDR*>(lp)->code : 0;
    const UINT reflected = WM_REFLECT_BASE + msg;
    LRESULT dummy = 0;
    if (!result)
        result = &dummy;
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e) {
            if (e->nMessage == reflected && e->nCode == code) {
                *result = 0;
                return e->pfn(this, reflected, wp, lp, result);
            }
        }
    }
    return FALSE;
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* result) {
    CWnd* c = FromHandlePermanent(child);
    if (!c || Current().empty())
        return FALSE;
    const MSG m = Current().back();
    LRESULT dummy = 0;
    return c->OnChildNotify(m.message, m.wParam, m.lParam, result ? result : &dummy);
}

CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::GetTopLevelParent() const {
    return FromHandle(::GetAncestor(m_hWnd, GA_ROOT));
}

CWnd* CWnd::GetDlgItem(int id) const {
    return FromHandle(::GetDlgItem(m_hWnd, id));
}

int CWnd::SetDlgCtrlID(int id) {
    return static_cast<int>(::SetWindowLongPtr(m_hWnd, GWLP_ID, id));
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    const DWORD old = GetStyle();
    const DWORD now = (old & ~remove) | add;
    if (now == old)
        return FALSE;
    ::SetWindowLong(m_hWnd, GWL_STYLE, static_cast<LONG>(now));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
    const DWORD old = GetExStyle();
    const DWORD now = (old & ~remove) | add;
    if (now == old)
        return FALSE;
    ::SetWindowLong(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(now));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

void CWnd::GetWindowText(CString& out) const {
    const int n = ::GetWindowTextLength(m_hWnd);
    WCHAR* buf = out.GetBuffer(n + 1);
    ::GetWindowText(m_hWnd, buf, n + 1);
    out.ReleaseBuffer();
}

int CWnd::GetDlgItemText(int id, CString& out) const {
    out.Empty();
    HWND h = ::GetDlgItem(m_hWnd, id);
    if (!h)
        return 0;
    FromHandle(h)->GetWindowText(out);
    return out.GetLength();
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

void CWnd::ClientToScreen(LPRECT r) const {
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&r->left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&r->right));
}

void CWnd::ScreenToClient(LPRECT r) const {
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&r->left));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&r->right));
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
    CRect area;
    HWND center = alternateOwner ? alternateOwner->m_hWnd : ::GetParent(m_hWnd);
    const bool child = (GetStyle() & WS_CHILD) != 0;
    if (child) {
        ::GetClientRect(center, &area);
    } else if (center && ::IsWindowVisible(center) && !::IsIconic(center)) {
        ::GetWindowRect(center, &area);
    } else {
        ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    }
    CRect mine;
    ::GetWindowRect(m_hWnd, &mine);
    int x = area.left + (area.Width() - mine.Width()) / 2;
    int y = area.top + (area.Height() - mine.Height()) / 2;
    if (!child) {
        // Keep it on the screen.
        CRect work;
        ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
        x = std::max<int>(work.left, std::min<int>(x, work.right - mine.Width()));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - mine.Height()));
    }
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CDC* CWnd::GetDC() {
    HDC dc = ::GetDC(m_hWnd);
    return dc ? CDC::FromHandle(dc) : nullptr;
}

int CWnd::ReleaseDC(CDC* dc) {
    return dc ? ::ReleaseDC(m_hWnd, dc->m_hDC) : 0;
}

CWnd* CWnd::SetFocus() {
    return FromHandle(::SetFocus(m_hWnd));
}
CWnd* CWnd::GetFocus() {
    return FromHandle(::GetFocus());
}
CWnd* CWnd::SetCapture() {
    return FromHandle(::SetCapture(m_hWnd));
}
CWnd* CWnd::GetCapture() {
    return FromHandle(::GetCapture());
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

HICON CWnd::GetIcon(BOOL big) const {
    return reinterpret_cast<HICON>(SendMessage(WM_GETICON, big ? ICON_BIG : ICON_SMALL, 0));
}

CMenu* CWnd::GetSystemMenu(BOOL revert) const {
    HMENU m = ::GetSystemMenu(m_hWnd, revert);
    return m ? CMenu::FromHandle(m) : nullptr;
}

CMenu* CWnd::GetMenu() const {
    HMENU m = ::GetMenu(m_hWnd);
    return m ? CMenu::FromHandle(m) : nullptr;
}

int CWnd::MessageBox(LPCWSTR text, LPCWSTR caption, UINT type) {
    return ::MessageBox(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

UINT CWnd::CtlColorType(UINT msg) {
    switch (msg) {
    case WM_CTLCOLORMSGBOX:
        return CTLCOLOR_MSGBOX;
    case WM_CTLCOLOREDIT:
        return CTLCOLOR_EDIT;
    case WM_CTLCOLORLISTBOX:
        return CTLCOLOR_LISTBOX;
    case WM_CTLCOLORBTN:
        return CTLCOLOR_BTN;
    case WM_CTLCOLORDLG:
        return CTLCOLOR_DLG;
    case WM_CTLCOLORSCROLLBAR:
        return CTLCOLOR_SCROLLBAR;
    default:
        return CTLCOLOR_STATIC;
    }
}

// ---- Default handlers ----

int CWnd::OnCreate(LPCREATESTRUCT) {
    return static_cast<int>(Default());
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::OnClose() {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}
void CWnd::OnSize(UINT, int, int) {
    Default();
}
void CWnd::OnMove(int, int) {
    Default();
}
void CWnd::OnMouseMove(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonUp(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonDblClk(UINT, CPoint) {
    Default();
}
void CWnd::OnRButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnRButtonUp(UINT, CPoint) {
    Default();
}
void CWnd::OnRButtonDblClk(UINT, CPoint) {
    Default();
}
void CWnd::OnMButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnMButtonUp(UINT, CPoint) {
    Default();
}
void CWnd::OnMouseHover(UINT, CPoint) {
    Default();
}
void CWnd::OnMouseLeave() {
    Default();
}
void CWnd::OnNcLButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnNcLButtonDblClk(UINT, CPoint) {
    Default();
}
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) {
    return static_cast<BOOL>(Default());
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return static_cast<BOOL>(Default());
}
BOOL CWnd::OnEraseBkgnd(CDC*) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnKeyDown(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnKeyUp(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnChar(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnSysKeyDown(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
HCURSOR CWnd::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(Default());
}
LRESULT CWnd::OnNcHitTest(CPoint) {
    return Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* wnd, UINT) {
    LRESULT r = 0;
    if (wnd && wnd->m_hWnd != m_hWnd && ReflectLastMsg(wnd->m_hWnd, &r) && r)
        return reinterpret_cast<HBRUSH>(r);
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnHScroll(UINT, UINT, CScrollBar* bar) {
    if (bar && ReflectLastMsg(bar->m_hWnd))
        return;
    Default();
}

void CWnd::OnVScroll(UINT, UINT, CScrollBar* bar) {
    if (bar && ReflectLastMsg(bar->m_hWnd))
        return;
    Default();
}

// Owner-drawn menu items go to the menu object of their menu (a popup names its menu in
// hwndItem when drawing; the window layer names the menu being measured).
static BOOL RouteMenuItem(UINT msg, LPARAM lp) {
    if (msg == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(lp);
        if (!dis || dis->CtlType != ODT_MENU)
            return FALSE;
        CMenu* m = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(dis->hwndItem));
        if (m)
            m->DrawItem(dis);
        return m != nullptr;
    }
    auto* mis = reinterpret_cast<LPMEASUREITEMSTRUCT>(lp);
    if (!mis || mis->CtlType != ODT_MENU)
        return FALSE;
    CMenu* m = CMenu::FromHandlePermanent(ms::MenuBeingMeasured());
    if (m)
        m->MeasureItem(mis);
    return m != nullptr;
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT dis) {
    if (RouteMenuItem(WM_DRAWITEM, reinterpret_cast<LPARAM>(dis)))
        return;
    if (dis && dis->hwndItem && ReflectLastMsg(dis->hwndItem))
        return;
    Default();
}

void CWnd::OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis) {
    if (RouteMenuItem(WM_MEASUREITEM, reinterpret_cast<LPARAM>(mis)))
        return;
    if (id && ReflectLastMsg(::GetDlgItem(m_hWnd, id)))
        return;
    Default();
}

void CWnd::OnActivate(UINT, CWnd*, BOOL) {
    Default();
}
void CWnd::OnSetFocus(CWnd*) {
    Default();
}
void CWnd::OnKillFocus(CWnd*) {
    Default();
}
void CWnd::OnShowWindow(BOOL, UINT) {
    Default();
}
void CWnd::OnCancelMode() {
    Default();
}
void CWnd::OnCaptureChanged(CWnd*) {
    Default();
}
BOOL CWnd::OnDeviceChange(UINT, DWORD_PTR) {
    return static_cast<BOOL>(Default());
}
UINT CWnd::OnPowerBroadcast(UINT, LPARAM) {
    return static_cast<UINT>(Default());
}
BOOL CWnd::OnHelpInfo(HELPINFO*) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) {
    Default();
}
void CWnd::OnEnable(BOOL) {
    Default();
}

void CWnd::OnNcDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        // The main window is gone: the application ends.
        ::PostQuitMessage(0);
        app->m_pMainWnd = nullptr;
    }
    Default();
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        Permanent().erase(m_hWnd);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    PostNcDestroy();
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

void AfxThrowUserException() {
    throw CUserException();
}
