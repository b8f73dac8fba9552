// Window objects: the handle table, creation and destruction, tree, text, styles, geometry and
// show states.
#include "platform/win/window/Framework.h"
#include "platform/win/window/Resources.h"
#include "platform/win/window/WindowInternal.h"

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
    const QPoint origin = w.widget->mapToGlobal(QPoint(inset, inset));
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
    if (w.surface && (w.surface->Image().width() != size.width() ||
                      w.surface->Image().height() != size.height())) {
        std::lock_guard lock(w.surface->Mutex());
        w.surface->Resize(std::max(size.width(), 0), std::max(size.height(), 0));
    }
    QPoint pos;
    if (w.IsChild()) {
        pos = w.widget->pos() + QPoint(w.ClientInset(), w.ClientInset());
        if (WindowObject* p = Lookup(w.parent))
            pos -= QPoint(p->ClientInset(), p->ClientInset());
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
        SendMessage(h, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(pos.x()), static_cast<WORD>(pos.y())));
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
    std::lock_guard lock(w->surface->Mutex());
    p.setClipRegion(e->region());
    p.drawImage(QPoint(inset, inset), w->surface->Image());
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

namespace {

Qt::WindowFlags TopLevelFlags(DWORD style, DWORD exStyle, bool dialog) {
    Qt::WindowFlags f = dialog ? Qt::Dialog : Qt::Window;
    if ((style & WS_CAPTION) != WS_CAPTION) {
        f |= Qt::FramelessWindowHint;
    } else {
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (style & WS_SYSMENU)
            f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (style & WS_MINIMIZEBOX)
            f |= Qt::WindowMinimizeButtonHint;
        if (style & WS_MAXIMIZEBOX)
            f |= Qt::WindowMaximizeButtonHint;
    }
    if (exStyle & WS_EX_TOPMOST)
        f |= Qt::WindowStaysOnTopHint;
    if (exStyle & WS_EX_TOOLWINDOW)
        f = (f & ~Qt::WindowType_Mask) | Qt::Tool;
    return f;
}

void ApplyTopLevelFlags(WindowObject& w) {
    if (!w.widget || w.IsChild())
        return;
    const Qt::WindowFlags f = TopLevelFlags(w.style, w.exStyle, w.dialog);
    if (w.widget->windowFlags() == f)
        return;
    const QRect g = w.widget->geometry();
    const bool visible = w.widget->isVisible();
    w.widget->setWindowFlags(f);
    w.widget->setGeometry(g);
    if (visible)
        w.widget->show();
}

// Places the widget so that the window rectangle (parent client coordinates for children,
// screen for top-level windows) is `r`.
void PlaceWidget(WindowObject& w, QRect r) {
    if (!w.widget)
        return;
    if (w.IsChild()) {
        int pin = 0;
        if (WindowObject* p = Lookup(w.parent))
            pin = p->ClientInset();
        w.widget->setGeometry(r.translated(pin, pin));
    } else {
        const QMargins m = FrameOf(w.style, w.exStyle, false);
        w.widget->setGeometry(r.marginsRemoved(m));
    }
}

QRect WindowRectOf(const WindowObject& w) {
    if (!w.widget)
        return {};
    if (w.IsChild())
        return QRect(w.widget->mapToGlobal(QPoint(0, 0)), w.widget->size());
    const QRect client(w.widget->mapToGlobal(QPoint(0, 0)), w.widget->size());
    return client.marginsAdded(FrameOf(w.style, w.exStyle, false));
}

} // namespace
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
    return QSize(std::max(widget->width() - 2 * inset, 0), std::max(widget->height() - 2 * inset, 0));
}

Surface& WindowObject::EnsureSurface() {
    if (!surface) {
        const QSize s = ClientSize();
        surface = std::make_unique<Surface>(s.width(), s.height());
    }
    return *surface;
}

