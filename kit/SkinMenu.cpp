#include "kit/SkinMenu.h"

#include "platform/win/window/Menu.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <unordered_set>

namespace {

// Records alive now. Item data of a menu entry is only read as a record when it is
// one of these, so a foreign pointer (or a plain number) is never dereferenced.
std::unordered_set<const CSkinMenuItem*>& LiveRecords() {
    static std::unordered_set<const CSkinMenuItem*> live;
    return live;
}

// a * b / c rounded half away from zero, in 64 bits; -1 when c is 0 (as the Win32 MulDiv).
int MulDivRound(int a, int b, int c) {
    if (c == 0)
        return -1;
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const std::int64_t q = (p >= 0) == (c > 0) ? (std::abs(p) + std::abs(c) / 2) / std::abs(c)
                                               : -((std::abs(p) + std::abs(c) / 2) / std::abs(c));
    return static_cast<int>(q);
}

// The names the keyboard gives its keys (a US layout), by virtual key. Keys without a name
// give an empty text.
CString KeyName(UINT vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return CString(static_cast<WCHAR>(vk));
    if (vk >= VK_F1 && vk <= VK_F1 + 23) {
        CString s;
        s.Format(u"F%u", vk - VK_F1 + 1);
        return s;
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
        CString s;
        s.Format(u"Num %u", vk - VK_NUMPAD0);
        return s;
    }
    struct Name {
        UINT vk;
        const char16_t* name;
    };
    static constexpr Name kNames[] = {
        {VK_BACK, u"Backspace"},
        {VK_TAB, u"Tab"},
        {VK_RETURN, u"Enter"},
        {VK_SHIFT, u"Shift"},
        {VK_CONTROL, u"Ctrl"},
        {VK_MENU, u"Alt"},
        {VK_PAUSE, u"Pause"},
        {VK_CAPITAL, u"Caps Lock"},
        {VK_ESCAPE, u"Esc"},
        {VK_SPACE, u"Space"},
        {VK_PRIOR, u"Page Up"},
        {VK_NEXT, u"Page Down"},
        {VK_END, u"End"},
        {VK_HOME, u"Home"},
        {VK_LEFT, u"Left"},
        {VK_UP, u"Up"},
        {VK_RIGHT, u"Right"},
        {VK_DOWN, u"Down"},
        {VK_SNAPSHOT, u"Prnt Scrn"},
        {VK_INSERT, u"Insert"},
        {VK_DELETE, u"Delete"},
        {VK_HELP, u"Help"},
        {VK_MULTIPLY, u"Num *"},
        {VK_ADD, u"Num +"},
        {VK_SUBTRACT, u"Num -"},
        {VK_DECIMAL, u"Num Del"},
        {VK_DIVIDE, u"Num /"},
        {VK_NUMLOCK, u"Num Lock"},
        {VK_SCROLL, u"Scroll Lock"},
        {VK_OEM_1, u";"},
        {VK_OEM_PLUS, u"="},
        {VK_OEM_COMMA, u","},
        {VK_OEM_MINUS, u"-"},
        {VK_OEM_PERIOD, u"."},
        {VK_OEM_2, u"/"},
        {VK_OEM_3, u"`"},
        {VK_OEM_4, u"["},
        {VK_OEM_5, u"\\"},
        {VK_OEM_6, u"]"},
        {VK_OEM_7, u"'"},
    };
    for (const Name& n : kNames)
        if (n.vk == vk)
            return CString(n.name);
    return CString();
}

// A copy of `font` with another weight; the caller owns the copy.
void CreateWeighted(CFont& out, const CFont& font, LONG weight) {
    LOGFONTW lf{};
    font.GetLogFont(&lf);
    lf.lfWeight = weight;
    out.CreateFontIndirect(&lf);
}

CSkinMenuItem* RecordOf(ULONG_PTR data) {
    return CSkinMenuItem::IsRecord(data) ? reinterpret_cast<CSkinMenuItem*>(data) : nullptr;
}

HMENU FindMenuHolding(HMENU menu, UINT id) {
    std::vector<ms::MenuItemData>* items = ms::MenuItemsOf(menu);
    if (!items)
        return nullptr;
    for (const ms::MenuItemData& d : *items)
        if (!(d.flags & MF_POPUP) && d.id == id)
            return menu;
    for (const ms::MenuItemData& d : *items)
        if (d.flags & MF_POPUP)
            if (HMENU found = FindMenuHolding(d.sub, id))
                return found;
    return nullptr;
}

} // namespace

