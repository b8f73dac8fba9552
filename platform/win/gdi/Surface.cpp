// Window surfaces: their pixels, frames and presentation, and the DCs that draw into them.
#include "platform/win/gdi/Surface.h"

#include "gdi/GdiPriv.h"

#include <algorithm>
#include <cstring>

namespace ms {

using namespace gdi;

Surface::Surface(int width, int height) {
    Resize(width, height);
}

Surface::~Surface() {
    std::lock_guard lock(TableMutex());
    ForgetSurface(this, false);
}

QSize Surface::Size() const {
    const std::uint64_t s = size_.load();
    return QSize(static_cast<int>(s >> 32), static_cast<int>(s & 0xFFFFFFFFu));
}

void Surface::Resize(int width, int height) {
    std::lock_guard lock(mutex_);
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (image_.width() == width && image_.height() == height && !image_.isNull())
        return;
    QImage next(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    next.fill(0xFF000000u);
    if (width == 0 || height == 0)
        next = QImage(0, 0, QImage::Format_RGB32);
    const int w = std::min(width, image_.width()), h = std::min(height, image_.height());
    for (int y = 0; y < h; ++y)
        std::memcpy(next.scanLine(y), image_.constScanLine(y), static_cast<size_t>(w) * 4);
    image_ = std::move(next);
    drawn_ = true;
    size_ = (static_cast<std::uint64_t>(image_.width()) << 32) |
            static_cast<std::uint32_t>(image_.height());
}

void Surface::BeginFrame() {
    frame_.lock();
    ++frameDepth_;
}

void Surface::EndFrame() {
    if (--frameDepth_ == 0)
        Present();
    frame_.unlock();
}

void Surface::Present() {
    std::lock_guard lock(mutex_);
    if (!drawn_.exchange(false))
        return;
    std::lock_guard shown(presentMutex_);
    // The shown picture is reused while the screen holds no copy of it (a painting in
    // progress keeps its own); the drawn picture is never shared, so drawing never copies it.
    if (presented_.isDetached() && presented_.size() == image_.size() &&
        presented_.format() == image_.format() &&
        presented_.bytesPerLine() == image_.bytesPerLine())
        std::memcpy(presented_.bits(), image_.constBits(),
                    static_cast<size_t>(image_.sizeInBytes()));
    else
        presented_ = image_.copy();
}

void Surface::PresentIfIdle() {
    std::unique_lock frame(frame_, std::try_to_lock);
    if (frame.owns_lock() && frameDepth_ == 0)
        Present();
}

QImage Surface::Presented() {
    std::lock_guard lock(presentMutex_);
    return presented_;
}

void Surface::Close() {
    std::lock_guard pixels(mutex_);
    closed_ = true;
    std::lock_guard table(TableMutex());
    ForgetSurface(this, true);
}

bool Surface::Closed() {
    std::lock_guard lock(mutex_);
    return closed_;
}

HDC CreateSurfaceDC(const std::shared_ptr<Surface>& surface) {
    if (!surface)
        return nullptr;
    std::lock_guard pixels(surface->Mutex());
    if (surface->Closed())
        return nullptr;
    return NewDc(false, false, surface);
}

void DeleteSurfaceDC(HDC hdc) {
    DeleteDC(hdc);
}

} // namespace ms
