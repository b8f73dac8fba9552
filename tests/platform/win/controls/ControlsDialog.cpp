#include "ControlsDialog.h"

#include "ControlsResource.h"

#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"

#include <algorithm>

namespace ctltest {
namespace {

HWND g_tip = nullptr;
int g_first = 0;
constexpr int kItems = 10;
constexpr int kVisible = 6;
WNDPROC g_stripBase = nullptr;

void UpdateStripBar(HWND strip) {
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                  0,          kItems <= kVisible ? kVisible - 1 : kItems - 1,
                  kVisible,   g_first,
                  0};
    SetScrollInfo(strip, SB_HORZ, &si, TRUE);
}

// The strip paints its own items, as the thumbnail strips do.
LRESULT StripProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT rc;
        GetClientRect(h, &rc);
        HBRUSH back = CreateSolidBrush(RGB(40, 44, 52));
        FillRect(dc, &rc, back);
        DeleteObject(back);
        const int w = (rc.right - 4 * (kVisible + 1)) / kVisible;
        for (int i = 0; i < kVisible && g_first + i < kItems; ++i) {
            const int item = g_first + i;
            RECT r{4 + i * (w + 4), 4, 4 + i * (w + 4) + w, rc.bottom - 4};
            HBRUSH b = CreateSolidBrush(RGB(60 + item * 18, 120, 200 - item * 12));
            FillRect(dc, &r, b);
            DeleteObject(b);
            WCHAR text[8];
            swprintf(text, 8, u"%d", item + 1);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 255, 255));
            TextOutW(dc, r.left + 3, r.top + 2, text, static_cast<int>(wcslen(text)));
        }
        EndPaint(h, &ps);
        return 0;
    }
    case WM_HSCROLL: {
        Log().push_back(
            {msg, 0, LOWORD(wp), static_cast<SHORT>(HIWORD(wp)), reinterpret_cast<HWND>(lp)});
        int v = g_first;
        switch (LOWORD(wp)) {
        case SB_LINELEFT:
            --v;
            break;
        case SB_LINERIGHT:
            ++v;
            break;
        case SB_PAGELEFT:
            v -= kVisible;
            break;
        case SB_PAGERIGHT:
            v += kVisible;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            v = static_cast<SHORT>(HIWORD(wp));
            break;
        case SB_ENDSCROLL:
            return 0;
        default:
            break;
        }
        int lo = 0, hi = 0;
        GetScrollRange(h, SB_HORZ, &lo, &hi);
        g_first = std::clamp(v, 0, hi);
        SetScrollPos(h, SB_HORZ, g_first, TRUE);
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    }
    default:
        return CallWindowProc(g_stripBase, h, msg, wp, lp);
    }
}

void AddTip(HWND dlg, int id, const char16_t* text) {
    HWND ctl = GetDlgItem(dlg, id);
    TOOLINFOW ti{};
    ti.cbSize = 44; // the size the programs pass
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = ctl;
    ti.uId = static_cast<UINT_PTR>(id);
    GetClientRect(ctl, &ti.rect);
    ti.lpszText = const_cast<LPWSTR>(text);
    SendMessage(g_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void Init(HWND dlg) {
    g_first = 0;
    SendDlgItemMessage(dlg, IDC_SLIDER, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendDlgItemMessage(dlg, IDC_SLIDER, TBM_SETTICFREQ, 10, 0);
    SendDlgItemMessage(dlg, IDC_SLIDER, TBM_SETPOS, TRUE, 40);
    SetDlgItemText(dlg, IDC_SLIDER_VALUE, u" 40");
    SetScrollRange(GetDlgItem(dlg, IDC_SPINBAR), SB_CTL, 0, 100, TRUE);
    SetScrollPos(GetDlgItem(dlg, IDC_SPINBAR), SB_CTL, 50, TRUE);
    SendDlgItemMessage(dlg, IDC_WIDTH_SPIN, UDM_SETRANGE32, 1, 3);
    SendDlgItemMessage(dlg, IDC_WIDTH_SPIN, UDM_SETPOS32, 0, 2);
    HWND combo = GetDlgItem(dlg, IDC_DEVICE);
    int i = static_cast<int>(
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"USB Camera")));
    SendMessage(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), 7);
    i = static_cast<int>(
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Test Source")));
    SendMessage(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), 9);
    SendMessage(combo, CB_SETCURSEL, 0, 0);
    HWND tabs = GetDlgItem(dlg, IDC_TABS);
    TCITEMW t{};
    t.mask = TCIF_TEXT;
    t.pszText = const_cast<LPWSTR>(u"Unit setting");
    SendMessage(tabs, TCM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&t));
    t.pszText = const_cast<LPWSTR>(u"Pen setting");
    SendMessage(tabs, TCM_INSERTITEM, 1, reinterpret_cast<LPARAM>(&t));
    SendMessage(tabs, TCM_SETCURSEL, 0, 0);
    CheckRadioButton(dlg, IDC_MM, IDC_INCH, IDC_MM);
    CheckRadioButton(dlg, IDC_DEC2, IDC_DEC3, IDC_DEC3);
    for (const char16_t* f : {u"picture-0001.jpg", u"picture-0002.jpg", u"video-0001.avi"})
        SendDlgItemMessage(dlg, IDC_FILES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f));
    SetDlgItemText(dlg, IDC_NOTES, u"First line\r\nSecond line");
    HWND strip = GetDlgItem(dlg, IDC_STRIP);
    g_stripBase = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(strip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StripProc)));
    UpdateStripBar(strip);
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 50, 10, 20, 0};
    SetScrollInfo(GetDlgItem(dlg, IDC_HSCROLL), SB_CTL, &si, TRUE);
    g_tip = CreateWindowEx(WS_EX_TOPMOST, TOOLTIPS_CLASS, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, dlg, nullptr, nullptr, nullptr);
    SendMessage(g_tip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 100);
    AddTip(dlg, IDC_OWNER, u"An owner-drawn button");
    AddTip(dlg, IDOK, u"Close the dialog");
}

} // namespace

