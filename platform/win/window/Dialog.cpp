// Dialogs: creation from templates in dialog units, the dialog class's default processing,
// the dialog manager's keys (Enter, Esc, Tab), modal dialog boxes and the dialog item calls.
#include "platform/win/window/Framework.h"
#include "platform/win/window/Resources.h"
#include "platform/win/window/TestSeams.h"
#include "window/WindowInternal.h"

#include "platform/win/gdi/Gdi.h"

#include <QDebug>
#include <algorithm>
#include <map>
#include <tuple>

namespace ms::wnd {

namespace {

constexpr const char16_t* kBaseUnitsProp = u"ms.dlu";
constexpr const char16_t* kTemplateProp = u"ms.template";

int MulDivRound(int a, int b, int c) {
    return c ? static_cast<int>((static_cast<long long>(a) * b + (a >= 0 ? c / 2 : -c / 2)) / c)
             : 0;
}

SIZE BaseUnitsOf(HWND dialog) {
    const auto packed = reinterpret_cast<ULONG_PTR>(GetProp(dialog, kBaseUnitsProp));
    if (!packed)
        return SIZE{6, 13};
    return SIZE{static_cast<LONG>(packed & 0xffff), static_cast<LONG>((packed >> 16) & 0xffff)};
}

HFONT DialogFont(std::u16string_view face, int pointSize, int weight, bool italic) {
    static std::map<std::tuple<std::u16string, int, int, bool>, HFONT> cache;
    auto key = std::make_tuple(std::u16string(face), pointSize, weight, italic);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    LOGFONTW lf{};
    lf.lfHeight = -MulDivRound(pointSize, 96, 72);
    lf.lfWeight = weight ? weight : 400;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfCharSet = 1;
    const size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
    std::copy_n(face.data(), n, lf.lfFaceName);
    HFONT f = CreateFontIndirectW(&lf);
    cache[key] = f;
    return f;
}

bool IsPushButton(HWND h) {
    WCHAR cls[32];
    GetClassName(h, cls, 32);
    if (std::u16string(cls) != u"Button")
        return false;
    const DWORD t = static_cast<DWORD>(GetWindowLong(h, GWL_STYLE)) & BS_TYPEMASK;
    return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON || t == BS_OWNERDRAW;
}

bool Focusable(HWND h) {
    const DWORD s = static_cast<DWORD>(GetWindowLong(h, GWL_STYLE));
    return (s & WS_TABSTOP) && (s & WS_VISIBLE) && !(s & WS_DISABLED);
}

HWND FirstTabStop(HWND dialog) {
    auto kids = ChildrenOf(dialog);
    // ChildrenOf lists top first; the template order is creation order, bottom first.
    std::reverse(kids.begin(), kids.end());
    for (HWND h : kids)
        if (Focusable(h))
            return h;
    return nullptr;
}

void ClickCommand(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button && !IsWindowEnabled(button))
        return;
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                reinterpret_cast<LPARAM>(button));
}

LRESULT DialogDefault(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = Lookup(hwnd);
    if (!w)
        return 0;
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_CLOSE:
        // As the dialog manager: Close means Cancel.
        PostMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(static_cast<WORD>(w->defId), DC_HASDEFID);
    case DM_SETDEFID:
        w->defId = static_cast<int>(wp);
        return TRUE;
    case WM_SETFOCUS: {
        HWND target = IsWindow(w->lastFocus) && IsChild(hwnd, w->lastFocus) ? w->lastFocus
                                                                            : FirstTabStop(hwnd);
        if (target)
            SetFocus(target);
        return 0;
    }
    case WM_COMMAND:
        return 0;
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

} // namespace

LRESULT DialogClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = Lookup(hwnd);
    if (w && w->dlgProc) {
        w->dlgMsgResult = 0;
        const INT_PTR r = w->dlgProc(hwnd, msg, wp, lp);
        w = Lookup(hwnd);
        if (r) {
            switch (msg) {
            case WM_INITDIALOG:
            case WM_CTLCOLORMSGBOX:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORDLG:
            case WM_CTLCOLORSCROLLBAR:
            case WM_CTLCOLORSTATIC:
            case WM_QUERYDRAGICON:
                return r;
            default:
                return w ? w->dlgMsgResult : 0;
            }
        }
        if (msg == WM_INITDIALOG)
            return FALSE;
    }
    return DialogDefault(hwnd, msg, wp, lp);
}

} // namespace ms::wnd

