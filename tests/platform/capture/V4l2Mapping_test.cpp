#include "platform/capture/V4l2Mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <linux/input-event-codes.h>
#include <linux/videodev2.h>
#include <vector>

namespace fs = std::filesystem;
using namespace ms::capture;

namespace {

TEST(V4l2MappingTest, PixelFormatsMapToTheSubtypesTheCaptureCodeExpects) {
    struct Case {
        std::uint32_t v4l2;
        DWORD fourcc;
        bool roundTrip;
    } cases[] = {
        {V4L2_PIX_FMT_YUYV, FourCC('Y', 'U', 'Y', '2'), true},
        {V4L2_PIX_FMT_UYVY, FourCC('U', 'Y', 'V', 'Y'), true},
        {V4L2_PIX_FMT_MJPEG, FourCC('M', 'J', 'P', 'G'), true},
        {V4L2_PIX_FMT_JPEG, FourCC('M', 'J', 'P', 'G'), false},
        {V4L2_PIX_FMT_BGR24, static_cast<DWORD>(BI_RGB), true},
        {V4L2_PIX_FMT_YUV420, FourCC('I', '4', '2', '0'), true},
        {V4L2_PIX_FMT_NV12, FourCC('N', 'V', '1', '2'), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FourCCOfPixelFormat(c.v4l2), c.fourcc);
        if (c.roundTrip) {
            EXPECT_EQ(PixelFormatOfFourCC(c.fourcc), c.v4l2);
        }
    }
    EXPECT_TRUE(SubtypeOfFourCC(FourCCOfPixelFormat(V4L2_PIX_FMT_YUYV)) == MEDIASUBTYPE_YUY2);
}

TEST(V4l2MappingTest, ControlRangesKeepTheDriversValuesAndTellAutomaticCompanions) {
    EXPECT_EQ(ControlOfProperty(VideoProcAmp_Brightness), static_cast<std::uint32_t>(V4L2_CID_BRIGHTNESS));
    EXPECT_EQ(ControlOfProperty(VideoProcAmp_Gamma), static_cast<std::uint32_t>(V4L2_CID_GAMMA));
    EXPECT_EQ(ControlOfProperty(VideoProcAmp_Sharpness), static_cast<std::uint32_t>(V4L2_CID_SHARPNESS));
    EXPECT_EQ(ControlOfProperty(VideoProcAmp_ColorEnable), 0u);
    EXPECT_EQ(AutoControlOfProperty(VideoProcAmp_WhiteBalance), static_cast<std::uint32_t>(V4L2_CID_AUTO_WHITE_BALANCE));
    EXPECT_EQ(AutoControlOfProperty(VideoProcAmp_Brightness), 0u);

    v4l2_queryctrl q{};
    q.minimum = -64;
    q.maximum = 64;
    q.step = 1;
    q.default_value = 0;
    auto r = MapControlRange(q, false);
    EXPECT_EQ(r.min, -64);
    EXPECT_EQ(r.max, 64);
    EXPECT_EQ(r.step, 1);
    EXPECT_EQ(r.def, 0);
    EXPECT_EQ(r.caps, VideoProcAmp_Flags_Manual);

    // A driver reporting step 0 or a default outside the range is tamed.
    q.minimum = 2800;
    q.maximum = 6500;
    q.step = 0;
    q.default_value = 9000;
    r = MapControlRange(q, true);
    EXPECT_EQ(r.step, 1);
    EXPECT_EQ(r.def, 6500);
    EXPECT_EQ(r.caps, VideoProcAmp_Flags_Manual | VideoProcAmp_Flags_Auto);
}

TEST(V4l2MappingTest, KeyBitmapsAreReadFromTheLeastSignificantWordAtTheEnd) {
    // KEY_CAMERA is 212: word 3 (of 64 bits), bit 20.
    EXPECT_TRUE(KeyBitmapHas("100000 0 0 0", KEY_CAMERA));
    EXPECT_FALSE(KeyBitmapHas("0 0 100000 0", KEY_CAMERA));
    EXPECT_FALSE(KeyBitmapHas("100000", KEY_CAMERA)) << "too few words";
    EXPECT_TRUE(KeyBitmapHas("1", 0));
    EXPECT_FALSE(KeyBitmapHas("", 0));
    EXPECT_FALSE(KeyBitmapHas("zz", 0));
    // 32-bit kernels: 212 = word 6, bit 20.
    EXPECT_TRUE(KeyBitmapHas("100000 0 0 0 0 0 0", KEY_CAMERA, 32));
}

// A sysfs tree as a USB camera with a metadata node, an input device with a camera key, and a
// camera off the USB show it.
class SysfsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ms-capture-sysfs-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root = tmpl;
        fs::path usb = root / "devices/pci0000:00/0000:00:14.0/usb1/1-2";
        fs::path iface = usb / "1-2:1.0";
        fs::create_directories(iface / "input/input7/capabilities");
        Write(usb / "idVendor", "0ac8\n");
        Write(usb / "idProduct", "3f02\n");
        Write(usb / "bcdDevice", "0102\n");
        Write(iface / "input/input7/capabilities/key", "100000 0 0 0\n");
        fs::path platform = root / "devices/platform/vcam";
        fs::create_directories(platform);
        fs::path other = root / "devices/pci0000:00/0000:00:14.0/usb1/1-3";
        fs::create_directories(other / "1-3:1.0/input/input9/capabilities");
        Write(other / "idVendor", "046d\n");
        Write(other / "idProduct", "c52b\n");
        Write(other / "1-3:1.0/input/input9/capabilities/key", "100000 0 0 0\n");

