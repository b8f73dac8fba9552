// The capture window over the synthetic camera: device table, graph states, capture formats
// and "CapConfig.dat", the grabber paths and the snapshot switch.
#include "capture/CaptureWnd.h"

#include "kit/RegistrySettings.h"
#include "tests/support/TestEnvironment.h"

#include "platform/win/core/Files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <tuple>

namespace {

const std::filesystem::path g_program = mstest::NewProgramDir(mstest::ProgramFiles::None);

using ms::capture::SyntheticCamera;
using ms::capture::SyntheticDevice;

SyntheticDevice Device(const std::string& id,
                       std::vector<SIZE> sizes = ms::capture::LargeSizeFamily()) {
    SyntheticDevice d;
    d.id = id;
    d.friendlyName = u"Camera " + std::u16string(id.begin(), id.end());
    d.sizes = std::move(sizes);
    d.framesPerSecond = 0; // frames only when a test pushes them
    return d;
}

HWND FakeWindow(int n) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1000 + n));
}

std::filesystem::path ConfigFile() {
    return g_program / "CapConfig.dat";
}

// A format as the capture window stores it: packed YUV, 16 bits.
VIDEOINFOHEADER StoredFormat(LONG width, LONG height) {
    VIDEOINFOHEADER f{};
    f.AvgTimePerFrame = 333333;
    f.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    f.bmiHeader.biWidth = width;
    f.bmiHeader.biHeight = height;
    f.bmiHeader.biPlanes = 1;
    f.bmiHeader.biBitCount = 16;
    f.bmiHeader.biCompression = ms::capture::FourCC('Y', 'U', 'Y', '2');
    f.bmiHeader.biSizeImage = static_cast<DWORD>(width * height * 2);
    f.dwBitRate = 30u * f.bmiHeader.biSizeImage * 8u;
    return f;
}

void Store(const VIDEOINFOHEADER& f) {
    const auto bytes = EncodeCapConfig(f);
    ASSERT_TRUE(ms::WriteFileAtomic(
        CCaptureWnd::FormatConfigPath(),
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
}

class CaptureWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::capture::UseSyntheticCamera(true);
        ms::capture::SetPostMessage([this](HWND h, UINT m, WPARAM w, LPARAM l) {
            std::lock_guard lock(mutex_);
            posted_.emplace_back(h, m, w, l);
            return true;
        });
        std::filesystem::remove(ConfigFile());
        g_has1600x1200 = 1;
        g_captureWidth = 1600;
        g_captureHeight = 1200;
        g_snapEnable = 0;
        g_snapshotRequest = 0;
        g_snapshotSource = 0;
    }
    void TearDown() override {
        wnd_.ReleaseGraph();
        ms::capture::SetPostMessage({});
        SyntheticCamera::Instance().ResetToDefault();
    }

    // The device start's order of calls; 1 when the device runs.
    int Start(CCaptureWnd& w) {
        w.SetWindows(FakeWindow(1), FakeWindow(2));
        EXPECT_EQ(w.CreateDeviceEnumerator(), S_OK);
        return w.EnumerateDevices() && w.BuildGraph() && w.ConfigureFormat() && w.Run();
    }
    std::vector<std::u16string> FilterNames() {
        std::vector<std::u16string> names;
        if (wnd_.Graph())
            for (const auto& f : wnd_.Graph()->Filters())
                names.push_back(f->Name());
        return names;
    }
    size_t Posted(UINT msg, WPARAM wp) {
        std::lock_guard lock(mutex_);
        size_t n = 0;
        for (const auto& m : posted_)
            n += std::get<1>(m) == msg && std::get<2>(m) == wp;
        return n;
    }
    std::u16string CurrentName() {
        return wnd_.CurrentDevice() ? std::u16string(wnd_.CurrentDevice()->displayName) : u"";
    }

    CCaptureWnd wnd_;
    std::mutex mutex_;
    std::vector<std::tuple<HWND, UINT, WPARAM, LPARAM>> posted_;
};

// ---- Formats and CapConfig.dat ----

