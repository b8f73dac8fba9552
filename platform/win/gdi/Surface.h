// The pixels of one custom-painted window: a QImage the size of its client area, drawn by
// GetDC/BeginPaint DCs from any thread and copied to the screen by the window's paint event.
#pragma once

#include "platform/win/gdi/Gdi.h"

#include <QImage>
#include <mutex>

namespace ms {

class Surface {
public:
    explicit Surface(int width = 0, int height = 0);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface();

    // Format_RGB32. Hold Mutex() while reading or changing it from outside a DC.
    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }
    // Keeps what fits at the top left; new pixels are black.
    void Resize(int width, int height);
    std::recursive_mutex& Mutex() { return mutex_; }

private:
    QImage image_;
    std::recursive_mutex mutex_;
};

// A DC drawing into the surface, origin at the client's top left. The surface must outlive
// the DC. Each call on the DC takes the surface's lock.
HDC CreateSurfaceDC(Surface& surface);
void DeleteSurfaceDC(HDC hdc);
// A DC of the screen (GetDC(NULL)): answers device caps, fonts and GetDIBits; draws nothing.
HDC CreateScreenDC();

} // namespace ms
