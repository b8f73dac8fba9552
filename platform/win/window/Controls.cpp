// The simplest standard controls, enough for plain dialogs: "Button" (push buttons, check
// boxes, radio buttons, group boxes), "Static" (text, frames, pictures) and "Edit" (one line).
// The full set comes with the controls library, which registers its classes over these.
#include "platform/win/window/Resources.h"
#include "platform/win/window/WindowInternal.h"

#include "platform/win/gdi/GdiQt.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace ms {

void NotifyParent(HWND control, UINT code) {
    WindowObject* w = FromHandle(control);
    if (!w || !w->IsChild() || !IsWindow(w->parent))
        return;
    SendMessage(w->parent, WM_COMMAND,
                MAKEWPARAM(static_cast<WORD>(w->id), static_cast<WORD>(code)),
                reinterpret_cast<LPARAM>(control));
}

namespace wnd {

namespace {

QString Q(const std::u16string& s) {
    return QString::fromUtf16(s.c_str());
}
std::u16string U(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}

template <class Base> class TextButton : public Base, public ControlWidget {
public:
    TextButton(HWND h, QWidget* parent) : Base(parent), hwnd_(h) {
        QObject::connect(this, &QAbstractButton::clicked,
                         [this] { NotifyParent(hwnd_, BN_CLICKED); });
    }
    void SetControlText(const std::u16string& text) override { this->setText(Q(text)); }

private:
    HWND hwnd_;
};

class GroupBox : public QGroupBox, public ControlWidget {
public:
    explicit GroupBox(QWidget* parent) : QGroupBox(parent) {}
    void SetControlText(const std::u16string& text) override { setTitle(Q(text)); }
};

class StaticLabel : public QLabel, public ControlWidget {
public:
    StaticLabel(WindowObject& w, QWidget* parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        StyleChanged(w.style);
    }
    void SetControlText(const std::u16string& text) override {
        WindowObject* w = FromHandle(HandleOfWidget(this));
        const DWORD type = w ? (w->style & SS_TYPEMASK) : SS_LEFT;
        if ((type == SS_BITMAP || type == SS_ICON) && !text.empty() && text[0] == u'#') {
            UINT id = 0;
            for (char16_t c : text.substr(1))
                id = id * 10 + static_cast<UINT>(c - u'0');
            QImage img = LoadResourceImage(type == SS_BITMAP ? u"BITMAP" : u"ICON", id);
            if (!img.isNull())
                setPixmap(QPixmap::fromImage(img));
            return;
        }
        // "&" marks a mnemonic in a static's text; "&&" is a literal ampersand.
        QString t = Q(text);
        QString out;
        for (int i = 0; i < t.size(); ++i) {
            if (t[i] == u'&' && i + 1 < t.size()) {
                ++i;
            }
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
};

class LineEdit : public QLineEdit, public ControlWidget {
public:
    LineEdit(HWND h, DWORD style, QWidget* parent) : QLineEdit(parent), hwnd_(h) {
        QObject::connect(this, &QLineEdit::textChanged, [this] { NotifyParent(hwnd_, EN_CHANGE); });
        StyleChanged(style);
    }
    void SetControlText(const std::u16string& text) override { setText(Q(text)); }
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

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* b = w ? qobject_cast<QAbstractButton*>(w->widget.data()) : nullptr;
    const DWORD type = w ? (w->style & BS_TYPEMASK) : 0;
    switch (msg) {
    case BM_GETCHECK:
        return b && b->isCheckable() && b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        if (b && b->isCheckable()) {
            // Setting the state is not a click: no BN_CLICKED, as on Windows.
            const bool blocked = b->blockSignals(true);
            b->setChecked(wp == BST_CHECKED);
            b->blockSignals(blocked);
        }
        return 0;
    case BM_CLICK:
        if (b && b->isEnabled())
            b->click();
        return 0;
    case BM_SETSTYLE:
        if (w) {
            w->style = (w->style & ~0xFFFFu) | (static_cast<DWORD>(wp) & 0xFFFFu);
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

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
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
        LRESULT old = static_cast<LRESULT>(reinterpret_cast<ULONG_PTR>(GetProp(hwnd, u"ms.image")));
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
        return static_cast<LRESULT>(reinterpret_cast<ULONG_PTR>(GetProp(hwnd, u"ms.image")));
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* e = w ? dynamic_cast<QLineEdit*>(w->widget.data()) : nullptr;
    switch (msg) {
    case EM_LIMITTEXT:
        if (e)
            e->setMaxLength(wp ? static_cast<int>(std::min<WPARAM>(wp, 0x7FFFFFFE)) : 0x7FFFFFFE);
        return 0;
    case EM_GETLIMITTEXT:
        return e ? e->maxLength() : 0;
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
        }
        return 0;
    case EM_GETSEL: {
        int from = e ? (e->hasSelectedText() ? e->selectionStart() : e->cursorPosition()) : 0;
        int to = e ? from + static_cast<int>(e->selectedText().size()) : 0;
        if (wp)
            *reinterpret_cast<DWORD*>(wp) = static_cast<DWORD>(from);
        if (lp)
            *reinterpret_cast<DWORD*>(lp) = static_cast<DWORD>(to);
        return MAKELRESULT(static_cast<WORD>(from), static_cast<WORD>(to));
    }
    case EM_SETREADONLY:
        if (w) {
            w->style = wp ? (w->style | ES_READONLY) : (w->style & ~ES_READONLY);
            if (e)
                e->setReadOnly(wp != 0);
        }
        return TRUE;
    case EM_GETMODIFY:
        return e && e->isModified();
    case EM_SETMODIFY:
        if (e)
            e->setModified(wp != 0);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
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

} // namespace

void RegisterStandardControls(std::function<void(const WindowClass&)> addIfAbsent) {
    auto add = [&](const char16_t* name, WNDPROC proc, ControlFactory f, HCURSOR cursor = nullptr) {
        WindowClass c;
        c.name = name;
        c.proc = proc;
        c.style = CS_DBLCLKS;
        c.cursor = cursor;
        c.factory = std::move(f);
        addIfAbsent(c);
    };
    add(u"Button", ButtonProc, [](WindowObject& w, QWidget* parent) -> QWidget* {
        switch (w.style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return new TextButton<QCheckBox>(w.handle, parent);
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return new TextButton<QRadioButton>(w.handle, parent);
        case BS_GROUPBOX:
            return new GroupBox(parent);
        default: {
            auto* b = new TextButton<QPushButton>(w.handle, parent);
            b->setAutoDefault(false);
            b->setDefault((w.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
            return b;
        }
        }
    });
    add(u"Static", StaticProc,
        [](WindowObject& w, QWidget* parent) -> QWidget* { return new StaticLabel(w, parent); });
    add(
        u"Edit", EditProc,
        [](WindowObject& w, QWidget* parent) -> QWidget* {
            return new LineEdit(w.handle, w.style, parent);
        },
        LoadCursor(nullptr, IDC_IBEAM));
}

} // namespace wnd
} // namespace ms