TEST_F(CaptureWndTest, DefaultSizeFollowsTheDeviceFamilyAndWritesNoFile) {
    const struct {
        std::vector<SIZE> sizes;
        int large, width, height;
        DWORD bytes;
    } cases[] = {
        {ms::capture::LargeSizeFamily(), 1, 1600, 1200, 3840000},
        {ms::capture::SmallSizeFamily(), 0, 1280, 1024, 2621440},
    };
    for (const auto& c : cases) {
        SyntheticCamera::Instance().SetDevices({Device("cam", c.sizes)});
        CCaptureWnd w;
        ASSERT_EQ(Start(w), 1);
        EXPECT_EQ(g_has1600x1200, c.large);
        EXPECT_EQ(g_captureWidth, c.width);
        EXPECT_EQ(g_captureHeight, c.height);
        EXPECT_EQ(w.CurrentFormat().bmiHeader.biSizeImage, c.bytes);
        AM_MEDIA_TYPE mt;
        std::shared_ptr<IAMStreamConfig> config;
        ICaptureGraphBuilder2().FindStreamConfig(nullptr, nullptr, w.Filter(), &config);
        ASSERT_EQ(config->GetFormat(&mt), S_OK);
        EXPECT_EQ(mt.vih.bmiHeader.biWidth, c.width);
        EXPECT_EQ(mt.vih.bmiHeader.biHeight, c.height);
        EXPECT_FALSE(std::filesystem::exists(ConfigFile()));
        w.ReleaseGraph();
    }
}

TEST_F(CaptureWndTest, SetResolutionWritesCapConfigAndARestartComesUpAtThatSize) {
    SyntheticCamera::Instance().SetDevices({Device("cam")});
    ASSERT_EQ(Start(wnd_), 1);
    const CaptureSize& f10 = CaptureSizeOf(g_has1600x1200, 0);
    EXPECT_EQ(wnd_.SetResolution(f10.width, f10.height), S_OK);
    EXPECT_EQ(wnd_.IsRunning(), 1);
    EXPECT_EQ(g_captureWidth, 640);
    EXPECT_EQ(g_captureHeight, 480);

    std::ifstream in(ConfigFile(), std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 88u);
    auto u32 = [&](size_t at) {
        return static_cast<DWORD>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                  static_cast<DWORD>(bytes[at + 3]) << 24);
    };
    EXPECT_EQ(u32(40), 333333u);            // 30 frames per second
    EXPECT_EQ(u32(32), 30u * 614400u * 8u); // bit rate
    EXPECT_EQ(u32(52), 640u);
    EXPECT_EQ(u32(56), 480u);
    EXPECT_EQ(bytes[62], 16);
    EXPECT_EQ(std::memcmp(&bytes[64], "YUY2", 4), 0);
    EXPECT_EQ(u32(68), 614400u);

    // A restart of the program: a new window, the same device.
    wnd_.Stop();
    wnd_.TearDownGraph();
    wnd_.ReleaseGraph();
    CCaptureWnd again;
    ASSERT_EQ(Start(again), 1);
    EXPECT_EQ(g_captureWidth, 640);
    EXPECT_EQ(g_captureHeight, 480);
    EXPECT_EQ(again.CurrentFormat().bmiHeader.biWidth, 640);
}

TEST_F(CaptureWndTest, AShortOrUnusableCapConfigMeansTheDefaultSize) {
    SyntheticCamera::Instance().SetDevices({Device("cam")});
    {
        std::ofstream out(ConfigFile(), std::ios::binary);
        out << std::string(87, '\x01');
    }
    EXPECT_EQ(wnd_.LoadFormatConfig(), 0);
    ASSERT_EQ(Start(wnd_), 1);
    EXPECT_EQ(g_captureWidth, 1600);
    EXPECT_EQ(g_captureHeight, 1200);
    wnd_.Stop();
    wnd_.TearDownGraph();

    // 88 bytes of a size the device cannot deliver: the device refuses it, the default holds.
    VIDEOINFOHEADER odd = wnd_.CurrentFormat();
    odd.bmiHeader.biWidth = 999;
    odd.bmiHeader.biHeight = 7;
    const auto bytes = EncodeCapConfig(odd);
    ASSERT_TRUE(
        ms::WriteFileAtomic(CCaptureWnd::FormatConfigPath(),
                            std::string_view(reinterpret_cast<const char*>(bytes.data()), 88)));
    ASSERT_EQ(wnd_.ConfigureFormat(), 1);
    EXPECT_EQ(g_captureWidth, 1600);
    EXPECT_EQ(g_captureHeight, 1200);
}

