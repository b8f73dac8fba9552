// The off-screen surface of a picture view (the photo-measure canvases and Wavenor's still
// view): each paint composes the picture and its shapes there and copies the result to the
// window in one block transfer, so the window never shows a half-drawn state.
#pragma once

#include "platform/mfc/AfxWin.h"

#include <memory>

class ViewSurface {
public:
    // A memory DC compatible with `wnd`'s client area and, with a picture to show, a bitmap of
    // width x height compatible with the client selected into it.
    void Create(CWnd& wnd, bool withPicture, int width, int height);
    // Both made: a paint can compose on Dc().
    bool Ready() const { return m_dc.GetSafeHdc() && m_bitmap && m_bitmap->GetSafeHandle(); }
    CDC& Dc() { return m_dc; }
    void Release();

private:
    CDC m_dc;
    std::unique_ptr<CBitmap> m_bitmap;
};
