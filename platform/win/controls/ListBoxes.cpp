// Combo boxes and list boxes over Qt's combo box and list widget: items with their data,
// sorted insertion, selection and the parent's notifications.
#include "controls/ControlsInternal.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

namespace ms::ctl {

namespace {

constexpr int kDataRole = Qt::UserRole + 1;

class ComboBox : public QComboBox, public ControlWidget {
public:
    ComboBox(HWND h, DWORD style, QWidget* parent) : QComboBox(parent), hwnd_(h) {
        const DWORD kind = style & 3;
        setEditable(kind == CBS_DROPDOWN || kind == CBS_SIMPLE);
        setMaxVisibleItems(12);
        connect(this, QOverload<int>::of(&QComboBox::activated), [this] {
            NotifyParent(hwnd_, CBN_SELENDOK);
            NotifyParent(hwnd_, CBN_SELCHANGE);
        });
        if (isEditable())
            connect(lineEdit(), &QLineEdit::textEdited,
                    [this] { NotifyParent(hwnd_, CBN_EDITCHANGE); });
    }
    void SetControlText(const std::u16string& text) override {
        if (isEditable())
            setEditText(Q(text));
    }
    bool ControlText(std::u16string& out) const override {
        out = U(currentText());
        return true;
    }
    void showPopup() override {
        NotifyParent(hwnd_, CBN_DROPDOWN);
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        NotifyParent(hwnd_, CBN_CLOSEUP);
    }

protected:
    // A template gives a combo box the height of its opened list; the closed box keeps its
    // natural height, as on Windows.
    void resizeEvent(QResizeEvent* e) override {
        const int h = sizeHint().height();
        if (height() > h && !fixing_) {
            fixing_ = true;
            resize(width(), h);
            fixing_ = false;
        }
        QComboBox::resizeEvent(e);
    }

private:
    HWND hwnd_;
    bool fixing_ = false;
};

int SortedPosition(const QStringList& items, const QString& s) {
    int i = 0;
    while (i < items.size() && QString::compare(items[i], s, Qt::CaseInsensitive) <= 0)
        ++i;
    return i;
}

LRESULT ComboProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* c = w ? dynamic_cast<ComboBox*>(w->widget.data()) : nullptr;
    if (!c)
        return DefWindowProc(hwnd, msg, wp, lp);
    const int count = c->count();
    const int index = static_cast<int>(static_cast<LONG>(wp));
    switch (msg) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
        const QString s = Q(reinterpret_cast<LPCWSTR>(lp));
        int at = count;
        if (msg == CB_INSERTSTRING && index >= 0 && index <= count)
            at = index;
        else if (msg == CB_ADDSTRING && (w->style & CBS_SORT)) {
            QStringList items;
            for (int i = 0; i < count; ++i)
                items << c->itemText(i);
            at = SortedPosition(items, s);
        }
        const bool b = c->blockSignals(true);
        const int cur = c->currentIndex();
        c->insertItem(at, s);
        c->setItemData(at, QVariant::fromValue<qlonglong>(0), kDataRole);
        // Adding items selects nothing, as on Windows.
        c->setCurrentIndex(cur >= at ? cur + 1 : cur);
        c->blockSignals(b);
        return at;
    }
    case CB_DELETESTRING:
        if (index < 0 || index >= count)
            return CB_ERR;
        c->removeItem(index);
        return c->count();
    case CB_RESETCONTENT: {
        const bool b = c->blockSignals(true);
        c->clear();
        c->blockSignals(b);
        return 0;
    }
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return c->currentIndex() < 0 ? CB_ERR : c->currentIndex();
    case CB_SETCURSEL: {
        const bool b = c->blockSignals(true);
        const bool ok = index >= 0 && index < count;
        c->setCurrentIndex(ok ? index : -1);
        c->blockSignals(b);
        return ok ? index : CB_ERR;
    }
    case CB_GETLBTEXT:
        if (index < 0 || index >= count || !lp)
            return CB_ERR;
        {
            const std::u16string s = U(c->itemText(index));
            std::copy(s.begin(), s.end(), reinterpret_cast<LPWSTR>(lp));
            reinterpret_cast<LPWSTR>(lp)[s.size()] = 0;
            return static_cast<LRESULT>(s.size());
        }
    case CB_GETLBTEXTLEN:
        if (index < 0 || index >= count)
            return CB_ERR;
        return c->itemText(index).size();
    case CB_GETITEMDATA:
        if (index < 0 || index >= count)
            return CB_ERR;
        return static_cast<LRESULT>(c->itemData(index, kDataRole).toLongLong());
    case CB_SETITEMDATA:
        if (index < 0 || index >= count)
            return CB_ERR;
        c->setItemData(index, QVariant::fromValue<qlonglong>(static_cast<qlonglong>(lp)),
                       kDataRole);
        return 0;
    case CB_FINDSTRINGEXACT: {
        const QString s = Q(reinterpret_cast<LPCWSTR>(lp));
        for (int k = 0; k < count; ++k) {
            const int i = (index + 1 + k) % count;
            if (QString::compare(c->itemText(i), s, Qt::CaseInsensitive) == 0)
                return i;
        }
        return CB_ERR;
    }
    case CB_SHOWDROPDOWN:
        if (wp)
            c->showPopup();
        else
            c->hidePopup();
        return TRUE;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

class ListBox : public QListWidget, public ControlWidget {
public:
    ListBox(HWND h, DWORD style, QWidget* parent) : QListWidget(parent), hwnd_(h) {
        connect(this, &QListWidget::currentRowChanged, [this, style] {
            if (!programmatic_ && (style & LBS_NOTIFY))
                NotifyParent(hwnd_, LBN_SELCHANGE);
        });
        connect(this, &QListWidget::itemDoubleClicked, [this, style] {
            if (style & LBS_NOTIFY)
                NotifyParent(hwnd_, LBN_DBLCLK);
        });
    }
    bool programmatic_ = false;

private:
    HWND hwnd_;
};

LRESULT ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* l = w ? dynamic_cast<ListBox*>(w->widget.data()) : nullptr;
    if (!l)
        return DefWindowProc(hwnd, msg, wp, lp);
    const int count = l->count();
    const int index = static_cast<int>(static_cast<LONG>(wp));
    struct Quiet {
        ListBox* l;
        explicit Quiet(ListBox* x) : l(x) { l->programmatic_ = true; }
        ~Quiet() { l->programmatic_ = false; }
    };
    switch (msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
        Quiet q(l);
        const QString s = Q(reinterpret_cast<LPCWSTR>(lp));
        int at = count;
        if (msg == LB_INSERTSTRING && index >= 0 && index <= count)
            at = index;
        else if (msg == LB_ADDSTRING && (w->style & LBS_SORT)) {
            QStringList items;
            for (int i = 0; i < count; ++i)
                items << l->item(i)->text();
            at = SortedPosition(items, s);
        }
        auto* item = new QListWidgetItem(s);
        item->setData(kDataRole, QVariant::fromValue<qlonglong>(0));
        l->insertItem(at, item);
        return at;
    }
    case LB_DELETESTRING:
        if (index < 0 || index >= count)
            return LB_ERR;
        {
            Quiet q(l);
            delete l->takeItem(index);
        }
        return l->count();
    case LB_RESETCONTENT: {
        Quiet q(l);
        l->clear();
        return 0;
    }
    case LB_GETCOUNT:
        return count;
    case LB_GETCURSEL:
        return l->currentRow() < 0 ? LB_ERR : l->currentRow();
    case LB_SETCURSEL: {
        Quiet q(l);
        const bool ok = index >= 0 && index < count;
        l->setCurrentRow(ok ? index : -1);
        if (!ok)
            l->clearSelection();
        return ok ? index : LB_ERR;
    }
    case LB_GETTEXT:
        if (index < 0 || index >= count || !lp)
            return LB_ERR;
        {
            const std::u16string s = U(l->item(index)->text());
            std::copy(s.begin(), s.end(), reinterpret_cast<LPWSTR>(lp));
            reinterpret_cast<LPWSTR>(lp)[s.size()] = 0;
            return static_cast<LRESULT>(s.size());
        }
    case LB_GETTEXTLEN:
        if (index < 0 || index >= count)
            return LB_ERR;
        return l->item(index)->text().size();
    case LB_GETITEMDATA:
        if (index < 0 || index >= count)
            return LB_ERR;
        return static_cast<LRESULT>(l->item(index)->data(kDataRole).toLongLong());
    case LB_SETITEMDATA:
        if (index < 0 || index >= count)
            return LB_ERR;
        l->item(index)->setData(kDataRole, QVariant::fromValue<qlonglong>(lp));
        return 0;
    case LB_FINDSTRINGEXACT: {
        const QString s = Q(reinterpret_cast<LPCWSTR>(lp));
        for (int k = 0; k < count; ++k) {
            const int i = (index + 1 + k) % count;
            if (QString::compare(l->item(i)->text(), s, Qt::CaseInsensitive) == 0)
                return i;
        }
        return LB_ERR;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

} // namespace

void RegisterListBoxes() {
    RegisterControlClass(u"ComboBox", ComboProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new ComboBox(w.handle, w.style, p);
    });
    RegisterControlClass(u"ListBox", ListProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new ListBox(w.handle, w.style, p);
    });
}

} // namespace ms::ctl
