// The V4L2 source: USB cameras through a V4l2Io (libv4l2 with conversion disabled on a real
// system). Packed YUV goes through the own converter, Motion-JPEG through libjpeg-turbo straight
// into the frame, the remaining formats through libv4lconvert.
#include "platform/capture/V4l2Camera.h"

#include "platform/capture/MjpegDecoder.h"
#include "platform/capture/PlainFd.h"
#include "platform/capture/V4l2Device.h"
#include "platform/capture/V4l2Mapping.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <libv4l-plugin.h>
#include <libv4l2.h>
#include <libv4lconvert.h>
#include <linux/input.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace ms::capture {
namespace {

class SystemIo : public V4l2Io {
public:
    int Open(const std::string& path, int flags) override {
        int raw = ::open(path.c_str(), flags);
        if (raw < 0)
            return -1;
        if (v4l2_fd_open(raw, V4L2_DISABLE_CONVERSION) < 0) {
            int e = errno;
            ::close(raw);
            errno = e;
            return -1;
        }
        return raw;
    }
    int Close(int fd) override { return v4l2_close(fd); }
    int Ioctl(int fd, unsigned long request, void* arg) override {
        return v4l2_ioctl(fd, request, arg);
    }
    void* Mmap(size_t length, int prot, int flags, int fd, off_t offset) override {
        return v4l2_mmap(nullptr, length, prot, flags, fd, offset);
    }
    int Munmap(void* addr, size_t length) override { return v4l2_munmap(addr, length); }
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override {
        return ::poll(fds, count, timeoutMs);
    }
};

int Xioctl(V4l2Io& io, int fd, unsigned long request, void* arg) {
    int r;
    do
        r = io.Ioctl(fd, request, arg);
    while (r == -1 && errno == EINTR);
    return r;
}

// A V4L2 node opened through the io.
struct V4l2Fd {
    V4l2Io& io;
    int fd = -1;
    V4l2Fd(V4l2Io& i, const std::string& path) : io(i) {
        fd = io.Open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    }
    ~V4l2Fd() {
        if (fd >= 0)
            io.Close(fd);
    }
    V4l2Fd(const V4l2Fd&) = delete;
    V4l2Fd& operator=(const V4l2Fd&) = delete;
};

// One mapped capture buffer.
struct Mapping {
    V4l2Io& io;
    void* addr = MAP_FAILED;
    size_t length = 0;
    Mapping(V4l2Io& i, int fd, size_t len, off_t offset) : io(i), length(len) {
        addr = io.Mmap(len, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
    }
    ~Mapping() {
        if (addr != MAP_FAILED)
            io.Munmap(addr, length);
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
};

std::optional<NodeProbe> ProbeNode(V4l2Io& io, const std::string& path) {
    V4l2Fd node(io, path);
    if (node.fd < 0)
        return std::nullopt;
    v4l2_capability cap{};
    if (Xioctl(io, node.fd, VIDIOC_QUERYCAP, &cap) < 0)
        return std::nullopt;
    NodeProbe p;
    p.deviceCaps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    p.card.assign(reinterpret_cast<const char*>(cap.card),
                  strnlen(reinterpret_cast<const char*>(cap.card), sizeof cap.card));
    p.busInfo.assign(reinterpret_cast<const char*>(cap.bus_info),
                     strnlen(reinterpret_cast<const char*>(cap.bus_info), sizeof cap.bus_info));
    if (p.deviceCaps & V4L2_CAP_VIDEO_CAPTURE) {
        v4l2_fmtdesc d{};
        d.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        for (; d.index < 64 && Xioctl(io, node.fd, VIDIOC_ENUM_FMT, &d) == 0; ++d.index)
            p.pixelFormats.push_back(d.pixelformat);
    }
    return p;
}

Q_LOGGING_CATEGORY(lcV4l2, "ms.capture.v4l2")

class V4l2Session : public DeviceSession {
public:
    V4l2Session(V4l2Io& io, std::string path, std::string sysRoot, std::string inputDir,
                std::string usbPath)
        : m_io(io), m_path(std::move(path)), m_sysRoot(std::move(sysRoot)),
          m_inputDir(std::move(inputDir)), m_usbPath(std::move(usbPath)), m_fd(io, m_path) {}
    ~V4l2Session() override {
        Stop();
        if (m_convert)
            v4lconvert_destroy(m_convert);
    }
    bool Ok() const { return m_fd.fd >= 0; }

    // What a device offers does not change while it is open: asked once, then kept. uvcvideo
    // lists a size again for every frame descriptor that has it and gives each the intervals of
    // all of them; each size and interval is kept once. Formats that need a video decoder are
    // left out, and the walk is bounded in case a driver never says "no more".
    std::vector<FrameCaps> Capabilities() override {
        if (!m_caps.empty())
            return m_caps;
        std::vector<FrameCaps> caps;
        v4l2_fmtdesc d{};
        d.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        for (; d.index < 64 && Xioctl(m_io, m_fd.fd, VIDIOC_ENUM_FMT, &d) == 0; ++d.index) {
            if (NeedsVideoDecoder(d.pixelformat))
                continue;
            v4l2_frmsizeenum s{};
            s.pixel_format = d.pixelformat;
            for (; s.index < 1024 && Xioctl(m_io, m_fd.fd, VIDIOC_ENUM_FRAMESIZES, &s) == 0;
                 ++s.index) {
                FrameCaps c;
                c.fourcc = FourCCOfPixelFormat(d.pixelformat);
                if (s.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                    c.minSize = c.maxSize = {static_cast<LONG>(s.discrete.width),
                                             static_cast<LONG>(s.discrete.height)};
                } else {
                    c.minSize = {static_cast<LONG>(s.stepwise.min_width),
                                 static_cast<LONG>(s.stepwise.min_height)};
                    c.maxSize = {static_cast<LONG>(s.stepwise.max_width),
                                 static_cast<LONG>(s.stepwise.max_height)};
                    c.stepX = std::max<int>(1, static_cast<int>(s.stepwise.step_width));
                    c.stepY = std::max<int>(1, static_cast<int>(s.stepwise.step_height));
                }
                bool known = std::any_of(caps.begin(), caps.end(), [&](const FrameCaps& k) {
                    return k.fourcc == c.fourcc && k.minSize.cx == c.minSize.cx &&
                           k.minSize.cy == c.minSize.cy && k.maxSize.cx == c.maxSize.cx &&
                           k.maxSize.cy == c.maxSize.cy && k.stepX == c.stepX && k.stepY == c.stepY;
                });
                if (!known) {
                    c.intervals = Intervals(d.pixelformat, c.maxSize);
                    caps.push_back(c);
                }
                if (s.type != V4L2_FRMSIZE_TYPE_DISCRETE)
                    break;
            }
        }
        m_caps = caps;
        return caps;
    }

    StreamFormat CurrentFormat() override {
        StreamFormat f;
        v4l2_format fmt{};
        fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (Xioctl(m_io, m_fd.fd, VIDIOC_G_FMT, &fmt) != 0)
            return f;
        f.fourcc = FourCCOfPixelFormat(fmt.fmt.pix.pixelformat);
        f.width = static_cast<LONG>(fmt.fmt.pix.width);
        f.height = static_cast<LONG>(fmt.fmt.pix.height);
        v4l2_streamparm parm{};
        parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (Xioctl(m_io, m_fd.fd, VIDIOC_G_PARM, &parm) == 0 &&
            parm.parm.capture.timeperframe.denominator)
            f.interval = 10000000LL * parm.parm.capture.timeperframe.numerator /
                         parm.parm.capture.timeperframe.denominator;
        return f;
    }

    HRESULT SetFormat(const StreamFormat& f) override {
        if (m_thread.joinable())
            return VFW_E_NOT_STOPPED;
        v4l2_format old{};
        old.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (Xioctl(m_io, m_fd.fd, VIDIOC_G_FMT, &old) != 0)
            return errno == ENODEV ? HRESULT_DEVICE_NOT_CONNECTED : E_FAIL;
        v4l2_format fmt = old;
        fmt.fmt.pix.pixelformat = PixelFormatOfFourCC(f.fourcc);
        fmt.fmt.pix.width = static_cast<__u32>(f.width);
        fmt.fmt.pix.height = static_cast<__u32>(f.height);
        fmt.fmt.pix.field = V4L2_FIELD_ANY;
        fmt.fmt.pix.bytesperline = 0;
        if (Xioctl(m_io, m_fd.fd, VIDIOC_S_FMT, &fmt) != 0)
            return errno == EBUSY ? VFW_E_NOT_STOPPED : E_FAIL;
        // The driver answers with the nearest size it has; anything but the exact one is
        // refused and the old format restored.
        if (fmt.fmt.pix.width != static_cast<__u32>(f.width) ||
            fmt.fmt.pix.height != static_cast<__u32>(f.height) ||
            fmt.fmt.pix.pixelformat != PixelFormatOfFourCC(f.fourcc)) {
            Xioctl(m_io, m_fd.fd, VIDIOC_S_FMT, &old);
            return VFW_E_INVALIDMEDIATYPE;
        }
        if (f.interval > 0) {
            v4l2_streamparm parm{};
            parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            parm.parm.capture.timeperframe = {static_cast<__u32>(f.interval), 10000000u};
            Xioctl(m_io, m_fd.fd, VIDIOC_S_PARM,
                   &parm); // a driver without frame rates keeps its own
        }
        return S_OK;
    }

    HRESULT Start(std::shared_ptr<FrameSink> sink) override {
        if (m_thread.joinable()) {
            if (!m_ended)
                return S_OK;
            Stop();
        }
        v4l2_format fmt{};
        fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (Xioctl(m_io, m_fd.fd, VIDIOC_G_FMT, &fmt) != 0)
            return errno == ENODEV ? HRESULT_DEVICE_NOT_CONNECTED : E_FAIL;
        v4l2_requestbuffers req{};
        req.count = 4;
        req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        req.memory = V4L2_MEMORY_MMAP;
        if (Xioctl(m_io, m_fd.fd, VIDIOC_REQBUFS, &req) != 0) {
            qCWarning(lcV4l2) << "v4l2-input:" << m_path.c_str()
                              << "no capture buffers:" << strerror(errno);
            return errno == ENODEV ? HRESULT_DEVICE_NOT_CONNECTED : E_FAIL;
        }
        if (req.count < 2)
            return ReleaseBuffers(E_FAIL);
        m_maps.clear();
        for (__u32 i = 0; i < req.count; ++i) {
            v4l2_buffer b{};
            b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            b.memory = V4L2_MEMORY_MMAP;
            b.index = i;
            if (Xioctl(m_io, m_fd.fd, VIDIOC_QUERYBUF, &b) != 0)
                return ReleaseBuffers(E_FAIL);
            m_maps.push_back(
                std::make_unique<Mapping>(m_io, m_fd.fd, b.length, static_cast<off_t>(b.m.offset)));
            if (m_maps.back()->addr == MAP_FAILED || Xioctl(m_io, m_fd.fd, VIDIOC_QBUF, &b) != 0)
                return ReleaseBuffers(E_FAIL);
        }
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (Xioctl(m_io, m_fd.fd, VIDIOC_STREAMON, &type) != 0)
            return ReleaseBuffers(E_FAIL);
        m_wake.Reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        std::string input = FindStillButtonInput(m_sysRoot, m_usbPath);
        m_input.Reset(input.empty() ? -1
                                    : ::open((m_inputDir + "/" + input).c_str(),
                                             O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        m_ended = false;
        m_thread =
            std::jthread([this, sink, fmt](std::stop_token st) { Loop(st, sink, fmt.fmt.pix); });
        return S_OK;
    }

    void Stop() override {
        if (!m_thread.joinable())
            return;
        m_thread.request_stop();
        if (m_wake.fd >= 0) {
            uint64_t one = 1;
            (void)!write(m_wake.fd, &one, sizeof one);
        }
        if (std::this_thread::get_id() == m_thread.get_id())
            return; // stopped from inside a callback: the loop ends after it
        m_thread.join();
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        Xioctl(m_io, m_fd.fd, VIDIOC_STREAMOFF, &type);
        ReleaseBuffers(S_OK);
        m_input.Reset(-1);
        m_wake.Reset(-1);
    }
    bool Streaming() const override { return m_thread.joinable() && !m_ended; }
    long DroppedFrames() const override { return m_dropped; }

    // Both grabber paths can always be built: the still pin delivers a frame per press of the
    // camera's button and stays silent on a camera without one.
    bool HasStillPin() const override { return true; }
    bool HasProcAmp() const override { return true; }

    HRESULT GetRange(long property, ProcAmpRange& range) override {
        v4l2_queryctrl q{};
        if (!Query(property, q))
            return E_PROP_ID_UNSUPPORTED;
        v4l2_queryctrl a{};
        range = MapControlRange(q, QueryId(AutoControlOfProperty(property), a));
        return S_OK;
    }
    HRESULT Get(long property, long& value, long& flags) override {
        v4l2_queryctrl q{};
        if (!Query(property, q))
            return E_PROP_ID_UNSUPPORTED;
        v4l2_control c{q.id, 0};
        if (Xioctl(m_io, m_fd.fd, VIDIOC_G_CTRL, &c) != 0)
            return errno == ENODEV ? HRESULT_DEVICE_NOT_CONNECTED : E_FAIL;
        value = c.value;
        flags = VideoProcAmp_Flags_Manual;
        v4l2_queryctrl a{};
        if (QueryId(AutoControlOfProperty(property), a)) {
            v4l2_control ac{a.id, 0};
            if (Xioctl(m_io, m_fd.fd, VIDIOC_G_CTRL, &ac) == 0 && ac.value)
                flags = VideoProcAmp_Flags_Auto;
        }
        return S_OK;
    }
    HRESULT Set(long property, long value, long flags) override {
        v4l2_queryctrl q{};
        if (!Query(property, q))
            return E_PROP_ID_UNSUPPORTED;
        // The range GetRange reported: a driver's max below its min is read as a single value.
        const ProcAmpRange range = MapControlRange(q, false);
        if (value < range.min || value > range.max)
            return E_INVALIDARG;
        v4l2_queryctrl a{};
        bool hasAuto = QueryId(AutoControlOfProperty(property), a);
        bool wantAuto = (flags & VideoProcAmp_Flags_Auto) != 0;
        if (hasAuto) {
            v4l2_control ac{a.id, wantAuto ? 1 : 0};
            Xioctl(m_io, m_fd.fd, VIDIOC_S_CTRL, &ac);
            if (wantAuto)
                return S_OK;
        }
        v4l2_control c{q.id, static_cast<__s32>(value)};
        if (Xioctl(m_io, m_fd.fd, VIDIOC_S_CTRL, &c) != 0)
            return errno == ENODEV ? HRESULT_DEVICE_NOT_CONNECTED : E_FAIL;
        return S_OK;
    }

private:
    // The frame durations (100 ns) of one size, shortest first, each once. A stepwise range
    // gives its two ends (its step may be 0).
    std::vector<LONGLONG> Intervals(std::uint32_t pixelFormat, SIZE size) {
        std::vector<LONGLONG> out;
        auto add = [&](const v4l2_fract& f) {
            if (f.denominator)
                out.push_back(static_cast<LONGLONG>(10000000LL * f.numerator / f.denominator));
        };
        v4l2_frmivalenum iv{};
        iv.pixel_format = pixelFormat;
        iv.width = static_cast<__u32>(size.cx);
        iv.height = static_cast<__u32>(size.cy);
        for (; iv.index < 256 && Xioctl(m_io, m_fd.fd, VIDIOC_ENUM_FRAMEINTERVALS, &iv) == 0;
             ++iv.index) {
            if (iv.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
                add(iv.discrete);
                continue;
            }
            add(iv.stepwise.min);
            add(iv.stepwise.max);
            break;
        }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }

    bool QueryId(std::uint32_t id, v4l2_queryctrl& q) {
        if (!id)
            return false;
        q = {};
        q.id = id;
        return Xioctl(m_io, m_fd.fd, VIDIOC_QUERYCTRL, &q) == 0 &&
               !(q.flags & V4L2_CTRL_FLAG_DISABLED);
    }
    bool Query(long property, v4l2_queryctrl& q) { return QueryId(ControlOfProperty(property), q); }

    HRESULT ReleaseBuffers(HRESULT hr) {
        m_maps.clear();
        v4l2_requestbuffers req{};
        req.count = 0;
        req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        req.memory = V4L2_MEMORY_MMAP;
        Xioctl(m_io, m_fd.fd, VIDIOC_REQBUFS, &req);
        return hr;
    }

    // libv4lconvert asks the device through the same io as the source.
    static int ConvertIoctl(void* priv, int fd, unsigned long request, void* arg) {
        return static_cast<V4l2Io*>(priv)->Ioctl(fd, request, arg);
    }

    // Converts one captured frame (used bytes, already cut to its buffer) into m_out; false
    // when the frame cannot be converted.
    bool Convert(const v4l2_pix_format& pix, const BYTE* data, size_t used) {
        const LONG w = static_cast<LONG>(pix.width), h = static_cast<LONG>(pix.height);
        if (w <= 0 || h <= 0)
            return false;
        const long stride = Rgb24Stride(w);
        m_out.resize(static_cast<size_t>(stride) * h);
        if (pix.pixelformat == V4L2_PIX_FMT_YUYV || pix.pixelformat == V4L2_PIX_FMT_UYVY) {
            long srcStride = pix.bytesperline ? static_cast<long>(pix.bytesperline) : w * 2;
            if (srcStride < w * 2 || used < static_cast<size_t>(srcStride) * h)
                return false; // a short frame from the driver
            ConvertPackedYuvToBgrBottomUp(data, srcStride, w, h, m_out.data(), stride,
                                          pix.pixelformat == V4L2_PIX_FMT_UYVY);
            return true;
        }
        if (pix.pixelformat == V4L2_PIX_FMT_MJPEG || pix.pixelformat == V4L2_PIX_FMT_JPEG)
            return m_mjpeg.DecodeBottomUp(data, used, w, h, m_out.data(), stride);
        if (!m_convert) {
            static const libv4l_dev_ops ops{nullptr, nullptr, ConvertIoctl, nullptr,
                                            nullptr, nullptr, nullptr,      nullptr,
                                            nullptr, nullptr, nullptr,      nullptr};
            m_convert = v4lconvert_create_with_dev_ops(m_fd.fd, &m_io, &ops);
        }
        if (!m_convert)
            return false;
        v4l2_format src{}, dst{};
        src.type = dst.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        src.fmt.pix = pix;
        dst.fmt.pix = pix;
        dst.fmt.pix.pixelformat = V4L2_PIX_FMT_BGR24;
        dst.fmt.pix.bytesperline = static_cast<__u32>(w * 3);
        dst.fmt.pix.sizeimage = static_cast<__u32>(w * 3 * h);
        m_topDown.resize(static_cast<size_t>(w) * 3 * h);
        int n = v4lconvert_convert(m_convert, &src, &dst, const_cast<BYTE*>(data),
                                   static_cast<int>(used), m_topDown.data(),
                                   static_cast<int>(m_topDown.size()));
        if (n < static_cast<int>(m_topDown.size()))
            return false; // a corrupt compressed frame is dropped
        FlipRows(m_topDown.data(), w * 3, h, w * 3, m_out.data(), stride);
        return true;
    }

    void Loop(std::stop_token st, std::shared_ptr<FrameSink> sink, v4l2_pix_format pix) {
        using Clock = std::chrono::steady_clock;
        std::optional<Clock::time_point> first;
        bool still = false;
        int errors = 0;
        long ended = 0;
        while (!st.stop_requested()) {
            pollfd fds[3] = {{m_fd.fd, POLLIN, 0}, {m_wake.fd, POLLIN, 0}, {m_input.fd, POLLIN, 0}};
            int n = m_io.Poll(fds, m_input.fd >= 0 ? 3 : 2, 2000);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                ended = EC_ERRORABORT;
                break;
            }
            if (st.stop_requested())
                break;
            if (n == 0)
                continue; // a slow or stalled camera: keep waiting until stopped
            if (m_input.fd >= 0 && (fds[2].revents & POLLIN)) {
                input_event ev[16];
                ssize_t len;
                while ((len = read(m_input.fd, ev, sizeof ev)) > 0)
                    for (size_t i = 0; i < static_cast<size_t>(len) / sizeof(input_event); ++i)
                        if (ev[i].type == EV_KEY && ev[i].code == KEY_CAMERA && ev[i].value == 1)
                            still = true;
                if (len < 0 && errno != EAGAIN && errno != EINTR)
                    m_input.Reset(-1); // the button's device went; frames go on
            } else if (m_input.fd >= 0 && (fds[2].revents & (POLLERR | POLLHUP))) {
                m_input.Reset(-1);
            }
            if (fds[0].revents & (POLLERR | POLLHUP)) {
                ended = EC_DEVICE_LOST;
                break;
            }
            if (!(fds[0].revents & POLLIN))
                continue;
            v4l2_buffer b{};
            b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            b.memory = V4L2_MEMORY_MMAP;
            if (Xioctl(m_io, m_fd.fd, VIDIOC_DQBUF, &b) != 0) {
                if (errno == EAGAIN)
                    continue;
                ended = errno == ENODEV ? EC_DEVICE_LOST : EC_ERRORABORT;
                if (ended == EC_ERRORABORT && ++errors < 10)
                    continue; // a passing error (EIO on one buffer)
                break;
            }
            errors = 0;
            ended = 0;
            // The driver's count of used bytes is believed only up to the buffer's end.
            bool ok = b.index < m_maps.size() && !(b.flags & V4L2_BUF_FLAG_ERROR) &&
                      Convert(pix, static_cast<const BYTE*>(m_maps[b.index]->addr),
                              std::min<size_t>(b.bytesused, m_maps[b.index]->length));
            if (!ok) {
                long dropped = ++m_dropped;
                if ((dropped & (dropped - 1)) ==
                    0) // 1, 2, 4, 8...: a broken camera does not flood the log
                    qCWarning(lcV4l2) << "v4l2-input:" << m_path.c_str() << "frame dropped ("
                                      << dropped << "so far)";
            } else {
                auto now = Clock::now();
                if (!first)
                    first = now;
                Frame f;
                f.bits = m_out.data();
                f.length = static_cast<long>(m_out.size());
                f.width = static_cast<LONG>(pix.width);
                f.height = static_cast<LONG>(pix.height);
                f.sampleTime = std::chrono::duration<double>(now - *first).count();
                f.still = still;
                still = false;
                sink->OnFrame(f);
            }
            // Every buffer goes back to the driver, converted or not.
            if (Xioctl(m_io, m_fd.fd, VIDIOC_QBUF, &b) != 0 && errno == ENODEV) {
                ended = EC_DEVICE_LOST;
                break;
            }
        }
        if (ended && !st.stop_requested()) {
            qCWarning(lcV4l2) << "v4l2-input:" << m_path.c_str()
                              << (ended == EC_DEVICE_LOST ? "device gone" : "stream error");
            sink->OnStreamEvent(ended);
        }
        m_ended = true;
    }

    V4l2Io& m_io;
    std::string m_path, m_sysRoot, m_inputDir, m_usbPath;
    V4l2Fd m_fd;
    MjpegDecoder m_mjpeg;
    std::atomic<long> m_dropped{0};
    std::vector<FrameCaps> m_caps;
    v4lconvert_data* m_convert = nullptr;
    std::vector<std::unique_ptr<Mapping>> m_maps;
    std::vector<BYTE> m_out, m_topDown;
    PlainFd m_wake, m_input;
    std::atomic<bool> m_ended{false};
    std::jthread m_thread;
};

class V4l2Backend : public Backend {
public:
    V4l2Backend(V4l2Io& io, std::string sysRoot, std::string devRoot)
        : m_io(io), m_sysRoot(std::move(sysRoot)), m_devRoot(std::move(devRoot)) {}
    std::vector<DeviceEntry> ListDevices() override {
        return ListVideoDevices(m_sysRoot, m_devRoot,
                                [this](const std::string& node) { return ProbeNode(m_io, node); });
    }
    std::unique_ptr<DeviceSession> Open(const DeviceEntry& entry) override {
        // The node must still carry the same device: the node number may have been reused.
        for (const auto& e : ListDevices())
            if (e.key == entry.key && e.displayName == entry.displayName) {
                std::string usb;
                for (const auto& n : ScanVideoNodes(m_sysRoot))
                    if (m_devRoot + "/video" + std::to_string(n.number) == entry.key)
                        usb = n.usbPath;
                auto s = std::make_unique<V4l2Session>(m_io, entry.key, m_sysRoot,
                                                       m_devRoot + "/input", usb);
                if (!s->Ok())
                    return nullptr;
                return s;
            }
        return nullptr;
    }
    std::vector<std::u16string> PresentHardwareIdLists() override {
        std::vector<std::u16string> out;
        for (const auto& n : ScanVideoNodes(m_sysRoot))
            if (!n.usbPath.empty())
                out.push_back(UsbHardwareIds(n.vendor, n.product, n.revision));
        return out;
    }

private:
    V4l2Io& m_io;
    std::string m_sysRoot, m_devRoot;
};

} // namespace

V4l2Io& SystemV4l2Io() {
    static SystemIo io;
    return io;
}

Backend& V4l2Source() {
    static V4l2Backend backend(SystemV4l2Io(), "/sys", "/dev");
    return backend;
}

std::unique_ptr<Backend> MakeV4l2Source(V4l2Io& io, std::string sysRoot, std::string devRoot) {
    return std::make_unique<V4l2Backend>(io, std::move(sysRoot), std::move(devRoot));
}

} // namespace ms::capture
