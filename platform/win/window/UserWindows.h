// Windows that the same user's other programs can reach: a program publishes one of its
// top-level windows under a title, and another program of the same user sends it a message by
// that title and waits for the answer, as one program finds another's window by its title and
// sends it a message on the desktop the programs came from.
//
// A published window is registered in the user's runtime folder ($XDG_RUNTIME_DIR, which only
// the user can enter): one small file per window naming the local socket it listens on. The
// socket answers only processes of the same user (checked on every connection), and the sender
// checks the same of the listener, so another user's programs never reach the window and never
// pose as it. A registration whose process has ended is ignored and removed. Only the messages
// the window was published with are delivered, with their two numbers (no pointers cross).
//
// UI thread only. The window's procedure runs on the UI thread of its program; the sender waits
// for the answer at most the time it gives, so two programs sending to each other at once are
// held up for that time, never for ever.
#pragma once

#include "platform/win/window/WinUser.h"

#include <chrono>
#include <string>
#include <vector>

namespace ms {

// Publishes `hwnd` under `title` for the messages `messages`. A window published again is
// published anew. False when the runtime folder or the socket cannot be made.
bool PublishWindow(HWND hwnd, const std::u16string& title, const std::vector<UINT>& messages);
// Takes the window's registration away (nothing when it has none). Destroying the window does
// not do it; a registration of a window that is gone answers nobody.
void WithdrawWindow(HWND hwnd);

// Sends `msg` to the window that another program of this user published under `title` and
// waits at most `wait` for its answer. True with the window procedure's result in `*result`
// (when given); false when no such window answered.
bool SendToUserWindow(const std::u16string& title, UINT msg, WPARAM wp, LPARAM lp,
                      LRESULT* result = nullptr,
                      std::chrono::milliseconds wait = std::chrono::seconds(5));

// The folder the registrations are kept in (made with mode 0700 when missing); empty when it
// cannot be used because someone else owns it or others may enter it.
std::u16string UserWindowsDir();

} // namespace ms
