// Popup menus: the menus of Menu.cpp shown by our own Qt widgets, so that
// owner-drawn items (WM_MEASUREITEM / WM_DRAWITEM through a DC on the popup's surface),
// column breaks, WM_INITMENUPOPUP and WM_MENUCHAR behave as the system's code expects.
// TrackPopupMenu runs a nested event loop like the system's menu loop; the chosen command is
// posted to the owner (or returned with TPM_RETURNCMD).
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"
#include "platform/win/gdi/Surface.h"
#include "platform/win/window/Menu.h"
#include "platform/win/window/TestSeams.h"
#include "window/MenuLook.h"
#include "window/WindowInternal.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <deque>
#include <map>
#include <optional>

namespace ms {

using namespace menu;

namespace {

constexpr int kBorder = 3; // frame and padding around a popup's items

HMENU g_measuring = nullptr;

// An enabled command item with this id in the menu or its submenus.
bool HoldsCommand(HMENU menu, UINT id, int depth = 0) {
    const auto* items = MenuItemsOf(menu);
    if (!items || depth > 16)
        return false;
    for (const auto& d : *items) {
        if (!IsEnabledItem(d))
            continue;
        if (d.flags & MF_POPUP) {
            if (HoldsCommand(d.sub, id, depth + 1))
                return true;
        } else if (static_cast<UINT>(d.id) == id) {
            return true;
        }
    }
    return false;
}

// ---- Seams ----

std::deque<UINT>& ScriptedChoices() {
    static std::deque<UINT> q;
    return q;
}
std::deque<std::vector<UINT>>& ScriptedKeys() {
    static std::deque<std::vector<UINT>> q;
    return q;
}
std::vector<test::ShownMenu>& MenuLog() {
    static std::vector<test::ShownMenu> log;
    return log;
}
void RegisterMenuReset() {
    static bool once = false;
    if (once)
        return;
    once = true;
    test::AddSeamReset([] {
        ScriptedChoices().clear();
        ScriptedKeys().clear();
        MenuLog().clear();
    });
}

class PopupWidget;

// One TrackPopupMenu call.
struct Tracker {
    HWND owner = nullptr;
    UINT flags = 0;
    HMENU root = nullptr;
    QEventLoop loop;
    std::vector<QPointer<PopupWidget>> chain; // root first
    std::optional<UINT> chosen;
    bool done = false;
    bool pressSeen = false;

    void Finish(UINT command);
    PopupWidget* At(QPoint global) const;
    void CloseAfter(const PopupWidget* keep);
};

Tracker* g_tracker = nullptr;

struct Entry {
    std::size_t index = 0;
    MenuItemData item;
    QRect rect;             // client coordinates of the popup
    bool barBefore = false; // MF_MENUBARBREAK: a line between this column and the previous
};

class PopupWidget : public QWidget {
public:
    PopupWidget(Tracker& t, HMENU menu, PopupWidget* parentPopup)
        : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), t_(t), menu_(menu),
          parentPopup_(parentPopup) {
        setAttribute(Qt::WA_DeleteOnClose, false);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        Layout();
    }

    HMENU Menu() const { return menu_; }
    const std::vector<Entry>& Entries() const { return entries_; }
    const QImage& Picture() const { return picture_; }
    PopupWidget* ParentPopup() const { return parentPopup_; }
    int Hot() const { return hot_; }

