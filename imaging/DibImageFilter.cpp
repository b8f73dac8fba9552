// Brightness, convolution, median and threshold operations.
//
// The neighbourhood operations work on the selection box when the picture has a selection, else
// on the whole picture, and change only the pixels the selection contains; they read this image
// and write a working copy that replaces it at the end.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imaging/DibClamp.h"
#include "imaging/DibImage.h"

namespace {

using dibimage::ClampByte;
using dibimage::ClampByteF;

// The middle of nine distinct values (a fixed network of 19 compare-exchanges).
unsigned long long MedianOfNine(unsigned long long* p) {
    auto sort = [p](int a, int b) {
        if (p[a] > p[b])
            std::swap(p[a], p[b]);
    };
    sort(1, 2), sort(4, 5), sort(7, 8), sort(0, 1), sort(3, 4), sort(6, 7);
    sort(1, 2), sort(4, 5), sort(7, 8), sort(0, 3), sort(5, 8), sort(4, 7);
    sort(3, 6), sort(1, 4), sort(2, 5), sort(4, 7), sort(4, 2), sort(6, 4);
    sort(4, 2);
    return p[4];
}

} // namespace

void CDibImage::GetWorkArea(long& xmin, long& xmax, long& ymin, long& ymax) const {
    if (m_selection) {
        xmin = std::max(0L, static_cast<long>(m_info.selectionBox.left));
        xmax =
            std::min(static_cast<long>(GetWidth()), static_cast<long>(m_info.selectionBox.right));
        ymin = std::max(0L, static_cast<long>(m_info.selectionBox.bottom));
        ymax = std::min(static_cast<long>(GetHeight()), static_cast<long>(m_info.selectionBox.top));
    } else {
        xmin = 0;
        xmax = static_cast<long>(GetWidth());
        ymin = 0;
        ymax = static_cast<long>(GetHeight());
    }
}

bool CDibImage::Light(long brightness, long contrast) {
    if (!m_dib)
        return false;
    const float factor = static_cast<float>(100 + contrast) * 0.01f;
    BYTE table[256];
    for (int i = 0; i < 256; ++i) {
        const float v =
            static_cast<float>(i - 128) * factor + static_cast<float>(brightness + 128) + 0.5f;
        table[i] = ClampByteF(v);
    }
    return ApplyLut(table);
}

bool CDibImage::ApplyLut(const BYTE* table) {
    if (!m_dib || !table)
        return false;
    const RECT& box = m_info.selectionBox;
    if (HasPalette()) {
        if (m_selection && GetBpp() == 8 && IsGrayScale()) {
            if (box.right <= box.left || box.top <= box.bottom)
                return false;
            for (long y = box.bottom; y < box.top; ++y) {
                m_info.progress =
                    static_cast<long>((y - box.bottom) * (100.0 / (box.top - box.bottom)));
                for (long x = box.left; x < box.right; ++x)
                    if (SelectionIsInsideUnchecked(x, y))
                        SetPixelIndexUnchecked(x, y, table[GetPixelIndexUnchecked(x, y)]);
            }
            return true;
        }
        return ApplyLutChannels(table, table, table, nullptr); // maps the palette
    }
    if (!m_selection) {
        BYTE* p = m_info.bits;
        for (DWORD i = 0; i < m_header.biSizeImage; ++i)
            p[i] = table[p[i]];
        return true;
    }
    if (box.right <= box.left || box.top <= box.bottom)
        return false;
    for (long y = box.bottom; y < box.top; ++y) {
        m_info.progress = static_cast<long>((y - box.bottom) * (100.0 / (box.top - box.bottom)));
        for (long x = box.left; x < box.right; ++x) {
            if (!SelectionIsInsideUnchecked(x, y))
                continue;
            RGBQUAD c = GetPixelColorUnchecked(x, y, false);
            c.rgbRed = table[c.rgbRed];
            c.rgbGreen = table[c.rgbGreen];
            c.rgbBlue = table[c.rgbBlue];
            SetPixelColorUnchecked(x, y, c, false);
        }
    }
    return true;
}

