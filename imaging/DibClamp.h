// Saturating conversions of computed channel values to a byte, shared by the image operations.
#pragma once

#include "platform/win/WinTypes.h"

namespace dibimage {

inline BYTE ClampByte(long long v) {
    return static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Truncates like the integer conversion it replaces; NaN and negatives give 0.
inline BYTE ClampByteF(double v) {
    if (!(v > 0))
        return 0;
    return v >= 255 ? 255 : static_cast<BYTE>(v);
}

} // namespace dibimage
