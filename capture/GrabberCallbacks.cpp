#include "capture/GrabberCallbacks.h"

#include "capture/AviRecorder.h"
#include "capture/CaptureWnd.h"

#include "platform/capture/Poster.h"

#include <condition_variable>
#include <cstdlib>
#include <cstring>

CStillGrabberCallback g_stillGrabberCallback;
CFrameGrabberCallback g_frameGrabberCallback;

std::mutex g_frameLock;
BITMAPINFOHEADER g_frameInfo{};
RECT g_frameRect{};
BYTE* g_frameBuffer = nullptr;
int g_frameBufferCapacity = 0;
double g_frameSampleTime = 0;
std::atomic<int> g_snapshotRequest{0};
std::atomic<int> g_snapshotSource{0};
std::atomic<int> g_snapshotPending{0};

namespace {
// Guarded by g_frameLock: a reader waits for a copy of the frame now coming, and the copies
// made so far, by which the reader knows that its copy was made.
bool g_frameCopyWanted = false;
unsigned long long g_frameCopies = 0;
std::condition_variable g_frameCopied;
} // namespace

HRESULT CGrabberCallback::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_ISampleGrabberCB || iid == IID_IUnknown) {
        *out = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT CGrabberCallback::SampleCB(double, IMediaSample* sample) {
    BYTE* bits = nullptr;
    if (sample)
        sample->GetPointer(&bits);
    return 0;
}

HRESULT CStillGrabberCallback::BufferCB(double, BYTE*, long) {
    g_snapshotSource = 1;
    g_snapshotRequest = 1;
    return 0;
}

HRESULT CFrameGrabberCallback::BufferCB(double sampleTime, BYTE* buffer, long length) {
    bool handOver = g_snapshotRequest.load() == 1;
    bool copied = false;
    {
        std::lock_guard lock(g_frameLock);
        BITMAPINFOHEADER header{};
        header.biSize = sizeof(BITMAPINFOHEADER);
        header.biWidth = m_frameWidth;
        header.biHeight = m_frameHeight;
        header.biPlanes = 1;
        header.biBitCount = 24;
        header.biCompression = BI_RGB;
        header.biSizeImage =
            static_cast<DWORD>(m_frameWidth) * static_cast<DWORD>(m_frameHeight) * 3u;
        const bool haveWholeFrame = g_frameBuffer && g_frameInfo.biWidth == m_frameWidth &&
                                    g_frameInfo.biHeight == m_frameHeight &&
                                    g_frameInfo.biSizeImage == header.biSizeImage;
        g_frameSampleTime = sampleTime;
        // Header and bits change together, so a reader never sees a header that does not
        // match its bits.
        if ((handOver || g_frameCopyWanted || !haveWholeFrame) && buffer && length > 0 &&
            static_cast<DWORD>(length) >= header.biSizeImage) {
            GrowFrameBuffer(static_cast<int>(length));
            if (g_frameBuffer && g_frameBufferCapacity >= length) {
                std::memcpy(g_frameBuffer, buffer, static_cast<size_t>(length));
                g_frameInfo = header;
                g_frameRect = RECT{0, 0, m_frameWidth, m_frameHeight};
                copied = true;
                ++g_frameCopies;
                g_frameCopyWanted = false;
            }
        }
        // A frame that could not be copied is no still; the last copy is, when it has the size
        // of the frames now coming. Otherwise the request waits for a whole frame.
        if (handOver && !copied && !haveWholeFrame)
            handOver = false;
    }
    if (copied)
        g_frameCopied.notify_all();
    if (handOver) {
        const WPARAM source = static_cast<WPARAM>(g_snapshotSource.load());
        ms::capture::PostToWindow(m_notifyWindow, WM_APP_STILL_CAPTURED, source, 0);
        g_snapshotSource = 0;
        g_snapshotRequest = 0;
    }
    // While a recording runs every frame is offered to the writer, the handed-over one too.
    // Only frames that went into the video are counted (repeats too), so the counter follows
    // its length.
    if (g_recording.load() != 0)
        if (const int written =
                WriteAviFrame(length, buffer, m_frameWidth, m_frameHeight, sampleTime))
            g_recordFrameCount.fetch_add(written);
    if (m_painter)
        m_painter->PaintFrame(buffer, length, m_frameWidth, m_frameHeight);
    return 0;
}

void GrowFrameBuffer(int size) {
    if (size <= 0)
        return;
    if (g_frameBuffer && size <= g_frameBufferCapacity)
        return;
    std::free(g_frameBuffer);
    g_frameBuffer = static_cast<BYTE*>(std::malloc(static_cast<size_t>(size)));
    g_frameBufferCapacity = g_frameBuffer ? size : 0;
}

void FreeFrameBuffer() {
    std::lock_guard lock(g_frameLock);
    std::free(g_frameBuffer);
    g_frameBuffer = nullptr;
    g_frameBufferCapacity = 0;
}

bool WaitForFrameCopy(std::chrono::milliseconds bound) {
    std::unique_lock lock(g_frameLock);
    const unsigned long long before = g_frameCopies;
    g_frameCopyWanted = true;
    const bool copied =
        g_frameCopied.wait_for(lock, bound, [before] { return g_frameCopies != before; });
    if (!copied)
        g_frameCopyWanted = false;
    return copied;
}