bool CDibImage::Filter(const long* kernel, long size, long divisor, long offset) {
    if (!m_dib || !kernel || size < 1)
        return false;
    const long k2 = size / 2, kmax = size - k2;
    CDibImage copy(*this, true, true, true);
    if (!copy.IsValid()) {
        SetLastError(copy.GetLastErrorText());
        return false;
    }
    long long total = 0;
    for (long i = 0; i < size * size; ++i)
        total += kernel[i];

    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    long xmin, xmax, ymin, ymax;
    GetWorkArea(xmin, xmax, ymin, ymax);
    const bool gray = GetBpp() == 8 && IsGrayScale();
    const bool trueColour = GetBpp() == 24;
    const DWORD stride = GetRowStride();

    auto result = [&](long long sum, long long used) -> BYTE {
        long long v;
        if (divisor == 0 || used == 0)
            v = sum + offset;
        else if (used == total)
            v = sum / divisor + offset;
        else
            v = (sum * total) / (used * divisor) + offset;
        return ClampByte(v);
    };

    for (long y = ymin; y < ymax; ++y) {
        m_info.progress = 100 * (y - ymin) / (ymax - ymin);
        if (m_info.escape)
            break;
        const long dyLow = std::max(-k2, -y), dyHigh = std::min(kmax - 1, h - 1 - y);
        for (long x = xmin; x < xmax; ++x) {
            if (!SelectionIsInsideUnchecked(x, y))
                continue;
            const long dxLow = std::max(-k2, -x), dxHigh = std::min(kmax - 1, w - 1 - x);
            long long r = 0, g = 0, b = 0, used = 0;
            for (long dy = dyLow; dy <= dyHigh; ++dy) {
                const long* weights = kernel + (dy + k2) * size + k2;
                const BYTE* row = m_info.bits + static_cast<size_t>(y + dy) * stride;
                for (long dx = dxLow; dx <= dxHigh; ++dx) {
                    const long k = weights[dx];
                    used += k;
                    if (gray) {
                        b += static_cast<long long>(k) * row[x + dx];
                    } else if (trueColour) {
                        const BYTE* p = row + 3 * (x + dx);
                        b += static_cast<long long>(k) * p[0];
                        g += static_cast<long long>(k) * p[1];
                        r += static_cast<long long>(k) * p[2];
                    } else {
                        RGBQUAD c = GetPixelColorUnchecked(x + dx, y + dy, false);
                        b += static_cast<long long>(k) * c.rgbBlue;
                        g += static_cast<long long>(k) * c.rgbGreen;
                        r += static_cast<long long>(k) * c.rgbRed;
                    }
                }
            }
            if (gray) {
                copy.m_info.bits[static_cast<size_t>(y) * stride + x] = result(b, used);
            } else {
                RGBQUAD c{result(b, used), result(g, used), result(r, used), 0};
                copy.SetPixelColorUnchecked(x, y, c, false);
            }
        }
    }
    return TransferFrom(copy, true);
}

