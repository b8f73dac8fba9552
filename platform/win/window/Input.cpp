// Mouse and keyboard input: Qt events become MSGs in one application-wide filter; mouse
// capture, cursor clipping, the cursor position, the cursor shape, focus and key state.
#include "platform/win/window/Framework.h"
#include "window/WindowInternal.h"

#include "platform/win/gdi/GdiQt.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>
#include <map>
#include <optional>

namespace ms::wnd {

namespace {

HWND g_capture = nullptr;
HWND g_focus = nullptr;
HWND g_pressedNative = nullptr;
std::optional<QRect> g_clip;
std::vector<std::optional<QRect>> g_clipStack;
std::optional<QPoint> g_cursorPos;
std::optional<QPoint> g_syntheticPos;
Qt::KeyboardModifiers g_mods;
Qt::MouseButtons g_buttons;
bool g_keyDown[256] = {};
HCURSOR g_cursor = nullptr;
int g_showCount = 0;
// Set while input already turned into messages is handed to its native control, for the
// event loop level it happens on: a modal loop that the control's handler opens meanwhile
// runs one level deeper and has its own input turned into messages as usual.
struct ControlDelivery {
    bool active = false;
    int loopLevel = 0;
};
ControlDelivery g_toControl;

bool DeliveringToControl() {
    return g_toControl.active && QThread::currentThread()->loopLevel() == g_toControl.loopLevel;
}

// Hands a Qt input event that became messages to the native control it was meant for, and
// ends Qt's own delivery. Qt offers an event the control ignores (a click on a static, a key
// an edit has no use for) to each parent widget in turn, and each offer would otherwise be
// one more message for the parent window.
bool GiveToControl(QWidget* receiver, QInputEvent* e) {
    QPointer<QWidget> guard(receiver);
    const ControlDelivery outer = g_toControl;
    g_toControl = ControlDelivery{true, QThread::currentThread()->loopLevel()};
    if (guard)
        QCoreApplication::sendEvent(receiver, e);
    g_toControl = outer;
    e->accept();
    return true;
}

struct Tracking {
    DWORD flags = 0;
    DWORD hoverMs = 400;
    QTimer* hoverTimer = nullptr;
};
std::map<HWND, Tracking> g_tracking;

struct Move {
    HWND hwnd = nullptr;
    QPoint startGlobal;
    QPoint startPos;
};
Move g_move;

UINT VkOf(int key, Qt::KeyboardModifiers mods) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<UINT>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (mods & Qt::KeypadModifier) ? VK_NUMPAD0 + static_cast<UINT>(key - Qt::Key_0)
                                           : static_cast<UINT>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_CapsLock:
        return VK_CAPITAL;
    case Qt::Key_NumLock:
        return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_Help:
        return VK_HELP;
    case Qt::Key_Plus:
        return (mods & Qt::KeypadModifier) ? VK_ADD : VK_OEM_PLUS;
    case Qt::Key_Minus:
        return (mods & Qt::KeypadModifier) ? VK_SUBTRACT : VK_OEM_MINUS;
    case Qt::Key_Asterisk:
        return VK_MULTIPLY;
    case Qt::Key_Slash:
        return (mods & Qt::KeypadModifier) ? VK_DIVIDE : VK_OEM_2;
    case Qt::Key_Period:
        return (mods & Qt::KeypadModifier) ? VK_DECIMAL : VK_OEM_PERIOD;
    case Qt::Key_Comma:
        return VK_OEM_COMMA;
    case Qt::Key_Semicolon:
        return VK_OEM_1;
    case Qt::Key_QuoteLeft:
        return VK_OEM_3;
    case Qt::Key_BracketLeft:
        return VK_OEM_4;
    case Qt::Key_Backslash:
        return VK_OEM_5;
    case Qt::Key_BracketRight:
        return VK_OEM_6;
    case Qt::Key_Apostrophe:
        return VK_OEM_7;
    case Qt::Key_Equal:
        return VK_OEM_PLUS;
    default:
        return 0;
    }
}

