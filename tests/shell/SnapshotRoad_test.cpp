// The road of a still picture through the main window, over the synthetic camera at 640 x 480
// and a clock fixed at 2026-03-07 09:05:01: the Camera command requests a still, the frame
// callback hands the next frame over, and the hand-over composes the frame copied before it
// into a numbered "Still_" picture; the compositor's other modes; what a stopped preview and
// an unwritable picture folder give.
#include "capture/AviRecorder.h"
#include "capture/CaptureWnd.h"
#include "capture/GrabberCallbacks.h"
#include "capture/TimedSnapshot.h"
#include "kit/RegistrySettings.h"
#include "kit/SaveFolders.h"
#include "measure/MeasureRecords.h"
#include "shell/MicroscopeDlg.h"
#include "shell/SnapshotOverlays.h"

#include "imaging/DibImage.h"
#include "platform/capture/Poster.h"
#include "platform/services/ServiceSeams.h"
#include "platform/win/core/Time.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"
#include "tests/support/Pump.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <mutex>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::filesystem::path g_home = mstest::Home();
[[maybe_unused]] const std::filesystem::path g_program =
    mstest::NewProgramDir(mstest::ProgramFiles::None);

using ms::capture::SyntheticCamera;

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

std::u16string U16(const fs::path& p) {
    const std::string s = p.string();
    return std::u16string(s.begin(), s.end());
}

std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

int CountShown(const std::u16string& text) {
    const auto& log = ms::test::ShownLog();
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const auto& s) {
        return s.kind == ms::test::Shown::MessageBox && s.text == text;
    }));
}

int ShutterSounds() {
    const auto& played = ms::test::PlayedSounds();
    return static_cast<int>(std::count_if(played.begin(), played.end(),
                                          [](const auto& p) { return p.name == u"#181"; }));
}

class SnapshotRoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        g_hInstance = GetModuleHandle(nullptr);
        // The window starts without a device, also when the cases share one process; the
        // test then builds the camera's graph itself.
        ms::capture::UseSyntheticCamera(true);
        SyntheticCamera::Instance().SetDevices({});
        ms::test::PressInDialog(IDD_CALIBRATE_PROMPT, IDCANCEL);
        dlg_ = std::make_unique<CMicroscopeDlg>();
        ASSERT_TRUE(dlg_->Create(IDD_MAIN));
        ms::test::Pump(6);

        pictures_ = g_home / ("pictures-" + std::to_string(++counter_));
        fs::create_directories(pictures_);
        SetPictureFolder(pictures_);
        g_imageFormat = 2;
        SYSTEMTIME now{};
        now.wYear = 2026;
        now.wMonth = 3;
        now.wDay = 7;
        now.wDayOfWeek = 6;
        now.wHour = 9;
        now.wMinute = 5;
        now.wSecond = 1;
        ms::SetTestClock(now);

        ms::capture::UseSyntheticCamera(true);
        ms::capture::SyntheticDevice device;
        device.id = "cam";
        device.sizes = ms::capture::SmallSizeFamily();
        device.framesPerSecond = 0; // frames only when the test pushes them
        SyntheticCamera::Instance().SetDevices({device});
        ms::capture::SetPostMessage([this](HWND h, UINT m, WPARAM w, LPARAM) {
            std::lock_guard lock(mutex_);
            if (h == dlg_->m_hWnd && m == WM_APP_STILL_CAPTURED)
                stills_.push_back(w);
            return true;
        });
        g_captureWnd.SetWindows(dlg_->m_hWnd, nullptr);
        ASSERT_EQ(g_captureWnd.CreateDeviceEnumerator(), S_OK);
        ASSERT_TRUE(g_captureWnd.EnumerateDevices() && g_captureWnd.BuildGraph() &&
                    g_captureWnd.ConfigureFormat() && g_captureWnd.Run());
        g_captureWnd.SetResolution(640, 480);
        ASSERT_EQ(g_captureWnd.IsRunning(), 1);
        ASSERT_EQ(g_captureWidth, 640);
        dlg_->ToggleButton(1014)->SetPressed();
        SetDlgItemText(dlg_->m_hWnd, IDC_SCALE, u"");
        dlg_->Stills().SetLister(
            [this] { listed_.push_back(Narrow(dlg_->Stills().State().lastSnapshotPath)); });
    }
    void TearDown() override {
        StillWriter::beforeWriteForTests = nullptr;
        g_captureWnd.ReleaseGraph();
        ms::capture::SetPostMessage({});
        SyntheticCamera::Instance().ResetToDefault();
        if (dlg_ && dlg_->m_hWnd)
            dlg_->DestroyWindow();
        dlg_.reset();
        ms::test::Pump(6);
        FreeFrameBuffer();
        ms::ClearTestClock();
        g_snapshotRequest = 0;
        g_snapshotPending = 0;
        g_liveView.Change([](LiveViewSnapshot& s) {
            s.showCrossLine = s.showScaleBar = s.showCircleOverlay = 0;
        });
        g_aviPath[0] = 0;
        std::error_code ec;
        fs::permissions(pictures_, fs::perms::owner_all, ec);
        ms::test::ResetSeams();
    }

    void SetPictureFolder(const fs::path& dir) {
        lstrcpyn(g_paths.pictureDir, U16(dir).c_str(), MAX_PATH);
    }
    void Command(int id) {
        SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(dlg_->m_hWnd, id)));
    }
    // The rows of the frame copied last.
    std::vector<BYTE> CopiedFrame() {
        std::lock_guard lock(g_frameLock);
        return std::vector<BYTE>(g_frameBuffer, g_frameBuffer + g_frameInfo.biSizeImage);
    }
    // Camera between two frames; every hand-over posted reaches the main window as its input
    // hook passes it on, and the stills are written. Returns the rows of the frame the picture
    // must hold: the one after the request.
    std::vector<BYTE> TakePicture(int command = 1005) {
        EXPECT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
        Command(command);
        EXPECT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
        std::vector<BYTE> expected = CopiedFrame();
        Deliver();
        return expected;
    }
    // TakePicture with the still writer held before it composes the still until `release` is
    // set; returns once the writer holds it.
    std::vector<BYTE> TakeHeldPicture(std::shared_future<void> release) {
        auto entered = std::make_shared<std::promise<void>>();
        StillWriter::beforeWriteForTests = [entered, release](const StillWriter::Still&) {
            entered->set_value();
            release.wait();
        };
        EXPECT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
        Command(1005);
        EXPECT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
        std::vector<BYTE> expected = CopiedFrame();
        Deliver(false);
        entered->get_future().wait();
        return expected;
    }
    // The hand-overs posted so far reach the main window; `written`: their stills are written
    // and listed too.
    void Deliver(bool written = true) {
        std::vector<WPARAM> stills;
        {
            std::lock_guard lock(mutex_);
            stills.swap(stills_);
        }
        for (WPARAM source : stills)
            dlg_->OnStillCaptured(source);
        handedOver_ += static_cast<int>(stills.size());
        if (written)
            dlg_->FinishStills();
    }

    std::unique_ptr<CMicroscopeDlg> dlg_;
    fs::path pictures_;
    std::mutex mutex_;
    std::vector<WPARAM> stills_;
    std::vector<std::string> listed_;
    int handedOver_ = 0;
    static inline int counter_ = 0;
};

