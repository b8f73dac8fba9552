// Colour lookups at fractional coordinates: interpolation kernels, what lies outside the
// picture, and the area-averaged lookup used when a picture is reduced.
//
// Interpolation codes: 1 nearest, 2 (and 0, above 18) bilinear, 3 B-spline, 4 cubic a = -1,
// 5 cubic a = -0.5, 6 Lanczos radius 6, 7 box, 8 Hermite, 9 Hamming, 10 sinc, 11 Blackman,
// 12 Bessel, 13 Gaussian, 14 quadratic, 15 Mitchell, 16 Catmull-Rom, 17 Hanning, 18 power 2.
// Overflow codes: 0, 1 border colour; 2 background (key colour); 3 transparent; 4 wrap;
// 5 repeat; 6 mirror.
#include <algorithm>
#include <cmath>

#include "imaging/DibFloatGeometry.h"
#include "imaging/DibImage.h"

namespace {

constexpr float kPiF = 3.1415927f;

float Clamp255(float v) {
    if (!(v > 0))
        return 0;
    return v > 255 ? 255 : v;
}

double Horner(const double* numerator, int numeratorCount, const double* denominator,
              int denominatorCount, double z) {
    double p = numerator[0];
    for (int i = 1; i < numeratorCount; ++i)
        p = p * z + numerator[i];
    double q = 1.0;
    for (int i = 0; i < denominatorCount; ++i)
        q = q * z + denominator[i];
    return p / q;
}

} // namespace

// ---- weight functions

float CDibImage::BSplineWeight(float t) {
    if (t > 2)
        return 0;
    auto cube = [](float base) { return base <= 0 ? 0.0f : base * base * base; };
    const float a = cube(t + 2), b = cube(t + 1), c = cube(t), d = cube(t - 1);
    return (a - 4 * b + 6 * c - 4 * d) * 0.16666667f;
}

float CDibImage::LinearWeight(float t) {
    return (t >= -1 && t < 1) ? 1 - std::fabs(t) : 0;
}

float CDibImage::CubicWeightSharp(float t) {
    const float u = std::fabs(t);
    if (u < 1)
        return 1 - 2 * u * u + u * u * u;
    if (u < 2)
        return 4 - 8 * u + 5 * u * u - u * u * u;
    return 0;
}

float CDibImage::CubicWeight(float t, float a) {
    const float u = std::fabs(t);
    if (u < 1)
        return (a + 2) * u * u * u - (a + 3) * u * u + 1;
    if (u < 2)
        return a * u * u * u - 5 * a * u * u + 8 * a * u - 4 * a;
    return 0;
}

float CDibImage::LanczosWeight(float t, float r) {
    if (std::fabs(t) > r)
        return 0;
    if (t == 0)
        return 1;
    const float pt = kPiF * t;
    return std::sin(pt) / pt * std::sin(pt / r) / (pt / r);
}

float CDibImage::BoxWeight(float t) {
    return (t >= -0.5f && t < 0.5f) ? 1.0f : 0.0f;
}

float CDibImage::HermiteWeight(float t) {
    if (t >= -1 && t < 0)
        return (-2 * t - 3) * t * t + 1;
    if (t >= 0 && t < 1)
        return (2 * t - 3) * t * t + 1;
    return 0;
}

float CDibImage::HammingWeight(float t) {
    if (t >= -1 && t < 0)
        return 0.92f * (-2 * t - 3) * t * t + 1;
    if (t >= 0 && t < 1)
        return 0.92f * (2 * t - 3) * t * t + 1;
    return 0;
}

float CDibImage::SincWeight(float t) {
    if (t == 0)
        return 1;
    const float pt = kPiF * t;
    return std::sin(pt) / pt;
}

float CDibImage::BlackmanWeight(float t) {
    return 0.42f + 0.5f * std::cos(kPiF * t) + 0.08f * std::cos(2 * kPiF * t);
}

