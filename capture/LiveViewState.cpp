#include "capture/LiveViewState.h"

#include "capture/CaptureWnd.h"
#include "capture/LiveShapes.h"

CLiveViewState g_liveView;

void PublishLiveScale() {
    const double scale = g_captureWnd.m_liveScale;
    const double zoom = g_captureWnd.m_liveZoom;
    g_liveView.Change([&](LiveViewSnapshot& s) {
        s.liveScale = scale;
        s.liveZoom = zoom;
        CopyMeasureUnits(s);
    });
}
