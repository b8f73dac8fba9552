// A simulated kernel side for the V4L2 source: one UVC camera, loaded from a profile, answering
// the ioctls uvcvideo answers (capabilities, formats, sizes and intervals as enumerated, the
// nearest size on S_FMT/TRY_FMT, frame rates, controls with their menus and auto companions,
// mapped buffers and streaming) and producing frames: YUYV from a pattern, MJPEG as real JPEG
// data from libjpeg-turbo (without Huffman tables, as cameras send it). It keeps a sysfs tree
// under its root so that the source lists the camera, and it can be unplugged and plugged
// again. Faults are injected into the next frame. Thread-safe: the source calls it from the
// user-interface thread and its streaming thread while a test unplugs.
//
// The picture (before conversion): the top-left quarter red, the top-right quarter white, the
// bottom half black.
#pragma once

#include "CameraProfile.h"

#include "platform/capture/V4l2Device.h"

#include <linux/videodev2.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace capture_test {

class FakeV4l2Device : public ms::capture::V4l2Io {
public:
    // root: an empty scratch folder; the sysfs tree goes to root/sys, the nodes to root/dev.
    FakeV4l2Device(CameraProfile profile, std::string root);
    ~FakeV4l2Device() override;

    std::string SysRoot() const { return m_root + "/sys"; }
    std::string DevRoot() const { return m_root + "/dev"; }

    // Time between two frames while streaming.
    void SetFramePeriod(std::chrono::milliseconds period);

    enum class Fault {
        None,
        Eio,           // DQBUF fails once with EIO (the buffer stays queued)
        ErrorFlag,     // the frame comes with V4L2_BUF_FLAG_ERROR
        Short,         // bytesused half of the frame (a JPEG cut off in the middle)
        Corrupt,       // MJPEG: garbage in the middle of the entropy-coded data
        Oversized,     // bytesused larger than the buffer (a driver fault)
        OtherJpegSize, // MJPEG: a picture of another size than the format's
    };
    void InjectNextFrame(Fault fault);
    // No frame for this long (a stalled camera: poll times out, DQBUF says EAGAIN).
    void Stall(std::chrono::milliseconds duration);
    // Whether the stall is still on: a call that returns while it is has not waited for it.
    bool Stalled() const;
    // How many polls ended by their time-out with nothing ready.
    int PollTimeouts() const;
    // Unplugging: every open descriptor answers ENODEV and polls POLLERR | POLLHUP, the nodes
    // leave sysfs and can no longer be opened. Plugging in again brings the nodes back as a
    // new device (descriptors of the old one stay dead).
    void Unplug();
    void Replug();

    // What the source did.
    int OpenDescriptors() const;
    int MappedBuffers() const;
    int FramesDelivered() const;
    // Calls a careful program never makes (munmap of an unknown address, QBUF of a queued
    // buffer, REQBUFS while mapped, close with buffers mapped...), described.
    std::vector<std::string> Misuses() const;
    // The value the camera holds for a control id (0 when it has no such control).
    std::int32_t ControlValue(std::uint32_t id) const;

    // V4l2Io
    int Open(const std::string& path, int flags) override;
    int Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* arg) override;
    void* Mmap(size_t length, int prot, int flags, int fd, off_t offset) override;
    int Munmap(void* addr, size_t length) override;
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;

private:
    struct Buffer {
        std::vector<unsigned char> data;
        bool queued = false;
        int mapped = 0;
        std::uint32_t bytesused = 0, flags = 0, sequence = 0;
    };
    struct Node {
        int number = 0;
        bool capture = true;
        const ProfileNode* formats = nullptr;
        std::uint32_t pixelFormat = 0, width = 0, height = 0, sizeImage = 0;
        std::uint32_t ivNum = 1, ivDen = 30;
        std::vector<std::unique_ptr<Buffer>> buffers;
        std::deque<std::uint32_t> queue; // queued buffers, oldest first
        int owner = -1;                  // the descriptor that holds the buffers
        bool streaming = false;
        std::uint32_t sequence = 0;
        std::chrono::steady_clock::time_point nextFrame;
    };
    struct File {
        Node* node = nullptr;
        int generation = 0;
    };
    using Clock = std::chrono::steady_clock;

    int IoctlLocked(File& f, unsigned long request, void* arg);
    int Fmt(const Node& n, v4l2_format* f);
    int Parm(Node& n, v4l2_streamparm* p, bool set);
    int Dqbuf(Node& n, v4l2_buffer* b);
    bool FrameDue(const Node& n) const;
    void FillFrame(Node& n, Buffer& b);
    const std::vector<unsigned char>& Jpeg(std::uint32_t w, std::uint32_t h);
    ProfileControl* Control(std::uint32_t id);
    bool Inactive(const ProfileControl& c);
    void WriteSysfs();
    void ChooseFormat(Node& n, std::uint32_t pf, std::uint32_t w, std::uint32_t h);
    void FreeBuffers(Node& n);
    void Misuse(const std::string& what);
    File* Find(int fd);

    CameraProfile m_profile;
    ProfileNode m_standIn; // a control-only profile streams YUYV 640x480
    std::string m_root;
    mutable std::mutex m_mutex;
    std::atomic<int> m_pollTimeouts{0};
    std::vector<std::unique_ptr<Node>> m_nodes;
    std::vector<std::unique_ptr<Node>> m_unplugged; // kept while old descriptors hold them
    std::map<int, File> m_files;
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<unsigned char>> m_jpegs;
    std::vector<std::string> m_misuses;
    Clock::duration m_period = std::chrono::milliseconds(5);
    Clock::time_point m_stallUntil{};
    Fault m_fault = Fault::None;
    bool m_plugged = true;
    int m_generation = 1;
    int m_frames = 0;
};

} // namespace capture_test
