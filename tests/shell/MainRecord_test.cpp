// The main window's AVI recording over the synthetic camera and the test clock: the record
// command with the Recorder Setting dialog (OK, Cancel), the file's name and contents, the
// record timer's counted seconds up to the length limit, the end of a recording by Preview,
// a video file that cannot be created, and a disk that is or becomes full.
#include "capture/AviRecorder.h"
#include "capture/CaptureWnd.h"
#include "capture/RecorderSettingDlg.h"
#include "kit/SaveFolders.h"
#include "shell/MicroscopeDlg.h"

#include "imaging/AviWriter.h"

#include "platform/services/ServiceSeams.h"
#include "platform/services/Sound.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/Time.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"

#include "tests/support/Pump.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

using ms::capture::SyntheticCamera;

void Press(HWND dialog, int id) {
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Answers the next Recorder Setting dialog with OK: the limit box ticked with `seconds`, or
// unticked when seconds is 0.
void AnswerRecorderOk(int seconds) {
    ms::test::AnswerDialog(IDD_RECORDER_SETTING, [seconds](HWND d) {
        EXPECT_EQ(g_captureWnd.CurrentFormat().bmiHeader.biWidth, 640);
        CheckDlgButton(d, IDC_RS_TIME_LIMIT_ON, seconds ? BST_CHECKED : BST_UNCHECKED);
        Press(d, IDC_RS_TIME_LIMIT_ON);
        if (seconds)
            SetDlgItemText(d, IDC_RS_TIME_LIMIT, ms::FromUtf8(std::to_string(seconds)).c_str());
        Press(d, IDOK);
    });
}

int RecordSounds() {
    int n = 0;
    for (const auto& s : ms::test::PlayedSounds())
        n += s.name == u"#180" && s.bytes > 0 && (s.flags & SND_ASYNC) != 0;
    return n;
}

struct ReadBack {
    int frames = 0, width = 0, height = 0;
    double topGreen = 0, bottomGreen = 0; // the synthetic background: 48 at the top, 144 below
};

ReadBack Read(const fs::path& path) {
    ReadBack r;
    cv::VideoCapture in(path.string(), cv::CAP_FFMPEG);
    cv::Mat m;
    while (in.isOpened() && in.read(m)) {
        if (r.frames++ == 0) {
            r.width = m.cols;
            r.height = m.rows;
            r.topGreen = cv::mean(m(cv::Rect(4, 4, 8, 8)))[1];
            r.bottomGreen = cv::mean(m(cv::Rect(4, m.rows - 12, 8, 8)))[1];
        }
    }
    return r;
}

class MainRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        ms::capture::UseSyntheticCamera(true);
        ms::capture::SyntheticDevice d;
        d.id = "cam";
        d.framesPerSecond = 0; // frames only when the test pushes them
        d.pushedFramesPerSecond = cameraRate_;
        SyntheticCamera::Instance().SetDevices({d});
        g_recordCompress = 0;
        SYSTEMTIME now{};
        now.wYear = 2026;
        now.wMonth = 3;
        now.wDay = 7;
        now.wHour = 9;
        now.wMinute = 5;
        now.wSecond = 1;
        ms::SetTestClock(now);

        ms::test::PressInDialog(IDD_CALIBRATE_PROMPT, IDCANCEL);
        dlg_ = std::make_unique<CMicroscopeDlg>();
        ASSERT_TRUE(dlg_->Create(IDD_MAIN));
        ms::test::Pump(6);
        // A device notice from setting up the camera arms the reconnect timer; its reconnect
        // would rebuild the graph in the middle of a slow test, so it runs first.
        ASSERT_TRUE(ms::test::PumpUntil(
            [&] { return !ms::test::TimerAlive(dlg_->m_hWnd, TIMER_RECONNECT); }));
        // The device start binds the capture once it finds devices; until then the test runs
        // the capture window itself, as the device start would.
        if (!g_captureWnd.IsRunning()) {
            g_captureWnd.SetWindows(dlg_->m_hWnd, nullptr);
            ASSERT_EQ(g_captureWnd.CreateDeviceEnumerator(), S_OK);
            ASSERT_TRUE(g_captureWnd.EnumerateDevices() && g_captureWnd.BuildGraph() &&
                        g_captureWnd.ConfigureFormat() && g_captureWnd.Run());
            dlg_->EnableDeviceButtons();
        }
        // The size of the last test's end is stored; every test starts at the full size.
        ASSERT_EQ(g_captureWnd.SetResolution(1600, 1200), 0);
        ASSERT_EQ(Width(), 1600);
        videoDir_ = ms::ToUtf8(g_paths.videoDir);
    }
    void TearDown() override {
        ms::avi::AviWriter::SetTestDiskSpace(-1);
        if (dlg_ && dlg_->m_hWnd)
            dlg_->DestroyWindow();
        dlg_.reset();
        g_captureWnd.ReleaseGraph();
        ms::test::Pump(6);
        ms::ClearTestClock();
        ms::test::ResetSeams();
        SyntheticCamera::Instance().ResetToDefault();
        g_recording = 0;
        g_recordSeconds = 0;
        g_recordFrameCount = 0;
    }
    static LONG Width() { return g_captureWnd.CurrentFormat().bmiHeader.biWidth; }
    static void PushFrames(int n) {
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    }
    int Pressed(int id) { return dlg_->ToggleButton(id)->IsPressed(); }
    // Whether TIMER_RECORD runs; the test drives the ticks itself, so a running timer is
    // stopped here.
    bool RecordTimerRan() { return KillTimer(dlg_->m_hWnd, TIMER_RECORD) != FALSE; }

    std::unique_ptr<CMicroscopeDlg> dlg_;
    fs::path videoDir_;
    // The rate the pushed frames' sample times tell: by default one frame per slot of the
    // writer's 15 a second.
    double cameraRate_ = 15;
};

