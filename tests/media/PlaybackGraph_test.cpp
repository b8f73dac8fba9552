#include "media/PlaybackGraph.h"

#include "platform/capture/CaptureTypes.h"
#include "platform/win/window/TestSeams.h"
#include "platform/win/window/WinUser.h"
#include "tests/media/Recording.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <opencv2/videoio.hpp>
#include <thread>
#include <vector>

namespace {

std::vector<WPARAM> g_events;

LRESULT EventProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_USER_PLAYBACK_EVENT)
        g_events.push_back(wp);
    return DefWindowProc(hwnd, msg, wp, lp);
}

class PlaybackGraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        static bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = EventProc;
            wc.lpszClassName = u"PlaybackHost";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        g_events.clear();
        host_ = CreateWindowEx(0, u"PlaybackHost", u"host", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48,
                               nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(host_);
        path_ = dir_.filePath("rec.avi").toStdString();
        WriteRecording(path_);
    }
    void TearDown() override {
        graph_.Release();
        DestroyWindow(host_);
    }
    bool Open() {
        std::u16string p = QString::fromStdString(path_).toStdU16String();
        return graph_.Create() && graph_.RenderFile(p.c_str()) && graph_.SetDisplayWindow(host_) &&
               graph_.SetNotifyWindow(host_);
    }
    // Pumps messages until the end-of-file event came or the time is up.
    bool WaitForEnd(std::chrono::seconds limit) {
        auto until = std::chrono::steady_clock::now() + limit;
        MSG m;
        while (std::chrono::steady_clock::now() < until) {
            while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
                DispatchMessage(&m);
            QCoreApplication::processEvents();
            if (!g_events.empty())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    QTemporaryDir dir_;
    std::string path_;
    HWND host_ = nullptr;
    CPlaybackGraph graph_;
};

TEST_F(PlaybackGraphTest, DurationSeekAndEndOfFile) {
    ASSERT_TRUE(Open());
    EXPECT_FALSE(graph_.Create()); // a graph exists already
    double d = 0, pos = -1;
    ASSERT_TRUE(graph_.GetDuration(&d));
    EXPECT_DOUBLE_EQ(d, 40.0);
    ASSERT_TRUE(graph_.SetPosition(20.0));
    ASSERT_TRUE(graph_.GetPosition(&pos));
    EXPECT_DOUBLE_EQ(pos, 20.0);
    ASSERT_TRUE(graph_.SetPosition(99.0)); // never past the end
    ASSERT_TRUE(graph_.GetPosition(&pos));
    EXPECT_DOUBLE_EQ(pos, 40.0);

    ASSERT_TRUE(graph_.SetPosition(39.0));
    ASSERT_TRUE(graph_.Run());
    EXPECT_TRUE(graph_.IsRunning());
    ASSERT_TRUE(WaitForEnd(std::chrono::seconds(10)));
    EXPECT_EQ(g_events, std::vector<WPARAM>{EC_COMPLETE});
    EXPECT_EQ(graph_.FramesPainted(), 4);
    // What the player does at the end: back to the start, paused.
    EXPECT_TRUE(graph_.SetPosition(0));
    EXPECT_TRUE(graph_.Pause());
    EXPECT_TRUE(graph_.Pause());
    EXPECT_TRUE(graph_.IsPaused());
    ASSERT_TRUE(graph_.GetPosition(&pos));
    EXPECT_DOUBLE_EQ(pos, 0.0);

    graph_.Release();
    EXPECT_FALSE(graph_.Run());
    EXPECT_FALSE(graph_.GetDuration(&d));
    EXPECT_TRUE(graph_.Create());
}

TEST_F(PlaybackGraphTest, FileCutInHalfPlaysWhatItHoldsAndEnds) {
    std::filesystem::resize_file(path_, std::filesystem::file_size(path_) / 2);
    ASSERT_TRUE(Open());
    double d = 0, pos = 0;
    ASSERT_TRUE(graph_.GetDuration(&d));
    EXPECT_GT(d, 10.0);
    EXPECT_LT(d, 30.0);
    ASSERT_TRUE(graph_.SetPosition(40.0));
    ASSERT_TRUE(graph_.GetPosition(&pos));
    EXPECT_DOUBLE_EQ(pos, d);
    ASSERT_TRUE(graph_.SetPosition(d - 1.0));
    ASSERT_TRUE(graph_.Run());
    ASSERT_TRUE(WaitForEnd(std::chrono::seconds(10)));
    EXPECT_EQ(g_events, std::vector<WPARAM>{EC_COMPLETE});
    EXPECT_EQ(graph_.FramesPainted(), 4);
}

// A recording whose writer was killed (no frame declared, no index, the last frame cut short)
// plays the frames it holds whole; one killed before its first frame holds none and is
// refused as such, as is a file that is no AVI.
TEST_F(PlaybackGraphTest, AKilledRecordingPlaysTheFramesItHolds) {
    path_ = dir_.filePath("killed.avi").toStdString();
    WriteKilledRecording(path_, 40, 10);
    ASSERT_TRUE(Open());
    double d = 0;
    ASSERT_TRUE(graph_.GetDuration(&d));
    EXPECT_DOUBLE_EQ(d, 39 / 4.0);
    ASSERT_TRUE(graph_.SetPosition(9.0));
    ASSERT_TRUE(graph_.Run());
    ASSERT_TRUE(WaitForEnd(std::chrono::seconds(10)));
    EXPECT_EQ(g_events, std::vector<WPARAM>{EC_COMPLETE});
    EXPECT_EQ(graph_.FramesPainted(), 3);
    graph_.Release();

    const struct {
        const char* name;
        int frames;
        CPlaybackGraph::RenderFailure failure;
    } refused[] = {
        {"empty.avi", 0, CPlaybackGraph::RenderFailure::NoFrames},
        {"cut.avi", 1, CPlaybackGraph::RenderFailure::NoFrames}, // its only frame is cut short
        {"text.avi", -1, CPlaybackGraph::RenderFailure::Unreadable},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        path_ = dir_.filePath(c.name).toStdString();
        if (c.frames >= 0)
            WriteKilledRecording(path_, c.frames, c.frames ? 10 : 0);
        else
            std::ofstream(path_) << "RIFF, but not a video";
        EXPECT_FALSE(Open());
        EXPECT_EQ(graph_.RenderError(), c.failure);
        graph_.Release();
    }
}

} // namespace
