// The message queue over Qt's event queue: sending, posting, the pump step with
// pre-translation, default processing, timers, modal loops and WM_QUIT.
#include "platform/win/window/Framework.h"
#include "platform/win/window/Menu.h"
#include "platform/win/window/TestSeams.h"
#include "window/WindowInternal.h"

#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <unordered_map>

namespace ms::wnd {

namespace {

struct ModalFrame {
    HWND hwnd = nullptr;
    QEventLoop* loop = nullptr;
    bool ended = false;
    INT_PTR result = 0;
};

std::vector<ModalFrame*>& Frames() {
    static std::vector<ModalFrame*> f;
    return f;
}

std::map<HWND, INT_PTR>& PreEnded() {
    static std::map<HWND, INT_PTR> m;
    return m;
}

int g_quitCode = -1;
bool g_quit = false;
thread_local int t_inSend = 0;
MSG g_lastMsg{};

struct TimerRec {
    QTimer* timer = nullptr;
    bool pending = false;
    TIMERPROC proc = nullptr;
};

std::map<std::pair<HWND, UINT_PTR>, TimerRec>& Timers() {
    static std::map<std::pair<HWND, UINT_PTR>, TimerRec> t;
    return t;
}

UINT_PTR g_nextThreadTimer = 0x7000;

// Window procedures running on this thread (the UI thread is idle only outside all of them).
thread_local int t_procDepth = 0;

struct ProcScope {
    ProcScope() { ++t_procDepth; }
    ~ProcScope() { --t_procDepth; }
    ProcScope(const ProcScope&) = delete;
    ProcScope& operator=(const ProcScope&) = delete;
};

std::mutex g_idleMutex;
std::vector<std::function<void()>>& IdleHandlers() {
    static std::vector<std::function<void()>> handlers;
    return handlers;
}

} // namespace

void InstallIdleHook() {
    static bool done = false;
    auto* app = QCoreApplication::instance();
    if (done || !app)
        return;
    auto* events = QAbstractEventDispatcher::instance(app->thread());
    if (!events)
        return;
    done = true;
    QObject::connect(events, &QAbstractEventDispatcher::aboutToBlock, &Dispatcher::Instance(), [] {
        if (t_procDepth == 0)
            RunIdleHandlers();
    });
}

void RunIdleHandlers() {
    std::vector<std::function<void()>> handlers;
    {
        std::lock_guard lock(g_idleMutex);
        handlers = IdleHandlers();
    }
    for (auto& h : handlers)
        h();
}

Dispatcher& Dispatcher::Instance() {
    static Dispatcher* d = [] {
        auto* x = new Dispatcher;
        if (auto* app = QCoreApplication::instance())
            x->moveToThread(app->thread());
        return x;
    }();
    return *d;
}

InputContext*& CurrentInput() {
    static InputContext* ctx = nullptr;
    return ctx;
}

PreTranslateHook& PreTranslate() {
    static PreTranslateHook hook = nullptr;
    return hook;
}

HWND ModalStop() {
    for (auto it = Frames().rbegin(); it != Frames().rend(); ++it)
        if (!(*it)->ended)
            return (*it)->hwnd;
    return nullptr;
}

void SetLastMessage(const MSG& m) {
    g_lastMsg = m;
}

DWORD MessageTime() {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

void RunQueuedMessage(MSG& msg) {
    SetLastMessage(msg);
    if (PreTranslateHook hook = PreTranslate()) {
        if (hook(&msg, ModalStop()))
            return;
    } else if (HWND stop = ModalStop()) {
        // A plain dialog box loop: the dialog manager is its pre-translation.
        WindowObject* s = Lookup(stop);
        if (s && s->dialog && IsDialogMessage(stop, &msg))
            return;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
}

bool Dispatcher::event(QEvent* e) {
    ReceivePostedEvents();
    if (e->type() == kPostedMessageEvent) {
        MSG m = static_cast<PostedMessageEvent*>(e)->msg;
        if (!m.hwnd && m.message == WM_QUIT) {
            g_quit = true;
            g_quitCode = static_cast<int>(m.wParam);
            for (ModalFrame* f : Frames()) {
                if (!f->ended) {
                    f->ended = true;
                    f->result = -1;
                    if (f->loop)
                        f->loop->exit(0);
                }
            }
            QCoreApplication::exit(g_quitCode);
            return true;
        }
        if (m.hwnd && !IsWindow(m.hwnd))
            return true;
        if (m.message == WM_TIMER) {
            auto& timers = Timers();
            auto it = timers.find({m.hwnd, static_cast<UINT_PTR>(m.wParam)});
            if (it == timers.end() || !it->second.pending)
                return true; // killed or re-set since it fired
            it->second.pending = false;
        }
        m.time = MessageTime();
        POINT pt;
        GetCursorPos(&pt);
        m.pt = pt;
        RunQueuedMessage(m);
        return true;
    }
    if (e->type() == kUpdateWindowEvent) {
        return true;
    }
    return QObject::event(e);
}

void KillAllTimers(HWND hwnd) {
    auto& timers = Timers();
    for (auto it = timers.begin(); it != timers.end();) {
        if (it->first.first == hwnd) {
            delete it->second.timer;
            it = timers.erase(it);
        } else {
            ++it;
        }
    }
    PreEnded().erase(hwnd);
}

void ClearQuit() {
    const bool quitArrived = g_quit;
    g_quit = false;
    g_quitCode = -1;
    // WM_QUIT also told Qt to quit, and from then on Qt runs no event loop at all (every
    // later modal loop would return at once). Only the application's exec forgets that, so
    // run it once and leave it at once.
    auto* app = QCoreApplication::instance();
    if (quitArrived && app && Frames().empty()) {
        QTimer::singleShot(0, app, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }
}

bool TimerAlive(HWND hwnd, UINT_PTR id) {
    return Timers().count({hwnd, id}) != 0;
}

void TimerDelivered(HWND hwnd, UINT_PTR id) {
    auto it = Timers().find({hwnd, id});
    if (it != Timers().end())
        it->second.pending = false;
}

} // namespace ms::wnd

namespace ms::test {

bool TimerAlive(HWND hwnd, UINT_PTR id) {
    return wnd::TimerAlive(hwnd, id);
}

} // namespace ms::test

namespace ms {

void AddIdleHandler(std::function<void()> handler) {
    std::lock_guard lock(wnd::g_idleMutex);
    wnd::IdleHandlers().push_back(std::move(handler));
}

void SetPreTranslateHook(PreTranslateHook hook) {
    wnd::PreTranslate() = hook;
}

INT_PTR RunModalLoop(HWND hwnd) {
    using namespace wnd;
    AssertUiThread();
    auto pre = PreEnded().find(hwnd);
    if (pre != PreEnded().end()) {
        INT_PTR r = pre->second;
        PreEnded().erase(pre);
        return r;
    }
    if (g_quit || !IsWindow(hwnd))
        return -1;
    QEventLoop loop;
    ModalFrame frame;
    frame.hwnd = hwnd;
    frame.loop = &loop;
    Frames().push_back(&frame);
    SuspendClipForModal(true);
    if (!frame.ended)
        loop.exec(QEventLoop::AllEvents);
    SuspendClipForModal(false);
    Frames().erase(std::find(Frames().begin(), Frames().end(), &frame));
    return frame.ended ? frame.result : -1;
}

void EndModalLoop(HWND hwnd, INT_PTR result) {
    using namespace wnd;
    for (auto it = Frames().rbegin(); it != Frames().rend(); ++it) {
        ModalFrame* f = *it;
        if (f->hwnd == hwnd && !f->ended) {
            f->ended = true;
            f->result = result;
            f->loop->exit(0);
            return;
        }
    }
    if (IsWindow(hwnd))
        PreEnded()[hwnd] = result;
}

bool InModalLoop(HWND hwnd) {
    for (auto* f : wnd::Frames())
        if (f->hwnd == hwnd && !f->ended)
            return true;
    return false;
}

bool ModalEndPending(HWND hwnd) {
    return wnd::PreEnded().count(hwnd) != 0;
}

HWND CurrentModalWindow() {
    return wnd::ModalStop();
}

int QuitCode() {
    return wnd::g_quit ? wnd::g_quitCode : -1;
}

int RunMessageLoop() {
    EnsureApplication();
    if (wnd::g_quit)
        return wnd::g_quitCode;
    const int r = QApplication::exec();
    return wnd::g_quit ? wnd::g_quitCode : r;
}

} // namespace ms

using namespace ms;
using namespace ms::wnd;

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!OnUiThread()) {
        if (!QCoreApplication::instance() || !IsWindow(hwnd))
            return 0;
        // The window procedure runs on the UI thread; this thread waits for its answer. The
        // promise (not Qt's blocking connection) makes the hand-over of the answer and of
        // whatever the procedure wrote through lp visible to the thread checker too. A call
        // the UI thread drops unrun (the application going away) answers 0.
        auto answer = std::make_shared<std::promise<LRESULT>>();
        std::future<LRESULT> result = answer->get_future();
        QMetaObject::invokeMethod(
            &Dispatcher::Instance(),
            [answer, hwnd, msg, wp, lp] {
                ++t_inSend;
                const LRESULT r = SendMessage(hwnd, msg, wp, lp);
                --t_inSend;
                answer->set_value(r);
            },
            Qt::QueuedConnection);
        answer.reset();
        try {
            return result.get();
        } catch (const std::future_error&) {
            return 0;
        }
    }
    WindowObject* w = Lookup(hwnd);
    if (!w || !w->proc)
        return 0;
    ProcScope scope;
    return w->proc(hwnd, msg, wp, lp);
}

BOOL InSendMessage() {
    return t_inSend > 0 ? TRUE : FALSE;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!QCoreApplication::instance())
        return FALSE;
    if (hwnd && !IsWindow(hwnd))
        return FALSE;
    MSG m{hwnd, msg, wp, lp, 0, {0, 0}};
    PostToDispatcher(m);
    return TRUE;
}

