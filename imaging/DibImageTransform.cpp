// Geometric and bit-depth transforms: gray conversion, flips, negative, scaling, cutting,
// rotations, depth changes, dithering, padding and shrinking.
//
// Operations that rebuild the picture fill a temporary image and hand it over with
// TransferFrom, into the caller's output image when one is given, else into this image.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/DibClamp.h"
#include "imaging/DibImage.h"

namespace {

using dibimage::ClampByte;
using dibimage::ClampByteF;

constexpr float kPi = 3.14159265f;
// Margin added to kernel sums before they are truncated (see ScaleTo's bicubic mode).
constexpr float kSumMargin = 0.001f;

// Normalises a requested depth to one the image supports (as Create does).
// Sizes beyond the header's signed 32-bit fields would wrap when handed to Create.
bool BeyondHeader(long width, long height) {
    return width > 0x7FFFFFFFL || height > 0x7FFFFFFFL;
}

DWORD SupportedBpp(DWORD bpp) {
    if (bpp <= 1)
        return 1;
    if (bpp <= 4)
        return 4;
    if (bpp <= 8)
        return 8;
    return 24;
}

// The empty picture a change of depth of source fills: bpp bits per pixel, source's size,
// attributes, selection and alpha. False, with the reason left on source, when it cannot be made.
bool CreateDepthTarget(CDibImage& source, CDibImage& out, DWORD bpp) {
    out.CopyAttributes(source);
    if (!out.Create(source.GetWidth(), source.GetHeight(), bpp, source.GetType())) {
        source.SetLastError(out.GetLastErrorText());
        return false;
    }
    out.SelectionCopy(source);
    out.AlphaCopy(source);
    return true;
}

} // namespace

bool CDibImage::CreateResizedTarget(CDibImage& out, long width, long height, DWORD bpp) {
    out.CopyAttributes(*this);
    if (!out.Create(static_cast<DWORD>(width), static_cast<DWORD>(height), bpp, GetType())) {
        SetLastError(out.GetLastErrorText());
        return false;
    }
    out.SetPalette(GetPalette(), GetNumColors());
    // The selection stays behind; its box must not describe the old size.
    out.EmptySelectionBox();
    return true;
}

// ---- gray conversion

bool CDibImage::ConvertToGray() {
    if (!m_dib)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (GetBpp() == 24) {
        CDibImage gray;
        if (!CreateDepthTarget(*this, gray, 8))
            return false;
        gray.SetGrayPalette();
        for (long y = 0; y < h; ++y) {
            const BYTE* src = GetBits(static_cast<DWORD>(y));
            BYTE* dst = gray.GetBits(static_cast<DWORD>(y));
            for (long x = 0; x < w; ++x, src += 3)
                dst[x] = GrayLevel(src[0], src[1], src[2]);
        }
        // A true-colour key becomes the gray index of its colour.
        if (m_info.keyIndex >= 0)
            gray.m_info.keyIndex = GrayLevel(m_info.keyColor.rgbBlue, m_info.keyColor.rgbGreen,
                                             m_info.keyColor.rgbRed);
        return TransferFrom(gray);
    }

    RGBQUAD* pal = GetPalette();
    const DWORD n = GetNumColors();
    for (DWORD i = 0; i < n; ++i)
        pal[i].rgbBlue = GrayLevel(pal[i].rgbBlue, pal[i].rgbGreen, pal[i].rgbRed);
    m_info.nearestValid = false;
    if (m_info.keyIndex >= 0 && m_info.keyIndex < static_cast<long>(n))
        m_info.keyIndex = pal[m_info.keyIndex].rgbBlue;

    if (GetBpp() == 8) {
        BYTE* p = m_info.bits;
        for (DWORD i = 0; i < m_header.biSizeImage; ++i)
            p[i] = pal[p[i]].rgbBlue;
        SetGrayPalette();
        return true;
    }

    CDibImage gray;
    if (!CreateDepthTarget(*this, gray, 8))
        return false;
    gray.SetGrayPalette();
    for (long y = 0; y < h; ++y) {
        BYTE* dst = gray.GetBits(static_cast<DWORD>(y));
        for (long x = 0; x < w; ++x)
            dst[x] = pal[GetPixelIndexUnchecked(x, y)].rgbBlue;
    }
    return TransferFrom(gray);
}

// ---- flips and negative

bool CDibImage::Flip(bool flipSelection, bool flipAlpha) {
    if (!m_dib)
        return false;
    const DWORD stride = GetRowStride(), h = GetHeight();
    BYTE* buffer = static_cast<BYTE*>(std::malloc(stride ? stride : 1));
    if (!buffer)
        return false;
    for (DWORD i = 0; i < h / 2; ++i) {
        BYTE* a = GetBits(i);
        BYTE* b = GetBits(h - 1 - i);
        std::memcpy(buffer, a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, buffer, stride);
    }
    std::free(buffer);
    if (flipSelection)
        SelectionFlip();
    if (flipAlpha)
        AlphaFlip();
    return true;
}

bool CDibImage::Mirror(bool mirrorSelection, bool mirrorAlpha) {
    if (!m_dib)
        return false;
    CDibImage* work = new CDibImage(*this, false, true, true);
    if (!work->IsValid()) {
        SetLastError(work->GetLastErrorText());
        delete work;
        return false;
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long y = 0; y < h; ++y) {
        const BYTE* src = GetBits(static_cast<DWORD>(y));
        BYTE* dst = work->GetBits(static_cast<DWORD>(y));
        switch (GetBpp()) {
        case 8:
            for (long x = 0; x < w; ++x)
                dst[x] = src[w - 1 - x];
            break;
        case 24:
            for (long x = 0; x < w; ++x)
                std::memcpy(dst + 3 * x, src + 3 * (w - 1 - x), 3);
            break;
        default:
            for (long x = 0; x < w; ++x)
                work->SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(w - 1 - x, y));
            break;
        }
    }
    if (mirrorSelection)
        work->SelectionMirror();
    if (mirrorAlpha)
        work->AlphaMirror();
    TransferFrom(*work);
    delete work;
    return true;
}