    // Measures the items (WM_MEASUREITEM for owner-drawn ones) and lays them out in columns.
    void Layout() {
        entries_.clear();
        const auto* items = MenuItemsOf(menu_);
        if (!items)
            return;
        const QFontMetrics fm(MenuFont());
        const int stdHeight = std::max(GetSystemMetrics(SM_CYMENU) - 1, fm.height() + 6);
        const int check = GetSystemMetrics(SM_CXMENUCHECK);
        int x = kBorder;
        int y = kBorder;
        int colWidth = 0;
        int maxBottom = kBorder;
        std::size_t colStart = 0;
        auto closeColumn = [&](std::size_t end) {
            for (std::size_t i = colStart; i < end; ++i)
                entries_[i].rect.setWidth(colWidth);
        };
        for (std::size_t i = 0; i < items->size(); ++i) {
            Entry e;
            e.index = i;
            e.item = (*items)[i];
            int w = 0;
            int h = 0;
            if (e.item.flags & MF_OWNERDRAW) {
                MEASUREITEMSTRUCT mis{
                    ODT_MENU,   0, static_cast<UINT>(e.item.id), 0, static_cast<UINT>(stdHeight),
                    e.item.data};
                HMENU saved = g_measuring;
                g_measuring = menu_;
                SendMessage(t_.owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
                g_measuring = saved;
                // The system widens every owner-drawn item by the check-mark column.
                w = static_cast<int>(mis.itemWidth) + check - 1;
                h = static_cast<int>(mis.itemHeight);
            } else if (IsSeparator(e.item)) {
                h = 9;
            } else {
                const auto [label, key] = SplitText(e.item.text);
                QString shown = label;
                shown.remove(QLatin1Char('&'));
                w = check + 8 + fm.horizontalAdvance(shown) + 20;
                if (!key.isEmpty())
                    w += 16 + fm.horizontalAdvance(key);
                h = stdHeight;
            }
            if ((e.item.flags & (MF_MENUBREAK | MF_MENUBARBREAK)) && i > colStart) {
                closeColumn(entries_.size());
                x += colWidth + ((e.item.flags & MF_MENUBARBREAK) ? 4 : 0);
                y = kBorder;
                colWidth = 0;
                colStart = entries_.size();
                e.barBefore = (e.item.flags & MF_MENUBARBREAK) != 0;
            }
            e.rect = QRect(x, y, 0, std::max(h, 0));
            colWidth = std::max(colWidth, w);
            y += std::max(h, 0);
            maxBottom = std::max(maxBottom, y);
            entries_.push_back(std::move(e));
        }
        closeColumn(entries_.size());
        const int width = x + std::max(colWidth, 40) + kBorder;
        resize(width, maxBottom + kBorder);
        surface_->Resize(width, maxBottom + kBorder);
    }

    // Draws every item into the surface; owner-drawn ones through WM_DRAWITEM.
    void Render(UINT action = ODA_DRAWENTIRE) {
        const COLORREF bg = BrushColor(MenuBackground(menu_), GetSysColor(COLOR_MENU));
        {
            std::lock_guard lock(surface_->Mutex());
            QPainter p(&surface_->Image());
            p.fillRect(surface_->Image().rect(), ToQColor(bg));
            p.setPen(QColor(128, 128, 128));
            p.drawRect(surface_->Image().rect().adjusted(0, 0, -1, -1));
        }
        for (std::size_t i = 0; i < entries_.size(); ++i)
            RenderItem(i, action);
        std::lock_guard lock(surface_->Mutex());
        picture_ = surface_->Image().copy();
        update();
    }

    void SetHot(int i) {
        if (i == hot_)
            return;
        hot_ = i;
        Render(ODA_SELECT);
    }

    // Moves the hot item to the next selectable one in direction `step`.
    void Step(int step) {
        const int n = static_cast<int>(entries_.size());
        if (n == 0)
            return;
        int i = hot_;
        for (int k = 0; k < n; ++k) {
            i = (i < 0) ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
            if (IsSelectable(entries_[static_cast<std::size_t>(i)].item)) {
                SetHot(i);
                return;
            }
        }
    }

    int EntryAt(QPoint local) const {
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].rect.contains(local))
                return static_cast<int>(i);
        return -1;
    }

    // Opens the submenu of the hot item, or chooses it. Returns false for items that do nothing.
    void Activate(int i, bool selectFirstInSub) {
        if (i < 0 || static_cast<std::size_t>(i) >= entries_.size())
            return;
        const MenuItemData& d = entries_[static_cast<std::size_t>(i)].item;
        SetHot(i);
        if (!IsEnabledItem(d))
            return;
        if (d.flags & MF_POPUP) {
            PopupWidget* sub = OpenSub(i);
            if (sub && selectFirstInSub)
                sub->Step(1);
            return;
        }
        t_.Finish(static_cast<UINT>(d.id));
    }

    PopupWidget* OpenSub(int i);

