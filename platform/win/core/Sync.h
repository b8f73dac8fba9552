// Threads and synchronisation under the Win32 names. Keeps: critical sections are recursive;
// events are manual- or auto-reset and WaitForSingleObject takes a time-out in milliseconds
// (INFINITE waits for ever); a thread handle is signalled when the thread has ended;
// CreateMutex with a name tells through GetLastError() == ERROR_ALREADY_EXISTS whether another
// handle (in this or another process of the same user) has it open, and the name is freed when
// the last handle closes or the process ends. Differs: the named mutex is a lock file under
// the XDG runtime folder (never inherited by started programs); it is owned only within its
// process. Event names are ignored: each CreateEvent makes a new event.
#pragma once

#include "platform/win/WinTypes.h"
#include "platform/win/core/Handle.h"

#include <mutex>

struct CRITICAL_SECTION {
    std::recursive_mutex mutex;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

// The mutex lives inside the struct, so Initialize and Delete have nothing left to do.
inline void InitializeCriticalSection(LPCRITICAL_SECTION) {}
inline void DeleteCriticalSection(LPCRITICAL_SECTION) {}
inline void EnterCriticalSection(LPCRITICAL_SECTION cs) {
    cs->mutex.lock();
}
inline void LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    cs->mutex.unlock();
}
inline BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
    return cs->mutex.try_lock() ? TRUE : FALSE;
}

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES sa, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

#define ERROR_NOT_OWNER 288L
HANDLE CreateMutex(LPSECURITY_ATTRIBUTES sa, BOOL initialOwner, LPCWSTR name);
BOOL ReleaseMutex(HANDLE mutex);

#define STILL_ACTIVE 259u
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);
// Starts at once (no CREATE_SUSPENDED); NULL and GetLastError() when no thread can be made.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES sa, size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
DWORD GetCurrentThreadId();
void Sleep(DWORD milliseconds);
