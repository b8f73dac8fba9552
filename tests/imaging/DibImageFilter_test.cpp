// Brightness, convolution, median and thresholds on small hand-computed grids.
#include "imaging/DibImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// An 8-bit gray picture; rows[0] is stored row 0 (the bottom row as displayed).
CDibImage Gray(const std::vector<std::vector<int>>& rows) {
    CDibImage image(static_cast<DWORD>(rows[0].size()), static_cast<DWORD>(rows.size()), 8, 0);
    image.SetGrayPalette();
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            image.SetPixelIndex(static_cast<long>(x), static_cast<long>(y),
                                static_cast<BYTE>(rows[y][x]));
    return image;
}

std::vector<std::vector<int>> Indices(const CDibImage& image) {
    std::vector<std::vector<int>> rows(image.GetHeight(), std::vector<int>(image.GetWidth()));
    for (long y = 0; y < static_cast<long>(image.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(image.GetWidth()); ++x)
            rows[static_cast<size_t>(y)][static_cast<size_t>(x)] = image.GetPixelIndex(x, y);
    return rows;
}

using Grid = std::vector<std::vector<int>>;
const Grid kNine = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
const long kOnes[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};

} // namespace

TEST(DibImageFilter, AverageOfNineOnesUsesTheNeighboursThatExist) {
    CDibImage image = Gray(kNine);
    ASSERT_TRUE(image.Filter(kOnes, 3, 9, 0));
    EXPECT_EQ(Indices(image), (Grid{{30, 35, 40}, {45, 50, 55}, {60, 65, 70}}));

    CDibImage one = Gray({{77}});
    ASSERT_TRUE(one.Filter(kOnes, 3, 9, 0));
    EXPECT_EQ(one.GetPixelIndex(0, 0), 77);

    // Divisor 0 adds the weighted sum and the offset without division, clamped.
    CDibImage raw = Gray({{1, 2}, {3, 4}});
    const long centre[9] = {0, 0, 0, 0, 2, 0, 0, 0, 0};
    ASSERT_TRUE(raw.Filter(centre, 3, 0, 5));
    EXPECT_EQ(Indices(raw), (Grid{{7, 9}, {11, 13}}));
    CDibImage bright = Gray({{200}});
    ASSERT_TRUE(bright.Filter(kOnes, 3, 0, 0));
    EXPECT_EQ(bright.GetPixelIndex(0, 0), 200); // one neighbour: 200 + 0
    ASSERT_TRUE(bright.Filter(centre, 3, 0, 0));
    EXPECT_EQ(bright.GetPixelIndex(0, 0), 255);
}

TEST(DibImageFilter, TrueColourFilterAndSelection) {
    CDibImage image(3, 3, 24, 0);
    for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 3; ++x) {
            BYTE v = static_cast<BYTE>(kNine[static_cast<size_t>(y)][static_cast<size_t>(x)]);
            image.SetPixelColor(x, y,
                                RGBQUAD{v, static_cast<BYTE>(v + 1), static_cast<BYTE>(v / 2), 0});
        }
    CDibImage copy(image);
    ASSERT_TRUE(image.Filter(kOnes, 3, 9, 0));
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbBlue, 30);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbGreen, 31);
    EXPECT_EQ(image.GetPixelColor(1, 1).rgbRed, (5 + 10 + 15 + 20 + 25 + 30 + 35 + 40 + 45) / 9);

    // With a selection only the selected pixels change.
    ASSERT_TRUE(copy.SelectionCreate());
    ASSERT_TRUE(copy.SelectionSetPixel(1, 1, 255));
    ASSERT_TRUE(copy.Filter(kOnes, 3, 9, 0));
    EXPECT_EQ(copy.GetPixelColor(1, 1).rgbBlue, 50);
    EXPECT_EQ(copy.GetPixelColor(0, 0).rgbBlue, 10);
    EXPECT_EQ(copy.GetPixelColor(2, 2).rgbBlue, 90);
}

