// Point adjustments, small neighbourhood filters and blurs.
//
// Every operation works on the selection box when the picture has a selection, else on the whole
// picture, and changes only the pixels the selection contains.
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

// A random value in -0.5 .. 0.5 from the C library's generator (its range is RAND_MAX, which is
// far above 32767 on this platform).
float RandomHalf() {
    return static_cast<float>(std::rand()) / static_cast<float>(RAND_MAX) - 0.5f;
}

} // namespace

// ---- per-pixel adjustments

bool CDibImage::OffsetChannels(long red, long green, long blue) {
    if (!m_dib)
        return false;
    auto shift = [&](RGBQUAD c) {
        c.rgbRed = ClampByte(c.rgbRed + red);
        c.rgbGreen = ClampByte(c.rgbGreen + green);
        c.rgbBlue = ClampByte(c.rgbBlue + blue);
        return c;
    };
    if (HasPalette()) {
        RGBQUAD* pal = GetPalette();
        for (DWORD i = 0; i < GetNumColors(); ++i)
            pal[i] = shift(pal[i]);
        m_info.nearestValid = false;
        return true;
    }
    ForEachSelectedPixel([&](long x, long y) {
        SetPixelColorUnchecked(x, y, shift(GetPixelColorUnchecked(x, y, false)), false);
    });
    return true;
}

namespace {

void GammaTable(float gamma, BYTE* table) {
    const double exponent = 1.0 / gamma;
    const double scale = std::pow(255.0, exponent) / 255.0;
    for (int i = 0; i < 256; ++i) {
        const double v = std::pow(static_cast<double>(i), exponent) / scale;
        table[i] = ClampByteF(v);
    }
}

} // namespace

bool CDibImage::ApplyGamma(float gamma) {
    if (!m_dib || !(gamma > 0))
        return false;
    BYTE table[256];
    GammaTable(gamma, table);
    return ApplyLut(table);
}

bool CDibImage::ApplyGammaRgb(float red, float green, float blue) {
    if (!m_dib || !(red > 0) || !(green > 0) || !(blue > 0))
        return false;
    BYTE r[256], g[256], b[256];
    GammaTable(red, r);
    GammaTable(green, g);
    GammaTable(blue, b);
    return ApplyLutChannels(r, g, b, nullptr);
}

bool CDibImage::ApplyLutChannels(const BYTE* red, const BYTE* green, const BYTE* blue,
                                 const BYTE* alpha) {
    if (!m_dib || !red || !green || !blue)
        return false;
    if (HasPalette()) {
        const bool gray = IsGrayScale();
        RGBQUAD* pal = GetPalette();
        for (DWORD i = 0; i < GetNumColors(); ++i) {
            pal[i].rgbRed = red[pal[i].rgbRed];
            pal[i].rgbGreen = green[pal[i].rgbGreen];
            pal[i].rgbBlue = blue[pal[i].rgbBlue];
        }
        m_info.nearestValid = false;
        if (gray)
            ConvertToGray();
        return true;
    }
    return ForEachSelectedPixel([&](long x, long y) {
        BYTE* p = m_info.bits + static_cast<size_t>(y) * m_info.rowStride + 3 * x;
        p[0] = blue[p[0]];
        p[1] = green[p[1]];
        p[2] = red[p[2]];
        if (alpha && m_alpha) {
            BYTE& a = m_alpha[x + y * static_cast<long>(GetWidth())];
            a = alpha[a];
        }
    });
}

bool CDibImage::Solarize(BYTE level, bool linkChannels) {
    if (!m_dib)
        return false;
    auto solarize = [&](RGBQUAD c) {
        if (linkChannels) {
            if (GrayLevel(c.rgbBlue, c.rgbGreen, c.rgbRed) > level) {
                c.rgbRed = static_cast<BYTE>(255 - c.rgbRed);
                c.rgbGreen = static_cast<BYTE>(255 - c.rgbGreen);
                c.rgbBlue = static_cast<BYTE>(255 - c.rgbBlue);
            }
        } else {
            if (c.rgbRed > level)
                c.rgbRed = static_cast<BYTE>(255 - c.rgbRed);
            if (c.rgbGreen > level)
                c.rgbGreen = static_cast<BYTE>(255 - c.rgbGreen);
            if (c.rgbBlue > level)
                c.rgbBlue = static_cast<BYTE>(255 - c.rgbBlue);
        }
        return c;
    };
    if (HasPalette()) {
        RGBQUAD* pal = GetPalette();
        for (DWORD i = 0; i < GetNumColors(); ++i)
            pal[i] = solarize(pal[i]);
        m_info.nearestValid = false;
        return true;
    }
    ForEachSelectedPixel([&](long x, long y) {
        SetPixelColorUnchecked(x, y, solarize(GetPixelColorUnchecked(x, y, false)), false);
    });
    return true;
}

