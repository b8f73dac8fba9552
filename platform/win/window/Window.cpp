// Window objects: the handle table, creation and destruction, tree, text, styles, geometry and
// show states.
#include "platform/win/window/Framework.h"
#include "platform/win/window/Menu.h"
#include "platform/win/window/Resources.h"
#include "window/WindowInternal.h"

#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"
#include "platform/win/gdi/Surface.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <unordered_map>

namespace ms {
namespace wnd {

namespace {

struct Table {
    std::unordered_map<HWND, std::unique_ptr<WindowObject>> windows;
    std::vector<HWND> order;
    std::unordered_map<const QWidget*, HWND> byWidget;
    std::unordered_map<std::u16string, WindowClass> classes;
    ULONG_PTR next = 0x10000;
};

Table& T() {
    static Table t;
    return t;
}

std::u16string Lower(std::u16string s) {
    for (auto& c : s)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return s;
}

std::u16string ClassKey(LPCWSTR name) {
    if (!name)
        return {};
    if (IS_INTRESOURCE(name)) {
        // The dialog class atom.
        if (reinterpret_cast<ULONG_PTR>(name) == 32770)
            return u"#32770";
        return u"#" + std::u16string(1, static_cast<char16_t>(u'0'));
    }
    return Lower(name);
}

thread_local std::function<void(HWND)> t_createHook;

void RegisterBuiltins();

} // namespace

std::recursive_mutex& TableMutex() {
    static std::recursive_mutex m;
    return m;
}

WindowObject* Lookup(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    std::lock_guard lock(TableMutex());
    auto it = T().windows.find(hwnd);
    return it == T().windows.end() ? nullptr : it->second.get();
}

std::vector<HWND> AllWindows() {
    std::lock_guard lock(TableMutex());
    return T().order;
}

std::vector<HWND> ChildrenOf(HWND hwnd) {
    std::vector<HWND> out;
    WindowObject* p = Lookup(hwnd);
    if (!p || !p->widget)
        return out;
    // Qt keeps children bottom first; Windows lists them top first.
    const auto kids = p->widget->children();
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
        auto* w = qobject_cast<QWidget*>(*it);
        if (!w)
            continue;
        std::lock_guard lock(TableMutex());
        auto f = T().byWidget.find(w);
        if (f == T().byWidget.end())
            continue;
        WindowObject* c = Lookup(f->second);
        if (c && c->parent == hwnd && !c->destroying)
            out.push_back(f->second);
    }
    return out;
}

std::vector<HWND> OwnedBy(HWND hwnd) {
    std::vector<HWND> out;
    for (HWND h : AllWindows()) {
        WindowObject* w = Lookup(h);
        if (w && w->owner == hwnd && !w->destroying)
            out.push_back(h);
    }
    return out;
}

bool OnUiThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

namespace {
std::mutex& ContractMutex() {
    static std::mutex m;
    return m;
}
std::function<void(const char*)>& ContractHandler() {
    static std::function<void(const char*)> handler;
    return handler;
}
} // namespace

void AssertUiThread(const char* caller) {
#ifdef NDEBUG
    (void)caller;
#else
    if (!QCoreApplication::instance() || OnUiThread())
        return;
    std::function<void(const char*)> handler;
    {
        std::lock_guard lock(ContractMutex());
        handler = ContractHandler();
    }
    if (handler) {
        handler(caller);
        return;
    }
    std::fprintf(stderr, "window layer: %s called off the UI thread (see WinUser.h)\n", caller);
    std::abort();
#endif
}

bool Headless() {
    static const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen") ||
                                 QGuiApplication::platformName() == QLatin1String("minimal");
    return headless;
}

std::function<void(HWND)> TakeCreateHook() {
    auto hook = std::move(t_createHook);
    t_createHook = nullptr;
    return hook;
}

void RunCreateHook(HWND hwnd) {
    if (t_createHook) {
        auto hook = std::move(t_createHook);
        t_createHook = nullptr;
        hook(hwnd);
    }
}

QMargins FrameOf(DWORD style, DWORD exStyle, bool child) {
    int b = 0;
    int caption = 0;
    if ((style & WS_CAPTION) == WS_CAPTION && !child)
        caption = GetSystemMetrics(SM_CYCAPTION);
    if (style & WS_THICKFRAME)
        b = GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        b = GetSystemMetrics(SM_CXDLGFRAME);
    else if (style & WS_BORDER)
        b = GetSystemMetrics(SM_CXBORDER);
    if (exStyle & WS_EX_CLIENTEDGE)
        b += GetSystemMetrics(SM_CXEDGE);
    if (exStyle & WS_EX_STATICEDGE)
        b += GetSystemMetrics(SM_CXBORDER);
    return QMargins(b, b + caption, b, b);
}

QRect ClientScreenRect(const WindowObject& w) {
    if (!w.widget)
        return {};
    const int inset = w.ClientInset();
    const QSize size = w.ClientSize();
    const QPoint origin = w.widget->mapToGlobal(QPoint(inset, inset + w.menuBar));
    return QRect(origin, size);
}

namespace {
struct LastGeometry {
    QPoint pos{-100000, -100000};
    QSize size{-1, -1};
};
std::unordered_map<HWND, LastGeometry>& Last() {
    static std::unordered_map<HWND, LastGeometry> m;
    return m;
}
} // namespace

void NotifyGeometry(WindowObject& w) {
    if (!w.widget || w.destroying)
        return;
    const QSize size = w.ClientSize();
    if (w.surface && w.surface->Size() != size)
        w.surface->Resize(std::max(size.width(), 0), std::max(size.height(), 0));
    QPoint pos;
    if (w.IsChild()) {
        pos = w.widget->pos() + QPoint(w.ClientInset(), w.ClientInset());
        if (WindowObject* p = Lookup(w.parent))
            pos -= QPoint(p->ClientInset(), p->ClientInset() + p->menuBar);
    } else {
        pos = w.widget->geometry().topLeft();
    }
    HWND h = w.handle;
    auto& last = Last()[h];
    const bool moved = last.pos != pos;
    const bool sized = last.size != size;
    last.pos = pos;
    last.size = size;
    if (moved)
        SendMessage(h, WM_MOVE, 0,
                    MAKELPARAM(static_cast<WORD>(pos.x()), static_cast<WORD>(pos.y())));
    if (sized && IsWindow(h)) {
        WPARAM kind = w.minimized ? SIZE_MINIMIZED : w.maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
        SendMessage(h, WM_SIZE, kind,
                    MAKELPARAM(static_cast<WORD>(size.width()), static_cast<WORD>(size.height())));
    }
}

// ---- SurfaceWidget ----

SurfaceWidget::SurfaceWidget(HWND hwnd, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), hwnd_(hwnd) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
}

