// The application framework's window classes over the window layer: CWinApp, CWnd with
// message maps, CDialog (modal and modeless), CFrameWnd, data exchange (DDX/DDV), message
// boxes and CMenu for the system menu.
//
// Kept from the framework: a CWnd may be constructed before Qt starts (static objects);
// messages reach WindowProc -> the class's message map (a static table, searched from the
// class up to CWnd) -> DefWindowProc; every queued message passes PreTranslateMessage of its
// window and of each parent up to the window that runs the modal loop (TRUE swallows it);
// control notifications are first offered to the control (reflection); PostNcDestroy is the
// last call on a window object and may delete it. DDV failures show the framework's texts,
// keep the dialog open and put the focus on the field.
// Differs: no document/view, no OLE, no tooltips in CWnd; commands are routed to the window
// only (not to the application object).
#pragma once

#include "platform/mfc/AfxGdi.h"
#include "platform/mfc/AfxTypes.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/CString.h"
#include "platform/win/window/Framework.h"
#include "platform/win/window/WinUser.h"

#include <algorithm>
#include <exception>

class CWnd;
class CDC;
class CScrollBar;
class CDataExchange;

#define afx_msg
#define PASCAL

// ---- Message maps ----

// Returns TRUE when the entry handled the message (result in *result).
using AfxThunk = BOOL (*)(CWnd* wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    AfxThunk pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Reflected notifications reach the control's own map under these message numbers.
#define WM_REFLECT_BASE 0xBC00

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        (void)sizeof(ThisClass*);                                                                  \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, nullptr }                                                                        \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

#define AFX_THUNK(body)                                                                            \
    [](CWnd* afxWnd, UINT afxMsg, WPARAM wParam, LPARAM lParam, LRESULT* afxResult) -> BOOL {      \
        ThisClass* self = static_cast<ThisClass*>(afxWnd);                                         \
        (void)self;                                                                                \
        (void)afxMsg;                                                                              \
        (void)wParam;                                                                              \
        (void)lParam;                                                                              \
        (void)afxResult;                                                                           \
        body;                                                                                      \
        return TRUE;                                                                               \
    }

#define AFX_POINT_LP CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))

#define ON_WM_CREATE()                                                                             \
    {WM_CREATE, 0, 0, 0,                                                                           \
     AFX_THUNK(*afxResult = self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)))},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, AFX_THUNK(self->OnDestroy())},
#define ON_WM_NCDESTROY() {WM_NCDESTROY, 0, 0, 0, AFX_THUNK(self->OnNcDestroy())},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AFX_THUNK(self->OnClose())},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_THUNK(self->OnPaint())},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, AFX_THUNK(self->OnTimer(static_cast<UINT_PTR>(wParam)))},
#define ON_WM_SIZE()                                                                               \
    {WM_SIZE, 0, 0, 0,                                                                             \
     AFX_THUNK(self->OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)),         \
                            static_cast<short>(HIWORD(lParam))))},
#define ON_WM_MOVE()                                                                               \
    {WM_MOVE, 0, 0, 0,                                                                             \
     AFX_THUNK(                                                                                    \
         self->OnMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))))},
#define AFX_MOUSE_ENTRY(msg, fn)                                                                   \
    {msg, 0, 0, 0, AFX_THUNK(self->fn(static_cast<UINT>(wParam), AFX_POINT_LP))},
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_RBUTTONDBLCLK, OnRButtonDblClk)
#define ON_WM_MBUTTONDOWN() AFX_MOUSE_ENTRY(WM_MBUTTONDOWN, OnMButtonDown)
#define ON_WM_MBUTTONUP() AFX_MOUSE_ENTRY(WM_MBUTTONUP, OnMButtonUp)
#define ON_WM_MOUSEHOVER() AFX_MOUSE_ENTRY(WM_MOUSEHOVER, OnMouseHover)
#define ON_WM_MOUSELEAVE() {WM_MOUSELEAVE, 0, 0, 0, AFX_THUNK(self->OnMouseLeave())},
#define ON_WM_NCLBUTTONDOWN() AFX_MOUSE_ENTRY(WM_NCLBUTTONDOWN, OnNcLButtonDown)
#define ON_WM_NCLBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk)
#define ON_WM_MOUSEWHEEL()                                                                         \
    {WM_MOUSEWHEEL, 0, 0, 0,                                                                       \
     AFX_THUNK(*afxResult = self->OnMouseWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), \
                                               AFX_POINT_LP))},
