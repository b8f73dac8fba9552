// Mixing a second picture in, Fourier transforms of gray pictures, and flood fill.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

#include "imaging/DibImage.h"
#include "imaging/DibClamp.h"

namespace {

using dibimage::ClampByte;
using dibimage::ClampByteF;

constexpr double kTwoPi = 6.283185307179586;

bool IsBlack(RGBQUAD c) {
    return c.rgbRed == 0 && c.rgbGreen == 0 && c.rgbBlue == 0;
}

} // namespace

// ---- mixing

bool CDibImage::Blend(CDibImage& src, long mode, long xOffset, long yOffset, bool mixAlpha) {
    if (!m_dib || !src.IsValid())
        return false;
    if (mode < 0 || mode > 10)
        return true;
    const long w =
        std::min(static_cast<long>(GetWidth()), static_cast<long>(src.GetWidth()) - xOffset);
    const long h =
        std::min(static_cast<long>(GetHeight()), static_cast<long>(src.GetHeight()) - yOffset);
    const bool alpha = mixAlpha && src.AlphaIsValid() && (m_alpha || AlphaCreate());
    const RGBQUAD key = GetKeyColor();
    for (long y = 0; y < h; ++y) {
        m_info.progress = h > 0 ? 100 * y / h : 100;
        if (m_info.escape)
            break;
        for (long x = 0; x < w; ++x) {
            const long sx = x + xOffset, sy = y + yOffset;
            if (!SelectionIsInside(x, y) || !src.SelectionIsInside(sx, sy))
                continue;
            const RGBQUAD a = GetPixelColorUnchecked(x, y, true);
            const RGBQUAD b = src.GetPixelColorUnchecked(sx, sy, true);
            const BYTE* pa = reinterpret_cast<const BYTE*>(&a);
            const BYTE* pb = reinterpret_cast<const BYTE*>(&b);
            RGBQUAD r = a;
            BYTE* pr = reinterpret_cast<BYTE*>(&r);
            // Channels 0..2 are colour; 3 is alpha, combined only with mixAlpha.
            const int channels = alpha ? 4 : 3;
            switch (mode) {
            case 0:
                for (int c = 0; c < channels; ++c)
                    pr[c] = ClampByte(pa[c] + pb[c]);
                break;
            case 1:
                for (int c = 0; c < channels; ++c)
                    pr[c] = static_cast<BYTE>(pa[c] & pb[c]);
                break;
            case 2:
                for (int c = 0; c < channels; ++c)
                    pr[c] = static_cast<BYTE>(pa[c] ^ pb[c]);
                break;
            case 3:
                for (int c = 0; c < channels; ++c)
                    pr[c] = static_cast<BYTE>(pa[c] | pb[c]);
                break;
            case 4:
                if (IsBlack(b)) {
                    r = key;
                    r.rgbReserved = a.rgbReserved;
                }
                break;
            case 5:
                if (IsTransparentAt(x, y))
                    r = b;
                break;
            case 6:
                if (!src.IsTransparentAt(sx, sy))
                    r = b;
                break;
            case 7:
                for (int c = 0; c < channels; ++c)
                    pr[c] = ClampByte(static_cast<long>(pa[c]) - pb[c]);
                break;
            case 8: {
                const long d = (std::labs(static_cast<long>(a.rgbRed) - key.rgbRed) +
                                std::labs(static_cast<long>(a.rgbGreen) - key.rgbGreen) +
                                std::labs(static_cast<long>(a.rgbBlue) - key.rgbBlue)) /
                               3;
                // Near the key colour src shows through, in sixteenths; 17 or more keeps this.
                if (d <= 16)
                    for (int c = 0; c < channels; ++c)
                        pr[c] = static_cast<BYTE>((pa[c] * d + pb[c] * (16 - d)) / 16);
                break;
            }
            case 9: {
                const long k =
                    (src.AlphaIsValid() ? b.rgbReserved : 255L) * src.GetAlphaMax() / 255;
                for (int c = 0; c < 3; ++c)
                    pr[c] = static_cast<BYTE>((pb[c] * k + pa[c] * (255 - k)) / 255);
                if (alpha)
                    pr[3] = static_cast<BYTE>(std::max<long>(pa[3], k));
                break;
            }
            default:
                for (int c = 0; c < channels; ++c)
                    pr[c] = static_cast<BYTE>((pa[c] + pb[c]) >> 1);
                break;
            }
            SetPixelColorUnchecked(x, y, r, alpha);
        }
    }
    return true;
}