    void HandleChar(QChar ch) {
        const QChar up = ch.toUpper();
        std::vector<int> found;
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const MenuItemData& d = entries_[i].item;
            if (!(d.flags & MF_OWNERDRAW) && IsSelectable(d) && Mnemonic(d.text) == up)
                found.push_back(static_cast<int>(i));
        }
        if (found.size() == 1) {
            Activate(found[0], true);
            return;
        }
        if (found.size() > 1) {
            for (int i : found)
                if (i > hot_) {
                    SetHot(i);
                    return;
                }
            SetHot(found[0]);
            return;
        }
        // Owner-drawn items have no text of ours: the owner finds the item.
        const WPARAM wp = MAKEWPARAM(static_cast<WORD>(ch.unicode()), MF_POPUP);
        const LRESULT r = SendMessage(t_.owner, WM_MENUCHAR, wp, reinterpret_cast<LPARAM>(menu_));
        const int pos = LOWORD(r);
        switch (HIWORD(r)) {
        case MNC_EXECUTE:
            Activate(pos, true);
            break;
        case MNC_SELECT:
            if (pos >= 0 && static_cast<std::size_t>(pos) < entries_.size())
                SetHot(pos);
            break;
        case MNC_CLOSE:
            t_.Finish(0);
            break;
        default:
            break;
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(QPoint(0, 0), picture_);
    }

    void keyPressEvent(QKeyEvent* e) override {
        switch (e->key()) {
        case Qt::Key_Up:
            Step(-1);
            return;
        case Qt::Key_Down:
            Step(1);
            return;
        case Qt::Key_Right:
            if (hot_ >= 0 && (entries_[static_cast<std::size_t>(hot_)].item.flags & MF_POPUP))
                Activate(hot_, true);
            return;
        case Qt::Key_Left:
            if (parentPopup_)
                close();
            return;
        case Qt::Key_Escape:
            if (parentPopup_)
                close();
            else
                t_.Finish(0);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (hot_ >= 0)
                Activate(hot_, true);
            return;
        default:
            break;
        }
        const QString text = e->text();
        if (!text.isEmpty() && text[0].isPrint())
            HandleChar(text[0]);
    }

    void mouseMoveEvent(QMouseEvent* e) override {
        const QPoint global = e->globalPosition().toPoint();
        PopupWidget* p = t_.At(global);
        if (!p)
            return;
        const int i = p->EntryAt(p->mapFromGlobal(global));
        if (i < 0)
            return;
        t_.CloseAfter(p);
        p->SetHot(i);
        const MenuItemData& d = p->entries_[static_cast<std::size_t>(i)].item;
        if ((d.flags & MF_POPUP) && IsEnabledItem(d))
            p->OpenSub(i);
    }

    void mousePressEvent(QMouseEvent* e) override {
        const QPoint global = e->globalPosition().toPoint();
        PopupWidget* p = t_.At(global);
        if (!p) {
            t_.Finish(0);
            return;
        }
        t_.pressSeen = true;
        const int i = p->EntryAt(p->mapFromGlobal(global));
        if (i >= 0 && (p->entries_[static_cast<std::size_t>(i)].item.flags & MF_POPUP)) {
            t_.CloseAfter(p);
            p->Activate(i, false);
        }
    }

    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool right = e->button() == Qt::RightButton;
        if (right && !(t_.flags & TPM_RIGHTBUTTON))
            return;
        // The release of the click that opened the menu chooses nothing.
        if (!t_.pressSeen)
            return;
        const QPoint global = e->globalPosition().toPoint();
        PopupWidget* p = t_.At(global);
        if (!p)
            return;
        const int i = p->EntryAt(p->mapFromGlobal(global));
        if (i >= 0 && !(p->entries_[static_cast<std::size_t>(i)].item.flags & MF_POPUP))
            p->Activate(i, false);
    }

    void closeEvent(QCloseEvent* e) override {
        QWidget::closeEvent(e);
        if (!parentPopup_)
            t_.Finish(0);
        else
            t_.CloseAfter(parentPopup_);
    }