TEST_F(SnapshotRoadTest, CameraWritesTheNextNumberedJpegHoldingTheFrame) {
    fs::create_directories(pictures_ / "old.jpg");
    for (const char* name : {"Still_2024-01-01_100000_N0009.jpg",
                             "Still_2024-01-02_090000_25X_N0010.jpg", "Nature.jpg"})
        std::ofstream(pictures_ / name) << "x";
    SetDlgItemText(dlg_->m_hWnd, IDC_SCALE, u"25");

    const std::vector<BYTE> frame = TakePicture();
    ASSERT_EQ(handedOver_, 1);
    const std::string name = "Still_2026-03-07_090501_25X_N0011.jpg";
    ASSERT_TRUE(fs::exists(pictures_ / name));
    EXPECT_EQ(listed_, std::vector<std::string>{(pictures_ / name).string()});
    EXPECT_EQ(ShutterSounds(), 1);
    EXPECT_EQ(CountShown(u"Picture Error"), 1); // the folder "old.jpg", once per snapshot

    CDibImage picture(U16(pictures_ / name).c_str(), DIBIMAGE_TYPE_JPG);
    ASSERT_TRUE(picture.IsValid());
    ASSERT_EQ(picture.GetWidth(), 640u);
    ASSERT_EQ(picture.GetHeight(), 480u);
    // JPEG of quality 90: every channel stays close to the frame's.
    long long difference = 0;
    const BYTE* rows = picture.GetBits();
    for (size_t i = 0; i < frame.size(); ++i)
        difference += std::abs(int(rows[i]) - int(frame[i]));
    EXPECT_LT(difference / static_cast<long long>(frame.size()), 4);

    // The next one runs on from 11, also with another magnification.
    SetDlgItemText(dlg_->m_hWnd, IDC_SCALE, u"");
    TakePicture();
    EXPECT_TRUE(fs::exists(pictures_ / "Still_2026-03-07_090501_N0012.jpg"));
    EXPECT_EQ(ShutterSounds(), 2);
}

TEST_F(SnapshotRoadTest, BmpSnapshotsNumberAmongTheBmpFilesAndHoldTheFrameExactly) {
    std::ofstream(pictures_ / "Still_2024-01-01_100000_N0009.jpg") << "x";
    g_imageFormat = 1;
    const std::vector<BYTE> first = TakePicture();
    TakePicture();
    EXPECT_EQ(Names(pictures_), (std::set<std::string>{"Still_2024-01-01_100000_N0009.jpg",
                                                       "Still_2026-03-07_090501_N0001.bmp",
                                                       "Still_2026-03-07_090501_N0002.bmp"}));
    EXPECT_EQ(fs::file_size(pictures_ / "Still_2026-03-07_090501_N0001.bmp"), 921654u);
    CDibImage picture(U16(pictures_ / "Still_2026-03-07_090501_N0001.bmp").c_str(),
                      DIBIMAGE_TYPE_BMP);
    ASSERT_TRUE(picture.IsValid());
    ASSERT_EQ(first.size(), 640u * 480u * 3u);
    // The frame that saw the request, exactly.
    EXPECT_EQ(std::memcmp(picture.GetBits(), first.data(), first.size()), 0);
}

// The still is composed, encoded and written off the UI thread: while it is held up, the hand-over
// has returned and every new frame reaches the preview; once written it is listed and heard.
TEST_F(SnapshotRoadTest, ThePreviewTakesEveryFrameWhileAStillIsWritten) {
    g_imageFormat = 1;
    std::promise<void> release;
    const std::vector<BYTE> still = TakeHeldPicture(release.get_future().share());
    ASSERT_EQ(handedOver_, 1);

    const HWND preview = GetDlgItem(dlg_->m_hWnd, IDC_PREVIEW);
    QImage shown = ms::test::PresentedPicture(preview);
    ASSERT_FALSE(shown.isNull());
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
        const QImage next = ms::test::PresentedPicture(preview);
        EXPECT_NE(next, shown) << frame;
        shown = next;
    }
    const fs::path file = pictures_ / "Still_2026-03-07_090501_N0001.bmp";
    EXPECT_EQ(fs::file_size(file), 0u) << "the name is taken, the picture not yet written";
    EXPECT_TRUE(listed_.empty());
    EXPECT_EQ(ShutterSounds(), 0);

    release.set_value();
    dlg_->FinishStills();
    EXPECT_EQ(listed_, std::vector<std::string>{file.string()});
    EXPECT_EQ(ShutterSounds(), 1);
    CDibImage picture(U16(file).c_str(), DIBIMAGE_TYPE_BMP);
    ASSERT_TRUE(picture.IsValid());
    EXPECT_EQ(std::memcmp(picture.GetBits(), still.data(), still.size()), 0);
    // The frames shown meanwhile were not copied: the still's frame stays the copy.
    EXPECT_EQ(CopiedFrame(), still);
}