#define ON_WM_SETCURSOR()                                                                          \
    {WM_SETCURSOR, 0, 0, 0,                                                                        \
     AFX_THUNK(*afxResult = self->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),    \
                                              LOWORD(lParam), HIWORD(lParam)))},
#define ON_WM_ERASEBKGND()                                                                         \
    {WM_ERASEBKGND, 0, 0, 0,                                                                       \
     AFX_THUNK(*afxResult = self->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))))},
#define AFX_KEY_ENTRY(msg, fn)                                                                     \
    {msg, 0, 0, 0, AFX_THUNK(self->fn(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))},
#define ON_WM_KEYDOWN() AFX_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() AFX_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() AFX_KEY_ENTRY(WM_CHAR, OnChar)
#define ON_WM_SYSKEYDOWN() AFX_KEY_ENTRY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, 0, AFX_THUNK(self->OnSysCommand(static_cast<UINT>(wParam), lParam))},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, 0,                                                                    \
     AFX_THUNK(*afxResult = reinterpret_cast<LRESULT>(self->OnQueryDragIcon()))},
#define ON_WM_NCHITTEST()                                                                          \
    {WM_NCHITTEST, 0, 0, 0, AFX_THUNK(*afxResult = self->OnNcHitTest(AFX_POINT_LP))},
#define AFX_CTLCOLOR_ENTRY(msg)                                                                    \
    {msg, 0, 0, 0,                                                                                 \
     AFX_THUNK(*afxResult = reinterpret_cast<LRESULT>(                                             \
                   self->OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)),                \
                                    CWnd::FromHandle(reinterpret_cast<HWND>(lParam)),              \
                                    CWnd::CtlColorType(afxMsg))))},
#define ON_WM_CTLCOLOR()                                                                           \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORDLG)                                                             \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORSTATIC)                                                          \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLOREDIT)                                                            \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORBTN)                                                             \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORLISTBOX)                                                         \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORSCROLLBAR)                                                       \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORMSGBOX)
#define ON_WM_HSCROLL()                                                                            \
    {WM_HSCROLL, 0, 0, 0,                                                                          \
     AFX_THUNK(self->OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)),                 \
                               CWnd::ScrollBarFromHandle(reinterpret_cast<HWND>(lParam))))},
#define ON_WM_VSCROLL()                                                                            \
    {WM_VSCROLL, 0, 0, 0,                                                                          \
     AFX_THUNK(self->OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)),                 \
                               CWnd::ScrollBarFromHandle(reinterpret_cast<HWND>(lParam))))},
#define ON_WM_DRAWITEM()                                                                           \
    {WM_DRAWITEM, 0, 0, 0,                                                                         \
     AFX_THUNK(                                                                                    \
         self->OnDrawItem(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)))},
#define ON_WM_MEASUREITEM()                                                                        \
    {WM_MEASUREITEM, 0, 0, 0,                                                                      \
     AFX_THUNK(self->OnMeasureItem(static_cast<int>(wParam),                                       \
                                   reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)))},
#define ON_WM_ACTIVATE()                                                                           \
    {WM_ACTIVATE, 0, 0, 0,                                                                         \
     AFX_THUNK(self->OnActivate(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)),  \
                                HIWORD(wParam)))},
