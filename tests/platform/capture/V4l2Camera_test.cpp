// The V4L2 source against simulated cameras loaded from real cameras' profiles: what each
// camera lists (device table, size family, sizes, picture controls), frames in its formats,
// faults of the camera and of the driver, and unplugging.
#include "CameraProfile.h"
#include "FakeV4l2Device.h"

#include "platform/capture/V4l2Camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace ms::capture;
using namespace std::chrono_literals;
using capture_test::CameraProfile;
using capture_test::FakeV4l2Device;
using Fault = FakeV4l2Device::Fault;

namespace {

constexpr DWORD kYuy2 = FourCC('Y', 'U', 'Y', '2');
constexpr DWORD kMjpg = FourCC('M', 'J', 'P', 'G');

// Records frames and stream events from the streaming thread.
class Sink : public FrameSink {
public:
    void OnFrame(const Frame& f) override {
        std::lock_guard lock(m_mutex);
        ++frames;
        width = f.width;
        height = f.height;
        length = f.length;
        // Rows are bottom-up: the picture's top row is the last one.
        const long stride = Rgb24Stride(f.width);
        auto px = [&](LONG x, LONG rowFromTop) {
            const BYTE* p =
                f.bits + static_cast<size_t>(f.height - 1 - rowFromTop) * stride + x * 3;
            return std::array<int, 3>{p[0], p[1], p[2]};
        };
        topLeft = px(f.width / 8, f.height / 8);
        topRight = px(f.width - 1 - f.width / 8, f.height / 8);
        bottom = px(f.width / 2, f.height - 1 - f.height / 8);
        m_cv.notify_all();
    }
    void OnStreamEvent(long code) override {
        std::lock_guard lock(m_mutex);
        events.push_back(code);
        m_cv.notify_all();
    }
    bool WaitFrames(int n, std::chrono::milliseconds limit = 10s) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, limit, [&] { return frames >= n; });
    }
    bool WaitEvent(std::chrono::milliseconds limit = 10s) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, limit, [&] { return !events.empty(); });
    }
    int Frames() {
        std::lock_guard lock(m_mutex);
        return frames;
    }
    std::vector<long> Events() {
        std::lock_guard lock(m_mutex);
        return events;
    }

    int frames = 0;
    LONG width = 0, height = 0;
    long length = 0;
    std::array<int, 3> topLeft{}, topRight{}, bottom{};
    std::vector<long> events;

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
};

bool IsRed(const std::array<int, 3>& bgr) {
    return bgr[0] < 60 && bgr[1] < 60 && bgr[2] > 190;
}
bool IsWhite(const std::array<int, 3>& bgr) {
    return bgr[0] > 200 && bgr[1] > 200 && bgr[2] > 200;
}
bool IsBlack(const std::array<int, 3>& bgr) {
    return bgr[0] < 40 && bgr[1] < 40 && bgr[2] < 40;
}

// A simulated camera in a scratch folder with a V4L2 source over it.
struct Rig {
    explicit Rig(CameraProfile profile) {
        root = fs::temp_directory_path() /
               ("v4l2-fake-" + std::to_string(::getpid()) + "-" + std::to_string(++s_count));
        fs::remove_all(root);
        fs::create_directories(root);
        device = std::make_unique<FakeV4l2Device>(std::move(profile), root.string());
        device->SetFramePeriod(2ms);
        source = MakeV4l2Source(*device, device->SysRoot(), device->DevRoot());
    }
    ~Rig() {
        source.reset();
        device.reset();
        fs::remove_all(root);
    }
    std::unique_ptr<DeviceSession> Open() {
        auto list = source->ListDevices();
        return list.empty() ? nullptr : source->Open(list.front());
    }
    inline static int s_count = 0;
    fs::path root;
    std::unique_ptr<FakeV4l2Device> device;
    std::unique_ptr<Backend> source;
};

CameraProfile Profile(const std::string& name) {
    return capture_test::LoadProfile(capture_test::ProfileFolder(), name);
}

// The size family the capture window picks from the capabilities: large when a packed-YUV
// capability is exactly 1600 x 1200, small when there are packed-YUV capabilities but none of
// that size, unchanged ('-') without packed YUV.
char Family(const std::vector<FrameCaps>& caps) {
    char family = '-';
    for (const auto& [mt, c] : MakeCapabilities(caps)) {
        if (!(mt.subtype == MEDIASUBTYPE_YUY2) && !(mt.subtype == MEDIASUBTYPE_UYVY))
            continue;
        if (c.MinOutputSize.cx == 1600 && c.MaxOutputSize.cy == 1200)
            return 'L';
        family = 'S';
    }
    return family;
}

