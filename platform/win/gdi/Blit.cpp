// Bitmaps, DIB conversion and blits.
#include "gdi/GdiPriv.h"
#include "platform/win/gdi/GdiQt.h"

#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>

using namespace ms::gdi;

namespace {

constexpr long long kMaxPixels = 1LL << 28; // 16384 x 16384; beyond that nothing is made

int Stride(int width, int bpp) {
    return ((width * bpp + 31) / 32) * 4;
}

// What a BITMAPINFO describes, checked: a supported layout with sizes that fit.
struct DibLayout {
    int width = 0, height = 0, bpp = 0, stride = 0;
    bool bottomUp = true;
    std::vector<QRgb> palette;
    bool ok = false;
};

DibLayout Describe(const BITMAPINFO* bmi, UINT usage) {
    DibLayout d;
    if (!bmi || bmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || usage != DIB_RGB_COLORS)
        return d;
    const BITMAPINFOHEADER& h = bmi->bmiHeader;
    d.width = h.biWidth;
    d.bottomUp = h.biHeight > 0;
    const long long height = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
    d.bpp = h.biBitCount;
    if (d.width <= 0 || height <= 0 || height > std::numeric_limits<int>::max() ||
        static_cast<long long>(d.width) * height > kMaxPixels)
        return d;
    d.height = static_cast<int>(height);
    const bool fields = h.biCompression == BI_BITFIELDS;
    if (h.biCompression != BI_RGB && !fields)
        return d;
    switch (d.bpp) {
    case 1:
    case 4:
    case 8: {
        if (fields)
            return d;
        const DWORD max = 1u << d.bpp;
        const DWORD n = h.biClrUsed ? std::min<DWORD>(h.biClrUsed, max) : max;
        const auto* colors =
            reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(bmi) + h.biSize);
        d.palette.resize(max, 0xFF000000u);
        for (DWORD i = 0; i < n; ++i)
            d.palette[i] = qRgb(colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue);
        break;
    }
    case 16:
    case 24:
        if (fields)
            return d;
        break;
    case 32:
        if (fields) {
            const auto* masks =
                reinterpret_cast<const DWORD*>(reinterpret_cast<const BYTE*>(bmi) + h.biSize);
            if (masks[0] != 0xFF0000u || masks[1] != 0xFF00u || masks[2] != 0xFFu)
                return d;
        }
        break;
    default:
        return d;
    }
    d.stride = Stride(d.width, d.bpp);
    d.ok = true;
    return d;
}

inline const BYTE* RowOf(const BYTE* bits, const DibLayout& d, int y) { // y counted from the top
    const int r = d.bottomUp ? d.height - 1 - y : y;
    return bits + static_cast<size_t>(r) * static_cast<size_t>(d.stride);
}

