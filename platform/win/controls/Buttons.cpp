// Buttons over Qt widgets: push and default buttons, check boxes, radio buttons with
// Windows-style groups and group boxes. Owner-drawn buttons are surfaces (CustomControls.cpp).
#include "controls/ControlsInternal.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace ms::ctl {

namespace {

bool IsAutoRadio(HWND h) {
    WindowObject* w = FromHandle(h);
    return w && w->className == u"Button" && (w->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

// The radio buttons of `h`'s group: from the control with WS_GROUP at or before it up to the
// next WS_GROUP, as dialog templates group them.
std::vector<HWND> RadioGroup(HWND h) {
    WindowObject* w = FromHandle(h);
    if (!w || !w->parent)
        return {h};
    auto kids = InOrder(w->parent);
    auto it = std::find(kids.begin(), kids.end(), h);
    if (it == kids.end())
        return {h};
    auto first = it;
    while (first != kids.begin() && !(StyleOf(*first) & WS_GROUP))
        --first;
    auto last = it + 1;
    while (last != kids.end() && !(StyleOf(*last) & WS_GROUP))
        ++last;
    std::vector<HWND> out;
    for (auto i = first; i != last; ++i)
        if (IsAutoRadio(*i))
            out.push_back(*i);
    return out;
}

template <class Base> class Button : public Base, public ControlWidget {
public:
    Button(HWND h, DWORD style, QWidget* parent) : Base(parent), hwnd_(h), style_(style) {
        QObject::connect(this, &QAbstractButton::clicked,
                         [this] { NotifyParent(hwnd_, BN_CLICKED); });
    }
    void SetControlText(const std::u16string& text) override { this->setText(Q(text)); }
    void StyleChanged(DWORD style) override { style_ = style; }

protected:
    // Only the automatic kinds change their check state on a click; the others leave it to
    // the program (BM_SETCHECK), as on Windows.
    void nextCheckState() override {
        const DWORD type = style_ & BS_TYPEMASK;
        if (type == BS_AUTORADIOBUTTON) {
            for (HWND other : RadioGroup(hwnd_))
                if (other != hwnd_)
                    SendMessage(other, BM_SETCHECK, BST_UNCHECKED, 0);
            this->setChecked(true);
        } else if (type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE) {
            Base::nextCheckState();
        }
    }
    void paintEvent(QPaintEvent* e) override {
        const DWORD type = style_ & BS_TYPEMASK;
        const bool push = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
        ApplyCtlColors(this, QueryCtlColors(hwnd_, push ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC));
        Base::paintEvent(e);
    }

private:
    HWND hwnd_;
    DWORD style_;
};

class GroupBox : public QGroupBox, public ControlWidget {
public:
    GroupBox(HWND h, QWidget* parent) : QGroupBox(parent), hwnd_(h) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void SetControlText(const std::u16string& text) override { setTitle(Q(text)); }

protected:
    void paintEvent(QPaintEvent* e) override {
        // A group box takes the text colour; its inside stays the parent's, as on Windows.
        CtlColors c = QueryCtlColors(hwnd_, WM_CTLCOLORSTATIC);
        c.background.reset();
        ApplyCtlColors(this, c);
        QGroupBox::paintEvent(e);
    }

private:
    HWND hwnd_;
};

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    if (w && !w->native)
        return OwnerDrawButtonProc(hwnd, msg, wp, lp);
    auto* b = w ? qobject_cast<QAbstractButton*>(w->widget.data()) : nullptr;
    const DWORD type = w ? (w->style & BS_TYPEMASK) : 0;
    switch (msg) {
    case BM_GETCHECK:
        if (!b || !b->isCheckable())
            return BST_UNCHECKED;
        if (auto* c = qobject_cast<QCheckBox*>(b); c && c->checkState() == Qt::PartiallyChecked)
            return BST_INDETERMINATE;
        return b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        if (b && b->isCheckable()) {
            // Setting the state is not a click: no BN_CLICKED, as on Windows.
            const bool blocked = b->blockSignals(true);
            if (auto* c = qobject_cast<QCheckBox*>(b); c && wp == BST_INDETERMINATE)
                c->setCheckState(Qt::PartiallyChecked);
            else
                b->setChecked(wp == BST_CHECKED);
            b->blockSignals(blocked);
        }
        return 0;
    case BM_GETSTATE: {
        LRESULT s = b && b->isDown() ? BST_PUSHED : 0;
        if (GetFocus() == hwnd)
            s |= BST_FOCUS;
        if (b && b->isCheckable() && b->isChecked())
            s |= BST_CHECKED;
        return s;
    }
    case BM_SETSTATE:
        if (b)
            b->setDown(wp != 0);
        return 0;
    case BM_CLICK:
        if (b && b->isEnabled())
            b->click();
        return 0;
    case BM_SETSTYLE:
        if (w) {
            w->style = (w->style & ~0xFFFFu) | (static_cast<DWORD>(wp) & 0xFFFFu);
            if (auto* cw = dynamic_cast<ControlWidget*>(b))
                cw->StyleChanged(w->style);
            if (auto* pb = qobject_cast<QPushButton*>(b))
                pb->setDefault((w->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        }
        return 0;
    case WM_GETDLGCODE:
        if (type == BS_GROUPBOX)
            return DLGC_STATIC;
        if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON |
                   (type == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return DLGC_BUTTON;
    case WM_NCHITTEST:
        if (type == BS_GROUPBOX)
            return HTTRANSPARENT;
        return DefWindowProc(hwnd, msg, wp, lp);
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

QWidget* MakeButton(WindowObject& w, QWidget* parent) {
    switch (w.style & BS_TYPEMASK) {
    case BS_OWNERDRAW:
        return nullptr; // painted by the parent through WM_DRAWITEM
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: {
        auto* b = new Button<QCheckBox>(w.handle, w.style, parent);
        const DWORD t = w.style & BS_TYPEMASK;
        b->setTristate(t == BS_3STATE || t == BS_AUTO3STATE);
        return b;
    }
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
        auto* b = new Button<QRadioButton>(w.handle, w.style, parent);
        b->setAutoExclusive(false); // groups follow WS_GROUP, not the parent widget
        return b;
    }
    case BS_GROUPBOX:
        return new GroupBox(w.handle, parent);
    default: {
        auto* b = new Button<QPushButton>(w.handle, w.style, parent);
        b->setAutoDefault(false);
        b->setDefault((w.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        return b;
    }
    }
}

} // namespace

void RegisterButtons() {
    RegisterControlClass(u"Button", ButtonProc, MakeButton);
}

} // namespace ms::ctl

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id)
        if (HWND h = GetDlgItem(dialog, id))
            SendMessage(h, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}
