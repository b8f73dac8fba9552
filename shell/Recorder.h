// The main window's AVI recording: the record command, the one-second record timer that counts
// the recorded seconds of video and stops the recording at its length limit or when the writer
// failed (saying why), and the end of a recording by the Preview command or at shut-down.
//
// The writer is opened here on the UI thread before g_recording becomes 1, and closed only
// after the capture graph has stopped (Stop returns when no frame callback runs any more) and
// g_recording is 0 again.
#pragma once

#include "kit/ToggleBitmapButton.h"

#include "platform/mfc/AfxWin.h"

#include <functional>

class StillRoad;

// The record timer of the main window.
#define TIMER_RECORD 1002

class Recorder {
public:
    using ButtonOf = std::function<CToggleBitmapButton*(int id)>;

    // `window` owns the record timer and parents the messages; the first-frame picture goes
    // through `stills`; `refreshTips` renews the buttons' tooltips after a state change.
    Recorder(CWnd& window, StillRoad& stills, ButtonOf button, std::function<void()> refreshTips)
        : m_window(window), m_stills(stills), m_button(std::move(button)),
          m_refreshTips(std::move(refreshTips)) {}
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // The record button: starts a recording after the Recorder Setting dialog or stops the
    // running one. Every press plays the record sound.
    void OnRecord();
    // The timer's tick: a second counts only when at least 15 frames went into the video since
    // the last counted one.
    void OnTimerTick();
    // One counted second; at the length limit the recording stops.
    void OnSecond();
    // Ends a running recording where the capture is not run again at once (the Preview command,
    // shut-down): stops the graph, closes and lists the file, releases the record button, stops
    // the timer and clears the counter. 1 when a recording ran.
    int End();
    int Limit() const { return m_limit; }
    // The first-frame picture of the last recording handed to the strip's video list.
    LPCWSTR LastListedVideo() const { return m_listedVideo; }

private:
    void Start();
    void Close();
    void ListVideo(LPCWSTR thumbnail);
    // Shows why the AVI writer failed, with the file's path, when it did: `text` (the
    // language key `key`) over the path and the reason.
    void ShowFailure(LPCWSTR key, LPCWSTR text);
    // The recording's first-frame picture: the frame now coming (live frames are not kept).
    void SaveFirstFrame();
    void ShowRecording(bool recording);

    CWnd& m_window;
    StillRoad& m_stills;
    ButtonOf m_button;
    std::function<void()> m_refreshTips;
    int m_limit = 0; // counted seconds; 0 between recordings
    WCHAR m_listedVideo[MAX_PATH]{};
};
