// The standard controls that Qt widgets stand behind: buttons (push, default, check, radio
// with Windows-style groups, group boxes), statics (text, pictures, frames and lines), edits
// (single and multi-line), combo boxes, list boxes, trackbars, up-down controls and tabs.
// They keep the native look unless the parent's WM_CTLCOLOR answer asks for other colours.
#include "platform/win/controls/ControlsInternal.h"

#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"
#include "platform/win/window/Resources.h"
#include "platform/win/window/WindowInternal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace ms::ctl {

// ---- Shared helpers ----

LRESULT SendNotify(HWND control, UINT code, NMHDR* hdr) {
    WindowObject* w = FromHandle(control);
    if (!w || !w->IsChild() || !IsWindow(w->parent))
        return 0;
    hdr->hwndFrom = control;
    hdr->idFrom = static_cast<UINT_PTR>(w->id);
    hdr->code = code;
    return SendMessage(w->parent, WM_NOTIFY, static_cast<WPARAM>(w->id),
                       reinterpret_cast<LPARAM>(hdr));
}

LRESULT SendNotify(HWND control, UINT code) {
    NMHDR hdr{};
    return SendNotify(control, code, &hdr);
}

CtlColors QueryCtlColors(HWND control, UINT msg) {
    CtlColors out;
    HWND parent = GetParent(control);
    if (!parent)
        return out;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return out;
    const COLORREF defText = GetSysColor(COLOR_WINDOWTEXT);
    SetTextColor(dc, defText);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetBkMode(dc, OPAQUE);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessage(parent, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    const COLORREF text = GetTextColor(dc);
    DeleteDC(dc);
    auto toQ = [](COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); };
    if (text != defText)
        out.text = toQ(text);
    // The system's own brushes keep the native look; a hollow brush lets the parent show
    // through; any other solid brush paints the control's background.
    if (!brush || brush == GetSysColorBrush(COLOR_BTNFACE) ||
        brush == GetSysColorBrush(COLOR_WINDOW))
        return out;
    LOGBRUSH lb{};
    if (GetObjectW(brush, sizeof(lb), &lb) != static_cast<int>(sizeof(lb)))
        return out;
    if (lb.lbStyle == BS_NULL)
        out.transparent = true;
    else
        out.background = toQ(lb.lbColor);
    return out;
}

void ApplyCtlColors(QWidget* widget, const CtlColors& c) {
    // The colours applied last, so that an unchanged answer changes nothing and the native
    // palette (with its greyed text of disabled controls) comes back when the parent stops
    // asking for colours.
    const char* key = "ms.ctlcolors";
    const bool fill = c.background.has_value();
    if (widget->autoFillBackground() != fill)
        widget->setAutoFillBackground(fill);
    if (!c.text && !c.background) {
        if (widget->property(key).isValid()) {
            widget->setPalette(QPalette());
            widget->setProperty(key, QVariant());
        }
        return;
    }
    const QString id = (c.text ? c.text->name() : QString()) + u'/' +
                       (c.background ? c.background->name() : QString());
    if (widget->property(key).toString() == id)
        return;
    QPalette pal = widget->parentWidget() ? widget->parentWidget()->palette() : QPalette();
    if (c.text)
        for (auto group : {QPalette::Active, QPalette::Inactive})
            for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
                pal.setColor(group, role, *c.text);
    if (c.background)
        pal.setColor(QPalette::Window, *c.background);
    widget->setPalette(pal);
    widget->setProperty(key, id);
}

