// Published windows over local sockets in the abstract namespace, named in registration files
// of the user's runtime folder. The abstract namespace needs no path (a runtime folder can be
// too deep for a socket path) and leaves nothing behind when a program ends; whoever connects
// is checked by its credentials, not by the file's permissions.
#include "platform/win/window/UserWindows.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <optional>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace ms {

namespace {

constexpr std::uint32_t kMagic = 0x4D535750; // request marker

struct Request {
    std::uint32_t magic;
    std::uint32_t msg;
    std::uint64_t wp;
    std::int64_t lp;
};

struct Published {
    int fd = -1;
    std::string registration; // the file naming the socket
    std::vector<UINT> messages;
    std::unique_ptr<QSocketNotifier> notifier;
    ~Published() {
        notifier.reset();
        if (fd >= 0)
            ::close(fd);
        if (!registration.empty())
            ::unlink(registration.c_str());
    }
};

std::map<HWND, std::unique_ptr<Published>>& PublishedWindows() {
    static std::map<HWND, std::unique_ptr<Published>> windows;
    return windows;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

// The address of an abstract socket `name` (no terminating zero; the length says the end).
socklen_t AbstractAddress(const std::string& name, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    const std::size_t n = std::min(name.size(), sizeof addr.sun_path - 1);
    std::memcpy(addr.sun_path + 1, name.data(), n);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

bool PeerIsThisUser(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == ::geteuid();
}

// Reads or writes all `n` bytes, waiting at most until `deadline` for each part.
template <class Op>
bool Transfer(int fd, char* data, std::size_t n, short events, Op op,
              std::chrono::steady_clock::time_point deadline) {
    std::size_t done = 0;
    while (done < n) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t r = op(fd, data + done, n - done);
        if (r < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (r <= 0)
            return false;
        done += static_cast<std::size_t>(r);
    }
    return true;
}

bool ReadAll(int fd, void* data, std::size_t n, std::chrono::steady_clock::time_point deadline) {
    return Transfer(
        fd, static_cast<char*>(data), n, POLLIN,
        [](int f, char* d, std::size_t k) { return ::recv(f, d, k, 0); }, deadline);
}

bool WriteAll(int fd, const void* data, std::size_t n,
              std::chrono::steady_clock::time_point deadline) {
    return Transfer(
        fd, static_cast<char*>(const_cast<void*>(data)), n, POLLOUT,
        [](int f, char* d, std::size_t k) { return ::send(f, d, k, MSG_NOSIGNAL); }, deadline);
}

// One connection to a published window: the request in, the window's answer out. A peer of
// another user, a request that does not come at once or a message the window was not
// published for is closed unanswered.
void Serve(HWND hwnd, int listener) {
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    Request request{};
    auto& windows = PublishedWindows();
    if (PeerIsThisUser(fd) && ReadAll(fd, &request, sizeof request, deadline) &&
        request.magic == kMagic) {
        auto it = windows.find(hwnd);
        const bool allowed = it != windows.end() &&
                             std::find(it->second->messages.begin(), it->second->messages.end(),
                                       request.msg) != it->second->messages.end();
        if (allowed && IsWindow(hwnd)) {
            const std::int64_t answer =
                SendMessage(hwnd, request.msg, static_cast<WPARAM>(request.wp),
                            static_cast<LPARAM>(request.lp));
            WriteAll(fd, &answer, sizeof answer,
                     std::chrono::steady_clock::now() + std::chrono::seconds(1));
        }
    }
    ::close(fd);
}

bool ProcessAlive(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

} // namespace

std::u16string UserWindowsDir() {
    const std::string dir = NativePath(RuntimeDir()) + "/ms-windows";
    ::mkdir(dir.c_str(), 0700);
    struct stat st {};
    // Only a real folder of this user that nobody else may enter holds registrations.
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 077) != 0)
        return {};
    return FromUtf8(dir);
}

bool PublishWindow(HWND hwnd, const std::u16string& title, const std::vector<UINT>& messages) {
    WithdrawWindow(hwnd);
    const std::u16string dir = UserWindowsDir();
    if (!hwnd || title.empty() || dir.empty())
        return false;
    static unsigned serial = 0;
    const std::string number = std::to_string(++serial);
    std::random_device random;
    const std::string name =
        "ms-window-" + std::to_string(::getpid()) + "-" + number + "-" + std::to_string(random());

    auto published = std::make_unique<Published>();
    published->messages = messages;
    published->fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un addr{};
    const socklen_t len = AbstractAddress(name, addr);
    if (published->fd < 0 || ::bind(published->fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::listen(published->fd, 8) != 0)
        return false;

    // <hex title>.<pid>.<serial>: the title and the process can be read off the name.
    const std::string file = NativePath(dir) + "/" + Hex(ToUtf8(title)) + "." +
                             std::to_string(::getpid()) + "." + number;
    if (!WriteFileAtomic(FromUtf8(file), name))
        return false;
    published->registration = file;
    published->notifier = std::make_unique<QSocketNotifier>(published->fd, QSocketNotifier::Read);
    QSocketNotifier* notifier = published->notifier.get();
    const int listener = published->fd;
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [hwnd, listener, notifier] {
        // The window's procedure may run a modal loop: no second request is taken meanwhile.
        notifier->setEnabled(false);
        Serve(hwnd, listener);
        // The window may have been withdrawn while it ran, and the notifier with it.
        auto& windows = PublishedWindows();
        auto it = windows.find(hwnd);
        if (it != windows.end() && it->second->notifier.get() == notifier)
            notifier->setEnabled(true);
    });
    PublishedWindows()[hwnd] = std::move(published);
    return true;
}

void WithdrawWindow(HWND hwnd) {
    auto& windows = PublishedWindows();
    auto it = windows.find(hwnd);
    if (it == windows.end())
        return;
    // The notifier may be the one whose signal runs now: it goes once the signal returned.
    std::unique_ptr<Published> gone = std::move(it->second);
    windows.erase(it);
    if (gone->notifier) {
        QSocketNotifier* notifier = gone->notifier.release();
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
}

bool SendToUserWindow(const std::u16string& title, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result,
                      std::chrono::milliseconds wait) {
    const std::u16string dir = UserWindowsDir();
    if (dir.empty() || title.empty())
        return false;
    const std::string prefix = Hex(ToUtf8(title)) + ".";
    const std::string folder = NativePath(dir);
    WIN32_FIND_DATA found{};
    std::vector<std::string> files;
    HANDLE h = FindFirstFile((dir + u"/*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string entry = ToUtf8(found.cFileName);
            if (entry.compare(0, prefix.size(), prefix) == 0)
                files.push_back(entry);
        } while (FindNextFile(h, &found));
        FindClose(h);
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    bool answered = false;
    for (const std::string& entry : files) {
        const std::string path = folder + "/" + entry;
        const pid_t pid = static_cast<pid_t>(std::atol(entry.c_str() + prefix.size()));
        const std::optional<std::string> name = ReadFileBytes(FromUtf8(path), 256);
        if (!ProcessAlive(pid) || !name) {
            ::unlink(path.c_str()); // left by a program that ended without withdrawing
            continue;
        }
        if (answered)
            continue; // the rest are only looked over for registrations left behind
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        sockaddr_un addr{};
        const socklen_t len = AbstractAddress(*name, addr);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0) {
            if (errno == ECONNREFUSED)
                ::unlink(path.c_str()); // nobody listens any more
            ::close(fd);
            continue;
        }
        // A socket of another user under our registration's name is not our window.
        if (!PeerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        const Request request{kMagic, msg, static_cast<std::uint64_t>(wp),
                              static_cast<std::int64_t>(lp)};
        std::int64_t answer = 0;
        answered = WriteAll(fd, &request, sizeof request, deadline) &&
                   ReadAll(fd, &answer, sizeof answer, deadline);
        ::close(fd);
        if (answered && result)
            *result = static_cast<LRESULT>(answer);
    }
    return answered;
}

} // namespace ms
