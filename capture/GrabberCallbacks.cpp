#include "capture/GrabberCallbacks.h"

#include "capture/AviRecorder.h"
#include "capture/CaptureWnd.h"

#include "platform/capture/Poster.h"

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
        // The still is the frame copied before this one. After a change of size (or before the
        // first frame) there is no whole frame of this size yet: this one is copied and the
        // request waits for the next.
        const bool haveWholeFrame = g_frameBuffer && g_frameInfo.biWidth == m_frameWidth &&
                                    g_frameInfo.biHeight == m_frameHeight &&
                                    g_frameInfo.biSizeImage == header.biSizeImage;
        if (!haveWholeFrame)
            handOver = false;
        // Header and bits change together, so a reader never sees a header that does not
        // match its bits.
        if (!handOver && buffer && length > 0 && static_cast<DWORD>(length) >= header.biSizeImage) {
            GrowFrameBuffer(static_cast<int>(length));
            if (g_frameBuffer && g_frameBufferCapacity >= length) {
                std::memcpy(g_frameBuffer, buffer, static_cast<size_t>(length));
                g_frameInfo = header;
                g_frameRect = RECT{0, 0, m_frameWidth, m_frameHeight};
                g_frameSampleTime = sampleTime;
            }
        }
    }
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