bool CDibImage::PasteImage(CDibImage* src, long xOffset, long yOffset) {
    if (!m_dib || !src || !src->IsValid())
        return false;
    const bool keyed = src->HasKeyColor();
    for (long y = 0; y < static_cast<long>(src->GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(src->GetWidth()); ++x) {
            if (keyed && src->IsTransparentAt(x, y))
                continue;
            SetPixelColor(x + xOffset, y + yOffset, src->GetPixelColorUnchecked(x, y, true));
        }
    return true;
}

// ---- Fourier transforms

bool CDibImage::IsPowerOfTwo(long n) {
    return n >= 1 && (n & (n - 1)) == 0;
}

bool CDibImage::FastFourierTransform(long direction, long exponent, double* real, double* imag) {
    if (!real || !imag || exponent < 0 || exponent > 30)
        return false;
    const long n = 1L << exponent;
    for (long i = 0, j = 0; i < n - 1; ++i) {
        if (i < j) {
            std::swap(real[i], real[j]);
            std::swap(imag[i], imag[j]);
        }
        long k = n >> 1;
        while (k <= j) {
            j -= k;
            k >>= 1;
        }
        j += k;
    }
    const double sign = direction == 1 ? -1.0 : 1.0;
    for (long len = 2; len <= n; len <<= 1) {
        const double angle = sign * kTwoPi / static_cast<double>(len);
        const double wr = std::cos(angle), wi = std::sin(angle);
        for (long i = 0; i < n; i += len) {
            double cr = 1, ci = 0;
            for (long j = 0; j < len / 2; ++j) {
                const long a = i + j, b = i + j + len / 2;
                const double tr = real[b] * cr - imag[b] * ci;
                const double ti = real[b] * ci + imag[b] * cr;
                real[b] = real[a] - tr;
                imag[b] = imag[a] - ti;
                real[a] += tr;
                imag[a] += ti;
                const double next = cr * wr - ci * wi;
                ci = cr * wi + ci * wr;
                cr = next;
            }
        }
    }
    if (direction == 1)
        for (long i = 0; i < n; ++i) {
            real[i] /= static_cast<double>(n);
            imag[i] /= static_cast<double>(n);
        }
    return true;
}

bool CDibImage::DiscreteFourierTransform(long direction, long n, double* real, double* imag,
                                         double* workReal, double* workImag) {
    if (!real || !imag || !workReal || !workImag || n < 1)
        return false;
    const double sign = direction == 1 ? -1.0 : 1.0;
    for (long k = 0; k < n; ++k) {
        double sr = 0, si = 0;
        for (long j = 0; j < n; ++j) {
            const double angle = sign * kTwoPi * static_cast<double>((k * j) % n) / n;
            const double c = std::cos(angle), s = std::sin(angle);
            sr += real[j] * c - imag[j] * s;
            si += real[j] * s + imag[j] * c;
        }
        workReal[k] = sr;
        workImag[k] = si;
    }
    for (long k = 0; k < n; ++k) {
        real[k] = direction == 1 ? workReal[k] / n : workReal[k];
        imag[k] = direction == 1 ? workImag[k] / n : workImag[k];
    }
    return true;
}

namespace {

// Transforms one line of length n in place, by FFT when n is a power of two.
void TransformLine(long direction, long n, double* real, double* imag, double* workReal,
                   double* workImag) {
    if (CDibImage::IsPowerOfTwo(n)) {
        long exponent = 0;
        while ((1L << exponent) < n)
            ++exponent;
        CDibImage::FastFourierTransform(direction, exponent, real, imag);
    } else {
        CDibImage::DiscreteFourierTransform(direction, n, real, imag, workReal, workImag);
    }
}

long NextPowerOfTwo(long n) {
    long p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

} // namespace

bool CDibImage::FourierTransform2D(CDibImage* srcReal, CDibImage* srcImag, CDibImage* dstReal,
                                   CDibImage* dstImag, long direction, bool forceFft,
                                   bool magnitude) {
    const bool hasReal = srcReal && srcReal->IsValid(), hasImag = srcImag && srcImag->IsValid();
    if (!hasReal && !hasImag)
        return false;
    const CDibImage& first = hasReal ? *srcReal : *srcImag;
    long w = static_cast<long>(first.GetWidth()), h = static_cast<long>(first.GetHeight());
    if (forceFft) {
        w = NextPowerOfTwo(w);
        h = NextPowerOfTwo(h);
    }
    // Inputs as 8-bit gray pictures of the working size. A missing part holds the value 0,
    // which is the pixel 128.
    auto prepare = [&](CDibImage* src, CDibImage& part) {
        if (src && src->IsValid()) {
            part.Copy(*src, true, false, false);
            if (!part.IsValid() || (!part.IsGrayScale() && !part.ConvertToGray()))
                return false;
        } else {
            if (!part.Create(static_cast<DWORD>(w), static_cast<DWORD>(h), 8, 0))
                return false;
            part.SetGrayPalette();
            part.Clear(128);
        }
        if (static_cast<long>(part.GetWidth()) != w || static_cast<long>(part.GetHeight()) != h)
            return part.ScaleTo(w, h, 0, nullptr);
        return true;
    };
    CDibImage re, im;
    if (!prepare(hasReal ? srcReal : nullptr, re) || !prepare(hasImag ? srcImag : nullptr, im)) {
        SetLastError(re.IsValid() ? im.GetLastErrorText() : re.GetLastErrorText());
        return false;
    }
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::vector<double> real(count), imag(count);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) {
            real[static_cast<size_t>(y * w + x)] = re.GetPixelIndexUnchecked(x, y) - 128.0;
            imag[static_cast<size_t>(y * w + x)] = im.GetPixelIndexUnchecked(x, y) - 128.0;
        }
    const long longest = std::max(w, h);
    std::vector<double> lineR(static_cast<size_t>(longest)), lineI(static_cast<size_t>(longest)),
        workR(static_cast<size_t>(longest)), workI(static_cast<size_t>(longest));
    for (long y = 0; y < h; ++y) {
        m_info.progress = 50 * y / h;
        TransformLine(direction, w, &real[static_cast<size_t>(y * w)],
                      &imag[static_cast<size_t>(y * w)], workR.data(), workI.data());
    }
    for (long x = 0; x < w; ++x) {
        m_info.progress = 50 + 50 * x / w;
        for (long y = 0; y < h; ++y) {
            lineR[static_cast<size_t>(y)] = real[static_cast<size_t>(y * w + x)];
            lineI[static_cast<size_t>(y)] = imag[static_cast<size_t>(y * w + x)];
        }
        TransformLine(direction, h, lineR.data(), lineI.data(), workR.data(), workI.data());
        for (long y = 0; y < h; ++y) {
            real[static_cast<size_t>(y * w + x)] = lineR[static_cast<size_t>(y)];
            imag[static_cast<size_t>(y * w + x)] = lineI[static_cast<size_t>(y)];
        }
    }

    double maxLog = 0;
    if (magnitude)
        for (size_t i = 0; i < count; ++i)
            maxLog = std::max(maxLog, std::log1p(std::hypot(real[i], imag[i])));
    auto output = [&](CDibImage* dst, bool second) {
        if (!dst)
            return true;
        CDibImage out(static_cast<DWORD>(w), static_cast<DWORD>(h), 8, 0);
        if (!out.IsValid()) {
            SetLastError(out.GetLastErrorText());
            return false;
        }
        out.SetGrayPalette();
        for (long y = 0; y < h; ++y) {
            BYTE* row = out.GetBits(static_cast<DWORD>(y));
            for (long x = 0; x < w; ++x) {
                const double r = real[static_cast<size_t>(y * w + x)];
                const double i = imag[static_cast<size_t>(y * w + x)];
                double v;
                if (magnitude)
                    v = second ? (std::atan2(i, r) + kTwoPi / 2) * 255.0 / kTwoPi
                               : (maxLog > 0 ? std::log1p(std::hypot(r, i)) * 255.0 / maxLog : 0);
                else
                    v = (second ? i : r) + 128.0;
                // Rounded: a zero that comes out as -1e-15 must not become -1.
                row[x] = ClampByteF(std::floor(v + 0.5));
            }
        }
        return dst->TransferFrom(out);
    };
    return output(dstReal, false) && output(dstImag, true);
}

// ---- flood fill

bool CDibImage::FloodFill(long x, long y, RGBQUAD colour, BYTE tolerance, BYTE opacity,
                          bool selectFilled, BYTE selectionLevel) {
    if (!m_dib)
        return false;
    if (!IsInside(x, y) || !SelectionIsInsideUnchecked(x, y))
        return true;
    // A colour palette cannot hold mixed or near colours: fill at 24 bits and come back.
    const bool raise = HasPalette() && !IsGrayScale() && (tolerance != 0 || opacity != 255);
    CDibImage* target = this;
    CDibImage raised;
    if (raise) {
        raised.Copy(*this, true, true, true);
        if (!raised.IsValid() || !raised.IncreaseBpp(24)) {
            SetLastError(raised.GetLastErrorText());
            return false;
        }
        target = &raised;
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const bool indexed = target->HasPalette();
    const BYTE startIndex = indexed ? target->GetPixelIndexUnchecked(x, y) : 0;
    const RGBQUAD start = target->GetPixelColorUnchecked(x, y, false);
    const BYTE fillIndex = indexed ? target->GetNearestIndex(colour) : 0;
    auto matches = [&](long px, long py) {
        if (indexed)
            return std::abs(target->GetPixelIndexUnchecked(px, py) - startIndex) <= tolerance;
        const RGBQUAD c = target->GetPixelColorUnchecked(px, py, false);
        return std::abs(c.rgbRed - start.rgbRed) <= tolerance &&
               std::abs(c.rgbGreen - start.rgbGreen) <= tolerance &&
               std::abs(c.rgbBlue - start.rgbBlue) <= tolerance;
    };

    // Find the region first, so that painting cannot change what matches.
    std::vector<BYTE> visited(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    std::vector<POINT> region;
    std::deque<POINT> pending;
    pending.push_back(POINT{static_cast<LONG>(x), static_cast<LONG>(y)});
    visited[static_cast<size_t>(y) * w + x] = 1;
    while (!pending.empty()) {
        const POINT p = pending.front();
        pending.pop_front();
        region.push_back(p);
        const POINT next[4] = {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}};
        for (const POINT& n : next) {
            if (n.x < 0 || n.y < 0 || n.x >= w || n.y >= h)
                continue;
            BYTE& seen = visited[static_cast<size_t>(n.y) * w + n.x];
            if (seen || !SelectionIsInsideUnchecked(n.x, n.y) || !matches(n.x, n.y))
                continue;
            seen = 1;
            pending.push_back(n);
        }
    }

    if (opacity != 0) {
        for (const POINT& p : region) {
            if (indexed) {
                BYTE index = fillIndex;
                if (opacity != 255)
                    index = static_cast<BYTE>(
                        (target->GetPixelIndexUnchecked(p.x, p.y) * (255 - opacity) +
                         fillIndex * opacity) >>
                        8);
                target->SetPixelIndexUnchecked(p.x, p.y, index);
            } else {
                RGBQUAD c = colour;
                if (opacity != 255) {
                    const RGBQUAD old = target->GetPixelColorUnchecked(p.x, p.y, false);
                    c.rgbRed = static_cast<BYTE>(
                        (old.rgbRed * (255 - opacity) + colour.rgbRed * opacity) >> 8);
                    c.rgbGreen = static_cast<BYTE>(
                        (old.rgbGreen * (255 - opacity) + colour.rgbGreen * opacity) >> 8);
                    c.rgbBlue = static_cast<BYTE>(
                        (old.rgbBlue * (255 - opacity) + colour.rgbBlue * opacity) >> 8);
                }
                target->SetPixelColorUnchecked(p.x, p.y, c, false);
            }
        }
        if (raise) {
            raised.DecreaseBpp(GetBpp(), false, GetPalette(), 0);
            // The picture keeps its own selection and alpha; only the pixels change.
            std::memcpy(m_info.bits, raised.GetBits(), m_header.biSizeImage);
        }
    }
    if (selectFilled) {
        if (!m_selection && !SelectionCreate())
            return false;
        for (const POINT& p : region)
            SelectionSetAt(p.x, p.y, selectionLevel);
        SelectionRebuildBox();
    }
    return true;
}
