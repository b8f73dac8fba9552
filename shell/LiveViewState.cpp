#include "shell/LiveViewState.h"

#include "shell/SnapshotOverlays.h"

#include "capture/CaptureWnd.h"
#include "capture/LiveShapes.h"

int g_showDateTime = 0;

void PublishLiveOverlays() {
    const double scale = g_captureWnd.m_liveScale;
    const double zoom = g_captureWnd.m_liveZoom;
    g_liveView.Change([&](LiveViewSnapshot& s) {
        s.showDateTime = g_showDateTime;
        s.showCrossLine = g_showCrossLine;
        s.showScaleBar = g_showScaleBar;
        s.showCircleOverlay = g_showCircleOverlay;
        s.liveScale = scale;
        s.liveZoom = zoom;
        CopyMeasureUnits(s);
    });
}
