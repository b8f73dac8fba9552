// The AVI writer and reader of the recordings together: frames come back as written in both
// formats (exactly when uncompressed), the file is what AVI 1.0 readers expect (header counts
// and an idx1 entry per frame), and damaged sizes and offsets are survived: a size that runs
// past the file counts as "up to the end", a frame cut short is not offered.
#include "imaging/AviReader.h"
#include "imaging/AviWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using ms::avi::AviReader;
using ms::avi::AviWriter;

constexpr int kW = 6, kH = 4;
constexpr long kStride = 20; // 6 * 3 = 18, padded to 4

// A bottom-up frame whose every pixel tells its frame, row and column.
std::vector<uint8_t> Frame(int n) {
    std::vector<uint8_t> f(kStride * kH, 0xEE);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            uint8_t* p = &f[static_cast<size_t>(y * kStride + x * 3)];
            p[0] = static_cast<uint8_t>(n * 40);
            p[1] = static_cast<uint8_t>(y * 60);
            p[2] = static_cast<uint8_t>(x * 40);
        }
    return f;
}

std::vector<uint8_t> Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
uint32_t At32(const std::vector<uint8_t>& b, size_t i) {
    uint32_t v = 0;
    std::memcpy(&v, &b[i], 4);
    return v;
}
void Put32(std::vector<uint8_t>& b, size_t i, uint32_t v) {
    std::memcpy(&b[i], &v, 4);
}

class AviFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("avi-file-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        AviWriter::SetTestDiskSpace(-1);
        fs::remove_all(dir_);
    }
    fs::path Write(AviWriter::Codec codec, int frames, int repeats = 0) {
        const fs::path path = dir_ / (codec == AviWriter::Codec::Mjpeg ? "m.avi" : "d.avi");
        AviWriter w;
        AviWriter::Format f;
        f.width = kW;
        f.height = kH;
        f.codec = codec;
        f.jpegQuality = 100;
        EXPECT_TRUE(w.Open(path.string(), f));
        for (int i = 0; i < frames; ++i) {
            const auto bits = Frame(i);
            EXPECT_TRUE(w.WriteFrame(bits.data(), static_cast<long>(bits.size()), kStride));
        }
        for (int i = 0; i < repeats; ++i)
            EXPECT_TRUE(w.RepeatFrame());
        EXPECT_TRUE(w.Close());
        return path;
    }
    fs::path dir_;
};

TEST_F(AviFileTest, FramesComeBackAsWrittenAndTheHeaderCountsThem) {
    for (const auto codec : {AviWriter::Codec::Dib24, AviWriter::Codec::Mjpeg}) {
        const bool mjpeg = codec == AviWriter::Codec::Mjpeg;
        SCOPED_TRACE(mjpeg);
        const fs::path path = Write(codec, 3, 1);
        const auto file = Bytes(path);
        EXPECT_EQ(At32(file, 4), file.size() - 8);         // RIFF size
        EXPECT_EQ(At32(file, 48), 4u);                     // avih total frames
        EXPECT_EQ(At32(file, 140), 4u);                    // strh length
        EXPECT_EQ(At32(file, 132) / At32(file, 128), 15u); // rate / scale
        const size_t idx1 = file.size() - 8 - 4 * 16;
        EXPECT_EQ(std::memcmp(&file[idx1], "idx1", 4), 0);
        EXPECT_EQ(std::memcmp(&file[idx1 + 8], mjpeg ? "00dc" : "00db", 4), 0);

        AviReader r;
        ASSERT_TRUE(r.Open(path.string())) << r.Error();
        EXPECT_EQ(r.Frames(), 4);
        EXPECT_EQ(r.DeclaredFrames(), 4);
        EXPECT_DOUBLE_EQ(r.FramesPerSecond(), 15.0);
        EXPECT_EQ(r.IsMotionJpeg(), mjpeg);
        for (int i = 0; i < 4; ++i) {
            std::vector<uint8_t> bgr;
            int w = 0, h = 0;
            ASSERT_TRUE(r.ReadFrame(i, bgr, &w, &h));
            ASSERT_EQ(w, kW);
            ASSERT_EQ(h, kH);
            const int n = i < 3 ? i : 2; // the repeat shows the last frame
            // Top-down rows: the first row read is the last one written. Motion-JPEG is lossy
            // on so small a picture: its means are compared.
            double blue = 0, topGreen = 0, bottomGreen = 0;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    const uint8_t* p = &bgr[static_cast<size_t>((y * kW + x) * 3)];
                    if (!mjpeg) {
                        EXPECT_EQ(p[0], n * 40);
                        EXPECT_EQ(p[1], (kH - 1 - y) * 60);
                        EXPECT_EQ(p[2], x * 40);
                    }
                    blue += p[0];
                    topGreen += y == 0 ? p[1] : 0;
                    bottomGreen += y == kH - 1 ? p[1] : 0;
                }
            EXPECT_NEAR(blue / (kW * kH), n * 40, 8);
            EXPECT_NEAR(topGreen / kW, (kH - 1) * 60, 30);
            EXPECT_NEAR(bottomGreen / kW, 0, 30);
        }
        std::vector<uint8_t> bgr;
        int w = 0, h = 0;
        EXPECT_FALSE(r.ReadFrame(4, bgr, &w, &h));
        EXPECT_FALSE(r.ReadFrame(-1, bgr, &w, &h));
    }
}