#define ON_WM_SETFOCUS()                                                                           \
    {WM_SETFOCUS, 0, 0, 0,                                                                         \
     AFX_THUNK(self->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))},
#define ON_WM_KILLFOCUS()                                                                          \
    {WM_KILLFOCUS, 0, 0, 0,                                                                        \
     AFX_THUNK(self->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))},
#define ON_WM_SHOWWINDOW()                                                                         \
    {WM_SHOWWINDOW, 0, 0, 0,                                                                       \
     AFX_THUNK(self->OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)))},
#define ON_WM_CANCELMODE() {WM_CANCELMODE, 0, 0, 0, AFX_THUNK(self->OnCancelMode())},
#define ON_WM_CAPTURECHANGED()                                                                     \
    {WM_CAPTURECHANGED, 0, 0, 0,                                                                   \
     AFX_THUNK(self->OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))},
#define ON_WM_DEVICECHANGE()                                                                       \
    {WM_DEVICECHANGE, 0, 0, 0,                                                                     \
     AFX_THUNK(*afxResult = self->OnDeviceChange(static_cast<UINT>(wParam),                        \
                                                 static_cast<DWORD_PTR>(lParam)))},
#define ON_WM_POWERBROADCAST()                                                                     \
    {WM_POWERBROADCAST, 0, 0, 0,                                                                   \
     AFX_THUNK(*afxResult = self->OnPowerBroadcast(static_cast<UINT>(wParam), lParam))},
#define ON_WM_HELPINFO()                                                                           \
    {WM_HELP, 0, 0, 0,                                                                             \
     AFX_THUNK(*afxResult = self->OnHelpInfo(reinterpret_cast<HELPINFO*>(lParam)))},
#define ON_WM_GETMINMAXINFO()                                                                      \
    {WM_GETMINMAXINFO, 0, 0, 0,                                                                    \
     AFX_THUNK(self->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)))},
#define ON_WM_ENABLE() {WM_ENABLE, 0, 0, 0, AFX_THUNK(self->OnEnable(static_cast<BOOL>(wParam)))},

#define ON_MESSAGE(message, memberFxn)                                                             \
    {message, 0, 0, 0, AFX_THUNK(*afxResult = self->memberFxn(wParam, lParam))},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) ON_MESSAGE(nMessageVariable, memberFxn)
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id), AFX_THUNK(self->memberFxn())},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                    \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(idLast),                              \
     AFX_THUNK(self->memberFxn(LOWORD(wParam)))},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                     \
    {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id),     \
     AFX_THUNK(self->memberFxn())},
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn)                                       \
    {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(idLast), \
     AFX_THUNK(self->memberFxn(LOWORD(wParam)))},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                      \
    {WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id),      \
     AFX_THUNK(self->memberFxn(reinterpret_cast<NMHDR*>(lParam), afxResult))},
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn)                                        \
    {WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(idLast),  \
     AFX_THUNK(self->memberFxn(static_cast<UINT>(wParam), reinterpret_cast<NMHDR*>(lParam),        \
                               afxResult))},
// Notifications a control handles itself (reflected from its parent).
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                                 \
    {WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(wNotifyCode), 0, 0,                           \
     AFX_THUNK(self->memberFxn())},
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                                  \
    {WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(wNotifyCode), 0, 0,                            \
     AFX_THUNK(self->memberFxn(reinterpret_cast<NMHDR*>(lParam), afxResult))},
