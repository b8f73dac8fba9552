// The controls on a dialog made from a resource script: what the parent hears when the user
// works them (through real Qt input), what the messages and the scroll-bar functions answer,
// owner-drawn button states and the tooltips' tools.
#include "ControlsDialog.h"
#include "ControlsResource.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/TestSeams.h"

#include "tests/support/Mouse.h"
#include "tests/support/Pump.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QValidator>
#include <chrono>
#include <gtest/gtest.h>
#include <string>

using ctltest::Log;
using ctltest::NotesOf;

namespace {

using ms::test::Pump;
using ms::test::PumpUntil;
using ms::test::SendMouse;

void Click(QWidget* w, QPoint local) {
    SendMouse(w, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton);
    Pump();
}

std::u16string TextOf(HWND h) {
    WCHAR buf[256]{};
    GetWindowText(h, buf, 256);
    return buf;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        dlg_ = CreateDialogParam(nullptr, MAKEINTRESOURCE(IDD_CONTROLS), nullptr,
                                 ctltest::ControlsDlgProc, 0);
        ASSERT_TRUE(dlg_);
        ShowWindow(dlg_, SW_SHOW);
        Pump();
        Log().clear();
    }
    void TearDown() override {
        if (IsWindow(dlg_))
            DestroyWindow(dlg_);
        Pump();
    }
    HWND Item(int id) const { return GetDlgItem(dlg_, id); }
    template <class T> T* Widget(int id) const { return dynamic_cast<T*>(ms::WidgetOf(Item(id))); }
    HWND dlg_ = nullptr;
};

TEST_F(ControlsTest, EveryControlOfTheTemplateHasItsWidget) {
    EXPECT_TRUE(Widget<QSlider>(IDC_SLIDER));
    EXPECT_TRUE(Widget<QScrollBar>(IDC_SPINBAR));
    EXPECT_TRUE(Widget<QComboBox>(IDC_DEVICE));
    EXPECT_TRUE(Widget<QTabWidget>(IDC_TABS));
    EXPECT_TRUE(Widget<QPlainTextEdit>(IDC_NOTES));
    EXPECT_TRUE(Widget<QLineEdit>(IDC_WIDTH));
    // A drop-down list keeps its closed height; the template's height is its opened list's.
    RECT r;
    GetWindowRect(Item(IDC_DEVICE), &r);
    RECT t{0, 0, 0, 80};
    MapDialogRect(dlg_, &t);
    EXPECT_LT(r.bottom - r.top, t.bottom / 2);
    // The up-down sits at the right of its buddy (the control before it in the template).
    EXPECT_EQ(reinterpret_cast<HWND>(SendDlgItemMessage(dlg_, IDC_WIDTH_SPIN, UDM_GETBUDDY, 0, 0)),
              Item(IDC_WIDTH));
    RECT e, s;
    GetWindowRect(Item(IDC_WIDTH), &e);
    GetWindowRect(Item(IDC_WIDTH_SPIN), &s);
    EXPECT_EQ(s.left, e.right);
    EXPECT_EQ(TextOf(Item(IDC_WIDTH)), u"2");
}

