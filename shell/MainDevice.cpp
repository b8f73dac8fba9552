// The main window's capture device: the start at initialisation, the reconnection after
// device and power notices, the buttons and preview texts of the two states (a device runs,
// or the connect prompt shows and every button but Close is disabled), and shut-down.
//
// Device problems never show a message box: the window goes to the unconnected state and
// recovers through the next notice. A reconnection always stops and rebuilds the graph, also
// for the same device. Shut-down happens once: the timers go first, so that no reconnection
// can follow it, and every notice, timer or graph event that arrives later is ignored.
#include "shell/MicroscopeDlg.h"

#include "kit/SaveFolders.h"

#include "capture/CaptureWnd.h"
#include "capture/VideoSettingDlg.h"

#include "platform/capture/DeviceNotifier.h"
#include "platform/capture/Poster.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "res/TessaryResource.h"

#include <string>
#include <utility>

namespace {

// The resume notices: from a critical suspend, after a user's resume, and the automatic one.
constexpr UINT kResumeCritical = 6;

} // namespace

// ---- Start ----

int CMicroscopeDlg::StartDevice() {
    m_accelF2 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F2));
    m_accelF3 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F3));
    m_accelF4 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F4));
    m_accelF10 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F10));
    m_accelF11 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F11));
    m_accelF12 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F12));

    // A recording that a crash left unfinished; missing is the normal case.
    WCHAR stale[MAX_PATH];
    swprintf(stale, MAX_PATH, u"%s/test.avi", g_paths.videoDir);
    DeleteFile(stale);

    LoadEscHintText();
    m_windowText[0] = 0;
    GetWindowText(m_windowText, 128);

    // The capture layer reaches this window (the still hand-over, graph events, device and
    // power notices) through the window layer's PostMessage.
    ms::capture::SetPostMessage(
        [](HWND h, UINT m, WPARAM w, LPARAM l) { return ::PostMessage(h, m, w, l) != FALSE; });
    ms::capture::StartDeviceNotifications(m_hWnd);

    g_captureWnd.SetWindows(m_hWnd, ::GetDlgItem(m_hWnd, IDC_THUMBNAILS));
    g_captureWnd.CreateDeviceEnumerator();

    bool formatFailed = false;
    if (RunStartChain(&formatFailed)) {
        EnableDeviceButtons();
        g_liveView.Change([](LiveViewSnapshot& s) { s.statusText.clear(); });
        ShowPreviewTexts();
        m_connected = 1;
        return 1;
    }
    // A device that refused its format often takes it a moment later.
    if (formatFailed)
        SetTimer(TIMER_RECONNECT, 100);
    EnterUnconnectedState();
    return 0;
}

int CMicroscopeDlg::RunStartChain(bool* formatFailed) {
    *formatFailed = false;
    if (!g_captureWnd.EnumerateDevices() || !g_captureWnd.BuildGraph())
        return 0;
    if (!g_captureWnd.ConfigureFormat()) {
        *formatFailed = true;
        return 0;
    }
    return g_captureWnd.Run();
}

void CMicroscopeDlg::EnterUnconnectedState() {
    StopCapture();
    m_skinButtons.DisableAll(m_hWnd);
    LoadStatusText();
    m_connected = 0;
    ShowPreviewTexts();
}

void CMicroscopeDlg::ShowPreviewTexts() {
    HWND preview = ::GetDlgItem(m_hWnd, IDC_PREVIEW);
    if (!preview)
        return;
    const LiveViewSnapshot shown = g_liveView.Snapshot();
    if (shown.overlayFont)
        ::SendMessage(preview, WM_SETFONT, reinterpret_cast<WPARAM>(shown.overlayFont), TRUE);
    std::u16string text = shown.statusText;
    if (shown.fullScreen && !text.empty()) {
        text += u"\n\n";
        text += shown.escHintText;
    }
    ::SetWindowText(preview, text.c_str());
    // The capture window draws the texts when it paints: a new text needs a paint also when no
    // frame comes.
    ::InvalidateRect(preview, nullptr, FALSE);
}

// ---- Reconnection ----