// The still is composed on the still writer's thread from what its hand-over took: the live
// measurements, the guides and the overlays as they stood then, drawn exactly as the UI thread
// draws the export picture of the same frame; what changes while the still waits to be
// composed, and what the UI thread draws meanwhile, changes nothing in it.
TEST_F(SnapshotRoadTest, AStillHoldsTheMeasurementsAndOverlaysOfItsHandOver) {
    g_imageFormat = 1;
    {
        LiveListsLock lock;
        auto line = std::make_unique<CMeasureRecord>();
        line->m_kind = LIVE_LINE;
        line->m_points = {{100, 100}, {300, 100}, {150, 80}};
        line->m_labels.emplace_back(u"L:5.926mm");
        line->m_labelFont.lfHeight = 14;
        line->m_lineColor = RGB(0, 255, 0);
        lock.Shapes().Add(std::move(line));
        auto angle = std::make_unique<CPolylineRecord>(); // labelled in the DC's own font
        angle->m_kind = GUIDE_COORDINATE_ANGLE;
        angle->m_points = {{320, 240}, {520, 240}, {320, 40}};
        lock.Polylines().Add(std::move(angle));
    }
    const struct Clear {
        ~Clear() { DeleteAllLiveShapes(); }
    } clear;
    g_liveView.Change([](LiveViewSnapshot& s) { s.showCrossLine = s.showScaleBar = 1; });
    g_captureWnd.m_liveScale = 25;
    g_captureWnd.m_liveZoom = 20;

    std::promise<void> release;
    TakeHeldPicture(release.get_future().share());
    ASSERT_EQ(handedOver_, 1);

    const fs::path exported = Narrow(g_paths.programDir) + "/10000.bmp";
    auto bytes = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    ASSERT_EQ(dlg_->SaveSnapshot(1), 1); // the same frame and state, composed on this thread
    const std::string expected = bytes(exported);
    // Another state, drawn on this thread while the writer composes.
    DeleteAllLiveShapes();
    g_liveView.Change([](LiveViewSnapshot& s) { s.showCrossLine = 0; });
    g_captureWnd.m_liveScale = 50;
    release.set_value();
    ASSERT_EQ(dlg_->SaveSnapshot(1), 1);
    dlg_->FinishStills();

    const fs::path still = pictures_ / "Still_2026-03-07_090501_N0001.bmp";
    ASSERT_EQ(listed_, std::vector<std::string>{still.string()});
    EXPECT_TRUE(bytes(still) == expected) << "the still differs from the export of its state";
    EXPECT_FALSE(bytes(exported) == expected) << "the state after the hand-over was the same";
    CDibImage picture(U16(still).c_str(), DIBIMAGE_TYPE_BMP);
    ASSERT_TRUE(picture.IsValid());
    auto colour = [&](int x, int y) {
        const RGBQUAD c = picture.GetPixelColor(x, 479 - y, false);
        return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
    };
    EXPECT_EQ(colour(200, 100), RGB(0, 255, 0)); // the measured line
    EXPECT_EQ(colour(5, 240), RGB(255, 0, 0));   // the scale bar over the cross line
}