float CDibImage::BesselWeight(float t) {
    if (t == 0)
        return 0.7853982f;
    return static_cast<float>(BesselJ1(kPiF * t) / (2 * t));
}

float CDibImage::GaussianWeight(float t) {
    return std::exp(-2 * t * t) * 0.7978845834732056f;
}

float CDibImage::QuadraticWeight(float t) {
    const float u = std::fabs(t);
    if (u < 0.5f)
        return 0.75f - t * t;
    if (u < 1.5f)
        return 0.5f * (u - 1.5f) * (u - 1.5f);
    return 0;
}

float CDibImage::MitchellWeight(float t) {
    const float u = std::fabs(t);
    if (u < 1)
        return 1.1666666f * u * u * u - 2 * u * u + 0.8888889f;
    if (u < 2)
        return -0.3888889f * u * u * u + 2 * u * u - 3.3333333f * u + 1.7777778f;
    return 0;
}

float CDibImage::CatmullRomWeight(float t) {
    const float u = std::fabs(t);
    if (u < 1)
        return 0.5f * (3 * u * u * u - 5 * u * u + 2);
    if (u < 2)
        return 0.5f * (-u * u * u + 5 * u * u - 8 * u + 4);
    return 0;
}

float CDibImage::HanningWeight(float t) {
    if (std::fabs(t) > 1)
        return 0;
    if (t == 0)
        return 1;
    const float pt = kPiF * t;
    return std::sin(pt) / pt * 0.5f * (std::cos(pt) + 1);
}

float CDibImage::PowerWeight(float t, float p) {
    if (std::fabs(t) > 1)
        return 0;
    return 1 - std::fabs(std::pow(t, p));
}

double CDibImage::BesselJ1Near(double x) {
    static const double num[] = {
        2701.1227108923235,    -4695753.530642996,    3413234182.3017006,
        -1322983480332.1265,   290879526383477.56,    -3.588817569910106e16,
        2.3164335806340024e18, -6.672106568924916e19, 5.811993540016061e20};
    static const double den[] = {1606.9315734814877,   1501793.5949985855,   1013863514.358674,
                                 524371026216.76495,   208166122130760.75,   6.092061398917522e16,
                                 1.185770712190321e19, 1.1623987080032122e21};
    return Horner(num, 9, den, 8, x * x);
}

double CDibImage::BesselJ1FarP(double a) {
    static const double num[] = {1.2571716929145342, 211.15291828539623, 4985.4832060594335,
                                 31353.963110915956, 62758.84524716128};
    static const double den[] = {203.07751891347593, 4930.396490181089, 31240.406381904104,
                                 62694.34695935605};
    const double z = (8 / a) * (8 / a);
    return Horner(num, 5, den, 4, z);
}

double CDibImage::BesselJ1FarQ(double a) {
    static const double num[] = {0.03532840052740124, 4.568171629551227, 83.18989576738508,
                                 425.98730116544425, 721.0391804904475};
    static const double den[] = {103.81875854621337, 1811.1867005523513, 9152.231701516992,
                                 15414.177339265098};
    const double z = (8 / a) * (8 / a);
    return Horner(num, 5, den, 4, z);
}

double CDibImage::BesselJ1(double x) {
    if (x == 0)
        return 0;
    const double a = std::fabs(x);
    if (a < 8)
        return x * BesselJ1Near(a);
    const double s = std::sin(a), c = std::cos(a), root2 = std::sqrt(2.0);
    const double v =
        std::sqrt(2 / (3.141592653589793 * a)) *
        (BesselJ1FarP(a) * (s - c) / root2 - BesselJ1FarQ(a) * (8 / a) * (-(s + c) / root2));
    return x < 0 ? -v : v;
}

// ---- outside the picture

