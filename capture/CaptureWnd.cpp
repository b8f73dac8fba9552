#include "capture/CaptureWnd.h"

#include "capture/LiveShapes.h"
#include "capture/Pins.h"

#include "measure/Units.h"

#include "kit/RegistrySettings.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cstring>

Q_LOGGING_CATEGORY(lcCapture, "ms.capture")

CCaptureWnd g_captureWnd;
std::atomic<int> g_recordSeconds{0};

namespace {
// The drawing context of one frame: the main window's scale and units, and the frame's size
// as the capture size.
LiveDrawContext LiveContextOf(const LiveViewSnapshot& shown, int width, int height) {
    LiveDrawContext context;
    context.scaleX = shown.previewScaleX;
    context.scaleY = shown.previewScaleY;
    context.unit = shown.unitName;
    context.decimals = shown.decimalPlaces;
    context.liveZoom = shown.liveZoom;
    context.has1600x1200 = g_has1600x1200;
    context.captureWidth = width;
    context.captureHeight = height;
    return context;
}

// The client rows a frame is stretched over. A 1280 x 1024 frame keeps its 5:4 shape: its
// preview runs over 640 x 512, so it is drawn 512 preview rows high at the preview's scale,
// as the shapes over it are (in the 640 x 480 preview its lowest 32 rows lie below the
// window; in full screen, where the scale is the screen height / 512, it fills the screen).
int FrameRowsShown(const RECT& client, const LiveViewSnapshot& shown, int width, int height) {
    if (width != 1280 || height != 1024)
        return client.bottom;
    const double rows = 512 * shown.previewScaleY;
    return rows >= 1.0 && rows < 65536.0 ? static_cast<int>(rows) : client.bottom + 32;
}

std::u16string BoundedText(const WCHAR* text, size_t cap) {
    size_t n = 0;
    while (n < cap && text[n])
        ++n;
    return std::u16string(text, n);
}
} // namespace

BEGIN_MESSAGE_MAP(CCaptureWnd, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
END_MESSAGE_MAP()

CCaptureWnd::CCaptureWnd() = default;

CCaptureWnd::~CCaptureWnd() {
    ReleaseGraph();
}

int CCaptureWnd::OnCreate(LPCREATESTRUCT cs) {
    return CWnd::OnCreate(cs) == -1 ? -1 : 0;
}

LRESULT CCaptureWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY || msg == WM_CLOSE || msg == WM_NCDESTROY)
        DeleteMemoryDC();
    return CWnd::WindowProc(msg, wp, lp);
}

void CCaptureWnd::OnPaint() {
    if (!m_memDC)
        CreateMemoryDC();
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    {
        std::lock_guard lock(m_paintLock);
        if (m_memDC)
            ::BitBlt(dc, 0, 0, client.right, client.bottom, m_memDC, 0, 0, SRCCOPY);
    }
    const CLiveViewState* state = m_liveView.load();
    const LiveViewSnapshot shown = state ? state->Snapshot() : LiveViewSnapshot{};
    // The overlays and guides as they are now, also while no frame arrives.
    DrawDateTime(dc, client, shown);
    DrawCrossLine(dc, client, shown);
    DrawScaleBar(dc, client, shown);
    DrawCircleTemplate(dc, client, shown);
    DrawGuideShapes(dc, CopyLiveLists().guides,
                    LiveContextOf(shown, g_captureWidth, g_captureHeight));
    DrawStatusText(dc, client, shown);
    DrawRestoreHint(dc, client, shown);
    ::EndPaint(m_hWnd, &ps);
}

// ---- Live view ----

int CCaptureWnd::CreateMemoryDC() {
    HDC windowDC = ::GetDC(m_hWnd);
    if (!windowDC)
        return 0;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    {
        std::lock_guard lock(m_paintLock);
        if (m_memDC) {
            ::SelectObject(m_memDC, m_oldBitmap);
            ::DeleteObject(m_memBitmap);
            ::DeleteDC(m_memDC);
        }
        m_memDC = ::CreateCompatibleDC(windowDC);
        m_memBitmap = ::CreateCompatibleBitmap(windowDC, client.right, client.bottom);
        m_oldBitmap = static_cast<HBITMAP>(::SelectObject(m_memDC, m_memBitmap));
        m_paintWindow = m_hWnd;
    }
    ::ReleaseDC(m_hWnd, windowDC);
    return 1;
}

