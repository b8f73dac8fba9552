#include "platform/win/core/TempFiles.h"

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace ms {

namespace {

std::atomic<unsigned> g_counter{0};

std::string Stamp() {
    return std::to_string(::getpid()) + "-" + std::to_string(g_counter++);
}

// "<pid>-<n>" at the start of `rest`: the pid, with `rest` advanced past it; 0 when not.
pid_t TakeStamp(std::string_view& rest) {
    size_t i = 0;
    pid_t pid = 0;
    while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && i < 9)
        pid = pid * 10 + (rest[i++] - '0');
    if (i == 0 || i == rest.size() || rest[i] != '-')
        return 0;
    size_t j = ++i;
    while (j < rest.size() && rest[j] >= '0' && rest[j] <= '9' && j - i < 10)
        ++j;
    if (j == i)
        return 0;
    rest.remove_prefix(j);
    return pid;
}

std::string_view Extension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot);
}

// Unlinks each entry of `folder` that `owner` gives a process for, when that process no longer
// runs. A file of a running process, this one included, may be in the middle of a write.
template <class Owner>
void RemoveOfDeadOwners(const std::string& folder, Owner owner) {
    DIR* d = ::opendir(folder.c_str());
    if (!d)
        return;
    while (struct dirent* e = ::readdir(d)) {
        const pid_t pid = owner(std::string_view(e->d_name));
        if (pid <= 0 || pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        ::unlink((folder + "/" + e->d_name).c_str());
    }
    ::closedir(d);
}

} // namespace

std::string TempNameBeside(const std::string& path) {
    return path + ".tmp-" + Stamp();
}

std::string HiddenTempNameBeside(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".export-" + Stamp() + std::string(Extension(name));
}

int CreateTempBeside(const std::string& path, std::string& tempName, mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = TempNameBeside(path);
        int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

pid_t TempOwner(std::string_view name, std::string_view target) {
    if (target.empty())
        return 0;
    // A temporary name of a temporary name: "<inner>.tmp-<pid>-<n>" with <inner> one of ours.
    const size_t tmp = name.rfind(".tmp-");
    if (tmp != std::string_view::npos && tmp > 0) {
        std::string_view rest = name.substr(tmp + 5);
        const pid_t pid = TakeStamp(rest);
        if (pid > 0 && rest.empty()) {
            const std::string_view inner = name.substr(0, tmp);
            if (inner == target || TempOwner(inner, target) > 0)
                return pid;
        }
    }
    const std::string prefix = "." + std::string(target) + ".export-";
    if (name.substr(0, prefix.size()) == prefix) {
        std::string_view rest = name.substr(prefix.size());
        const pid_t pid = TakeStamp(rest);
        if (pid > 0 && (rest.empty() || rest == Extension(target)))
            return pid;
    }
    return 0;
}

void RemoveStaleTemps(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string target = slash == std::string::npos ? path : path.substr(slash + 1);
    RemoveOfDeadOwners(folder, [&](std::string_view name) { return TempOwner(name, target); });
}

void RemoveStaleTempsIn(const std::string& folder,
                        const std::function<bool(std::string_view name)>& isTarget) {
    RemoveOfDeadOwners(folder, [&](std::string_view name) -> pid_t {
        // The target is what comes before the first temporary suffix.
        const size_t tmp = name.find(".tmp-");
        if (tmp == std::string_view::npos || tmp == 0 || !isTarget(name.substr(0, tmp)))
            return 0;
        return TempOwner(name, name.substr(0, tmp));
    });
}

} // namespace ms