private:
    void RenderItem(std::size_t i, UINT action) {
        const Entry& e = entries_[i];
        const MenuItemData& d = e.item;
        const bool hot = static_cast<int>(i) == hot_;
        const QRect r = e.rect;
        if (e.barBefore) {
            std::lock_guard lock(surface_->Mutex());
            QPainter p(&surface_->Image());
            p.setPen(QColor(160, 160, 160));
            p.drawLine(r.left() - 3, kBorder, r.left() - 3, height() - kBorder - 1);
            p.setPen(QColor(255, 255, 255));
            p.drawLine(r.left() - 2, kBorder, r.left() - 2, height() - kBorder - 1);
        }
        if (d.flags & MF_OWNERDRAW) {
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_MENU;
            dis.itemID = static_cast<UINT>(d.id);
            dis.itemAction = action;
            dis.itemState = (hot ? ODS_SELECTED : 0) | ((d.flags & MF_GRAYED) ? ODS_GRAYED : 0) |
                            ((d.flags & MF_DISABLED) ? ODS_DISABLED : 0) |
                            ((d.flags & MF_CHECKED) ? ODS_CHECKED : 0) |
                            ((d.flags & MF_DEFAULT) ? ODS_DEFAULT : 0);
            dis.hwndItem = reinterpret_cast<HWND>(menu_);
            dis.rcItem = RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
            dis.itemData = d.data;
            HDC dc = CreateSurfaceDC(surface_);
            dis.hDC = dc;
            SendMessage(t_.owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
            DeleteSurfaceDC(dc);
            if (d.flags & MF_POPUP)
                DrawArrow(r, hot ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_MENUTEXT));
            return;
        }
        std::lock_guard lock(surface_->Mutex());
        QPainter p(&surface_->Image());
        if (IsSeparator(d)) {
            const int y = r.top() + r.height() / 2;
            p.setPen(QColor(160, 160, 160));
            p.drawLine(r.left() + 1, y, r.right() - 1, y);
            p.setPen(QColor(255, 255, 255));
            p.drawLine(r.left() + 1, y + 1, r.right() - 1, y + 1);
            return;
        }
        const bool grey = (d.flags & (MF_GRAYED | MF_DISABLED)) != 0;
        if (hot)
            p.fillRect(r, ToQColor(GetSysColor(COLOR_HIGHLIGHT)));
        const QColor fg = ToQColor(grey  ? GetSysColor(COLOR_GRAYTEXT)
                                   : hot ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                         : GetSysColor(COLOR_MENUTEXT));
        QFont font = MenuFont();
        if (d.flags & MF_DEFAULT)
            font.setBold(true);
        p.setFont(font);
        p.setPen(fg);
        const int check = GetSystemMetrics(SM_CXMENUCHECK);
        if (d.flags & MF_CHECKED) {
            const int cx = r.left() + 4 + check / 2;
            const int cy = r.center().y();
            QPen pen(fg, 2);
            p.setPen(pen);
            p.drawPolyline(
                QPolygon({QPoint(cx - 4, cy), QPoint(cx - 1, cy + 3), QPoint(cx + 4, cy - 3)}));
            p.setPen(fg);
        }
        const auto [label, key] = SplitText(d.text);
        const QRect textRect = r.adjusted(check + 8, 0, -20, 0);
        p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, label);
        if (!key.isEmpty())
            p.drawText(textRect, Qt::AlignVCenter | Qt::AlignRight, key);
        p.end();
        if (d.flags & MF_POPUP)
            DrawArrow(r, hot ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_MENUTEXT));
    }

    void DrawArrow(const QRect& r, COLORREF c) {
        std::lock_guard lock(surface_->Mutex());
        QPainter p(&surface_->Image());
        const int x = r.right() - 10;
        const int y = r.center().y();
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(c));
        p.drawPolygon(QPolygon({QPoint(x, y - 4), QPoint(x + 4, y), QPoint(x, y + 4)}));
    }

    Tracker& t_;
    HMENU menu_;
    PopupWidget* parentPopup_;
    std::vector<Entry> entries_;
    int hot_ = -1;
    std::shared_ptr<Surface> surface_ = std::make_shared<Surface>();
    QImage picture_;
    friend struct Tracker;
};