void CCaptureWnd::DeleteMemoryDC() {
    std::lock_guard lock(m_paintLock);
    if (m_memBitmap && m_memDC) {
        ::SelectObject(m_memDC, m_oldBitmap);
        ::DeleteObject(m_memBitmap);
        m_memBitmap = nullptr;
    }
    if (m_memDC) {
        ::DeleteDC(m_memDC);
        m_memDC = nullptr;
    }
    m_paintWindow = nullptr;
}

void CCaptureWnd::ClearMemoryDC() {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    std::lock_guard lock(m_paintLock);
    if (!m_memDC)
        return;
    HBRUSH black = ::CreateSolidBrush(RGB(0, 0, 0));
    HGDIOBJ old = ::SelectObject(m_memDC, black);
    ::PatBlt(m_memDC, 0, 0, client.right, client.bottom, PATCOPY);
    ::SelectObject(m_memDC, old);
    ::DeleteObject(black);
}

void CCaptureWnd::EnterFullScreen() {
    CreateMemoryDC();
    Invalidate(FALSE);
}

void CCaptureWnd::LeaveFullScreen() {
    CreateMemoryDC();
    ClearMemoryDC();
    {
        std::lock_guard lock(m_paintLock);
        if (m_memDC)
            ::SetStretchBltMode(m_memDC, COLORONCOLOR);
    }
    Invalidate(TRUE);
}

int CCaptureWnd::PaintFrame(const BYTE* bits, long length, int width, int height) {
    if (!bits || width <= 0 || height <= 0)
        return 0;
    // A frame shorter than its size says is dropped, never read past its end.
    const long long needed = static_cast<long long>(ms::capture::Rgb24Stride(width)) * height;
    if (length < needed)
        return 0;
    HWND target;
    {
        std::lock_guard lock(m_paintLock);
        if (!m_memDC)
            return 0;
        target = m_paintWindow;
    }
    // The main window's state and the live lists are copied before the window's surface is
    // taken: the UI thread waits only for the copies, and this thread never waits for one of
    // their locks while it holds the surface that a WM_PAINT of the UI thread waits for.
    const CLiveViewState* state = m_liveView.load();
    const LiveViewSnapshot shown = state ? state->Snapshot() : LiveViewSnapshot{};
    const LiveListsCopy lists = CopyLiveLists();
    const LiveDrawContext context = LiveContextOf(shown, width, height);
    // The window's surface first, then the memory bitmap: the order the UI thread takes them.
    HDC windowDC = ::GetDC(target);
    if (!windowDC)
        return 0;
    RECT client{};
    ::GetClientRect(target, &client);
    int painted = 0;
    {
        std::lock_guard lock(m_paintLock);
        if (m_memDC) {
            BITMAPINFO info{};
            BITMAPINFOHEADER& h = info.bmiHeader;
            h.biSize = sizeof(BITMAPINFOHEADER);
            h.biWidth = width;
            h.biHeight = height;
            h.biPlanes = 1;
            h.biBitCount = 24;
            h.biCompression = BI_RGB;
            h.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 3u;
            ::SetStretchBltMode(m_memDC, COLORONCOLOR);
            ::StretchDIBits(m_memDC, 0, 0, client.right,
                            FrameRowsShown(client, shown, width, height), 0, 0, width, height, bits,
                            &info, DIB_RGB_COLORS, SRCCOPY);
            // Everything over the frame goes into the memory bitmap before the blit, so that
            // no frame shows without its measurements and overlays.
            DrawLiveShapes(m_memDC, lists, context);
            DrawDateTime(m_memDC, client, shown);
            DrawCrossLine(m_memDC, client, shown);
            DrawScaleBar(m_memDC, client, shown);
            DrawCircleTemplate(m_memDC, client, shown);
            DrawGuideShapes(m_memDC, lists.guides, context);
            ::BitBlt(windowDC, 0, 0, client.right, client.bottom, m_memDC, 0, 0, SRCCOPY);
            painted = 1;
        }
    }
    if (painted) {
        DrawStatusText(windowDC, client, shown);
        DrawRestoreHint(windowDC, client, shown);
        DrawCounter(windowDC, client, shown);
    }
    ::ReleaseDC(target, windowDC);
    return painted;
}