WPARAM KeyState() {
    WPARAM s = 0;
    if (g_buttons & Qt::LeftButton)
        s |= MK_LBUTTON;
    if (g_buttons & Qt::RightButton)
        s |= MK_RBUTTON;
    if (g_buttons & Qt::MiddleButton)
        s |= MK_MBUTTON;
    if (g_mods & Qt::ShiftModifier)
        s |= MK_SHIFT;
    if (g_mods & Qt::ControlModifier)
        s |= MK_CONTROL;
    return s;
}

// Input reaches neither a disabled window nor a window inside a disabled top-level window.
bool AcceptsInput(HWND hwnd) {
    for (WindowObject* w = FromHandle(hwnd); w; w = w->IsChild() ? FromHandle(w->parent) : nullptr)
        if (w->style & WS_DISABLED)
            return false;
    return FromHandle(hwnd) != nullptr;
}

LPARAM ClientLParam(HWND hwnd, QPoint global) {
    POINT p{global.x(), global.y()};
    ScreenToClient(hwnd, &p);
    return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
}

// Runs one queued input message; true when its Qt event should go on to Qt.
bool RunInput(MSG m) {
    InputContext ctx;
    ctx.hwnd = m.hwnd;
    ctx.message = m.message;
    InputContext* saved = CurrentInput();
    CurrentInput() = &ctx;
    RunQueuedMessage(m);
    CurrentInput() = saved;
    return ctx.passToQt;
}