void SurfaceWidget::paintEvent(QPaintEvent* e) {
    WindowObject* w = Lookup(hwnd_);
    if (!w || w->destroying)
        return;
    PaintPending(*w);
    w = Lookup(hwnd_);
    if (!w || !w->surface)
        return;
    QPainter p(this);
    const int inset = w->ClientInset();
    if (inset > 0) {
        p.setPen(Qt::NoPen);
        const bool sunken = (w->exStyle & WS_EX_CLIENTEDGE) != 0;
        p.fillRect(rect(), sunken ? QColor(160, 160, 160) : QColor(100, 100, 100));
        if (sunken && inset > 1)
            p.fillRect(rect().adjusted(1, 1, 0, 0), QColor(255, 255, 255));
        if (sunken && inset > 1)
            p.fillRect(rect().adjusted(1, 1, -1, -1), QColor(105, 105, 105));
    }
    // The last finished frame: a frame another thread is drawing shows when it ends.
    w->surface->PresentIfIdle();
    const QImage shown = w->surface->Presented();
    p.setClipRegion(e->region());
    p.drawImage(QPoint(inset, inset + w->menuBar), shown);
}

void SurfaceWidget::resizeEvent(QResizeEvent*) {
    if (WindowObject* w = Lookup(hwnd_)) {
        NotifyGeometry(*w);
        // A window that grows shows new pixels: they need painting.
        if (IsWindow(hwnd_))
            InvalidateRect(hwnd_, nullptr, TRUE);
    }
}

