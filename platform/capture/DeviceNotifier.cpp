#include "platform/capture/DeviceNotifier.h"

#include "platform/capture/Backend.h"
#include "platform/capture/PlainFd.h"
#include "platform/capture/Poster.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <linux/netlink.h>
#include <memory>
#include <mutex>
#include <poll.h>
#include <set>
#include <string_view>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace ms::capture {
namespace {

const DEV_BROADCAST_HDR kInterfaceHeader{sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_DEVICEINTERFACE, 0};

std::atomic<HWND> g_target{nullptr};

LPARAM InterfaceHeader() {
    return reinterpret_cast<LPARAM>(&kInterfaceHeader);
}

std::int64_t SleptNs() {
    timespec boot{}, mono{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    clock_gettime(CLOCK_MONOTONIC, &mono);
    return (boot.tv_sec - mono.tv_sec) * 1000000000LL + (boot.tv_nsec - mono.tv_nsec);
}

std::set<std::string> VideoNodes() {
    std::set<std::string> names;
    if (DIR* d = opendir("/dev")) {
        while (dirent* e = readdir(d))
            if (std::strncmp(e->d_name, "video", 5) == 0)
                names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

class Watcher {
public:
    Watcher() : m_wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
        m_thread = std::jthread([this](std::stop_token st) { Loop(st); });
    }
    ~Watcher() {
        m_thread.request_stop();
        if (m_wake.fd >= 0) {
            uint64_t one = 1;
            (void)!write(m_wake.fd, &one, sizeof one);
        }
        m_thread.join();
    }

private:
    void Loop(std::stop_token st) {
        PlainFd sock(
            socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT));
        if (sock.fd >= 0) {
            sockaddr_nl addr{};
            addr.nl_family = AF_NETLINK;
            addr.nl_groups = 1; // the kernel's own events
            if (bind(sock.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
                sock.Reset(-1);
        }
        std::set<std::string> nodes;
        if (sock.fd < 0)
            nodes = VideoNodes();
        std::int64_t slept = SleptNs();
        char buf[8192];
        while (!st.stop_requested()) {
            pollfd fds[2] = {{m_wake.fd, POLLIN, 0}, {sock.fd, POLLIN, 0}};
            int n = poll(fds, sock.fd >= 0 ? 2 : 1, 1000);
            if (n < 0 && errno != EINTR)
                break;
            if (st.stop_requested())
                break;
            if (n > 0 && sock.fd >= 0 && (fds[1].revents & POLLIN)) {
                for (;;) {
                    ssize_t len = recv(sock.fd, buf, sizeof buf - 1, 0);
                    if (len < 0 && errno == EINTR)
                        continue;
                    if (len <= 0)
                        break; // EAGAIN: drained
                    auto ev = ParseUevent(buf, static_cast<size_t>(len));
                    if (!ev || ev->subsystem != "video4linux")
                        continue;
                    if (ev->action == "add")
                        PostDeviceArrival();
                    else if (ev->action == "remove")
                        PostDeviceRemoval();
                }
            }
            if (sock.fd < 0) {
                auto now = VideoNodes();
                bool added = false, removed = false;
                for (const auto& s : now)
                    added |= !nodes.count(s);
                for (const auto& s : nodes)
                    removed |= !now.count(s);
                nodes.swap(now);
                if (removed)
                    PostDeviceRemoval();
                if (added)
                    PostDeviceArrival();
            }
            std::int64_t nowSlept = SleptNs();
            if (ResumeDetected(slept, nowSlept))
                PostPowerResume();
            slept = nowSlept;
        }
    }

    PlainFd m_wake;
    std::jthread m_thread;
};

std::mutex g_watcherMutex;
std::unique_ptr<Watcher> g_watcher;

} // namespace

void StartDeviceNotifications(HWND target) {
    g_target = target;
    std::lock_guard lock(g_watcherMutex);
    if (!g_watcher && !SyntheticCameraInUse())
        g_watcher = std::make_unique<Watcher>();
}

void StopDeviceNotifications() {
    std::unique_ptr<Watcher> w;
    {
        std::lock_guard lock(g_watcherMutex);
        w.swap(g_watcher);
    }
    w.reset(); // joins outside the lock
    g_target = nullptr;
}

void PostDeviceArrival() {
    if (HWND t = g_target) {
        PostToWindow(t, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, InterfaceHeader());
        PostToWindow(t, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    }
}

void PostDeviceRemoval() {
    if (HWND t = g_target) {
        PostToWindow(t, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, InterfaceHeader());
        PostToWindow(t, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    }
}

void PostPowerResume() {
    if (HWND t = g_target)
        PostToWindow(t, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
}

std::optional<Uevent> ParseUevent(const char* data, size_t length) {
    if (!data || length == 0)
        return std::nullopt;
    std::string_view all(data, length);
    size_t first = all.find('\0');
    std::string_view head = all.substr(0, first);
    // Events from udev start with "libudev"; only the kernel's "ACTION@DEVPATH" form is read.
    size_t at = head.find('@');
    if (at == std::string_view::npos || at == 0)
        return std::nullopt;
    Uevent ev;
    ev.action = std::string(head.substr(0, at));
    size_t pos = first == std::string_view::npos ? length : first + 1;
    while (pos < length) {
        size_t end = all.find('\0', pos);
        std::string_view kv = all.substr(pos, end == std::string_view::npos ? length - pos : end - pos);
        if (kv.substr(0, 7) == "ACTION=")
            ev.action = std::string(kv.substr(7));
        else if (kv.substr(0, 10) == "SUBSYSTEM=")
            ev.subsystem = std::string(kv.substr(10));
        else if (kv.substr(0, 8) == "DEVNAME=")
            ev.devname = std::string(kv.substr(8));
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
    if (ev.subsystem.empty())
        return std::nullopt;
    return ev;
}

bool ResumeDetected(std::int64_t previousSleptNs, std::int64_t currentSleptNs) {
    return currentSleptNs - previousSleptNs > 1000000000LL;
}

} // namespace ms::capture