// The file may have been edited or damaged: each field out of its range makes it count as no
// file, so the device starts at its default size and nothing reads a negated INT_MIN.
TEST_F(CaptureWndTest, ACapConfigWithAFieldOutOfRangeCountsAsNoFile) {
    const struct {
        const char* what;
        void (*spoil)(VIDEOINFOHEADER&);
    } cases[] = {
        {"height INT_MIN", [](VIDEOINFOHEADER& f) { f.bmiHeader.biHeight = INT_MIN; }},
        {"top-down height", [](VIDEOINFOHEADER& f) { f.bmiHeader.biHeight = -480; }},
        {"width 0", [](VIDEOINFOHEADER& f) { f.bmiHeader.biWidth = 0; }},
        {"width too large", [](VIDEOINFOHEADER& f) { f.bmiHeader.biWidth = 16385; }},
        {"header size", [](VIDEOINFOHEADER& f) { f.bmiHeader.biSize = 0; }},
        {"planes", [](VIDEOINFOHEADER& f) { f.bmiHeader.biPlanes = 2; }},
        {"bit count", [](VIDEOINFOHEADER& f) { f.bmiHeader.biBitCount = 7; }},
        {"compression", [](VIDEOINFOHEADER& f) { f.bmiHeader.biCompression = 0x01020304; }},
        {"frame size", [](VIDEOINFOHEADER& f) { f.bmiHeader.biSizeImage = 640 * 480 * 4 + 1; }},
        {"pixels per metre", [](VIDEOINFOHEADER& f) { f.bmiHeader.biXPelsPerMeter = -1; }},
        {"palette", [](VIDEOINFOHEADER& f) { f.bmiHeader.biClrUsed = 257; }},
        {"frame duration", [](VIDEOINFOHEADER& f) { f.AvgTimePerFrame = -1; }},
        {"source rectangle", [](VIDEOINFOHEADER& f) { f.rcSource.left = -1; }},
        {"target rectangle",
         [](VIDEOINFOHEADER& f) {
             f.rcTarget = RECT{10, 0, 5, 0};
         }},
    };
    SyntheticCamera::Instance().SetDevices({Device("cam")});
    Store(StoredFormat(640, 480));
    ASSERT_EQ(wnd_.LoadFormatConfig(), 1) << "the unspoilt format is in range";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        VIDEOINFOHEADER f = StoredFormat(640, 480);
        c.spoil(f);
        Store(f);
        CCaptureWnd w;
        EXPECT_EQ(w.LoadFormatConfig(), 0);
        ASSERT_EQ(Start(w), 1);
        EXPECT_EQ(g_captureWidth, 1600);
        EXPECT_EQ(g_captureHeight, 1200);
        w.ReleaseGraph();
    }
}

// A size the operator chooses holds although "CapConfig.dat" cannot be written (here a folder
// of that name stands in its way): through the change itself and every later configuration.
TEST_F(CaptureWndTest, AChosenSizeHoldsWhenCapConfigCannotBeWritten) {
    SyntheticCamera::Instance().SetDevices({Device("cam")});
    std::filesystem::create_directory(ConfigFile());
    ASSERT_EQ(Start(wnd_), 1);
    for (const SIZE size : {SIZE{640, 480}, SIZE{1280, 960}}) {
        EXPECT_EQ(wnd_.SetResolution(size.cx, size.cy), S_OK);
        EXPECT_EQ(g_captureWidth, size.cx);
        EXPECT_EQ(wnd_.CurrentFormat().bmiHeader.biWidth, size.cx);
        EXPECT_EQ(wnd_.CurrentFormat().bmiHeader.biHeight, size.cy);
        EXPECT_EQ(wnd_.IsRunning(), 1);
    }
    wnd_.SetSnapshotEnabled(0); // a rebuild of the grabber paths configures again
    EXPECT_EQ(wnd_.CurrentFormat().bmiHeader.biWidth, 1280);
    EXPECT_EQ(g_captureWidth, 1280);
    std::filesystem::remove(ConfigFile());
}

// A recording's size runs but is not stored: the next start comes up at the operator's size.
TEST_F(CaptureWndTest, ARecordingsSizeIsNotStored) {
    SyntheticCamera::Instance().SetDevices({Device("cam")});
    ASSERT_EQ(Start(wnd_), 1);
    ASSERT_EQ(wnd_.SetResolution(1280, 960), S_OK);
    EXPECT_EQ(wnd_.SetResolution(640, 480, SizeChoice::Recording), S_OK);
    EXPECT_EQ(wnd_.CurrentFormat().bmiHeader.biWidth, 640);
    wnd_.SetSnapshotEnabled(0);
    EXPECT_EQ(wnd_.CurrentFormat().bmiHeader.biWidth, 640);
    wnd_.ReleaseGraph();
    CCaptureWnd next;
    ASSERT_EQ(Start(next), 1);
    EXPECT_EQ(next.CurrentFormat().bmiHeader.biWidth, 1280);
    EXPECT_EQ(next.CurrentFormat().bmiHeader.biHeight, 960);
}

