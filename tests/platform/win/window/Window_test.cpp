// The window layer at the Win32 level: resources, dialog templates, handles, messages across
// threads, timers, capture and clipping, painting and the modal seams.
#include "TestResource.h"

#include "platform/win/core/CString.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"
#include "platform/win/gdi/Surface.h"
#include "platform/win/window/Framework.h"
#include "platform/win/window/Menu.h"
#include "platform/win/window/Resources.h"
#include "platform/win/window/TestSeams.h"

// The window layer's internals, which this test checks.
#include "window/SystemIcons.h"
#include "window/WindowObject.h"

#include "tests/support/Mouse.h"
#include "tests/support/Pump.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QThread>
#include <QWheelEvent>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using ms::test::Pump;
using ms::test::PumpUntil;
using ms::test::SendMouse;

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};
std::vector<Seen> g_seen;
Qt::HANDLE g_lastThread = nullptr;

LRESULT RecordingProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        g_seen.push_back({h, m, 0,
                          MAKELPARAM(static_cast<WORD>(ps.rcPaint.right),
                                     static_cast<WORD>(ps.rcPaint.bottom))});
        HBRUSH b = CreateSolidBrush(RGB(0, 200, 0));
        FillRect(dc, &ps.rcPaint, b);
        DeleteObject(b);
        EndPaint(h, &ps);
        return 0;
    }
    if (m >= WM_USER || m == WM_TIMER || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ||
        m == WM_DESTROY || m == WM_NCDESTROY || m == WM_CAPTURECHANGED || m == WM_MOUSELEAVE ||
        m == WM_MOUSEWHEEL || m == WM_HELP) {
        g_seen.push_back({h, m, wp, lp});
        g_lastThread = QThread::currentThreadId();
    }
    if (m == WM_USER + 7)
        return 4242;
    return DefWindowProc(h, m, wp, lp);
}

int Count(UINT msg) {
    int n = 0;
    for (const auto& s : g_seen)
        n += s.msg == msg;
    return n;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        static bool registered = [] {
            WNDCLASSW wc{};
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = RecordingProc;
            wc.lpszClassName = u"TestCanvas";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        g_seen.clear();
    }
    void TearDown() override {
        ClipCursor(nullptr);
        ReleaseCapture();
        for (HWND h : made_)
            if (IsWindow(h))
                DestroyWindow(h);
        Pump();
    }
    HWND TopLevel(int x = 100, int y = 100, int w = 200, int h = 150) {
        HWND hwnd = CreateWindowEx(0, u"TestCanvas", u"top", WS_POPUP | WS_VISIBLE, x, y, w, h,
                                   nullptr, nullptr, nullptr, nullptr);
        made_.push_back(hwnd);
        return hwnd;
    }
    std::vector<HWND> made_;
};

TEST_F(WindowTest, TheApplicationIsNamedAsTheProgram) {
    // The desktop groups the windows by this name.
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Window_test"));
}

