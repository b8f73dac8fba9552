// Brightness, convolution, median and threshold operations.
//
// The neighbourhood operations work on the selection box when the picture has a selection, else
// on the whole picture, and change only the pixels the selection contains. The filter and the
// median write gray and 24-bit pictures in place, the others into a working copy that replaces
// the picture at the end; either way every pixel is computed from the picture as it was.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define DIBIMAGE_AVX2 1
#endif

#include "imaging/DibClamp.h"
#include "imaging/DibImage.h"
#include "platform/win/core/Processor.h"

namespace {

using dibimage::ClampByte;
using dibimage::ClampByteF;

// ---- working in place
//
// The filter and the median write the picture in place where its depth allows (depthInPlace)
// and it owns its pixels alone (a shared view has been given its own copy before). A picture
// that holds layers or is one takes a working copy that replaces it at the end, as the other
// depths do. Returns the picture to write, image itself or the copy made in copy; null when the
// copy cannot be made (image then tells why).
CDibImage* WorkingTarget(CDibImage& image, bool depthInPlace, std::optional<CDibImage>& copy) {
    if (depthInPlace && !image.GetParentImage() && image.GetInfo().layerCount == 0)
        return &image;
    copy.emplace(image, true, true, true);
    if (!copy->IsValid()) {
        image.SetLastError(copy->GetLastErrorText());
        return nullptr;
    }
    return &*copy;
}

// Writing row by row, the operation still reads rows it has written, as they were. Before row y
// is written it is saved here; rows from the first written one up to y are then read from the
// saved copies, all others from the picture (those before were never written, those after not
// yet). The few rows the window reaches back are all the memory this needs, where a working
// copy of the whole picture costs its size in fresh pages on every call.
class SavedRows {
public:
    // reach: how many rows before the written one the window reads; 0 saves nothing.
    SavedRows(const BYTE* bits, size_t stride, long first, long reach)
        : m_bits(bits), m_stride(stride), m_first(first),
          m_keep(reach > 0 ? static_cast<size_t>(reach) + 1 : 0), m_rows(m_keep * stride) {}

    void Save(long y) {
        if (m_keep) {
            std::memcpy(m_rows.data() + Slot(y), m_bits + static_cast<size_t>(y) * m_stride,
                        m_stride);
            m_last = y;
        }
    }
    const BYTE* Row(long r) const {
        if (m_keep && r >= m_first && r <= m_last)
            return m_rows.data() + Slot(r);
        return m_bits + static_cast<size_t>(r) * m_stride;
    }

private:
    size_t Slot(long r) const { return static_cast<size_t>(r - m_first) % m_keep * m_stride; }

    const BYTE* m_bits;
    size_t m_stride;
    long m_first;
    long m_last = -1;
    size_t m_keep;
    std::vector<BYTE> m_rows;
};

// Runs the vector path, where the processor has it, over the start of [first, last) (it returns
// where it stopped) and the portable path on each index it left.
// Elsewhere than on x86 the vector paths are stubs that are never called.
template <class Index, class Vector, class Each>
void VectorThenEach(Index first, Index last, Vector vector, Each each) {
    Index i = first;
    if (IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE))
        i = vector();
    for (; i < last; ++i)
        each(i);
}

// ---- convolution rows
//
// Where the whole kernel lies on the picture every output byte is the same sum of weighted
// source bytes at fixed distances, so a row is computed byte by byte along its length, the
// channels of a colour picture side by side. The vector path sums in 32 bits and divides in
// single precision, which truncates to the same quotient as the integer division as long as
// sums and divisor stay below 2^24 (the quotient's rounding error is then less than its
// distance to the next integer); kernels beyond that take the pixel path.

// The kernel as the row path sees it: its nonzero weights and, per weight, the first source
// byte that weight multiplies for the row at hand.
struct RowKernel {
    std::vector<int> weights;
    std::vector<long> dy, dx; // the weight's place relative to the pixel
    std::vector<const BYTE*> sources;
    long divisor = 0; // 0: no division
    long offset = 0;
};

constexpr long kFloatExact = 1L << 24;

