#include "capture/TimedCaptureDlg.h"

#include "kit/DialogTexts.h"
#include "kit/LangText.h"

#include "platform/win/core/Format.h"
#include "platform/win/core/Sync.h"
#include "platform/win/core/Time.h"
#include "res/TimedCaptureResource.h"

#include <memory>

namespace {

// Worker -> dialog: picture wParam has been requested.
constexpr UINT WM_TIMED_PICTURE = WM_APP + 1;

int Compare(WORD a, WORD b) {
    return a > b ? 1 : (a < b ? -1 : 0);
}

} // namespace

int CompareSystemTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    const WORD SYSTEMTIME::*fields[] = {&SYSTEMTIME::wYear,   &SYSTEMTIME::wMonth,
                                        &SYSTEMTIME::wDay,    &SYSTEMTIME::wHour,
                                        &SYSTEMTIME::wMinute, &SYSTEMTIME::wSecond};
    for (auto field : fields)
        if (int c = Compare(a.*field, b.*field))
            return c;
    return 0;
}

CString FormatSizeEstimate(long long hundredths) {
    if (hundredths < 0)
        hundredths = 0;
    CString text;
    text.Format(u"%4d.%02d", static_cast<int>(hundredths / 100),
                static_cast<int>(hundredths % 100));
    return text;
}

// Everything the worker reads, copied when Start is pressed, so that the fields may change
// (the picture count's focus loss reads them back) while a series runs.
struct CTimedCaptureDlg::Series {
    SYSTEMTIME start{};
    ULONGLONG intervalMs = 0;
    int frameCount = 0;
    HWND dialog = nullptr;
    HWND requestWindow = nullptr;
    UINT requestMessage = 0;
    std::atomic<int>* running = nullptr; // the dialog's; it outlives the worker
    HANDLE quitEvent = nullptr;
};

BEGIN_MESSAGE_MAP(CTimedCaptureDlg, CDialog)
ON_BN_CLICKED(IDC_TC_START, OnStart)
ON_EN_KILLFOCUS(IDC_TC_FRAMES, OnFramesKillFocus)
ON_MESSAGE(WM_TIMED_PICTURE, OnPictureRequested)
END_MESSAGE_MAP()

CTimedCaptureDlg::CTimedCaptureDlg(TimedCaptureProfile profile, HWND requestWindow, CWnd* parent)
    : CDialog(IDD_TIMED_CAPTURE, parent), m_intervalSeconds(profile.intervalSeconds),
      m_frameCount(profile.frameCount), m_profile(std::move(profile)),
      m_requestWindow(requestWindow) {}

CTimedCaptureDlg::~CTimedCaptureDlg() {
    StopWorker();
    if (m_quitEvent)
        CloseHandle(m_quitEvent);
}

void CTimedCaptureDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    // In this order: the exchange stops at the first value out of range. A clock shows hours
    // 0-23 and minutes and seconds 0-59; 24 or 60 would name a second that never comes.
    static const struct {
        int id;
        int CTimedCaptureDlg::*member;
        int minValue, maxValue;
    } fields[] = {
        {IDC_TC_INTERVAL_SECONDS, &CTimedCaptureDlg::m_intervalSeconds, 3, 60},
        {IDC_TC_INTERVAL_MINUTES, &CTimedCaptureDlg::m_intervalMinutes, 0, 999},
        {IDC_TC_FRAMES, &CTimedCaptureDlg::m_frameCount, 1, 200},
        {IDC_TC_DAY, &CTimedCaptureDlg::m_startDay, 1, 31},
        {IDC_TC_HOUR, &CTimedCaptureDlg::m_startHour, 0, 23},
        {IDC_TC_MINUTE, &CTimedCaptureDlg::m_startMinute, 0, 59},
        {IDC_TC_MONTH, &CTimedCaptureDlg::m_startMonth, 1, 12},
        {IDC_TC_SECOND, &CTimedCaptureDlg::m_startSecond, 0, 59},
        {IDC_TC_YEAR, &CTimedCaptureDlg::m_startYear, 2008, 2032},
    };
    for (const auto& f : fields) {
        DDX_Text(dx, f.id, this->*f.member);
        DDV_MinMaxInt(dx, this->*f.member, f.minValue, f.maxValue);
    }
}

BOOL CTimedCaptureDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SYSTEMTIME now;
    GetLocalTime(&now);
    m_startYear = now.wYear;
    m_startMonth = now.wMonth;
    m_startDay = now.wDay;
    m_startHour = now.wHour;
    m_startMinute = now.wMinute;
    m_startSecond = now.wSecond;
    UpdateData(FALSE);
    if (!m_quitEvent)
        m_quitEvent = CreateEvent(nullptr, TRUE, TRUE, nullptr);
    LoadTexts();
    UpdateSizeEstimate();
    return TRUE;
}

void CTimedCaptureDlg::LoadTexts() {
    static const DialogText texts[] = {
        {u"CaptureSetting", u"Capture Setting", 0},
        {u"StartTime", u"Start Time", IDC_TC_START_LABEL},
        {u"Interval", u"Interval", IDC_TC_INTERVAL_LABEL},
        {u"Capture", u"Capture", IDC_TC_CAPTURE_LABEL},
        {u"Frame", u"Frame", IDC_TC_FRAME_LABEL},
        {u"Completed", u"Completed", IDC_TC_COMPLETED_LABEL},
        {u"Frame", u"Frame", IDC_TC_FRAME_LABEL2},
        {u"Start", u"Start", IDC_TC_START},
        {u"Cancel", u"Cancel", IDCANCEL},
        {u"FileSize", u"File Size", IDC_TC_FILE_SIZE_LABEL},
    };
    SetDialogTexts(m_hWnd, texts);
}