void SurfaceWidget::moveEvent(QMoveEvent*) {
    if (WindowObject* w = Lookup(hwnd_))
        NotifyGeometry(*w);
}

void SurfaceWidget::closeEvent(QCloseEvent* e) {
    // The window manager's close button is the system menu's Close.
    e->ignore();
    if (IsWindow(hwnd_))
        SendMessage(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void SurfaceWidget::changeEvent(QEvent* e) {
    // Without a window manager nobody else minimises or restores; the headless platform
    // only echoes our own requests, sometimes late.
    if (e->type() == QEvent::WindowStateChange && isWindow() && e->spontaneous() && !Headless()) {
        WindowObject* w = Lookup(hwnd_);
        if (!w || w->destroying)
            return;
        const bool nowMin = (windowState() & Qt::WindowMinimized) != 0;
        // The window manager minimised or restored the window: tell the window as Windows
        // does for the taskbar, through WM_SYSCOMMAND.
        if (nowMin && !w->minimized)
            SendMessage(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        else if (!nowMin && w->minimized)
            SendMessage(hwnd_, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    QWidget::changeEvent(e);
}

} // namespace wnd

// ---- WindowObject ----

int WindowObject::ClientInset() const {
    if (native || !IsChild())
        return 0;
    return wnd::FrameOf(style, exStyle, true).left();
}

QSize WindowObject::ClientSize() const {
    if (!widget)
        return {0, 0};
    const int inset = ClientInset();
    return QSize(std::max(widget->width() - 2 * inset - scrollBarRight, 0),
                 std::max(widget->height() - 2 * inset - scrollBarBottom - menuBar, 0));
}

Surface& WindowObject::EnsureSurface() {
    if (!surface) {
        const QSize s = ClientSize();
        auto made = std::make_shared<Surface>(s.width(), s.height());
        std::lock_guard lock(wnd::TableMutex());
        surface = std::move(made);
    }
    return *surface;
}

WindowObject* FromHandle(HWND hwnd, const char* caller) {
    wnd::AssertUiThread(caller);
    WindowObject* w = wnd::Lookup(hwnd);
    return w && !w->destroying ? w : nullptr;
}

HWND HandleOfWidget(const QWidget* w) {
    std::lock_guard lock(wnd::TableMutex());
    auto& map = wnd::T().byWidget;
    for (; w; w = w->parentWidget()) {
        auto it = map.find(w);
        if (it != map.end())
            return it->second;
        // Qt's own windows (message boxes, common dialogs) are not ours, even when parented
        // to one of our widgets.
        if (w->isWindow())
            return nullptr;
    }
    return nullptr;
}

QWidget* WidgetOf(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    return w ? w->widget.data() : nullptr;
}

void EnsureApplication() {
    if (!QCoreApplication::instance()) {
        // Named as the running program: the desktop groups and pins its windows by that name
        // (their WM_CLASS).
        static std::string name = [] {
            char buf[4096];
            const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
            const std::string path(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
            const std::string base = path.substr(path.find_last_of('/') + 1);
            return base.empty() ? std::string("microscope") : base;
        }();
        static int argc = 1;
        static char* argv[] = {name.data(), nullptr};
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        app->setQuitOnLastWindowClosed(false);
    std::setlocale(LC_NUMERIC, "C");
    wnd::InstallInputFilter();
    wnd::InstallIdleHook();
    static const bool loader = [] {
        res::InstallStringLoader();
        return true;
    }();
    (void)loader;
}

void RegisterControlClass(const std::u16string& name, WNDPROC proc, ControlFactory factory,
                          UINT classStyle, HCURSOR cursor) {
    WindowClass c;
    c.name = name;
    c.proc = proc ? proc : DefWindowProc;
    c.style = classStyle;
    c.cursor = cursor;
    c.factory = std::move(factory);
    std::lock_guard lock(wnd::TableMutex());
    wnd::T().classes[wnd::Lower(name)] = std::move(c);
}

const WindowClass* FindWindowClass(const std::u16string& name) {
    wnd::RegisterBuiltins();
    std::lock_guard lock(wnd::TableMutex());
    auto it = wnd::T().classes.find(wnd::Lower(name));
    return it == wnd::T().classes.end() ? nullptr : &it->second;
}

void SetCreateHook(std::function<void(HWND)> hook) {
    wnd::t_createHook = std::move(hook);
}

namespace wnd {
namespace {
void RegisterBuiltins() {
    static bool done = false;
    if (done)
        return;
    done = true;
    WindowClass dlg;
    dlg.name = u"#32770";
    dlg.proc = DialogClassProc;
    dlg.style = CS_DBLCLKS | CS_SAVEBITS;
    dlg.background = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_3DFACE + 1));
    std::lock_guard lock(TableMutex());
    T().classes.emplace(u"#32770", dlg);
}
} // namespace
} // namespace wnd

namespace test {
void OnThreadContractBroken(std::function<void(const char* call)> handler) {
    std::lock_guard lock(wnd::ContractMutex());
    wnd::ContractHandler() = std::move(handler);
}
} // namespace test

} // namespace ms

using namespace ms;
using namespace ms::wnd;

ATOM RegisterClass(const WNDCLASSW* wc) {
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName))
        return 0;
    RegisterBuiltins();
    WindowClass c;
    c.name = wc->lpszClassName;
    c.style = wc->style;
    c.proc = wc->lpfnWndProc ? wc->lpfnWndProc : DefWindowProc;
    c.cursor = wc->hCursor;
    c.icon = wc->hIcon;
    c.background = wc->hbrBackground;
    std::lock_guard lock(TableMutex());
    auto key = Lower(c.name);
    if (T().classes.count(key))
        return 0; // as Windows: ERROR_CLASS_ALREADY_EXISTS
    T().classes[key] = std::move(c);
    return static_cast<ATOM>(0xC000 + T().classes.size());
}

BOOL GetClassInfo(HINSTANCE, LPCWSTR className, WNDCLASSW* out) {
    const WindowClass* c = FindWindowClass(ClassKey(className));
    if (!c || !out)
        return FALSE;
    *out = WNDCLASSW{};
    out->style = c->style;
    out->lpfnWndProc = c->proc;
    out->hCursor = c->cursor;
    out->hIcon = c->icon;
    out->hbrBackground = c->background;
    out->lpszClassName = className;
    return TRUE;
}

HWND CreateWindowEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId, HINSTANCE, LPVOID param) {
    EnsureApplication();
    const WindowClass* cls = FindWindowClass(ClassKey(className));
    if (!cls)
        return nullptr;
    const bool child = (style & WS_CHILD) != 0;
    WindowObject* parentObj = FromHandle(parent);
    if (child && !parentObj)
        return nullptr;

    auto obj = std::make_unique<WindowObject>();
    WindowObject& w = *obj;
    HWND hwnd;
    {
        std::lock_guard lock(TableMutex());
        hwnd = reinterpret_cast<HWND>(T().next);
        T().next += 4;
        w.handle = hwnd;
        T().windows[hwnd] = std::move(obj);
        T().order.push_back(hwnd);
    }
    w.cls = cls;
    w.className = cls->name;
    w.proc = cls->proc;
    w.style = style & ~WS_VISIBLE;
    w.exStyle = exStyle;
    w.text = windowName ? windowName : u"";
    w.dialog = cls->name == u"#32770";
    if (child) {
        w.parent = parent;
        w.id = static_cast<int>(reinterpret_cast<ULONG_PTR>(menuOrId));
    } else {
        // A pop-up's owner is the top-level window of the given parent.
        HWND o = parent;
        while (WindowObject* ow = FromHandle(o)) {
            if (!ow->IsChild())
                break;
            o = ow->parent;
        }
        w.owner = FromHandle(o) ? o : nullptr;
        w.menu = menuOrId;
    }

    QWidget* parentWidget = nullptr;
    if (child)
        parentWidget = parentObj->widget;
    else if (WindowObject* ow = FromHandle(w.owner))
        parentWidget = ow->widget;
    QWidget* widget = nullptr;
    if (cls->factory) {
        w.native = true;
        widget = cls->factory(w, parentWidget);
        if (!child && widget)
            widget->setWindowFlags(TopLevelFlags(style, exStyle, false));
    }
    // A factory that gives no widget makes a custom-painted window (owner-drawn controls).
    if (!widget) {
        w.native = false;
        widget = new SurfaceWidget(hwnd, parentWidget,
                                   child ? Qt::Widget : TopLevelFlags(style, exStyle, w.dialog));
    }
    w.widget = widget;
    {
        std::lock_guard lock(TableMutex());
        T().byWidget[widget] = hwnd;
    }
    widget->setAttribute(Qt::WA_DeleteOnClose, false);
    if (auto* cw = dynamic_cast<ControlWidget*>(widget); cw && !w.text.empty())
        cw->SetControlText(w.text);
    if (!child)
        widget->setWindowTitle(QString::fromUtf16(w.text.c_str()));

    // Default geometry as Windows: CW_USEDEFAULT places a top-level window on its own.
    // (The rectangle is made from the final values: CW_USEDEFAULT itself would overflow it.)
    if (!child && x == CW_USEDEFAULT) {
        x = 40;
        y = 40;
    }
    if (!child && width == CW_USEDEFAULT) {
        width = 640;
        height = 480;
    }
    const QRect r(x, y, width, height);
    if (!w.native)
        w.EnsureSurface();
    PlaceWidget(w, r);
    if (!child && w.menu)
        UpdateMenuBar(hwnd);
    if (!w.native)
        w.EnsureSurface().Resize(w.ClientSize().width(), w.ClientSize().height());
    if (style & WS_DISABLED) {
        if (child)
            widget->setEnabled(false);
    }
    // Qt shows a child with its parent unless told otherwise; a window shows only with
    // WS_VISIBLE.
    if (child && !(style & WS_VISIBLE))
        widget->hide();

    RunCreateHook(hwnd);

    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hMenu = menuOrId;
    cs.hwndParent = parent;
    cs.x = r.x();
    cs.y = r.y();
    cs.cx = r.width();
    cs.cy = r.height();
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    if (!SendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
        SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd))
        return nullptr;
    NotifyGeometry(w);
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