inline QRgb Fetch(const BYTE* row, int x, const DibLayout& d) {
    switch (d.bpp) {
    case 1:
        return d.palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4:
        return d.palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
    case 8:
        return d.palette[row[x]];
    case 16: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return qRgb((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
    }
    case 24: {
        const BYTE* p = row + 3 * x;
        return 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
    }
    default: {
        const BYTE* p = row + 4 * x;
        return 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
    }
    }
}

// Nearest palette entry, remembering the last answer (runs of one colour are common).
struct Nearest {
    const std::vector<QRgb>& pal;
    QRgb lastColor = 1;
    int lastIndex = 0;
    int operator()(QRgb c) {
        c |= 0xFF000000u;
        if (c == lastColor)
            return lastIndex;
        int best = 0;
        long bestD = std::numeric_limits<long>::max();
        for (size_t i = 0; i < pal.size(); ++i) {
            const long dr = qRed(c) - qRed(pal[i]), dg = qGreen(c) - qGreen(pal[i]),
                       db = qBlue(c) - qBlue(pal[i]);
            const long dist = dr * dr + dg * dg + db * db;
            if (dist < bestD) {
                bestD = dist;
                best = static_cast<int>(i);
                if (dist == 0)
                    break;
            }
        }
        lastColor = c;
        lastIndex = best;
        return best;
    }
};

void Store(BYTE* row, int x, QRgb c, const DibLayout& d, Nearest* nearest) {
    switch (d.bpp) {
    case 1: {
        const BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
        if ((*nearest)(c))
            row[x >> 3] |= bit;
        else
            row[x >> 3] &= static_cast<BYTE>(~bit);
        break;
    }
    case 4: {
        const int i = (*nearest)(c);
        BYTE& b = row[x >> 1];
        b = (x & 1) ? static_cast<BYTE>((b & 0xF0) | i) : static_cast<BYTE>((b & 0x0F) | (i << 4));
        break;
    }
    case 8:
        row[x] = static_cast<BYTE>((*nearest)(c));
        break;
    case 16: {
        const unsigned v = ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
        row[2 * x] = static_cast<BYTE>(v & 0xFF);
        row[2 * x + 1] = static_cast<BYTE>(v >> 8);
        break;
    }
    case 24:
        row[3 * x] = static_cast<BYTE>(qBlue(c));
        row[3 * x + 1] = static_cast<BYTE>(qGreen(c));
        row[3 * x + 2] = static_cast<BYTE>(qRed(c));
        break;
    default:
        row[4 * x] = static_cast<BYTE>(qBlue(c));
        row[4 * x + 1] = static_cast<BYTE>(qGreen(c));
        row[4 * x + 2] = static_cast<BYTE>(qRed(c));
        row[4 * x + 3] = 0;
        break;
    }
}

// The colour table GetDIBits writes for a paletted result.
std::vector<QRgb> StandardPalette(int bpp) {
    std::vector<QRgb> pal;
    if (bpp == 1) {
        pal = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    } else if (bpp == 4) {
        static const int vga[16][3] = {
            {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
            {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
            {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (const auto& c : vga)
            pal.push_back(qRgb(c[0], c[1], c[2]));
    } else {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    pal.push_back(qRgb(r * 51, g * 51, b * 51));
        for (int i = 0; i < 40; ++i) {
            const int v = (i + 1) * 255 / 41;
            pal.push_back(qRgb(v, v, v));
        }
    }
    return pal;
}

inline QRgb Rop3(DWORD rop, QRgb p, QRgb s, QRgb d) {
    const unsigned t = (rop >> 16) & 0xFFu;
    QRgb r;
    switch (t) {
    case 0xCC:
        r = s;
        break;
    case 0xF0:
        r = p;
        break;
    case 0x88:
        r = s & d;
        break;
    case 0xEE:
        r = s | d;
        break;
    case 0x66:
        r = s ^ d;
        break;
    case 0x55:
        r = ~d;
        break;
    case 0x5A:
        r = p ^ d;
        break;
    default:
        r = 0;
        for (unsigned i = 0; i < 8; ++i)
            if ((t >> i) & 1u)
                r |= ((i & 4u) ? p : ~p) & ((i & 2u) ? s : ~s) & ((i & 1u) ? d : ~d);
    }
    return 0xFF000000u | (r & 0xFFFFFFu);
}

inline bool UsesSource(DWORD rop) {
    const unsigned t = (rop >> 16) & 0xFFu;
    return ((t >> 2) & 0x33u) != (t & 0x33u);
}
inline bool UsesPattern(DWORD rop) {
    const unsigned t = (rop >> 16) & 0xFFu;
    return ((t >> 4) & 0x0Fu) != (t & 0x0Fu);
}

struct Mapping {
    int dx0 = 0, dy0 = 0, dw = 0, dh = 0; // the visible part of the destination
    std::vector<int> xs, ys;              // source column/row per visible column/row; -1: none
};

long long Abs(long long v) {
    return v < 0 ? -v : v;
}

// The part of a destination rectangle (either sign of width and height) inside vis.
QRect DestVisible(long long xDest, long long yDest, long long wDest, long long hDest,
                  const QRect& vis) {
    const long long fx0 = std::min(xDest, xDest + wDest), fy0 = std::min(yDest, yDest + hDest);
    const long long vx0 = std::max<long long>(fx0, vis.left());
    const long long vx1 = std::min<long long>(fx0 + Abs(wDest), vis.right() + 1LL);
    const long long vy0 = std::max<long long>(fy0, vis.top());
    const long long vy1 = std::min<long long>(fy0 + Abs(hDest), vis.bottom() + 1LL);
    if (vx0 >= vx1 || vy0 >= vy1)
        return QRect();
    return QRect(static_cast<int>(vx0), static_cast<int>(vy0), static_cast<int>(vx1 - vx0),
                 static_cast<int>(vy1 - vy0));
}

// Nearest-neighbour mapping of a destination rectangle onto a source rectangle; a sign
// difference between the two widths (heights) mirrors (flips) the picture. Only the part of
// the destination inside vis is mapped, so huge or far-away rectangles cost nothing.
Mapping Map(long long xDest, long long yDest, long long wDest, long long hDest, long long sx0,
            long long sy0, long long sw, long long sh, bool mirror, bool flip, const QRect& vis) {
    Mapping m;
    const long long fx0 = std::min(xDest, xDest + wDest), fy0 = std::min(yDest, yDest + hDest);
    const long long fw = Abs(wDest), fh = Abs(hDest);
    const long long vx0 = std::max<long long>(fx0, vis.left());
    const long long vx1 = std::min<long long>(fx0 + fw, vis.right() + 1LL);
    const long long vy0 = std::max<long long>(fy0, vis.top());
    const long long vy1 = std::min<long long>(fy0 + fh, vis.bottom() + 1LL);
    if (vx0 >= vx1 || vy0 >= vy1 || sw <= 0 || sh <= 0)
        return m;
    m.dx0 = static_cast<int>(vx0);
    m.dy0 = static_cast<int>(vy0);
    m.dw = static_cast<int>(vx1 - vx0);
    m.dh = static_cast<int>(vy1 - vy0);
    auto source = [](long long i, long long full, long long s0, long long sn, bool rev) {
        const long long k = static_cast<long long>((static_cast<__int128>(2 * i + 1) * sn) /
                                                   (2 * static_cast<__int128>(full)));
        const long long v = s0 + (rev ? sn - 1 - k : k);
        return v < 0 || v > INT_MAX ? -1 : static_cast<int>(v);
    };
    m.xs.resize(static_cast<size_t>(m.dw));
    m.ys.resize(static_cast<size_t>(m.dh));
    for (int i = 0; i < m.dw; ++i)
        m.xs[static_cast<size_t>(i)] = source(vx0 - fx0 + i, fw, sx0, sw, mirror);
    for (int j = 0; j < m.dh; ++j)
        m.ys[static_cast<size_t>(j)] = source(vy0 - fy0 + j, fh, sy0, sh, flip);
    return m;
}

// Runs f(row pointer, x, source x, source y) over every visible destination pixel.
template <class F> void ForMapped(Canvas& c, const Mapping& m, int srcW, int srcH, F f) {
    const QRect dest(m.dx0, m.dy0, m.dw, m.dh);
    for (const QRect& clip : c.clip) {
        const QRect r = clip.intersected(dest);
        if (r.isEmpty())
            continue;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const int sy = m.ys[static_cast<size_t>(y - m.dy0)];
            if (sy < 0 || sy >= srcH)
                continue;
            auto* row = reinterpret_cast<QRgb*>(c.img->scanLine(y));
            for (int x = r.left(); x <= r.right(); ++x) {
                const int sx = m.xs[static_cast<size_t>(x - m.dx0)];
                if (sx >= 0 && sx < srcW)
                    f(row, x, sx, sy);
            }
        }
    }
}

// Row converters of the SRCCOPY fast paths; each writes what the per-pixel rule writes (the
// source colour made opaque), a whole row at a time so the compiler can vectorise it.
// Each converter is built for AVX-512, AVX2 and the baseline, picked once at load time: with
// the baseline's 16-byte registers alone a row copy runs at a third of memcpy's speed. Out of
// line also keeps the no-alias promise the vectorised loops need. Only GCC's builds without
// ThreadSanitizer pick at load time: the pick is an ifunc resolver, which ThreadSanitizer's
// (and clang's fuzzing builds') instrumentation would run before their runtime is ready.
#if defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define MS_ROW_CONVERTER __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define MS_ROW_CONVERTER __attribute__((noinline))
#endif
MS_ROW_CONVERTER void CopyOpaque(QRgb* __restrict dst, const QRgb* __restrict src, int n) {
    for (int i = 0; i < n; ++i)
        dst[i] = src[i] | 0xFF000000u;
}

// Blue, green, red and an unused byte per pixel (32-bit DIB, any alignment) to opaque RGB32.
MS_ROW_CONVERTER void Bgr32ToOpaque(QRgb* __restrict dst, const BYTE* __restrict src, int n) {
    for (int i = 0; i < n; ++i) {
        std::uint32_t v;
        std::memcpy(&v, src + 4 * i, 4);
        dst[i] = v | 0xFF000000u;
    }
}

// Blue, green, red bytes per pixel (24-bit DIB) to opaque RGB32: four pixels from three
// 32-bit loads at a time (the top byte of each is then forced to 0xFF), the rest byte by byte,
// so nothing past the row is read.
MS_ROW_CONVERTER void Bgr24ToOpaque(QRgb* __restrict dst, const BYTE* __restrict src, int n) {
    int i = 0;
    for (; i + 4 < n; i += 4) {
        std::uint32_t w0, w1, w2;
        std::memcpy(&w0, src + 3 * i, 4);
        std::memcpy(&w1, src + 3 * i + 4, 4);
        std::memcpy(&w2, src + 3 * i + 8, 4);
        dst[i] = 0xFF000000u | w0;
        dst[i + 1] = 0xFF000000u | (w0 >> 24) | (w1 << 8);
        dst[i + 2] = 0xFF000000u | (w1 >> 16) | (w2 << 16);
        dst[i + 3] = 0xFF000000u | (w2 >> 8);
    }
    for (; i < n; ++i) {
        const BYTE* p = src + 3 * i;
        dst[i] =
            0xFF000000u | (static_cast<QRgb>(p[2]) << 16) | (static_cast<QRgb>(p[1]) << 8) | p[0];
    }
}

// Picks the pixel at byte offset off[i] of a 24- or 32-bit DIB row for each destination pixel,
// made opaque. Offsets up to last4 (the row's length less four) are read as one 32-bit load;
// beyond it (the last pixel of a 24-bit row without padding) byte by byte.
MS_ROW_CONVERTER void GatherOpaque(QRgb* __restrict dst, const BYTE* __restrict src,
                                   const int* __restrict off, int n, int last4) {
    for (int i = 0; i < n; ++i) {
        const BYTE* p = src + off[i];
        if (off[i] <= last4) {
            std::uint32_t v;
            std::memcpy(&v, p, 4);
            dst[i] = 0xFF000000u | v;
        } else {
            dst[i] = 0xFF000000u | (static_cast<QRgb>(p[2]) << 16) |
                     (static_cast<QRgb>(p[1]) << 8) | p[0];
        }
    }
}

// A plain 1:1 copy (no stretch, no mirror, no flip): destination column x reads source
// column x + dx, row y reads row y + dy. What the nearest-neighbour mapping gives for equal
// sizes, so the fast paths below copy the very pixels the general path would.
struct Shift {
    long long dx = 0, dy = 0;
};

bool Unscaled(long long xDest, long long yDest, long long wDest, long long hDest, long long sx0,
              long long sy0, long long wSrc, long long hSrc, bool mirror, bool flip, Shift& shift) {
    if (mirror || flip || Abs(wDest) != Abs(wSrc) || Abs(hDest) != Abs(hSrc))
        return false;
    shift.dx = sx0 - std::min(xDest, xDest + wDest);
    shift.dy = sy0 - std::min(yDest, yDest + hDest);
    return true;
}

// Narrows clip rectangle r to the columns and rows whose source lies inside srcW x srcH.
QRect SourceInside(const QRect& r, const Shift& s, int srcW, int srcH) {
    const long long x0 = std::max<long long>(r.left(), -s.dx);
    const long long x1 = std::min<long long>(r.right(), srcW - 1LL - s.dx);
    const long long y0 = std::max<long long>(r.top(), -s.dy);
    const long long y1 = std::min<long long>(r.bottom(), srcH - 1LL - s.dy);
    if (x0 > x1 || y0 > y1)
        return QRect();
    return QRect(QPoint(static_cast<int>(x0), static_cast<int>(y0)),
                 QPoint(static_cast<int>(x1), static_cast<int>(y1)));
}

std::shared_ptr<Bitmap> NewBitmap(int width, int height, bool mono) {
    if (width < 0 || height < 0 || static_cast<long long>(width) * height > kMaxPixels)
        return nullptr;
    auto b = std::make_shared<Bitmap>();
    b->mono = mono;
    b->img = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    if (b->img.isNull())
        return nullptr;
    b->img.fill(mono ? 0xFFFFFFFFu : 0xFF000000u);
    return b;
}

std::shared_ptr<Bitmap> BitmapOf(HBITMAP h) {
    std::lock_guard lock(TableMutex());
    return LookupAs<Bitmap>(h, Kind::Bitmap);
}

DibLayout LayoutOf(const Bitmap& b) {
    DibLayout d;
    d.width = b.img.width();
    d.height = b.img.height();
    d.bpp = b.hdr.biBitCount;
    d.bottomUp = b.hdr.biHeight > 0;
    d.stride = b.stride;
    for (const RGBQUAD& q : b.colors)
        d.palette.push_back(qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue));
    if (d.bpp <= 8)
        d.palette.resize(1u << d.bpp, 0xFF000000u);
    d.ok = true;
    return d;
}

} // namespace

namespace ms::gdi {

void Bitmap::Pull() {
    const DibLayout d = LayoutOf(*this);
    for (int y = 0; y < d.height; ++y) {
        const BYTE* src = RowOf(bits.get(), d, y);
        auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < d.width; ++x)
            dst[x] = Fetch(src, x, d);
    }
}

void Bitmap::Push() {
    const DibLayout d = LayoutOf(*this);
    Nearest nearest{d.palette};
    for (int y = 0; y < d.height; ++y) {
        BYTE* dst = const_cast<BYTE*>(RowOf(bits.get(), d, y));
        const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < d.width; ++x)
            Store(dst, x, src[x], d, &nearest);
    }
}

} // namespace ms::gdi

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    {
        std::lock_guard lock(TableMutex());
        if (!LookupAs<Dc>(hdc, Kind::Dc))
            return nullptr;
    }
    auto b = NewBitmap(width, height, width == 0 || height == 0);
    return b ? static_cast<HBITMAP>(Register(b)) : nullptr;
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
    if (planes != 1 || (bitCount != 1 && bitCount != 24 && bitCount != 32))
        return nullptr;
    auto b = NewBitmap(width, height, bitCount == 1);
    if (!b)
        return nullptr;
    if (bits) {
        // Device bitmap rows are aligned to 16 bits.
        const int stride = ((width * static_cast<int>(bitCount) + 15) / 16) * 2;
        const auto* src = static_cast<const BYTE*>(bits);
        for (int y = 0; y < height; ++y) {
            const BYTE* row = src + static_cast<size_t>(y) * static_cast<size_t>(stride);
            auto* dst = reinterpret_cast<QRgb*>(b->img.scanLine(y));
            for (int x = 0; x < width; ++x) {
                if (bitCount == 1)
                    dst[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0xFFFFFFFFu : 0xFF000000u;
                else if (bitCount == 24)
                    dst[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                else
                    dst[x] = qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
            }
        }
    }
    return static_cast<HBITMAP>(Register(b));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT usage, void** bits, HANDLE, DWORD) {
    if (bits)
        *bits = nullptr;
    const DibLayout d = Describe(bmi, usage);
    if (!d.ok)
        return nullptr;
    auto b = std::make_shared<Bitmap>();
    b->dib = true;
    b->hdr = bmi->bmiHeader;
    b->hdr.biSizeImage = static_cast<DWORD>(d.stride) * static_cast<DWORD>(d.height);
    for (QRgb c : d.palette)
        b->colors.push_back(RGBQUAD{static_cast<BYTE>(qBlue(c)), static_cast<BYTE>(qGreen(c)),
                                    static_cast<BYTE>(qRed(c)), 0});
    b->stride = d.stride;
    const size_t size = static_cast<size_t>(d.stride) * static_cast<size_t>(d.height);
    b->bits.reset(new (std::nothrow) BYTE[size]());
    if (!b->bits)
        return nullptr;
    if (d.bpp == 32 && !d.bottomUp) {
        b->wraps = true;
        b->img = QImage(b->bits.get(), d.width, d.height, d.stride, QImage::Format_RGB32);
    } else {
        b->img = QImage(d.width, d.height, QImage::Format_RGB32);
        if (b->img.isNull())
            return nullptr;
        b->Pull();
    }
    if (bits)
        *bits = b->bits.get();
    return static_cast<HBITMAP>(Register(b));
}

int GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO bmi,
              UINT usage) {
    {
        std::lock_guard lock(TableMutex());
        if (!LookupAs<Dc>(hdc, Kind::Dc))
            return 0;
    }
    auto b = BitmapOf(bmp);
    if (!b || !bmi || bmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || usage != DIB_RGB_COLORS)
        return 0;
    std::lock_guard lock(b->m);
    if (b->dib && !b->wraps)
        b->Pull();
    BITMAPINFOHEADER& h = bmi->bmiHeader;
    const int w = b->img.width(), ht = b->img.height();
    if (!bits && h.biBitCount == 0) {
        h.biWidth = w;
        h.biHeight = ht;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(b->BitsPixel());
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(Stride(w, h.biBitCount) * ht);
        return ht;
    }
    if (h.biCompression != BI_RGB)
        return 0;
    DibLayout d;
    d.width = h.biWidth;
    d.bpp = h.biBitCount;
    d.bottomUp = h.biHeight > 0;
    d.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    if (d.width <= 0 || d.height <= 0 ||
        (d.bpp != 1 && d.bpp != 4 && d.bpp != 8 && d.bpp != 16 && d.bpp != 24 && d.bpp != 32) ||
        static_cast<long long>(d.width) * d.height > kMaxPixels)
        return 0;
    d.stride = Stride(d.width, d.bpp);
    h.biSizeImage = static_cast<DWORD>(d.stride) * static_cast<DWORD>(d.height);
    if (d.bpp <= 8) {
        d.palette = StandardPalette(d.bpp);
        if (b->dib && b->hdr.biBitCount == d.bpp)
            d.palette = LayoutOf(*b).palette;
        auto* colors = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(bmi) + h.biSize);
        for (size_t i = 0; i < d.palette.size(); ++i)
            colors[i] = RGBQUAD{static_cast<BYTE>(qBlue(d.palette[i])),
                                static_cast<BYTE>(qGreen(d.palette[i])),
                                static_cast<BYTE>(qRed(d.palette[i])), 0};
        h.biClrUsed = 0;
    }
    if (!bits)
        return d.height;
    Nearest nearest{d.palette};
    int copied = 0;
    const int cols = std::min(d.width, w);
    const bool keepAlpha = d.bpp == 32 && b->dib && b->hdr.biBitCount == 32;
    const DibLayout from = b->dib ? LayoutOf(*b) : DibLayout{};
    const unsigned long long end = static_cast<unsigned long long>(start) + lines;
    for (UINT k = start; k < end && static_cast<int>(k) < d.height; ++k) {
        // Scan line k counts from the bottom for a bottom-up DIB; lines start at 'bits'.
        const int y = d.bottomUp ? ht - 1 - static_cast<int>(k) : static_cast<int>(k);
        BYTE* row = static_cast<BYTE*>(bits) +
                    static_cast<size_t>(k - start) * static_cast<size_t>(d.stride);
        if (y < 0 || y >= ht)
            continue;
        const auto* src = reinterpret_cast<const QRgb*>(b->img.constScanLine(y));
        for (int x = 0; x < cols; ++x)
            Store(row, x, src[x], d, &nearest);
        if (keepAlpha) {
            // An icon's colour bitmap carries its alpha in the fourth byte.
            const BYTE* raw = RowOf(b->bits.get(), from, y);
            for (int x = 0; x < cols; ++x)
                row[4 * x + 3] = raw[4 * x + 3];
        }
        ++copied;
    }
    return copied;
}