bool CDibImage::MapOutsideCoordinates(long& x, long& y, long overflow) const {
    if (IsInside(x, y))
        return true;
    auto map = [overflow](long& c, long size) {
        if (size <= 0)
            return;
        switch (overflow) {
        case 4:
            c %= size;
            if (c < 0)
                c += size;
            break;
        case 5:
            c = std::clamp(c, 0L, size - 1);
            break;
        case 6:
            if (c < 0)
                c = (-c) % size;
            else if (c >= size)
                c = size - (c % size) - 1;
            break;
        default:
            break;
        }
    };
    map(x, static_cast<long>(GetWidth()));
    map(y, static_cast<long>(GetHeight()));
    return false;
}

void CDibImage::MapOutsideCoordinatesF(float& x, float& y, long overflow) const {
    auto map = [overflow](float& c, float size) {
        if (size <= 0)
            return;
        switch (overflow) {
        case 4:
            c = std::fmod(c, size);
            if (c < 0)
                c += size;
            break;
        case 5:
            c = std::clamp(c, 0.0f, size - 1);
            break;
        case 6:
            if (c < 0)
                c = std::fmod(-c, size);
            else if (c >= size)
                c = size - (std::fmod(c, size) + 1);
            break;
        default:
            break;
        }
    };
    map(x, static_cast<float>(GetWidth()));
    map(y, static_cast<float>(GetHeight()));
}

RGBQUAD CDibImage::GetPixelColorWithBorder(long x, long y, long overflow, RGBQUAD* border) const {
    const RGBQUAD white{255, 255, 255, 0};
    const RGBQUAD edge = border ? *border : white;
    if (!m_dib)
        return edge;
    if (IsInside(x, y))
        return GetPixelColorUnchecked(x, y, true);
    switch (overflow) {
    case 2:
        if (m_info.keyIndex >= 0)
            return GetBpp() == 24 ? m_info.keyColor
                                  : GetPaletteColor(static_cast<BYTE>(m_info.keyIndex));
        return edge;
    case 3:
        if (m_alpha) {
            RGBQUAD c = edge;
            c.rgbReserved = 0;
            return c;
        }
        if (m_info.keyIndex >= 0)
            return GetBpp() == 24 ? m_info.keyColor
                                  : GetPaletteColor(static_cast<BYTE>(m_info.keyIndex));
        return edge;
    case 4:
    case 5:
    case 6:
        MapOutsideCoordinates(x, y, overflow);
        if (IsInside(x, y))
            return GetPixelColorUnchecked(x, y, true);
        return edge;
    default:
        return edge;
    }
}

// ---- interpolated lookups

