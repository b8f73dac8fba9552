// The main window's capture commands: the capture window's binding to the preview and the
// snapshot switch 1204, which decides whether the device's own snapshot button takes pictures.
// The device start and its states are in MainDevice.cpp.
#include "shell/MicroscopeDlg.h"

#include "shell/RegistrySettings.h"
#include "shell/SaveFolders.h"

#include "capture/CaptureWnd.h"

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
