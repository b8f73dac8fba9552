// The window object behind an HWND, and the hooks the control classes plug into.
// A window object owns one QWidget. Custom windows (dialogs, frames, owner-drawn controls) get
// a SurfaceWidget whose picture is the window's Surface: WM_PAINT and GetDC draw into it and
// the widget only copies it to the screen. A standard control registers its class with
// ms::RegisterControlClass and supplies a Qt widget of its own; its input reaches Qt only
// when the window procedure hands it to DefWindowProc, as on Windows.
#pragma once
#ifndef MS_PLATFORM_INTERNAL
#error "internal to the platform layer; tests use platform/win/window/TestSeams.h"
#endif

#include "platform/win/window/Application.h"
#include "platform/win/window/WinUser.h"

#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace ms {

class Surface;
class WindowObject;

// Implemented by the QWidget of a standard control: the window layer asks it for the text and
// tells it about text, enabling and font changes. Controls without text leave the defaults.
class ControlWidget {
public:
    virtual ~ControlWidget() = default;
    virtual void SetControlText(const std::u16string& text) { (void)text; }
    // Returns false when the window object's stored text is the truth.
    virtual bool ControlText(std::u16string& out) const {
        (void)out;
        return false;
    }
    virtual void StyleChanged(DWORD style) { (void)style; }
};

// Creates the widget of a registered control class. `parent` is the parent window's widget.
using ControlFactory = std::function<QWidget*(WindowObject& window, QWidget* parent)>;

struct WindowClass {
    std::u16string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HCURSOR cursor = nullptr;
    HICON icon = nullptr;
    HBRUSH background = nullptr;
    ControlFactory factory; // empty: a custom window with a surface
};

// Registers (or replaces) a control class: later CreateWindowEx and dialog templates naming it
// get a widget from `factory` and messages through `proc` (which ends in DefWindowProc).
void RegisterControlClass(const std::u16string& name, WNDPROC proc, ControlFactory factory,
                          UINT classStyle = CS_DBLCLKS, HCURSOR cursor = nullptr);
const WindowClass* FindWindowClass(const std::u16string& name);

class WindowObject {
public:
    HWND handle = nullptr;
    const WindowClass* cls = nullptr;
    std::u16string className;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    HWND parent = nullptr; // child windows
    HWND owner = nullptr;  // pop-up windows
    std::u16string text;
    LONG_PTR userData = 0;
    LONG_PTR dlgMsgResult = 0;
    DLGPROC dlgProc = nullptr;
    LONG_PTR dlgUser = 0;
    HMENU menu = nullptr;
    HMENU systemMenu = nullptr;
    int menuBar = 0; // top-level windows: height of the menu bar strip above the client area
    HFONT font = nullptr;
    HICON iconBig = nullptr;
    HICON iconSmall = nullptr;
    std::map<std::u16string, HANDLE> props;
    QPointer<QWidget> widget;
    bool native = false; // a standard control with a Qt widget of its own
    bool dialog = false; // created from a dialog template
    bool destroying = false;
    bool minimized = false;
    bool maximized = false;
    RECT restoreRect{}; // client rectangle in screen (top-level) or parent coordinates
    QRegion update;     // invalid part of the client area
    bool eraseNeeded = false;
    // Shared with the DCs drawing into it; set on the UI thread under the handle table's lock,
    // so another thread reads it under that lock (GetDC, GetClientRect).
    std::shared_ptr<Surface> surface;
    int defId = IDOK;         // dialogs: the default push button
    HWND lastFocus = nullptr; // dialogs: focus to give back on activation
    // Room the window's own scroll bars take at the right and bottom of the client area
    // (set by the controls library when it shows them).
    int scrollBarRight = 0;
    int scrollBarBottom = 0;

    bool IsChild() const { return (style & WS_CHILD) != 0; }
    // Offset of the client area inside the widget (borders of child windows).
    int ClientInset() const;
    // Client size in pixels.
    QSize ClientSize() const;
    // Makes sure the surface exists and has the client size; returns it.
    Surface& EnsureSurface();
};

// The window object of a live handle, or null. UI thread only: debug builds stop a call from
// another thread (see WinUser.h for the calls that serve any thread).
WindowObject* FromHandle(HWND hwnd, const char* caller = __builtin_FUNCTION());
// The window whose widget is `w` or its nearest ancestor, or null.
HWND HandleOfWidget(const QWidget* w);

// Sends a control notification (WM_COMMAND with code) from a control to its parent.
void NotifyParent(HWND control, UINT code);

} // namespace ms