RGBQUAD CDibImage::GetInterpolatedColor(float x, float y, long method, long overflow,
                                        RGBQUAD* border) const {
    if (!m_dib)
        return border ? *border : RGBQUAD{255, 255, 255, 0};
    // Coordinates beyond any picture (or not numbers) are outside; wrapping ones are brought
    // near the picture first, so no conversion to an integer can overflow.
    if (!(std::fabs(x) < 1e9f && std::fabs(y) < 1e9f)) {
        if (overflow < 4 || overflow > 6 || !std::isfinite(x) || !std::isfinite(y))
            return GetPixelColorWithBorder(-1, -1, overflow, border);
        MapOutsideCoordinatesF(x, y, overflow);
    }
    auto whole = [](float v) {
        long i = static_cast<long>(v);
        return v < 0 ? i - 1 : i;
    };
    if (method == 1)
        return GetPixelColorWithBorder(static_cast<long>(x + 0.5f), static_cast<long>(y + 0.5f),
                                       overflow, border);
    if (method == 0 || method > 18)
        method = 2;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    long xi = whole(x), yi = whole(y);
    const long before = method == 2 ? 0 : (method == 6 ? 5 : 1);
    const long after = method == 2 ? 1 : (method == 6 ? 6 : 2);
    auto outside = [&] {
        return xi + after < 0 || xi - before >= w || yi + after < 0 || yi - before >= h;
    };
    if (outside()) {
        if (overflow < 4 || overflow > 6)
            return GetPixelColorWithBorder(-1, -1, overflow, border);
        MapOutsideCoordinatesF(x, y, overflow);
        xi = whole(x);
        yi = whole(y);
    }
    const float fx = x - static_cast<float>(xi), fy = y - static_cast<float>(yi);
    const bool blockInside =
        xi - before >= 0 && xi + after < w && yi - before >= 0 && yi + after < h;

    if (method == 2) {
        if (blockInside && GetBpp() == 24) {
            const long ax = static_cast<long>(fx * 256), ay = static_cast<long>(fy * 256);
            const long w11 = (ax * ay) >> 8, w10 = ax - w11, w01 = ay - w11, w00 = 256 - ax - w01;
            const BYTE* p00 = m_info.bits + static_cast<size_t>(yi) * m_info.rowStride + 3 * xi;
            const BYTE* p01 = p00 + m_info.rowStride;
            RGBQUAD c;
            BYTE* out = reinterpret_cast<BYTE*>(&c);
            for (int k = 0; k < 3; ++k)
                out[k] = static_cast<BYTE>(
                    (p00[k] * w00 + p00[3 + k] * w10 + p01[k] * w01 + p01[3 + k] * w11) >> 8);
            c.rgbReserved = 0;
            if (m_alpha)
                c.rgbReserved = static_cast<BYTE>((AlphaGetAtUnchecked(xi, yi) * w00 +
                                                   AlphaGetAtUnchecked(xi + 1, yi) * w10 +
                                                   AlphaGetAtUnchecked(xi, yi + 1) * w01 +
                                                   AlphaGetAtUnchecked(xi + 1, yi + 1) * w11) >>
                                                  8);
            return c;
        }
        const RGBQUAD c00 = GetPixelColorWithBorder(xi, yi, overflow, border);
        const RGBQUAD c10 = GetPixelColorWithBorder(xi + 1, yi, overflow, border);
        const RGBQUAD c01 = GetPixelColorWithBorder(xi, yi + 1, overflow, border);
        const RGBQUAD c11 = GetPixelColorWithBorder(xi + 1, yi + 1, overflow, border);
        const float w00 = (1 - fx) * (1 - fy), w10 = fx * (1 - fy), w01 = (1 - fx) * fy,
                    w11 = fx * fy;
        auto mix = [&](BYTE a, BYTE b, BYTE c, BYTE d) {
            return static_cast<BYTE>(Clamp255(a * w00 + b * w10 + c * w01 + d * w11));
        };
        return RGBQUAD{mix(c00.rgbBlue, c10.rgbBlue, c01.rgbBlue, c11.rgbBlue),
                       mix(c00.rgbGreen, c10.rgbGreen, c01.rgbGreen, c11.rgbGreen),
                       mix(c00.rgbRed, c10.rgbRed, c01.rgbRed, c11.rgbRed),
                       m_alpha
                           ? mix(c00.rgbReserved, c10.rgbReserved, c01.rgbReserved, c11.rgbReserved)
                           : static_cast<BYTE>(0)};
    }

    auto weight = [method](float t) -> float {
        switch (method) {
        case 3:
            return BSplineWeight(t);
        case 4:
            return CubicWeightSharp(t);
        case 5:
            return CubicWeight(t, -0.5f);
        case 6:
            return LanczosWeight(t, 6);
        case 7:
            return BoxWeight(t);
        case 8:
            return HermiteWeight(t);
        case 9:
            return HammingWeight(t);
        case 10:
            return SincWeight(t);
        case 11:
            return BlackmanWeight(t);
        case 12:
            return BesselWeight(t);
        case 13:
            return GaussianWeight(t);
        case 14:
            return QuadraticWeight(t);
        case 15:
            return MitchellWeight(t);
        case 16:
            return CatmullRomWeight(t);
        case 17:
            return HanningWeight(t);
        default:
            return PowerWeight(t, 2);
        }
    };
    const long count = before + after + 1;
    float wx[12], wy[12];
    for (long i = 0; i < count; ++i) {
        wx[i] = weight(static_cast<float>(xi - before + i) - x);
        wy[i] = weight(static_cast<float>(yi - before + i) - y);
    }
    const bool direct = blockInside && !HasPalette();
    float r = 0, g = 0, b = 0, a = 0;
    for (long j = 0; j < count; ++j) {
        const long py = yi - before + j;
        for (long i = 0; i < count; ++i) {
            const long px = xi - before + i;
            const float k = wx[i] * wy[j];
            RGBQUAD c;
            if (direct) {
                const BYTE* p = m_info.bits + static_cast<size_t>(py) * m_info.rowStride + 3 * px;
                c = RGBQUAD{p[0], p[1], p[2], m_alpha ? AlphaGetAtUnchecked(px, py) : BYTE{0}};
            } else {
                c = GetPixelColorWithBorder(px, py, overflow, border);
            }
            b += c.rgbBlue * k;
            g += c.rgbGreen * k;
            r += c.rgbRed * k;
            a += c.rgbReserved * k;
        }
    }
    // Kernel weights that add up to 1 sum a hair below it in single precision; the margin keeps
    // truncation from darkening a uniform area by one level.
    constexpr float kMargin = 0.001f;
    return RGBQUAD{static_cast<BYTE>(Clamp255(b + kMargin)),
                   static_cast<BYTE>(Clamp255(g + kMargin)),
                   static_cast<BYTE>(Clamp255(r + kMargin)),
                   m_alpha ? static_cast<BYTE>(Clamp255(a + kMargin)) : static_cast<BYTE>(0)};
}