int CMicroscopeDlg::ReconnectDevice() {
    if (m_released)
        return 0;
    EnterCriticalSection(&m_deviceLock);
    // The open Video Setting dialog lists the devices anew.
    if (g_videoSettingWnd && ::IsWindow(g_videoSettingWnd))
        ::PostMessage(g_videoSettingWnd, WM_APP_DEVICE_CHANGED, 0, 0);
    // A recording ends with its file closed and listed before the graph goes.
    EndRecording();
    StopCapture();
    bool formatFailed = false;
    const int running = RunStartChain(&formatFailed);
    if (running) {
        EnableDeviceButtons();
        g_liveView.Change([](LiveViewSnapshot& s) { s.statusText.clear(); });
        ShowPreviewTexts();
    } else {
        StopCapture();
        m_skinButtons.DisableAll(m_hWnd);
        LoadStatusText();
        ShowPreviewTexts();
    }
    if (CWnd* preview = GetDlgItem(IDC_PREVIEW))
        preview->Invalidate(TRUE);
    LeaveCriticalSection(&m_deviceLock);
    m_connected = running;
    return running;
}

void CMicroscopeDlg::StopCapture() {
    // Stopping returns once no frame callback runs; only then is the graph released.
    g_captureWnd.Stop();
    g_captureWnd.TearDownGraph();
    g_captureWnd.ReleaseGraph();
}

// ---- Notices ----

BOOL CMicroscopeDlg::OnDeviceChange(UINT event, DWORD_PTR data) {
    if (m_released)
        return 0;
    if (event == DBT_DEVNODES_CHANGED) {
        // Plugging in gives several node changes in a row: one reconnection after the last.
        SetTimer(TIMER_RECONNECT, 1000);
    } else if (event == DBT_DEVICEARRIVAL) {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
        if (header && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE)
            ReconnectDevice();
    } else if (event == DBT_DEVICEREMOVECOMPLETE) {
        ReconnectDevice();
    }
    return 0;
}

UINT CMicroscopeDlg::OnPowerBroadcast(UINT event, LPARAM) {
    if (m_released)
        return 0;
    if (event == kResumeCritical || event == PBT_APMRESUMESUSPEND ||
        event == PBT_APMRESUMEAUTOMATIC) {
        StopCapture();
        ReconnectDevice();
    }
    return 0;
}

LRESULT CMicroscopeDlg::OnGraphNotify(WPARAM, LPARAM) {
    if (!m_released)
        g_captureWnd.HandleGraphEvent();
    return 0;
}

// ---- Shut-down ----

void CMicroscopeDlg::OnClose() {
    ReleaseResources();
    CDialog::OnClose();
}

int CMicroscopeDlg::ReleaseResources() {
    if (m_released)
        return 1;
    m_released = true;
    // Nothing may start the device again once shut-down began.
    if (m_hWnd) {
        KillTimer(TIMER_STARTUP_PROMPT);
        KillTimer(TIMER_RECONNECT);
        KillTimer(TIMER_RECORD);
    }
    // Stills on their way to their files are written and listed, or their failure said.
    FinishStills();
    ms::capture::StopDeviceNotifications();
    // A recording that still runs is finished (graph stopped, file closed) before the capture goes.
    EndRecording();
    // The frame callback no longer runs after this.
    StopCapture();
    m_strip.Release();
    if (m_skinDC) {
        SelectObject(m_skinDC, m_skinOldBitmap);
        DeleteDC(m_skinDC);
        m_skinDC = nullptr;
    }
    if (m_skinBitmap) {
        DeleteObject(m_skinBitmap);
        m_skinBitmap = nullptr;
    }
    // The capture stopped above: no painter uses the fonts any more.
    HFONT fonts[2] = {};
    g_liveView.Change([&](LiveViewSnapshot& s) {
        fonts[0] = std::exchange(s.overlayFont, nullptr);
        fonts[1] = std::exchange(s.counterFont, nullptr);
    });
    for (HFONT font : fonts)
        if (font)
            DeleteObject(font);
    for (HACCEL* accel :
         {&m_accelF2, &m_accelF3, &m_accelF4, &m_accelF10, &m_accelF11, &m_accelF12}) {
        if (*accel)
            DestroyAcceleratorTable(*accel);
        *accel = nullptr;
    }
    // The live measurements and the magnifier's surface go with the window.
    m_measuring.Release();
    m_connected = 0;
    return 1;
}
