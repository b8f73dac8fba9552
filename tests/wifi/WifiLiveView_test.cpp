// Wavenor's road from the camera to the screen and the disk, against the test camera: Preview
// shows the stream and its size, F2 writes PNG snapshots that never overwrite one another, a
// recording with a limit ends by itself and leaves a readable MP4 with its companion picture,
// the camera ended mid-stream can be restarted, and the failing cameras (refusing, silent,
// refusing authentication) leave the program answering with the texts it shows. Every wait is
// for an event (a size on the screen, a file, a listed item) with a generous bound.
#include "tests/wifi/TestCameraProcess.h"

#include "wifi/StreamPlayer.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiSettings.h"
#include "wifi_measure/MeasureItem.h"
#include "wifi_measure/StillMeasureView.h"

#include "imaging/DibImage.h"

#include "platform/services/ServiceSeams.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/Time.h"
#include "platform/win/core/WString.h"
#include "platform/win/dialogs/DialogSeams.h"
#include "platform/win/window/TestSeams.h"
#include "res/WavenorResource.h"

#include "tests/support/Pump.h"
#include "tests/support/TestEnvironment.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ms::test::PumpUntil;
using ms::test::TestCameraProcess;

namespace {

std::u16string Text(HWND hwnd) {
    WCHAR buf[256] = {};
    GetWindowText(hwnd, buf, 256);
    return buf;
}

// The main window with a record of what it lists.
class CListingDlg : public CWifiMicroscopeDlg {
public:
    void ListPicture(LPCWSTR path) override { pictures.push_back(ms::ToUtf8(path)); }
    void ListVideo(LPCWSTR path) override { videos.push_back(ms::ToUtf8(path)); }
    std::vector<std::string> pictures, videos;
};

// Width and height from a PNG's header; 0 x 0 when the file is no PNG.
std::pair<int, int> PngSize(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char h[24] = {};
    in.read(reinterpret_cast<char*>(h), 24);
    if (in.gcount() != 24 || h[1] != 'P' || h[2] != 'N' || h[3] != 'G')
        return {0, 0};
    auto be = [&](int at) {
        return (h[at] << 24) | (h[at + 1] << 16) | (h[at + 2] << 8) | h[at + 3];
    };
    return {be(16), be(20)};
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int CountSound(const char16_t* name) {
    int n = 0;
    for (const auto& s : ms::test::PlayedSounds())
        if (s.name == name)
            ++n;
    return n;
}

int CountBoxes(const char16_t* text) {
    int n = 0;
    for (const auto& s : ms::test::ShownLog())
        if (s.kind == ms::test::Shown::MessageBox && s.text == text)
            ++n;
    return n;
}

class WifiLiveViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        g_hInstance = GetModuleHandle(nullptr);
        program_ = mstest::NewProgramDir(mstest::ProgramFiles::None);
        fs::copy_file(MS_VIDEO_PNG, program_ / "video.png");
        RegDeleteKey(HKEY_CURRENT_USER, kWifiSettingsKey);
        ResetWifiSettings();
        ResetWifiGlobals();
        setenv("LANG", "en_US.UTF-8", 1);
    }
    void TearDown() override {
        if (dlg_ && dlg_->m_hWnd)
            SendMessage(dlg_->m_hWnd, WM_CLOSE, 0, 0);
        dlg_.reset();
        ms::test::Pump();
        ms::ClearTestClock();
        ms::test::ResetSeams();
    }
    void Open() {
        dlg_ = std::make_unique<CListingDlg>();
        ASSERT_TRUE(dlg_->Create(IDD_WAVENOR_MAIN));
        ms::test::Pump();
    }
    HWND Item(int id) const { return GetDlgItem(dlg_->m_hWnd, id); }
    void Command(int id) {
        SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(Item(id)));
    }
    void PressKey(WPARAM vk) {
        PostMessage(dlg_->m_hWnd, WM_KEYDOWN, vk, 0);
        ms::test::Pump();
    }
    std::u16string SizeLine() const { return Text(Item(IDC_VIDEO_SIZE)); }
    // Preview, then the size line once the first frames came.
    bool PreviewUntilSize(const std::u16string& size) {
        Command(IDC_PREVIEW);
        return PumpUntil([&] { return SizeLine() == size; }, 60s);
    }
    fs::path Pictures() const { return program_ / "Favorite" / "Picture"; }
    fs::path Videos() const { return program_ / "Favorite" / "Video"; }
    static std::vector<fs::path> FilesIn(const fs::path& dir) {
        std::vector<fs::path> out;
        for (const auto& e : fs::directory_iterator(dir))
            out.push_back(e.path());
        std::sort(out.begin(), out.end());
        return out;
    }

    fs::path program_;
    std::unique_ptr<CListingDlg> dlg_;
};