// Damage at the places a reader trusts: each case is survived (read from memory exactly as
// long as the bytes, so any read past them is caught) with the frames that are whole.
TEST_F(AviFileTest, DamagedSizesAndOffsetsAreSurvived) {
    const auto good = Bytes(Write(AviWriter::Codec::Dib24, 3));
    const size_t frameChunk = 8 + kStride * kH;
    const struct {
        const char* what;
        size_t at;
        uint32_t value;
        size_t keep; // bytes kept (0: all)
        bool opens;
        long frames;
    } cases[] = {
        {"RIFF size past the end", 4, 0xFFFFFFF0, 0, true, 3},
        {"RIFF size zero", 4, 0, 0, true, 3},
        {"movi size past the end", 216, 0xFFFFFFF0, 0, true, 3},
        {"movi size zero, no index", 216, 0, 224 + 3 * frameChunk, true, 3},
        {"a frame's size past the end", 224 + 4, 0x7FFFFFFF, 0, true, 0},
        {"the second frame's size runs into the index", 224 + frameChunk + 4, 200, 0, true, 1},
        {"the last frame cut short", 4, 0, 224 + 3 * frameChunk - 1, true, 2},
        {"hdrl size past the end", 16, 0xFFFFFFF0, 0, true, 0}, // the movi list is in it
        {"strl size past hdrl", 92, 0x00FFFFFF, 0, false, 0},
        {"width zero", 176, 0, 0, false, 0},
        {"height of INT_MIN", 180, 0x80000000, 0, false, 0},
        {"width past the largest", 176, 100000, 0, false, 0},
        {"16-bit frames", 184, 0x00100001, 0, false, 0},
        {"no frame rate", 132, 0, 0, false, 0}, // rate zero, and the avih rate too
        {"header cut short", 0, 0, 100, false, 0},
        {"nothing", 0, 0, 1, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = good;
        if (c.at || c.value)
            Put32(bytes, c.at, c.value);
        if (std::string(c.what) == "no frame rate")
            Put32(bytes, 32, 0);
        if (c.keep)
            bytes.resize(c.keep);
        std::vector<uint8_t> exact(bytes.begin(), bytes.end());
        AviReader r;
        ASSERT_EQ(r.OpenMemory(exact.data(), exact.size()), c.opens) << r.Error();
        if (!c.opens) {
            EXPECT_FALSE(r.Error().empty());
            continue;
        }
        EXPECT_EQ(r.Frames(), c.frames);
        std::vector<uint8_t> bgr;
        int w = 0, h = 0;
        for (long i = 0; i < c.frames; ++i)
            EXPECT_TRUE(r.ReadFrame(i, bgr, &w, &h)) << i;
    }
}

} // namespace