namespace {

using wnd::ChildrenOf;

// Children of a window in template (creation) order.
std::vector<HWND> InOrder(HWND parent) {
    auto kids = ChildrenOf(parent);
    std::reverse(kids.begin(), kids.end());
    return kids;
}

DWORD StyleOf(HWND h) {
    WindowObject* w = FromHandle(h);
    return w ? w->style : 0;
}

// ---- Buttons ----

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

// ---- Statics ----

class StaticLabel : public QLabel, public ControlWidget {
public:
    StaticLabel(WindowObject& w, QWidget* parent) : QLabel(parent), hwnd_(w.handle) {
        setTextFormat(Qt::PlainText);
        StyleChanged(w.style);
    }
    void SetControlText(const std::u16string& text) override {
        const DWORD type = StyleOf(hwnd_) & SS_TYPEMASK;
        if (type == SS_BITMAP || type == SS_ICON) {
            // A picture static's text names its resource ("#id" from a template).
            if (!text.empty() && text[0] == u'#') {
                UINT id = 0;
                for (char16_t c : text.substr(1))
                    if (c >= u'0' && c <= u'9')
                        id = id * 10 + static_cast<UINT>(c - u'0');
                QImage img = LoadResourceImage(type == SS_BITMAP ? u"BITMAP" : u"ICON", id);
                if (!img.isNull())
                    setPixmap(QPixmap::fromImage(img));
            }
            return;
        }
        // "&" marks a mnemonic in a static's text (unless SS_NOPREFIX); "&&" is a literal one.
        const QString t = Q(text);
        if (StyleOf(hwnd_) & 0x80) { // SS_NOPREFIX
            setText(t);
            return;
        }
        QString out;
        for (int i = 0; i < t.size(); ++i) {
            if (t[i] == u'&' && i + 1 < t.size())
                ++i;
            out += t[i];
        }
        setText(out);
    }
    void StyleChanged(DWORD style) override {
        const DWORD type = style & SS_TYPEMASK;
        Qt::Alignment a = Qt::AlignLeft | Qt::AlignTop;
        if (type == SS_CENTER)
            a = Qt::AlignHCenter | Qt::AlignTop;
        else if (type == SS_RIGHT)
            a = Qt::AlignRight | Qt::AlignTop;
        if (style & SS_CENTERIMAGE)
            a = (a & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
        if (type == SS_BITMAP && (style & SS_CENTERIMAGE))
            a = Qt::AlignCenter;
        setAlignment(a);
        setWordWrap(type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
        switch (type) {
        case SS_ETCHEDFRAME:
        case SS_GRAYFRAME:
        case SS_BLACKFRAME:
        case SS_WHITEFRAME:
            setFrameStyle(QFrame::Box | QFrame::Sunken);
            break;
        case SS_ETCHEDHORZ:
            setFrameStyle(QFrame::HLine | QFrame::Sunken);
            break;
        case SS_ETCHEDVERT:
            setFrameStyle(QFrame::VLine | QFrame::Sunken);
            break;
        default:
            setFrameStyle((style & SS_SUNKEN) ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
            break;
        }
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        const DWORD type = StyleOf(hwnd_) & SS_TYPEMASK;
        const bool solid = type == SS_BLACKRECT || type == SS_GRAYRECT || type == SS_WHITERECT;
        if (solid) {
            QPainter p(this);
            const int sys = type == SS_BLACKRECT  ? COLOR_WINDOWTEXT
                            : type == SS_GRAYRECT ? COLOR_BTNSHADOW
                                                  : COLOR_WINDOW;
            const COLORREF c = GetSysColor(sys);
            p.fillRect(rect(), QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
            return;
        }
        ApplyCtlColors(this, QueryCtlColors(hwnd_, WM_CTLCOLORSTATIC));
        QLabel::paintEvent(e);
    }

private:
    HWND hwnd_;
};

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    if (w && !w->native)
        return OwnerDrawStaticProc(hwnd, msg, wp, lp);
    auto* label = w ? dynamic_cast<QLabel*>(w->widget.data()) : nullptr;
    switch (msg) {
    case WM_NCHITTEST:
        // A static without SS_NOTIFY lets the mouse through to its parent.
        if (w && !(w->style & SS_NOTIFY))
            return HTTRANSPARENT;
        return DefWindowProc(hwnd, msg, wp, lp);
    case WM_LBUTTONDOWN:
        if (w && (w->style & SS_NOTIFY))
            NotifyParent(hwnd, STN_CLICKED);
        return DefWindowProc(hwnd, msg, wp, lp);
    case WM_LBUTTONDBLCLK:
        if (w && (w->style & SS_NOTIFY))
            NotifyParent(hwnd, STN_DBLCLK);
        return DefWindowProc(hwnd, msg, wp, lp);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case STM_SETIMAGE: {
        auto old = reinterpret_cast<LRESULT>(GetProp(hwnd, u"ms.image"));
        SetProp(hwnd, u"ms.image", reinterpret_cast<HANDLE>(lp));
        if (label) {
            QImage img = wp == IMAGE_BITMAP ? ImageOfBitmap(reinterpret_cast<HBITMAP>(lp))
                                            : ImageOfIcon(reinterpret_cast<HICON>(lp));
            if (img.isNull())
                label->clear();
            else
                label->setPixmap(QPixmap::fromImage(img));
        }
        return old;
    }
    case STM_GETIMAGE:
        return reinterpret_cast<LRESULT>(GetProp(hwnd, u"ms.image"));
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

// ---- Edits ----

class LineEdit : public QLineEdit, public ControlWidget {
public:
    LineEdit(HWND h, DWORD style, QWidget* parent) : QLineEdit(parent), hwnd_(h) {
        // EN_CHANGE also when the program sets the text, as on Windows.
        connect(this, &QLineEdit::textChanged, [this] { NotifyParent(hwnd_, EN_CHANGE); });
        StyleChanged(style);
    }
    void SetControlText(const std::u16string& text) override {
        const QString t = Q(text);
        if (t == this->text())
            NotifyParent(hwnd_, EN_CHANGE); // Qt stays silent for the same text
        setText(t);
    }
    bool ControlText(std::u16string& out) const override {
        out = U(text());
        return true;
    }
    void StyleChanged(DWORD style) override {
        setReadOnly((style & ES_READONLY) != 0);
        setEchoMode((style & ES_PASSWORD) ? QLineEdit::Password : QLineEdit::Normal);
        const DWORD align = style & 3;
        setAlignment(align == ES_CENTER  ? Qt::AlignHCenter
                     : align == ES_RIGHT ? Qt::AlignRight
                                         : Qt::AlignLeft);
        if ((style & ES_NUMBER) && !validator())
            setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), this));
    }

private:
    HWND hwnd_;
};

class TextEdit : public QPlainTextEdit, public ControlWidget {
public:
    TextEdit(HWND h, DWORD style, QWidget* parent) : QPlainTextEdit(parent), hwnd_(h) {
        connect(this, &QPlainTextEdit::textChanged, [this] {
            // The limit holds for typing and pasting alike.
            if (limit_ > 0 && toPlainText().size() > limit_) {
                QString t = toPlainText().left(limit_);
                const bool b = blockSignals(true);
                setPlainText(t);
                moveCursor(QTextCursor::End);
                blockSignals(b);
            }
            NotifyParent(hwnd_, EN_CHANGE);
        });
        setTabChangesFocus(true);
        StyleChanged(style);
    }
    void SetControlText(const std::u16string& text) override {
        // Windows separates lines with "\r\n"; the widget keeps "\n".
        QString t = Q(text);
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (t == toPlainText())
            NotifyParent(hwnd_, EN_CHANGE);
        setPlainText(t);
    }
    bool ControlText(std::u16string& out) const override {
        QString t = toPlainText();
        t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        out = U(t);
        return true;
    }
    void StyleChanged(DWORD style) override {
        setReadOnly((style & ES_READONLY) != 0);
        setLineWrapMode((style & (ES_AUTOHSCROLL | WS_HSCROLL)) ? QPlainTextEdit::NoWrap
                                                                : QPlainTextEdit::WidgetWidth);
        setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                        : Qt::ScrollBarAlwaysOff);
    }
    int limit_ = 0;

private:
    HWND hwnd_;
};

LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* e = w ? dynamic_cast<QLineEdit*>(w->widget.data()) : nullptr;
    auto* m = w ? dynamic_cast<TextEdit*>(w->widget.data()) : nullptr;
    switch (msg) {
    case EM_LIMITTEXT: {
        const int limit = wp ? static_cast<int>(std::min<WPARAM>(wp, 0x7FFFFFFE)) : 0x7FFFFFFE;
        if (e)
            e->setMaxLength(limit);
        if (m)
            m->limit_ = limit;
        return 0;
    }
    case EM_GETLIMITTEXT:
        return e ? e->maxLength() : m ? (m->limit_ ? m->limit_ : 0x7FFFFFFE) : 0;
    case EM_SETSEL:
        if (e) {
            const int len = static_cast<int>(e->text().size());
            int from = static_cast<int>(static_cast<LONG>(wp));
            int to = static_cast<int>(static_cast<LONG>(lp));
            if (from < 0) {
                e->deselect();
                return 0;
            }
            if (to < 0 || to > len)
                to = len;
            from = std::min(from, len);
            e->setSelection(from, to - from);
        } else if (m) {
            QTextCursor c = m->textCursor();
            const int len = static_cast<int>(m->toPlainText().size());
            int from = static_cast<int>(static_cast<LONG>(wp));
            int to = static_cast<int>(static_cast<LONG>(lp));
            if (to < 0 || to > len)
                to = len;
            from = std::clamp(from, 0, len);
            c.setPosition(from);
            c.setPosition(to, QTextCursor::KeepAnchor);
            m->setTextCursor(c);
        }
        return 0;
    case EM_GETSEL: {
        int from = 0, to = 0;
        if (e) {
            from = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
            to = from + static_cast<int>(e->selectedText().size());
        } else if (m) {
            from = m->textCursor().selectionStart();
            to = m->textCursor().selectionEnd();
        }
        if (wp)
            *reinterpret_cast<DWORD*>(wp) = static_cast<DWORD>(from);
        if (lp)
            *reinterpret_cast<DWORD*>(lp) = static_cast<DWORD>(to);
        return MAKELRESULT(static_cast<WORD>(from), static_cast<WORD>(to));
    }
    case EM_REPLACESEL: {
        const QString t = Q(reinterpret_cast<LPCWSTR>(lp));
        if (e)
            e->insert(t);
        else if (m)
            m->insertPlainText(t);
        return 0;
    }
    case EM_GETLINECOUNT:
        return m ? m->document()->blockCount() : 1;
    case EM_SETREADONLY:
        if (w) {
            w->style = wp ? (w->style | ES_READONLY) : (w->style & ~ES_READONLY);
            if (e)
                e->setReadOnly(wp != 0);
            if (m)
                m->setReadOnly(wp != 0);
        }
        return TRUE;
    case EM_GETMODIFY:
        return e ? e->isModified() : m ? m->document()->isModified() : 0;
    case EM_SETMODIFY:
        if (e)
            e->setModified(wp != 0);
        if (m)
            m->document()->setModified(wp != 0);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS |
               (m && w && (w->style & ES_WANTRETURN) ? DLGC_WANTALLKEYS : 0);
    case WM_SETFOCUS:
        NotifyParent(hwnd, EN_SETFOCUS);
        return DefWindowProc(hwnd, msg, wp, lp);
    case WM_KILLFOCUS:
        NotifyParent(hwnd, EN_KILLFOCUS);
        return DefWindowProc(hwnd, msg, wp, lp);
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

QWidget* MakeEdit(WindowObject& w, QWidget* parent) {
    if (w.style & ES_MULTILINE)
        return new TextEdit(w.handle, w.style, parent);
    return new LineEdit(w.handle, w.style, parent);
}

// ---- Combo boxes and list boxes ----

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

// ---- Trackbars ----

class Trackbar : public QSlider, public ControlWidget {
public:
    Trackbar(HWND h, DWORD style, QWidget* parent)
        : QSlider((style & TBS_VERT) ? Qt::Vertical : Qt::Horizontal, parent), hwnd_(h) {
        setRange(0, 100);
        setPageStep(20);
        setSingleStep(1);
        // A vertical trackbar has its minimum at the top.
        setInvertedAppearance((style & TBS_VERT) != 0);
        setInvertedControls((style & TBS_VERT) != 0);
        if (style & TBS_NOTICKS)
            setTickPosition(QSlider::NoTicks);
        else if (style & TBS_BOTH)
            setTickPosition(QSlider::TicksBothSides);
        else if (style & TBS_AUTOTICKS)
            setTickPosition((style & TBS_VERT) ? QSlider::TicksRight : QSlider::TicksBelow);
        setTickInterval(1);
        connect(this, &QAbstractSlider::actionTriggered, [this](int action) {
            switch (action) {
            case SliderSingleStepAdd:
                pending_ = TB_LINEDOWN;
                break;
            case SliderSingleStepSub:
                pending_ = TB_LINEUP;
                break;
            case SliderPageStepAdd:
                pending_ = TB_PAGEDOWN;
                break;
            case SliderPageStepSub:
                pending_ = TB_PAGEUP;
                break;
            case SliderToMinimum:
                pending_ = TB_TOP;
                break;
            case SliderToMaximum:
                pending_ = TB_BOTTOM;
                break;
            case SliderMove:
                // The wheel moves without a held thumb: a line step, as on Windows.
                pending_ = isSliderDown()               ? TB_THUMBTRACK
                           : sliderPosition() > value() ? TB_LINEDOWN
                                                        : TB_LINEUP;
                break;
            default:
                break;
            }
        });
        connect(this, &QAbstractSlider::sliderReleased, [this] {
            Flush();
            Scroll(TB_THUMBPOSITION, value());
        });
    }

protected:
    // The user's action reaches the parent once the position has changed, so that
    // TBM_GETPOS gives the new one, as on Windows.
    void sliderChange(SliderChange change) override {
        QSlider::sliderChange(change);
        if (change == SliderValueChange)
            Flush();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        QSlider::mouseReleaseEvent(e);
        Flush();
        Scroll(TB_ENDTRACK, 0);
        SendNotify(hwnd_, NM_RELEASEDCAPTURE);
    }
    void keyPressEvent(QKeyEvent* e) override {
        keying_ = true;
        QSlider::keyPressEvent(e);
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        QSlider::keyReleaseEvent(e);
        if (keying_) {
            keying_ = false;
            Flush();
            Scroll(TB_ENDTRACK, 0);
        }
    }
    void paintEvent(QPaintEvent* e) override {
        // The parent learns of every repaint (NM_CUSTOMDRAW); the drawing stays the native one.
        NMCUSTOMDRAW cd{};
        cd.dwDrawStage = CDDS_PREPAINT;
        cd.rc = RECT{0, 0, width(), height()};
        SendNotify(hwnd_, NM_CUSTOMDRAW, &cd.hdr);
        QSlider::paintEvent(e);
    }

private:
    void Flush() {
        if (pending_ < 0)
            return;
        const int code = pending_;
        pending_ = -1;
        Scroll(code, value());
    }
    void Scroll(int code, int pos) {
        WindowObject* w = FromHandle(hwnd_);
        if (!w || !IsWindow(w->parent))
            return;
        const bool thumb = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
        SendMessage(w->parent, orientation() == Qt::Vertical ? WM_VSCROLL : WM_HSCROLL,
                    MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(thumb ? pos : 0)),
                    reinterpret_cast<LPARAM>(hwnd_));
    }
    HWND hwnd_;
    int pending_ = -1;
    bool keying_ = false;
};

LRESULT TrackbarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* s = w ? dynamic_cast<Trackbar*>(w->widget.data()) : nullptr;
    if (!s)
        return DefWindowProc(hwnd, msg, wp, lp);
    const bool b = s->blockSignals(true);
    LRESULT r = 0;
    switch (msg) {
    case TBM_GETPOS:
        r = s->value();
        break;
    case TBM_GETRANGEMIN:
        r = s->minimum();
        break;
    case TBM_GETRANGEMAX:
        r = s->maximum();
        break;
    case TBM_SETPOS:
        s->setValue(static_cast<int>(static_cast<LONG>(lp)));
        break;
    case TBM_SETRANGE:
        s->setRange(static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lp))),
                    static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lp))));
        break;
    case TBM_SETRANGEMIN:
        s->setMinimum(static_cast<int>(static_cast<LONG>(lp)));
        break;
    case TBM_SETRANGEMAX:
        s->setMaximum(static_cast<int>(static_cast<LONG>(lp)));
        break;
    case TBM_SETTICFREQ:
        s->setTickInterval(std::max(1, static_cast<int>(wp)));
        break;
    case TBM_SETTIC:
        break;
    case TBM_SETPAGESIZE:
        r = s->pageStep();
        s->setPageStep(static_cast<int>(static_cast<LONG>(lp)));
        break;
    case TBM_GETPAGESIZE:
        r = s->pageStep();
        break;
    case TBM_SETLINESIZE:
        r = s->singleStep();
        s->setSingleStep(static_cast<int>(static_cast<LONG>(lp)));
        break;
    case TBM_GETLINESIZE:
        r = s->singleStep();
        break;
    case WM_GETDLGCODE:
        r = DLGC_WANTARROWS;
        break;
    default:
        s->blockSignals(b);
        return DefWindowProc(hwnd, msg, wp, lp);
    }
    s->blockSignals(b);
    return r;
}

