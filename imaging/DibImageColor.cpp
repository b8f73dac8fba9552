// Colour spaces and channel operations.
//
// A converted colour travels in an RGBQUAD: the red byte holds the first component (H, Y, Y, X),
// green the second (S, U, I, Y), blue the third (L, V, Q, Z). Space codes: 0 RGB, 1 HSL, 2 YUV,
// 3 YIQ, 4 XYZ.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/DibClamp.h"
#include "imaging/DibImage.h"

namespace {

using dibimage::ClampByteF;

RGBQUAD Triple(float first, float second, float third) {
    return RGBQUAD{ClampByteF(third), ClampByteF(second), ClampByteF(first), 0};
}

RGBQUAD FromRgb(RGBQUAD c, long space) {
    switch (space) {
    case 1:
        return CDibImage::RgbToHsl(c);
    case 2:
        return CDibImage::RgbToYuv(c);
    case 3:
        return CDibImage::RgbToYiq(c);
    case 4:
        return CDibImage::RgbToXyz(c);
    default:
        return c;
    }
}

RGBQUAD ToRgb(RGBQUAD c, long space) {
    switch (space) {
    case 1:
        return CDibImage::HslToRgb(c);
    case 2:
        return CDibImage::YuvToRgb(c);
    case 3:
        return CDibImage::YiqToRgb(c);
    case 4:
        return CDibImage::XyzToRgb(c);
    default:
        return c;
    }
}

} // namespace

// ---- conversions

RGBQUAD CDibImage::RgbToHsl(RGBQUAD c) {
    const long r = c.rgbRed, g = c.rgbGreen, b = c.rgbBlue;
    const long mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const long l = ((mx + mn + 1) * 255) / 510;
    long h, s;
    if (mx == mn) {
        s = 0;
        h = 170;
    } else {
        const long d = mx - mn;
        const long sum = l <= 127 ? mx + mn : 510 - mx - mn;
        s = (d * 255 + sum / 2) / sum;
        const long rd = (42 * (mx - r) + d / 2) / d;
        const long gd = (42 * (mx - g) + d / 2) / d;
        const long bd = (42 * (mx - b) + d / 2) / d;
        if (r == mx)
            h = bd - gd;
        else if (g == mx)
            h = rd - bd + 85;
        else
            h = gd - rd + 170;
        h = ((h % 256) + 256) % 256;
    }
    return RGBQUAD{static_cast<BYTE>(l), static_cast<BYTE>(std::min(s, 255L)), static_cast<BYTE>(h),
                   0};
}

float CDibImage::HueToChannel(float m1, float m2, float hue) {
    if (hue > 360)
        hue -= 360;
    if (hue < 0)
        hue += 360;
    if (hue < 60)
        return m1 + (m2 - m1) * hue / 60;
    if (hue < 180)
        return m2;
    if (hue < 240)
        return m1 + (m2 - m1) * (240 - hue) / 60;
    return m1;
}

RGBQUAD CDibImage::HslToRgb(RGBQUAD c) {
    const float hue = c.rgbRed * 1.4117647f;
    const float s = c.rgbGreen / 255.0f, l = c.rgbBlue / 255.0f;
    if (s == 0) {
        const BYTE v = ClampByteF(l * 255);
        return RGBQUAD{v, v, v, 0};
    }
    const float m2 = l <= 0.5f ? l * (1 + s) : l + s - l * s;
    const float m1 = 2 * l - m2;
    return RGBQUAD{ClampByteF(HueToChannel(m1, m2, hue - 120) * 255),
                   ClampByteF(HueToChannel(m1, m2, hue) * 255),
                   ClampByteF(HueToChannel(m1, m2, hue + 120) * 255), 0};
}

RGBQUAD CDibImage::HslColorRefToRgb(COLORREF colour) {
    return HslToRgb(ColorRefToRgbQuad(colour));
}

RGBQUAD CDibImage::RgbToYuv(RGBQUAD c) {
    const float y = static_cast<float>(
        static_cast<long>(0.299f * c.rgbRed + 0.587f * c.rgbGreen + 0.114f * c.rgbBlue));
    return Triple(y, 0.565f * (c.rgbBlue - y) + 128, 0.713f * (c.rgbRed - y) + 128);
}

RGBQUAD CDibImage::YuvToRgb(RGBQUAD c) {
    const float y = c.rgbRed, u = c.rgbGreen - 128.0f, v = c.rgbBlue - 128.0f;
    return RGBQUAD{ClampByteF(y + 1.77f * u), ClampByteF(y - 0.344f * u - 0.714f * v),
                   ClampByteF(y + 1.403f * v), 0};
}