// Whether sums and divisor fit the row path; fills the weights if so.
bool MakeRowKernel(const long* kernel, long size, long divisor, long offset, long long total,
                   RowKernel& rk) {
    long long absolute = 0;
    for (long i = 0; i < size * size; ++i) {
        if (kernel[i] < -kFloatExact || kernel[i] > kFloatExact)
            return false;
        absolute += kernel[i] < 0 ? -kernel[i] : kernel[i];
    }
    // A kernel whose weights cancel out is applied undivided, as at the borders.
    rk.divisor = total == 0 ? 0 : divisor;
    if (255 * absolute >= kFloatExact || rk.divisor <= -kFloatExact || rk.divisor >= kFloatExact)
        return false;
    rk.offset = offset;
    const long k2 = size / 2;
    for (long i = 0; i < size * size; ++i)
        if (kernel[i] != 0) {
            rk.weights.push_back(static_cast<int>(kernel[i]));
            rk.dy.push_back(i / size - k2);
            rk.dx.push_back(i % size - k2);
        }
    rk.sources.resize(rk.weights.size());
    return true;
}

BYTE RowKernelByte(const RowKernel& rk, size_t i) {
    long long sum = 0;
    for (size_t t = 0; t < rk.weights.size(); ++t)
        sum += static_cast<long long>(rk.weights[t]) * rk.sources[t][i];
    return ClampByte((rk.divisor ? sum / rk.divisor : sum) + rk.offset);
}

#ifdef DIBIMAGE_AVX2
// Stores four vectors of eight 32-bit values as 32 bytes in the same order, clamped to 0..255:
// the saturating packs are the clamp, the permutation undoes their lane order.
__attribute__((target("avx2"))) inline void StoreClamped(const __m256i (&v)[4], BYTE* out) {
    const __m256i packed =
        _mm256_packus_epi16(_mm256_packs_epi32(v[0], v[1]), _mm256_packs_epi32(v[2], v[3]));
    _mm256_storeu_si256(
        reinterpret_cast<__m256i*>(out),
        _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7)));
}

// Bytes [0, n) in steps of 32; returns how many it did.
__attribute__((target("avx2"))) size_t RowKernelAvx2(const RowKernel& rk, size_t n, BYTE* out) {
    const __m256 divisor = _mm256_set1_ps(static_cast<float>(rk.divisor));
    // Beyond +-2^25 the offset saturates every result alike.
    const __m256i offset = _mm256_set1_epi32(
        static_cast<int>(std::clamp(rk.offset, -2 * kFloatExact, 2 * kFloatExact)));
    const size_t taps = rk.weights.size();
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256i acc[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(),
                          _mm256_setzero_si256()};
        for (size_t t = 0; t < taps; ++t) {
            const __m256i k = _mm256_set1_epi32(rk.weights[t]);
            const BYTE* s = rk.sources[t] + i;
            for (int q = 0; q < 4; ++q) {
                const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 8 * q));
                acc[q] =
                    _mm256_add_epi32(acc[q], _mm256_mullo_epi32(k, _mm256_cvtepu8_epi32(bytes)));
            }
        }
        for (auto& a : acc) {
            if (rk.divisor)
                a = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(a), divisor));
            a = _mm256_add_epi32(a, offset);
        }
        StoreClamped(acc, out + i);
    }
    return i;
}
#else
size_t RowKernelAvx2(const RowKernel&, size_t, BYTE*) {
    return 0;
}
#endif

// The n bytes of one row from the sources set in rk.
void RowKernelRow(const RowKernel& rk, size_t n, BYTE* out) {
    VectorThenEach(
        size_t{0}, n, [&] { return RowKernelAvx2(rk, n, out); },
        [&](size_t i) { out[i] = RowKernelByte(rk, i); });
}

// ---- median rows
//
// A full 3 x 3 neighbourhood's nine gray levels, each with its place n = 3 (dx + 1) + dy + 1
// below it as a 12-bit key: the keys are distinct, the fifth smallest is the median, and equal
// grays rank by their place. A fixed network of 19 compare-exchanges finds it: after them the
// middle entry holds the median.
constexpr int kMedianOfNine[19][2] = {{1, 2}, {4, 5}, {7, 8}, {0, 1}, {3, 4}, {6, 7}, {1, 2},
                                      {4, 5}, {7, 8}, {0, 3}, {5, 8}, {4, 7}, {3, 6}, {1, 4},
                                      {2, 5}, {4, 7}, {4, 2}, {6, 4}, {4, 2}};