TEST_F(WindowTest, ResourcesLoadByNumericId) {
    WCHAR buf[64];
    EXPECT_EQ(LoadString(nullptr, IDS_HELLO, buf, 64), 23);
    EXPECT_EQ(std::u16string(buf), u"Hello, \"world\"\tand more");
    EXPECT_EQ(LoadString(nullptr, IDS_FORMAT, buf, 64), 9);
    EXPECT_EQ(std::u16string(buf), u"Wert %d \u00e4");
    EXPECT_EQ(LoadString(nullptr, IDS_HELLO, buf, 6), 5); // cut, terminated
    EXPECT_EQ(std::u16string(buf), u"Hello");
    EXPECT_EQ(LoadString(nullptr, 9999, buf, 64), 0);
    CString s;
    EXPECT_TRUE(s.LoadString(IDS_HELLO));

    HBITMAP bmp = LoadBitmap(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDB_TEST));
    ASSERT_NE(bmp, nullptr);
    const QImage img = ms::ImageOfBitmap(bmp);
    ASSERT_EQ(img.size(), QSize(16, 16));
    EXPECT_EQ(QColor(img.pixel(2, 2)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(img.pixel(12, 2)), QColor(0, 0, 255));
    DeleteObject(bmp);

    HCURSOR cur = LoadCursor(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDC_TESTCURSOR));
    ASSERT_NE(cur, nullptr);
    EXPECT_EQ(ms::IconHotspot(cur).x, 5);
    EXPECT_EQ(ms::IconHotspot(cur).y, 7);
    HCURSOR ani = LoadCursor(GetModuleHandle(nullptr), u"ANIMATED");
    ASSERT_NE(ani, nullptr); // the first frame of the animation
    EXPECT_EQ(ms::ImageOfIcon(ani).size(), QSize(32, 32));
    EXPECT_EQ(ms::IconHotspot(ani).y, 7);
    EXPECT_EQ(LoadCursorFromFile(u"/nonexistent/hourglas.ani"), nullptr);
    EXPECT_EQ(ms::res::FindFile(u"WAVE", IDR_SHUTTER).size(), 44u);
    HICON icon = LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDI_TEST));
    ASSERT_NE(icon, nullptr);
    const QImage iconImage = ms::ImageOfIcon(icon);
    ASSERT_EQ(iconImage.size(), QSize(16, 16));
    EXPECT_EQ(QColor(iconImage.pixel(3, 3)), QColor(0, 128, 255));
    EXPECT_EQ(LoadImage(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDI_TEST), IMAGE_ICON, 0, 0, 0) !=
                  nullptr,
              true);
    EXPECT_EQ(LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(9999)), nullptr);
}

TEST_F(WindowTest, SystemIconsAreOurOwnAndDistinct) {
    // Each system id, and its alias, gives one shared 32 x 32 icon of its own picture.
    const struct {
        LPCWSTR id, alias;
    } ids[] = {{IDI_APPLICATION, IDI_APPLICATION},
               {IDI_HAND, IDI_ERROR},
               {IDI_QUESTION, IDI_QUESTION},
               {IDI_EXCLAMATION, IDI_WARNING},
               {IDI_ASTERISK, IDI_INFORMATION}};
    std::vector<QImage> seen;
    for (const auto& c : ids) {
        HICON icon = LoadIcon(nullptr, c.id);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(LoadIcon(nullptr, c.alias), icon);
        const QImage img = ms::ImageOfIcon(icon);
        ASSERT_EQ(img.size(), QSize(32, 32));
        // Drawn, not a filled square: the corners are see-through, the middle is not.
        EXPECT_EQ(qAlpha(img.pixel(0, 31)), 0);
        EXPECT_GT(qAlpha(img.pixel(16, 20)), 200);
        for (const QImage& other : seen)
            EXPECT_NE(img, other);
        seen.push_back(img);
        HANDLE small = LoadImage(nullptr, c.id, IMAGE_ICON, 16, 16, 0);
        ASSERT_NE(small, nullptr);
        EXPECT_EQ(ms::ImageOfIcon(static_cast<HICON>(small)).size(), QSize(16, 16));
    }
    EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCE(32600)), nullptr);

    // A warning message box shows our warning picture; no icon flag, no icon.
    QMessageBox box;
    ms::SetMessageBoxIcon(box, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(
        box.iconPixmap().toImage().convertToFormat(QImage::Format_ARGB32),
        ms::ImageOfIcon(LoadIcon(nullptr, IDI_WARNING)).convertToFormat(QImage::Format_ARGB32));
    QMessageBox plain;
    ms::SetMessageBoxIcon(plain, MB_OK);
    EXPECT_TRUE(plain.iconPixmap().isNull());
}