// Places a popup of `size` so that (x, y) is the corner the TPM_ flags name, kept on screen.
QPoint PlacePopup(QSize size, QPoint at, UINT flags) {
    QPoint p = at;
    if (flags & TPM_CENTERALIGN)
        p.rx() -= size.width() / 2;
    else if (flags & TPM_RIGHTALIGN)
        p.rx() -= size.width();
    if (flags & TPM_VCENTERALIGN)
        p.ry() -= size.height() / 2;
    else if (flags & TPM_BOTTOMALIGN)
        p.ry() -= size.height();
    QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        if (p.x() + size.width() > area.right() + 1)
            p.setX(std::max(area.left(), area.right() + 1 - size.width()));
        if (p.y() + size.height() > area.bottom() + 1)
            p.setY(std::max(area.top(), at.y() - size.height()));
        p.setX(std::max(p.x(), area.left()));
        p.setY(std::max(p.y(), area.top()));
    }
    return p;
}

PopupWidget* PopupWidget::OpenSub(int i) {
    const Entry& e = entries_[static_cast<std::size_t>(i)];
    HMENU sub = e.item.sub;
    // Already open?
    for (std::size_t k = 0; k + 1 < t_.chain.size(); ++k)
        if (t_.chain[k] == this && t_.chain[k + 1] && t_.chain[k + 1]->menu_ == sub)
            return t_.chain[k + 1];
    t_.CloseAfter(this);
    if (!IsMenu(sub))
        return nullptr;
    if (!(t_.flags & TPM_NONOTIFY))
        SendMessage(t_.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub),
                    MAKELPARAM(static_cast<WORD>(e.index), 0));
    if (t_.done)
        return nullptr;
    auto* child = new PopupWidget(t_, sub, this);
    child->Render();
    const QPoint corner = mapToGlobal(QPoint(e.rect.right() + 1 - 2, e.rect.top() - kBorder));
    QPoint at = PlacePopup(child->size(), corner, TPM_LEFTALIGN);
    QScreen* screen = QGuiApplication::screenAt(corner);
    if (screen && corner.x() + child->width() > screen->availableGeometry().right() + 1)
        at.setX(mapToGlobal(QPoint(0, 0)).x() - child->width() + 2);
    child->move(at);
    t_.chain.push_back(child);
    child->show();
    return child;
}

void Tracker::Finish(UINT command) {
    if (done)
        return;
    done = true;
    chosen = command;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (*it)
            (*it)->hide();
    loop.quit();
}

PopupWidget* Tracker::At(QPoint global) const {
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (*it && (*it)->isVisible() && (*it)->geometry().contains(global))
            return *it;
    return nullptr;
}

// Closes the popups opened after `keep`.
void Tracker::CloseAfter(const PopupWidget* keep) {
    while (!chain.empty() && chain.back() && chain.back() != keep) {
        QPointer<PopupWidget> last = chain.back();
        chain.pop_back();
        if (last) {
            last->hide();
            last->deleteLater();
        }
    }
}

Qt::Key QtKeyOf(UINT vk, QString& text) {
    switch (vk) {
    case VK_UP:
        return Qt::Key_Up;
    case VK_DOWN:
        return Qt::Key_Down;
    case VK_LEFT:
        return Qt::Key_Left;
    case VK_RIGHT:
        return Qt::Key_Right;
    case VK_RETURN:
        return Qt::Key_Return;
    case VK_ESCAPE:
        return Qt::Key_Escape;
    case VK_SPACE:
        text = QStringLiteral(" ");
        return Qt::Key_Space;
    default:
        break;
    }
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        text = QString(QChar(static_cast<char16_t>(vk))).toLower();
        return static_cast<Qt::Key>(vk);
    }
    return Qt::Key_unknown;
}

void Record(test::ShownMenu& rec, const PopupWidget& popup) {
    RegisterMenuReset();
    const QRect g = popup.geometry();
    rec.placed = RECT{g.left(), g.top(), g.right() + 1, g.bottom() + 1};
    for (const Entry& e : popup.Entries()) {
        test::ShownMenuItem item;
        item.id = (e.item.flags & MF_POPUP) ? 0 : static_cast<UINT>(e.item.id);
        item.flags = e.item.flags;
        item.text = e.item.text;
        item.rect = RECT{e.rect.left(), e.rect.top(), e.rect.right() + 1, e.rect.bottom() + 1};
        rec.items.push_back(std::move(item));
    }
    rec.picture = popup.Picture();
}

} // namespace

