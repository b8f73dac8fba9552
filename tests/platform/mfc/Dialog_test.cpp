// The framework over the window layer: pre-translation order and swallowing, message maps,
// modal and modeless dialogs, self-deleting windows, Enter/Esc, data exchange and
// validation, the system menu. Input is fed as Qt events, as the real platform sends it.
#include "tests/platform/win/window/TestResource.h"

#include "platform/capture/DeviceNotifier.h"
#include "platform/capture/Poster.h"
#include "platform/capture/SyntheticCamera.h"
#include "platform/mfc/AfxWin.h"
#include "platform/mfc/TempObjects.h"
#include "platform/win/gdi/Surface.h"
#include "platform/win/window/TestSeams.h"

// The window layer's internals, which this test checks.
#include "window/WindowObject.h"

#include "tests/support/Pump.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using ms::test::Pump;
using ms::test::PumpUntil;

std::vector<std::string> g_log;

void Log(const std::string& who, UINT msg = 0) {
    char buf[64];
    if (msg)
        std::snprintf(buf, sizeof buf, "%s %04x", who.c_str(), msg);
    else
        std::snprintf(buf, sizeof buf, "%s", who.c_str());
    g_log.emplace_back(buf);
}

QPoint Local(HWND hwnd, POINT client) {
    ms::WindowObject* w = ms::FromHandle(hwnd);
    return QPoint(client.x + w->ClientInset(), client.y + w->ClientInset());
}

void Mouse(HWND target, QEvent::Type type, Qt::MouseButton button, POINT client) {
    QWidget* widget = ms::WidgetOf(target);
    const QPoint local = Local(target, client);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, local, widget->mapToGlobal(local), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &e);
}

void Click(HWND target, Qt::MouseButton button = Qt::LeftButton, POINT client = {10, 10}) {
    Mouse(target, QEvent::MouseButtonPress, button, client);
    Mouse(target, QEvent::MouseButtonRelease, button, client);
}

void Key(HWND target, int key, const QString& text = QString()) {
    QWidget* widget = ms::WidgetOf(target);
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &up);
}

constexpr UINT WM_PING = WM_APP + 5;

class CCanvas : public CWnd {
public:
    std::function<void()> onClick;
    Qt::HANDLE pingThread = nullptr;
    BOOL PreTranslateMessage(MSG* m) override {
        Log("canvas:PT", m->message);
        if (m->message == WM_RBUTTONDOWN)
            return TRUE; // swallowed
        return CWnd::PreTranslateMessage(m);
    }

protected:
    afx_msg void OnLButtonDown(UINT, CPoint p) {
        Log("canvas:down " + std::to_string(p.x) + "," + std::to_string(p.y));
        if (onClick)
            onClick();
    }
    afx_msg void OnRButtonDown(UINT, CPoint) { Log("canvas:rdown"); }
    afx_msg void OnTimer(UINT_PTR id) {
        Log("canvas:timer " + std::to_string(id));
        KillTimer(id);
    }
    afx_msg LRESULT OnPing(WPARAM, LPARAM) {
        Log("canvas:ping");
        pingThread = QThread::currentThreadId();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCanvas, CWnd)
ON_WM_LBUTTONDOWN()
ON_WM_RBUTTONDOWN()
ON_WM_TIMER()
ON_MESSAGE(WM_PING, OnPing)
END_MESSAGE_MAP()

class CTestDlg : public CDialog {
public:
    explicit CTestDlg(CWnd* parent = nullptr) : CDialog(IDD_TEST, parent) {}
    int m_value = 5;
    int m_enabled = 1;
    CString m_label = u"Val:";
    CCanvas m_canvas;
    std::vector<UINT> sysCommands;

    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_CANVAS, m_canvas);
        DDX_Text(dx, IDC_VALUE, m_value);
        DDV_MinMaxInt(dx, m_value, 1, 100);
        DDX_Check(dx, IDC_ENABLED, m_enabled);
        DDX_Text(dx, IDC_LABEL, m_label);
        DDV_MaxChars(dx, m_label, 10);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        Log("dlg:init");
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* m) override {
        Log("dlg:PT", m->message);
        return CDialog::PreTranslateMessage(m);
    }

