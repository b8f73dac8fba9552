// The AVI writer fed by the frame callback of a running synthetic camera: frames read back
// upright at 640x480 in both formats (the frame of a still hand-over included), frames taken
// at 15 a second by their sample times whatever the camera's rate, frames of another size or
// too short skipped, a writer that cannot be created, a disk that fills up, and the writer
// opened and closed while frames stream. OpenCV's reader judges the files.
#include "capture/AviRecorder.h"
#include "capture/CaptureWnd.h"
#include "capture/RecorderSettingDlg.h"

#include "imaging/AviWriter.h"

#include "tests/support/TestEnvironment.h"

#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::filesystem::path g_home = mstest::Home();
[[maybe_unused]] const std::filesystem::path g_program =
    mstest::NewProgramDir(mstest::ProgramFiles::None);

using ms::capture::SyntheticCamera;
using ms::capture::SyntheticDevice;

// What OpenCV's reader names the 24-bit DIB frames of an uncompressed recording (raw video).
const char* const kUncompressedFourcc = "rawv";

struct ReadBack {
    int frames = 0;
    double framesPerSecond = 0;
    std::vector<int> numbers; // the synthetic frame number each frame shows (exact when raw)
    int width = 0, height = 0;
    std::string fourcc;
    cv::Vec3d topLeft, bottomLeft; // mean BGR of a corner block of the first frame
};

cv::Vec3d BlockMean(const cv::Mat& m, int x, int y) {
    const cv::Scalar s = cv::mean(m(cv::Rect(x, y, 8, 8)));
    return {s[0], s[1], s[2]};
}

ReadBack Read(const fs::path& path) {
    ReadBack r;
    cv::VideoCapture in(path.string(), cv::CAP_FFMPEG);
    if (!in.isOpened())
        return r;
    const int code = static_cast<int>(in.get(cv::CAP_PROP_FOURCC));
    for (int i = 0; i < 4; ++i)
        r.fourcc += static_cast<char>((code >> (8 * i)) & 0xFF);
    r.framesPerSecond = in.get(cv::CAP_PROP_FPS);
    cv::Mat m;
    while (in.read(m)) {
        const cv::Vec3b p = m.at<cv::Vec3b>(0, 0);
        r.numbers.push_back(p[0] | p[1] << 8 | p[2] << 16);
        if (r.frames++ == 0) {
            r.width = m.cols;
            r.height = m.rows;
            // Clear of the frame number in the top-left pixel and of the digits below it.
            r.topLeft = BlockMean(m, 4, 4);
            r.bottomLeft = BlockMean(m, 4, m.rows - 12);
        }
    }
    return r;
}

// The synthetic picture's background: blue 64 at the left edge, green 48 at the top and about
// 144 at the bottom, red 40.
void ExpectUpright(const ReadBack& r) {
    constexpr double kTolerance = 12;
    EXPECT_NEAR(r.topLeft[0], 64, kTolerance);
    EXPECT_NEAR(r.topLeft[1], 50, kTolerance);
    EXPECT_NEAR(r.topLeft[2], 40, kTolerance);
    EXPECT_NEAR(r.bottomLeft[0], 64, kTolerance);
    EXPECT_NEAR(r.bottomLeft[1], 142, kTolerance);
    EXPECT_NEAR(r.bottomLeft[2], 40, kTolerance);
}

class AviRecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::capture::UseSyntheticCamera(true);
        ms::capture::SetPostMessage([](HWND, UINT, WPARAM, LPARAM) { return true; });
        g_recordCompress = 0;
        g_recording = 0;
        g_recordFrameCount = 0;
        dir_ = g_home / ("videos-" + std::to_string(++counter_));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        ms::avi::AviWriter::SetTestDiskSpace(-1);
        g_recording = 0;
        CloseAviWriter(nullptr);
        capture_.ReleaseGraph();
        ms::capture::SetPostMessage({});
        SyntheticCamera::Instance().ResetToDefault();
    }
    // One 640x480 camera that streams at `framesPerSecond` (0: pushed frames only, whose
    // sample times are 1/`pushedRate` apart: by default one frame per slot of the writer).
    void Start(double framesPerSecond = 0, double pushedRate = kAviFramesPerSecond) {
        SyntheticDevice d;
        d.id = "cam";
        d.sizes = ms::capture::LargeSizeFamily();
        d.framesPerSecond = framesPerSecond;
        d.pushedFramesPerSecond = pushedRate;
        SyntheticCamera::Instance().SetDevices({d});
        capture_.SetWindows(nullptr, nullptr);
        ASSERT_EQ(capture_.CreateDeviceEnumerator(), S_OK);
        ASSERT_TRUE(capture_.EnumerateDevices() && capture_.BuildGraph() &&
                    capture_.ConfigureFormat());
        ASSERT_EQ(capture_.SetResolution(640, 480), 0);
        ASSERT_TRUE(capture_.Run());
    }
    fs::path SetPath(const char* name) {
        const fs::path path = dir_ / name;
        swprintf(g_aviPath, MAX_PATH, u"%s", ms::FromUtf8(path.string()).c_str());
        return path;
    }

    CCaptureWnd capture_;
    fs::path dir_;
    static inline int counter_ = 0;
};

