#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "imaging/DibImage.h"
#include "tests/imaging/ImagingFixtures.h"

using namespace fixtures;

namespace {
Bytes SmallJpeg() {
    CDibImage image(16, 8, 24, 0);
    FillColour(image, 0, 128, 255);
    return EncodeToBytes(image, DIBIMAGE_TYPE_JPG);
}
} // namespace

TEST(DibImageLoad, TypedLoadFallsBackToDetection) {
    TempPath file("picture.bmp");
    file.Write(SmallJpeg()); // a JPEG behind a ".bmp" name
    CDibImage image(file.Path(), DIBIMAGE_TYPE_BMP);
    ASSERT_TRUE(image.IsValid());
    EXPECT_EQ(image.GetType(), DIBIMAGE_TYPE_JPG);
    EXPECT_EQ(image.GetWidth(), 16u);
}

TEST(DibImageLoad, FailedTypedLoadKeepsTheTypedText) {
    TempPath file("notes.jpg");
    file.Write(Bytes{'h', 'e', 'l', 'l', 'o'});
    CDibImage image(file.Path(), DIBIMAGE_TYPE_JPG);
    EXPECT_FALSE(image.IsValid());
    EXPECT_NE(std::strstr(image.GetLastErrorText(), "Not a JPEG file"), nullptr)
        << image.GetLastErrorText();

    CDibImage untyped(file.Path(), DIBIMAGE_TYPE_UNKNOWN);
    EXPECT_STREQ(untyped.GetLastErrorText(), "Decode: Unknown or wrong format");

    CDibImage missing(u"/nonexistent-dir/none.bmp", DIBIMAGE_TYPE_BMP);
    EXPECT_FALSE(missing.IsValid());
    EXPECT_STREQ(missing.GetLastErrorText(), "");
}

TEST(DibImageSave, RefusedSaveLeavesTheFileIntact) {
    TempPath file("kept.jpg");
    const Bytes old{'o', 'l', 'd'};
    file.Write(old);

    CDibImage image(4, 4, 24, 0);
    for (DWORD type : {0u, 2u, 7u}) {
        EXPECT_FALSE(image.SaveToFile(file.Path(), type));
        EXPECT_STREQ(image.GetLastErrorText(), "Encode: Unknown format");
        EXPECT_EQ(file.Read(), old);
    }
    CDibImage empty;
    EXPECT_FALSE(empty.SaveToFile(file.Path(), DIBIMAGE_TYPE_JPG));
    EXPECT_STREQ(empty.GetLastErrorText(), "null image!!!");
    EXPECT_EQ(file.Read(), old);

    CDibImage bits(8, 8, 1, 0);
    bits.SetStandardPalette();
    EXPECT_FALSE(bits.SaveToFile(file.Path(), DIBIMAGE_TYPE_JPG));
    EXPECT_STREQ(bits.GetLastErrorText(), "JPEG can save only RGB or GreyScale images");
    EXPECT_EQ(file.Read(), old);
}

// A full disk: the file-size limit makes writes fail part-way. An existing picture survives
// byte for byte, a new one is not made, and no temporary file stays behind.
TEST(DibImageSave, FailedWriteKeepsTheOldPicture) {
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;

    CDibImage image(200, 200, 24, 0);
    for (long y = 0; y < 200; ++y) // noise, so that the JPEG is large too
        for (long x = 0; x < 200; ++x)
            image.SetPixelColor(x, y, RGB((x * 37 + y * 11) & 255, (x * y) & 255, (x ^ y) & 255));
    const Bytes previous = SmallJpeg();
    for (DWORD type : {DIBIMAGE_TYPE_BMP, DIBIMAGE_TYPE_JPG}) {
        for (bool existed : {true, false}) {
            TempPath file("full.img");
            if (existed)
                file.Write(previous);
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
            EXPECT_FALSE(image.SaveToFile(file.Path(), type)) << type;
            setrlimit(RLIMIT_FSIZE, &old);
            EXPECT_EQ(file.Exists(), existed) << type;
            if (existed) {
                EXPECT_EQ(file.Read(), previous) << type;
            }
            const auto dir = std::filesystem::path(file.Path8()).parent_path();
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), existed ? 1 : 0)
                << type;
        }
    }
    std::signal(SIGXFSZ, oldHandler);
}

