// Kernel-object handles: files, find handles, events, mutexes and threads share one handle
// table, so that CloseHandle and WaitForSingleObject take any of them, as on Windows. A handle
// is a number from the table, never a pointer: a stale or foreign handle fails with
// ERROR_INVALID_HANDLE instead of touching freed memory. An object lives while a handle to it
// is open or a wait on it is in progress.
#pragma once

#include "platform/win/WinTypes.h"

#include <memory>

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define INFINITE 0xFFFFFFFFu

namespace ms {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Waits until the object is signalled or timeoutMs passed; objects that cannot be waited
    // for fail.
    virtual DWORD Wait(DWORD timeoutMs);
};

HANDLE NewHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> ObjectOf(HANDLE h);
template <typename T> std::shared_ptr<T> ObjectAs(HANDLE h) {
    return std::dynamic_pointer_cast<T>(ObjectOf(h));
}
// Removes the handle from the table; false (ERROR_INVALID_HANDLE) for an unknown handle.
bool ReleaseHandle(HANDLE h);

// The calling thread's last error, as GetLastError reports it.
void SetLastErrorFromErrno(int err);

} // namespace ms

DWORD GetLastError();
void SetLastError(DWORD error);
BOOL CloseHandle(HANDLE h);
DWORD WaitForSingleObject(HANDLE h, DWORD timeoutMs);
