// Motion-JPEG frames of a USB camera decoded by libjpeg-turbo straight into the 24-bit
// bottom-up BGR rows the grabbers get: no intermediate picture, no row flip afterwards.
// Cameras often leave out the Huffman tables (the standard ones are meant); libjpeg-turbo
// supplies them. A frame is refused, and nothing past its data is read, when it is not a
// whole JPEG picture of the expected size: a corrupt or cut-off frame, a size other than the
// format's, or a picture libjpeg can only finish with warnings (gray fill of lost data).
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>
#include <memory>

namespace ms::capture {

class MjpegDecoder {
public:
    MjpegDecoder();
    ~MjpegDecoder();
    MjpegDecoder(const MjpegDecoder&) = delete;
    MjpegDecoder& operator=(const MjpegDecoder&) = delete;

    // Decodes data[0, size) into width x height rows of dst (dstStride bytes apart, bottom-up).
    // False when the frame is refused; dst may then hold part of a picture.
    bool DecodeBottomUp(const BYTE* data, size_t size, LONG width, LONG height, BYTE* dst,
                        long dstStride);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace ms::capture
