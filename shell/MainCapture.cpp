// The main window's capture commands: the capture window's binding to the preview, the
// snapshot switch 1204, which decides whether the device's own snapshot button takes pictures,
// the capture bar: Preview, Camera, Clock and Setting, and the still hand-over to the still
// road. The device start and its states are in MainDevice.cpp.
#include "shell/MicroscopeDlg.h"

#include "capture/AviRecorder.h"
#include "kit/LangText.h"
#include "kit/RegistrySettings.h"
#include "kit/SaveFolders.h"
#include "shell/ThumbnailStrip.h"

#include "capture/CaptureWnd.h"
#include "capture/TimedSnapshot.h"
#include "capture/VideoSettingDlg.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <string>

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
    CToggleBitmapButton* button = ToggleButton(IDC_BTN_SNAPSHOT_SWITCH);
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
// The pressed states of the preview button and the record button are the capture
// state: previewing, recording (the preview button then released), or stopped.

namespace {

void ShowCaptureHint(LPCWSTR defaultText) {
    WCHAR text[256] = {};
    GetLangText(u"BrowseToCamera", text, 256, defaultText);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

void CMicroscopeDlg::OnPreview() {
    CToggleBitmapButton* preview = ToggleButton(IDC_BTN_PREVIEW);
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
    CToggleBitmapButton* preview = ToggleButton(IDC_BTN_PREVIEW);
    CToggleBitmapButton* record = ToggleButton(IDC_BTN_RECORD);
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
    CToggleBitmapButton* preview = ToggleButton(IDC_BTN_PREVIEW);
    CToggleBitmapButton* record = ToggleButton(IDC_BTN_RECORD);
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

LRESULT CMicroscopeDlg::OnFormatNotStored(WPARAM, LPARAM) {
    // The size stays in use; only the next start would not know it.
    WCHAR text[256];
    GetLangText(u"CapConfigWriteFail", text, 256,
                u"The capture size could not be stored. It is used until the program ends.");
    CString message;
    message.Format(u"%s\n%s", text, CCaptureWnd::FormatConfigPath().c_str());
    MessageBox(message.GetString(), nullptr, MB_ICONEXCLAMATION | MB_OK);
    return 0;
}

void CMicroscopeDlg::OnVideoSetting() {
    CVideoSettingDlg dialog;
    // New stills and recordings go to the new folders from now on: the strip lists those, and
    // its Delete, Delete All and Save All work on them.
    dialog.m_foldersChanged = [this] {
        if (g_thumbnailView)
            g_thumbnailView->ListFolders();
        m_stills.WarmNumbering();
    };
    dialog.DoModal();
}

void CMicroscopeDlg::OnStillCaptured(WPARAM source) {
    // A hand-over still queued when the window shut down has no graph and no frame left.
    if (!m_released)
        m_stills.Hand(source, m_zoom.Text(24));
}