std::string Sizes(const std::vector<FrameCaps>& caps, DWORD fourcc) {
    std::string out;
    for (const auto& c : caps)
        if (c.fourcc == fourcc) {
            if (!out.empty())
                out += " ";
            out += std::to_string(c.maxSize.cx) + "x" + std::to_string(c.maxSize.cy);
            if (c.stepX)
                out = out.substr(0, out.size() - std::to_string(c.maxSize.cx).size() -
                                        std::to_string(c.maxSize.cy).size() - 1) +
                      std::to_string(c.minSize.cx) + "x" + std::to_string(c.minSize.cy) + "-" +
                      std::to_string(c.maxSize.cx) + "x" + std::to_string(c.maxSize.cy) + "/" +
                      std::to_string(c.stepX);
        }
    return out;
}

// The six rows of the Video Setting dialog as "min..max/step d=default", "-" when the device
// does not have the property.
std::string DialogRows(DeviceSession& s) {
    std::string out;
    for (long p : {VideoProcAmp_Brightness, VideoProcAmp_Contrast, VideoProcAmp_Saturation,
                   VideoProcAmp_Sharpness, VideoProcAmp_Gamma, VideoProcAmp_Hue}) {
        ProcAmpRange r;
        long value = 0, flags = 0;
        if (!out.empty())
            out += " | ";
        if (FAILED(s.GetRange(p, r))) {
            out += "-";
            continue;
        }
        EXPECT_LE(r.min, r.max);
        EXPECT_GE(r.step, 1);
        EXPECT_TRUE(r.def >= r.min && r.def <= r.max);
        EXPECT_EQ(s.Get(p, value, flags), S_OK) << p;
        out += std::to_string(r.min) + ".." + std::to_string(r.max) + "/" + std::to_string(r.step) +
               " d=" + std::to_string(r.def);
    }
    return out;
}

} // namespace

