// Edge, line and circle detection for the automatic measurement tools (Tessary's image only).
//
// Every method converts the picture into the 8-bit gray work image (m_grayImage) with its own
// gray formula, trunc(0.11 B + 0.59 G + 0.3 R + 0.5), which is not the library's GrayLevel, and
// frees the work image before it returns. Only the rows and columns a method reads are
// converted: the others are never looked at, and on a large picture the conversion of the
// whole frame would cost more than the detection itself on every click.
//
// Coordinates here count y from the top of the picture as displayed; image row y is stored
// row H - 1 - y.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <array>

#include "imaging/DibImage.h"
#include "imaging/DibLines.h"
#include "platform/win/core/Module.h"

namespace {

using Segment = std::array<int, 4>; // x1, y1, x2, y2
constexpr double kPi = 3.1415926535897932384626433832795;

// The segment search's library, loaded once on first use from the program folder, else from
// where the build put it; null when it cannot be loaded. It stays loaded.
DibLinesFindFunction* LinesFinder() {
    static DibLinesFindFunction* const find = []() -> DibLinesFindFunction* {
        HMODULE library = LoadLibraryW(kDibLinesLibrary);
#ifdef MS_DIBLINES_BUILT
        if (!library)
            library = LoadLibraryW(u"" MS_DIBLINES_BUILT);
#endif
        if (!library)
            return nullptr;
        return reinterpret_cast<DibLinesFindFunction*>(GetProcAddress(library, kDibLinesFind));
    }();
    return find;
}

// The segments of the search (DibLines.h); none when its library is missing or it failed.
std::vector<Segment> FindSegments(const BYTE* pixels, int w, int h, int stride, bool dilate,
                                  int maxThreshold, int minThreshold) {
    DibLinesFindFunction* find = LinesFinder();
    if (!find)
        return {};
    std::vector<int> ends(4 * 64);
    int found = 0;
    for (;;) {
        const int capacity = static_cast<int>(ends.size() / 4);
        found = find(pixels, w, h, stride, dilate ? 1 : 0, maxThreshold, minThreshold, ends.data(),
                     capacity);
        if (found < 0)
            return {};
        if (found <= capacity)
            break;
        ends.resize(4 * static_cast<size_t>(found));
    }
    std::vector<Segment> segments(static_cast<size_t>(found));
    for (size_t i = 0; i < segments.size(); ++i)
        segments[i] = {ends[4 * i], ends[4 * i + 1], ends[4 * i + 2], ends[4 * i + 3]};
    return segments;
}

inline int Stride8(int w) {
    return (w + 3) / 4 * 4;
}

inline BYTE DetectGray(BYTE blue, BYTE green, BYTE red) {
    return static_cast<BYTE>(0.11 * blue + 0.59 * green + 0.3 * red + 0.5);
}

// Frees the work image and its palette when a detection method returns, on every path.
struct GrayWorkGuard {
    BYTE*& image;
    RGBQUAD*& palette;
    ~GrayWorkGuard() {
        std::free(image);
        std::free(palette);
        image = nullptr;
        palette = nullptr;
    }
};

// The plus-shaped 5 x 5 element of the edge checks: the centre and its four neighbours.
constexpr DWORD kPlusElement[25] = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1,
                                    1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};

// A section: columns x1..x2 and image rows y1..y2 (from the top), inclusive.
struct Section {
    int x1, y1, x2, y2;
    int Width() const { return x2 - x1 + 1; }
    int Height() const { return y2 - y1 + 1; }
};

// Orders the corners and clips the section to the picture; false when nothing is left.
bool ClipSection(int x1, int y1, int x2, int y2, int width, int height, Section& s) {
    s.x1 = std::max(std::min(x1, x2), 0);
    s.x2 = std::min(std::max(x1, x2), width - 1);
    s.y1 = std::max(std::min(y1, y2), 0);
    s.y2 = std::min(std::max(y1, y2), height - 1);
    return s.x1 <= s.x2 && s.y1 <= s.y2;
}

