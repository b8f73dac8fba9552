// Types, identifiers and result codes of the video-capture stand-in, under the names the
// capture code uses (media types, stream capabilities, picture-control properties, graph
// events). Identifiers are plain values compared with ==; there is no class factory.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

// Result codes the capture calls return beside those of WinTypes.h.
#ifndef E_ABORT
#define E_ABORT (static_cast<HRESULT>(0x80004004u))
#endif
#define VFW_E_INVALIDMEDIATYPE (static_cast<HRESULT>(0x80040200u))
#define VFW_E_ALREADY_CONNECTED (static_cast<HRESULT>(0x80040204u))
#define VFW_E_NOT_CONNECTED (static_cast<HRESULT>(0x80040209u))
#define VFW_E_CANNOT_CONNECT (static_cast<HRESULT>(0x80040217u))
#define VFW_E_NOT_STOPPED (static_cast<HRESULT>(0x80040224u))
#define VFW_E_NOT_FOUND (static_cast<HRESULT>(0x80040216u))
#define E_PROP_ID_UNSUPPORTED (static_cast<HRESULT>(0x80070490u))
// HRESULT of ERROR_DEVICE_NOT_CONNECTED: a moniker whose device is gone.
#define HRESULT_DEVICE_NOT_CONNECTED (static_cast<HRESULT>(0x8007048Fu))

namespace ms::capture {
// A four-character code as the little-endian DWORD that BITMAPINFOHEADER::biCompression holds.
constexpr DWORD FourCC(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<BYTE>(a)) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) |
           (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}
// The media subtype of a four-character code: {code-0000-0010-8000-00AA00389B71}.
constexpr GUID SubtypeOfFourCC(DWORD code) {
    return GUID{code, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}
// The four-character code inside a subtype made by SubtypeOfFourCC, 0 for any other subtype
// (RGB24 has none: it is BI_RGB).
DWORD FourCCOfSubtype(const GUID& subtype);
} // namespace ms::capture

inline constexpr GUID GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID MEDIATYPE_Video = ms::capture::SubtypeOfFourCC(ms::capture::FourCC('v', 'i', 'd', 's'));
inline constexpr GUID MEDIATYPE_Interleaved =
    ms::capture::SubtypeOfFourCC(ms::capture::FourCC('i', 'a', 'v', 's'));
inline constexpr GUID MEDIASUBTYPE_YUY2 = ms::capture::SubtypeOfFourCC(ms::capture::FourCC('Y', 'U', 'Y', '2'));
inline constexpr GUID MEDIASUBTYPE_UYVY = ms::capture::SubtypeOfFourCC(ms::capture::FourCC('U', 'Y', 'V', 'Y'));
inline constexpr GUID MEDIASUBTYPE_MJPG = ms::capture::SubtypeOfFourCC(ms::capture::FourCC('M', 'J', 'P', 'G'));
inline constexpr GUID MEDIASUBTYPE_NV12 = ms::capture::SubtypeOfFourCC(ms::capture::FourCC('N', 'V', '1', '2'));
inline constexpr GUID MEDIASUBTYPE_I420 = ms::capture::SubtypeOfFourCC(ms::capture::FourCC('I', '4', '2', '0'));
inline constexpr GUID MEDIASUBTYPE_RGB24{0xe436eb7d, 0x524f, 0x11ce, {0x9f, 0x53, 0x00, 0x20, 0xaf, 0x0b, 0xa7, 0x70}};
inline constexpr GUID FORMAT_VideoInfo{0x05589f80, 0xc356, 0x11ce, {0xbf, 0x01, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a}};
inline constexpr GUID PIN_CATEGORY_CAPTURE{0xfb6c4281, 0x0353, 0x11d1, {0x90, 0x5f, 0x00, 0x00, 0xc0, 0xcc, 0x16, 0xba}};
inline constexpr GUID PIN_CATEGORY_PREVIEW{0xfb6c4282, 0x0353, 0x11d1, {0x90, 0x5f, 0x00, 0x00, 0xc0, 0xcc, 0x16, 0xba}};
inline constexpr GUID PIN_CATEGORY_ANALOGVIDEOIN{0xfb6c4283, 0x0353, 0x11d1, {0x90, 0x5f, 0x00, 0x00, 0xc0, 0xcc, 0x16, 0xba}};
inline constexpr GUID PIN_CATEGORY_STILL{0xfb6c428a, 0x0353, 0x11d1, {0x90, 0x5f, 0x00, 0x00, 0xc0, 0xcc, 0x16, 0xba}};
inline constexpr GUID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID IID_ISampleGrabberCB{0x0579154a, 0x2b53, 0x4994, {0xb0, 0xd0, 0xe7, 0x73, 0x14, 0x8e, 0xff, 0x85}};
using REFIID = const GUID&;
using REFGUID = const GUID&;