RGBQUAD CDibImage::RgbToYiq(RGBQUAD c) {
    const float r = c.rgbRed, g = c.rgbGreen, b = c.rgbBlue;
    return Triple(0.2992f * r + 0.5868f * g + 0.114f * b,
                  0.596f * r - 0.2742f * g - 0.3219f * b + 128,
                  0.2109f * r - 0.5229f * g + 0.312f * b + 128);
}

RGBQUAD CDibImage::YiqToRgb(RGBQUAD c) {
    const float y = c.rgbRed, i = c.rgbGreen - 128.0f, q = c.rgbBlue - 128.0f;
    return RGBQUAD{ClampByteF(y - 1.104f * i + 1.701f * q), ClampByteF(y - 0.273f * i - 0.647f * q),
                   ClampByteF(y + 0.956f * i + 0.621f * q), 0};
}

RGBQUAD CDibImage::RgbToXyz(RGBQUAD c) {
    const float r = c.rgbRed, g = c.rgbGreen, b = c.rgbBlue;
    return Triple(0.412453f * r + 0.35758f * g + 0.180423f * b,
                  0.212671f * r + 0.71516f * g + 0.072169f * b,
                  (0.019334f * r + 0.119193f * g + 0.950227f * b) * 0.9184837f);
}

RGBQUAD CDibImage::XyzToRgb(RGBQUAD c) {
    const float x = c.rgbRed, y = c.rgbGreen, z = c.rgbBlue * 1.088751f;
    return RGBQUAD{ClampByteF(0.055648f * x - 0.204043f * y + 1.057311f * z),
                   ClampByteF(-0.969256f * x + 1.875992f * y + 0.041556f * z),
                   ClampByteF(3.240479f * x - 1.53715f * y - 0.498535f * z), 0};
}

// ---- channel images

bool CDibImage::SplitChannels(long space, CDibImage* first, CDibImage* second, CDibImage* third) {
    if (!m_dib || (!first && !second && !third))
        return false;
    CDibImage* targets[3] = {first, second, third};
    for (CDibImage* t : targets) {
        if (!t)
            continue;
        if (!t->Create(GetWidth(), GetHeight(), 8, GetType())) {
            SetLastError(t->GetLastErrorText());
            return false;
        }
        t->SetGrayPalette();
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w; ++x) {
            RGBQUAD c = FromRgb(GetPixelColorUnchecked(x, y, false), space);
            if (first)
                first->GetBits(static_cast<DWORD>(y))[x] = c.rgbRed;
            if (second)
                second->GetBits(static_cast<DWORD>(y))[x] = c.rgbGreen;
            if (third)
                third->GetBits(static_cast<DWORD>(y))[x] = c.rgbBlue;
        }
    }
    return true;
}

bool CDibImage::SplitRgb(CDibImage* r, CDibImage* g, CDibImage* b) {
    return SplitChannels(0, r, g, b);
}
bool CDibImage::SplitHsl(CDibImage* h, CDibImage* s, CDibImage* l) {
    return SplitChannels(1, h, s, l);
}
bool CDibImage::SplitYuv(CDibImage* y, CDibImage* u, CDibImage* v) {
    return SplitChannels(2, y, u, v);
}
bool CDibImage::SplitYiq(CDibImage* y, CDibImage* i, CDibImage* q) {
    return SplitChannels(3, y, i, q);
}
bool CDibImage::SplitXyz(CDibImage* x, CDibImage* y, CDibImage* z) {
    return SplitChannels(4, x, y, z);
}

bool CDibImage::SplitCmyk(CDibImage* c, CDibImage* m, CDibImage* y, CDibImage* k) {
    if (!m_dib || (!c && !m && !y && !k))
        return false;
    CDibImage* targets[4] = {c, m, y, k};
    for (CDibImage* t : targets) {
        if (!t)
            continue;
        if (!t->Create(GetWidth(), GetHeight(), 8, GetType())) {
            SetLastError(t->GetLastErrorText());
            return false;
        }
        t->SetGrayPalette();
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long row = 0; row < h; ++row)
        for (long x = 0; x < w; ++x) {
            RGBQUAD p = GetPixelColorUnchecked(x, row, false);
            const BYTE v[4] = {
                static_cast<BYTE>(255 - p.rgbRed), static_cast<BYTE>(255 - p.rgbGreen),
                static_cast<BYTE>(255 - p.rgbBlue), GrayLevel(p.rgbBlue, p.rgbGreen, p.rgbRed)};
            for (int i = 0; i < 4; ++i)
                if (targets[i])
                    targets[i]->GetBits(static_cast<DWORD>(row))[x] = v[i];
        }
    return true;
}