TEST_F(ControlsTest, TrackbarDragReportsToTheParentWithItsId) {
    QSlider* s = Widget<QSlider>(IDC_SLIDER);
    ASSERT_TRUE(s);
    // A drag of the handle as Qt reports it: the slider held down, moved, let go.
    s->setSliderDown(true);
    s->setSliderPosition(70);
    s->setSliderDown(false);
    SendMouse(s, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
    Pump();
    auto scrolls = NotesOf(WM_HSCROLL, IDC_SLIDER);
    ASSERT_GE(scrolls.size(), 3u);
    EXPECT_EQ(scrolls[0].code, static_cast<UINT>(TB_THUMBTRACK));
    EXPECT_EQ(scrolls[0].pos, 70);
    EXPECT_EQ(scrolls[0].from, Item(IDC_SLIDER));
    bool position = false, end = false;
    for (const auto& n : scrolls) {
        position |= n.code == TB_THUMBPOSITION && n.pos == 70;
        end |= n.code == TB_ENDTRACK;
    }
    EXPECT_TRUE(position);
    EXPECT_TRUE(end);
    EXPECT_EQ(NotesOf(WM_NOTIFY, IDC_SLIDER).empty(), false);
    bool released = false;
    for (const auto& n : NotesOf(WM_NOTIFY, IDC_SLIDER))
        released |= n.code == static_cast<UINT>(NM_RELEASEDCAPTURE);
    EXPECT_TRUE(released);
    EXPECT_EQ(SendDlgItemMessage(dlg_, IDC_SLIDER, TBM_GETPOS, 0, 0), 70);
    EXPECT_EQ(TextOf(Item(IDC_SLIDER_VALUE)), u" 70");

    // Setting the position is no user action: nothing reaches the parent.
    Log().clear();
    SendDlgItemMessage(dlg_, IDC_SLIDER, TBM_SETPOS, TRUE, 10);
    EXPECT_TRUE(NotesOf(WM_HSCROLL).empty());
    // Every repaint is announced with NM_CUSTOMDRAW.
    s->repaint();
    bool custom = false;
    for (const auto& n : NotesOf(WM_NOTIFY, IDC_SLIDER))
        custom |= n.code == static_cast<UINT>(NM_CUSTOMDRAW);
    EXPECT_TRUE(custom);
}

TEST_F(ControlsTest, TrackbarKeysAndRange) {
    HWND h = Item(IDC_SLIDER);
    SendMessage(h, TBM_SETRANGEMIN, FALSE, 5);
    SendMessage(h, TBM_SETRANGEMAX, TRUE, 50);
    EXPECT_EQ(SendMessage(h, TBM_GETRANGEMIN, 0, 0), 5);
    EXPECT_EQ(SendMessage(h, TBM_GETRANGEMAX, 0, 0), 50);
    SendMessage(h, TBM_SETPOS, TRUE, 80);
    EXPECT_EQ(SendMessage(h, TBM_GETPOS, 0, 0), 50);
    Widget<QSlider>(IDC_SLIDER)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    auto n = NotesOf(WM_HSCROLL, IDC_SLIDER);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(TB_LINEUP));
    EXPECT_EQ(SendMessage(h, TBM_GETPOS, 0, 0), 49); // the parent sees the new position
    // A key steps it and ends the track when it comes up.
    Log().clear();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(Widget<QSlider>(IDC_SLIDER), &press);
    QApplication::sendEvent(Widget<QSlider>(IDC_SLIDER), &release);
    Pump();
    n = NotesOf(WM_HSCROLL, IDC_SLIDER);
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(TB_LINEDOWN));
    EXPECT_EQ(n[1].code, static_cast<UINT>(TB_ENDTRACK));
    EXPECT_EQ(SendMessage(h, TBM_GETPOS, 0, 0), 50);
    // A vertical trackbar (hidden by its template) reports with WM_VSCROLL.
    EXPECT_FALSE(IsWindowVisible(Item(IDC_VSLIDER)));
    Widget<QSlider>(IDC_VSLIDER)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    n = NotesOf(WM_VSCROLL, IDC_VSLIDER);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(TB_LINEDOWN));
}