// A control's own colours (HBRUSH CtlColor(CDC*, UINT)) and scrolling (HScroll/VScroll(code,
// pos)), reflected from its parent.
#define AFX_CTLCOLOR_REFLECT_ENTRY(msg)                                                            \
    {WM_REFLECT_BASE + (msg), 0, 0, 0,                                                             \
     AFX_THUNK(*afxResult = reinterpret_cast<LRESULT>(                                             \
                   self->CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)),                  \
                                  CWnd::CtlColorType(afxMsg - WM_REFLECT_BASE))))},
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    AFX_CTLCOLOR_REFLECT_ENTRY(WM_CTLCOLORSTATIC)                                                  \
    AFX_CTLCOLOR_REFLECT_ENTRY(WM_CTLCOLOREDIT)                                                    \
    AFX_CTLCOLOR_REFLECT_ENTRY(WM_CTLCOLORBTN)                                                     \
    AFX_CTLCOLOR_REFLECT_ENTRY(WM_CTLCOLORLISTBOX)                                                 \
    AFX_CTLCOLOR_REFLECT_ENTRY(WM_CTLCOLORSCROLLBAR)
#define ON_WM_HSCROLL_REFLECT()                                                                    \
    {WM_REFLECT_BASE + WM_HSCROLL, 0, 0, 0,                                                        \
     AFX_THUNK(self->HScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam))))},
#define ON_WM_VSCROLL_REFLECT()                                                                    \
    {WM_REFLECT_BASE + WM_VSCROLL, 0, 0, 0,                                                        \
     AFX_THUNK(self->VScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam))))},

// ---- Objects ----

#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6

class CObject {
public:
    virtual ~CObject() = default;
};

class CCmdTarget : public CObject {};

class CUserException : public std::exception {
public:
    const char* what() const noexcept override { return "user exception"; }
};
[[noreturn]] void AfxThrowUserException();