bool CDibImage::CombineChannels(CDibImage* first, CDibImage* second, CDibImage* third,
                                CDibImage* alpha, long space) {
    if (!first || !second || !third || !first->IsValid() || !second->IsValid() ||
        !third->IsValid() || (alpha && !alpha->IsValid()))
        return false;
    const DWORD w = first->GetWidth(), h = first->GetHeight();
    CDibImage* others[3] = {second, third, alpha};
    for (CDibImage* o : others)
        if (o && (o->GetWidth() != w || o->GetHeight() != h) &&
            !o->ScaleTo(static_cast<long>(w), static_cast<long>(h), 1, nullptr)) {
            SetLastError(o->GetLastErrorText());
            return false;
        }
    if (!Create(w, h, 24, GetType()))
        return false;
    if (alpha && !AlphaCreate())
        return false;
    for (long y = 0; y < static_cast<long>(h); ++y)
        for (long x = 0; x < static_cast<long>(w); ++x) {
            RGBQUAD c{third->GetPixelIndexUnchecked(x, y), second->GetPixelIndexUnchecked(x, y),
                      first->GetPixelIndexUnchecked(x, y), 0};
            if (first->GetBpp() == 24)
                c = RGBQUAD{third->GetPixelGray(x, y), second->GetPixelGray(x, y),
                            first->GetPixelGray(x, y), 0};
            SetPixelColorUnchecked(x, y, ToRgb(c, space), false);
            if (alpha)
                AlphaSetAt(x, y, alpha->GetPixelIndexUnchecked(x, y));
        }
    return true;
}

bool CDibImage::CurvatureSmoothChannel(CDibImage* channel, float radius) {
    if (!channel || !channel->IsValid() || channel->GetBpp() != 8)
        return false;
    CDibImage copy(*channel, true, false, false);
    if (!copy.IsValid()) {
        SetLastError(copy.GetLastErrorText());
        return false;
    }
    const long w = static_cast<long>(channel->GetWidth()),
               h = static_cast<long>(channel->GetHeight());
    for (long y = 1; y < h - 1; ++y) {
        const BYTE* below = channel->GetBits(static_cast<DWORD>(y - 1));
        const BYTE* row = channel->GetBits(static_cast<DWORD>(y));
        const BYTE* above = channel->GetBits(static_cast<DWORD>(y + 1));
        BYTE* dst = copy.GetBits(static_cast<DWORD>(y));
        for (long x = 1; x < w - 1; ++x) {
            const float ix = (row[x + 1] - row[x - 1]) * 0.5f;
            const float iy = (above[x] - below[x]) * 0.5f;
            const float ixx = static_cast<float>(row[x + 1] - 2 * row[x] + row[x - 1]);
            const float iyy = static_cast<float>(above[x] - 2 * row[x] + below[x]);
            const float ixy = (above[x + 1] - below[x + 1] - above[x - 1] + below[x - 1]) * 0.25f;
            const float term = (ixx * (1 + iy * iy) - 2 * ix * iy * ixy + iyy * (1 + ix * ix)) /
                               (1 + ix * ix + iy * iy);
            dst[x] = ClampByteF(row[x] + radius * term + 0.5f);
        }
    }
    return channel->TransferFrom(copy);
}

bool CDibImage::SmoothChannels(float radius, long iterations, long space) {
    if (!m_dib)
        return false;
    if (space < 1 || space > 4)
        space = 0;
    CDibImage a, b, c;
    if (!SplitChannels(space, &a, &b, &c))
        return false;
    for (long i = 0; i < iterations; ++i) {
        CurvatureSmoothChannel(&a, radius);
        CurvatureSmoothChannel(&b, radius);
        CurvatureSmoothChannel(&c, radius);
    }
    CDibImage alpha;
    const bool hasAlpha = m_alpha && AlphaToGrayImage(&alpha);
    return CombineChannels(&a, &b, &c, hasAlpha ? &alpha : nullptr, space);
}

// ---- colour operations