// A picture of the next still's name that appears after the folder was looked through, in a
// way its time does not show (a coarse clock), is never replaced: the still takes the next
// free number.
TEST_F(SnapshotRoadTest, APictureOfTheNextNameThatAppearedMeanwhileIsNotOverwritten) {
    g_imageFormat = 1;
    TakePicture();
    ASSERT_TRUE(fs::exists(pictures_ / "Still_2026-03-07_090501_N0001.bmp"));
    const auto stamp = fs::last_write_time(pictures_);
    std::ofstream(pictures_ / "Still_2026-03-07_090501_N0002.bmp") << "theirs";
    fs::last_write_time(pictures_, stamp);

    TakePicture();
    EXPECT_EQ(Names(pictures_), (std::set<std::string>{"Still_2026-03-07_090501_N0001.bmp",
                                                       "Still_2026-03-07_090501_N0002.bmp",
                                                       "Still_2026-03-07_090501_N0003.bmp"}));
    EXPECT_EQ(fs::file_size(pictures_ / "Still_2026-03-07_090501_N0002.bmp"), 6u);
    EXPECT_EQ(fs::file_size(pictures_ / "Still_2026-03-07_090501_N0003.bmp"), 921654u);
    EXPECT_EQ(listed_.size(), 2u);
    EXPECT_EQ(ShutterSounds(), 2);
}

// A still written counts in the kept scan of the folder, so the next still is numbered
// without looking through the folder again: a picture added meanwhile whose change the
// folder's time does not show goes unseen (a look would number the still after it).
TEST_F(SnapshotRoadTest, TheNextStillIsNumberedFromTheKeptScanWithoutALook) {
    g_imageFormat = 1;
    TakePicture();
    ASSERT_TRUE(fs::exists(pictures_ / "Still_2026-03-07_090501_N0001.bmp"));
    const auto stamp = fs::last_write_time(pictures_);
    std::ofstream(pictures_ / "Still_2026-03-07_090501_N0050.bmp") << "theirs";
    fs::last_write_time(pictures_, stamp);

    TakePicture();
    EXPECT_TRUE(fs::exists(pictures_ / "Still_2026-03-07_090501_N0002.bmp"));
    EXPECT_FALSE(fs::exists(pictures_ / "Still_2026-03-07_090501_N0051.bmp"));
}

// The same with the folder looked through ahead, off the UI thread: the look's number is
// taken, and the picture that appeared since is still not replaced.
TEST_F(SnapshotRoadTest, APictureThatAppearedAfterTheLookAheadIsNotOverwritten) {
    g_imageFormat = 1;
    const auto stamp = fs::last_write_time(pictures_);
    dlg_->Stills().WarmNumbering();
    dlg_->Stills().Numbering().WaitWarmed();
    std::ofstream(pictures_ / "Still_2026-03-07_090501_N0001.bmp") << "theirs";
    fs::last_write_time(pictures_, stamp);

    TakePicture();
    EXPECT_EQ(Names(pictures_), (std::set<std::string>{"Still_2026-03-07_090501_N0001.bmp",
                                                       "Still_2026-03-07_090501_N0002.bmp"}));
    EXPECT_EQ(fs::file_size(pictures_ / "Still_2026-03-07_090501_N0001.bmp"), 6u);
    EXPECT_EQ(fs::file_size(pictures_ / "Still_2026-03-07_090501_N0002.bmp"), 921654u);
    EXPECT_EQ(listed_, std::vector<std::string>{Narrow(U16(pictures_)) +
                                                "/Still_2026-03-07_090501_N0002.bmp"});
}

// Half-written stills that a killed run left (temporary files of a process no longer running)
// go with the first still written into the folder; another's files and those of a running
// process stay. Later stills do not look through the folder for them again.
TEST_F(SnapshotRoadTest, AKilledRunsHalfWrittenStillsAreRemovedOnceByTheFirstStill) {
    pid_t child = 0;
    char* const argv[] = {const_cast<char*>("true"), nullptr};
    ASSERT_EQ(::posix_spawnp(&child, "true", nullptr, nullptr, argv, environ), 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child), running = std::to_string(::getppid());
    const std::set<std::string> gone{"Still_2026-01-01_100000_N0005.jpg.tmp-" + dead + "-3",
                                     "Still_2026-01-01_100000_N0006.BMP.tmp-" + dead + "-4"};
    const std::set<std::string> kept{"Still_2026-01-01_100000_N0007.jpg.tmp-" + running + "-1",
                                     "notes.txt.tmp-" + dead + "-1"};
    for (const auto& names : {gone, kept})
        for (const auto& name : names)
            std::ofstream(pictures_ / name) << "half";

    TakePicture();
    std::set<std::string> expected = kept;
    expected.insert("Still_2026-03-07_090501_N0001.jpg");
    EXPECT_EQ(Names(pictures_), expected);

    const std::string later = "Still_2026-01-01_100000_N0008.jpg.tmp-" + dead + "-5";
    std::ofstream(pictures_ / later) << "half";
    TakePicture();
    expected.insert({later, "Still_2026-03-07_090501_N0002.jpg"});
    EXPECT_EQ(Names(pictures_), expected);
}