// A menu object owns the menu it is attached to (the destructor destroys it) and is found
// again by FromHandle/FromHandlePermanent. A window hands WM_MEASUREITEM and WM_DRAWITEM of
// owner-drawn menu items that it does not handle itself to the object of the item's menu.
class CMenu {
public:
    HMENU m_hMenu = nullptr;
    CMenu() = default;
    virtual ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    // The attached object of a menu when there is one, else a temporary one.
    static CMenu* FromHandle(HMENU menu);
    static CMenu* FromHandlePermanent(HMENU menu);
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
    // ::TrackPopupMenu with `wnd` as the owner.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect = nullptr);
    BOOL GetMenuItemInfo(UINT item, LPMENUITEMINFO info, BOOL byPos = FALSE) {
        return ::GetMenuItemInfo(m_hMenu, item, byPos, info);
    }
    BOOL SetMenuItemInfo(UINT item, LPCMENUITEMINFO info, BOOL byPos = FALSE) {
        return ::SetMenuItemInfo(m_hMenu, item, byPos, info);
    }
    BOOL GetMenuInfo(LPMENUINFO info) const { return ::GetMenuInfo(m_hMenu, info); }
    BOOL SetMenuInfo(LPCMENUINFO info) { return ::SetMenuInfo(m_hMenu, info); }
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }
    BOOL Attach(HMENU menu);
    HMENU Detach();
    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL LoadMenu(UINT id);
    BOOL DestroyMenu();
    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, LPCWSTR text = nullptr);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idNewItem = 0, LPCWSTR text = nullptr);
    BOOL DeleteMenu(UINT position, UINT flags);
    BOOL RemoveMenu(UINT position, UINT flags);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idNewItem = 0, LPCWSTR text = nullptr);
    UINT CheckMenuItem(UINT id, UINT check);
    UINT EnableMenuItem(UINT id, UINT enable);
    UINT GetMenuState(UINT id, UINT flags) const;
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int pos) const;
    int GetMenuString(UINT id, CString& text, UINT flags) const;
    CMenu* GetSubMenu(int pos) const;
};

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Any window's object: the one attached to it, or a temporary one that lives as long as
    // the window.
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    static CScrollBar* ScrollBarFromHandle(HWND hwnd);
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    bool operator==(const CWnd& o) const { return m_hWnd == o.m_hWnd; }

    // Creation
    virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                          int y, int w, int h, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id, LPVOID param = nullptr);
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, void* context = nullptr);
    virtual BOOL DestroyWindow();
    BOOL Attach(HWND hwnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    // The class name of plain framework windows (registered on first use).
    static LPCWSTR AfxWndClass();

    // Messages
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendMessage(m_hWnd, msg, wp, lp);
    }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::PostMessage(m_hWnd, msg, wp, lp);
    }
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    virtual BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default();
    virtual BOOL OnCommand(WPARAM wp, LPARAM lp);
    virtual BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* result);
    // Searches the message maps for a WM_COMMAND (or WM_NOTIFY) entry; TRUE when one ran.
    virtual BOOL OnCmdMsg(UINT id, int code, UINT message, WPARAM wp, LPARAM lp, LRESULT* result);
    virtual BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    BOOL ReflectChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    // Offers the current message to the child `hwnd` for reflection.
    static BOOL ReflectLastMsg(HWND child, LRESULT* result = nullptr);

    // Tree and identity
    CWnd* GetParent() const;
    CWnd* GetOwner() const { return GetParent(); }
    CWnd* GetTopLevelParent() const;
    CWnd* GetDlgItem(int id) const;
    void GetDlgItem(int id, HWND* out) const { *out = ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    int SetDlgCtrlID(int id);
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);

    // Text
    void SetWindowText(LPCWSTR text) { ::SetWindowText(m_hWnd, text); }
    int GetWindowText(LPWSTR buf, int max) const { return ::GetWindowText(m_hWnd, buf, max); }
    void GetWindowText(CString& out) const;
    int GetWindowTextLength() const { return ::GetWindowTextLength(m_hWnd); }
    void SetDlgItemText(int id, LPCWSTR text) { ::SetDlgItemText(m_hWnd, id, text); }
    int GetDlgItemText(int id, LPWSTR buf, int max) const {
        return static_cast<int>(::GetDlgItemText(m_hWnd, id, buf, max));
    }
    int GetDlgItemText(int id, CString& out) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) {
        ::SetDlgItemInt(m_hWnd, id, value, isSigned);
    }
    UINT GetDlgItemInt(int id, BOOL* ok = nullptr, BOOL isSigned = TRUE) const {
        return ::GetDlgItemInt(m_hWnd, id, ok, isSigned);
    }
    void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendDlgItemMessage(m_hWnd, id, msg, wp, lp);
    }

    // State and geometry
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) {
        ::MoveWindow(m_hWnd, x, y, w, h, repaint);
    }
    void MoveWindow(LPCRECT r, BOOL repaint = TRUE) {
        ::MoveWindow(m_hWnd, r->left, r->top, r->right - r->left, r->bottom - r->top, repaint);
    }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
    void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
    void ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
    void ClientToScreen(LPRECT r) const;
    void ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
    void ScreenToClient(LPRECT r) const;
    void CenterWindow(CWnd* alternateOwner = nullptr);
    void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }

    // Painting
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(LPCRECT r, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, r, erase); }
    void ValidateRect(LPCRECT r) { ::ValidateRect(m_hWnd, r); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(LPCRECT r = nullptr, HRGN rgn = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, r, rgn, flags);
    }
    CDC* GetDC();
    CDC* GetWindowDC() { return GetDC(); }
    int ReleaseDC(CDC* dc);

    // Input and timers
    CWnd* SetFocus();
    static CWnd* GetFocus();
    CWnd* SetCapture();
    static CWnd* GetCapture();
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr) {
        return ::SetTimer(m_hWnd, id, elapseMs, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

    // Scroll bars of the window (SB_HORZ, SB_VERT) and fonts
    int SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw = TRUE) {
        return ::SetScrollInfo(m_hWnd, bar, info, redraw);
    }
    BOOL GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask = SIF_ALL) const {
        info->cbSize = sizeof(SCROLLINFO);
        info->fMask = mask;
        return ::GetScrollInfo(m_hWnd, bar, info);
    }
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE) {
        return ::SetScrollPos(m_hWnd, bar, pos, redraw);
    }
    int GetScrollPos(int bar) const { return ::GetScrollPos(m_hWnd, bar); }
    void SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw = TRUE) {
        ::SetScrollRange(m_hWnd, bar, minPos, maxPos, redraw);
    }
    void GetScrollRange(int bar, int* minPos, int* maxPos) const {
        ::GetScrollRange(m_hWnd, bar, minPos, maxPos);
    }
    int GetScrollLimit(int bar) const {
        SCROLLINFO si{};
        GetScrollInfo(bar, &si, SIF_RANGE | SIF_PAGE);
        return si.nMax - std::max(static_cast<int>(si.nPage) - 1, 0);
    }
    void ShowScrollBar(UINT bar, BOOL show = TRUE) {
        ::ShowScrollBar(m_hWnd, static_cast<int>(bar), show);
    }
    BOOL EnableScrollBar(int bar, UINT arrows = ESB_ENABLE_BOTH) {
        return ::EnableScrollBar(m_hWnd, static_cast<UINT>(bar), arrows);
    }
    void SetFont(CFont* font, BOOL redraw = TRUE) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->GetSafeHandle() : nullptr),
                    redraw);
    }
    CFont* GetFont() const {
        return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    }

    // Icons, menus
    HICON SetIcon(HICON icon, BOOL big);
    HICON GetIcon(BOOL big) const;
    CMenu* GetSystemMenu(BOOL revert) const;
    CMenu* GetMenu() const;

    // Dialog data
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* dx);

    int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK);

    // Handlers with the framework's defaults (the window procedure's processing).
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnMove(int x, int y);
    afx_msg void OnMouseMove(UINT flags, CPoint pt);
    afx_msg void OnLButtonDown(UINT flags, CPoint pt);
    afx_msg void OnLButtonUp(UINT flags, CPoint pt);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint pt);
    afx_msg void OnRButtonDown(UINT flags, CPoint pt);
    afx_msg void OnRButtonUp(UINT flags, CPoint pt);
    afx_msg void OnRButtonDblClk(UINT flags, CPoint pt);
    afx_msg void OnMButtonDown(UINT flags, CPoint pt);
    afx_msg void OnMButtonUp(UINT flags, CPoint pt);
    afx_msg void OnMouseHover(UINT flags, CPoint pt);
    afx_msg void OnMouseLeave();
    afx_msg void OnNcLButtonDown(UINT hitTest, CPoint pt);
    afx_msg void OnNcLButtonDblClk(UINT hitTest, CPoint pt);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint pt);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnKeyUp(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnSysKeyDown(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnSysCommand(UINT id, LPARAM lp);
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg LRESULT OnNcHitTest(CPoint pt);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnDrawItem(int id, LPDRAWITEMSTRUCT dis);
    afx_msg void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis);
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg void OnSetFocus(CWnd* old);
    afx_msg void OnKillFocus(CWnd* next);
    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg void OnCancelMode();
    afx_msg void OnCaptureChanged(CWnd* wnd);
    afx_msg BOOL OnDeviceChange(UINT event, DWORD_PTR data);
    afx_msg UINT OnPowerBroadcast(UINT event, LPARAM data);
    afx_msg BOOL OnHelpInfo(HELPINFO* info);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg void OnEnable(BOOL enable);

    // The CTLCOLOR_ kind of a WM_CTLCOLOR* message.
    static UINT CtlColorType(UINT msg);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // The last call on the object, after the window is gone; a class that lives on the heap
    // deletes itself here.
    virtual void PostNcDestroy() {}
    virtual void PreSubclassWindow() {}

    WNDPROC m_pfnSuper = nullptr;

    friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend class CDialog;
};