TEST_F(CaptureWndTest, SetResolutionWhileStoppedStaysConfiguredAndStopped) {
    SyntheticCamera::Instance().SetDevices({Device("cam")});
    ASSERT_EQ(Start(wnd_), 1);
    wnd_.Stop();
    EXPECT_EQ(wnd_.SetResolution(1280, 960), S_OK);
    EXPECT_EQ(wnd_.IsConfigured(), 1);
    EXPECT_EQ(wnd_.IsRunning(), 0);
    EXPECT_FALSE(SyntheticCamera::Instance().IsStreaming("cam"));
    EXPECT_EQ(g_captureWidth, 1280);
}

TEST_F(CaptureWndTest, FillDefaultFormatRatesFromTheCurrentFrameDuration) {
    const struct {
        REFERENCE_TIME duration;
        DWORD bitRate;
    } cases[] = {{333333, 30u * 3840000u * 8u}, {666666, 15u * 3840000u * 8u}, {0, 0}};
    for (const auto& c : cases) {
        VIDEOINFOHEADER current = StoredFormat(640, 480);
        current.AvgTimePerFrame = c.duration;
        const auto bytes = EncodeCapConfig(current);
        ASSERT_TRUE(ms::WriteFileAtomic(
            CCaptureWnd::FormatConfigPath(),
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
        ASSERT_EQ(wnd_.LoadFormatConfig(), 1);
        VIDEOINFOHEADER block{};
        block.AvgTimePerFrame = 5; // the block's own duration is not looked at nor changed
        wnd_.FillDefaultFormat(&block);
        EXPECT_EQ(block.dwBitRate, c.bitRate) << c.duration;
        EXPECT_EQ(block.AvgTimePerFrame, 5);
        EXPECT_EQ(block.bmiHeader.biSizeImage, 3840000u);
        EXPECT_EQ(std::memcmp(&wnd_.CurrentFormat(), &block, sizeof block), 0);
    }
}

// ---- Devices ----

TEST_F(CaptureWndTest, ReEnumerationKeepsTheCurrentDeviceByIdentity) {
    auto& camera = SyntheticCamera::Instance();
    camera.SetDevices({Device("A"), Device("B")});
    wnd_.SetWindows(FakeWindow(1), nullptr);
    ASSERT_EQ(wnd_.CreateDeviceEnumerator(), S_OK);
    ASSERT_EQ(wnd_.EnumerateDevices(), 1);
    EXPECT_EQ(CurrentName(), u"@device:synthetic:A");
    EXPECT_EQ(std::u16string(wnd_.DeviceIdText()), u"VID_1D6C&PID_0101");

    camera.SetDevices({Device("C"), Device("A")});
    ASSERT_EQ(wnd_.EnumerateDevices(), 1);
    EXPECT_EQ(wnd_.CurrentDevice(), &wnd_.GetDeviceTable()[1]);
    EXPECT_EQ(CurrentName(), u"@device:synthetic:A");
    EXPECT_EQ(std::u16string(wnd_.GetDeviceTable()[1].friendlyName), u"Camera A");
    EXPECT_EQ(wnd_.GetDeviceTable()[0].active, 0);
    EXPECT_EQ(wnd_.DeviceCount(), 2);

    camera.SetDevices({Device("C")});
    ASSERT_EQ(wnd_.EnumerateDevices(), 1);
    EXPECT_EQ(wnd_.CurrentDevice(), &wnd_.GetDeviceTable()[0]);
    EXPECT_EQ(CurrentName(), u"@device:synthetic:C");
    EXPECT_FALSE(wnd_.GetDeviceTable()[1].moniker);

    camera.SetDevices({});
    EXPECT_EQ(wnd_.EnumerateDevices(), 0);
    EXPECT_EQ(CurrentName(), u"@device:synthetic:C"); // the table is left as it was
    EXPECT_EQ(wnd_.DeviceCount(), 1);
}

TEST_F(CaptureWndTest, TheTableHoldsAtMostTwentyFiveDevices) {
    std::vector<SyntheticDevice> many;
    for (int i = 0; i < 26; ++i)
        many.push_back(Device("d" + std::to_string(i)));
    many[3].friendlyNameReadable = false;
    SyntheticCamera::Instance().SetDevices(many);
    ASSERT_EQ(wnd_.CreateDeviceEnumerator(), S_OK);
    ASSERT_EQ(wnd_.EnumerateDevices(), 1);
    EXPECT_EQ(wnd_.DeviceCount(), kMaxCaptureDevices);
    EXPECT_EQ(std::u16string(wnd_.GetDeviceTable()[24].displayName), u"@device:synthetic:d24");
    EXPECT_EQ(wnd_.GetDeviceTable()[3].friendlyName[0], u'\0'); // listed without a name
}

TEST_F(CaptureWndTest, PresenceTestFollowsThePluggedDevice) {
    auto& camera = SyntheticCamera::Instance();
    SyntheticDevice d = Device("cam");
    d.vendorId = 0x1234;
    d.productId = 0x5678;
    camera.SetDevices({d});
    EXPECT_EQ(wnd_.IsDevicePresent(), 0); // no device id text yet
    ASSERT_EQ(wnd_.CreateDeviceEnumerator(), S_OK);
    ASSERT_EQ(wnd_.EnumerateDevices(), 1);
    EXPECT_EQ(std::u16string(wnd_.DeviceIdText()), u"VID_1234&PID_5678");
    EXPECT_EQ(FindPresentImagingDevice(u"usb\\vid_1234&pid_5678"), 1);
    EXPECT_EQ(wnd_.IsDevicePresent(), 1);
    camera.Unplug("cam");
    EXPECT_EQ(wnd_.IsDevicePresent(), 0);
    EXPECT_EQ(wnd_.DeviceIdText()[0], u'\0');
    camera.Plug(d);
    EXPECT_EQ(wnd_.IsDevicePresent(), 0); // until a device is made current again
}

// ---- Graph states ----

TEST_F(CaptureWndTest, GraphGoesThroughBuiltConfiguredAndRunning) {
    SyntheticCamera::Instance().SetDevices({Device("cam")});
    wnd_.SetWindows(FakeWindow(1), FakeWindow(2));
    wnd_.CreateDeviceEnumerator();
    ASSERT_EQ(wnd_.EnumerateDevices(), 1);
    EXPECT_EQ(wnd_.Run(), 0); // no graph
    ASSERT_EQ(wnd_.BuildGraph(), 1);
    EXPECT_EQ(wnd_.HasStillPin(), 1);
    EXPECT_EQ(wnd_.Run(), 0); // built, not configured
    EXPECT_EQ(wnd_.IsRunning(), 0);
    ASSERT_EQ(wnd_.ConfigureFormat(), 1);
    EXPECT_EQ(FilterNames(),
              (std::vector<std::u16string>{u"", u"StillGrabber", u"Video Renderer"}));
    ASSERT_EQ(wnd_.Run(), 1);
    EXPECT_TRUE(SyntheticCamera::Instance().IsStreaming("cam"));
    EXPECT_EQ(wnd_.ConfigureFormat(), 1); // configured: nothing to do
    EXPECT_EQ(wnd_.Stop(), 1);
    EXPECT_FALSE(SyntheticCamera::Instance().IsStreaming("cam"));
    EXPECT_EQ(wnd_.TearDownGraph(), 1);
    EXPECT_EQ(wnd_.IsConfigured(), 0);
    EXPECT_EQ(FilterNames().size(), 1u);
    wnd_.ReleaseGraph();
    EXPECT_FALSE(wnd_.Graph());
    EXPECT_EQ(CurrentName(), u"@device:synthetic:cam"); // the table survives the release
    std::shared_ptr<IAMVideoProcAmp> procAmp;
    EXPECT_EQ(wnd_.QueryVideoProcAmp(&procAmp), S_FALSE);
}

TEST_F(CaptureWndTest, ABindFailureLeavesNoGraphAndARefusedRunIsNotRunning) {
    SyntheticDevice d = Device("cam");
    d.failBind = true;
    SyntheticCamera::Instance().SetDevices({d});
    wnd_.CreateDeviceEnumerator();
    ASSERT_EQ(wnd_.EnumerateDevices(), 1);
    EXPECT_EQ(wnd_.BuildGraph(), 0);
    EXPECT_FALSE(wnd_.Graph());
    EXPECT_FALSE(wnd_.Filter());

    SyntheticCamera::Instance().SetFailures("cam", false, false, true);
    ASSERT_EQ(wnd_.BuildGraph(), 1);
    ASSERT_EQ(wnd_.ConfigureFormat(), 1);
    EXPECT_EQ(wnd_.Run(), 0);
    EXPECT_EQ(wnd_.IsRunning(), 0);
    EXPECT_FALSE(SyntheticCamera::Instance().IsStreaming("cam"));
}

TEST_F(CaptureWndTest, SelectDeviceSwitchesAndRepaintsThePreview) {
    SyntheticCamera::Instance().SetDevices({Device("A"), Device("B")});
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, CWnd::AfxWndClass(), u"Main", WS_OVERLAPPEDWINDOW, 0, 0, 800,
                                600, nullptr, nullptr));
    ASSERT_TRUE(wnd_.CreateEx(0, CWnd::AfxWndClass(), u"", WS_CHILD | WS_VISIBLE, 10, 10, 640, 480,
                              parent.m_hWnd, nullptr));
    ASSERT_EQ(Start(wnd_), 1);
    const auto firstFilter = wnd_.Filter();

    ::ValidateRect(wnd_.m_hWnd, nullptr);
    EXPECT_EQ(wnd_.SelectDevice(0), 0); // the current device: nothing happens
    EXPECT_EQ(wnd_.SelectDevice(2), 0); // an empty entry
    EXPECT_EQ(wnd_.SelectDevice(-1), 0);
    EXPECT_EQ(wnd_.Filter(), firstFilter);
    RECT dirty{};
    EXPECT_FALSE(::GetUpdateRect(wnd_.m_hWnd, &dirty, FALSE));

    EXPECT_EQ(wnd_.SelectDevice(1), 1);
    EXPECT_EQ(CurrentName(), u"@device:synthetic:B");
    EXPECT_EQ(wnd_.GetDeviceTable()[0].active, 0);
    EXPECT_TRUE(SyntheticCamera::Instance().IsStreaming("B"));
    EXPECT_FALSE(SyntheticCamera::Instance().IsStreaming("A"));
    EXPECT_TRUE(::GetUpdateRect(wnd_.m_hWnd, &dirty, FALSE));
    wnd_.ReleaseGraph();
    wnd_.DestroyWindow();
    parent.DestroyWindow();
}

