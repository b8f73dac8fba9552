// The thumbnail strip: the folder scan, slot geometry, scrolling and thumbnail decoding on
// their own; then the strip inside Tessary's main window (bound to the list 1002) with its
// selection, appending, the file actions and the main window's file commands.
#include "kit/SaveFolders.h"
#include "shell/MicroscopeDlg.h"
#include "shell/ThumbnailStrip.h"

#include "imaging/DibImage.h"
#include "media/AviPlayerDlg.h"
#include "platform/services/ServiceSeams.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "platform/win/dialogs/DialogSeams.h"
#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"

#include "tests/support/Mouse.h"
#include "tests/support/Pump.h"
#include "tests/support/SolidPicture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <opencv2/videoio.hpp>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::u16string U(const fs::path& p) {
    return ms::FromUtf8(p.string());
}

COLORREF ColourOf(int i) {
    return RGB(30 + 25 * i, 220 - 25 * i, 90 + 10 * i);
}

using mstest::WriteSolidPicture;

void WriteBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

fs::path ScratchDir(const char* name) {
    const fs::path dir = fs::path(std::getenv("HOME")) / "scratch" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// ---- Without a window

TEST(ThumbnailScan, ListsPicturesAndVideosByName) {
    const fs::path dir = ScratchDir("scan");
    WriteSolidPicture(dir / "b.bmp", 64, 48, ColourOf(0), DIBIMAGE_TYPE_BMP);
    WriteSolidPicture(dir / "x.JPG", 64, 48, ColourOf(1), DIBIMAGE_TYPE_JPG);
    WriteSolidPicture(dir / "A.Bmp", 64, 48, ColourOf(2), DIBIMAGE_TYPE_BMP);
    WriteBytes(dir / "tiny.bmp", std::string(40, 'B'));
    WriteBytes(dir / "notes.txt", "not a picture");
    fs::create_directories(dir / "folder.jpg");
    WriteBytes(dir / "clip.avi", "RIFF");
    WriteBytes(dir / "clip.avi.bmp", std::string(100, 'B'));
    const auto pictures = ScanPictureFolder(U(dir));
    ASSERT_EQ(pictures.size(), 4u);
    EXPECT_EQ(pictures[0], U(dir / "A.Bmp"));
    EXPECT_EQ(pictures[1], U(dir / "b.bmp"));
    EXPECT_EQ(pictures[2], U(dir / "clip.avi.bmp")) << "a picture by its name, of any size > 40";
    EXPECT_EQ(pictures[3], U(dir / "x.JPG"));
    // Videos: every "*.bmp", with no size test.
    const auto videos = ScanVideoFolder(U(dir));
    ASSERT_EQ(videos.size(), 4u);
    EXPECT_EQ(videos[3], U(dir / "tiny.bmp"));
    EXPECT_TRUE(ScanPictureFolder(U(dir / "none")).empty());
}

// The order is _wcsicmp's (case folded, also beyond ASCII), names equal but for case by their
// code units.
TEST(ThumbnailScan, NamesInFoldedOrder) {
    const fs::path dir = ScratchDir("scan-order");
    const char* names[] = {"b.bmp", "a.bmp", "A.bmp", "_x.bmp", "\xC3\x84.bmp" /* Ä */,
                           "\xC3\xA0.bmp" /* à */, "B.JPG", "[1].bmp"};
    for (const char* name : names)
        WriteBytes(dir / name, std::string(100, 'B'));
    std::vector<std::u16string> want;
    for (const char* name : {"[1].bmp", "_x.bmp", "A.bmp", "a.bmp", "b.bmp", "B.JPG",
                             "\xC3\xA0.bmp", "\xC3\x84.bmp"})
        want.push_back(U(dir) + u"/" + ms::FromUtf8(name));
    EXPECT_EQ(ScanPictureFolder(U(dir)), want);
}

// A picture is listed through a link to it; a link to nothing, or a file nobody may read, has
// no picture. The video list keeps any "*.bmp" entry that is not a folder.
TEST(ThumbnailScan, LinksAndUnreadableFiles) {
    const fs::path dir = ScratchDir("scan-links");
    WriteSolidPicture(dir / "real.bmp", 64, 48, ColourOf(0), DIBIMAGE_TYPE_BMP);
    fs::create_symlink(dir / "real.bmp", dir / "link.bmp");
    fs::create_symlink(dir / "gone-with-a-name-longer-than-forty-bytes.bmp", dir / "broken.bmp");
    fs::create_directories(dir / "sub");
    fs::create_directory_symlink(dir / "sub", dir / "folder.bmp");
    WriteSolidPicture(dir / "locked.jpg", 64, 48, ColourOf(1), DIBIMAGE_TYPE_JPG);
    fs::permissions(dir / "locked.jpg", fs::perms::none);
    const bool root = ::geteuid() == 0; // reads any file
    const auto pictures = ScanPictureFolder(U(dir));
    ASSERT_EQ(pictures.size(), root ? 3u : 2u);
    EXPECT_EQ(pictures[0], U(dir / "link.bmp"));
    EXPECT_EQ(pictures.back(), U(dir / "real.bmp"));
    const auto videos = ScanVideoFolder(U(dir));
    ASSERT_EQ(videos.size(), 3u);
    EXPECT_EQ(videos[0], U(dir / "broken.bmp"));
    fs::permissions(dir / "locked.jpg", fs::perms::owner_all);
}

TEST(ThumbnailGeometry, SlotsAndHitTest) {
    const StripGeometry g = StripGeometry::FromClient(640, 96);
    EXPECT_EQ(g.slotWidth, 90);
    EXPECT_EQ(g.slotHeight, 78);
    EXPECT_EQ(g.slotRects[5].left, 16 + 5 * 104);
    struct Case {
        POINT p;
        int n, slot;
    };
    const Case cases[] = {
        {{16, 9}, 6, 0},    {{15, 9}, 6, -1},  {{106, 9}, 6, -1},  {{105, 86}, 6, 0},
        {{105, 87}, 6, -1}, {{120, 40}, 6, 1}, {{120, 40}, 1, -1}, {{536, 40}, 6, 5},
        {{100, 2}, 6, -1},  {{16, 9}, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(g.HitTest(c.p, c.n), c.slot) << c.p.x << "," << c.p.y << " n " << c.n;
}

TEST(ThumbnailScroll, CodesClampToTheRange) {
    struct Case {
        int code, first, thumb, max, want;
    };
    const Case cases[] = {
        {SB_LINERIGHT, 3, 0, 9, 4},  {SB_LINERIGHT, 9, 0, 9, 9},      {SB_LINELEFT, 0, 0, 9, 0},
        {SB_PAGERIGHT, 2, 0, 9, 8},  {SB_PAGERIGHT, 5, 0, 9, 9},      {SB_PAGELEFT, 4, 0, 9, 0},
        {SB_THUMBTRACK, 0, 7, 9, 7}, {SB_THUMBPOSITION, 0, 12, 9, 9}, {SB_LEFT, 5, 0, 9, 0},
        {SB_RIGHT, 0, 0, 9, 9},      {SB_ENDSCROLL, 3, 0, 9, -1},     {99, 3, 0, 9, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScrollTarget(c.code, c.first, c.thumb, c.max), c.want) << "code " << c.code;
    EXPECT_EQ(ScrollMax(0), 5);
    EXPECT_EQ(ScrollMax(6), 5);
    EXPECT_EQ(ScrollMax(7), 6);
}

TEST(ThumbnailDecode, ReducedSizeAndBadFiles) {
    const fs::path dir = ScratchDir("decode");
    ThumbPicture pic;
    // A large JPEG is decoded at an eighth, still covering the slot.
    WriteSolidPicture(dir / "big.jpg", 1600, 1200, RGB(200, 40, 10), DIBIMAGE_TYPE_JPG);
    ASSERT_EQ(DecodeThumbnail(U(dir / "big.jpg"), 90, 78, pic), ThumbStatus::Drawable);
    EXPECT_EQ(pic.Width(), 200);
    EXPECT_EQ(pic.Height(), 150);
    // A BMP is averaged down by a whole factor, its colour kept.
    WriteSolidPicture(dir / "vga.bmp", 640, 480, RGB(10, 120, 230), DIBIMAGE_TYPE_BMP);
    ASSERT_EQ(DecodeThumbnail(U(dir / "vga.bmp"), 90, 78, pic), ThumbStatus::Drawable);
    EXPECT_EQ(pic.Width(), 106);
    EXPECT_EQ(pic.Height(), 80);
    EXPECT_EQ(pic.bits[0], 230);
    EXPECT_EQ(pic.bits[1], 120);
    EXPECT_EQ(pic.bits[2], 10);

    // A BMP cut short: its header asks for rows the file does not hold, so it is not drawn.
    std::ifstream in(dir / "vga.bmp", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    WriteBytes(dir / "cut.bmp", bytes.substr(0, bytes.size() / 2));
    EXPECT_EQ(DecodeThumbnail(U(dir / "cut.bmp"), 90, 78, pic), ThumbStatus::NotDrawable);
    // A header claiming a huge picture in a small file.
    std::string huge = bytes.substr(0, 2000);
    huge[18] = '\xFF';
    huge[19] = '\xFF';
    huge[22] = '\xFF';
    huge[23] = '\x7F';
    WriteBytes(dir / "huge.bmp", huge);
    EXPECT_EQ(DecodeThumbnail(U(dir / "huge.bmp"), 90, 78, pic), ThumbStatus::NotDrawable);
    // A JPEG frame header claiming 65535 x 65535 pixels: not decoded even at an eighth.
    std::ifstream jin(dir / "big.jpg", std::ios::binary);
    std::string jpeg((std::istreambuf_iterator<char>(jin)), {});
    const size_t sof = jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    jpeg.replace(sof + 5, 4, "\xFF\xFF\xFF\xFF");
    WriteBytes(dir / "claims.jpg", jpeg.substr(0, 4000));
    EXPECT_EQ(DecodeThumbnail(U(dir / "claims.jpg"), 90, 78, pic), ThumbStatus::NotDrawable);
    WriteBytes(dir / "garbage.jpg", std::string(5000, 'x'));
    EXPECT_EQ(DecodeThumbnail(U(dir / "garbage.jpg"), 90, 78, pic), ThumbStatus::NotDrawable);
    EXPECT_EQ(DecodeThumbnail(U(dir / "gone.jpg"), 90, 78, pic), ThumbStatus::Missing);
    EXPECT_EQ(DecodeThumbnail(U(dir / "notes.txt"), 90, 78, pic), ThumbStatus::NotDrawable);
}

TEST(ThumbnailDecode, CacheDecodesOnceUntilTheFileChanges) {
    const fs::path dir = ScratchDir("cache");
    ThumbnailCache cache(2);
    for (int i = 0; i < 3; ++i)
        WriteSolidPicture(dir / ("p" + std::to_string(i) + ".bmp"), 180, 156, ColourOf(i),
                          DIBIMAGE_TYPE_BMP);
    const std::u16string p0 = U(dir / "p0.bmp");
    ASSERT_TRUE(cache.Get(p0, 90, 78));
    ASSERT_TRUE(cache.Get(p0, 90, 78));
    EXPECT_EQ(cache.Decodes(), 1);
    // Replaced on disk (another size): decoded again.
    WriteSolidPicture(dir / "p0.bmp", 360, 312, ColourOf(5), DIBIMAGE_TYPE_BMP);
    const ThumbPicture* again = cache.Get(p0, 90, 78);
    ASSERT_TRUE(again);
    EXPECT_EQ(cache.Decodes(), 2);
    EXPECT_EQ(again->bits[0], GetBValue(ColourOf(5)));
    // The oldest goes when the cache is full.
    cache.Get(U(dir / "p1.bmp"), 90, 78);
    cache.Get(U(dir / "p2.bmp"), 90, 78);
    EXPECT_EQ(cache.Size(), 2u);
    cache.Get(p0, 90, 78);
    EXPECT_EQ(cache.Decodes(), 5);
    fs::remove(dir / "p0.bmp");
    ThumbStatus status;
    EXPECT_FALSE(cache.Get(p0, 90, 78, &status));
    EXPECT_EQ(status, ThumbStatus::Missing);
}

// ---- In the main window

// The main window with the two hand-overs recorded instead of opening their windows.
class CStripTestDlg : public CMicroscopeDlg {
public:
    std::vector<std::u16string> opened, played;
    bool realPlayer = false;

protected:
    void OpenPhotoMeasureWindow(LPCWSTR path) override { opened.emplace_back(path); }
    void RunVideoPlayer(LPCWSTR path) override {
        played.emplace_back(path);
        if (realPlayer)
            CMicroscopeDlg::RunVideoPlayer(path);
    }
};

class StripTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        g_hInstance = GetModuleHandle(nullptr);
        g_listShowsPictures = 1;
        // A save folder chosen in an earlier test is remembered beside the program, where the
        // main window would read it back: every test starts from the default folders.
        fs::remove(fs::path(ms::ToUtf8(ms::ProgramDataDir())) / "folderpath.dat");
        const fs::path base = fs::path(std::getenv("HOME")) / "Documents" / "Tessary files";
        pictures_ = base / "Picture";
        videos_ = base / "Video";
        fs::remove_all(base);
        fs::create_directories(pictures_);
        fs::create_directories(videos_);
        other_ = ScratchDir("elsewhere");
    }
    void TearDown() override {
        if (dlg_ && dlg_->m_hWnd)
            dlg_->DestroyWindow();
        dlg_.reset();
        ms::test::Pump(6);
        EXPECT_EQ(g_thumbnailView, nullptr);
        ms::test::ResetSeams();
    }
    void Pictures(int n, int w = 640, int h = 480) {
        for (int i = 0; i < n; ++i)
            WriteSolidPicture(Picture(i), w, h, ColourOf(i), DIBIMAGE_TYPE_BMP);
    }
    fs::path Picture(int i) const { return pictures_ / ("pic" + std::to_string(i) + ".bmp"); }
    void Video(const std::string& name, COLORREF c) {
        WriteBytes(videos_ / name, "RIFF recording");
        WriteSolidPicture(videos_ / (name + ".bmp"), 640, 480, c, DIBIMAGE_TYPE_BMP);
    }
    CThumbnailView& Open() {
        dlg_ = std::make_unique<CStripTestDlg>();
        EXPECT_TRUE(dlg_->Create(IDD_MAIN));
        // No calibration reminder: its box would come between a command and its messages.
        dlg_->KillTimer(TIMER_STARTUP_PROMPT);
        ms::test::Pump(6);
        EXPECT_TRUE(g_thumbnailView);
        return *g_thumbnailView;
    }
    HWND Strip() const { return g_thumbnailView->m_hWnd; }
    POINT ScreenOf(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(Strip(), &p);
        return p;
    }
    // A click of the main window's input hook at a client point of the strip.
    void Click(UINT message, int x, int y) {
        MSG msg{};
        msg.hwnd = Strip();
        msg.message = message;
        msg.lParam = MAKELPARAM(x, y);
        msg.pt = ScreenOf(x, y);
        dlg_->Strip().OnMouse(msg);
        ms::test::Pump();
    }
    SCROLLINFO Scroll() const {
        SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(Strip(), SB_HORZ, &si);
        return si;
    }
    bool ArrowsEnabled() const {
        for (QObject* o : ms::WidgetOf(Strip())->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && w->inherits("QScrollBar"))
                return w->isEnabled();
        return false;
    }
    COLORREF SlotColour(int slot) {
        ms::test::Pump();
        const QImage img = ms::test::SurfacePicture(Strip());
        const RECT& r = g_thumbnailView->Geometry().slotRects[slot];
        const QRgb c = img.pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return RGB(qRed(c), qGreen(c), qBlue(c));
    }
    void Command(UINT id) {
        dlg_->SendMessage(WM_COMMAND, id, 0);
        ms::test::Pump();
    }

    fs::path pictures_, videos_, other_;
    std::unique_ptr<CStripTestDlg> dlg_;
};

TEST_F(StripTest, SevenPicturesShowTheLastSixAndAClickSelectsTheSlotShown) {
    Pictures(7);
    CThumbnailView& strip = Open();
    RECT client;
    GetClientRect(Strip(), &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 96);
    const ThumbnailList& list = strip.List(1);
    EXPECT_EQ(list.firstVisible, 1);
    EXPECT_EQ(strip.DrawnItems(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    const SCROLLINFO si = Scroll();
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 6);
    EXPECT_EQ(si.nPage, 6u);
    EXPECT_EQ(si.nPos, 1);
    EXPECT_TRUE(ArrowsEnabled());
    EXPECT_EQ(SlotColour(0), ColourOf(1));
    EXPECT_EQ(SlotColour(5), ColourOf(6));

    Click(WM_LBUTTONDOWN, 106, 9); // the first slot's right edge
    EXPECT_EQ(list.current, -1);
    EXPECT_FALSE(strip.FindItem(kThumbSelected));
    Click(WM_LBUTTONDOWN, 16, 9);
    EXPECT_EQ(list.current, 1);
    WCHAR path[MAX_PATH] = {};
    EXPECT_EQ(strip.GetSelectedPath(path), 7u);
    EXPECT_EQ(std::u16string(path), U(Picture(1)));

    // The wheel never scrolls; the bar's right arrow does, to the end, one item at a time.
    for (int i = 0; i < 8; ++i)
        SendMessage(Strip(), WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(list.firstVisible, 6);
    EXPECT_EQ(strip.DrawnItems(), (std::vector<int>{6}));
    EXPECT_EQ(Scroll().nPos, 1) << "the bar's own position stops at max - page + 1";
}

TEST_F(StripTest, NewSnapshotsAndRecordingsAreAppendedVisibleAndCurrent) {
    Pictures(6);
    CThumbnailView& strip = Open();
    EXPECT_EQ(strip.List(1).firstVisible, 0);
    EXPECT_FALSE(ArrowsEnabled());
    WriteSolidPicture(Picture(6), 640, 480, ColourOf(6), DIBIMAGE_TYPE_BMP);
    strip.AppendFile(U(Picture(6)).c_str());
    const ThumbnailList& list = strip.List(1);
    EXPECT_EQ(list.Count(), 7);
    EXPECT_EQ(list.firstVisible, 2);
    EXPECT_EQ(list.current, 6);
    EXPECT_EQ(strip.DrawnItems(), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(Scroll().nMax, 6);
    EXPECT_TRUE(ArrowsEnabled());
    EXPECT_EQ(SlotColour(4), ColourOf(6));
    // Framed as current, not selected.
    EXPECT_EQ(list.items[6]->flags, kThumbListed);

    // A recording goes to the video list, selected and current, while the pictures show.
    Video("rec.avi", ColourOf(3));
    strip.AppendFile(U(videos_ / "rec.avi.bmp").c_str());
    EXPECT_EQ(strip.List(0).Count(), 1);
    EXPECT_EQ(strip.List(0).current, 0);
    EXPECT_EQ(strip.List(0).items[0]->flags, 7u);
    EXPECT_EQ(list.Count(), 7);
}

TEST_F(StripTest, UndrawableFilesLeaveNoGapAndVanishedFilesAreDropped) {
    Pictures(3);
    WriteBytes(pictures_ / "pic1x.jpg", std::string(3000, 'x')); // sorts between pic1 and pic2
    WriteSolidPicture(pictures_ / "x.JPG", 640, 480, ColourOf(4), DIBIMAGE_TYPE_JPG);
    WriteBytes(pictures_ / "tiny.bmp", std::string(40, 'B'));
    CThumbnailView& strip = Open();
    const ThumbnailList& list = strip.List(1);
    ASSERT_EQ(list.Count(), 5); // pic0 pic1 pic1x.jpg pic2 x.JPG; tiny.bmp is not listed
    EXPECT_EQ(strip.DrawnItems(), (std::vector<int>{0, 1, 3, 4}));
    EXPECT_EQ(SlotColour(2), ColourOf(2));
    // The slot shows pic2, and a click there selects pic2 (not the undrawable item before it).
    Click(WM_LBUTTONDOWN, g_thumbnailView->Geometry().slotRects[2].left + 5, 20);
    WCHAR path[MAX_PATH] = {};
    ASSERT_TRUE(strip.GetSelectedPath(path));
    EXPECT_EQ(std::u16string(path), U(Picture(2)));

    // Removed behind the program's back: gone from the strip at the next drawing.
    fs::remove(Picture(0));
    fs::remove(pictures_ / "x.JPG");
    strip.DrawThumbnails();
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(strip.DrawnItems(), (std::vector<int>{0, 2}));
    EXPECT_EQ(list.current, -1);
}

TEST_F(StripTest, SaveAsConvertsByExtensionAndRefusesThePictureFolder) {
    Pictures(2);
    CThumbnailView& strip = Open();
    // No selection: the "SelectFile" box.
    Command(1235);
    ASSERT_FALSE(ms::test::ShownLog().empty());
    EXPECT_EQ(ms::test::ShownLog().back().text, u"Please select one image or video");

    Click(WM_LBUTTONDOWN, 20, 20); // pic0
    ms::test::AnswerFileDialog(U(other_ / "copy.JPG"));
    Command(1235);
    ASSERT_FALSE(ms::test::ShownCommonDialogs().empty());
    EXPECT_EQ(ms::test::ShownCommonDialogs().back().initialName, u"pic0");
    CDibImage copy(U(other_ / "copy.JPG").c_str(), DIBIMAGE_TYPE_JPG);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.GetType(), DIBIMAGE_TYPE_JPG);
    EXPECT_EQ(copy.GetWidth(), 640u);
    EXPECT_EQ(copy.GetHeight(), 480u);
    // ".jpeg" is not JPEG: the BMP is copied unchanged.
    ms::test::AnswerFileDialog(U(other_ / "same.jpeg"));
    Command(1235);
    EXPECT_EQ(fs::file_size(other_ / "same.jpeg"), fs::file_size(Picture(0)));

    const size_t before = ms::test::ShownLog().size();
    ms::test::AnswerFileDialog(U(pictures_ / "again.bmp"));
    Command(1235);
    ASSERT_EQ(ms::test::ShownLog().size(), before + 1);
    EXPECT_EQ(ms::test::ShownLog().back().text, u"Can't save file to temp directory!!");
    EXPECT_EQ(ms::test::ShownLog().back().caption, u"Save file");
    EXPECT_FALSE(fs::exists(pictures_ / "again.bmp"));
    EXPECT_EQ(strip.List(1).Count(), 2);
}

TEST_F(StripTest, VideosPlaySaveAndDeleteThroughTheirRecordings) {
    Video("a.avi", ColourOf(0));
    Video("b.avi", ColourOf(1));
    Video("c.avi", ColourOf(2));
    WriteBytes(videos_ / "notes.txt", "keep me");
    WriteBytes(videos_ / "lone.avi", "RIFF without picture");
    Pictures(10);
    CThumbnailView& strip = Open();
    dlg_->SendMessage(WM_COMMAND, MAKEWPARAM(1202, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(dlg_->m_hWnd, 1202)));
    ms::test::Pump();
    ASSERT_EQ(g_listShowsPictures, 0);
    EXPECT_EQ(Scroll().nMax, 5);
    EXPECT_FALSE(ArrowsEnabled());
    EXPECT_EQ(SlotColour(1), ColourOf(1));

    // Double click: the recording goes to the player, after the capture stopped.
    Click(WM_LBUTTONDBLCLK, 20, 20);
    ms::test::Pump();
    ASSERT_EQ(dlg_->played.size(), 1u);
    EXPECT_EQ(dlg_->played[0], U(videos_ / "a.avi"));

    // Save as copies the recording under the name chosen (".avi" added).
    ms::test::AnswerFileDialog(U(other_ / "clip"));
    Command(1235);
    EXPECT_EQ(ms::test::ShownCommonDialogs().back().initialName, u"a.avi");
    EXPECT_EQ(fs::file_size(other_ / "clip.avi"), fs::file_size(videos_ / "a.avi"));

    // Delete takes the recording with its picture.
    Click(WM_LBUTTONDOWN, g_thumbnailView->Geometry().slotRects[2].left + 5, 20);
    ms::test::AnswerMessageBox(IDYES);
    Command(1236);
    EXPECT_FALSE(fs::exists(videos_ / "c.avi"));
    EXPECT_FALSE(fs::exists(videos_ / "c.avi.bmp"));
    EXPECT_EQ(strip.List(0).Count(), 2);

    Click(WM_LBUTTONDOWN, 20, 20);
    ms::test::AnswerMessageBox(IDYES);
    Command(410);
    EXPECT_FALSE(fs::exists(videos_ / "a.avi"));
    EXPECT_FALSE(fs::exists(videos_ / "a.avi.bmp"));
    EXPECT_FALSE(fs::exists(videos_ / "b.avi.bmp"));
    EXPECT_FALSE(fs::exists(videos_ / "b.avi"));
    EXPECT_TRUE(fs::exists(videos_ / "notes.txt"));
    EXPECT_TRUE(fs::exists(videos_ / "lone.avi"));
    EXPECT_EQ(strip.List(0).Count(), 0);
    EXPECT_EQ(Scroll().nMax, 5);
    EXPECT_EQ(strip.List(1).Count(), 10) << "the pictures are another list";
}

TEST_F(StripTest, ANewSaveFolderIsListedAtOnceAndDeleteAllWorksThere) {
    Pictures(2);
    CThumbnailView& strip = Open();
    const fs::path base = ScratchDir("new-base");
    fs::create_directories(base / "Picture");
    WriteSolidPicture(base / "Picture" / "new.bmp", 640, 480, ColourOf(3), DIBIMAGE_TYPE_BMP);

    ms::test::AnswerFolderDialog(U(base));
    ms::test::AnswerDialog(IDD_VIDEO_SETTING, [&](HWND h) {
        SendMessage(h, WM_COMMAND, MAKEWPARAM(IDC_VS_BROWSE, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(h, IDC_VS_BROWSE)));
        // At once, while the dialog is still open.
        ASSERT_EQ(strip.List(1).Count(), 1);
        EXPECT_EQ(std::u16string(strip.List(1).items[0]->path), U(base / "Picture" / "new.bmp"));
        SendMessage(h, WM_COMMAND, IDOK, 0);
    });
    Command(1016);
    ASSERT_EQ(ms::ToUtf8(g_paths.pictureDir), (base / "Picture").string());
    EXPECT_EQ(strip.DrawnItems(), (std::vector<int>{0}));
    EXPECT_EQ(SlotColour(0), ColourOf(3));

    Click(WM_LBUTTONDOWN, 20, 20);
    ms::test::AnswerMessageBox(IDYES);
    Command(410);
    EXPECT_FALSE(fs::exists(base / "Picture" / "new.bmp"));
    EXPECT_TRUE(fs::exists(Picture(0)));
    EXPECT_TRUE(fs::exists(Picture(1)));
    EXPECT_EQ(strip.List(1).Count(), 0);
}

TEST_F(StripTest, PlayRunsThePlayerOnTheRecording) {
    const fs::path avi = videos_ / "20260307090501.avi";
    {
        cv::VideoWriter w(avi.string(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 4.0,
                          cv::Size(32, 24));
        ASSERT_TRUE(w.isOpened());
        for (int i = 0; i < 8; ++i)
            w.write(cv::Mat(24, 32, CV_8UC3, cv::Scalar(i, 200, 80)));
    }
    WriteSolidPicture(videos_ / "20260307090501.avi.bmp", 640, 480, ColourOf(2), DIBIMAGE_TYPE_BMP);
    Open();
    dlg_->realPlayer = true;
    dlg_->SendMessage(WM_COMMAND, MAKEWPARAM(1202, BN_CLICKED), 0);
    std::u16string playing;
    ms::test::AnswerDialog(IDD_AVI_PLAYER, [&](HWND h) {
        if (auto* player = dynamic_cast<CAviPlayerDlg*>(CWnd::FromHandlePermanent(h)))
            playing = player->m_filePath;
        SendMessage(h, WM_COMMAND, IDC_PLAYER_CLOSE, 0);
    });
    Click(WM_LBUTTONDBLCLK, 20, 20);
    ms::test::Pump();
    ASSERT_EQ(dlg_->played.size(), 1u);
    EXPECT_EQ(playing, U(avi));
}

TEST_F(StripTest, SaveAllMovesWhatWasCopiedAndNothingElse) {
    Pictures(3);
    WriteBytes(pictures_ / "notes.txt", "kept");
    WriteBytes(other_ / "pic1.bmp", "the operator's own file");
    CThumbnailView& strip = Open();
    Click(WM_LBUTTONDOWN, 20, 20);

    // Into the folder the files are in: refused, nothing lost.
    ms::test::AnswerFileDialog(U(pictures_ / "x"));
    Command(1300);
    EXPECT_EQ(ms::test::ShownLog().back().text, u"Can't save file to temp directory!!");
    EXPECT_EQ(strip.List(1).Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(fs::exists(Picture(i)));

    // Elsewhere: "pic1.bmp" exists there and is kept (No); the rest is copied, then moved.
    Click(WM_LBUTTONDOWN, 20, 20);
    ms::test::AnswerFileDialog(U(other_ / "x"));
    ms::test::AnswerMessageBox(IDNO);  // replace pic1.bmp?
    ms::test::AnswerMessageBox(IDYES); // delete all?
    Command(1300);
    EXPECT_EQ(ms::test::ShownCommonDialogs().back().initialName,
              u"notes.txt pic0.bmp pic1.bmp pic2.bmp ");
    EXPECT_TRUE(fs::exists(other_ / "pic0.bmp"));
    EXPECT_TRUE(fs::exists(other_ / "notes.txt"));
    EXPECT_EQ(fs::file_size(other_ / "pic1.bmp"), 23u);
    EXPECT_FALSE(fs::exists(Picture(0)));
    EXPECT_FALSE(fs::exists(Picture(2)));
    EXPECT_TRUE(fs::exists(Picture(1))) << "not copied, so not deleted";
    EXPECT_TRUE(fs::exists(pictures_ / "notes.txt"));
    ASSERT_EQ(strip.List(1).Count(), 1);
    EXPECT_EQ(std::u16string(strip.List(1).items[0]->path), U(Picture(1)));
}

TEST_F(StripTest, AfterSelectAllAClickSelectsOnlyTheItemClicked) {
    Pictures(4);
    CThumbnailView& strip = Open();
    Click(WM_LBUTTONDOWN, 20, 20);
    ms::test::CancelCommonDialog();
    Command(1300); // Save All selects all, then the operator cancels
    for (const auto& item : strip.List(1).items)
        EXPECT_EQ(item->flags, 7u);
    // A right click on pic2 and Delete from its popup delete pic2, not the first one.
    const RECT& slot = strip.Geometry().slotRects[2];
    ms::test::ChoosePopupCommand(1236);
    ms::test::AnswerMessageBox(IDYES);
    QWidget* w = ms::WidgetOf(Strip());
    const QPoint at(slot.left + 10 + 1, slot.top + 10 + 1); // client + border
    ms::test::SendMouse(w, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    ms::test::SendMouse(w, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    ms::test::Pump();
    ASSERT_FALSE(ms::test::ShownMenus().empty());
    const auto& items = ms::test::ShownMenus().back().items;
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items[0].id, 1234u);
    EXPECT_EQ(items[8].id, 1274u);
    EXPECT_FALSE(fs::exists(Picture(2)));
    EXPECT_TRUE(fs::exists(Picture(0)));
    EXPECT_EQ(strip.List(1).Count(), 3);
}

TEST_F(StripTest, OpenHandsOverPicturesOfTheAcceptedSizesOnly) {
    WriteSolidPicture(pictures_ / "a.BMP", 640, 480, ColourOf(0), DIBIMAGE_TYPE_BMP);
    WriteSolidPicture(pictures_ / "b.Bmp", 640, 480, ColourOf(1), DIBIMAGE_TYPE_BMP);
    WriteSolidPicture(pictures_ / "c.jpg", 1024, 768, ColourOf(2), DIBIMAGE_TYPE_JPG);
    WriteSolidPicture(pictures_ / "d.jpg", 1600, 1200, ColourOf(3), DIBIMAGE_TYPE_JPG);
    Open();
    Command(1234);
    EXPECT_EQ(ms::test::ShownLog().back().text, u"Please select one image or video");
    const StripGeometry& g = g_thumbnailView->Geometry();
    for (int slot = 0; slot < 4; ++slot)
        Click(WM_LBUTTONDBLCLK, g.slotRects[slot].left + 5, 20);
    ASSERT_EQ(dlg_->opened.size(), 2u);
    EXPECT_EQ(dlg_->opened[0], U(pictures_ / "a.BMP"));
    EXPECT_EQ(dlg_->opened[1], U(pictures_ / "d.jpg"));
    // Gone between selection and hand-over.
    Click(WM_LBUTTONDOWN, g.slotRects[3].left + 5, 20);
    dlg_->SendMessage(WM_COMMAND, 1234, 0);
    fs::remove(pictures_ / "d.jpg");
    ms::test::Pump();
    EXPECT_EQ(dlg_->opened.size(), 2u);
    EXPECT_EQ(ms::test::ShownLog().back().text,
              u"the picture not open,please check the file exist!");
}

} // namespace
