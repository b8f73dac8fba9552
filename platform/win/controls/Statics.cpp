// Statics over a Qt label: text, pictures from resources or STM_SETIMAGE, frames, lines and
// solid rectangles.
#include "controls/ControlsInternal.h"

#include "platform/win/gdi/GdiQt.h"
#include "platform/win/window/Resources.h"

#include <QLabel>
#include <QPainter>

namespace ms::ctl {

namespace {

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

} // namespace

void RegisterStatics() {
    RegisterControlClass(u"Static", StaticProc, [](WindowObject& w, QWidget* parent) -> QWidget* {
        if ((w.style & SS_TYPEMASK) == SS_OWNERDRAW)
            return nullptr; // a surface, painted by its owner or a subclass
        return new StaticLabel(w, parent);
    });
}

} // namespace ms::ctl