TEST_F(ControlsTest, SpinBarClickGivesLineUpFromTheSpin) {
    QScrollBar* bar = Widget<QScrollBar>(IDC_SPINBAR);
    ASSERT_TRUE(bar);
    const int before = static_cast<int>(SendDlgItemMessage(dlg_, IDC_SLIDER, TBM_GETPOS, 0, 0));
    Click(bar, QPoint(bar->width() / 2, 2)); // the up arrow
    auto n = NotesOf(WM_VSCROLL, IDC_SPINBAR);
    ASSERT_GE(n.size(), 2u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(SB_LINEUP));
    EXPECT_EQ(n[0].from, Item(IDC_SPINBAR));
    EXPECT_EQ(n.back().code, static_cast<UINT>(SB_ENDSCROLL));
    EXPECT_EQ(SendDlgItemMessage(dlg_, IDC_SLIDER, TBM_GETPOS, 0, 0), before + 1);
    // A scroll bar leaves its thumb to the program.
    EXPECT_EQ(GetScrollPos(Item(IDC_SPINBAR), SB_CTL), 50);
    Log().clear();
    Click(bar, QPoint(bar->width() / 2, bar->height() - 2)); // the down arrow
    n = NotesOf(WM_VSCROLL, IDC_SPINBAR);
    ASSERT_FALSE(n.empty());
    EXPECT_EQ(n[0].code, static_cast<UINT>(SB_LINEDOWN));
}

TEST_F(ControlsTest, UpDownStepsItsBuddyWithinTheRange) {
    auto* spin = dynamic_cast<QWidget*>(ms::WidgetOf(Item(IDC_WIDTH_SPIN)));
    ASSERT_TRUE(spin);
    auto buttons = spin->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 2);
    QToolButton* up = buttons[0]->arrowType() == Qt::UpArrow ? buttons[0] : buttons[1];
    QToolButton* down = up == buttons[0] ? buttons[1] : buttons[0];
    up->click();
    Pump();
    EXPECT_EQ(TextOf(Item(IDC_WIDTH)), u"3");
    auto n = NotesOf(WM_NOTIFY, IDC_WIDTH_SPIN);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(UDN_DELTAPOS));
    EXPECT_EQ(n[0].pos, 1);
    auto v = NotesOf(WM_VSCROLL, IDC_WIDTH_SPIN);
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v[0].code, static_cast<UINT>(SB_THUMBPOSITION));
    EXPECT_EQ(v[0].pos, 3);
    EXPECT_FALSE(NotesOf(WM_COMMAND, IDC_WIDTH).empty()); // the buddy's EN_CHANGE
    // At the end of the range nothing moves and nothing is sent.
    Log().clear();
    up->click();
    Pump();
    EXPECT_EQ(TextOf(Item(IDC_WIDTH)), u"3");
    EXPECT_TRUE(NotesOf(WM_VSCROLL, IDC_WIDTH_SPIN).empty());
    // The buddy's number is the position.
    SetDlgItemInt(dlg_, IDC_WIDTH, 1, FALSE);
    EXPECT_EQ(LOWORD(SendDlgItemMessage(dlg_, IDC_WIDTH_SPIN, UDM_GETPOS, 0, 0)), 1);
    down->click();
    EXPECT_EQ(TextOf(Item(IDC_WIDTH)), u"1");
}

