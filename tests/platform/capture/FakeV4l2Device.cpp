#include "FakeV4l2Device.h"

#include "tests/support/MjpegFrame.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace capture_test {
namespace {

constexpr std::uint32_t kOffsetShift = 16; // buffer i is mapped at offset i << 16

int Fail(int e) {
    errno = e;
    return -1;
}

void Copy(unsigned char* dst, size_t size, const std::string& s) {
    std::memset(dst, 0, size);
    std::memcpy(dst, s.data(), std::min(size - 1, s.size()));
}

// The picture: top-left quarter red, top-right quarter white, bottom half black.
void PatternRgb(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h,
                unsigned char* rgb) {
    if (y >= h / 2) {
        rgb[0] = rgb[1] = rgb[2] = 0;
    } else if (x < w / 2) {
        rgb[0] = 255;
        rgb[1] = rgb[2] = 0;
    } else {
        rgb[0] = rgb[1] = rgb[2] = 255;
    }
}

// A Motion-JPEG frame as cameras send it: the standard Huffman tables are left out.
std::vector<unsigned char> EncodeJpeg(std::uint32_t w, std::uint32_t h) {
    auto jpeg = ms_test::EncodeMjpegFrame(w, h, 80, [&](unsigned y, unsigned char* rgb) {
        for (std::uint32_t x = 0; x < w; ++x)
            PatternRgb(x, y, w, h, rgb + x * 3);
    });
    // Drop the DHT segments before the scan.
    std::vector<unsigned char> strip(jpeg.begin(), jpeg.begin() + 2);
    size_t i = 2;
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF && jpeg[i + 1] != 0xDA) {
        size_t len = 2 + (static_cast<size_t>(jpeg[i + 2]) << 8 | jpeg[i + 3]);
        if (jpeg[i + 1] != 0xC4)
            strip.insert(strip.end(), jpeg.begin() + static_cast<long>(i),
                         jpeg.begin() + static_cast<long>(i + len));
        i += len;
    }
    strip.insert(strip.end(), jpeg.begin() + static_cast<long>(i), jpeg.end());
    return strip;
}

std::uint32_t BytesPerLine(std::uint32_t pf, std::uint32_t w) {
    return pf == V4L2_PIX_FMT_YUYV || pf == V4L2_PIX_FMT_UYVY || pf == V4L2_PIX_FMT_YVYU ? w * 2
                                                                                         : 0;
}

// uvcvideo's distance between two sizes: the pixels of the regions they do not share.
std::uint64_t Distance(std::uint32_t w, std::uint32_t h, std::uint32_t rw, std::uint32_t rh) {
    std::uint64_t shared = static_cast<std::uint64_t>(std::min(w, rw)) * std::min(h, rh);
    return static_cast<std::uint64_t>(w) * h + static_cast<std::uint64_t>(rw) * rh - 2 * shared;
}

std::uint32_t ClampStep(std::uint32_t v, std::uint32_t lo, std::uint32_t hi, std::uint32_t step) {
    v = std::clamp(v, lo, hi);
    if (step > 1)
        v = lo + (v - lo) / step * step;
    return v;
}

std::uint32_t Den(double fps) {
    return static_cast<std::uint32_t>(fps * 1000 + 0.5);
}

} // namespace

FakeV4l2Device::FakeV4l2Device(CameraProfile profile, std::string root)
    : m_profile(std::move(profile)), m_root(std::move(root)) {
    if (m_profile.card.empty())
        m_profile.card = "USB Camera"; // dumps without a card string
    if (m_profile.bus.empty())
        m_profile.bus = "usb-0000:00:14.0-1";
    ProfileFormat yuyv{V4L2_PIX_FMT_YUYV, "YUYV 4:2:2", false, {}};
    ProfileSize vga;
    vga.width = 640;
    vga.height = 480;
    vga.intervals.push_back(ProfileInterval{false, 30, 0, 0});
    yuyv.sizes.push_back(vga);
    m_standIn.formats.push_back(yuyv);
    fs::create_directories(DevRoot());
    Replug();
}

