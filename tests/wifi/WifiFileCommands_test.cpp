// Wavenor's commands that reach outside the main window: the sibling snapshot program (a
// stand-in of the tests' own as "SNAPSHOT.exe") asking for pictures and told of the close, and
// who else can reach the window; the video player on a recording the program made; the e-mail
// strip's attachments; the About box, the Favorite folder and the support page. Every wait is
// for an event (a log line, a file, a process's end, a player's state) with a generous bound.
#include "tests/wifi/TestCameraProcess.h"

#include "wifi/CaptureName.h"
#include "wifi/StreamPlayer.h"
#include "wifi/VideoPlayerDlg.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiSettings.h"

#include "media/MailAttachment.h"
#include "imaging/DibImage.h"

#include "platform/services/ServiceSeams.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"
#include "platform/win/window/UserWindows.h"
#include "res/WavenorResource.h"

#include "tests/support/Pump.h"
#include "tests/support/TestEnvironment.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include <filesystem>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
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

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::u16string> MessageBoxes() {
    std::vector<std::u16string> out;
    for (const ms::test::Shown& s : ms::test::ShownLog())
        if (s.kind == ms::test::Shown::MessageBox)
            out.push_back(s.text);
    return out;
}

// The main window with a file list that has `selected` selected (empty: nothing), and a
// record of what it lists.
class CCommandsDlg : public CWifiMicroscopeDlg {
public:
    int SelectedListItem(WCHAR* path) override {
        if (selected.empty())
            return 0;
        ms::CopyBounded(path, MAX_PATH, ms::FromUtf8(selected));
        return IsVideoItem(ms::FromUtf8(selected)) ? kVideoItem : kPictureItem;
    }
    void ListPicture(LPCWSTR path) override { pictures.push_back(ms::ToUtf8(path)); }
    void ListVideo(LPCWSTR path) override { videos.push_back(ms::ToUtf8(path)); }
    std::string selected;
    std::vector<std::string> pictures, videos;
};

class WifiFileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        g_hInstance = GetModuleHandle(nullptr);
        // The private mail folder is made under the test's home, which goes at exit.
        setenv("TMPDIR", std::getenv("HOME"), 1);
        NewProgram();
        RegDeleteKey(HKEY_CURRENT_USER, kWifiSettingsKey);
        ResetWifiSettings();
        ResetWifiGlobals();
        setenv("LANG", "en_US.UTF-8", 1);
    }
    void TearDown() override {
        Close();
        ms::test::Pump();
        ms::test::ResetSeams();
    }
    void NewProgram() {
        program_ = mstest::NewProgramDir(mstest::ProgramFiles::None);
        fs::copy_file(MS_VIDEO_PNG, program_ / "video.png");
    }
    void Open() {
        dlg_ = std::make_unique<CCommandsDlg>();
        ASSERT_TRUE(dlg_->Create(IDD_WAVENOR_MAIN));
        ms::test::Pump();
    }
    void Close() {
        if (dlg_ && dlg_->m_hWnd)
            SendMessage(dlg_->m_hWnd, WM_CLOSE, 0, 0);
        dlg_.reset();
    }
    HWND Item(int id) const { return GetDlgItem(dlg_->m_hWnd, id); }
    void Command(int id) {
        SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(Item(id)));
    }
    bool PreviewUntilSize(const std::u16string& size) {
        Command(IDC_PREVIEW);
        return PumpUntil([&] { return Text(Item(IDC_VIDEO_SIZE)) == size; }, 60s);
    }
    fs::path Pictures() const { return program_ / "Favorite" / "Picture"; }
    static std::vector<fs::path> FilesIn(const fs::path& dir) {
        std::vector<fs::path> out;
        for (const auto& e : fs::directory_iterator(dir))
            out.push_back(e.path());
        return out;
    }
    // Starts the stand-in from the build as `user` (0: this one) with `runtimeDir` (empty:
    // this process's) in its "--send" mode and waits for its end, keeping this window's
    // events running so that it can answer. Returns the exit status.
    int SendFromAnotherProcess(uid_t user, const std::string& runtimeDir = {}) {
        const pid_t pid = fork();
        if (pid == 0) {
            if (!runtimeDir.empty())
                setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
            if (user != 0 && (setgroups(0, nullptr) != 0 || setgid(user) != 0 || setuid(user) != 0))
                _exit(5);
            execl(MS_SNAPSHOT_STANDIN, MS_SNAPSHOT_STANDIN, "--send", static_cast<char*>(nullptr));
            _exit(6);
        }
        int status = -1;
        EXPECT_TRUE(PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 90s));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // A recording of a few seconds made by the main window from the test camera; its
    // companion picture's path.
    std::string Record(TestCameraProcess& camera) {
        (void)camera;
        if (!PreviewUntilSize(u"640X480"))
            return {};
        ms::test::AnswerDialog(IDD_WIFI_RECORDER_SETTING, [](HWND dialog) {
            SetDlgItemText(dialog, IDC_WR_TIME_LIMIT, u"6");
            SendMessage(dialog, WM_COMMAND, IDOK, 0);
        });
        PostMessage(dlg_->m_hWnd, WM_KEYDOWN, VK_F3, 0);
        if (!PumpUntil([&] { return !dlg_->videos.empty(); }, 90s))
            return {};
        return dlg_->videos.back();
    }

    fs::path program_;
    std::unique_ptr<CCommandsDlg> dlg_;
};