bool CDibImage::Negative() {
    if (!m_dib)
        return false;
    if (GetBpp() == 24 || IsGrayScale()) {
        if (!m_selection) {
            BYTE* p = m_info.bits;
            for (DWORD i = 0; i < m_header.biSizeImage; ++i)
                p[i] = static_cast<BYTE>(255 - p[i]);
        } else {
            const RECT& box = m_info.selectionBox;
            for (long y = box.bottom; y < box.top; ++y)
                for (long x = box.left; x < box.right; ++x) {
                    if (!SelectionIsInsideUnchecked(x, y))
                        continue;
                    if (GetBpp() == 24) {
                        RGBQUAD c = GetPixelColor(x, y);
                        c.rgbBlue = static_cast<BYTE>(255 - c.rgbBlue);
                        c.rgbGreen = static_cast<BYTE>(255 - c.rgbGreen);
                        c.rgbRed = static_cast<BYTE>(255 - c.rgbRed);
                        SetPixelColor(x, y, c);
                    } else {
                        SetPixelIndexUnchecked(
                            x, y, static_cast<BYTE>(255 - GetPixelIndexUnchecked(x, y)));
                    }
                }
        }
        if (GetBpp() == 24) {
            RGBQUAD& k = m_info.keyColor;
            k.rgbBlue = static_cast<BYTE>(255 - k.rgbBlue);
            k.rgbGreen = static_cast<BYTE>(255 - k.rgbGreen);
            k.rgbRed = static_cast<BYTE>(255 - k.rgbRed);
        }
        return true;
    }
    RGBQUAD* pal = GetPalette();
    for (DWORD i = 0; i < GetNumColors(); ++i) {
        pal[i].rgbBlue = static_cast<BYTE>(255 - pal[i].rgbBlue);
        pal[i].rgbGreen = static_cast<BYTE>(255 - pal[i].rgbGreen);
        pal[i].rgbRed = static_cast<BYTE>(255 - pal[i].rgbRed);
    }
    m_info.nearestValid = false;
    return true;
}

// ---- scaling and cutting