FakeV4l2Device::~FakeV4l2Device() {
    for (auto& [fd, file] : m_files)
        ::close(fd);
}

void FakeV4l2Device::SetFramePeriod(std::chrono::milliseconds period) {
    std::lock_guard lock(m_mutex);
    m_period = period;
}

void FakeV4l2Device::InjectNextFrame(Fault fault) {
    std::lock_guard lock(m_mutex);
    m_fault = fault;
}

void FakeV4l2Device::Stall(std::chrono::milliseconds duration) {
    std::lock_guard lock(m_mutex);
    m_stallUntil = Clock::now() + duration;
}

int FakeV4l2Device::PollTimeouts() const {
    return m_pollTimeouts;
}

bool FakeV4l2Device::Stalled() const {
    std::lock_guard lock(m_mutex);
    return Clock::now() < m_stallUntil;
}

void FakeV4l2Device::Unplug() {
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return;
    m_plugged = false;
    ++m_generation;
    for (auto& n : m_nodes) {
        n->streaming = false;
        m_unplugged.push_back(std::move(n));
    }
    m_nodes.clear();
    fs::remove_all(SysRoot());
}

void FakeV4l2Device::Replug() {
    std::lock_guard lock(m_mutex);
    if (m_plugged && !m_nodes.empty())
        return;
    m_plugged = true;
    if (m_profile.nodes.empty())
        m_profile.nodes.push_back(m_standIn); // a control-only profile streams the stand-in
    for (const auto& pn : m_profile.nodes) {
        auto n = std::make_unique<Node>();
        n->number = pn.number;
        n->formats = &pn;
        std::uint32_t pf = pn.formats.empty() ? 0 : pn.formats[0].pixelFormat;
        std::uint32_t w = 0, h = 0;
        if (m_profile.currentWidth) {
            w = m_profile.currentWidth;
            h = m_profile.currentHeight;
        }
        m_nodes.push_back(std::move(n));
        ChooseFormat(*m_nodes.back(), pf, w, h);
        if (m_profile.capabilities & V4L2_CAP_META_CAPTURE) {
            auto meta = std::make_unique<Node>();
            meta->number = pn.number + 1;
            meta->capture = false;
            m_nodes.push_back(std::move(meta));
        }
    }
    WriteSysfs();
}

void FakeV4l2Device::WriteSysfs() {
    fs::path usb = fs::path(SysRoot()) / "devices/pci0000:00/0000:00:14.0/usb1/1-1";
    fs::path iface = usb / "1-1:1.0";
    fs::create_directories(iface);
    std::ofstream(usb / "idVendor") << "abcd\n";
    std::ofstream(usb / "idProduct") << "1234\n";
    std::ofstream(usb / "bcdDevice") << "0100\n";
    for (const auto& n : m_nodes) {
        fs::path dir =
            fs::path(SysRoot()) / "class/video4linux" / ("video" + std::to_string(n->number));
        fs::create_directories(dir);
        std::ofstream(dir / "name") << m_profile.card << "\n";
        fs::create_symlink(iface, dir / "device");
    }
}

int FakeV4l2Device::OpenDescriptors() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_files.size());
}

int FakeV4l2Device::MappedBuffers() const {
    std::lock_guard lock(m_mutex);
    int n = 0;
    for (const auto* list : {&m_nodes, &m_unplugged})
        for (const auto& node : *list)
            for (const auto& b : node->buffers)
                n += b->mapped;
    return n;
}

int FakeV4l2Device::FramesDelivered() const {
    std::lock_guard lock(m_mutex);
    return m_frames;
}

std::vector<std::string> FakeV4l2Device::Misuses() const {
    std::lock_guard lock(m_mutex);
    return m_misuses;
}

std::int32_t FakeV4l2Device::ControlValue(std::uint32_t id) const {
    std::lock_guard lock(m_mutex);
    for (const auto& c : m_profile.controls)
        if (c.id == id)
            return c.value;
    return 0;
}

void FakeV4l2Device::Misuse(const std::string& what) {
    m_misuses.push_back(what);
}