bool HandleMouse(QWidget* receiver, HWND recv, QMouseEvent* me) {
    const QEvent::Type type = me->type();
    g_mods = me->modifiers();
    g_buttons = me->buttons();
    QPoint global = me->globalPosition().toPoint();

    if (g_move.hwnd) {
        if (type == QEvent::MouseMove && IsWindow(g_move.hwnd)) {
            const QPoint p = g_move.startPos + (global - g_move.startGlobal);
            SetWindowPos(g_move.hwnd, nullptr, p.x(), p.y(), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (type == QEvent::MouseButtonRelease || !IsWindow(g_move.hwnd))
            g_move = Move{};
        return true;
    }

    if (type == QEvent::MouseMove && g_syntheticPos && *g_syntheticPos == global) {
        // The motion caused by SetCursorPos: its WM_MOUSEMOVE is already queued.
        g_syntheticPos.reset();
        return true;
    }
    global = ClampToClip(global);
    g_cursorPos = global;

    // A press while no other button is held starts a new click. A native control that took the
    // last press keeps nothing of it when that release went to a window of Qt's own (a combo
    // box's list, which closes on it): the next click goes where it is.
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
        (g_buttons & ~me->button()) == Qt::NoButton)
        g_pressedNative = nullptr;

    HWND target = nullptr;
    const bool anyButton = g_buttons != Qt::NoButton;
    if (g_capture) {
        target = g_capture;
    } else if (g_pressedNative && (anyButton || type == QEvent::MouseButtonRelease) &&
               IsWindow(g_pressedNative)) {
        // A native control keeps the mouse while a button is down, as Windows controls
        // capture it themselves.
        target = g_pressedNative;
    } else if (receiver->rect().contains(me->position().toPoint())) {
        target = recv;
    } else {
        target = HandleOfWidget(QApplication::widgetAt(global));
    }
    if (type == QEvent::MouseButtonRelease && !anyButton)
        g_pressedNative = nullptr;
    if (!target || !AcceptsInput(target))
        return true;

    const Qt::MouseButton b = me->button();
    if (type != QEvent::MouseMove && b != Qt::LeftButton && b != Qt::RightButton &&
        b != Qt::MiddleButton)
        return true;

    const LPARAM screenLp =
        MAKELPARAM(static_cast<WORD>(global.x()), static_cast<WORD>(global.y()));
    LRESULT hit = HTCLIENT;
    if (!g_capture) {
        hit = SendMessage(target, WM_NCHITTEST, 0, screenLp);
        // A transparent child (a plain static, a group box) lets the mouse through to its parent.
        while (hit == HTTRANSPARENT && IsWindow(target)) {
            WindowObject* t = FromHandle(target);
            if (!t || !t->IsChild() || !t->parent)
                break;
            target = t->parent;
            hit = SendMessage(target, WM_NCHITTEST, 0, screenLp);
        }
        if (!IsWindow(target) || !AcceptsInput(target))
            return true;
    }

    // Whether a second press is a double click is the class of the window that takes it.
    UINT msg = WM_MOUSEMOVE;
    const int base = b == Qt::RightButton    ? WM_RBUTTONDOWN
                     : b == Qt::MiddleButton ? WM_MBUTTONDOWN
                                             : WM_LBUTTONDOWN;
    WindowObject* tw = FromHandle(target);
    const bool dbl = tw && tw->cls && (tw->cls->style & CS_DBLCLKS);
    switch (type) {
    case QEvent::MouseButtonPress:
        msg = static_cast<UINT>(base);
        break;
    case QEvent::MouseButtonDblClick:
        msg = static_cast<UINT>(dbl ? base + 2 : base);
        break;
    case QEvent::MouseButtonRelease:
        msg = static_cast<UINT>(base + 1);
        break;
    default:
        break;
    }

    if (!g_capture) {
        if (hit != HTCLIENT && hit != HTNOWHERE && hit != HTTRANSPARENT) {
            // Non-client input: only the left button's press and double click mean something.
            if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
                MSG m{target,
                      msg == WM_LBUTTONDOWN ? static_cast<UINT>(WM_NCLBUTTONDOWN)
                                            : static_cast<UINT>(WM_NCLBUTTONDBLCLK),
                      static_cast<WPARAM>(hit),
                      screenLp,
                      MessageTime(),
                      {global.x(), global.y()}};
                if (msg == WM_LBUTTONDOWN) {
                    g_move.startGlobal = global;
                    if (WindowObject* w = FromHandle(target)) {
                        RECT r;
                        GetWindowRect(target, &r);
                        g_move.startPos = QPoint(r.left, r.top);
                        (void)w;
                    }
                }
                RunInput(m);
            }
            return true;
        }
        if (type == QEvent::MouseMove || type == QEvent::MouseButtonPress ||
            type == QEvent::MouseButtonDblClick) {
            SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                        MAKELPARAM(HTCLIENT, static_cast<WORD>(msg)));
            if (!IsWindow(target))
                return true;
        }
    }

    MSG m{target,        msg,
          KeyState(),    ClientLParam(target, global),
          MessageTime(), {global.x(), global.y()}};
    const bool pass = RunInput(m);
    WindowObject* after = FromHandle(target);
    const bool sameWidget = after && after->native && target == recv;
    if (pass && sameWidget &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick))
        g_pressedNative = target;
    if (!(pass && sameWidget))
        return true;
    return GiveToControl(receiver, me);
}

bool HandleWheel(HWND recv, QWheelEvent* we) {
    g_mods = we->modifiers();
    g_buttons = we->buttons();
    const QPoint global = ClampToClip(we->globalPosition().toPoint());
    HWND target = g_capture ? g_capture : recv;
    if (!AcceptsInput(target))
        return true;
    const int delta = we->angleDelta().y();
    MSG m{target,
          WM_MOUSEWHEEL,
          MAKEWPARAM(static_cast<WORD>(KeyState()), static_cast<WORD>(static_cast<short>(delta))),
          MAKELPARAM(static_cast<WORD>(global.x()), static_cast<WORD>(global.y())),
          MessageTime(),
          {global.x(), global.y()}};
    const bool pass = RunInput(m);
    WindowObject* w = FromHandle(target);
    return !(pass && w && w->native && target == recv);
}