class MainRecordAt30Test : public MainRecordTest {
protected:
    MainRecordAt30Test() { cameraRate_ = 30; }
};

// The message box shown last, or an empty text.
std::u16string LastMessage() {
    const auto& shown = ms::test::ShownLog();
    return shown.empty() || shown.back().kind != ms::test::Shown::MessageBox ? std::u16string()
                                                                             : shown.back().text;
}

TEST_F(MainRecordTest, ATwoSecondRecordingStopsItselfAfterTwoCountedSeconds) {
    AnswerRecorderOk(2);
    dlg_->Recording().OnRecord();
    const fs::path avi = videoDir_ / "20260307090501.avi";
    ASSERT_EQ(g_recording.load(), 1);
    EXPECT_EQ(ms::ToUtf8(g_aviPath), avi.string());
    EXPECT_TRUE(fs::exists(avi));
    EXPECT_EQ(dlg_->Recording().Limit(), 2);
    EXPECT_EQ(Pressed(1006), 1);
    EXPECT_EQ(Pressed(1014), 0);
    EXPECT_EQ(Width(), 640);
    EXPECT_EQ(RecordSounds(), 1);
    EXPECT_TRUE(RecordTimerRan());

    // A tick counts a second only after 15 frames; frames beyond count towards the next.
    PushFrames(15);
    dlg_->Recording().OnTimerTick();
    EXPECT_EQ(g_recordSeconds.load(), 1);
    PushFrames(10);
    dlg_->Recording().OnTimerTick();
    EXPECT_EQ(g_recordSeconds.load(), 1);
    PushFrames(5);
    dlg_->Recording().OnTimerTick(); // the second second: the limit

    EXPECT_EQ(g_recording.load(), 0);
    EXPECT_EQ(g_recordSeconds.load(), 0);
    EXPECT_EQ(dlg_->Recording().Limit(), 0);
    EXPECT_EQ(RecordSounds(), 2);
    EXPECT_FALSE(RecordTimerRan());
    EXPECT_EQ(Pressed(1006), 0);
    EXPECT_EQ(Pressed(1014), 1);
    EXPECT_EQ(Width(), 1600);
    EXPECT_EQ(g_captureWnd.IsRunning(), 1);
    EXPECT_EQ(ms::ToUtf8(dlg_->Recording().LastListedVideo()), avi.string() + ".bmp");

    const ReadBack r = Read(avi);
    EXPECT_EQ(r.frames, 30);
    EXPECT_EQ(r.width, 640);
    EXPECT_EQ(r.height, 480);
    EXPECT_NEAR(r.topGreen, 50, 12);
    EXPECT_NEAR(r.bottomGreen, 142, 12);
}