TEST_F(WifiLiveViewTest, PreviewShowsTheStreamAndItsSizeFromOneStreamRequest) {
    TestCameraProcess camera("normal");
    ASSERT_TRUE(camera.Ready());
    Open();
    Command(IDC_PREVIEW);
    EXPECT_EQ(Text(Item(IDC_VIDEO)), u"Connecting..., please wait.");
    EXPECT_EQ(g_previewState, 2);
    for (int id : {IDC_CAMERA, IDC_AVI, IDC_CLOCK, IDC_SETTING, IDC_EMAIL, IDC_MIRROR})
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    ASSERT_TRUE(PumpUntil([&] { return SizeLine() == u"640X480"; }, 60s)) << ms::ToUtf8(SizeLine());
    EXPECT_EQ(g_captureWidth, 640);
    EXPECT_EQ(g_captureHeight, 480);
    EXPECT_EQ(camera.StreamRequests(), 1);

    // The frames reach the video area: the test picture's white bar and gradient, not the
    // black of an empty area. The picture fills the 640 x 480 static exactly.
    QImage shown;
    ASSERT_TRUE(PumpUntil(
        [&] {
            shown = ms::test::GrabWindow(Item(IDC_VIDEO));
            if (shown.isNull())
                return false;
            int lit = 0, all = 0;
            for (int y = 4; y < shown.height(); y += 16)
                for (int x = 4; x < shown.width(); x += 16, ++all)
                    lit += qGray(shown.pixel(x, y)) > 60;
            return lit > all / 2;
        },
        30s));
    EXPECT_EQ(shown.width(), 640);
    EXPECT_EQ(shown.height(), 480);
}

TEST_F(WifiLiveViewTest, SnapshotsAreNamedByTheSecondListedAndNeverOverwritten) {
    TestCameraProcess camera("normal");
    ASSERT_TRUE(camera.Ready());
    Open();
    // No stream, no picture.
    PressKey(VK_F2);
    EXPECT_TRUE(FilesIn(Pictures()).empty());
    ASSERT_TRUE(PreviewUntilSize(u"640X480"));

    PressKey(VK_F2);
    std::vector<fs::path> files = FilesIn(Pictures());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(std::regex_match(files[0].filename().string(), std::regex(R"(\d{14}\.png)")))
        << files[0];
    EXPECT_EQ(PngSize(files[0]), std::make_pair(640, 480));
    ASSERT_FALSE(dlg_->pictures.empty());
    EXPECT_EQ(dlg_->pictures.back(), files[0].string());
    EXPECT_EQ(CountSound(u"#181"), 1);

    // Two in one second (the clock stands still): two files, the first one unchanged.
    SYSTEMTIME t{};
    t.wYear = 2026, t.wMonth = 3, t.wDay = 4, t.wHour = 5, t.wMinute = 6, t.wSecond = 7;
    ms::SetTestClock(t);
    PressKey(VK_F2);
    const fs::path first = Pictures() / "20260304050607.png";
    ASSERT_TRUE(fs::exists(first));
    const std::string before = Bytes(first);
    PressKey(VK_F2);
    const fs::path second = Pictures() / "20260304050607_2.png";
    ASSERT_TRUE(fs::exists(second));
    EXPECT_EQ(Bytes(first), before);
    EXPECT_EQ(PngSize(second), std::make_pair(640, 480));
    EXPECT_EQ(FilesIn(Pictures()).size(), 3u);
    EXPECT_EQ(dlg_->pictures.back(), second.string());
    EXPECT_EQ(CountSound(u"#181"), 3);
}