void SendHelp(HWND target) {
    HELPINFO info{};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = GetDlgCtrlID(target);
    info.hItemHandle = target;
    GetCursorPos(&info.MousePos);
    SendMessage(target, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

bool HandleKey(QWidget* receiver, HWND recv, QKeyEvent* ke) {
    g_mods = ke->modifiers();
    const bool down = ke->type() == QEvent::KeyPress;
    const UINT vk = VkOf(ke->key(), ke->modifiers());
    HWND target = recv;
    if (!AcceptsInput(target))
        return true;
    if (vk < 256)
        g_keyDown[vk] = down;
    const bool alt = (ke->modifiers() & Qt::AltModifier) != 0;
    const bool sys = alt || vk == VK_F10 || vk == VK_MENU;
    LPARAM lp = 1 | (static_cast<LPARAM>(ke->nativeScanCode() & 0xff) << 16);
    if (alt)
        lp |= 1L << 29;
    if (ke->isAutoRepeat() || !down)
        lp |= 1L << 30;
    if (!down)
        lp |= static_cast<LPARAM>(1UL << 31);
    bool pass = true;
    bool translated = false;
    if (vk) {
        const UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
        MSG m{target, msg, vk, lp, MessageTime(), {}};
        InputContext ctx;
        ctx.hwnd = target;
        ctx.message = msg;
        InputContext* saved = CurrentInput();
        CurrentInput() = &ctx;
        POINT pt;
        GetCursorPos(&pt);
        m.pt = pt;
        RunQueuedMessage(m);
        CurrentInput() = saved;
        pass = ctx.passToQt;
        translated = ctx.translated;
    }
    // F1 asks for help whatever the window did with the key: the focused window gets
    // WM_HELP, and each window that leaves it to DefWindowProc hands it on.
    if (down && vk == VK_F1 && !ke->isAutoRepeat() &&
        !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && IsWindow(target))
        SendHelp(target);
    const QString text = ke->text();
    if (down && (translated || !vk) && !text.isEmpty() && IsWindow(target)) {
        for (QChar c : text) {
            if (!IsWindow(target))
                break;
            MSG m{target,        static_cast<UINT>(sys ? WM_SYSCHAR : WM_CHAR),
                  c.unicode(),   lp,
                  MessageTime(), {}};
            pass = RunInput(m) && pass;
        }
    }
    WindowObject* w = FromHandle(target);
    if (!(pass && w && w->native))
        return true;
    return GiveToControl(receiver, ke);
}

} // namespace

bool Dispatcher::eventFilter(QObject* watched, QEvent* e) {
    ReceivePostedEvents();
    const QEvent::Type type = e->type();
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        break;
    default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    HWND recv = HandleOfWidget(widget);
    if (!recv || !IsWindow(recv))
        return false;
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        // Qt offers a mouse event to each parent widget in turn; take it once.
        if (DeliveringToControl() || (WidgetOf(recv) != widget && !FromHandle(recv)->native))
            return false;
        return HandleMouse(widget, recv, static_cast<QMouseEvent*>(e));
    case QEvent::Wheel:
        return HandleWheel(recv, static_cast<QWheelEvent*>(e));
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (static_cast<QKeyEvent*>(e)->key() == 0 || DeliveringToControl())
            return false;
        return HandleKey(widget, recv, static_cast<QKeyEvent*>(e));
    case QEvent::Leave: {
        if (WidgetOf(recv) != widget)
            return false;
        auto it = g_tracking.find(recv);
        if (it != g_tracking.end() && (it->second.flags & TME_LEAVE)) {
            delete it->second.hoverTimer;
            g_tracking.erase(it);
            PostMessage(recv, WM_MOUSELEAVE, 0, 0);
        }
        return false;
    }
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        if (WidgetOf(recv) == widget && widget->isWindow())
            SendMessage(recv, WM_ACTIVATE, type == QEvent::WindowActivate ? WA_ACTIVE : WA_INACTIVE,
                        0);
        return false;
    case QEvent::FocusIn:
        if (WidgetOf(recv) == widget || FromHandle(recv)->native) {
            if (g_focus != recv) {
                HWND old = g_focus;
                g_focus = recv;
                if (old && IsWindow(old))
                    SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(recv), 0);
                SendMessage(recv, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
            }
        }
        return false;
    default:
        return false;
    }
}

