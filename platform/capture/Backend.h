// The two device sources behind the capture interface (V4L2 and the synthetic camera) and
// what a bound device offers the graph. Internal to platform/capture; the capture code sees
// only the monikers, filters and interfaces of DeviceEnum.h and Graph.h.
#pragma once

#include "platform/capture/CaptureTypes.h"

#include <memory>
#include <string>
#include <vector>

class IBaseFilter;

namespace ms::capture {

// One frame-size capability of one pixel format.
struct FrameCaps {
    DWORD fourcc = 0;           // biCompression of the format; BI_RGB for 24-bit RGB
    SIZE minSize{};             // equal to maxSize for a single size
    SIZE maxSize{};
    int stepX = 0, stepY = 0;   // granularity between min and max (0 for a single size)
    std::vector<LONGLONG> intervals; // frame durations (100 ns) the size offers, shortest first
};

struct StreamFormat {
    DWORD fourcc = 0;
    LONG width = 0;
    LONG height = 0;
    LONGLONG interval = 0; // 100-ns units, 0 when unknown
};

struct ProcAmpRange {
    long min = 0, max = 0, step = 1, def = 0, caps = VideoProcAmp_Flags_Manual;
};

// A frame as the graph hands it on: 24-bit BGR rows, bottom-up, rows padded to 4 bytes.
struct Frame {
    const BYTE* bits = nullptr;
    long length = 0;
    LONG width = 0;
    LONG height = 0;
    double sampleTime = 0; // seconds since the first frame after the start
    bool still = false;    // the still button was pressed since the previous frame
};

// Receives what a streaming device produces, on its streaming thread.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void OnFrame(const Frame& frame) = 0;
    // A stream error (EC_ERRORABORT) or the device gone (EC_DEVICE_LOST); the stream ends.
    virtual void OnStreamEvent(long code) = 0;
};

// An opened device. All calls but Start/Stop come from the user-interface thread.
class DeviceSession {
public:
    virtual ~DeviceSession() = default;
    virtual std::vector<FrameCaps> Capabilities() = 0;
    virtual StreamFormat CurrentFormat() = 0;
    // Sets an exact format listed in the capabilities; refuses while streaming.
    virtual HRESULT SetFormat(const StreamFormat& format) = 0;
    // Starts the streaming thread that feeds sink (the thread keeps it alive while it runs);
    // Stop returns when no sink call runs any more, except when called from inside a sink
    // call, where it only asks the thread to end. Stop is idempotent.
    virtual HRESULT Start(std::shared_ptr<FrameSink> sink) = 0;
    virtual void Stop() = 0;
    virtual bool Streaming() const = 0;
    // Frames the device delivered that could not be turned into a frame (corrupt, cut short)
    // and were dropped while the stream went on, since the session was opened.
    virtual long DroppedFrames() const { return 0; }
    // True while the capture pin connects to nothing (a test source's failure injection).
    virtual bool RefusesConnections() const { return false; }

    virtual bool HasStillPin() const = 0;
    virtual bool HasVfwDialogs() const { return false; }
    virtual bool HasProcAmp() const = 0;
    virtual HRESULT GetRange(long property, ProcAmpRange& range) = 0;
    virtual HRESULT Get(long property, long& value, long& flags) = 0;
    virtual HRESULT Set(long property, long value, long flags) = 0;
    // The crossbar filter feeding the analog video input pin, if the device has one.
    virtual std::shared_ptr<IBaseFilter> UpstreamCrossbar() { return nullptr; }
};

// One listed device.
struct DeviceEntry {
    std::u16string displayName;  // identity: equal for the same device across enumerations
    std::u16string friendlyName;
    bool friendlyNameReadable = true;
    std::u16string hardwareIds;  // REG_MULTI_SZ: ids separated by NUL, ending in two NULs
    std::string key;             // the source's own handle (node path, synthetic id)
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual std::vector<DeviceEntry> ListDevices() = 0;
    // Opens a listed device; null when it is gone or cannot be opened.
    virtual std::unique_ptr<DeviceSession> Open(const DeviceEntry& entry) = 0;
    // Hardware-id lists of the present imaging devices (for the presence test).
    virtual std::vector<std::u16string> PresentHardwareIdLists() = 0;
};

// The source in use: the synthetic camera when MS_SYNTHETIC_CAMERA=1 (read at the first call)
// or after UseSyntheticCamera(true), V4L2 otherwise.
Backend& ActiveBackend();
void UseSyntheticCamera(bool on);
bool SyntheticCameraInUse();

// Shared helpers of both sources (FormatMapping.cpp).
// The VIDEOINFOHEADER that describes a format: 16 bits for packed YUV, 12 for planar YUV,
// 24 for RGB and compressed formats; biSizeImage by that depth (RGB rows padded to 4 bytes).
VIDEOINFOHEADER MakeVideoInfo(const StreamFormat& format);
AM_MEDIA_TYPE MakeMediaType(const StreamFormat& format);
std::vector<std::pair<AM_MEDIA_TYPE, VIDEO_STREAM_CONFIG_CAPS>> MakeCapabilities(
    const std::vector<FrameCaps>& caps);
// The caps entry that offers exactly this fourcc and size, or null.
const FrameCaps* FindCaps(const std::vector<FrameCaps>& caps, DWORD fourcc, LONG w, LONG h);
// The listed interval nearest to wanted (wanted 0: the shortest), 0 when none is listed.
LONGLONG NearestInterval(const FrameCaps& caps, LONGLONG wanted);
// Bytes of one 24-bit bottom-up frame with rows padded to 4 bytes.
inline long Rgb24Stride(LONG width) { return ((width * 3) + 3) & ~3L; }
// "USB\VID_xxxx&PID_yyyy&REV_zzzz" NUL "USB\VID_xxxx&PID_yyyy" NUL NUL
std::u16string UsbHardwareIds(WORD vendor, WORD product, WORD revision);

} // namespace ms::capture