namespace {

void DestroyTree(HWND hwnd, bool top) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return;
    // Owned pop-ups go first, then the window's WM_DESTROY, then its children; WM_NCDESTROY
    // comes last, children before parents.
    for (HWND o : OwnedBy(hwnd))
        DestroyWindow(o);
    if (!FromHandle(hwnd))
        return;
    if (GetCapture() == hwnd)
        ReleaseCapture();
    KillAllTimers(hwnd);
    if (top && w->widget)
        w->widget->hide();
    SendMessage(hwnd, WM_DESTROY, 0, 0);
    w = Lookup(hwnd);
    if (!w)
        return;
    w->destroying = true;
    for (HWND c : ChildrenOfAll(hwnd))
        DestroyTree(c, false);
    (void)top;
}

} // namespace

std::vector<HWND> ms::wnd::ChildrenOfAll(HWND hwnd) {
    std::vector<HWND> out;
    for (HWND h : AllWindows()) {
        WindowObject* c = Lookup(h);
        if (c && c->parent == hwnd && c->IsChild())
            out.push_back(h);
    }
    return out;
}

namespace {
void FinishDestroy(HWND hwnd) {
    for (HWND c : ChildrenOfAll(hwnd))
        FinishDestroy(c);
    WindowObject* w = Lookup(hwnd);
    if (!w)
        return;
    // WM_NCDESTROY still reaches the window procedure; the handle dies right after it.
    w->destroying = false;
    SendMessage(hwnd, WM_NCDESTROY, 0, 0);
    std::unique_ptr<WindowObject> obj;
    {
        std::lock_guard lock(TableMutex());
        auto it = T().windows.find(hwnd);
        if (it == T().windows.end())
            return;
        obj = std::move(it->second);
        T().windows.erase(it);
        T().order.erase(std::remove(T().order.begin(), T().order.end(), hwnd), T().order.end());
        if (obj->widget)
            T().byWidget.erase(obj->widget.data());
    }
    ForgetWindowInput(hwnd);
    DestroySystemMenu(*obj);
    Last().erase(hwnd);
    if (obj->widget) {
        // The widget may be inside its own event handler: Qt deletes it when the loop returns.
        obj->widget->hide();
        obj->widget->deleteLater();
    }
    // A DC another thread still holds keeps the pixels alive; closing makes it fail.
    if (obj->surface)
        obj->surface->Close();
}
} // namespace

