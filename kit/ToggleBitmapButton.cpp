#include "kit/ToggleBitmapButton.h"

int CToggleBitmapButton::Attach(UINT id, CWnd* parent, UINT normalId, UINT pressedId,
                                UINT focusId) {
    if (!parent || !SubclassDlgItem(id, parent))
        return 0;
    if (normalId)
        m_bitmap.LoadBitmap(normalId);
    if (pressedId)
        m_bitmapSel.LoadBitmap(pressedId);
    if (focusId)
        m_bitmapFocus.LoadBitmap(focusId);
    SizeToContent();
    return 1;
}

void CToggleBitmapButton::SetPressed() {
    m_pressed = 1;
    Invalidate(FALSE);
}

void CToggleBitmapButton::ClearPressed() {
    m_pressed = 0;
    Invalidate(FALSE);
}

void CToggleBitmapButton::TogglePressed() {
    m_pressed = 1 - m_pressed;
    Invalidate(FALSE);
}

void CToggleBitmapButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (!dis)
        return;
    const CBitmap* bitmap = &m_bitmap;
    if ((dis->itemState & ODS_DISABLED) && m_bitmapDisabled.m_hObject)
        bitmap = &m_bitmapDisabled;
    else if ((dis->itemState & ODS_FOCUS) && m_bitmapFocus.m_hObject)
        bitmap = &m_bitmapFocus;
    else if (m_pressed)
        bitmap = &m_bitmapSel;

    HDC mem = ::CreateCompatibleDC(dis->hDC);
    HGDIOBJ old = bitmap->m_hObject ? ::SelectObject(mem, bitmap->m_hObject) : nullptr;
    if (old && old != HGDI_ERROR) {
        const RECT& r = dis->rcItem;
        ::BitBlt(dis->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, 0, 0, SRCCOPY);
        ::SelectObject(mem, old);
    }
    ::DeleteDC(mem);
}