void InstallInputFilter() {
    static bool installed = false;
    if (installed || !QCoreApplication::instance())
        return;
    installed = true;
    QCoreApplication::instance()->installEventFilter(&Dispatcher::Instance());
}

QPoint ClampToClip(QPoint global) {
    if (!g_clip)
        return global;
    const QRect& c = *g_clip;
    return QPoint(std::clamp(global.x(), c.left(), c.right()),
                  std::clamp(global.y(), c.top(), c.bottom()));
}

void SuspendClipForModal(bool suspend) {
    if (suspend) {
        g_clipStack.push_back(g_clip);
        g_clip.reset();
    } else if (!g_clipStack.empty()) {
        // Give the clip back unless someone set a new one meanwhile.
        if (!g_clip)
            g_clip = g_clipStack.back();
        g_clipStack.pop_back();
    }
}

void ForgetWindowInput(HWND hwnd) {
    if (g_capture == hwnd)
        g_capture = nullptr;
    if (g_focus == hwnd)
        g_focus = nullptr;
    if (g_pressedNative == hwnd)
        g_pressedNative = nullptr;
    if (g_move.hwnd == hwnd)
        g_move = Move{};
    auto it = g_tracking.find(hwnd);
    if (it != g_tracking.end()) {
        delete it->second.hoverTimer;
        g_tracking.erase(it);
    }
}

void BeginManualMove(HWND hwnd) {
    g_move.hwnd = hwnd;
}

} // namespace ms::wnd

using namespace ms;
using namespace ms::wnd;

HWND SetCapture(HWND hwnd) {
    HWND old = g_capture;
    if (!FromHandle(hwnd))
        return old;
    if (old && old != hwnd) {
        if (QWidget* w = WidgetOf(old); w && !Headless())
            w->releaseMouse();
        SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    }
    g_capture = hwnd;
    if (QWidget* w = WidgetOf(hwnd); w && w->isVisible() && !Headless())
        w->grabMouse();
    return old;
}