bool CDibImage::ConvertColorSpace(long destination, long source) {
    if (!m_dib)
        return false;
    if (destination == source)
        return true;
    if (source < 0 || source > 4) {
        SetLastError("ConvertColorSpace: unknown source colorspace");
        return false;
    }
    if (destination < 0 || destination > 4) {
        SetLastError("ConvertColorSpace: unknown destination colorspace");
        return false;
    }
    if (HasPalette()) {
        // A palette picture converts its entries: its pixels are indices into them.
        RGBQUAD* pal = GetPalette();
        for (DWORD i = 0; i < GetNumColors(); ++i) {
            RGBQUAD c = FromRgb(ToRgb(pal[i], source), destination);
            c.rgbReserved = pal[i].rgbReserved;
            pal[i] = c;
        }
        m_info.nearestValid = false;
        return true;
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long y = 0; y < h; ++y) {
        m_info.progress = 100 * y / h;
        if (m_info.escape)
            break;
        for (long x = 0; x < w; ++x)
            SetPixelColorUnchecked(
                x, y, FromRgb(ToRgb(GetPixelColorUnchecked(x, y, false), source), destination),
                false);
    }
    return true;
}

bool CDibImage::Saturate(long gain, long space) {
    if (!m_dib)
        return false;
    if (space != 1 && space != 2) {
        SetLastError("Saturate: wrong colorspace");
        return false;
    }
    return ForEachSelectedPixel([&](long x, long y) {
        RGBQUAD c = GetPixelColorUnchecked(x, y, false);
        if (space == 1) {
            RGBQUAD hsl = RgbToHsl(c);
            hsl.rgbGreen = static_cast<BYTE>(std::clamp(hsl.rgbGreen + gain, 0L, 255L));
            c = HslToRgb(hsl);
        } else {
            RGBQUAD yuv = RgbToYuv(c);
            auto scale = [gain](BYTE v) {
                return ClampByteF((v - 128) * (100 + gain) * 0.01f + 128.5f);
            };
            yuv.rgbGreen = scale(yuv.rgbGreen);
            yuv.rgbBlue = scale(yuv.rgbBlue);
            c = YuvToRgb(yuv);
        }
        SetPixelColorUnchecked(x, y, c, false);
    });
}

bool CDibImage::Colorize(BYTE hue, BYTE saturation, float blend) {
    if (!m_dib)
        return false;
    if (!(blend >= 0))
        blend = 0;
    if (blend > 1)
        blend = 1;
    const bool full = blend >= 0.999f;
    const long b = static_cast<long>(blend * 256);
    auto recolour = [&](RGBQUAD old, bool floating) {
        if (full) {
            RGBQUAD hsl = RgbToHsl(old);
            return HslToRgb(RGBQUAD{hsl.rgbBlue, saturation, hue, 0});
        }
        RGBQUAD fresh =
            HslToRgb(RGBQUAD{GrayLevel(old.rgbBlue, old.rgbGreen, old.rgbRed), saturation, hue, 0});
        if (floating)
            return RGBQUAD{ClampByteF(fresh.rgbBlue * blend + old.rgbBlue * (1 - blend)),
                           ClampByteF(fresh.rgbGreen * blend + old.rgbGreen * (1 - blend)),
                           ClampByteF(fresh.rgbRed * blend + old.rgbRed * (1 - blend)), 0};
        return RGBQUAD{static_cast<BYTE>((fresh.rgbBlue * b + old.rgbBlue * (256 - b)) >> 8),
                       static_cast<BYTE>((fresh.rgbGreen * b + old.rgbGreen * (256 - b)) >> 8),
                       static_cast<BYTE>((fresh.rgbRed * b + old.rgbRed * (256 - b)) >> 8), 0};
    };
    if (HasPalette()) {
        RGBQUAD* pal = GetPalette();
        for (DWORD i = 0; i < GetNumColors(); ++i) {
            RGBQUAD c = recolour(pal[i], true);
            c.rgbReserved = pal[i].rgbReserved;
            pal[i] = c;
        }
        m_info.nearestValid = false;
        return true;
    }
    ForEachSelectedPixel([&](long x, long y) {
        SetPixelColorUnchecked(x, y, recolour(GetPixelColorUnchecked(x, y, false), false), false);
    });
    return true;
}

bool CDibImage::MakeHuePalette(float correction) {
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return false;
    const DWORD n = GetNumColors();
    const long step = n > 1 ? 255 / static_cast<long>(n - 1) : 0;
    for (DWORD i = 0; i < n; ++i) {
        const BYTE hue = ClampByteF(static_cast<float>(step * static_cast<long>(i)) * correction);
        RGBQUAD c = HslToRgb(RGBQUAD{120, 240, hue, 0});
        c.rgbReserved = pal[i].rgbReserved;
        pal[i] = c;
    }
    m_info.nearestValid = false;
    return true;
}