// ---- The sibling snapshot program ----

TEST_F(WifiFileCommandsTest, TheSiblingProgramGetsASnapshotWhileTheStreamPlaysAndIsToldOfTheClose) {
    for (const bool stream : {false, true}) {
        SCOPED_TRACE(stream ? "stream plays" : "no stream");
        NewProgram();
        std::unique_ptr<TestCameraProcess> camera;
        Open();
        if (stream) {
            camera = std::make_unique<TestCameraProcess>("normal");
            ASSERT_TRUE(camera->Ready());
            ASSERT_TRUE(PreviewUntilSize(u"640X480"));
        }
        ms::test::ResetSeams();
        fs::copy_file(MS_SNAPSHOT_STANDIN, program_ / "SNAPSHOT.exe");
        const fs::path log = program_ / "snapshot-standin.log";
        ms::test::StartProgramsHeadless();
        Command(ID_START_SNAPSHOT);
        ASSERT_EQ(ms::test::Launches().size(), 1u);
        EXPECT_EQ(ms::test::Launches()[0].argv,
                  std::vector<std::u16string>{ms::FromUtf8((program_ / "SNAPSHOT.exe").string())});

        ASSERT_TRUE(PumpUntil([&] { return ReadAll(log).find('\n') != std::string::npos; }, 90s));
        EXPECT_EQ(ReadAll(log), "reply 1\n");
        const std::vector<fs::path> pictures = FilesIn(Pictures());
        if (stream) {
            ASSERT_EQ(pictures.size(), 1u);
            EXPECT_GT(fs::file_size(pictures[0]), 0u);
            EXPECT_EQ(dlg_->pictures, std::vector<std::string>{pictures[0].string()});
        } else {
            EXPECT_TRUE(pictures.empty());
            EXPECT_TRUE(dlg_->pictures.empty());
        }
        // The close is sent and answered before the window goes.
        Close();
        EXPECT_EQ(ReadAll(log), "reply 1\nclose\n");
    }
}

TEST_F(WifiFileCommandsTest, OnlyThisUsersProgramsInItsRuntimeFolderReachTheWindow) {
    Open();
    EXPECT_EQ(SendFromAnotherProcess(0), 0);

    // A registration left by a program that ended is passed over and removed.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    const fs::path dir = ms::ToUtf8(ms::UserWindowsDir());
    const fs::path stale = dir / ("576176656e6f72." + std::to_string(gone) + ".1"); // "Wavenor"
    std::ofstream(stale) << "ms-window-nobody";
    EXPECT_EQ(SendFromAnotherProcess(0), 0);
    EXPECT_FALSE(fs::exists(stale));

    // Another runtime folder holds no registration of the window.
    const fs::path other = fs::path(std::getenv("HOME")) / "other-runtime";
    fs::create_directories(other);
    fs::permissions(other, fs::perms::owner_all);
    EXPECT_EQ(SendFromAnotherProcess(0, other.string()), 3);

    // Another user, even with this user's runtime folder named, reaches nothing.
    if (geteuid() == 0) {
        EXPECT_EQ(SendFromAnotherProcess(65534, std::getenv("XDG_RUNTIME_DIR")), 3);
    }

    // The window's registration goes with the window.
    Close();
    EXPECT_TRUE(FilesIn(dir).empty());
}

