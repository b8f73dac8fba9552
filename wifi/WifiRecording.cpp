// MP4 recording: the stream restarted with the recording option (WifiLiveView.cpp), a tick a
// second with the time limit, and the companion picture that lists every recording.
#include "wifi/CaptureName.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiRecorderSettingDlg.h"

#include "kit/LangText.h"

#include "platform/services/Sound.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "res/WavenorResource.h"

namespace {

constexpr int kRecordSound = 180;
constexpr int kLimitSound = 182;

} // namespace

void CWifiMicroscopeDlg::OnRecord() {
    if (m_playing != 1 || !m_vlcPlayer)
        return;
    PlaySound(MAKEINTRESOURCE(kRecordSound), g_hInstance, SND_RESOURCE | SND_ASYNC);
    KillTimer(TIMER_RECORD_TICK);
    m_recordLimit = 0;
    m_recordTicks = 0;

    if (g_isRecording == 1) {
        // The restart without the recording option closes the file and lists it.
        g_isRecording = 0;
        StartLiveView();
        SetDlgItemText(IDC_RECORD_COUNTER, u"");
        if (CWnd* counter = GetDlgItem(IDC_RECORD_COUNTER))
            counter->ShowWindow(SW_HIDE);
        if (CToggleBitmapButton* avi = ToggleButton(IDC_AVI))
            avi->ClearPressed();
        Invalidate(TRUE);
        return;
    }

    CWifiRecorderSettingDlg settings(this);
    if (settings.DoModal() != IDOK)
        return;
    m_recordLimit = settings.m_limitOn ? settings.m_timeLimit : 0x7FFFFFFF;
    SetTimer(TIMER_RECORD_TICK, 1000, nullptr);
    g_isRecording = 1;
    SetDlgItemText(IDC_VIDEO, u"");
    StartLiveView();
    if (CToggleBitmapButton* avi = ToggleButton(IDC_AVI))
        avi->SetPressed();
}

void CWifiMicroscopeDlg::OnRecordTick() {
    ++m_recordTicks;
    RECT client;
    GetClientRect(&client);
    CWnd* counter = GetDlgItem(IDC_RECORD_COUNTER);
    if (m_recordTicks < m_recordLimit) {
        WCHAR second[24];
        GetLangText(u"Second", second, 24, u"Seconds");
        WCHAR text[64];
        swprintf(text, 64, u"%2d %s", m_recordTicks, second);
        if (counter) {
            counter->SetWindowText(text);
            counter->SetWindowPos(nullptr, client.right - 90, client.bottom - 27, 120, 25,
                                  SWP_NOZORDER | SWP_NOACTIVATE);
            counter->ShowWindow(SW_SHOW);
        }
        return;
    }
    PlaySound(MAKEINTRESOURCE(kLimitSound), g_hInstance, SND_RESOURCE | SND_ASYNC);
    KillTimer(TIMER_RECORD_TICK);
    g_isRecording = 0;
    StartLiveView();
    if (counter) {
        counter->SetWindowText(u"");
        counter->ShowWindow(SW_HIDE);
    }
    if (CToggleBitmapButton* avi = ToggleButton(IDC_AVI))
        avi->ClearPressed();
    Invalidate(TRUE);
}

void CWifiMicroscopeDlg::AddRecordingThumbnail() {
    // A recording that never got a file (the stream did not start) is not listed.
    if (!IsNonEmptyFile(m_videoPath))
        return;
    WCHAR picture[MAX_PATH];
    ProgramFilePath(picture, u"video.png");
    WCHAR companion[MAX_PATH];
    swprintf(companion, MAX_PATH, u"%s.png", m_videoPath);
    CopyFile(picture, companion, FALSE);
    ListVideo(companion);
}
