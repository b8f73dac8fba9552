#include "capture/CaptureDevices.h"

#include "platform/win/core/WString.h"

namespace {
// Calls fn for each id of the list until it answers true.
template <typename Fn> bool AnyId(std::u16string_view multiSz, Fn fn) {
    size_t pos = 0;
    while (pos < multiSz.size()) {
        size_t end = multiSz.find(u'\0', pos);
        if (end == std::u16string_view::npos)
            end = multiSz.size();
        if (end == pos)
            return false; // the empty string that ends the list
        if (fn(multiSz.substr(pos, end - pos)))
            return true;
        pos = end + 1;
    }
    return false;
}
} // namespace

std::u16string DeviceIdOfHardwareIds(std::u16string_view multiSz) {
    constexpr std::u16string_view kPrefix = u"USB\\";
    std::u16string found;
    AnyId(multiSz, [&](std::u16string_view id) {
        if (id.size() <= kPrefix.size() || !ms::SameNoCase(id.substr(0, kPrefix.size()), kPrefix))
            return false;
        id.remove_prefix(kPrefix.size());
        // "VID_xxxx&PID_yyyy&REV_zzzz": the revision is not part of the device's identity.
        const size_t first = id.find(u'&');
        const size_t second = first == std::u16string_view::npos ? first : id.find(u'&', first + 1);
        found = std::u16string(id.substr(0, second));
        return true;
    });
    return found;
}

int HardwareIdListHolds(std::u16string_view multiSz, std::u16string_view id) {
    return AnyId(multiSz,
                 [&](std::u16string_view candidate) { return ms::SameNoCase(candidate, id); })
               ? 1
               : 0;
}

int FindPresentImagingDevice(const WCHAR* hardwareId) {
    if (!hardwareId)
        return 0;
    for (const std::u16string& list : PresentImagingDeviceHardwareIds())
        if (HardwareIdListHolds(list, hardwareId))
            return 1;
    return 0;
}