TEST_F(AviRecorderTest, FramesOfTheRunningGraphReadBackUprightInBothFormats) {
    Start();
    const struct {
        int compress;
        const char* fourcc;
    } cases[] = {{0, kUncompressedFourcc}, {1, "MJPG"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.compress);
        g_recordCompress = c.compress;
        const fs::path path = SetPath(c.compress ? "mjpeg.avi" : "raw.avi");
        ASSERT_EQ(OpenAviWriter(), 1);
        g_recordFrameCount = 0;
        g_recording = 1;
        for (int i = 0; i < 20; ++i) {
            // A still requested meanwhile: its frame goes into the video all the same.
            if (i == 10) {
                g_snapshotSource = 0;
                g_snapshotRequest = 1;
            }
            ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
        }
        EXPECT_EQ(g_snapshotRequest.load(), 0);
        capture_.Stop();
        g_recording = 0;
        WCHAR thumbnail[MAX_PATH];
        EXPECT_EQ(CloseAviWriter(thumbnail), 1);
        EXPECT_EQ(ms::ToUtf8(thumbnail), path.string() + ".bmp");
        EXPECT_EQ(g_recordFrameCount.load(), 20);

        const ReadBack r = Read(path);
        EXPECT_EQ(r.frames, 20);
        EXPECT_EQ(r.width, 640);
        EXPECT_EQ(r.height, 480);
        EXPECT_EQ(r.fourcc, c.fourcc);
        ExpectUpright(r);
        ASSERT_TRUE(capture_.Run());
    }
}

// Three seconds of a camera at 30 and at 10 frames a second make three seconds of video at 15:
// each 1/15 s slot takes the first frame taken within it, an earlier frame of the slot is left
// out, and a slot without a frame repeats the one before.
TEST_F(AviRecorderTest, FramesAreTakenAtFifteenASecondByTheirSampleTimes) {
    for (const int rate : {30, 10}) {
        SCOPED_TRACE(rate);
        Start(0, rate);
        const fs::path path = SetPath(rate == 30 ? "fast.avi" : "slow.avi");
        ASSERT_EQ(OpenAviWriter(), 1);
        g_recordFrameCount = 0;
        g_recording = 1;
        for (int i = 0; i < 3 * rate; ++i)
            ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
        capture_.Stop();
        g_recording = 0;
        ASSERT_EQ(CloseAviWriter(nullptr), 1);

        // Frame i is taken at i/rate, within slot i*15/rate.
        std::vector<int> expected;
        for (int i = 0; i < 3 * rate; ++i) {
            const int slot = i * 15 / rate;
            if (slot < static_cast<int>(expected.size()))
                continue;
            expected.resize(static_cast<size_t>(slot), expected.empty() ? 0 : expected.back());
            expected.push_back(i);
        }
        const ReadBack r = Read(path);
        EXPECT_DOUBLE_EQ(r.framesPerSecond, 15.0);
        EXPECT_NEAR(r.frames / r.framesPerSecond, 3.0, 0.2);
        EXPECT_EQ(r.numbers, expected);
        EXPECT_EQ(g_recordFrameCount.load(), r.frames); // the counter counts video frames
        capture_.ReleaseGraph();
    }
}