BYTE MedianPlace(const BYTE* grays, long w, long y, long x) {
    unsigned p[9];
    for (int n = 0; n < 9; ++n)
        p[n] = static_cast<unsigned>(grays[(y + n % 3 - 1) * w + x + n / 3 - 1]) << 4 | n;
    for (auto [a, b] : kMedianOfNine)
        if (p[a] > p[b])
            std::swap(p[a], p[b]);
    return static_cast<BYTE>(p[4] & 15);
}

#ifdef DIBIMAGE_AVX2
// Sixteen sorted column keys from column on, given their column's place in the neighbourhood.
__attribute__((target("avx2"))) inline __m256i ColumnKeys(const std::uint16_t* from, int column) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + column));
    return column ? _mm256_or_si256(v, _mm256_set1_epi16(static_cast<short>(column << 2))) : v;
}

__attribute__((target("avx2"))) inline __m256i Median3(__m256i a, __m256i b, __m256i c) {
    return _mm256_max_epu16(_mm256_min_epu16(a, b), _mm256_min_epu16(_mm256_max_epu16(a, b), c));
}

// Places for x in [x0, x1) in steps of 16, the last step overlapping the one before; returns
// the first x it did not do (x0 when the stretch is shorter than a step). Each column of three
// grays is sorted once into columns (three runs of w + 16 entries: lowest, middle, highest) and
// serves the three neighbourhoods it belongs to. The keys rank as above, gray, then column, then
// row: the column's key holds the gray and the row, the column's place in the neighbourhood is
// added when the neighbourhood is formed. Of nine distinct keys in sorted columns, the median is
// the median of the highest lowest, the middle middle and the lowest highest entry.
__attribute__((target("avx2"))) long MedianPlacesAvx2(const BYTE* grays, long w, long y, long x0,
                                                      long x1, BYTE* places,
                                                      std::uint16_t* columns) {
    if (x1 - x0 < 16)
        return x0;
    const size_t run = static_cast<size_t>(w) + 16;
    std::uint16_t* const lowest = columns;
    std::uint16_t* const middle = columns + run;
    std::uint16_t* const highest = columns + 2 * run;
    // Columns x0 - 1 to x1, which lie on the picture.
    const long first = x0 - 1, count = x1 - x0 + 2;
    for (long i = 0;; i = std::min(i + 16, count - 16)) {
        __m256i k[3];
        for (int r = 0; r < 3; ++r) {
            const BYTE* g = grays + (y + r - 1) * w + first + i;
            k[r] = _mm256_or_si256(
                _mm256_slli_epi16(
                    _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(g))), 4),
                _mm256_set1_epi16(static_cast<short>(r)));
        }
        for (auto [a, b] : {std::pair{0, 1}, std::pair{1, 2}, std::pair{0, 1}}) {
            const __m256i low = _mm256_min_epu16(k[a], k[b]);
            k[b] = _mm256_max_epu16(k[a], k[b]);
            k[a] = low;
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(lowest + i), k[0]);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(middle + i), k[1]);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(highest + i), k[2]);
        if (i + 16 == count)
            break;
    }
    // Column 4 c + row to place 3 c + row.
    const __m128i toPlace = _mm_setr_epi8(0, 1, 2, 0, 3, 4, 5, 0, 6, 7, 8, 0, 0, 0, 0, 0);
    for (long x = x0;; x = std::min(x + 16, x1 - 16)) {
        const size_t at = static_cast<size_t>(x - x0);
        const __m256i lowMax = _mm256_max_epu16(
            ColumnKeys(lowest + at, 0),
            _mm256_max_epu16(ColumnKeys(lowest + at, 1), ColumnKeys(lowest + at, 2)));
        const __m256i highMin = _mm256_min_epu16(
            ColumnKeys(highest + at, 0),
            _mm256_min_epu16(ColumnKeys(highest + at, 1), ColumnKeys(highest + at, 2)));
        const __m256i middleMedian = Median3(ColumnKeys(middle + at, 0), ColumnKeys(middle + at, 1),
                                             ColumnKeys(middle + at, 2));
        const __m256i n =
            _mm256_and_si256(Median3(lowMax, middleMedian, highMin), _mm256_set1_epi16(15));
        const __m128i bytes =
            _mm_packus_epi16(_mm256_castsi256_si128(n), _mm256_extracti128_si256(n, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(places + at), _mm_shuffle_epi8(toPlace, bytes));
        if (x + 16 == x1)
            return x1;
    }
}
#else
long MedianPlacesAvx2(const BYTE*, long, long, long x0, long, BYTE*, std::uint16_t*) {
    return x0;
}
#endif