TEST_F(WindowTest, AcceleratorsAndMenusFromTheScript) {
    HWND w = TopLevel();
    HACCEL acc = LoadAccelerators(nullptr, MAKEINTRESOURCE(IDR_ACCEL));
    ASSERT_NE(acc, nullptr);
    MSG f2{w, WM_KEYDOWN, VK_F2, 0, 0, {}};
    EXPECT_EQ(TranslateAccelerator(w, acc, &f2), 1);
    MSG f3{w, WM_KEYDOWN, VK_F3, 0, 0, {}};
    EXPECT_EQ(TranslateAccelerator(w, acc, &f3), 0);
    MSG ctrlA{w, WM_CHAR, 1, 0, 0, {}};
    EXPECT_EQ(TranslateAccelerator(w, acc, &ctrlA), 1);
    MSG plainS{w, WM_KEYDOWN, 'S', 0, 0, {}}; // the table wants Ctrl+Shift+S
    EXPECT_EQ(TranslateAccelerator(w, acc, &plainS), 0);
    DestroyAcceleratorTable(acc);

    HMENU menu = LoadMenu(nullptr, MAKEINTRESOURCE(IDR_MENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    HMENU file = GetSubMenu(menu, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(ID_FILE_OPEN));
    EXPECT_TRUE(GetMenuState(menu, ID_FILE_OPEN, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(menu, ID_FILE_EXIT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(GetMenuItemID(menu, 1), static_cast<UINT>(ID_HELP_ABOUT));
    DestroyMenu(menu);
    EXPECT_FALSE(IsMenu(file));
}

TEST_F(WindowTest, DialogControlsSitAtTheirPixelPositions) {
    HWND dlg = CreateDialogParam(nullptr, MAKEINTRESOURCE(IDD_TEST), nullptr, nullptr, 0);
    ASSERT_NE(dlg, nullptr);
    made_.push_back(dlg);
    // "MS Shell Dlg" 8: base units 6 x 13, so x * 1.5 and y * 13 / 8.
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 195);
    struct Case {
        int id;
        RECT expect;
    } cases[] = {
        {IDC_VALUE, {75, 13, 165, 36}},   {IDC_ENABLED, {75, 42, 165, 58}},
        {IDC_CANVAS, {11, 65, 191, 182}}, {IDOK, {215, 11, 290, 34}},
        {IDCANCEL, {215, 39, 290, 62}},
    };
    for (const Case& c : cases) {
        HWND item = GetDlgItem(dlg, c.id);
        ASSERT_NE(item, nullptr) << c.id;
        RECT r;
        GetWindowRect(item, &r);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, c.expect.left) << c.id;
        EXPECT_EQ(r.top, c.expect.top) << c.id;
        EXPECT_EQ(r.right, c.expect.right) << c.id;
        EXPECT_EQ(r.bottom, c.expect.bottom) << c.id;
    }
    // The canvas has a 1-pixel border: its client area is smaller than its window.
    RECT cc;
    GetClientRect(GetDlgItem(dlg, IDC_CANVAS), &cc);
    EXPECT_EQ(cc.right, 178);
    HWND hidden = GetDlgItem(dlg, 1099);
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_FALSE(IsWindowEnabled(hidden));
    WCHAR text[32];
    GetDlgItemText(dlg, IDC_LABEL, text, 32);
    EXPECT_EQ(std::u16string(text), u"&Value:");
    EXPECT_EQ(GetDlgCtrlID(GetDlgItem(dlg, IDC_VALUE)), IDC_VALUE);
    EXPECT_EQ(GetParent(GetDlgItem(dlg, IDC_VALUE)), dlg);
    EXPECT_EQ(FindWindowEx(dlg, nullptr, u"button", u"Cancel"), GetDlgItem(dlg, IDCANCEL));
    EXPECT_EQ(FindWindow(nullptr, u"Test Dialog"), dlg);
    SetDlgItemInt(dlg, IDC_VALUE, static_cast<UINT>(-12), TRUE);
    BOOL ok = FALSE;
    EXPECT_EQ(static_cast<int>(GetDlgItemInt(dlg, IDC_VALUE, &ok, TRUE)), -12);
    EXPECT_TRUE(ok);
    SetDlgItemText(dlg, IDC_VALUE, u"12x");
    GetDlgItemInt(dlg, IDC_VALUE, &ok, TRUE);
    EXPECT_FALSE(ok);
    CheckDlgButton(dlg, IDC_ENABLED, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_ENABLED), static_cast<UINT>(BST_CHECKED));
}

TEST_F(WindowTest, DestroyedHandlesAreDeadAndOrderIsAsWindows) {
    HWND top = TopLevel();
    HWND child = CreateWindowEx(0, u"TestCanvas", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top,
                                reinterpret_cast<HMENU>(5), nullptr, nullptr);
    ASSERT_TRUE(IsWindow(child));
    EXPECT_EQ(GetDlgItem(top, 5), child);
    g_seen.clear();
    EXPECT_TRUE(DestroyWindow(top));
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(DestroyWindow(top));
    EXPECT_FALSE(PostMessage(top, WM_USER, 0, 0));
    EXPECT_EQ(SendMessage(child, WM_USER + 7, 0, 0), 0);
    RECT r;
    EXPECT_FALSE(GetWindowRect(top, &r));
    // WM_DESTROY parent first, WM_NCDESTROY child first.
    std::vector<std::pair<HWND, UINT>> order;
    for (const auto& s : g_seen)
        order.emplace_back(s.hwnd, s.msg);
    const std::vector<std::pair<HWND, UINT>> expect = {
        {top, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
    EXPECT_EQ(order, expect);
    EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(0x1234)));
}

TEST_F(WindowTest, MessagesFromAWorkerReachTheUiThread) {
    HWND w = TopLevel();
    const Qt::HANDLE ui = QThread::currentThreadId();
    std::atomic<LRESULT> sent{0};
    std::thread worker([&] {
        PostMessage(w, WM_USER + 1, 11, 22);
        sent = SendMessage(w, WM_USER + 7, 0, 0); // marshalled; waits for the UI thread
    });
    ASSERT_TRUE(PumpUntil([&] { return sent != 0; }));
    worker.join();
    Pump();
    EXPECT_EQ(sent.load(), 4242);
    ASSERT_EQ(Count(WM_USER + 1), 1);
    EXPECT_EQ(g_lastThread, ui);
    // Posted messages keep their order.
    g_seen.clear();
    for (int i = 0; i < 5; ++i)
        PostMessage(w, WM_USER + 2, static_cast<WPARAM>(i), 0);
    Pump();
    ASSERT_EQ(Count(WM_USER + 2), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(g_seen[static_cast<size_t>(i)].wp, static_cast<WPARAM>(i));
}

TEST_F(WindowTest, TimersFireRestartAndStop) {
    HWND w = TopLevel();
    EXPECT_EQ(SetTimer(w, 7, 20, nullptr), 7u);
    ASSERT_TRUE(PumpUntil([] { return Count(WM_TIMER) >= 2; }));
    for (const auto& s : g_seen) {
        if (s.msg == WM_TIMER) {
            EXPECT_EQ(s.wp, 7u);
        }
    }
    // Another thread can neither set nor kill the window's timers; debug builds report it.
    BOOL killedElsewhere = TRUE;
    UINT_PTR setElsewhere = 1;
    std::string broken;
    ms::test::OnThreadContractBroken([&](const char* call) { broken += std::string(call) + ";"; });
    std::thread worker([&] {
        killedElsewhere = KillTimer(w, 7);
        setElsewhere = SetTimer(w, 9, 10, nullptr);
    });
    worker.join();
    ms::test::OnThreadContractBroken(nullptr);
    EXPECT_FALSE(killedElsewhere);
    EXPECT_EQ(setElsewhere, 0u);
#ifndef NDEBUG
    EXPECT_NE(broken.find("KillTimer"), std::string::npos) << broken;
    EXPECT_NE(broken.find("SetTimer"), std::string::npos) << broken;
#endif
    g_seen.clear();
    ASSERT_TRUE(PumpUntil([] { return Count(WM_TIMER) >= 1; }));
    // Re-setting the same id restarts it (one timer, not two).
    SetTimer(w, 7, 10000, nullptr);
    EXPECT_TRUE(KillTimer(w, 7));
    EXPECT_FALSE(KillTimer(w, 7));
    g_seen.clear();
    Pump();
    EXPECT_EQ(Count(WM_TIMER), 0);
    // A window's timers die with it.
    SetTimer(w, 8, 10, nullptr);
    DestroyWindow(w);
    EXPECT_FALSE(KillTimer(w, 8));
}

TEST_F(WindowTest, CaptureAndClipCursorClampTheDeliveredMouse) {
    HWND w = TopLevel(100, 100, 200, 150);
    QWidget* widget = ms::WidgetOf(w);
    ASSERT_NE(widget, nullptr);
    SetCapture(w);
    EXPECT_EQ(GetCapture(), w);
    RECT clip{120, 110, 220, 210};
    ASSERT_TRUE(ClipCursor(&clip));
    g_seen.clear();
    // Far outside the window and the clip: the captured window still gets it, clamped.
    const QPointF global(900, 20);
    QMouseEvent move(QEvent::MouseMove, widget->mapFromGlobal(global), global, Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    ASSERT_EQ(Count(WM_MOUSEMOVE), 1);
    const Seen& s = g_seen.back();
    EXPECT_EQ(s.hwnd, w);
    EXPECT_EQ(GET_X_LPARAM(s.lp), 219 - 100);
    EXPECT_EQ(GET_Y_LPARAM(s.lp), 110 - 100);
    POINT pt;
    GetCursorPos(&pt);
    EXPECT_EQ(pt.x, 219);
    EXPECT_EQ(pt.y, 110);
    // SetCursorPos is clamped too, and the move it causes arrives.
    g_seen.clear();
    SetCursorPos(0, 500);
    Pump();
    ASSERT_EQ(Count(WM_MOUSEMOVE), 1);
    for (const auto& m : g_seen) {
        if (m.msg == WM_MOUSEMOVE) {
            EXPECT_EQ(GET_X_LPARAM(m.lp), 20);
            EXPECT_EQ(GET_Y_LPARAM(m.lp), 109);
        }
    }
    // A modal loop releases the clip and gives it back afterwards.
    RECT during{};
    ms::test::AnswerDialog(IDD_SMALL, [&](HWND) { GetClipCursor(&during); });
    DialogBoxParam(nullptr, MAKEINTRESOURCE(IDD_SMALL), w, nullptr, 0);
    EXPECT_EQ(during.left, 0);
    EXPECT_EQ(during.right, GetSystemMetrics(SM_CXSCREEN));
    RECT after;
    GetClipCursor(&after);
    EXPECT_EQ(after.left, 120);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Count(WM_CAPTURECHANGED), 1);
}

TEST_F(WindowTest, PaintingAndDrawingOutsidePaintReachTheSurface) {
    HWND w = TopLevel(50, 50, 40, 30);
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
    ASSERT_EQ(Count(WM_PAINT), 1);
    EXPECT_EQ(LOWORD(g_seen.back().lp), 40); // rcPaint is the whole client area
    ms::WindowObject* obj = ms::FromHandle(w);
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(QColor(obj->surface->Image().pixel(10, 10)), QColor(0, 200, 0));
    UpdateWindow(w); // nothing invalid: no paint
    EXPECT_EQ(Count(WM_PAINT), 1);
    // A worker draws through GetDC, as the live view does.
    std::thread worker([w] {
        HDC dc = GetDC(w);
        RECT r{0, 0, 5, 5};
        HBRUSH b = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &r, b);
        DeleteObject(b);
        ReleaseDC(w, dc);
    });
    worker.join();
    Pump();
    std::lock_guard lock(obj->surface->Mutex());
    EXPECT_EQ(QColor(obj->surface->Image().pixel(2, 2)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(obj->surface->Image().pixel(10, 10)), QColor(0, 200, 0));
}

// A dialog's background (its class brush, COLOR_3DFACE + 1) and its controls' backgrounds
// (GetSysColorBrush, GetSysColor) are the same colours: one table answers all of them.
TEST_F(WindowTest, SystemColoursComeFromOneTable) {
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(mem, 4, 4);
    HGDIOBJ old = SelectObject(mem, bmp);
    const RECT r{0, 0, 4, 4};
    for (int index : {COLOR_3DFACE, COLOR_WINDOW, COLOR_MENU, COLOR_HIGHLIGHT, COLOR_BTNSHADOW,
                      COLOR_GRAYTEXT, COLOR_INFOBK}) {
        const COLORREF c = GetSysColor(index);
        FillRect(mem, &r, reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(index + 1)));
        EXPECT_EQ(GetPixel(mem, 1, 1), c) << index;
        HBRUSH stock = GetSysColorBrush(index);
        EXPECT_EQ(stock, GetSysColorBrush(index)) << index;
        EXPECT_TRUE(DeleteObject(stock)); // a stock object: still there afterwards
        FillRect(mem, &r, GetSysColorBrush(index));
        EXPECT_EQ(GetPixel(mem, 2, 2), c) << index;
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

TEST_F(WindowTest, ModalSeamsAnswerAndRecord) {
    HWND owner = TopLevel();
    bool ownerEnabledDuring = true;
    ms::test::AnswerDialog(IDD_SMALL, [&](HWND dlg) {
        ownerEnabledDuring = IsWindowEnabled(owner);
        SendMessage(dlg, WM_COMMAND, IDCANCEL, 0);
        EndDialog(dlg, 77);
    });
    EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(IDD_SMALL), owner, nullptr, 0), 77);
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(4711), owner, nullptr, 0), -1);

    ms::test::AnswerMessageBox(IDNO);
    EXPECT_EQ(MessageBox(owner, u"Sure?", u"Title", MB_YESNO | MB_ICONQUESTION), IDNO);
    // Unscripted on the headless platform: the default button.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        ms::test::AnswerMessageBox(IDNO);
        ms::test::AnswerMessageBox(IDOK);
    }
    EXPECT_EQ(MessageBox(owner, u"Sure?", u"Title", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBox(owner, u"Done", nullptr, MB_OK), IDOK);
    const auto& log = ms::test::ShownLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].kind, ms::test::Shown::Dialog);
    EXPECT_EQ(log[0].templateId, static_cast<UINT>(IDD_SMALL));
    EXPECT_EQ(log[0].caption, u"Small");
    EXPECT_EQ(log[0].result, 77);
    EXPECT_EQ(log[1].text, u"Sure?");
    EXPECT_EQ(log[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(log[3].caption, u"Error");
}

TEST_F(WindowTest, AForgottenQuitLetsModalLoopsRunAgain) {
    HWND owner = TopLevel();
    PostQuitMessage(3);
    Pump();
    EXPECT_EQ(ms::QuitCode(), 3);
    // After WM_QUIT a modal loop ends at once, as on Windows.
    EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(IDD_SMALL), owner, nullptr, 0), -1);
    // Once the seams forget the quit, the next test's dialogs run their loops again.
    ms::test::ResetSeams();
    EXPECT_EQ(ms::QuitCode(), -1);
    ms::test::AnswerDialog(IDD_SMALL, [](HWND dlg) { EndDialog(dlg, 42); });
    EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(IDD_SMALL), owner, nullptr, 0), 42);
    ASSERT_FALSE(ms::test::ShownLog().empty());
    EXPECT_FALSE(ms::test::ShownLog().back().leftOpen);
}