bool PopupMenuTracking() {
    return g_tracker != nullptr;
}

HMENU MenuBeingMeasured() {
    return g_measuring;
}

} // namespace ms

using namespace ms;

BOOL EndMenu() {
    if (!g_tracker)
        return FALSE;
    g_tracker->Finish(0);
    return TRUE;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPVOID) {
    return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    if (!IsMenu(menu) || !IsWindow(owner) || g_tracker)
        return FALSE;
    EnsureApplication();
    Tracker t;
    t.owner = owner;
    t.flags = flags;
    t.root = menu;
    g_tracker = &t;
    const bool notify = !(flags & TPM_NONOTIFY);
    if (notify) {
        SendMessage(owner, WM_ENTERMENULOOP, TRUE, 0);
        SendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                    MAKELPARAM(0, SystemMenuOwner(menu) ? 1 : 0));
    }
    test::ShownMenu rec;
    rec.menu = menu;
    rec.owner = owner;
    rec.flags = flags;
    rec.at = POINT{x, y};

    std::optional<UINT> scripted;
    std::optional<std::vector<UINT>> keys;
    if (!ScriptedChoices().empty()) {
        scripted = ScriptedChoices().front();
        ScriptedChoices().pop_front();
    } else if (!ScriptedKeys().empty()) {
        keys = std::move(ScriptedKeys().front());
        ScriptedKeys().pop_front();
    } else if (wnd::Headless()) {
        scripted = 0u;
    }

    auto* root = new PopupWidget(t, menu, nullptr);
    root->Render();
    root->move(PlacePopup(root->size(), QPoint(x, y), flags));
    t.chain.push_back(root);
    if (scripted) {
        Record(rec, *root);
        t.done = true;
        t.chosen = HoldsCommand(menu, *scripted) ? *scripted : 0u;
    } else {
        root->show();
        root->activateWindow();
        root->setFocus();
        Record(rec, *root);
        if (keys) {
            for (UINT vk : *keys) {
                QTimer::singleShot(0, &t.loop, [&t, vk] {
                    if (t.done || t.chain.empty())
                        return;
                    PopupWidget* target =
                        QApplication::activePopupWidget()
                            ? dynamic_cast<PopupWidget*>(QApplication::activePopupWidget())
                            : nullptr;
                    if (!target)
                        for (auto it = t.chain.rbegin(); it != t.chain.rend() && !target; ++it)
                            target = *it;
                    if (!target)
                        return;
                    QString text;
                    const Qt::Key key = QtKeyOf(vk, text);
                    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
                    QApplication::sendEvent(target, &press);
                });
            }
            QTimer::singleShot(0, &t.loop, [&t] { t.Finish(0); });
        }
        if (!t.done)
            t.loop.exec();
    }
    // Hide everything before the owner hears of the choice.
    for (auto it = t.chain.rbegin(); it != t.chain.rend(); ++it)
        if (*it) {
            (*it)->hide();
            delete it->data();
        }
    t.chain.clear();
    g_tracker = nullptr;
    const UINT command = t.chosen.value_or(0);
    rec.result = command;
    MenuLog().push_back(std::move(rec));
    if (notify && IsWindow(owner)) {
        SendMessage(owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        SendMessage(owner, WM_EXITMENULOOP, TRUE, 0);
    }
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(command);
    if (command == 0)
        return FALSE;
    if (HWND sys = SystemMenuOwner(menu))
        PostMessage(sys, WM_SYSCOMMAND, command, 0);
    else
        PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
    return TRUE;
}

namespace ms::test {

void ChoosePopupCommand(UINT command) {
    RegisterMenuReset();
    ScriptedChoices().push_back(command);
}

void KeysToPopupMenu(std::vector<UINT> keys) {
    RegisterMenuReset();
    ScriptedKeys().push_back(std::move(keys));
}

const std::vector<ShownMenu>& ShownMenus() {
    return MenuLog();
}

} // namespace ms::test