HICON LoadMenuIcon(UINT id) {
    return static_cast<HICON>(
        ::LoadImage(AfxGetInstanceHandle(), MAKEINTRESOURCE(id), IMAGE_ICON, 16, 16, 0));
}

// ---- Records ----

CSkinMenuItem::CSkinMenuItem() {
    LiveRecords().insert(this);
}

CSkinMenuItem::~CSkinMenuItem() {
    LiveRecords().erase(this);
    if (m_icon)
        ::DestroyIcon(m_icon);
}

bool CSkinMenuItem::IsRecord(ULONG_PTR itemData) {
    const auto* p = reinterpret_cast<const CSkinMenuItem*>(itemData);
    return p && LiveRecords().count(p) && p->m_tag == kTag;
}

CSkinMenuTextItem::CSkinMenuTextItem(UINT id, LPCWSTR text, HICON icon) {
    m_id = id;
    m_text = text;
    m_icon = icon;
}

// ---- Key names ----

void CAccelKeyText::GetText(CString& out) const {
    out.Empty();
    if (!m_entry)
        return;
    if (m_entry->fVirt & FCONTROL)
        out += u"Ctrl+";
    if (m_entry->fVirt & FSHIFT)
        out += u"Shift+";
    if (m_entry->fVirt & FALT)
        out += u"Alt+";
    if (m_entry->fVirt & FVIRTKEY) {
        CString name = KeyName(m_entry->key);
        if (name.GetLength() > 63)
            name = name.Left(63);
        out += name;
    } else if ((m_entry->key & 0xFF) != 27) {
        out += static_cast<WCHAR>(m_entry->key & 0xFF);
    }
}

void AppendKeyName(CString& out, UINT vk, bool last) {
    // The keyboard's names do not depend on the extended-key bit that distinguishes the
    // navigation keys 0x21..0x2F from the keypad here: they are named by virtual key.
    CString name = KeyName(vk);
    if (name.GetLength() > 49)
        name = name.Left(49);
    name.MakeLower();
    for (int i = 0; i < name.GetLength(); ++i) {
        const WCHAR c = name[i];
        if (c >= u'a' && c <= u'z') {
            name.SetAt(i, static_cast<WCHAR>(c - u'a' + u'A'));
            break;
        }
    }
    out += name;
    if (!last)
        out += u"+";
}

// ---- Gradient ----

HBITMAP CreateGradientBitmap(HDC dc, COLORREF from, COLORREF to, int width, int height,
                             int direction, int steps) {
    if (width <= 0 || height <= 0)
        return nullptr;
    steps = std::clamp(steps, 1, 256);
    std::vector<DWORD> palette(static_cast<std::size_t>(steps));
    const int r0 = GetRValue(from), g0 = GetGValue(from), b0 = GetBValue(from);
    const int dr = GetRValue(to) - r0, dg = GetGValue(to) - g0, db = GetBValue(to) - b0;
    for (int i = 0; i < steps; ++i) {
        const int d = steps > 1 ? steps - 1 : 1;
        const int r = r0 + MulDivRound(dr, i, d), g = g0 + MulDivRound(dg, i, d),
                  b = b0 + MulDivRound(db, i, d);
        palette[static_cast<std::size_t>(i)] =
            static_cast<DWORD>((r << 16) | (g << 8) | b); // DIB pixel: 0x00RRGGBB
    }
    // MulDiv rounds, so steps * (height - 1) / height can reach `steps` itself: clamp.
    auto at = [&](int index) {
        return palette[static_cast<std::size_t>(std::clamp(index, 0, steps - 1))];
    };

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = height; // bottom-up
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = ::CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits) {
        if (bmp)
            ::DeleteObject(bmp);
        return nullptr;
    }
    auto* px = static_cast<DWORD*>(bits);
    for (int row = 0; row < height; ++row) {
        DWORD* line = px + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
        const int shift = MulDivRound(steps / 2, row, height);
        for (int col = 0; col < width; ++col) {
            int index;
            switch (direction) {
            case 1:
                index = MulDivRound(steps, col, width);
                break;
            case 2:
                index = shift + MulDivRound(steps / 2, col, width);
                break;
            case 3:
                index = shift + MulDivRound(steps / 2, width - 1 - col, width);
                break;
            default:
                index = MulDivRound(steps, row, height);
                break;
            }
            line[col] = at(index);
        }
    }
    return bmp;
}

// ---- The menu ----

