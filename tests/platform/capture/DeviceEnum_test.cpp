#include "CaptureTestSupport.h"

#include "platform/capture/Capture.h"

#include <gtest/gtest.h>

using namespace capture_test;
using ms::capture::SyntheticCamera;

namespace {

class DeviceEnumTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::capture::UseSyntheticCamera(true);
        posted.Install();
    }
    void TearDown() override {
        ms::capture::StopDeviceNotifications();
        ms::capture::SetPostMessage({});
        SyntheticCamera::Instance().ResetToDefault();
    }
    PostedMessages posted;
};

std::u16string Name(const IMoniker& m) {
    std::u16string s;
    m.GetDisplayName(&s);
    return s;
}

TEST_F(DeviceEnumTest, ListsDevicesInOrderAndFindsTheSameDeviceAgainAfterReEnumeration) {
    SyntheticCamera::Instance().SetDevices({Device("a"), Device("b"), Device("c")});
    auto first = Monikers();
    ASSERT_EQ(first.size(), 3u);
    std::u16string friendly;
    ASSERT_EQ(first[1]->ReadFriendlyName(&friendly), S_OK);
    EXPECT_EQ(friendly, u"Camera b");

    // "a" goes, "d" comes: "b" is found again at its new position, and only there.
    SyntheticCamera::Instance().Unplug("a");
    SyntheticCamera::Instance().Plug(Device("d"));
    auto second = Monikers();
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(Name(*second[0]), Name(*first[1]));
    EXPECT_EQ(first[1]->IsEqual(second[0].get()), S_OK);
    EXPECT_EQ(first[1]->IsEqual(second[1].get()), S_FALSE);
    EXPECT_EQ(first[0]->IsEqual(second[2].get()), S_FALSE);
    for (const auto& m : second)
        EXPECT_EQ(first[0]->IsEqual(m.get()), S_FALSE) << "the unplugged device is not listed";
}

TEST_F(DeviceEnumTest, NoDeviceAnswersSFalseAndOtherCategoriesAreEmpty) {
    SyntheticCamera::Instance().SetDevices({});
    std::shared_ptr<ICreateDevEnum> devEnum;
    ASSERT_EQ(ICreateDevEnum::Create(&devEnum), S_OK);
    std::vector<std::shared_ptr<IMoniker>> list;
    EXPECT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &list), S_FALSE);
    EXPECT_TRUE(list.empty());
    SyntheticCamera::Instance().SetDevices({Device("a")});
    EXPECT_EQ(devEnum->CreateClassEnumerator(GUID_NULL, &list), S_FALSE);
    EXPECT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &list), S_OK);
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(DeviceEnumTest, UnreadableFriendlyNameFailsTheReadButKeepsTheDeviceListed) {
    auto desc = Device("a");
    desc.friendlyNameReadable = false;
    SyntheticCamera::Instance().SetDevices({desc});
    auto list = Monikers();
    ASSERT_EQ(list.size(), 1u);
    std::u16string name = u"kept";
    EXPECT_TRUE(FAILED(list[0]->ReadFriendlyName(&name)));
    EXPECT_EQ(name, u"kept");
}

TEST_F(DeviceEnumTest, BindingFailsWhenTheDeviceIsGoneOrRefuses) {
    SyntheticCamera::Instance().SetDevices({Device("a"), Device("b")});
    auto list = Monikers();
    std::shared_ptr<IBaseFilter> filter;
    EXPECT_EQ(list[0]->BindToFilter(&filter), S_OK);
    EXPECT_TRUE(filter);

    SyntheticCamera::Instance().Unplug("a");
    EXPECT_EQ(list[0]->BindToFilter(&filter), HRESULT_DEVICE_NOT_CONNECTED);
    EXPECT_FALSE(filter);
    // Plugged in again, the old moniker binds the device again (same identity).
    SyntheticCamera::Instance().Plug(Device("a"));
    EXPECT_EQ(list[0]->BindToFilter(&filter), S_OK);

    SyntheticCamera::Instance().SetFailures("b", true, false, false);
    EXPECT_TRUE(FAILED(list[1]->BindToFilter(&filter)));
}

TEST_F(DeviceEnumTest, HardwareIdsCarryVendorProductAndRevisionAsAMultiString) {
    auto desc = Device("a");
    desc.vendorId = 0x0AC8;
    desc.productId = 0x3F02;
    desc.revision = 0x0102;
    SyntheticCamera::Instance().SetDevices({desc});
    const std::u16string expected = std::u16string(u"USB\\VID_0AC8&PID_3F02&REV_0102") + u'\0' +
                                    u"USB\\VID_0AC8&PID_3F02" + u'\0' + u'\0';
    auto list = Monikers();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->HardwareIds(), expected);
    auto present = PresentImagingDeviceHardwareIds();
    ASSERT_EQ(present.size(), 1u);
    EXPECT_EQ(present[0], expected);
}