TEST_F(WindowTest, GeometryStylesAndShowStates) {
    HWND w = CreateWindowEx(0, u"TestCanvas", u"framed", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200,
                            nullptr, nullptr, nullptr, nullptr);
    made_.push_back(w);
    // A sizing border lets the window manager resize the window; without one it may not.
    QWidget* widget = ms::WidgetOf(w);
    EXPECT_NE(widget->minimumSize(), widget->maximumSize());
    RECT wr, cr;
    GetWindowRect(w, &wr);
    GetClientRect(w, &cr);
    EXPECT_EQ(wr.left, 10);
    EXPECT_EQ(wr.right - wr.left, 300);
    RECT adj = cr;
    AdjustWindowRectEx(&adj, WS_OVERLAPPEDWINDOW, FALSE, 0);
    EXPECT_EQ(adj.right - adj.left, 300);
    EXPECT_EQ(adj.bottom - adj.top, 200);
    POINT p{0, 0};
    ClientToScreen(w, &p);
    EXPECT_EQ(p.x, wr.left - adj.left);
    ShowWindow(w, SW_SHOW);
    ShowWindow(w, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(w));
    ShowWindow(w, SW_RESTORE);
    EXPECT_FALSE(IsIconic(w));
    ShowWindow(w, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(w));
    ShowWindow(w, SW_RESTORE);
    GetWindowRect(w, &wr);
    EXPECT_EQ(wr.left, 10);
    EXPECT_EQ(wr.top, 20);
    SetWindowLong(w, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE | WS_BORDER));
    SetWindowPos(w, nullptr, 0, 0, 640, 480, SWP_NOZORDER | SWP_FRAMECHANGED);
    GetWindowRect(w, &wr);
    GetClientRect(w, &cr);
    EXPECT_EQ(wr.right - wr.left, 640);
    EXPECT_EQ(cr.right, 638);
    EXPECT_EQ(widget->minimumSize(), QSize(638, 478));
    EXPECT_EQ(widget->maximumSize(), QSize(638, 478));
    SetWindowPos(w, nullptr, 0, 0, 320, 240, SWP_NOZORDER);
    GetClientRect(w, &cr);
    EXPECT_EQ(cr.right, 318);
    EnableWindow(w, FALSE);
    EXPECT_FALSE(IsWindowEnabled(w));
    HMENU sys = GetSystemMenu(w, FALSE);
    EXPECT_EQ(sys, nullptr); // no WS_SYSMENU any more
}

