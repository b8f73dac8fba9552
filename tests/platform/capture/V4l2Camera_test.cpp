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

namespace {
// Sets the format, streams until a few frames came, and checks their size and picture.
void StreamAndLook(Rig& rig, DeviceSession& s, DWORD fourcc, LONG w, LONG h) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    ASSERT_EQ(s.SetFormat({fourcc, w, h, 0}), S_OK);
    auto f = s.CurrentFormat();
    EXPECT_EQ(f.fourcc, fourcc);
    EXPECT_EQ(f.width, w);
    EXPECT_EQ(f.height, h);
    auto sink = std::make_shared<Sink>();
    ASSERT_EQ(s.Start(sink), S_OK);
    EXPECT_TRUE(sink->WaitFrames(3));
    s.Stop();
    EXPECT_EQ(sink->width, w);
    EXPECT_EQ(sink->height, h);
    EXPECT_EQ(sink->length, Rgb24Stride(w) * h);
    EXPECT_TRUE(IsRed(sink->topLeft))
        << sink->topLeft[0] << "," << sink->topLeft[1] << "," << sink->topLeft[2];
    EXPECT_TRUE(IsWhite(sink->topRight));
    EXPECT_TRUE(IsBlack(sink->bottom));
    EXPECT_TRUE(sink->Events().empty());
    EXPECT_EQ(s.DroppedFrames(), 0);
    EXPECT_TRUE(rig.device->Misuses().empty());
}
} // namespace

// Large sizes that exist only as Motion-JPEG come as frames of that size, decoded into
// upright BGR; YUYV at the large sizes of a raw-only microscope as well. MJPEG buffers have the
// driver's own size (614989 bytes for 640 x 480), not width x height x 2.
TEST(V4l2StreamTest, FramesComeInEveryFormatAtTheSizesTheCameraOffers) {
    struct Case {
        const char* profile;
        DWORD fourcc;
        LONG w, h;
    } cases[] = {
        {"uvc-8mp-microscope-mjpeg-fast-yuyv-slow", kMjpg, 3840, 2160},
        {"uvc-8mp-microscope-mjpeg-fast-yuyv-slow", kYuy2, 1280, 720},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kMjpg, 1280, 720},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kMjpg, 640, 480},
        {"uvc-1080p-mjpeg-h264-four-nodes", kMjpg, 1920, 1080},
        {"uvc-stepwise-intervals#A", kMjpg, 320, 240},
        {"uvc-2mp-handheld-microscope-yuyv-only", kYuy2, 1600, 1200},
        {"uvc-5mp-microscope-mjpeg-yuyv", kMjpg, 2592, 1944},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        Rig rig(Profile(c.profile));
        auto s = rig.Open();
        ASSERT_TRUE(s);
        StreamAndLook(rig, *s, c.fourcc, c.w, c.h);
    }
}

// A size the camera does not have is refused and the camera keeps delivering the size it had,
// which is what the format and the frames report; a driver that answers S_FMT with another
// size never makes the source read a frame as the size it asked for.
TEST(V4l2StreamTest, ASizeTheCameraAnswersWithAnotherIsNotTakenForTheAskedOne) {
    Rig rig(Profile("uvc-8mp-microscope-mjpeg-fast-yuyv-slow"));
    auto s = rig.Open();
    ASSERT_TRUE(s);
    ASSERT_EQ(s->SetFormat({kYuy2, 640, 480, 0}), S_OK);
    // The small family's default size; this camera's nearest is 1280 x 960.
    EXPECT_EQ(s->SetFormat({kYuy2, 1280, 1024, 0}), VFW_E_INVALIDMEDIATYPE);
    auto f = s->CurrentFormat();
    EXPECT_EQ(f.width, 640);
    EXPECT_EQ(f.height, 480);
    auto sink = std::make_shared<Sink>();
    ASSERT_EQ(s->Start(sink), S_OK);
    EXPECT_TRUE(sink->WaitFrames(3));
    s->Stop();
    EXPECT_EQ(sink->width, 640);
    EXPECT_EQ(sink->height, 480);
}