TEST_F(WifiLiveViewTest, ARecordingWithALimitEndsByItselfAndLeavesAReadableMp4) {
    TestCameraProcess camera("normal");
    ASSERT_TRUE(camera.Ready());
    Open();
    ASSERT_TRUE(PreviewUntilSize(u"640X480"));
    ms::test::AnswerDialog(IDD_WIFI_RECORDER_SETTING, [](HWND dialog) {
        EXPECT_EQ(Text(GetDlgItem(dialog, IDC_WR_FRAME_RATE)), u"10");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_WR_TIME_LIMIT_ON), BST_CHECKED);
        SetDlgItemText(dialog, IDC_WR_TIME_LIMIT, u"5");
        SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
    PressKey(VK_F3);
    EXPECT_EQ(g_isRecording, 1);
    EXPECT_TRUE(dlg_->ToggleButton(IDC_AVI)->IsPressed());
    EXPECT_EQ(dlg_->m_recordLimit, 5);
    // A snapshot while recording comes from the last frame received.
    ASSERT_TRUE(PumpUntil([&] { return dlg_->Player() && dlg_->Player()->FrameCount() > 3; }, 60s));
    PressKey(VK_F2);
    ASSERT_EQ(FilesIn(Pictures()).size(), 1u);
    EXPECT_EQ(PngSize(FilesIn(Pictures())[0]), std::make_pair(640, 480));

    ASSERT_TRUE(PumpUntil([&] { return !dlg_->videos.empty(); }, 90s));
    EXPECT_EQ(g_isRecording, 0);
    EXPECT_FALSE(dlg_->ToggleButton(IDC_AVI)->IsPressed());
    EXPECT_FALSE(IsWindowVisible(Item(IDC_RECORD_COUNTER)));
    EXPECT_EQ(CountSound(u"#180"), 1);
    EXPECT_EQ(CountSound(u"#182"), 1);

    const std::string mp4 = ms::ToUtf8(dlg_->m_videoPath);
    EXPECT_TRUE(std::regex_match(fs::path(mp4).filename().string(), std::regex(R"(\d{14}\.mp4)")));
    EXPECT_EQ(dlg_->videos.back(), mp4 + ".png");
    EXPECT_TRUE(fs::exists(mp4 + ".png"));

    cv::VideoCapture video(mp4, cv::CAP_FFMPEG);
    ASSERT_TRUE(video.isOpened());
    cv::Mat frame;
    int frames = 0;
    double lastMs = 0;
    while (video.read(frame)) {
        ++frames;
        lastMs = video.get(cv::CAP_PROP_POS_MSEC);
        EXPECT_EQ(frame.cols, 640);
    }
    // The camera sends 10 frames a second: the count matches the file's duration at that rate.
    ASSERT_GT(frames, 10);
    const double expected = (lastMs / 1000.0 + 0.1) * 10.0;
    EXPECT_NEAR(frames, expected, expected * 0.2) << lastMs;
}

TEST_F(WifiLiveViewTest, ClosingTheWindowWhileRecordingLeavesACompleteListedMp4) {
    TestCameraProcess camera("normal");
    ASSERT_TRUE(camera.Ready());
    Open();
    ASSERT_TRUE(PreviewUntilSize(u"640X480"));
    ms::test::AnswerDialog(IDD_WIFI_RECORDER_SETTING, [](HWND dialog) {
        CheckDlgButton(dialog, IDC_WR_TIME_LIMIT_ON, BST_UNCHECKED);
        SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDC_WR_TIME_LIMIT_ON, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_WR_TIME_LIMIT_ON)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_WR_TIME_LIMIT)));
        SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
    PressKey(VK_F4);
    ASSERT_EQ(g_isRecording, 1);
    EXPECT_EQ(dlg_->m_recordLimit, 0x7FFFFFFF);
    ASSERT_TRUE(
        PumpUntil([&] { return dlg_->Player() && dlg_->Player()->FrameCount() > 20; }, 60s));
    const std::string mp4 = ms::ToUtf8(dlg_->m_videoPath);
    SendMessage(dlg_->m_hWnd, WM_CLOSE, 0, 0);
    ASSERT_FALSE(dlg_->videos.empty());
    EXPECT_EQ(dlg_->videos.back(), mp4 + ".png");
    cv::VideoCapture video(mp4, cv::CAP_FFMPEG);
    ASSERT_TRUE(video.isOpened());
    cv::Mat frame;
    int frames = 0;
    while (video.read(frame))
        ++frames;
    EXPECT_GT(frames, 5);
}