WindowObject* FromHandle(HWND hwnd) {
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
        static int argc = 1;
        static char name[] = "microscope";
        static char* argv[] = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        app->setQuitOnLastWindowClosed(false);
    std::setlocale(LC_NUMERIC, "C");
    wnd::InstallInputFilter();
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

void SetCreateHook(std::function<void(HWND)> hook) { wnd::t_createHook = std::move(hook); }

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
    // Classes registered before this point (by the controls library) stay.
    RegisterStandardControls([](const WindowClass& c) { T().classes.emplace(Lower(c.name), c); });
}
} // namespace
} // namespace wnd

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
    } else {
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
    QRect r(x, y, width, height);
    if (!child && (x == CW_USEDEFAULT || width == CW_USEDEFAULT)) {
        if (x == CW_USEDEFAULT)
            r.moveTopLeft(QPoint(40, 40));
        if (width == CW_USEDEFAULT)
            r.setSize(QSize(640, 480));
    }
    if (!cls->factory)
        w.EnsureSurface();
    PlaceWidget(w, r);
    if (!cls->factory)
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
    if (obj->surface) {
        std::lock_guard lock(obj->surface->Mutex());
    }
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

HWND GetTopWindow(HWND hwnd) { return GetWindow(hwnd, GW_CHILD); }

HWND GetDesktopWindow() { return nullptr; }

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

LONG GetWindowLong(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtr(hwnd, index)); }

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
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}

int GetWindowText(HWND hwnd, LPWSTR buf, int max) {
    if (!buf || max <= 0)
        return 0;
    buf[0] = 0;
    if (!IsWindow(hwnd))
        return 0;
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(max), reinterpret_cast<LPARAM>(buf)));
}

int GetWindowTextLength(HWND hwnd) {
    if (!IsWindow(hwnd))
        return 0;
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

namespace {

QRect WorkArea() {
    RECT r{};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &r, 0);
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

QRect CurrentWindowRect(const WindowObject& w) {
    if (w.IsChild()) {
        QRect r = w.widget ? w.widget->geometry() : QRect();
        if (WindowObject* p = Lookup(w.parent))
            r.translate(-p->ClientInset(), -p->ClientInset());
        return r;
    }
    return WindowRectOf(w);
}

} // namespace

BOOL ShowWindow(HWND hwnd, int cmd) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !w->widget)
        return FALSE;
    const BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    QWidget* wid = w->widget;
    switch (cmd) {
    case SW_HIDE:
        if (wasVisible)
            SendMessage(hwnd, WM_SHOWWINDOW, FALSE, 0);
        w = FromHandle(hwnd);
        if (!w)
            return wasVisible;
        w->style &= ~WS_VISIBLE;
        wid->hide();
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        if (!wasVisible)
            SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
        w->style |= WS_VISIBLE | WS_MINIMIZE;
        if (!w->minimized) {
            w->minimized = true;
            if (!w->IsChild())
                wid->showMinimized();
            SendMessage(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
        }
        break;
    case SW_MAXIMIZE: {
        if (!wasVisible)
            SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
        w->style |= WS_VISIBLE;
        w->style &= ~WS_MINIMIZE;
        const bool wasMin = w->minimized;
        w->minimized = false;
        if (!w->maximized) {
            const QRect cur = CurrentWindowRect(*w);
            w->restoreRect = RECT{cur.left(), cur.top(), cur.right() + 1, cur.bottom() + 1};
            w->maximized = true;
            w->style |= WS_MAXIMIZE;
            QRect target = w->IsChild() ? QRect(QPoint(0, 0), FromHandle(w->parent)->ClientSize()) : WorkArea();
            if (wasMin && !w->IsChild())
                wid->showNormal();
            PlaceWidget(*w, target);
        }
        wid->show();
        NotifyGeometry(*w);
        break;
    }
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
        if (!wasVisible)
            SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
        w->style |= WS_VISIBLE;
        if (w->minimized) {
            w->minimized = false;
            w->style &= ~WS_MINIMIZE;
            if (!w->IsChild())
                wid->showNormal();
            wid->show();
            if (!w->maximized) {
                const QSize s = w->ClientSize();
                SendMessage(hwnd, WM_SIZE, SIZE_RESTORED,
                            MAKELPARAM(static_cast<WORD>(s.width()), static_cast<WORD>(s.height())));
            }
        } else if (w->maximized) {
            w->maximized = false;
            w->style &= ~WS_MAXIMIZE;
            const RECT& r = w->restoreRect;
            PlaceWidget(*w, QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)));
            wid->show();
            NotifyGeometry(*w);
        } else {
            wid->show();
        }
        if (!w->IsChild() && cmd != SW_SHOWNOACTIVATE && !Headless()) {
            wid->raise();
            wid->activateWindow();
        }
        break;
    default: // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE
        if (!wasVisible)
            SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
        w = FromHandle(hwnd);
        if (!w)
            return wasVisible;
        w->style |= WS_VISIBLE;
        wid->show();
        if (!w->IsChild() && cmd == SW_SHOW && !Headless()) {
            wid->raise();
            wid->activateWindow();
        }
        break;
    }
    return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    while (w) {
        if (!(w->style & WS_VISIBLE))
            return FALSE;
        if (!w->IsChild())
            return TRUE;
        w = FromHandle(w->parent);
    }
    return FALSE;
}