bool CDibImage::AddNoise(long level) {
    if (!m_dib)
        return false;
    ForEachSelectedPixel([&](long x, long y) {
        RGBQUAD c = GetPixelColorUnchecked(x, y, false);
        c.rgbRed = ClampByte(c.rgbRed + static_cast<long>(RandomHalf() * level));
        c.rgbGreen = ClampByte(c.rgbGreen + static_cast<long>(RandomHalf() * level));
        c.rgbBlue = ClampByte(c.rgbBlue + static_cast<long>(RandomHalf() * level));
        SetPixelColorUnchecked(x, y, c, false);
    });
    return true;
}

bool CDibImage::ReduceRedEye(float strength) {
    if (!m_dib)
        return false;
    ForEachSelectedPixel([&](long x, long y) {
        RGBQUAD c = GetPixelColorUnchecked(x, y, false);
        c.rgbRed =
            ClampByteF((1 - strength) * c.rgbRed + strength * std::min(c.rgbGreen, c.rgbBlue));
        SetPixelColorUnchecked(x, y, c, false);
    });
    return true;
}

bool CDibImage::PaintByGrayLevel(BYTE level, bool upper, RGBQUAD colour, bool setAlpha) {
    if (!m_dib)
        return false;
    if (GetBpp() == 1)
        return true;
    CDibImage gray(*this, true, false, false);
    if (!gray.IsValid() || !gray.ConvertToGray()) {
        SetLastError(gray.GetLastErrorText());
        return false;
    }
    ForEachSelectedPixel([&](long x, long y) {
        const BYTE g = gray.GetPixelIndexUnchecked(x, y);
        if (upper ? g >= level : g < level)
            SetPixelColorUnchecked(x, y, colour, setAlpha);
    });
    return true;
}

float CDibImage::MeanGrayLevel() {
    if (!m_dib)
        return 0;
    long xmin, xmax, ymin, ymax;
    GetWorkArea(xmin, xmax, ymin, ymax);
    if (xmin >= xmax || ymin >= ymax)
        return 0;
    CDibImage gray(*this, true, false, false);
    if (!gray.IsValid() || !gray.ConvertToGray())
        return 0;
    double sum = 0;
    for (long y = ymin; y < ymax; ++y)
        for (long x = xmin; x < xmax; ++x)
            sum += gray.GetPixelIndexUnchecked(x, y);
    return static_cast<float>(sum / (static_cast<double>(xmax - xmin) * (ymax - ymin)));
}

// ---- neighbourhood operations

bool CDibImage::NeighbourhoodOperation(long size, int kind) {
    if (!m_dib || size < 1)
        return false;
    // A window reaching past every border sees the whole picture; a larger one sees no more.
    size = std::min(size, 2 * static_cast<long>(std::max(GetWidth(), GetHeight())) + 1);
    const long k2 = size / 2, kmax = size - k2;
    CDibImage copy(*this, true, true, true);
    if (!copy.IsValid()) {
        SetLastError(copy.GetLastErrorText());
        return false;
    }
    ForEachSelectedPixel([&](long x, long y) {
        BYTE lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        const RGBQUAD centre = GetPixelColorUnchecked(x, y, false);
        const BYTE* cc = reinterpret_cast<const BYTE*>(&centre);
        long kept[3] = {0, 0, 0};
        for (long dy = -k2; dy < kmax; ++dy)
            for (long dx = -k2; dx < kmax; ++dx) {
                if (!IsInside(x + dx, y + dy))
                    continue;
                const RGBQUAD n = GetPixelColorUnchecked(x + dx, y + dy, false);
                const BYTE* nc = reinterpret_cast<const BYTE*>(&n);
                for (int c = 0; c < 3; ++c) {
                    lo[c] = std::min(lo[c], nc[c]);
                    hi[c] = std::max(hi[c], nc[c]);
                    kept[c] = std::max(kept[c], static_cast<long>(nc[c]) - cc[c]);
                }
            }
        RGBQUAD out;
        BYTE* oc = reinterpret_cast<BYTE*>(&out);
        for (int c = 0; c < 3; ++c) {
            switch (kind) {
            case 0:
                oc[c] = lo[c];
                break;
            case 1:
                oc[c] = hi[c];
                break;
            case 2:
                oc[c] = static_cast<BYTE>(255 - (hi[c] - lo[c]));
                break;
            default:
                oc[c] = static_cast<BYTE>(255 - kept[c]);
                break;
            }
        }
        out.rgbReserved = 0;
        copy.SetPixelColorUnchecked(x, y, out, false);
    });
    return TransferFrom(copy, true);
}

