// The V4L2 source: /dev/video* nodes with the video-capture capability, in node order.
// Identity (the moniker's display name) is the bus and card name; hardware ids come from the
// USB device in sysfs. Frames are streamed from mapped buffers on a thread that waits with a
// time-out, converted to 24-bit BGR bottom-up rows, and every buffer is requeued. The still
// button is KEY_CAMERA of the input device that sits below the same USB device.
#pragma once

#include "platform/capture/Backend.h"

namespace ms::capture {
Backend& V4l2Source();
} // namespace ms::capture