        Node("video10", iface, "USB Microscope");
        Node("video2", iface, "USB Microscope");
        Node("video3", iface, "USB Microscope");
        Node("video0", platform, "Virtual Camera");
        fs::create_directories(root / "class/input");
        fs::create_directories(root / "class/input/event4");
        fs::create_symlink(other / "1-3:1.0/input/input9", root / "class/input/event4/device");
        fs::create_directories(root / "class/input/event11");
        fs::create_symlink(iface / "input/input7", root / "class/input/event11/device");
        fs::create_directories(root / "class/input/mouse0");
    }
    void TearDown() override { fs::remove_all(root); }
    static void Write(const fs::path& p, const std::string& text) { std::ofstream(p) << text; }
    void Node(const std::string& name, const fs::path& device, const std::string& card) {
        fs::path dir = root / "class/video4linux" / name;
        fs::create_directories(dir);
        Write(dir / "name", card + "\n");
        fs::create_symlink(device, dir / "device");
    }
    fs::path root;
};

TEST_F(SysfsFixture, NodesAreListedInNumberOrderWithTheirUsbIdentity) {
    auto nodes = ScanVideoNodes(root.string());
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes[0].number, 0);
    EXPECT_EQ(nodes[1].number, 2);
    EXPECT_EQ(nodes[3].number, 10);
    EXPECT_EQ(nodes[0].name, "Virtual Camera");
    EXPECT_TRUE(nodes[0].usbPath.empty());
    EXPECT_EQ(nodes[1].vendor, 0x0AC8);
    EXPECT_EQ(nodes[1].product, 0x3F02);
    EXPECT_EQ(nodes[1].revision, 0x0102);
    EXPECT_EQ(fs::path(nodes[1].usbPath).filename(), "1-2");
    EXPECT_TRUE(ScanVideoNodes((root / "missing").string()).empty());
}

TEST_F(SysfsFixture, OnlyVideoCaptureNodesBecomeDevicesNamedByBusAndCard) {
    std::vector<std::string> probed;
    auto probe = [&](const std::string& node) -> std::optional<NodeProbe> {
        probed.push_back(node);
        NodeProbe p;
        p.card = node == "/dev/video0" ? "Virtual Camera" : "USB Microscope";
        p.busInfo = node == "/dev/video0" ? "platform:vcam" : "usb-0000:00:14.0-2";
        if (node == "/dev/video3")
            p.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING; // metadata node
        else
            p.deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
        if (node == "/dev/video10")
            return std::nullopt; // cannot be opened
        return p;
    };
    auto list = ListVideoDevices(root.string(), "/dev", probe);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].key, "/dev/video0");
    EXPECT_EQ(list[0].displayName, u"@device:v4l2:platform:vcam:Virtual Camera");
    EXPECT_TRUE(list[0].hardwareIds.empty());
    EXPECT_EQ(list[1].key, "/dev/video2");
    EXPECT_EQ(list[1].friendlyName, u"USB Microscope");
    EXPECT_EQ(list[1].displayName, u"@device:v4l2:usb-0000:00:14.0-2:USB Microscope");
    EXPECT_EQ(list[1].hardwareIds, UsbHardwareIds(0x0AC8, 0x3F02, 0x0102));
    EXPECT_EQ(probed.size(), 4u);
}

TEST_F(SysfsFixture, TheStillButtonIsTheCameraKeyBelowTheSameUsbDevice) {
    auto nodes = ScanVideoNodes(root.string());
    EXPECT_EQ(FindStillButtonInput(root.string(), nodes[1].usbPath), "event11");
    EXPECT_EQ(FindStillButtonInput(root.string(), ""), "");
    // A sibling whose path only starts with the same characters is not below it.
    EXPECT_EQ(FindStillButtonInput(root.string(), (root / "devices/pci0000:00/0000:00:14.0/usb1/1-").string()), "");
    fs::remove(root / "devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/input/input7/capabilities/key");
    EXPECT_EQ(FindStillButtonInput(root.string(), nodes[1].usbPath), "") << "no camera key";
}

