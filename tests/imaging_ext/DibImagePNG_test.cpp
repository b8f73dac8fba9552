// The PNG codec of Wavenor's image library, against files written and read by libpng itself.
#include "imaging_ext/DibImagePNG.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/imaging/ImagingFixtures.h"
#include "tests/imaging_ext/PngFixtures.h"

using pngfix::Bytes;
using pngfix::PngPicture;

namespace {

CDibImage DecodeBytes(Bytes bytes, DWORD type = DIBIMAGE_TYPE_PNG) {
    CDibImage image;
    image.Decode(bytes.data(), static_cast<DWORD>(bytes.size()), type);
    return image;
}

Bytes EncodePng(CDibImage& image) {
    return fixtures::EncodeToBytes(image, DIBIMAGE_TYPE_PNG);
}

std::vector<png_color> Ramp(int entries, int step) {
    std::vector<png_color> pal;
    for (int i = 0; i < entries; ++i)
        pal.push_back(png_color{static_cast<png_byte>(i * step), static_cast<png_byte>(255 - i),
                                static_cast<png_byte>((i * 7) & 255)});
    return pal;
}

// Every pixel's colour (and alpha where the file has a channel for it) as libpng shows it.
void ExpectSamePicture(const CDibImage& image, const Bytes& file, bool checkAlpha) {
    std::vector<Bytes> rgba = pngfix::ReadRgba(file);
    ASSERT_EQ(rgba.size(), image.GetHeight());
    for (size_t n = 0; n < rgba.size(); ++n) {
        long y = static_cast<long>(image.GetHeight() - 1 - n);
        for (long x = 0; x < static_cast<long>(image.GetWidth()); ++x) {
            RGBQUAD c = image.GetPixelColor(x, y, false);
            const BYTE* want = &rgba[n][4 * static_cast<size_t>(x)];
            ASSERT_EQ(c.rgbRed, want[0]) << "x " << x << " row " << n;
            ASSERT_EQ(c.rgbGreen, want[1]) << "x " << x << " row " << n;
            ASSERT_EQ(c.rgbBlue, want[2]) << "x " << x << " row " << n;
            if (checkAlpha) {
                ASSERT_EQ(image.AlphaGetAt(x, y), want[3]) << "x " << x << " row " << n;
            }
        }
    }
}

struct Layout {
    const char* name;
    int colourType;
    int bitDepth;
    WORD bpp;
    bool alpha;
};

const Layout kLayouts[] = {
    {"grey1", PNG_COLOR_TYPE_GRAY, 1, 1, false},
    {"grey2", PNG_COLOR_TYPE_GRAY, 2, 4, false},
    {"grey4", PNG_COLOR_TYPE_GRAY, 4, 4, false},
    {"grey8", PNG_COLOR_TYPE_GRAY, 8, 8, false},
    {"grey16", PNG_COLOR_TYPE_GRAY, 16, 8, false},
    {"palette1", PNG_COLOR_TYPE_PALETTE, 1, 1, false},
    {"palette2", PNG_COLOR_TYPE_PALETTE, 2, 4, false},
    {"palette4", PNG_COLOR_TYPE_PALETTE, 4, 4, false},
    {"palette8", PNG_COLOR_TYPE_PALETTE, 8, 8, false},
    {"greyAlpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, 8, true},
    {"greyAlpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, 8, true},
    {"rgb8", PNG_COLOR_TYPE_RGB, 8, 24, false},
    {"rgb16", PNG_COLOR_TYPE_RGB, 16, 24, false},
    {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, 24, true},
    {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, 24, true},
};

} // namespace

// Every colour type and depth, plain and interlaced, on a picture whose width leaves partial
// bytes and row padding, decodes to what libpng shows; the option word tells the interlacing.
TEST(DibImagePNG, DecodesEveryLayoutAsLibpngShowsIt) {
    for (const Layout& layout : kLayouts) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(std::string(layout.name) + (interlaced ? " interlaced" : ""));
            PngPicture s;
            s.width = 13;
            s.height = 11;
            s.bitDepth = layout.bitDepth;
            s.colourType = layout.colourType;
            s.interlaced = interlaced;
            if (layout.colourType == PNG_COLOR_TYPE_PALETTE)
                s.palette = Ramp(1 << layout.bitDepth, layout.bitDepth == 8 ? 1 : 17);
            s.rows = pngfix::NoiseRows(s, static_cast<unsigned>(layout.bitDepth));
            Bytes file = pngfix::Write(s);

            CDibImage image = DecodeBytes(file);
            ASSERT_TRUE(image.IsValid()) << image.GetLastErrorText();
            EXPECT_EQ(image.GetType(), DIBIMAGE_TYPE_PNG);
            EXPECT_EQ(image.GetBpp(), layout.bpp);
            EXPECT_EQ(image.AlphaIsValid(), layout.alpha);
            EXPECT_EQ(image.GetCodecOption(DIBIMAGE_TYPE_PNG), interlaced ? 1u : 0u);
            ExpectSamePicture(image, file, layout.alpha);
        }
    }
}