// Bad frames are dropped and counted and the stream goes on; a passing EIO and a bytesused
// beyond the buffer's end neither end the stream nor read past the buffer (ASan).
TEST(V4l2StreamTest, BadFramesAreDroppedAndCountedAndTheStreamGoesOn) {
    struct Case {
        const char* profile;
        DWORD fourcc;
        Fault fault;
        long dropped;
    } cases[] = {
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kMjpg, Fault::Corrupt, 1},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kMjpg, Fault::Short, 1},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kMjpg, Fault::OtherJpegSize, 1},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kMjpg, Fault::ErrorFlag, 1},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kMjpg, Fault::Oversized, 0},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kMjpg, Fault::Eio, 0},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kYuy2, Fault::Short, 1},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kYuy2, Fault::Corrupt, 1},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kYuy2, Fault::Oversized, 0},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kYuy2, Fault::Eio, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fourcc == kMjpg ? "MJPG " : "YUY2 ") +
                     std::to_string(static_cast<int>(c.fault)));
        Rig rig(Profile(c.profile));
        auto s = rig.Open();
        ASSERT_TRUE(s);
        ASSERT_EQ(s->SetFormat({c.fourcc, 640, 480, 0}), S_OK);
        auto sink = std::make_shared<Sink>();
        ASSERT_EQ(s->Start(sink), S_OK);
        ASSERT_TRUE(sink->WaitFrames(2));
        int before = rig.device->FramesDelivered();
        rig.device->InjectNextFrame(c.fault);
        // The faulty frame passed and good ones follow.
        for (int i = 0; i < 500 && rig.device->FramesDelivered() < before + 3; ++i)
            std::this_thread::sleep_for(2ms);
        int seen = sink->Frames();
        EXPECT_TRUE(sink->WaitFrames(seen + 2));
        EXPECT_TRUE(s->Streaming());
        s->Stop();
        EXPECT_EQ(s->DroppedFrames(), c.dropped);
        EXPECT_TRUE(sink->Events().empty());
        EXPECT_TRUE(IsRed(sink->topLeft));
        EXPECT_TRUE(rig.device->Misuses().empty());
    }
}

// A camera that stops sending (DQBUF never ready) keeps the stream waiting without an event;
// the user-interface thread is never held: Stop and the picture controls answer at once.
TEST(V4l2StreamTest, AStalledCameraBlocksNeitherStopNorTheControls) {
    Rig rig(Profile("uvc-720p-mjpeg-small-yuyv-signed-controls"));
    auto s = rig.Open();
    ASSERT_TRUE(s);
    auto sink = std::make_shared<Sink>();
    ASSERT_EQ(s->Start(sink), S_OK);
    ASSERT_TRUE(sink->WaitFrames(2));
    rig.device->Stall(20s); // far longer than the streaming thread's poll time-out
    long value = 0, flags = 0;
    EXPECT_EQ(s->Get(VideoProcAmp_Brightness, value, flags), S_OK);
    EXPECT_EQ(s->Set(VideoProcAmp_Brightness, 5, VideoProcAmp_Flags_Manual), S_OK);
    EXPECT_TRUE(rig.device->Stalled()) << "the controls waited for the stalled stream";
    EXPECT_TRUE(sink->Events().empty());
    // The streaming thread's poll runs out at least once before the camera sends again.
    const int timeouts = rig.device->PollTimeouts();
    for (int i = 0; i < 60000 && rig.device->PollTimeouts() == timeouts; ++i)
        std::this_thread::sleep_for(1ms);
    EXPECT_GT(rig.device->PollTimeouts(), timeouts);
    rig.device->Stall(0ms);
    EXPECT_TRUE(sink->WaitFrames(sink->Frames() + 2, 60s)) << "the stream goes on after the stall";
    EXPECT_TRUE(sink->Events().empty());
    rig.device->Stall(20s);
    s->Stop();
    EXPECT_TRUE(rig.device->Stalled()) << "Stop waited for the stalled stream";
    EXPECT_FALSE(s->Streaming());
}

// Another program streaming the camera: the driver refuses the format (EBUSY) and the buffers,
// and the source says so instead of pretending.
TEST(V4l2StreamTest, ACameraBusyElsewhereRefusesFormatAndStart) {
    Rig rig(Profile("uvc-720p-mjpeg-small-yuyv-signed-controls"));
    auto first = rig.Open();
    auto second = rig.Open();
    ASSERT_TRUE(first && second);
    auto sink = std::make_shared<Sink>();
    ASSERT_EQ(first->Start(sink), S_OK);
    EXPECT_EQ(second->SetFormat({kYuy2, 320, 240, 0}), VFW_E_NOT_STOPPED);
    EXPECT_EQ(first->SetFormat({kYuy2, 320, 240, 0}), VFW_E_NOT_STOPPED);
    auto other = std::make_shared<Sink>();
    EXPECT_TRUE(FAILED(second->Start(other)));
    EXPECT_FALSE(second->Streaming());
    EXPECT_TRUE(sink->WaitFrames(3));
    first->Stop();
    EXPECT_EQ(second->SetFormat({kYuy2, 320, 240, 0}), S_OK);
    EXPECT_TRUE(rig.device->Misuses().empty());
}