CSkinMenu::CSkinMenu()
    : m_backColor(::GetSysColor(COLOR_MENU)), m_selectColor(::GetSysColor(COLOR_HIGHLIGHT)),
      m_textColor(::GetSysColor(COLOR_MENUTEXT)),
      m_selectTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT)),
      m_grayTextColor(::GetSysColor(COLOR_GRAYTEXT)), m_iconColumnColor(m_backColor) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    ::SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    m_menuFont.CreateFontIndirect(&ncm.lfMenuFont);
}

CSkinMenu::~CSkinMenu() {
    m_menuFont.DeleteObject();
    if (m_bkBitmap) {
        m_bkMemDC.DeleteDC();
        ::DeleteObject(m_bkBitmap);
        m_bkBitmap = nullptr;
    }
    if (m_hMenu) {
        // Collect first: deleting a record or a submenu does not change the entries, but a
        // submenu's destructor walks menus of its own.
        std::vector<CSkinMenuItem*> records;
        std::vector<CSkinMenu*> subs;
        if (std::vector<ms::MenuItemData>* items = ms::MenuItemsOf(m_hMenu)) {
            for (const ms::MenuItemData& d : *items) {
                if ((d.flags & MF_OWNERDRAW) && CSkinMenuItem::IsRecord(d.data))
                    records.push_back(reinterpret_cast<CSkinMenuItem*>(d.data));
                if (d.flags & MF_POPUP)
                    if (CSkinMenu* sub = FindSkinMenu(d.sub))
                        subs.push_back(sub);
            }
        }
        for (CSkinMenuItem* r : records)
            delete r;
        for (CSkinMenu* s : subs)
            delete s;
    }
    m_bkMemDC.DeleteDC();
    DestroyMenu();
}

CSkinMenu* CSkinMenu::FindSkinMenu(HMENU menu) {
    return menu ? dynamic_cast<CSkinMenu*>(CMenu::FromHandlePermanent(menu)) : nullptr;
}

BOOL CSkinMenu::AddItem(UINT flags, CSkinMenuItem* item, const ACCEL* accel) {
    if (!item)
        return FALSE;
    flags |= MF_OWNERDRAW;
    if (m_columnBreak)
        flags |= MF_MENUBREAK;
    if (m_barBreak)
        flags |= MF_MENUBARBREAK;
    m_columnBreak = m_barBreak = 0;
    if (accel) {
        CString key;
        CAccelKeyText(accel).GetText(key);
        if (!key.IsEmpty()) {
            item->m_text += u"\t";
            item->m_text += key;
        }
    }
    const BOOL ok = AppendMenu(flags, item->m_id, reinterpret_cast<LPCWSTR>(item));
    if (!ok)
        delete item; // never held by the menu, so nobody else would free it
    return ok;
}

BOOL CSkinMenu::AddSeparator() {
    m_columnBreak = m_barBreak = 0;
    auto* item = new CSkinMenuSeparatorItem;
    const BOOL ok = AppendMenu(MF_OWNERDRAW | MF_SEPARATOR, 0, reinterpret_cast<LPCWSTR>(item));
    if (!ok)
        delete item;
    return ok;
}

BOOL CSkinMenu::AddPopup(UINT flags, CSkinMenu* subMenu, CSkinMenuItem* item) {
    if (!subMenu || !item) {
        delete subMenu;
        delete item;
        return FALSE;
    }
    flags |= MF_POPUP | MF_OWNERDRAW;
    if (m_columnBreak)
        flags |= MF_MENUBREAK;
    if (m_barBreak)
        flags |= MF_MENUBARBREAK;
    m_columnBreak = m_barBreak = 0;
    const BOOL ok = AppendMenu(flags, reinterpret_cast<UINT_PTR>(subMenu->m_hMenu),
                               reinterpret_cast<LPCWSTR>(item));
    if (!ok) {
        delete item;
        delete subMenu;
        return FALSE;
    }
    return ok;
}

BOOL CSkinMenu::AddSideBar(CSkinMenuItem* item) {
    if (!item)
        return FALSE;
    item->m_sideBar = true;
    const BOOL ok =
        AppendMenu(MF_OWNERDRAW | MF_SEPARATOR, item->m_id, reinterpret_cast<LPCWSTR>(item));
    if (!ok) {
        delete item;
        return FALSE;
    }
    m_columnBreak = 1;
    m_barBreak = 0;
    return ok;
}

