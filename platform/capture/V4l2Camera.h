// The V4L2 source: /dev/video* nodes with the video-capture capability and a format that needs
// no video decoder (a camera's H.264-only node is not a second camera), in node order.
// Identity (the moniker's display name) is the bus and card name; hardware ids come from the
// USB device in sysfs. Frames are streamed from mapped buffers on a thread that waits with a
// time-out, converted to 24-bit BGR bottom-up rows (Motion-JPEG decoded straight into them), and
// every buffer is requeued; a frame that cannot be converted is dropped and counted. The still
// button is KEY_CAMERA of the input device that sits below the same USB device.
#pragma once

#include "platform/capture/Backend.h"

#include <memory>
#include <string>

namespace ms::capture {
class V4l2Io;

// The system's V4L2 source: the kernel through libv4l2, /sys and /dev.
Backend& V4l2Source();
// A V4L2 source over another kernel side and other roots for sysfs and the device nodes
// (tests: a simulated camera). io must outlive the source and its sessions.
std::unique_ptr<Backend> MakeV4l2Source(V4l2Io& io, std::string sysRoot, std::string devRoot);
} // namespace ms::capture