FakeV4l2Device::File* FakeV4l2Device::Find(int fd) {
    auto it = m_files.find(fd);
    return it == m_files.end() ? nullptr : &it->second;
}

int FakeV4l2Device::Open(const std::string& path, int) {
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return Fail(ENOENT);
    for (auto& n : m_nodes)
        if (path == DevRoot() + "/video" + std::to_string(n->number)) {
            int fd = eventfd(0, EFD_CLOEXEC); // a real, unique descriptor number
            if (fd < 0)
                return -1;
            m_files[fd] = File{n.get(), m_generation};
            return fd;
        }
    return Fail(ENOENT);
}

int FakeV4l2Device::Close(int fd) {
    std::lock_guard lock(m_mutex);
    File* f = Find(fd);
    if (!f)
        return Fail(EBADF);
    Node& n = *f->node;
    if (n.owner == fd) {
        bool mapped = std::any_of(n.buffers.begin(), n.buffers.end(),
                                  [](const auto& b) { return b->mapped > 0; });
        if (mapped)
            Misuse("closed with buffers still mapped");
        else
            n.buffers.clear();
        n.streaming = false;
        n.queue.clear();
        n.owner = -1;
    }
    m_files.erase(fd);
    ::close(fd);
    return 0;
}

int FakeV4l2Device::Ioctl(int fd, unsigned long request, void* arg) {
    std::lock_guard lock(m_mutex);
    File* f = Find(fd);
    if (!f)
        return Fail(EBADF);
    if (f->generation != m_generation || !m_plugged)
        return Fail(ENODEV);
    return IoctlLocked(*f, request, arg);
}