TEST(DibImagePNG, TwoBitGreyBecomesFourBitsWithItsFourGreys) {
    PngPicture s;
    s.width = 4;
    s.bitDepth = 2;
    s.rows = {{0x1B}}; // values 0, 1, 2, 3
    CDibImage image = DecodeBytes(pngfix::Write(s));
    ASSERT_TRUE(image.IsValid()) << image.GetLastErrorText();
    EXPECT_EQ(image.GetBpp(), 4);
    const BYTE greys[4] = {0, 85, 170, 255};
    for (BYTE i = 0; i < 4; ++i) {
        RGBQUAD c = image.GetPaletteColor(i);
        EXPECT_EQ(c.rgbRed, greys[i]);
        EXPECT_EQ(c.rgbGreen, greys[i]);
        EXPECT_EQ(c.rgbBlue, greys[i]);
        EXPECT_EQ(image.GetPixelIndex(i, 0), i);
    }
    EXPECT_EQ(image.GetBits(0)[0], 0x01);
    EXPECT_EQ(image.GetBits(0)[1], 0x23);
}

TEST(DibImagePNG, SixteenBitRgbKeepsTheHighBytes) {
    PngPicture s;
    s.width = 2;
    s.bitDepth = 16;
    s.colourType = PNG_COLOR_TYPE_RGB;
    s.rows = {{0x12, 0xFF, 0x34, 0x00, 0x56, 0x80, 0xAB, 0x01, 0xCD, 0x02, 0xEF, 0x03}};
    CDibImage image = DecodeBytes(pngfix::Write(s));
    ASSERT_TRUE(image.IsValid()) << image.GetLastErrorText();
    EXPECT_EQ(image.GetBpp(), 24);
    const BYTE want[6] = {0x56, 0x34, 0x12, 0xEF, 0xCD, 0xAB}; // blue, green, red
    EXPECT_EQ(std::memcmp(image.GetBits(0), want, 6), 0);
}

TEST(DibImagePNG, ResolutionFromPhys) {
    struct Case {
        std::optional<std::pair<png_uint_32, int>> phys;
        long dpi;
    } cases[] = {
        {std::nullopt, 96},
        {std::make_pair(2835u, PNG_RESOLUTION_METER), 72},
        {std::make_pair(11811u, PNG_RESOLUTION_METER), 300},
        {std::make_pair(150u, PNG_RESOLUTION_UNKNOWN), 150}, // the numbers taken as they stand
        {std::make_pair(0u, PNG_RESOLUTION_METER), 96},
    };
    for (const Case& c : cases) {
        PngPicture s;
        s.rows = {{7}};
        s.phys = c.phys;
        CDibImage image = DecodeBytes(pngfix::Write(s));
        ASSERT_TRUE(image.IsValid()) << image.GetLastErrorText();
        EXPECT_EQ(image.GetDpiX(), c.dpi);
        EXPECT_EQ(image.GetDpiY(), c.dpi);
    }
}

