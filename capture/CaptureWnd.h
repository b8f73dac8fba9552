// The live-video window of Tessary and the owner of its capture graph: one object,
// g_captureWnd, bound to the main window's preview control and alive for the whole process.
//
// The graph never shows video through a renderer window: each branch ends in a sample grabber
// whose callback receives the frames, and the renderer windows the branches bring are parked
// hidden and zero-sized under the thumbnail strip. States of the graph: none, built (the
// capture filter added), configured (format set, grabber paths connected), running. Changes
// of size and of the snapshot switch go through stop, teardown, configure and run again (run
// only when it ran before); a change of device releases the whole graph and builds it anew.
//
// Every member runs on the user-interface thread; the streaming thread reaches the window only
// through the frame callback. Results are 1 for success and 0 for failure unless an HRESULT is
// named. Nothing here shows a message: the main window shows its no-device state instead, and
// is told by WM_APP_FORMAT_NOT_STORED when a chosen size could not be stored.
#pragma once

#include "capture/CaptureDevices.h"
#include "capture/CaptureFormat.h"
#include "capture/CrossbarRouter.h"
#include "capture/GrabberCallbacks.h"

#include "capture/LiveViewState.h"

#include "platform/capture/Capture.h"
#include "platform/mfc/AfxWin.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// Seconds counted in the running AVI recording, 0 outside one; drawn on the live view.
extern std::atomic<int> g_recordSeconds;

// Posted to the notify window when a size the operator chose could not be stored in
// "CapConfig.dat" (wParam and lParam 0): the size holds until the program ends, and the
// window tells the operator once. A further failure posts again only after a write succeeded.
#define WM_APP_FORMAT_NOT_STORED (WM_APP + 15)

// Who chose a capture size: the operator's size is stored in "CapConfig.dat" and comes back at
// the next start; a recording's size holds only in this process, so that a recording killed
// before it could switch back leaves the operator's size for the next start.
enum class SizeChoice { Operator, Recording };

class CCaptureWnd : public CWnd {
public:
    CCaptureWnd();
    ~CCaptureWnd() override;

    // The main window, which receives the graph events and the still hand-over, and the
    // thumbnail strip's window (null when there is none), owner of the parked renderers.
    void SetWindows(HWND notifyWindow, HWND rendererOwner);

    HRESULT CreateDeviceEnumerator();
    // 1 when a device is current afterwards. The current device stays current while it is
    // listed, under its new position; otherwise the first listed device becomes current. When
    // no device can be listed the table stays as it was.
    int EnumerateDevices();
    CaptureDeviceInfo* GetDeviceTable() { return m_devices; }
    int DeviceCount() const { return m_deviceCount; }
    const CaptureDeviceInfo* CurrentDevice() const { return m_currentDevice; }
    const WCHAR* DeviceIdText() const { return m_deviceIdText; }
    // 1 while the current device is plugged in; a device found missing clears the id text.
    int IsDevicePresent();

    int BuildGraph();
    int ConfigureFormat();
    int Run();
    int Stop();
    // Stops and runs the configured graph again; 0.
    int Restart();
    int TearDownGraph();
    void ReleaseGraph();
    // Switches to table entry `index`: releases the graph, builds, configures and runs it for
    // the new device and repaints the preview. Nothing happens for an empty entry or for the
    // current device. 1 when the new device runs.
    int SelectDevice(int index);
    // Sets g_snapEnable and rebuilds the grabber paths; 0.
    int SetSnapshotEnabled(int on);
    void HandleGraphEvent();
    // 1 (S_FALSE) when there is no capture filter, else the result of the query.
    HRESULT QueryVideoProcAmp(std::shared_ptr<IAMVideoProcAmp>* procAmp);

    // The capture format.
    // The result of the format read or write; 0 on success and when there is no stream config.
    // The size holds for every later configuration of this process, whether or not it could
    // be stored; only an operator's size is stored.
    HRESULT SetResolution(int width, int height, SizeChoice choice = SizeChoice::Operator);
    void FillDefaultFormat(VIDEOINFOHEADER* format);
    // 1 when "CapConfig.dat" now holds the current format. A failure posts
    // WM_APP_FORMAT_NOT_STORED unless the last write failed too.
    int SaveFormatConfig();
    // 1 when the file holds 88 bytes of a format in range (IsCapConfigInRange), which then
    // is the current format; 0, the current format unchanged, for a missing, short or
    // out-of-range file.
    int LoadFormatConfig();
    HRESULT SetFrameRate(int framesPerSecond);
    const VIDEOINFOHEADER& CurrentFormat() const { return m_format; }
    // "CapConfig.dat" in the program folder.
    static std::u16string FormatConfigPath();

    // The grabber paths (HRESULTs): the frame path "StillGrabber" and the path of the
    // device's snapshot button "SampleGrabber".
    HRESULT BuildStillPath();
    HRESULT BuildSnapshotPath();
    HRESULT AddStillGrabber(const std::shared_ptr<IBaseFilter>& captureFilter);
    HRESULT AddSampleGrabber(const std::shared_ptr<IBaseFilter>& captureFilter);

    // State, for the windows that show it and for tests.
    int IsConfigured() const { return m_formatConfigured; }
    int IsRunning() const { return m_running; }
    int HasStillPin() const { return m_hasStillPin; }
    int CrossbarRouteCount() const { return m_crossbarRouteCount; }
    const CCrossbarRouter* CrossbarRouter() const { return m_crossbarRouter.get(); }
    const std::shared_ptr<IGraphBuilder>& Graph() const { return m_graph; }
    const std::shared_ptr<IBaseFilter>& Filter() const { return m_captureFilter; }