namespace ms::res {

SIZE DialogBaseUnits(std::u16string_view face, int pointSize) {
    std::u16string f(face);
    for (auto& c : f)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + 32);
    struct Entry {
        const char16_t* face;
        int points;
        SIZE units;
    };
    // Average character width and height of the fonts the dialogs name, at 96 dpi.
    static const Entry table[] = {
        {u"ms shell dlg", 8, {6, 13}},
        {u"ms shell dlg 2", 8, {6, 13}},
        {u"ms sans serif", 8, {6, 13}},
        {u"tahoma", 8, {6, 13}},
        {u"microsoft sans serif", 8, {6, 13}},
        {u"arial", 8, {6, 14}},
        {u"arial", 9, {7, 15}},
        {u"arial", 10, {7, 16}},
        {u"simsun", 9, {6, 12}},
        {u"simsun", 10, {7, 14}},
        {u"\u5b8b\u4f53", 9, {6, 12}},
        {u"\u5b8b\u4f53", 10, {7, 14}},
        {u"ms shell dlg", 9, {7, 15}},
        {u"segoe ui", 9, {7, 15}},
    };
    for (const Entry& e : table)
        if (f == e.face && e.points == pointSize)
            return e.units;
    // Other fonts: the height of the font's cell, and an average width in proportion.
    const int height = std::max(8, (pointSize * 96 * 12 + 72 * 5) / (72 * 10));
    const int width = std::max(4, (height * 6 + 6) / 13);
    return SIZE{width, height};
}

} // namespace ms::res

namespace ms {

HWND CreateDialogFromTemplate(const res::DialogTemplate& tpl, HWND parent, DLGPROC proc,
                              LPARAM init) {
    using namespace wnd;
    EnsureApplication();
    const SIZE units = (tpl.style & DS_SETFONT) && tpl.face
                           ? res::DialogBaseUnits(tpl.face, tpl.pointSize)
                           : SIZE{6, 13};
    auto dx = [&](int v) { return MulDivRound(v, units.cx, 4); };
    auto dy = [&](int v) { return MulDivRound(v, units.cy, 8); };

    DWORD style = tpl.style & ~WS_VISIBLE;
    DWORD exStyle = tpl.exStyle;
    if (tpl.style & DS_MODALFRAME)
        exStyle |= WS_EX_DLGMODALFRAME;
    if (tpl.style & DS_CONTROL) {
        style &= ~(WS_CAPTION | WS_SYSMENU);
        exStyle |= WS_EX_CONTROLPARENT;
    }
    const bool child = (style & WS_CHILD) != 0;
    RECT r{0, 0, dx(tpl.cx), dy(tpl.cy)};
    AdjustWindowRectEx(&r, style, tpl.menu != 0, exStyle);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    int x = dx(tpl.x);
    int y = dy(tpl.y);
    if (!child && !(tpl.style & DS_ABSALIGN) && parent) {
        POINT origin{0, 0};
        ClientToScreen(parent, &origin);
        x += origin.x;
        y += origin.y;
    }

    const char16_t* cls = tpl.className && *tpl.className
                              ? tpl.className
                              : reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32770));
    // The dialog procedure and the base units are in place before the first message.
    // A hook the caller set (the framework subclassing the dialog) runs after ours.
    auto outer = TakeCreateHook();
    SetCreateHook([proc, units, &tpl, outer](HWND h) {
        if (WindowObject* w = Lookup(h)) {
            w->dlgProc = proc;
            w->dialog = true;
        }
        SetProp(h, kBaseUnitsProp,
                reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(units.cx) |
                                         (static_cast<ULONG_PTR>(units.cy) << 16)));
        SetProp(h, kTemplateProp, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(tpl.id)));
        if (outer)
            outer(h);
    });
    // A top-level dialog whose template names a menu gets it as its menu bar, as on Windows.
    HMENU menu = !child && tpl.menu ? LoadMenu(nullptr, MAKEINTRESOURCE(tpl.menu)) : nullptr;
    HWND dlg = CreateWindowEx(exStyle, cls, tpl.caption ? tpl.caption : u"", style, x, y, width,
                              height, parent, menu, nullptr, nullptr);
    if (!dlg && menu)
        DestroyMenu(menu);
    if (!dlg)
        return nullptr;
    if (WindowObject* w = Lookup(dlg)) {
        if (!w->dlgProc)
            w->dlgProc = proc;
        w->dialog = true;
    }
    if (!GetProp(dlg, kBaseUnitsProp))
        SetProp(dlg, kBaseUnitsProp,
                reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(units.cx) |
                                         (static_cast<ULONG_PTR>(units.cy) << 16)));
    if (!GetProp(dlg, kTemplateProp))
        SetProp(dlg, kTemplateProp, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(tpl.id)));

    HFONT font = nullptr;
    if ((tpl.style & DS_SETFONT) && tpl.face)
        font = DialogFont(tpl.face, tpl.pointSize, tpl.weight, tpl.italic != 0);
    if (font)
        SendMessage(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    int defId = IDOK;
    bool haveDef = false;
    for (std::size_t i = 0; i < tpl.itemCount && IsWindow(dlg); ++i) {
        const res::DialogItem& it = tpl.items[i];
        const DWORD cs = it.style | WS_CHILD;
        HWND c = CreateWindowEx(it.exStyle, it.className, it.text ? it.text : u"", cs, dx(it.x),
                                dy(it.y), dx(it.cx), dy(it.cy), dlg,
                                reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(it.id)), nullptr,
                                nullptr);
        if (!c) {
            // An unknown class gets a plain window in its place (and a note), so that the rest
            // of the dialog still works.
            qWarning("window: dialog %u: control %u of class \"%s\" could not be created", tpl.id,
                     it.id,
                     QString::fromUtf16(it.className ? it.className : u"").toUtf8().constData());
            static bool placeholderClass = [] {
                WNDCLASSW wc{};
                wc.lpszClassName = u"ms.Placeholder";
                wc.lpfnWndProc = DefWindowProc;
                RegisterClass(&wc);
                return true;
            }();
            (void)placeholderClass;
            c = CreateWindowEx(it.exStyle, u"ms.Placeholder", it.text ? it.text : u"", cs, dx(it.x),
                               dy(it.y), dx(it.cx), dy(it.cy), dlg,
                               reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(it.id)), nullptr,
                               nullptr);
        }
        if (c && font)
            SendMessage(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c && !haveDef && IsPushButton(c) &&
            (static_cast<DWORD>(GetWindowLong(c, GWL_STYLE)) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            defId = static_cast<int>(it.id);
            haveDef = true;
        }
    }
    if (!IsWindow(dlg))
        return nullptr;
    if (WindowObject* w = Lookup(dlg))
        w->defId = defId;
    if (!child && (tpl.style & DS_CENTER)) {
        RECT wr, area;
        GetWindowRect(dlg, &wr);
        if (parent)
            GetWindowRect(GetAncestor(parent, GA_ROOT), &area);
        else
            SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
        const int w = wr.right - wr.left, h = wr.bottom - wr.top;
        SetWindowPos(dlg, nullptr, area.left + (area.right - area.left - w) / 2,
                     area.top + (area.bottom - area.top - h) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    HWND first = FirstTabStop(dlg);
    const LRESULT focus = SendMessage(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), init);
    if (!IsWindow(dlg))
        return nullptr;
    if (focus && first && IsWindow(first))
        SetFocus(first);
    if ((tpl.style & WS_VISIBLE) && IsWindow(dlg) && !(GetWindowLong(dlg, GWL_STYLE) & WS_VISIBLE))
        ShowWindow(dlg, SW_SHOW);
    return IsWindow(dlg) ? dlg : nullptr;
}

} // namespace ms