TEST_F(SnapshotRoadTest, AStillRequestedJustBeforeASizeChangeIsAWholeFrameOfTheNewSize) {
    g_imageFormat = 1;
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam")); // 640 x 480
    Command(1005);
    g_captureWnd.SetResolution(1280, 1024);
    ASSERT_EQ(g_captureWnd.IsRunning(), 1);
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    {
        // The header published is the one of the bits beside it.
        std::lock_guard lock(g_frameLock);
        EXPECT_EQ(g_frameInfo.biWidth, 1280);
        EXPECT_EQ(g_frameInfo.biHeight, 1024);
        ASSERT_GE(static_cast<DWORD>(g_frameBufferCapacity), g_frameInfo.biSizeImage);
    }
    // The first frame of the new size is the still.
    const std::vector<BYTE> first = CopiedFrame();
    Deliver();
    ASSERT_EQ(handedOver_, 1);
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    Deliver();
    EXPECT_EQ(handedOver_, 1);
    const fs::path still = pictures_ / "Still_2026-03-07_090501_N0001.bmp";
    ASSERT_EQ(Names(pictures_), std::set<std::string>{still.filename().string()});
    CDibImage picture(U16(still).c_str(), DIBIMAGE_TYPE_BMP);
    ASSERT_TRUE(picture.IsValid());
    ASSERT_EQ(picture.GetWidth(), 1280u);
    ASSERT_EQ(picture.GetHeight(), 1024u);
    ASSERT_EQ(first.size(), 1280u * 1024u * 3u);
    EXPECT_EQ(std::memcmp(picture.GetBits(), first.data(), first.size()), 0);
}

TEST_F(SnapshotRoadTest, TheScaleBarIsBurntInWhereTheRulerBelongs) {
    g_imageFormat = 1;
    g_liveView.Change([](LiveViewSnapshot& s) { s.showScaleBar = 1; });
    g_captureWnd.m_liveScale = 25;
    g_captureWnd.m_liveZoom = 20;
    const std::vector<BYTE> frame = TakePicture();
    CDibImage picture(U16(pictures_ / "Still_2026-03-07_090501_N0001.bmp").c_str(),
                      DIBIMAGE_TYPE_BMP);
    ASSERT_TRUE(picture.IsValid());
    // Rows of the picture are stored bottom-up: the screen row y is row 479 - y.
    auto red = [&](int x, int y) {
        const RGBQUAD c = picture.GetPixelColor(x, 479 - y, false);
        return c.rgbRed == 255 && c.rgbGreen == 0 && c.rgbBlue == 0;
    };
    auto asFrame = [&](int x, int y) {
        const RGBQUAD c = picture.GetPixelColor(x, 479 - y, false);
        const BYTE* f = &frame[static_cast<size_t>(479 - y) * 1920 + static_cast<size_t>(x) * 3];
        return c.rgbBlue == f[0] && c.rgbGreen == f[1] && c.rgbRed == f[2];
    };
    for (int x : {0, 100, 319, 321, 639})
        EXPECT_TRUE(red(x, 240)) << x;
    for (int y : {0, 120, 479})
        EXPECT_TRUE(red(320, y)) << y;
    // Ticks every 6 pixels from the centre, from 6 above the line to 5 below it.
    for (int x : {326, 332, 314, 308, 320 + 6 * 40}) {
        EXPECT_TRUE(red(x, 234)) << x;
        EXPECT_TRUE(red(x, 245)) << x;
        EXPECT_TRUE(asFrame(x, 247)) << x;
    }
    for (int x : {329, 335, 305})
        EXPECT_TRUE(asFrame(x, 234)) << x;
    EXPECT_TRUE(asFrame(5, 5));
}