BOOL DestroyWindow(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return FALSE;
    const bool wasModal = InModalLoop(hwnd);
    DestroyTree(hwnd, true);
    if (Lookup(hwnd))
        FinishDestroy(hwnd);
    if (wasModal)
        EndModalLoop(hwnd, IDCANCEL);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    std::lock_guard lock(TableMutex());
    return T().windows.count(hwnd) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    while (w && w->IsChild()) {
        if (w->parent == parent)
            return TRUE;
        w = FromHandle(w->parent);
    }
    return FALSE;
}

HWND GetParent(HWND hwnd) {
    AssertUiThread();
    WindowObject* w = Lookup(hwnd);
    if (!w)
        return nullptr;
    return w->IsChild() ? w->parent : w->owner;
}

HWND SetParent(HWND child, HWND newParent) {
    WindowObject* w = FromHandle(child);
    WindowObject* p = FromHandle(newParent);
    if (!w || !p || !w->IsChild())
        return nullptr;
    HWND old = w->parent;
    w->parent = newParent;
    if (w->widget) {
        const bool vis = w->widget->isVisible();
        w->widget->setParent(p->widget);
        if (vis)
            w->widget->show();
    }
    return old;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return nullptr;
    if (cmd == GW_CHILD) {
        auto kids = ChildrenOf(hwnd);
        return kids.empty() ? nullptr : kids.front();
    }
    if (cmd == GW_OWNER)
        return w->IsChild() ? nullptr : w->owner;
    if (!w->IsChild())
        return nullptr;
    auto sib = ChildrenOf(w->parent);
    auto it = std::find(sib.begin(), sib.end(), hwnd);
    if (it == sib.end())
        return nullptr;
    switch (cmd) {
    case GW_HWNDFIRST:
        return sib.front();
    case GW_HWNDLAST:
        return sib.back();
    case GW_HWNDNEXT:
        return it + 1 == sib.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV:
        return it == sib.begin() ? nullptr : *(it - 1);
    default:
        return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd) {
    return GetWindow(hwnd, GW_CHILD);
}

HWND GetDesktopWindow() {
    return nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return nullptr;
    if (flags == GA_PARENT)
        return w->IsChild() ? w->parent : nullptr;
    HWND h = hwnd;
    while (WindowObject* c = FromHandle(h)) {
        if (!c->IsChild())
            break;
        h = c->parent;
    }
    if (flags == GA_ROOTOWNER) {
        while (WindowObject* c = FromHandle(h)) {
            if (!c->owner)
                break;
            h = c->owner;
        }
    }
    return h;
}

HWND FindWindowEx(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName) {
    std::vector<HWND> candidates;
    if (parent) {
        candidates = ChildrenOf(parent);
    } else {
        for (HWND h : AllWindows())
            if (WindowObject* w = FromHandle(h); w && !w->IsChild())
                candidates.push_back(h);
    }
    bool started = childAfter == nullptr;
    const std::u16string cls = className ? ClassKey(className) : std::u16string();
    for (HWND h : candidates) {
        if (!started) {
            started = h == childAfter;
            continue;
        }
        WindowObject* w = FromHandle(h);
        if (!w)
            continue;
        if (className && Lower(w->className) != cls)
            continue;
        if (windowName) {
            WCHAR buf[512];
            GetWindowText(h, buf, 512);
            if (std::u16string(buf) != windowName)
                continue;
        }
        return h;
    }
    return nullptr;
}

int GetClassName(HWND hwnd, LPWSTR buf, int max) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !buf || max <= 0)
        return 0;
    const int n = std::min<int>(static_cast<int>(w->className.size()), max - 1);
    std::copy_n(w->className.data(), n, buf);
    buf[n] = 0;
    return n;
}