namespace {
// Draws one status text in its colour and font with a transparent background, at the place
// `place` gives for the text's size, and puts back what it changed.
template <class Place>
void DrawOverlayText(HDC dc, const std::u16string& text, COLORREF color, HFONT font, Place place) {
    if (text.empty())
        return;
    HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
    const COLORREF oldColor = ::SetTextColor(dc, color);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const POINT at = place(size);
    ::TextOutW(dc, at.x, at.y, text.c_str(), static_cast<int>(text.size()));
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldColor);
    if (oldFont)
        ::SelectObject(dc, oldFont);
}

// Right-aligned 4 pixels from the edge when the text fits, else at the left.
int RightAligned(const RECT& client, const SIZE& size) {
    return size.cx + 4 < client.right ? client.right - size.cx - 4 : 0;
}
} // namespace

void CCaptureWnd::DrawStatusText(HDC dc, const RECT& client, const LiveViewSnapshot& shown) {
    DrawOverlayText(dc, shown.statusText, RGB(0, 255, 0), shown.overlayFont, [&](SIZE size) {
        return POINT{size.cx < client.right ? (client.right - size.cx) / 2 : 0,
                     (client.bottom - size.cy) / 2};
    });
}

void CCaptureWnd::DrawRestoreHint(HDC dc, const RECT& client, const LiveViewSnapshot& shown) {
    if (!shown.fullScreen)
        return;
    DrawOverlayText(dc, shown.escHintText, RGB(255, 0, 0), shown.overlayFont, [&](SIZE size) {
        return POINT{RightAligned(client, size), 2};
    });
}

void CCaptureWnd::DrawCounter(HDC dc, const RECT& client, const LiveViewSnapshot& shown) {
    const int seconds = g_recordSeconds.load();
    if (seconds <= 0)
        return;
    WCHAR text[32];
    swprintf(text, 32, u"%d%s", seconds, u"Seconds");
    DrawOverlayText(dc, text, RGB(255, 0, 0), shown.counterFont, [&](SIZE size) {
        return POINT{RightAligned(client, size), client.bottom - 12};
    });
}

void CCaptureWnd::SetWindows(HWND notifyWindow, HWND rendererOwner) {
    m_notifyWindow = notifyWindow;
    m_rendererOwner = rendererOwner;
    m_deviceCount = 0;
}

// ---- Devices ----

HRESULT CCaptureWnd::CreateDeviceEnumerator() {
    return ICreateDevEnum::Create(&m_deviceEnumerator);
}

int CCaptureWnd::EnumerateDevices() {
    if (!m_deviceEnumerator)
        return 0;
    std::vector<std::shared_ptr<IMoniker>> monikers;
    if (m_deviceEnumerator->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers) !=
        S_OK)
        return 0;

    CaptureDeviceInfo scratch[kMaxCaptureDevices];
    int count = 0;
    for (auto& moniker : monikers) {
        if (count == kMaxCaptureDevices)
            break; // a 26th device is not listed
        std::u16string display;
        if (!moniker || FAILED(moniker->GetDisplayName(&display)))
            continue;
        CaptureDeviceInfo& entry = scratch[count++];
        ms::CopyBounded(entry.displayName, kDeviceTextLength, display);
        std::u16string friendly;
        if (SUCCEEDED(moniker->ReadFriendlyName(&friendly)))
            ms::CopyBounded(entry.friendlyName, kDeviceTextLength, friendly);
        entry.moniker = moniker;
    }
    m_deviceCount = count;

    // Carry the current device over by identity.
    bool carried = false;
    for (CaptureDeviceInfo& old : m_devices) {
        if (old.active == 1 && old.moniker && !carried) {
            for (int i = 0; i < count; ++i) {
                if (scratch[i].moniker->IsEqual(old.moniker.get()) == S_OK) {
                    scratch[i].moniker = old.moniker;
                    scratch[i].active = 1;
                    std::memcpy(scratch[i].displayName, old.displayName, sizeof old.displayName);
                    std::memcpy(scratch[i].friendlyName, old.friendlyName, sizeof old.friendlyName);
                    carried = true;
                    break;
                }
            }
        }
        old.active = 0;
    }
    m_currentDevice = nullptr;
    for (int i = 0; i < kMaxCaptureDevices; ++i) {
        m_devices[i] = std::move(scratch[i]);
        if (m_devices[i].active == 1)
            m_currentDevice = &m_devices[i];
    }
    if (carried)
        return 1;
    for (CaptureDeviceInfo& entry : m_devices) {
        if (entry.moniker) {
            SetDeviceIdText(entry);
            entry.active = 1;
            m_currentDevice = &entry;
            return 1;
        }
    }
    ClearDeviceIdText();
    return 0;
}