void CSkinMenu::SetBackgroundBitmap(HBITMAP bitmap) {
    if (!bitmap) {
        if (m_bkBitmap) {
            m_bkMemDC.DeleteDC();
            ::DeleteObject(m_bkBitmap);
            m_bkBitmap = nullptr;
        }
        return;
    }
    if (!m_bkMemDC.m_hDC)
        m_bkMemDC.Attach(::CreateCompatibleDC(nullptr));
    ::SelectObject(m_bkMemDC.m_hDC, bitmap);
    if (m_bkBitmap && m_bkBitmap != bitmap)
        ::DeleteObject(m_bkBitmap);
    m_bkBitmap = bitmap;
}

void CSkinMenu::SetMenuFont(const LOGFONTW& lf) {
    m_menuFont.DeleteObject();
    m_menuFont.CreateFontIndirect(&lf);
}

LRESULT CSkinMenu::OnMenuChar(UINT ch, UINT, CMenu* menu) {
    const HMENU h = menu ? menu->m_hMenu : m_hMenu;
    std::vector<ms::MenuItemData>* items = ms::MenuItemsOf(h);
    if (!items)
        return 0;
    CString key(static_cast<WCHAR>(ch));
    key.MakeUpper();
    std::vector<int> found;
    int highlighted = -1;
    for (int pos = 0; pos < static_cast<int>(items->size()); ++pos) {
        const ms::MenuItemData& d = (*items)[static_cast<std::size_t>(pos)];
        if (::GetMenuState(h, static_cast<UINT>(pos), MF_BYPOSITION) & MF_HILITE)
            highlighted = pos;
        CSkinMenuItem* r = (d.flags & MF_OWNERDRAW) ? RecordOf(d.data) : nullptr;
        if (!r)
            continue;
        CString text = r->m_text;
        text.MakeUpper();
        for (int i = text.Find(u'&'); i >= 0 && i + 1 < text.GetLength();
             i = text.Find(u'&', i + 1)) {
            if (text[i + 1] == key[0]) {
                found.push_back(pos);
                break;
            }
        }
    }
    if (found.empty())
        return 0;
    if (found.size() == 1)
        return MAKELRESULT(static_cast<WORD>(found[0]), MNC_EXECUTE);
    int choice = found[0];
    for (int pos : found)
        if (pos > highlighted) {
            choice = pos;
            break;
        }
    return MAKELRESULT(static_cast<WORD>(choice), MNC_SELECT);
}

CMenu* CSkinMenu::FindMenuOfCommand(UINT id) {
    HMENU h = FindMenuHolding(m_hMenu, id);
    if (!h)
        return nullptr;
    if (CSkinMenu* m = FindSkinMenu(h))
        return m;
    return CMenu::FromHandle(h);
}

void CSkinMenu::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    if (!mis || mis->CtlType != ODT_MENU)
        return;
    CSkinMenuItem* item = RecordOf(mis->itemData);
    if (!item)
        return;
    int width = 0, height = 0;
    if (item->m_sideBar) {
        width = item->m_size;
    } else if (item->m_separator) {
        height = ::GetSystemMetrics(SM_CYMENUCHECK) / 2;
    } else {
        HDC screen = ::GetDC(nullptr);
        CFont bold;
        CreateWeighted(bold, m_menuFont, FW_BOLD);
        HGDIOBJ old = ::SelectObject(screen, bold.m_hObject);
        RECT r{0, 0, 0, 0};
        ::DrawTextW(screen, item->m_text.GetString(), item->m_text.GetLength(), &r,
                    DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
        ::SelectObject(screen, old);
        ::ReleaseDC(nullptr, screen);
        height = std::max<int>(r.bottom - r.top, item->m_size + 4);
        width = item->m_buttonOnly ? height : (r.right - r.left) + 2 * item->m_size + 12;
    }
    // The platform widens every owner-drawn entry by the check-mark width less one.
    width += 1 - ::GetSystemMetrics(SM_CXMENUCHECK);
    mis->itemWidth = static_cast<UINT>(width);
    mis->itemHeight = static_cast<UINT>(height);
}

