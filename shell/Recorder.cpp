#include "shell/Recorder.h"

#include "kit/LangText.h"
#include "kit/ProgramPaths.h"
#include "shell/StillRoad.h"
#include "shell/ThumbnailStrip.h"

#include "capture/AviRecorder.h"
#include "capture/CaptureWnd.h"
#include "capture/GrabberCallbacks.h"
#include "capture/RecorderSettingDlg.h"

#include "platform/services/Sound.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/Time.h"
#include "res/TessaryResource.h"

#include <cstring>

namespace {

// A second of video at the writer's 15 frames per second.
constexpr int kFramesPerCountedSecond = 15;

// Returns the capture to the family's largest size, as after every recording.
void RestoreFullSize() {
    if (g_has1600x1200 == 1)
        g_captureWnd.SetResolution(1600, 1200);
    else
        g_captureWnd.SetResolution(1280, 1024);
}

} // namespace

// The record and preview buttons show the capture state: recording, or previewing.
void Recorder::ShowRecording(bool recording) {
    if (CToggleBitmapButton* record = m_button(IDC_BTN_RECORD))
        recording ? record->SetPressed() : record->ClearPressed();
    if (CToggleBitmapButton* preview = m_button(IDC_BTN_PREVIEW))
        recording ? preview->ClearPressed() : preview->SetPressed();
}

void Recorder::OnRecord() {
    PlaySound(MAKEINTRESOURCE(IDR_SOUND_RECORD), g_hInstance, SND_RESOURCE | SND_ASYNC);
    m_window.KillTimer(TIMER_RECORD);
    m_limit = 0;
    g_recordSeconds = 0;
    if (g_recording.load() != 1) {
        Start();
        return;
    }
    g_captureWnd.Stop();
    Close();
    ShowRecording(false);
    g_captureWnd.Run();
    RestoreFullSize();
    m_window.Invalidate(FALSE);
    m_refreshTips();
    // A write or the close that failed (a full disk) is said here, where no lock is held; the
    // recordings that other commands end keep their finished file without a word.
    ShowFailure(u"RecordWriteFail", u"The video file could not be written.");
}

void Recorder::Start() {
    // Its initialisation switches the capture to 640x480, the size recordings are made at;
    // its Cancel returns to the full size.
    CRecorderSettingDlg dlg;
    if (dlg.DoModal() != IDOK)
        return;

    SYSTEMTIME now{};
    GetLocalTime(&now);
    swprintf(g_aviPath, MAX_PATH, u"%s/%4d%02d%02d%02d%02d%02d%s", g_paths.videoDir, now.wYear,
             now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, u".avi");

    // Without a file there is no recording: no counter, no picture, no entry in the strip.
    if (!OpenAviWriter()) {
        RestoreFullSize();
        ShowFailure(u"RecordFileFail", u"The video file could not be created.");
        return;
    }
    SaveFirstFrame();

    m_limit = dlg.m_timeLimitOn ? dlg.m_timeLimit : 0x7FFFFFFF;
    m_window.SetTimer(TIMER_RECORD, 1000);
    g_captureWnd.Stop();
    g_captureWnd.Run();
    ShowRecording(true);
    // Frames counted before this recording do not belong to its seconds.
    g_recordFrameCount = 0;
    g_recording = 1;
    m_refreshTips();
}

void Recorder::SaveFirstFrame() {
    if (g_captureWnd.IsRunning())
        WaitForFrameCopy();
    // The still road copies the frame whole under the frame lock.
    m_stills.Save(nullptr, 0, 2);
}

void Recorder::OnTimerTick() {
    // A writer that failed (a full disk) has finished its file: the recording stops, and
    // closing it says why.
    if (g_recording.load() == 1 && GetAviWriterError(nullptr, 0)) {
        OnRecord();
        return;
    }
    // Every 15 frames written are a second of video; frames beyond count towards the next.
    int frames = g_recordFrameCount.load();
    do {
        if (frames < kFramesPerCountedSecond)
            return;
    } while (!g_recordFrameCount.compare_exchange_weak(frames, frames - kFramesPerCountedSecond));
    OnSecond();
}

void Recorder::OnSecond() {
    // A tick that arrives after the recording ended counts nothing and starts nothing.
    if (g_recording.load() != 1) {
        m_window.KillTimer(TIMER_RECORD);
        return;
    }
    const int seconds = g_recordSeconds.fetch_add(1) + 1;
    if (m_limit > 0 && seconds >= m_limit) {
        m_window.KillTimer(TIMER_RECORD);
        OnRecord();
    }
}

int Recorder::End() {
    if (g_recording.load() != 1)
        return 0;
    g_captureWnd.Stop();
    Close();
    if (m_window.m_hWnd) {
        m_window.KillTimer(TIMER_RECORD);
        if (CToggleBitmapButton* record = m_button(IDC_BTN_RECORD); record && record->m_hWnd)
            record->ClearPressed();
    }
    m_limit = 0;
    g_recordSeconds = 0;
    return 1;
}

void Recorder::Close() {
    g_recording = 0;
    WCHAR thumbnail[MAX_PATH];
    if (CloseAviWriter(thumbnail))
        ListVideo(thumbnail);
}

void Recorder::ShowFailure(LPCWSTR key, LPCWSTR text) {
    WCHAR reason[256];
    if (!GetAviWriterError(reason, 256))
        return;
    WCHAR line[256];
    GetLangText(key, line, 256, text);
    CString message;
    message.Format(u"%s\n%s\n%s", line, g_aviPath, reason);
    m_window.MessageBox(message.GetString(), nullptr, MB_ICONEXCLAMATION | MB_OK);
}

void Recorder::ListVideo(LPCWSTR thumbnail) {
    // The strip lists a video by its first-frame picture; the last one is also kept here.
    swprintf(m_listedVideo, MAX_PATH, u"%s", thumbnail);
    if (g_thumbnailView)
        g_thumbnailView->AddVideo(thumbnail);
}
