// Moving pictures between a CDibImage and the GDI: capturing a device-dependent bitmap
// (the composed snapshot, the picture-with-measurements bitmaps) and painting the picture.
//
// The DIB block is handed to the GDI as it is: a packed BITMAPINFO (header and palette)
// followed by the pixel rows, colours always as RGB values.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imaging/DibImage.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/Surface.h"

namespace {

const BITMAPINFO* InfoOf(const CDibImage& image) {
    return static_cast<const BITMAPINFO*>(image.GetDibBlock());
}

// A memory DC with a 24-bit top-down DIB section of width x height selected; the pixels are
// reachable through Bits(). Everything is released with the object.
class DibCanvas {
public:
    DibCanvas(HDC reference, int width, int height) : width_(width) {
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = width;
        bmi.bmiHeader.biHeight = -height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 24;
        dc_ = CreateCompatibleDC(reference);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<BYTE*>(bits);
        if (dc_ && bitmap_)
            old_ = SelectObject(dc_, bitmap_);
    }
    ~DibCanvas() {
        if (dc_ && old_)
            SelectObject(dc_, old_);
        if (bitmap_)
            DeleteObject(bitmap_);
        if (dc_)
            DeleteDC(dc_);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    bool Ok() const { return dc_ && bitmap_ && bits_; }
    HDC Dc() const { return dc_; }
    BYTE* Pixel(int x, int y) const {
        return bits_ + static_cast<size_t>(y) * Stride() + 3 * static_cast<size_t>(x);
    }
    size_t Stride() const { return (static_cast<size_t>(width_) * 3 + 3) / 4 * 4; }

private:
    int width_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    BYTE* bits_ = nullptr;
};

// Colour and opacity (0..255) of the picture at column x, stored row y; with
// keyOnly, only the key colour is transparent.
RGBQUAD SamplePixel(const CDibImage& image, long x, long y, bool keyOnly, BYTE& opacity) {
    RGBQUAD c = image.GetPixelColorUnchecked(x, y, false);
    int a = 255;
    if (image.HasKeyColor()) {
        bool isKey;
        if (image.HasPalette()) {
            isKey = image.GetPixelIndexUnchecked(x, y) == image.GetKeyIndex();
        } else {
            const RGBQUAD k = image.GetKeyColor();
            isKey = c.rgbBlue == k.rgbBlue && c.rgbGreen == k.rgbGreen && c.rgbRed == k.rgbRed;
        }
        if (isKey)
            a = 0;
    }
    if (!keyOnly && a) {
        if (image.AlphaIsValid())
            a = a * image.AlphaGetAtUnchecked(x, y) / 255;
        if (image.IsPaletteAlphaEnabled() && image.HasPalette())
            a = a * c.rgbReserved / 255;
        a = a * image.GetAlphaMax() / 255;
    }
    opacity = static_cast<BYTE>(a);
    return c;
}

} // namespace

bool CDibImage::CreateFromBitmap(HBITMAP bitmap, HPALETTE palette) {
    if (!Destroy() || !bitmap)
        return false;
    BITMAP bm{};
    if (!GetObjectW(bitmap, sizeof(BITMAP), &bm)) {
        SetLastError("GetObject failed");
        return false;
    }
    const DWORD height = static_cast<DWORD>(std::abs(bm.bmHeight));
    if (!Create(static_cast<DWORD>(bm.bmWidth), height, bm.bmBitsPixel, 0))
        return false;
    HDC screen = ms::CreateScreenDC();
    if (!screen) {
        SetLastError("GetDC failed");
        return false;
    }
    HPALETTE oldPalette = nullptr;
    if (palette) {
        oldPalette = SelectPalette(screen, palette, FALSE);
        RealizePalette(screen);
    }
    const int lines = GetDIBits(screen, bitmap, 0, height, GetBits(),
                                static_cast<BITMAPINFO*>(GetDibBlock()), DIB_RGB_COLORS);
    if (palette)
        SelectPalette(screen, oldPalette, FALSE);
    DeleteDC(screen);
    if (lines == 0) {
        SetLastError("GetDIBits failed");
        return false;
    }
    return true;
}

long CDibImage::StretchToDC(HDC dc, long x, long y, long cx, long cy, DWORD rop) {
    if (!IsValid() || !dc)
        return 0;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, cx, cy, 0, 0, static_cast<int>(GetWidth()),
                  static_cast<int>(GetHeight()), GetBits(), InfoOf(*this), DIB_RGB_COLORS, rop);
    return 1;
}

