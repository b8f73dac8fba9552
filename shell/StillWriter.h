// The composing, encoding and writing of stills, off the user-interface thread: the main
// window takes what a still is made of as values (the frame, copies of the live measurements
// and guides, the overlays: a StillScene) and hands it over with the file's name; one thread of
// the writer's own composes, encodes and writes the stills one after another, in the order
// given, and tells the window by a posted message that results wait. The window takes them with
// Take and lists, sounds or reports each, so the UI thread never waits for the compositor, an
// encoder or the disk and the preview keeps showing every frame meanwhile. Nothing handed over
// is lost: the destructor writes what is still queued before it ends its thread.
// The temporary files of stills that an earlier, killed run left half written are removed once
// per picture folder, before the first still written into it, so that a still's cost does not
// grow with the pictures the folder holds.
#pragma once

#include "shell/StillPicture.h"

#include "platform/win/WinTypes.h"
#include "platform/win/core/TempFiles.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// Writes `bitmap` (a 32-bit picture made with CreateCompatibleBitmap) to `path` as a JPEG of
// quality 90 when `jpeg` is true, else as a BMP. False when the picture cannot be read or the
// file cannot be written. `stale` as for ms::ReplacingFile. Any thread.
bool WriteStillPicture(HBITMAP bitmap, const std::u16string& path, bool jpeg,
                       ms::StaleTemps stale = ms::StaleTemps::RemoveOnCommit);

// Where a still goes, and what its name's numbering needs back once it is written.
struct StillTarget {
    std::u16string path; // the file to write; empty for nowhere
    bool jpeg = false;
    bool reserved = false; // path is an empty file of the window's, taken for this still
    long long number = 0;  // its sequence number in the picture folder
    std::u16string folder; // the picture folder and format the number was taken in
    int format = 0;
};

class StillWriter {
public:
    struct Still {
        std::unique_ptr<const StillScene> scene; // what to compose; let go once written
        StillTarget target;                      // reserved beforehand
        WPARAM source = 0;                       // as the hand-over's wParam
        bool shutter = false;                    // a written still plays the shutter sound
        bool written = false;                    // the result, once written
    };

    // `window` receives `message` (no parameters) whenever a result waits to be taken.
    StillWriter(HWND window, UINT message);
    StillWriter(const StillWriter&) = delete;
    StillWriter& operator=(const StillWriter&) = delete;
    ~StillWriter();

    void Write(Still still);
    // Returns once every still handed over so far is written and waits to be taken.
    void Wait();
    // The stills written since the last call, oldest first.
    std::vector<Still> Take();

    // Tests: runs on the writer's thread before each still is composed.
    static inline std::function<void(const Still&)> beforeWriteForTests;

private:
    void Run();

    HWND window_;
    UINT message_;
    std::mutex mutex_;
    std::condition_variable wake_;    // a still was queued, or the writer ends
    std::condition_variable settled_; // a still was written
    std::deque<Still> queue_;         // guarded by mutex_
    std::vector<Still> done_;         // guarded by mutex_
    bool busy_ = false;               // guarded by mutex_: a still is being written
    bool ending_ = false;             // guarded by mutex_
    std::set<std::u16string> swept_;  // the writer thread's: folders cleared of stale temps
    std::thread thread_;
};
