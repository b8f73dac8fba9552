#include "platform/win/core/Sync.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

// Waits on cv until ready() or the time-out; INFINITE waits for ever.
template <typename Ready>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD timeoutMs,
             Ready ready) {
    if (timeoutMs == INFINITE) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

class EventObject : public ms::KernelObject {
public:
    EventObject(bool manual, bool initial) : manual_(manual), signalled_(initial) {}
    DWORD Wait(DWORD timeoutMs) override {
        std::unique_lock lock(mutex_);
        if (!WaitFor(cv_, lock, timeoutMs, [this] { return signalled_; }))
            return WAIT_TIMEOUT;
        if (!manual_)
            signalled_ = false; // an auto-reset event releases one waiter
        return WAIT_OBJECT_0;
    }
    void Set(bool on) {
        {
            std::lock_guard lock(mutex_);
            signalled_ = on;
        }
        if (on) {
            if (manual_)
                cv_.notify_all();
            else
                cv_.notify_one();
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool manual_;
    bool signalled_;
};

class MutexObject : public ms::KernelObject {
public:
    ~MutexObject() override {
        if (lockFd_ >= 0)
            ::close(lockFd_); // frees the name for the next process
    }
    // Takes the name: false when another open handle (any process) holds it already.
    bool ClaimName(const std::string& path) {
        lockFd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lockFd_ < 0)
            return true; // no lock file possible: behave as a fresh, unnamed mutex
        if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0)
            return true;
        ::close(lockFd_);
        lockFd_ = -1;
        return false;
    }
    DWORD Wait(DWORD timeoutMs) override {
        std::unique_lock lock(mutex_);
        auto me = std::this_thread::get_id();
        if (!WaitFor(cv_, lock, timeoutMs, [&] { return count_ == 0 || owner_ == me; }))
            return WAIT_TIMEOUT;
        owner_ = me;
        ++count_;
        return WAIT_OBJECT_0;
    }
    bool Release() {
        std::lock_guard lock(mutex_);
        if (count_ == 0 || owner_ != std::this_thread::get_id())
            return false;
        if (--count_ == 0)
            cv_.notify_one();
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::thread::id owner_;
    int count_ = 0;
    int lockFd_ = -1;
};

class ThreadObject : public ms::KernelObject {
public:
    DWORD Wait(DWORD timeoutMs) override {
        std::unique_lock lock(mutex_);
        return WaitFor(cv_, lock, timeoutMs, [this] { return done_; }) ? WAIT_OBJECT_0
                                                                       : WAIT_TIMEOUT;
    }
    void Finish(DWORD code) {
        {
            std::lock_guard lock(mutex_);
            exitCode_ = code;
            done_ = true;
        }
        cv_.notify_all();
    }
    void Started(DWORD id) {
        {
            std::lock_guard lock(mutex_);
            id_ = id;
        }
        cv_.notify_all();
    }
    DWORD WaitStarted() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return id_ != 0; });
        return id_;
    }
    DWORD ExitCode() {
        std::lock_guard lock(mutex_);
        return done_ ? exitCode_ : STILL_ACTIVE;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    DWORD exitCode_ = 0;
    DWORD id_ = 0;
};

std::string MutexFile(LPCWSTR name) {
    std::string safe;
    for (char c : ms::ToUtf8(name))
        safe += (std::isalnum(static_cast<unsigned char>(c)) || c == '{' || c == '}' || c == '-' ||
                 c == '.')
                    ? c
                    : '_';
    return ms::NativePath(ms::RuntimeDir()) + "/ms-mutex-" + safe + ".lock";
}

BOOL SetEventState(HANDLE event, bool signalled) {
    auto e = ms::ObjectAs<EventObject>(event);
    if (!e) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    e->Set(signalled);
    return TRUE;
}

} // namespace

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR) {
    SetLastError(ERROR_SUCCESS);
    return ms::NewHandle(
        std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event) {
    return SetEventState(event, true);
}

BOOL ResetEvent(HANDLE event) {
    return SetEventState(event, false);
}

HANDLE CreateMutex(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name) {
    auto m = std::make_shared<MutexObject>();
    bool fresh = !name || !*name || m->ClaimName(MutexFile(name));
    if (fresh && initialOwner)
        m->Wait(INFINITE);
    HANDLE h = ms::NewHandle(m);
    SetLastError(fresh ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return h;
}

BOOL ReleaseMutex(HANDLE mutex) {
    auto m = ms::ObjectAs<MutexObject>(mutex);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!m->Release()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, size_t, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD flags, LPDWORD threadId) {
    if (!start || flags != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<ThreadObject>();
    try {
        std::thread([object, start, parameter] {
            object->Started(GetCurrentThreadId());
            object->Finish(start(parameter));
        }).detach();
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DWORD id = object->WaitStarted();
    if (threadId)
        *threadId = id;
    return ms::NewHandle(object);
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
    auto t = ms::ObjectAs<ThreadObject>(thread);
    if (!t || !exitCode) {
        SetLastError(t ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = t->ExitCode();
    return TRUE;
}

DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(::gettid());
}

void Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