TEST_F(ControlsTest, EditsNotifyChangesAlsoWhenTheProgramSetsTheText) {
    SetDlgItemText(dlg_, IDC_WIDTH, u"12");
    auto n = NotesOf(WM_COMMAND, IDC_WIDTH);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(EN_CHANGE));
    SetDlgItemText(dlg_, IDC_WIDTH, u"12"); // the same text still notifies, as on Windows
    EXPECT_EQ(NotesOf(WM_COMMAND, IDC_WIDTH).size(), 2u);
    SetDlgItemInt(dlg_, IDC_WIDTH, 345, FALSE);
    BOOL ok = FALSE;
    EXPECT_EQ(GetDlgItemInt(dlg_, IDC_WIDTH, &ok, FALSE), 345u);
    EXPECT_TRUE(ok);
    // Number-only and limited fields.
    QLineEdit* e = Widget<QLineEdit>(IDC_WIDTH);
    QString typed = QStringLiteral("12a");
    int at = 3;
    EXPECT_EQ(e->validator()->validate(typed, at), QValidator::Invalid);
    SendDlgItemMessage(dlg_, IDC_WIDTH, EM_LIMITTEXT, 2, 0);
    EXPECT_EQ(e->maxLength(), 2);
    EXPECT_TRUE(Widget<QLineEdit>(IDC_SLIDER_VALUE)->isReadOnly());
    // Leaving the field tells the parent (where the display lets the dialog take the focus).
    SetFocus(Item(IDC_WIDTH));
    if (GetFocus() == Item(IDC_WIDTH)) {
        Log().clear();
        SetFocus(Item(IDC_NOTES));
        bool left = false;
        for (const auto& n : NotesOf(WM_COMMAND, IDC_WIDTH))
            left |= n.code == EN_KILLFOCUS;
        EXPECT_TRUE(left);
    }
    // Multi-line: Windows line ends in and out.
    SetDlgItemText(dlg_, IDC_NOTES, u"a\r\nb");
    EXPECT_EQ(Widget<QPlainTextEdit>(IDC_NOTES)->toPlainText(), QStringLiteral("a\nb"));
    EXPECT_EQ(TextOf(Item(IDC_NOTES)), u"a\r\nb");
    EXPECT_EQ(NotesOf(WM_COMMAND, IDC_NOTES).back().code, static_cast<UINT>(EN_CHANGE));
    SendDlgItemMessage(dlg_, IDC_NOTES, EM_LIMITTEXT, 3, 0);
    SetDlgItemText(dlg_, IDC_NOTES, u"abcdef");
    EXPECT_EQ(TextOf(Item(IDC_NOTES)), u"abc");
}