TEST_F(MainRecordTest, TheFirstFramePictureLiesBesideTheRecording) {
    PushFrames(2);
    AnswerRecorderOk(2);
    dlg_->Recording().OnRecord();
    const fs::path bmp = videoDir_ / "20260307090501.avi.bmp";
    ASSERT_TRUE(fs::exists(bmp));
    EXPECT_EQ(fs::file_size(bmp), 921654u);
}

TEST_F(MainRecordTest, CancelWritesNothingAndReturnsToTheFullSize) {
    const auto entries = [this] {
        return std::distance(fs::directory_iterator(videoDir_), fs::directory_iterator());
    };
    const auto before = entries();
    ms::test::AnswerDialog(IDD_RECORDER_SETTING, [](HWND d) {
        EXPECT_EQ(Width(), 640);
        Press(d, IDCANCEL);
    });
    // The AVI button itself.
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(dlg_->m_hWnd, 1006)));
    Press(dlg_->m_hWnd, 1006);
    EXPECT_EQ(g_recording.load(), 0);
    EXPECT_EQ(RecordSounds(), 1);
    EXPECT_FALSE(RecordTimerRan());
    EXPECT_EQ(Pressed(1006), 0);
    EXPECT_EQ(Width(), 1600);
    EXPECT_EQ(entries(), before);
}

// Preview ends the recording: the file is closed and listed, and the timer and counter stop,
// so a later tick neither counts nor opens the Recorder Setting dialog for a new recording.
TEST_F(MainRecordTest, PreviewDuringARecordingClosesTheFileAndStopsTheCounter) {
    AnswerRecorderOk(0);
    dlg_->Recording().OnRecord();
    ASSERT_EQ(g_recording.load(), 1);
    EXPECT_EQ(dlg_->Recording().Limit(), 0x7FFFFFFF);
    PushFrames(15);
    dlg_->Recording().OnTimerTick();
    EXPECT_EQ(g_recordSeconds.load(), 1);
    PushFrames(3);

    EXPECT_EQ(dlg_->EndRecording(), 1);
    EXPECT_EQ(g_recording.load(), 0);
    EXPECT_EQ(g_recordSeconds.load(), 0);
    EXPECT_FALSE(RecordTimerRan());
    EXPECT_EQ(Pressed(1006), 0);
    EXPECT_EQ(RecordSounds(), 1);
    const fs::path avi = videoDir_ / "20260307090501.avi";
    EXPECT_EQ(ms::ToUtf8(dlg_->Recording().LastListedVideo()), avi.string() + ".bmp");
    EXPECT_EQ(Read(avi).frames, 18);

    const size_t shown = ms::test::ShownLog().size();
    g_recordFrameCount = 15;
    dlg_->Recording().OnTimerTick();
    dlg_->Recording().OnSecond();
    EXPECT_EQ(ms::test::ShownLog().size(), shown);
    EXPECT_EQ(g_recordSeconds.load(), 0);
    EXPECT_EQ(dlg_->EndRecording(), 0);
}

// Closing the window finishes a running recording: the file is complete and plays.
TEST_F(MainRecordTest, ClosingTheWindowFinishesARunningRecording) {
    AnswerRecorderOk(0);
    dlg_->Recording().OnRecord();
    ASSERT_EQ(g_recording.load(), 1);
    PushFrames(7);
    SendMessage(dlg_->m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(g_recording.load(), 0);
    EXPECT_EQ(IsAviWriterOpen(), 0);
    EXPECT_EQ(Read(videoDir_ / "20260307090501.avi").frames, 7);
}

TEST_F(MainRecordTest, AVideoFileThatCannotBeCreatedStartsNoRecording) {
    const std::u16string saved = g_paths.videoDir;
    swprintf(g_paths.videoDir, MAX_PATH, u"%s/missing", saved.c_str());
    AnswerRecorderOk(2);
    dlg_->Recording().OnRecord();
    swprintf(g_paths.videoDir, MAX_PATH, u"%s", saved.c_str());

    EXPECT_EQ(g_recording.load(), 0);
    EXPECT_EQ(IsAviWriterOpen(), 0);
    EXPECT_FALSE(RecordTimerRan());
    EXPECT_EQ(Pressed(1006), 0);
    EXPECT_EQ(Width(), 1600);
    const auto& shown = ms::test::ShownLog();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().kind, ms::test::Shown::MessageBox);
    EXPECT_NE(shown.back().text.find(u"could not be created"), std::u16string::npos);
}