BOOL IsIconic(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    return w && w->minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    return w && w->maximized ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return FALSE;
    const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (enable && wasDisabled) {
        w->style &= ~WS_DISABLED;
        if (w->IsChild() && w->widget)
            w->widget->setEnabled(true);
        SendMessage(hwnd, WM_ENABLE, TRUE, 0);
    } else if (!enable && !wasDisabled) {
        // Top-level windows stay enabled for Qt (disabling a Qt window would disable the
        // dialogs it owns); the input filter drops their input instead.
        if (GetFocus() == hwnd || IsChild(hwnd, GetFocus()))
            SetFocus(nullptr);
        w->style |= WS_DISABLED;
        if (w->IsChild() && w->widget)
            w->widget->setEnabled(false);
        if (GetCapture() == hwnd)
            ReleaseCapture();
        SendMessage(hwnd, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int w, int h, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !w->widget)
        return FALSE;
    if (flags & SWP_FRAMECHANGED)
        ApplyTopLevelFlags(*w);
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
            const DWORD old = w->exStyle;
            if (insertAfter == HWND_TOPMOST)
                w->exStyle |= WS_EX_TOPMOST;
            else
                w->exStyle &= ~WS_EX_TOPMOST;
            if (old != w->exStyle)
                ApplyTopLevelFlags(*w);
            if (w->IsChild() || !Headless())
                w->widget->raise();
        } else if (insertAfter == HWND_TOP) {
            if (w->IsChild() || !Headless())
                w->widget->raise();
        } else if (insertAfter == HWND_BOTTOM) {
            if (w->IsChild() || !Headless())
                w->widget->lower();
        } else if (QWidget* other = WidgetOf(insertAfter)) {
            w->widget->stackUnder(other);
        }
    }
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        QRect r = CurrentWindowRect(*w);
        if (!(flags & SWP_NOMOVE))
            r.moveTopLeft(QPoint(x, y));
        if (!(flags & SWP_NOSIZE))
            r.setSize(QSize(std::max(cx, 0), std::max(cy, 0)));
        w->maximized = false;
        w->style &= ~WS_MAXIMIZE;
        PlaceWidget(*w, r);
        NotifyGeometry(*w);
        w = FromHandle(hwnd);
        if (!w)
            return TRUE;
    }
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    if ((flags & SWP_FRAMECHANGED) && IsWindow(hwnd))
        InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !rect)
        return FALSE;
    const QRect r = WindowRectOf(*w);
    *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !rect)
        return FALSE;
    const QSize s = w->ClientSize();
    *rect = RECT{0, 0, s.width(), s.height()};
    return TRUE;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* wp) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !wp)
        return FALSE;
    wp->flags = 0;
    wp->showCmd = w->minimized ? SW_SHOWMINIMIZED : w->maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    if (w->maximized) {
        wp->rcNormalPosition = w->restoreRect;
    } else {
        const QRect r = CurrentWindowRect(*w);
        wp->rcNormalPosition = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT pt) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !pt)
        return FALSE;
    const QRect c = ClientScreenRect(*w);
    pt->x += c.left();
    pt->y += c.top();
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT pt) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !pt)
        return FALSE;
    const QRect c = ClientScreenRect(*w);
    pt->x -= c.left();
    pt->y -= c.top();
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT pts, UINT count) {
    POINT origin{0, 0};
    if (from)
        ClientToScreen(from, &origin);
    POINT dest{0, 0};
    if (to)
        ClientToScreen(to, &dest);
    const int dx = origin.x - dest.x;
    const int dy = origin.y - dest.y;
    for (UINT i = 0; i < count; ++i) {
        pts[i].x += dx;
        pts[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect)
        return FALSE;
    const QMargins m = FrameOf(style, exStyle, (style & WS_CHILD) != 0);
    rect->left -= m.left();
    rect->top -= m.top() + (menu ? GetSystemMetrics(SM_CYMENU) : 0);
    rect->right += m.right();
    rect->bottom += m.bottom();
    return TRUE;
}

HWND WindowFromPoint(POINT pt) {
    QWidget* w = QApplication::widgetAt(pt.x, pt.y);
    HWND h = HandleOfWidget(w);
    return h;
}

HWND ChildWindowFromPoint(HWND parent, POINT pt) {
    WindowObject* p = FromHandle(parent);
    if (!p)
        return nullptr;
    RECT rc;
    GetClientRect(parent, &rc);
    if (pt.x < 0 || pt.y < 0 || pt.x >= rc.right || pt.y >= rc.bottom)
        return nullptr;
    for (HWND c : ChildrenOf(parent)) {
        WindowObject* cw = FromHandle(c);
        const QRect r = CurrentWindowRect(*cw);
        if (r.contains(QPoint(pt.x, pt.y)))
            return c;
    }
    return parent;
}

BOOL BringWindowToTop(HWND hwnd) {
    QWidget* w = WidgetOf(hwnd);
    if (!w)
        return FALSE;
    if (w->isWindow() && Headless())
        return TRUE;
    w->raise();
    return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd) {
    QWidget* w = WidgetOf(hwnd);
    if (!w)
        return FALSE;
    if (!Headless()) {
        w->raise();
        w->activateWindow();
    }
    return TRUE;
}

HWND GetForegroundWindow() { return HandleOfWidget(QApplication::activeWindow()); }
HWND GetActiveWindow() { return GetForegroundWindow(); }

HWND SetActiveWindow(HWND hwnd) {
    HWND old = GetActiveWindow();
    if (QWidget* w = WidgetOf(hwnd); w && !Headless())
        w->activateWindow();
    return old;
}

BOOL FlashWindow(HWND hwnd, BOOL) {
    QWidget* w = WidgetOf(hwnd);
    if (!w)
        return FALSE;
    QApplication::alert(w);
    return TRUE;
}

int GetSystemMetrics(int index) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect geo = screen ? screen->geometry() : QRect(0, 0, 1280, 1024);
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
        return geo.width();
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        return geo.height();
    case SM_CXFULLSCREEN:
        return geo.width();
    case SM_CYFULLSCREEN:
        return geo.height() - 19;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 17;
    case SM_CYCAPTION:
        return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 20;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return 13;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    default:
        return 0;
    }
}

