// libFuzzer target: any bytes through the AVI reader as the video player uses it: the file
// parsed, its frames found, and the first frames and the last decoded.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/AviReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ms::avi::AviReader reader;
    if (!reader.OpenMemory(data, size))
        return 0;
    std::vector<uint8_t> bgr;
    const long frames = reader.Frames();
    for (long i : {0L, 1L, 2L, frames - 1, frames}) {
        int w = 0, h = 0;
        if (reader.ReadFrame(i, bgr, &w, &h) && !bgr.empty()) {
            volatile uint8_t last = bgr[static_cast<size_t>(w) * 3 * static_cast<size_t>(h) - 1];
            (void)last;
        }
    }
    return 0;
}