protected:
    afx_msg void OnSysCommand(UINT id, LPARAM lp) {
        sysCommands.push_back(id);
        CDialog::OnSysCommand(id, lp);
    }
    afx_msg void OnEnabledClicked() { Log("dlg:checkbox"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_BN_CLICKED(IDC_ENABLED, OnEnabledClicked)
END_MESSAGE_MAP()

class CTracedFrame : public CFrameWnd {
public:
    explicit CTracedFrame(bool* deleted) : deleted_(deleted) {}
    ~CTracedFrame() override {
        if (deleted_)
            *deleted_ = true;
    }
    BOOL PreTranslateMessage(MSG* m) override {
        Log("frame:PT", m->message);
        return FALSE;
    }

private:
    bool* deleted_;
};

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        static bool registered = [] {
            WNDCLASSW wc{};
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = DefWindowProc;
            wc.lpszClassName = u"TestCanvas";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        g_log.clear();
    }
    void TearDown() override { Pump(); }
};

std::vector<std::string> Without(const std::vector<std::string>& log, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& s : log)
        if (s.rfind(prefix, 0) != 0)
            out.push_back(s);
    return out;
}

TEST_F(FrameworkTest, QueuedMessagesPassPreTranslationInOrderAndTrueSwallows) {
    CTestDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    ASSERT_NE(dlg.m_canvas.m_hWnd, nullptr); // DDX_Control subclassed it
    HWND canvas = dlg.m_canvas.m_hWnd;
    g_log.clear();

    Click(canvas, Qt::LeftButton, {12, 7});
    std::vector<std::string> expect = {"canvas:PT 0201", "dlg:PT 0201", "canvas:down 12,7",
                                       "canvas:PT 0202", "dlg:PT 0202"};
    EXPECT_EQ(g_log, expect);

    g_log.clear();
    Click(canvas, Qt::RightButton);
    expect = {"canvas:PT 0204", "canvas:PT 0205",
              "dlg:PT 0205"}; // the press never reaches the handler
    EXPECT_EQ(g_log, expect);

    g_log.clear();
    dlg.m_canvas.SetTimer(3, 10);
    dlg.m_canvas.PostMessage(WM_PING);
    ASSERT_TRUE(PumpUntil([] { return g_log.size() >= 6; }));
    expect = {"canvas:PT 8005", "dlg:PT 8005", "canvas:ping",
              "canvas:PT 0113", "dlg:PT 0113", "canvas:timer 3"};
    EXPECT_EQ(g_log, expect);

    // Keys go to the focus; the edit has no object of its own, so the dialog sees them first.
    g_log.clear();
    HWND edit = ::GetDlgItem(dlg.m_hWnd, IDC_VALUE);
    ::SetFocus(edit);
    Key(edit, Qt::Key_7, QStringLiteral("7"));
    expect = {"dlg:PT 0100", "dlg:PT 0102", "dlg:PT 0101"};
    EXPECT_EQ(g_log, expect);
    dlg.DestroyWindow();
    EXPECT_FALSE(::IsWindow(canvas));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

// A main dialog that does its input work in pre-translation: hot-key tables translated for
// every message, Esc and Enter swallowed, a one-shot reconnect timer taken there.
class CHookDlg : public CDialog {
public:
    CHookDlg() : CDialog(IDD_TEST) {}
    HACCEL m_f2 = nullptr, m_f10 = nullptr;
    std::vector<WPARAM> hits;
    std::vector<UINT> commands;
    int reconnects = 0;
    Qt::HANDLE pingThread = nullptr;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_f2 = ::LoadAccelerators(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDR_ACCEL));
        m_f10 = ::LoadAccelerators(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDR_ACCEL_F10));
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* m) override {
        if (::TranslateAccelerator(m_hWnd, m_f2, m))
            hits.push_back(m->wParam);
        if (::TranslateAccelerator(m_hWnd, m_f10, m))
            hits.push_back(m->wParam);
        if (m->message == WM_TIMER && m->hwnd == m_hWnd && m->wParam == 1001) {
            KillTimer(1001);
            ++reconnects;
        }
        if (m->message == WM_KEYDOWN && (m->wParam == VK_ESCAPE || m->wParam == VK_RETURN))
            return TRUE;
        return CDialog::PreTranslateMessage(m);
    }
    BOOL OnCommand(WPARAM wp, LPARAM lp) override {
        if (LOWORD(wp) == ID_HOTKEY || LOWORD(wp) == ID_HOTKEY_F10)
            commands.push_back(LOWORD(wp));
        return CDialog::OnCommand(wp, lp);
    }