// ---- The video player ----

namespace {

// The block column (8 pixels wide) of the test camera's white bar in a BGR(X) frame, from the
// middle row's brightest run; -1 when no column is white.
int BarBlock(const BYTE* pixels, int width, int height, int bytesPerPixel) {
    const BYTE* row = pixels + static_cast<size_t>(height / 2 + 3) * width * bytesPerPixel;
    for (int block = 0; block * 8 + 4 < width; ++block) {
        const BYTE* p = row + static_cast<size_t>(block * 8 + 4) * bytesPerPixel;
        if (p[0] > 220 && p[1] > 220 && p[2] > 220)
            return block;
    }
    return -1;
}

int CyclicDistance(int a, int b, int cycle) {
    const int d = std::abs(a - b) % cycle;
    return std::min(d, cycle - d);
}

} // namespace

TEST_F(WifiFileCommandsTest, ThePlayerPlaysARecordingToItsEndAndTheTrackbarSeeks) {
    TestCameraProcess camera("normal");
    ASSERT_TRUE(camera.Ready());
    Open();
    const std::string item = Record(camera);
    ASSERT_FALSE(item.empty());
    const std::string mp4 = item.substr(0, item.size() - 4);

    // The file's frames with their times, as another reader decodes them.
    std::vector<std::pair<double, int>> fileFrames; // milliseconds, bar block
    {
        cv::VideoCapture video(mp4, cv::CAP_FFMPEG);
        ASSERT_TRUE(video.isOpened());
        cv::Mat frame;
        while (video.read(frame))
            fileFrames.emplace_back(video.get(cv::CAP_PROP_POS_MSEC),
                                    BarBlock(frame.data, frame.cols, frame.rows, 3));
    }
    ASSERT_GT(fileFrames.size(), 20u);

    ms::CopyBounded(dlg_->m_selectedPath, MAX_PATH, ms::FromUtf8(item));
    bool scripted = false;
    ms::test::AnswerDialog(IDD_VIDEO_PLAYER, [&](HWND h) {
        scripted = true;
        auto* player = dynamic_cast<CVideoPlayerDlg*>(CWnd::FromHandlePermanent(h));
        ASSERT_NE(player, nullptr);
        EXPECT_EQ(Text(h), u"Video Player");
        EXPECT_EQ(std::u16string(player->m_videoPath.GetString()), ms::FromUtf8(mp4));
        HWND trackbar = GetDlgItem(h, IDC_PLAYER_TRACKBAR);
        auto pos = [&] { return static_cast<int>(SendMessage(trackbar, TBM_GETPOS, 0, 0)); };
        EXPECT_TRUE(player->Started());
        EXPECT_TRUE(ms::test::TimerAlive(h, TIMER_VLC_POSITION));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_PLAYER_LAST)));

        // Playing: frames come and the trackbar follows.
        ASSERT_TRUE(PumpUntil([&] { return player->Player()->FrameCount() > 2 && pos() > 0; }));
        ASSERT_LT(player->Player()->Time(), player->Player()->Length() / 2);

        // The operator drops the trackbar at the middle: the player goes there and shows the
        // file's frame of that time.
        SendMessage(trackbar, TBM_SETPOS, TRUE, 500);
        SendMessage(h, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 500),
                    reinterpret_cast<LPARAM>(trackbar));
        const long long length = player->Player()->Length();
        ASSERT_TRUE(PumpUntil([&] { return player->Player()->Time() >= length / 2 - 100; }));
        // The time jumps at once; the frames of the new place follow.
        const unsigned long long before = player->Player()->FrameCount();
        std::vector<BYTE> shown;
        int width = 0, height = 0;
        ASSERT_TRUE(PumpUntil([&] { return player->Player()->FrameCount() >= before + 2; }));
        ASSERT_TRUE(player->Player()->CopyLastFrame(shown, width, height));
        const long long at = player->Player()->Time();
        const auto nearest = std::min_element(
            fileFrames.begin(), fileFrames.end(), [&](const auto& a, const auto& b) {
                return std::abs(a.first - at) < std::abs(b.first - at);
            });
        EXPECT_LE(CyclicDistance(BarBlock(shown.data(), width, height, 4), nearest->second, 16), 2)
            << "at " << at << " ms of " << length;

        // The end of the file stops: trackbar at 0, seek buttons off, Play released.
        ASSERT_TRUE(PumpUntil([&] { return !player->Started(); }, 60s));
        EXPECT_EQ(player->Player(), nullptr);
        EXPECT_EQ(pos(), 0);
        EXPECT_FALSE(ms::test::TimerAlive(h, TIMER_VLC_POSITION));
        for (int id : {IDC_PLAYER_FIRST, IDC_PLAYER_PREVIOUS, IDC_PLAYER_NEXT, IDC_PLAYER_LAST})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, id))) << id;

        // Play starts it again from the beginning; pause disables the seek buttons, and Stop
        // twice stops once.
        SendMessage(h, WM_COMMAND, MAKEWPARAM(IDC_PLAYER_PLAY, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(h, IDC_PLAYER_PLAY)));
        ASSERT_TRUE(player->Started());
        ASSERT_TRUE(PumpUntil([&] { return player->Player()->FrameCount() > 0; }));
        EXPECT_LT(player->Player()->Time(), length / 2);
        SendMessage(h, WM_COMMAND, MAKEWPARAM(IDC_PLAYER_PLAY, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(h, IDC_PLAYER_PLAY)));
        EXPECT_TRUE(player->Paused());
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_PLAYER_FIRST)));
        for (int i = 0; i < 2; ++i) {
            SendMessage(h, WM_COMMAND, MAKEWPARAM(IDC_PLAYER_STOP, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(h, IDC_PLAYER_STOP)));
            EXPECT_FALSE(player->Started());
            EXPECT_FALSE(player->Paused());
        }
        // Esc and Enter do not close the player; its close box does.
        for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
            PostMessage(h, WM_KEYDOWN, key, 0);
            ms::test::Pump();
            EXPECT_TRUE(IsWindow(h));
        }
        SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    SendMessage(dlg_->m_hWnd, WM_APP_SHOW_VIDEO, 0, 0);
    EXPECT_TRUE(scripted);
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(WifiFileCommandsTest, AVideoThatIsGoneIsSaidSoInsteadOfAnEmptyPlayer) {
    Open();
    const fs::path item = program_ / "Favorite" / "Video" / "20260101000000.mp4.png";
    std::ofstream(item) << "x"; // the companion picture stayed, the recording did not
    dlg_->selected = item.string();
    Command(ID_FILE_OPEN); // a video item: handed to the player by a posted message
    ms::test::Pump();
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].find(u"check that the file exists"), std::u16string::npos);
    for (const auto& s : ms::test::ShownLog())
        EXPECT_NE(s.templateId, static_cast<UINT>(IDD_VIDEO_PLAYER));
}

