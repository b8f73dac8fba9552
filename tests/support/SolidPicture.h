// What the tests of the thumbnail lists share: a picture file of one colour, written through
// the image library the test links (BMP and JPEG, over Wavenor's also PNG).
#pragma once

#include "imaging/DibImage.h"
#include "platform/win/core/WString.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mstest {

// A w x h picture of colour `c` saved as `type` at `p`; a failed save fails the test.
inline void WriteSolidPicture(const std::filesystem::path& p, int w, int h, COLORREF c,
                              DWORD type) {
    CDibImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), 24);
    for (int y = 0; y < h; ++y) {
        BYTE* row = img.GetBits(static_cast<DWORD>(y));
        for (int x = 0; x < w; ++x) {
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    ASSERT_TRUE(img.SaveToFile(ms::FromUtf8(p.string()).c_str(), type)) << p;
}

} // namespace mstest