TEST_F(WifiLiveViewTest, TheCameraEndedMidStreamCanBeRestartedWithPreview) {
    int streamPort = 0, httpPort = 0;
    {
        TestCameraProcess camera("normal");
        ASSERT_TRUE(camera.Ready());
        streamPort = camera.StreamPort();
        httpPort = camera.HttpPort();
        Open();
        ASSERT_TRUE(PreviewUntilSize(u"640X480"));
        camera.Stop();
        ASSERT_TRUE(PumpUntil([&] { return !dlg_->Player()->IsPlaying(); }, 60s));
    }
    // The window answers without a camera and keeps its last size.
    PressKey(VK_F2);
    EXPECT_TRUE(IsWindow(dlg_->m_hWnd));
    EXPECT_EQ(SizeLine(), u"640X480");

    TestCameraProcess again("normal", streamPort, httpPort);
    ASSERT_TRUE(again.Ready());
    Command(IDC_PREVIEW);
    ASSERT_TRUE(PumpUntil([&] { return dlg_->Player() && dlg_->Player()->FrameCount() > 2; }, 60s));
    EXPECT_EQ(again.StreamRequests(), 1);
}

TEST_F(WifiLiveViewTest, VideoSettingSendsTheSixDefaultsAndAResolutionRestartsTheStream) {
    TestCameraProcess camera("normal");
    ASSERT_TRUE(camera.Ready());
    Open();
    ASSERT_TRUE(PreviewUntilSize(u"640X480"));
    std::vector<std::u16string> edits;
    ms::test::AnswerDialog(IDD_WIFI_VIDEO_SETTING, [&](HWND dialog) {
        EXPECT_EQ(Text(dialog), u"Video Setting");
        EXPECT_EQ(SendDlgItemMessage(dialog, IDC_WV_RESOLUTION, CB_GETCURSEL, 0, 0), 1);
        for (int id : {IDC_WV_BRIGHTNESS_VALUE, IDC_WV_CONTRAST_VALUE, IDC_WV_SATURATION_VALUE,
                       IDC_WV_HUE_VALUE, IDC_WV_GAMMA_VALUE, IDC_WV_SHARPNESS_VALUE})
            edits.push_back(Text(GetDlgItem(dialog, id)));
        // Hue one step above its lowest value: the first click down sends -15, the second
        // sends nothing.
        SendDlgItemMessage(dialog, IDC_WV_HUE_SLIDER, TBM_SETPOS, TRUE, -14);
        for (int i = 0; i < 2; ++i)
            SendMessage(dialog, WM_VSCROLL, SB_LINEDOWN,
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_WV_HUE_SPIN)));
        EXPECT_EQ(Text(GetDlgItem(dialog, IDC_WV_HUE_VALUE)), u"-15");
        SendDlgItemMessage(dialog, IDC_WV_RESOLUTION, CB_SETCURSEL, 0, 0);
        SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDC_WV_RESOLUTION, CBN_SELCHANGE),
                    reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_WV_RESOLUTION)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(IDC_SETTING);
    EXPECT_EQ(edits, (std::vector<std::u16string>{u"100", u"41", u"31", u"-2", u"5", u"0"}));
    EXPECT_EQ(CountBoxes(u"set format error"), 0);

    struct Expected {
        const char* id;
        const char* value;
    };
    const Expected expected[] = {{"9963776", "100"}, {"9963777", "41"}, {"9963778", "31"},
                                 {"9963779", "-2"},  {"9963792", "5"},  {"9963803", "0"},
                                 {"9963779", "-15"}};
    std::vector<ms::test::CameraRequestEntry> asked;
    for (const auto& r : camera.Requests())
        if (r.query.count("action") || r.path == "/apply.cgi")
            asked.push_back(r);
    ASSERT_EQ(asked.size(), std::size(expected) + 1);
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(asked[i].port, "stream");
        EXPECT_EQ(asked[i].query["action"], "command");
        EXPECT_EQ(asked[i].query["id"], expected[i].id);
        EXPECT_EQ(asked[i].query["value"], expected[i].value);
        EXPECT_EQ(asked[i].query["group"], "01");
        EXPECT_EQ(asked[i].auth, "opera:tulip");
    }
    EXPECT_EQ(asked.back().port, "http");
    EXPECT_EQ(asked.back().query["video_idx"], "5");
    EXPECT_EQ(asked.back().auth, "opera:tulip");

    // The stream restarts by itself in the new size.
    EXPECT_TRUE(ms::test::TimerAlive(dlg_->m_hWnd, TIMER_STREAM_RESTART));
    ASSERT_TRUE(PumpUntil([&] { return SizeLine() == u"320X240"; }, 90s)) << ms::ToUtf8(SizeLine());
    EXPECT_FALSE(ms::test::TimerAlive(dlg_->m_hWnd, TIMER_STREAM_RESTART));
    EXPECT_EQ(camera.StreamRequests(), 2);
}

