// The road of a still picture of the main window: the last frame the frame callback copied,
// with the finished live measurements, the guide shapes and the switched-on overlays burnt in,
// saved as a "Still_" picture in the picture folder, as the export picture "10000.bmp" or as a
// recording's first-frame picture; and the still hand-over that runs it for each still. A
// hand-over takes what its still is made of as values (StillScene) and its name, and hands
// them to the still writer, which composes, encodes and writes the still and whose word lists
// it; export and recording pictures are composed and written at once, as their callers need
// them.
//
// Everything here runs on the UI thread.
#pragma once

#include "shell/SnapshotNames.h"
#include "shell/StillWriter.h"

#include "imaging/DibImage.h"

#include "platform/mfc/AfxWin.h"

#include <atomic>
#include <functional>
#include <memory>

// Posted by the still writer when written stills wait to be listed.
#define WM_APP_STILL_WRITTEN (WM_APP + 16)

// What the still road shares with the live measuring and the strip, one per main window.
struct StillState {
    // 1 while live measuring waits for a frozen frame: the next still is kept, not saved.
    std::atomic<int> freezeRequest{0};
    // The frozen still live measuring measures on; null when none.
    std::unique_ptr<CDibImage> frozen;
    // The magnification text of the last still, for its file name: empty unless a number.
    WCHAR zoomText[24]{};
    // The snapshot name built by the last composition (the last one written, once listed).
    WCHAR lastSnapshotPath[MAX_PATH]{};
};

class StillRoad {
public:
    StillRoad(CWnd& window, StillState& state) : m_window(window), m_state(state) {}
    StillRoad(const StillRoad&) = delete;
    StillRoad& operator=(const StillRoad&) = delete;

    // Composes the last copied frame with the live measurements and overlays into a picture:
    // mode 0 a snapshot in the picture folder, 1 the export picture, 2 a recording's thumbnail
    // beside its AVI file; any other mode composes and saves nothing. `bits` holds the rows
    // g_frameInfo describes (g_frameBuffer itself is read under g_frameLock). While a freeze is
    // requested the frame becomes the frozen still instead and the result is 0. 1 when the
    // picture was written (or, for another mode, composed); 0 when there is no frame or the
    // file could not be written.
    int Save(BYTE* bits, DWORD byteSize, int mode);
    // The still hand-over: a snapshot of the last copied frame with `magnification` in its
    // name, handed to the still writer.
    void Hand(WPARAM source, const CString& magnification);
    // Lists each written still (and makes the shutter sound while a Camera command asked for
    // it; restarts the graph, unless `shutDown`, after a still of the device's button or during
    // a recording) or reports its failure.
    void TakeWritten(bool shutDown);
    // Waits until every still handed over is written, then takes them as above.
    void Finish(bool shutDown);
    // Looks through the picture folder for the next still's number off the UI thread, so that
    // the first still after the start or a change of the picture folder or format does not
    // hold up the preview.
    void WarmNumbering();
    SnapshotNumbering& Numbering() { return m_numbering; }
    // Lists the last snapshot in the thumbnail strip; set when the strip is bound.
    void SetLister(std::function<void()> list) { m_listSnapshot = std::move(list); }
    StillState& State() { return m_state; }

private:
    struct Composed;
    bool Take(BYTE* bits, DWORD byteSize, StillScene& scene, Composed& out);
    void Place(int mode, Composed& out);
    bool Freeze(BYTE* bits, DWORD byteSize);
    bool ReserveSnapshotName(const SYSTEMTIME& now, long long& number, bool& named);
    int Finished(const Composed& still, bool written, int mode);

    CWnd& m_window;
    StillState& m_state;
    SnapshotNumbering m_numbering;         // the picture folder's numbers, kept between stills
    std::unique_ptr<StillWriter> m_writer; // made with the first still
    std::function<void()> m_listSnapshot;
};