TEST(DibImageSave, SavesAndLoadsBack) {
    TempPath file("round.bmp");
    CDibImage image(3, 2, 24, 0);
    image.SetPixelColor(2, 1, RGB(9, 8, 7));
    ASSERT_TRUE(image.SaveToFile(file.Path(), DIBIMAGE_TYPE_BMP));
    CDibImage back(file.Path(), DIBIMAGE_TYPE_BMP);
    ASSERT_TRUE(back.IsValid());
    EXPECT_EQ(back.GetSize(), image.GetSize());
    EXPECT_EQ(std::memcmp(back.GetDibBlock(), image.GetDibBlock(), image.GetSize()), 0);
}

TEST(DibImageDecode, BareDibFromMemoryEqualsFile) {
    CDibImage image(3, 2, 24, 0);
    image.SetPixelColor(0, 0, RGB(1, 2, 3));
    image.SetPixelColor(2, 1, RGB(4, 5, 6));
    Bytes file = EncodeToBytes(image, DIBIMAGE_TYPE_BMP);
    Bytes bare(file.begin() + 14, file.end());

    CDibImage fromFile(file.data(), static_cast<DWORD>(file.size()), DIBIMAGE_TYPE_UNKNOWN);
    CDibImage fromBare(bare.data(), static_cast<DWORD>(bare.size()), DIBIMAGE_TYPE_UNKNOWN);
    ASSERT_TRUE(fromFile.IsValid());
    ASSERT_TRUE(fromBare.IsValid());
    EXPECT_EQ(std::memcmp(fromFile.GetDibBlock(), fromBare.GetDibBlock(), fromFile.GetSize()), 0);
}

TEST(DibImageEncode, MemoryBufferAndChecks) {
    CDibImage image(2, 2, 24, 0);
    BYTE* buffer = reinterpret_cast<BYTE*>(&image);
    long size = 0;
    EXPECT_FALSE(image.Encode(buffer, size, DIBIMAGE_TYPE_BMP));
    EXPECT_STREQ(image.GetLastErrorText(), "the buffer must be empty");
    EXPECT_FALSE(image.Decode(static_cast<CDibFile*>(nullptr), DIBIMAGE_TYPE_BMP));
    EXPECT_STREQ(image.GetLastErrorText(), "null file handler");
    EXPECT_FALSE(image.Encode(static_cast<CDibFile*>(nullptr), DIBIMAGE_TYPE_BMP));
    EXPECT_STREQ(image.GetLastErrorText(), "null file handler");

    BYTE* rgba = nullptr;
    image.SetPixelColor(0, 1, RGB(10, 20, 30));
    ASSERT_TRUE(image.EncodeToRGBA(rgba, size));
    ASSERT_EQ(size, 16);
    EXPECT_EQ(rgba[0], 10); // top row first, red first
    EXPECT_EQ(rgba[3], 255);
    std::free(rgba);

    Bytes jpeg = SmallJpeg();
    CDibImage probe;
    EXPECT_TRUE(probe.CheckFormat(jpeg.data(), static_cast<DWORD>(jpeg.size()), DIBIMAGE_TYPE_JPG));
    EXPECT_FALSE(probe.IsValid());
    EXPECT_EQ(probe.GetWidth(), 16u);
    EXPECT_FALSE(probe.CheckFormat(nullptr, 0, DIBIMAGE_TYPE_JPG));
    EXPECT_STREQ(probe.GetLastErrorText(), "invalid or empty buffer");
}