TEST(DibImagePNG, TransparencyOfEachColourType) {
    {
        SCOPED_TRACE("palette, one entry: index 0 whatever its alpha");
        PngPicture s;
        s.colourType = PNG_COLOR_TYPE_PALETTE;
        s.palette = Ramp(4, 60);
        s.transAlpha = {200};
        s.rows = {{2}};
        CDibImage image = DecodeBytes(pngfix::Write(s));
        ASSERT_TRUE(image.IsValid());
        EXPECT_EQ(image.GetKeyIndex(), 0);
        EXPECT_FALSE(image.IsPaletteAlphaEnabled());
        EXPECT_EQ(image.GetClrImportant(), 4u);
    }
    {
        SCOPED_TRACE("palette, several entries: alpha in the palette, the rest opaque");
        PngPicture s;
        s.colourType = PNG_COLOR_TYPE_PALETTE;
        s.palette = Ramp(4, 60);
        s.transAlpha = {0, 128};
        s.rows = {{2}};
        CDibImage image = DecodeBytes(pngfix::Write(s));
        ASSERT_TRUE(image.IsValid());
        EXPECT_TRUE(image.IsPaletteAlphaEnabled());
        EXPECT_EQ(image.GetPaletteColor(0).rgbReserved, 0);
        EXPECT_EQ(image.GetPaletteColor(1).rgbReserved, 128);
        EXPECT_EQ(image.GetPaletteColor(2).rgbReserved, 255);
        EXPECT_EQ(image.GetPaletteColor(255).rgbReserved, 255);
        EXPECT_EQ(image.GetKeyIndex(), -1);
    }
    {
        SCOPED_TRACE("grey 16-bit: the high byte is the transparent index");
        PngPicture s;
        s.bitDepth = 16;
        s.rows = {{0x40, 0x00}};
        png_color_16 t{};
        t.gray = 0x4012;
        s.transColour = t;
        CDibImage image = DecodeBytes(pngfix::Write(s));
        ASSERT_TRUE(image.IsValid());
        EXPECT_EQ(image.GetKeyIndex(), 0x40);
    }
    {
        SCOPED_TRACE("RGB: the key colour");
        PngPicture s;
        s.colourType = PNG_COLOR_TYPE_RGB;
        s.rows = {{1, 2, 3}};
        png_color_16 t{};
        t.red = 10;
        t.green = 20;
        t.blue = 30;
        s.transColour = t;
        CDibImage image = DecodeBytes(pngfix::Write(s));
        ASSERT_TRUE(image.IsValid());
        EXPECT_EQ(image.GetKeyIndex(), 0);
        RGBQUAD key = image.GetKeyColor();
        EXPECT_EQ(key.rgbRed, 10);
        EXPECT_EQ(key.rgbGreen, 20);
        EXPECT_EQ(key.rgbBlue, 30);
    }
}

TEST(DibImagePNG, RgbaRoundTripKeepsAlphaAsColourTypeSix) {
    CDibImage image(3, 2, 24);
    image.AlphaCreate();
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 3; ++x) {
            image.SetPixelColor(x, y,
                                RGBQUAD{static_cast<BYTE>(x * 40), static_cast<BYTE>(y * 90),
                                        static_cast<BYTE>(200 - x), 0});
            image.AlphaSetAt(x, y, static_cast<BYTE>(x * 100 + y * 7));
        }
    Bytes file = EncodePng(image);
    ASSERT_FALSE(file.empty()) << image.GetLastErrorText();
    pngfix::Read r = pngfix::ReadBack(file);
    EXPECT_EQ(r.colourType, PNG_COLOR_TYPE_RGB_ALPHA);
    EXPECT_EQ(r.bitDepth, 8);
    EXPECT_EQ(r.interlace, PNG_INTERLACE_NONE);
    EXPECT_TRUE(r.hasPhys);
    EXPECT_EQ(r.physUnit, PNG_RESOLUTION_METER);
    EXPECT_EQ(r.physX, 3780u);
    ExpectSamePicture(image, file, true);

    CDibImage again = DecodeBytes(file);
    ASSERT_TRUE(again.IsValid());
    ASSERT_TRUE(again.AlphaIsValid());
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 3; ++x) {
            EXPECT_EQ(again.AlphaGetAt(x, y), image.AlphaGetAt(x, y));
            RGBQUAD a = again.GetPixelColor(x, y, false), b = image.GetPixelColor(x, y, false);
            EXPECT_EQ(std::memcmp(&a, &b, 3), 0);
        }
}

TEST(DibImagePNG, InterlacedRoundTrip) {
    PngPicture s;
    s.width = 9;
    s.height = 7;
    s.colourType = PNG_COLOR_TYPE_RGB;
    s.interlaced = true;
    s.rows = pngfix::NoiseRows(s, 5);
    CDibImage image = DecodeBytes(pngfix::Write(s));
    ASSERT_TRUE(image.IsValid());
    EXPECT_EQ(image.GetCodecOption(DIBIMAGE_TYPE_PNG), 1u);

    Bytes file = EncodePng(image);
    pngfix::Read r = pngfix::ReadBack(file);
    EXPECT_EQ(r.interlace, PNG_INTERLACE_ADAM7);
    EXPECT_EQ(r.colourType, PNG_COLOR_TYPE_RGB);
    ExpectSamePicture(image, file, false);

    image.SetCodecOption(0, DIBIMAGE_TYPE_PNG);
    EXPECT_EQ(pngfix::ReadBack(EncodePng(image)).interlace, PNG_INTERLACE_NONE);
}

