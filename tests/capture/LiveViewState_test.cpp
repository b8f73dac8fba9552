// What the main window hands the live view's painter: the live scale and magnification and
// the unit, copied into the painter's snapshot in one change that leaves the switches alone.
#include "capture/LiveViewState.h"

#include "capture/CaptureWnd.h"
#include "measure/Units.h"

#include "platform/win/core/WString.h"

#include <gtest/gtest.h>

namespace {

TEST(LiveViewState, PublishingCopiesTheScaleAndTheUnit) {
    g_liveView.Change([](LiveViewSnapshot& s) { s.showScaleBar = 1; });
    g_captureWnd.m_liveScale = 12.5;
    g_captureWnd.m_liveZoom = 40.0;
    ms::CopyBounded(g_unitName, 12, u"cm");
    g_decimalPlaces = 4;
    PublishLiveScale();
    const LiveViewSnapshot shown = g_liveView.Snapshot();
    EXPECT_EQ(shown.showScaleBar, 1);
    EXPECT_EQ(shown.liveScale, 12.5);
    EXPECT_EQ(shown.liveZoom, 40.0);
    EXPECT_EQ(shown.unitName, u"cm");
    EXPECT_EQ(shown.decimalPlaces, 4);
    g_liveView.Change([](LiveViewSnapshot& s) { s.showScaleBar = 0; });
    ms::CopyBounded(g_unitName, 12, u"mm");
    g_decimalPlaces = 3;
}

} // namespace