    // The length scale and magnification of the live picture (g_liveScale, g_liveZoom), UI
    // thread; the live view's painter draws from their copy in the main window's
    // LiveViewSnapshot (PublishLiveOverlays).
    double m_liveScale = 0.02963;
    double m_liveZoom = 21.0;
    double m_zoom = 1.0, m_savedZoom = 1.0;
    double m_stretchX = 1.0, m_stretchY = 1.0;

    // Live view painting. The memory bitmap holds each frame with what is drawn over it; the
    // window gets it in one blit, the status texts on top. PaintFrame runs on the streaming
    // thread; the memory bitmap's creation, deletion and the paint handler run on the UI
    // thread. m_paintLock keeps them apart and is always taken after the window's surface
    // (GetDC or BeginPaint first), so the two threads never wait on each other crosswise.
    // 0 when there is no memory bitmap yet, no frame, or a buffer shorter than its size says.
    int PaintFrame(const BYTE* bits, long length, int width, int height);
    int CreateMemoryDC();
    void DeleteMemoryDC();
    void ClearMemoryDC();
    void EnterFullScreen();
    void LeaveFullScreen();
    void DrawStatusText(HDC dc, const RECT& client, const LiveViewSnapshot& shown);
    void DrawRestoreHint(HDC dc, const RECT& client, const LiveViewSnapshot& shown);
    void DrawCounter(HDC dc, const RECT& client, const LiveViewSnapshot& shown);
    // The main window's state that the painter draws from (texts, fonts, full screen); borrowed,
    // it must outlive the capture window's painting. Null: nothing but the picture is drawn.
    void SetLiveView(const CLiveViewState* state) { m_liveView = state; }
    const CLiveViewState* LiveView() const { return m_liveView.load(); }

    // The overlays over the live picture, in the order the painter draws them; each draws
    // nothing while its switch is off. `client` is the capture window's client rectangle.
    // Pens, brushes, fonts, colours and modes are put back.
    static void DrawDateTime(HDC dc, const RECT& client, const LiveViewSnapshot& shown);
    static void DrawCrossLine(HDC dc, const RECT& client, const LiveViewSnapshot& shown);
    static void DrawScaleBar(HDC dc, const RECT& client, const LiveViewSnapshot& shown);
    static void DrawCircleTemplate(HDC dc, const RECT& client, const LiveViewSnapshot& shown);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    HRESULT AddGrabber(const std::shared_ptr<IBaseFilter>& captureFilter,
                       std::shared_ptr<ISampleGrabber>& grabber, const WCHAR* name,
                       ISampleGrabberCB* callback, bool frameGrabber);
    void ParkVideoWindow(const std::shared_ptr<IVideoWindow>& window);
    void ReleaseVideoWindows();
    void RemoveDownstream(const std::shared_ptr<IBaseFilter>& filter);
    void SetDeviceIdText(const CaptureDeviceInfo& entry);
    void ClearDeviceIdText();

    std::shared_ptr<IAMVfwCaptureDialogs> m_vfwDialogs;
    std::shared_ptr<IAMStreamConfig> m_streamConfig;
    std::shared_ptr<IAMCrossbar> m_crossbar;
    std::shared_ptr<IBaseFilter> m_captureFilter;
    std::shared_ptr<IGraphBuilder> m_graph;
    std::shared_ptr<ICaptureGraphBuilder2> m_builder;
    std::shared_ptr<IVideoWindow> m_stillVideoWindow;
    std::shared_ptr<IMediaEventEx> m_graphEvents;
    std::shared_ptr<IVideoWindow> m_frameVideoWindow;
    std::shared_ptr<ISampleGrabber> m_stillGrabber; // "SampleGrabber"
    std::shared_ptr<ISampleGrabber> m_frameGrabber; // "StillGrabber"
    std::shared_ptr<ICreateDevEnum> m_deviceEnumerator;
    // The size a configuration applies: a recording's, else the operator's of this process,
    // else none (the file decides). Null when none.
    const VIDEOINFOHEADER* ChosenFormat() const;

    VIDEOINFOHEADER m_format{};
    // The operator's last size in this process and the file it was meant for: it stands in for
    // that file, so a size that could not be stored still holds until the program ends.
    struct OperatorFormat {
        std::u16string path;
        VIDEOINFOHEADER format;
    };
    std::optional<OperatorFormat> m_operatorFormat;
    // A recording's size: it holds until an operator's size is set or the graph is released.
    std::optional<VIDEOINFOHEADER> m_recordingFormat;
    bool m_storeFailed = false; // the last write of "CapConfig.dat" failed and was reported
    int m_deviceCount = 0;
    CaptureDeviceInfo m_devices[kMaxCaptureDevices];
    CaptureDeviceInfo* m_currentDevice = nullptr;
    std::unique_ptr<CCrossbarRouter> m_crossbarRouter;
    int m_crossbarRouteCount = 0;
    HWND m_notifyWindow = nullptr;
    HWND m_rendererOwner = nullptr;
    WCHAR m_deviceIdText[kDeviceTextLength]{};
    int m_formatConfigured = 0;
    int m_running = 0;
    int m_hasStillPin = 0;

    std::mutex m_paintLock; // the memory DC, its bitmaps and the window it paints
    HDC m_memDC = nullptr;
    HBITMAP m_memBitmap = nullptr;
    HBITMAP m_oldBitmap = nullptr;
    HWND m_paintWindow = nullptr; // the window the memory DC was made for
    std::atomic<const CLiveViewState*> m_liveView{nullptr};
};

extern CCaptureWnd g_captureWnd;
