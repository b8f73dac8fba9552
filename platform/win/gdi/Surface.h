// The pixels of one custom-painted window: a QImage the size of its client area, drawn by
// GetDC/BeginPaint DCs from any thread and copied to the screen by the window's paint event.
//
// Frames: whoever paints the window (WM_PAINT on the UI thread, the capture thread's
// GetDC ... ReleaseDC) holds the surface for the whole frame with BeginFrame/EndFrame, so two
// painters never interleave. The screen shows the picture of the last finished frame
// (Presented), never one half drawn: a new camera frame appears together with its overlays.
// The surface is double-buffered: drawing goes to one picture, the screen reads the other,
// and presenting copies the drawn picture into the shown one where it already has the memory,
// so a live window draws each frame without allocating a picture or waiting for the screen.
//
// Life: a surface is shared by its window and by every DC drawing into it, so a DC taken on
// another thread never writes freed pixels. When the window dies it closes its surface: every
// DC on it becomes invalid (calls on it fail and touch nothing) and no new DC is made.
#pragma once

#include "platform/win/gdi/Gdi.h"

#include <QImage>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace ms {

class Surface {
public:
    explicit Surface(int width = 0, int height = 0);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface();

    // The picture being drawn, Format_RGB32. Hold Mutex() while reading or changing it from
    // outside a DC. Taking it for writing marks the picture as changed since it was presented.
    QImage& Image() {
        drawn_ = true;
        return image_;
    }
    const QImage& Image() const { return image_; }
    // The size of Image(); any thread, without the lock (GDI asks under its table lock).
    QSize Size() const;
    // Keeps what fits at the top left; new pixels are black.
    void Resize(int width, int height);
    std::recursive_mutex& Mutex() { return mutex_; }

    // Holds the surface for one frame; frames nest on one thread. EndFrame on the thread that
    // began it; the outermost EndFrame makes the picture the presented one.
    void BeginFrame();
    void EndFrame();
    // The last finished frame, as the screen shows it (a shallow copy: cheap, read-only).
    QImage Presented();
    // Presents the picture when no frame is being drawn (the paint event, before copying).
    void PresentIfIdle();

    // The window is gone: every DC on the surface becomes invalid, none is made any more.
    void Close();
    bool Closed();

    // At most one screen update queued per window: true when the caller should queue one
    // (none was pending); the queued update calls RepaintDone before it runs.
    bool RequestRepaint() { return !repaintQueued_.exchange(true); }
    void RepaintDone() { repaintQueued_ = false; }

private:
    void Present(); // frame_ held

    QImage image_;
    std::atomic<bool> drawn_{true}; // image_ may differ from presented_
    std::recursive_mutex mutex_;
    std::recursive_mutex frame_;
    int frameDepth_ = 0; // guarded by frame_
    std::mutex presentMutex_;
    QImage presented_;                   // guarded by presentMutex_; never image_'s pixels
    std::atomic<std::uint64_t> size_{0}; // width << 32 | height, as Resize left it
    bool closed_ = false;                // guarded by mutex_
    std::atomic<bool> repaintQueued_{false};
};

// A DC drawing into the surface, origin at the client's top left; it keeps the surface alive.
// Each call on the DC takes the surface's lock. Null when the surface is closed.
HDC CreateSurfaceDC(const std::shared_ptr<Surface>& surface);
void DeleteSurfaceDC(HDC hdc);
// A DC of the screen (GetDC(NULL)): answers device caps, fonts and GetDIBits; draws nothing.
HDC CreateScreenDC();

} // namespace ms