// ---- Grabber paths and the snapshot switch ----

TEST_F(CaptureWndTest, GrabberPathsByStillPinAndSnapshotSwitch) {
    const struct {
        bool stillPin;
        int snapEnable;
        std::vector<std::u16string> filters;
    } cases[] = {
        {true, 0, {u"", u"StillGrabber", u"Video Renderer"}},
        {true, 1, {u"", u"StillGrabber", u"Video Renderer", u"SampleGrabber", u"Video Renderer 2"}},
        // Every camera gets the frame path, with or without a still pin; without one there is
        // no snapshot button to listen to, whatever the switch says.
        {false, 0, {u"", u"StillGrabber", u"Video Renderer"}},
        {false, 1, {u"", u"StillGrabber", u"Video Renderer"}},
    };
    for (const auto& c : cases) {
        SyntheticDevice d = Device("cam");
        d.hasStillPin = c.stillPin;
        SyntheticCamera::Instance().SetDevices({d});
        g_snapEnable = c.snapEnable;
        ASSERT_EQ(Start(wnd_), 1);
        EXPECT_EQ(wnd_.HasStillPin(), c.stillPin ? 1 : 0);
        EXPECT_EQ(FilterNames(), c.filters) << c.stillPin << c.snapEnable;
        // The frame path takes the capture pin, the snapshot path the still pin.
        const auto pins = wnd_.Filter()->EnumPins();
        std::shared_ptr<IPin> peer;
        ASSERT_EQ(pins[0]->ConnectedTo(&peer), S_OK);
        EXPECT_EQ(peer->Filter()->Name(), u"StillGrabber");
        if (c.stillPin && c.snapEnable) {
            ASSERT_EQ(pins[1]->ConnectedTo(&peer), S_OK);
            EXPECT_EQ(peer->Filter()->Name(), u"SampleGrabber");
        }

        // The renderer windows are parked: hidden, zero-sized, under the strip's window.
        auto video = wnd_.Graph()->QueryVideoWindow();
        long visible = 1, left = 1, top = 1, width = 1, height = 1, style = 0;
        HWND owner = nullptr;
        video->get_Visible(&visible);
        video->GetWindowPosition(&left, &top, &width, &height);
        video->get_WindowStyle(&style);
        video->get_Owner(&owner);
        EXPECT_EQ(visible, 0);
        EXPECT_EQ(width + height + left + top, 0);
        EXPECT_EQ(style, WS_CHILD);
        EXPECT_EQ(owner, FakeWindow(2));

        // Frames reach the frame callback.
        ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
        {
            std::lock_guard lock(g_frameLock);
            EXPECT_EQ(g_frameInfo.biWidth, 1600);
            EXPECT_EQ(g_frameInfo.biHeight, 1200);
            ASSERT_TRUE(g_frameBuffer);
            EXPECT_EQ(g_frameBufferCapacity, ms::capture::Rgb24Stride(1600) * 1200);
        }
        wnd_.Stop();
        wnd_.TearDownGraph();
        wnd_.ReleaseGraph();
    }
}