// ---- Up-down controls ----

class UpDown : public QWidget, public ControlWidget {
public:
    UpDown(HWND h, DWORD style, QWidget* parent) : QWidget(parent), hwnd_(h), style_(style) {
        const bool horz = (style & UDS_HORZ) != 0;
        QBoxLayout* l = horz ? static_cast<QBoxLayout*>(new QHBoxLayout(this))
                             : static_cast<QBoxLayout*>(new QVBoxLayout(this));
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
        up_ = new QToolButton(this);
        down_ = new QToolButton(this);
        up_->setArrowType(horz ? Qt::RightArrow : Qt::UpArrow);
        down_->setArrowType(horz ? Qt::LeftArrow : Qt::DownArrow);
        for (QToolButton* b : {horz ? down_ : up_, horz ? up_ : down_}) {
            b->setAutoRepeat(true);
            b->setFocusPolicy(Qt::NoFocus);
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            l->addWidget(b);
        }
        // Held down, the arrow repeats; the last click comes with the release.
        connect(up_, &QToolButton::clicked, [this] {
            if (Step(true) && !up_->isDown())
                End();
        });
        connect(down_, &QToolButton::clicked, [this] {
            if (Step(false) && !down_->isDown())
                End();
        });
    }
    QToolButton* Up() const { return up_; }
    QToolButton* Down() const { return down_; }

