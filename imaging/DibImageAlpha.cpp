// Alpha channel, selection mask and layers. Both planes hold width x height bytes, rows in the
// library's order (row 0 = bottom), without padding.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/DibImage.h"

namespace {

size_t PlaneSize(const CDibImage& image) {
    return static_cast<size_t>(image.GetWidth()) * image.GetHeight();
}

bool FlipPlane(BYTE* plane, DWORD width, DWORD height) {
    BYTE* tmp = static_cast<BYTE*>(std::malloc(width ? width : 1));
    if (!tmp)
        return false;
    for (DWORD i = 0; i < height / 2; ++i) {
        BYTE* a = plane + static_cast<size_t>(i) * width;
        BYTE* b = plane + static_cast<size_t>(height - 1 - i) * width;
        std::memcpy(tmp, a, width);
        std::memcpy(a, b, width);
        std::memcpy(b, tmp, width);
    }
    std::free(tmp);
    return true;
}

BYTE* MirrorPlane(const BYTE* plane, DWORD width, DWORD height) {
    BYTE* out = static_cast<BYTE*>(std::malloc(static_cast<size_t>(width) * height));
    if (!out)
        return nullptr;
    for (DWORD y = 0; y < height; ++y) {
        const BYTE* src = plane + static_cast<size_t>(y) * width;
        BYTE* dst = out + static_cast<size_t>(y) * width;
        for (DWORD x = 0; x < width; ++x)
            dst[x] = src[width - 1 - x];
    }
    return out;
}

long Clamp(long v, long lo, long hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

void InvertPlane(BYTE* plane, size_t size) {
    for (size_t i = 0; i < size; ++i)
        plane[i] = static_cast<BYTE>(255 - plane[i]);
}

// Copies size bytes from another picture's plane, making this one first if there is none.
bool CopyPlane(BYTE*& plane, const BYTE* from, size_t size) {
    if (!plane) {
        plane = static_cast<BYTE*>(std::malloc(size));
        if (!plane)
            return false;
    }
    std::memcpy(plane, from, size);
    return true;
}

// Widens a selection box (bottom-up rows: bottom is the lowest row, top one past the highest)
// to hold the pixel (x, y).
void IncludeInBox(RECT& box, long x, long y) {
    if (x < box.left)
        box.left = static_cast<LONG>(x);
    if (x + 1 > box.right)
        box.right = static_cast<LONG>(x + 1);
    if (y < box.bottom)
        box.bottom = static_cast<LONG>(y);
    if (y + 1 > box.top)
        box.top = static_cast<LONG>(y + 1);
}

} // namespace

// ---- alpha channel

bool CDibImage::AlphaCreate() {
    if (!m_alpha && m_dib) {
        m_alpha = static_cast<BYTE*>(std::malloc(PlaneSize(*this)));
        if (m_alpha)
            std::memset(m_alpha, 255, PlaneSize(*this));
    }
    return m_alpha != nullptr;
}

void CDibImage::AlphaDelete() {
    std::free(m_alpha);
    m_alpha = nullptr;
}

void CDibImage::AlphaFill(BYTE level) {
    if (m_alpha)
        std::memset(m_alpha, level, PlaneSize(*this));
}

void CDibImage::AlphaInvert() {
    if (m_alpha)
        InvertPlane(m_alpha, PlaneSize(*this));
}

bool CDibImage::AlphaCopy(const CDibImage& from) {
    if (!from.m_alpha || from.GetWidth() != GetWidth() || from.GetHeight() != GetHeight() ||
        !CopyPlane(m_alpha, from.m_alpha, PlaneSize(*this)))
        return false;
    m_info.alphaMax = from.m_info.alphaMax;
    return true;
}

bool CDibImage::AlphaFromGray(const CDibImage& gray) {
    if (!gray.IsGrayScale() || gray.GetWidth() != GetWidth() || gray.GetHeight() != GetHeight() ||
        gray.GetBpp() != 8)
        return false;
    if (!m_alpha) {
        m_alpha = static_cast<BYTE*>(std::malloc(PlaneSize(*this)));
        if (!m_alpha)
            return false;
    }
    for (DWORD y = 0; y < GetHeight(); ++y)
        std::memcpy(m_alpha + static_cast<size_t>(y) * GetWidth(), gray.GetBits(y), GetWidth());
    return true;
}

void CDibImage::AlphaSetAt(long x, long y, BYTE level) {
    if (m_alpha && IsInside(x, y))
        m_alpha[x + y * static_cast<long>(GetWidth())] = level;
}

BYTE CDibImage::AlphaGetAt(long x, long y) const {
    if (!m_alpha || !IsInside(x, y))
        return 0;
    return m_alpha[x + y * static_cast<long>(GetWidth())];
}

BYTE* CDibImage::AlphaGetPointer(long x, long y) const {
    if (!m_alpha || !IsInside(x, y))
        return nullptr;
    return m_alpha + x + y * static_cast<long>(GetWidth());
}

bool CDibImage::AlphaFlip() {
    return m_alpha && FlipPlane(m_alpha, GetWidth(), GetHeight());
}

bool CDibImage::AlphaMirror() {
    if (!m_alpha)
        return false;
    BYTE* out = MirrorPlane(m_alpha, GetWidth(), GetHeight());
    if (!out)
        return false;
    std::free(m_alpha);
    m_alpha = out;
    return true;
}

bool CDibImage::HasPaletteAlpha() const {
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return false;
    for (DWORD i = 0; i < m_header.biClrUsed; ++i)
        if (pal[i].rgbReserved)
            return true;
    return false;
}

void CDibImage::PaletteAlphaClear() {
    RGBQUAD* pal = GetPalette();
    for (DWORD i = 0; pal && i < m_header.biClrUsed; ++i)
        pal[i].rgbReserved = 0;
}

void CDibImage::AlphaBlendIntoPixels() {
    bool paletteAlpha = m_info.paletteAlphaEnabled && HasPaletteAlpha();
    if (!m_dib || (!m_alpha && !paletteAlpha))
        return;
    RGBQUAD key = GetKeyColor();
    auto blend = [&](RGBQUAD c, long x, long y) {
        long a = m_alpha ? AlphaGetAtUnchecked(x, y) * m_info.alphaMax / 255 : m_info.alphaMax;
        if (paletteAlpha)
            a = c.rgbReserved * a / 255;
        c.rgbBlue = static_cast<BYTE>((key.rgbBlue * (256 - a) + c.rgbBlue * a) >> 8);
        c.rgbGreen = static_cast<BYTE>((key.rgbGreen * (256 - a) + c.rgbGreen * a) >> 8);
        c.rgbRed = static_cast<BYTE>((key.rgbRed * (256 - a) + c.rgbRed * a) >> 8);
        return c;
    };
    long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (GetBpp() == 24) {
        for (long y = 0; y < h; ++y)
            for (long x = 0; x < w; ++x)
                SetPixelColorUnchecked(x, y, blend(GetPixelColorUnchecked(x, y, false), x, y));
        AlphaDelete();
        return;
    }
    CDibImage out;
    if (!out.Create(GetWidth(), GetHeight(), 24, GetType())) {
        SetLastError(out.GetLastErrorText());
        return;
    }
    out.SetDpiX(GetDpiX());
    out.SetDpiY(GetDpiY());
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            out.SetPixelColorUnchecked(x, y, blend(GetPixelColorUnchecked(x, y, false), x, y));
    TransferFrom(out);
}

bool CDibImage::ChannelToGrayImage(const BYTE* channel, CDibImage* dest) const {
    if (!channel || !dest)
        return false;
    CDibImage gray;
    if (!gray.Create(GetWidth(), GetHeight(), 8, 0)) {
        const_cast<CDibImage*>(this)->SetLastError(gray.GetLastErrorText());
        return false;
    }
    for (DWORD y = 0; y < GetHeight(); ++y)
        std::memcpy(gray.GetBits(y), channel + static_cast<size_t>(y) * GetWidth(), GetWidth());
    gray.SetGrayPalette();
    return dest->TransferFrom(gray);
}

bool CDibImage::AlphaToGrayImage(CDibImage* dest) const {
    return ChannelToGrayImage(m_alpha, dest);
}

bool CDibImage::PaletteAlphaToGrayImage(CDibImage* dest) const {
    if (!HasPaletteAlpha() || !dest)
        return false;
    std::vector<BYTE> plane;
    try {
        plane.resize(PlaneSize(*this));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (long y = 0; y < static_cast<long>(GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(GetWidth()); ++x)
            plane[static_cast<size_t>(y) * GetWidth() + static_cast<size_t>(x)] =
                GetPixelColorUnchecked(x, y, false).rgbReserved;
    return ChannelToGrayImage(plane.data(), dest);
}

bool CDibImage::AlphaFromKeyColor() {
    if (!m_dib || m_info.keyIndex < 0 || !AlphaCreate())
        return false;
    for (long y = 0; y < static_cast<long>(GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(GetWidth()); ++x)
            if (IsTransparentAt(x, y))
                m_alpha[x + y * static_cast<long>(GetWidth())] = 0;
    return true;
}

// ---- selection

void CDibImage::EmptySelectionBox() {
    m_info.selectionBox.left = static_cast<LONG>(GetWidth());
    m_info.selectionBox.right = 0;
    m_info.selectionBox.bottom = static_cast<LONG>(GetHeight());
    m_info.selectionBox.top = 0;
}

bool CDibImage::SelectionCreate() {
    SelectionDelete();
    if (!m_dib)
        return false;
    m_selection = static_cast<BYTE*>(std::calloc(1, PlaneSize(*this)));
    return m_selection != nullptr;
}

bool CDibImage::SelectionDelete() {
    std::free(m_selection);
    m_selection = nullptr;
    EmptySelectionBox();
    return true;
}

bool CDibImage::SelectionClear(BYTE level) {
    if (!m_selection)
        return false;
    std::memset(m_selection, level, PlaneSize(*this));
    if (level == 0) {
        EmptySelectionBox();
    } else {
        m_info.selectionBox.left = 0;
        m_info.selectionBox.right = static_cast<LONG>(GetWidth());
        m_info.selectionBox.bottom = 0;
        m_info.selectionBox.top = static_cast<LONG>(GetHeight());
    }
    return true;
}

bool CDibImage::SelectionIsInside(long x, long y) const {
    if (!IsInside(x, y))
        return false;
    return SelectionIsInsideUnchecked(x, y);
}

BYTE CDibImage::SelectionGetAt(long x, long y) const {
    if (!m_selection || !IsInside(x, y))
        return 0;
    return m_selection[x + y * static_cast<long>(GetWidth())];
}

BYTE* CDibImage::SelectionGetPointer(long x, long y) const {
    if (!m_selection || !IsInside(x, y))
        return nullptr;
    return m_selection + x + y * static_cast<long>(GetWidth());
}

void CDibImage::SelectionSetAt(long x, long y, BYTE level) {
    if (m_selection && IsInside(x, y))
        m_selection[x + y * static_cast<long>(GetWidth())] = level;
}

bool CDibImage::SelectionSetPixel(long x, long y, BYTE level) {
    if (!m_selection && !SelectionCreate())
        return false;
    if (!IsInside(x, y))
        return false;
    m_selection[x + y * static_cast<long>(GetWidth())] = level;
    IncludeInBox(m_info.selectionBox, x, y);
    return true;
}

bool CDibImage::SelectionFillRect(long x1, long y1, long x2, long y2, BYTE level) {
    if (!m_selection && !SelectionCreate())
        return false;
    long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    long xmin = x1 < x2 ? x1 : x2, xmax = x1 < x2 ? x2 : x1;
    long ymin = y1 < y2 ? y1 : y2, ymax = y1 < y2 ? y2 : y1;
    RECT& box = m_info.selectionBox;
    box.top = static_cast<LONG>(Clamp(ymax + 1 > box.top ? ymax + 1 : box.top, 0, h));
    box.left = static_cast<LONG>(Clamp(xmin < box.left ? xmin : box.left, 0, w));
    box.right = static_cast<LONG>(Clamp(xmax + 1 > box.right ? xmax + 1 : box.right, 0, w));
    box.bottom = static_cast<LONG>(Clamp(ymin < box.bottom ? ymin : box.bottom, 0, h));
    if (xmax < 0 || ymax < 0 || xmin >= w || ymin >= h)
        return true; // nothing of the rectangle lies in the picture
    xmin = Clamp(xmin, 0, w - 1);
    xmax = Clamp(xmax, 0, w - 1);
    ymin = Clamp(ymin, 0, h - 1);
    ymax = Clamp(ymax, 0, h - 1);
    for (long y = ymin; y <= ymax; ++y)
        std::memset(m_selection + y * w + xmin, level, static_cast<size_t>(xmax - xmin + 1));
    return true;
}

bool CDibImage::SelectionFillEllipse(long x1, long y1, long x2, long y2, BYTE level) {
    if (!m_selection && !SelectionCreate())
        return false;
    long a = (x2 > x1 ? x2 - x1 : x1 - x2) / 2;
    long b = (y1 > y2 ? y1 - y2 : y2 - y1) / 2;
    if (a == 0 || b == 0)
        return false;
    long xc = (x1 + x2) / 2, yc = (y1 + y2) / 2;
    long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    RECT& box = m_info.selectionBox;
    box.top = static_cast<LONG>(Clamp(yc + b + 1 > box.top ? yc + b + 1 : box.top, 0, h));
    box.left = static_cast<LONG>(Clamp(xc - a < box.left ? xc - a : box.left, 0, w));
    box.right = static_cast<LONG>(Clamp(xc + a + 1 > box.right ? xc + a + 1 : box.right, 0, w));
    box.bottom = static_cast<LONG>(Clamp(yc - b < box.bottom ? yc - b : box.bottom, 0, h));
    for (long x = xc - a; x <= xc + a; ++x) {
        if (x < 0 || x >= w)
            continue;
        double t = static_cast<double>(x - xc) / a;
        double s = 1.0 - t * t;
        s = s > 0 ? __builtin_sqrt(s) : 0.0;
        long lowEdge = static_cast<long>(yc - s * b);
        long highEdge = static_cast<long>(s * b + yc);
        for (long y = yc - b; y <= yc + b; ++y) {
            if (y < 0 || y >= h)
                continue;
            bool in = y < yc ? lowEdge < y : highEdge > y;
            if (in)
                m_selection[x + y * w] = level;
        }
    }
    return true;
}

bool CDibImage::SelectionFillPolygon(const POINT* points, long count, BYTE level) {
    if (!points || count < 3)
        return false;
    if (!m_selection && !SelectionCreate())
        return false;
    long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    std::vector<BYTE> scratch;
    try {
        scratch.assign(PlaneSize(*this), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Outlines (a point with x == -1 closes one and starts the next).
    long xmin = LONG_MAX, xmax = LONG_MIN, ymin = LONG_MAX, ymax = LONG_MIN;
    auto plot = [&](long x, long y) {
        if (x >= 0 && y >= 0 && x < w && y < h)
            scratch[static_cast<size_t>(y * w + x)] = 1;
    };
    auto line = [&](POINT p, POINT q) {
        long dx = q.x > p.x ? q.x - p.x : p.x - q.x, dy = q.y > p.y ? q.y - p.y : p.y - q.y;
        long sx = q.x >= p.x ? 1 : -1, sy = q.y >= p.y ? 1 : -1;
        long err = dx - dy, x = p.x, y = p.y;
        for (;;) {
            plot(x, y);
            if (x == q.x && y == q.y)
                break;
            long e2 = 2 * err;
            if (e2 > -dy) {
                err -= dy;
                x += sx;
            }
            if (e2 < dx) {
                err += dx;
                y += sy;
            }
        }
    };
    long start = 0;
    for (long i = 0; i <= count; ++i) {
        bool end = i == count || points[i].x == -1;
        if (end) {
            for (long k = start; k + 1 < i; ++k)
                line(points[k], points[k + 1]);
            if (i - start >= 2)
                line(points[i - 1], points[start]);
            start = i + 1;
            continue;
        }
        xmin = points[i].x < xmin ? points[i].x : xmin;
        xmax = points[i].x > xmax ? points[i].x : xmax;
        ymin = points[i].y < ymin ? points[i].y : ymin;
        ymax = points[i].y > ymax ? points[i].y : ymax;
    }
    if (xmin > xmax)
        return false;
    xmin = Clamp(xmin, 0, w - 1);
    xmax = Clamp(xmax, 0, w - 1);
    ymin = Clamp(ymin, 0, h - 1);
    ymax = Clamp(ymax, 0, h - 1);
    // Flood the outside from the box's corners (2 = reached); what stays unreached is inside.
    std::vector<POINT> stack;
    auto seed = [&](long x, long y) {
        if (scratch[static_cast<size_t>(y * w + x)] == 0)
            stack.push_back(POINT{static_cast<LONG>(x), static_cast<LONG>(y)});
    };
    seed(xmin, ymin);
    seed(xmax, ymin);
    seed(xmin, ymax);
    seed(xmax, ymax);
    while (!stack.empty()) {
        POINT p = stack.back();
        stack.pop_back();
        long y = p.y, x = p.x;
        if (scratch[static_cast<size_t>(y * w + x)] != 0)
            continue;
        long l = x, r = x;
        while (l > xmin && scratch[static_cast<size_t>(y * w + l - 1)] == 0)
            --l;
        while (r < xmax && scratch[static_cast<size_t>(y * w + r + 1)] == 0)
            ++r;
        for (long k = l; k <= r; ++k) {
            scratch[static_cast<size_t>(y * w + k)] = 2;
            if (y > ymin)
                seed(k, y - 1);
            if (y < ymax)
                seed(k, y + 1);
        }
    }
    for (long y = ymin; y <= ymax; ++y)
        for (long x = xmin; x <= xmax; ++x)
            if (scratch[static_cast<size_t>(y * w + x)] != 2)
                m_selection[y * w + x] = level;
    RECT& box = m_info.selectionBox;
    box.left = static_cast<LONG>(xmin < box.left ? xmin : box.left);
    box.right = static_cast<LONG>(xmax + 1 > box.right ? xmax + 1 : box.right);
    box.bottom = static_cast<LONG>(ymin < box.bottom ? ymin : box.bottom);
    box.top = static_cast<LONG>(ymax + 1 > box.top ? ymax + 1 : box.top);
    return true;
}

bool CDibImage::SelectionInvertAll() {
    if (!m_selection)
        return false;
    InvertPlane(m_selection, PlaneSize(*this));
    SelectionRebuildBox();
    return true;
}

bool CDibImage::SelectionCopy(const CDibImage& from) {
    if (!from.m_selection || from.GetWidth() != GetWidth() || from.GetHeight() != GetHeight() ||
        !CopyPlane(m_selection, from.m_selection, PlaneSize(*this)))
        return false;
    m_info.selectionBox = from.m_info.selectionBox;
    return true;
}

bool CDibImage::SelectionSet(const CDibImage& mask) {
    if (!mask.IsGrayScale() || mask.GetBpp() != 8 || mask.GetWidth() != GetWidth() ||
        mask.GetHeight() != GetHeight()) {
        SetLastError("CDibImage::SelectionSet: wrong width or height, or image is not gray scale");
        return false;
    }
    if (!m_selection)
        m_selection = static_cast<BYTE*>(std::malloc(PlaneSize(*this)));
    if (!m_selection || !mask.GetBits()) {
        SetLastError("CDibImage::SelectionSet: null pointer");
        return false;
    }
    for (DWORD y = 0; y < GetHeight(); ++y)
        std::memcpy(m_selection + static_cast<size_t>(y) * GetWidth(), mask.GetBits(y), GetWidth());
    SelectionRebuildBox();
    return true;
}

void CDibImage::SelectionRebuildBox() {
    EmptySelectionBox();
    if (!m_selection)
        return;
    long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            if (m_selection[y * w + x])
                IncludeInBox(m_info.selectionBox, x, y);
}

bool CDibImage::SelectionFlip() {
    if (!m_selection || !FlipPlane(m_selection, GetWidth(), GetHeight()))
        return false;
    RECT& box = m_info.selectionBox;
    LONG h = static_cast<LONG>(GetHeight());
    LONG top = h - box.bottom, bottom = h - box.top;
    box.top = top;
    box.bottom = bottom;
    return true;
}

bool CDibImage::SelectionMirror() {
    if (!m_selection)
        return false;
    BYTE* out = MirrorPlane(m_selection, GetWidth(), GetHeight());
    if (!out)
        return false;
    std::free(m_selection);
    m_selection = out;
    RECT& box = m_info.selectionBox;
    LONG w = static_cast<LONG>(GetWidth());
    LONG left = w - box.right, right = w - box.left;
    box.left = left;
    box.right = right;
    return true;
}

bool CDibImage::SelectionToGrayImage(CDibImage* dest) const {
    return ChannelToGrayImage(m_selection, dest);
}

// ---- layers

bool CDibImage::InsertLayer(long position) {
    long n = m_info.layerCount;
    if (position < 0 || position > n)
        position = n;
    CDibImage** layers =
        static_cast<CDibImage**>(std::malloc(sizeof(CDibImage*) * static_cast<size_t>(n + 1)));
    if (!layers)
        return false;
    CDibImage* layer = new (std::nothrow) CDibImage();
    if (!layer) {
        std::free(layers);
        return false;
    }
    layer->m_info.parent = this;
    for (long i = 0, k = 0; i <= n; ++i)
        layers[i] = (i == position) ? layer : m_layers[k++];
    std::free(m_layers);
    m_layers = layers;
    m_info.layerCount = n + 1;
    return true;
}

bool CDibImage::DeleteLayer(long position) {
    long n = m_info.layerCount;
    if (n == 0 || position >= n)
        return false;
    if (position < 0)
        position = n - 1;
    delete m_layers[position];
    for (long i = position; i + 1 < n; ++i)
        m_layers[i] = m_layers[i + 1];
    m_info.layerCount = n - 1;
    if (m_info.layerCount == 0) {
        std::free(m_layers);
        m_layers = nullptr;
    }
    return true;
}

void CDibImage::DeleteAllLayers() {
    for (long i = 0; m_layers && i < m_info.layerCount; ++i)
        delete m_layers[i];
    std::free(m_layers);
    m_layers = nullptr;
    m_info.layerCount = 0;
}

CDibImage* CDibImage::GetLayerAt(long position) const {
    long n = m_info.layerCount;
    if (!m_layers || n == 0 || position >= n)
        return nullptr;
    if (position < 0)
        position = n - 1;
    return m_layers[position];
}
