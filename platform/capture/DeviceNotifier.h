// Device-change and power notices for the windows of the program. The system sends every
// top-level window WM_DEVICECHANGE and WM_POWERBROADCAST; here the program names the window
// that gets them. Posted, in this order:
//   a video device arrives: DBT_DEVICEARRIVAL (lParam: a DEV_BROADCAST_HDR of type
//     DBT_DEVTYP_DEVICEINTERFACE that lives for the whole process), then DBT_DEVNODES_CHANGED;
//   a video device goes: DBT_DEVICEREMOVECOMPLETE (same header), then DBT_DEVNODES_CHANGED;
//   the machine resumed from a suspend: WM_POWERBROADCAST with PBT_APMRESUMEAUTOMATIC.
// With the V4L2 source a watcher thread reads the kernel's uevents (video4linux add/remove;
// it falls back to comparing the /dev/video* names every second when the uevent socket cannot
// be opened) and detects a resume by the jump of the boot clock against the monotonic clock.
// With the synthetic camera, Plug/Unplug/SimulateResume post the same notices.
#pragma once

#include "platform/capture/CaptureTypes.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ms::capture {

// Starts the notices for target (a second call only changes the target). Idempotent stop;
// StopDeviceNotifications returns when the watcher thread has ended.
void StartDeviceNotifications(HWND target);
void StopDeviceNotifications();

// Post the notices to the target (nothing without one). Any thread.
void PostDeviceArrival();
void PostDeviceRemoval();
void PostPowerResume();

// One kernel uevent: "ACTION@DEVPATH\0KEY=VALUE\0...".
struct Uevent {
    std::string action;    // "add", "remove", ...
    std::string subsystem; // "video4linux", ...
    std::string devname;   // "video0"
};
std::optional<Uevent> ParseUevent(const char* data, size_t length);

// True when the time spent suspended (boot clock minus monotonic clock, ns) grew by more than
// a second between two looks.
bool ResumeDetected(std::int64_t previousSleptNs, std::int64_t currentSleptNs);

} // namespace ms::capture