using namespace ms;
using namespace ms::wnd;

namespace {
UINT IdOf(LPCWSTR name) {
    return IS_INTRESOURCE(name) ? static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)) : 0;
}
} // namespace

HWND CreateDialogParam(HINSTANCE, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM init) {
    const res::DialogTemplate* tpl = res::FindDialog(IdOf(templateName));
    return tpl ? CreateDialogFromTemplate(*tpl, parent, proc, init) : nullptr;
}

INT_PTR DialogBoxParam(HINSTANCE, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM init) {
    const res::DialogTemplate* tpl = res::FindDialog(IdOf(templateName));
    if (!tpl)
        return -1;
    HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    res::DialogTemplate modal = *tpl;
    const bool visible = (modal.style & WS_VISIBLE) != 0;
    modal.style &= ~WS_VISIBLE;
    const bool disableOwner = owner && IsWindowEnabled(owner);
    HWND dlg = CreateDialogFromTemplate(modal, owner, proc, init);
    if (!dlg)
        return -1;
    if (disableOwner)
        EnableWindow(owner, FALSE);
    (void)visible;
    if (!ModalEndPending(dlg))
        ShowWindow(dlg, SW_SHOW);
    const INT_PTR result = RunModalDialog(dlg, tpl->id);
    if (disableOwner && IsWindow(owner))
        EnableWindow(owner, TRUE);
    if (IsWindow(dlg))
        DestroyWindow(dlg);
    if (owner && IsWindow(owner))
        SetActiveWindow(owner);
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    if (!IsWindow(dialog))
        return FALSE;
    EndModalLoop(dialog, result);
    ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

LRESULT DefDlgProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    return DialogClassProc(dialog, msg, wp, lp);
}

