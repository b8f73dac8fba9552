// The framework's control classes on the controls test dialog: a bitmap button drawn through
// reflection in its states, the wrappers' calls, window and control scroll bars through the
// message map, and the tooltip control.
#include "tests/platform/win/controls/ControlsResource.h"

#include "platform/mfc/AfxCmn.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"
#include "platform/win/window/TestSeams.h"

#include "tests/support/Pump.h"

#include <QApplication>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <vector>

namespace {

using ms::test::Pump;

struct Scroll {
    UINT code;
    int id; // 0: a window's own bar
};

// A link-like static that picks its own colours (the reflected colour message).
class CLinkStatic : public CStatic {
public:
    afx_msg HBRUSH CtlColor(CDC* dc, UINT) {
        dc->SetTextColor(RGB(200, 0, 0));
        dc->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLinkStatic, CStatic)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CControlsDlg : public CDialog {
public:
    CControlsDlg() : CDialog(IDD_CONTROLS) {}
    CBitmapButton m_button;
    CSliderCtrl m_slider;
    CSpinButtonCtrl m_spin;
    CComboBox m_combo;
    CTabCtrl m_tabs;
    CListCtrl m_strip;
    CScrollBar m_bar;
    CLinkStatic m_link;
    std::vector<Scroll> m_scrolls;
    int m_clicks = 0;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_button.SubclassDlgItem(IDC_OWNER, this);
        m_slider.SubclassDlgItem(IDC_SLIDER, this);
        m_spin.SubclassDlgItem(IDC_WIDTH_SPIN, this);
        m_combo.SubclassDlgItem(IDC_DEVICE, this);
        m_tabs.SubclassDlgItem(IDC_TABS, this);
        m_strip.SubclassDlgItem(IDC_STRIP, this);
        m_bar.SubclassDlgItem(IDC_HSCROLL, this);
        m_link.SubclassDlgItem(IDC_LINK, this);
        return TRUE;
    }
    afx_msg void OnHScroll(UINT code, UINT, CScrollBar* bar) {
        m_scrolls.push_back({code, bar ? bar->GetDlgCtrlID() : 0});
    }
    afx_msg void OnOwner() { ++m_clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CControlsDlg, CDialog)
ON_WM_HSCROLL()
ON_BN_CLICKED(IDC_OWNER, OnOwner)
END_MESSAGE_MAP()

class AfxControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ASSERT_TRUE(dlg_.Create(IDD_CONTROLS));
        dlg_.ShowWindow(SW_SHOW);
        Pump();
    }
    void TearDown() override {
        dlg_.DestroyWindow();
        Pump();
    }
    CControlsDlg dlg_;
};

// A pixel where the two bitmaps differ, and its colour in each.
struct Probe {
    int x = -1, y = -1;
    COLORREF normal = 0, pressed = 0;
};
Probe FindProbe(HBITMAP a, HBITMAP b) {
    const QImage ia = ms::ImageOfBitmap(a), ib = ms::ImageOfBitmap(b);
    Probe p;
    for (int y = 0; y < ia.height() && p.x < 0; ++y)
        for (int x = 0; x < ia.width(); ++x)
            if (ia.pixel(x, y) != ib.pixel(x, y)) {
                const QRgb ca = ia.pixel(x, y), cb = ib.pixel(x, y);
                p = {x, y, RGB(qRed(ca), qGreen(ca), qBlue(ca)),
                     RGB(qRed(cb), qGreen(cb), qBlue(cb))};
                break;
            }
    return p;
}

COLORREF PixelOf(HWND h, int x, int y) {
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
    HDC dc = GetDC(h);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(h, dc);
    return c;
}

TEST_F(AfxControlsTest, BitmapButtonSizesToItsBitmapAndDrawsItsStates) {
    CBitmapButton& b = dlg_.m_button;
    ASSERT_TRUE(b.LoadBitmaps(IDB_NORMAL, IDB_PRESSED));
    EXPECT_FALSE(b.m_bitmapFocus.GetSafeHandle());
    b.SizeToContent();
    CRect r;
    b.GetWindowRect(&r);
    EXPECT_EQ(r.Width(), 40);
    EXPECT_EQ(r.Height(), 40);
    const Probe p = FindProbe(b.m_bitmap, b.m_bitmapSel);
    ASSERT_GE(p.x, 0);
    EXPECT_EQ(PixelOf(b.m_hWnd, p.x, p.y), p.normal);
    b.SetState(TRUE); // held down: the selected bitmap
    EXPECT_EQ(PixelOf(b.m_hWnd, p.x, p.y), p.pressed);
    b.SetState(FALSE);
    EXPECT_EQ(PixelOf(b.m_hWnd, p.x, p.y), p.normal);
    // Disabled without a disabled bitmap: the normal one.
    b.EnableWindow(FALSE);
    EXPECT_EQ(PixelOf(b.m_hWnd, p.x, p.y), p.normal);
    b.EnableWindow(TRUE);
    // A missing normal bitmap is reported.
    CBitmapButton other;
    EXPECT_FALSE(other.LoadBitmaps(9999));
    b.SendMessage(BM_CLICK);
    EXPECT_EQ(dlg_.m_clicks, 1);
}

