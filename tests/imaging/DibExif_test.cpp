#include <gtest/gtest.h>

#include <cstring>

#include "imaging/DibImageJPG.h"
#include "tests/imaging/ImagingFixtures.h"

using namespace fixtures;
using ExifInfo = CDibImageJPG::CDibExifInfo;

namespace {
Bytes PlainJpeg() {
    CDibImage image(16, 16, 24, 0);
    FillColour(image, 10, 200, 30);
    return EncodeToBytes(image, DIBIMAGE_TYPE_JPG);
}

// Reads the sections of bytes; returns the reader's result.
bool Read(ExifInfo& exif, const Bytes& bytes, int mode = ExifInfo::READ_EXIF) {
    CDibMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    return exif.ReadSections(&file, mode);
}
} // namespace

TEST(DibExif, CameraValuesInBothByteOrders) {
    for (bool be : {false, true}) {
        Bytes make = {'A', 'c', 'm', 'e', 0};
        Bytes comment = {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i', ' ', ' '};
        Bytes tiff = TiffBlock(be,
                               {{0x010F, 2, 5, make},
                                ShortTag(be, 0x0112, 9),
                                {0x011A, 5, 1, Rational(be, 72, 1)},
                                ShortTag(be, 0x0128, 2)},
                               {ShortTag(be, 0x8827, 4),
                                {0x829A, 5, 1, Rational(be, 1, 250)},
                                {0x9286, 7, static_cast<DWORD>(comment.size()), comment}});
        CDibExifData record{};
        ExifInfo exif(&record);
        EXPECT_TRUE(Read(exif, InsertAfterSoi(PlainJpeg(), ExifSegment(tiff)))) << be;
        EXPECT_TRUE(record.isExif);
        EXPECT_STREQ(record.cameraMake, "Acme");
        EXPECT_EQ(record.orientation, 0); // 9 is no rotation: stored as 0, and the walk goes on
        EXPECT_STREQ(exif.GetLastErrorText(), "Undefined rotation value");
        EXPECT_FLOAT_EQ(record.xResolution, 72.0f);
        EXPECT_FLOAT_EQ(record.resolutionUnit, 1.0f);
        EXPECT_EQ(record.isoSpeed, 800);
        EXPECT_FLOAT_EQ(record.exposureTime, 0.004f);
        EXPECT_STREQ(record.comment, "hi");
        EXPECT_EQ(record.width, 16);
        EXPECT_EQ(record.isColor, 1);
    }
}

TEST(DibExif, NegativeIsoDoesNotOverflow) {
    const bool le = false;
    Bytes tiff = TiffBlock(le, {{0x8827, 9, 1, U32(le, 0xFE000001u)}}); // signed -33554431
    CDibExifData record{};
    ExifInfo exif(&record);
    Read(exif, InsertAfterSoi(PlainJpeg(), ExifSegment(tiff)));
    EXPECT_TRUE(record.isExif);
    EXPECT_EQ(record.isoSpeed, 0); // -33554431 * 200 lies outside an int
}

TEST(DibExif, TooManySectionsStillLoads) {
    Bytes sections = ResolutionExif(false, 72, 1, 2);
    for (int i = 0; i < 20; ++i)
        sections = Concat(sections, Bytes{0xFF, 0xE2, 0x00, 0x04, 'x', 'y'});
    Bytes jpeg = InsertAfterSoi(PlainJpeg(), sections);
    ExifInfo exif;
    EXPECT_FALSE(Read(exif, jpeg));
    EXPECT_STREQ(exif.GetLastErrorText(), "Too many sections in jpg file");

    CDibImage image(jpeg.data(), static_cast<DWORD>(jpeg.size()), DIBIMAGE_TYPE_JPG);
    ASSERT_TRUE(image.IsValid());
    EXPECT_EQ(image.GetDpiX(), 72);
}

// Blocks whose offsets and counts point outside the section are refused, never followed.
TEST(DibExif, HostileBlocks) {
    const bool le = false;
    struct Case {
        const char* name;
        Bytes tiff;
        const char* text;
    } cases[] = {
        {"value beyond the data", TiffBlock(le, {{0x010F, 2, 0x7FFFFFFF, U32(le, 8)}}),
         "Illegal pointer offset value in EXIF."},
        {"offset wraps", TiffBlock(le, {{0x010F, 2, 16, U32(le, 0xFFFFFFF8u)}}),
         "Illegal pointer offset value in EXIF."},
        {"format 13", TiffBlock(le, {{0x0112, 13, 1, U16(le, 1)}}),
         "Illegal format code in EXIF dir"},
        {"entry count", Concat(Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}, Bytes{0xFF, 0x7F, 0, 0}),
         "Illegally sized directory"},
        {"short header", Bytes{'I', 'I', 42}, "Invalid Exif alignment marker."},
        {"byte order", Bytes{'X', 'X', 42, 0, 8, 0, 0, 0, 0, 0}, "Invalid Exif alignment marker."},
        {"magic", Bytes{'I', 'I', 43, 0, 8, 0, 0, 0, 0, 0}, "Invalid Exif start (1)"},
    };
    for (const Case& c : cases) {
        CDibExifData record{};
        ExifInfo exif(&record);
        Bytes jpeg = InsertAfterSoi(PlainJpeg(), ExifSegment(c.tiff));
        Read(exif, jpeg);
        EXPECT_FALSE(record.isExif) << c.name;
        EXPECT_STREQ(exif.GetLastErrorText(), c.text) << c.name;
        CDibImage image(jpeg.data(), static_cast<DWORD>(jpeg.size()), DIBIMAGE_TYPE_JPG);
        EXPECT_TRUE(image.IsValid()) << c.name; // the picture itself is fine
    }

    // Directories that link to each other end at the nesting limit.
    Bytes loop = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0};
    loop =
        Concat(loop, Concat(Concat(U16(le, 0x8769), U16(le, 4)), Concat(U32(le, 1), U32(le, 8))));
    loop = Concat(loop, U32(le, 8));
    CDibExifData record{};
    ExifInfo exif(&record);
    Read(exif, InsertAfterSoi(PlainJpeg(), ExifSegment(loop)));
    EXPECT_TRUE(record.isExif);

    // A section that claims more bytes than the file holds.
    Bytes cut = {0xFF, 0xD8, 0xFF, 0xE1, 0x40, 0x00, 'E', 'x', 'i', 'f'};
    ExifInfo short1;
    EXPECT_FALSE(Read(short1, cut));
    EXPECT_STREQ(short1.GetLastErrorText(), "Premature end of file?");
}

