// Palette and pixel access.
#include <cstdlib>
#include <cstring>

#include "imaging/DibImage.h"

RGBQUAD* CDibImage::GetPalette() const {
    if (!m_dib || m_header.biClrUsed == 0)
        return nullptr;
    return reinterpret_cast<RGBQUAD*>(static_cast<BYTE*>(m_dib) + m_header.biSize);
}

RGBQUAD CDibImage::GetPaletteColor(BYTE index) const {
    RGBQUAD c{0, 0, 0, 0};
    RGBQUAD* pal = GetPalette();
    if (pal && index < m_header.biClrUsed)
        c = pal[index];
    return c;
}

bool CDibImage::GetPaletteColor(BYTE index, BYTE* r, BYTE* g, BYTE* b) const {
    RGBQUAD* pal = GetPalette();
    if (!pal || index >= m_header.biClrUsed)
        return false;
    if (r)
        *r = pal[index].rgbRed;
    if (g)
        *g = pal[index].rgbGreen;
    if (b)
        *b = pal[index].rgbBlue;
    return true;
}

void CDibImage::SetPaletteColor(BYTE index, BYTE r, BYTE g, BYTE b, BYTE alpha) {
    SetPaletteColor(index, RGBQUAD{b, g, r, alpha});
}

void CDibImage::SetPaletteColor(BYTE index, RGBQUAD colour) {
    RGBQUAD* pal = GetPalette();
    if (!pal || index >= m_header.biClrUsed)
        return;
    pal[index] = colour;
    m_info.nearestValid = false;
}

void CDibImage::SetPaletteColor(BYTE index, COLORREF colour) {
    SetPaletteColor(index, GetRValue(colour), GetGValue(colour), GetBValue(colour), 0);
}

void CDibImage::SetPalette(const RGBQUAD* palette, DWORD count) {
    RGBQUAD* pal = GetPalette();
    if (!pal || !palette)
        return;
    unsigned long long bytes = static_cast<unsigned long long>(count) * sizeof(RGBQUAD);
    if (bytes > GetPaletteSize())
        bytes = GetPaletteSize();
    std::memcpy(pal, palette, static_cast<size_t>(bytes));
    m_info.nearestValid = false;
}

void CDibImage::SetPalette(DWORD count, BYTE* red, BYTE* green, BYTE* blue) {
    RGBQUAD* pal = GetPalette();
    if (!pal || !red)
        return;
    if (!green)
        green = red;
    if (!blue)
        blue = green;
    DWORD n = count < m_header.biClrUsed ? count : m_header.biClrUsed;
    for (DWORD i = 0; i < n; ++i) {
        pal[i].rgbBlue = blue[i];
        pal[i].rgbGreen = green[i];
        pal[i].rgbRed = red[i];
    }
    m_info.nearestValid = false;
}

void CDibImage::SetPalette(const BYTE* rgb, DWORD count) {
    RGBQUAD* pal = GetPalette();
    if (!pal || !rgb)
        return;
    DWORD n = count < m_header.biClrUsed ? count : m_header.biClrUsed;
    for (DWORD i = 0; i < n; ++i) {
        pal[i].rgbRed = rgb[3 * i];
        pal[i].rgbGreen = rgb[3 * i + 1];
        pal[i].rgbBlue = rgb[3 * i + 2];
    }
    m_info.nearestValid = false;
}

void CDibImage::SetGrayPalette() {
    RGBQUAD* pal = GetPalette();
    DWORD n = m_header.biClrUsed;
    if (!pal || n < 2)
        return;
    for (DWORD i = 0; i < n; ++i) {
        BYTE v = static_cast<BYTE>((255 / (n - 1)) * i);
        pal[i].rgbBlue = pal[i].rgbGreen = pal[i].rgbRed = v;
    }
    m_info.nearestValid = false;
}

void CDibImage::SetStandardPalette() {
    static const BYTE sixteen[16][3] = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return;
    switch (GetBpp()) {
    case 1:
        SetPaletteColor(0, 0, 0, 0);
        SetPaletteColor(1, 255, 255, 255);
        break;
    case 4:
        for (BYTE i = 0; i < 16; ++i)
            SetPaletteColor(i, sixteen[i][0], sixteen[i][1], sixteen[i][2]);
        break;
    case 8: {
        // Entries 10..245 form a 6x6x6 colour cube followed by a gray ramp.
        for (int i = 0; i < 8; ++i)
            SetPaletteColor(static_cast<BYTE>(i), sixteen[i][0], sixteen[i][1], sixteen[i][2]);
        SetPaletteColor(8, 192, 220, 192);
        SetPaletteColor(9, 166, 202, 240);
        int i = 10;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    SetPaletteColor(static_cast<BYTE>(i++), static_cast<BYTE>(r * 51),
                                    static_cast<BYTE>(g * 51), static_cast<BYTE>(b * 51));
        for (int k = 0; i < 246; ++k, ++i) {
            BYTE v = static_cast<BYTE>(8 + k * 24);
            SetPaletteColor(static_cast<BYTE>(i), v, v, v);
        }
        SetPaletteColor(246, 255, 251, 240);
        SetPaletteColor(247, 160, 160, 164);
        for (int k = 0; k < 8; ++k)
            SetPaletteColor(static_cast<BYTE>(248 + k), sixteen[8 + k][0], sixteen[8 + k][1],
                            sixteen[8 + k][2]);
        break;
    }
    default:
        break;
    }
}

