// Frames a running program shows, counted off the X server: the top-level window of the
// process is watched with the DAMAGE extension, and every put of at least `min pixels` into it
// (a preview frame; small repaints of buttons or text are left out) that comes more than 4 ms
// after the last one is a shown frame. Over `seconds` it prints the frames shown, the process's
// CPU time (user + system, from /proc), the CPU per shown frame and the longest gap between two
// shown frames. With `f2 every ms` it presses F2 in the window that often (XTEST) and prints the
// longest gap between shown frames that spans a press, and how many frames were shown then.
//   frame_probe <pid> <seconds> [min pixels = 100000] [f2 every ms = 0]
// The DAMAGE and XTEST client calls are declared here and loaded at run time, so that the probe
// needs no development package of either.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The DAMAGE notify event as libXdamage delivers it.
struct DamageNotify {
    int type;
    unsigned long serial;
    Bool send_event;
    Display* display;
    Drawable drawable;
    XID damage;
    int level;
    Bool more;
    Time timestamp;
    XRectangle area;
    XRectangle geometry;
};
constexpr int kReportRawRectangles = 0;

using QueryExtension = Bool (*)(Display*, int*, int*);
using CreateDamage = XID (*)(Display*, Drawable, int);
using FakeKey = int (*)(Display*, unsigned int, Bool, unsigned long);

template <typename F> F Symbol(const char* library, const char* name) {
    void* handle = dlopen(library, RTLD_NOW);
    void* symbol = handle ? dlsym(handle, name) : nullptr;
    if (!symbol) {
        std::fprintf(stderr, "%s: %s not found\n", library, name);
        std::exit(2);
    }
    return reinterpret_cast<F>(symbol);
}

long ProcessCpuTicks(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            user = std::stol(field);
        if (i == 15)
            system = std::stol(field);
    }
    return user + system;
}

// The largest mapped window whose _NET_WM_PID is `pid`, searched below `w`.
void FindWindow(Display* d, Window w, long pid, Window& best, long& bestArea) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    static const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
    if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        XWindowAttributes a;
        if (count == 1 && static_cast<long>(*reinterpret_cast<unsigned long*>(data)) == pid &&
            XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable &&
            static_cast<long>(a.width) * a.height > bestArea) {
            best = w;
            bestArea = static_cast<long>(a.width) * a.height;
        }
        XFree(data);
    }
    Window root, parent, *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n; ++i)
            FindWindow(d, children[i], pid, best, bestArea);
        if (children)
            XFree(children);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <pid> <seconds> [min pixels] [f2 every ms]\n", argv[0]);
        return 2;
    }
    const long pid = std::atol(argv[1]);
    const double seconds = std::atof(argv[2]);
    const long minPixels = argc > 3 ? std::atol(argv[3]) : 100000;
    const long f2Every = argc > 4 ? std::atol(argv[4]) : 0;
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    const auto query = Symbol<QueryExtension>("libXdamage.so.1", "XDamageQueryExtension");
    const auto create = Symbol<CreateDamage>("libXdamage.so.1", "XDamageCreate");
    int damageEvent = 0, damageError = 0;
    if (!query(d, &damageEvent, &damageError)) {
        std::fprintf(stderr, "no DAMAGE extension\n");
        return 2;
    }
    Window window = 0;
    long area = 0;
    FindWindow(d, DefaultRootWindow(d), pid, window, area);
    if (!window) {
        std::fprintf(stderr, "no mapped window of process %ld\n", pid);
        return 2;
    }
    create(d, window, kReportRawRectangles);
    FakeKey fakeKey = nullptr;
    KeyCode f2 = 0;
    if (f2Every > 0) {
        fakeKey = Symbol<FakeKey>("libXtst.so.6", "XTestFakeKeyEvent");
        f2 = XKeysymToKeycode(d, XK_F2);
        XSetInputFocus(d, window, RevertToParent, CurrentTime);
    }
    XSync(d, False);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    const long ticks0 = ProcessCpuTicks(static_cast<int>(pid));
    std::vector<double> frames;  // ms since start, as the events were read
    std::vector<double> presses; // ms since start
    Time lastStamp = 0;
    auto nextPress = start + std::chrono::milliseconds(f2Every > 0 ? f2Every : 0);
    const int fd = ConnectionNumber(d);
    while (Clock::now() < end) {
        if (fakeKey && Clock::now() >= nextPress) {
            presses.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            fakeKey(d, f2, True, 0);
            fakeKey(d, f2, False, 0);
            XFlush(d);
            nextPress += std::chrono::milliseconds(f2Every);
        }
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type != damageEvent)
                continue;
            const auto& n = reinterpret_cast<const DamageNotify&>(e);
            if (static_cast<long>(n.area.width) * n.area.height < minPixels)
                continue;
            if (lastStamp != 0 && n.timestamp - lastStamp <= 4)
                continue;
            lastStamp = n.timestamp;
            frames.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        fd_set in;
        FD_ZERO(&in);
        FD_SET(fd, &in);
        timeval wait{0, 2000};
        select(fd + 1, &in, nullptr, nullptr, &wait);
    }
    const long ticks = ProcessCpuTicks(static_cast<int>(pid)) - ticks0;
    const double cpuMs = 1000.0 * static_cast<double>(ticks) / sysconf(_SC_CLK_TCK);
    double longest = 0;
    for (size_t i = 1; i < frames.size(); ++i) {
        longest = std::max(longest, frames[i] - frames[i - 1]);
        // Gaps of more than one and a half frame intervals at 30 frames a second, for a look.
        if (frames[i] - frames[i - 1] > 50)
            std::fprintf(stderr, "gap %.1f ms from %.0f ms\n", frames[i] - frames[i - 1],
                         frames[i - 1]);
    }
    for (double press : presses)
        std::fprintf(stderr, "F2 at %.0f ms\n", press);
    std::printf("frames %zu cpu_ms %.0f cpu_per_frame_ms %.3f longest_gap_ms %.1f", frames.size(),
                cpuMs, frames.empty() ? 0.0 : cpuMs / static_cast<double>(frames.size()), longest);
    if (!presses.empty()) {
        // The gap between the last frame shown before a press and the first one after it, or
        // any gap starting within 0.5 s after it: what an F2 may hold up.
        double aroundF2 = 0;
        for (double press : presses)
            for (size_t i = 1; i < frames.size(); ++i)
                if (frames[i] > press && frames[i - 1] < press + 500)
                    aroundF2 = std::max(aroundF2, frames[i] - frames[i - 1]);
        std::printf(" f2_presses %zu longest_gap_around_f2_ms %.1f", presses.size(), aroundF2);
    }
    std::printf("\n");
    XCloseDisplay(d);
    return 0;
}