// A media type with its format block. Only FORMAT_VideoInfo blocks exist here, so the block
// is held by value and "freeing the type" is a no-op.
struct AM_MEDIA_TYPE {
    GUID majortype = GUID_NULL;
    GUID subtype = GUID_NULL;
    GUID formattype = GUID_NULL;
    VIDEOINFOHEADER vih{};
};
inline void FreeMediaType(AM_MEDIA_TYPE&) {}
inline void DeleteMediaType(AM_MEDIA_TYPE*) {}

// One stream capability. Sizes the device delivers lie between MinOutputSize and
// MaxOutputSize in steps of OutputGranularityX/Y (both sizes equal for a single size).
struct VIDEO_STREAM_CONFIG_CAPS {
    GUID guid = FORMAT_VideoInfo;
    SIZE MinOutputSize{};
    SIZE MaxOutputSize{};
    int OutputGranularityX = 0;
    int OutputGranularityY = 0;
    LONGLONG MinFrameInterval = 0; // 100-ns units
    LONGLONG MaxFrameInterval = 0;
};

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

// Picture-control properties and their flags.
enum VideoProcAmpProperty {
    VideoProcAmp_Brightness = 0,
    VideoProcAmp_Contrast = 1,
    VideoProcAmp_Hue = 2,
    VideoProcAmp_Saturation = 3,
    VideoProcAmp_Sharpness = 4,
    VideoProcAmp_Gamma = 5,
    VideoProcAmp_ColorEnable = 6,
    VideoProcAmp_WhiteBalance = 7,
    VideoProcAmp_BacklightCompensation = 8,
    VideoProcAmp_Gain = 9
};
enum VideoProcAmpFlags { VideoProcAmp_Flags_Auto = 1, VideoProcAmp_Flags_Manual = 2 };

// Physical connector types of crossbar pins (video below 4096, audio from 4096).
enum PhysicalConnectorType {
    PhysConn_Video_Tuner = 1,
    PhysConn_Video_Composite = 2,
    PhysConn_Video_SVideo = 3,
    PhysConn_Video_RGB = 4,
    PhysConn_Video_YRYBY = 5,
    PhysConn_Video_SerialDigital = 6,
    PhysConn_Video_ParallelDigital = 7,
    PhysConn_Video_SCSI = 8,
    PhysConn_Video_AUX = 9,
    PhysConn_Video_1394 = 10,
    PhysConn_Video_USB = 11,
    PhysConn_Video_VideoDecoder = 12,
    PhysConn_Video_VideoEncoder = 13,
    PhysConn_Audio_Tuner = 4096,
    PhysConn_Audio_Line = 4097,
    PhysConn_Audio_Mic = 4098,
    PhysConn_Audio_AESDigital = 4099,
    PhysConn_Audio_SPDIFDigital = 4100,
    PhysConn_Audio_SCSI = 4101,
    PhysConn_Audio_AUX = 4102,
    PhysConn_Audio_1394 = 4103,
    PhysConn_Audio_USB = 4104,
    PhysConn_Audio_AudioDecoder = 4105
};

// Graph event codes.
#define EC_COMPLETE 0x01
#define EC_USERABORT 0x02
#define EC_ERRORABORT 0x03
#define EC_DEVICE_LOST 0x1F

// Device-change and power notices (what the system sends every top-level window).
#ifndef WM_DEVICECHANGE
#define WM_DEVICECHANGE 0x0219
#endif
#ifndef WM_POWERBROADCAST
#define WM_POWERBROADCAST 0x0218
#endif
#define DBT_DEVNODES_CHANGED 0x0007
#define DBT_DEVICEARRIVAL 0x8000
#define DBT_DEVICEREMOVECOMPLETE 0x8004
#define DBT_DEVTYP_DEVICEINTERFACE 0x00000005
#define PBT_APMRESUMECRITICAL 0x0006
#define PBT_APMRESUMESUSPEND 0x0007
#define PBT_APMRESUMEAUTOMATIC 0x0012

struct DEV_BROADCAST_HDR {
    DWORD dbch_size;
    DWORD dbch_devicetype;
    DWORD dbch_reserved;
};
