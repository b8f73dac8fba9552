// The exports of the finished live measurements of Tessary's main window: a spreadsheet with
// the picture of the live view at A1, a word-processor report with that picture, and a DXF
// drawing. The exports work on a copy of the live shapes taken under the live lists' lock, so
// the capture thread keeps drawing while a file is written; the busy state ends on every way
// out.
#pragma once

#include "media/DxfDrawing.h"

#include "platform/mfc/AfxWin.h"

#include <functional>

class Magnification;
class StillRoad;
struct ExportPictureJob;

class LiveExports {
public:
    // `busy` shows (true) and ends (false) the busy cursor around an export; the export
    // picture is made through `stills`, the DXF drawing scaled by `zoom`'s magnification.
    LiveExports(CWnd& window, StillRoad& stills, Magnification& zoom,
                std::function<void(bool)> busy)
        : m_window(window), m_stills(stills), m_zoom(zoom), m_busy(std::move(busy)) {}
    LiveExports(const LiveExports&) = delete;
    LiveExports& operator=(const LiveExports&) = delete;

    void ToSpreadsheet();
    void ToWord();
    void ToDxf();

private:
    // The picture job of the spreadsheet and the report: "10000.bmp" in the program folder,
    // the live view with its measurements as the still road's export picture.
    ExportPictureJob Picture();

    CWnd& m_window;
    StillRoad& m_stills;
    Magnification& m_zoom;
    std::function<void(bool)> m_busy;
    CDxfDrawing m_dxf; // holds a drawing only during a DXF export
};