int SetDIBits(HDC, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi,
              UINT usage) {
    auto b = BitmapOf(bmp);
    const DibLayout d = Describe(bmi, usage);
    if (!b || !d.ok || !bits)
        return 0;
    std::lock_guard lock(b->m);
    if (b->dib && !b->wraps)
        b->Pull();
    const int w = b->img.width(), ht = b->img.height();
    const int cols = std::min(d.width, w);
    int copied = 0;
    const unsigned long long end = static_cast<unsigned long long>(start) + lines;
    for (UINT k = start; k < end && static_cast<int>(k) < d.height; ++k) {
        const int y = d.bottomUp ? ht - 1 - static_cast<int>(k) : static_cast<int>(k);
        if (y < 0 || y >= ht)
            continue;
        const BYTE* row = static_cast<const BYTE*>(bits) +
                          static_cast<size_t>(k - start) * static_cast<size_t>(d.stride);
        auto* dst = reinterpret_cast<QRgb*>(b->img.scanLine(y));
        for (int x = 0; x < cols; ++x) {
            const QRgb c = Fetch(row, x, d);
            dst[x] = b->mono ? ((qGray(c) >= 128) ? 0xFFFFFFFFu : 0xFF000000u) : c;
        }
        ++copied;
    }
    if (b->dib && !b->wraps)
        b->Push();
    return copied;
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc,
                  int hSrc, const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop) {
    Call call(hdc, "StretchDIBits",
              {xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, static_cast<long>(rop)});
    if (!call || !bits || wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0)
        return 0;
    const DibLayout d = Describe(bmi, usage);
    if (!d.ok)
        return 0;
    Canvas c = call.Pixels();
    const long long sw = Abs(wSrc), sh = Abs(hSrc);
    if (!c)
        return static_cast<int>(sh);
    const long long sx0 = std::min<long long>(xSrc, static_cast<long long>(xSrc) + wSrc);
    long long sy0 = std::min<long long>(ySrc, static_cast<long long>(ySrc) + hSrc);
    // A bottom-up DIB's source rectangle is measured from its lower-left corner.
    if (d.bottomUp)
        sy0 = d.height - (sy0 + sh);
    const bool mirror = (wSrc < 0) != (wDest < 0), flip = (hSrc < 0) != (hDest < 0);
    const auto* base = static_cast<const BYTE*>(bits);
    Shift shift;
    if (rop == SRCCOPY && !c.mono && (d.bpp == 24 || d.bpp == 32) &&
        Unscaled(xDest, yDest, wDest, hDest, sx0, sy0, sw, sh, mirror, flip, shift)) {
        // Unscaled: whole rows converted at once.
        const QRect dest = DestVisible(xDest, yDest, wDest, hDest, c.img->rect());
        for (const QRect& clip : c.clip) {
            const QRect r = SourceInside(clip.intersected(dest), shift, d.width, d.height);
            if (r.isEmpty())
                continue;
            for (int y = r.top(); y <= r.bottom(); ++y) {
                const BYTE* src = RowOf(base, d, static_cast<int>(y + shift.dy));
                auto* row = reinterpret_cast<QRgb*>(c.img->scanLine(y)) + r.left();
                const long long sx = r.left() + shift.dx;
                if (d.bpp == 32)
                    Bgr32ToOpaque(row, src + 4 * sx, r.width());
                else
                    Bgr24ToOpaque(row, src + 3 * sx, r.width());
            }
        }
        return static_cast<int>(sh);
    }
    const Mapping m =
        Map(xDest, yDest, wDest, hDest, sx0, sy0, sw, sh, mirror, flip, c.img->rect());
    if (rop == SRCCOPY && !c.mono && (d.bpp == 24 || d.bpp == 32)) {
        // The live view's path: one lookup table per frame, three byte loads per pixel.
        const int bytes = d.bpp / 8;
        std::vector<int> offs(m.xs.size());
        for (size_t i = 0; i < m.xs.size(); ++i)
            offs[i] = m.xs[i] * bytes;
        const QRect dest(m.dx0, m.dy0, m.dw, m.dh);
        for (const QRect& clip : c.clip) {
            const QRect r = clip.intersected(dest);
            if (r.isEmpty())
                continue;
            int x0 = r.left(), x1 = r.right();
            while (x0 <= x1 && (m.xs[static_cast<size_t>(x0 - m.dx0)] < 0 ||
                                m.xs[static_cast<size_t>(x0 - m.dx0)] >= d.width))
                ++x0;
            while (x1 >= x0 && (m.xs[static_cast<size_t>(x1 - m.dx0)] < 0 ||
                                m.xs[static_cast<size_t>(x1 - m.dx0)] >= d.width))
                --x1;
            if (x0 > x1)
                continue;
            const int* off = offs.data();
            for (int y = r.top(); y <= r.bottom(); ++y) {
                const int sy = m.ys[static_cast<size_t>(y - m.dy0)];
                if (sy < 0 || sy >= d.height)
                    continue;
                const BYTE* src = RowOf(base, d, sy);
                auto* row = reinterpret_cast<QRgb*>(c.img->scanLine(y));
                GatherOpaque(row + x0, src, off + (x0 - m.dx0), x1 - x0 + 1, d.stride - 4);
            }
        }
        return static_cast<int>(sh);
    }
    const QRgb pat = c.Color(c.st.brush->color);
    ForMapped(c, m, d.width, d.height, [&](QRgb* row, int x, int sx, int sy) {
        QRgb s = Fetch(RowOf(base, d, sy), sx, d);
        if (c.mono)
            s = qGray(s) >= 128 ? 0xFFFFFFFFu : 0xFF000000u;
        row[x] = rop == SRCCOPY ? s : Rop3(rop, pat, s, row[x]);
    });
    return static_cast<int>(sh);
}

