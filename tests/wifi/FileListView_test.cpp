// Wavenor's file list in its main window, driven headless: the slot count and slot geometry,
// scrolling by rows as snapshots are appended, the thumbnails of PNG and JPEG pictures and of
// recordings, the clicks over the list, save as with conversion and its refusals, delete and
// delete all of exactly the listed items.
#include "wifi/FileListView.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiSettings.h"

#include "imaging/DibImage.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"
#include "platform/win/dialogs/DialogSeams.h"
#include "platform/win/window/TestSeams.h"
#include "res/WavenorResource.h"

#include "tests/support/Pump.h"
#include "tests/support/SolidPicture.h"
#include "tests/support/TestEnvironment.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::u16string U(const fs::path& p) {
    return ms::FromUtf8(p.string());
}

using mstest::WriteSolidPicture;

void WriteBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

int CountBoxes(const char16_t* text) {
    int n = 0;
    for (const auto& s : ms::test::ShownLog())
        if (s.kind == ms::test::Shown::MessageBox && s.text == text)
            ++n;
    return n;
}

TEST(FileListGeometry, SlotCountIsEvenAndOnePerThirtyPixels) {
    const struct {
        int height, slotCount;
    } cases[] = {{510, 16}, {509, 16}, {480, 16}, {180, 6}, {89, 2}, {59, 0}, {0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ListSlotCount(c.height), c.slotCount) << c.height;
}

TEST(FileListGeometry, SlotsFillTwoColumnsRowByRow) {
    const std::vector<RECT> rects = ListSlotRects(166, 498, 16);
    ASSERT_EQ(rects.size(), 16u);
    // (166 - 20) / 2 = 73 wide, (498 - 50) / 8 = 56 high.
    EXPECT_EQ(rects[0].left, 8);
    EXPECT_EQ(rects[0].top, 4);
    EXPECT_EQ(rects[0].right, 81);
    EXPECT_EQ(rects[0].bottom, 60);
    EXPECT_EQ(rects[1].left, 88);
    EXPECT_EQ(rects[1].top, 4);
    EXPECT_EQ(rects[2].left, 8);
    EXPECT_EQ(rects[2].top, 67);
    EXPECT_EQ(rects[15].bottom, 4 + 63 * 7 + 56);
    // A list too short for one row has no slots (no division by zero rows).
    EXPECT_TRUE(ListSlotRects(166, 40, 0).empty());
}

TEST(FileListGeometry, ScrollRangeAndLastRowByRowsOfTwo) {
    const struct {
        int count, slotCount, max, lastRow;
    } cases[] = {
        {0, 6, 2, 0}, {6, 6, 2, 0},  {7, 6, 3, 1},   {8, 6, 3, 1},
        {9, 6, 4, 2}, {12, 6, 5, 3}, {17, 16, 8, 1}, {40, 16, 19, 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ListScrollMax(c.count, c.slotCount), c.max) << c.count;
        EXPECT_EQ(ListLastRow(c.count, c.slotCount), c.lastRow) << c.count;
    }
}

TEST(FileListGeometry, RecordingOfCompanionOnlyForMp4Companions) {
    EXPECT_EQ(RecordingOfCompanion(u"/v/20260101000000.mp4.png"), u"/v/20260101000000.mp4");
    EXPECT_EQ(RecordingOfCompanion(u"/v/A.MP4.PNG"), u"/v/A.MP4");
    EXPECT_EQ(RecordingOfCompanion(u"/v/mp4shot.png"), u"");
    EXPECT_EQ(RecordingOfCompanion(u"/v/x.png"), u"");
}

// The main window with a record of the open requests it posts to itself; the requests stop
// here, so no player or photo-measure window opens over the test.
class COpeningDlg : public CWifiMicroscopeDlg {
public:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_APP_SHOW_PICTURE || msg == WM_APP_SHOW_VIDEO) {
            opened.push_back(msg);
            return 0;
        }
        return CWifiMicroscopeDlg::WindowProc(msg, wp, lp);
    }
    std::vector<UINT> opened;
};

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        g_hInstance = GetModuleHandle(nullptr);
        program_ = mstest::NewProgramDir(mstest::ProgramFiles::None);
        RegDeleteKey(HKEY_CURRENT_USER, kWifiSettingsKey);
        ResetWifiSettings();
        ResetWifiGlobals();
        g_listShowsPictures = 1;
        fs::create_directories(Pictures());
        fs::create_directories(Videos());
        other_ = program_.parent_path() / (program_.filename().string() + "-other");
        fs::remove_all(other_);
        fs::create_directories(other_);
    }
    void TearDown() override {
        if (dlg_ && dlg_->m_hWnd)
            SendMessage(dlg_->m_hWnd, WM_CLOSE, 0, 0);
        dlg_.reset();
        ms::test::Pump();
        g_listShowsPictures = 1;
        ms::test::ResetSeams();
    }
    void Open() {
        dlg_ = std::make_unique<COpeningDlg>();
        ASSERT_TRUE(dlg_->Create(IDD_WAVENOR_MAIN));
        ms::test::Pump(6);
        ASSERT_NE(g_fileListView, nullptr);
        ms::test::GrabWindow(g_fileListView->m_hWnd); // the first paint lays the slotCount out
    }
    CFileListView& List() { return *g_fileListView; }
    fs::path Pictures() const { return program_ / "Favorite" / "Picture"; }
    fs::path Videos() const { return program_ / "Favorite" / "Video"; }
    void Picture(const char* name, int w = 64, int h = 48) {
        WriteSolidPicture(Pictures() / name, w, h, RGB(200, 40, 40), DIBIMAGE_TYPE_PNG);
    }
    void Recording(const char* name) {
        WriteBytes(Videos() / name, "mp4 data");
        WriteSolidPicture(Videos() / (std::string(name) + ".png"), 32, 24, RGB(0, 0, 0),
                          DIBIMAGE_TYPE_PNG);
    }
    // The screen point in the middle of slot `slot`.
    POINT SlotPoint(int slot) {
        const RECT& r = g_listSlotRects.at(static_cast<size_t>(slot));
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(List().m_hWnd, &p);
        return p;
    }
    bool Select(int slot) {
        const POINT p = SlotPoint(slot);
        return List().SelectAt(static_cast<UINT>(p.x), static_cast<UINT>(p.y)) == 1;
    }
    void Mouse(UINT message, int slot) {
        MSG msg{};
        msg.hwnd = List().m_hWnd;
        msg.message = message;
        msg.pt = SlotPoint(slot);
        dlg_->PreTranslateMessage(&msg);
        ms::test::Pump();
    }
    std::vector<std::string> DrawnNames() {
        std::vector<std::string> out;
        const ThumbnailList& list = List().CurrentList();
        for (int i : List().DrawnItems())
            out.push_back(
                fs::path(ms::ToUtf8(list.items[static_cast<size_t>(i)]->path)).filename().string());
        return out;
    }
    SCROLLINFO Scroll() {
        SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(List().m_hWnd, SB_VERT, &si);
        return si;
    }

    fs::path program_, other_;
    std::unique_ptr<COpeningDlg> dlg_;
};