// The failing cameras: the stream never comes (the texts stay), a picture setting that fails
// shows "set format error" once per request, an answer refusing authentication is no failure,
// and a camera that never answers holds the program only for the request's time-out.
TEST_F(WifiLiveViewTest, FailingCamerasLeaveTheTextsAndTheProgramAnswering) {
    struct Case {
        const char* mode;
        int boxesPerRequest;
    };
    for (const Case& c : {Case{"refuse", 1}, Case{"unauthorized", 0}, Case{"silent", 1}}) {
        SCOPED_TRACE(c.mode);
        ms::test::ResetSeams();
        ResetWifiGlobals();
        TestCameraProcess camera(c.mode);
        ASSERT_TRUE(camera.Ready());
        Open();
        Command(IDC_PREVIEW);
        EXPECT_EQ(Text(Item(IDC_VIDEO)), u"Connecting..., please wait.");
        // The first-frame poll runs and finds no size.
        ASSERT_TRUE(
            PumpUntil([&] { return ms::test::TimerAlive(dlg_->m_hWnd, TIMER_FIRST_FRAME); }));
        ms::test::RunIdleLoop(100);
        EXPECT_EQ(SizeLine(), u"");
        EXPECT_EQ(Text(Item(IDC_VIDEO)), u"Connecting..., please wait.");

        // One resolution command: one request.
        PressKey(VK_F11);
        EXPECT_EQ(CountBoxes(u"set format error"), c.boxesPerRequest);
        EXPECT_TRUE(ms::test::TimerAlive(dlg_->m_hWnd, TIMER_STREAM_RESTART));
        if (std::string(c.mode) != "silent") {
            // Six default requests at every opening of the Video Setting dialog.
            ms::test::PressInDialog(IDD_WIFI_VIDEO_SETTING, IDCANCEL);
            Command(IDC_SETTING);
            EXPECT_EQ(CountBoxes(u"set format error"), 7 * c.boxesPerRequest);
        }
        if (std::string(c.mode) == "unauthorized") {
            int refused = 0;
            for (auto r : camera.Requests())
                refused +=
                    r.port == "stream" && r.query["action"] == "command" && r.auth == "opera:tulip";
            EXPECT_EQ(refused, 6);
        }
        SendMessage(dlg_->m_hWnd, WM_CLOSE, 0, 0);
        dlg_.reset();
    }
}

} // namespace

namespace {

// Two pictures every 3 seconds with the test clock: the first in the start second, the second
// 3 seconds later on the clock, each a PNG named by its second and listed; the dialog shows
// Wavenor's defaults and closes itself one interval after the last picture.
TEST_F(WifiLiveViewTest, TimedCaptureTakesEachPictureOneIntervalApart) {
    TestCameraProcess camera("normal");
    ASSERT_TRUE(camera.Ready());
    Open();
    // Without a stream: the text, and no dialog.
    Command(IDC_CLOCK);
    EXPECT_EQ(CountBoxes(u"Please return to the preview state"), 1);
    EXPECT_TRUE(ms::test::ShownLog().back().kind == ms::test::Shown::MessageBox);
    ASSERT_TRUE(PreviewUntilSize(u"640X480"));

    SYSTEMTIME t{};
    t.wYear = 2026, t.wMonth = 3, t.wDay = 4, t.wHour = 5, t.wMinute = 6, t.wSecond = 7;
    ms::SetTestClock(t, 1000000);
    bool closed = false;
    auto field = [](HWND d, int id) {
        WCHAR text[64] = {};
        GetDlgItemText(d, id, text, 64);
        return std::u16string(text);
    };
    ms::test::AnswerDialog(IDD_TIMED_CAPTURE, [&](HWND d) {
        EXPECT_EQ(field(d, IDC_TC_INTERVAL_SECONDS), u"5");
        EXPECT_EQ(field(d, IDC_TC_FRAMES), u"3");
        EXPECT_EQ(field(d, IDC_TC_FILE_SIZE), u"   2.63"); // 640 x 480 x 3 bytes, 3 pictures
        SetDlgItemText(d, IDC_TC_INTERVAL_SECONDS, u"3");
        SetDlgItemText(d, IDC_TC_FRAMES, u"2");
        SendMessage(d, WM_COMMAND, MAKEWPARAM(IDC_TC_START, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_TC_START)));
        ASSERT_TRUE(PumpUntil([&] { return FilesIn(Pictures()).size() == 1; }, 60s));
        ms::AdvanceTestClock(3000);
        ASSERT_TRUE(PumpUntil([&] { return FilesIn(Pictures()).size() == 2; }, 60s));
        ms::AdvanceTestClock(3000);
        closed = PumpUntil([&] { return !IsWindow(d) || !IsWindowVisible(d); }, 60s);
    });
    Command(IDC_CLOCK);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(ms::test::ShownLog().back().leftOpen);
    const std::vector<fs::path> files = FilesIn(Pictures());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename().string(), "20260304050607.png");
    EXPECT_EQ(files[1].filename().string(), "20260304050610.png");
    EXPECT_EQ(PngSize(files[1]), std::make_pair(640, 480));
    EXPECT_EQ(dlg_->pictures.size(), 2u);
}

} // namespace

