#include "media/PlaybackGraph.h"

#include "imaging/AviReader.h"

#include "platform/capture/CaptureTypes.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/WinUser.h"

#include <QLoggingCategory>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

Q_LOGGING_CATEGORY(lcPlayback, "ms.media.playback")

CPlaybackGraph::CPlaybackGraph() = default;
CPlaybackGraph::~CPlaybackGraph() {
    Release();
}

bool CPlaybackGraph::Create() {
    if (m_created)
        return false;
    m_created = true;
    m_state = State::Stopped;
    return true;
}

void CPlaybackGraph::StopWorker() {
    if (!m_thread.joinable())
        return;
    m_thread.request_stop();
    m_wake.notify_all();
    m_thread.join();
    m_thread = std::jthread();
}

void CPlaybackGraph::Release() {
    StopWorker();
    std::lock_guard lock(m_lock);
    m_reader.reset();
    m_display = m_notify = nullptr;
    m_frames = m_next = 0;
    m_fps = 0;
    m_created = false;
    m_state = State::Stopped;
}

bool CPlaybackGraph::RenderFile(LPCWSTR path) {
    if (!m_created)
        return false;
    StopWorker();
    auto reader = std::make_unique<ms::avi::AviReader>();
    const std::string file = path ? QString::fromUtf16(path).toStdString() : std::string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec) || !reader->Open(file)) {
        qCWarning(lcPlayback) << "playback:" << file.c_str()
                              << "cannot be played:" << reader->Error().c_str();
        m_renderError = RenderFailure::Unreadable;
        return false;
    }
    const long frames = reader->Frames();
    if (frames != reader->DeclaredFrames())
        qCWarning(lcPlayback) << "playback:" << file.c_str() << "holds" << frames
                              << "frames, its header declares" << reader->DeclaredFrames();
    if (frames == 0) {
        m_renderError = RenderFailure::NoFrames;
        return false;
    }
    m_renderError = RenderFailure::None;
    std::lock_guard lock(m_lock);
    m_fps = reader->FramesPerSecond();
    m_reader = std::move(reader);
    m_frames = frames;
    m_next = 0;
    ++m_seeks;
    m_state = State::Stopped;
    return true;
}

bool CPlaybackGraph::SetDisplayWindow(HWND hwnd) {
    if (!m_created)
        return false;
    RECT rc{};
    const bool usable = hwnd && GetClientRect(hwnd, &rc);
    std::lock_guard lock(m_lock);
    m_display = usable ? hwnd : nullptr;
    m_displayWidth = rc.right - rc.left;
    m_displayHeight = rc.bottom - rc.top;
    return hwnd == nullptr || usable;
}

bool CPlaybackGraph::SetNotifyWindow(HWND hwnd) {
    if (!m_created)
        return false;
    std::lock_guard lock(m_lock);
    m_notify = hwnd;
    return true;
}

bool CPlaybackGraph::Run() {
    if (!m_created || !m_reader)
        return false;
    if (m_state == State::Running)
        return true;
    StopWorker();
    m_state = State::Running;
    {
        std::lock_guard lock(m_lock);
        ++m_seeks; // the clock starts from here
    }
    m_thread = std::jthread([this](std::stop_token st) { Loop(st); });
    return true;
}

// Pause and Stop both end the worker and keep the position; they differ only in the state.
bool CPlaybackGraph::Halt(State to) {
    if (!m_created || !m_reader)
        return false;
    if (m_state == to)
        return true;
    StopWorker();
    m_state = to;
    if (to == State::Paused) {
        // A paused player shows where it stands (the first frame after opening).
        std::lock_guard lock(m_lock);
        ShowCurrentFrame();
    }
    return true;
}

bool CPlaybackGraph::Pause() {
    return Halt(State::Paused);
}
bool CPlaybackGraph::Stop() {
    return Halt(State::Stopped);
}

bool CPlaybackGraph::IsRunning() const {
    return m_created && m_reader && m_state == State::Running;
}
bool CPlaybackGraph::IsPaused() const {
    return m_created && m_reader && m_state == State::Paused;
}
bool CPlaybackGraph::IsStopped() const {
    return m_created && m_reader && m_state == State::Stopped;
}

bool CPlaybackGraph::GetPosition(double* seconds) const {
    std::lock_guard lock(m_lock);
    if (!m_reader)
        return false;
    *seconds = static_cast<double>(m_next) / m_fps;
    return true;
}

bool CPlaybackGraph::GetDuration(double* seconds) const {
    std::lock_guard lock(m_lock);
    if (!m_reader)
        return false;
    *seconds = static_cast<double>(m_frames) / m_fps;
    return true;
}

bool CPlaybackGraph::SetPosition(double seconds) {
    std::lock_guard lock(m_lock);
    if (!m_reader)
        return false;
    // Never past what the file holds: a seek there lands on its end.
    long frame = std::clamp<long>(std::lround(seconds * m_fps), 0, m_frames);
    m_next = frame;
    ++m_seeks;
    if (m_state == State::Paused)
        ShowCurrentFrame(); // a seek while paused shows the frame it lands on
    m_wake.notify_all();
    return true;
}

void CPlaybackGraph::ShowCurrentFrame() {
    if (!m_reader || m_frames == 0)
        return;
    PaintFrame(std::min(m_next, m_frames - 1));
    ++m_seeks; // the worker starts its clock again
}

bool CPlaybackGraph::PaintFrame(long index) {
    int w = 0, h = 0;
    if (!m_reader->ReadFrame(index, m_frame, &w, &h))
        return false;
    Paint(m_frame.data(), w, h, w * 3);
    return true;
}

long CPlaybackGraph::FramesPainted() const {
    std::lock_guard lock(m_lock);
    return m_painted;
}

void CPlaybackGraph::Paint(const void* bgr, int w, int h, int step) {
    if (!m_display)
        return;
    // A bottom-up 24-bit DIB with rows padded to four bytes.
    int stride = (w * 3 + 3) & ~3;
    std::vector<BYTE> dib(static_cast<size_t>(stride) * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(dib.data() + static_cast<size_t>(h - 1 - y) * stride,
                    static_cast<const BYTE*>(bgr) + static_cast<size_t>(y) * step,
                    static_cast<size_t>(w) * 3);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    // One DC per frame: the window shows a frame when its DC is released.
    HDC dc = GetDC(m_display);
    if (!dc)
        return;
    StretchDIBits(dc, 0, 0, m_displayWidth, m_displayHeight, 0, 0, w, h, dib.data(), &bi,
                  DIB_RGB_COLORS, SRCCOPY);
    ReleaseDC(m_display, dc);
    ++m_painted;
}

void CPlaybackGraph::Loop(std::stop_token st) {
    using Clock = std::chrono::steady_clock;
    long seeks = -1;
    long startFrame = 0;
    Clock::time_point start;
    std::unique_lock lock(m_lock);
    while (!st.stop_requested()) {
        if (seeks != m_seeks) {
            seeks = m_seeks;
            startFrame = m_next;
            start = Clock::now();
        }
        if (m_next >= m_frames || !PaintFrame(m_next)) {
            if (m_next < m_frames)
                qCWarning(lcPlayback) << "playback: frame" << m_next << "unreadable, ending";
            m_next = m_frames;
            if (m_notify)
                PostMessage(m_notify, WM_USER_PLAYBACK_EVENT, EC_COMPLETE, 0);
            break;
        }
        ++m_next;
        // The next frame is due at its own time from where playback (or the last seek) began.
        auto due = start + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>((m_next - startFrame) / m_fps));
        m_wake.wait_until(lock, st, due, [&] { return seeks != m_seeks; });
    }
}