TEST_F(CaptureWndTest, SnapshotSwitchRebuildsAndRunsOnlyWhenItRan) {
    SyntheticCamera::Instance().SetDevices({Device("cam")});
    ASSERT_EQ(Start(wnd_), 1);
    auto findGrabber = [&](const WCHAR* name) {
        std::shared_ptr<IBaseFilter> f;
        wnd_.Graph()->FindFilterByName(name, &f);
        return f;
    };
    const auto frameGrabber = findGrabber(u"StillGrabber");
    ASSERT_TRUE(frameGrabber);

    EXPECT_EQ(wnd_.SetSnapshotEnabled(1), 0);
    EXPECT_EQ(g_snapEnable, 1);
    EXPECT_EQ(wnd_.IsRunning(), 1);
    EXPECT_TRUE(SyntheticCamera::Instance().IsStreaming("cam"));
    EXPECT_EQ(findGrabber(u"StillGrabber"), frameGrabber); // the rebuild reuses the grabber
    ASSERT_TRUE(findGrabber(u"SampleGrabber"));

    // The device's snapshot button raises the still request; the next frame hands it over.
    SyntheticCamera::Instance().PressStillButton("cam");
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    EXPECT_EQ(g_snapshotRequest.load(), 1);
    EXPECT_EQ(g_snapshotSource.load(), 1);
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    EXPECT_EQ(Posted(WM_APP_STILL_CAPTURED, 1), 1u);
    EXPECT_EQ(g_snapshotRequest.load(), 0);

    wnd_.Stop();
    EXPECT_EQ(wnd_.SetSnapshotEnabled(0), 0);
    EXPECT_EQ(wnd_.IsRunning(), 0);
    EXPECT_EQ(wnd_.IsConfigured(), 1);
    EXPECT_FALSE(SyntheticCamera::Instance().IsStreaming("cam"));
    EXPECT_FALSE(findGrabber(u"SampleGrabber"));
}