// A camera at 30 frames a second: the counter counts seconds of video, so two seconds of frames
// are two counted seconds, the limit, and a file of two seconds at 15 frames a second. A tick
// that comes late counts the second it missed at the next one.
TEST_F(MainRecordAt30Test, TwoSecondsOfAFastCameraAreTwoSecondsOfVideo) {
    AnswerRecorderOk(2);
    dlg_->Recording().OnRecord();
    ASSERT_EQ(g_recording.load(), 1);
    PushFrames(60);
    dlg_->Recording().OnTimerTick();
    EXPECT_EQ(g_recordSeconds.load(), 1);
    EXPECT_EQ(g_recording.load(), 1);
    dlg_->Recording().OnTimerTick();
    EXPECT_EQ(g_recording.load(), 0);
    const fs::path avi = videoDir_ / "20260307090501.avi";
    EXPECT_EQ(ms::ToUtf8(dlg_->Recording().LastListedVideo()), avi.string() + ".bmp");
    EXPECT_EQ(Read(avi).frames, 30);
}

// The disk fills after three frames: the next tick stops the recording as the record button
// would, the operator reads why with the file's path, and the three frames are a listed file
// that plays.
TEST_F(MainRecordTest, AFullDiskStopsTheRecordingAndSaysWhy) {
    const long long frameChunk = 8 + 640 * 3 * 480;
    ms::avi::AviWriter::SetTestDiskSpace(224 + 3 * frameChunk + 8 + 16 * 3);
    AnswerRecorderOk(0);
    dlg_->Recording().OnRecord();
    ASSERT_EQ(g_recording.load(), 1);
    PushFrames(5);
    EXPECT_EQ(g_recording.load(), 1); // the streaming thread only finishes the file
    dlg_->Recording().OnTimerTick();

    EXPECT_EQ(g_recording.load(), 0);
    EXPECT_EQ(IsAviWriterOpen(), 0);
    EXPECT_FALSE(RecordTimerRan());
    EXPECT_EQ(Pressed(1006), 0);
    EXPECT_EQ(Pressed(1014), 1);
    EXPECT_EQ(Width(), 1600);
    const fs::path avi = videoDir_ / "20260307090501.avi";
    const std::u16string message = LastMessage();
    EXPECT_NE(message.find(u"could not be written"), std::u16string::npos) << ms::ToUtf8(message);
    EXPECT_NE(message.find(ms::FromUtf8(avi.string())), std::u16string::npos);
    EXPECT_NE(message.find(u"No space left on device"), std::u16string::npos);
    EXPECT_EQ(ms::ToUtf8(dlg_->Recording().LastListedVideo()), avi.string() + ".bmp");
    EXPECT_EQ(Read(avi).frames, 3);
}

// Without room for even the file's header no recording starts, no file is left, nothing is
// listed, and the message says why.
TEST_F(MainRecordTest, ADiskWithoutRoomStartsNoRecordingAndSaysSo) {
    const auto entries = [this] {
        std::string names;
        for (const auto& e : fs::directory_iterator(videoDir_))
            names += e.path().filename().string() + " " + std::to_string(e.file_size()) + "\n";
        return names;
    };
    // The recording of an earlier test bears the name this one would take.
    fs::remove(videoDir_ / "20260307090501.avi");
    fs::remove(videoDir_ / "20260307090501.avi.bmp");
    const auto before = entries();
    ms::avi::AviWriter::SetTestDiskSpace(0);
    AnswerRecorderOk(2);
    dlg_->Recording().OnRecord();

    EXPECT_EQ(g_recording.load(), 0);
    EXPECT_EQ(IsAviWriterOpen(), 0);
    EXPECT_FALSE(RecordTimerRan());
    EXPECT_EQ(Width(), 1600);
    EXPECT_EQ(entries(), before);
    EXPECT_EQ(ms::ToUtf8(dlg_->Recording().LastListedVideo()), "");
    const std::u16string message = LastMessage();
    EXPECT_NE(message.find(u"could not be created"), std::u16string::npos) << ms::ToUtf8(message);
    EXPECT_NE(message.find(u"No space left on device"), std::u16string::npos);
}

} // namespace