bool CDibImage::ScaleTo(long newWidth, long newHeight, int mode, CDibImage* out) {
    if (!m_dib || newWidth <= 0 || newHeight <= 0)
        return false;
    if (BeyondHeader(newWidth, newHeight)) {
        SetLastError("DIBIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (newWidth == w && newHeight == h) {
        if (out)
            out->Copy(*this, true, true, true);
        return true;
    }
    const float xScale = static_cast<float>(w) / static_cast<float>(newWidth);
    const float yScale = static_cast<float>(h) / static_cast<float>(newHeight);

    CDibImage tmp;
    if (!CreateResizedTarget(tmp, newWidth, newHeight, GetBpp()))
        return false;
    // On a gray ramp the nearest entry of a gray colour is its own level.
    const bool grayRamp = GetBpp() == 8 && IsGrayScale();
    auto store = [&](long x, long y, RGBQUAD c) {
        if (grayRamp)
            tmp.m_info.bits[static_cast<size_t>(y) * tmp.m_info.rowStride + x] = c.rgbRed;
        else
            tmp.SetPixelColorUnchecked(x, y, c, false);
    };

    if (mode == 1) {
        for (long y = 0; y < newHeight; ++y) {
            m_info.progress = 100 * y / newHeight;
            if (m_info.escape)
                break;
            const long sy = static_cast<long>(static_cast<float>(y) * yScale);
            for (long x = 0; x < newWidth; ++x)
                store(x, y, GetPixelColor(static_cast<long>(static_cast<float>(x) * xScale), sy));
        }
    } else if (mode == 2) {
        for (long y = 0; y < newHeight; ++y) {
            m_info.progress = 100 * y / newHeight;
            if (m_info.escape)
                break;
            const float fy = static_cast<float>(y) * yScale - 0.5f;
            const long y0 = static_cast<long>(std::floor(fy));
            const float dy = fy - static_cast<float>(y0);
            for (long x = 0; x < newWidth; ++x) {
                const float fx = static_cast<float>(x) * xScale - 0.5f;
                const long x0 = static_cast<long>(std::floor(fx));
                const float dx = fx - static_cast<float>(x0);
                float r = 0, g = 0, b = 0;
                for (long m = -1; m <= 2; ++m) {
                    const long sy = std::clamp(y0 + m, 0L, h - 1);
                    const float wy = BSplineWeight(static_cast<float>(m) - dy);
                    for (long n = -1; n <= 2; ++n) {
                        const long sx = std::clamp(x0 + n, 0L, w - 1);
                        const float k = wy * BSplineWeight(dx - static_cast<float>(n));
                        RGBQUAD c = GetPixelColorUnchecked(sx, sy, false);
                        r += c.rgbRed * k;
                        g += c.rgbGreen * k;
                        b += c.rgbBlue * k;
                    }
                }
                // Weights that add up to 1 sum a hair below it in single precision; the margin
                // keeps truncation from darkening a uniform area by one level.
                store(x, y,
                      RGBQUAD{ClampByteF(b + kSumMargin), ClampByteF(g + kSumMargin),
                              ClampByteF(r + kSumMargin), 0});
            }
        }
    } else if (GetBpp() == 24 && newWidth < w && newHeight < h) {
        // Box filter: every source pixel spreads the weight 1000 over the one or two destination
        // columns and rows that it covers.
        const long divisor = std::max(1L, static_cast<long>(1000.0f * xScale * yScale));
        std::vector<long long> acc0(static_cast<size_t>(newWidth) * 3),
            acc1(static_cast<size_t>(newWidth) * 3);
        std::vector<long> col0(static_cast<size_t>(w)), colW(static_cast<size_t>(w));
        for (long sx = 0; sx < w; ++sx) {
            long dx0 = std::min(static_cast<long>(static_cast<float>(sx) / xScale), newWidth - 1);
            float frac = static_cast<float>(dx0 + 1) * xScale - static_cast<float>(sx);
            col0[static_cast<size_t>(sx)] = dx0;
            colW[static_cast<size_t>(sx)] =
                static_cast<long>(1000.0f * std::clamp(frac, 0.0f, 1.0f));
        }
        long current = 0;
        auto flush = [&](long dy) {
            BYTE* dst = tmp.GetBits(static_cast<DWORD>(dy));
            for (long i = 0; i < newWidth * 3; ++i)
                dst[i] = ClampByte(static_cast<long>(acc0[static_cast<size_t>(i)] / divisor));
        };
        bool stopped = false;
        for (long sy = 0; sy < h; ++sy) {
            m_info.progress = 100 * sy / h;
            if (m_info.escape) {
                stopped = true;
                break;
            }
            long dy0 = std::min(static_cast<long>(static_cast<float>(sy) / yScale), newHeight - 1);
            while (current < dy0) {
                flush(current++);
                acc0.swap(acc1);
                std::fill(acc1.begin(), acc1.end(), 0);
            }
            float fracY = static_cast<float>(dy0 + 1) * yScale - static_cast<float>(sy);
            const long wy0 = static_cast<long>(1000.0f * std::clamp(fracY, 0.0f, 1.0f));
            const long wy1 = dy0 + 1 < newHeight ? 1000 - wy0 : 0;
            const BYTE* src = GetBits(static_cast<DWORD>(sy));
            for (long sx = 0; sx < w; ++sx) {
                const long dx0 = col0[static_cast<size_t>(sx)];
                const long wx0 = colW[static_cast<size_t>(sx)];
                const long wx1 = dx0 + 1 < newWidth ? 1000 - wx0 : 0;
                const BYTE* p = src + 3 * sx;
                for (int c = 0; c < 3; ++c) {
                    const long v = p[c];
                    acc0[static_cast<size_t>(3 * dx0 + c)] += v * wx0 * wy0 / 1000;
                    acc1[static_cast<size_t>(3 * dx0 + c)] += v * wx0 * wy1 / 1000;
                    if (wx1) {
                        acc0[static_cast<size_t>(3 * (dx0 + 1) + c)] += v * wx1 * wy0 / 1000;
                        acc1[static_cast<size_t>(3 * (dx0 + 1) + c)] += v * wx1 * wy1 / 1000;
                    }
                }
            }
        }
        if (!stopped) {
            while (current < newHeight) {
                flush(current++);
                acc0.swap(acc1);
                std::fill(acc1.begin(), acc1.end(), 0);
            }
        }
    } else {
        for (long y = 0; y < newHeight; ++y) {
            m_info.progress = 100 * y / newHeight;
            if (m_info.escape)
                break;
            const float fy = static_cast<float>(y) * yScale;
            const long y0 = std::min(static_cast<long>(fy), h - 1);
            const long y1 = std::min(y0 + 1, h - 1);
            const float dy = fy - static_cast<float>(y0);
            for (long x = 0; x < newWidth; ++x) {
                const float fx = static_cast<float>(x) * xScale;
                const long x0 = std::min(static_cast<long>(fx), w - 1);
                const long x1 = std::min(x0 + 1, w - 1);
                const float dx = fx - static_cast<float>(x0);
                RGBQUAD c00 = GetPixelColorUnchecked(x0, y0, false);
                RGBQUAD c10 = GetPixelColorUnchecked(x1, y0, false);
                RGBQUAD c01 = GetPixelColorUnchecked(x0, y1, false);
                RGBQUAD c11 = GetPixelColorUnchecked(x1, y1, false);
                auto mix = [&](BYTE a00, BYTE a10, BYTE a01, BYTE a11) {
                    float left = a00 + (a01 - a00) * dy;
                    float right = a10 + (a11 - a10) * dy;
                    return ClampByteF(left + (right - left) * dx);
                };
                store(x, y,
                      RGBQUAD{mix(c00.rgbBlue, c10.rgbBlue, c01.rgbBlue, c11.rgbBlue),
                              mix(c00.rgbGreen, c10.rgbGreen, c01.rgbGreen, c11.rgbGreen),
                              mix(c00.rgbRed, c10.rgbRed, c01.rgbRed, c11.rgbRed), 0});
            }
        }
    }

    if (m_alpha && tmp.AlphaCreate()) {
        for (long y = 0; y < newHeight; ++y) {
            const long sy = std::min(static_cast<long>(static_cast<float>(y) * yScale), h - 1);
            for (long x = 0; x < newWidth; ++x) {
                const long sx = std::min(static_cast<long>(static_cast<float>(x) * xScale), w - 1);
                tmp.m_alpha[x + y * newWidth] = AlphaGetAtUnchecked(sx, sy);
            }
        }
    }
    return (out ? out : this)->TransferFrom(tmp);
}

bool CDibImage::ExtractRect(const RECT& rect, CDibImage* out) {
    return ExtractRect(rect.left, rect.top, rect.right, rect.bottom, out);
}

bool CDibImage::ExtractRect(long left, long top, long right, long bottom, CDibImage* out) {
    if (!m_dib)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    left = std::clamp(left, 0L, w);
    right = std::clamp(right, 0L, w);
    top = h - std::clamp(top, 0L, h);
    bottom = h - std::clamp(bottom, 0L, h);
    if (left == right || top == bottom)
        return false;
    if (left > right)
        std::swap(left, right);
    if (bottom > top)
        std::swap(bottom, top);
    const long pw = right - left, ph = top - bottom;

    CDibImage part;
    if (!part.Create(static_cast<DWORD>(pw), static_cast<DWORD>(ph), GetBpp(), GetType())) {
        SetLastError(part.GetLastErrorText());
        return false;
    }
    part.SetPalette(GetPalette(), GetNumColors());
    part.m_info.keyIndex = m_info.keyIndex;
    part.m_info.keyColor = m_info.keyColor;

    if (GetBpp() == 8 || GetBpp() == 24) {
        const size_t offset = static_cast<size_t>(GetBpp()) * left / 8;
        const size_t bytes = static_cast<size_t>(GetBpp()) * pw / 8;
        for (long y = 0; y < ph; ++y) {
            m_info.progress = 100 * y / ph;
            std::memcpy(part.GetBits(static_cast<DWORD>(y)),
                        GetBits(static_cast<DWORD>(y + bottom)) + offset, bytes);
        }
    } else {
        for (long y = 0; y < ph; ++y)
            for (long x = 0; x < pw; ++x)
                part.SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(x + left, y + bottom));
    }
    if (m_alpha) {
        if (!part.AlphaCreate())
            return false;
        for (long y = 0; y < ph; ++y)
            std::memcpy(part.m_alpha + static_cast<size_t>(y) * pw,
                        m_alpha + static_cast<size_t>(y + bottom) * w + left,
                        static_cast<size_t>(pw));
    }
    return (out ? out : this)->TransferFrom(part);
}

