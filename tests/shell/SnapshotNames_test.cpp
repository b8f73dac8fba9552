// Snapshot names: the sequence number behind the last capital "N", the scan of the picture
// folder by format, and the "Still_" name with its date, time, magnification and number.
#include "shell/SnapshotNames.h"

#include "platform/win/core/WString.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::filesystem::path g_home = mstest::Home();
[[maybe_unused]] const std::filesystem::path g_program =
    mstest::NewProgramDir(mstest::ProgramFiles::None);

std::u16string U16(const fs::path& p) {
    const std::string s = p.string();
    return std::u16string(s.begin(), s.end());
}

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

void Touch(const fs::path& p) {
    std::ofstream(p) << "x";
}

SYSTEMTIME Clock() {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 7;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 1;
    return t;
}

std::u16string Name(const WCHAR* magnification, long long number, int format,
                    const WCHAR* folder = u"/p") {
    WCHAR out[MAX_PATH];
    EXPECT_TRUE(BuildSnapshotName(out, MAX_PATH, folder, Clock(), magnification, number, format));
    return out;
}

TEST(SnapshotNames, TheNumberIsTheTextBehindTheLastCapitalN) {
    const struct {
        const WCHAR* name;
        long long number;
    } cases[] = {
        {u"Still_2024-01-01_100000_N0009.jpg", 9},
        {u"Still_2024-01-02_090000_25X_N0010.jpg", 10},
        {u"Still_2024-01-01_100000_N12.jpg", 12},
        {u"Still_x_N9999.jpg", 9999},
        {u"Nature.jpg", 0},          // "ature" has no digits
        {u"scan12.jpg", -1},         // no capital N: not one of ours
        {u"Still_N5_N7.jpg", 7},     // the last N counts
        {u"Still_N3.backup.jpg", 3}, // only the last extension goes
        {u"N.jpg", 0},               // the first character is never the extension's dot
        {u"Still_N00012345678901234567890123.jpg", 999'999'999'999'999'999LL}, // capped
    };
    for (const auto& c : cases)
        EXPECT_EQ(SnapshotNumberOfName(c.name), c.number) << Narrow(c.name);
    // A text behind the N longer than the 63 characters looked at is cut, never overrun; with
    // its extension cut off, only its first character is left to count.
    const std::u16string longName = u"N1" + std::u16string(200, u'0') + u".jpg";
    EXPECT_EQ(SnapshotNumberOfName(longName.c_str()), 1);
}

TEST(SnapshotNames, OnlyPicturesOfTheSnapshotFormatCountAndFoldersAreReported) {
    const fs::path dir = g_home / "scan";
    fs::create_directories(dir / "old.jpg");
    Touch(dir / "Still_2024-01-01_100000_N0009.jpg");
    Touch(dir / "Still_2024-01-02_090000_25X_N0010.jpg");
    Touch(dir / "Nature.jpg");
    Touch(dir / "Still_2024-01-03_090000_N0042.JPG"); // the search ignores case, as Windows
    Touch(dir / "Still_2024-01-03_090000_N0077.png");
    const std::u16string folder = U16(dir);

    const SnapshotScan jpeg = ScanSnapshotNumbers(folder.c_str(), 2);
    EXPECT_EQ(jpeg.highest, 42);
    EXPECT_EQ(jpeg.folders, 1);
    const SnapshotScan bmp = ScanSnapshotNumbers(folder.c_str(), 1);
    EXPECT_EQ(bmp.highest, 0);
    EXPECT_EQ(bmp.folders, 0);
    const SnapshotScan missing = ScanSnapshotNumbers(U16(dir / "none").c_str(), 2);
    EXPECT_EQ(missing.highest, 0);

    // A lone 9999 is followed by 10000, printed in full.
    const fs::path lone = g_home / "lone";
    fs::create_directories(lone);
    Touch(lone / "Still_x_N9999.jpg");
    const long long next = ScanSnapshotNumbers(U16(lone).c_str(), 2).highest + 1;
    EXPECT_EQ(Name(u"", next, 2), u"/p/Still_2026-03-07_090501_N10000.jpg");
}

// The kept scan gives what a fresh scan gives: it counts on from the stills written and looks
// again when the folder changed (its time is set apart explicitly, as a coarse clock could
// give two changes the same time), when the format or folder differs, or after Forget.
TEST(SnapshotNames, TheKeptScanFollowsTheStillsAndEveryChangeOfTheFolder) {
    const fs::path dir = g_home / "kept";
    fs::create_directories(dir);
    Touch(dir / "Still_a_N0004.jpg");
    const std::u16string folder = U16(dir);
    const auto stamp = fs::last_write_time(dir);
    SnapshotNumbering numbering;
    EXPECT_EQ(numbering.Scan(folder.c_str(), 2).highest, 4);

    Touch(dir / "Still_b_N0005.jpg");
    numbering.Written(folder.c_str(), 2, 5);
    EXPECT_EQ(numbering.Scan(folder.c_str(), 2).highest, 5);
    // A still written into another folder or format, which was the kept one when its number
    // was taken, counts nothing here.
    numbering.Written(u"/elsewhere", 2, 90);
    numbering.Written(folder.c_str(), 1, 91);
    EXPECT_EQ(numbering.Scan(folder.c_str(), 2).highest, 5);

    fs::remove(dir / "Still_b_N0005.jpg"); // a deletion frees the number again, as a scan says
    fs::last_write_time(dir, stamp + std::chrono::seconds(10));
    EXPECT_EQ(numbering.Scan(folder.c_str(), 2).highest, 4);

    Touch(dir / "Still_c_N0020.jpg");
    fs::last_write_time(dir, stamp + std::chrono::seconds(20));
    EXPECT_EQ(numbering.Scan(folder.c_str(), 2).highest, 20);
    EXPECT_EQ(numbering.Scan(folder.c_str(), 1).highest, 0);

    // Unseen by the folder's time, seen after Forget.
    Touch(dir / "Still_d_N0030.jpg");
    fs::last_write_time(dir, stamp + std::chrono::seconds(20));
    EXPECT_EQ(numbering.Scan(folder.c_str(), 1).highest, 0);
    numbering.Forget();
    EXPECT_EQ(numbering.Scan(folder.c_str(), 2).highest, 30);
}

// A look made ahead on the numbering's thread serves the next Scan only while it still holds
// what a look now would give: never after a change the folder's time shows, for another format
// or after Forget. Changes hidden from the folder's time show which look a Scan reports.
TEST(SnapshotNames, AWarmedLookServesOnlyTheNextScanOfTheUnchangedFolder) {
    const fs::path dir = g_home / "warmed";
    fs::create_directories(dir);
    Touch(dir / "Still_a_N0004.jpg");
    Touch(dir / "Still_a_N0002.bmp");
    const std::u16string folder = U16(dir);
    const auto stamp = fs::last_write_time(dir);
    // A still of `number` appears after the look, the folder's time set to `time`.
    const auto appear = [&](int number, fs::file_time_type time) {
        Touch(dir / ("Still_b_N" + std::to_string(number) + ".jpg"));
        fs::last_write_time(dir, time);
    };
    struct Case {
        const char* what;
        int scanFormat;
        fs::file_time_type after; // the folder's time once the still appeared
        bool forget;
        bool warmedServes; // else the Scan looks itself
    };
    const Case cases[] = {
        {"unchanged by its time", 2, stamp, false, true},
        {"changed", 2, stamp + std::chrono::seconds(10), false, false},
        {"another format", 1, stamp, false, false},
        {"forgotten", 2, stamp, true, false},
    };
    int number = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::last_write_time(dir, stamp);
        SnapshotNumbering numbering;
        numbering.Warm(folder.c_str(), 2);
        numbering.WaitWarmed();
        const long long warmed = ScanSnapshotNumbers(folder.c_str(), 2).highest;
        appear(++number, c.after);
        if (c.forget)
            numbering.Forget();
        const long long fresh = ScanSnapshotNumbers(folder.c_str(), c.scanFormat).highest;
        EXPECT_EQ(numbering.Scan(folder.c_str(), c.scanFormat).highest,
                  c.warmedServes ? warmed : fresh);
    }
    // Only the first Scan after the Warm takes its look: once the folder's time moved on and
    // back, the kept scan's own look counts.
    fs::last_write_time(dir, stamp);
    SnapshotNumbering numbering;
    numbering.Warm(folder.c_str(), 2);
    numbering.WaitWarmed();
    EXPECT_EQ(numbering.Scan(folder.c_str(), 1).highest, 2);
    appear(++number, stamp);
    EXPECT_EQ(numbering.Scan(folder.c_str(), 2).highest, number);
}