    int lower = 100; // Windows' default range runs from 100 down to 0
    int upper = 0;
    int pos = 0;
    HWND buddy = nullptr;

    // A click on an arrow: UDN_DELTAPOS (the parent may refuse), then the new position in the
    // buddy (UDS_SETBUDDYINT) and WM_VSCROLL/WM_HSCROLL SB_THUMBPOSITION to the parent.
    bool Step(bool towardUpper) {
        const int dir = upper >= lower ? 1 : -1;
        const int delta = towardUpper ? dir : -dir;
        NMUPDOWN nm{};
        nm.iPos = Pos();
        nm.iDelta = delta;
        if (SendNotify(hwnd_, UDN_DELTAPOS, &nm.hdr))
            return false;
        const int lo = std::min(lower, upper), hi = std::max(lower, upper);
        int next = nm.iPos + nm.iDelta;
        if (next < lo || next > hi) {
            if (!(style_ & UDS_WRAP))
                return false; // at the end of the range nothing moves and nothing is sent
            next = next < lo ? hi : lo;
        }
        SetPos(next);
        WindowObject* w = FromHandle(hwnd_);
        if (w && IsWindow(w->parent))
            SendMessage(w->parent, (style_ & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL,
                        MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(next)),
                        reinterpret_cast<LPARAM>(hwnd_));
        return true;
    }
    void End() {
        WindowObject* w = FromHandle(hwnd_);
        if (w && IsWindow(w->parent))
            SendMessage(w->parent, (style_ & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL,
                        MAKEWPARAM(SB_ENDSCROLL, static_cast<WORD>(pos)),
                        reinterpret_cast<LPARAM>(hwnd_));
    }
    // The position; with UDS_SETBUDDYINT the buddy's number is the truth, as on Windows.
    int Pos() {
        if ((style_ & UDS_SETBUDDYINT) && IsWindow(buddy)) {
            WCHAR buf[32]{};
            GetWindowText(buddy, buf, 32);
            std::u16string s(buf);
            s.erase(std::remove(s.begin(), s.end(), u','), s.end());
            if (!s.empty()) {
                bool ok = false;
                const int v = QString::fromUtf16(s.c_str()).trimmed().toInt(&ok);
                if (ok)
                    pos = std::clamp(v, std::min(lower, upper), std::max(lower, upper));
            }
        }
        return pos;
    }
    void SetPos(int p) {
        pos = std::clamp(p, std::min(lower, upper), std::max(lower, upper));
        if ((style_ & UDS_SETBUDDYINT) && IsWindow(buddy)) {
            WCHAR buf[32];
            swprintf(buf, 32, u"%d", pos);
            SetWindowText(buddy, buf);
        }
    }
    // UDS_ALIGNRIGHT/LEFT: the control sits beside its buddy, taking room from it.
    void Align() {
        if (!IsWindow(buddy) || !(style_ & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)))
            return;
        WindowObject* w = FromHandle(hwnd_);
        if (!w)
            return;
        RECT br;
        GetWindowRect(buddy, &br);
        MapWindowPoints(nullptr, w->parent, reinterpret_cast<POINT*>(&br), 2);
        const int width = std::max(12, static_cast<int>(w->widget->width()));
        const int bw = br.right - br.left - width;
        if (bw <= 0)
            return;
        if (style_ & UDS_ALIGNRIGHT) {
            MoveWindow(buddy, br.left, br.top, bw, br.bottom - br.top, TRUE);
            MoveWindow(hwnd_, br.left + bw, br.top, width, br.bottom - br.top, TRUE);
        } else {
            MoveWindow(buddy, br.left + width, br.top, bw, br.bottom - br.top, TRUE);
            MoveWindow(hwnd_, br.left, br.top, width, br.bottom - br.top, TRUE);
        }
    }

private:
    HWND hwnd_;
    DWORD style_;
    QToolButton* up_;
    QToolButton* down_;
};

