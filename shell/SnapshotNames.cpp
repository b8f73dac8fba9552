#include "shell/SnapshotNames.h"

#include "shell/Magnification.h" // IsNumericText

#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"

#include <string>
#include <system_error>
#include <utility>

namespace {

// Keeps the next number (highest + 1) far from overflowing.
constexpr long long kNumberCap = 999'999'999'999'999'999LL;

// Leading digits as the runtime's decimal conversion reads them: blanks, an optional sign,
// then digits; 0 when there are none.
long long LeadingNumber(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = value >= kNumberCap / 10 ? kNumberCap : value * 10 + (text[i] - u'0');
    if (value > kNumberCap)
        value = kNumberCap;
    return negative ? -value : value;
}

} // namespace

long long SnapshotNumberOfName(const WCHAR* fileName) {
    if (!fileName)
        return -1;
    const std::u16string_view name(fileName);
    const size_t n = name.rfind(u'N');
    if (n == std::u16string_view::npos)
        return -1;
    // The text behind the "N", as much as a 64-character buffer holds.
    std::u16string_view tail = name.substr(n + 1, 63);
    // Cut at the last "." that is not the first character; without one only the first
    // character stays (the first character is never taken for the extension's dot).
    const size_t dot = tail.rfind(u'.');
    if (dot != std::u16string_view::npos && dot >= 1)
        tail = tail.substr(0, dot);
    else if (tail.size() > 1)
        tail = tail.substr(0, 1);
    return LeadingNumber(tail);
}

SnapshotScan ScanSnapshotNumbers(const WCHAR* folder, int imageFormat) {
    SnapshotScan scan;
    const std::u16string pattern =
        ms::Format(imageFormat == 1 ? u"%s/*.bmp" : u"%s/*.jpg", folder ? folder : u"");
    WIN32_FIND_DATA found{};
    HANDLE find = FindFirstFile(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return scan;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++scan.folders;
            continue;
        }
        const long long number = SnapshotNumberOfName(found.cFileName);
        if (number > scan.highest)
            scan.highest = number;
    } while (FindNextFile(find, &found));
    FindClose(find);
    return scan;
}

namespace {

// The folder's modification time; min() when it cannot be read.
std::filesystem::file_time_type FolderTime(std::u16string_view folder) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(ms::NativePath(folder), error);
    return error ? std::filesystem::file_time_type::min() : time;
}

bool SameFormat(int a, int b) {
    return (a == 1) == (b == 1);
}

} // namespace

SnapshotScan SnapshotNumbering::Scan(const WCHAR* folder, int imageFormat) {
    const std::u16string_view wanted(folder ? folder : u"");
    // A look made ahead serves this Scan or none: a later one may follow a change it missed.
    std::optional<Look> warmed = TakeWarmed();
    if (valid_ && wanted == folder_ && SameFormat(imageFormat, format_) &&
        FolderTime(folder_) == time_)
        return scan_;
    if (warmed && warmed->folder == wanted && SameFormat(warmed->format, imageFormat) &&
        FolderTime(wanted) == warmed->time) {
        folder_ = std::move(warmed->folder);
        format_ = imageFormat;
        time_ = warmed->time;
        scan_ = warmed->scan;
        valid_ = true;
        return scan_;
    }
    folder_ = wanted;
    format_ = imageFormat;
    // The time is taken before the listing, so a change during the listing shows next time.
    time_ = FolderTime(folder_);
    scan_ = ScanSnapshotNumbers(folder_.c_str(), imageFormat);
    valid_ = time_ != std::filesystem::file_time_type::min();
    return scan_;
}

// The look made ahead, if it has ended; a look still queued or under way is dropped, as the
// caller looks itself now.
std::optional<SnapshotNumbering::Look> SnapshotNumbering::TakeWarmed() {
    std::lock_guard lock(mutex_);
    std::optional<Look> look = std::move(warmed_);
    DropWarmed();
    return look;
}

void SnapshotNumbering::DropWarmed() {
    ++generation_;
    asked_.reset();
    warmed_.reset();
}

void SnapshotNumbering::Forget() {
    valid_ = false;
    std::lock_guard lock(mutex_);
    DropWarmed(); // a look from before the change Forget answers would miss it as well
}

void SnapshotNumbering::Warm(const WCHAR* folder, int imageFormat) {
    {
        std::lock_guard lock(mutex_);
        DropWarmed();
        Look look;
        look.folder = folder ? folder : u"";
        look.format = imageFormat;
        look.generation = generation_;
        asked_ = std::move(look);
    }
    if (!thread_.joinable())
        thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
    wake_.notify_all();
}

void SnapshotNumbering::WaitWarmed() {
    std::unique_lock lock(mutex_);
    settled_.wait(lock, [this] { return !asked_ && !looking_; });
}

void SnapshotNumbering::Run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (wake_.wait(lock, stop, [this] { return asked_.has_value(); }) &&
           !stop.stop_requested()) {
        Look look = std::move(*asked_);
        asked_.reset();
        looking_ = true;
        lock.unlock();
        // The time is taken before the listing, as Scan takes it.
        look.time = FolderTime(look.folder);
        look.scan = ScanSnapshotNumbers(look.folder.c_str(), look.format);
        lock.lock();
        looking_ = false;
        if (look.generation == generation_ && look.time != std::filesystem::file_time_type::min())
            warmed_ = std::move(look);
        settled_.notify_all();
    }
}

void SnapshotNumbering::Written(const WCHAR* folder, int imageFormat, long long number) {
    if (!valid_ || !folder || folder != folder_ || !SameFormat(imageFormat, format_))
        return;
    if (number > scan_.highest)
        scan_.highest = number;
    // The new file changed the folder's time. Another change made while the still was being
    // composed and written goes unseen here; the exclusive creation of each name keeps it
    // from being overwritten.
    time_ = FolderTime(folder_);
}

bool BuildSnapshotName(WCHAR* out, size_t capacity, const WCHAR* folder, const SYSTEMTIME& time,
                       const WCHAR* magnification, long long number, int imageFormat) {
    if (!out || capacity == 0)
        return false;
    out[0] = 0;
    const WCHAR* extension = imageFormat == 1 ? u".bmp" : u".jpg";
    const bool withMagnification =
        magnification && magnification[0] && IsNumericText(CString(magnification));
    const std::u16string name =
        withMagnification
            ? ms::Format(u"%s/%s%4d%s%02d%s%02d%s%02d%02d%02d%s%s%s%04lld%s", folder, u"Still_",
                         time.wYear, u"-", time.wMonth, u"-", time.wDay, u"_", time.wHour,
                         time.wMinute, time.wSecond, u"_", magnification, u"X_N", number, extension)
            : ms::Format(u"%s/%s%4d%s%02d%s%02d%s%02d%02d%02d%s%04lld%s", folder, u"Still_",
                         time.wYear, u"-", time.wMonth, u"-", time.wDay, u"_", time.wHour,
                         time.wMinute, time.wSecond, u"_N", number, extension);
    if (name.size() >= capacity)
        return false;
    name.copy(out, name.size());
    out[name.size()] = 0;
    return true;
}