// Every camera of every profile: the device table, the size family and sizes the capture
// window gets, and the picture controls as the Video Setting dialog shows them.
TEST(V4l2ProfilesTest, EveryProfileEnumerates) {
    struct Expect {
        const char* name;
        const char* key;  // the one device listed
        const char* card; // its friendly name
        char family;
        const char* yuy2;
        const char* mjpg;
        const char* controls;
    };
    const std::string none = "- | - | - | - | - | -";
    const std::map<std::string, Expect> expected = {
        {"uvc-1080p-mjpeg-h264-four-nodes",
         {"", "/video8", "USB 2.0 Camera: USB Camera", 'S', "640x480 320x240",
          "1920x1080 1280x720 640x480 320x240", nullptr}},
        {"uvc-2mp-handheld-microscope-yuyv-only",
         {"", "/video0", "USB Camera", 'L',
          "640x480 160x120 176x144 352x288 320x240 1280x1024 1600x1200", "", nullptr}},
        {"uvc-5mp-microscope-mjpeg-yuyv",
         {"", "/video0", "<withheld>", 'L', "1600x1200 800x600 640x480 320x240 1920x1080",
          "320x240 640x480 800x600 1024x768 1280x800 1600x1200 2592x1944 2048x1536 1920x1080 "
          "1280x720",
          nullptr}},
        {"uvc-8mp-microscope-mjpeg-fast-yuyv-slow",
         {"", "/video0", "<withheld>", 'S',
          "3840x2160 2592x1944 2560x1440 1920x1080 1280x960 1280x720 640x480 640x360 320x240",
          "3840x2160 2592x1944 2560x1440 1920x1080 1280x960 1280x720 640x480 640x360 320x240",
          nullptr}},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls",
         {"", "/video0", "USB 2.0 Camera: USB Camera", 'S', "640x480 320x240",
          "1280x720 640x480 320x240",
          "-64..64/1 d=0 | 0..64/1 d=32 | 0..128/1 d=64 | 0..6/1 d=3 | 72..500/1 d=100 | -40..40/1 "
          "d=0"}},
        {"uvc-stepwise-intervals#A",
         {"", "/video0", "USB PC Camera", '-', "", "1280x720 640x480 320x240", nullptr}},
        // A non-UVC board camera: 1600 x 1200 lies on its YUYV grid, but a range is not the
        // exact 1600 x 1200 capability the family test looks for.
        {"uvc-stepwise-intervals#C",
         {"", "/video0", "USB Camera", 'S', "32x32-2592x1944/2", "32x32-2592x1944/2", nullptr}},
        // The control-only parts stream a stand-in YUYV 640 x 480.
        {"uvc-control-anomalies#A",
         {"", "/video0", "USB Camera", 'S', "640x480", "",
          // sharpness is disabled (its query failed in the driver)
          "0..255/1 d=128 | 0..100/1 d=32 | 0..100/1 d=64 | - | 90..150/1 d=120 | -180..180/1 "
          "d=0"}},
        {"uvc-control-anomalies#B", {"", "/video0", "USB Camera", 'S', "640x480", "", nullptr}},
        {"uvc-control-anomalies#C",
         {"", "/video0", "USB Camera", 'S', "640x480", "",
          "0..255/1 d=128 | 0..255/1 d=128 | 0..255/1 d=128 | 0..255/1 d=128 | - | -"}},
        // max -1 below min 0 (unsigned values read as signed): a single value
        {"uvc-control-anomalies#D",
         {"", "/video0", "USB Camera", 'S', "640x480", "",
          "0..0/1 d=0 | 0..65535/1 d=0 | 0..65535/1 d=0 | - | - | 0..0/1 d=0"}},
        {"uvc-control-anomalies#E",
         {"", "/video0", "USB Camera", 'S', "640x480", "",
          "0..100/1 d=50 | 0..100/1 d=50 | 0..100/1 d=50 | - | - | -"}},
        // gamma's step 120 does not divide 100..220; hue steps by 100
        {"uvc-control-anomalies#F",
         {"", "/video0", "<withheld>", 'S', "640x480", "",
          "-127..127/1 d=0 | 0..64/1 d=32 | 0..128/1 d=64 | 0..16/1 d=8 | 100..220/120 d=220 | "
          "-4500..4500/100 d=0"}},
        // defaults 0xDFFF and -8193 outside 0..255 are brought into the range
        {"uvc-control-anomalies#G",
         {"", "/video0", "<withheld>", 'S', "640x480", "",
          "0..255/1 d=0 | 0..255/1 d=255 | 0..255/1 d=255 | 0..255/1 d=255 | - | -"}},
        {"uvc-control-anomalies#H",
         {"", "/video0", "USB 2.0 Camera: USB Camera", 'S', "640x480", "",
          "-64..64/1 d=0 | 0..64/1 d=32 | 0..128/1 d=64 | 0..6/1 d=3 | 72..500/1 d=100 | -40..40/1 "
          "d=0"}},
        {"uvc-control-anomalies#I",
         {"", "/video0", "USB Camera", 'S', "640x480", "", "- | - | - | 0..4/1 d=1 | - | -"}},
    };
    auto profiles = capture_test::LoadProfiles(capture_test::ProfileFolder());
    std::set<std::string> seen;
    for (const auto& p : profiles) {
        SCOPED_TRACE(p.name);
        seen.insert(p.name);
        auto it = expected.find(p.name);
        ASSERT_NE(it, expected.end()) << "a camera without expectations";
        const Expect& e = it->second;
        Rig rig(p);
        auto list = rig.source->ListDevices();
        ASSERT_EQ(list.size(), 1u) << "metadata and H.264-only nodes are no cameras";
        EXPECT_EQ(list[0].key, rig.device->DevRoot() + e.key);
        std::u16string card(e.card, e.card + std::strlen(e.card));
        EXPECT_EQ(list[0].friendlyName, card);
        auto s = rig.source->Open(list[0]);
        ASSERT_TRUE(s);
        auto caps = s->Capabilities();
        EXPECT_EQ(Family(caps), e.family);
        EXPECT_EQ(Sizes(caps, kYuy2), e.yuy2);
        EXPECT_EQ(Sizes(caps, kMjpg), e.mjpg);
        for (const auto& c : caps) {
            EXPECT_TRUE(std::is_sorted(c.intervals.begin(), c.intervals.end()));
            EXPECT_EQ(std::adjacent_find(c.intervals.begin(), c.intervals.end()),
                      c.intervals.end());
            EXPECT_NE(c.fourcc, FourCC('H', '2', '6', '4'));
        }
        EXPECT_EQ(DialogRows(*s), e.controls ? std::string(e.controls) : none);
        auto f = s->CurrentFormat();
        EXPECT_NE(FindCaps(caps, f.fourcc, f.width, f.height), nullptr)
            << "the current format is listed";
    }
    EXPECT_EQ(seen.size(), expected.size());
}
