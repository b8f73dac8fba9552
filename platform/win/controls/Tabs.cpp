// Tab controls over a Qt tab widget with empty pages: the program shows and hides each
// page's controls itself.
#include "controls/ControlsInternal.h"

#include "platform/win/core/WString.h"

#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <vector>

namespace ms::ctl {

namespace {

class TabControl : public QTabWidget, public ControlWidget {
public:
    TabControl(HWND h, QWidget* parent) : QTabWidget(parent), hwnd_(h) {
        connect(tabBar(), &QTabBar::tabBarClicked, [this](int index) {
            if (index >= 0 && index != currentIndex() && !programmatic_)
                SendNotify(hwnd_, TCN_SELCHANGING);
        });
        connect(this, &QTabWidget::currentChanged, [this] {
            if (!programmatic_)
                SendNotify(hwnd_, TCN_SELCHANGE);
        });
    }
    // The pages are empty: the program shows and hides the controls of each page itself.
    int Insert(int at, const QString& text, LPARAM param) {
        programmatic_ = true;
        auto* page = new QWidget;
        page->setAttribute(Qt::WA_TransparentForMouseEvents);
        const int i = insertTab(at, page, text);
        params_.insert(params_.begin() + i, param);
        programmatic_ = false;
        return i;
    }
    void Remove(int i) {
        programmatic_ = true;
        QWidget* p = widget(i);
        removeTab(i);
        delete p;
        params_.erase(params_.begin() + i);
        programmatic_ = false;
    }
    std::vector<LPARAM> params_;
    bool programmatic_ = false;

private:
    HWND hwnd_;
};

LRESULT TabProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* t = w ? dynamic_cast<TabControl*>(w->widget.data()) : nullptr;
    if (!t)
        return DefWindowProc(hwnd, msg, wp, lp);
    const int index = static_cast<int>(static_cast<LONG>(wp));
    const int count = t->count();
    auto* item = reinterpret_cast<TCITEMW*>(lp);
    switch (msg) {
    case TCM_INSERTITEM: {
        if (!item || index < 0)
            return -1;
        const QString text = (item->mask & TCIF_TEXT) ? Q(item->pszText) : QString();
        return t->Insert(std::min(index, count), text,
                         (item->mask & TCIF_PARAM) ? item->lParam : 0);
    }
    case TCM_DELETEITEM:
        if (index < 0 || index >= count)
            return FALSE;
        t->Remove(index);
        return TRUE;
    case TCM_DELETEALLITEMS:
        while (t->count())
            t->Remove(t->count() - 1);
        return TRUE;
    case TCM_GETITEMCOUNT:
        return count;
    case TCM_GETCURSEL:
        return t->currentIndex();
    case TCM_SETCURSEL: {
        if (index < 0 || index >= count)
            return -1;
        const int old = t->currentIndex();
        t->programmatic_ = true;
        t->setCurrentIndex(index);
        t->programmatic_ = false;
        return old;
    }
    case TCM_GETITEM:
        if (!item || index < 0 || index >= count)
            return FALSE;
        if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
            const std::u16string s = U(t->tabText(index));
            CopyBounded(item->pszText, static_cast<size_t>(item->cchTextMax), s.c_str());
        }
        if (item->mask & TCIF_PARAM)
            item->lParam = t->params_[static_cast<size_t>(index)];
        return TRUE;
    case TCM_SETITEM:
        if (!item || index < 0 || index >= count)
            return FALSE;
        if (item->mask & TCIF_TEXT)
            t->setTabText(index, Q(item->pszText));
        if (item->mask & TCIF_PARAM)
            t->params_[static_cast<size_t>(index)] = item->lParam;
        return TRUE;
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

} // namespace

void RegisterTabs() {
    RegisterControlClass(WC_TABCONTROL, TabProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        auto* t = new TabControl(w.handle, p);
        t->lower(); // the controls of the pages stay above it
        return t;
    });
}

} // namespace ms::ctl