TEST_F(SnapshotRoadTest, CameraWithThePreviewStoppedSaysSoAndTakesNothing) {
    dlg_->ToggleButton(1014)->ClearPressed();
    TakePicture();
    EXPECT_EQ(handedOver_, 0);
    EXPECT_EQ(g_snapshotRequest.load(), 0);
    EXPECT_EQ(CountShown(u"Please return to the preview state"), 1);
    EXPECT_TRUE(Names(pictures_).empty());
    EXPECT_EQ(ShutterSounds(), 0);

    // The timed capture says so too, with its own English text under the same key.
    Command(1007);
    EXPECT_EQ(CountShown(u"Please select a picture or video"), 1);
    for (const auto& shown : ms::test::ShownLog())
        EXPECT_NE(shown.templateId, static_cast<UINT>(IDD_TIMED_CAPTURE));
}

TEST_F(SnapshotRoadTest, ASnapshotThatCannotBeWrittenIsNeitherListedNorHeard) {
    // A read-only folder; for root, whom permissions do not stop, a folder below a file.
    fs::path folder = pictures_ / "locked";
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    if (geteuid() == 0) {
        std::ofstream(pictures_ / "file") << "x";
        folder = pictures_ / "file" / "Picture";
    }
    SetPictureFolder(folder);
    g_imageFormat = 1;
    TakePicture();
    EXPECT_EQ(handedOver_, 1);
    EXPECT_TRUE(listed_.empty());
    EXPECT_EQ(ShutterSounds(), 0);
    EXPECT_FALSE(fs::exists(dlg_->Stills().State().lastSnapshotPath[0]
                                ? Narrow(dlg_->Stills().State().lastSnapshotPath)
                                : "/"));
    if (fs::is_directory(folder)) {
        EXPECT_TRUE(Names(folder).empty());
    }
    const auto& log = ms::test::ShownLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().text.rfind(u"Picture Error\n", 0), 0u);
    EXPECT_EQ(dlg_->SaveSnapshot(0), 0);
}

TEST_F(SnapshotRoadTest, ExportRecordingThumbnailFreezeAndComposeOnlyModes) {
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    const fs::path program = Narrow(g_paths.programDir);

    g_snapshotRequest = 1; // a still request pending while an export composes is dropped
    EXPECT_EQ(dlg_->SaveSnapshot(1), 1);
    EXPECT_EQ(g_snapshotRequest.load(), 0);
    EXPECT_EQ(fs::file_size(program / "10000.bmp"), 921654u);
    fs::resize_file(program / "10000.bmp", 10);
    EXPECT_EQ(dlg_->SaveSnapshot(1), 1); // overwritten on every call
    EXPECT_EQ(fs::file_size(program / "10000.bmp"), 921654u);

    const std::string avi = (pictures_ / "20260307090501.avi").string();
    lstrcpyn(g_aviPath, U16(avi).c_str(), MAX_PATH);
    EXPECT_EQ(dlg_->SaveSnapshot(2), 1);
    EXPECT_EQ(fs::file_size(avi + ".bmp"), 921654u);

    EXPECT_EQ(dlg_->SaveSnapshot(3), 1);
    EXPECT_EQ(Narrow(dlg_->Stills().State().lastSnapshotPath),
              (pictures_ / "Still_2026-03-07_090501_N0001.jpg").string());
    EXPECT_EQ(Names(pictures_), std::set<std::string>{"20260307090501.avi.bmp"});

    // Live measuring asked for a frozen frame: the still is kept, not saved, and makes no sound.
    dlg_->Stills().State().freezeRequest = 1;
    g_snapshotPending = 0;
    const std::vector<BYTE> frame = CopiedFrame();
    dlg_->OnStillCaptured(0);
    EXPECT_EQ(dlg_->Stills().State().freezeRequest.load(), 0);
    ASSERT_TRUE(dlg_->Measuring().FrozenImage() && dlg_->Measuring().FrozenImage()->IsValid());
    EXPECT_EQ(dlg_->Measuring().FrozenImage()->GetWidth(), 640u);
    EXPECT_EQ(std::memcmp(dlg_->Measuring().FrozenImage()->GetBits(), frame.data(), frame.size()),
              0);
    EXPECT_EQ(Names(pictures_).size(), 1u);
    EXPECT_TRUE(listed_.empty());
    EXPECT_EQ(ShutterSounds(), 0);
}