TEST_F(AfxControlsTest, WrappersSpeakTheControlsMessages) {
    dlg_.m_slider.SetRange(0, 50, TRUE);
    dlg_.m_slider.SetPos(60);
    EXPECT_EQ(dlg_.m_slider.GetPos(), 50);
    int lo = 0, hi = 0;
    dlg_.m_slider.GetRange(lo, hi);
    EXPECT_EQ(hi, 50);

    dlg_.m_spin.SetRange(1, 3);
    dlg_.m_spin.SetPos(3);
    EXPECT_EQ(LOWORD(dlg_.m_spin.GetPos()), 3);
    CString width;
    dlg_.GetDlgItemText(IDC_WIDTH, width);
    EXPECT_EQ(width, CString(u"3"));
    dlg_.m_spin.GetRange(lo, hi);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 3);

    const int i = dlg_.m_combo.AddString(u"Camera");
    dlg_.m_combo.SetItemData(i, 42);
    CString text;
    dlg_.m_combo.GetLBText(i, text);
    EXPECT_EQ(text, CString(u"Camera"));
    EXPECT_EQ(dlg_.m_combo.GetItemData(i), 42u);
    EXPECT_EQ(dlg_.m_combo.GetCurSel(), CB_ERR);

    EXPECT_EQ(dlg_.m_tabs.InsertItem(0, u"Pen setting"), 0);
    EXPECT_EQ(dlg_.m_tabs.InsertItem(1, u"Unit setting"), 1);
    EXPECT_EQ(dlg_.m_tabs.GetItemCount(), 2);
    dlg_.m_tabs.SetCurSel(1);
    EXPECT_EQ(dlg_.m_tabs.GetCurSel(), 1);
}

TEST_F(AfxControlsTest, ScrollBarsThroughTheFramework) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = 9;
    si.nPage = 6;
    si.nPos = 2;
    dlg_.m_strip.SetScrollInfo(SB_HORZ, &si);
    SCROLLINFO out{};
    ASSERT_TRUE(dlg_.m_strip.GetScrollInfo(SB_HORZ, &out));
    EXPECT_EQ(out.nMax, 9);
    EXPECT_EQ(out.nPos, 2);
    EXPECT_EQ(dlg_.m_strip.GetScrollLimit(SB_HORZ), 4);

    dlg_.m_bar.SetScrollRange(0, 40);
    dlg_.m_bar.SetScrollPos(7);
    EXPECT_EQ(dlg_.m_bar.GetScrollPos(), 7);
    // A user's step reaches the dialog's OnHScroll with the bar's object.
    auto* bar = dynamic_cast<QScrollBar*>(ms::WidgetOf(dlg_.m_bar.m_hWnd));
    ASSERT_TRUE(bar);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(dlg_.m_scrolls.size(), 1u);
    EXPECT_EQ(dlg_.m_scrolls[0].code, static_cast<UINT>(SB_LINERIGHT));
    EXPECT_EQ(dlg_.m_scrolls[0].id, IDC_HSCROLL);
}

TEST_F(AfxControlsTest, ToolTipControlKeepsItsTools) {
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&dlg_, TTS_ALWAYSTIP));
    EXPECT_TRUE(tip.GetExStyle() & WS_EX_TOPMOST);
    EXPECT_TRUE(tip.AddTool(&dlg_.m_button, u"Measure"));
    EXPECT_TRUE(tip.AddTool(&dlg_.m_slider, u"Brightness", nullptr, IDC_SLIDER));
    EXPECT_EQ(tip.GetToolCount(), 2);
    tip.UpdateTipText(u"Measure again", &dlg_.m_button);
    tip.SetDelayTime(100);
    tip.DelTool(&dlg_.m_button);
    EXPECT_EQ(tip.GetToolCount(), 1);
    tip.DestroyWindow();
}

TEST_F(AfxControlsTest, AStaticPicksItsOwnColoursThroughReflection) {
    QWidget* link = ms::WidgetOf(dlg_.m_link.m_hWnd);
    link->repaint();
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(200, 0, 0));
    EXPECT_FALSE(link->autoFillBackground());
}

TEST_F(AfxControlsTest, FontsThroughTheFramework) {
    CFont font;
    LOGFONTW lf{};
    lf.lfHeight = -16;
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    dlg_.m_combo.SetFont(&font);
    ASSERT_TRUE(dlg_.m_combo.GetFont());
    EXPECT_EQ(dlg_.m_combo.GetFont()->GetSafeHandle(), font.GetSafeHandle());
    dlg_.DestroyWindow();
}

} // namespace
