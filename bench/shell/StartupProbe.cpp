// The start-up of a program as the operator sees it: the time from starting it until its first
// top-level window is mapped on the X server, and its peak resident memory by the end of a
// settling time after that. Prints "<milliseconds to mapped> <peak resident kB>".
//   startup_probe <settle seconds> <program> [arguments...]
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <settle seconds> <program> [arguments...]\n", argv[0]);
        return 2;
    }
    const double settle = std::atof(argv[1]);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    double mapped = -1;
    const int fd = ConnectionNumber(display);
    while (mapped < 0) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == MapNotify && e.xmap.event == root && !e.xmap.override_redirect) {
                mapped = std::chrono::duration<double, std::milli>(
                             std::chrono::steady_clock::now() - start)
                             .count();
                break;
            }
        }
        if (mapped >= 0)
            break;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "the program ended before it showed a window\n");
            return 1;
        }
        fd_set in;
        FD_ZERO(&in);
        FD_SET(fd, &in);
        timeval wait{0, 100000};
        select(fd + 1, &in, nullptr, nullptr, &wait);
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(60)) {
            kill(child, SIGKILL);
            std::fprintf(stderr, "no window within a minute\n");
            return 1;
        }
    }
    usleep(static_cast<useconds_t>(settle * 1e6));
    kill(child, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::printf("%.1f %ld\n", mapped, usage.ru_maxrss);
    XCloseDisplay(display);
    return 0;
}