int GetDlgCtrlID(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    return w && w->IsChild() ? w->id : 0;
}

HWND GetDlgItem(HWND dialog, int id) {
    for (HWND h : ChildrenOf(dialog))
        if (FromHandle(h)->id == id)
            return h;
    return nullptr;
}

namespace {

void StyleBitsChanged(WindowObject& w, DWORD old) {
    const DWORD changed = old ^ w.style;
    if (!w.widget)
        return;
    if (changed & WS_DISABLED) {
        if (w.IsChild())
            w.widget->setEnabled(!(w.style & WS_DISABLED));
    }
    if (changed & WS_VISIBLE)
        w.widget->setVisible((w.style & WS_VISIBLE) != 0);
    if (w.native)
        if (auto* cw = dynamic_cast<ControlWidget*>(w.widget.data()))
            cw->StyleChanged(w.style);
}

} // namespace

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
    AssertUiThread();
    WindowObject* w = Lookup(hwnd);
    if (!w)
        return 0;
    if (w->dialog || w->dlgProc) {
        switch (index) {
        case DWLP_MSGRESULT:
            return w->dlgMsgResult;
        case DWLP_DLGPROC:
            return reinterpret_cast<LONG_PTR>(w->dlgProc);
        case DWLP_USER:
            return w->dlgUser;
        default:
            break;
        }
    }
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_ID:
        return w->id;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(w->exStyle);
    case GWLP_USERDATA:
        return w->userData;
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(GetParent(hwnd));
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return 0;
    const LONG_PTR old = GetWindowLongPtr(hwnd, index);
    if (w->dialog || w->dlgProc) {
        switch (index) {
        case DWLP_MSGRESULT:
            w->dlgMsgResult = value;
            return old;
        case DWLP_DLGPROC:
            w->dlgProc = reinterpret_cast<DLGPROC>(value);
            return old;
        case DWLP_USER:
            w->dlgUser = value;
            return old;
        default:
            break;
        }
    }
    switch (index) {
    case GWLP_WNDPROC:
        w->proc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWLP_ID:
        w->id = static_cast<int>(value);
        break;
    case GWL_STYLE: {
        const DWORD prev = w->style;
        // WS_VISIBLE follows the widget; the rest waits for SWP_FRAMECHANGED, as on Windows.
        w->style = static_cast<DWORD>(value);
        StyleBitsChanged(*w, prev);
        break;
    }
    case GWL_EXSTYLE:
        w->exStyle = static_cast<DWORD>(value);
        break;
    case GWLP_USERDATA:
        w->userData = value;
        break;
    default:
        return 0;
    }
    return old;
}