TEST(SnapshotNames, TheMagnificationGoesInOnlyWhenItIsANumber) {
    EXPECT_EQ(Name(u"25", 11, 2), u"/p/Still_2026-03-07_090501_25X_N0011.jpg");
    EXPECT_EQ(Name(u"12.5", 3, 1), u"/p/Still_2026-03-07_090501_12.5X_N0003.bmp");
    EXPECT_EQ(Name(u"", 1, 2), u"/p/Still_2026-03-07_090501_N0001.jpg");
    EXPECT_EQ(Name(nullptr, 1, 1), u"/p/Still_2026-03-07_090501_N0001.bmp");
    for (const WCHAR* typed : {u"1/2", u"../x", u"25 ", u"abc", u"-5"})
        EXPECT_EQ(Name(typed, 7, 2), u"/p/Still_2026-03-07_090501_N0007.jpg");
}

TEST(SnapshotNames, ANameThatDoesNotFitIsRefusedWhole) {
    const std::u16string folder(223, u'a'); // 257 characters without the magnification
    WCHAR out[MAX_PATH];
    EXPECT_FALSE(BuildSnapshotName(out, MAX_PATH, folder.c_str(), Clock(), u"25", 1, 2));
    EXPECT_EQ(out[0], 0);
    EXPECT_TRUE(BuildSnapshotName(out, MAX_PATH, folder.c_str(), Clock(), u"", 1, 2));
}

} // namespace