TEST_F(CaptureWndTest, OnlyTheFirstFrameOfASizeAStillAndAWaitingReaderGetACopy) {
    SyntheticCamera::Instance().SetDevices({Device("cam", ms::capture::SmallSizeFamily())});
    ASSERT_EQ(Start(wnd_), 1);
    auto copied = [] {
        std::lock_guard lock(g_frameLock);
        return ms::capture::SyntheticFrameNumber(g_frameBuffer, g_frameInfo.biWidth,
                                                 g_frameInfo.biHeight);
    };
    // Frames F1 to F5 are numbered 0 to 4; the still request comes before F3, which is the
    // still; the frames between are shown, not copied.
    std::vector<unsigned> seen;
    for (int frame = 1; frame <= 5; ++frame) {
        if (frame == 3) {
            g_snapshotSource = 0;
            g_snapshotRequest = 1;
        }
        ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
        seen.push_back(copied());
        EXPECT_EQ(Posted(WM_APP_STILL_CAPTURED, 0), frame >= 3 ? 1u : 0u) << frame;
    }
    EXPECT_EQ(seen, (std::vector<unsigned>{0, 0, 2, 2, 2}));
    {
        std::lock_guard lock(g_frameLock);
        EXPECT_EQ(g_frameInfo.biSizeImage, 1280u * 1024u * 3u);
        EXPECT_EQ(g_frameRect.right, 1280);
        EXPECT_EQ(g_frameRect.bottom, 1024);
    }

    // A reader waiting for the frame now coming gets a copy of a frame pushed after it asked.
    std::atomic<bool> done{false};
    bool gotCopy = false;
    std::thread reader([&] {
        gotCopy = WaitForFrameCopy(std::chrono::minutes(2));
        done = true;
    });
    while (!done.load())
        ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    reader.join();
    EXPECT_TRUE(gotCopy);
    EXPECT_GT(copied(), 4u);
    const unsigned afterReader = copied();
    // and once served, frames are not copied again.
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    EXPECT_EQ(copied(), afterReader);
}