namespace {

bool SamePicture(const CDibImage& a, const CDibImage& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return false;
    for (long y = 0; y < static_cast<long>(a.GetHeight()); y += 3)
        for (long x = 0; x < static_cast<long>(a.GetWidth()); x += 3) {
            const RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            if (p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue)
                return false;
        }
    return true;
}

class FrozenFrameTest : public WifiLiveViewTest {
protected:
    // The stream of the test camera, frozen by the first press of `button`.
    void FreezeWith(TestCameraProcess& camera, int button) {
        ASSERT_TRUE(camera.Ready());
        Open();
        ASSERT_TRUE(PreviewUntilSize(u"640X480"));
        ASSERT_TRUE(
            PumpUntil([&] { return dlg_->Player() && dlg_->Player()->FrameCount() > 3; }, 60s));
        Command(button);
        ms::test::Pump();
        ASSERT_NE(dlg_->StillView(), nullptr);
        ASSERT_TRUE(dlg_->StillView()->HasPicture());
        EXPECT_EQ(g_previewState, 3);
    }
    CDibImage& Shown() { return *dlg_->StillView()->m_image; }
    const CDibImage& Loaded() { return *dlg_->StillView()->m_origImage; }
};

// The frozen frame is the stream's frame, shown where the video was (mirrored by the press
// that froze it); Preview takes the still view away and shows the stream that kept playing,
// without asking the camera again.
TEST_F(FrozenFrameTest, FreezingShowsTheFrameAndPreviewUnfreezesWithoutANewStream) {
    TestCameraProcess camera("normal");
    FreezeWith(camera, IDC_MIRROR);
    const fs::path frame = program_ / "tempImage.png";
    EXPECT_EQ(PngSize(frame), std::make_pair(640, 480));
    EXPECT_TRUE(IsWindowVisible(dlg_->StillView()->m_hWnd));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_VIDEO)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_CAMERA)));
    EXPECT_TRUE(dlg_->ToggleButton(IDC_MIRROR)->IsPressed());

    QImage file(QString::fromStdString(frame.string()));
    ASSERT_FALSE(file.isNull());
    QImage shown;
    ASSERT_TRUE(PumpUntil(
        [&] {
            shown = ms::test::GrabWindow(dlg_->StillView()->m_hWnd);
            return !shown.isNull() && shown.width() >= 640 && shown.height() >= 480;
        },
        30s));
    int lit = 0, same = 0, all = 0;
    for (int y = 4; y < 480; y += 16)
        for (int x = 4; x < 640; x += 16, ++all) {
            const QRgb s = shown.pixel(x, y), f = file.pixel(639 - x, y);
            lit += qGray(f) > 60;
            same += std::abs(qRed(s) - qRed(f)) <= 2 && std::abs(qGreen(s) - qGreen(f)) <= 2 &&
                    std::abs(qBlue(s) - qBlue(f)) <= 2;
        }
    EXPECT_GT(lit, all / 2);
    EXPECT_EQ(same, all);

    const unsigned long long framesBefore = dlg_->Player()->FrameCount();
    Command(IDC_PREVIEW);
    EXPECT_EQ(dlg_->StillView(), nullptr);
    EXPECT_EQ(g_previewState, 2);
    EXPECT_TRUE(IsWindowVisible(Item(IDC_VIDEO)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_CAMERA)));
    EXPECT_FALSE(dlg_->ToggleButton(IDC_MIRROR)->IsPressed());
    ASSERT_TRUE(PumpUntil([&] { return dlg_->Player()->FrameCount() > framesBefore + 3; }, 60s));
    EXPECT_EQ(camera.StreamRequests(), 1);
}

