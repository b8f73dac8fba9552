// The system device enumerator and device monikers. Devices are listed in a stable order (V4L2:
// by node number; synthetic: as configured); a moniker's display name is the device's identity
// (V4L2: bus and card name), so IsEqual finds the same device again after a re-enumeration even
// when its node number changed. Binding fails once the device is gone.
#pragma once

#include "platform/capture/Backend.h"
#include "platform/capture/Graph.h"

#include <memory>
#include <string>
#include <vector>

inline constexpr GUID CLSID_VideoInputDeviceCategory{
    0x860bb310, 0x5d01, 0x11d0, {0xbd, 0x3b, 0x00, 0xa0, 0xc9, 0x11, 0xce, 0x86}};

class IMoniker {
public:
    explicit IMoniker(ms::capture::DeviceEntry entry) : m_entry(std::move(entry)) {}
    HRESULT GetDisplayName(std::u16string* name) const;
    // The property bag's "FriendlyName"; E_FAIL when the device does not tell it.
    HRESULT ReadFriendlyName(std::u16string* name) const;
    // S_OK when both monikers name the same device, S_FALSE otherwise.
    HRESULT IsEqual(const IMoniker* other) const;
    // Opens the device and hands out its capture filter; HRESULT_DEVICE_NOT_CONNECTED when the
    // device is gone or cannot be opened.
    HRESULT BindToFilter(std::shared_ptr<IBaseFilter>* filter) const;
    // The device's hardware ids as a REG_MULTI_SZ list ("USB\VID_xxxx&PID_yyyy&REV_zzzz",
    // "USB\VID_xxxx&PID_yyyy", then an empty string); empty for a device off the USB.
    const std::u16string& HardwareIds() const { return m_entry.hardwareIds; }

private:
    ms::capture::DeviceEntry m_entry;
};

class ICreateDevEnum {
public:
    // CLSID_SystemDeviceEnum: always succeeds.
    static HRESULT Create(std::shared_ptr<ICreateDevEnum>* devEnum);
    // The monikers of the category's devices in order; S_FALSE (and an empty list) when there
    // is no device of the category or the category is not CLSID_VideoInputDeviceCategory.
    HRESULT CreateClassEnumerator(const GUID& category,
                                  std::vector<std::shared_ptr<IMoniker>>* monikers);
};

// The hardware-id lists (REG_MULTI_SZ each) of the present imaging devices, what the device
// set-up API answers for the imaging class.
std::vector<std::u16string> PresentImagingDeviceHardwareIds();