long CDibImage::StretchToDC(HDC dc, const RECT* rect, DWORD rop) {
    if (!rect)
        return 0;
    return StretchToDC(dc, rect->left, rect->top, rect->right - rect->left,
                       rect->bottom - rect->top, rop);
}

long CDibImage::TileToDC(HDC dc, long x, long y) {
    // A pattern brush of the picture with its origin at (x, y), filling a rectangle of the
    // picture's size there, shows exactly the picture at (x, y).
    if (!IsValid() || !IsEnabled() || !dc)
        return 0;
    StretchDIBits(dc, x, y, static_cast<int>(GetWidth()), static_cast<int>(GetHeight()), 0, 0,
                  static_cast<int>(GetWidth()), static_cast<int>(GetHeight()), GetBits(),
                  InfoOf(*this), DIB_RGB_COLORS, SRCCOPY);
    return 1;
}

HBITMAP CDibImage::MakeBitmap(HDC dc) {
    if (!IsValid())
        return nullptr;
    HDC own = dc ? nullptr : CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(dc ? dc : own, InfoOf(*this), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits)
        std::memcpy(bits, GetBits(), static_cast<size_t>(GetRowStride()) * GetHeight());
    if (own)
        DeleteDC(own);
    return bitmap;
}

bool CDibImage::CreateFromHICON(HICON icon) {
    if (!Destroy() || !icon)
        return false;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return false;
    bool ok = false, alphaFromMask = true;
    BITMAP bm{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(BITMAP), &bm) && bm.bmBitsPixel == 32) {
        const int w = bm.bmWidth, h = std::abs(bm.bmHeight);
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = w;
        bmi.bmiHeader.biHeight = h;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        std::vector<BYTE> work(static_cast<size_t>(w) * h * 4);
        HDC screen = ms::CreateScreenDC();
        if (screen && GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(h), work.data(), &bmi,
                                DIB_RGB_COLORS)) {
            // A 32-bit icon whose fourth bytes are all 0 has no alpha: its mask says what shows.
            bool hasAlpha = false;
            for (size_t i = 3; i < work.size() && !hasAlpha; i += 4)
                hasAlpha = work[i] != 0;
            if (hasAlpha) {
                ok = CreateFromBuffer(work.data(), static_cast<DWORD>(w), static_cast<DWORD>(h), 32,
                                      static_cast<DWORD>(w) * 4);
                alphaFromMask = false;
            }
        }
        if (screen)
            DeleteDC(screen);
    }
    if (alphaFromMask && info.hbmColor) {
        ok = CreateFromBitmap(info.hbmColor);
        CDibImage mask;
        if (ok && info.hbmMask && mask.CreateFromBitmap(info.hbmMask) &&
            mask.GetWidth() == GetWidth() && mask.GetHeight() == GetHeight() && AlphaCreate()) {
            // The mask is white where the icon is transparent.
            for (long y = 0; y < static_cast<long>(GetHeight()); ++y)
                for (long x = 0; x < static_cast<long>(GetWidth()); ++x)
                    AlphaSetAt(x, y, static_cast<BYTE>(255 - mask.GetPixelGray(x, y)));
        }
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return ok;
}

