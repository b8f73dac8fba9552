// The toggle bitmap button: taking over a dialog's owner-drawn button with its bitmaps and
// size, the pressed flag, and the bitmap painted for each state (disabled, focus, pressed flag,
// normal), never from the mouse.
#include "kit/ToggleBitmapButton.h"

#include "platform/win/gdi/GdiQt.h"
#include "platform/win/gdi/RecordingDC.h"
#include "platform/win/window/Resources.h"
#include "platform/win/window/TestSeams.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

HBITMAP Solid(COLORREF c, int w = 8, int h = 6) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    return ms::CreateBitmapFromQImage(img);
}

// Paints the button for `state` into a grey 8 x 6 DC; the colour at its middle.
COLORREF Painted(CToggleBitmapButton& b, UINT state) {
    HDC dc = ms::CreateRecordingDC(8, 6);
    CDC::FromHandle(dc)->FillSolidRect(0, 0, 8, 6, RGB(128, 128, 128));
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hDC = dc;
    dis.rcItem = RECT{0, 0, 8, 6};
    b.DrawItem(&dis);
    const COLORREF c = GetPixel(dc, 4, 3);
    DeleteDC(dc);
    return c;
}

constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kNormal = RGB(10, 20, 30), kSelected = RGB(200, 0, 0), kFocus = RGB(0, 200, 0),
                   kDisabled = RGB(0, 0, 200);

TEST(ToggleBitmapButton, PaintsByStateAndByItsFlagNotByTheMouse) {
    ms::EnsureApplication();
    CToggleBitmapButton b;
    EXPECT_EQ(b.IsPressed(), 0);
    // No selected bitmap yet: pressed paints nothing, the area keeps what was there.
    b.m_bitmap.Attach(Solid(kNormal));
    b.SetPressed();
    EXPECT_EQ(Painted(b, 0), kGrey);
    b.ClearPressed();

    b.m_bitmapSel.Attach(Solid(kSelected));
    EXPECT_EQ(Painted(b, 0), kNormal);
    EXPECT_EQ(Painted(b, ODS_SELECTED), kNormal); // the mouse holding it down: no pushed look
    b.SetPressed();
    EXPECT_EQ(b.IsPressed(), 1);
    EXPECT_EQ(Painted(b, 0), kSelected);
    EXPECT_EQ(Painted(b, ODS_FOCUS), kSelected);    // no focus bitmap
    EXPECT_EQ(Painted(b, ODS_DISABLED), kSelected); // no disabled bitmap: falls through
    b.TogglePressed();
    EXPECT_EQ(b.IsPressed(), 0);
    EXPECT_EQ(Painted(b, ODS_DISABLED), kNormal);
    b.TogglePressed();

    b.m_bitmapFocus.Attach(Solid(kFocus));
    b.m_bitmapDisabled.Attach(Solid(kDisabled));
    EXPECT_EQ(Painted(b, ODS_FOCUS), kFocus); // focus wins over the pressed flag
    EXPECT_EQ(Painted(b, ODS_DISABLED | ODS_FOCUS), kDisabled);
    EXPECT_EQ(Painted(b, 0), kSelected);
}

TEST(ToggleBitmapButton, AttachTakesOverTheButtonLoadsItsBitmapsAndSizesToTheNormalOne) {
    ms::EnsureApplication();
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, u"Owner", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
    HWND child = CreateWindowEx(0, u"Button", u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 29, 78, 10,
                                10, parent.m_hWnd, reinterpret_cast<HMENU>(1005), nullptr, nullptr);
    ASSERT_NE(child, nullptr);

    CToggleBitmapButton missing;
    EXPECT_EQ(missing.Attach(4242, &parent, 150, 350, 0), 0);
    EXPECT_EQ(missing.m_hWnd, nullptr);
    EXPECT_EQ(missing.m_bitmap.m_hObject, nullptr);

    CToggleBitmapButton b;
    ASSERT_EQ(b.Attach(1005, &parent, 150, 350, 0), 1);
    EXPECT_EQ(b.m_hWnd, child);
    EXPECT_NE(b.m_bitmap.m_hObject, nullptr);
    EXPECT_NE(b.m_bitmapSel.m_hObject, nullptr);
    EXPECT_EQ(b.m_bitmapFocus.m_hObject, nullptr);
    EXPECT_EQ(b.m_bitmapDisabled.m_hObject, nullptr);
    RECT r{};
    GetWindowRect(child, &r);
    POINT topLeft{r.left, r.top};
    ScreenToClient(parent.m_hWnd, &topLeft);
    EXPECT_EQ(topLeft.x, 29);
    EXPECT_EQ(topLeft.y, 78);
    EXPECT_EQ(r.right - r.left, 40);
    EXPECT_EQ(r.bottom - r.top, 40);

    // The parent's WM_DRAWITEM reaches the button and paints the pressed face.
    b.SetPressed();
    const QImage pressed = ms::LoadResourceImage(u"BITMAP", 350);
    ASSERT_FALSE(pressed.isNull());
    HDC dc = ms::CreateRecordingDC(40, 40);
    DRAWITEMSTRUCT dis{ODT_BUTTON, 1005, 0, ODA_DRAWENTIRE, 0, child, dc, RECT{0, 0, 40, 40}, 0};
    SendMessage(parent.m_hWnd, WM_DRAWITEM, 1005, reinterpret_cast<LPARAM>(&dis));
    const QRgb p = pressed.pixel(20, 20);
    EXPECT_EQ(GetPixel(dc, 20, 20), RGB(qRed(p), qGreen(p), qBlue(p)));
    DeleteDC(dc);
    b.DestroyWindow();
    parent.DestroyWindow();
}

} // namespace
