#include "kit/HyperlinkStatic.h"

#include "platform/services/Shell.h"
#include "platform/win/core/Registry.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CHyperlinkStatic, CStatic)
ON_WM_CTLCOLOR_REFLECT()
ON_WM_SETCURSOR()
ON_WM_MOUSEMOVE()
ON_WM_TIMER()
ON_WM_ERASEBKGND()
ON_CONTROL_REFLECT(STN_CLICKED, OnClicked)
END_MESSAGE_MAP()

CHyperlinkStatic::~CHyperlinkStatic() {
    m_underlineFont.DeleteObject();
    m_normalFont.DeleteObject();
    if (m_toolTip.m_hWnd)
        m_toolTip.DestroyWindow();
}

COLORREF CHyperlinkStatic::TextColor() const {
    if (m_hovering)
        return m_hoverColor;
    return m_visited ? m_visitedColor : m_linkColor;
}

void CHyperlinkStatic::PreSubclassWindow() {
    ModifyStyle(0, SS_NOTIFY);
    CString text;
    GetWindowText(text);
    if (m_url.IsEmpty())
        m_url = text;
    if (text.IsEmpty())
        SetWindowText(m_url);

    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    LOGFONTW lf{};
    ::GetObjectW(font, sizeof lf, &lf);
    m_normalFont.DeleteObject();
    m_normalFont.CreateFontIndirect(&lf);
    lf.lfUnderline = TRUE;
    m_underlineFont.DeleteObject();
    m_underlineFont.CreateFontIndirect(&lf);

    PositionWindow();
    SetDefaultCursor();
    // A mode set before binding does not survive it.
    SetUnderline(-1);

    if (m_toolTip.Create(this)) {
        CRect r;
        GetClientRect(&r);
        m_toolTip.AddTool(this, m_url, &r, 1);
    }
}

BOOL CHyperlinkStatic::PreTranslateMessage(MSG* msg) {
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

BOOL CHyperlinkStatic::DestroyWindow() {
    KillTimer(m_timerId);
    return CStatic::DestroyWindow();
}

void CHyperlinkStatic::SetUrl(LPCWSTR target) {
    m_url = target;
    if (::IsWindow(m_hWnd)) {
        PositionWindow();
        if (m_toolTip.m_hWnd)
            m_toolTip.UpdateTipText(m_url, this, 1);
    }
}

void CHyperlinkStatic::SetUnderline(int mode) {
    if (mode != m_underline && ::IsWindow(m_hWnd)) {
        CFont& font = mode == 1 ? m_underlineFont : m_normalFont;
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.m_hObject), TRUE);
        Invalidate(TRUE);
    }
    m_underline = mode;
}

void CHyperlinkStatic::SetVisited(bool visited) {
    m_visited = visited ? 1 : 0;
    if (::IsWindow(m_hWnd))
        Invalidate(TRUE);
}

void CHyperlinkStatic::SetLinkCursor(HCURSOR cursor) {
    m_linkCursor = cursor;
    if (!m_linkCursor)
        SetDefaultCursor();
}

void CHyperlinkStatic::SetAutoSize(bool autoSize) {
    m_autoSize = autoSize ? 1 : 0;
    if (::IsWindow(m_hWnd))
        PositionWindow();
}

// The desktop's own pointing-hand cursor is the link cursor (it stands in for the cursor that
// Windows keeps in its help program). It is shared, so the control never destroys it.
void CHyperlinkStatic::SetDefaultCursor() {
    if (!m_linkCursor)
        m_linkCursor = ::LoadCursor(nullptr, IDC_HAND);
}

void CHyperlinkStatic::PositionWindow() {
    if (!m_autoSize || !::IsWindow(m_hWnd))
        return;
    CWnd* parent = GetParent();
    CRect window, client;
    GetWindowRect(&window);
    GetClientRect(&client);
    ClientToScreen(&client);
    if (parent) {
        parent->ScreenToClient(&window);
        parent->ScreenToClient(&client);
    }
    CString text;
    GetWindowText(text);
    // A native control has no DC of its own; the screen's measures the same.
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, m_underlineFont.m_hObject);
    SIZE extent{0, 0};
    ::GetTextExtentPoint32W(dc, text.GetString(), text.GetLength(), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);

    const int width = extent.cx + (window.Width() - client.Width());
    const int height = extent.cy + (window.Height() - client.Height());
    const DWORD style = GetStyle();
    if (style & SS_CENTERIMAGE) {
        const int d = (window.Height() - height) / 2;
        window.top += d;
        window.bottom = window.top + height;
    } else {
        window.bottom = window.top + height;
    }
    if ((style & SS_TYPEMASK) == SS_CENTER) {
        const int d = (window.Width() - width) / 2;
        window.left += d;
        window.right = window.left + width;
    } else if ((style & SS_TYPEMASK) == SS_RIGHT) {
        window.left = window.right - width;
    } else {
        window.right = window.left + width;
    }
    SetWindowPos(nullptr, window.left, window.top, window.Width(), window.Height(), SWP_NOZORDER);
}