// What each kind of image is written as, and that it reads back as the same picture.
TEST(DibImagePNG, ColourTypeChosenForEachImage) {
    {
        SCOPED_TRACE("8 bits with the palette (i, i, i): grey without PLTE");
        CDibImage image(5, 3, 8);
        image.SetGrayPalette();
        for (long x = 0; x < 5; ++x)
            image.SetPixelIndex(x, 1, static_cast<BYTE>(x * 50));
        Bytes file = EncodePng(image);
        pngfix::Read r = pngfix::ReadBack(file);
        EXPECT_EQ(r.colourType, PNG_COLOR_TYPE_GRAY);
        EXPECT_EQ(r.bitDepth, 8);
        EXPECT_EQ(r.paletteCount, 0);
        ExpectSamePicture(image, file, false);
    }
    {
        SCOPED_TRACE("1 bit black and white: palette with PLTE");
        CDibImage image(10, 2, 1);
        image.SetPaletteColor(0, 0, 0, 0);
        image.SetPaletteColor(1, 255, 255, 255);
        image.SetPixelIndex(3, 0, 1);
        image.SetPixelIndex(9, 1, 1);
        Bytes file = EncodePng(image);
        pngfix::Read r = pngfix::ReadBack(file);
        EXPECT_EQ(r.colourType, PNG_COLOR_TYPE_PALETTE);
        EXPECT_EQ(r.bitDepth, 1);
        EXPECT_EQ(r.paletteCount, 2);
        ExpectSamePicture(image, file, false);
    }
    {
        SCOPED_TRACE("4 bits with the palette (i, i, i): a palette file, not 17 times brighter");
        CDibImage image(3, 1, 4);
        for (BYTE i = 0; i < 16; ++i)
            image.SetPaletteColor(i, i, i, i);
        image.SetPixelIndex(1, 0, 15);
        Bytes file = EncodePng(image);
        EXPECT_EQ(pngfix::ReadBack(file).colourType, PNG_COLOR_TYPE_PALETTE);
        ExpectSamePicture(image, file, false);
    }
    {
        SCOPED_TRACE("8-bit grey with alpha: grey with alpha");
        CDibImage image(2, 1, 8);
        image.SetGrayPalette();
        image.SetPixelIndex(1, 0, 77);
        image.AlphaCreate();
        image.AlphaSetAt(1, 0, 33);
        Bytes file = EncodePng(image);
        EXPECT_EQ(pngfix::ReadBack(file).colourType, PNG_COLOR_TYPE_GRAY_ALPHA);
        ExpectSamePicture(image, file, true);
    }
}

// Colour palette plus alpha channel would be colour type 7, which does not exist: such an
// image is written as RGBA instead of failing every time.
TEST(DibImagePNG, ColourPaletteWithAlphaSavesAsRgba) {
    CDibImage image(4, 2, 4);
    image.SetPaletteColor(0, 10, 20, 30);
    image.SetPaletteColor(1, 200, 100, 50);
    image.SetPaletteColor(2, 1, 2, 3);
    image.SetPixelIndex(1, 0, 1);
    image.SetPixelIndex(2, 1, 2);
    image.AlphaCreate();
    image.AlphaSetAt(1, 0, 90);
    image.SetKeyIndex(2); // the transparent index stays transparent
    Bytes file = EncodePng(image);
    ASSERT_FALSE(file.empty()) << image.GetLastErrorText();
    EXPECT_EQ(pngfix::ReadBack(file).colourType, PNG_COLOR_TYPE_RGB_ALPHA);
    ExpectSamePicture(image, file, false);
    std::vector<Bytes> rgba = pngfix::ReadRgba(file);
    EXPECT_EQ(rgba[1][4 * 1 + 3], 90);  // stored row 0 is the file's row 1
    EXPECT_EQ(rgba[0][4 * 2 + 3], 0);   // the key index
    EXPECT_EQ(rgba[0][4 * 0 + 3], 255); // opaque elsewhere
}