// Copies the section out of the work image: section row k is image row y2 - k.
std::vector<BYTE> CopySection(const BYTE* gray, int grayStride, int height, const Section& s) {
    const int w = s.Width(), h = s.Height(), stride = Stride8(w);
    std::vector<BYTE> out(static_cast<size_t>(stride) * h, 0);
    for (int k = 0; k < h; ++k) {
        const int stored = height - 1 - (s.y2 - k);
        std::memcpy(&out[static_cast<size_t>(k) * stride],
                    gray + static_cast<size_t>(stored) * grayStride + s.x1, static_cast<size_t>(w));
    }
    return out;
}

void CountHistogram(DWORD histogram[256], const BYTE* image, int w, int h, int stride) {
    std::memset(histogram, 0, 256 * sizeof(DWORD));
    for (int r = 0; r < h; ++r) {
        const BYTE* row = image + static_cast<size_t>(r) * stride;
        for (int c = 0; c < w; ++c)
            ++histogram[row[c]];
    }
}

// Gray values strictly above t become white, the rest black. ">" rather than ">=": with
// ">=", a picture of exactly two gray levels (t = the darker level) came out all white.
void Binarise(BYTE* image, int w, int h, int stride, int t) {
    for (int r = 0; r < h; ++r) {
        BYTE* row = image + static_cast<size_t>(r) * stride;
        for (int c = 0; c < w; ++c)
            row[c] = row[c] > t ? 255 : 0;
    }
}

} // namespace

int CDibImage::OtsuThreshold(const DWORD histogram[256]) {
    double total = 0;
    double weighted = 0;
    for (int i = 0; i < 256; ++i) {
        total += histogram[i];
        weighted += static_cast<double>(i) * histogram[i];
    }
    int best = 0;
    float bestVariance = 0.0f;
    double count0 = 0, sum0 = 0;
    for (int t = 0; t < 255; ++t) {
        count0 += histogram[t];
        sum0 += static_cast<double>(t) * histogram[t];
        const float q = static_cast<float>(count0);
        if (q <= 0.0f || total - q <= 0.0)
            continue; // an empty class has no mean: such a split never wins
        const double m0 = sum0 / q;
        const double m1 = (weighted - sum0) / (total - q);
        const float p0 = static_cast<float>(q / total);
        const float variance = static_cast<float>((m1 - m0) * (m1 - m0) * p0 * (1.0f - p0));
        if (variance > bestVariance) {
            bestVariance = variance;
            best = t;
        }
    }
    return best;
}

void CDibImage::WhitenOutsideBand(BYTE* sectionImage, int w, int h, int bandMode) {
    if (bandMode < 1 || bandMode > 4 || !sectionImage)
        return;
    const double W = w, H = h;
    const int w2 = w / 2, w4 = w / 4, w34 = 3 * w / 4;
    const int h2 = h / 2, h4 = h / 4, h34 = 3 * h / 4;
    auto whiten = [&](int r, int c) -> bool {
        switch (bandMode) {
        case 1:
            return (r < H / 2 && c < W / 2) || (r < H / 4 && c >= w2 && c < 3 * W / 4) ||
                   (r >= h4 && r < H / 2 && c >= w34) || (r >= h2 && r < 3 * H / 4 && c < W / 4) ||
                   (r >= h2 && c >= w2) || (r >= h34 && c >= w4 && c < W / 2);
        case 2:
            return (r < H / 4 && c >= w4 && c < W / 2) || (r < H / 2 && c >= w2) ||
                   (r >= h4 && r < H / 2 && c < W / 4) || (r >= h2 && c < W / 2) ||
                   (r >= h2 && r < 3 * H / 4 && c >= w34) || (r >= h34 && c >= w2 && c < 3 * W / 4);
        case 3:
            return c < W / 4 || c >= w34;
        default:
            return r < H / 4 || r >= h34;
        }
    };
    const int stride = Stride8(w);
    for (int r = 0; r < h; ++r) {
        BYTE* row = sectionImage + static_cast<size_t>(r) * stride;
        for (int c = 0; c < w; ++c)
            if (row[c] == 0 && whiten(r, c))
                row[c] = 255;
    }
}