// Blends the picture, stretched to (x, y, cx, cy), over what dc shows inside clip: the
// destination is read into a DIB section, mixed there and written back.
static long Compose(const CDibImage& image, HDC dc, long x, long y, long cx, long cy,
                    const RECT* clip, bool smooth, bool keyOnly) {
    const long W = static_cast<long>(image.GetWidth()), H = static_cast<long>(image.GetHeight());
    if (cx < 0)
        cx = W;
    if (cy < 0)
        cy = H;
    RECT area{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + cx),
              static_cast<LONG>(y + cy)};
    if (clip) {
        area.left = std::max(area.left, clip->left);
        area.top = std::max(area.top, clip->top);
        area.right = std::min(area.right, clip->right);
        area.bottom = std::min(area.bottom, clip->bottom);
    }
    if (cx == 0 || cy == 0 || area.left >= area.right || area.top >= area.bottom)
        return 1; // nothing visible
    const int dw = area.right - area.left, dh = area.bottom - area.top;
    DibCanvas canvas(dc, dw, dh);
    if (!canvas.Ok())
        return 0;
    BitBlt(canvas.Dc(), 0, 0, dw, dh, dc, area.left, area.top, SRCCOPY);
    for (int j = 0; j < dh; ++j) {
        for (int i = 0; i < dw; ++i) {
            // Source position of the destination pixel's centre, y from the top.
            const double fx = (area.left + i - x + 0.5) * W / cx - 0.5;
            const double fy = (area.top + j - y + 0.5) * H / cy - 0.5;
            double b = 0, g = 0, r = 0, a = 0;
            if (smooth) {
                const long x0 = static_cast<long>(std::floor(fx)),
                           y0 = static_cast<long>(std::floor(fy));
                const double tx = fx - x0, ty = fy - y0;
                for (int k = 0; k < 4; ++k) {
                    const long sx = std::clamp(x0 + (k & 1), 0L, W - 1);
                    const long sy = std::clamp(y0 + (k >> 1), 0L, H - 1);
                    const double weight = ((k & 1) ? tx : 1 - tx) * ((k >> 1) ? ty : 1 - ty);
                    BYTE o = 0;
                    const RGBQUAD c = SamplePixel(image, sx, H - 1 - sy, keyOnly, o);
                    const double wo = weight * o;
                    b += wo * c.rgbBlue;
                    g += wo * c.rgbGreen;
                    r += wo * c.rgbRed;
                    a += wo;
                }
                if (a > 0) {
                    b /= a;
                    g /= a;
                    r /= a;
                }
            } else {
                const long sx = std::clamp(static_cast<long>(std::floor(fx + 0.5)), 0L, W - 1);
                const long sy = std::clamp(static_cast<long>(std::floor(fy + 0.5)), 0L, H - 1);
                BYTE o = 0;
                const RGBQUAD c = SamplePixel(image, sx, H - 1 - sy, keyOnly, o);
                b = c.rgbBlue;
                g = c.rgbGreen;
                r = c.rgbRed;
                a = o;
            }
            BYTE* p = canvas.Pixel(i, j);
            const double s = a / 255.0;
            p[0] = static_cast<BYTE>(b * s + p[0] * (1 - s) + 0.5);
            p[1] = static_cast<BYTE>(g * s + p[1] * (1 - s) + 0.5);
            p[2] = static_cast<BYTE>(r * s + p[2] * (1 - s) + 0.5);
        }
    }
    BitBlt(dc, area.left, area.top, dw, dh, canvas.Dc(), 0, 0, SRCCOPY);
    return 1;
}

long CDibImage::Draw(HDC dc, long x, long y, long cx, long cy, RECT* clip, bool smooth) {
    if (!IsValid() || !IsEnabled() || !dc)
        return 0;
    return Compose(*this, dc, x, y, cx, cy, clip, smooth, false);
}

long CDibImage::DrawWithKeyMask(HDC dc, long x, long y, long cx, long cy) {
    if (!IsValid() || !IsEnabled() || !dc)
        return 0;
    if (!HasKeyColor())
        return StretchToDC(dc, x, y, cx, cy, SRCCOPY);
    return Compose(*this, dc, x, y, cx, cy, nullptr, false, true);
}

long CDibImage::Tile(HDC dc, RECT* rect) {
    if (!IsValid() || !IsEnabled() || !dc || !rect)
        return 0;
    const long W = static_cast<long>(GetWidth()), H = static_cast<long>(GetHeight());
    for (long y = rect->top; y < rect->bottom; y += H)
        for (long x = rect->left; x < rect->right; x += W)
            if (!Compose(*this, dc, x, y, W, H, rect, false, false))
                return 0;
    return 1;
}