// Each effect on the frozen frame: the first press changes the picture, and where the effect
// toggles, pressing on gives back the frame as loaded (mirror, flip and negative: a second
// press only releases the button, a third applies the effect again; a colour: its second
// press). Negative turns a known pixel into its complement; binary segmentation leaves black
// and white only.
TEST_F(FrozenFrameTest, EachEffectChangesThePictureAndTheTogglingOnesGiveItBack) {
    TestCameraProcess camera("normal");
    FreezeWith(camera, IDC_NEGATIVE);
    const RGBQUAD before = Loaded().GetPixelColor(100, 100, false);
    const RGBQUAD after = Shown().GetPixelColor(100, 100, false);
    EXPECT_EQ(after.rgbRed, 255 - before.rgbRed);
    EXPECT_EQ(after.rgbGreen, 255 - before.rgbGreen);
    EXPECT_EQ(after.rgbBlue, 255 - before.rgbBlue);
    Command(IDC_NEGATIVE);
    Command(IDC_NEGATIVE);
    ASSERT_TRUE(SamePicture(Shown(), Loaded()));

    struct Case {
        int button;
        int pressesBackToLoaded; // 0: the effect does not toggle
    };
    const Case cases[] = {{IDC_MIRROR, 3}, {IDC_FLIP, 3}, {IDC_NEGATIVE, 3},
                          {IDC_RED, 2},    {IDC_GREEN, 2}, {IDC_BLUE, 2}, {IDC_BINARY, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        Command(c.button);
        EXPECT_TRUE(dlg_->ToggleButton(c.button)->IsPressed());
        EXPECT_FALSE(SamePicture(Shown(), Loaded()));
        if (c.pressesBackToLoaded == 0) {
            for (long y = 0; y < 480; y += 5)
                for (long x = 0; x < 640; x += 5) {
                    const RGBQUAD p = Shown().GetPixelColor(x, y, false);
                    ASSERT_TRUE(p.rgbRed == p.rgbGreen && p.rgbGreen == p.rgbBlue &&
                                (p.rgbRed == 0 || p.rgbRed == 255))
                        << x << "," << y;
                }
            continue;
        }
        for (int press = 1; press < c.pressesBackToLoaded; ++press)
            Command(c.button);
        EXPECT_TRUE(SamePicture(Shown(), Loaded()));
        // Pressed again for the three-press ones; released for a colour.
        EXPECT_EQ(dlg_->ToggleButton(c.button)->IsPressed() != 0, c.pressesBackToLoaded == 3);
        if (c.pressesBackToLoaded == 3)
            Command(c.button); // released, the picture as loaded
    }
    // Red and green shown together; blue then shows alone.
    Command(IDC_RED);
    Command(IDC_GREEN);
    EXPECT_EQ(g_channelFlags, 0x11);
    Command(IDC_BLUE);
    EXPECT_EQ(g_channelFlags, 0x100);
    EXPECT_FALSE(dlg_->ToggleButton(IDC_RED)->IsPressed());
    EXPECT_FALSE(dlg_->ToggleButton(IDC_GREEN)->IsPressed());
}

// Save while frozen writes the frozen frame by the chosen ending, whatever the list holds;
// an ending the view cannot write writes nothing and says so.
TEST_F(FrozenFrameTest, SaveWritesTheFrozenFrameAsJpegAndRefusesOtherEndings) {
    TestCameraProcess camera("normal");
    FreezeWith(camera, IDC_FLIP);
    const fs::path jpg = mstest::Home() / "x.jpg";
    ms::test::AnswerFileDialog(ms::FromUtf8(jpg.string()), 2);
    Command(IDC_SAVE);
    ASSERT_TRUE(fs::exists(jpg));
    EXPECT_EQ(Bytes(jpg).substr(0, 2), std::string("\xFF\xD8"));
    const cv::Mat saved = cv::imread(jpg.string());
    EXPECT_EQ(saved.cols, 640);
    EXPECT_EQ(saved.rows, 480);
    EXPECT_EQ(CountBoxes((u"Save as [" + ms::FromUtf8(jpg.string()) + u"]").c_str()), 1);

    const fs::path bmp = mstest::Home() / "x.bmp";
    ms::test::AnswerFileDialog(ms::FromUtf8(bmp.string()), 1);
    Command(IDC_SAVE);
    EXPECT_FALSE(fs::exists(bmp));
    EXPECT_EQ(CountBoxes(u"Save failed"), 1);
}

// The tool buttons choose the still view's tool on the frozen frame (a second press of a
// pressed one chooses none); items measured there go back and forth with Undo and Redo; with
// empty lists Undo and Redo swap the picture with its previous copy and Delete All gives back
// the frame as loaded; Preview takes both lists away with the frame.
TEST_F(FrozenFrameTest, ToolButtonsMeasureOnTheFrozenFrameAndTheOtherCommandsUndoAndRedo) {
    TestCameraProcess camera("normal");
    FreezeWith(camera, IDC_TOOL_LINE);
    EXPECT_EQ(g_stillTool, 1);
    EXPECT_TRUE(dlg_->ToggleButton(IDC_TOOL_LINE)->IsPressed());
    EXPECT_DOUBLE_EQ(g_zoomScale, 60.0);
    ms::CopyBounded(g_unitName, 12, u"mm");
    CStillMeasureView* view = dlg_->StillView();
    const auto count = [](bool undone) {
        MeasureStore::Lock lock(StillItemStore());
        return (undone ? lock.Undone() : lock.Shapes()).GetSize();
    };
    for (int y : {100, 200})
        for (int x : {100, 400, 420}) {
            view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            view->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        }
    ASSERT_EQ(count(false), 2);
    {
        MeasureStore::Lock lock(StillItemStore());
        EXPECT_EQ(std::u16string(lock.Shapes().GetAt(0)->m_labels[0].GetString()), u"L:3.191mm");
    }
    Command(ID_UNDO);
    EXPECT_EQ(count(false), 1);
    EXPECT_EQ(count(true), 1);
    Command(ID_REDO);
    EXPECT_EQ(count(false), 2);
    EXPECT_EQ(count(true), 0);

    Command(IDC_TOOL_RADIUS_CIRCLE);
    EXPECT_EQ(g_stillTool, 6);
    EXPECT_FALSE(dlg_->ToggleButton(IDC_TOOL_LINE)->IsPressed());
    Command(IDC_TOOL_RADIUS_CIRCLE);
    EXPECT_EQ(g_stillTool, 0);
    EXPECT_FALSE(dlg_->ToggleButton(IDC_TOOL_RADIUS_CIRCLE)->IsPressed());

    Command(ID_DELETE_MEASUREMENTS);
    EXPECT_EQ(count(false), 0);
    Command(IDC_NEGATIVE);
    ASSERT_FALSE(SamePicture(Shown(), Loaded()));
    Command(ID_UNDO); // no item: the picture before the effect
    EXPECT_TRUE(SamePicture(Shown(), Loaded()));
    Command(ID_REDO);
    EXPECT_FALSE(SamePicture(Shown(), Loaded()));
    Command(ID_DELETE_MEASUREMENTS); // no item: the frame as loaded
    EXPECT_TRUE(SamePicture(Shown(), Loaded()));

    // A redo list belongs to its frame: Preview empties both lists.
    Command(IDC_TOOL_LINE);
    for (int x : {100, 400, 420}) {
        view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 300));
        view->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, 300));
    }
    for (int x : {100, 400, 420}) {
        view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 350));
        view->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, 350));
    }
    Command(ID_UNDO);
    ASSERT_EQ(count(false), 1);
    ASSERT_EQ(count(true), 1);
    Command(IDC_PREVIEW);
    EXPECT_EQ(dlg_->StillView(), nullptr);
    EXPECT_EQ(count(false), 0);
    EXPECT_EQ(count(true), 0);
}

} // namespace