// ---- rotations

namespace {

// Copies one pixel (index or colour) and its alpha and selection between two images of the same
// depth; both coordinates are inside their pictures.
void CopyPixel(const CDibImage& src, long sx, long sy, CDibImage& dst, long dx, long dy) {
    if (src.HasPalette())
        dst.SetPixelIndexUnchecked(dx, dy, src.GetPixelIndexUnchecked(sx, sy));
    else
        dst.SetPixelColorUnchecked(dx, dy, src.GetPixelColorUnchecked(sx, sy, false), false);
    if (src.AlphaIsValid())
        dst.AlphaSetAt(dx, dy, src.AlphaGetAtUnchecked(sx, sy));
    if (src.SelectionIsValid())
        dst.SelectionSetAt(dx, dy, src.SelectionGetAtUnchecked(sx, sy));
}

} // namespace

bool CDibImage::RotateByMapping(long newWidth, long newHeight, int turn, CDibImage* out) {
    if (!m_dib)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    CDibImage tmp;
    if (!CreateResizedTarget(tmp, newWidth, newHeight, GetBpp()))
        return false;
    if (m_alpha)
        tmp.AlphaCreate();
    if (m_selection)
        tmp.SelectionCreate();
    // Tiles of 64 x 64 keep both the source and the destination rows in cache.
    constexpr long kTile = 64;
    for (long ty = 0; ty < newHeight; ty += kTile) {
        m_info.progress = 100 * ty / newHeight;
        if (m_info.escape)
            break;
        for (long tx = 0; tx < newWidth; tx += kTile) {
            const long yEnd = std::min(ty + kTile, newHeight),
                       xEnd = std::min(tx + kTile, newWidth);
            for (long y = ty; y < yEnd; ++y)
                for (long x = tx; x < xEnd; ++x) {
                    long sx, sy;
                    switch (turn) {
                    case 1: // quarter left
                        sx = y;
                        sy = h - 1 - x;
                        break;
                    case 2: // half turn
                        sx = w - 1 - x;
                        sy = h - 1 - y;
                        break;
                    default: // quarter right
                        sx = w - 1 - y;
                        sy = x;
                        break;
                    }
                    CopyPixel(*this, sx, sy, tmp, x, y);
                }
        }
    }
    if (m_selection)
        tmp.SelectionRebuildBox();
    return (out ? out : this)->TransferFrom(tmp);
}

bool CDibImage::RotateQuarterLeft(CDibImage* out) {
    return RotateByMapping(static_cast<long>(GetHeight()), static_cast<long>(GetWidth()), 1, out);
}

bool CDibImage::RotateQuarterRight(CDibImage* out) {
    return RotateByMapping(static_cast<long>(GetHeight()), static_cast<long>(GetWidth()), 3, out);
}

bool CDibImage::Rotate180(CDibImage* out) {
    return RotateByMapping(static_cast<long>(GetWidth()), static_cast<long>(GetHeight()), 2, out);
}

namespace {

// Size of the bounding box of a w x h picture turned by the angle (radians).
void RotatedSize(long w, long h, float angle, long& newWidth, long& newHeight) {
    const float c = std::fabs(std::cos(angle)), s = std::fabs(std::sin(angle));
    newWidth = std::max(1L, static_cast<long>(w * c + h * s + 0.5f));
    newHeight = std::max(1L, static_cast<long>(w * s + h * c + 0.5f));
}

} // namespace

