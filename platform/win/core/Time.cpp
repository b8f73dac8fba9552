#include "platform/win/core/Time.h"

#include <ctime>
#include <mutex>
#include <optional>
#include <thread>

namespace {

struct TestClock {
    long long msSinceEpoch; // of the test's local time, counted as if it were UTC
    ULONGLONG ticks;
    std::thread::id setter;
    unsigned long long readsElsewhere = 0;
};

std::mutex g_mutex;
std::optional<TestClock> g_test;

SYSTEMTIME FromMs(long long ms, bool local) {
    std::time_t secs = static_cast<std::time_t>(ms / 1000);
    std::tm tm{};
    if (local)
        localtime_r(&secs, &tm);
    else
        gmtime_r(&secs, &tm);
    SYSTEMTIME st;
    st.wYear = static_cast<WORD>(tm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    st.wDay = static_cast<WORD>(tm.tm_mday);
    st.wHour = static_cast<WORD>(tm.tm_hour);
    st.wMinute = static_cast<WORD>(tm.tm_min);
    st.wSecond = static_cast<WORD>(tm.tm_sec);
    st.wMilliseconds = static_cast<WORD>(ms % 1000);
    return st;
}

void CountRead(TestClock& clock) {
    if (std::this_thread::get_id() != clock.setter)
        ++clock.readsElsewhere;
}

long long NowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void Fill(LPSYSTEMTIME time, bool local) {
    if (!time)
        return;
    {
        std::lock_guard lock(g_mutex);
        if (g_test) {
            CountRead(*g_test);
            *time = FromMs(g_test->msSinceEpoch, false);
            return;
        }
    }
    *time = FromMs(NowMs(), local);
}

} // namespace

void GetLocalTime(LPSYSTEMTIME time) {
    Fill(time, true);
}
void GetSystemTime(LPSYSTEMTIME time) {
    Fill(time, false);
}

ULONGLONG GetTickCount64() {
    {
        std::lock_guard lock(g_mutex);
        if (g_test) {
            CountRead(*g_test);
            return g_test->ticks;
        }
    }
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<ULONGLONG>(ts.tv_sec) * 1000u +
           static_cast<ULONGLONG>(ts.tv_nsec) / 1000000u;
}

DWORD GetTickCount() {
    return static_cast<DWORD>(GetTickCount64());
}

void ms::SetTestClock(const SYSTEMTIME& now, ULONGLONG tickCount) {
    std::tm tm{};
    tm.tm_year = now.wYear - 1900;
    tm.tm_mon = now.wMonth - 1;
    tm.tm_mday = now.wDay;
    tm.tm_hour = now.wHour;
    tm.tm_min = now.wMinute;
    tm.tm_sec = now.wSecond;
    long long secs = static_cast<long long>(timegm(&tm));
    std::lock_guard lock(g_mutex);
    g_test =
        TestClock{secs * 1000 + now.wMilliseconds % 1000, tickCount, std::this_thread::get_id()};
}

void ms::AdvanceTestClock(DWORD milliseconds) {
    std::lock_guard lock(g_mutex);
    if (g_test) {
        g_test->msSinceEpoch += milliseconds;
        g_test->ticks += milliseconds;
    }
}

unsigned long long ms::TestClockReadsElsewhere() {
    std::lock_guard lock(g_mutex);
    return g_test ? g_test->readsElsewhere : 0;
}

void ms::ClearTestClock() {
    std::lock_guard lock(g_mutex);
    g_test.reset();
}