void CCaptureWnd::SetDeviceIdText(const CaptureDeviceInfo& entry) {
    ClearDeviceIdText();
    if (entry.moniker)
        ms::CopyBounded(m_deviceIdText, kDeviceTextLength,
                        DeviceIdOfHardwareIds(entry.moniker->HardwareIds()));
}

void CCaptureWnd::ClearDeviceIdText() {
    std::fill(std::begin(m_deviceIdText), std::end(m_deviceIdText), u'\0');
}

int CCaptureWnd::IsDevicePresent() {
    if (!m_deviceIdText[0])
        return 0;
    const std::u16string id = u"USB\\" + BoundedText(m_deviceIdText, kDeviceTextLength);
    if (FindPresentImagingDevice(id.c_str()))
        return 1;
    ClearDeviceIdText();
    return 0;
}

int CCaptureWnd::SelectDevice(int index) {
    if (index < 0 || index >= kMaxCaptureDevices)
        return 0;
    CaptureDeviceInfo& entry = m_devices[index];
    if (!entry.moniker || &entry == m_currentDevice)
        return 0;
    Stop();
    TearDownGraph();
    ReleaseGraph();
    if (m_currentDevice)
        m_currentDevice->active = 0;
    entry.active = 1;
    m_currentDevice = &entry;
    SetDeviceIdText(entry);
    const int running = BuildGraph() && ConfigureFormat() && Run();
    // The preview would otherwise keep the old device's last picture.
    if (::IsWindow(m_hWnd))
        Invalidate(FALSE);
    return running;
}

// ---- Graph ----

int CCaptureWnd::BuildGraph() {
    if (!m_builder)
        m_builder = std::make_shared<ICaptureGraphBuilder2>();
    if (!m_graph)
        m_graph = std::make_shared<IGraphBuilder>();

    m_captureFilter.reset();
    if (m_currentDevice && m_currentDevice->moniker) {
        std::u16string friendly;
        if (SUCCEEDED(m_currentDevice->moniker->ReadFriendlyName(&friendly)))
            ms::CopyBounded(m_currentDevice->friendlyName, kDeviceTextLength, friendly);
        m_currentDevice->moniker->BindToFilter(&m_captureFilter);
    }
    if (!m_captureFilter) {
        qCDebug(lcCapture) << "capture: the current device cannot be bound";
        ReleaseGraph();
        return 0;
    }
    if (FAILED(m_builder->SetFiltergraph(m_graph)) ||
        FAILED(m_graph->AddFilter(m_captureFilter, nullptr))) {
        ReleaseGraph();
        return 0;
    }

    if (FAILED(m_builder->FindStreamConfig(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, m_captureFilter,
                                           &m_streamConfig)))
        m_builder->FindStreamConfig(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, m_captureFilter,
                                    &m_streamConfig);
    if (FAILED(m_builder->FindCrossbar(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, m_captureFilter,
                                       &m_crossbar)))
        m_builder->FindCrossbar(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, m_captureFilter,
                                &m_crossbar);

    if (SUCCEEDED(m_builder->FindVfwCaptureDialogs(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                                                   m_captureFilter, &m_vfwDialogs))) {
        for (const auto& pin : m_captureFilter->EnumPins()) {
            GUID category;
            if (pin->Direction() != PINDIR_INPUT || FAILED(pin->QueryPinCategory(&category)) ||
                !(category == PIN_CATEGORY_ANALOGVIDEOIN))
                continue;
            m_crossbarRouter = std::make_unique<CCrossbarRouter>(pin);
            LONG routes = 0;
            m_crossbarRouter->GetInputCount(&routes);
            m_crossbarRouteCount = routes;
            break;
        }
    }

    m_hasStillPin = 0;
    std::shared_ptr<IPin> still;
    if (SUCCEEDED(m_builder->FindPin(m_captureFilter, PINDIR_OUTPUT, &PIN_CATEGORY_STILL, nullptr,
                                     FALSE, 0, &still)))
        m_hasStillPin = 1;
    return 1;
}