bool CDibImage::Erode(long size) {
    return NeighbourhoodOperation(size, 0);
}

bool CDibImage::Dilate(long size) {
    return NeighbourhoodOperation(size, 1);
}

bool CDibImage::RangeEdges(long size) {
    return NeighbourhoodOperation(size, 2);
}

bool CDibImage::ContourEdges() {
    return NeighbourhoodOperation(3, 3);
}

bool CDibImage::Jitter(long radius) {
    if (!m_dib)
        return false;
    // Offsets beyond the picture land outside it anyway.
    radius = std::clamp(radius, -static_cast<long>(std::max(GetWidth(), GetHeight())),
                        static_cast<long>(std::max(GetWidth(), GetHeight())));
    CDibImage copy(*this, true, true, true);
    if (!copy.IsValid()) {
        SetLastError(copy.GetLastErrorText());
        return false;
    }
    ForEachSelectedPixel([&](long x, long y) {
        const long sx = x + static_cast<long>(RandomHalf() * 2 * radius);
        const long sy = y + static_cast<long>(RandomHalf() * 2 * radius);
        if (!IsInside(sx, sy))
            return;
        if (HasPalette())
            copy.SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(sx, sy));
        else
            copy.SetPixelColorUnchecked(x, y, GetPixelColorUnchecked(sx, sy, false), false);
        if (m_alpha)
            copy.AlphaSetAt(x, y, AlphaGetAtUnchecked(sx, sy));
    });
    return TransferFrom(copy, true);
}

// ---- blurs

long CDibImage::MakeGaussianKernel(float radius, float** kernel) {
    if (!kernel)
        return 0;
    *kernel = nullptr;
    // A radius that is not a number, or one whose kernel could not be held, has no kernel.
    if (!(std::fabs(radius) < 1e6f))
        return 0;
    const double sigma = std::fabs(radius) * 0.5 + 0.25;
    const long half = static_cast<long>(std::ceil(2 * sigma - 0.5));
    const long length = std::max(1L, 2 * half + 1);
    float* k = static_cast<float*>(std::malloc(sizeof(float) * static_cast<size_t>(length)));
    *kernel = k;
    if (!k)
        return 0;
    const long centre = length / 2;
    auto g = [sigma](double x) { return std::exp(-x * x / (2 * sigma * sigma)); };
    double centreSum = 0;
    for (int i = 0; i <= 50; ++i)
        centreSum += g(-0.5 + 0.02 * i);
    k[centre] = static_cast<float>(centreSum / 51);
    for (long j = 1; j <= centre; ++j) {
        double sum = 0;
        for (int i = 0; i < 50; ++i)
            sum += g(j - 0.5 + 0.01 + 0.02 * i);
        k[centre + j] = k[centre - j] = static_cast<float>(sum / 50);
    }
    double total = 0;
    for (long i = 0; i < length; ++i)
        total += k[i];
    for (long i = 0; i < length; ++i)
        k[i] = static_cast<float>(k[i] / total);
    return length;
}

float* CDibImage::MakeKernelProductTable(const float* kernel, long length) {
    if (!kernel || length < 1)
        return nullptr;
    float* table =
        static_cast<float*>(std::malloc(sizeof(float) * 256 * static_cast<size_t>(length)));
    if (!table)
        return nullptr;
    for (long k = 0; k < length; ++k)
        for (int v = 0; v < 256; ++v)
            table[k * 256 + v] = static_cast<float>(v) * kernel[k];
    return table;
}

void CDibImage::BlurLine(const float* kernel, long length, const float* products,
                         const BYTE* source, BYTE* target, long count, long channels, long step) {
    const long half = length / 2;
    for (long i = 0; i < count; ++i) {
        const long first = std::max(0L, half - i), last = std::min(length, count - i + half);
        for (long c = 0; c < channels; ++c) {
            float sum = 0, used = 0;
            for (long k = first; k < last; ++k) {
                const BYTE v = source[(i + k - half) * step + c];
                sum += products ? products[k * 256 + v] : v * kernel[k];
                used += kernel[k];
            }
            // Near the ends only the kernel entries that fall inside the line count.
            target[i * step + c] = ClampByteF(used > 0 ? sum / used + 0.5f : 0);
        }
    }
}

