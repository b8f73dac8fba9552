// What the main window hands the live view's painter: the overlay switches, the live scale and
// magnification and the unit, copied into the painter's snapshot in one change.
#include "shell/LiveViewState.h"

#include "shell/SnapshotOverlays.h"

#include "capture/CaptureWnd.h"
#include "measure/Units.h"

#include "platform/win/core/WString.h"

#include <gtest/gtest.h>

namespace {

TEST(LiveViewState, PublishingCopiesTheSwitchesTheScaleAndTheUnit) {
    g_showDateTime = 1;
    g_showCrossLine = 0;
    g_showScaleBar = 1;
    g_showCircleOverlay = 1;
    g_captureWnd.m_liveScale = 12.5;
    g_captureWnd.m_liveZoom = 40.0;
    ms::CopyBounded(g_unitName, 12, u"cm");
    g_decimalPlaces = 4;
    PublishLiveOverlays();
    const LiveViewSnapshot shown = g_liveView.Snapshot();
    EXPECT_EQ(shown.showDateTime, 1);
    EXPECT_EQ(shown.showCrossLine, 0);
    EXPECT_EQ(shown.showScaleBar, 1);
    EXPECT_EQ(shown.showCircleOverlay, 1);
    EXPECT_EQ(shown.liveScale, 12.5);
    EXPECT_EQ(shown.liveZoom, 40.0);
    EXPECT_EQ(shown.unitName, u"cm");
    EXPECT_EQ(shown.decimalPlaces, 4);
    g_showDateTime = g_showScaleBar = g_showCircleOverlay = 0;
    ms::CopyBounded(g_unitName, 12, u"mm");
    g_decimalPlaces = 3;
}

} // namespace