namespace {

// Noise pixels: 24-bit, or indices under a gray palette (bpp 8).
CDibImage Noise(long w, long h, WORD bpp, unsigned seed) {
    CDibImage image(static_cast<DWORD>(w), static_cast<DWORD>(h), bpp, 0);
    if (bpp == 8)
        image.SetGrayPalette();
    const long rowBytes = w * bpp / 8;
    for (long y = 0; y < h; ++y)
        for (long i = 0; i < rowBytes; ++i) {
            seed = seed * 1103515245u + 12345u;
            image.GetBits(static_cast<DWORD>(y))[i] = static_cast<BYTE>(seed >> 16);
        }
    return image;
}

// Selects a scattered half of the pixels in a box away from the borders.
void SelectScattered(CDibImage& image) {
    ASSERT_TRUE(image.SelectionCreate());
    const long w = static_cast<long>(image.GetWidth()), h = static_cast<long>(image.GetHeight());
    for (long y = 2; y < h - 1; ++y)
        for (long x = 3; x < w - 2; ++x)
            if ((x * 7 + y * 3) % 5 < 3) {
                ASSERT_TRUE(image.SelectionSetPixel(x, y, 255));
            }
}

// The filter written out pixel by pixel from the picture as it was: the part of the kernel on
// the picture, rescaled by its share of the weights where that is not the whole kernel.
std::vector<BYTE> FilterReference(const CDibImage& image, const long* kernel, long size,
                                  long divisor, long offset) {
    const long w = static_cast<long>(image.GetWidth()), h = static_cast<long>(image.GetHeight());
    const long channels = image.GetBpp() / 8, k2 = size / 2;
    long long total = 0;
    for (long i = 0; i < size * size; ++i)
        total += kernel[i];
    RECT box;
    image.SelectionGetBox(box);
    const bool selection = image.SelectionIsValid();
    std::vector<BYTE> out;
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            for (long c = 0; c < channels; ++c) {
                const BYTE* at = image.GetBits(static_cast<DWORD>(y)) + x * channels + c;
                const bool inBox = !selection || (x >= box.left && x < box.right &&
                                                  y >= box.bottom && y < box.top);
                if (!inBox || !image.SelectionIsInside(x, y)) {
                    out.push_back(*at);
                    continue;
                }
                long long sum = 0, used = 0;
                for (long ky = 0; ky < size; ++ky)
                    for (long kx = 0; kx < size; ++kx) {
                        const long sx = x + kx - k2, sy = y + ky - k2;
                        if (sx < 0 || sy < 0 || sx >= w || sy >= h)
                            continue;
                        const long k = kernel[ky * size + kx];
                        used += k;
                        sum += k * image.GetBits(static_cast<DWORD>(sy))[sx * channels + c];
                    }
                long long v = divisor == 0 || used == 0 ? sum + offset
                              : used == total           ? sum / divisor + offset
                                                        : sum * total / (used * divisor) + offset;
                out.push_back(static_cast<BYTE>(std::clamp(v, 0LL, 255LL)));
            }
    return out;
}

std::vector<BYTE> PixelBytes(const CDibImage& image) {
    std::vector<BYTE> out;
    const size_t rowBytes = image.GetWidth() * image.GetBpp() / 8;
    for (DWORD y = 0; y < image.GetHeight(); ++y)
        out.insert(out.end(), image.GetBits(y), image.GetBits(y) + rowBytes);
    return out;
}

} // namespace

TEST(DibImageFilter, FilterMatchesThePixelByPixelDefinition) {
    // Wide enough for several steps of the row path and a tail; kernels with negative weights,
    // weights that cancel out (applied undivided), a negative divisor, none, even and 5 x 5
    // sizes, offsets that saturate, and weights too large for the row path.
    const long sharpen[9] = {0, -1, 0, -1, 5, -1, 0, -1, 0};
    const long edges[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};
    const long centre[9] = {0, 0, 0, 0, 2, 0, 0, 0, 0};
    const long heavy[9] = {0, 0, 0, 0, 70000, 0, 0, 0, 1};
    const long even[16] = {1, 2, 1, 0, 2, 4, 2, 0, 1, 2, 1, 0, 0, 0, 0, 1};
    long wide[25];
    for (long i = 0; i < 25; ++i)
        wide[i] = (i * 5) % 7 - 2;
    struct Case {
        const long* kernel;
        long size, divisor, offset;
    } cases[] = {{kOnes, 3, 9, 0},        {sharpen, 3, 1, 0},         {edges, 3, 9, 128},
                 {centre, 3, 0, 5},       {wide, 5, -7, 3},           {even, 4, 16, 0},
                 {kOnes, 3, 9, 1L << 30}, {kOnes, 3, 9, -(1L << 30)}, {heavy, 3, 70001, 0}};
    for (WORD bpp : {WORD(24), WORD(8)})
        for (bool selected : {false, true})
            for (const Case& c : cases) {
                SCOPED_TRACE(testing::Message() << bpp << " bit, kernel " << (&c - cases)
                                                << (selected ? ", selection" : ""));
                CDibImage image = Noise(45, 12, bpp, 99);
                if (selected)
                    SelectScattered(image);
                const std::vector<BYTE> expected =
                    FilterReference(image, c.kernel, c.size, c.divisor, c.offset);
                ASSERT_TRUE(image.Filter(c.kernel, c.size, c.divisor, c.offset));
                EXPECT_EQ(PixelBytes(image), expected);
            }
}