bool CDibImage::GaussianBlur(float radius, CDibImage* out) {
    if (!m_dib)
        return false;
    // A colour palette cannot hold the in-between colours: blur at 24 bits and come back.
    CDibImage work(*this, true, true, true);
    if (!work.IsValid()) {
        SetLastError(work.GetLastErrorText());
        return false;
    }
    const bool raised = HasPalette() && !IsGrayScale();
    if (raised && !work.IncreaseBpp(24)) {
        SetLastError(work.GetLastErrorText());
        return false;
    }
    float* kernel = nullptr;
    const long length = MakeGaussianKernel(radius, &kernel);
    if (length < 1) {
        std::free(kernel);
        return false;
    }
    // The product table pays off for short kernels; a long one would cost 1 KB per entry.
    float* products = length <= 512 ? MakeKernelProductTable(kernel, length) : nullptr;
    const long w = static_cast<long>(work.GetWidth()), h = static_cast<long>(work.GetHeight());
    const long channels = work.GetBpp() == 24 ? 3 : 1;
    CDibImage temp(work, true, false, false);
    CDibImage blurred(work, true, false, false);
    if (!temp.IsValid() || !blurred.IsValid()) {
        std::free(kernel);
        std::free(products);
        SetLastError(temp.IsValid() ? blurred.GetLastErrorText() : temp.GetLastErrorText());
        return false;
    }
    for (long y = 0; y < h; ++y)
        BlurLine(kernel, length, products, temp.GetBits(static_cast<DWORD>(y)),
                 blurred.GetBits(static_cast<DWORD>(y)), w, channels, channels);
    std::vector<BYTE> column(static_cast<size_t>(h) * channels),
        result(static_cast<size_t>(h) * channels);
    for (long x = 0; x < w; ++x) {
        for (long y = 0; y < h; ++y)
            std::memcpy(&column[static_cast<size_t>(y * channels)],
                        blurred.GetBits(static_cast<DWORD>(y)) + x * channels,
                        static_cast<size_t>(channels));
        BlurLine(kernel, length, products, column.data(), result.data(), h, channels, channels);
        for (long y = 0; y < h; ++y)
            std::memcpy(temp.GetBits(static_cast<DWORD>(y)) + x * channels,
                        &result[static_cast<size_t>(y * channels)], static_cast<size_t>(channels));
    }
    std::free(kernel);
    std::free(products);

    // Only the selected pixels of the work area take the blurred values.
    long xmin, xmax, ymin, ymax;
    GetWorkArea(xmin, xmax, ymin, ymax);
    for (long y = ymin; y < ymax; ++y)
        for (long x = xmin; x < xmax; ++x)
            if (SelectionIsInsideUnchecked(x, y)) {
                if (work.HasPalette())
                    work.SetPixelIndexUnchecked(x, y, temp.GetPixelIndexUnchecked(x, y));
                else
                    work.SetPixelColorUnchecked(x, y, temp.GetPixelColorUnchecked(x, y, false),
                                                false);
            }
    if (raised)
        work.DecreaseBpp(GetBpp(), false, GetPalette(), 0);
    return (out ? out : this)->TransferFrom(work);
}

bool CDibImage::SelectiveBlur(float radius, BYTE threshold, CDibImage* out) {
    if (!m_dib)
        return false;
    CDibImage work(*this, true, true, true);
    CDibImage highPass(*this, true, false, false);
    if (!work.IsValid() || !highPass.IsValid()) {
        SetLastError(work.IsValid() ? highPass.GetLastErrorText() : work.GetLastErrorText());
        return false;
    }
    static const long kHighPass[9] = {-100, -100, -100, -100, 801, -100, -100, -100, -100};
    if (!highPass.Filter(kHighPass, 3, 800, 128))
        return false;
    const long lo = std::max(0L, 128L - threshold), hi = std::min(255L, 128L + threshold);
    if (!work.SelectionIsValid() && !(work.SelectionCreate() && work.SelectionClear(255)))
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) {
            const RGBQUAD c = highPass.GetPixelColorUnchecked(x, y, false);
            const bool flat = c.rgbRed >= lo && c.rgbRed <= hi && c.rgbGreen >= lo &&
                              c.rgbGreen <= hi && c.rgbBlue >= lo && c.rgbBlue <= hi;
            if (!flat)
                work.SelectionSetAt(x, y, 0);
        }
    work.SelectionRebuildBox();
    if (!work.GaussianBlur(radius, nullptr)) {
        SetLastError(work.GetLastErrorText());
        return false;
    }
    // The picture keeps its own selection.
    work.SelectionDelete();
    if (m_selection)
        work.SelectionCopy(*this);
    return (out ? out : this)->TransferFrom(work);
}