void CDibImage::BinaryErode(BYTE* image, int w, int h, const DWORD* element, int ew, int eh) {
    if (!image || !element || w <= 0 || h <= 0 || ew <= 0 || eh <= 0)
        return;
    const int stride = Stride8(w), hw = ew / 2, hh = eh / 2;
    std::vector<BYTE> result(image, image + static_cast<size_t>(stride) * h);
    for (int row = hh; row < h - hh; ++row) {
        for (int col = hw; col < w - hw; ++col) {
            bool all = true;
            for (int i = 0; i < eh && all; ++i) {
                const BYTE* src = image + static_cast<size_t>(row - hh + i) * stride + (col - hw);
                for (int j = 0; j < ew; ++j) {
                    if (element[i * ew + j] && src[j] == 0) {
                        all = false;
                        break;
                    }
                }
            }
            result[static_cast<size_t>(row) * stride + col] = all ? 255 : 0;
        }
    }
    std::memcpy(image, result.data(), result.size());
}

void CDibImage::BinaryDilate(BYTE* image, int w, int h, const DWORD* element, int ew, int eh) {
    if (!image || !element || w <= 0 || h <= 0 || ew <= 0 || eh <= 0)
        return;
    const int stride = Stride8(w);
    const size_t size = static_cast<size_t>(stride) * h;
    std::vector<DWORD> mirrored(element, element + static_cast<size_t>(ew) * eh);
    std::reverse(mirrored.begin(), mirrored.end());
    for (size_t i = 0; i < size; ++i)
        image[i] = image[i] ? 0 : 255;
    BinaryErode(image, w, h, mirrored.data(), ew, eh);
    for (size_t i = 0; i < size; ++i)
        image[i] = image[i] ? 0 : 255;
}

void CDibImage::BinaryBoundary(BYTE* image, int w, int h) {
    if (!image || w < 3 || h < 3)
        return;
    const int stride = Stride8(w);
    std::vector<BYTE> result(image, image + static_cast<size_t>(stride) * h);
    for (int r = 1; r < h - 1; ++r) {
        for (int c = 1; c < w - 1; ++c) {
            if (image[static_cast<size_t>(r) * stride + c] != 0)
                continue;
            bool allBlack = true;
            for (int dr = -1; dr <= 1 && allBlack; ++dr)
                for (int dc = -1; dc <= 1; ++dc)
                    if (image[static_cast<size_t>(r + dr) * stride + c + dc] != 0) {
                        allBlack = false;
                        break;
                    }
            if (allBlack)
                result[static_cast<size_t>(r) * stride + c] = 255;
        }
    }
    std::memcpy(image, result.data(), result.size());
}

// Builds the gray work image (refusing a picture that is not 24-bit or has no pixels) and
// converts the stored rows rowFirst..rowLast, columns colFirst..colLast into it.
static bool BuildGrayWorkImage(const CDibImage& picture, BYTE*& gray, RGBQUAD*& palette, int& bpp,
                               int& width, int& height, int& entries, int rowFirst, int rowLast,
                               int colFirst, int colLast) {
    std::free(gray);
    std::free(palette);
    gray = nullptr;
    palette = nullptr;
    if (picture.GetBpp() != 24)
        return false;
    width = static_cast<int>(picture.GetWidth());
    height = static_cast<int>(picture.GetHeight());
    bpp = 8;
    entries = 256;
    if (!picture.IsValid() || width <= 0 || height <= 0)
        return false;
    palette = static_cast<RGBQUAD*>(std::malloc(256 * sizeof(RGBQUAD)));
    gray = static_cast<BYTE*>(std::malloc(static_cast<size_t>(Stride8(width)) * height));
    if (!palette || !gray)
        return false;
    for (int i = 0; i < 256; ++i)
        palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    rowFirst = std::max(rowFirst, 0);
    rowLast = std::min(rowLast, height - 1);
    colFirst = std::max(colFirst, 0);
    colLast = std::min(colLast, width - 1);
    const int stride = Stride8(width);
    for (int r = rowFirst; r <= rowLast; ++r) {
        const BYTE* src = picture.GetBits() + static_cast<size_t>(r) * picture.GetRowStride();
        BYTE* dst = gray + static_cast<size_t>(r) * stride;
        for (int c = colFirst; c <= colLast; ++c)
            dst[c] = DetectGray(src[3 * c], src[3 * c + 1], src[3 * c + 2]);
    }
    return true;
}