// ---- The Photo Measure dialog ----

TEST_F(WifiFileCommandsTest, OpenShowsAPictureItemInThePhotoMeasureDialog) {
    Open();
    const fs::path item = Pictures() / "20260101000000.png";
    CDibImage picture(640, 480, 24);
    ASSERT_TRUE(picture.SaveToFile(ms::FromUtf8(item.string()).c_str(), DIBIMAGE_TYPE_PNG));
    dlg_->selected = item.string();
    SetDlgItemText(dlg_->m_hWnd, IDC_MAGNIFICATION, u"60.0");
    bool shown = false;
    ms::test::AnswerDialog(IDD_WIFI_PHOTO_MEASURE, [&](HWND h) {
        shown = true;
        EXPECT_EQ(Text(h), u"Photo Measure");
        WCHAR magnification[16] = {};
        GetDlgItemText(h, IDC_WPM_MAGNIFICATION, magnification, 16);
        EXPECT_EQ(std::u16string(magnification), u"60.0");
        RECT window{};
        GetWindowRect(h, &window); // laid out for the picture that loaded
        EXPECT_EQ(window.right - window.left, 647);
    });
    Command(ID_FILE_OPEN); // a picture item: handed on by a posted message
    ms::test::Pump();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(MessageBoxes().empty());
}

