// A plain file descriptor (socket, eventfd, device node) owned for the scope.
#pragma once

#include <unistd.h>

namespace ms::capture {

struct PlainFd {
    int fd = -1;
    PlainFd() = default;
    explicit PlainFd(int f) : fd(f) {}
    ~PlainFd() { Reset(-1); }
    // Closes the descriptor held, if any, and takes f.
    void Reset(int f) {
        if (fd >= 0)
            ::close(fd);
        fd = f;
    }
    PlainFd(const PlainFd&) = delete;
    PlainFd& operator=(const PlainFd&) = delete;
};

} // namespace ms::capture
