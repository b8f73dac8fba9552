// The pure parts of the V4L2 source: pixel-format codes, picture-control ids and ranges, the
// sysfs walk that lists video nodes with their USB identity and finds a camera's still button,
// and the conversion of packed YUV frames to 24-bit BGR bottom-up rows. Nothing here opens a
// device; the sysfs root is a parameter so that tests run over a fixture tree.
#pragma once

#include "platform/capture/Backend.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct v4l2_queryctrl;

namespace ms::capture {

// V4L2 pixel format -> biCompression: YUYV -> "YUY2", UYVY, MJPEG/JPEG -> "MJPG", BGR24 ->
// BI_RGB, YUV420 -> "I420", YVU420 -> "YV12", NV12; any other format keeps its own code.
DWORD FourCCOfPixelFormat(std::uint32_t pixelFormat);
// The inverse; BI_RGB -> BGR24.
std::uint32_t PixelFormatOfFourCC(DWORD fourcc);

// The V4L2 control of a picture-control property and its automatic companion (0: none).
std::uint32_t ControlOfProperty(long property);
std::uint32_t AutoControlOfProperty(long property);
// The range of a control as IAMVideoProcAmp reports it: min, max, step (at least 1),
// default, and the flags Manual plus Auto when an automatic companion exists.
ProcAmpRange MapControlRange(const v4l2_queryctrl& q, bool hasAuto);

// A video node as sysfs tells it.
struct VideoNode {
    int number = -1;       // N of videoN
    std::string name;      // sysfs "name" (the card name)
    std::string devicePath; // real path of the node's device (the USB interface), may be empty
    std::string usbPath;   // real path of the USB device that carries idVendor, or empty
    WORD vendor = 0, product = 0, revision = 0;
};
// The videoN entries under <sysRoot>/class/video4linux, by node number.
std::vector<VideoNode> ScanVideoNodes(const std::string& sysRoot);

// What opening a node tells (VIDIOC_QUERYCAP).
struct NodeProbe {
    std::uint32_t deviceCaps = 0;
    std::string card;
    std::string busInfo;
    std::vector<std::uint32_t> pixelFormats; // of a video-capture node (VIDIOC_ENUM_FMT)
};
// True for streams that need a video decoder (H.264, HEVC, MPEG, VP8/9): neither the own
// converters nor libv4lconvert take them.
bool NeedsVideoDecoder(std::uint32_t pixelFormat);
using ProbeFn = std::function<std::optional<NodeProbe>(const std::string& devNode)>;
// The video-capture devices in node order: nodes without the video-capture capability
// (metadata nodes), nodes whose every format needs a video decoder (a camera's second, H.264
// node, which shares the first node's card and bus and so its identity) and nodes that cannot
// be probed are left out. key = "<devRoot>/videoN".
std::vector<DeviceEntry> ListVideoDevices(const std::string& sysRoot, const std::string& devRoot,
                                          const ProbeFn& probe);

// True when a sysfs key bitmap ("capabilities/key": hex words, most significant first, each
// as wide as the kernel's long) has the key's bit set.
bool KeyBitmapHas(const std::string& bitmap, int code, int bitsPerWord = 64);
// The event node ("event5") of an input device below usbPath whose keys include KEY_CAMERA;
// empty when there is none.
std::string FindStillButtonInput(const std::string& sysRoot, const std::string& usbPath);

// Packed 4:2:2 (YUYV, or UYVY when uyvy is set) to 24-bit BGR with the rows flipped:
// source row 0 (the top) becomes the last row of dst. BT.601 limited range, integer maths.
void ConvertPackedYuvToBgrBottomUp(const BYTE* src, long srcStride, LONG width, LONG height,
                                   BYTE* dst, long dstStride, bool uyvy);
// Copies top-down rows into dst bottom-up.
void FlipRows(const BYTE* src, long srcStride, LONG height, long rowBytes, BYTE* dst,
              long dstStride);

} // namespace ms::capture