// One straight edge in a section; with dilate, the outline is dilated (3 x 3) before the
// Hough transform, and no band mask is applied.
static bool DetectLine(CDibImage& picture, BYTE*& gray, RGBQUAD*& palette, int& bpp, int& width,
                       int& height, int& entries, DWORD histogram[256], int x1, int y1, int x2,
                       int y2, int bandMode, bool dilate, POINT* end1, POINT* end2) {
    GrayWorkGuard guard{gray, palette};
    if (x1 == x2 || y1 == y2)
        return false;
    Section s{};
    const int W = static_cast<int>(picture.GetWidth()), H = static_cast<int>(picture.GetHeight());
    if (!ClipSection(x1, y1, x2, y2, W, H, s))
        s = Section{0, 0, -1, -1};
    if (!BuildGrayWorkImage(picture, gray, palette, bpp, width, height, entries, H - 1 - s.y2,
                            H - 1 - s.y1, s.x1, s.x2))
        return false;
    const int w = s.Width(), h = s.Height();
    // Too small to hold an outline inside its whitened two-pixel frame.
    if (w < 4 || h < 4)
        return false;
    const int stride = Stride8(w);
    std::vector<BYTE> section = CopySection(gray, Stride8(width), height, s);
    CountHistogram(histogram, section.data(), w, h, stride);
    Binarise(section.data(), w, h, stride, CDibImage::OtsuThreshold(histogram));
    CDibImage::BinaryBoundary(section.data(), w, h);
    for (int r = 0; r < h; ++r) {
        BYTE* row = &section[static_cast<size_t>(r) * stride];
        if (r <= 1 || r >= h - 2) {
            std::memset(row, 255, static_cast<size_t>(w));
        } else {
            row[0] = row[1] = row[w - 2] = row[w - 1] = 255;
        }
    }
    if (!dilate)
        CDibImage::WhitenOutsideBand(section.data(), w, h, bandMode);
    for (BYTE& b : section)
        b = b == 0 ? 255 : 0;

    const int diagonal = static_cast<int>(std::sqrt(double(w) * w + double(h) * h));
    const std::vector<Segment> segments =
        FindSegments(section.data(), w, h, stride, dilate, diagonal, dilate ? 11 : 6);
    if (segments.empty())
        return false;

    // The shortest segment; a later one also wins when it is not longer than the whole part
    // of the current choice's length.
    auto length = [](const Segment& l) {
        return std::sqrt(double(l[2] - l[0]) * (l[2] - l[0]) + double(l[3] - l[1]) * (l[3] - l[1]));
    };
    size_t choice = 0;
    int shortest = static_cast<int>(length(segments[0]));
    for (size_t i = 0; i < segments.size(); ++i) {
        const double len = length(segments[i]);
        if (shortest >= len) {
            shortest = static_cast<int>(len);
            choice = i;
        }
    }
    const Segment& l = segments[choice];
    const POINT a{s.x1 + l[0], s.y2 - l[1]};
    const POINT b{s.x1 + l[2], s.y2 - l[3]};
    if (a.x == 0 || b.x == 0 || a.y == H - 1 || b.y == H - 1 || (a.x == b.x && a.y == b.y))
        return false;
    if (end1)
        *end1 = a;
    if (end2)
        *end2 = b;
    return true;
}

bool CDibImage::DetectLineInSection(int x1, int y1, int x2, int y2, int bandMode, POINT* end1,
                                    POINT* end2) {
    return DetectLine(*this, m_grayImage, m_grayPalette, m_grayBpp, m_grayWidth, m_grayHeight,
                      m_grayPaletteEntries, m_histogram, x1, y1, x2, y2, bandMode, false, end1,
                      end2);
}

bool CDibImage::DetectLineInSectionDilated(int x1, int y1, int x2, int y2, int bandMode,
                                           POINT* end1, POINT* end2) {
    return DetectLine(*this, m_grayImage, m_grayPalette, m_grayBpp, m_grayWidth, m_grayHeight,
                      m_grayPaletteEntries, m_histogram, x1, y1, x2, y2, bandMode, true, end1,
                      end2);
}