bool CDibImage::Median(long size) {
    // A neighbourhood of no pixels has no median.
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
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    // Every pixel's gray level once, instead of once per neighbourhood it belongs to.
    std::vector<BYTE> grays(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (long y = 0; y < h; ++y) {
        BYTE* g = grays.data() + static_cast<size_t>(y) * w;
        if (GetBpp() == 24) {
            const BYTE* p = GetBits(static_cast<DWORD>(y));
            for (long x = 0; x < w; ++x, p += 3)
                g[x] = GrayLevel(p[0], p[1], p[2]);
        } else {
            for (long x = 0; x < w; ++x) {
                RGBQUAD c = GetPixelColorUnchecked(x, y, false);
                g[x] = GrayLevel(c.rgbBlue, c.rgbGreen, c.rgbRed);
            }
        }
    }
    // Sort keys: gray level above, collection index below, so equal grays keep the order in
    // which they were collected and the chosen colour is the same on every C library.
    const size_t area = static_cast<size_t>(size) * static_cast<size_t>(size);
    std::vector<unsigned long long> keys(area);
    std::vector<size_t> where(area);

    long xmin, xmax, ymin, ymax;
    GetWorkArea(xmin, xmax, ymin, ymax);
    for (long y = ymin; y < ymax; ++y) {
        m_info.progress = 100 * (y - ymin) / (ymax - ymin);
        if (m_info.escape)
            break;
        const long dyLow = std::max(-k2, -y), dyHigh = std::min(kmax - 1, h - 1 - y);
        for (long x = xmin; x < xmax; ++x) {
            if (!SelectionIsInsideUnchecked(x, y))
                continue;
            const long dxLow = std::max(-k2, -x), dxHigh = std::min(kmax - 1, w - 1 - x);
            size_t chosen;
            if (size == 3 && dxLow == -1 && dxHigh == 1 && dyLow == -1 && dyHigh == 1) {
                // A full 3 x 3 window: the fifth of nine distinct keys by a selection network.
                unsigned long long p[9];
                size_t n = 0;
                for (long dx = -1; dx <= 1; ++dx)
                    for (long dy = -1; dy <= 1; ++dy, ++n) {
                        where[n] = static_cast<size_t>(y + dy) * w + (x + dx);
                        p[n] = (static_cast<unsigned long long>(grays[where[n]]) << 32) | n;
                    }
                chosen = where[MedianOfNine(p) & 0xFFFFFFFFull];
            } else {
                size_t n = 0;
                for (long dx = dxLow; dx <= dxHigh; ++dx)
                    for (long dy = dyLow; dy <= dyHigh; ++dy) {
                        const size_t at = static_cast<size_t>(y + dy) * w + (x + dx);
                        const unsigned long long key =
                            (static_cast<unsigned long long>(grays[at]) << 32) | n;
                        where[n] = at;
                        size_t i = n++;
                        while (i > 0 && keys[i - 1] > key) {
                            keys[i] = keys[i - 1];
                            --i;
                        }
                        keys[i] = key;
                    }
                chosen = where[keys[n / 2] & 0xFFFFFFFFull];
            }
            const long cx = static_cast<long>(chosen % w), cy = static_cast<long>(chosen / w);
            if (GetBpp() == 24)
                std::memcpy(copy.m_info.bits + static_cast<size_t>(y) * copy.m_info.rowStride +
                                3 * x,
                            m_info.bits + static_cast<size_t>(cy) * m_info.rowStride + 3 * cx, 3);
            else
                copy.SetPixelColorUnchecked(x, y, GetPixelColorUnchecked(cx, cy, true), false);
        }
    }
    return TransferFrom(copy, true);
}

long CDibImage::OptimalThreshold(long method, RECT* box, CDibImage* contrastMask) {
    if (!m_dib)
        return 0;
    if (GetBpp() != 8) {
        SetLastError("OptimalThreshold works only on 8 bit images");
        return -1;
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (contrastMask &&
        (!contrastMask->IsValid() || !contrastMask->IsGrayScale() ||
         contrastMask->GetWidth() != GetWidth() || contrastMask->GetHeight() != GetHeight())) {
        SetLastError("OptimalThreshold invalid ContrastMask");
        return -1;
    }
    long xmin = 0, xmax = w, ymin = 0, ymax = h;
    if (box) {
        xmin = std::max(0L, static_cast<long>(box->left));
        xmax = std::min(w, static_cast<long>(box->right));
        ymin = std::max(0L, static_cast<long>(box->bottom));
        ymax = std::min(h, static_cast<long>(box->top));
    }
    if (xmin >= xmax || ymin >= ymax)
        return -1;

    double counter[256] = {};
    for (long y = ymin; y < ymax; ++y) {
        const BYTE* row = GetBits(static_cast<DWORD>(y));
        const BYTE* mask = contrastMask ? contrastMask->GetBits(static_cast<DWORD>(y)) : nullptr;
        for (long x = xmin; x < xmax; ++x)
            if (!mask || mask[x])
                counter[row[x]] += 1;
    }
    int lo = 0, hi = 255;
    while (lo < 255 && counter[lo] == 0)
        ++lo;
    while (hi > 0 && counter[hi] == 0)
        --hi;
    if (lo > hi || counter[lo] == 0)
        return -1;
    if (lo == hi)
        return lo == 0 ? 0 : hi - 1;

    double N = 0, S1 = 0, S2 = 0;
    for (int i = lo; i <= hi; ++i) {
        N += counter[i];
        S1 += i * counter[i];
        S2 += static_cast<double>(i) * i * counter[i];
    }
    long candidate[5] = {-1, -1, -1, -1, -1};
    double best[5] = {};
    double w1 = 0, m1 = 0, q1 = 0;
    for (int t = lo; t < hi; ++t) {
        w1 += counter[t];
        m1 += t * counter[t];
        q1 += static_cast<double>(t) * t * counter[t];
        const double w2 = N - w1;
        if (w1 <= 0 || w2 <= 0)
            continue;
        const double var1 = q1 / w1 - (m1 * m1 / w1) / w1;
        const double var2 = (S2 - q1) / w2 - ((S1 - m1) * (S1 - m1) / w2) / w2;
        double score[5];
        bool scored[5] = {false, true, false, true, true};
        score[1] = -(var1 * w1 + var2 * w2);
        if (var1 > 0 && var2 > 0) {
            score[2] = w1 * std::log(w1 / std::sqrt(var1)) + w2 * std::log(w2 / std::sqrt(var2));
            scored[2] = true;
        }
        double e = 0;
        for (int i = lo; i <= t; ++i)
            if (counter[i] > 0)
                e -= (counter[i] / w1) * std::log(counter[i] / w1);
        for (int i = t + 1; i <= hi; ++i)
            if (counter[i] > 0)
                e -= (counter[i] / w2) * std::log(counter[i] / w2);
        score[3] = e;
        double B = 0, T = 0;
        for (int i = lo; i <= hi; ++i) {
            const double d2 = static_cast<double>(i - t) * (i - t) * counter[i];
            T += d2;
            B += i <= t ? d2 : -d2;
        }
        score[4] = T <= 0 ? 0 : -std::fabs(B / T);
        for (int m = 1; m <= 4; ++m)
            if (scored[m] && (candidate[m] < 0 || score[m] > best[m])) {
                candidate[m] = t;
                best[m] = score[m];
            }
    }
    long choice;
    if (method >= 1 && method <= 4) {
        choice = candidate[method];
    } else {
        long sum = 0, count = 0;
        for (int m = 1; m <= 4; ++m)
            if (candidate[m] >= 0) {
                sum += candidate[m];
                ++count;
            }
        choice = count ? sum / count : (lo + hi) / 2;
    }
    return (lo < choice && choice < hi) ? choice : (lo + hi) / 2;
}

bool CDibImage::AdaptiveThreshold(long method, long boxSize, CDibImage* contrastMask, long bias,
                                  float globalLocalBalance) {
    if (!m_dib)
        return false;
    if (contrastMask &&
        (!contrastMask->IsValid() || !contrastMask->IsGrayScale() ||
         contrastMask->GetWidth() != GetWidth() || contrastMask->GetHeight() != GetHeight())) {
        SetLastError("AdaptiveThreshold invalid ContrastMask");
        return false;
    }
    if (boxSize < 8)
        boxSize = 8;
    // A box larger than the picture is one box over all of it; capping it keeps the enlarged
    // threshold map (boxes x boxSize) from outgrowing memory.
    boxSize = std::min(
        boxSize, std::max({8L, static_cast<long>(GetWidth()), static_cast<long>(GetHeight())}));
    if (!(globalLocalBalance >= 0))
        globalLocalBalance = 0;
    if (globalLocalBalance > 1)
        globalLocalBalance = 1;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const long mw = (w + boxSize - 1) / boxSize, mh = (h + boxSize - 1) / boxSize;
    CDibImage map(static_cast<DWORD>(mw), static_cast<DWORD>(mh), 8, 0);
    if (!map.ConvertToGray()) {
        SetLastError(map.GetLastErrorText());
        return false;
    }
    if (!ConvertToGray())
        return false;
    const long global = OptimalThreshold(method, nullptr, contrastMask);
    if (global < 0)
        return false;
    for (long my = 0; my < mh && !m_info.escape; ++my)
        for (long mx = 0; mx < mw; ++mx) {
            m_info.progress = 100 * (my * mw + mx) / (mw * mh);
            if (m_info.escape)
                break;
            RECT box{static_cast<LONG>(mx * boxSize), static_cast<LONG>((my + 1) * boxSize),
                     static_cast<LONG>((mx + 1) * boxSize), static_cast<LONG>(my * boxSize)};
            const long local = OptimalThreshold(method, &box, contrastMask);
            if (local < 0)
                return false;
            float v = (1 - globalLocalBalance) * local + globalLocalBalance * global + bias;
            v = std::clamp(v, 0.0f, 255.0f);
            map.SetPixelIndex(mx, my, static_cast<BYTE>(v));
        }
    // The boxes lie from stored row 0 upward, so the scaled map's stored rows 0 to h - 1 are the
    // ones that belong to the picture's rows; the cut counts its rows from the top.
    const long mapHeight = mh * boxSize;
    map.ScaleTo(mw * boxSize, mapHeight, 0, nullptr);
    map.ExtractRect(0, mapHeight - h, w, mapHeight, nullptr);
    return ThresholdByMask(&map);
}

bool CDibImage::ThresholdByMask(CDibImage* mask) {
    if (!m_dib)
        return false;
    if (GetBpp() == 1)
        return true;
    if (!mask)
        return false;
    if (!mask->IsValid() || !mask->IsGrayScale() || mask->GetWidth() != GetWidth() ||
        mask->GetHeight() != GetHeight()) {
        SetLastError("invalid ThresholdMask");
        return false;
    }
    if (!ConvertToGray())
        return false;
    // The picture keeps its resolution and codec settings through the change of depth.
    CDibImage binary;
    binary.CopyAttributes(*this);
    binary.m_info.keyIndex = -1;
    if (!binary.Create(GetWidth(), GetHeight(), 1, 0)) {
        SetLastError(binary.GetLastErrorText());
        return false;
    }
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long y = 0; y < h; ++y) {
        m_info.progress = 100 * y / h;
        if (m_info.escape)
            break;
        for (long x = 0; x < w; ++x)
            binary.SetPixelIndexUnchecked(
                x, y, GetPixelIndexUnchecked(x, y) > mask->GetPixelIndexUnchecked(x, y) ? 1 : 0);
    }
    binary.SetPaletteColor(0, RGBQUAD{0, 0, 0, 0});
    binary.SetPaletteColor(1, RGBQUAD{255, 255, 255, 0});
    return TransferFrom(binary, true);
}