std::vector<Note>& Log() {
    static std::vector<Note> log;
    return log;
}

std::vector<Note> NotesOf(UINT msg, int id) {
    std::vector<Note> out;
    for (const Note& n : Log())
        if (n.msg == msg && (id == 0 || n.id == id))
            out.push_back(n);
    return out;
}

HWND ToolTipOf(HWND) {
    return g_tip;
}

int StripFirst() {
    return g_first;
}

INT_PTR ControlsDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        Init(dlg);
        return TRUE;
    case WM_COMMAND: {
        Log().push_back({msg, LOWORD(wp), HIWORD(wp), 0, reinterpret_cast<HWND>(lp)});
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)
            EndDialog(dlg, LOWORD(wp));
        return TRUE;
    }
    case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
        int pos = 0;
        if (hdr->code == UDN_DELTAPOS)
            pos = reinterpret_cast<const NMUPDOWN*>(lp)->iDelta;
        Log().push_back({msg, static_cast<int>(hdr->idFrom), hdr->code, pos, hdr->hwndFrom});
        return TRUE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
        HWND from = reinterpret_cast<HWND>(lp);
        const int id = from ? GetDlgCtrlID(from) : 0;
        Log().push_back({msg, id, LOWORD(wp), static_cast<SHORT>(HIWORD(wp)), from});
        if (id == IDC_SLIDER) {
            WCHAR buf[16];
            swprintf(buf, 16, u"%3d", static_cast<int>(SendMessage(from, TBM_GETPOS, 0, 0)));
            SetDlgItemText(dlg, IDC_SLIDER_VALUE, buf);
        } else if (id == IDC_SPINBAR && (LOWORD(wp) == SB_LINEUP || LOWORD(wp) == SB_LINEDOWN)) {
            // A spin bar moves its slider by one, as the setting dialogs do.
            HWND slider = GetDlgItem(dlg, IDC_SLIDER);
            const int v = static_cast<int>(SendMessage(slider, TBM_GETPOS, 0, 0)) +
                          (LOWORD(wp) == SB_LINEUP ? 1 : -1);
            SendMessage(slider, TBM_SETPOS, TRUE, std::clamp(v, 0, 100));
        }
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        Log().push_back({msg, static_cast<int>(dis->CtlID), dis->CtlType,
                         static_cast<int>(dis->itemState), dis->hwndItem});
        const bool down = (dis->itemState & ODS_SELECTED) != 0;
        const bool off = (dis->itemState & ODS_DISABLED) != 0;
        HBRUSH b = CreateSolidBrush(off    ? RGB(170, 170, 170)
                                    : down ? RGB(30, 90, 160)
                                           : RGB(52, 120, 210));
        FillRect(dis->hDC, &dis->rcItem, b);
        DeleteObject(b);
        SetBkMode(dis->hDC, TRANSPARENT);
        SetTextColor(dis->hDC, RGB(255, 255, 255));
        RECT r = dis->rcItem;
        DrawTextW(dis->hDC, down ? u"Pressed" : u"Owner", -1, &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (dis->itemState & ODS_FOCUS) {
            RECT f{dis->rcItem.left + 3, dis->rcItem.top + 3, dis->rcItem.right - 3,
                   dis->rcItem.bottom - 3};
            DrawFocusRect(dis->hDC, &f);
        }
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == IDC_LINK) {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, RGB(0, 0, 238));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace ctltest