void CSkinMenu::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (!dis || dis->CtlType != ODT_MENU)
        return;
    CSkinMenuItem* item = RecordOf(dis->itemData);
    if (!item)
        return;
    CDC dc;
    dc.Attach(dis->hDC);
    CRect rect(dis->rcItem);
    const int h = rect.Height();
    const bool selected = dis->itemState & ODS_SELECTED;
    const bool grey = dis->itemState & ODS_GRAYED;
    const bool checked = dis->itemState & ODS_CHECKED;
    const bool isDefault = dis->itemState & ODS_DEFAULT;

    if (item->m_sideBar) {
        CRect clip;
        dc.GetClipBox(&clip);
        CRect bar(rect.left, clip.top, rect.right, clip.bottom);
        DrawSideBar(&dc, bar, item->m_icon, item->m_text);
    } else if (item->m_separator) {
        DrawBackground(&dc, rect, false, false);
        CRect line(rect.left, (rect.top + rect.bottom) / 2, rect.right, rect.bottom);
        dc.DrawEdge(&line, EDGE_ETCHED, BF_TOP);
        if (m_drawStyle == 2)
            DrawIconColumn(&dc, CRect(rect.left, rect.top, rect.left + item->m_size + 4,
                                      rect.top + item->m_size + 4));
    } else {
        DrawBackground(&dc, rect, selected, grey);
        if (m_drawStyle == 2)
            DrawIconColumn(&dc, CRect(rect.left, rect.top, rect.left + h, rect.bottom));
        CRect square =
            item->m_buttonOnly ? rect : CRect(rect.left, rect.top, rect.left + h, rect.bottom);
        if (item->m_icon || checked)
            DrawButtonFrame(&dc, square, selected, grey, checked);
        CRect inner(square.left + 2, square.top + 2, square.right - 2, square.bottom - 2);
        if (item->m_icon)
            DrawItemIcon(&dc, inner, item->m_icon, selected, grey, checked);
        else if (checked)
            DrawTick(&dc, inner);
        if (!item->m_buttonOnly)
            DrawItemText(&dc,
                         CRect(rect.left + h + 2, rect.top, rect.right - item->m_size, rect.bottom),
                         item->m_text, selected, grey, isDefault);
    }
    dc.Detach();
}

void CSkinMenu::DrawBackground(CDC* dc, const CRect& rect, bool selected, bool grey) {
    if (m_drawStyle == 2 && selected && grey) {
        dc->FillSolidRect(&rect, m_backColor);
        return;
    }
    if (m_bkBitmap && m_bkMemDC.m_hDC && (!selected || grey))
        ::BitBlt(dc->m_hDC, rect.left, rect.top, rect.Width(), rect.Height(), m_bkMemDC.m_hDC,
                 rect.left, rect.top, SRCCOPY);
    else
        dc->FillSolidRect(&rect, selected ? m_selectColor : m_backColor);
    if (m_drawStyle == 2 && selected && !grey) {
        CBrush black(RGB(0, 0, 0));
        dc->FrameRect(&rect, &black);
    }
}

