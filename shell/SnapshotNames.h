// Names of the pictures the snapshot compositor writes, and the sequence number that makes
// each snapshot's name new: "Still_" with the date, the time, the magnification when one is
// entered and "_N" with the number, which runs on across days, magnifications and deletions
// because it always exceeds every number among the pictures of the same format.
// No window is needed here: the main window shows what the scan reports.
#pragma once

#include "platform/win/WinTypes.h"

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

// The number behind the last capital "N" of a file name: the text behind it (at most 63
// characters are looked at) loses its extension, from the last "." on, and its leading digits
// count, 0 when there are none ("Nature.jpg" gives 0). -1 when the name holds no capital "N".
// Numbers are capped far below the 64-bit limit, so the next number always exists.
long long SnapshotNumberOfName(const WCHAR* fileName);

struct SnapshotScan {
    long long highest = 0; // the highest number found, 0 for none
    int folders = 0;       // entries matching the pattern that are folders (not counted)
};

// Looks at the pictures of the snapshot format in `folder`: "*.bmp" when imageFormat is 1,
// else "*.jpg" (case-insensitive).
SnapshotScan ScanSnapshotNumbers(const WCHAR* folder, int imageFormat);

// The scan of the picture folder kept between stills, so that a still does not look through a
// folder of thousands of pictures. The folder is looked through again when it or the format
// differs from the last still's, when its modification time shows that entries were added,
// removed or renamed since the last look, or after Forget; otherwise the kept scan counts on
// from the stills written meanwhile. The number thus stays the one a scan would give, except
// after a change made while a still was being written or within the file system's time
// granularity: the caller therefore creates each name exclusively and calls Forget when it is
// taken, so that no still ever replaces another file.
// Warm looks through a folder ahead, on a thread of the numbering's own, so that the first still
// after the start or after a change of folder or format need not look on the caller's thread:
// the next Scan, when it would look itself, takes that look's result instead if the look has
// ended, is of the folder and format wanted and the folder's time is still the one taken before
// it; otherwise (the look not yet ended too) Scan looks as before. Only the first Scan after a
// Warm may take its result.
class SnapshotNumbering {
public:
    SnapshotNumbering() = default;
    SnapshotNumbering(const SnapshotNumbering&) = delete;
    SnapshotNumbering& operator=(const SnapshotNumbering&) = delete;

    // What ScanSnapshotNumbers(folder, imageFormat) would report now.
    SnapshotScan Scan(const WCHAR* folder, int imageFormat);
    // A still of `number` was written into `folder` in `imageFormat`; counted only when that is
    // the folder and format of the last Scan (the folder may have changed while it was written).
    void Written(const WCHAR* folder, int imageFormat, long long number);
    // The next Scan looks through the folder itself.
    void Forget();
    // Starts looking through `folder` for the next Scan, replacing an earlier Warm's look.
    void Warm(const WCHAR* folder, int imageFormat);
    // Tests: returns once no look of Warm's is queued or under way.
    void WaitWarmed();

private:
    struct Look {
        std::u16string folder;
        int format = 0;
        unsigned generation = 0;                // a look asked for before the last drop is not kept
        std::filesystem::file_time_type time{}; // the folder's, taken before the listing
        SnapshotScan scan;
    };
    void Run(std::stop_token stop);
    std::optional<Look> TakeWarmed();
    void DropWarmed(); // under mutex_

    bool valid_ = false;
    std::u16string folder_;
    int format_ = 0;
    SnapshotScan scan_;
    std::filesystem::file_time_type time_{};

    std::mutex mutex_;
    std::condition_variable_any wake_; // a look was asked for, or the numbering ends
    std::condition_variable settled_;  // a look ended
    unsigned generation_ = 0;          // guarded by mutex_
    std::optional<Look> asked_;        // guarded by mutex_: the look to make next
    std::optional<Look> warmed_;       // guarded by mutex_: the last look made
    bool looking_ = false;             // guarded by mutex_
    // Started with the first Warm. Last, so that it ends (after a listing under way) before
    // what it uses goes.
    std::jthread thread_;
};

// "<folder>/Still_YYYY-MM-DD_hhmmss_N####.jpg", with a magnification text M
// "<folder>/Still_YYYY-MM-DD_hhmmss_MX_N####.jpg", ".bmp" when imageFormat is 1. The number
// has at least four digits. The magnification goes in only when it is not empty and
// IsNumericText accepts it, so a typed text never puts a '/' or other stray character into
// the name. False when the name does not fit into `capacity` characters (nothing is cut).
bool BuildSnapshotName(WCHAR* out, size_t capacity, const WCHAR* folder, const SYSTEMTIME& time,
                       const WCHAR* magnification, long long number, int imageFormat);
