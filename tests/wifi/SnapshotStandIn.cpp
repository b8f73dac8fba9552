// A stand-in for the sibling snapshot program, placed by the tests as "SNAPSHOT.exe" in the
// program folder. It shows a window titled "SNAPSHOT" that other programs of the user can reach,
// asks Wavenor's window for a picture (message 4004) and writes what happened, one line each,
// into "snapshot-standin.log" beside itself: "reply <n>" or "no reply", then "close" when
// Wavenor's message 4005 arrives, after which it ends. It ends by itself after a minute.
// With the argument "--send" it only sends 4004 and ends with 0 when the answer was 1, with 3
// when no window answered (the tests run it so as another user or from another runtime folder).
#include "platform/win/window/Application.h"
#include "platform/win/window/Framework.h"
#include "platform/win/window/UserWindows.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string g_log;

void Log(const std::string& line) {
    if (FILE* f = std::fopen(g_log.c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

LRESULT StandInProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case 4005:
        Log("close");
        PostQuitMessage(0);
        return 0;
    case WM_TIMER:
        Log("gave up");
        PostQuitMessage(1);
        return 0;
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--send") {
        LRESULT reply = 0;
        if (!ms::SendToUserWindow(u"Wavenor", 4004, 0, 0, &reply, std::chrono::seconds(30)))
            return 3;
        return reply == 1 ? 0 : 4;
    }
    g_log = (std::filesystem::absolute(argv[0]).parent_path() / "snapshot-standin.log").string();
    ms::EnsureApplication();
    WNDCLASSW wc{};
    wc.lpfnWndProc = StandInProc;
    wc.lpszClassName = u"SnapshotStandIn";
    RegisterClass(&wc);
    HWND window = CreateWindowEx(0, u"SnapshotStandIn", u"SNAPSHOT", WS_OVERLAPPED, 0, 0, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    if (!window || !ms::PublishWindow(window, u"SNAPSHOT", {4005})) {
        Log("no window");
        return 2;
    }
    LRESULT reply = 0;
    if (ms::SendToUserWindow(u"Wavenor", 4004, 0, 0, &reply, std::chrono::seconds(30)))
        Log("reply " + std::to_string(reply));
    else
        Log("no reply");
    SetTimer(window, 1, 60000, nullptr);
    const int code = ms::RunMessageLoop();
    ms::WithdrawWindow(window);
    DestroyWindow(window);
    return code;
}
