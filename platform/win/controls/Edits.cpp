// Edits over Qt's line and plain-text editors: single-line (with ES_NUMBER and ES_PASSWORD)
// and multi-line, with Windows' "\r\n" line ends, selections and the text limit.
#include "controls/ControlsInternal.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace ms::ctl {

namespace {

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

} // namespace

void RegisterEdits() {
    RegisterControlClass(u"Edit", EditProc, MakeEdit, CS_DBLCLKS);
}

} // namespace ms::ctl