// The first pixel, by ring and then in scan order (stored row 0 up, left to right), whose gray
// value differs from the centre's by the pass's contrast; passes from 160 down to 20.
static bool SearchPatch(const BYTE* patch, int w, int h, POINT& found) {
    if (!patch || w <= 0 || h <= 0)
        return false;
    const int stride = Stride8(w), cx = (w - 1) / 2, cy = (h - 1) / 2;
    const int gc = patch[static_cast<size_t>(cy) * stride + cx];
    // A pixel lies on at most one ring: neighbouring squares differ by 2k + 1 >= 3.
    std::vector<int> ring(static_cast<size_t>(w) * h, 0);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            const long d2 = long(i - cx) * (i - cx) + long(j - cy) * (j - cy);
            const int k = static_cast<int>(std::lround(std::sqrt(double(d2))));
            for (int kk = std::max(1, k - 1); kk <= k + 1 && kk <= cy - 1; ++kk)
                if (std::labs(d2 - long(kk) * kk) <= 1) {
                    ring[static_cast<size_t>(j) * w + i] = kk;
                    break;
                }
        }
    }
    for (int threshold = 160; threshold >= 20; threshold -= 20) {
        int bestRing = 0;
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                const int k = ring[static_cast<size_t>(j) * w + i];
                if (k == 0 || (bestRing != 0 && k >= bestRing))
                    continue;
                if (std::abs(gc - patch[static_cast<size_t>(j) * stride + i]) >= threshold) {
                    bestRing = k;
                    found = POINT{i, j};
                }
            }
        }
        if (bestRing != 0)
            return true;
    }
    return false;
}

POINT CDibImage::FindEdgePointInPatch(const BYTE* patch, int w, int h) {
    POINT p{0, 0};
    if (!SearchPatch(patch, w, h, p))
        p = POINT{0, 0};
    return p;
}

bool CDibImage::FindEdgePointNear(int x, int y, int, int, POINT* result, int r) {
    GrayWorkGuard guard{m_grayImage, m_grayPalette};
    // On every refusal the point stays at the click, which is what the callers fall back to.
    if (result)
        *result = POINT{x, y};
    const long long W = GetWidth(), H = GetHeight(), X = x, Y = y, R = r;
    if (R < 0 || X - R < 0 || X + R >= W || Y - R < 0 || Y + R >= H)
        return false;
    if (!BuildGrayWorkImage(*this, m_grayImage, m_grayPalette, m_grayBpp, m_grayWidth, m_grayHeight,
                            m_grayPaletteEntries, static_cast<int>(H - 1 - Y - R),
                            static_cast<int>(H - 1 - Y + R), x - r, x + r))
        return false;
    const int side = 2 * r + 1, stride = Stride8(side), grayStride = Stride8(m_grayWidth);
    std::vector<BYTE> patch(static_cast<size_t>(stride) * side, 0);
    for (int j = 0; j < side; ++j) {
        const long long stored = H - 1 - (Y + R - j);
        std::memcpy(&patch[static_cast<size_t>(j) * stride],
                    m_grayImage + static_cast<size_t>(stored) * grayStride + (x - r),
                    static_cast<size_t>(side));
    }
    POINT p{};
    if (!SearchPatch(patch.data(), side, side, p))
        return false; // no edge in the square: not the square's corner
    if (result)
        *result = POINT{x - r + p.x, y + r - p.y};
    return true;
}