bool CDibImage::Rotate(float degrees, CDibImage* out) {
    if (!m_dib)
        return false;
    if (!std::isfinite(degrees))
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const float angle = degrees * kPi / 180.0f;
    const float c = std::cos(angle), s = std::sin(angle);
    long nw, nh;
    RotatedSize(w, h, angle, nw, nh);
    CDibImage tmp;
    if (!CreateResizedTarget(tmp, nw, nh, GetBpp()))
        return false;
    if (m_alpha)
        tmp.AlphaCreate();
    for (long y = 0; y < nh; ++y) {
        m_info.progress = 100 * y / nh;
        if (m_info.escape)
            break;
        const float ry = static_cast<float>(y) + 0.5f - nh * 0.5f;
        for (long x = 0; x < nw; ++x) {
            const float rx = static_cast<float>(x) + 0.5f - nw * 0.5f;
            // Inverse rotation of the destination pixel's centre.
            const long sx = static_cast<long>(std::floor(rx * c + ry * s + w * 0.5f));
            const long sy = static_cast<long>(std::floor(-rx * s + ry * c + h * 0.5f));
            if (HasPalette())
                tmp.SetPixelIndexUnchecked(x, y, GetPixelIndex(sx, sy));
            else
                tmp.SetPixelColorUnchecked(x, y, GetPixelColor(sx, sy, false), false);
            if (m_alpha)
                tmp.AlphaSetAt(x, y, AlphaGetAt(sx, sy));
        }
    }
    return (out ? out : this)->TransferFrom(tmp);
}

bool CDibImage::RotateWithOptions(float degrees, CDibImage* out, long interpolation, long overflow,
                                  RGBQUAD* replacement, bool exactRightAngles, bool keepSize) {
    if (!m_dib)
        return false;
    if (!std::isfinite(degrees))
        return false;
    if (exactRightAngles && !keepSize) {
        float turns = std::fmod(degrees, 360.0f);
        if (turns < 0)
            turns += 360.0f;
        if (turns == 0.0f) {
            if (out)
                out->Copy(*this, true, true, true);
            return true;
        }
        if (turns == 90.0f)
            return RotateQuarterLeft(out);
        if (turns == 180.0f)
            return Rotate180(out);
        if (turns == 270.0f)
            return RotateQuarterRight(out);
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const float angle = degrees * kPi / 180.0f;
    const float c = std::cos(angle), s = std::sin(angle);
    long nw = w, nh = h;
    if (!keepSize)
        RotatedSize(w, h, angle, nw, nh);
    CDibImage tmp;
    if (!CreateResizedTarget(tmp, nw, nh, GetBpp()))
        return false;
    const bool alpha = m_alpha || overflow == 3;
    if (alpha)
        tmp.AlphaCreate();
    for (long y = 0; y < nh; ++y) {
        m_info.progress = 100 * y / nh;
        if (m_info.escape)
            break;
        const float ry = static_cast<float>(y) + 0.5f - nh * 0.5f;
        for (long x = 0; x < nw; ++x) {
            const float rx = static_cast<float>(x) + 0.5f - nw * 0.5f;
            const float sx = rx * c + ry * s + w * 0.5f - 0.5f;
            const float sy = -rx * s + ry * c + h * 0.5f - 0.5f;
            RGBQUAD colour = GetInterpolatedColor(sx, sy, interpolation, overflow, replacement);
            tmp.SetPixelColorUnchecked(x, y, colour, alpha);
        }
    }
    return (out ? out : this)->TransferFrom(tmp);
}

bool CDibImage::CropRotatedRect(long left, long top, long width, long height, float angle,
                                CDibImage* out) {
    if (!m_dib || width <= 0 || height <= 0 || !std::isfinite(angle))
        return false;
    if (std::fabs(angle) < 0.0002f)
        return ExtractRect(left, top, left + width, top + height, out);
    // The rectangle turns about its corner (left, top), y counted from the top.
    const float c = std::cos(angle), s = std::sin(angle);
    const float xs[4] = {0, static_cast<float>(width), 0, static_cast<float>(width)};
    const float ys[4] = {0, 0, static_cast<float>(height), static_cast<float>(height)};
    float minX = 1e30f, maxX = -1e30f, minY = 1e30f, maxY = -1e30f;
    for (int i = 0; i < 4; ++i) {
        const float px = left + xs[i] * c - ys[i] * s;
        const float py = top + xs[i] * s + ys[i] * c;
        minX = std::min(minX, px);
        maxX = std::max(maxX, px);
        minY = std::min(minY, py);
        maxY = std::max(maxY, py);
    }
    CDibImage box;
    if (!ExtractRect(static_cast<long>(std::floor(minX)), static_cast<long>(std::floor(minY)),
                     static_cast<long>(std::ceil(maxX)), static_cast<long>(std::ceil(maxY)), &box))
        return false;
    CDibImage turned;
    if (!box.RotateWithOptions(-angle * 180.0f / kPi, &turned, 2, 5, nullptr, false, false)) {
        SetLastError(box.GetLastErrorText());
        return false;
    }
    const long cx = static_cast<long>(turned.GetWidth()) / 2;
    const long cy = static_cast<long>(turned.GetHeight()) / 2;
    if (!turned.ExtractRect(cx - width / 2, cy - height / 2, cx - width / 2 + width,
                            cy - height / 2 + height, nullptr)) {
        SetLastError(turned.GetLastErrorText());
        return false;
    }
    return (out ? out : this)->TransferFrom(turned);
}

// ---- bit depths

bool CDibImage::IncreaseBpp(DWORD bpp) {
    if (!m_dib)
        return false;
    if (bpp != 4 && bpp != 8 && bpp != 24) {
        SetLastError("IncreaseBpp: target BPP must be 4, 8 or 24");
        return false;
    }
    if (bpp == GetBpp())
        return true;
    if (bpp < GetBpp())
        return false;
    CDibImage tmp;
    if (!CreateDepthTarget(*this, tmp, bpp))
        return false;
    tmp.SetPalette(GetPalette(), GetNumColors());
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) {
            if (bpp == 24)
                tmp.SetPixelColorUnchecked(x, y, GetPixelColorUnchecked(x, y, false), false);
            else
                tmp.SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(x, y));
        }
    if (bpp == 24 && m_info.keyIndex >= 0) {
        tmp.m_info.keyColor = GetPaletteColor(static_cast<BYTE>(m_info.keyIndex));
        tmp.m_info.keyColor.rgbReserved = 0;
        tmp.m_info.keyIndex = 0;
    }
    return TransferFrom(tmp);
}

