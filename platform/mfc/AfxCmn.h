// The framework's control classes over the controls library: CStatic, CButton, CBitmapButton,
// CEdit, CComboBox, CListBox, CSliderCtrl, CSpinButtonCtrl, CTabCtrl, CListCtrl/CListView and
// CToolTipCtrl (CScrollBar and the CWnd scroll-bar calls are in AfxWin.h).
//
// Kept from the framework: owner-drawn buttons receive DrawItem through reflection of the
// parent's WM_DRAWITEM; CBitmapButton picks its selected, focus or disabled bitmap when the
// state asks for it and one is loaded, else the normal one.
#pragma once

#include "platform/mfc/AfxWin.h"
#include "platform/win/controls/CommCtrl.h"

class CStatic : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent,
                UINT id = static_cast<UINT>(0xFFFF)) {
        return CWnd::Create(u"Static", text, style, rect, parent, id);
    }
    HBITMAP SetBitmap(HBITMAP bitmap) {
        return reinterpret_cast<HBITMAP>(
            SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
    HBITMAP GetBitmap() const {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
};

class CButton : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(u"Button", text, style, rect, parent, id);
    }
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    void SetState(BOOL highlight) { SendMessage(BM_SETSTATE, highlight ? 1 : 0); }
    UINT GetButtonStyle() const { return GetStyle() & 0xFFFFu; }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, style, redraw); }
    // Owner-drawn buttons paint here (the parent's WM_DRAWITEM, reflected).
    virtual void DrawItem(LPDRAWITEMSTRUCT dis) { (void)dis; }
    BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
};

class CBitmapButton : public CButton {
public:
    // The bitmaps by resource id; 0 leaves one out. FALSE when the normal one is missing.
    BOOL LoadBitmaps(UINT normal, UINT selected = 0, UINT focus = 0, UINT disabled = 0);
    BOOL LoadBitmaps(LPCWSTR normal, LPCWSTR selected = nullptr, LPCWSTR focus = nullptr,
                     LPCWSTR disabled = nullptr);
    // Sizes the button to its normal bitmap, keeping its position.
    void SizeToContent();
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    CBitmap m_bitmap;
    CBitmap m_bitmapSel;
    CBitmap m_bitmapFocus;
    CBitmap m_bitmapDisabled;
};

class CEdit : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(u"Edit", nullptr, style, rect, parent, id);
    }
    void LimitText(int chars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(chars)); }
    void SetLimitText(UINT chars) { SendMessage(EM_LIMITTEXT, chars); }
    UINT GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
    void SetSel(int start, int end, BOOL noScroll = FALSE) {
        (void)noScroll;
        SendMessage(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
    }
    void GetSel(int& start, int& end) const {
        DWORD s = 0, e = 0;
        SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        start = static_cast<int>(s);
        end = static_cast<int>(e);
    }
    void ReplaceSel(LPCWSTR text, BOOL canUndo = FALSE) {
        SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
    }
    BOOL SetReadOnly(BOOL readOnly = TRUE) {
        return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly));
    }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    BOOL GetModify() const { return static_cast<BOOL>(SendMessage(EM_GETMODIFY)); }
    void SetModify(BOOL modified = TRUE) { SendMessage(EM_SETMODIFY, modified); }
};

class CComboBox : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(u"ComboBox", nullptr, style, rect, parent, id);
    }
    int AddString(LPCWSTR s) { return Msg(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s)); }
    int InsertString(int i, LPCWSTR s) {
        return Msg(CB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s));
    }
    int DeleteString(UINT i) { return Msg(CB_DELETESTRING, i, 0); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return Msg(CB_GETCOUNT, 0, 0); }
    int GetCurSel() const { return Msg(CB_GETCURSEL, 0, 0); }
    int SetCurSel(int i) { return Msg(CB_SETCURSEL, static_cast<WPARAM>(i), 0); }
    int GetLBText(int i, LPWSTR buf) const {
        return Msg(CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    }
    void GetLBText(int i, CString& out) const;
    int GetLBTextLen(int i) const { return Msg(CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0); }
    DWORD_PTR GetItemData(int i) const {
        return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(i)));
    }
    int SetItemData(int i, DWORD_PTR data) {
        return Msg(CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(data));
    }
    int FindStringExact(int after, LPCWSTR s) const {
        return Msg(CB_FINDSTRINGEXACT, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(s));
    }
    void ShowDropDown(BOOL show = TRUE) { SendMessage(CB_SHOWDROPDOWN, show); }

private:
    int Msg(UINT m, WPARAM wp, LPARAM lp) const { return static_cast<int>(SendMessage(m, wp, lp)); }
};

