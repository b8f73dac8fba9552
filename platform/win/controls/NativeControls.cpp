// The standard controls that Qt widgets stand behind: buttons (push, default, check, radio
// with Windows-style groups, group boxes), statics (text, pictures, frames and lines), edits
// (single and multi-line), combo boxes, list boxes, trackbars, up-down controls and tabs.
// They keep the native look unless the parent's WM_CTLCOLOR answer asks for other colours.
// Each family has its own file; here is what they share, and their registration.
#include "controls/ControlsInternal.h"

#include "platform/win/gdi/Gdi.h"
#include "window/WindowInternal.h"

#include <QPalette>
#include <QVariant>
#include <algorithm>

namespace ms::ctl {

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

using wnd::ChildrenOf;

std::vector<HWND> InOrder(HWND parent) {
    auto kids = ChildrenOf(parent);
    std::reverse(kids.begin(), kids.end());
    return kids;
}

DWORD StyleOf(HWND h) {
    WindowObject* w = FromHandle(h);
    return w ? w->style : 0;
}

// ---- Registration ----

void RegisterNativeControls() {
    RegisterButtons();
    RegisterStatics();
    RegisterEdits();
    RegisterListBoxes();
    RegisterTrackbars();
    RegisterUpDowns();
    RegisterTabs();
    RegisterScrollBarControls();
}

} // namespace ms::ctl
