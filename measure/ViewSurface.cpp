#include "measure/ViewSurface.h"

void ViewSurface::Create(CWnd& wnd, bool withPicture, int width, int height) {
    CClientDC client(&wnd);
    m_dc.CreateCompatibleDC(&client);
    m_bitmap = std::make_unique<CBitmap>();
    if (!withPicture)
        return;
    m_bitmap->CreateCompatibleBitmap(&client, width, height);
    m_dc.SelectObject(m_bitmap.get());
}

void ViewSurface::Release() {
    m_dc.DeleteDC();
    m_bitmap.reset();
}
