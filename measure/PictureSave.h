// Saving a picture with its measurements burnt in, as the photo-measure canvases and Wavenor's
// still view do: the picture at its own size in an off-screen bitmap, the view's shapes drawn
// over it, the result written.
//
// Header-only on purpose: CDibImage is built once per program (Tessary's and Wavenor's image
// library differ in layout), so each view compiles this against the image class it links.
#pragma once

#include "imaging/DibImage.h"
#include "platform/mfc/AfxWin.h"

// Draws `image` at width x height into a bitmap compatible with `wnd`'s client area, lets
// `drawShapes(CDC&)` draw over it and writes the result to `path` as `type`. 1 when the file was
// written; 0 when the bitmap could not be made, taken back or written.
template <typename DrawShapes>
int SavePictureWithShapes(CWnd& wnd, CDibImage& image, int width, int height, const CString& path,
                          DWORD type, DrawShapes&& drawShapes) {
    CClientDC client(&wnd);
    CDC memory;
    memory.CreateCompatibleDC(&client);
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(&client, width, height))
        return 0;
    CBitmap* old = memory.SelectObject(&bitmap);
    image.StretchToDC(memory, 0, 0, width, height, SRCCOPY);
    drawShapes(memory);
    memory.SelectObject(old);
    CDibImage rendered(DIBIMAGE_TYPE_UNKNOWN);
    if (!rendered.CreateFromBitmap(static_cast<HBITMAP>(bitmap.GetSafeHandle())))
        return 0;
    return rendered.SaveToFile(path.GetString(), type) ? 1 : 0;
}
