// The two sample-grabber callbacks and the frame state they hand to the user-interface thread.
//
// The frame grabber ("StillGrabber") sees every frame of the running graph on the streaming
// thread. It copies a frame with its header only when somebody needs one: when a still was
// requested it copies the frame that sees the request and posts WM_APP_STILL_CAPTURED, so the
// still is the first frame after the request and has the size of the frames now coming; a
// reader that needs the frame now coming (the export picture, a recording's first picture)
// asks through WaitForFrameCopy; and the first frame of every size is copied, so a reader
// always finds a frame of the size now streaming. Every other frame goes to the recorder and
// the preview straight from the graph's buffer. The still grabber ("SampleGrabber") sees the
// frames of the device's snapshot button and only raises the still request. Neither object
// counts references: both live for the whole process.
//
// g_frameLock guards the header, the rectangle, the buffer, its capacity, the copy request and
// the sample time together, so a reader never sees a header that does not match its bits or a
// buffer that is being enlarged. Nobody holds it while stopping the graph (the stop waits for
// the callback).
#pragma once

#include "platform/capture/Graph.h"
#include "platform/win/window/WinUser.h"

#include <atomic>
#include <chrono>
#include <mutex>

#define WM_APP_STILL_CAPTURED (WM_APP + 1)
#define WM_APP_GRAPH_EVENT (WM_APP + 3)

// What both callbacks answer alike: the two interfaces, no reference counting, and SampleCB,
// which the grabbers do not call (they are registered for BufferCB).
class CGrabberCallback : public ISampleGrabberCB {
public:
    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT SampleCB(double sampleTime, IMediaSample* sample) override;

protected:
    ~CGrabberCallback() = default;
};

class CCaptureWnd;

class CStillGrabberCallback : public CGrabberCallback {
public:
    HRESULT BufferCB(double sampleTime, BYTE* buffer, long length) override;
};

class CFrameGrabberCallback : public CGrabberCallback {
public:
    HRESULT BufferCB(double sampleTime, BYTE* buffer, long length) override;

    // Set by the capture window while the graph is stopped, read by the streaming thread.
    HWND m_rendererOwner = nullptr; // the thumbnail strip's window; stored only
    HWND m_notifyWindow = nullptr;  // receives WM_APP_STILL_CAPTURED
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    CCaptureWnd* m_painter = nullptr; // the capture window that built the path
};

extern CStillGrabberCallback g_stillGrabberCallback;
extern CFrameGrabberCallback g_frameGrabberCallback;

extern std::mutex g_frameLock;
extern BITMAPINFOHEADER g_frameInfo; // header of the last frame (24 bits, BI_RGB)
extern RECT g_frameRect;             // {0, 0, width, height} of the last frame
extern BYTE* g_frameBuffer;          // the last frame copied, or null
extern int g_frameBufferCapacity;    // bytes allocated for g_frameBuffer
extern double g_frameSampleTime;     // sample time of the last frame the callback saw

// 1: hand the next frame to the main window. A requester writes the source first.
extern std::atomic<int> g_snapshotRequest;
// 1 when the device's snapshot button raised the request, 0 for every other requester.
extern std::atomic<int> g_snapshotSource;

// 1: a saved still plays the shutter sound (the take-picture command sets it, the freeze of
// the live tools clears it).
extern std::atomic<int> g_snapshotPending;

// Makes g_frameBuffer at least `size` bytes; never shrinks it. Call with g_frameLock held.
void GrowFrameBuffer(int size);
// Frees the frame copy (the graph is stopped). Takes g_frameLock.
void FreeFrameBuffer();
// How long a reader waits for the frame now coming: several frames of the slowest sizes.
inline constexpr std::chrono::milliseconds kFrameCopyWait{300};
// Asks the frame callback to copy the next frame into g_frameBuffer and waits for that copy,
// at most `bound` (frames stop coming when a device is pulled). False when none came in time:
// g_frameBuffer then still holds the last frame copied. Takes g_frameLock; call it only while
// the graph runs, never on the streaming thread.
bool WaitForFrameCopy(std::chrono::milliseconds bound = kFrameCopyWait);