protected:
    afx_msg LRESULT OnPing(WPARAM, LPARAM) {
        pingThread = QThread::currentThreadId();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHookDlg, CDialog)
ON_MESSAGE(WM_PING, OnPing)
END_MESSAGE_MAP()

TEST_F(FrameworkTest, AModalMainDialogTakesHotKeysTimersAndPostsInItsPreTranslation) {
    CHookDlg dlg;
    bool openAfterKeys = false;
    std::u16string editText;
    ms::test::AnswerDialog(IDD_TEST, [&](HWND h) {
        HWND edit = ::GetDlgItem(h, IDC_VALUE);
        ::SetDlgItemText(h, IDC_VALUE, u"");
        ::SetFocus(edit);
        // F2 arrives as WM_KEYDOWN, F10 as WM_SYSKEYDOWN; both tables hit with the focus in
        // a control, and the swallowed Esc and Enter neither end the dialog nor type.
        Key(edit, Qt::Key_F2);
        Key(edit, Qt::Key_F10);
        Key(edit, Qt::Key_Escape, QStringLiteral("\x1b"));
        Key(edit, Qt::Key_Return, QStringLiteral("\r"));
        openAfterKeys = ::IsWindow(h) && ms::InModalLoop(h);
        WCHAR buf[16];
        ::GetDlgItemText(h, IDC_VALUE, buf, 16);
        editText = buf;
        // A timer restarted again and again expires once.
        for (int i = 0; i < 3; ++i)
            dlg.SetTimer(1001, 10);
        PumpUntil([&] { return dlg.reconnects >= 1; });
        Pump();
        // While a dialog opened from here runs, the owner's timer still reaches the owner's
        // pre-translation, and so does a message posted from another thread.
        ms::test::AnswerDialog(IDD_SMALL, [&](HWND) {
            dlg.SetTimer(1001, 10);
            std::thread worker([&] { ::PostMessage(h, WM_PING, 0, 0); });
            worker.join();
            PumpUntil([&] { return dlg.reconnects >= 2 && dlg.pingThread; });
        });
        CDialog small(IDD_SMALL, &dlg);
        small.DoModal();
        dlg.EndDialog(77);
    });
    EXPECT_EQ(dlg.DoModal(), 77);
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(editText, u"");
    EXPECT_EQ(dlg.hits, (std::vector<WPARAM>{VK_F2, VK_F10}));
    EXPECT_EQ(dlg.commands, (std::vector<UINT>{ID_HOTKEY, ID_HOTKEY_F10}));
    EXPECT_EQ(dlg.reconnects, 2);
    EXPECT_EQ(dlg.pingThread, QThread::currentThreadId());
}

TEST_F(FrameworkTest, AMessagePostedFromAWorkerArrivesOnTheUiThread) {
    CTestDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    HWND canvas = dlg.m_canvas.m_hWnd;
    std::thread worker([canvas] { ::PostMessage(canvas, WM_PING, 0, 0); });
    worker.join();
    ASSERT_TRUE(PumpUntil([&] { return dlg.m_canvas.pingThread != nullptr; }));
    EXPECT_EQ(dlg.m_canvas.pingThread, QThread::currentThreadId());
}