// The window procedure of every window a CWnd is attached to.
LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Scroll bars come with the controls; handlers receive this type.
class CScrollBar : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(u"ScrollBar", nullptr, style, rect, parent, id);
    }
    BOOL SetScrollInfo(LPSCROLLINFO info, BOOL redraw = TRUE) {
        ::SetScrollInfo(m_hWnd, SB_CTL, info, redraw);
        return TRUE;
    }
    BOOL GetScrollInfo(LPSCROLLINFO info, UINT mask = SIF_ALL) const {
        info->cbSize = sizeof(SCROLLINFO);
        info->fMask = mask;
        return ::GetScrollInfo(m_hWnd, SB_CTL, info);
    }
    int SetScrollPos(int pos, BOOL redraw = TRUE) {
        return ::SetScrollPos(m_hWnd, SB_CTL, pos, redraw);
    }
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    void SetScrollRange(int minPos, int maxPos, BOOL redraw = TRUE) {
        ::SetScrollRange(m_hWnd, SB_CTL, minPos, maxPos, redraw);
    }
    void GetScrollRange(int* minPos, int* maxPos) const {
        ::GetScrollRange(m_hWnd, SB_CTL, minPos, maxPos);
    }
    int GetScrollLimit() const { return CWnd::GetScrollLimit(SB_CTL); }
    void ShowScrollBar(BOOL show = TRUE) { ::ShowScrollBar(m_hWnd, SB_CTL, show); }
    BOOL EnableScrollBar(UINT arrows = ESB_ENABLE_BOTH) {
        return ::EnableScrollBar(m_hWnd, SB_CTL, arrows);
    }
};

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally: the owner is disabled and a nested loop runs until EndDialog.
    // Returns the EndDialog value, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless; its OnOK/OnCancel should then call DestroyWindow.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* ctl);
    void SetDefID(UINT id) { SendMessage(DM_SETDEFID, id, 0); }
    DWORD GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID, 0, 0)); }

    BOOL PreTranslateMessage(MSG* msg) override;
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDHelp = 0; // the template id
    CWnd* m_pParentWnd = nullptr;