TEST(V4l2ConvertTest, PackedYuvBecomesBgrWithTheRowsFlipped) {
    // 2x2 YUYV: top row black and white, bottom row pure colours.
    // Y U Y V per pixel pair; black Y=16, white Y=235, U=V=128.
    const BYTE yuyv[] = {16, 128, 235, 128,    // top: black, white
                         81, 90, 81, 240};     // bottom: red (Y 81, U 90, V 240) twice
    BYTE bgr[2 * 8] = {};                      // stride 8 (6 bytes padded to 8)
    ConvertPackedYuvToBgrBottomUp(yuyv, 4, 2, 2, bgr, 8, false);
    // Row 1 of the output is the top row of the picture.
    EXPECT_EQ(bgr[8 + 0], 0);
    EXPECT_EQ(bgr[8 + 2], 0);
    EXPECT_EQ(bgr[8 + 3], 255);
    EXPECT_EQ(bgr[8 + 5], 255);
    EXPECT_NEAR(bgr[2], 255, 2); // red
    EXPECT_NEAR(bgr[1], 0, 2);
    EXPECT_NEAR(bgr[0], 0, 2);
    EXPECT_EQ(bgr[6], 0) << "the padding stays untouched";

    // UYVY carries the same picture in another byte order.
    const BYTE uyvy[] = {128, 16, 128, 235, 90, 81, 240, 81};
    BYTE bgr2[2 * 8] = {};
    ConvertPackedYuvToBgrBottomUp(uyvy, 4, 2, 2, bgr2, 8, true);
    EXPECT_EQ(0, std::memcmp(bgr, bgr2, sizeof bgr));

    // An odd width converts its last pixel with the pair's colour.
    const BYTE odd[] = {235, 128, 16, 128};
    BYTE one[4] = {};
    ConvertPackedYuvToBgrBottomUp(odd, 4, 1, 1, one, 4, false);
    EXPECT_EQ(one[0], 255);
    EXPECT_EQ(one[3], 0);
}

// BT.601 limited range in 8.8 fixed point, one pixel, written out plainly.
void ExpectedBgr(int Y, int U, int V, BYTE* out) {
    auto clamp = [](int v) { return static_cast<BYTE>(std::clamp(v, 0, 255)); };
    const int c = 298 * (Y - 16) + 128, d = U - 128, e = V - 128;
    out[0] = clamp((c + 516 * d) >> 8);
    out[1] = clamp((c - 100 * d - 208 * e) >> 8);
    out[2] = clamp((c + 409 * e) >> 8);
}

TEST(V4l2ConvertTest, EveryWidthAndEveryChromaPairConvertsByTheFormula) {
    // Row r carries U = r; pair p carries V = p; the lumas run through all levels. Widths around
    // the 32-pixel steps of the fast path check its tail; the source stride has slack.
    const LONG kHeight = 256;
    for (LONG width : {1L, 2L, 31L, 32L, 33L, 63L, 64L, 67L, 512L}) {
        for (bool uyvy : {false, true}) {
            SCOPED_TRACE(testing::Message() << "width " << width << (uyvy ? " UYVY" : " YUYV"));
            const long srcStride = 2 * ((width + 1) / 2) * 2 + 8, dstStride = Rgb24Stride(width);
            std::vector<BYTE> src(static_cast<size_t>(srcStride) * kHeight, 0xEE);
            std::vector<BYTE> expected(static_cast<size_t>(dstStride) * kHeight, 0xAB);
            for (LONG r = 0; r < kHeight; ++r)
                for (LONG x = 0; x < width; ++x) {
                    const int p = static_cast<int>(x / 2), U = static_cast<int>(r), V = p % 256;
                    const int Y = x % 2 ? (p * 7 + U * 3 + 128) & 255 : (p + U) & 255;
                    BYTE* s = src.data() + r * srcStride + 2 * x;
                    s[uyvy ? 1 : 0] = static_cast<BYTE>(Y);
                    s[uyvy ? 0 : 1] = static_cast<BYTE>(x % 2 ? V : U);
                    if (x % 2 == 0) // the pair's V, there even after an odd width's last pixel
                        s[uyvy ? 2 : 3] = static_cast<BYTE>(V);
                    ExpectedBgr(Y, U, V, expected.data() + (kHeight - 1 - r) * dstStride + 3 * x);
                }
            std::vector<BYTE> bgr(expected.size(), 0xAB);
            ConvertPackedYuvToBgrBottomUp(src.data(), srcStride, width, kHeight, bgr.data(),
                                          dstStride, uyvy);
            const auto diff = std::mismatch(bgr.begin(), bgr.end(), expected.begin());
            EXPECT_TRUE(diff.first == bgr.end())
                << "first difference at byte " << (diff.first - bgr.begin()) << ": "
                << int(*diff.first) << " instead of " << int(*diff.second);
        }
    }
}

TEST(V4l2ConvertTest, FlipRowsPutsTheTopRowLast) {
    const BYTE src[] = {1, 2, 3, 4, 5, 6};
    BYTE dst[8] = {};
    FlipRows(src, 3, 2, 3, dst, 4);
    const BYTE expected[] = {4, 5, 6, 0, 1, 2, 3, 0};
    EXPECT_EQ(0, std::memcmp(dst, expected, sizeof dst));
}

} // namespace