TEST_F(FrameworkTest, AModalDialogOpenedFromAMouseHandlerRunsAndReturns) {
    bool frameDeleted = false;
    auto* frame = new CTracedFrame(&frameDeleted);
    ASSERT_TRUE(frame->Create(nullptr, u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              CRect(10, 10, 400, 300)));
    CTestDlg dlg(frame);
    ASSERT_TRUE(dlg.Create(IDD_TEST, frame));
    INT_PTR result = 0;
    bool ownerEnabledInside = true;
    dlg.m_canvas.onClick = [&] {
        Log("handler:open");
        ms::test::AnswerDialog(IDD_SMALL, [&](HWND small) {
            ownerEnabledInside = ::IsWindowEnabled(dlg.m_hWnd);
            g_log.clear();
            // While the modal loop runs, pre-translation stops at the modal dialog: its
            // owners do not see the message.
            ::PostMessage(small, WM_PING, 0, 0);
            Pump();
            Log("script:posted");
            Key(::GetDlgItem(small, IDCANCEL), Qt::Key_Escape, QStringLiteral("\x1b"));
        });
        CDialog small(IDD_SMALL, &dlg);
        result = small.DoModal();
        Log("handler:returned");
    };
    g_log.clear();
    Click(dlg.m_canvas.m_hWnd);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(::IsWindowEnabled(dlg.m_hWnd));
    std::vector<std::string> expect = {"script:posted", "handler:returned"};
    EXPECT_EQ(Without(Without(g_log, "canvas:PT 0202"), "dlg:PT 0202"), expect);
    // Without a modal loop the walk goes up the owners to the frame.
    g_log.clear();
    dlg.PostMessage(WM_PING);
    Pump();
    expect = {"dlg:PT 8005", "frame:PT 8005"};
    EXPECT_EQ(g_log, expect);
    ASSERT_EQ(ms::test::ShownLog().size(), 1u);
    EXPECT_FALSE(ms::test::ShownLog()[0].leftOpen);
    dlg.DestroyWindow();
    frame->SendMessage(WM_CLOSE);
    EXPECT_TRUE(frameDeleted);
}