// A disk that fills up during a recording: the write that fails ends the writer with the
// reason, later frames are refused, and the frames written whole stay a finished file that
// plays. Where the index no longer fits, the last frame makes room for it. A disk without
// room for the header starts no recording and leaves no file.
TEST_F(AviRecorderTest, AFullDiskEndsTheRecordingWithAPlayableFile) {
    const long full = ms::capture::Rgb24Stride(640) * 480;
    std::vector<BYTE> frame(static_cast<size_t>(full), 0x60);
    const long long header = 224, chunk = 8 + full, index = 8 + 16 * 5;
    const struct {
        long long space;
        int opened, written, frames;
    } cases[] = {
        {header + 5 * chunk + index, 1, 5, 5}, // the sixth frame fails; the index of five fits
        {header + 5 * chunk + 20, 1, 5, 4},    // the index needs the fifth frame's room
        {header + 100, 1, 0, 0},               // not one frame: nothing is left to list
        {0, 0, 0, 0},
        {100, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.space);
        ms::avi::AviWriter::SetTestDiskSpace(c.space);
        const fs::path path = SetPath("full.avi");
        ASSERT_EQ(OpenAviWriter(), c.opened);
        int written = 0;
        for (int i = 0; i < 8; ++i)
            written += WriteAviFrame(full, frame.data(), 640, 480, i / kAviFramesPerSecond);
        WCHAR reason[256] = {};
        ASSERT_EQ(GetAviWriterError(reason, 256), 1);
        EXPECT_EQ(ms::ToUtf8(reason), "No space left on device");
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(CloseAviWriter(nullptr), c.frames > 0 ? 1 : 0);
        if (c.frames == 0) {
            EXPECT_FALSE(fs::exists(path));
            continue;
        }
        const ReadBack r = Read(path);
        EXPECT_EQ(r.frames, c.frames);
        EXPECT_EQ(r.width, 640);
        // The file ends with its index: nothing of the frame that failed is left.
        EXPECT_EQ(static_cast<long long>(fs::file_size(path)),
                  header + c.frames * chunk + 8 + 16 * c.frames);
    }
}

// Only frames of the writer's size that hold all their rows are written, and none without a
// writer. The short buffer is exactly as long as given, so reading past it would be caught.
TEST_F(AviRecorderTest, FramesOfAnotherSizeOrShortBuffersAreSkipped) {
    const long full = ms::capture::Rgb24Stride(640) * 480;
    std::vector<BYTE> frame(static_cast<size_t>(full), 0x80);
    std::vector<BYTE> shortFrame(static_cast<size_t>(full - 1), 0x80);
    std::vector<BYTE> small(static_cast<size_t>(ms::capture::Rgb24Stride(320) * 240), 0x80);

    EXPECT_EQ(WriteAviFrame(full, frame.data(), 640, 480, 0), 0); // no writer yet
    const fs::path path = SetPath("sizes.avi");
    ASSERT_EQ(OpenAviWriter(), 1);
    const struct {
        const std::vector<BYTE>* bits;
        long length;
        int width, height;
        int written;
    } cases[] = {
        {&frame, full, 640, 480, 1},
        {&small, static_cast<long>(small.size()), 320, 240, 0},
        {&frame, full, 1280, 960, 0}, // a size change that the buffer does not follow
        {&shortFrame, full - 1, 640, 480, 0},
        {nullptr, full, 640, 480, 0},
        {&frame, full, 640, 480, 1},
    };
    double sampleTime = 0; // each frame written in the slot after the last one
    for (const auto& c : cases) {
        EXPECT_EQ(WriteAviFrame(c.length, c.bits ? c.bits->data() : nullptr, c.width, c.height,
                                sampleTime),
                  c.written)
            << c.width << "x" << c.height << " " << c.length;
        sampleTime += c.written / kAviFramesPerSecond;
    }
    EXPECT_EQ(CloseAviWriter(nullptr), 1);
    EXPECT_EQ(Read(path).frames, 2);
    EXPECT_EQ(WriteAviFrame(full, frame.data(), 640, 480, 9), 0); // closed
}

TEST_F(AviRecorderTest, AWriterThatCannotBeCreatedWritesNothing) {
    const fs::path path = SetPath("missing-folder/x.avi");
    EXPECT_EQ(OpenAviWriter(), 0);
    EXPECT_EQ(IsAviWriterOpen(), 0);
    std::vector<BYTE> frame(static_cast<size_t>(ms::capture::Rgb24Stride(640) * 480));
    EXPECT_EQ(WriteAviFrame(static_cast<long>(frame.size()), frame.data(), 640, 480, 0), 0);
    WCHAR thumbnail[MAX_PATH];
    EXPECT_EQ(CloseAviWriter(thumbnail), 0);
    EXPECT_FALSE(fs::exists(path));
}

// The streaming thread writes at 60 frames per second while the user-interface thread opens
// and closes writers and switches the recording flag, also without stopping the graph first.
TEST_F(AviRecorderTest, WritersOpenAndCloseWhileFramesStream) {
    Start(60);
    for (int round = 0; round < 6; ++round) {
        SetPath(round % 2 ? "a.avi" : "b.avi");
        g_recordCompress = round % 2;
        ASSERT_EQ(OpenAviWriter(), 1);
        g_recording = 1;
        // The streaming thread writes into this writer before it goes.
        const int before = g_recordFrameCount.load();
        for (int i = 0; i < 60000 && g_recordFrameCount.load() == before; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_GT(g_recordFrameCount.load(), before) << "round " << round;
        if (round % 3 == 0)
            g_recording = 0;
        EXPECT_EQ(CloseAviWriter(nullptr), 1);
        g_recording = 0;
    }
    capture_.Stop();
}

} // namespace
