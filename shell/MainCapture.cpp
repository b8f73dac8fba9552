// The main window's device and capture commands: the device start, reconnecting, the device
// buttons' states, device and power notices, the texts on the preview while no device runs,
// the capture window's binding to the preview and the snapshot switch 1204, which decides
// whether the device's own snapshot button takes pictures; and the capture bar: Preview,
// Camera, Clock and Setting.
#include "shell/MicroscopeDlg.h"

#include "shell/LangText.h"
#include "capture/AviRecorder.h"
#include "shell/RegistrySettings.h"
#include "shell/SaveFolders.h"

#include "capture/CaptureWnd.h"
#include "capture/TimedSnapshot.h"
#include "capture/VideoSettingDlg.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <string>

// ---- Device ----

int CMicroscopeDlg::StartDevice() {
    m_accelF2 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F2));
    m_accelF3 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F3));
    m_accelF4 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F4));
    m_accelF10 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F10));
    m_accelF11 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F11));
    m_accelF12 = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(IDR_ACCEL_F12));

    WCHAR stale[MAX_PATH];
    swprintf(stale, MAX_PATH, u"%s/test.avi", g_videoDir);
    DeleteFile(stale);

    LoadEscHintText();
    m_windowText[0] = 0;
    GetWindowText(m_windowText, 128);

    // The capture graph binds here once the capture subsystem exists; without it no device
    // can run, which is the unconnected state.
    StopCapture();
    DisableDeviceButtons();
    LoadStatusText();
    m_connected = 0;
    ShowPreviewTexts();
    return 0;
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
}

int CMicroscopeDlg::ReconnectDevice() {
    if (m_released)
        return 0;
    EnterCriticalSection(&m_deviceLock);
    StopCapture();
    DisableDeviceButtons();
    LoadStatusText();
    ShowPreviewTexts();
    if (CWnd* preview = GetDlgItem(IDC_PREVIEW))
        preview->Invalidate(TRUE);
    Invalidate(FALSE);
    LeaveCriticalSection(&m_deviceLock);
    m_connected = 0;
    return 0;
}

void CMicroscopeDlg::StopCapture() {}

void CMicroscopeDlg::EnableDeviceButtons() {
    if (CToggleBitmapButton* preview = ToggleButton(1014)) {
        preview->EnableWindow(TRUE);
        preview->SetPressed();
    }
    for (int i = 0; i < kSkinButtonCount; ++i) {
        const int id = kSkinButtons[i].id;
        if (id == 1014 || id == 1177 || !m_buttonObjects[i]->m_hWnd)
            continue;
        m_buttonObjects[i]->EnableWindow(kSkinButtons[i].enabledAfterStart);
    }
}

void CMicroscopeDlg::DisableDeviceButtons() {
    for (int i = 0; i < kSkinButtonCount; ++i)
        if (kSkinButtons[i].id != 1177)
            ::EnableWindow(::GetDlgItem(m_hWnd, kSkinButtons[i].id), FALSE);
}

BOOL CMicroscopeDlg::OnDeviceChange(UINT event, DWORD_PTR) {
    if (m_released)
        return 0;
    if (event == DBT_DEVNODES_CHANGED)
        SetTimer(TIMER_RECONNECT, 1000);
    else if (event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE)
        ReconnectDevice();
    return 0;
}

UINT CMicroscopeDlg::OnPowerBroadcast(UINT event, LPARAM) {
    if (!m_released &&
        (event == 6 || event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMEAUTOMATIC)) {
        StopCapture();
        ReconnectDevice();
    }
    return 0;
}

// ---- Capture window ----

void CMicroscopeDlg::BindCaptureWindow() {
    // The capture window outlives every main window: bound once, it stays with its control.
    if (!g_captureWnd.m_hWnd)
        g_captureWnd.SubclassDlgItem(IDC_PREVIEW, this);
    g_captureWnd.SetLiveView(&g_liveView);
    if (CWnd* preview = GetDlgItem(IDC_PREVIEW))
        preview->MoveWindow(98, 49, 640, 480);
}

void CMicroscopeDlg::OnSnapshotSwitch() {
    CToggleBitmapButton* button = ToggleButton(kSnapshotSwitchId);
    if (!button)
        return;
    // A pressed switch means that the device's snapshot button is off.
    const int on = button->IsPressed() ? 1 : 0;
    if (on)
        button->ClearPressed();
    else
        button->SetPressed();
    g_captureWnd.SetSnapshotEnabled(on);
    g_snapEnable = on;
    SaveSnapEnable();
    LoadLangTexts();
}

// ---- Capture bar ----
//
// The pressed states of the preview button 1014 and the record button 1006 are the capture
// state: previewing, recording (the preview button then released), or stopped.

namespace {

constexpr int kPreviewButton = 1014;
constexpr int kRecordButton = 1006;

void ShowCaptureHint(LPCWSTR defaultText) {
    WCHAR text[256] = {};
    GetLangText(u"BrowseToCamera", text, 256, defaultText);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

void CMicroscopeDlg::OnPreview() {
    CToggleBitmapButton* preview = ToggleButton(kPreviewButton);
    if (preview && preview->IsPressed()) {
        preview->ClearPressed();
        g_captureWnd.Stop();
        FitVideoRenderer(FALSE);
        InitToolTips();
        return;
    }
    EndRecording(); // a running recording ends with its file closed and listed
    // A graph that refuses to run leaves the preview released: the Camera command then says
    // so instead of waiting for a frame that never comes.
    if (g_captureWnd.Run() && preview)
        preview->SetPressed();
    if (!FullScreen())
        FitVideoRenderer(TRUE);
    InitToolTips();
}

void CMicroscopeDlg::OnCamera() {
    CToggleBitmapButton* preview = ToggleButton(kPreviewButton);
    CToggleBitmapButton* record = ToggleButton(kRecordButton);
    if (!(record && record->IsPressed()) && !(preview && preview->IsPressed())) {
        ShowCaptureHint(u"Please return to the preview state");
        return;
    }
    // The source first: the callback reads it once it sees the request.
    g_snapshotSource = 0;
    g_snapshotRequest = 1;
    g_snapshotPending = 1;
}

void CMicroscopeDlg::OnTimedCapture() {
    CTimedCaptureDlg dialog(TessaryTimedCapture(), m_hWnd);
    CToggleBitmapButton* preview = ToggleButton(kPreviewButton);
    CToggleBitmapButton* record = ToggleButton(kRecordButton);
    if (!(record && record->IsPressed()) && !(preview && preview->IsPressed())) {
        ShowCaptureHint(u"Please select a picture or video");
        return;
    }
    dialog.DoModal();
}

LRESULT CMicroscopeDlg::OnTimedSnapshot(WPARAM, LPARAM) {
    RequestTimedSnapshot();
    return 0;
}

void CMicroscopeDlg::OnVideoSetting() {
    CVideoSettingDlg dialog;
    dialog.DoModal();
}