LRESULT UpDownProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* u = w ? dynamic_cast<UpDown*>(w->widget.data()) : nullptr;
    if (!u)
        return DefWindowProc(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        if (w->style & UDS_AUTOBUDDY) {
            // The buddy is the control before this one in the template.
            auto kids = InOrder(w->parent);
            auto it = std::find(kids.begin(), kids.end(), hwnd);
            if (it != kids.end() && it != kids.begin()) {
                u->buddy = *(it - 1);
                u->Align();
            }
        }
        return DefWindowProc(hwnd, msg, wp, lp);
    case UDM_SETRANGE:
        u->upper = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lp)));
        u->lower = static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lp)));
        u->pos = std::clamp(u->pos, std::min(u->lower, u->upper), std::max(u->lower, u->upper));
        return 0;
    case UDM_SETRANGE32:
        u->lower = static_cast<int>(static_cast<LONG>(wp));
        u->upper = static_cast<int>(static_cast<LONG>(lp));
        u->pos = std::clamp(u->pos, std::min(u->lower, u->upper), std::max(u->lower, u->upper));
        return 0;
    case UDM_GETRANGE:
        return MAKELONG(static_cast<WORD>(u->upper), static_cast<WORD>(u->lower));
    case UDM_GETRANGE32:
        if (wp)
            *reinterpret_cast<int*>(wp) = u->lower;
        if (lp)
            *reinterpret_cast<int*>(lp) = u->upper;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        const int old = u->Pos();
        u->SetPos(msg == UDM_SETPOS ? static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lp)))
                                    : static_cast<int>(static_cast<LONG>(lp)));
        return old;
    }
    case UDM_GETPOS:
        return MAKELONG(static_cast<WORD>(u->Pos()), 0);
    case UDM_GETPOS32:
        if (lp)
            *reinterpret_cast<BOOL*>(lp) = FALSE;
        return u->Pos();
    case UDM_SETBUDDY: {
        HWND old = u->buddy;
        u->buddy = reinterpret_cast<HWND>(wp);
        u->Align();
        return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(u->buddy);
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

// ---- Tabs ----

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

// ---- Scroll-bar controls ----

LRESULT ScrollBarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* s = w ? dynamic_cast<ScrollBarWidget*>(w->widget.data()) : nullptr;
    if (!s)
        return DefWindowProc(hwnd, msg, wp, lp);
    switch (msg) {
    case SBM_SETSCROLLINFO:
        return lp ? s->Set(*reinterpret_cast<const SCROLLINFO*>(lp), wp != 0) : 0;
    case SBM_GETSCROLLINFO:
        if (!lp)
            return FALSE;
        s->Get(*reinterpret_cast<SCROLLINFO*>(lp));
        return TRUE;
    case SBM_SETPOS: {
        const int old = s->Info().nPos;
        SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, static_cast<int>(wp), 0};
        s->Set(si, lp != 0);
        return old;
    }
    case SBM_GETPOS:
        return s->Info().nPos;
    case SBM_SETRANGE: {
        SCROLLINFO si{sizeof(si), SIF_RANGE, static_cast<int>(wp), static_cast<int>(lp), 0, 0, 0};
        s->Set(si, FALSE);
        return s->Info().nPos;
    }
    case SBM_GETRANGE:
        if (wp)
            *reinterpret_cast<int*>(wp) = s->Info().nMin;
        if (lp)
            *reinterpret_cast<int*>(lp) = s->Info().nMax;
        return 0;
    case SBM_ENABLE_ARROWS:
        s->EnableArrows(static_cast<UINT>(wp));
        return TRUE;
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

} // namespace

