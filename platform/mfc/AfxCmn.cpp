// The framework's control classes (the parts that are not inline).
#include "platform/mfc/AfxCmn.h"

#include "platform/win/gdi/Gdi.h"

// ---- CButton, CBitmapButton ----

BOOL CButton::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == WM_DRAWITEM && lp) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lp));
        if (result)
            *result = TRUE;
        return TRUE;
    }
    return CWnd::OnChildNotify(msg, wp, lp, result);
}

namespace {

BOOL LoadInto(CBitmap& bmp, LPCWSTR name) {
    bmp.DeleteObject();
    if (!name)
        return FALSE;
    return bmp.Attach(::LoadBitmap(AfxGetResourceHandle(), name));
}

LPCWSTR IdName(UINT id) {
    return id ? MAKEINTRESOURCE(id) : nullptr;
}

} // namespace

BOOL CBitmapButton::LoadBitmaps(UINT normal, UINT selected, UINT focus, UINT disabled) {
    return LoadBitmaps(IdName(normal), IdName(selected), IdName(focus), IdName(disabled));
}

BOOL CBitmapButton::LoadBitmaps(LPCWSTR normal, LPCWSTR selected, LPCWSTR focus, LPCWSTR disabled) {
    const BOOL ok = LoadInto(m_bitmap, normal);
    LoadInto(m_bitmapSel, selected);
    LoadInto(m_bitmapFocus, focus);
    LoadInto(m_bitmapDisabled, disabled);
    return ok;
}

void CBitmapButton::SizeToContent() {
    BITMAP bm{};
    if (!m_bitmap.GetSafeHandle() || !m_bitmap.GetBitmap(&bm))
        return;
    SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (!dis)
        return;
    CBitmap* use = &m_bitmap;
    const UINT state = dis->itemState;
    if ((state & ODS_SELECTED) && m_bitmapSel.GetSafeHandle())
        use = &m_bitmapSel;
    else if ((state & ODS_FOCUS) && m_bitmapFocus.GetSafeHandle())
        use = &m_bitmapFocus;
    else if ((state & ODS_DISABLED) && m_bitmapDisabled.GetSafeHandle())
        use = &m_bitmapDisabled;
    if (!use->GetSafeHandle())
        return;
    HDC mem = ::CreateCompatibleDC(dis->hDC);
    HGDIOBJ old = ::SelectObject(mem, use->GetSafeHandle());
    const RECT& r = dis->rcItem;
    ::BitBlt(dis->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, 0, 0, SRCCOPY);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
}

// ---- Lists ----

namespace {

void TextInto(const CWnd* w, UINT lenMsg, UINT textMsg, int i, CString& out) {
    const int n = static_cast<int>(w->SendMessage(lenMsg, static_cast<WPARAM>(i)));
    if (n < 0) {
        out.Empty();
        return;
    }
    WCHAR* buf = out.GetBuffer(n + 1);
    buf[0] = 0;
    w->SendMessage(textMsg, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    out.ReleaseBuffer();
}

} // namespace

void CComboBox::GetLBText(int i, CString& out) const {
    TextInto(this, CB_GETLBTEXTLEN, CB_GETLBTEXT, i, out);
}

void CListBox::GetText(int i, CString& out) const {
    TextInto(this, LB_GETTEXTLEN, LB_GETTEXT, i, out);
}

LONG CTabCtrl::InsertItem(int item, LPCWSTR text) {
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<LPWSTR>(text);
    return InsertItem(item, &tab);
}

// ---- CToolTipCtrl ----

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASS, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr,
                    nullptr);
}

namespace {

TOOLINFOW ToolOf(CWnd* wnd, UINT_PTR id, LPCWSTR text) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = wnd ? wnd->m_hWnd : nullptr;
    ti.uId = id;
    ti.lpszText = const_cast<LPWSTR>(text);
    if (!id && wnd) {
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.uId = reinterpret_cast<UINT_PTR>(wnd->m_hWnd);
    }
    return ti;
}

} // namespace

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCWSTR text, LPCRECT rect, UINT_PTR id) {
    TOOLINFOW ti = ToolOf(wnd, id, text);
    if (rect)
        ti.rect = *rect;
    else if (wnd)
        ::GetClientRect(wnd->m_hWnd, &ti.rect);
    if (id)
        ti.uFlags |= TTF_SUBCLASS;
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR id) {
    TOOLINFOW ti = ToolOf(wnd, id, nullptr);
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR text, CWnd* wnd, UINT_PTR id) {
    TOOLINFOW ti = ToolOf(wnd, id, text);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}