TEST_F(FrameworkTest, AModelessWindowDeletesItselfAndItsHandleDies) {
    bool deleted = false;
    auto* frame = new CTracedFrame(&deleted);
    ASSERT_TRUE(frame->Create(nullptr, u"Self", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100)));
    HWND h = frame->m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(h), frame);
    ::PostMessage(h, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

TEST_F(FrameworkTest, EnterAndEscEndAnOrdinaryDialog) {
    struct Case {
        int key;
        const char* text;
        INT_PTR result;
    } cases[] = {{Qt::Key_Return, "\r", IDOK}, {Qt::Key_Escape, "\x1b", IDCANCEL}};
    for (const Case& c : cases) {
        CTestDlg dlg;
        ms::test::AnswerDialog(IDD_TEST, [&](HWND h) {
            HWND edit = ::GetDlgItem(h, IDC_VALUE);
            ::SetDlgItemText(h, IDC_VALUE, u"64");
            ::SetFocus(edit);
            Key(edit, c.key, QString::fromLatin1(c.text));
        });
        EXPECT_EQ(dlg.DoModal(), c.result);
        EXPECT_EQ(dlg.m_value, c.result == IDOK ? 64 : 5);
        EXPECT_EQ(dlg.m_hWnd, nullptr);
        EXPECT_FALSE(ms::test::ShownLog().back().leftOpen);
    }
}

TEST_F(FrameworkTest, ValidationKeepsTheDialogOpenAndFocusesTheField) {
    CTestDlg dlg;
    bool openAfterBadValue = false;
    bool focusOnField = false;
    ms::test::AnswerMessageBox(IDOK);
    ms::test::AnswerMessageBox(IDOK);
    ms::test::AnswerDialog(IDD_TEST, [&](HWND h) {
        HWND edit = ::GetDlgItem(h, IDC_VALUE);
        ::SetDlgItemText(h, IDC_VALUE, u"500");
        ::SetFocus(::GetDlgItem(h, IDC_ENABLED));
        ::SendMessage(::GetDlgItem(h, IDOK), BM_CLICK, 0, 0);
        openAfterBadValue = ::IsWindow(h) && ms::InModalLoop(h);
        focusOnField = ::GetFocus() == edit;
        ::SetDlgItemText(h, IDC_VALUE, u"abc");
        ::SendMessage(::GetDlgItem(h, IDOK), BM_CLICK, 0, 0);
        ::SetDlgItemText(h, IDC_VALUE, u" 42 ");
        ::CheckDlgButton(h, IDC_ENABLED, BST_UNCHECKED);
        ::SendMessage(::GetDlgItem(h, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(openAfterBadValue);
    EXPECT_TRUE(focusOnField);
    EXPECT_EQ(dlg.m_value, 42);
    EXPECT_EQ(dlg.m_enabled, 0);
    EXPECT_EQ(dlg.m_label, u"Val:");
    const auto& shown = ms::test::ShownLog();
    ASSERT_EQ(shown.size(), 3u); // the dialog, then two message boxes inside it
    EXPECT_EQ(shown[0].kind, ms::test::Shown::Dialog);
    EXPECT_EQ(shown[0].result, IDOK);
    EXPECT_EQ(shown[1].kind, ms::test::Shown::MessageBox);
    EXPECT_EQ(shown[1].text, u"Please enter an integer between 1 and 100.");
    EXPECT_EQ(shown[1].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(shown[2].text, u"Please enter an integer.");
}

TEST_F(FrameworkTest, ControlNotificationsAndTheSystemMenu) {
    CTestDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    dlg.SendDlgItemMessage(IDC_ENABLED, BM_CLICK);
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "dlg:checkbox"), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_ENABLED),
              static_cast<UINT>(BST_UNCHECKED)); // it was checked by DDX

    CMenu* sys = dlg.GetSystemMenu(FALSE);
    ASSERT_NE(sys, nullptr);
    const int before = sys->GetMenuItemCount();
    sys->AppendMenu(MF_SEPARATOR);
    sys->AppendMenu(MF_STRING, 16, u"&About...");
    EXPECT_EQ(sys->GetMenuItemCount(), before + 2);
    CString text;
    sys->GetMenuString(16, text, MF_BYCOMMAND);
    EXPECT_EQ(text, u"&About...");
    dlg.ShowWindow(SW_SHOW);
    dlg.SendMessage(WM_SYSCOMMAND, 16);
    dlg.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_TRUE(dlg.IsIconic());
    dlg.SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_FALSE(dlg.IsIconic());
    const std::vector<UINT> expect = {16, SC_MINIMIZE, SC_RESTORE};
    EXPECT_EQ(dlg.sysCommands, expect);
    // The window manager's close button is Cancel for a dialog.
    dlg.SendMessage(WM_CLOSE);
    Pump();
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd)); // a modeless dialog's EndDialog only hides it
    EXPECT_FALSE(dlg.IsWindowVisible());
    dlg.DestroyWindow();
}

class CPainted : public CWnd {
public:
    int paints = 0;

protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        ++paints;
        CBrush blue(RGB(0, 0, 255));
        CRect r;
        GetClientRect(&r);
        dc.FillRect(&r, &blue);
        CPen pen(PS_SOLID, 1, RGB(255, 255, 0));
        CPen* old = dc.SelectObject(&pen);
        dc.MoveTo(0, 5);
        dc.LineTo(20, 5);
        dc.SelectObject(old);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPainted, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

TEST_F(FrameworkTest, PaintAndClientDCsDrawIntoTheWindow) {
    bool deleted = false;
    auto* frame = new CTracedFrame(&deleted);
    ASSERT_TRUE(frame->Create(nullptr, u"Paint", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 80)));
    CPainted child;
    ASSERT_TRUE(child.Create(nullptr, u"", WS_VISIBLE, CRect(10, 10, 50, 40), frame, 7));
    EXPECT_EQ(frame->GetDlgItem(7), &child);
    child.Invalidate(FALSE);
    child.UpdateWindow();
    EXPECT_EQ(child.paints, 1);
    const QImage& img = ms::FromHandle(child.m_hWnd)->surface->Image();
    EXPECT_EQ(QColor(img.pixel(3, 20)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(img.pixel(3, 5)), QColor(255, 255, 0));
    EXPECT_EQ(QColor(img.pixel(20, 5)), QColor(0, 0, 255)); // LineTo leaves out the end pixel
    {
        CClientDC dc(&child);
        dc.FillSolidRect(0, 0, 2, 2, RGB(9, 9, 9));
    }
    EXPECT_EQ(QColor(img.pixel(1, 1)), QColor(9, 9, 9));
    frame->DestroyWindow();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(child.m_hWnd, nullptr);
}

// A handler saves the old pen, draws 40 shapes each with its own pen and restores the old pen:
// every old pen the framework handed back stays valid until the handler returned and the loop
// went idle, and then the temporaries are gone.
class CManyPens : public CWnd {
public:
    int valid = 0;
    std::size_t tempsInHandler = 0;

protected:
    afx_msg LRESULT OnPing(WPARAM, LPARAM) {
        CClientDC dc(this);
        CPen pens[40];
        std::vector<std::pair<CPen*, HGDIOBJ>> olds; // what came back, what it must hold
        HGDIOBJ expected = ::GetStockObject(BLACK_PEN);
        for (int i = 0; i < 40; ++i) {
            pens[i].CreatePen(PS_SOLID, 1, RGB(i * 6, 0, 0));
            olds.emplace_back(dc.SelectObject(&pens[i]), expected);
            expected = pens[i].m_hObject;
            dc.Rectangle(i, i, i + 10, i + 10);
        }
        for (const auto& [old, handle] : olds)
            valid += old && old->m_hObject == handle;
        dc.SelectObject(olds.front().first);
        tempsInHandler = ms::mfc::TemporaryCount();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CManyPens, CWnd)
ON_MESSAGE(WM_PING, OnPing)
END_MESSAGE_MAP()

TEST_F(FrameworkTest, TemporariesOfAHandlerLiveUntilTheLoopIsIdle) {
    CManyPens w;
    ASSERT_TRUE(
        w.CreateEx(0, nullptr, u"Pens", WS_POPUP | WS_VISIBLE, CRect(0, 0, 80, 80), nullptr, 0));
    w.PostMessage(WM_PING);
    ASSERT_TRUE(PumpUntil([&] { return w.tempsInHandler != 0; }));
    EXPECT_EQ(w.valid, 40);
    EXPECT_GE(w.tempsInHandler, 40u);
    ms::test::RunIdleLoop(); // the loop waits for events: idle
    EXPECT_EQ(ms::mfc::TemporaryCount(), 0u);
    // Another thread's temporaries are its own, freed at the end of its frame.
    std::size_t duringFrame = 0, afterFrame = 1;
    const HWND hwnd = w.m_hWnd;
    std::thread painter([&] {
        HDC hdc = ::GetDC(hwnd);
        CDC* dc = CDC::FromHandle(hdc);
        CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
        CPen* old = dc->SelectObject(&pen);
        dc->SelectObject(old);
        duringFrame = ms::mfc::TemporaryCount();
        ::ReleaseDC(hwnd, hdc);
        afterFrame = ms::mfc::TemporaryCount();
    });
    painter.join();
    EXPECT_GE(duringFrame, 2u);
    EXPECT_EQ(afterFrame, 0u);
    w.DestroyWindow();
}

TEST_F(FrameworkTest, TheMainWindowGoingEndsTheApplicationAndItsModalLoops) {
    CWinApp app(u"Quit");
    bool deleted = false;
    auto* frame = new CTracedFrame(&deleted);
    ASSERT_TRUE(frame->Create(nullptr, u"Main", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100)));
    app.m_pMainWnd = frame;
    INT_PTR inner = 0;
    ms::test::AnswerDialog(IDD_SMALL, [&](HWND) {
        // Something closes the main window while a dialog runs: the dialog's loop ends
        // with the application's.
        frame->PostMessage(WM_CLOSE);
        Pump();
    });
    CDialog small(IDD_SMALL, frame);
    inner = small.DoModal();
    Pump();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(ms::QuitCode(), 0);
    EXPECT_EQ(inner, IDCANCEL); // the owner's destruction took the dialog with it
    EXPECT_FALSE(ms::test::ShownLog().back().leftOpen);
    EXPECT_EQ(ms::RunMessageLoop(), 0); // returns at once after WM_QUIT
    EXPECT_EQ(app.Run(), 0);
}

TEST_F(FrameworkTest, DataExchangeOfTextNumbersAndLengths) {
    struct CNumbers : CDialog {
        CNumbers() : CDialog(IDD_TEST) {}
        double m_ratio = 2.5;
        CString m_text = u"abc";
        void DoDataExchange(CDataExchange* dx) override {
            DDX_Text(dx, IDC_VALUE, m_ratio);
            DDX_Text(dx, IDC_LABEL, m_text);
            DDV_MaxChars(dx, m_text, 5);
        }
    } dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    CString shown;
    dlg.GetDlgItemText(IDC_VALUE, shown);
    EXPECT_EQ(shown, u"2.5");
    dlg.SetDlgItemText(IDC_VALUE, u"1e-3");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_DOUBLE_EQ(dlg.m_ratio, 0.001);
    dlg.SetDlgItemText(IDC_LABEL, u"toolong");
    ms::test::AnswerMessageBox(IDOK);
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(ms::test::ShownLog().back().text, u"Please enter no more than 5 characters.");
    EXPECT_EQ(dlg.m_text, u"toolong"); // the exchange ran up to the failing check
    dlg.DestroyWindow();
}

TEST_F(FrameworkTest, AfxMessageBoxUsesTheApplicationName) {
    CWinApp app(u"Tessary");
    ms::test::AnswerMessageBox(IDRETRY);
    EXPECT_EQ(AfxMessageBox(u"Device lost", MB_RETRYCANCEL | MB_ICONHAND), IDRETRY);
    ASSERT_EQ(ms::test::ShownLog().size(), 1u);
    EXPECT_EQ(ms::test::ShownLog()[0].caption, u"Tessary");
    CString s;
    s.LoadString(IDS_HELLO);
    ms::test::AnswerMessageBox(IDOK);
    EXPECT_EQ(AfxMessageBox(IDS_HELLO), IDOK);
    EXPECT_EQ(ms::test::ShownLog()[1].text, s.Str());
}

} // namespace

TEST_F(FrameworkTest, AClickOnAControlThatIgnoresItIsOneMessage) {
    // Qt offers a click that a control ignores (a notifying static, as a zoom field is) to
    // each parent widget too; the dialog's pre-translation must still see one press and one
    // release, or a handler that counts clicks counts twice.
    CTestDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    HWND zoom =
        ::CreateWindowEx(0, u"STATIC", u"Zoom", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 10, 100, 60, 20,
                         dlg.m_hWnd, reinterpret_cast<HMENU>(1358), nullptr, nullptr);
    ASSERT_NE(zoom, nullptr);
    HWND edit = ::GetDlgItem(dlg.m_hWnd, IDC_VALUE);
    for (HWND target : {zoom, edit}) {
        g_log.clear();
        Click(target);
        const std::vector<std::string> expect = {"dlg:PT 0201", "dlg:PT 0202"};
        EXPECT_EQ(g_log, expect);
    }
    dlg.DestroyWindow();
}

// What the main dialog relies on: the capture layer's device and power notices, posted from
// whatever thread notices them, arrive through the framework's message map in order.
class CDeviceDlg : public CDialog {
public:
    CDeviceDlg() : CDialog(IDD_TEST) {}
    std::vector<std::pair<UINT, UINT>> seen; // message, event
    std::vector<DWORD> headerTypes;

protected:
    afx_msg BOOL OnDeviceChange(UINT event, DWORD_PTR data) {
        seen.emplace_back(WM_DEVICECHANGE, event);
        if (data)
            headerTypes.push_back(
                reinterpret_cast<const DEV_BROADCAST_HDR*>(data)->dbch_devicetype);
        return 0;
    }
    afx_msg UINT OnPowerBroadcast(UINT event, LPARAM) {
        seen.emplace_back(WM_POWERBROADCAST, event);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDeviceDlg, CDialog)
ON_WM_DEVICECHANGE()
ON_WM_POWERBROADCAST()
END_MESSAGE_MAP()

TEST_F(FrameworkTest, DeviceAndPowerNoticesFromAnotherThreadReachTheMessageMap) {
    using ms::capture::SyntheticCamera;
    ms::capture::UseSyntheticCamera(true);
    ms::capture::SetPostMessage(
        [](HWND h, UINT m, WPARAM w, LPARAM l) { return ::PostMessage(h, m, w, l) != FALSE; });
    CDeviceDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    ms::capture::StartDeviceNotifications(dlg.m_hWnd);
    std::thread plug([] {
        ms::capture::SyntheticDevice cam;
        cam.id = "hotplug";
        SyntheticCamera::Instance().Plug(cam);
        SyntheticCamera::Instance().Unplug("hotplug");
        SyntheticCamera::Instance().SimulateResume();
    });
    plug.join();
    ASSERT_TRUE(PumpUntil([&] { return dlg.seen.size() >= 5; }));
    const std::vector<std::pair<UINT, UINT>> expect = {{WM_DEVICECHANGE, DBT_DEVICEARRIVAL},
                                                       {WM_DEVICECHANGE, DBT_DEVNODES_CHANGED},
                                                       {WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE},
                                                       {WM_DEVICECHANGE, DBT_DEVNODES_CHANGED},
                                                       {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC}};
    EXPECT_EQ(dlg.seen, expect);
    EXPECT_EQ(dlg.headerTypes,
              (std::vector<DWORD>{DBT_DEVTYP_DEVICEINTERFACE, DBT_DEVTYP_DEVICEINTERFACE}));
    // Once the window is gone, a notice is refused rather than delivered to a dead handle.
    HWND gone = dlg.m_hWnd;
    dlg.DestroyWindow();
    EXPECT_FALSE(ms::capture::PostToWindow(gone, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0));
    ms::capture::StopDeviceNotifications();
    ms::capture::SetPostMessage({});
    SyntheticCamera::Instance().ResetToDefault();
}

class CClickDlg : public CDialog {
public:
    CClickDlg() : CDialog(IDD_TEST) {}
    INT_PTR inner = 0;

protected:
    afx_msg void OnEnabledClicked() {
        CDialog small(IDD_SMALL, this);
        inner = small.DoModal();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CClickDlg, CDialog)
ON_BN_CLICKED(IDC_ENABLED, OnEnabledClicked)
END_MESSAGE_MAP()

TEST_F(FrameworkTest, AModalDialogOpenedByAControlsClickTakesItsOwnInput) {
    // The click reaches the check box through Qt, and its handler opens a modal dialog while
    // that click is still being delivered: the dialog's keys must still become messages.
    CClickDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    ms::test::AnswerDialog(IDD_SMALL, [](HWND small) {
        Key(::GetDlgItem(small, IDCANCEL), Qt::Key_Escape, QStringLiteral("\x1b"));
    });
    Click(::GetDlgItem(dlg.m_hWnd, IDC_ENABLED));
    EXPECT_EQ(dlg.inner, IDCANCEL);
    ASSERT_EQ(ms::test::ShownLog().size(), 1u);
    EXPECT_FALSE(ms::test::ShownLog()[0].leftOpen); // Esc ended it, not the seam
    dlg.DestroyWindow();
}