bool CDibImage::IsGrayScale() const {
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return false;
    for (DWORD i = 0; i < m_header.biClrUsed; ++i)
        if (pal[i].rgbBlue != i || pal[i].rgbGreen != i || pal[i].rgbRed != i)
            return false;
    return true;
}

BYTE CDibImage::GetNearestIndex(RGBQUAD c) {
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return 0;
    if (m_info.nearestValid && std::memcmp(&m_info.nearestColor, &c, sizeof(c)) == 0)
        return m_info.nearestIndex;
    m_info.nearestColor = c;
    m_info.nearestValid = true;
    long n = m_header.biClrImportant ? m_header.biClrImportant : m_header.biClrUsed;
    if (n > static_cast<long>(m_header.biClrUsed))
        n = m_header.biClrUsed;
    BYTE best = 0;
    if (n >= 1) {
        long bestDistance = 200000;
        for (long i = 0; i < n; ++i) {
            long db = pal[i].rgbBlue - c.rgbBlue, dg = pal[i].rgbGreen - c.rgbGreen,
                 dr = pal[i].rgbRed - c.rgbRed;
            long d = db * db + dg * dg + dr * dr;
            if (d == 0) {
                best = static_cast<BYTE>(i);
                break;
            }
            if (d < bestDistance) {
                bestDistance = d;
                best = static_cast<BYTE>(i);
            }
        }
    }
    m_info.nearestIndex = best;
    return best;
}