// The median's place for every x in [x0, x1) of row y; the neighbourhoods lie on the picture.
// columns: scratch of 3 (w + 16) entries.
void MedianPlaces(const BYTE* grays, long w, long y, long x0, long x1, BYTE* places,
                  std::uint16_t* columns) {
    VectorThenEach(
        x0, x1, [&] { return MedianPlacesAvx2(grays, w, y, x0, x1, places, columns); },
        [&](long x) { places[x - x0] = MedianPlace(grays, w, y, x); });
}

#ifdef DIBIMAGE_AVX2
// The 24-bit colours the places of [x0, x1) choose, 32 pixels at a time, the last step
// overlapping the one before, written to out (the row's first byte); returns the first x it did
// not do (x0 when the stretch is shorter than a step). rows: the three source rows y - 1, y and
// y + 1. The nine candidate byte runs are the three rows shifted a pixel left, not at all and
// right; each output byte takes its pixel's candidate by two rounds of blends, first the column
// then the row, the masks looked up from the place. Every read stays within pixels x - 1 to
// x1 of the rows, which the neighbourhoods hold.
__attribute__((target("avx2"))) long
TakeColoursAvx2(const BYTE* const (&rows)[3], const BYTE* places, long x0, long x1, BYTE* out) {
    // Place n = 3 column + row: bit 7 set where the column (row) is 1 or 2.
    // clang-format off
    const __m256i column1 = _mm256_broadcastsi128_si256(_mm_setr_epi8(
        0, 0, 0, -128, -128, -128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    const __m256i column2 = _mm256_broadcastsi128_si256(_mm_setr_epi8(
        0, 0, 0, 0, 0, 0, -128, -128, -128, 0, 0, 0, 0, 0, 0, 0));
    const __m256i row1 = _mm256_broadcastsi128_si256(_mm_setr_epi8(
        0, -128, 0, 0, -128, 0, 0, -128, 0, 0, 0, 0, 0, 0, 0, 0));
    const __m256i row2 = _mm256_broadcastsi128_si256(_mm_setr_epi8(
        0, 0, -128, 0, 0, -128, 0, 0, -128, 0, 0, 0, 0, 0, 0, 0));
    // Byte i of the 16-byte stretch m of the output belongs to pixel (16 m + i) / 3; the
    // stretch's places are loaded from (16 m) / 3 on, so the index is the difference.
    alignas(32) static constexpr signed char kSpread[3][32] = {
        {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5,
         0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5},
        {0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5,
         0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5},
        {0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5,
         0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5}};
    // clang-format on
    constexpr long kFirstPlace[6] = {0, 5, 10, 16, 21, 26};
    if (x1 - x0 < 32)
        return x0;
    for (long x = x0;; x = std::min(x + 32, x1 - 32)) {
        const BYTE* place = places + (x - x0);
        for (int j = 0; j < 3; ++j) {
            const __m256i spread = _mm256_load_si256(reinterpret_cast<const __m256i*>(kSpread[j]));
            const __m256i own = _mm256_shuffle_epi8(
                _mm256_inserti128_si256(
                    _mm256_castsi128_si256(_mm_loadu_si128(
                        reinterpret_cast<const __m128i*>(place + kFirstPlace[2 * j]))),
                    _mm_loadu_si128(
                        reinterpret_cast<const __m128i*>(place + kFirstPlace[2 * j + 1])),
                    1),
                spread);
            const __m256i c1 = _mm256_shuffle_epi8(column1, own);
            const __m256i c2 = _mm256_shuffle_epi8(column2, own);
            __m256i v[3];
            for (int r = 0; r < 3; ++r) {
                const BYTE* s = rows[r] + 3 * (x - 1) + 32 * j;
                const __m256i left = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
                const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 3));
                const __m256i right = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 6));
                v[r] = _mm256_blendv_epi8(_mm256_blendv_epi8(left, here, c1), right, c2);
            }
            const __m256i chosen =
                _mm256_blendv_epi8(_mm256_blendv_epi8(v[0], v[1], _mm256_shuffle_epi8(row1, own)),
                                   v[2], _mm256_shuffle_epi8(row2, own));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 3 * x + 32 * j), chosen);
        }
        if (x + 32 == x1)
            return x1;
    }
}
#else
long TakeColoursAvx2(const BYTE* const (&)[3], const BYTE*, long x0, long, BYTE*) {
    return x0;
}
#endif