bool CDibImage::UnsharpMask(float radius, float amount, long threshold) {
    if (!m_dib)
        return false;
    const bool raised = HasPalette() && !IsGrayScale();
    CDibImage source(*this, true, true, true);
    if (!source.IsValid() || (raised && !source.IncreaseBpp(24))) {
        SetLastError(source.GetLastErrorText());
        return false;
    }
    CDibImage blurred;
    if (!source.GaussianBlur(radius, &blurred)) {
        SetLastError(source.GetLastErrorText());
        return false;
    }
    long xmin, xmax, ymin, ymax;
    GetWorkArea(xmin, xmax, ymin, ymax);
    const long bytes = source.GetBpp() == 24 ? 3 : 1;
    for (long y = ymin; y < ymax; ++y) {
        m_info.progress = 100 * (y - ymin) / (ymax - ymin);
        if (m_info.escape)
            break;
        BYTE* s = source.GetBits(static_cast<DWORD>(y));
        const BYTE* b = blurred.GetBits(static_cast<DWORD>(y));
        for (long x = xmin; x < xmax; ++x) {
            if (!SelectionIsInsideUnchecked(x, y))
                continue;
            for (long c = 0; c < bytes; ++c) {
                const long i = x * bytes + c;
                const long diff = static_cast<long>(s[i]) - b[i];
                if (std::labs(diff) >= threshold)
                    s[i] = ClampByteF(static_cast<float>(s[i]) + amount * static_cast<float>(diff));
            }
        }
    }
    if (raised)
        source.DecreaseBpp(GetBpp(), false, GetPalette(), 0);
    return TransferFrom(source);
}

void CDibImage::RampStepsLine(const BYTE* line, const BYTE* neighbour, BYTE* target, long count,
                              long channels, long step, BYTE threshold, BYTE decay, BYTE maxDepth) {
    const long depthCap = maxDepth ? maxDepth : 1;
    for (long c = 0; c < channels; ++c)
        for (long i = 1; i + 1 < count; ++i) {
            const long before = line[(i - 1) * step + c], here = line[i * step + c];
            if (here - before <= threshold)
                continue;
            // The neighbouring line still holds the low value here and steps one place further.
            const long low = neighbour[i * step + c];
            if (neighbour[(i + 1) * step + c] - low <= threshold)
                continue;
            // Measure the run of the line that continues the step (values near the high level).
            long run = 1;
            while (i + run < count && std::labs(line[(i + run) * step + c] - here) <= threshold)
                ++run;
            long depth = decay ? run / decay : run;
            if (decay >= 2)
                ++depth;
            depth = std::clamp(depth, 1L, depthCap);
            const long high = neighbour[(i + 1) * step + c];
            for (long k = 0; k < depth && i + 1 - k - 1 >= 0; ++k) {
                // A linear ramp from the low to the high value ending at the step.
                const long pos = i - k;
                target[pos * step + c] =
                    static_cast<BYTE>(low + (high - low) * (depth - k) / (depth + 1));
            }
        }
}

bool CDibImage::RampSteps(BYTE threshold, BYTE decay, BYTE maxDepth, bool horizontal, bool vertical,
                          CDibImage* out) {
    if (!m_dib)
        return false;
    CDibImage work(*this, true, true, true);
    // Colour palettes (every depth below 8 among them) are worked at 24 bits.
    if (!work.IsValid() || (HasPalette() && !IsGrayScale() && !work.IncreaseBpp(24))) {
        SetLastError(work.GetLastErrorText());
        return false;
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const long channels = work.GetBpp() == 24 ? 3 : 1;
    if (horizontal) {
        CDibImage source(work, true, false, false);
        for (long y = 0; y + 1 < h; ++y)
            RampStepsLine(source.GetBits(static_cast<DWORD>(y)),
                          source.GetBits(static_cast<DWORD>(y + 1)),
                          work.GetBits(static_cast<DWORD>(y + 1)), w, channels, channels, threshold,
                          decay, maxDepth);
    }
    if (vertical) {
        CDibImage source(work, true, false, false);
        const long stride = static_cast<long>(work.GetRowStride());
        for (long x = 0; x + 1 < w; ++x)
            RampStepsLine(source.GetBits() + x * channels, source.GetBits() + (x + 1) * channels,
                          work.GetBits() + (x + 1) * channels, h, channels, stride, threshold,
                          decay, maxDepth);
    }
    if (work.GetBpp() != GetBpp())
        work.DecreaseBpp(GetBpp(), false, GetPalette(), 0);
    return (out ? out : this)->TransferFrom(work);
}