void CSkinMenu::DrawButtonFrame(CDC* dc, const CRect& square, bool selected, bool grey,
                                bool checked) {
    if (m_drawStyle == 2) {
        // The icon column carries the icon; only a checked entry gets its sunken square.
        if (checked && !grey) {
            CRect r = square;
            dc->DrawEdge(&r, BDR_SUNKENOUTER, BF_RECT);
        }
        return;
    }
    dc->FillSolidRect(&square,
                      checked && !selected ? ::GetSysColor(COLOR_BTNHIGHLIGHT) : m_backColor);
    if (!grey && (selected || checked)) {
        CRect r = square;
        dc->DrawEdge(&r, checked ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
}

void CSkinMenu::DrawEmbossed(CDC* dc, const CRect& square, HICON icon, COLORREF highlight,
                             COLORREF shadow, bool withHighlight) {
    const int w = square.Width(), h = square.Height();
    CDC mem;
    mem.Attach(::CreateCompatibleDC(dc->m_hDC));
    CBitmap mask;
    mask.CreateBitmap(w, h, 1, 1, nullptr);
    HGDIOBJ oldBmp = ::SelectObject(mem.m_hDC, mask.m_hObject);
    mem.PatBlt(0, 0, w, h, WHITENESS);
    ::DrawIconEx(mem.m_hDC, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
    const COLORREF oldBk = dc->SetBkColor(RGB(255, 255, 255));
    // 0xB8074A: the selected brush where the mask is black, the target where it is white.
    constexpr DWORD kBrushWhereBlack = 0x00B8074Au;
    CBrush hi(highlight), sh(shadow);
    HGDIOBJ oldBrush = ::SelectObject(dc->m_hDC, hi.m_hObject);
    if (withHighlight)
        dc->BitBlt(square.left + 1, square.top + 1, w, h, &mem, 0, 0, kBrushWhereBlack);
    ::SelectObject(dc->m_hDC, sh.m_hObject);
    dc->BitBlt(square.left, square.top, w, h, &mem, 0, 0, kBrushWhereBlack);
    ::SelectObject(dc->m_hDC, oldBrush);
    dc->SetBkColor(oldBk);
    ::SelectObject(mem.m_hDC, oldBmp);
}

void CSkinMenu::DrawItemIcon(CDC* dc, const CRect& square, HICON icon, bool selected, bool grey,
                             bool) {
    if (grey) {
        DrawEmbossed(dc, square, icon, ::GetSysColor(COLOR_BTNHIGHLIGHT),
                     ::GetSysColor(COLOR_BTNSHADOW), true);
        return;
    }
    if (m_drawStyle == 2 && selected) {
        DrawEmbossed(dc, square, icon, 0, ::GetSysColor(COLOR_BTNSHADOW), false);
        ::DrawIconEx(dc->m_hDC, square.left - 1, square.top - 1, icon, square.Width(),
                     square.Height(), 0, nullptr, DI_NORMAL);
        return;
    }
    ::DrawIconEx(dc->m_hDC, square.left, square.top, icon, square.Width(), square.Height(), 0,
                 nullptr, DI_NORMAL);
}

void CSkinMenu::DrawSideBar(CDC* dc, const CRect& rect, HICON, const CString& text) {
    const int w = rect.Width() + 3, h = rect.Height();
    if (HBITMAP bar =
            CreateGradientBitmap(dc->m_hDC, m_sideBarStartColor, m_sideBarEndColor, w, h, 0, 256)) {
        CDC mem;
        mem.Attach(::CreateCompatibleDC(dc->m_hDC));
        HGDIOBJ old = ::SelectObject(mem.m_hDC, bar);
        dc->BitBlt(rect.left, rect.top, w, h, &mem, 0, 0, SRCCOPY);
        ::SelectObject(mem.m_hDC, old);
        ::DeleteObject(bar);
    }
    LOGFONTW lf{};
    lf.lfHeight = 16;
    lf.lfWeight = FW_BOLD;
    lf.lfEscapement = lf.lfOrientation = 900;
    const char16_t face[] = u"Arial";
    std::copy(std::begin(face), std::end(face), lf.lfFaceName);
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* oldFont = dc->SelectObject(&font);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = dc->SetTextColor(RGB(255, 255, 255));
    dc->TextOut(rect.left + 2, rect.bottom - 4, text);
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
    dc->SelectObject(oldFont);
}

void CSkinMenu::DrawItemText(CDC* dc, const CRect& rect, const CString& text, bool selected,
                             bool grey, bool bold) {
    CFont boldFont;
    if (bold)
        CreateWeighted(boldFont, m_menuFont, FW_BOLD);
    HGDIOBJ old = ::SelectObject(dc->m_hDC, bold ? boldFont.m_hObject : m_menuFont.m_hObject);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    if (grey) {
        if (!selected || m_drawStyle == 2) {
            CRect offset(rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1);
            DrawTextColumns(dc, offset, text, m_selectTextColor);
        }
        DrawTextColumns(dc, rect, text, m_grayTextColor);
    } else {
        DrawTextColumns(dc, rect, text, selected ? m_selectTextColor : m_textColor);
    }
    dc->SetBkMode(oldMode);
    ::SelectObject(dc->m_hDC, old);
}

void CSkinMenu::DrawTick(CDC* dc, const CRect& square) {
    const int x0 = square.left + (square.Width() - 8) / 2;
    const int y0 = square.top + (square.Height() - 8) / 2;
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    CPen* old = dc->SelectObject(&pen);
    for (int k = 0; k < 3; ++k) {
        const POINT pts[3] = {{x0, y0 + 3 + k}, {x0 + 2, y0 + 5 + k}, {x0 + 7, y0 + k}};
        dc->Polyline(pts, 3);
    }
    dc->SelectObject(old);
}

void CSkinMenu::DrawTextColumns(CDC* dc, const CRect& rect, const CString& text, COLORREF color) {
    dc->SetTextColor(color);
    const int tab = text.Find(u'\t');
    const CString label = tab < 0 ? text : text.Left(tab);
    CRect r = rect;
    if (!label.IsEmpty())
        dc->DrawText(label, &r, DT_SINGLELINE | DT_VCENTER);
    if (tab > 0) {
        const CString keyName = text.Mid(tab + 1);
        r = rect;
        dc->DrawText(keyName, &r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
}

void CSkinMenu::DrawIconColumn(CDC* dc, const CRect& rect) {
    dc->FillSolidRect(&rect, m_iconColumnColor);
}
