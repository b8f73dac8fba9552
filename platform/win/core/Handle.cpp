#include "platform/win/core/Handle.h"

#include <cerrno>
#include <mutex>
#include <unordered_map>

namespace {

thread_local DWORD t_lastError = 0;

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<ms::KernelObject>> objects;
    std::uintptr_t next = 0x1000;
};

HandleTable& Table() {
    static HandleTable* table = new HandleTable; // outlives every static destructor
    return *table;
}

} // namespace

DWORD ms::KernelObject::Wait(DWORD) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

HANDLE ms::NewHandle(std::shared_ptr<KernelObject> object) {
    HandleTable& t = Table();
    std::lock_guard lock(t.mutex);
    std::uintptr_t id = t.next;
    t.next += 4;
    t.objects.emplace(id, std::move(object));
    return reinterpret_cast<HANDLE>(id);
}

std::shared_ptr<ms::KernelObject> ms::ObjectOf(HANDLE h) {
    HandleTable& t = Table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(h));
    return it == t.objects.end() ? nullptr : it->second;
}

bool ms::ReleaseHandle(HANDLE h) {
    std::shared_ptr<KernelObject> last; // destroyed outside the table's lock
    HandleTable& t = Table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == t.objects.end()) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    last = std::move(it->second);
    t.objects.erase(it);
    return true;
}

void ms::SetLastErrorFromErrno(int err) {
    DWORD e;
    switch (err) {
    case 0:
        e = ERROR_SUCCESS;
        break;
    case ENOENT:
        e = ERROR_FILE_NOT_FOUND;
        break;
    case ENOTDIR:
        e = ERROR_PATH_NOT_FOUND;
        break;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        e = ERROR_ACCESS_DENIED;
        break;
    case EEXIST:
        e = ERROR_ALREADY_EXISTS;
        break;
    case ENOSPC:
    case EDQUOT:
        e = ERROR_DISK_FULL;
        break;
    case ENOTEMPTY:
        e = ERROR_DIR_NOT_EMPTY;
        break;
    case ENAMETOOLONG:
        e = ERROR_FILENAME_EXCED_RANGE;
        break;
    case EXDEV:
        e = ERROR_NOT_SAME_DEVICE;
        break;
    case EBADF:
        e = ERROR_INVALID_HANDLE;
        break;
    case ENOMEM:
        e = ERROR_NOT_ENOUGH_MEMORY;
        break;
    case EINVAL:
        e = ERROR_INVALID_PARAMETER;
        break;
    default:
        e = ERROR_WRITE_FAULT;
    }
    t_lastError = e;
}

DWORD GetLastError() {
    return t_lastError;
}
void SetLastError(DWORD error) {
    t_lastError = error;
}

BOOL CloseHandle(HANDLE h) {
    return ms::ReleaseHandle(h) ? TRUE : FALSE;
}

DWORD WaitForSingleObject(HANDLE h, DWORD timeoutMs) {
    std::shared_ptr<ms::KernelObject> object = ms::ObjectOf(h);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(timeoutMs);
}