// Automatic companions and odd ranges, as the picture controls meet them.
TEST(V4l2ControlsTest, AutoCompanionsStepsAndDefaultsBehaveOnRealRanges) {
    {
        Rig rig(Profile("uvc-720p-mjpeg-small-yuyv-signed-controls"));
        auto s = rig.Open();
        ASSERT_TRUE(s);
        long value = 0, flags = 0;
        ASSERT_EQ(s->Get(VideoProcAmp_WhiteBalance, value, flags), S_OK);
        EXPECT_EQ(value, 4600);
        EXPECT_EQ(flags, VideoProcAmp_Flags_Auto);
        // Manual: the automatic white balance goes off first, so the temperature (inactive
        // while it is on, EACCES) can be written.
        EXPECT_EQ(s->Set(VideoProcAmp_WhiteBalance, 5000, VideoProcAmp_Flags_Manual), S_OK);
        EXPECT_EQ(rig.device->ControlValue(V4L2_CID_AUTO_WHITE_BALANCE), 0);
        EXPECT_EQ(rig.device->ControlValue(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 5000);
        ASSERT_EQ(s->Get(VideoProcAmp_WhiteBalance, value, flags), S_OK);
        EXPECT_EQ(flags, VideoProcAmp_Flags_Manual);
        EXPECT_EQ(s->Set(VideoProcAmp_WhiteBalance, 3000, VideoProcAmp_Flags_Auto), S_OK);
        EXPECT_EQ(rig.device->ControlValue(V4L2_CID_AUTO_WHITE_BALANCE), 1);
        EXPECT_EQ(rig.device->ControlValue(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 5000);
        // Default with the Auto flag on a property without an automatic companion: by hand.
        EXPECT_EQ(s->Set(VideoProcAmp_Brightness, -64, VideoProcAmp_Flags_Auto), S_OK);
        EXPECT_EQ(rig.device->ControlValue(V4L2_CID_BRIGHTNESS), -64);
        EXPECT_EQ(s->Set(VideoProcAmp_Brightness, 65, VideoProcAmp_Flags_Manual), E_INVALIDARG);
        EXPECT_EQ(s->Set(VideoProcAmp_ColorEnable, 1, VideoProcAmp_Flags_Manual),
                  E_PROP_ID_UNSUPPORTED);
    }
    {
        // An automatic white balance that cannot be switched off: the refused write of the
        // inactive temperature is a failure, not a success.
        auto p = Profile("uvc-720p-mjpeg-small-yuyv-signed-controls");
        for (auto& c : p.controls)
            if (c.id == V4L2_CID_AUTO_WHITE_BALANCE)
                c.flags.push_back("read-only");
        Rig rig(p);
        auto s = rig.Open();
        ASSERT_TRUE(s);
        EXPECT_EQ(s->Set(VideoProcAmp_WhiteBalance, 5000, VideoProcAmp_Flags_Manual), E_FAIL);
        EXPECT_EQ(rig.device->ControlValue(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 4600);
    }
    {
        // Defaults outside the range: Default applies the clamped default.
        Rig rig(Profile("uvc-control-anomalies#G"));
        auto s = rig.Open();
        ASSERT_TRUE(s);
        ProcAmpRange r;
        ASSERT_EQ(s->GetRange(VideoProcAmp_Contrast, r), S_OK);
        EXPECT_EQ(s->Set(VideoProcAmp_Contrast, r.def, VideoProcAmp_Flags_Auto), S_OK);
        EXPECT_EQ(rig.device->ControlValue(V4L2_CID_CONTRAST), 255);
    }
    {
        // max below min: the one value GetRange reports can be set.
        Rig rig(Profile("uvc-control-anomalies#D"));
        auto s = rig.Open();
        ASSERT_TRUE(s);
        EXPECT_EQ(s->Set(VideoProcAmp_Brightness, 0, VideoProcAmp_Flags_Manual), S_OK);
        EXPECT_EQ(s->Set(VideoProcAmp_Brightness, 1, VideoProcAmp_Flags_Manual), E_INVALIDARG);
    }
    {
        // A disabled control (its query failed in the driver) is not offered; the controls
        // after it still are (each is asked by id, not by walking the list).
        Rig rig(Profile("uvc-control-anomalies#A"));
        auto s = rig.Open();
        ASSERT_TRUE(s);
        ProcAmpRange r;
        long value = 0, flags = 0;
        EXPECT_EQ(s->GetRange(VideoProcAmp_Sharpness, r), E_PROP_ID_UNSUPPORTED);
        EXPECT_EQ(s->Get(VideoProcAmp_Sharpness, value, flags), E_PROP_ID_UNSUPPORTED);
        EXPECT_EQ(s->Set(VideoProcAmp_Sharpness, 0, VideoProcAmp_Flags_Manual),
                  E_PROP_ID_UNSUPPORTED);
        EXPECT_EQ(s->GetRange(VideoProcAmp_Gamma, r), S_OK);
    }
}

// Unplugging mid-stream, a hundred times: the stream ends with one device-lost event, nothing
// hangs, the node leaves the device list and comes back with the same identity, and every
// descriptor and mapping is given back.
TEST(V4l2UnplugTest, AHundredUnplugsMidStreamEndCleanly) {
    Rig rig(Profile("uvc-720p-mjpeg-small-yuyv-signed-controls"));
    auto list = rig.source->ListDevices();
    ASSERT_EQ(list.size(), 1u);
    const DeviceEntry entry = list[0];
    for (int cycle = 0; cycle < 100; ++cycle) {
        SCOPED_TRACE(cycle);
        auto s = rig.source->Open(entry);
        ASSERT_TRUE(s);
        ASSERT_EQ(s->SetFormat({cycle % 2 ? kYuy2 : kMjpg, 640, 480, 0}), S_OK);
        auto sink = std::make_shared<Sink>();
        ASSERT_EQ(s->Start(sink), S_OK);
        ASSERT_TRUE(sink->WaitFrames(2));
        rig.device->Unplug();
        ASSERT_TRUE(sink->WaitEvent(5s));
        for (int i = 0; i < 100 && s->Streaming(); ++i)
            std::this_thread::sleep_for(1ms);
        EXPECT_FALSE(s->Streaming());
        EXPECT_TRUE(rig.source->ListDevices().empty());
        EXPECT_EQ(rig.source->Open(entry), nullptr);
        long value = 0, flags = 0;
        EXPECT_EQ(s->Get(VideoProcAmp_Brightness, value, flags), E_PROP_ID_UNSUPPORTED);
        EXPECT_EQ(s->SetFormat({kYuy2, 320, 240, 0}), VFW_E_NOT_STOPPED);
        s->Stop();
        s->Stop();
        s.reset();
        EXPECT_EQ(sink->Events(), std::vector<long>{EC_DEVICE_LOST});
        EXPECT_EQ(rig.device->OpenDescriptors(), 0);
        EXPECT_EQ(rig.device->MappedBuffers(), 0);
        rig.device->Replug();
        list = rig.source->ListDevices();
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].displayName, entry.displayName);
    }
    EXPECT_TRUE(rig.device->Misuses().empty());
}

// The frame rate asked with a format becomes the nearest the size offers, as the camera reports
// it back; a size with one stepwise interval of step 0 has that one rate.
TEST(V4l2StreamTest, FrameRatesAreTheNearestTheSizeOffers) {
    struct Case {
        const char* profile;
        DWORD fourcc;
        LONG w, h;
        LONGLONG asked, got;
    } cases[] = {
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kMjpg, 640, 480, 666666, 666666},
        {"uvc-720p-mjpeg-small-yuyv-signed-controls", kMjpg, 640, 480, 450000, 400000},
        {"uvc-8mp-microscope-mjpeg-fast-yuyv-slow", kYuy2, 1280, 720, 2000000, 2000000},
        {"uvc-8mp-microscope-mjpeg-fast-yuyv-slow", kYuy2, 1280, 720, 333333, 1000000},
        {"uvc-stepwise-intervals#A", kMjpg, 640, 480, 400000, 333333},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.profile) + " " + std::to_string(c.asked));
        Rig rig(Profile(c.profile));
        auto s = rig.Open();
        ASSERT_TRUE(s);
        const auto all = s->Capabilities();
        const FrameCaps* caps = FindCaps(all, c.fourcc, c.w, c.h);
        ASSERT_NE(caps, nullptr);
        ASSERT_EQ(s->SetFormat({c.fourcc, c.w, c.h, NearestInterval(*caps, c.asked)}), S_OK);
        EXPECT_EQ(s->CurrentFormat().interval, c.got);
    }
}