bool CDibImage::DecreaseBpp(DWORD bpp, bool errorDiffusion, const RGBQUAD* palette, DWORD colours) {
    if (!m_dib)
        return false;
    bpp = SupportedBpp(bpp);
    if (bpp > GetBpp()) {
        SetLastError("DecreaseBpp: target BPP greater than source BPP");
        return false;
    }
    if (bpp == GetBpp() &&
        (colours == 0 || (m_header.biClrImportant != 0 && m_header.biClrImportant < colours)))
        return true;
    CDibImage tmp;
    if (!CreateDepthTarget(*this, tmp, bpp))
        return false;
    if (palette)
        tmp.SetPalette(palette, colours ? colours : tmp.GetNumColors());
    else
        tmp.SetStandardPalette();
    if (colours)
        tmp.SetClrImportant(colours);
    tmp.m_info.keyIndex = -1;

    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (!errorDiffusion) {
        for (long y = 0; y < h; ++y)
            for (long x = 0; x < w; ++x)
                tmp.SetPixelColorUnchecked(x, y, GetPixelColorUnchecked(x, y, false), false);
    } else {
        // Two rows of pending colours: the row being converted and the next one processed.
        std::vector<long> cur(static_cast<size_t>(w) * 3), next(static_cast<size_t>(w) * 3);
        auto load = [&](std::vector<long>& row, long y) {
            for (long x = 0; x < w; ++x) {
                RGBQUAD c = GetPixelColorUnchecked(x, y, false);
                row[static_cast<size_t>(3 * x)] = c.rgbBlue;
                row[static_cast<size_t>(3 * x + 1)] = c.rgbGreen;
                row[static_cast<size_t>(3 * x + 2)] = c.rgbRed;
            }
        };
        auto spread = [](std::vector<long>& row, long i, long error, long sixteenths) {
            long& v = row[static_cast<size_t>(i)];
            v = ClampByte(v + error * sixteenths / 16);
        };
        load(cur, 0);
        for (long y = 0; y < h; ++y) {
            m_info.progress = 100 * y / h;
            if (y + 1 < h)
                load(next, y + 1);
            for (long x = 0; x < w; ++x) {
                RGBQUAD want{static_cast<BYTE>(cur[static_cast<size_t>(3 * x)]),
                             static_cast<BYTE>(cur[static_cast<size_t>(3 * x + 1)]),
                             static_cast<BYTE>(cur[static_cast<size_t>(3 * x + 2)]), 0};
                BYTE index = tmp.GetNearestIndex(want);
                tmp.SetPixelIndexUnchecked(x, y, index);
                RGBQUAD got = tmp.GetPaletteColor(index);
                const long err[3] = {want.rgbBlue - got.rgbBlue, want.rgbGreen - got.rgbGreen,
                                     want.rgbRed - got.rgbRed};
                for (int c = 0; c < 3; ++c) {
                    if (x + 1 < w)
                        spread(cur, 3 * (x + 1) + c, err[c], 7);
                    if (y + 1 < h) {
                        if (x > 0)
                            spread(next, 3 * (x - 1) + c, err[c], 2);
                        spread(next, 3 * x + c, err[c], 4);
                        if (x + 1 < w)
                            spread(next, 3 * (x + 1) + c, err[c], 1);
                    }
                }
            }
            cur.swap(next);
        }
    }
    return TransferFrom(tmp);
}

namespace {

// The 1-bit black-and-white picture a gray one turns into: its size, attributes, selection and
// alpha, with no key colour. False, with the reason left on source, when it cannot be made.
bool CreateBlackAndWhite(CDibImage& source, CDibImage& out) {
    if (!CreateDepthTarget(source, out, 1))
        return false;
    out.SetPaletteColor(0, 0, 0, 0);
    out.SetPaletteColor(1, 255, 255, 255);
    out.SetKeyIndex(-1);
    return true;
}

} // namespace

