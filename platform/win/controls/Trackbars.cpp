// Trackbars over a Qt slider: the user's steps reach the parent as WM_HSCROLL/WM_VSCROLL
// once the position has changed, and every repaint as NM_CUSTOMDRAW.
#include "controls/ControlsInternal.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSlider>
#include <algorithm>

namespace ms::ctl {

namespace {

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

} // namespace

void RegisterTrackbars() {
    RegisterControlClass(TRACKBAR_CLASS, TrackbarProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new Trackbar(w.handle, w.style, p);
    });
}

} // namespace ms::ctl