TEST(DibImageFilter, MedianOfThree) {
    CDibImage image = Gray(kNine);
    ASSERT_TRUE(image.Median(3));
    EXPECT_EQ(Indices(image), (Grid{{40, 40, 50}, {50, 50, 60}, {70, 70, 80}}));
}

namespace {

// The median the filter must give at (x, y): the middle entry of the size x size
// neighbourhood's colours (dx outer, dy inner) stably sorted by gray, or the pixel itself
// outside the selection.
RGBQUAD ReferenceMedian(CDibImage& image, long x, long y, long size) {
    const long k2 = size / 2, kmax = size - k2;
    std::vector<RGBQUAD> list;
    for (long dx = -k2; dx < kmax; ++dx)
        for (long dy = -k2; dy < kmax; ++dy)
            if (image.IsInside(x + dx, y + dy))
                list.push_back(image.GetPixelColor(x + dx, y + dy));
    std::stable_sort(list.begin(), list.end(), [](RGBQUAD a, RGBQUAD b) {
        return CDibImage::CompareColorsByGray(&a, &b) < 0;
    });
    return image.SelectionIsInside(x, y) ? list[list.size() / 2] : image.GetPixelColor(x, y);
}

} // namespace

TEST(DibImageFilter, MedianMatchesAStableSortOfEachNeighbourhood) {
    // Six distinct colours of only two gray levels (0 and 29), so that ties are everywhere; the
    // reference sorts each neighbourhood (dx outer, dy inner) stably by gray and takes entry
    // n / 2. Besides, gray noise. Widths short and long for the row path, with and without a
    // selection.
    const RGBQUAD colours[6] = {{255, 0, 0, 0}, {0, 0, 98, 0}, {0, 50, 0, 0},
                                {0, 0, 0, 0},   {8, 0, 0, 0},  {0, 0, 3, 0}};
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(CDibImage::GrayLevel(colours[i].rgbBlue, colours[i].rgbGreen, colours[i].rgbRed),
                  i < 3 ? 29 : 0);
    const long h = 9;
    for (long w : {13L, 45L})
        for (WORD bpp : {WORD(24), WORD(8)})
            for (bool selected : {false, true}) {
                CDibImage image = Noise(w, h, bpp, 7);
                unsigned seed = 7;
                for (long y = 0; y < h && bpp == 24; ++y)
                    for (long x = 0; x < w; ++x) {
                        seed = seed * 1103515245u + 12345u;
                        image.SetPixelColor(x, y, colours[(seed >> 16) % 6]);
                    }
                if (selected)
                    SelectScattered(image);
                for (long size : {2L, 3L, 4L}) {
                    CDibImage result(image);
                    ASSERT_TRUE(result.Median(size));
                    for (long y = 0; y < h; ++y)
                        for (long x = 0; x < w; ++x) {
                            const RGBQUAD want = ReferenceMedian(image, x, y, size);
                            const RGBQUAD got = result.GetPixelColor(x, y);
                            EXPECT_TRUE(want.rgbRed == got.rgbRed &&
                                        want.rgbGreen == got.rgbGreen &&
                                        want.rgbBlue == got.rgbBlue)
                                << w << " wide, " << bpp << " bit, " << size
                                << (selected ? " selected" : "") << ": " << x << "," << y;
                        }
                }
            }
}