static BOOL Blit(HDC hdc, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc,
                 int wSrc, int hSrc, DWORD rop, const char* name) {
    Call call(hdc, name,
              {xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, static_cast<long>(rop)}, src);
    if (!call)
        return FALSE;
    const bool needSrc = UsesSource(rop);
    if (needSrc && !call.srcOk)
        return FALSE;
    Canvas c = call.Pixels();
    if (!c || wDest == 0 || hDest == 0)
        return TRUE;
    const QRgb pat = c.st.brush->style == BS_NULL ? 0xFF000000u : c.Color(c.st.brush->color);
    if (UsesPattern(rop) && c.st.brush->style == BS_NULL && !needSrc)
        return TRUE;
    if (!needSrc) {
        const Mapping m = Map(xDest, yDest, wDest, hDest, 0, 0, 1, 1, false, false, c.img->rect());
        const QRect dest(m.dx0, m.dy0, m.dw, m.dh);
        for (const QRect& clip : c.clip) {
            const QRect r = clip.intersected(dest);
            for (int y = r.top(); y <= r.bottom(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(c.img->scanLine(y));
                for (int x = r.left(); x <= r.right(); ++x)
                    row[x] = Rop3(rop, pat, 0, row[x]);
            }
        }
        return TRUE;
    }
    Canvas& s = call.Source();
    if (!s.img || s.img->isNull())
        return TRUE;
    // Reading and writing one image: work from a copy so overlapping areas stay right.
    QImage copy;
    const QImage* srcImg = s.img;
    if (s.img == c.img) {
        copy = s.img->copy();
        srcImg = &copy;
    }
    const bool mirror = (wSrc < 0) != (wDest < 0), flip = (hSrc < 0) != (hDest < 0);
    const long long sx0 = std::min<long long>(xSrc, static_cast<long long>(xSrc) + wSrc);
    const long long sy0 = std::min<long long>(ySrc, static_cast<long long>(ySrc) + hSrc);
    // Monochrome to colour: white takes the destination's background colour, black its text
    // colour. Colour to monochrome: the source's background colour becomes white.
    const bool toColor = s.mono && !c.mono, toMono = !s.mono && c.mono;
    Shift shift;
    if (rop == SRCCOPY && !toColor && !toMono &&
        Unscaled(xDest, yDest, wDest, hDest, sx0, sy0, wSrc, hSrc, mirror, flip, shift)) {
        // A straight copy: row by row.
        const QRect dest = DestVisible(xDest, yDest, wDest, hDest, c.img->rect());
        for (const QRect& clip : c.clip) {
            const QRect r =
                SourceInside(clip.intersected(dest), shift, srcImg->width(), srcImg->height());
            if (r.isEmpty())
                continue;
            for (int y = r.top(); y <= r.bottom(); ++y) {
                const auto* from = reinterpret_cast<const QRgb*>(
                    srcImg->constScanLine(static_cast<int>(y + shift.dy)));
                auto* row = reinterpret_cast<QRgb*>(c.img->scanLine(y));
                CopyOpaque(row + r.left(), from + (r.left() + shift.dx), r.width());
            }
        }
        return TRUE;
    }
    const Mapping m = Map(xDest, yDest, wDest, hDest, sx0, sy0, Abs(wSrc), Abs(hSrc), mirror, flip,
                          c.img->rect());
    const QRgb monoWhite = ToRgb(c.st.bk), monoBlack = ToRgb(c.st.text);
    const QRgb srcBk = ToRgb(s.st.bk) & 0xFFFFFFu;
    ForMapped(c, m, srcImg->width(), srcImg->height(), [&](QRgb* row, int x, int sx, int sy) {
        QRgb v = reinterpret_cast<const QRgb*>(srcImg->constScanLine(sy))[sx];
        if (toColor)
            v = (v & 0xFFFFFFu) ? monoWhite : monoBlack;
        else if (toMono)
            v = (v & 0xFFFFFFu) == srcBk ? 0xFFFFFFFFu : 0xFF000000u;
        row[x] = rop == SRCCOPY ? (v | 0xFF000000u) : Rop3(rop, pat, v, row[x]);
    });
    return TRUE;
}

BOOL BitBlt(HDC hdc, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, DWORD rop) {
    return Blit(hdc, x, y, w, h, src, xSrc, ySrc, w, h, rop, "BitBlt");
}

BOOL StretchBlt(HDC hdc, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc,
                int wSrc, int hSrc, DWORD rop) {
    if (wSrc == 0 || hSrc == 0)
        return FALSE;
    return Blit(hdc, xDest, yDest, wDest, hDest, src, xSrc, ySrc, wSrc, hSrc, rop, "StretchBlt");
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    if (UsesSource(rop))
        return FALSE;
    return Blit(hdc, x, y, w, h, nullptr, 0, 0, w, h, rop, "PatBlt");
}

namespace ms {

HBITMAP CreateBitmapFromQImage(const QImage& image) {
    if (image.isNull())
        return nullptr;
    auto b = std::make_shared<Bitmap>();
    b->img = image.convertToFormat(QImage::Format_RGB32);
    if (b->img.isNull())
        return nullptr;
    return static_cast<HBITMAP>(Register(b));
}

QImage ImageOfBitmap(HBITMAP bitmap) {
    auto b = BitmapOf(bitmap);
    if (!b)
        return QImage();
    std::lock_guard lock(b->m);
    if (b->dib && !b->wraps)
        b->Pull();
    return b->img.copy();
}

} // namespace ms