TEST_F(ControlsTest, ComboAndListBoxes) {
    HWND c = Item(IDC_DEVICE);
    EXPECT_EQ(SendMessage(c, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessage(c, CB_GETITEMDATA, 1, 0), 9);
    WCHAR buf[64]{};
    EXPECT_EQ(SendMessage(c, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(buf)), 11);
    EXPECT_EQ(std::u16string(buf), u"Test Source");
    EXPECT_EQ(SendMessage(c, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(buf)), CB_ERR);
    EXPECT_EQ(SendMessage(c, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_TRUE(NotesOf(WM_COMMAND, IDC_DEVICE).empty()); // the program's choice is silent
    // The user's choice notifies.
    emit Widget<QComboBox>(IDC_DEVICE)->activated(1);
    bool change = false;
    for (const auto& n : NotesOf(WM_COMMAND, IDC_DEVICE))
        change |= n.code == CBN_SELCHANGE;
    EXPECT_TRUE(change);
    SendMessage(c, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(c, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), CB_ERR);

    HWND l = Item(IDC_FILES);
    EXPECT_EQ(SendMessage(l, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessage(l, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(u"VIDEO-0001.AVI")),
              2);
    SendMessage(l, LB_SETITEMDATA, 2, 1234);
    EXPECT_EQ(SendMessage(l, LB_GETITEMDATA, 2, 0), 1234);
    EXPECT_EQ(SendMessage(l, LB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(NotesOf(WM_COMMAND, IDC_FILES).empty());
}

TEST_F(ControlsTest, AClosedComboListLeavesTheNextClickToTheControlUnderIt) {
    // The press on the combo box opens its list, a window of Qt's own that takes the release
    // and closes again; the next click belongs to the spin bar.
    auto* combo = Widget<QComboBox>(IDC_DEVICE);
    ASSERT_TRUE(combo);
    SendMouse(combo, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    Pump();
    QWidget* list = combo->view()->viewport();
    SendMouse(list, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
    combo->hidePopup();
    Pump();
    Log().clear();
    QScrollBar* bar = Widget<QScrollBar>(IDC_SPINBAR);
    ASSERT_TRUE(bar);
    Click(bar, QPoint(bar->width() / 2, 2));
    const auto n = NotesOf(WM_VSCROLL, IDC_SPINBAR);
    ASSERT_FALSE(n.empty());
    EXPECT_EQ(n[0].code, static_cast<UINT>(SB_LINEUP));
}

TEST_F(ControlsTest, RadioGroupsFollowTheTemplateGroups) {
    EXPECT_EQ(IsDlgButtonChecked(dlg_, IDC_MM), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg_, IDC_DEC3), BST_CHECKED);
    ASSERT_TRUE(Widget<QAbstractButton>(IDC_CM));
    Widget<QAbstractButton>(IDC_CM)->click();
    EXPECT_EQ(IsDlgButtonChecked(dlg_, IDC_MM), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg_, IDC_CM), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg_, IDC_DEC3), BST_CHECKED); // another group
    auto n = NotesOf(WM_COMMAND, IDC_CM);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(BN_CLICKED));
    CheckRadioButton(dlg_, IDC_MM, IDC_INCH, IDC_INCH);
    EXPECT_EQ(IsDlgButtonChecked(dlg_, IDC_CM), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg_, IDC_INCH), BST_CHECKED);
    EXPECT_EQ(NotesOf(WM_COMMAND, IDC_INCH).size(), 0u);
    // An automatic check box toggles itself.
    Widget<QAbstractButton>(IDC_MIRROR)->click();
    EXPECT_EQ(IsDlgButtonChecked(dlg_, IDC_MIRROR), BST_CHECKED);
}

TEST_F(ControlsTest, TabControlPagesAndSelectionChange) {
    HWND t = Item(IDC_TABS);
    EXPECT_EQ(SendMessage(t, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessage(t, TCM_SETCURSEL, 1, 0), 0);
    EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(NotesOf(WM_NOTIFY, IDC_TABS).empty());
    WCHAR buf[32]{};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = 32;
    ASSERT_TRUE(SendMessage(t, TCM_GETITEM, 1, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(std::u16string(buf), u"Pen setting");
    Widget<QTabWidget>(IDC_TABS)->setCurrentIndex(0); // as a click on the first tab
    auto n = NotesOf(WM_NOTIFY, IDC_TABS);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(TCN_SELCHANGE));
}

TEST_F(ControlsTest, OwnerDrawnButtonStates) {
    HWND b = Item(IDC_OWNER);
    EXPECT_EQ(ms::WidgetOf(b) != nullptr, true);
    InvalidateRect(b, nullptr, TRUE);
    UpdateWindow(b);
    auto d = NotesOf(WM_DRAWITEM, IDC_OWNER);
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(d.back().code, static_cast<UINT>(ODT_BUTTON));
    EXPECT_EQ(d.back().pos & (ODS_SELECTED | ODS_DISABLED), 0);

    SendMessage(b, BM_SETSTATE, TRUE, 0);
    UpdateWindow(b);
    EXPECT_TRUE(NotesOf(WM_DRAWITEM, IDC_OWNER).back().pos & ODS_SELECTED);
    SendMessage(b, BM_SETSTATE, FALSE, 0);

    EnableWindow(b, FALSE);
    InvalidateRect(b, nullptr, TRUE);
    UpdateWindow(b);
    EXPECT_TRUE(NotesOf(WM_DRAWITEM, IDC_OWNER).back().pos & ODS_DISABLED);
    EnableWindow(b, TRUE);

    SetFocus(b);
    InvalidateRect(b, nullptr, TRUE);
    UpdateWindow(b);
    if (GetFocus() == b) { // focus needs an active window, which some displays refuse
        EXPECT_TRUE(NotesOf(WM_DRAWITEM, IDC_OWNER).back().pos & ODS_FOCUS);
    }

    // A press and release over it is a click; a release outside is none.
    Log().clear();
    SendMessage(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    UpdateWindow(b);
    EXPECT_TRUE(NotesOf(WM_DRAWITEM, IDC_OWNER).back().pos & ODS_SELECTED);
    SendMessage(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(NotesOf(WM_COMMAND, IDC_OWNER).size(), 1u);
    EXPECT_EQ(NotesOf(WM_COMMAND, IDC_OWNER)[0].code, static_cast<UINT>(BN_CLICKED));
    SendMessage(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessage(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 5));
    SendMessage(b, WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
    EXPECT_EQ(NotesOf(WM_COMMAND, IDC_OWNER).size(), 1u);
}

TEST_F(ControlsTest, WindowScrollBarTakesRoomAndNotifiesTheWindow) {
    HWND strip = Item(IDC_STRIP);
    RECT wr, cr;
    GetWindowRect(strip, &wr);
    GetClientRect(strip, &cr);
    const int border = 1;
    EXPECT_EQ(cr.bottom, (wr.bottom - wr.top) - 2 * border - GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_TRUE(GetWindowLong(strip, GWL_STYLE) & WS_HSCROLL);
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(strip, SB_HORZ, &si));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 9);
    EXPECT_EQ(si.nPage, 6u);
    EXPECT_EQ(si.nPos, 0);

    // The bar's right arrow: WM_HSCROLL to the strip itself, lParam 0.
    QScrollBar* bar = nullptr;
    for (QScrollBar* b : ms::WidgetOf(strip)->findChildren<QScrollBar*>())
        bar = b;
    ASSERT_TRUE(bar);
    Click(bar, QPoint(bar->width() - 3, bar->height() / 2));
    auto n = NotesOf(WM_HSCROLL, 0);
    ASSERT_FALSE(n.empty());
    EXPECT_EQ(n[0].code, static_cast<UINT>(SB_LINERIGHT));
    EXPECT_EQ(n[0].from, nullptr);
    EXPECT_EQ(ctltest::StripFirst(), 1);
    EXPECT_EQ(GetScrollPos(strip, SB_HORZ), 1);

    // The position stays within max - page + 1; SetScrollPos answers the old one.
    EXPECT_EQ(SetScrollPos(strip, SB_HORZ, 50, TRUE), 1);
    EXPECT_EQ(GetScrollPos(strip, SB_HORZ), 4);
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(strip, SB_HORZ, &si);
    EXPECT_EQ(si.nTrackPos, 4);

    // Without more than a page the bar goes (its room comes back), unless it is kept.
    SCROLLINFO small{sizeof(si), SIF_RANGE | SIF_PAGE, 0, 5, 6, 0, 0};
    SetScrollInfo(strip, SB_HORZ, &small, TRUE);
    GetClientRect(strip, &cr);
    EXPECT_EQ(cr.bottom, (wr.bottom - wr.top) - 2 * border);
    EXPECT_FALSE(GetWindowLong(strip, GWL_STYLE) & WS_HSCROLL);
    small.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(strip, SB_HORZ, &small, TRUE);
    EXPECT_TRUE(GetWindowLong(strip, GWL_STYLE) & WS_HSCROLL);
    EXPECT_FALSE(bar->isEnabled());
    ShowScrollBar(strip, SB_HORZ, FALSE);
    EXPECT_FALSE(GetWindowLong(strip, GWL_STYLE) & WS_HSCROLL);
    ShowScrollBar(strip, SB_HORZ, TRUE);
    EnableScrollBar(strip, SB_HORZ, ESB_DISABLE_BOTH);
    EXPECT_FALSE(bar->isEnabled());
    // The bar follows the window when the program resizes it, as the file lists are.
    RECT pr = wr;
    MapWindowPoints(nullptr, dlg_, reinterpret_cast<POINT*>(&pr), 2);
    MoveWindow(strip, pr.left, pr.top, 300, 120, TRUE);
    GetClientRect(strip, &cr);
    EXPECT_EQ(cr.right, 300 - 2 * border);
    EXPECT_EQ(cr.bottom, 120 - 2 * border - GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_EQ(bar->geometry(),
              QRect(border, border + cr.bottom, cr.right, GetSystemMetrics(SM_CYHSCROLL)));
    // A window that never had a bar answers an empty range.
    int lo = -1, hi = -1;
    EXPECT_TRUE(GetScrollRange(dlg_, SB_VERT, &lo, &hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
}

TEST_F(ControlsTest, ScrollBarControlKeepsTheWindowsState) {
    HWND h = Item(IDC_HSCROLL);
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(h, SB_CTL, &si));
    EXPECT_EQ(si.nMax, 50);
    EXPECT_EQ(si.nPage, 10u);
    EXPECT_EQ(si.nPos, 20);
    SetScrollRange(h, SB_CTL, 0, 30, TRUE);
    EXPECT_EQ(GetScrollPos(h, SB_CTL), 20);
    SetScrollPos(h, SB_CTL, -5, TRUE);
    EXPECT_EQ(GetScrollPos(h, SB_CTL), 0);
    auto* bar = Widget<QScrollBar>(IDC_HSCROLL);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    auto n = NotesOf(WM_HSCROLL, IDC_HSCROLL);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(SB_PAGERIGHT));
    EXPECT_EQ(bar->value(), 0); // until the program moves it
    // The wheel steps by lines.
    Log().clear();
    bar->triggerAction(QAbstractSlider::SliderMove);
    bar->setSliderPosition(3);
    n = NotesOf(WM_HSCROLL, IDC_HSCROLL);
    ASSERT_FALSE(n.empty());
    EXPECT_EQ(n.back().code, static_cast<UINT>(SB_LINERIGHT));
    EXPECT_EQ(bar->value(), 0);
    // Dragging the thumb: SB_THUMBTRACK while it moves, then SB_THUMBPOSITION and the end.
    Log().clear();
    bar->setSliderDown(true);
    bar->setSliderPosition(12);
    bar->setSliderDown(false);
    n = NotesOf(WM_HSCROLL, IDC_HSCROLL);
    ASSERT_EQ(n.size(), 3u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(SB_THUMBTRACK));
    EXPECT_EQ(n[0].pos, 12);
    EXPECT_EQ(n[1].code, static_cast<UINT>(SB_THUMBPOSITION));
    EXPECT_EQ(n[1].pos, 12);
    EXPECT_EQ(n[2].code, static_cast<UINT>(SB_ENDSCROLL));
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(ControlsTest, ToolTipsAddDeleteAndCount) {
    HWND tip = ctltest::ToolTipOf(dlg_);
    ASSERT_TRUE(IsWindow(tip));
    EXPECT_FALSE(IsWindowVisible(tip) && ms::WidgetOf(tip)->isVisible());
    EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 2);
    TOOLINFOW ti{};
    ti.cbSize = 44;
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = Item(IDC_OWNER);
    ti.uId = IDC_OWNER;
    ti.lpszText = const_cast<LPWSTR>(u"again");
    EXPECT_FALSE(SendMessage(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
    ti.lpszText = const_cast<LPWSTR>(u"New text");
    SendMessage(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessage(tip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 100);
    SendMessage(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(100, 100));
    MSG m{Item(IDC_OWNER), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3), 0, {0, 0}};
    SendMessage(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
    SendMessage(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    SendMessage(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti)); // unknown: nothing
    EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    // A tool window may go before its tool; the tooltip survives it.
    DestroyWindow(Item(IDOK));
    Pump();
    EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(ControlsTest, ToolTipShowsOverASubclassedToolUntilAClick) {
    HWND tip = ctltest::ToolTipOf(dlg_);
    SendMessage(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
    // The owner-drawn button is a surface the program paints: its mouse messages reach the
    // tooltip through the procedure put in front of its own.
    QWidget* owner = ms::WidgetOf(Item(IDC_OWNER));
    SendMouse(owner, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::NoButton);
    ASSERT_TRUE(PumpUntil([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("An owner-drawn button"));
    TOOLINFOW ti{};
    ti.cbSize = 44;
    ti.hwnd = Item(IDC_OWNER);
    ti.uId = IDC_OWNER;
    ti.lpszText = const_cast<LPWSTR>(u"Renamed");
    SendMessage(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Renamed"));
    SendMouse(owner, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    SendMouse(owner, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(PumpUntil([] { return !QToolTip::isVisible(); }));
    EXPECT_EQ(NotesOf(WM_COMMAND, IDC_OWNER).size(), 1u); // the button still works
    // A deactivated tooltip shows nothing.
    SendMessage(tip, TTM_ACTIVATE, FALSE, 0);
    SendMouse(owner, QEvent::MouseMove, QPoint(6, 6), Qt::NoButton, Qt::NoButton);
    Pump();
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(ControlsTest, CtlColorAndFonts) {
    // The link's parent asks for blue text on a hollow brush: the label shows the dialog.
    QWidget* link = ms::WidgetOf(Item(IDC_LINK));
    link->repaint();
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 238));
    EXPECT_FALSE(link->autoFillBackground());
    // A static whose parent answers with the defaults keeps the native look.
    QWidget* label = ms::WidgetOf(Item(IDC_BRIGHT_LABEL));
    label->repaint();
    EXPECT_EQ(label->palette().color(QPalette::WindowText),
              label->style()->standardPalette().color(QPalette::WindowText));

    // A disabled control keeps its greyed text.
    EnableWindow(Item(IDC_BRIGHT_LABEL), FALSE);
    label->repaint();
    EXPECT_NE(label->palette().color(QPalette::Disabled, QPalette::WindowText),
              label->palette().color(QPalette::Active, QPalette::WindowText));

    LOGFONTW lf{};
    lf.lfHeight = -20;
    lf.lfWeight = FW_BOLD;
    std::u16string face = u"Arial";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    HFONT f = CreateFontIndirectW(&lf);
    SendMessage(Item(IDC_MIRROR), WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessage(Item(IDC_MIRROR), WM_GETFONT, 0, 0)), f);
    EXPECT_EQ(ms::WidgetOf(Item(IDC_MIRROR))->font().pixelSize(), 20);
    EXPECT_TRUE(ms::WidgetOf(Item(IDC_MIRROR))->font().bold());
    DestroyWindow(dlg_);
    DeleteObject(f);
}

TEST_F(ControlsTest, StaticNotifiesClicksOnlyWithSsNotify) {
    SendMessage(Item(IDC_LINK), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    auto n = NotesOf(WM_COMMAND, IDC_LINK);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].code, static_cast<UINT>(STN_CLICKED));
    SendMessage(Item(IDC_BRIGHT_LABEL), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(NotesOf(WM_COMMAND, IDC_BRIGHT_LABEL).empty());
    EXPECT_EQ(SendMessage(Item(IDC_BRIGHT_LABEL), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
}

// An owner-drawn static is a surface that its parent paints on WM_DRAWITEM (or a subclass that
// takes WM_PAINT itself), keeping the static's mouse transparency.
TEST_F(ControlsTest, OwnerDrawnStaticIsPaintedByItsParent) {
    constexpr int kId = 4321;
    HWND s = CreateWindowEx(0, u"Static", u"prompt", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 5, 5,
                            60, 40, dlg_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId)),
                            nullptr, nullptr);
    ASSERT_TRUE(s);
    InvalidateRect(s, nullptr, TRUE);
    UpdateWindow(s);
    auto d = NotesOf(WM_DRAWITEM, kId);
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(d.back().code, static_cast<UINT>(ODT_STATIC));
    EXPECT_EQ(ms::test::SurfacePicture(s).size(), QSize(60, 40));
    EXPECT_EQ(TextOf(s), u"prompt");
    EXPECT_EQ(SendMessage(s, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
}

} // namespace
