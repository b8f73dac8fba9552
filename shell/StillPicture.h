// A still's picture as values: the frame, the finished live measurements, the guide shapes and
// the switched-on overlays as they stood when the still was taken, and the picture composed
// from them. The main window takes the values on the UI thread; composing reads nothing else,
// so it may run on any thread (the still writer's), on a memory DC and a bitmap of its own.
#pragma once

#include "capture/LiveShapes.h"
#include "shell/SnapshotOverlays.h"

#include "platform/win/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

// A frame as one packed DIB: the 40-byte header followed by the rows it describes.
struct StillFrame {
    std::unique_ptr<BYTE[]> dib;
    DWORD size = 0;
    const BITMAPINFOHEADER& Header() const {
        return *reinterpret_cast<const BITMAPINFOHEADER*>(dib.get());
    }
    const BYTE* Rows() const { return dib.get() + sizeof(BITMAPINFOHEADER); }
    int Width() const { return Header().biWidth; }
    int Height() const { return Header().biHeight < 0 ? -Header().biHeight : Header().biHeight; }
};

struct StillScene {
    StillFrame frame;
    int width = 0, height = 0;           // the capture size, the picture's
    std::vector<CMeasureRecord> shapes;  // the finished live measurements, in list order
    std::vector<CPolylineRecord> guides; // the guide shapes, in list order
    LiveDrawContext context;             // preview to picture scale, unit, precision, ...
    SnapshotOverlays overlays;           // drawn in `unit`, whatever overlays.unit says
    std::u16string unit;
};

// The frame drawn one to one into a new picture of the capture size (a frame of another size
// keeps its top-left corner), with the measurements, the guides and the overlays over it; null
// when there is no frame or no bitmap could be made. Any thread.
HBITMAP ComposeStill(const StillScene& scene);
