// The video-input devices of Tessary: one entry of the capture window's device table, and the
// presence test over the hardware ids of the present imaging devices.
#pragma once

#include "platform/capture/DeviceEnum.h"
#include "platform/win/WinTypes.h"

#include <memory>
#include <string>
#include <string_view>

inline constexpr int kMaxCaptureDevices = 25;
inline constexpr int kDeviceTextLength = 256;

struct CaptureDeviceInfo {
    int active = 0; // 1 for the current device
    WCHAR displayName[kDeviceTextLength]{};
    WCHAR friendlyName[kDeviceTextLength]{}; // empty when the device does not tell it
    std::shared_ptr<IMoniker> moniker;       // null for an empty entry
};

// The vendor-and-product part of a device's USB hardware ids ("VID_1234&PID_5678", what
// follows "USB\" without a revision), or empty for a device off the USB.
std::u16string DeviceIdOfHardwareIds(std::u16string_view multiSz);

// 1 when one id of a REG_MULTI_SZ list equals `id`, ignoring case. The list ends at an empty
// string or at its length, so a list without its final terminator is read safely.
int HardwareIdListHolds(std::u16string_view multiSz, std::u16string_view id);

// 1 when a present imaging device has this hardware id ("USB\VID_1234&PID_5678").
int FindPresentImagingDevice(const WCHAR* hardwareId);