TEST_F(FileListTest, ListsPicturesAndRecordingsAndDrawsTheirThumbnails) {
    Picture("a.png");
    WriteSolidPicture(Pictures() / "b.jpg", 64, 48, RGB(40, 200, 40), DIBIMAGE_TYPE_JPG);
    WriteBytes(Pictures() / "broken.png", std::string(200, 'x')); // no slot of its own
    WriteBytes(Pictures() / "tiny.png", "x");                     // 40 bytes or fewer: not listed
    Picture("c.png");
    Recording("20260101000000.mp4");
    Open();
    const QImage shown = ms::test::GrabWindow(List().m_hWnd);
    ASSERT_FALSE(shown.isNull());
    // The list after start-up: one slot per 30 pixels of its height.
    EXPECT_EQ(g_listSlotCount, ListSlotCount(g_listClientRect.bottom - g_listClientRect.top));
    EXPECT_EQ(g_listSlotRects.size(), static_cast<size_t>(g_listSlotCount));
    EXPECT_EQ(List().List(1).Count(), 4);
    EXPECT_EQ(DrawnNames(), (std::vector<std::string>{"a.png", "b.jpg", "c.png"}));
    EXPECT_EQ(List().Cache().Decodes(), 4);

    const RECT& first = g_listSlotRects[0];
    const QRgb red = shown.pixel((first.left + first.right) / 2, (first.top + first.bottom) / 2);
    EXPECT_GT(qRed(red), 150);
    EXPECT_LT(qGreen(red), 90);
    const RECT& third = g_listSlotRects[2]; // the broken PNG left no gap: c.png is here
    EXPECT_GT(qRed(shown.pixel((third.left + third.right) / 2, third.top + 5)), 150);
    EXPECT_EQ(shown.pixel(2, shown.height() - 3), qRgb(0xDF, 0xDF, 0xDF));

    SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_VIDEO_TAB, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dlg_->m_hWnd, IDC_VIDEO_TAB)));
    EXPECT_EQ(g_listShowsPictures, 0);
    EXPECT_EQ(DrawnNames(), (std::vector<std::string>{"20260101000000.mp4.png"}));
}

