#include "shell/StillWriter.h"

#include "imaging/DibImage.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/WinUser.h"

#include <string_view>
#include <utility>

bool WriteStillPicture(HBITMAP bitmap, const std::u16string& path, bool jpeg,
                       ms::StaleTemps stale) {
    CDibImage picture(0);
    if (!bitmap || path.empty() || !picture.CreateFromBitmap(bitmap))
        return false;
    if (!jpeg)
        return picture.SaveToFile(path.c_str(), DIBIMAGE_TYPE_BMP, stale);
    picture.SetJpegLevel(90);
    return picture.SaveToFile(path.c_str(), DIBIMAGE_TYPE_JPG, stale);
}

namespace {

// A still's picture, whatever its format.
bool IsStillName(std::string_view name) {
    const std::u16string wide = ms::FromUtf8(name);
    return ms::MatchWildcard(u"Still_*.jpg", wide) || ms::MatchWildcard(u"Still_*.bmp", wide);
}

// The folder part of a still's path.
std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.rfind(u'/');
    return slash == std::u16string::npos ? u"." : path.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

StillWriter::StillWriter(HWND window, UINT message) : window_(window), message_(message) {
    thread_ = std::thread([this] { Run(); });
}

StillWriter::~StillWriter() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    // Stills written but never taken stay in their files; only the window's word is missing.
    thread_.join();
}

void StillWriter::Write(Still still) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(still));
    }
    wake_.notify_all();
}

void StillWriter::Wait() {
    std::unique_lock lock(mutex_);
    settled_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

std::vector<StillWriter::Still> StillWriter::Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(done_, {});
}

void StillWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // What is queued is written even when the writer ends.
        wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Still still = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        if (beforeWriteForTests)
            beforeWriteForTests(still);
        // A killed run's half-written stills go once per folder; the stills written here need
        // no look through the folder each: a failed write removes its own temporary file.
        if (const std::u16string folder = FolderOf(still.target.path); swept_.insert(folder).second)
            ms::RemoveStaleTempsIn(ms::NativePath(folder), IsStillName);
        HBITMAP bitmap = still.scene ? ComposeStill(*still.scene) : nullptr;
        still.scene.reset();
        still.written =
            WriteStillPicture(bitmap, still.target.path, still.target.jpeg, ms::StaleTemps::Leave);
        if (bitmap)
            DeleteObject(bitmap);
        lock.lock();
        done_.push_back(std::move(still));
        busy_ = false;
        settled_.notify_all();
        // Posted under the lock: the window's Take after it finds this still.
        if (window_)
            PostMessage(window_, message_, 0, 0);
    }
}