TEST(DibImagePNG, TransparentIndexIsWrittenAsEntryZeroAndTheImageKept) {
    CDibImage image(3, 1, 8);
    for (int i = 0; i < 256; ++i)
        image.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), 0,
                              static_cast<BYTE>(255 - i));
    image.SetClrImportant(8);
    image.SetPixelIndex(0, 0, 5);
    image.SetPixelIndex(1, 0, 0);
    image.SetPixelIndex(2, 0, 7);
    image.SetKeyIndex(5);
    Bytes before(image.GetSize());
    std::memcpy(before.data(), image.GetDibBlock(), before.size());

    Bytes file = EncodePng(image);
    pngfix::Read r = pngfix::ReadBack(file);
    EXPECT_EQ(r.colourType, PNG_COLOR_TYPE_PALETTE);
    EXPECT_EQ(r.paletteCount, 8);
    ASSERT_EQ(r.transAlpha.size(), 1u);
    EXPECT_EQ(r.transAlpha[0], 0);
    EXPECT_EQ(r.rows[0][0], 0); // the key colour's pixel
    EXPECT_EQ(r.rows[0][1], 5);
    EXPECT_EQ(r.palette[0].red, 5);
    ExpectSamePicture(image, file, false);
    EXPECT_EQ(std::memcmp(before.data(), image.GetDibBlock(), before.size()), 0);
    EXPECT_EQ(image.GetKeyIndex(), 5);
}

// The important-colour count may be smaller than the indices the picture uses (a bitmap that
// names few important colours): PLTE grows to cover them, or libpng would refuse the file.
TEST(DibImagePNG, PaletteCoversEveryIndexUsed) {
    CDibImage image(2, 1, 8);
    image.SetPaletteColor(9, 90, 91, 92);
    image.SetClrImportant(4);
    image.SetPixelIndex(1, 0, 9);
    Bytes file = EncodePng(image);
    ASSERT_FALSE(file.empty()) << image.GetLastErrorText();
    EXPECT_EQ(pngfix::ReadBack(file).paletteCount, 10);
    ExpectSamePicture(image, file, false);
}

TEST(DibImagePNG, PaletteAlphaRoundTrip) {
    PngPicture s;
    s.width = 3;
    s.colourType = PNG_COLOR_TYPE_PALETTE;
    s.bitDepth = 8;
    s.palette = Ramp(3, 80);
    s.transAlpha = {10, 20};
    s.rows = {{0, 1, 2}};
    CDibImage image = DecodeBytes(pngfix::Write(s));
    ASSERT_TRUE(image.IsValid());
    pngfix::Read r = pngfix::ReadBack(EncodePng(image));
    EXPECT_EQ(r.paletteCount, 3);
    EXPECT_EQ(r.transAlpha, (std::vector<png_byte>{10, 20, 255}));
}

TEST(DibImagePNG, KeyColourOfRgb) {
    CDibImage image(2, 1, 24);
    fixtures::FillColour(image, 10, 20, 30);
    image.SetPixelColor(1, 0, RGBQUAD{1, 2, 3, 0});
    image.SetKeyColor(RGBQUAD{30, 20, 10, 0});
    image.SetKeyIndex(0);
    {
        pngfix::Read r = pngfix::ReadBack(EncodePng(image));
        EXPECT_EQ(r.colourType, PNG_COLOR_TYPE_RGB);
        ASSERT_TRUE(r.hasTransColour);
        EXPECT_EQ(r.transColour.red, 10);
        EXPECT_EQ(r.transColour.blue, 30);
    }
    image.AlphaCreate();
    Bytes file = EncodePng(image);
    EXPECT_EQ(image.AlphaGetAt(0, 0), 0); // the key colour became transparent in the image
    EXPECT_EQ(image.AlphaGetAt(1, 0), 255);
    ExpectSamePicture(image, file, true);
}

TEST(DibImagePNG, HeaderOnlyAndCancelled) {
    PngPicture s;
    s.width = 6;
    s.height = 4;
    s.rows = pngfix::NoiseRows(s, 1);
    Bytes file = pngfix::Write(s);

    CDibImage probe;
    probe.SetEscape(-1);
    EXPECT_TRUE(probe.Decode(file.data(), static_cast<DWORD>(file.size()), DIBIMAGE_TYPE_PNG));
    EXPECT_FALSE(probe.IsValid());
    EXPECT_EQ(probe.GetWidth(), 6u);
    EXPECT_EQ(probe.GetHeight(), 4u);
    EXPECT_EQ(probe.GetType(), DIBIMAGE_TYPE_PNG);

    CDibImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(cancelled.Decode(file.data(), static_cast<DWORD>(file.size()), DIBIMAGE_TYPE_PNG));
    EXPECT_FALSE(cancelled.IsValid());
}

