// Timed capture: the Clock button runs the shared timed-capture dialog while the stream plays;
// its worker posts WM_APP_TAKE_PICTURE, which the main window answers with a snapshot on the
// UI thread.
#include "wifi/WifiTimedCapture.h"

#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"

#include "measure/Units.h"
#include "kit/LangText.h"

TimedCaptureProfile WavenorTimedCapture() {
    TimedCaptureProfile profile;
    profile.intervalSeconds = 5;
    profile.frameCount = 3;
    profile.requestMessage = WM_APP_TAKE_PICTURE;
    profile.estimateHundredths = [](int frameCount) {
        const long long bytes = static_cast<long long>(g_captureWidth) * g_captureHeight * 3;
        return bytes * frameCount * 100 / 1048576;
    };
    return profile;
}

void CWifiMicroscopeDlg::OnTimedCapture() {
    if (m_playing != 1 || !m_vlcPlayer) {
        WCHAR text[256];
        GetLangText(u"BrowseToTimer", text, 256, u"Please return to the preview state");
        MessageBox(text, nullptr, MB_ICONEXCLAMATION);
        return;
    }
    ReadVideoSize();
    CTimedCaptureDlg dialog(WavenorTimedCapture(), m_hWnd, this);
    dialog.DoModal();
}