#ifdef DIBIMAGE_AVX2
// Gray levels of 24-bit pixels 32 at a time; returns how many it did. Each load reads eight
// bytes past the pixels it converts, so the last three pixels of the row are left over.
__attribute__((target("avx2"))) long GrayRowAvx2(const BYTE* p, long n, BYTE* g) {
    // Four pixels per lane: blue and green as a pair of 16-bit words, red alone.
    // clang-format off
    alignas(32) static constexpr signed char kBlueGreen[32] = {
        0, -1, 1, -1, 3, -1, 4, -1, 6, -1, 7, -1, 9, -1, 10, -1,
        0, -1, 1, -1, 3, -1, 4, -1, 6, -1, 7, -1, 9, -1, 10, -1};
    alignas(32) static constexpr signed char kRed[32] = {
        2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1,
        2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1};
    // clang-format on
    const __m256i blueGreen = _mm256_load_si256(reinterpret_cast<const __m256i*>(kBlueGreen));
    const __m256i red = _mm256_load_si256(reinterpret_cast<const __m256i*>(kRed));
    const __m256i blueGreenWeights = _mm256_set1_epi32(117 | 601 << 16);
    const __m256i redWeight = _mm256_set1_epi32(306);
    const __m256i spread = _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6); // bytes 12.. to lane 1
    long x = 0;
    for (; x + 35 <= n; x += 32) {
        __m256i level[4];
        for (int q = 0; q < 4; ++q) {
            const __m256i bytes = _mm256_permutevar8x32_epi32(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 3 * (x + 8 * q))), spread);
            const __m256i sum = _mm256_add_epi32(
                _mm256_madd_epi16(_mm256_shuffle_epi8(bytes, blueGreen), blueGreenWeights),
                _mm256_madd_epi16(_mm256_shuffle_epi8(bytes, red), redWeight));
            level[q] = _mm256_srli_epi32(sum, 10);
        }
        StoreClamped(level, g + x);
    }
    return x;
}
#else
long GrayRowAvx2(const BYTE*, long, BYTE*) {
    return 0;
}
#endif

// Gray levels of a row of 24-bit pixels.
void GrayRow(const BYTE* p, long n, BYTE* g) {
    VectorThenEach(
        0L, n, [&] { return GrayRowAvx2(p, n, g); },
        [&](long x) { g[x] = CDibImage::GrayLevel(p[3 * x], p[3 * x + 1], p[3 * x + 2]); });
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
    const bool gray = GetBpp() == 8 && IsGrayScale();
    const bool trueColour = GetBpp() == 24;
    if (!OwnPixels())
        return false;
    std::optional<CDibImage> copy;
    CDibImage* const working = WorkingTarget(*this, gray || trueColour, copy);
    if (!working)
        return false;
    CDibImage& target = *working;
    const bool inPlace = working == this;
    long long total = 0;
    for (long i = 0; i < size * size; ++i)
        total += kernel[i];

    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    long xmin, xmax, ymin, ymax;
    GetWorkArea(xmin, xmax, ymin, ymax);
    const DWORD stride = GetRowStride();
    SavedRows source(m_info.bits, stride, ymin, inPlace ? std::min(k2, ymax - ymin) : 0);

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

    // One pixel, with the part of the kernel that lies on the picture.
    auto filterPixel = [&](long x, long y) {
        if (!SelectionIsInsideUnchecked(x, y))
            return;
        const long dyLow = std::max(-k2, -y), dyHigh = std::min(kmax - 1, h - 1 - y);
        const long dxLow = std::max(-k2, -x), dxHigh = std::min(kmax - 1, w - 1 - x);
        long long r = 0, g = 0, b = 0, used = 0;
        for (long dy = dyLow; dy <= dyHigh; ++dy) {
            const long* weights = kernel + (dy + k2) * size + k2;
            const BYTE* row = source.Row(y + dy);
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
            target.m_info.bits[static_cast<size_t>(y) * stride + x] = result(b, used);
        } else {
            RGBQUAD c{result(b, used), result(g, used), result(r, used), 0};
            target.SetPixelColorUnchecked(x, y, c, false);
        }
    };

    // Inside [inX0, inX1) x [inY0, inY1) the whole kernel lies on the picture: those stretches
    // of a row are computed a row at a time.
    const long inX0 = std::max(xmin, k2), inX1 = std::min(xmax, w - kmax + 1);
    const long inY0 = k2, inY1 = h - kmax + 1;
    RowKernel rk;
    const bool byRows = (gray || trueColour) && inX0 < inX1 &&
                        MakeRowKernel(kernel, size, divisor, offset, total, rk);
    const long bytesPerPixel = trueColour ? 3 : 1;
    std::vector<BYTE> out(byRows ? static_cast<size_t>((inX1 - inX0) * bytesPerPixel) : 0);

    for (long y = ymin; y < ymax; ++y) {
        m_info.progress = 100 * (y - ymin) / (ymax - ymin);
        if (m_info.escape)
            break;
        source.Save(y);
        if (!byRows || y < inY0 || y >= inY1) {
            for (long x = xmin; x < xmax; ++x)
                filterPixel(x, y);
            continue;
        }
        for (long x = xmin; x < inX0; ++x)
            filterPixel(x, y);
        for (size_t t = 0; t < rk.weights.size(); ++t)
            rk.sources[t] = source.Row(y + rk.dy[t]) + (inX0 + rk.dx[t]) * bytesPerPixel;
        RowKernelRow(rk, out.size(), out.data());
        BYTE* row = target.m_info.bits + static_cast<size_t>(y) * stride + inX0 * bytesPerPixel;
        if (!m_selection) {
            std::memcpy(row, out.data(), out.size());
        } else {
            for (long x = inX0; x < inX1; ++x)
                if (SelectionIsInsideUnchecked(x, y))
                    std::memcpy(row + (x - inX0) * bytesPerPixel,
                                out.data() + (x - inX0) * bytesPerPixel,
                                static_cast<size_t>(bytesPerPixel));
        }
        for (long x = inX1; x < xmax; ++x)
            filterPixel(x, y);
    }
    return inPlace || TransferFrom(*copy, true);
}

