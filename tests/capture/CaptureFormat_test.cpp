// The pure parts of the capture format: size families, frame rate and bit rate arithmetic,
// the byte layout of "CapConfig.dat", and the hardware-id list of the presence test.
#include "capture/CaptureDevices.h"
#include "capture/CaptureFormat.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CaptureFormat, SizeFamiliesByIndex) {
    const struct {
        int large, index, width, height;
        std::u16string_view text;
    } cases[] = {
        {1, 0, 640, 480, u"640*480"},     {1, 1, 1280, 960, u"1280*960"},
        {1, 2, 1600, 1200, u"1600*1200"}, {0, 0, 320, 240, u"320*240"},
        {0, 1, 640, 480, u"640*480"},     {0, 2, 1280, 1024, u"1280*1024"},
        {1, 7, 1600, 1200, u"1600*1200"}, {0, -1, 320, 240, u"320*240"},
    };
    for (const auto& c : cases) {
        const CaptureSize& s = CaptureSizeOf(c.large, c.index);
        EXPECT_EQ(s.width, c.width) << c.large << "/" << c.index;
        EXPECT_EQ(s.height, c.height);
        EXPECT_EQ(std::u16string_view(s.text), c.text);
    }
}

TEST(CaptureFormat, FramesPerSecondAndBitRate) {
    EXPECT_EQ(FramesPerSecondOf(333333), 30);
    EXPECT_EQ(FramesPerSecondOf(666666), 15);
    EXPECT_EQ(FramesPerSecondOf(400000), 25);
    // An unknown frame duration gives no rate instead of a division by zero.
    EXPECT_EQ(FramesPerSecondOf(0), 0);
    EXPECT_EQ(FramesPerSecondOf(-5), 0);
    EXPECT_EQ(BitRateOf(30, 614400), 30u * 614400u * 8u);
    EXPECT_EQ(BitRateOf(0, 614400), 0u);
    EXPECT_EQ(BitRateOf(1000, 3840000), 0xFFFFFFFFu); // cut to the 32-bit field
    EXPECT_EQ(FrameBytesOf(640, 480, 16), 614400u);
    EXPECT_EQ(FrameBytesOf(640, 480, 24), 921600u);
    EXPECT_EQ(FrameBytesOf(640, 480, 12), 307200u);
    EXPECT_EQ(FrameBytesOf(1600, 1200, 16), 3840000u);
}

TEST(CaptureFormat, CapConfigBytesAreTheLittleEndianVideoInfoHeader) {
    VIDEOINFOHEADER f{};
    f.rcSource = {1, 2, 3, 4};
    f.rcTarget = {-1, 0, 640, 480};
    f.dwBitRate = 147456000;
    f.dwBitErrorRate = 7;
    f.AvgTimePerFrame = 333333;
    f.bmiHeader.biSize = 40;
    f.bmiHeader.biWidth = 640;
    f.bmiHeader.biHeight = 480;
    f.bmiHeader.biPlanes = 1;
    f.bmiHeader.biBitCount = 16;
    f.bmiHeader.biCompression = 0x32595559; // "YUY2"
    f.bmiHeader.biSizeImage = 614400;
    f.bmiHeader.biXPelsPerMeter = 11;
    f.bmiHeader.biYPelsPerMeter = -12;
    f.bmiHeader.biClrUsed = 13;
    f.bmiHeader.biClrImportant = 14;
    const auto bytes = EncodeCapConfig(f);
    auto u32 = [&](size_t at) {
        return static_cast<DWORD>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                  static_cast<DWORD>(bytes[at + 3]) << 24);
    };
    EXPECT_EQ(static_cast<LONG>(u32(16)), -1);
    EXPECT_EQ(u32(32), 147456000u);
    EXPECT_EQ(u32(40), 333333u);
    EXPECT_EQ(u32(44), 0u);
    EXPECT_EQ(u32(48), 40u);
    EXPECT_EQ(u32(52), 640u);
    EXPECT_EQ(u32(56), 480u);
    EXPECT_EQ(bytes[62], 16);
    EXPECT_EQ(std::memcmp(&bytes[64], "YUY2", 4), 0);
    EXPECT_EQ(u32(68), 614400u);
    EXPECT_EQ(u32(84), 14u);
    const VIDEOINFOHEADER back = DecodeCapConfig(bytes);
    EXPECT_EQ(std::memcmp(&back, &f, sizeof f), 0);
}

TEST(CaptureDevices, HardwareIdListHoldsAnIdOfTheListIgnoringCase) {
    using namespace std::string_view_literals;
    const auto list = u"USB\\VID_1234&PID_5678&REV_0100\0USB\\VID_1234&PID_5678\0\0"sv;
    EXPECT_EQ(HardwareIdListHolds(list, u"USB\\vid_1234&pid_5678"), 1);
    EXPECT_EQ(HardwareIdListHolds(list, u"usb\\VID_1234&PID_5678&REV_0100"), 1);
    EXPECT_EQ(HardwareIdListHolds(list, u"USB\\VID_1234&PID_567"), 0);
    EXPECT_EQ(HardwareIdListHolds(list, u"USB\\VID_1234"), 0);
    // The list ends at its empty string; an id after it is not part of the list.
    EXPECT_EQ(HardwareIdListHolds(u"A\0\0B\0\0"sv, u"B"), 0);
    // A list cut off without its terminators is read up to its length, never past it.
    EXPECT_EQ(HardwareIdListHolds(u"X\0USB\\VID_1"sv, u"USB\\VID_1"), 1);
    EXPECT_EQ(HardwareIdListHolds(u""sv, u"X"), 0);

    EXPECT_EQ(DeviceIdOfHardwareIds(list), u"VID_1234&PID_5678");
    EXPECT_EQ(DeviceIdOfHardwareIds(u"PCI\\VEN_1\0USB\\VID_AB&PID_CD\0\0"sv), u"VID_AB&PID_CD");
    EXPECT_EQ(DeviceIdOfHardwareIds(u"PCI\\VEN_1\0\0"sv), u"");
}

} // namespace
