#include "platform/win/core/Sync.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Exit status of a child process that creates the named mutex: 0 new, 1 already existed.
int MutexInChild(const std::u16string& name, bool keepUntilKilled = false) {
    pid_t pid = ::fork();
    if (pid == 0) {
        HANDLE h = CreateMutex(nullptr, FALSE, name.c_str());
        int code = (h && GetLastError() == ERROR_ALREADY_EXISTS) ? 1 : 0;
        if (keepUntilKilled)
            ::_exit(h ? 7 : 8); // ends without closing: the process end frees the name
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ms-run-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        ::setenv("XDG_RUNTIME_DIR", tmpl, 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_RUNTIME_DIR");
        std::system(("rm -rf " + dir_).c_str());
    }
    std::string dir_;
};

DWORD Worker(LPVOID p) {
    HANDLE event = static_cast<HANDLE>(p);
    WaitForSingleObject(event, INFINITE);
    return 42;
}

} // namespace

TEST_F(SyncTest, NamedMutexAcrossProcesses) {
    const std::u16string name = u"{1C6780D1-4078-41fa-8F5F-8FCC82BD15DD}";
    EXPECT_EQ(MutexInChild(name), 0);
    HANDLE first = CreateMutex(nullptr, FALSE, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(MutexInChild(name), 1); // a second start sees the first
    HANDLE second = CreateMutex(nullptr, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_EQ(MutexInChild(name), 0); // after the first copy ended, a new start runs
    EXPECT_EQ(MutexInChild(name, true), 7);
    HANDLE again = CreateMutex(nullptr, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    CloseHandle(again);
}

TEST_F(SyncTest, MutexOwnership) {
    HANDLE m = CreateMutex(nullptr, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0); // recursive for its owner
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_FALSE(ReleaseMutex(m));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_OWNER));
    CloseHandle(m);
}

TEST(Sync, EventsAndThreads) {
    HANDLE manual = CreateEvent(nullptr, TRUE, TRUE, u"Wait thread quit");
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0); // stays signalled
    EXPECT_TRUE(ResetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);

    HANDLE autoReset = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, Worker, autoReset, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, GetCurrentThreadId());
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 10), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(autoReset));
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_TIMEOUT); // the worker consumed it
    for (HANDLE h : {manual, autoReset, thread})
        EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(manual));

    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs); // recursive
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);
    DeleteCriticalSection(&cs);
}