void CDibImage::SwapIndex(BYTE a, BYTE b) {
    RGBQUAD* pal = GetPalette();
    if (!pal || a >= m_header.biClrUsed || b >= m_header.biClrUsed || a == b)
        return;
    RGBQUAD t = pal[a];
    pal[a] = pal[b];
    pal[b] = t;
    m_info.nearestValid = false;
    for (long y = 0; y < static_cast<long>(GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(GetWidth()); ++x) {
            BYTE i = GetPixelIndexUnchecked(x, y);
            if (i == a)
                SetPixelIndexUnchecked(x, y, b);
            else if (i == b)
                SetPixelIndexUnchecked(x, y, a);
        }
}

void CDibImage::SetClrImportant(DWORD n) {
    if (n == 0 || n > 256) {
        n = 0;
    } else {
        switch (GetBpp()) {
        case 1:
            n = n < 2 ? n : 2;
            break;
        case 4:
            n = n < 16 ? n : 16;
            break;
        case 8:
            break;
        default:
            return;
        }
    }
    m_header.biClrImportant = n;
    if (m_dib)
        static_cast<BITMAPINFOHEADER*>(m_dib)->biClrImportant = n;
    m_info.nearestValid = false;
}

void CDibImage::BlendPalette(COLORREF colour, long percent) {
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return;
    if (percent > 100)
        percent = 100;
    if (percent < 0)
        percent = 0;
    long r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    for (DWORD i = 0; i < m_header.biClrUsed; ++i) {
        pal[i].rgbBlue = static_cast<BYTE>((pal[i].rgbBlue * (100 - percent) + b * percent) / 100);
        pal[i].rgbGreen =
            static_cast<BYTE>((pal[i].rgbGreen * (100 - percent) + g * percent) / 100);
        pal[i].rgbRed = static_cast<BYTE>((pal[i].rgbRed * (100 - percent) + r * percent) / 100);
    }
    m_info.nearestValid = false;
}

void CDibImage::SwapRedBlue() {
    if (!m_dib)
        return;
    if (RGBQUAD* pal = GetPalette()) {
        for (DWORD i = 0; i < m_header.biClrUsed; ++i) {
            BYTE t = pal[i].rgbBlue;
            pal[i].rgbBlue = pal[i].rgbRed;
            pal[i].rgbRed = t;
        }
        m_info.nearestValid = false;
        return;
    }
    for (DWORD y = 0; y < GetHeight(); ++y)
        SwapRedBlueInRow(GetBits(y), static_cast<long>(GetRowStride()));
}

bool CDibImage::IsSamePalette(const CDibImage& other, bool checkAlpha) const {
    RGBQUAD* a = GetPalette();
    RGBQUAD* b = other.GetPalette();
    if (!a || !b || GetNumColors() != other.GetNumColors())
        return false;
    for (DWORD i = 0; i < GetNumColors(); ++i)
        if (a[i].rgbBlue != b[i].rgbBlue || a[i].rgbGreen != b[i].rgbGreen ||
            a[i].rgbRed != b[i].rgbRed || (checkAlpha && a[i].rgbReserved != b[i].rgbReserved))
            return false;
    return true;
}

// ---- pixels

BYTE CDibImage::GetPixelIndex(long x, long y) const {
    if (!m_dib || m_header.biClrUsed == 0)
        return 0;
    if (!IsInside(x, y)) {
        if (m_info.keyIndex >= 0)
            return static_cast<BYTE>(m_info.keyIndex);
        return *m_info.bits;
    }
    return GetPixelIndexUnchecked(x, y);
}

BYTE CDibImage::GetPixelIndexUnchecked(long x, long y) const {
    const BYTE* row = m_info.bits + static_cast<size_t>(y) * m_info.rowStride;
    switch (GetBpp()) {
    case 8:
        return row[x];
    case 4: {
        BYTE v = row[x >> 1];
        return (x & 1) ? static_cast<BYTE>(v & 0x0F) : static_cast<BYTE>(v >> 4);
    }
    case 1:
        return static_cast<BYTE>((row[x >> 3] >> (7 - (x & 7))) & 1);
    default:
        return 0;
    }
}

void CDibImage::SetPixelIndex(long x, long y, BYTE index) {
    if (!m_dib || m_header.biClrUsed == 0 || !IsInside(x, y))
        return;
    SetPixelIndexUnchecked(x, y, index);
}

void CDibImage::SetPixelIndexUnchecked(long x, long y, BYTE index) {
    BYTE* row = m_info.bits + static_cast<size_t>(y) * m_info.rowStride;
    switch (GetBpp()) {
    case 8:
        row[x] = index;
        break;
    case 4: {
        BYTE& v = row[x >> 1];
        if (x & 1)
            v = static_cast<BYTE>((v & 0xF0) | (index & 0x0F));
        else
            v = static_cast<BYTE>((v & 0x0F) | ((index & 0x0F) << 4));
        break;
    }
    case 1: {
        BYTE mask = static_cast<BYTE>(0x80 >> (x & 7));
        BYTE& v = row[x >> 3];
        v = (index & 1) ? static_cast<BYTE>(v | mask) : static_cast<BYTE>(v & ~mask);
        break;
    }
    default:
        break;
    }
}

RGBQUAD CDibImage::GetPixelColor(long x, long y, bool getAlpha) const {
    if (!m_dib)
        return m_info.keyColor;
    if (!IsInside(x, y)) {
        if (m_info.keyIndex < 0)
            return GetPixelColorUnchecked(0, 0, true);
        if (GetBpp() < 24)
            return GetPaletteColor(static_cast<BYTE>(m_info.keyIndex));
        return m_info.keyColor;
    }
    return GetPixelColorUnchecked(x, y, getAlpha);
}

RGBQUAD CDibImage::GetPixelColorUnchecked(long x, long y, bool getAlpha) const {
    RGBQUAD c;
    if (m_header.biClrUsed) {
        c = GetPaletteColor(GetPixelIndexUnchecked(x, y));
    } else {
        const BYTE* p =
            m_info.bits + static_cast<size_t>(y) * m_info.rowStride + 3 * static_cast<size_t>(x);
        c.rgbBlue = p[0];
        c.rgbGreen = p[1];
        c.rgbRed = p[2];
        c.rgbReserved = m_info.keyColor.rgbReserved;
    }
    if (getAlpha && m_alpha)
        c.rgbReserved = AlphaGetAtUnchecked(x, y);
    return c;
}

BYTE CDibImage::GetPixelGray(long x, long y) const {
    RGBQUAD c = GetPixelColor(x, y, true);
    return GrayLevel(c.rgbBlue, c.rgbGreen, c.rgbRed);
}

void CDibImage::SetPixelColor(long x, long y, RGBQUAD colour, bool setAlpha) {
    if (!m_dib || !IsInside(x, y))
        return;
    SetPixelColorUnchecked(x, y, colour, setAlpha);
}

void CDibImage::SetPixelColor(long x, long y, COLORREF colour) {
    SetPixelColor(x, y, ColorRefToRgbQuad(colour), false);
}

void CDibImage::SetPixelColorUnchecked(long x, long y, RGBQUAD colour, bool setAlpha) {
    if (m_header.biClrUsed) {
        SetPixelIndexUnchecked(x, y, GetNearestIndex(colour));
    } else {
        BYTE* p =
            m_info.bits + static_cast<size_t>(y) * m_info.rowStride + 3 * static_cast<size_t>(x);
        p[0] = colour.rgbBlue;
        p[1] = colour.rgbGreen;
        p[2] = colour.rgbRed;
    }
    if (setAlpha)
        AlphaSetAt(x, y, colour.rgbReserved);
}

void CDibImage::BlendPixelColor(long x, long y, RGBQUAD colour, float blend, bool setAlpha) {
    if (!m_dib || !IsInside(x, y))
        return;
    if (!(blend >= 0))
        blend = 0;
    if (blend > 1)
        blend = 1;
    long a = static_cast<long>(blend * 256);
    RGBQUAD old = GetPixelColorUnchecked(x, y, true);
    old.rgbBlue = static_cast<BYTE>((old.rgbBlue * (256 - a) + colour.rgbBlue * a) >> 8);
    old.rgbGreen = static_cast<BYTE>((old.rgbGreen * (256 - a) + colour.rgbGreen * a) >> 8);
    old.rgbRed = static_cast<BYTE>((old.rgbRed * (256 - a) + colour.rgbRed * a) >> 8);
    if (setAlpha)
        old.rgbReserved =
            static_cast<BYTE>((old.rgbReserved * (256 - a) + colour.rgbReserved * a) >> 8);
    SetPixelColorUnchecked(x, y, old, setAlpha);
}

BYTE* CDibImage::GetPixelPointer(long x, long y) const {
    if (!m_dib || m_header.biClrUsed || !IsInside(x, y))
        return nullptr;
    return m_info.bits + static_cast<size_t>(y) * m_info.rowStride + 3 * static_cast<size_t>(x);
}

void CDibImage::SwapRedBlueInRow(BYTE* row, long length) const {
    if (!row || m_header.biClrUsed || !m_dib)
        return;
    long limit = static_cast<long>(GetRowStride());
    if (3 * static_cast<long>(GetWidth()) < limit)
        limit = 3 * static_cast<long>(GetWidth());
    if (length > limit)
        length = limit;
    for (long i = 0; i + 2 < length; i += 3) {
        BYTE t = row[i];
        row[i] = row[i + 2];
        row[i + 2] = t;
    }
}

bool CDibImage::IsTransparentAt(long x, long y) const {
    if (!m_dib || !IsInside(x, y))
        return false;
    if (m_info.keyIndex >= 0) {
        if (m_header.biClrUsed) {
            if (GetPixelIndexUnchecked(x, y) == m_info.keyIndex)
                return true;
        } else {
            RGBQUAD c = GetPixelColorUnchecked(x, y, false);
            const RGBQUAD& k = m_info.keyColor;
            if (c.rgbBlue == k.rgbBlue && c.rgbGreen == k.rgbGreen && c.rgbRed == k.rgbRed)
                return true;
        }
    }
    return m_alpha && AlphaGetAtUnchecked(x, y) == 0;
}

bool CDibImage::CreateTransparencyMask(CDibImage* dest) {
    if (!m_dib)
        return false;
    CDibImage mask;
    if (!mask.Create(GetWidth(), GetHeight(), 1, GetType())) {
        SetLastError(mask.GetLastErrorText());
        return false;
    }
    mask.SetStandardPalette();
    for (long y = 0; y < static_cast<long>(GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(GetWidth()); ++x)
            if (IsTransparentAt(x, y))
                mask.SetPixelIndexUnchecked(x, y, 1);
    return (dest ? dest : this)->TransferFrom(mask);
}

void CDibImage::DrawLine(long startX, long endX, long startY, long endY, RGBQUAD colour,
                         bool setAlpha) {
    if (!m_dib)
        return;
    long dx = endX > startX ? endX - startX : startX - endX;
    long dy = endY > startY ? endY - startY : startY - endY;
    long sx = endX >= startX ? 1 : -1;
    long sy = endY >= startY ? 1 : -1;
    long x = startX, y = startY;
    if (dx >= dy) {
        long den = dx, num = dx / 2;
        for (long i = 0; i <= den; ++i) {
            SetPixelColor(x, y, colour, setAlpha);
            num += dy;
            if (num >= den && den) {
                num -= den;
                y += sy;
            }
            x += sx;
        }
    } else {
        long den = dy, num = dy / 2;
        for (long i = 0; i <= den; ++i) {
            SetPixelColor(x, y, colour, setAlpha);
            num += dx;
            if (num >= den) {
                num -= den;
                x += sx;
            }
            y += sy;
        }
    }
}

void CDibImage::DrawLine(long startX, long endX, long startY, long endY, COLORREF colour) {
    DrawLine(startX, endX, startY, endY, ColorRefToRgbQuad(colour), false);
}

RGBQUAD CDibImage::ColorRefToRgbQuad(COLORREF c) {
    return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}

COLORREF CDibImage::RgbQuadToColorRef(RGBQUAD c) {
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}
