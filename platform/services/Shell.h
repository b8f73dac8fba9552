// Opening documents, folders and web addresses with the desktop's handler (xdg-open), and
// starting programs. Programs always start from an argument vector, never through a shell, and
// detached: nothing waits for them. On the headless platform (QT_QPA_PLATFORM=offscreen, where
// tests run) nothing is started; every start is recorded for tests (ServiceSeams.h).
#pragma once

#include "platform/win/window/WinUser.h"

#include <chrono>
#include <string>
#include <vector>

// ShellExecute results (values up to 32 are errors)
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT 28
#define SE_ERR_DDEFAIL 29
#define SE_ERR_DDEBUSY 30
#define SE_ERR_NOASSOC 31
#define SE_ERR_DLLNOTFOUND 32

// "open" (or no verb) of a file, folder or URL: an executable file is started with
// `parameters` split into arguments; anything else goes to xdg-open. Returns a value above 32
// on success, SE_ERR_FNF for a missing file, SE_ERR_NOASSOC when no handler could start.
HINSTANCE ShellExecute(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                       LPCWSTR directory, INT show);
// Starts the program of a command line (UTF-8), split into arguments as the system's command
// lines are (double quotes group, \" is a quote). The file explorer's name opens its argument
// with xdg-open. Returns a value above 31 on success, ERROR_FILE_NOT_FOUND when the program
// cannot be started.
UINT WinExec(const char* commandLine, UINT show);

namespace ms {

// Splits a command line into arguments (see WinExec).
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);
// Starts argv[0] (searched in PATH when it has no '/') with the rest as arguments, detached,
// in `directory` (empty: the current one). False when it cannot be started.
bool StartProgram(const std::vector<std::u16string>& argv, const std::u16string& directory = {});

// What RunProgram gives besides an exit status.
inline constexpr int kProgramStillRunning = -1; // still running when the wait ended
inline constexpr int kProgramNotStarted = -2;   // could not be started
// Starts argv like StartProgram and waits at most `wait` for it to end, for callers that must
// know whether a helper (xdg-email) did its work. Returns its exit status (128 + the signal
// when a signal ended it), kProgramStillRunning when it still runs after `wait` (it goes on by
// itself and is reaped when it ends), kProgramNotStarted when it cannot be started. Called on
// the user-interface thread, it keeps windows painting and posted messages flowing while it
// waits, but holds the operator's input back until it returns. On the
// headless platform nothing is started: the start is recorded and ends with 0, or as the
// test scripted it (ServiceSeams.h).
int RunProgram(const std::vector<std::u16string>& argv, std::chrono::milliseconds wait);
// RunProgram's start and wait itself, also on the headless platform (for its tests).
int SpawnAndWait(const std::vector<std::u16string>& argv, std::chrono::milliseconds wait);

} // namespace ms