TEST(FrameBuffer, GrowsForALargerFrameAndIsReusedForASmallerOne) {
    FreeFrameBuffer();
    {
        std::lock_guard lock(g_frameLock);
        GrowFrameBuffer(100);
        EXPECT_EQ(g_frameBufferCapacity, 100);
        BYTE* first = g_frameBuffer;
        ASSERT_TRUE(first);
        GrowFrameBuffer(60);
        EXPECT_EQ(g_frameBuffer, first);
        EXPECT_EQ(g_frameBufferCapacity, 100);
        GrowFrameBuffer(400);
        EXPECT_EQ(g_frameBufferCapacity, 400);
        g_frameBuffer[399] = 1; // the whole new size is there
    }
    FreeFrameBuffer();
    std::lock_guard lock(g_frameLock);
    EXPECT_FALSE(g_frameBuffer);
    EXPECT_EQ(g_frameBufferCapacity, 0);
}

TEST_F(CaptureWndTest, GraphEventsReachTheMainWindowOneAtATime) {
    SyntheticCamera::Instance().SetDevices({Device("cam")});
    ASSERT_EQ(Start(wnd_), 1);
    SyntheticCamera::Instance().InjectStreamError("cam");
    for (int i = 0; i < 200 && Posted(WM_APP_GRAPH_EVENT, 0) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(Posted(WM_APP_GRAPH_EVENT, 0), 1u);
    auto events = wnd_.Graph()->QueryMediaEventEx();
    EXPECT_EQ(events->Pending(), 1u);
    wnd_.HandleGraphEvent();
    EXPECT_EQ(events->Pending(), 0u);
    wnd_.HandleGraphEvent(); // an empty queue is fine
}

TEST_F(CaptureWndTest, CrossbarRoutesAreCountedOnlyWithVfwDialogs) {
    SyntheticDevice d = Device("cam");
    d.crossbars = {
        {{PhysConn_Video_Composite, PhysConn_Video_SVideo}, {PhysConn_Video_VideoDecoder}, 0}};
    for (bool vfw : {false, true}) {
        d.vfwDialogs = vfw;
        SyntheticCamera::Instance().SetDevices({d});
        wnd_.CreateDeviceEnumerator();
        ASSERT_EQ(wnd_.EnumerateDevices(), 1);
        ASSERT_EQ(wnd_.BuildGraph(), 1);
        EXPECT_EQ(wnd_.CrossbarRouteCount(), vfw ? 2 : 0);
        EXPECT_EQ(wnd_.CrossbarRouter() != nullptr, vfw);
        wnd_.ReleaseGraph();
        EXPECT_EQ(wnd_.CrossbarRouter(), nullptr);
    }
}

TEST(GrabberCallbacks, AnswerTheirTwoInterfacesOnly) {
    for (ISampleGrabberCB* cb : {static_cast<ISampleGrabberCB*>(&g_frameGrabberCallback),
                                 static_cast<ISampleGrabberCB*>(&g_stillGrabberCallback)}) {
        void* out = nullptr;
        EXPECT_EQ(cb->QueryInterface(IID_ISampleGrabberCB, &out), S_OK);
        EXPECT_EQ(out, cb);
        out = nullptr;
        EXPECT_EQ(cb->QueryInterface(IID_IUnknown, &out), S_OK);
        EXPECT_EQ(out, cb);
        int untouched = 0;
        out = &untouched;
        EXPECT_EQ(cb->QueryInterface(MEDIATYPE_Video, &out), E_NOINTERFACE);
        EXPECT_EQ(out, &untouched);
        EXPECT_EQ(cb->AddRef(), 2u);
        EXPECT_EQ(cb->Release(), 1u);
    }
}

} // namespace