long CDibImage::LayerDrawAll(HDC dc, long x, long y, long cx, long cy, RECT* clip, bool smooth) {
    for (long i = 0; i < GetLayerCount(); ++i) {
        CDibImage* layer = GetLayerAt(i);
        if (!layer)
            return 0;
        // A stretched parent stretches its layers' offsets and sizes alike.
        const double sx = cx < 0 || GetWidth() == 0 ? 1.0 : double(cx) / GetWidth();
        const double sy = cy < 0 || GetHeight() == 0 ? 1.0 : double(cy) / GetHeight();
        const long lx = x + static_cast<long>(layer->GetOffsetX() * sx);
        const long ly = y + static_cast<long>(layer->GetOffsetY() * sy);
        const long lcx = cx < 0 ? -1 : static_cast<long>(layer->GetWidth() * sx);
        const long lcy = cy < 0 ? -1 : static_cast<long>(layer->GetHeight() * sy);
        if (!layer->Draw(dc, lx, ly, lcx, lcy, clip, smooth))
            return 0;
        if (!layer->LayerDrawAll(dc, lx, ly, lcx, lcy, clip, smooth))
            return 0;
    }
    return 1;
}

// Renders text with font at (x, y) of the picture as displayed into a picture-sized canvas
// (white on black) and sets the picture's pixels under it to colour.
static long DrawText(CDibImage& image, HDC dc, long x, long y, const WCHAR* text,
                     const LOGFONTW& font, COLORREF colour, bool setAlpha) {
    if (!image.IsValid() || !image.IsEnabled() || !text)
        return 0;
    const int W = static_cast<int>(image.GetWidth()), H = static_cast<int>(image.GetHeight());
    HFONT hfont = CreateFontIndirectW(&font);
    if (!hfont)
        return 0;
    DibCanvas canvas(dc, W, H);
    if (!canvas.Ok()) {
        DeleteObject(hfont);
        return 0;
    }
    HGDIOBJ oldFont = SelectObject(canvas.Dc(), hfont);
    SetTextColor(canvas.Dc(), RGB(255, 255, 255));
    SetBkMode(canvas.Dc(), TRANSPARENT);
    RECT box{static_cast<LONG>(x), static_cast<LONG>(y), W, H};
    DrawTextW(canvas.Dc(), text, -1, &box, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_NOCLIP);
    SelectObject(canvas.Dc(), oldFont);
    DeleteObject(hfont);
    RGBQUAD c = CDibImage::ColorRefToRgbQuad(colour);
    c.rgbReserved = 255;
    for (int j = 0; j < H; ++j)
        for (int i = 0; i < W; ++i) {
            const BYTE* p = canvas.Pixel(i, j);
            if (p[0] | p[1] | p[2])
                image.SetPixelColor(i, H - 1 - j, c, setAlpha);
        }
    return 1;
}

long CDibImage::DrawString(HDC dc, long x, long y, const WCHAR* text, COLORREF colour,
                           const WCHAR* font, long size, long weight, BYTE italic, BYTE underline,
                           bool setAlpha) {
    LOGFONTW lf{};
    lf.lfHeight = size;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfCharSet = DEFAULT_CHARSET;
    const WCHAR* face = font ? font : u"Arial";
    for (size_t i = 0; i + 1 < sizeof(lf.lfFaceName) / sizeof(WCHAR) && face[i]; ++i)
        lf.lfFaceName[i] = face[i];
    return DrawText(*this, dc, x, y, text, lf, colour, setAlpha);
}

long CDibImage::DrawStringEx(HDC dc, long x, long y, const TextInfo* info) {
    if (!info)
        return 0;
    // The record's text need not be terminated: it is cut at its last character.
    WCHAR text[sizeof(info->text) / sizeof(WCHAR)];
    std::memcpy(text, info->text, sizeof(text));
    text[sizeof(text) / sizeof(WCHAR) - 1] = 0;
    LOGFONTW font = info->font;
    font.lfFaceName[sizeof(font.lfFaceName) / sizeof(WCHAR) - 1] = 0;
    return DrawText(*this, dc, x, y, text, font, info->colour, info->setAlpha);
}