BOOL PostThreadMessage(DWORD, UINT msg, WPARAM wp, LPARAM lp) {
    return PostMessage(nullptr, msg, wp, lp);
}

void PostQuitMessage(int exitCode) {
    PostMessage(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

UINT RegisterWindowMessage(LPCWSTR name) {
    static std::map<std::u16string, UINT> names;
    if (!name)
        return 0;
    auto it = names.find(name);
    if (it != names.end())
        return it->second;
    const UINT id = 0xC000 + static_cast<UINT>(names.size());
    names[name] = id;
    return id;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return proc ? proc(hwnd, msg, wp, lp) : 0;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return FALSE;
    InputContext* ctx = CurrentInput();
    if (ctx && ctx->hwnd == msg->hwnd && ctx->message == msg->message) {
        // The Qt key event behind it carries the character; the input filter sends it next.
        ctx->translated = true;
        return TRUE;
    }
    // A key message that did not come from the keyboard: produce the character of the
    // keys that have one.
    WCHAR ch = 0;
    const WPARAM vk = msg->wParam;
    if ((vk >= '0' && vk <= '9') || vk == VK_SPACE)
        ch = static_cast<WCHAR>(vk);
    else if (vk >= 'A' && vk <= 'Z')
        ch = static_cast<WCHAR>((GetKeyState(VK_SHIFT) < 0) ? vk : vk + 32);
    else if (vk == VK_RETURN)
        ch = u'\r';
    else if (vk == VK_ESCAPE)
        ch = 0x1b;
    else if (vk == VK_BACK)
        ch = 8;
    else if (vk == VK_TAB)
        ch = u'\t';
    if (!ch)
        return FALSE;
    PostMessage(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, msg->lParam);
    return TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        ProcScope scope;
        proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PeekMessage(LPMSG msg, HWND, UINT, UINT, UINT) {
    // Our queue is Qt's: let it deliver what is waiting; nothing is handed out.
    if (msg)
        *msg = MSG{};
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    return FALSE;
}

DWORD GetMessagePos() {
    return static_cast<DWORD>(
        MAKELONG(static_cast<WORD>(g_lastMsg.pt.x), static_cast<WORD>(g_lastMsg.pt.y)));
}

LONG GetMessageTime() {
    return static_cast<LONG>(g_lastMsg.time);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (hwnd && !FromHandle(hwnd))
        return 0;
    if (!OnUiThread()) {
        AssertUiThread();
        return 0;
    }
    if (!hwnd)
        id = ++g_nextThreadTimer;
    auto& rec = Timers()[{hwnd, id}];
    if (!rec.timer) {
        rec.timer = new QTimer(&Dispatcher::Instance());
        const auto key = std::make_pair(hwnd, id);
        QObject::connect(rec.timer, &QTimer::timeout, [key] {
            auto it = Timers().find(key);
            if (it == Timers().end() || it->second.pending)
                return; // one WM_TIMER at a time, as Windows coalesces them
            it->second.pending = true;
            PostMessage(key.first, WM_TIMER, key.second, reinterpret_cast<LPARAM>(it->second.proc));
        });
    }
    rec.proc = proc;
    rec.pending = false;
    rec.timer->start(static_cast<int>(std::max<UINT>(elapseMs, 10)));
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    // Timers belong to the user-interface thread, as they are set there only.
    if (!OnUiThread()) {
        AssertUiThread();
        return FALSE;
    }
    auto it = Timers().find({hwnd, id});
    if (it == Timers().end())
        return FALSE;
    delete it->second.timer;
    Timers().erase(it);
    return TRUE;
}

namespace {

void StartMove(WindowObject& w);

LRESULT DefaultText(WindowObject& w, UINT msg, WPARAM wp, LPARAM lp) {
    auto* cw = w.native ? dynamic_cast<ControlWidget*>(w.widget.data()) : nullptr;
    std::u16string text = w.text;
    if (cw)
        cw->ControlText(text);
    switch (msg) {
    case WM_SETTEXT: {
        const auto* s = reinterpret_cast<LPCWSTR>(lp);
        w.text = s ? s : u"";
        if (cw)
            cw->SetControlText(w.text);
        else if (w.widget && !w.IsChild())
            w.widget->setWindowTitle(QString::fromUtf16(w.text.c_str()));
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* buf = reinterpret_cast<LPWSTR>(lp);
        const int max = static_cast<int>(wp);
        if (!buf || max <= 0)
            return 0;
        const int n = std::min<int>(static_cast<int>(text.size()), max - 1);
        std::copy_n(text.data(), n, buf);
        buf[n] = 0;
        return n;
    }
    default:
        return static_cast<LRESULT>(text.size());
    }
}

} // namespace

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    AssertUiThread();
    if (InputContext* ctx = CurrentInput(); ctx && ctx->hwnd == hwnd && ctx->message == msg)
        ctx->passToQt = true;
    WindowObject* w = Lookup(hwnd);
    if (!w)
        return 0;
    switch (msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return DefaultText(*w, msg, wp, lp);
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        switch (wp & 0xFFF0) {
        case SC_MINIMIZE:
            ShowWindow(hwnd, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(hwnd, SW_MAXIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(hwnd, SW_RESTORE);
            break;
        case SC_CLOSE:
            SendMessage(hwnd, WM_CLOSE, 0, 0);
            break;
        case SC_MOVE:
            StartMove(*w);
            break;
        case SC_KEYMENU:
            OpenMenuBarByKey(hwnd, static_cast<WCHAR>(lp));
            break;
        default:
            break;
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH b = w->cls ? w->cls->background : nullptr;
        if (!b)
            return 0;
        if (reinterpret_cast<ULONG_PTR>(b) <= 40)
            b = GetSysColorBrush(static_cast<int>(reinterpret_cast<ULONG_PTR>(b)) - 1);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, b);
        return 1;
    }
    case WM_NCHITTEST: {
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        RECT wr;
        GetWindowRect(hwnd, &wr);
        if (pt.x < wr.left || pt.y < wr.top || pt.x >= wr.right || pt.y >= wr.bottom)
            return HTNOWHERE;
        ScreenToClient(hwnd, &pt);
        RECT cr;
        GetClientRect(hwnd, &cr);
        if (pt.x >= 0 && pt.y >= 0 && pt.x < cr.right && pt.y < cr.bottom)
            return HTCLIENT;
        return (w->style & WS_CAPTION) == WS_CAPTION && pt.y < 0 ? HTCAPTION : HTNOWHERE;
    }
    case WM_SETCURSOR: {
        if (w->IsChild() && w->parent && SendMessage(w->parent, WM_SETCURSOR, wp, lp))
            return TRUE;
        if (LOWORD(lp) == HTCLIENT) {
            if (w->cls && w->cls->cursor) {
                SetCursor(w->cls->cursor);
                return TRUE;
            }
            if (!w->IsChild() || w->native) {
                SetCursor(LoadCursor(nullptr, IDC_ARROW));
                return FALSE;
            }
            return FALSE;
        }
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        return FALSE;
    }
    case WM_MOUSEWHEEL:
        if (w->IsChild() && w->parent)
            return SendMessage(w->parent, msg, wp, lp);
        return 0;
    case WM_HELP:
        // Unanswered help goes to the parent of a child, or the owner of a pop-up.
        if (HWND next = w->IsChild() ? w->parent : w->owner)
            return SendMessage(next, msg, wp, lp);
        return 0;
    case WM_SETFONT:
        w->font = reinterpret_cast<HFONT>(wp);
        if (w->native && w->widget && w->font)
            w->widget->setFont(QFontOfHandle(w->font));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(w->font);
    case WM_SETICON: {
        HICON old = wp == ICON_BIG ? w->iconBig : w->iconSmall;
        if (wp == ICON_BIG)
            w->iconBig = reinterpret_cast<HICON>(lp);
        else
            w->iconSmall = reinterpret_cast<HICON>(lp);
        if (w->widget && !w->IsChild() && lp) {
            const QImage img = ImageOfIcon(reinterpret_cast<HICON>(lp));
            if (!img.isNull())
                w->widget->setWindowIcon(QIcon(QPixmap::fromImage(img)));
        }
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(wp == ICON_BIG ? w->iconBig : w->iconSmall);
    case WM_NCLBUTTONDOWN:
        if (wp == HTCAPTION)
            SendMessage(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lp);
        return 0;
    case WM_NCLBUTTONDBLCLK:
        if (wp == HTCAPTION && (w->style & WS_MAXIMIZEBOX))
            SendMessage(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lp);
        return 0;
    case WM_SYSKEYDOWN:
        if (wp == VK_F4 && !w->IsChild())
            SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCHAR:
        // Alt and a letter goes to the menu bar of the top-level window.
        if (HWND top = GetAncestor(hwnd, GA_ROOT))
            SendMessage(top, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wp));
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == hwnd)
            ReleaseCapture();
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        const bool edit = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
        SetBkColor(dc, GetSysColor(edit ? COLOR_WINDOW : COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(edit ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    default:
        return 0;
    }
}

namespace {

void StartMove(WindowObject& w) {
    if (w.IsChild() || !w.widget)
        return;
    // The window manager moves the window where there is one; otherwise the input filter
    // drags it with the mouse until the button comes up.
    if (QWindow* win = w.widget->windowHandle(); win && win->startSystemMove())
        return;
    BeginManualMove(w.handle);
}

} // namespace