protected:
    BOOL Create(LPCWSTR, LPCWSTR, DWORD, const RECT&, CWnd*, UINT, void*) override { return FALSE; }
    LRESULT HandleInitDialog(WPARAM wp, LPARAM lp);
    INT_PTR m_nModalResult = -1;
    DECLARE_MESSAGE_MAP()
};

class CFrameWnd : public CWnd {
public:
    using CWnd::Create;
    CFrameWnd();
    static const RECT rectDefault;
    BOOL Create(LPCWSTR className, LPCWSTR title, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCWSTR menuName = nullptr,
                DWORD exStyle = 0);

protected:
    // Frame windows live on the heap and delete themselves when their window is gone.
    void PostNcDestroy() override;
};

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    // Runs the message loop until WM_QUIT, then ExitInstance.
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }

    HICON LoadIcon(UINT id) const;
    HCURSOR LoadCursor(UINT id) const;
    HCURSOR LoadStandardCursor(LPCWSTR name) const { return ::LoadCursor(nullptr, name); }
    void EnableVisualStyles() {}

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPCWSTR m_pszAppName = nullptr; // message box captions
    LPCWSTR m_pszExeName = nullptr;

private:
    CString appName_;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
LPCWSTR AfxGetAppName();
// Creates the QApplication, runs the application object's InitInstance and, when it
// returns TRUE, its Run; returns the exit code. The framework's main calls it.
int AfxWinMain(int argc, char** argv);

int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = UINT(-1));

// ---- Dialog data exchange ----

class CDataExchange {
public:
    CDataExchange(CWnd* dlg, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlg) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Ends the exchange: focus to the last control (its text selected), then throws.
    [[noreturn]] void Fail();
    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
};

void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, long& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Text(CDataExchange* dx, int id, float& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDV_MinMaxInt(CDataExchange* dx, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxDouble(CDataExchange* dx, double const& value, double minVal, double maxVal);
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