bool CDibImage::RenderBinaryPreview(int x, int y, int w, int h, BYTE* out) {
    if (GetBpp() != 24 || !IsValid() || !out)
        return false;
    const int W = static_cast<int>(GetWidth()), H = static_cast<int>(GetHeight());
    // A window larger than the picture cannot be filled from it.
    if (w <= 0 || h <= 0 || w > W || h > H)
        return false;
    const int left = std::clamp(x - w / 2, 0, W - w);
    const int bottom = std::clamp((H - 1 - y) - h / 2, 0, H - h);
    const int outStride = (3 * w + 3) / 4 * 4;
    std::vector<BYTE> gray(static_cast<size_t>(w) * h);
    for (int r = 0; r < h; ++r) {
        const BYTE* src = GetBits() + static_cast<size_t>(bottom + r) * GetRowStride() + 3 * left;
        BYTE* dst = out + static_cast<size_t>(r) * outStride;
        std::memcpy(dst, src, static_cast<size_t>(3) * w);
        for (int c = 0; c < w; ++c)
            gray[static_cast<size_t>(r) * w + c] =
                DetectGray(dst[3 * c], dst[3 * c + 1], dst[3 * c + 2]);
    }
    CountHistogram(m_histogram, gray.data(), w, h, w);
    const int t = OtsuThreshold(m_histogram);
    for (int r = 0; r < h; ++r) {
        BYTE* dst = out + static_cast<size_t>(r) * outStride;
        for (int c = 0; c < w; ++c)
            std::memset(dst + 3 * c, gray[static_cast<size_t>(r) * w + c] > t ? 255 : 0, 3);
    }
    // The pointer, only while the window is centred on it horizontally, and only when the
    // pointer's row lies in the window (a pointer above or below the picture has none).
    const int pointerRow = (H - 1 - y) - bottom;
    if (x - w / 2 > 0 && x + w / 2 < W && pointerRow >= 0 && pointerRow < h) {
        BYTE* p = out + static_cast<size_t>(pointerRow) * outStride + 3 * (w / 2);
        p[0] = 0;
        p[1] = 0;
        p[2] = 255;
    }
    return true;
}

// Closes small gaps, keeps the outlines of the dark areas and thickens them to three pixels.
static void EdgeOutline(BYTE* image, int w, int h) {
    CDibImage::BinaryDilate(image, w, h, kPlusElement, 5, 5);
    CDibImage::BinaryErode(image, w, h, kPlusElement, 5, 5);
    CDibImage::BinaryBoundary(image, w, h);
    CDibImage::BinaryErode(image, w, h, kPlusElement, 5, 5);
}

bool CDibImage::CheckEdgePortion(int x1, int y1, int x2, int y2) {
    if (x1 == x2 || y1 == y2)
        return true;
    GrayWorkGuard guard{m_grayImage, m_grayPalette};
    const int W = static_cast<int>(GetWidth()), H = static_cast<int>(GetHeight());
    Section s{};
    const bool inside = ClipSection(x1, y1, x2, y2, W, H, s);
    if (!inside)
        s = Section{0, 0, -1, -1};
    if (!BuildGrayWorkImage(*this, m_grayImage, m_grayPalette, m_grayBpp, m_grayWidth, m_grayHeight,
                            m_grayPaletteEntries, H - 1 - s.y2, H - 1 - s.y1, s.x1, s.x2))
        return false;
    if (!inside)
        return true;
    const int w = s.Width(), h = s.Height(), stride = Stride8(w);
    std::vector<BYTE> section = CopySection(m_grayImage, Stride8(W), H, s);
    CountHistogram(m_histogram, section.data(), w, h, stride);
    Binarise(section.data(), w, h, stride, OtsuThreshold(m_histogram));
    EdgeOutline(section.data(), w, h);
    // Section row k is image row y2 - k; paint image rows y1 + 4 .. y2 - 5 and columns
    // x1 + 5 .. x2 - 4, leaving the section's border, where the morphology had no neighbours.
    for (int k = 5; k <= h - 5; ++k) {
        const int imageRow = s.y2 - k;
        BYTE* dst = GetBits() + static_cast<size_t>(H - 1 - imageRow) * GetRowStride();
        for (int c = 5; c <= w - 5; ++c)
            if (section[static_cast<size_t>(k) * stride + c] == 0) {
                BYTE* p = dst + 3 * (s.x1 + c);
                p[0] = 0;
                p[1] = 0;
                p[2] = 255;
            }
    }
    return true;
}

bool CDibImage::CheckEdgeGlobal() {
    GrayWorkGuard guard{m_grayImage, m_grayPalette};
    const int W = static_cast<int>(GetWidth()), H = static_cast<int>(GetHeight());
    if (!BuildGrayWorkImage(*this, m_grayImage, m_grayPalette, m_grayBpp, m_grayWidth, m_grayHeight,
                            m_grayPaletteEntries, 0, H - 1, 0, W - 1))
        return false;
    const int stride = Stride8(W);
    CountHistogram(m_histogram, m_grayImage, W, H, stride);
    Binarise(m_grayImage, W, H, stride, OtsuThreshold(m_histogram));
    EdgeOutline(m_grayImage, W, H);
    for (int r = 5; r <= H - 6; ++r) {
        BYTE* dst = GetBits() + static_cast<size_t>(r) * GetRowStride();
        const BYTE* src = m_grayImage + static_cast<size_t>(r) * stride;
        for (int c = 5; c <= W - 6; ++c)
            if (src[c] == 0) {
                dst[3 * c] = 0;
                dst[3 * c + 1] = 0;
                dst[3 * c + 2] = 255;
            }
    }
    return true;
}