BOOL ReleaseCapture() {
    HWND old = g_capture;
    if (!old)
        return TRUE;
    g_capture = nullptr;
    if (QWidget* w = WidgetOf(old); w && !Headless())
        w->releaseMouse();
    if (IsWindow(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    return g_capture;
}

BOOL ClipCursor(const RECT* rect) {
    if (!rect) {
        g_clip.reset();
        return TRUE;
    }
    if (rect->right <= rect->left || rect->bottom <= rect->top)
        return FALSE;
    g_clip = QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    if (g_cursorPos)
        g_cursorPos = ClampToClip(*g_cursorPos);
    return TRUE;
}

BOOL GetClipCursor(LPRECT rect) {
    if (!rect)
        return FALSE;
    if (g_clip) {
        *rect = RECT{g_clip->left(), g_clip->top(), g_clip->right() + 1, g_clip->bottom() + 1};
    } else {
        *rect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    const QPoint p = ClampToClip(QPoint(x, y));
    g_cursorPos = p;
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        g_syntheticPos = p;
        QCursor::setPos(p);
    }
    // The move the new position causes reaches the window under it (or the capture).
    HWND target = g_capture ? g_capture : HandleOfWidget(QApplication::widgetAt(p));
    if (target && AcceptsInput(target)) {
        MSG m{target, WM_MOUSEMOVE, KeyState(), ClientLParam(target, p), 0, {p.x(), p.y()}};
        PostToDispatcher(m);
    }
    return TRUE;
}

BOOL GetCursorPos(LPPOINT pt) {
    if (!pt)
        return FALSE;
    if (!g_cursorPos)
        g_cursorPos = ClampToClip(QCoreApplication::instance() ? QCursor::pos() : QPoint(0, 0));
    *pt = POINT{g_cursorPos->x(), g_cursorPos->y()};
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = g_cursor;
    g_cursor = cursor;
    if (g_showCount >= 0)
        ApplyCursor(cursor);
    return old;
}

HCURSOR GetCursor() {
    return g_cursor;
}

int ShowCursor(BOOL show) {
    g_showCount += show ? 1 : -1;
    ApplyCursor(g_showCount >= 0 ? g_cursor : nullptr);
    return g_showCount;
}

HWND SetFocus(HWND hwnd) {
    HWND old = g_focus;
    if (hwnd && !AcceptsInput(hwnd))
        return nullptr;
    if (hwnd == old)
        return old;
    g_focus = hwnd;
    if (old && IsWindow(old)) {
        SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
        if (!hwnd)
            if (QWidget* w = WidgetOf(old))
                w->clearFocus();
    }
    if (hwnd && IsWindow(hwnd)) {
        if (QWidget* w = WidgetOf(hwnd)) {
            if (w->focusPolicy() == Qt::NoFocus && !FromHandle(hwnd)->native)
                w->setFocusPolicy(Qt::ClickFocus);
            w->setFocus(Qt::OtherFocusReason);
        }
        if (g_focus == hwnd)
            SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    }
    return old;
}

HWND GetFocus() {
    return g_focus && IsWindow(g_focus) ? g_focus : nullptr;
}

SHORT GetKeyState(int vk) {
    bool down = false;
    switch (vk) {
    case VK_SHIFT:
        down = (g_mods & Qt::ShiftModifier) != 0;
        break;
    case VK_CONTROL:
        down = (g_mods & Qt::ControlModifier) != 0;
        break;
    case VK_MENU:
        down = (g_mods & Qt::AltModifier) != 0;
        break;
    case VK_LBUTTON:
        down = (g_buttons & Qt::LeftButton) != 0;
        break;
    case VK_RBUTTON:
        down = (g_buttons & Qt::RightButton) != 0;
        break;
    case VK_MBUTTON:
        down = (g_buttons & Qt::MiddleButton) != 0;
        break;
    default:
        down = vk >= 0 && vk < 256 && g_keyDown[vk];
        break;
    }
    return down ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetAsyncKeyState(int vk) {
    return GetKeyState(vk);
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT tme) {
    if (!tme || !FromHandle(tme->hwndTrack))
        return FALSE;
    HWND h = tme->hwndTrack;
    if (tme->dwFlags & TME_CANCEL) {
        auto it = g_tracking.find(h);
        if (it != g_tracking.end()) {
            it->second.flags &= ~(tme->dwFlags & (TME_HOVER | TME_LEAVE));
            if (!(it->second.flags & TME_HOVER) && it->second.hoverTimer)
                it->second.hoverTimer->stop();
            if (!it->second.flags) {
                delete it->second.hoverTimer;
                g_tracking.erase(it);
            }
        }
        return TRUE;
    }
    QWidget* w = WidgetOf(h);
    const bool inside = w && w->underMouse();
    auto& t = g_tracking[h];
    if ((tme->dwFlags & TME_LEAVE) && !inside) {
        // Already outside: the leave notice comes at once, as on Windows.
        PostMessage(h, WM_MOUSELEAVE, 0, 0);
        t.flags &= ~TME_LEAVE;
    } else {
        t.flags |= tme->dwFlags & TME_LEAVE;
    }
    if (tme->dwFlags & TME_HOVER) {
        t.flags |= TME_HOVER;
        t.hoverMs = tme->dwHoverTime == HOVER_DEFAULT ? 400 : tme->dwHoverTime;
        if (!t.hoverTimer) {
            t.hoverTimer = new QTimer;
            t.hoverTimer->setSingleShot(true);
            QObject::connect(t.hoverTimer, &QTimer::timeout, [h] {
                auto it = g_tracking.find(h);
                if (it == g_tracking.end() || !(it->second.flags & TME_HOVER))
                    return;
                it->second.flags &= ~TME_HOVER;
                POINT p;
                GetCursorPos(&p);
                ScreenToClient(h, &p);
                PostMessage(h, WM_MOUSEHOVER, KeyState(),
                            MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
            });
        }
        t.hoverTimer->start(static_cast<int>(t.hoverMs));
    }
    if (!t.flags)
        g_tracking.erase(h);
    return TRUE;
}

UINT GetDoubleClickTime() {
    return static_cast<UINT>(QApplication::doubleClickInterval());
}
