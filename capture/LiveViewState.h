// The main window's state that the live view's painter reads on the capture thread: the texts
// drawn on the preview, their fonts, the full-screen flag and the factors from preview to
// picture coordinates. The UI thread changes it under the lock (Change); the painter takes one
// Snapshot per frame and draws from that copy, so a frame never mixes two states and no lock
// is held while it draws. The fonts stay valid while the painter runs: the window deletes them
// only after the capture stopped.
#pragma once

#include "platform/win/WinTypes.h"

#include <mutex>
#include <string>

struct LiveViewSnapshot {
    std::u16string statusText;   // the connect prompt, drawn while no device runs
    std::u16string escHintText;  // the way back from full screen, drawn in full screen
    HFONT overlayFont = nullptr; // status text and full-screen hint
    HFONT counterFont = nullptr; // recording counter and scale legends
    int fullScreen = 0;          // 1 while the full-screen layout is on
    double imageScaleX = 1.0;    // preview to picture coordinates
    double imageScaleY = 1.0;

    // The overlays the operator switches from the preview's popup, drawn on the live picture
    // and into snapshots; all off at start.
    int showCrossLine = 0;
    int showScaleBar = 0;
    int showCircleOverlay = 0;
    int showDateTime = 0;

    // The scale and unit the live view draws with (PublishLiveScale).
    double previewScaleX = 1.0; // preview to the capture window's client: 1.0 but in full screen
    double previewScaleY = 1.0;
    double liveScale = 0.02963;      // preview pixels per unit of length (scale bar, rings)
    double liveZoom = 21.0;          // the magnification last applied
    std::u16string unitName = u"mm"; // g_unitName and g_decimalPlaces as last published
    int decimalPlaces = 3;
};

class CLiveViewState {
public:
    LiveViewSnapshot Snapshot() const {
        std::lock_guard lock(m_mutex);
        return m_state;
    }
    // Runs change(state) under the lock; keep it short (no window calls inside).
    template <class F> void Change(F&& change) {
        std::lock_guard lock(m_mutex);
        change(m_state);
    }

private:
    mutable std::mutex m_mutex;
    LiveViewSnapshot m_state;
};

extern CLiveViewState g_liveView;

// Copies the UI thread's own values that the live view draws with into g_liveView:
// g_captureWnd's live scale and magnification, the unit and the precision. The main window
// calls it after it changed any of them; the next frame shows them.
void PublishLiveScale();
