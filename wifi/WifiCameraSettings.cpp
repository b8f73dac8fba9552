// The camera's settings from the main window: the Video Setting dialog and the two resolution
// commands, whose stream restart waits for the camera (TIMER_STREAM_RESTART).
#include "wifi/CameraLink.h"
#include "wifi/CameraRequest.h"
#include "wifi/StreamPlayer.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiVideoSettingDlg.h"

#include "measure/Units.h"

void CWifiMicroscopeDlg::SendCameraRequest(const std::string& url) {
    if (!SendCameraGet(url))
        MessageBox(u"set format error", nullptr, MB_OK);
}

void CWifiMicroscopeDlg::OnDeviceSetting() {
    CWifiVideoSettingDlg dialog(this);
    if (dialog.DoModal() != IDOK || m_playing != 1 || !m_vlcPlayer)
        return;
    if (ReadVideoSize())
        UpdateStatusTexts();
}

void CWifiMicroscopeDlg::OnResolution640x480() {
    SendCameraRequest(ResolutionUrl(ReadCameraLink(), 3));
    SetTimer(TIMER_STREAM_RESTART, 5000, nullptr);
    g_captureWidth = 640;
    g_captureHeight = 480;
    UpdateStatusTexts();
}

void CWifiMicroscopeDlg::OnResolution1280x1024() {
    SendCameraRequest(ResolutionUrl(ReadCameraLink(), 4));
    SetTimer(TIMER_STREAM_RESTART, 5000, nullptr);
    g_captureWidth = 1280;
    g_captureHeight = 1024;
    UpdateStatusTexts();
}