BOOL SystemParametersInfo(UINT action, UINT, PVOID pvParam, UINT) {
    if (!pvParam)
        return FALSE;
    if (action == SPI_GETWORKAREA) {
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect a = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
        *static_cast<RECT*>(pvParam) = RECT{a.left(), a.top(), a.left() + a.width(), a.top() + a.height()};
        return TRUE;
    }
    if (action == SPI_GETNONCLIENTMETRICS) {
        auto* m = static_cast<NONCLIENTMETRICSW*>(pvParam);
        const UINT size = m->cbSize;
        *m = NONCLIENTMETRICSW{};
        m->cbSize = size;
        m->iBorderWidth = 1;
        m->iScrollWidth = m->iScrollHeight = 17;
        m->iCaptionWidth = m->iCaptionHeight = 18;
        m->iSmCaptionWidth = m->iSmCaptionHeight = 12;
        m->iMenuWidth = m->iMenuHeight = 19;
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfWeight = 400;
        const char16_t face[] = u"Tahoma";
        std::copy(std::begin(face), std::end(face), lf.lfFaceName);
        m->lfCaptionFont = m->lfSmCaptionFont = m->lfMenuFont = m->lfStatusFont = m->lfMessageFont = lf;
        m->lfCaptionFont.lfWeight = 700;
        return TRUE;
    }
    return FALSE;
}

DWORD GetSysColor(int index) {
    switch (index) {
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
        return RGB(0, 0, 0);
    case COLOR_BTNFACE:
        return RGB(240, 240, 240);
    case COLOR_BTNSHADOW:
        return RGB(160, 160, 160);
    case COLOR_GRAYTEXT:
        return RGB(109, 109, 109);
    case COLOR_BTNHIGHLIGHT:
        return RGB(255, 255, 255);
    case COLOR_HIGHLIGHT:
        return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT:
        return RGB(255, 255, 255);
    default:
        return RGB(192, 192, 192);
    }
}

HBRUSH GetSysColorBrush(int index) {
    static std::unordered_map<int, HBRUSH> brushes;
    auto it = brushes.find(index);
    if (it != brushes.end())
        return it->second;
    HBRUSH b = CreateSolidBrush(GetSysColor(index));
    brushes[index] = b;
    return b;
}
