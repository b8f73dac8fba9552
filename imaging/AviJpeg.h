// Motion-JPEG frames of an AVI: one baseline JPEG per frame with its own Huffman tables, so
// every standard player decodes it without the tables some Motion-JPEG readers assume.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ms::avi {

// Encodes `height` rows of `width` blue-green-red pixels, stored bottom-up `stride` bytes
// apart (a 24-bit DIB), into `out` (replaced). False when libjpeg refuses.
bool EncodeJpegFrame(const uint8_t* bottomUp, long stride, int width, int height, int quality,
                     std::vector<uint8_t>& out);

// Decodes a JPEG into top-down blue-green-red rows of width * 3 bytes in `bgr` (replaced). A
// picture wider or higher than `maxSide` or corrupt data gives false, never a read outside
// `data`.
bool DecodeJpegFrame(const uint8_t* data, size_t size, int maxSide, std::vector<uint8_t>& bgr,
                     int* width, int* height);

} // namespace ms::avi
