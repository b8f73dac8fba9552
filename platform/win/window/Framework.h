// What the application framework (platform/mfc) plugs into the window layer: its
// pre-translation walk, a hook that sees a window right after its object exists (before
// WM_NCCREATE, so that the framework can subclass it as it is born), and modal loops.
#pragma once

#include "platform/win/window/WinUser.h"

#include <functional>

namespace ms {

// Called for every queued message before translation and dispatch; TRUE swallows it.
// `stop` is the window that runs the innermost modal loop (null: none runs).
using PreTranslateHook = BOOL (*)(MSG* msg, HWND stop);
void SetPreTranslateHook(PreTranslateHook hook);

// The next window created on this thread is passed to `hook` once, as soon as its handle is
// valid and before any message reaches it.
void SetCreateHook(std::function<void(HWND)> hook);

// Runs a nested event loop until EndModalLoop(hwnd) (or WM_QUIT). While it runs, the
// pre-translation walk stops at hwnd and ClipCursor is released (and restored afterwards).
// Returns the value given to EndModalLoop, or -1 when WM_QUIT ended it.
INT_PTR RunModalLoop(HWND hwnd);
// Ends the innermost loop run for hwnd; harmless when none runs (the next RunModalLoop for
// hwnd then returns at once, as EndDialog inside WM_INITDIALOG does).
void EndModalLoop(HWND hwnd, INT_PTR result);
bool InModalLoop(HWND hwnd);
// EndModalLoop ran for hwnd before its loop started (EndDialog inside WM_INITDIALOG).
bool ModalEndPending(HWND hwnd);
// The window that runs the innermost modal loop, or null.
HWND CurrentModalWindow();

// Runs `handler` at a thread's quiet points: on the UI thread each time its event loop is
// about to wait while no window procedure runs; on another thread each time it released its
// last DC from GetDC (the end of a frame it painted). The handler runs on that thread and
// must only touch that thread's own state. Handlers stay for the program's life.
void AddIdleHandler(std::function<void()> handler);

// The exit code given to PostQuitMessage once WM_QUIT arrived; -1 before.
int QuitCode();
// Runs the application's event loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

} // namespace ms