TEST(DibExif, ThumbnailStaysInsideTheBlock) {
    const bool le = false;
    Bytes tiff = TiffBlock(le, {{0x0201, 4, 1, U32(le, 8)}, {0x0202, 4, 1, U32(le, 20)}});
    CDibExifData record{};
    {
        ExifInfo exif(&record);
        Read(exif, InsertAfterSoi(PlainJpeg(), ExifSegment(tiff)));
        ASSERT_NE(record.thumbnail, nullptr);
        EXPECT_EQ(record.thumbnailSize, 20u);
        EXPECT_EQ(record.thumbnail[0], 2); // the IFD's entry count
    }
    EXPECT_EQ(record.thumbnail, nullptr); // gone with the reader

    // Offsets and lengths that point outside the block, also as signed values (format 9) that
    // wrap when taken unsigned: the thumbnail is dropped, the rest of the record kept.
    const Bytes make = {'A', 'c', 'm', 'e', 0};
    struct Case {
        const char* name;
        ExifTag offset, length;
    } cases[] = {
        {"beyond", {0x0201, 4, 1, U32(le, 8)}, {0x0202, 4, 1, U32(le, 5000)}},
        {"negative length", {0x0201, 4, 1, U32(le, 8)}, {0x0202, 9, 1, U32(le, 0xFFFFFFFCu)}},
        {"negative offset", {0x0201, 9, 1, U32(le, 0xFFFFFFF8u)}, {0x0202, 4, 1, U32(le, 20)}},
    };
    for (const Case& c : cases) {
        Bytes tiff = TiffBlock(le, {{0x010F, 2, 5, make}, c.offset, c.length});
        CDibExifData r2{};
        ExifInfo exif(&r2);
        Read(exif, InsertAfterSoi(PlainJpeg(), ExifSegment(tiff)));
        EXPECT_EQ(r2.thumbnail, nullptr) << c.name;
        EXPECT_EQ(r2.thumbnailSize, 0u) << c.name;
        EXPECT_TRUE(r2.isExif) << c.name;
        EXPECT_STREQ(r2.cameraMake, "Acme") << c.name;
    }
}

TEST(DibExif, EncoderPutsTheBlockBack) {
    Bytes jpeg = InsertAfterSoi(PlainJpeg(), ResolutionExif(true, 180, 1, 2));
    CDibImageJPG codec;
    CDibMemFile in(jpeg.data(), static_cast<DWORD>(jpeg.size()));
    ASSERT_TRUE(codec.Decode(&in));
    EXPECT_EQ(codec.GetDpiX(), 180);
    CDibMemFile out;
    ASSERT_TRUE(out.Open());
    ASSERT_TRUE(codec.Encode(&out)) << codec.GetLastErrorText();
    const BYTE* b = out.GetBuffer(false);
    ASSERT_GT(out.Size(), 12);
    EXPECT_EQ(b[2], 0xFF);
    EXPECT_EQ(b[3], 0xE1); // the EXIF block comes first, no JFIF header
    EXPECT_EQ(std::memcmp(b + 6, "Exif", 4), 0);
    CDibImage back(const_cast<BYTE*>(b), static_cast<DWORD>(out.Size()), DIBIMAGE_TYPE_JPG);
    ASSERT_TRUE(back.IsValid());
    EXPECT_EQ(back.GetDpiX(), 180);

    ExifInfo notRead;
    CDibMemFile sink;
    sink.Open();
    EXPECT_FALSE(notRead.WriteSections(&sink));
    EXPECT_STREQ(notRead.GetLastErrorText(), "Can't write exif : didn't read all");
}