void CTimedCaptureDlg::UpdateSizeEstimate() {
    const long long hundredths =
        m_profile.estimateHundredths ? m_profile.estimateHundredths(m_frameCount) : 0;
    SetDlgItemText(IDC_TC_FILE_SIZE, FormatSizeEstimate(hundredths));
}

void CTimedCaptureDlg::OnFramesKillFocus() {
    UpdateData(TRUE);
    UpdateSizeEstimate();
}

BOOL CTimedCaptureDlg::GetStartTime(SYSTEMTIME* start) {
    if (!UpdateData(TRUE))
        return FALSE;
    *start = SYSTEMTIME{};
    start->wYear = static_cast<WORD>(m_startYear);
    start->wMonth = static_cast<WORD>(m_startMonth);
    start->wDay = static_cast<WORD>(m_startDay);
    start->wHour = static_cast<WORD>(m_startHour);
    start->wMinute = static_cast<WORD>(m_startMinute);
    start->wSecond = static_cast<WORD>(m_startSecond);
    return TRUE;
}

void CTimedCaptureDlg::OnStart() {
    WCHAR startText[256];
    GetLangText(u"Start", startText, 256, u"Start");
    CString shown;
    GetDlgItemText(IDC_TC_START, shown);
    if (shown == startText) {
        StartSeries();
        return;
    }
    SetDlgItemInt(IDC_TC_COMPLETED, 0);
    // Waiting here (10 ms at most) keeps a quick Start after Stop from running two workers.
    StopWorker();
    SetDlgItemText(IDC_TC_START, startText);
}

void CTimedCaptureDlg::StartSeries() {
    auto series = std::make_unique<Series>();
    if (!GetStartTime(&series->start))
        return; // the exchange showed which field is out of range
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (CompareSystemTime(series->start, now) < 0) {
        WCHAR text[256];
        GetLangText(u"SET_TIMER_FAIL", text, 256,
                    u"The time of your setting must be a future time!");
        MessageBox(text);
        return;
    }
    series->intervalMs = (static_cast<ULONGLONG>(m_intervalMinutes) * 60u +
                          static_cast<ULONGLONG>(m_intervalSeconds)) *
                         1000u;
    series->frameCount = m_frameCount;
    series->dialog = m_hWnd;
    series->requestWindow = m_requestWindow;
    series->requestMessage = m_profile.requestMessage;
    series->running = &m_running;
    series->quitEvent = m_quitEvent;

    // Reset here, not in the worker, so that a Stop before the worker's first step still waits.
    ResetEvent(m_quitEvent);
    m_running = 1;
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, series.get(), 0, nullptr);
    if (!thread) {
        m_running = 0;
        SetEvent(m_quitEvent);
        return;
    }
    series.release(); // the worker owns it now
    CloseHandle(thread);
    WCHAR stopText[256];
    GetLangText(u"Stop", stopText, 256, u"Stop");
    SetDlgItemText(IDC_TC_START, stopText);
}

DWORD CTimedCaptureDlg::WorkerMain(LPVOID parameter) {
    const std::unique_ptr<Series> series(static_cast<Series*>(parameter));
    std::atomic<int>& running = *series->running;

    // The start second counts as reached once it has passed, so a second missed while the
    // machine was busy does not leave the series waiting for ever.
    bool started = false;
    while (running.load()) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        if (CompareSystemTime(now, series->start) >= 0) {
            started = true;
            break;
        }
        Sleep(5);
    }

    if (started) {
        // Each picture is due one interval after the one before, counted from the first, so
        // the series does not drift by the time the posting takes.
        const ULONGLONG first = GetTickCount64();
        for (int i = 1; i <= series->frameCount && running.load(); ++i) {
            ::PostMessage(series->requestWindow, series->requestMessage, 0, 0);
            ::PostMessage(series->dialog, WM_TIMED_PICTURE, static_cast<WPARAM>(i), 0);
            const ULONGLONG due = first + series->intervalMs * static_cast<ULONGLONG>(i);
            while (running.load() && GetTickCount64() < due)
                Sleep(10);
        }
        if (running.load())
            ::PostMessage(series->dialog, WM_CLOSE, 0, 0);
    }
    SetEvent(series->quitEvent);
    return 0;
}

LRESULT CTimedCaptureDlg::OnPictureRequested(WPARAM count, LPARAM) {
    // A count that arrives after Stop belongs to the series that was stopped.
    if (m_running.load())
        SetDlgItemInt(IDC_TC_COMPLETED, static_cast<UINT>(count));
    return 0;
}

void CTimedCaptureDlg::StopWorker() {
    m_running = 0;
    if (m_quitEvent)
        WaitForSingleObject(m_quitEvent, INFINITE);
}

void CTimedCaptureDlg::OnOK() {
    OnCancel();
}

void CTimedCaptureDlg::OnCancel() {
    StopWorker();
    CDialog::OnCancel();
}
