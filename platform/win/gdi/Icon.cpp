// Icons and cursors: an image with alpha and a hot spot.
#include "gdi/GdiPriv.h"
#include "platform/win/gdi/GdiQt.h"

#include <QPainter>

using namespace ms::gdi;

namespace {

std::shared_ptr<Icon> IconOf(HICON h) {
    std::lock_guard lock(TableMutex());
    return LookupAs<Icon>(h, Kind::Icon);
}

} // namespace

namespace ms {

HICON CreateIconFromQImage(const QImage& image, bool isIcon, int xHotspot, int yHotspot) {
    if (image.isNull())
        return nullptr;
    auto icon = std::make_shared<Icon>();
    icon->argb = image.convertToFormat(QImage::Format_ARGB32);
    icon->isIcon = isIcon;
    icon->hotX = xHotspot;
    icon->hotY = yHotspot;
    return static_cast<HICON>(Register(icon));
}

QImage ImageOfIcon(HICON icon) {
    auto i = IconOf(icon);
    return i ? i->argb : QImage();
}

POINT IconHotspot(HICON icon) {
    auto i = IconOf(icon);
    return i ? POINT{i->hotX, i->hotY} : POINT{0, 0};
}

} // namespace ms

BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH, UINT flags) {
    auto i = IconOf(icon);
    Call call(hdc, "DrawIconEx", {x, y, cx, cy, static_cast<long>(flags)});
    if (!call || !i)
        return FALSE;
    Canvas c = call.Pixels();
    if (!c)
        return TRUE;
    if (cx == 0)
        cx = i->argb.width();
    if (cy == 0)
        cy = i->argb.height();
    QPainter p(c.img);
    if (c.st.hasClip) {
        QRegion r;
        for (const QRect& rc : c.clip)
            r += rc;
        p.setClipRegion(r);
    }
    const QRect target(x, y, cx, cy);
    if ((flags & DI_NORMAL) == DI_MASK) {
        // The mask alone: black where the icon is opaque, white elsewhere.
        QImage mask(i->argb.size(), QImage::Format_RGB32);
        for (int yy = 0; yy < mask.height(); ++yy)
            for (int xx = 0; xx < mask.width(); ++xx)
                mask.setPixel(xx, yy,
                              qAlpha(i->argb.pixel(xx, yy)) >= 128 ? 0xFF000000u : 0xFFFFFFFFu);
        p.drawImage(target, mask);
    } else {
        p.drawImage(target, i->argb);
    }
    p.end();
    if (c.mono)
        ToMonochrome(*c.img, c.st.bk);
    return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
    return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
    auto i = IconOf(icon);
    if (!i || !info)
        return FALSE;
    info->fIcon = i->isIcon ? TRUE : FALSE;
    info->xHotspot = static_cast<DWORD>(i->isIcon ? i->argb.width() / 2 : i->hotX);
    info->yHotspot = static_cast<DWORD>(i->isIcon ? i->argb.height() / 2 : i->hotY);
    // The colour bitmap is a 32-bit DIB section with the alpha in its fourth byte; the mask
    // is monochrome, white where the icon is transparent. The caller deletes both.
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = i->argb.width();
    bmi.bmiHeader.biHeight = -i->argb.height();
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    info->hbmColor = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    info->hbmMask = CreateBitmap(i->argb.width(), i->argb.height(), 1, 1, nullptr);
    if (!info->hbmColor || !info->hbmMask) {
        DeleteObject(info->hbmColor);
        DeleteObject(info->hbmMask);
        return FALSE;
    }
    auto* px = static_cast<BYTE*>(bits);
    for (int y = 0; y < i->argb.height(); ++y)
        for (int x = 0; x < i->argb.width(); ++x) {
            const QRgb c = i->argb.pixel(x, y);
            BYTE* p = px + (static_cast<size_t>(y) * static_cast<size_t>(i->argb.width()) +
                            static_cast<size_t>(x)) *
                               4;
            p[0] = static_cast<BYTE>(qBlue(c));
            p[1] = static_cast<BYTE>(qGreen(c));
            p[2] = static_cast<BYTE>(qRed(c));
            p[3] = static_cast<BYTE>(qAlpha(c));
        }
    QImage mask(i->argb.size(), QImage::Format_RGB32);
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            mask.setPixel(x, y, qAlpha(i->argb.pixel(x, y)) >= 128 ? 0xFF000000u : 0xFFFFFFFFu);
    std::shared_ptr<Bitmap> b;
    {
        std::lock_guard lock(TableMutex());
        b = LookupAs<Bitmap>(info->hbmMask, Kind::Bitmap);
    }
    if (b) {
        std::lock_guard bl(b->m);
        b->img = mask;
    }
    return TRUE;
}

HICON CopyIcon(HICON icon) {
    auto i = IconOf(icon);
    return i ? ms::CreateIconFromQImage(i->argb, i->isIcon, i->hotX, i->hotY) : nullptr;
}

BOOL DestroyIcon(HICON icon) {
    std::lock_guard lock(TableMutex());
    if (!LookupAs<Icon>(icon, Kind::Icon))
        return FALSE;
    Unregister(icon);
    return TRUE;
}

BOOL DestroyCursor(HICON cursor) {
    return DestroyIcon(cursor);
}