bool CDibImage::Median(long size) {
    // A neighbourhood of no pixels has no median.
    if (!m_dib || size < 1)
        return false;
    // A window reaching past every border sees the whole picture; a larger one sees no more.
    size = std::min(size, 2 * static_cast<long>(std::max(GetWidth(), GetHeight())) + 1);
    const long k2 = size / 2, kmax = size - k2;
    const bool trueColour = GetBpp() == 24;
    if (!OwnPixels())
        return false;
    std::optional<CDibImage> copy;
    CDibImage* const working = WorkingTarget(*this, trueColour, copy);
    if (!working)
        return false;
    CDibImage& target = *working;
    const bool inPlace = working == this;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    // Every pixel's gray level once, instead of once per neighbourhood it belongs to. A row's
    // levels are worked out just before the first neighbourhood that reaches it, while the row
    // is still as it was and they are read while still in the cache.
    std::unique_ptr<BYTE[]> grays(new BYTE[static_cast<size_t>(w) * static_cast<size_t>(h)]);
    long grayed = 0; // rows [0, grayed) have their levels
    auto grayThrough = [&](long last) {
        for (; grayed <= std::min(last, h - 1); ++grayed) {
            const long y = grayed;
            BYTE* g = grays.get() + static_cast<size_t>(y) * w;
            if (trueColour) {
                GrayRow(GetBits(static_cast<DWORD>(y)), w, g);
            } else {
                for (long x = 0; x < w; ++x) {
                    RGBQUAD c = GetPixelColorUnchecked(x, y, false);
                    g[x] = GrayLevel(c.rgbBlue, c.rgbGreen, c.rgbRed);
                }
            }
        }
    };
    // Sort keys: gray level above, collection index below, so equal grays keep the order in
    // which they were collected and the chosen colour is the same on every C library.
    const size_t area = static_cast<size_t>(size) * static_cast<size_t>(size);
    std::vector<unsigned long long> keys(area);
    std::vector<std::pair<long, long>> where(area); // x and y of each collected pixel
    // Padded: the vector path reads up to 16 places past those it takes.
    std::vector<BYTE> places(static_cast<size_t>(w) + 16);
    std::vector<std::uint16_t> columns(3 * (static_cast<size_t>(w) + 16));

    long xmin, xmax, ymin, ymax;
    GetWorkArea(xmin, xmax, ymin, ymax);
    SavedRows source(m_info.bits, m_info.rowStride, ymin, inPlace ? std::min(k2, ymax - ymin) : 0);

    // The median of any neighbourhood, the part of it on the picture. The keys are distinct, so
    // the one of rank n / 2 is the median whichever way it is found: by counting ranks in the
    // small neighbourhoods at the borders of the 3 x 3 median, where that does without branches,
    // else by partial sorting.
    auto anyMedian = [&](long x, long y, long& cx, long& cy) {
        const long dyLow = std::max(-k2, -y), dyHigh = std::min(kmax - 1, h - 1 - y);
        const long dxLow = std::max(-k2, -x), dxHigh = std::min(kmax - 1, w - 1 - x);
        size_t n = 0;
        for (long dx = dxLow; dx <= dxHigh; ++dx)
            for (long dy = dyLow; dy <= dyHigh; ++dy) {
                const size_t at = static_cast<size_t>(y + dy) * w + (x + dx);
                where[n] = {x + dx, y + dy};
                keys[n] = (static_cast<unsigned long long>(grays[at]) << 32) | n;
                ++n;
            }
        size_t median = 0;
        if (n <= 9) {
            for (size_t i = 0; i < n; ++i) {
                size_t rank = 0;
                for (size_t j = 0; j < n; ++j)
                    rank += keys[j] < keys[i];
                if (rank == n / 2)
                    median = i;
            }
        } else {
            std::nth_element(keys.begin(), keys.begin() + static_cast<long>(n / 2),
                             keys.begin() + static_cast<long>(n));
            median = keys[n / 2] & 0xFFFFFFFFull;
        }
        cx = where[median].first;
        cy = where[median].second;
    };
    auto take = [&](long x, long y, long cx, long cy) {
        if (trueColour)
            std::memcpy(target.m_info.bits + static_cast<size_t>(y) * m_info.rowStride + 3 * x,
                        source.Row(cy) + 3 * cx, 3);
        else
            target.SetPixelColorUnchecked(x, y, GetPixelColorUnchecked(cx, cy, true), false);
    };
    auto anyPixels = [&](long x0, long x1, long y) {
        for (long x = x0; x < x1; ++x)
            if (SelectionIsInsideUnchecked(x, y)) {
                long cx, cy;
                anyMedian(x, y, cx, cy);
                take(x, y, cx, cy);
            }
    };

    for (long y = ymin; y < ymax; ++y) {
        m_info.progress = 100 * (y - ymin) / (ymax - ymin);
        if (m_info.escape)
            break;
        source.Save(y);
        grayThrough(y + kmax - 1);
        if (size != 3 || y < 1 || y + 1 >= h) {
            anyPixels(xmin, xmax, y);
            continue;
        }
        // Full 3 x 3 neighbourhoods, [x0, x1), by the selection network.
        const long x0 = std::max(xmin, 1L), x1 = std::max(x0, std::min(xmax, w - 1));
        anyPixels(xmin, x0, y);
        MedianPlaces(grays.get(), w, y, x0, x1, places.data(), columns.data());
        const BYTE* place = places.data() - x0;
        if (trueColour) {
            // Where each place's colour starts, for x = 0.
            const BYTE* from[9];
            for (long n = 0; n < 9; ++n)
                from[n] = source.Row(y + n % 3 - 1) + 3 * (n / 3 - 1);
            BYTE* out = target.m_info.bits + static_cast<size_t>(y) * m_info.rowStride;
            if (!m_selection) {
                const BYTE* const rows[3] = {source.Row(y - 1), source.Row(y), source.Row(y + 1)};
                VectorThenEach(
                    x0, x1, [&] { return TakeColoursAvx2(rows, places.data(), x0, x1, out); },
                    [&](long x) { std::memcpy(out + 3 * x, from[place[x]] + 3 * x, 3); });
            } else {
                for (long x = x0; x < x1; ++x)
                    if (SelectionIsInsideUnchecked(x, y))
                        std::memcpy(out + 3 * x, from[place[x]] + 3 * x, 3);
            }
        } else {
            for (long x = x0; x < x1; ++x)
                if (SelectionIsInsideUnchecked(x, y))
                    take(x, y, x + place[x] / 3 - 1, y + place[x] % 3 - 1);
        }
        anyPixels(x1, xmax, y);
    }
    return inPlace || TransferFrom(*copy, true);
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