// ---- The scroll bar widget ----

bool& MakingWindowBar() {
    static bool making = false;
    return making;
}

ScrollBarWidget::ScrollBarWidget(HWND self, Qt::Orientation o, bool windowBar, QWidget* parent)
    : QScrollBar(o, parent), self_(self), windowBar_(windowBar) {
    setFocusPolicy(windowBar ? Qt::NoFocus : Qt::TabFocus);
    // Its menu would move the thumb without the program's consent.
    setContextMenuPolicy(Qt::NoContextMenu);
    Sync();
    connect(this, &QAbstractSlider::actionTriggered, [this](int action) {
        if (syncing_)
            return;
        switch (action) {
        case SliderSingleStepAdd:
            Notify(SB_LINEDOWN, 0);
            break;
        case SliderSingleStepSub:
            Notify(SB_LINEUP, 0);
            break;
        case SliderPageStepAdd:
            Notify(SB_PAGEDOWN, 0);
            break;
        case SliderPageStepSub:
            Notify(SB_PAGEUP, 0);
            break;
        case SliderToMinimum:
            Notify(SB_TOP, 0);
            break;
        case SliderToMaximum:
            Notify(SB_BOTTOM, 0);
            break;
        case SliderMove:
            if (!isSliderDown()) {
                // The wheel: a line step; the program moves the thumb.
                Notify(sliderPosition() > info_.nPos ? SB_LINEDOWN : SB_LINEUP, 0);
                break;
            }
            dragging_ = true;
            info_.nTrackPos = sliderPosition();
            Notify(SB_THUMBTRACK, info_.nTrackPos);
            return; // the thumb follows the mouse while it is dragged
        default:
            return;
        }
        // The program moves the thumb (SetScrollPos); until then it stays where it was.
        syncing_ = true;
        setSliderPosition(info_.nPos);
        syncing_ = false;
    });
    connect(this, &QAbstractSlider::sliderReleased, [this] {
        if (!dragging_)
            return;
        dragging_ = false;
        Notify(SB_THUMBPOSITION, info_.nTrackPos);
        Notify(SB_ENDSCROLL, 0);
        Sync();
    });
}

