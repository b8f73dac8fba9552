// The owner-drawn popup menu: measuring, drawing (background, selection, icon square, tick,
// text columns), ownership of its records and submenus, breaks, key names, mnemonics and the
// gradient of the side bar.
#include "kit/SkinMenu.h"

#include "platform/win/gdi/GdiQt.h"
#include "platform/win/gdi/RecordingDC.h"
#include "platform/win/window/Menu.h"
#include "platform/win/window/TestSeams.h"

#include <QImage>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>
#include <utility>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

constexpr COLORREF kBack = RGB(236, 233, 216);
constexpr COLORREF kSelect = RGB(49, 106, 197);

int g_deleted = 0;
struct CountedItem : CSkinMenuTextItem {
    using CSkinMenuTextItem::CSkinMenuTextItem;
    ~CountedItem() override { ++g_deleted; }
};
struct CountedMenu : CSkinMenu {
    ~CountedMenu() override { ++g_deleted; }
};

HICON TestIcon() {
    return static_cast<HICON>(::LoadImage(nullptr,
                                          u"" MS_SOURCE_DIR "/res/art/tessary/ico381_ringdot.ico",
                                          IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
}

class SkinMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        g_deleted = 0;
        menu = new CSkinMenu;
        ASSERT_TRUE(menu->CreatePopupMenu());
        menu->m_backColor = kBack;
        menu->m_selectColor = kSelect;
    }
    void TearDown() override { delete menu; }

    // Draws entry `pos` of the menu into a fresh width x height recording DC.
    HDC Draw(int pos, UINT state, int width = 160, int height = 20) {
        HDC dc = ms::CreateRecordingDC(width, height);
        const ms::MenuItemData& d = (*ms::MenuItemsOf(menu->m_hMenu))[static_cast<size_t>(pos)];
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_MENU;
        dis.itemID = static_cast<UINT>(d.id);
        dis.itemState = state;
        dis.hDC = dc;
        dis.rcItem = RECT{0, 0, width, height};
        dis.itemData = d.data;
        menu->DrawItem(&dis);
        return dc;
    }
    MEASUREITEMSTRUCT Measure(ULONG_PTR data) {
        MEASUREITEMSTRUCT mis{};
        mis.CtlType = ODT_MENU;
        mis.itemWidth = 777;
        mis.itemHeight = 777;
        mis.itemData = data;
        menu->MeasureItem(&mis);
        return mis;
    }

    CSkinMenu* menu = nullptr;
};

