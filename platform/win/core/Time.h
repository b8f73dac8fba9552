// Wall-clock and tick time under the Win32 names, behind a clock that tests can set.
// Keeps: GetLocalTime/GetSystemTime fill a SYSTEMTIME with the day of the week and
// milliseconds; GetTickCount counts milliseconds from an arbitrary start and wraps at 2^32.
// Differs: while a test clock is set, local and system time are the same (the test's) time,
// and both it and the tick count move only by ms::AdvanceTestClock.
#pragma once

#include "platform/win/WinTypes.h"

void GetLocalTime(LPSYSTEMTIME time);
void GetSystemTime(LPSYSTEMTIME time);
DWORD GetTickCount();
ULONGLONG GetTickCount64();

namespace ms {

void SetTestClock(const SYSTEMTIME& now, ULONGLONG tickCount = 0);
void AdvanceTestClock(DWORD milliseconds);
void ClearTestClock();
// How often threads other than the one that set the test clock have read it: a test waits for
// a worker to look at the clock again, instead of waiting for time to pass.
unsigned long long TestClockReadsElsewhere();

} // namespace ms