HBRUSH CHyperlinkStatic::CtlColor(CDC* dc, UINT) {
    if (dc) {
        dc->SetTextColor(TextColor());
        dc->SetBkMode(TRANSPARENT);
    }
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

BOOL CHyperlinkStatic::OnEraseBkgnd(CDC* dc) {
    CRect r;
    GetClientRect(&r);
    dc->FillSolidRect(&r, ::GetSysColor(COLOR_3DFACE));
    return TRUE;
}

BOOL CHyperlinkStatic::OnSetCursor(CWnd*, UINT, UINT) {
    if (!m_linkCursor)
        return FALSE;
    ::SetCursor(m_linkCursor);
    return TRUE;
}

void CHyperlinkStatic::OnMouseMove(UINT flags, CPoint pt) {
    if (!m_hovering) {
        m_hovering = 1;
        if (m_underline == -1)
            SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_underlineFont.m_hObject), TRUE);
        Invalidate(TRUE);
        SetTimer(m_timerId, 100);
    }
    CStatic::OnMouseMove(flags, pt);
}

// Leaving is noticed at the next tick, from where the cursor was when the tick was posted.
void CHyperlinkStatic::OnTimer(UINT_PTR id) {
    if (id == m_timerId) {
        const DWORD pos = ::GetMessagePos();
        CPoint pt(GET_X_LPARAM(pos), GET_Y_LPARAM(pos));
        ScreenToClient(&pt);
        CRect r;
        GetClientRect(&r);
        if (!r.PtInRect(pt)) {
            m_hovering = 0;
            KillTimer(m_timerId);
            if (m_underline != 1)
                SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_normalFont.m_hObject), TRUE);
            Invalidate(TRUE);
        }
    }
    CStatic::OnTimer(id);
}

void CHyperlinkStatic::OnClicked() {
    m_hovering = 0;
    const INT_PTR result = OpenUrl(m_url, SW_SHOW);
    m_visited = result > 32;
    if (m_visited) {
        SetVisited(true);
    } else {
        ::MessageBeep(MB_ICONEXCLAMATION);
        ReportOpenError(result);
    }
}

LONG CHyperlinkStatic::GetRegKey(HKEY root, LPCWSTR subkey, CString& out) {
    HKEY key = nullptr;
    const LONG rc = ::RegOpenKeyEx(root, subkey, 0, KEY_QUERY_VALUE, &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    WCHAR data[130]{}; // 260 bytes
    DWORD size = sizeof data - sizeof(WCHAR);
    if (::RegQueryValueEx(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) ==
        ERROR_SUCCESS)
        out = data;
    else
        out.Empty();
    ::RegCloseKey(key);
    return ERROR_SUCCESS;
}

std::vector<std::u16string> CHyperlinkStatic::FallbackArguments(const CString& commandLine,
                                                                const CString& target) {
    std::u16string line(commandLine.GetString());
    std::size_t cut = line.find(u"\"%1\"");
    if (cut == std::u16string::npos)
        cut = line.find(u"%1");
    if (cut != std::u16string::npos)
        line.resize(cut);
    std::vector<std::u16string> args = ms::SplitCommandLine(line);
    args.emplace_back(target.GetString());
    return args;
}

INT_PTR CHyperlinkStatic::OpenUrl(LPCWSTR target, int showCommand) {
    const INT_PTR shell = reinterpret_cast<INT_PTR>(
        ::ShellExecute(nullptr, u"open", target, nullptr, nullptr, showCommand));
    if (shell > 32)
        return shell;
    CString docClass, command;
    if (GetRegKey(HKEY_CLASSES_ROOT, u".htm", docClass) != ERROR_SUCCESS)
        return shell;
    docClass += u"\\shell\\open\\command";
    if (GetRegKey(HKEY_CLASSES_ROOT, docClass, command) != ERROR_SUCCESS)
        return shell;
    // Started from an argument vector, so no shell sees the target and no buffer cuts it; the
    // result codes are those of WinExec.
    return ms::StartProgram(FallbackArguments(command, CString(target))) ? 33
                                                                         : ERROR_FILE_NOT_FOUND;
}

CString CHyperlinkStatic::OpenErrorText(INT_PTR result) {
    const char16_t* reason = nullptr;
    switch (result) {
    case 0:
        reason = u"The operating system is out\nof memory or resources.";
        break;
    case 2:
        reason = u"The specified file was not found.";
        break;
    case 3:
        reason = u"The specified path was not found.";
        break;
    case 5:
        reason = u"The operating system denied\naccess to the specified file.";
        break;
    case 8:
        reason = u"There was not enough memory to complete the operation.";
        break;
    case 11:
        reason = u"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        break;
    case 26:
        reason = u"A sharing violation occurred. ";
        break;
    case 27:
        reason = u"The filename association is\nincomplete or invalid.";
        break;
    case 28:
        reason = u"The DDE transaction could not\nbe completed because the request timed out.";
        break;
    case 29:
        reason = u"The DDE transaction failed.";
        break;
    case 30:
        reason = u"The DDE transaction could not\nbe completed because other DDE "
                 u"transactions\nwere being processed.";
        break;
    case 31:
        reason = u"There is no application associated\nwith the given filename extension.";
        break;
    case 32:
        reason = u"The specified dynamic-link library was not found.";
        break;
    default:
        break;
    }
    CString text(u"Unable to open hyperlink:\n\n");
    if (reason) {
        text += reason;
    } else {
        CString unknown;
        unknown.Format(u"Unknown Error (%d) occurred.", static_cast<int>(result));
        text += unknown;
    }
    return text;
}

void CHyperlinkStatic::ReportOpenError(INT_PTR result) {
    AfxMessageBox(OpenErrorText(result), MB_ICONEXCLAMATION);
}