TEST(DibImageFilter, MedianOfThreeMatchesTheSortOnLargerPictures) {
    // The 3 x 3 median's row paths against a stable sort of each neighbourhood by gray, on
    // pictures of odd sizes: narrower than a step of the vector paths, a step and a tail, many
    // steps; few gray levels (ties everywhere) and full noise; both depths; with and without a
    // selection.
    // Rows of odd width end in padding; the vector paths' last steps overlap there.
    struct Size {
        long w, h;
    } sizes[] = {{3, 3}, {17, 5}, {35, 3}, {67, 9}, {131, 11}, {201, 7}};
    for (const Size& size : sizes)
        for (WORD bpp : {WORD(24), WORD(8)})
            for (bool coarse : {true, false})
                for (bool selected : {false, true}) {
                    SCOPED_TRACE(testing::Message() << size.w << " x " << size.h << ", " << bpp
                                                    << " bit" << (coarse ? ", few grays" : "")
                                                    << (selected ? ", selection" : ""));
                    CDibImage image = Noise(size.w, size.h, bpp, static_cast<unsigned>(size.w));
                    if (coarse)
                        for (long y = 0; y < size.h; ++y) {
                            BYTE* row = image.GetBits(static_cast<DWORD>(y));
                            for (long i = 0; i < size.w * bpp / 8; ++i)
                                row[i] = static_cast<BYTE>((row[i] & 3) * 40);
                        }
                    if (selected && size.h > 3)
                        SelectScattered(image);
                    CDibImage result(image);
                    ASSERT_TRUE(result.Median(3));
                    long wrong = 0, firstX = -1, firstY = -1;
                    for (long y = 0; y < size.h; ++y)
                        for (long x = 0; x < size.w; ++x) {
                            const RGBQUAD want = ReferenceMedian(image, x, y, 3);
                            const RGBQUAD got = result.GetPixelColor(x, y);
                            if (want.rgbRed != got.rgbRed || want.rgbGreen != got.rgbGreen ||
                                want.rgbBlue != got.rgbBlue) {
                                if (wrong++ == 0) {
                                    firstX = x;
                                    firstY = y;
                                }
                            }
                        }
                    EXPECT_EQ(wrong, 0) << "first at " << firstX << "," << firstY;
                }
}

TEST(DibImageFilter, MedianWindowLargerThanThePicture) {
    // Every neighbourhood is the whole picture: all pixels take its median, 50.
    CDibImage image = Gray(kNine);
    ASSERT_TRUE(image.Median(1000000));
    EXPECT_EQ(Indices(image), (Grid{{50, 50, 50}, {50, 50, 50}, {50, 50, 50}}));
}

TEST(DibImageFilter, MedianTiesKeepNeighbourhoodOrder) {
    // (B 255, G 0, R 0) and (B 0, G 0, R 98) have the same gray level, 29.
    const RGBQUAD blue{255, 0, 0, 0}, red{0, 0, 98, 0};
    ASSERT_EQ(CDibImage::GrayLevel(255, 0, 0), CDibImage::GrayLevel(0, 0, 98));
    // A 2 x 1 picture: the corner neighbourhood of (0, 0) is {(0,0), (1,0)} in that order; the
    // upper middle entry (index 1) is the second collected colour when the grays tie.
    CDibImage image(2, 1, 24, 0);
    image.SetPixelColor(0, 0, blue);
    image.SetPixelColor(1, 0, red);
    ASSERT_TRUE(image.Median(3));
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 98);
    EXPECT_EQ(image.GetPixelColor(1, 0).rgbRed, 98);
}

TEST(DibImageFilter, MedianAndFilterRefusals) {
    CDibImage empty;
    EXPECT_FALSE(empty.Median(3));
    EXPECT_FALSE(empty.Filter(kOnes, 3, 9, 0));
    EXPECT_FALSE(empty.Light(10));
    CDibImage image = Gray(kNine);
    EXPECT_FALSE(image.Median(0));
    EXPECT_FALSE(image.Filter(nullptr, 3, 9, 0));
    EXPECT_FALSE(image.Filter(kOnes, 0, 9, 0));
    EXPECT_EQ(Indices(image), kNine);
}

TEST(DibImageFilter, AViewGetsPixelsOfItsOwnAndTheOtherPictureStaysAsItWas) {
    // Gray and 24-bit pictures, each filtered and median-filtered through a view of them: the
    // view takes the result, the picture it showed keeps kNine.
    const Grid averaged = {{30, 35, 40}, {45, 50, 55}, {60, 65, 70}};
    const Grid median = {{40, 40, 50}, {50, 50, 60}, {70, 70, 80}};
    for (WORD bpp : {WORD(8), WORD(24)})
        for (bool filter : {true, false}) {
            SCOPED_TRACE(testing::Message() << bpp << " bit, " << (filter ? "filter" : "median"));
            CDibImage owner = Gray(kNine);
            if (bpp == 24) {
                ASSERT_TRUE(owner.IncreaseBpp(24));
            }
            CDibImage view;
            view.AttachShared(&owner);
            ASSERT_TRUE(filter ? view.Filter(kOnes, 3, 9, 0) : view.Median(3));
            EXPECT_FALSE(view.IsShared());
            EXPECT_NE(view.GetBits(), owner.GetBits());
            Grid shown(3, std::vector<int>(3)), kept(3, std::vector<int>(3));
            for (long y = 0; y < 3; ++y)
                for (long x = 0; x < 3; ++x) {
                    shown[y][x] = view.GetPixelColor(x, y).rgbGreen;
                    kept[y][x] = owner.GetPixelColor(x, y).rgbGreen;
                }
            EXPECT_EQ(shown, filter ? averaged : median);
            EXPECT_EQ(kept, kNine);
        }
}