// Records the help requests the dialog sees and answers them only when told to.
struct HelpSeen {
    HWND item;
    int ctrlId;
    int contextType;
};
std::vector<HelpSeen> g_dialogHelp;
bool g_dialogAnswersHelp = false;

INT_PTR HelpDialogProc(HWND, UINT m, WPARAM, LPARAM lp) {
    if (m != WM_HELP)
        return FALSE;
    const auto* info = reinterpret_cast<const HELPINFO*>(lp);
    g_dialogHelp.push_back(
        {static_cast<HWND>(info->hItemHandle), info->iCtrlId, info->iContextType});
    return g_dialogAnswersHelp;
}

void PressKey(HWND target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* widget = ms::WidgetOf(target);
    QKeyEvent down(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(widget, &up);
}

TEST_F(WindowTest, F1AsksTheFocusedWindowForHelpAndUnansweredHelpGoesUp) {
    HWND owner = TopLevel();
    HWND dlg = CreateDialogParam(nullptr, MAKEINTRESOURCE(IDD_TEST), owner, HelpDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    made_.push_back(dlg);
    HWND edit = GetDlgItem(dlg, IDC_VALUE);
    HWND canvas = GetDlgItem(dlg, IDC_CANVAS);
    g_dialogHelp.clear();
    g_dialogAnswersHelp = false;

    // From a standard control through the dialog, which leaves it, to the dialog's owner.
    SetFocus(edit);
    PressKey(edit, Qt::Key_F1);
    ASSERT_EQ(g_dialogHelp.size(), 1u);
    EXPECT_EQ(g_dialogHelp[0].item, edit);
    EXPECT_EQ(g_dialogHelp[0].ctrlId, IDC_VALUE);
    EXPECT_EQ(g_dialogHelp[0].contextType, HELPINFO_WINDOW);
    ASSERT_EQ(Count(WM_HELP), 1);
    EXPECT_EQ(g_seen.back().hwnd, owner);

    // A custom child sees it first; a dialog that answers keeps it from its owner.
    g_seen.clear();
    g_dialogHelp.clear();
    g_dialogAnswersHelp = true;
    SetFocus(canvas);
    PressKey(canvas, Qt::Key_F1);
    ASSERT_EQ(Count(WM_HELP), 1);
    EXPECT_EQ(g_seen[0].hwnd, canvas);
    ASSERT_EQ(g_dialogHelp.size(), 1u);
    EXPECT_EQ(g_dialogHelp[0].item, canvas);
    EXPECT_EQ(g_dialogHelp[0].ctrlId, IDC_CANVAS);

    // Other keys, and F1 with Ctrl or Alt, ask for nothing.
    g_dialogHelp.clear();
    PressKey(canvas, Qt::Key_F2);
    PressKey(canvas, Qt::Key_F1, Qt::ControlModifier);
    PressKey(canvas, Qt::Key_F1, Qt::AltModifier);
    EXPECT_TRUE(g_dialogHelp.empty());
}

LRESULT CaptionProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_NCHITTEST) {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ScreenToClient(h, &p);
        if (p.y < 20)
            return HTCAPTION; // a skinned title strip
    }
    return RecordingProc(h, m, wp, lp);
}