// Six pictures in six slots, then a seventh snapshot: rows 1 to 3 show items 2 to 6, the new
// one alone in the left column, and the bar ranges over rows 0 to 3 with a page of 3.
TEST_F(FileListTest, SeventhSnapshotScrollsOneRow) {
    for (const char* name : {"p0.png", "p1.png", "p2.png", "p3.png", "p4.png", "p5.png"})
        Picture(name);
    Open();
    // A list that holds six slots.
    SetWindowPos(List().m_hWnd, nullptr, 0, 0, 170, 182 + 2, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(List().m_hWnd, &client);
    g_listSlotCount = ListSlotCount(client.bottom);
    ASSERT_EQ(g_listSlotCount, 6);
    List().FreeGdi();
    List().UpdateScrollBar();
    ms::test::GrabWindow(List().m_hWnd);
    EXPECT_EQ(DrawnNames().size(), 6u);
    EXPECT_EQ(List().CurrentList().firstVisible, 0);

    Picture("p6.png");
    dlg_->ListPicture(U(Pictures() / "p6.png").c_str());
    EXPECT_EQ(List().CurrentList().firstVisible, 1);
    EXPECT_EQ(DrawnNames(),
              (std::vector<std::string>{"p2.png", "p3.png", "p4.png", "p5.png", "p6.png"}));
    EXPECT_EQ(List().CurrentList().current, 6);
    SCROLLINFO si = Scroll();
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 3);
    EXPECT_EQ(si.nPage, 3u);
    EXPECT_EQ(si.nPos, 1);

    // Scrolling by rows, clamped to the range; the end of a scroll changes nothing.
    const struct {
        int code, row;
    } steps[] = {{SB_LINEDOWN, 2}, {SB_PAGEDOWN, 3}, {SB_ENDSCROLL, 3}, {SB_TOP, 0},
                 {SB_LINEUP, 0},   {SB_BOTTOM, 3},   {SB_PAGEUP, 0}};
    for (const auto& s : steps) {
        SendMessage(List().m_hWnd, WM_VSCROLL, MAKEWPARAM(s.code, 0), 0);
        EXPECT_EQ(List().CurrentList().firstVisible, s.row) << s.code;
    }
}

TEST_F(FileListTest, ClicksSelectAndOpenByTheListNotByTheName) {
    Picture("mp4shot.png");
    Recording("20260101000000.mp4");
    Open();
    Mouse(WM_LBUTTONDOWN, 0);
    WCHAR path[MAX_PATH];
    ASSERT_NE(List().GetSelectedPath(path), 0u);
    EXPECT_EQ(std::u16string(path), U(Pictures() / "mp4shot.png"));
    // A press beside every item clears the selection.
    Mouse(WM_LBUTTONDOWN, 5);
    EXPECT_EQ(List().GetSelectedPath(path), 0u);

    Mouse(WM_LBUTTONDBLCLK, 0);
    EXPECT_EQ(std::u16string(dlg_->m_selectedPath), U(Pictures() / "mp4shot.png"));
    SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_VIDEO_TAB, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dlg_->m_hWnd, IDC_VIDEO_TAB)));
    Mouse(WM_LBUTTONDBLCLK, 0);
    EXPECT_EQ(std::u16string(dlg_->m_selectedPath), U(Videos() / "20260101000000.mp4.png"));
    EXPECT_EQ(dlg_->opened, (std::vector<UINT>{WM_APP_SHOW_PICTURE, WM_APP_SHOW_VIDEO}));

    // A right click on an item shows the list menu; beside the items, nothing.
    ms::test::ChoosePopupCommand(0);
    Mouse(WM_RBUTTONDOWN, 0);
    ASSERT_EQ(ms::test::ShownMenus().size(), 1u);
    EXPECT_EQ(ms::test::ShownMenus()[0].menu, dlg_->ListMenu());
    Mouse(WM_RBUTTONDOWN, 5);
    EXPECT_EQ(ms::test::ShownMenus().size(), 1u);
}