int CCaptureWnd::Run() {
    if (m_running == 1)
        return 1;
    if (m_formatConfigured == 0 || !m_graph)
        return 0;
    if (FAILED(m_graph->Run())) {
        // A graph the device refuses to run is not running: the caller shows its no-device
        // state instead of a preview that never gets a frame.
        qCDebug(lcCapture) << "capture: the device refused to run";
        m_graph->Stop();
        return 0;
    }
    m_running = 1;
    return 1;
}

int CCaptureWnd::Stop() {
    m_running = 0;
    if (!m_graph)
        return 1;
    return SUCCEEDED(m_graph->Stop()) ? 1 : 0;
}

int CCaptureWnd::Restart() {
    Stop();
    ConfigureFormat();
    Run();
    // The renderer windows stay parked hidden in every layout, the full screen included.
    if (m_stillVideoWindow)
        m_stillVideoWindow->put_Visible(0);
    return 0;
}

int CCaptureWnd::TearDownGraph() {
    if (m_captureFilter && m_graph)
        RemoveDownstream(m_captureFilter);
    m_formatConfigured = 0;
    return 1;
}

void CCaptureWnd::RemoveDownstream(const std::shared_ptr<IBaseFilter>& filter) {
    for (const auto& pin : filter->EnumPins()) {
        std::shared_ptr<IPin> peer;
        if (FAILED(pin->ConnectedTo(&peer)) || peer->Direction() != PINDIR_INPUT)
            continue;
        std::shared_ptr<IBaseFilter> downstream = peer->Filter();
        if (!downstream)
            continue;
        RemoveDownstream(downstream);
        m_graph->Disconnect(peer);
        m_graph->Disconnect(pin);
        m_graph->RemoveFilter(downstream);
    }
}

void CCaptureWnd::ReleaseVideoWindows() {
    for (auto* window : {&m_stillVideoWindow, &m_frameVideoWindow}) {
        if (*window) {
            (*window)->put_Visible(0);
            (*window)->put_Owner(nullptr);
            window->reset();
        }
    }
}

void CCaptureWnd::ReleaseGraph() {
    DeleteMemoryDC();
    ReleaseVideoWindows();
    if (m_graphEvents) {
        m_graphEvents->SetNotifyWindow(nullptr, 0, 0);
        m_graphEvents.reset();
    }
    if (m_graph)
        m_graph->Stop(); // no callback runs once this returns
    m_running = 0;
    m_formatConfigured = 0;
    m_graph.reset();
    m_stillGrabber.reset();
    m_frameGrabber.reset();
    m_builder.reset();
    m_captureFilter.reset();
    m_streamConfig.reset();
    m_crossbar.reset();
    m_vfwDialogs.reset();
    m_crossbarRouter.reset();
    m_crossbarRouteCount = 0;
    m_hasStillPin = 0;
    // A new graph (another device, a reconnection) no longer belongs to a recording.
    m_recordingFormat.reset();
    FreeFrameBuffer();
}

int CCaptureWnd::SetSnapshotEnabled(int on) {
    g_snapEnable = on;
    const int wasRunning = m_running;
    Stop();
    TearDownGraph();
    ConfigureFormat();
    if (wasRunning)
        Run();
    return 0;
}