class CListBox : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(u"ListBox", nullptr, style, rect, parent, id);
    }
    int AddString(LPCWSTR s) { return Msg(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s)); }
    int InsertString(int i, LPCWSTR s) {
        return Msg(LB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s));
    }
    int DeleteString(UINT i) { return Msg(LB_DELETESTRING, i, 0); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return Msg(LB_GETCOUNT, 0, 0); }
    int GetCurSel() const { return Msg(LB_GETCURSEL, 0, 0); }
    int SetCurSel(int i) { return Msg(LB_SETCURSEL, static_cast<WPARAM>(i), 0); }
    int GetText(int i, LPWSTR buf) const {
        return Msg(LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    }
    void GetText(int i, CString& out) const;
    int GetTextLen(int i) const { return Msg(LB_GETTEXTLEN, static_cast<WPARAM>(i), 0); }
    DWORD_PTR GetItemData(int i) const {
        return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(i)));
    }
    int SetItemData(int i, DWORD_PTR data) {
        return Msg(LB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(data));
    }
    int FindStringExact(int after, LPCWSTR s) const {
        return Msg(LB_FINDSTRINGEXACT, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(s));
    }

private:
    int Msg(UINT m, WPARAM wp, LPARAM lp) const { return static_cast<int>(SendMessage(m, wp, lp)); }
};

class CSliderCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(TRACKBAR_CLASS, nullptr, style, rect, parent, id);
    }
    void SetRange(int minPos, int maxPos, BOOL redraw = FALSE) {
        SendMessage(TBM_SETRANGEMIN, FALSE, minPos);
        SendMessage(TBM_SETRANGEMAX, redraw, maxPos);
    }
    void SetRangeMin(int minPos, BOOL redraw = FALSE) {
        SendMessage(TBM_SETRANGEMIN, redraw, minPos);
    }
    void SetRangeMax(int maxPos, BOOL redraw = FALSE) {
        SendMessage(TBM_SETRANGEMAX, redraw, maxPos);
    }
    int GetRangeMin() const { return static_cast<int>(SendMessage(TBM_GETRANGEMIN)); }
    int GetRangeMax() const { return static_cast<int>(SendMessage(TBM_GETRANGEMAX)); }
    void GetRange(int& minPos, int& maxPos) const {
        minPos = GetRangeMin();
        maxPos = GetRangeMax();
    }
    void SetPos(int pos) { SendMessage(TBM_SETPOS, TRUE, pos); }
    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
    void SetTicFreq(int freq) { SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(freq)); }
    int SetPageSize(int size) { return static_cast<int>(SendMessage(TBM_SETPAGESIZE, 0, size)); }
    int GetPageSize() const { return static_cast<int>(SendMessage(TBM_GETPAGESIZE)); }
    int SetLineSize(int size) { return static_cast<int>(SendMessage(TBM_SETLINESIZE, 0, size)); }
    int GetLineSize() const { return static_cast<int>(SendMessage(TBM_GETLINESIZE)); }
};

class CSpinButtonCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(UPDOWN_CLASS, nullptr, style, rect, parent, id);
    }
    void SetRange(short lower, short upper) {
        SendMessage(UDM_SETRANGE, 0, MAKELONG(static_cast<WORD>(upper), static_cast<WORD>(lower)));
    }
    void SetRange32(int lower, int upper) {
        SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(lower), upper);
    }
    void GetRange(int& lower, int& upper) const {
        SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
                    reinterpret_cast<LPARAM>(&upper));
    }
    int SetPos(int pos) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, pos)); }
    int GetPos() const { return static_cast<int>(SendMessage(UDM_GETPOS)); }
    CWnd* SetBuddy(CWnd* buddy) {
        return CWnd::FromHandle(reinterpret_cast<HWND>(
            SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy ? buddy->m_hWnd : nullptr))));
    }
    CWnd* GetBuddy() const {
        return CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY)));
    }
};

class CTabCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(WC_TABCONTROL, nullptr, style, rect, parent, id);
    }
    LONG InsertItem(int item, TCITEMW* tab) {
        return static_cast<LONG>(
            SendMessage(TCM_INSERTITEM, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(tab)));
    }
    LONG InsertItem(int item, LPCWSTR text);
    BOOL GetItem(int item, TCITEMW* tab) const {
        return static_cast<BOOL>(
            SendMessage(TCM_GETITEM, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(tab)));
    }
    BOOL SetItem(int item, TCITEMW* tab) {
        return static_cast<BOOL>(
            SendMessage(TCM_SETITEM, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(tab)));
    }
    BOOL DeleteItem(int item) {
        return static_cast<BOOL>(SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(item)));
    }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
    int SetCurSel(int item) {
        return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(item)));
    }
};

// The list view as the programs use it: a window they subclass and paint themselves.
class CListCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(WC_LISTVIEW, nullptr, style, rect, parent, id);
    }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
};

class CListView : public CListCtrl {
public:
    CListCtrl& GetListCtrl() { return *this; }
};

class CToolTipCtrl : public CWnd {
public:
    using CWnd::Create;
    // A topmost pop-up tooltip window owned by `parent`.
    BOOL Create(CWnd* parent, DWORD style = 0);
    BOOL AddTool(CWnd* wnd, LPCWSTR text, LPCRECT rect = nullptr, UINT_PTR id = 0);
    void DelTool(CWnd* wnd, UINT_PTR id = 0);
    void UpdateTipText(LPCWSTR text, CWnd* wnd, UINT_PTR id = 0);
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void SetDelayTime(UINT delay) { SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, delay); }
    void SetDelayTime(DWORD duration, int time) { SendMessage(TTM_SETDELAYTIME, duration, time); }
    void RelayEvent(LPMSG msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
    void Pop() { SendMessage(TTM_POP); }
};