void ScrollBarWidget::Notify(int code, int pos) {
    WindowObject* w = FromHandle(self_);
    if (!w || !IsWindow(w->parent))
        return;
    const UINT msg = orientation() == Qt::Horizontal ? WM_HSCROLL : WM_VSCROLL;
    SendMessage(w->parent, msg, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)),
                windowBar_ ? 0 : reinterpret_cast<LPARAM>(self_));
}

void ScrollBarWidget::mouseReleaseEvent(QMouseEvent* e) {
    const bool wasDragging = dragging_;
    QScrollBar::mouseReleaseEvent(e);
    if (!wasDragging && !dragging_)
        Notify(SB_ENDSCROLL, 0);
}

int ScrollBarWidget::Set(const SCROLLINFO& si, bool redraw) {
    (void)redraw;
    if (si.fMask & SIF_RANGE) {
        info_.nMin = si.nMin;
        info_.nMax = std::max(si.nMin, si.nMax);
    }
    if (si.fMask & SIF_PAGE)
        info_.nPage = std::min<UINT>(si.nPage, static_cast<UINT>(info_.nMax - info_.nMin + 1));
    if (si.fMask & SIF_POS)
        info_.nPos = si.nPos;
    // The position stays inside nMin .. nMax - max(nPage - 1, 0).
    const int top = info_.nMax - std::max(static_cast<int>(info_.nPage) - 1, 0);
    info_.nPos = std::clamp(info_.nPos, info_.nMin, std::max(info_.nMin, top));
    Sync();
    return info_.nPos;
}