LONG GetWindowLong(HWND hwnd, int index) {
    return static_cast<LONG>(GetWindowLongPtr(hwnd, index));
}

LONG SetWindowLong(HWND hwnd, int index, LONG value) {
    LONG_PTR v = value;
    if (index == GWL_STYLE || index == GWL_EXSTYLE)
        v = static_cast<LONG_PTR>(static_cast<DWORD>(value));
    return static_cast<LONG>(SetWindowLongPtr(hwnd, index, v));
}

BOOL SetProp(HWND hwnd, LPCWSTR name, HANDLE data) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !name)
        return FALSE;
    w->props[name] = data;
    return TRUE;
}

HANDLE GetProp(HWND hwnd, LPCWSTR name) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->props.find(name);
    return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemoveProp(HWND hwnd, LPCWSTR name) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->props.find(name);
    if (it == w->props.end())
        return nullptr;
    HANDLE h = it->second;
    w->props.erase(it);
    return h;
}

BOOL SetWindowText(HWND hwnd, LPCWSTR text) {
    if (!IsWindow(hwnd))
        return FALSE;
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE
                                                                                         : FALSE;
}

int GetWindowText(HWND hwnd, LPWSTR buf, int max) {
    if (!buf || max <= 0)
        return 0;
    buf[0] = 0;
    if (!IsWindow(hwnd))
        return 0;
    return static_cast<int>(
        SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(max), reinterpret_cast<LPARAM>(buf)));
}

int GetWindowTextLength(HWND hwnd) {
    if (!IsWindow(hwnd))
        return 0;
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}