void CCaptureWnd::HandleGraphEvent() {
    if (!m_graphEvents)
        return;
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    if (SUCCEEDED(m_graphEvents->GetEvent(&code, &p1, &p2, 0)))
        m_graphEvents->FreeEventParams(code, p1, p2);
}

HRESULT CCaptureWnd::QueryVideoProcAmp(std::shared_ptr<IAMVideoProcAmp>* procAmp) {
    if (!procAmp)
        return E_POINTER;
    procAmp->reset();
    if (!m_captureFilter || !m_builder)
        return S_FALSE;
    return m_builder->FindVideoProcAmp(m_captureFilter, procAmp);
}

// ---- Format ----

std::u16string CCaptureWnd::FormatConfigPath() {
    return ms::ProgramDataDir() + u"/" + kCapConfigName;
}

int CCaptureWnd::ConfigureFormat() {
    if (m_formatConfigured == 1)
        return 1;
    if (m_running == 1 || !m_captureFilter)
        return 0;

    if (m_streamConfig) {
        int count = 0, size = 0;
        if (SUCCEEDED(m_streamConfig->GetNumberOfCapabilities(&count, &size))) {
            for (int i = 0; i < count; ++i) {
                AM_MEDIA_TYPE mt;
                VIDEO_STREAM_CONFIG_CAPS caps;
                if (m_streamConfig->GetStreamCaps(i, &mt, &caps) != S_OK)
                    continue;
                if (!(mt.subtype == MEDIASUBTYPE_YUY2) && !(mt.subtype == MEDIASUBTYPE_UYVY))
                    continue;
                if (caps.MinOutputSize.cx == 1600 && caps.MaxOutputSize.cy == 1200) {
                    g_has1600x1200 = 1;
                    break;
                }
                g_has1600x1200 = 0;
            }
        }
        AM_MEDIA_TYPE mt;
        if (SUCCEEDED(m_streamConfig->GetFormat(&mt)) && mt.formattype == FORMAT_VideoInfo) {
            m_format = mt.vih;
            // A size chosen in this process holds for each configuration of it; the file
            // brings back the operator's size at the first one.
            const VIDEOINFOHEADER* chosen = ChosenFormat();
            if (chosen)
                m_format = *chosen;
            if (chosen || LoadFormatConfig()) {
                mt.vih = m_format;
                g_captureWidth = m_format.bmiHeader.biWidth;
                g_captureHeight = m_format.bmiHeader.biHeight;
            } else {
                FillDefaultFormat(&mt.vih);
            }
            if (FAILED(m_streamConfig->SetFormat(&mt))) {
                FillDefaultFormat(&mt.vih);
                m_streamConfig->SetFormat(&mt);
            }
            FreeMediaType(mt);
        }
    }

    // The frame path is built for every device: on Linux every camera's frames arrive on its
    // capture pin, with or without a still pin, and without the path there is no live view.
    // The snapshot path needs the still pin, which the frame path leaves free; a device
    // without one has no snapshot button to listen to.
    if (FAILED(BuildStillPath()))
        return 0;
    if (g_snapEnable == 1 && m_hasStillPin == 1 && FAILED(BuildSnapshotPath()))
        return 0;
    m_formatConfigured = 1;
    return 1;
}

void CCaptureWnd::FillDefaultFormat(VIDEOINFOHEADER* format) {
    if (!format)
        return;
    const CaptureSize& size = CaptureSizeOf(g_has1600x1200, kDefaultSizeIndex);
    format->bmiHeader.biWidth = size.width;
    format->bmiHeader.biHeight = size.height;
    g_captureWidth = size.width;
    g_captureHeight = size.height;
    format->bmiHeader.biSizeImage = FrameBytesOf(size.width, size.height, 16);
    const int fps = FramesPerSecondOf(m_format.AvgTimePerFrame);
    format->dwBitRate = BitRateOf(fps, format->bmiHeader.biSizeImage);
    m_format = *format;
}

