// A static text control of a dialog turned into a web-style link: blue text that turns red
// under the mouse and purple once visited, optionally underlined, a hand cursor, a tooltip that
// shows the target, and a click that opens the target through the shell; when that fails, the
// program that opens web pages is started with the target, and when that fails too an
// explanatory message box appears and the link stays unvisited.
//
// Bind it to an existing static through dialog data exchange (DDX_Control); SetUrl may come
// before or after, an underline mode set before binding is replaced by -1 (underlined while
// hovering). The parent's WM_CTLCOLORSTATIC must reach the control (the framework reflects it
// from a parent that maps ON_WM_CTLCOLOR).
#pragma once

#include "platform/mfc/AfxCmn.h"

#include <string>
#include <vector>

class CHyperlinkStatic : public CStatic {
public:
    static constexpr COLORREF kLinkColor = RGB(0, 0, 238);
    static constexpr COLORREF kVisitedColor = RGB(85, 26, 139);
    static constexpr COLORREF kHoverColor = RGB(255, 0, 0);
    static constexpr UINT_PTR kHoverTimer = 100;

    CHyperlinkStatic() = default;
    ~CHyperlinkStatic() override; // deletes both fonts, destroys the tooltip

    void SetUrl(LPCWSTR target);
    const CString& GetUrl() const { return m_url; }
    // 1 always underlined, 0 never, -1 while the mouse is over the link.
    void SetUnderline(int mode);
    int GetUnderline() const { return m_underline; }
    void SetVisited(bool visited);
    bool GetVisited() const { return m_visited != 0; }
    // A null cursor loads the default link cursor.
    void SetLinkCursor(HCURSOR cursor);
    HCURSOR GetLinkCursor() const { return m_linkCursor; }
    void SetAutoSize(bool autoSize);
    bool GetAutoSize() const { return m_autoSize != 0; }
    COLORREF GetLinkColor() const { return m_linkColor; }
    COLORREF GetVisitedColor() const { return m_visitedColor; }
    COLORREF GetHoverColor() const { return m_hoverColor; }

    // Opens `target` with the shell; when the shell fails, starts the program that opens web
    // pages (the ".htm" class's open command) with the target as its last argument. Returns
    // the shell's or the program start's result code, greater than 32 on success.
    static INT_PTR OpenUrl(LPCWSTR target, int showCommand);
    // Shows the message box for a failed open.
    static void ReportOpenError(INT_PTR result);
    // "Unable to open hyperlink:\n\n" and the text of the result code.
    static CString OpenErrorText(INT_PTR result);
    // The argument vector of the fallback: the command line cut at "\"%1\"" (or "%1"), split
    // into its arguments as command lines are split (double quotes group), then the target as
    // one more argument.
    static std::vector<std::u16string> FallbackArguments(const CString& commandLine,
                                                         const CString& target);
    // The default value of `root`\`subkey` (at most 260 bytes) into `out`: 0, or the error of
    // opening the key (then `out` is left alone).
    static LONG GetRegKey(HKEY root, LPCWSTR subkey, CString& out);

    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // The colour the text is drawn in now: hover, else visited, else link.
    COLORREF TextColor() const;

protected:
    void PreSubclassWindow() override;

    afx_msg HBRUSH CtlColor(CDC* dc, UINT ctlColor);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg void OnMouseMove(UINT flags, CPoint pt);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnClicked();
    DECLARE_MESSAGE_MAP()

private:
    void PositionWindow();
    void SetDefaultCursor();

    COLORREF m_linkColor = kLinkColor;
    COLORREF m_visitedColor = kVisitedColor;
    COLORREF m_hoverColor = kHoverColor;
    int m_hovering = 0;
    int m_visited = 0;
    int m_underline = -1;
    int m_autoSize = 1;
    CString m_url;
    CFont m_underlineFont;
    CFont m_normalFont;
    HCURSOR m_linkCursor = nullptr;
    CToolTipCtrl m_toolTip;
    UINT_PTR m_timerId = kHoverTimer;
};