TEST_F(SkinMenuTest, MeasuresTextEntriesSeparatorsAndLeavesForeignDataAlone) {
    auto* item = new CSkinMenuTextItem(1301, u"English(English)", nullptr);
    ASSERT_TRUE(menu->AddItem(0, item));
    const MEASUREITEMSTRUCT mis = Measure(reinterpret_cast<ULONG_PTR>(item));

    // The bold menu font's extent of the text, as the menu measures it.
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    ncm.lfMenuFont.lfWeight = FW_BOLD;
    HDC screen = GetDC(nullptr);
    HFONT bold = CreateFontIndirectW(&ncm.lfMenuFont);
    HGDIOBJ old = SelectObject(screen, bold);
    RECT r{0, 0, 0, 0};
    DrawTextW(screen, u"English(English)", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    SelectObject(screen, old);
    DeleteObject(bold);
    ReleaseDC(nullptr, screen);
    ASSERT_LT(r.bottom - r.top, 20);
    EXPECT_EQ(mis.itemHeight, 20u);
    EXPECT_EQ(static_cast<int>(mis.itemWidth),
              (r.right - r.left) + 44 + 1 - GetSystemMetrics(SM_CXMENUCHECK));

    ASSERT_TRUE(menu->AddSeparator());
    const ms::MenuItemData& sep = (*ms::MenuItemsOf(menu->m_hMenu))[1];
    EXPECT_EQ(sep.flags & (MF_OWNERDRAW | MF_SEPARATOR), UINT(MF_OWNERDRAW | MF_SEPARATOR));
    EXPECT_EQ(Measure(sep.data).itemHeight,
              static_cast<UINT>(GetSystemMetrics(SM_CYMENUCHECK) / 2));

    // A foreign record that even carries the tag, and a plain number: never measured.
    struct Foreign {
        void* vtable = nullptr;
        DWORD tag = CSkinMenuItem::kTag;
    } foreign;
    for (ULONG_PTR data : {reinterpret_cast<ULONG_PTR>(&foreign), ULONG_PTR(0x1234)}) {
        const MEASUREITEMSTRUCT m = Measure(data);
        EXPECT_EQ(m.itemWidth, 777u);
        EXPECT_EQ(m.itemHeight, 777u);
    }
}

TEST_F(SkinMenuTest, DrawTickBlackensExactlyItsTwentyOnePixels) {
    HDC dc = ms::CreateRecordingDC(16, 16);
    PatBlt(dc, 0, 0, 16, 16, WHITENESS);
    menu->DrawTick(CDC::FromHandle(dc), CRect(0, 0, 16, 16));
    std::set<std::pair<int, int>> expected;
    for (int k = 0; k < 3; ++k)
        for (auto [x, y] : {std::pair{0, 3}, {1, 4}, {2, 5}, {3, 4}, {4, 3}, {5, 2}, {6, 1}})
            expected.insert({4 + x, 4 + y + k});
    ASSERT_EQ(expected.size(), 21u);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(GetPixel(dc, x, y),
                      expected.count({x, y}) ? RGB(0, 0, 0) : RGB(255, 255, 255))
                << x << "," << y;
    DeleteDC(dc);
}

TEST_F(SkinMenuTest, DrawsBackgroundSelectionIconSquareTickAndTextColumns) {
    ASSERT_TRUE(menu->AddItem(0, new CSkinMenuTextItem(1, u"&Open\tCtrl+O", TestIcon())));
    ASSERT_TRUE(menu->AddItem(MF_CHECKED, new CSkinMenuTextItem(2, u"Checked", nullptr)));
    ASSERT_TRUE(menu->AddItem(MF_CHECKED, new CSkinMenuTextItem(3, u"Both", TestIcon())));
    ASSERT_TRUE(menu->AddItem(0, new CSkinMenuTextItem(4, u"\tTab first", nullptr)));

    // Not selected: the background colour everywhere but the icon; text in two columns.
    HDC dc = Draw(0, 0);
    EXPECT_EQ(GetPixel(dc, 150, 1), kBack);
    EXPECT_EQ(GetPixel(dc, 0, 0), kBack);
    std::string calls = ms::ToString(ms::TakeRecordedCalls(dc));
    EXPECT_THAT(calls, HasSubstr("DrawText(22,0,144,20,36,\"&Open\")"));
    EXPECT_THAT(calls, HasSubstr("DrawText(22,0,144,20,38,\"Ctrl+O\")"));
    EXPECT_THAT(calls, HasSubstr("DrawIconEx(2,2,"));
    DeleteDC(dc);

    // Selected: the selection bar, but the icon square keeps the background and is raised.
    dc = Draw(0, ODS_SELECTED);
    EXPECT_EQ(GetPixel(dc, 150, 1), kSelect);
    EXPECT_EQ(GetPixel(dc, 1, 10), kBack);
    EXPECT_EQ(GetPixel(dc, 0, 10), GetSysColor(COLOR_BTNHIGHLIGHT)); // raised: light left edge
    calls = ms::ToString(ms::TakeRecordedCalls(dc));
    EXPECT_THAT(calls, HasSubstr("DrawEdge(0,0,20,20,4,15)"));
    DeleteDC(dc);

    // Checked without icon: a light sunken square with the tick; with icon: no tick.
    dc = Draw(1, ODS_CHECKED);
    EXPECT_EQ(GetPixel(dc, 5, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(GetPixel(dc, 6, 9), RGB(0, 0, 0)); // the tick's first pixel (x0 6, y0 6)
    calls = ms::ToString(ms::TakeRecordedCalls(dc));
    EXPECT_THAT(calls, HasSubstr("DrawEdge(0,0,20,20,2,15)"));
    EXPECT_THAT(calls, HasSubstr("Polyline"));
    DeleteDC(dc);
    dc = Draw(2, ODS_CHECKED);
    calls = ms::ToString(ms::TakeRecordedCalls(dc));
    EXPECT_THAT(calls, Not(HasSubstr("Polyline")));
    EXPECT_THAT(calls, HasSubstr("DrawIconEx"));
    DeleteDC(dc);

    // A grey entry under the mouse: still the selection colour, grey text without the offset
    // copy. A text that begins with a tab draws neither label nor key name.
    dc = Draw(1, ODS_SELECTED | ODS_GRAYED);
    EXPECT_EQ(GetPixel(dc, 150, 1), kSelect);
    calls = ms::ToString(ms::TakeRecordedCalls(dc));
    EXPECT_EQ(calls.find("DrawText(23,1"), std::string::npos);
    EXPECT_THAT(calls, HasSubstr("DrawText(22,0,144,20,36,\"Checked\")"));
    DeleteDC(dc);
    dc = Draw(3, 0);
    EXPECT_THAT(ms::ToString(ms::TakeRecordedCalls(dc)), Not(HasSubstr("DrawText")));
    DeleteDC(dc);
}

TEST_F(SkinMenuTest, SeparatorCarriesItsEtchedLineAtTheMiddle) {
    ASSERT_TRUE(menu->AddSeparator());
    HDC dc = Draw(0, 0, 100, 6);
    EXPECT_THAT(ms::ToString(ms::TakeRecordedCalls(dc)), HasSubstr("DrawEdge(0,3,100,6,6,2)"));
    EXPECT_EQ(GetPixel(dc, 50, 0), kBack);
    DeleteDC(dc);
}

TEST_F(SkinMenuTest, OwnsItsRecordsAndSkinSubmenusButNotForeignData) {
    ASSERT_TRUE(menu->AddItem(0, new CountedItem(1, u"One", nullptr)));
    ASSERT_TRUE(menu->AddSeparator());
    auto* sub = new CountedMenu;
    ASSERT_TRUE(sub->CreatePopupMenu());
    ASSERT_TRUE(sub->AddItem(0, new CountedItem(7, u"Seven", nullptr)));
    ASSERT_TRUE(menu->AddPopup(0, sub, new CountedItem(0, u"More", nullptr)));
    // Item data appended by hand that even carries the tag: not the menu's to free (freeing
    // this stack object would be caught by the address sanitizer).
    struct Foreign {
        void* vtable = nullptr;
        DWORD tag = CSkinMenuItem::kTag;
    } foreign;
    ASSERT_TRUE(menu->AppendMenu(MF_OWNERDRAW, 9, reinterpret_cast<LPCWSTR>(&foreign)));
    const HMENU subHandle = sub->m_hMenu;

    EXPECT_EQ(CSkinMenu::FindSkinMenu(subHandle), sub);
    EXPECT_EQ(menu->FindMenuOfCommand(7), sub);
    EXPECT_EQ(menu->FindMenuOfCommand(1), menu);
    EXPECT_EQ(menu->FindMenuOfCommand(42), nullptr);

    delete menu;
    menu = nullptr;
    EXPECT_EQ(g_deleted, 4); // One, More, Seven, the submenu
    EXPECT_FALSE(IsMenu(subHandle));
    EXPECT_EQ(CSkinMenu::FindSkinMenu(subHandle), nullptr);
}

TEST_F(SkinMenuTest, BreaksKeyNamesAndMnemonics) {
    menu->BreakColumn();
    ASSERT_TRUE(menu->AddItem(0, new CSkinMenuTextItem(1, u"&Open", nullptr)));
    const ACCEL accel{FVIRTKEY | FCONTROL | FSHIFT, VK_F2, 2};
    ASSERT_TRUE(menu->AddItem(0, new CSkinMenuTextItem(2, u"&Save", nullptr), &accel));
    menu->BreakBarColumn();
    ASSERT_TRUE(menu->AddItem(0, new CSkinMenuTextItem(3, u"&other", nullptr)));
    const auto& items = *ms::MenuItemsOf(menu->m_hMenu);
    EXPECT_TRUE(items[0].flags & MF_MENUBREAK);
    EXPECT_FALSE(items[1].flags & (MF_MENUBREAK | MF_MENUBARBREAK));
    EXPECT_TRUE(items[2].flags & MF_MENUBARBREAK);
    EXPECT_EQ(std::u16string(reinterpret_cast<CSkinMenuItem*>(items[1].data)->m_text.GetString()),
              u"&Save\tCtrl+Shift+F2");

    CString text;
    const ACCEL plain{FALT, 'x', 3}, esc{0, 27, 4};
    CAccelKeyText(&plain).GetText(text);
    EXPECT_EQ(std::u16string(text.GetString()), u"Alt+x");
    CAccelKeyText(&esc).GetText(text);
    EXPECT_EQ(std::u16string(text.GetString()), u"");
    CAccelKeyText(nullptr).GetText(text);
    EXPECT_TRUE(text.IsEmpty());
    text = u"";
    AppendKeyName(text, VK_CONTROL, false);
    AppendKeyName(text, VK_PRIOR, true);
    EXPECT_EQ(std::u16string(text.GetString()), u"Ctrl+Page up");

    EXPECT_EQ(menu->OnMenuChar('s', 0, menu), MAKELRESULT(1, MNC_EXECUTE));
    EXPECT_EQ(menu->OnMenuChar('O', 0, menu), MAKELRESULT(0, MNC_SELECT));
    EXPECT_EQ(menu->OnMenuChar('q', 0, menu), 0);
}

TEST_F(SkinMenuTest, SideBarOpensANewColumnAndBackgroundBitmapLiesUnderUnselectedRows) {
    auto* bar = new CSkinMenuItem;
    bar->m_text = u"Tessary";
    ASSERT_TRUE(menu->AddSideBar(bar));
    ASSERT_TRUE(menu->AddItem(0, new CSkinMenuTextItem(1, u"One", nullptr)));
    const auto& items = *ms::MenuItemsOf(menu->m_hMenu);
    EXPECT_EQ(items[0].flags & (MF_OWNERDRAW | MF_SEPARATOR), UINT(MF_OWNERDRAW | MF_SEPARATOR));
    EXPECT_TRUE(items[1].flags & MF_MENUBREAK);
    const MEASUREITEMSTRUCT mis = Measure(items[0].data);
    EXPECT_EQ(static_cast<int>(mis.itemWidth), 16 + 1 - GetSystemMetrics(SM_CXMENUCHECK));
    EXPECT_EQ(mis.itemHeight, 0u);

    // The side bar runs over the whole clip box, from the start colour at the bottom.
    HDC dc = Draw(0, 0, 16, 300);
    EXPECT_EQ(GetPixel(dc, 8, 299), RGB(0, 0, 192));
    EXPECT_EQ(GetPixel(dc, 8, 0), RGB(0, 0, 0));
    EXPECT_THAT(ms::ToString(ms::TakeRecordedCalls(dc)), HasSubstr("\"Tessary\""));
    DeleteDC(dc);

    QImage picture(160, 20, QImage::Format_RGB32);
    picture.fill(QColor(1, 2, 3));
    menu->SetBackgroundBitmap(ms::CreateBitmapFromQImage(picture));
    dc = Draw(1, 0);
    EXPECT_EQ(GetPixel(dc, 150, 1), RGB(1, 2, 3));
    DeleteDC(dc);
    dc = Draw(1, ODS_SELECTED);
    EXPECT_EQ(GetPixel(dc, 150, 1), kSelect);
    DeleteDC(dc);
    menu->SetBackgroundBitmap(nullptr);
    dc = Draw(1, 0);
    EXPECT_EQ(GetPixel(dc, 150, 1), kBack);
    DeleteDC(dc);
}

TEST(SkinMenuGradient, RunsFromTheStartColourAtTheBottomToTheEndColourAtTheTop) {
    ms::EnsureApplication();
    for (int height : {256, 1000}) {
        HBITMAP bmp =
            CreateGradientBitmap(nullptr, RGB(0, 0, 192), RGB(0, 0, 0), 3, height, 0, 256);
        ASSERT_NE(bmp, nullptr);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bmp);
        EXPECT_EQ(GetPixel(dc, 1, height - 1), RGB(0, 0, 192)) << height; // bottom row
        EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 0)) << height;            // top row
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bmp);
    }
    EXPECT_EQ(CreateGradientBitmap(nullptr, 0, 0, 0, 10, 0, 256), nullptr);
    HBITMAP one = CreateGradientBitmap(nullptr, RGB(1, 2, 3), RGB(9, 9, 9), 4, 4, 1, 1);
    EXPECT_NE(one, nullptr);
    DeleteObject(one);
}

} // namespace