TEST(DibImagePNG, BrokenFilesFailWithATextAndNothingElse) {
    PngPicture s;
    s.width = 20;
    s.height = 20;
    s.colourType = PNG_COLOR_TYPE_RGB;
    s.rows = pngfix::NoiseRows(s, 3);
    Bytes good = pngfix::Write(s);

    Bytes truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    CDibImage a = DecodeBytes(truncated);
    EXPECT_FALSE(a.IsValid());
    EXPECT_STREQ(a.GetLastErrorText(), "Read Error");

    Bytes badCrc = good;
    badCrc[29] ^= 0xFF; // inside IHDR's CRC
    CDibImage b = DecodeBytes(badCrc);
    EXPECT_FALSE(b.IsValid());
    EXPECT_STRNE(b.GetLastErrorText(), "");

    Bytes notPng = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    CDibImage c = DecodeBytes(notPng);
    EXPECT_FALSE(c.IsValid());
    EXPECT_STRNE(c.GetLastErrorText(), "");

    CDibImage d = DecodeBytes(Bytes{});
    EXPECT_FALSE(d.IsValid());
}

// A stream that takes only the first bytes it is given.
class ShortFile : public CDibMemFile {
public:
    explicit ShortFile(size_t room) : m_room(room) { Open(); }
    size_t Write(const void* buffer, size_t size, size_t count) override {
        if (size * count > m_room)
            return 0;
        m_room -= size * count;
        return CDibMemFile::Write(buffer, size, count);
    }

private:
    size_t m_room;
};

TEST(DibImagePNG, EncodeFailures) {
    CDibImage image(4, 4, 24);
    fixtures::FillColour(image, 1, 2, 3);
    for (size_t room : {size_t{0}, size_t{20}, size_t{60}}) {
        ShortFile file(room);
        EXPECT_FALSE(image.Encode(&file, DIBIMAGE_TYPE_PNG));
        EXPECT_STREQ(image.GetLastErrorText(), "Error saving PNG file");
    }
    CDibImage empty;
    CDibMemFile file;
    file.Open();
    EXPECT_FALSE(empty.Encode(&file, DIBIMAGE_TYPE_PNG));
    EXPECT_STREQ(empty.GetLastErrorText(), "null image!!!");

    // A failed save leaves a palette image exactly as it came.
    CDibImage pal(3, 1, 8);
    pal.SetPaletteColor(4, 9, 9, 9);
    pal.SetPixelIndex(0, 0, 4);
    pal.SetKeyIndex(4);
    ShortFile tight(60);
    EXPECT_FALSE(pal.Encode(&tight, DIBIMAGE_TYPE_PNG));
    EXPECT_EQ(pal.GetPixelIndex(0, 0), 4);
    EXPECT_EQ(pal.GetPaletteColor(4).rgbRed, 9);
}

TEST(DibImagePNG, FilesByPathAndDetection) {
    fixtures::TempPath png("snap.png");
    CDibImage image(5, 5, 24);
    fixtures::FillColour(image, 200, 100, 50);
    image.SetDpiX(300);
    image.SetDpiY(300);
    ASSERT_TRUE(image.SaveToFile(png.Path(), DIBIMAGE_TYPE_PNG)) << image.GetLastErrorText();
    Bytes bytes = png.Read();
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(std::memcmp(bytes.data(), "\x89PNG", 4), 0);

    CDibImage loaded(png.Path(), DIBIMAGE_TYPE_PNG);
    ASSERT_TRUE(loaded.IsValid()) << loaded.GetLastErrorText();
    EXPECT_EQ(loaded.GetDpiX(), 300);
    RGBQUAD c = loaded.GetPixelColor(2, 2);
    EXPECT_EQ(c.rgbRed, 200);
    EXPECT_EQ(c.rgbBlue, 50);

    // Detection tries PNG third: format 0 finds it.
    CDibImage detected(png.Path(), DIBIMAGE_TYPE_UNKNOWN);
    EXPECT_TRUE(detected.IsValid());
    EXPECT_EQ(detected.GetType(), DIBIMAGE_TYPE_PNG);

    // A JPEG named as PNG loads through detection.
    fixtures::TempPath jpeg("photo.png");
    ASSERT_TRUE(image.SaveToFile(jpeg.Path(), DIBIMAGE_TYPE_JPG));
    CDibImage fromJpeg(jpeg.Path(), DIBIMAGE_TYPE_PNG);
    EXPECT_TRUE(fromJpeg.IsValid());
    EXPECT_EQ(fromJpeg.GetType(), DIBIMAGE_TYPE_JPG);
}
