// The owner-drawn popup menu of both programs: a flat look with a light background, a coloured
// selection bar, a 16-pixel icon in a square at the left of each entry, ticks for checked
// entries and etched separators. The menu owns the records behind its entries and the
// CSkinMenu submenus appended to it, and deletes them with itself.
//
// Use, as every popup of the system does: create the object on the heap, CreatePopupMenu(),
// set the background and selection colours, AddItem(0 or MF_CHECKED, new CSkinMenuTextItem(id,
// text, icon)) per entry (AddSeparator between sections, AddPopup for a submenu built the same
// way), track it once with the owner window as the command target, and delete it when tracking
// returns. The framework hands the WM_MEASUREITEM and WM_DRAWITEM of its items, which reach
// the tracking window, to MeasureItem and DrawItem.
#pragma once

#include "platform/mfc/AfxWin.h"

// The colours every popup of both programs sets (Wavenor's Other-button popup has a background
// of its own).
inline constexpr COLORREF kPopupBackColor = RGB(236, 233, 216);
inline constexpr COLORREF kPopupSelectColor = RGB(49, 106, 197);

// A 16 x 16 icon of the program's icon resources for a menu entry, or null when there is none.
// The record that gets it owns it.
HICON LoadMenuIcon(UINT id);

// The record behind one owner-drawn entry, handed to the menu as the entry's item data.
class CSkinMenuItem {
public:
    static constexpr DWORD kTag = 0x0505A0A0;

    CSkinMenuItem();
    virtual ~CSkinMenuItem(); // destroys the icon
    CSkinMenuItem(const CSkinMenuItem&) = delete;
    CSkinMenuItem& operator=(const CSkinMenuItem&) = delete;

    // True when `itemData` is a live record of this class: foreign item data (any pointer or
    // number) is recognised without being read, so it is left alone.
    static bool IsRecord(ULONG_PTR itemData);

    DWORD m_tag = kTag;
    UINT m_id = 0; // command id; 0 for separators
    bool m_separator = false;
    bool m_sideBar = false;
    bool m_buttonOnly = false; // no text: the icon square fills the (square) entry
    CString m_text;            // label, "&" marks the mnemonic, a tab leads a key name
    HICON m_icon = nullptr;    // owned
    int m_size = 16;           // icon size: sets the minimum height and the margins
};

// An ordinary entry: command id, text and an icon that the record takes over (may be null).
class CSkinMenuTextItem : public CSkinMenuItem {
public:
    CSkinMenuTextItem(UINT id, LPCWSTR text, HICON icon);
};

class CSkinMenuSeparatorItem : public CSkinMenuItem {
public:
    CSkinMenuSeparatorItem() { m_separator = true; }
};

// Renders the key of one accelerator entry as text ("Ctrl+Shift+F2").
class CAccelKeyText {
public:
    explicit CAccelKeyText(const ACCEL* entry) : m_entry(entry) {}
    void GetText(CString& out) const;

private:
    const ACCEL* m_entry; // borrowed
};

// Appends the name of a virtual key ("Page up", "F2", "A"), first letter upper case, the rest
// lower case; then "+" unless `last`.
void AppendKeyName(CString& out, UINT vk, bool last);

// A 32-bit bottom-up DIB section (row 0 is the bottom row) filled with a gradient of at most
// 256 steps from `from` to `to`: direction 0 along the rows (bottom to top), 1 along the
// columns, 2 and 3 along one diagonal or the other. Null for an empty size. Caller deletes it.
HBITMAP CreateGradientBitmap(HDC dc, COLORREF from, COLORREF to, int width, int height,
                             int direction, int steps);

class CSkinMenu : public CMenu {
public:
    CSkinMenu();
    // Deletes the records, the CSkinMenu submenus, the fonts and the background bitmap, then
    // destroys the menu handle.
    ~CSkinMenu() override;

    // The CSkinMenu attached to `menu`, or null (a plain menu, or none).
    static CSkinMenu* FindSkinMenu(HMENU menu);

    // Appends an owner-drawn entry for the record (which the menu takes over, also when the
    // append fails); an accelerator entry adds its key name after a tab. Nonzero on success.
    BOOL AddItem(UINT flags, CSkinMenuItem* item, const ACCEL* accel = nullptr);
    BOOL AddSeparator();
    // Appends an entry that opens `subMenu`; the menu takes over both.
    BOOL AddPopup(UINT flags, CSkinMenu* subMenu, CSkinMenuItem* item);
    // A side bar: the record (flagged as side bar) is appended as an owner-drawn separator and
    // the next entry opens a new column.
    BOOL AddSideBar(CSkinMenuItem* item);
    void BreakColumn() { m_columnBreak = 1; }
    void BreakBarColumn() { m_barBreak = 1; }
    // Paints `bitmap` (taken over) under the entries that are not selected; null removes it.
    void SetBackgroundBitmap(HBITMAP bitmap);
    void SetMenuFont(const LOGFONTW& lf);
    // The mnemonic search of WM_MENUCHAR: 0 when no entry has "&ch"; one entry: its position
    // with MNC_EXECUTE; several: the next one after the highlighted entry with MNC_SELECT.
    LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu);
    // This menu or the first submenu (depth first) holding an entry with `id`; null if none.
    CMenu* FindMenuOfCommand(UINT id);

    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    COLORREF m_backColor;
    COLORREF m_selectColor;
    COLORREF m_textColor;
    COLORREF m_selectTextColor;
    COLORREF m_grayTextColor;
    COLORREF m_sideBarStartColor = RGB(0, 0, 192);
    COLORREF m_sideBarEndColor = RGB(0, 0, 0);
    COLORREF m_iconColumnColor;
    int m_drawStyle = 0; // 0 flat; 2 coloured icon column and framed selection

protected:
    // The drawing steps of DrawItem, for a subclass to restyle.
    virtual void DrawBackground(CDC* dc, const CRect& rect, bool selected, bool grey);
    virtual void DrawButtonFrame(CDC* dc, const CRect& square, bool selected, bool grey,
                                 bool checked);
    virtual void DrawItemIcon(CDC* dc, const CRect& square, HICON icon, bool selected, bool grey,
                              bool checked);
    virtual void DrawSideBar(CDC* dc, const CRect& rect, HICON icon, const CString& text);
    virtual void DrawItemText(CDC* dc, const CRect& rect, const CString& text, bool selected,
                              bool grey, bool bold);

public:
    // A tick three pixels thick in an 8 x 8 box centred in `square`, always black.
    virtual void DrawTick(CDC* dc, const CRect& square);

protected:
    virtual void DrawTextColumns(CDC* dc, const CRect& rect, const CString& text, COLORREF color);
    virtual void DrawIconColumn(CDC* dc, const CRect& rect);

private:
    void DrawEmbossed(CDC* dc, const CRect& square, HICON icon, COLORREF highlight, COLORREF shadow,
                      bool withHighlight);

    CFont m_menuFont;
    int m_columnBreak = 0;
    int m_barBreak = 0;
    HBITMAP m_bkBitmap = nullptr; // owned
    CDC m_bkMemDC;
};