int CDibImage::HoughAccumulate(const BYTE* image, int w, int h, DWORD* acc, int accW, int accH,
                               float rhoStep, float thetaStep, float* rho, float* theta) {
    if (!acc || accW <= 0 || accH <= 0)
        return 0;
    std::fill(acc, acc + static_cast<size_t>(accW) * accH, 0);
    if (image && rhoStep != 0.0f) {
        std::vector<double> sines(static_cast<size_t>(accH)), cosines(static_cast<size_t>(accH));
        for (int k = 0; k < accH; ++k) {
            const double a = (k - accH / 2) * double(thetaStep) * kPi / 180.0;
            sines[k] = std::sin(a);
            cosines[k] = std::cos(a);
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (image[static_cast<size_t>(y) * w + x] != 0)
                    continue;
                for (int k = 0; k < accH; ++k) {
                    const double d = (sines[k] * (y - h / 2) + cosines[k] * (x - w / 2)) / rhoStep;
                    const int col = static_cast<int>(d + 0.5) + accW / 2;
                    // A distance beyond the accumulator's width is not counted (rather than
                    // written past its end).
                    if (col >= 0 && col < accW)
                        ++acc[static_cast<size_t>(k) * accW + col];
                }
            }
    }
    size_t best = 0;
    for (size_t i = 0; i < static_cast<size_t>(accW) * accH; ++i)
        if (acc[i] >= acc[best])
            best = i;
    if (rho)
        *rho = (static_cast<int>(best % accW) - accW / 2) * rhoStep;
    if (theta)
        *theta = (static_cast<int>(best / accW) - accH / 2) * thetaStep;
    return accH / 2;
}

int CDibImage::FitLineLeastSquares(const POINT* points, int n, double* a, double* b) {
    if (!points || n < 2 || !a || !b)
        return 0;
    double mx = 0, my = 0;
    for (int i = 0; i < n; ++i) {
        mx += points[i].x;
        my += points[i].y;
    }
    mx /= n;
    my /= n;
    double sxy = 0, sxx = 0;
    for (int i = 0; i < n; ++i) {
        sxy += (points[i].x - mx) * (points[i].y - my);
        sxx += (points[i].x - mx) * (points[i].x - mx);
    }
    if (sxx == 0.0) {
        *b = 0.0;
        *a = mx;
    } else {
        *b = sxy / sxx;
        *a = my - *b * mx;
    }
    return 1;
}

// 3 x 3 morphology: with dilate, 255 when a selected neighbour is 255; otherwise 0 when a
// selected neighbour is 0. Rows and columns at the border come out white.
static bool Morphology3x3(BYTE* image, int w, int h, const int* element, bool dilate) {
    if (!image || !element || w <= 0 || h <= 0)
        return false;
    const size_t size = static_cast<size_t>(w) * h;
    for (size_t i = 0; i < size; ++i)
        if (image[i] != 0 && image[i] != 255)
            return false;
    std::vector<BYTE> work(size, 255);
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) {
            bool hit = false;
            for (int i = 0; i < 9 && !hit; ++i) {
                if (element[i] == -1)
                    continue;
                const BYTE v = image[static_cast<size_t>(y - 1 + i / 3) * w + (x - 1 + i % 3)];
                hit = dilate ? v == 255 : v == 0;
            }
            work[static_cast<size_t>(y) * w + x] = dilate ? (hit ? 255 : 0) : (hit ? 0 : 255);
        }
    std::memcpy(image, work.data(), size);
    return true;
}

bool CDibImage::BinaryDilate3x3(BYTE* image, int w, int h, int, const int* element3x3) {
    return Morphology3x3(image, w, h, element3x3, true);
}

bool CDibImage::BinaryErode3x3(BYTE* image, int w, int h, int, const int* element3x3) {
    return Morphology3x3(image, w, h, element3x3, false);
}
