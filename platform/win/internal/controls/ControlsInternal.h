// Shared between the controls library's source files.
#pragma once
#ifndef MS_PLATFORM_INTERNAL
#error "internal to the platform layer; tests use platform/win/window/TestSeams.h"
#endif

#include "platform/win/controls/CommCtrl.h"
#include "window/WindowObject.h"

#include <QColor>
#include <QScrollBar>
#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace ms::ctl {

inline QString Q(const std::u16string& s) {
    return QString::fromUtf16(s.c_str());
}
inline QString Q(LPCWSTR s) {
    return s ? QString::fromUtf16(s) : QString();
}
inline std::u16string U(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}

// Sends WM_NOTIFY with `hdr` (filled in with the control's handle, id and `code`) to the
// control's parent; returns the parent's answer.
LRESULT SendNotify(HWND control, UINT code, NMHDR* hdr);
LRESULT SendNotify(HWND control, UINT code);

// Children of a window in template (creation) order.
std::vector<HWND> InOrder(HWND parent);
// The window's style, 0 for no window.
DWORD StyleOf(HWND h);

// What the parent's WM_CTLCOLOR* answer asks of a control: a text colour and a background
// (none: the native look stays; transparent: the parent shows through).
struct CtlColors {
    std::optional<QColor> text;
    std::optional<QColor> background;
    bool transparent = false;
};
CtlColors QueryCtlColors(HWND control, UINT msg);
// Applies the answer to the widget's palette; changes nothing when it stays the same.
void ApplyCtlColors(QWidget* widget, const CtlColors& c);

// The scroll bar widget of scroll-bar controls and of windows' own bars. It keeps the Windows
// state (range, page, position, track position) and reports the user's actions as SB_ codes;
// the owner moves the thumb with SetScrollInfo/SetScrollPos, as on Windows.
class ScrollBarWidget : public QScrollBar {
public:
    // `windowBar`: the bar of the window `notify` (WM_*SCROLL to it with lParam 0); otherwise
    // a control that notifies its parent with its own handle.
    ScrollBarWidget(HWND self, Qt::Orientation o, bool windowBar, QWidget* parent);
    int Set(const SCROLLINFO& si, bool redraw);
    void Get(SCROLLINFO& si) const;
    void EnableArrows(UINT arrows);
    bool HasRange() const {
        return info_.nMax > info_.nMin &&
               (info_.nPage == 0 || info_.nMax - info_.nMin >= static_cast<int>(info_.nPage));
    }
    const SCROLLINFO& Info() const { return info_; }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void Notify(int code, int pos);
    void Sync();
    HWND self_;
    bool windowBar_;
    SCROLLINFO info_{sizeof(SCROLLINFO), SIF_ALL, 0, 100, 0, 0, 0};
    bool dragging_ = false;
    bool syncing_ = false;
    bool disabledArrows_ = false;
};

// Set while a window's own bar is created: the "ScrollBar" class then makes a window bar.
bool& MakingWindowBar();

// The "Button" class's procedure for owner-drawn buttons (surfaces).
LRESULT OwnerDrawButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// The "Static" class's procedure for owner-drawn statics (surfaces).
LRESULT OwnerDrawStaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

void RegisterNativeControls();
// Each family of the standard controls registers its classes (RegisterNativeControls calls them).
void RegisterButtons();
void RegisterStatics();
void RegisterEdits();
void RegisterListBoxes();
void RegisterTrackbars();
void RegisterUpDowns();
void RegisterTabs();
void RegisterScrollBarControls();
void RegisterCustomControls();
void RegisterToolTips();

} // namespace ms::ctl