TEST_F(SnapshotRoadTest, ClockOpensTheTimedCaptureWhoseRequestsTakeStills) {
    ms::test::PressInDialog(IDD_TIMED_CAPTURE, IDCANCEL);
    Command(1007);
    ms::test::PressInDialog(IDD_VIDEO_SETTING, IDCANCEL);
    Command(1016);
    // The calibration reminder may come up on its start-up timer first when the build is slow
    // (ThreadSanitizer); it is neither command's.
    std::vector<UINT> dialogs;
    for (const auto& shown : ms::test::ShownLog())
        if (shown.kind == ms::test::Shown::Dialog && shown.templateId != IDD_CALIBRATE_PROMPT)
            dialogs.push_back(shown.templateId);
    EXPECT_EQ(dialogs, (std::vector<UINT>{IDD_TIMED_CAPTURE, IDD_VIDEO_SETTING}));

    // The worker's request takes a still as Camera does, but makes no sound of its own.
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    PostMessage(dlg_->m_hWnd, WM_APP_TIMED_SNAPSHOT, 0, 0);
    ASSERT_TRUE(ms::test::PumpUntil([] { return g_snapshotRequest.load() == 1; }));
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    Deliver();
    EXPECT_EQ(handedOver_, 1);
    EXPECT_EQ(listed_.size(), 1u);
    EXPECT_EQ(ShutterSounds(), 0);
}

TEST_F(SnapshotRoadTest, PreviewStopsRunsAndEndsARecording) {
    CToggleBitmapButton* preview = dlg_->ToggleButton(1014);
    CToggleBitmapButton* record = dlg_->ToggleButton(1006);
    Command(1014);
    EXPECT_FALSE(preview->IsPressed());
    EXPECT_EQ(g_captureWnd.IsRunning(), 0);
    Command(1014);
    EXPECT_TRUE(preview->IsPressed());
    EXPECT_EQ(g_captureWnd.IsRunning(), 1);

    // Two Camera presses within one frame interval give one picture.
    for (int step = 0; step < 3; ++step) {
        ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
        if (step == 0) {
            Command(1005);
            Command(1005);
        }
    }
    Deliver();
    EXPECT_EQ(handedOver_, 1);
    EXPECT_EQ(listed_.size(), 1u);

    // Camera during a recording takes a picture; Preview then ends the recording.
    preview->ClearPressed();
    record->SetPressed();
    g_recording = 1;
    TakePicture();
    EXPECT_EQ(listed_.size(), 2u);
    EXPECT_EQ(g_captureWnd.IsRunning(), 1); // runs on after the restart
    Command(1014);
    EXPECT_EQ(g_recording.load(), 0);
    EXPECT_FALSE(record->IsPressed());
    EXPECT_TRUE(preview->IsPressed());
    EXPECT_EQ(g_captureWnd.IsRunning(), 1);

    // A graph that refuses to run leaves the preview released, so Camera says so.
    Command(1014);
    SyntheticCamera::Instance().SetFailures("cam", false, false, true);
    Command(1014);
    EXPECT_EQ(g_captureWnd.IsRunning(), 0);
    EXPECT_FALSE(preview->IsPressed());
    Command(1005);
    EXPECT_EQ(CountShown(u"Please return to the preview state"), 1);
}

} // namespace