// ---- E-mail ----

TEST_F(WifiFileCommandsTest, MailAttachesAJpegCopyOfAPictureAndTheRecordingOfAVideoItem) {
    Open();
    const fs::path folder = program_ / "Favorite" / "Picture";
    cv::Mat red(30, 40, CV_8UC3, cv::Scalar(10, 40, 200));
    ASSERT_TRUE(cv::imwrite((folder / "20260304050607.png").string(), red));
    ASSERT_TRUE(cv::imwrite((folder / "shot.jpg").string(), red));
    const fs::path video = program_ / "Favorite" / "Video" / "20260304050607.mp4";
    std::ofstream(video) << "mp4";
    std::ofstream(video.string() + ".png") << "png";

    struct Case {
        fs::path item;
        std::string attachedName; // in the private folder; empty: the recording itself
    };
    const Case cases[] = {{folder / "20260304050607.png", "20260304050607.jpg"},
                          {folder / "shot.jpg", "shot.jpg"},
                          {video.string() + ".png", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item.string());
        ms::test::ResetSeams();
        dlg_->selected = c.item.string();
        Command(IDC_EMAIL);
        ASSERT_EQ(ms::test::Launches().size(), 1u);
        const auto& argv = ms::test::Launches()[0].argv;
        EXPECT_EQ(argv[0], u"xdg-email");
        std::string attached;
        for (std::size_t i = 1; i + 1 < argv.size(); ++i)
            if (argv[i] == u"--attach")
                attached = ms::ToUtf8(argv[i + 1]);
        if (c.attachedName.empty()) {
            EXPECT_EQ(attached, video.string());
            continue;
        }
        // A JPEG copy in the private folder, never in the program's.
        EXPECT_EQ(fs::path(attached).filename().string(), c.attachedName);
        EXPECT_EQ(fs::path(attached).parent_path().string(), ms::ToUtf8(ms::MailAttachmentDir()));
        const cv::Mat copy = cv::imread(attached);
        ASSERT_FALSE(copy.empty());
        EXPECT_EQ(ReadAll(attached).substr(0, 2), "\xFF\xD8");
        EXPECT_EQ(copy.cols, 40);
        EXPECT_FALSE(fs::exists(program_ / c.attachedName));
    }

    // Without a selection the operator is told to choose one.
    ms::test::ResetSeams();
    dlg_->selected.clear();
    Command(IDC_EMAIL);
    EXPECT_TRUE(ms::test::Launches().empty());
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Please select an image or video"});
}

// ---- About box and outside links ----

TEST_F(WifiFileCommandsTest, AboutBoxFavoriteFolderAndSupportPage) {
    Open();
    std::vector<std::u16string> texts;
    ms::test::AnswerDialog(IDD_ABOUTBOX, [&](HWND h) {
        texts = {Text(h), Text(GetDlgItem(h, IDC_ABOUT_NAME)),
                 Text(GetDlgItem(h, IDC_ABOUT_DESCRIPTION)), Text(GetDlgItem(h, IDC_ABOUT_VERSION)),
                 Text(GetDlgItem(h, IDOK))};
        SendMessage(h, WM_COMMAND, IDOK, 0);
    });
    Command(ID_HELP_ABOUT);
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"About Wavenor", u"Wavenor",
                                                  u"Product by  Dorvex Co., Ltd.",
                                                  u"Version 3.00.0000.01", u"OK"}));

    Command(ID_FILE_FAVORITE);
    Command(ID_HELP_MANUAL);
    const auto& launches = ms::test::Launches();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[0].argv, (std::vector<std::u16string>{
                                    u"xdg-open", ms::FromUtf8((program_ / "Favorite").string())}));
    ASSERT_EQ(launches[1].argv.size(), 2u);
    EXPECT_EQ(launches[1].argv[1].rfind(u"https://", 0), 0u);

    // Open without a selection asks for one.
    Command(ID_FILE_OPEN);
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Please select an image or video"});
}

} // namespace
