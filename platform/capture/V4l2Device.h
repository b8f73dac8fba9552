// How the V4L2 source reaches the kernel: every call it makes on a video node goes through one
// V4l2Io, so that tests can put a simulated camera in the kernel's place. The system's V4l2Io
// is libv4l2 with its format conversion disabled (the source converts frames itself).
//
// A V4l2Io answers as the kernel does: -1 (MAP_FAILED for Mmap) with errno set on failure.
// Poll takes real descriptors (the source's wake-up eventfd, the still button's input device)
// beside the io's own, so an io that simulates nodes must still wait on the real ones.
// uvcvideo has no read() handler, so capture is mapped streaming only and there is no Read.
#pragma once

#include <cstddef>
#include <poll.h>
#include <string>
#include <sys/types.h>

namespace ms::capture {

class V4l2Io {
public:
    virtual ~V4l2Io() = default;
    // flags as for open(2); the source always asks O_RDWR | O_NONBLOCK | O_CLOEXEC.
    virtual int Open(const std::string& path, int flags) = 0;
    virtual int Close(int fd) = 0;
    virtual int Ioctl(int fd, unsigned long request, void* arg) = 0;
    virtual void* Mmap(size_t length, int prot, int flags, int fd, off_t offset) = 0;
    virtual int Munmap(void* addr, size_t length) = 0;
    virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;
};

// The kernel through libv4l2. Any thread.
V4l2Io& SystemV4l2Io();

} // namespace ms::capture