ProfileControl* FakeV4l2Device::Control(std::uint32_t id) {
    for (auto& c : m_profile.controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

// A manual control is inactive while its automatic companion is on (uvcvideo's rule); without
// a companion the flag is as the dump printed it.
bool FakeV4l2Device::Inactive(const ProfileControl& c) {
    std::uint32_t companion = 0;
    switch (c.id) {
    case V4L2_CID_WHITE_BALANCE_TEMPERATURE:
    case V4L2_CID_RED_BALANCE:
    case V4L2_CID_BLUE_BALANCE:
        companion = V4L2_CID_AUTO_WHITE_BALANCE;
        break;
    case V4L2_CID_EXPOSURE_ABSOLUTE:
        companion = V4L2_CID_EXPOSURE_AUTO;
        break;
    case V4L2_CID_HUE:
        companion = V4L2_CID_HUE_AUTO;
        break;
    case V4L2_CID_GAIN:
        companion = V4L2_CID_AUTOGAIN;
        break;
    default:
        break;
    }
    if (const ProfileControl* a = companion ? Control(companion) : nullptr)
        return companion == V4L2_CID_EXPOSURE_AUTO ? a->value != V4L2_EXPOSURE_MANUAL
                                                   : a->value != 0;
    return c.Has("inactive");
}

void FakeV4l2Device::ChooseFormat(Node& n, std::uint32_t pf, std::uint32_t w, std::uint32_t h) {
    if (!n.formats || n.formats->formats.empty())
        return;
    const ProfileFormat* fmt = &n.formats->formats[0]; // uvcvideo: an unknown format is the first
    for (const auto& f : n.formats->formats)
        if (f.pixelFormat == pf) {
            fmt = &f;
            break;
        }
    std::uint32_t bw = 0, bh = 0;
    const ProfileSize* best = nullptr;
    std::uint64_t bestDistance = UINT64_MAX;
    for (const auto& s : fmt->sizes) {
        std::uint32_t cw = s.width, ch = s.height;
        if (s.stepwise) {
            cw = ClampStep(w, s.minW, s.maxW, s.stepW);
            ch = ClampStep(h, s.minH, s.maxH, s.stepH);
        }
        std::uint64_t d = Distance(cw, ch, w, h);
        if (d < bestDistance) {
            bestDistance = d;
            best = &s;
            bw = cw;
            bh = ch;
        }
    }
    n.pixelFormat = fmt->pixelFormat;
    n.width = bw;
    n.height = bh;
    std::uint32_t bpl = BytesPerLine(fmt->pixelFormat, bw);
    if (bpl)
        n.sizeImage = bpl * bh;
    else if (m_profile.currentSizeImage && bw == m_profile.currentWidth &&
             bh == m_profile.currentHeight)
        n.sizeImage = m_profile.currentSizeImage; // the driver's own buffer size
    else
        n.sizeImage = bw * bh * 2;
    n.ivNum = 1;
    n.ivDen = 30;
    if (best && !best->intervals.empty()) {
        const ProfileInterval& iv = best->intervals[0];
        n.ivNum = 1000;
        n.ivDen = Den(iv.stepwise ? iv.fpsHigh : iv.fps);
    }
}

int FakeV4l2Device::Fmt(const Node& n, v4l2_format* f) {
    if (!n.capture || f->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
        return Fail(EINVAL);
    std::memset(&f->fmt.pix, 0, sizeof f->fmt.pix);
    f->fmt.pix.width = n.width;
    f->fmt.pix.height = n.height;
    f->fmt.pix.pixelformat = n.pixelFormat;
    f->fmt.pix.field = V4L2_FIELD_NONE;
    f->fmt.pix.bytesperline = BytesPerLine(n.pixelFormat, n.width);
    f->fmt.pix.sizeimage = n.sizeImage;
    f->fmt.pix.colorspace = V4L2_COLORSPACE_SRGB;
    return 0;
}

int FakeV4l2Device::Parm(Node& n, v4l2_streamparm* p, bool set) {
    if (!n.capture || p->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
        return Fail(EINVAL);
    if (set && p->parm.capture.timeperframe.denominator && n.formats) {
        double want = static_cast<double>(p->parm.capture.timeperframe.numerator) /
                      p->parm.capture.timeperframe.denominator;
        double best = -1;
        for (const auto& f : n.formats->formats)
            if (f.pixelFormat == n.pixelFormat)
                for (const auto& s : f.sizes)
                    if (!s.stepwise && s.width == n.width && s.height == n.height)
                        for (const auto& iv : s.intervals) {
                            double fps =
                                iv.stepwise ? std::clamp(1 / want, iv.fpsLow, iv.fpsHigh) : iv.fps;
                            if (fps > 0 &&
                                (best < 0 || std::abs(1 / fps - want) < std::abs(1 / best - want)))
                                best = fps;
                        }
        if (best > 0) {
            n.ivNum = 1000;
            n.ivDen = Den(best);
        }
    }
    std::memset(&p->parm, 0, sizeof p->parm);
    p->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
    p->parm.capture.timeperframe = {n.ivNum, n.ivDen};
    return 0;
}

int FakeV4l2Device::IoctlLocked(File& file, unsigned long request, void* arg) {
    Node& n = *file.node;
    int fd = -1;
    for (auto& [k, v] : m_files)
        if (&v == &file)
            fd = k;
    const std::vector<ProfileFormat>* formats =
        n.capture && n.formats ? &n.formats->formats : nullptr;
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto* cap = static_cast<v4l2_capability*>(arg);
        std::memset(cap, 0, sizeof *cap);
        Copy(cap->driver, sizeof cap->driver, "uvcvideo");
        Copy(cap->card, sizeof cap->card, m_profile.card);
        Copy(cap->bus_info, sizeof cap->bus_info, m_profile.bus);
        cap->version = 0x060100;
        cap->capabilities = m_profile.capabilities | V4L2_CAP_DEVICE_CAPS;
        cap->device_caps = n.capture ? m_profile.deviceCaps : 0x04a00000;
        return 0;
    }
    case VIDIOC_ENUM_FMT: {
        auto* d = static_cast<v4l2_fmtdesc*>(arg);
        if (!formats || d->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || d->index >= formats->size())
            return Fail(EINVAL);
        const ProfileFormat& f = (*formats)[d->index];
        std::uint32_t index = d->index;
        std::memset(d, 0, sizeof *d);
        d->index = index;
        d->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        d->pixelformat = f.pixelFormat;
        d->flags = f.compressed ? V4L2_FMT_FLAG_COMPRESSED : 0;
        Copy(d->description, sizeof d->description, f.description);
        return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
        auto* s = static_cast<v4l2_frmsizeenum*>(arg);
        if (!formats)
            return Fail(EINVAL);
        for (const auto& f : *formats) {
            if (f.pixelFormat != s->pixel_format)
                continue;
            if (s->index >= f.sizes.size())
                return Fail(EINVAL);
            const ProfileSize& z = f.sizes[s->index];
            if (z.stepwise) {
                s->type = V4L2_FRMSIZE_TYPE_STEPWISE;
                s->stepwise = {z.minW, z.maxW, z.stepW, z.minH, z.maxH, z.stepH};
            } else {
                s->type = V4L2_FRMSIZE_TYPE_DISCRETE;
                s->discrete = {z.width, z.height};
            }
            return 0;
        }
        return Fail(EINVAL);
    }
    case VIDIOC_ENUM_FRAMEINTERVALS: {
        // Every frame descriptor of that size gives its intervals (repeats and all).
        auto* iv = static_cast<v4l2_frmivalenum*>(arg);
        if (!formats)
            return Fail(EINVAL);
        std::vector<ProfileInterval> all;
        for (const auto& f : *formats)
            if (f.pixelFormat == iv->pixel_format)
                for (const auto& s : f.sizes)
                    if (!s.stepwise && s.width == iv->width && s.height == iv->height)
                        all.insert(all.end(), s.intervals.begin(), s.intervals.end());
        if (!all.empty() && all[0].stepwise) {
            if (iv->index != 0)
                return Fail(EINVAL);
            iv->type = V4L2_FRMIVAL_TYPE_STEPWISE;
            iv->stepwise.min = {1000, Den(all[0].fpsHigh)};
            iv->stepwise.max = {1000, Den(all[0].fpsLow)};
            iv->stepwise.step = {0, 1}; // printed as 0.000 s
            return 0;
        }
        if (iv->index >= all.size())
            return Fail(EINVAL);
        iv->type = V4L2_FRMIVAL_TYPE_DISCRETE;
        iv->discrete = {1000, Den(all[iv->index].fps)};
        return 0;
    }
    case VIDIOC_G_FMT:
        return Fmt(n, static_cast<v4l2_format*>(arg));
    case VIDIOC_TRY_FMT:
    case VIDIOC_S_FMT: {
        auto* f = static_cast<v4l2_format*>(arg);
        if (!n.capture || f->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return Fail(EINVAL);
        if (request == VIDIOC_S_FMT && (n.streaming || !n.buffers.empty()))
            return Fail(EBUSY);
        Node probe;
        probe.formats = n.formats;
        ChooseFormat(probe, f->fmt.pix.pixelformat, f->fmt.pix.width, f->fmt.pix.height);
        if (request == VIDIOC_S_FMT) {
            n.pixelFormat = probe.pixelFormat;
            n.width = probe.width;
            n.height = probe.height;
            n.sizeImage = probe.sizeImage;
            n.ivNum = probe.ivNum;
            n.ivDen = probe.ivDen;
        }
        return Fmt(probe, f);
    }
    case VIDIOC_G_PARM:
        return Parm(n, static_cast<v4l2_streamparm*>(arg), false);
    case VIDIOC_S_PARM:
        return Parm(n, static_cast<v4l2_streamparm*>(arg), true);
    case VIDIOC_QUERYCTRL: {
        auto* q = static_cast<v4l2_queryctrl*>(arg);
        ProfileControl* c = nullptr;
        if (q->id & V4L2_CTRL_FLAG_NEXT_CTRL) {
            std::uint32_t base = q->id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND);
            for (auto& k : m_profile.controls)
                if (k.id > base && (!c || k.id < c->id))
                    c = &k;
        } else {
            c = Control(q->id);
        }
        if (!c)
            return Fail(EINVAL);
        std::memset(q, 0, sizeof *q);
        q->id = c->id;
        q->type = c->type == "bool"      ? V4L2_CTRL_TYPE_BOOLEAN
                  : c->type == "menu"    ? V4L2_CTRL_TYPE_MENU
                  : c->type == "intmenu" ? V4L2_CTRL_TYPE_INTEGER_MENU
                  : c->type == "button"  ? V4L2_CTRL_TYPE_BUTTON
                                         : V4L2_CTRL_TYPE_INTEGER;
        Copy(q->name, sizeof q->name, c->name);
        q->minimum = c->min;
        q->maximum = c->max;
        q->step = c->step;
        q->default_value = c->def;
        if (Inactive(*c))
            q->flags |= V4L2_CTRL_FLAG_INACTIVE;
        if (c->Has("disabled"))
            q->flags |= V4L2_CTRL_FLAG_DISABLED;
        if (c->Has("read-only"))
            q->flags |= V4L2_CTRL_FLAG_READ_ONLY;
        if (c->Has("write-only"))
            q->flags |= V4L2_CTRL_FLAG_WRITE_ONLY;
        if (c->Has("has-min-max"))
            q->flags |= 0x1000; // newer kernels' V4L2_CTRL_FLAG_HAS_WHICH_MIN_MAX
        return 0;
    }
    case VIDIOC_QUERYMENU: {
        auto* m = static_cast<v4l2_querymenu*>(arg);
        ProfileControl* c = Control(m->id);
        if (!c || c->type != "menu")
            return Fail(EINVAL);
        auto it = c->menu.find(static_cast<std::int32_t>(m->index));
        if (it == c->menu.end())
            return Fail(EINVAL);
        Copy(m->name, sizeof m->name, it->second);
        return 0;
    }
    case VIDIOC_G_CTRL: {
        auto* v = static_cast<v4l2_control*>(arg);
        ProfileControl* c = Control(v->id);
        if (!c)
            return Fail(EINVAL);
        if (c->Has("write-only"))
            return Fail(EACCES);
        if (c->Has("disabled"))
            return Fail(EIO);
        v->value = c->value;
        return 0;
    }
    case VIDIOC_S_CTRL: {
        auto* v = static_cast<v4l2_control*>(arg);
        ProfileControl* c = Control(v->id);
        if (!c || c->Has("disabled"))
            return Fail(EINVAL);
        if (c->Has("read-only") || Inactive(*c))
            return Fail(EACCES);
        std::int32_t value = v->value;
        if (c->type == "menu") {
            if (value < c->min || value > c->max)
                return Fail(ERANGE);
            if (!c->menu.empty() && !c->menu.count(value))
                return Fail(EINVAL);
        } else if (c->type == "bool") {
            value = value ? 1 : 0;
        } else if (c->min <= c->max) {
            value = std::clamp(value, c->min, c->max);
            if (c->step > 1)
                value = c->min + (value - c->min) / c->step * c->step;
        }
        c->value = value;
        v->value = value;
        return 0;
    }
    case VIDIOC_REQBUFS: {
        auto* r = static_cast<v4l2_requestbuffers*>(arg);
        if (!n.capture || r->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || r->memory != V4L2_MEMORY_MMAP)
            return Fail(EINVAL);
        if (n.owner >= 0 && n.owner != fd)
            return Fail(EBUSY);
        if (n.streaming)
            return Fail(EBUSY);
        bool mapped = std::any_of(n.buffers.begin(), n.buffers.end(),
                                  [](const auto& b) { return b->mapped > 0; });
        if (mapped) {
            Misuse("REQBUFS while buffers are mapped");
            return Fail(EBUSY);
        }
        n.buffers.clear();
        n.queue.clear();
        n.owner = -1;
        if (r->count == 0)
            return 0;
        r->count = std::clamp<std::uint32_t>(r->count, 2, 8);
        for (std::uint32_t i = 0; i < r->count; ++i) {
            auto b = std::make_unique<Buffer>();
            b->data.assign(n.sizeImage, 0); // exactly the buffer's length: ASan sees any overread
            n.buffers.push_back(std::move(b));
        }
        n.owner = fd;
        return 0;
    }
    case VIDIOC_QUERYBUF:
    case VIDIOC_QBUF:
    case VIDIOC_DQBUF: {
        auto* b = static_cast<v4l2_buffer*>(arg);
        if (n.owner != fd || b->type != V4L2_BUF_TYPE_VIDEO_CAPTURE ||
            b->memory != V4L2_MEMORY_MMAP)
            return Fail(EINVAL);
        if (request == VIDIOC_DQBUF)
            return Dqbuf(n, b);
        if (b->index >= n.buffers.size())
            return Fail(EINVAL);
        Buffer& buf = *n.buffers[b->index];
        if (request == VIDIOC_QBUF) {
            if (buf.queued) {
                Misuse("QBUF of a queued buffer");
                return Fail(EINVAL);
            }
            buf.queued = true;
            n.queue.push_back(b->index);
        }
        b->length = static_cast<std::uint32_t>(buf.data.size());
        b->m.offset = b->index << kOffsetShift;
        b->flags =
            (buf.queued ? V4L2_BUF_FLAG_QUEUED : 0) | (buf.mapped ? V4L2_BUF_FLAG_MAPPED : 0);
        return 0;
    }
    case VIDIOC_STREAMON:
        if (n.owner != fd || n.buffers.empty())
            return Fail(EINVAL);
        n.streaming = true;
        n.sequence = 0;
        n.nextFrame = Clock::now() + m_period;
        return 0;
    case VIDIOC_STREAMOFF:
        if (n.owner != fd)
            return Fail(EINVAL);
        n.streaming = false;
        n.queue.clear();
        for (auto& b : n.buffers)
            b->queued = false;
        return 0;
    default:
        return Fail(ENOTTY);
    }
}

bool FakeV4l2Device::FrameDue(const Node& n) const {
    auto now = Clock::now();
    return n.streaming && !n.queue.empty() && now >= n.nextFrame && now >= m_stallUntil;
}

int FakeV4l2Device::Dqbuf(Node& n, v4l2_buffer* b) {
    if (!n.streaming)
        return Fail(EINVAL);
    if (m_fault == Fault::Eio && FrameDue(n)) {
        m_fault = Fault::None;
        n.nextFrame = Clock::now() + m_period;
        return Fail(EIO);
    }
    if (!FrameDue(n))
        return Fail(EAGAIN);
    std::uint32_t index = n.queue.front();
    n.queue.pop_front();
    Buffer& buf = *n.buffers[index];
    buf.queued = false;
    FillFrame(n, buf);
    n.nextFrame = Clock::now() + m_period;
    ++m_frames;
    std::memset(b, 0, sizeof *b);
    b->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    b->memory = V4L2_MEMORY_MMAP;
    b->index = index;
    b->bytesused = buf.bytesused;
    b->flags = buf.flags | V4L2_BUF_FLAG_MAPPED | V4L2_BUF_FLAG_DONE;
    b->sequence = n.sequence++;
    b->length = static_cast<std::uint32_t>(buf.data.size());
    b->m.offset = index << kOffsetShift;
    return 0;
}

const std::vector<unsigned char>& FakeV4l2Device::Jpeg(std::uint32_t w, std::uint32_t h) {
    auto& j = m_jpegs[{w, h}];
    if (j.empty())
        j = EncodeJpeg(w, h);
    return j;
}

void FakeV4l2Device::FillFrame(Node& n, Buffer& b) {
    Fault fault = m_fault;
    m_fault = Fault::None;
    b.flags = 0;
    std::vector<unsigned char>& d = b.data;
    const std::uint32_t w = n.width, h = n.height;
    if (n.pixelFormat == V4L2_PIX_FMT_MJPEG || n.pixelFormat == V4L2_PIX_FMT_JPEG) {
        const auto& jpeg = fault == Fault::OtherJpegSize ? Jpeg(w / 2, h / 2) : Jpeg(w, h);
        size_t size = std::min(jpeg.size(), d.size());
        std::memcpy(d.data(), jpeg.data(), size);
        b.bytesused = static_cast<std::uint32_t>(size);
        if (fault == Fault::Corrupt) {
            // Garbage over the middle third of the data, past the headers.
            std::uint32_t seed = 12345;
            for (size_t i = size / 3; i < 2 * size / 3; ++i) {
                seed = seed * 1103515245u + 12345u;
                d[i] = static_cast<unsigned char>(seed >> 16);
            }
        }
    } else {
        // YUYV: Y0 U Y1 V; red is Y 81, U 90, V 240; white Y 235; black Y 16; gray chroma 128.
        const std::uint32_t bpl = BytesPerLine(n.pixelFormat, w);
        for (std::uint32_t y = 0; y < h; ++y)
            for (std::uint32_t x = 0; x + 1 < w; x += 2) {
                unsigned char* p = d.data() + static_cast<size_t>(y) * bpl + x * 2;
                unsigned char rgb[3];
                PatternRgb(x, y, w, h, rgb);
                bool red = rgb[0] == 255 && rgb[1] == 0;
                unsigned char Y = red ? 81 : rgb[0] ? 235 : 16;
                p[0] = p[2] = Y;
                p[1] = red ? 90 : 128;
                p[3] = red ? 240 : 128;
            }
        b.bytesused = bpl * h;
        if (fault == Fault::Corrupt)
            fault = Fault::ErrorFlag; // raw data cannot be told corrupt; the driver flags it
    }
    if (fault == Fault::Short)
        b.bytesused /= 2;
    if (fault == Fault::Oversized)
        b.bytesused = static_cast<std::uint32_t>(d.size()) + 4096;
    if (fault == Fault::ErrorFlag)
        b.flags |= V4L2_BUF_FLAG_ERROR;
}

void* FakeV4l2Device::Mmap(size_t length, int, int, int fd, off_t offset) {
    std::lock_guard lock(m_mutex);
    File* f = Find(fd);
    if (!f) {
        errno = EBADF;
        return MAP_FAILED;
    }
    if (f->generation != m_generation || !m_plugged) {
        errno = ENODEV;
        return MAP_FAILED;
    }
    Node& n = *f->node;
    size_t index = static_cast<size_t>(offset) >> kOffsetShift;
    if (n.owner != fd || index >= n.buffers.size() || length > n.buffers[index]->data.size()) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    ++n.buffers[index]->mapped;
    return n.buffers[index]->data.data();
}

int FakeV4l2Device::Munmap(void* addr, size_t) {
    std::lock_guard lock(m_mutex);
    for (auto* list : {&m_nodes, &m_unplugged})
        for (auto& node : *list)
            for (auto& b : node->buffers)
                if (b->data.data() == addr && b->mapped > 0) {
                    --b->mapped;
                    return 0;
                }
    Misuse("munmap of an address that is not mapped");
    return Fail(EINVAL);
}

int FakeV4l2Device::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 1 << 30 : timeoutMs);
    std::vector<pollfd> real;
    std::vector<nfds_t> where;
    for (;;) {
        int ready = 0;
        real.clear();
        where.clear();
        {
            std::lock_guard lock(m_mutex);
            for (nfds_t i = 0; i < count; ++i) {
                fds[i].revents = 0;
                File* f = fds[i].fd >= 0 ? Find(fds[i].fd) : nullptr;
                if (!f) {
                    if (fds[i].fd >= 0) {
                        real.push_back(fds[i]);
                        where.push_back(i);
                    }
                    continue;
                }
                if (f->generation != m_generation || !m_plugged)
                    fds[i].revents = POLLERR | POLLHUP;
                else if (FrameDue(*f->node))
                    fds[i].revents = fds[i].events & POLLIN;
                ready += fds[i].revents != 0;
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        // The simulated node is looked at again every few milliseconds.
        int wait = ready ? 0 : static_cast<int>(std::clamp<long long>(left.count(), 0, 3));
        int r = real.empty() ? 0 : ::poll(real.data(), real.size(), wait);
        if (r < 0)
            return r;
        if (real.empty() && wait > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        for (size_t k = 0; k < real.size(); ++k)
            fds[where[k]].revents = real[k].revents;
        ready += r;
        if (ready || Clock::now() >= deadline) {
            if (!ready)
                ++m_pollTimeouts;
            return ready;
        }
    }
}

} // namespace capture_test