TEST(DibImageFilter, LightClampsEveryByteOfTrueColourRows) {
    CDibImage image(1, 2, 24, 0); // stride 4: one padding byte per row
    BYTE* row0 = image.GetBits(0);
    BYTE* row1 = image.GetBits(1);
    const BYTE start0[4] = {0, 245, 255, 9}, start1[4] = {9, 0, 255, 128};
    std::copy(start0, start0 + 4, row0);
    std::copy(start1, start1 + 4, row1);
    ASSERT_TRUE(image.Light(10, 0));
    EXPECT_EQ(std::vector<int>(row0, row0 + 4), (std::vector<int>{10, 255, 255, 19}));
    ASSERT_TRUE(image.Light(-10, 0));
    ASSERT_TRUE(image.Light(-10, 0));
    EXPECT_EQ(std::vector<int>(row0, row0 + 4), (std::vector<int>{0, 235, 235, 0}));
    EXPECT_EQ(std::vector<int>(row1, row1 + 4), (std::vector<int>{0, 0, 235, 118}));
}

TEST(DibImageFilter, LightOnPalettes) {
    // A colour palette is mapped, the indices stay.
    CDibImage colour(2, 1, 8, 0);
    colour.SetPaletteColor(0, 250, 100, 0);
    colour.SetPixelIndex(1, 0, 0);
    ASSERT_TRUE(colour.SelectionCreate()); // the selection is not consulted for a colour palette
    ASSERT_TRUE(colour.Light(10, 0));
    RGBQUAD c = colour.GetPaletteColor(0);
    EXPECT_EQ(c.rgbRed, 255);
    EXPECT_EQ(c.rgbGreen, 110);
    EXPECT_EQ(c.rgbBlue, 10);

    // A gray picture stays a gray ramp; its indices move.
    CDibImage gray = Gray({{0, 100, 250}});
    ASSERT_TRUE(gray.Light(10, 0));
    EXPECT_TRUE(gray.IsGrayScale());
    EXPECT_EQ(Indices(gray), (Grid{{10, 110, 255}}));
}

TEST(DibImageFilter, OptimalThresholdCases) {
    CDibImage flat = Gray({{90, 90}, {90, 90}});
    EXPECT_EQ(flat.OptimalThreshold(1), 89);
    CDibImage black = Gray({{0, 0}});
    EXPECT_EQ(black.OptimalThreshold(0), 0);

    // Two levels: methods 1 and 3 keep candidate a (not above min), method 2 has none; every
    // method falls back to the middle.
    CDibImage two = Gray({{40, 40, 200, 200}});
    for (long method : {1, 2, 3})
        EXPECT_EQ(two.OptimalThreshold(method), 120) << method;

    // Three levels: Otsu splits between the groups.
    CDibImage three = Gray({{10, 10, 12, 12, 200, 202, 202, 204}});
    const long t = three.OptimalThreshold(1);
    EXPECT_GE(t, 12);
    EXPECT_LT(t, 200);

    // A box in stored rows: only the top row (levels 5 and 50).
    CDibImage rows = Gray({{100, 100}, {5, 50}});
    RECT box{0, 2, 2, 1};
    EXPECT_EQ(rows.OptimalThreshold(1, &box), 27);
    RECT empty{1, 1, 1, 0};
    EXPECT_EQ(rows.OptimalThreshold(1, &empty), -1);

    CDibImage colour(2, 2, 24, 0);
    EXPECT_EQ(colour.OptimalThreshold(1), -1);
    EXPECT_STREQ(colour.GetLastErrorText(), "OptimalThreshold works only on 8 bit images");
    CDibImage wrongMask(3, 3, 8, 0);
    wrongMask.SetGrayPalette();
    EXPECT_EQ(rows.OptimalThreshold(1, nullptr, &wrongMask), -1);
    EXPECT_STREQ(rows.GetLastErrorText(), "OptimalThreshold invalid ContrastMask");
    CDibImage empty2;
    EXPECT_EQ(empty2.OptimalThreshold(1), 0);
}