bool CDibImage::DitherToOneBit(long method) {
    if (!m_dib)
        return false;
    if (GetBpp() == 1)
        return true;
    if (!ConvertToGray())
        return false;
    CDibImage tmp;
    if (!CreateBlackAndWhite(*this, tmp))
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (method == 1) {
        // Ordered dithering with the 4 x 4 Bayer matrix.
        static const int bayer[4][4] = {
            {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
        for (long y = 0; y < h; ++y)
            for (long x = 0; x < w; ++x) {
                const int level = GetPixelIndexUnchecked(x, y);
                const int threshold = bayer[y & 3][x & 3] * 16 + 8;
                tmp.SetPixelIndexUnchecked(x, y, level > threshold ? 1 : 0);
            }
    } else {
        // Floyd-Steinberg error diffusion.
        std::vector<int> cur(static_cast<size_t>(w) + 2), next(static_cast<size_t>(w) + 2);
        for (long x = 0; x < w; ++x)
            cur[static_cast<size_t>(x + 1)] = GetPixelIndexUnchecked(x, 0);
        for (long y = 0; y < h; ++y) {
            std::fill(next.begin(), next.end(), 0);
            if (y + 1 < h)
                for (long x = 0; x < w; ++x)
                    next[static_cast<size_t>(x + 1)] = GetPixelIndexUnchecked(x, y + 1);
            for (long x = 0; x < w; ++x) {
                const int v = cur[static_cast<size_t>(x + 1)];
                const int bit = v > 127 ? 1 : 0;
                tmp.SetPixelIndexUnchecked(x, y, static_cast<BYTE>(bit));
                const int err = v - (bit ? 255 : 0);
                cur[static_cast<size_t>(x + 2)] += err * 7 / 16;
                next[static_cast<size_t>(x)] += err * 3 / 16;
                next[static_cast<size_t>(x + 1)] += err * 5 / 16;
                next[static_cast<size_t>(x + 2)] += err / 16;
            }
            cur.swap(next);
        }
    }
    return TransferFrom(tmp);
}

bool CDibImage::BinarizeToOneBit(BYTE level) {
    if (!m_dib)
        return false;
    if (GetBpp() == 1)
        return true;
    if (!ConvertToGray())
        return false;
    CDibImage tmp;
    if (!CreateBlackAndWhite(*this, tmp))
        return false;
    for (long y = 0; y < static_cast<long>(GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(GetWidth()); ++x)
            tmp.SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(x, y) > level ? 1 : 0);
    return TransferFrom(tmp);
}

// ---- padding

bool CDibImage::PadByMargins(long left, long bottom, long right, long top, RGBQUAD colour,
                             CDibImage* out) {
    if (!m_dib || left < 0 || bottom < 0 || right < 0 || top < 0)
        return false;
    if (left > 0x7FFFFFFFL || right > 0x7FFFFFFFL || bottom > 0x7FFFFFFFL || top > 0x7FFFFFFFL) {
        SetLastError("DIBIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const long nw = w + left + right, nh = h + bottom + top;
    if (BeyondHeader(nw, nh)) {
        SetLastError("DIBIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    CDibImage tmp;
    if (!CreateResizedTarget(tmp, nw, nh, GetBpp()))
        return false;
    if (HasPalette()) {
        const BYTE index = tmp.GetNearestIndex(colour);
        for (long y = 0; y < nh; ++y)
            for (long x = 0; x < nw; ++x)
                tmp.SetPixelIndexUnchecked(x, y, index);
    } else {
        for (long y = 0; y < nh; ++y)
            for (long x = 0; x < nw; ++x)
                tmp.SetPixelColorUnchecked(x, y, colour, false);
    }
    for (long y = 0; y < h; ++y) {
        if (GetBpp() == 8 || GetBpp() == 24) {
            const size_t bpp = GetBpp() / 8;
            std::memcpy(tmp.GetBits(static_cast<DWORD>(y + bottom)) + bpp * left,
                        GetBits(static_cast<DWORD>(y)), bpp * w);
        } else {
            for (long x = 0; x < w; ++x)
                tmp.SetPixelIndexUnchecked(x + left, y + bottom, GetPixelIndexUnchecked(x, y));
        }
    }
    if (m_alpha && tmp.AlphaCreate())
        for (long y = 0; y < h; ++y)
            std::memcpy(tmp.m_alpha + static_cast<size_t>(y + bottom) * nw + left,
                        m_alpha + static_cast<size_t>(y) * w, static_cast<size_t>(w));
    return (out ? out : this)->TransferFrom(tmp);
}

bool CDibImage::PadToSize(long newWidth, long newHeight, RGBQUAD colour, CDibImage* out) {
    if (!m_dib)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (newWidth < w || newHeight < h)
        return false;
    const long left = (newWidth - w) / 2, bottom = (newHeight - h) / 2;
    return PadByMargins(left, bottom, newWidth - w - left, newHeight - h - bottom, colour, out);
}

bool CDibImage::FitIntoBox(long width, long height, RGBQUAD colour, CDibImage* out) {
    if (!m_dib || width <= 0 || height <= 0)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (w <= width && h <= height)
        return PadToSize(width, height, colour, out);
    const float f = std::min(static_cast<float>(width) / w, static_cast<float>(height) / h);
    const long sw = std::clamp(static_cast<long>(w * f), 1L, width);
    const long sh = std::clamp(static_cast<long>(h * f), 1L, height);
    CDibImage scaled;
    if (!ScaleTo(sw, sh, 0, &scaled))
        return false;
    if (!scaled.PadToSize(width, height, colour, out ? out : this)) {
        SetLastError(scaled.GetLastErrorText());
        return false;
    }
    return true;
}

// ---- warps and shrinking

bool CDibImage::WarpAroundCentre(long type, long radius, float factor) {
    if (!m_dib || radius <= 0 || !std::isfinite(factor))
        return false;
    CDibImage source(*this, true, false, true);
    if (!source.IsValid()) {
        SetLastError(source.GetLastErrorText());
        return false;
    }
    long xmin, xmax, ymin, ymax;
    GetWorkArea(xmin, xmax, ymin, ymax);
    const float cx = (xmin + xmax) * 0.5f, cy = (ymin + ymax) * 0.5f;
    const float r0 = static_cast<float>(radius);
    unsigned seed = 1;
    ForEachSelectedPixel([&](long x, long y) {
        // Pixel centres, so the pixel at the centre of an odd box stays where it is.
        const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
        const float r = std::sqrt(dx * dx + dy * dy);
        if (r > r0)
            return;
        float angle = std::atan2(dy, dx);
        float rs = r;
        switch (type) {
        case 0: // square law: the centre is magnified
            rs = r * r / r0;
            break;
        case 1: // square root: the centre is shrunk
            rs = std::sqrt(r * r0);
            break;
        case 2: // swirl: the turn grows toward the centre
            angle += factor * (r0 - r) / r0;
            break;
        case 3: // polar: radius and angle trade places
            rs = r0 * (angle + kPi) / (2 * kPi);
            angle = 2 * kPi * r / r0 - kPi;
            break;
        default: // jitter within factor pixels
            seed = seed * 1103515245u + 12345u;
            rs = r + factor * ((static_cast<float>((seed >> 16) & 0x7FFF) / 32767.0f) - 0.5f);
            break;
        }
        const long sx = static_cast<long>(std::floor(cx + rs * std::cos(angle)));
        const long sy = static_cast<long>(std::floor(cy + rs * std::sin(angle)));
        if (!source.IsInside(sx, sy))
            return;
        if (HasPalette())
            SetPixelIndexUnchecked(x, y, source.GetPixelIndexUnchecked(sx, sy));
        else
            SetPixelColorUnchecked(x, y, source.GetPixelColorUnchecked(sx, sy, false), false);
        if (m_alpha)
            m_alpha[x + y * static_cast<long>(GetWidth())] = source.AlphaGetAtUnchecked(sx, sy);
    });
    return true;
}

bool CDibImage::QIShrink(long newWidth, long newHeight, CDibImage* out, bool toTrueColour) {
    if (!m_dib || newWidth <= 0 || newHeight <= 0)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (newWidth > w || newHeight > h) {
        SetLastError("QIShrink can't enlarge image");
        return false;
    }
    const DWORD bpp = (HasPalette() && !toTrueColour) ? GetBpp() : 24;
    CDibImage tmp;
    if (!CreateResizedTarget(tmp, newWidth, newHeight, bpp))
        return false;
    if (bpp == 24)
        tmp.m_info.keyIndex = -1;
    const bool alpha = m_alpha && tmp.AlphaCreate();
    // Each destination row and column gathers the source rows and columns that map onto it.
    std::vector<unsigned long long> sums(static_cast<size_t>(newWidth) * 4);
    std::vector<unsigned long> counts(static_cast<size_t>(newWidth));
    long sy = 0;
    for (long y = 0; y < newHeight; ++y) {
        m_info.progress = 100 * y / newHeight;
        if (m_info.escape)
            break;
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        for (; sy < h && sy * newHeight / h == y; ++sy)
            for (long sx = 0; sx < w; ++sx) {
                const size_t dx = static_cast<size_t>(sx * newWidth / w);
                RGBQUAD c = GetPixelColorUnchecked(sx, sy, true);
                sums[4 * dx] += c.rgbBlue;
                sums[4 * dx + 1] += c.rgbGreen;
                sums[4 * dx + 2] += c.rgbRed;
                sums[4 * dx + 3] += c.rgbReserved;
                ++counts[dx];
            }
        for (long x = 0; x < newWidth; ++x) {
            const unsigned long n =
                counts[static_cast<size_t>(x)] ? counts[static_cast<size_t>(x)] : 1;
            const size_t i = 4 * static_cast<size_t>(x);
            RGBQUAD c{static_cast<BYTE>(sums[i] / n), static_cast<BYTE>(sums[i + 1] / n),
                      static_cast<BYTE>(sums[i + 2] / n), static_cast<BYTE>(sums[i + 3] / n)};
            tmp.SetPixelColorUnchecked(x, y, c, alpha);
        }
    }
    return (out ? out : this)->TransferFrom(tmp);
}

bool CDibImage::ResampleWithKernels(long newWidth, long newHeight, long interpolation,
                                    long overflow, CDibImage* out, bool noAveraging) {
    if (!m_dib || newWidth <= 0 || newHeight <= 0)
        return false;
    if (BeyondHeader(newWidth, newHeight)) {
        SetLastError("DIBIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const float xScale = static_cast<float>(w) / newWidth,
                yScale = static_cast<float>(h) / newHeight;
    CDibImage tmp;
    if (!CreateResizedTarget(tmp, newWidth, newHeight, GetBpp()))
        return false;
    const bool alpha = m_alpha && tmp.AlphaCreate();
    const bool average = !noAveraging && (xScale > 1 || yScale > 1);
    for (long y = 0; y < newHeight; ++y) {
        m_info.progress = 100 * y / newHeight;
        if (m_info.escape)
            break;
        const float sy = (y + 0.5f) * yScale - 0.5f;
        for (long x = 0; x < newWidth; ++x) {
            const float sx = (x + 0.5f) * xScale - 0.5f;
            RGBQUAD c = average
                            ? GetAreaColor(sx, sy, xScale, yScale, interpolation, overflow, nullptr)
                            : GetInterpolatedColor(sx, sy, interpolation, overflow, nullptr);
            tmp.SetPixelColorUnchecked(x, y, c, alpha);
        }
    }
    return (out ? out : this)->TransferFrom(tmp);
}

bool CDibImage::ShearImage(float xGain, float yGain, long xPivot, long yPivot, bool interpolate) {
    if (!m_dib)
        return false;
    CDibImage source(*this, true, false, true);
    if (!source.IsValid()) {
        SetLastError(source.GetLastErrorText());
        return false;
    }
    ForEachSelectedPixel([&](long x, long y) {
        const float sx = x + xGain * static_cast<float>(y - yPivot);
        const float sy = y + yGain * static_cast<float>(x - xPivot);
        RGBQUAD c = source.GetInterpolatedColor(sx, sy, interpolate ? 2 : 1, 2, nullptr);
        SetPixelColorUnchecked(x, y, c, m_alpha != nullptr);
    });
    return true;
}