HRESULT CCaptureWnd::SetResolution(int width, int height, SizeChoice choice) {
    g_captureWidth = width;
    g_captureHeight = height;
    if (!m_streamConfig)
        return 0;
    const int wasRunning = m_running;
    Stop();
    TearDownGraph();

    AM_MEDIA_TYPE mt;
    HRESULT result = m_streamConfig->GetFormat(&mt);
    if (SUCCEEDED(result)) {
        if (mt.formattype == FORMAT_VideoInfo) {
            m_format = mt.vih;
            BITMAPINFOHEADER& b = m_format.bmiHeader;
            b.biWidth = width;
            b.biHeight = height;
            b.biSizeImage = FrameBytesOf(width, height, b.biBitCount);
            m_format.dwBitRate =
                BitRateOf(FramesPerSecondOf(m_format.AvgTimePerFrame), b.biSizeImage);
            mt.vih = m_format;
            if (choice == SizeChoice::Recording) {
                m_recordingFormat = m_format;
            } else {
                m_recordingFormat.reset();
                m_operatorFormat = OperatorFormat{FormatConfigPath(), m_format};
                SaveFormatConfig();
            }
            result = m_streamConfig->SetFormat(&mt);
        }
        FreeMediaType(mt);
    }

    ConfigureFormat();
    if (wasRunning)
        Run();
    return result;
}

const VIDEOINFOHEADER* CCaptureWnd::ChosenFormat() const {
    if (m_recordingFormat)
        return &*m_recordingFormat;
    if (m_operatorFormat && m_operatorFormat->path == FormatConfigPath())
        return &m_operatorFormat->format;
    return nullptr;
}

