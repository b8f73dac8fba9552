#include "shell/StillPicture.h"

#include "platform/win/gdi/Gdi.h"

HBITMAP ComposeStill(const StillScene& scene) {
    const StillFrame& frame = scene.frame;
    if (!frame.dib || scene.width <= 0 || scene.height <= 0)
        return nullptr;
    // A memory DC of its own rather than one compatible with a window's: no window is asked
    // for a DC off the UI thread, and a compatible bitmap is a colour bitmap either way.
    HDC memDc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = memDc ? CreateCompatibleBitmap(memDc, scene.width, scene.height) : nullptr;
    if (bitmap) {
        HGDIOBJ oldBitmap = SelectObject(memDc, bitmap);
        SetStretchBltMode(memDc, COLORONCOLOR);
        StretchDIBits(memDc, 0, 0, frame.Width(), frame.Height(), 0, 0, frame.Width(),
                      frame.Height(), frame.Rows(),
                      reinterpret_cast<const BITMAPINFO*>(frame.dib.get()), DIB_RGB_COLORS,
                      SRCCOPY);
        for (const CMeasureRecord& shape : scene.shapes)
            DrawLiveRecord(memDc, shape, scene.context);
        DrawGuideShapes(memDc, scene.guides, scene.context);
        SnapshotOverlays overlays = scene.overlays;
        overlays.unit = scene.unit.c_str();
        DrawSnapshotOverlays(memDc, overlays);
        SelectObject(memDc, oldBitmap);
    }
    if (memDc)
        DeleteDC(memDc);
    return bitmap;
}