TEST(DibImageFilter, AdaptiveThresholdHalves) {
    CDibImage image(640, 480, 24, 0);
    for (long y = 0; y < 480; ++y)
        for (long x = 0; x < 640; ++x) {
            BYTE v = x < 320 ? 50 : 200;
            image.SetPixelColor(x, y, RGBQUAD{v, v, v, 0});
        }
    image.SetDpiX(300);
    ASSERT_TRUE(image.AdaptiveThreshold(0, 64, nullptr, 0, 0.5f));
    ASSERT_EQ(image.GetBpp(), 1);
    ASSERT_EQ(image.GetWidth(), 640u);
    ASSERT_EQ(image.GetHeight(), 480u);
    EXPECT_EQ(image.GetDpiX(), 300);
    EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 255);
    EXPECT_EQ(image.GetPaletteColor(0).rgbRed, 0);
    long wrong = 0;
    for (long y = 0; y < 480; ++y)
        for (long x = 0; x < 640; ++x)
            wrong += image.GetPixelIndex(x, y) != (x < 320 ? 0 : 1);
    EXPECT_EQ(wrong, 0);
}

TEST(DibImageFilter, AdaptiveThresholdUsesEachRowsOwnBox) {
    // Stored rows 0-31 gray 120, 32-63 gray 40, 64-95 gray 200: the bottom box holds 120 and 40,
    // the top box only 200. Each row must meet the thresholds of its own box.
    CDibImage image(64, 96, 8, 0);
    image.SetGrayPalette();
    for (long y = 0; y < 96; ++y)
        for (long x = 0; x < 64; ++x)
            image.SetPixelIndex(x, y, y < 32 ? 120 : (y < 64 ? 40 : 200));
    ASSERT_TRUE(image.AdaptiveThreshold(0, 64, nullptr, 0, 0.5f));
    for (long y = 0; y < 96; ++y) {
        const int expected = (y < 32 || y >= 64) ? 1 : 0;
        long wrong = 0;
        for (long x = 0; x < 64; ++x)
            wrong += image.GetPixelIndex(x, y) != expected;
        EXPECT_EQ(wrong, 0) << "row " << y;
    }
}

TEST(DibImageFilter, AdaptiveThresholdArguments) {
    // Box sizes below 8 act as 8 and balances above 1 as 1.
    auto run = [](long box, float balance) {
        CDibImage image(40, 24, 8, 0);
        image.SetGrayPalette();
        for (long y = 0; y < 24; ++y)
            for (long x = 0; x < 40; ++x)
                image.SetPixelIndex(x, y, static_cast<BYTE>((x * 7 + y * 13) % 256));
        EXPECT_TRUE(image.AdaptiveThreshold(0, box, nullptr, 0, balance));
        return Indices(image);
    };
    EXPECT_EQ(run(4, 0.5f), run(8, 0.5f));
    EXPECT_EQ(run(8, 1.5f), run(8, 1.0f));
    // A box larger than the picture is one box over all of it.
    EXPECT_EQ(run(1 << 30, 0.5f), run(40, 0.5f));

    CDibImage image = Gray(kNine);
    CDibImage mask(2, 2, 8, 0);
    EXPECT_FALSE(image.AdaptiveThreshold(0, 64, &mask, 0, 0.5f));
    EXPECT_STREQ(image.GetLastErrorText(), "AdaptiveThreshold invalid ContrastMask");
    CDibImage empty;
    EXPECT_FALSE(empty.AdaptiveThreshold());
}

TEST(DibImageFilter, ThresholdByMask) {
    CDibImage image = Gray({{10, 200}, {100, 101}});
    CDibImage mask = Gray({{100, 100}, {100, 100}});
    EXPECT_FALSE(image.ThresholdByMask(nullptr));
    EXPECT_STREQ(image.GetLastErrorText(), "");
    CDibImage small = Gray({{1}});
    EXPECT_FALSE(image.ThresholdByMask(&small));
    EXPECT_STREQ(image.GetLastErrorText(), "invalid ThresholdMask");
    ASSERT_TRUE(image.ThresholdByMask(&mask));
    EXPECT_EQ(image.GetBpp(), 1);
    EXPECT_EQ(Indices(image), (Grid{{0, 1}, {0, 1}}));
    // Already one bit: unchanged, the mask is not looked at.
    EXPECT_TRUE(image.ThresholdByMask(nullptr));
}