int CCaptureWnd::SaveFormatConfig() {
    const auto bytes = EncodeCapConfig(m_format);
    if (ms::WriteFileAtomic(
            FormatConfigPath(),
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
        m_storeFailed = false;
        return 1;
    }
    qCDebug(lcCapture) << "capture: CapConfig.dat cannot be written";
    if (!m_storeFailed && m_notifyWindow)
        ::PostMessage(m_notifyWindow, WM_APP_FORMAT_NOT_STORED, 0, 0);
    m_storeFailed = true;
    return 0;
}

int CCaptureWnd::LoadFormatConfig() {
    HANDLE h = CreateFile(FormatConfigPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    std::array<BYTE, kCapConfigSize> bytes{};
    DWORD read = 0;
    const BOOL ok = ReadFile(h, bytes.data(), kCapConfigSize, &read, nullptr);
    CloseHandle(h);
    if (!ok || read != kCapConfigSize)
        return 0;
    const VIDEOINFOHEADER stored = DecodeCapConfig(bytes);
    if (!IsCapConfigInRange(stored)) {
        qCDebug(lcCapture) << "capture: CapConfig.dat holds a format out of range";
        return 0;
    }
    m_format = stored;
    return 1;
}

HRESULT CCaptureWnd::SetFrameRate(int framesPerSecond) {
    if (!m_streamConfig || framesPerSecond <= 0)
        return E_INVALIDARG;
    AM_MEDIA_TYPE mt;
    HRESULT hr = m_streamConfig->GetFormat(&mt);
    if (FAILED(hr))
        return hr;
    mt.vih.AvgTimePerFrame = 10000000 / framesPerSecond;
    mt.vih.dwBitRate = BitRateOf(framesPerSecond, mt.vih.bmiHeader.biSizeImage);
    hr = m_stillGrabber ? m_stillGrabber->SetMediaType(&mt) : E_POINTER;
    FreeMediaType(mt);
    return hr;
}

// ---- Grabber paths ----

HRESULT CCaptureWnd::AddStillGrabber(const std::shared_ptr<IBaseFilter>& captureFilter) {
    return AddGrabber(captureFilter, m_frameGrabber, u"StillGrabber", &g_frameGrabberCallback,
                      true);
}

HRESULT CCaptureWnd::AddSampleGrabber(const std::shared_ptr<IBaseFilter>& captureFilter) {
    return AddGrabber(captureFilter, m_stillGrabber, u"SampleGrabber", &g_stillGrabberCallback,
                      false);
}

HRESULT CCaptureWnd::AddGrabber(const std::shared_ptr<IBaseFilter>& captureFilter,
                                std::shared_ptr<ISampleGrabber>& grabber, const WCHAR* name,
                                ISampleGrabberCB* callback, bool frameGrabber) {
    if (!captureFilter || !m_graph)
        return -1;
    if (!grabber)
        grabber = ISampleGrabber::Create(); // a rebuild reuses the grabber
    // A grabber whose setup failed leaves the graph, so that the next configuration starts
    // from a clean graph with a new one.
    auto drop = [&](HRESULT hr) {
        m_graph->RemoveFilter(grabber); // fails harmlessly when it was not added
        grabber.reset();
        return hr;
    };

    AM_MEDIA_TYPE mt;
    if (m_streamConfig && SUCCEEDED(m_streamConfig->GetFormat(&mt))) {
        if (frameGrabber) {
            g_frameGrabberCallback.m_frameWidth = mt.vih.bmiHeader.biWidth;
            g_frameGrabberCallback.m_frameHeight = mt.vih.bmiHeader.biHeight;
            g_captureWidth = mt.vih.bmiHeader.biWidth;
            g_captureHeight = mt.vih.bmiHeader.biHeight;
            g_frameGrabberCallback.m_rendererOwner = m_rendererOwner;
            g_frameGrabberCallback.m_notifyWindow = m_notifyWindow;
            g_frameGrabberCallback.m_painter = this;
        }
        const HRESULT hr = grabber->SetMediaType(&mt);
        FreeMediaType(mt);
        if (FAILED(hr))
            return drop(hr);
    }

    AM_MEDIA_TYPE rgb;
    rgb.majortype = MEDIATYPE_Video;
    rgb.subtype = MEDIASUBTYPE_RGB24;
    HRESULT hr = grabber->SetMediaType(&rgb);
    if (SUCCEEDED(hr))
        hr = m_graph->AddFilter(grabber, name);
    if (FAILED(hr))
        return drop(hr);

    bool attempted = false, connected = false;
    HRESULT last = S_OK;
    for (int i = 0; i < 4 && !connected; ++i) {
        std::shared_ptr<IPin> out = GetOutPin(captureFilter, i);
        std::shared_ptr<IPin> in = GetInPin(grabber, 0);
        if (!out || !in)
            continue;
        attempted = true;
        last = m_graph->Connect(out, in);
        connected = last == S_OK;
    }
    if (attempted && !connected)
        return drop(FAILED(last) ? last : E_FAIL);

    hr = m_graph->Render(GetOutPin(grabber, 0));
    if (FAILED(hr))
        return drop(hr);

    grabber->SetBufferSamples(FALSE);
    grabber->SetOneShot(frameGrabber ? TRUE : FALSE);
    grabber->SetCallback(callback, 1);
    return 0;
}

void CCaptureWnd::ParkVideoWindow(const std::shared_ptr<IVideoWindow>& window) {
    window->put_Owner(m_rendererOwner);
    window->put_WindowStyle(WS_CHILD);
    window->SetWindowPosition(0, 0, 0, 0);
    window->put_Visible(0);
}

HRESULT CCaptureWnd::BuildStillPath() {
    HRESULT hr = AddStillGrabber(m_captureFilter);
    if (FAILED(hr))
        return hr;
    m_frameVideoWindow = m_graph->QueryVideoWindow();
    if (!m_frameVideoWindow)
        return E_NOINTERFACE;
    ParkVideoWindow(m_frameVideoWindow);
    m_graphEvents = m_graph->QueryMediaEventEx();
    if (m_graphEvents)
        hr = m_graphEvents->SetNotifyWindow(m_notifyWindow, WM_APP_GRAPH_EVENT, 0);
    return hr;
}

HRESULT CCaptureWnd::BuildSnapshotPath() {
    if (m_running)
        return 1;
    HRESULT hr = AddSampleGrabber(m_captureFilter);
    if (FAILED(hr))
        return hr;
    m_stillVideoWindow = m_graph->QueryVideoWindow();
    if (!m_stillVideoWindow)
        return E_NOINTERFACE;
    ParkVideoWindow(m_stillVideoWindow);
    return 0;
}