TEST_F(FileListTest, SaveAsConvertsByTheTargetsEndingAndRefusesTheListsOwnFolder) {
    Picture("a.png", 80, 60);
    Recording("20260101000000.mp4");
    Open();
    ASSERT_TRUE(Select(0));

    // PNG to "B.JPG": a JPEG of the same size.
    ms::test::AnswerFileDialog(U(other_ / "B.JPG"));
    dlg_->OnSave();
    CDibImage jpeg(U(other_ / "B.JPG").c_str(), DIBIMAGE_TYPE_JPG);
    ASSERT_TRUE(jpeg.IsValid());
    EXPECT_EQ(jpeg.GetWidth(), 80u);
    EXPECT_EQ(jpeg.GetHeight(), 60u);
    // To "c.Png": the file as it is.
    ms::test::AnswerFileDialog(U(other_ / "c.Png"));
    dlg_->OnSave();
    std::ifstream a(Pictures() / "a.png", std::ios::binary), c(other_ / "c.Png", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}),
              std::string(std::istreambuf_iterator<char>(c), {}));

    // Into the picture folder itself: the message, and nothing written.
    const auto before = Names(Pictures());
    ms::test::AnswerFileDialog(U(Pictures() / "again.png"));
    dlg_->OnSave();
    EXPECT_EQ(CountBoxes(u"Can't save file to temp directory!"), 1);
    EXPECT_EQ(Names(Pictures()), before);

    // A picture that cannot be read is reported, not passed off as saved.
    WriteBytes(Pictures() / "a.png", std::string(100, 'x'));
    ms::test::PressInDialog(IDD_NOTICE, IDOK);
    EXPECT_FALSE(List().SaveSelectedAs(U(other_ / "d.jpg").c_str()));
    EXPECT_FALSE(fs::exists(other_ / "d.jpg"));
    ASSERT_FALSE(ms::test::ShownLog().empty());
    EXPECT_EQ(ms::test::ShownLog().back().templateId, static_cast<UINT>(IDD_NOTICE));

    // A recording is saved as its MP4; into the video folder it is refused.
    SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_VIDEO_TAB, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dlg_->m_hWnd, IDC_VIDEO_TAB)));
    ASSERT_TRUE(Select(0));
    ms::test::AnswerFileDialog(U(other_ / "clip.mp4"));
    dlg_->OnSave();
    std::ifstream clip(other_ / "clip.mp4", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(clip), {}), "mp4 data");
    ms::test::AnswerFileDialog(U(Videos() / "clip.mp4"));
    dlg_->OnSave();
    EXPECT_EQ(CountBoxes(u"Can't save file to temp directory!"), 2);
    EXPECT_FALSE(fs::exists(Videos() / "clip.mp4"));
}

TEST_F(FileListTest, DeleteTakesTheListedItemAndItsRecordingOnly) {
    Recording("20260101000000.mp4");
    Recording("20260101000100.mp4");
    WriteBytes(Videos() / "notes.txt", "kept");
    Open();
    SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_VIDEO_TAB, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dlg_->m_hWnd, IDC_VIDEO_TAB)));
    ASSERT_TRUE(Select(0));

    // Cancel keeps everything.
    ms::test::PressInDialog(IDD_CONFIRM, IDCANCEL);
    dlg_->OnFileDelete();
    EXPECT_EQ(Names(Videos()).size(), 5u);

    ms::test::PressInDialog(IDD_CONFIRM, IDOK);
    dlg_->OnFileDelete();
    EXPECT_EQ(Names(Videos()), (std::vector<std::string>{"20260101000100.mp4",
                                                         "20260101000100.mp4.png", "notes.txt"}));
    EXPECT_EQ(List().CurrentList().Count(), 1);

    // Nothing selected: the text, and no question.
    dlg_->OnFileDelete();
    EXPECT_EQ(CountBoxes(u"Please select an image or video"), 1);
}

// Delete All with a picture named "mp4shot.png" selected empties the picture list, and the
// video folder is not touched; files that are not listed stay.
TEST_F(FileListTest, DeleteAllDeletesExactlyTheListedItemsOfTheListShown) {
    Picture("mp4shot.png");
    Picture("b.png");
    WriteBytes(Pictures() / "readme.txt", "kept");
    Recording("20260101000000.mp4");
    Open();
    ASSERT_TRUE(Select(1));
    WCHAR selected[MAX_PATH];
    ASSERT_NE(List().GetSelectedPath(selected), 0u);
    ASSERT_EQ(std::u16string(selected), U(Pictures() / "mp4shot.png"));
    ms::test::PressInDialog(IDD_CONFIRM, IDOK);
    dlg_->OnFileDeleteAll();
    EXPECT_EQ(Names(Pictures()), (std::vector<std::string>{"readme.txt"}));
    EXPECT_EQ(Names(Videos()),
              (std::vector<std::string>{"20260101000000.mp4", "20260101000000.mp4.png"}));
    EXPECT_EQ(List().CurrentList().Count(), 0);
    EXPECT_EQ(List().List(0).Count(), 1);

    // The videos: each companion picture with its recording.
    SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_VIDEO_TAB, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dlg_->m_hWnd, IDC_VIDEO_TAB)));
    WriteBytes(Videos() / "other.bin", "kept");
    ASSERT_TRUE(Select(0));
    ms::test::PressInDialog(IDD_CONFIRM, IDOK);
    dlg_->OnFileDeleteAll();
    EXPECT_EQ(Names(Videos()), (std::vector<std::string>{"other.bin"}));
}

} // namespace