void ScrollBarWidget::Get(SCROLLINFO& si) const {
    if (si.fMask & SIF_RANGE) {
        si.nMin = info_.nMin;
        si.nMax = info_.nMax;
    }
    if (si.fMask & SIF_PAGE)
        si.nPage = info_.nPage;
    if (si.fMask & SIF_POS)
        si.nPos = info_.nPos;
    if (si.fMask & SIF_TRACKPOS)
        si.nTrackPos = dragging_ ? info_.nTrackPos : info_.nPos;
}

void ScrollBarWidget::EnableArrows(UINT arrows) {
    disabledArrows_ = arrows == ESB_DISABLE_BOTH;
    setEnabled(!disabledArrows_ && IsWindowEnabled(self_));
}

void ScrollBarWidget::Sync() {
    syncing_ = true;
    const int top = info_.nMax - std::max(static_cast<int>(info_.nPage) - 1, 0);
    setRange(info_.nMin, std::max(info_.nMin, top));
    setPageStep(std::max<int>(1, static_cast<int>(info_.nPage)));
    setSingleStep(1);
    if (!dragging_)
        setSliderPosition(info_.nPos);
    syncing_ = false;
}

// ---- Registration ----

void RegisterNativeControls() {
    RegisterControlClass(u"Button", ButtonProc, MakeButton);
    RegisterControlClass(u"Static", StaticProc, [](WindowObject& w, QWidget* parent) -> QWidget* {
        if ((w.style & SS_TYPEMASK) == SS_OWNERDRAW)
            return nullptr; // a surface, painted by its owner or a subclass
        return new StaticLabel(w, parent);
    });
    RegisterControlClass(u"Edit", EditProc, MakeEdit, CS_DBLCLKS);
    RegisterControlClass(u"ComboBox", ComboProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new ComboBox(w.handle, w.style, p);
    });
    RegisterControlClass(u"ListBox", ListProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new ListBox(w.handle, w.style, p);
    });
    RegisterControlClass(TRACKBAR_CLASS, TrackbarProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new Trackbar(w.handle, w.style, p);
    });
    RegisterControlClass(UPDOWN_CLASS, UpDownProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new UpDown(w.handle, w.style, p);
    });
    RegisterControlClass(WC_TABCONTROL, TabProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        auto* t = new TabControl(w.handle, p);
        t->lower(); // the controls of the pages stay above it
        return t;
    });
    RegisterControlClass(u"ScrollBar", ScrollBarProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new ScrollBarWidget(w.handle, (w.style & SBS_VERT) ? Qt::Vertical : Qt::Horizontal,
                                   MakingWindowBar(), p);
    });
}

} // namespace ms::ctl

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id)
        if (HWND h = GetDlgItem(dialog, id))
            SendMessage(h, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}