void CDibImage::AddWeightedColor(RGBQUAD colour, float weight, float* red, float* green,
                                 float* blue, float* alpha) {
    *red += colour.rgbRed * weight;
    *green += colour.rgbGreen * weight;
    *blue += colour.rgbBlue * weight;
    *alpha += colour.rgbReserved * weight;
}

RGBQUAD CDibImage::GetAreaColor(float x, float y, float areaWidth, float areaHeight, long method,
                                long overflow, RGBQUAD* border) const {
    // Small areas are plain lookups; so are areas no picture could hold or that are not numbers
    // (the lookup treats their centre).
    if (!(areaWidth > 1 || areaHeight > 1) || !(areaWidth < 1e9f && areaHeight < 1e9f) ||
        !(std::fabs(x) < 1e9f && std::fabs(y) < 1e9f))
        return GetInterpolatedColor(x, y, method, overflow, border);
    const CDibFloatRect area(x - areaWidth * 0.5f, y - areaHeight * 0.5f, x + areaWidth * 0.5f,
                             y + areaHeight * 0.5f);
    const long x0 = static_cast<long>(area.left + 0.5f), x1 = static_cast<long>(area.right + 0.5f);
    const long y0 = static_cast<long>(area.top + 0.5f), y1 = static_cast<long>(area.bottom + 0.5f);
    const bool thin = areaWidth <= 1 || areaHeight <= 1;
    float r = 0, g = 0, b = 0, a = 0, total = 0;
    for (long py = y0; py <= y1; ++py)
        for (long px = x0; px <= x1; ++px) {
            const CDibFloatRect cell(px - 0.5f, py - 0.5f, px + 0.5f, py + 0.5f);
            const CDibFloatRect part = cell.Intersect(area);
            const float weight = part.Area();
            if (weight <= 0)
                continue;
            RGBQUAD c;
            if (thin) {
                const CDibFloatPoint centre = part.Center();
                c = GetInterpolatedColor(centre.x, centre.y, method, overflow, border);
            } else {
                c = GetPixelColorWithBorder(px, py, overflow, border);
            }
            AddWeightedColor(c, weight, &r, &g, &b, &a);
            total += weight;
        }
    if (total <= 0)
        return GetInterpolatedColor(x, y, method, overflow, border);
    return RGBQUAD{static_cast<BYTE>(Clamp255(b / total)), static_cast<BYTE>(Clamp255(g / total)),
                   static_cast<BYTE>(Clamp255(r / total)),
                   m_alpha ? static_cast<BYTE>(Clamp255(a / total)) : static_cast<BYTE>(0)};
}
