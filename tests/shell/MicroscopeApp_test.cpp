// The application object: one copy per user. A second start while the first runs ends at once
// with status 0 and no window; once the first has ended, a start runs the main window.
#include "shell/MicroscopeApp.h"
#include "shell/MicroscopeDlg.h"

#include "platform/win/core/Sync.h"
#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"

#include <QCoreApplication>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

bool MutexTaken() {
    HANDLE h = CreateMutex(nullptr, FALSE, kSingleInstanceMutex);
    const bool taken = GetLastError() == ERROR_ALREADY_EXISTS;
    CloseHandle(h);
    return taken;
}

pid_t StartProgram() {
    const std::string program = std::string(std::getenv("MS_PROGRAM_DIR")) + "/Tessary";
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return -1;
    return pid;
}

// The exit status, or -1 when the process did not end within a generous bound.
int WaitForExit(pid_t pid) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (r < 0 && errno != EINTR)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

TEST(MicroscopeAppTest, SecondInstanceInTheSameProcessEndsWithoutAWindow) {
    ms::EnsureApplication();
    ms::test::ResetSeams();
    HANDLE first = CreateMutex(nullptr, FALSE, kSingleInstanceMutex);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    {
        CMicroscopeApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_TRUE(ms::test::ShownLog().empty());
        EXPECT_EQ(app.m_pMainWnd, nullptr);
        app.ExitInstance();
    }
    CloseHandle(first);

    // Free again: the main window runs, and its end ends the run.
    ms::test::PressInDialog(IDD_CALIBRATE_PROMPT, IDCANCEL);
    bool ran = false;
    ms::test::AnswerDialog(IDD_MAIN, [&](HWND dialog) {
        ran = true;
        RECT client;
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 868);
        EXPECT_TRUE(MutexTaken());
        SendMessage(dialog, WM_COMMAND, 1177, 0);
    });
    {
        CMicroscopeApp app;
        EXPECT_FALSE(app.InitInstance());
        app.ExitInstance();
    }
    EXPECT_TRUE(ran);
    EXPECT_FALSE(MutexTaken());
    ms::test::ResetSeams();
}

TEST(MicroscopeAppTest, SecondProgramExitsWhileTheFirstRuns) {
    HANDLE first = CreateMutex(nullptr, FALSE, kSingleInstanceMutex);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    const pid_t second = StartProgram();
    ASSERT_GT(second, 0);
    EXPECT_EQ(WaitForExit(second), 0);
    CloseHandle(first);

    // The first copy has ended: a start runs and holds the name while it runs.
    const pid_t next = StartProgram();
    ASSERT_GT(next, 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool running = false;
    while (!running && std::chrono::steady_clock::now() < end) {
        running = MutexTaken();
        int status = 0;
        if (!running && waitpid(next, &status, WNOHANG) == next)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(running);
    kill(next, SIGTERM);
    WaitForExit(next);
}

} // namespace
