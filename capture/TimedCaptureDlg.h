// The timed-capture dialog that both programs share: from a start date and time given to the
// second, one picture per interval until a given number has been taken.
//
// A worker thread per started series waits for the start second, then posts the program's
// request message to the request window once per picture; the pictures themselves are taken
// by that window on the user-interface thread. The worker only posts (its count, its request,
// WM_CLOSE at the end), so the dialog may wait for it without processing messages; every way
// out of the dialog (Cancel, Enter, the close box, the worker's own WM_CLOSE, destruction)
// stops the worker and waits for it first. Times are read through GetLocalTime and
// GetTickCount64, so tests drive a series with the platform's test clock.
#pragma once

#include "platform/mfc/AfxWin.h"

#include <atomic>
#include <functional>

struct TimedCaptureProfile {
    int intervalSeconds = 3; // defaults of the fields
    int frameCount = 8;
    // Posted to the request window once per picture, with wParam and lParam 0.
    UINT requestMessage = 0;
    // Estimated size of a series of `frameCount` pictures in hundredths of a megabyte; called
    // on the user-interface thread. Null shows 0.
    std::function<long long(int frameCount)> estimateHundredths;
};

// 1 when `a` is later than `b`, -1 when earlier, 0 when equal; compares year, month, day,
// hour, minute and second, ignoring the day of the week and the milliseconds.
int CompareSystemTime(const SYSTEMTIME& a, const SYSTEMTIME& b);

// The size field's text: whole megabytes and hundredths, "%4d.%02d".
CString FormatSizeEstimate(long long hundredths);

class CTimedCaptureDlg : public CDialog {
public:
    // `requestWindow` receives the profile's request message; it must outlive the dialog.
    CTimedCaptureDlg(TimedCaptureProfile profile, HWND requestWindow, CWnd* parent = nullptr);
    ~CTimedCaptureDlg() override;

    int m_intervalSeconds;
    int m_intervalMinutes = 0;
    int m_frameCount;
    int m_startDay = 0;
    int m_startHour = 0;
    int m_startMinute = 0;
    int m_startMonth = 0;
    int m_startSecond = 0;
    int m_startYear = 0;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Enter: the dialog has no OK button, so Enter ends it as Cancel does.
    void OnOK() override;
    void OnCancel() override;

    // Reads the fields back (the exchange shows its message for a value out of range) and
    // copies the start date and time into `start`. FALSE when a field is out of range.
    BOOL GetStartTime(SYSTEMTIME* start);
    void UpdateSizeEstimate();
    // 1 while a series is wanted (Start pressed and neither Stop nor the end came).
    int IsRunning() const { return m_running.load(); }

protected:
    afx_msg void OnStart();
    afx_msg void OnFramesKillFocus();
    afx_msg LRESULT OnPictureRequested(WPARAM count, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    struct Series;
    static DWORD WorkerMain(LPVOID series);
    void StartSeries();
    // Clears the running flag and waits until no worker runs.
    void StopWorker();
    void LoadTexts();

    TimedCaptureProfile m_profile;
    HWND m_requestWindow;
    // Manual reset, signalled while no worker runs; one per dialog, shared with nobody.
    HANDLE m_quitEvent = nullptr;
    std::atomic<int> m_running{0};
};
