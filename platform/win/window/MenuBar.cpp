// Menu bars: the strip of a top-level window's menu (SetMenu), drawn by our own Qt widget
// over the top of the window's client area; its items open their popups through
// TrackPopupMenu, and Alt with a mnemonic opens them from the keyboard.
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/Menu.h"
#include "window/MenuLook.h"
#include "window/WindowInternal.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <map>

namespace ms {

using namespace menu;

namespace {

constexpr int kBarPadding = 8; // left and right of a menu bar item's text

class MenuBarWidget : public QWidget {
public:
    MenuBarWidget(HWND hwnd, QWidget* parent) : QWidget(parent), hwnd_(hwnd) {
        setMouseTracking(true);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
        parent->installEventFilter(this);
    }

    void Place(int height) {
        if (parentWidget())
            setGeometry(0, 0, parentWidget()->width(), height);
        raise();
        show();
    }

    // Item rectangles in bar coordinates.
    std::vector<QRect> Layout() const {
        std::vector<QRect> rects;
        WindowObject* w = FromHandle(hwnd_);
        const auto* items = w ? MenuItemsOf(w->menu) : nullptr;
        if (!items)
            return rects;
        const QFontMetrics fm(MenuFont());
        int x = 0;
        for (const auto& d : *items) {
            QString label = SplitText(d.text).first;
            label.remove(QLatin1Char('&'));
            const int width = IsSeparator(d) ? 0 : fm.horizontalAdvance(label) + 2 * kBarPadding;
            rects.emplace_back(x, 0, width, height());
            x += width;
        }
        return rects;
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == parentWidget() && e->type() == QEvent::Resize)
            setGeometry(0, 0, parentWidget()->width(), height());
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        WindowObject* w = FromHandle(hwnd_);
        if (!w)
            return;
        QPainter p(this);
        p.fillRect(rect(), ToQColor(BrushColor(MenuBackground(w->menu), GetSysColor(COLOR_MENU))));
        const auto* items = MenuItemsOf(w->menu);
        if (!items)
            return;
        p.setFont(MenuFont());
        const auto rects = Layout();
        for (std::size_t i = 0; i < items->size() && i < rects.size(); ++i) {
            const MenuItemData& d = (*items)[i];
            if (IsSeparator(d))
                continue;
            const bool hot = static_cast<int>(i) == hot_;
            if (hot)
                p.fillRect(rects[i], ToQColor(GetSysColor(COLOR_HIGHLIGHT)));
            const bool grey = (d.flags & (MF_GRAYED | MF_DISABLED)) != 0;
            p.setPen(ToQColor(grey  ? GetSysColor(COLOR_GRAYTEXT)
                              : hot ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                    : GetSysColor(COLOR_MENUTEXT)));
            p.drawText(rects[i], Qt::AlignCenter | Qt::TextShowMnemonic, SplitText(d.text).first);
        }
    }

    void mouseMoveEvent(QMouseEvent* e) override {
        const int i = ItemAt(e->position().toPoint());
        if (i != hot_) {
            hot_ = i;
            update();
        }
    }

    void leaveEvent(QEvent*) override {
        if (!open_) {
            hot_ = -1;
            update();
        }
    }

    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton)
            OpenItem(ItemAt(e->position().toPoint()));
    }

public:
    // Opens the popup of bar item `i` under it, or sends the command of a plain item.
    void OpenItem(int i) {
        WindowObject* w = FromHandle(hwnd_);
        if (i < 0 || !w)
            return;
        const auto* items = MenuItemsOf(w->menu);
        if (!items || static_cast<std::size_t>(i) >= items->size())
            return;
        const MenuItemData d = (*items)[static_cast<std::size_t>(i)];
        if (!IsEnabledItem(d))
            return;
        HWND hwnd = hwnd_;
        QPointer<MenuBarWidget> self(this);
        SendMessage(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(w->menu), 0);
        if (!(d.flags & MF_POPUP)) {
            PostMessage(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(d.id), 0), 0);
            return;
        }
        if (!self)
            return;
        const auto rects = Layout();
        if (static_cast<std::size_t>(i) >= rects.size())
            return;
        const QPoint at =
            mapToGlobal(rects[static_cast<std::size_t>(i)].bottomLeft() + QPoint(0, 1));
        hot_ = i;
        open_ = true;
        update();
        TrackPopupMenu(d.sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x(), at.y(), 0,
                       hwnd, nullptr);
        if (!self)
            return;
        open_ = false;
        hot_ = -1;
        update();
    }

    // The bar item whose mnemonic is `ch`, or -1.
    int ItemOfMnemonic(WCHAR ch) const {
        WindowObject* w = FromHandle(hwnd_);
        const auto* items = w ? MenuItemsOf(w->menu) : nullptr;
        if (!items)
            return -1;
        const QChar up = QChar(ch).toUpper();
        for (std::size_t i = 0; i < items->size(); ++i)
            if (!IsSeparator((*items)[i]) && Mnemonic((*items)[i].text) == up)
                return static_cast<int>(i);
        return -1;
    }

private:
    int ItemAt(QPoint p) const {
        const auto rects = Layout();
        for (std::size_t i = 0; i < rects.size(); ++i)
            if (rects[i].width() > 0 && rects[i].contains(p))
                return static_cast<int>(i);
        return -1;
    }

    HWND hwnd_;
    int hot_ = -1;
    bool open_ = false;
};

std::map<HWND, QPointer<MenuBarWidget>>& Bars() {
    static std::map<HWND, QPointer<MenuBarWidget>> m;
    return m;
}

} // namespace

bool OpenMenuBarByKey(HWND hwnd, WCHAR ch) {
    auto it = Bars().find(hwnd);
    if (it == Bars().end() || !it->second || PopupMenuTracking())
        return false;
    QPointer<MenuBarWidget> bar = it->second;
    const int i = bar->ItemOfMnemonic(ch);
    if (i < 0)
        return false;
    bar->OpenItem(i);
    return true;
}

void UpdateMenuBar(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || w->IsChild() || !w->widget)
        return;
    auto& bar = Bars()[hwnd];
    const int oldHeight = w->menuBar;
    int newHeight = 0;
    if (w->menu && IsMenu(w->menu)) {
        newHeight = GetSystemMetrics(SM_CYMENU);
        if (!bar)
            bar = new MenuBarWidget(hwnd, w->widget);
        bar->Place(newHeight);
        bar->update();
    } else {
        if (bar)
            bar->deleteLater();
        Bars().erase(hwnd);
    }
    if (newHeight == oldHeight)
        return;
    w->menuBar = newHeight;
    // The window keeps its size: its children keep their client positions, and the client
    // area shrinks or grows by the bar.
    for (HWND c : wnd::ChildrenOf(hwnd))
        if (QWidget* cw = WidgetOf(c))
            cw->move(cw->pos() + QPoint(0, newHeight - oldHeight));
    wnd::NotifyGeometry(*w);
    if (w->widget)
        w->widget->update();
    InvalidateRect(hwnd, nullptr, TRUE);
}

} // namespace ms

using namespace ms;

BOOL DrawMenuBar(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || w->IsChild())
        return FALSE;
    auto it = Bars().find(hwnd);
    if (it != Bars().end() && it->second)
        it->second->update();
    return TRUE;
}