TEST_F(WindowTest, MouseInputBecomesWindowsMessages) {
    static bool registered = [] {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = CaptionProc;
        wc.hCursor = LoadCursor(nullptr, IDC_CROSS);
        wc.lpszClassName = u"TestCaption";
        return RegisterClass(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    HWND w = CreateWindowEx(0, u"TestCaption", u"", WS_POPUP | WS_VISIBLE, 100, 100, 200, 150,
                            nullptr, nullptr, nullptr, nullptr);
    made_.push_back(w);
    QWidget* widget = ms::WidgetOf(w);

    // Double clicks for a class that asks for them; the class cursor on the way.
    SendMouse(widget, QEvent::MouseButtonPress, {30, 40}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(widget, QEvent::MouseButtonRelease, {30, 40}, Qt::LeftButton, Qt::NoButton);
    SendMouse(widget, QEvent::MouseButtonDblClick, {30, 40}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(widget, QEvent::MouseButtonRelease, {30, 40}, Qt::LeftButton, Qt::NoButton);
    std::vector<UINT> msgs;
    for (const auto& s : g_seen)
        msgs.push_back(s.msg);
    const std::vector<UINT> expect = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    EXPECT_EQ(msgs, expect);
    EXPECT_EQ(GET_X_LPARAM(g_seen[0].lp), 30);
    EXPECT_EQ(GET_Y_LPARAM(g_seen[0].lp), 40);
    EXPECT_EQ(g_seen[0].wp, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_CROSS));
    EXPECT_EQ(GetMessagePos(), static_cast<DWORD>(MAKELONG(130, 140)));

    // The wheel carries screen coordinates.
    g_seen.clear();
    QWheelEvent wheel(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
    ASSERT_EQ(Count(WM_MOUSEWHEEL), 1);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(g_seen.back().wp), -120);
    EXPECT_EQ(GET_X_LPARAM(g_seen.back().lp), 105);

    // Leave tracking: one WM_MOUSELEAVE, then tracking is over.
    TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, w, 0};
    g_seen.clear();
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(widget, &enter);
    widget->setAttribute(Qt::WA_UnderMouse, true);
    TrackMouseEvent(&tme);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
    QApplication::sendEvent(widget, &leave);
    Pump();
    EXPECT_EQ(Count(WM_MOUSELEAVE), 1);

    // A press on the title strip drags the window (no window manager moves it here).
    SendMouse(widget, QEvent::MouseButtonPress, {50, 5}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(widget, QEvent::MouseMove, {80, 25}, Qt::NoButton, Qt::LeftButton);
    SendMouse(widget, QEvent::MouseButtonRelease, {80, 25}, Qt::LeftButton, Qt::NoButton);
    RECT r;
    GetWindowRect(w, &r);
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        EXPECT_EQ(r.left, 130);
        EXPECT_EQ(r.top, 120);
    }
}

} // namespace