BOOL IsDialogMessage(HWND dialog, LPMSG msg) {
    if (!msg || !IsWindow(dialog))
        return FALSE;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))
        return FALSE;
    const WPARAM vk = msg->wParam;
    if (msg->message == WM_KEYDOWN && (vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_TAB)) {
        const LRESULT code =
            SendMessage(msg->hwnd, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(msg));
        const bool wants = (code & DLGC_WANTALLKEYS) || (vk == VK_TAB && (code & DLGC_WANTTAB));
        if (!wants) {
            if (vk == VK_RETURN) {
                HWND focus = GetFocus();
                int id = LOWORD(SendMessage(dialog, DM_GETDEFID, 0, 0));
                if (focus && IsChild(dialog, focus) && IsPushButton(focus))
                    id = GetDlgCtrlID(focus);
                ClickCommand(dialog, id);
            } else if (vk == VK_ESCAPE) {
                ClickCommand(dialog, IDCANCEL);
            } else {
                HWND next = GetNextDlgTabItem(dialog, GetFocus(), GetKeyState(VK_SHIFT) < 0);
                if (next)
                    SetFocus(next);
            }
            return TRUE;
        }
    }
    if (msg->message == WM_CHAR && (vk == u'\r' || vk == 0x1b || vk == u'\t')) {
        const LRESULT code =
            SendMessage(msg->hwnd, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(msg));
        if (!(code & DLGC_WANTALLKEYS))
            return TRUE; // the key itself was handled above
    }
    TranslateMessage(msg);
    DispatchMessage(msg);
    return TRUE;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
    if (!IsWindow(dialog) || !rect)
        return FALSE;
    const SIZE u = BaseUnitsOf(dialog);
    rect->left = MulDivRound(rect->left, u.cx, 4);
    rect->right = MulDivRound(rect->right, u.cx, 4);
    rect->top = MulDivRound(rect->top, u.cy, 8);
    rect->bottom = MulDivRound(rect->bottom, u.cy, 8);
    return TRUE;
}

LONG GetDialogBaseUnits() {
    return MAKELONG(8, 16);
}

BOOL SetDlgItemText(HWND dialog, int id, LPCWSTR text) {
    HWND h = GetDlgItem(dialog, id);
    return h ? SetWindowText(h, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, LPWSTR buf, int max) {
    if (buf && max > 0)
        buf[0] = 0;
    HWND h = GetDlgItem(dialog, id);
    return h ? static_cast<UINT>(GetWindowText(h, buf, max)) : 0;
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    const std::string s =
        isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    std::u16string w(s.begin(), s.end());
    return SetDlgItemText(dialog, id, w.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    if (translated)
        *translated = FALSE;
    WCHAR buf[64];
    if (!GetDlgItem(dialog, id))
        return 0;
    GetDlgItemText(dialog, id, buf, 64);
    const WCHAR* p = buf;
    while (*p == u' ' || *p == u'\t')
        ++p;
    bool neg = false;
    if (isSigned && *p == u'-') {
        neg = true;
        ++p;
    }
    if (*p < u'0' || *p > u'9')
        return 0;
    long long v = 0;
    while (*p >= u'0' && *p <= u'9') {
        v = v * 10 + (*p - u'0');
        if (v > 0xFFFFFFFFLL)
            return 0;
        ++p;
    }
    while (*p == u' ' || *p == u'\t')
        ++p;
    if (*p)
        return 0;
    if (neg)
        v = -v;
    if (isSigned && (v > 0x7FFFFFFFLL || v < -0x80000000LL))
        return 0;
    if (translated)
        *translated = TRUE;
    return static_cast<UINT>(v);
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = GetDlgItem(dialog, id);
    return h ? SendMessage(h, msg, wp, lp) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND h = GetDlgItem(dialog, id);
    if (!h)
        return FALSE;
    SendMessage(h, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    HWND h = GetDlgItem(dialog, id);
    return h ? static_cast<UINT>(SendMessage(h, BM_GETCHECK, 0, 0)) : 0;
}

HWND GetNextDlgTabItem(HWND dialog, HWND ctl, BOOL previous) {
    auto kids = ChildrenOf(dialog);
    std::reverse(kids.begin(), kids.end()); // template order
    std::vector<HWND> stops;
    for (HWND h : kids)
        if (Focusable(h))
            stops.push_back(h);
    if (stops.empty())
        return nullptr;
    auto it = std::find(stops.begin(), stops.end(), ctl);
    if (it == stops.end())
        return previous ? stops.back() : stops.front();
    if (previous)
        return it == stops.begin() ? stops.back() : *(it - 1);
    return it + 1 == stops.end() ? stops.front() : *(it + 1);
}
