// The slide-up notifier: the edge it chooses from the work area, where it stands at each
// height, and the slide driven step by step through its timers until it deletes itself.
#include "kit/PopupNotifier.h"

#include "platform/win/window/TestSeams.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Str(const RECT& r) {
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + "}";
}
bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(PopupNotifier, ChoosesTheEdgeByTheWorkAreaInTheOrderBottomTopLeft) {
    struct Case {
        RECT work;
        int edge;
    } cases[] = {
        {{0, 0, 1280, 984}, CPopupNotifier::kTaskBarBottom},
        {{0, 40, 1280, 1024}, CPopupNotifier::kTaskBarTop},
        {{60, 0, 1280, 1024}, CPopupNotifier::kTaskBarLeft},
        {{0, 0, 1220, 1024}, CPopupNotifier::kTaskBarOther}, // task bar at the right
        {{0, 0, 1280, 1024}, CPopupNotifier::kTaskBarOther}, // no task bar
    };
    for (const Case& c : cases)
        EXPECT_EQ(CPopupNotifier::ChooseEdge(c.work, 1280, 1024), c.edge) << c.work.left;
}

TEST(PopupNotifier, StandsInTheCornerOfItsEdgeAndGrowsAwayFromIt) {
    const RECT bottom{0, 0, 1280, 984}, top{0, 40, 1280, 1024}, left{60, 0, 1280, 1024};
    // Bottom (and every other case): rises from 5 pixels above the work area's bottom, its
    // right edge 10 pixels inside.
    EXPECT_TRUE(CPopupNotifier::Placement(200, bottom, 200, 100, 1) ==
                (RECT{1080, 978, 1270, 979}));
    EXPECT_TRUE(CPopupNotifier::Placement(202, bottom, 200, 100, 100) ==
                (RECT{1080, 879, 1270, 979}));
    // Top: grows downwards from the work area's top edge.
    EXPECT_TRUE(CPopupNotifier::Placement(201, top, 200, 100, 30) == (RECT{1080, 40, 1270, 70}));
    // Left: 10 pixels from the work area's left, full width.
    EXPECT_TRUE(CPopupNotifier::Placement(203, left, 200, 100, 30) == (RECT{70, 989, 270, 1019}));
}

TEST(PopupNotifier, SlidesUpWaitsSlidesDownAndDeletesItself) {
    ms::EnsureApplication();
    RECT work{};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    const int edge = CPopupNotifier::ChooseEdge(work, GetSystemMetrics(SM_CXSCREEN),
                                                GetSystemMetrics(SM_CYSCREEN));

    const int H = 4;
    CPopupNotifier* n =
        CPopupNotifier::CreateNotifier(u"Saved", 150, H, 3000, 10, RECT{0, 0, 140, H}, nullptr);
    n->Show();
    const HWND hwnd = n->m_hWnd;
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetWindowLong(hwnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_TRUE(ms::test::TimerAlive(hwnd, CPopupNotifier::kTimerRise));

    auto step = [&](UINT_PTR id) { SendMessage(hwnd, WM_TIMER, id, 0); };
    auto rectNow = [&] {
        RECT r{};
        GetWindowRect(hwnd, &r);
        return r;
    };
    for (int h = 1; h <= H; ++h) {
        step(CPopupNotifier::kTimerRise);
        EXPECT_TRUE(rectNow() == CPopupNotifier::Placement(edge, work, 150, H, h))
            << h << Str(rectNow()) << Str(CPopupNotifier::Placement(edge, work, 150, H, h));
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_TRUE(GetWindowLong(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
    step(CPopupNotifier::kTimerRise); // past the full height: the display time starts
    EXPECT_FALSE(ms::test::TimerAlive(hwnd, CPopupNotifier::kTimerRise));
    EXPECT_TRUE(ms::test::TimerAlive(hwnd, CPopupNotifier::kTimerShown));
    EXPECT_TRUE(rectNow() == CPopupNotifier::Placement(edge, work, 150, H, H));

    // Hovering stops neither the display time nor the slide.
    SendMessage(hwnd, WM_MOUSEHOVER, 0, MAKELPARAM(2, 2));
    SendMessage(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(ms::test::TimerAlive(hwnd, CPopupNotifier::kTimerShown));

    step(CPopupNotifier::kTimerShown);
    EXPECT_FALSE(ms::test::TimerAlive(hwnd, CPopupNotifier::kTimerShown));
    EXPECT_TRUE(ms::test::TimerAlive(hwnd, CPopupNotifier::kTimerFall));
    for (int h = H; h >= 1; --h) {
        step(CPopupNotifier::kTimerFall);
        EXPECT_TRUE(rectNow() == CPopupNotifier::Placement(edge, work, 150, H, h)) << h;
    }
    step(CPopupNotifier::kTimerFall); // at height 1: gone, the object with it
    EXPECT_FALSE(IsWindow(hwnd));
}

} // namespace