TEST_F(DeviceEnumTest, PlugUnplugAndResumePostNoticesToTheNamedWindowOnly) {
    SyntheticCamera::Instance().SetDevices({});
    SyntheticCamera::Instance().Plug(Device("x")); // no target yet: nothing posted
    EXPECT_TRUE(posted.Take().empty());

    ms::capture::StartDeviceNotifications(FakeWindow(1));
    SyntheticCamera::Instance().Plug(Device("a"));
    auto msgs = posted.Take();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(std::get<0>(msgs[0]), FakeWindow(1));
    EXPECT_EQ(std::get<1>(msgs[0]), static_cast<UINT>(WM_DEVICECHANGE));
    EXPECT_EQ(std::get<2>(msgs[0]), static_cast<WPARAM>(DBT_DEVICEARRIVAL));
    auto* hdr = reinterpret_cast<const DEV_BROADCAST_HDR*>(std::get<3>(msgs[0]));
    ASSERT_NE(hdr, nullptr);
    EXPECT_EQ(hdr->dbch_devicetype, static_cast<DWORD>(DBT_DEVTYP_DEVICEINTERFACE));
    EXPECT_EQ(std::get<2>(msgs[1]), static_cast<WPARAM>(DBT_DEVNODES_CHANGED));

    EXPECT_TRUE(SyntheticCamera::Instance().Unplug("a"));
    EXPECT_FALSE(SyntheticCamera::Instance().Unplug("a"));
    msgs = posted.Take();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(std::get<2>(msgs[0]), static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(std::get<2>(msgs[1]), static_cast<WPARAM>(DBT_DEVNODES_CHANGED));

    SyntheticCamera::Instance().SimulateResume();
    msgs = posted.Take();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(std::get<1>(msgs[0]), static_cast<UINT>(WM_POWERBROADCAST));
    EXPECT_EQ(std::get<2>(msgs[0]), static_cast<WPARAM>(PBT_APMRESUMEAUTOMATIC));

    ms::capture::StopDeviceNotifications();
    ms::capture::StopDeviceNotifications(); // idempotent
    SyntheticCamera::Instance().Plug(Device("b"));
    EXPECT_TRUE(posted.Take().empty());
}

// The V4L2 source's watcher (kernel uevents, the resume check) starts and stops cleanly; it
// opens no device.
TEST(DeviceNotifierTest, TheWatcherThreadStartsAndStopsIdempotently) {
    ms::capture::UseSyntheticCamera(false);
    ms::capture::StartDeviceNotifications(FakeWindow(5));
    ms::capture::StartDeviceNotifications(FakeWindow(6)); // only the target changes
    ms::capture::StopDeviceNotifications();
    ms::capture::StopDeviceNotifications();
    ms::capture::UseSyntheticCamera(true);
}

TEST(UeventTest, ParsesKernelEventsAndIgnoresOthers) {
    const char add[] = "add@/devices/pci0000:00/usb1/1-2/1-2:1.0/video4linux/video2\0ACTION=add\0"
                       "DEVPATH=/devices/x\0SUBSYSTEM=video4linux\0DEVNAME=video2\0SEQNUM=4711";
    auto ev = ms::capture::ParseUevent(add, sizeof add - 1);
    ASSERT_TRUE(ev);
    EXPECT_EQ(ev->action, "add");
    EXPECT_EQ(ev->subsystem, "video4linux");
    EXPECT_EQ(ev->devname, "video2");

    const char udev[] = "libudev\0\xfe\xed\xca\xfe";
    EXPECT_FALSE(ms::capture::ParseUevent(udev, sizeof udev - 1));
    const char noSubsystem[] = "remove@/devices/x\0ACTION=remove";
    EXPECT_FALSE(ms::capture::ParseUevent(noSubsystem, sizeof noSubsystem - 1));
    const char noTerminator[] = {'r', 'e', 'm', 'o', 'v', 'e', '@', '/', 'x', '\0', 'S', 'U', 'B', 'S', 'Y',
                                 'S', 'T', 'E', 'M', '=', 'u', 's', 'b'};
    ev = ms::capture::ParseUevent(noTerminator, sizeof noTerminator);
    ASSERT_TRUE(ev);
    EXPECT_EQ(ev->action, "remove");
    EXPECT_EQ(ev->subsystem, "usb");
    EXPECT_FALSE(ms::capture::ParseUevent(nullptr, 0));
}

TEST(UeventTest, ResumeIsAJumpOfTheSleptTimeBeyondASecond) {
    EXPECT_FALSE(ms::capture::ResumeDetected(0, 0));
    EXPECT_FALSE(ms::capture::ResumeDetected(5'000'000'000, 5'900'000'000));
    EXPECT_TRUE(ms::capture::ResumeDetected(5'000'000'000, 65'000'000'000));
}

} // namespace
