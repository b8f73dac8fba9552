// Popup menus and menu bars: owner-drawn items measured and drawn by their owner, the command
// as WM_COMMAND or as the result, keyboard and WM_MENUCHAR, column breaks, item and menu
// information, and the menu bar strip above the client area.
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/Menu.h"
#include "platform/win/window/TestSeams.h"

#include "tests/support/Pump.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

namespace {

using ms::test::Pump;

struct Drawn {
    UINT id;
    UINT state;
    RECT rc;
    HWND menu;
};
std::vector<UINT> g_measured;
std::vector<Drawn> g_drawn;
std::vector<MSG> g_seen;
LRESULT g_menuCharAnswer = 0;

// Owner-drawn items: 80 x 24, filled with the colour in their item data.
LRESULT OwnerProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mis->CtlType == ODT_MENU) {
            g_measured.push_back(mis->itemID);
            mis->itemWidth = 80;
            mis->itemHeight = mis->itemData ? 24 : 6;
        }
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        g_drawn.push_back({dis->itemID, dis->itemState, dis->rcItem, dis->hwndItem});
        if (dis->itemData) {
            HBRUSH b = CreateSolidBrush(static_cast<COLORREF>(dis->itemData));
            FillRect(dis->hDC, &dis->rcItem, b);
            DeleteObject(b);
        }
        return TRUE;
    }
    case WM_MENUCHAR:
        g_seen.push_back({h, m, wp, lp, 0, {}});
        return g_menuCharAnswer;
    case WM_COMMAND:
    case WM_INITMENUPOPUP:
    case WM_SIZE:
        g_seen.push_back({h, m, wp, lp, 0, {}});
        break;
    default:
        break;
    }
    return DefWindowProc(h, m, wp, lp);
}

std::vector<MSG> Seen(UINT msg) {
    std::vector<MSG> out;
    for (const auto& m : g_seen)
        if (m.message == msg)
            out.push_back(m);
    return out;
}

class MenuTrackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = OwnerProc;
            wc.lpszClassName = u"MenuOwner";
            RegisterClass(&wc);
            registered = true;
        }
        ms::test::ResetSeams();
        g_measured.clear();
        g_drawn.clear();
        g_seen.clear();
        g_menuCharAnswer = 0;
        owner_ = CreateWindowEx(0, u"MenuOwner", u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                320, 240, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
        Pump();
        g_seen.clear();
    }
    void TearDown() override {
        DestroyWindow(owner_);
        ms::test::ResetSeams();
    }

    // Three owner-drawn colour items with a separator after the first.
    HMENU ColourMenu() {
        HMENU m = CreatePopupMenu();
        AppendMenu(m, MF_OWNERDRAW, 101, reinterpret_cast<LPCWSTR>(RGB(255, 0, 0)));
        AppendMenu(m, MF_OWNERDRAW | MF_SEPARATOR, 0, nullptr);
        AppendMenu(m, MF_OWNERDRAW | MF_CHECKED, 102, reinterpret_cast<LPCWSTR>(RGB(0, 0, 255)));
        AppendMenu(m, MF_OWNERDRAW | MF_GRAYED, 103, reinterpret_cast<LPCWSTR>(RGB(0, 255, 0)));
        return m;
    }

    HWND owner_ = nullptr;
};

TEST_F(MenuTrackTest, OwnerDrawnPopupIsMeasuredDrawnAndReturnsTheChosenCommand) {
    HMENU menu = ColourMenu();
    ms::test::ChoosePopupCommand(102);
    const BOOL r =
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RETURNCMD, 100, 120, 0, owner_, nullptr);
    EXPECT_EQ(r, 102);
    EXPECT_EQ(g_measured, (std::vector<UINT>{101, 0, 102, 103}));
    ASSERT_EQ(g_drawn.size(), 4u);
    for (const auto& d : g_drawn)
        EXPECT_EQ(d.menu, reinterpret_cast<HWND>(menu));
    EXPECT_EQ(g_drawn[2].state & ODS_CHECKED, static_cast<UINT>(ODS_CHECKED));
    EXPECT_EQ(g_drawn[3].state & ODS_GRAYED, static_cast<UINT>(ODS_GRAYED));

    ASSERT_EQ(ms::test::ShownMenus().size(), 1u);
    const auto& shown = ms::test::ShownMenus().back();
    EXPECT_EQ(shown.result, 102u);
    EXPECT_EQ(shown.at.x, 100);
    EXPECT_EQ(shown.placed.left, 100);
    EXPECT_EQ(shown.placed.top, 120);
    ASSERT_EQ(shown.items.size(), 4u);
    // Owner-drawn items are widened by the check-mark column, as the system does.
    const RECT first = shown.items[0].rect;
    EXPECT_EQ(first.right - first.left, 80 + GetSystemMetrics(SM_CXMENUCHECK) - 1);
    EXPECT_EQ(first.bottom - first.top, 24);
    EXPECT_EQ(shown.items[1].rect.bottom - shown.items[1].rect.top, 6);
    EXPECT_EQ(shown.items[2].rect.top, first.bottom + 6);
    // What WM_DRAWITEM painted is on the popup.
    const RECT blue = shown.items[2].rect;
    EXPECT_EQ(shown.picture.pixel((blue.left + blue.right) / 2, (blue.top + blue.bottom) / 2),
              qRgb(0, 0, 255));
    // Returned, not posted.
    Pump();
    EXPECT_TRUE(Seen(WM_COMMAND).empty());
    DestroyMenu(menu);
}

TEST_F(MenuTrackTest, WithoutReturnCmdTheCommandArrivesAsWmCommand) {
    HMENU menu = ColourMenu();
    ms::test::ChoosePopupCommand(101);
    EXPECT_TRUE(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, 10, 10, 0, owner_, nullptr));
    Pump();
    const auto cmds = Seen(WM_COMMAND);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].wParam, MAKEWPARAM(101, 0));
    EXPECT_EQ(cmds[0].lParam, 0);
    EXPECT_FALSE(Seen(WM_INITMENUPOPUP).empty());
    DestroyMenu(menu);
}

TEST_F(MenuTrackTest, DisabledAbsentOrNoChoiceSendsNothing) {
    HMENU menu = ColourMenu();
    ms::test::ChoosePopupCommand(103); // grayed
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 10, 10, 0, owner_, nullptr));
    ms::test::ChoosePopupCommand(999); // not in the menu
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, owner_, nullptr), 0);
    // No script on the headless platform: shown, then dismissed without hanging.
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 10, 10, 0, owner_, nullptr));
    Pump();
    EXPECT_TRUE(Seen(WM_COMMAND).empty());
    ASSERT_EQ(ms::test::ShownMenus().size(), 3u);
    for (const auto& s : ms::test::ShownMenus())
        EXPECT_EQ(s.result, 0u);
    // A dead owner or menu is refused.
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 10, 10, 0, nullptr, nullptr));
    DestroyMenu(menu);
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 10, 10, 0, owner_, nullptr));
    // A destroyed menu's handle never names a newer menu.
    HMENU again = CreatePopupMenu();
    EXPECT_NE(again, menu);
    EXPECT_FALSE(IsMenu(menu));
    DestroyMenu(again);
}

TEST_F(MenuTrackTest, RealLoopFollowsKeysThroughSeparatorsAndSubmenus) {
    HMENU sub = CreatePopupMenu();
    AppendMenu(sub, MF_STRING, 301, u"BMP");
    AppendMenu(sub, MF_STRING | MF_CHECKED, 302, u"JPG");
    HMENU menu = CreatePopupMenu();
    AppendMenu(menu, MF_STRING, 201, u"&Open...\tCtrl+O");
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(menu, MF_STRING | MF_GRAYED, 202, u"&Delete");
    AppendMenu(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&Format");

    struct Case {
        std::vector<UINT> keys;
        UINT expected;
    };
    const Case cases[] = {
        {{VK_DOWN, VK_RETURN}, 201},
        {{VK_DOWN, VK_DOWN, VK_RETURN}, 0},                 // grayed: nothing, then dismissed
        {{VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}, 302},       // wraps to the submenu
        {{'F', VK_DOWN, VK_LEFT, VK_ESCAPE, VK_RETURN}, 0}, // Esc closes the menu
        {{'O'}, 201},                                       // mnemonic
        {{'F', VK_RETURN}, 301},                            // mnemonic opens the submenu
    };
    for (const auto& c : cases) {
        g_seen.clear();
        ms::test::KeysToPopupMenu(c.keys);
        EXPECT_EQ(
            static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD, 40, 40, 0, owner_, nullptr)),
            c.expected)
            << "keys: " << c.keys.size() << " first " << c.keys[0];
    }
    // The submenu was announced with its position.
    bool announced = false;
    for (const auto& m : Seen(WM_INITMENUPOPUP))
        announced |= reinterpret_cast<HMENU>(m.wParam) == sub && LOWORD(m.lParam) == 3;
    EXPECT_TRUE(announced);
    DestroyMenu(menu);
}

TEST_F(MenuTrackTest, OwnerDrawnMnemonicsAskTheOwnerWithWmMenuChar) {
    HMENU menu = ColourMenu();
    g_menuCharAnswer = MAKELRESULT(2, MNC_EXECUTE);
    ms::test::KeysToPopupMenu({'B'});
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 40, 40, 0, owner_, nullptr), 102);
    const auto asked = Seen(WM_MENUCHAR);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(LOWORD(asked[0].wParam), u'b');
    EXPECT_EQ(HIWORD(asked[0].wParam), MF_POPUP);
    EXPECT_EQ(reinterpret_cast<HMENU>(asked[0].lParam), menu);

    g_menuCharAnswer = MAKELRESULT(0, MNC_CLOSE);
    ms::test::KeysToPopupMenu({'Z', VK_DOWN, VK_RETURN});
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 40, 40, 0, owner_, nullptr), 0);
    DestroyMenu(menu);
}

TEST_F(MenuTrackTest, BreaksAlignmentAndBackground) {
    HMENU menu = CreatePopupMenu();
    AppendMenu(menu, MF_STRING, 1, u"One");
    AppendMenu(menu, MF_STRING, 2, u"Two");
    AppendMenu(menu, MF_STRING | MF_MENUBREAK, 3, u"Three");
    AppendMenu(menu, MF_STRING | MF_MENUBARBREAK, 4, u"Four");
    MENUINFO mi{sizeof mi, MIM_BACKGROUND, 0, 0, CreateSolidBrush(RGB(236, 233, 216)), 0, 0};
    ASSERT_TRUE(SetMenuInfo(menu, &mi));
    ms::test::ChoosePopupCommand(0);
    TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, 400, 300, 0, owner_, nullptr);
    const auto& s = ms::test::ShownMenus().back();
    ASSERT_EQ(s.items.size(), 4u);
    EXPECT_EQ(s.items[1].rect.left, s.items[0].rect.left);
    EXPECT_GT(s.items[1].rect.top, s.items[0].rect.top);
    EXPECT_GE(s.items[2].rect.left, s.items[0].rect.right);
    EXPECT_EQ(s.items[2].rect.top, s.items[0].rect.top);
    EXPECT_GT(s.items[3].rect.left, s.items[2].rect.right); // room for the bar
    EXPECT_EQ(s.placed.right, 400);
    EXPECT_EQ(s.placed.bottom, 300);
    EXPECT_EQ(s.picture.pixel(s.picture.width() - 5, s.picture.height() - 5), qRgb(236, 233, 216));
    DeleteObject(mi.hbrBack);
    DestroyMenu(menu);
}

TEST_F(MenuTrackTest, ItemInformationRoundTrips) {
    HMENU sub = CreatePopupMenu();
    HMENU menu = CreatePopupMenu();
    AppendMenu(menu, MF_STRING, 11, u"Eleven");
    AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"Sub");

    WCHAR buf[32];
    MENUITEMINFO ii{};
    ii.cbSize = sizeof ii;
    ii.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_DATA;
    ii.dwTypeData = buf;
    ii.cch = 4;
    ASSERT_TRUE(GetMenuItemInfo(menu, 11, FALSE, &ii));
    EXPECT_EQ(std::u16string(buf), u"Ele"); // cut to the buffer, terminated
    EXPECT_EQ(ii.wID, 11u);
    EXPECT_EQ(ii.hSubMenu, nullptr);
    ASSERT_TRUE(GetMenuItemInfo(menu, 1, TRUE, &ii));
    EXPECT_EQ(ii.hSubMenu, sub);

    MENUITEMINFO set{};
    set.cbSize = sizeof set;
    set.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_STRING;
    set.fType = MFT_OWNERDRAW | MFT_MENUBREAK;
    set.fState = MFS_CHECKED | MFS_GRAYED;
    set.dwItemData = 0x1234;
    WCHAR text[] = u"Twelve";
    set.dwTypeData = text;
    ASSERT_TRUE(SetMenuItemInfo(menu, 11, FALSE, &set));
    const UINT state = GetMenuState(menu, 11, MF_BYCOMMAND);
    EXPECT_TRUE(state & MF_CHECKED);
    EXPECT_TRUE(state & MF_GRAYED);
    EXPECT_TRUE(state & MF_OWNERDRAW);
    MENUITEMINFO back{};
    back.cbSize = sizeof back;
    back.fMask = MIIM_DATA | MIIM_FTYPE | MIIM_STRING;
    ASSERT_TRUE(GetMenuItemInfo(menu, 0, TRUE, &back));
    EXPECT_EQ(back.dwItemData, 0x1234u);
    EXPECT_EQ(back.fType, static_cast<UINT>(MFT_OWNERDRAW | MFT_MENUBREAK));
    EXPECT_EQ(back.cch, 6u);
    EXPECT_FALSE(GetMenuItemInfo(menu, 77, FALSE, &back));

    // ModifyMenu replaces an item in a submenu found by command.
    AppendMenu(sub, MF_STRING, 21, u"Old");
    ASSERT_TRUE(ModifyMenu(menu, 21, MF_BYCOMMAND | MF_STRING | MF_CHECKED, 22, u"New"));
    EXPECT_EQ(GetMenuItemID(sub, 0), 22u);
    EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED);

    MENUINFO mi{sizeof mi,
                MIM_BACKGROUND | MIM_APPLYTOSUBMENUS,
                0,
                0,
                reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                0,
                0};
    ASSERT_TRUE(SetMenuInfo(menu, &mi));
    MENUINFO got{sizeof got, MIM_BACKGROUND, 0, 0, nullptr, 0, 0};
    ASSERT_TRUE(GetMenuInfo(sub, &got));
    EXPECT_EQ(got.hbrBack, mi.hbrBack);
    DestroyMenu(menu);
}

TEST_F(MenuTrackTest, MenuBarTakesRoomAboveTheClientArea) {
    HWND child = CreateWindowEx(0, u"MenuOwner", u"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 30, owner_,
                                reinterpret_cast<HMENU>(7), nullptr, nullptr);
    RECT before{};
    GetClientRect(owner_, &before);
    RECT windowBefore{};
    GetWindowRect(owner_, &windowBefore);
    POINT childBefore{0, 0};
    ClientToScreen(child, &childBefore);
    POINT originBefore{0, 0};
    ClientToScreen(owner_, &originBefore);

    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, 32776, u"&Open...");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    AppendMenu(bar, MF_STRING, 32785, u"&Help");
    HBRUSH brush = CreateSolidBrush(RGB(0xDC, 0xDC, 0xDC));
    MENUINFO mi{sizeof mi, MIM_BACKGROUND, 0, 0, brush, 0, 0};
    SetMenuInfo(bar, &mi);
    g_seen.clear();
    ASSERT_TRUE(SetMenu(owner_, bar));
    EXPECT_TRUE(DrawMenuBar(owner_));
    Pump();
    EXPECT_EQ(GetMenu(owner_), bar);

    RECT after{};
    GetClientRect(owner_, &after);
    EXPECT_EQ(after.bottom, before.bottom - GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(after.right, before.right);
    RECT windowAfter{};
    GetWindowRect(owner_, &windowAfter);
    EXPECT_EQ(windowAfter.bottom - windowAfter.top, windowBefore.bottom - windowBefore.top);
    EXPECT_FALSE(Seen(WM_SIZE).empty());
    POINT originAfter{0, 0};
    ClientToScreen(owner_, &originAfter);
    EXPECT_EQ(originAfter.y, originBefore.y + GetSystemMetrics(SM_CYMENU));
    // The child keeps its client position.
    POINT childAfter{0, 0};
    ClientToScreen(child, &childAfter);
    EXPECT_EQ(childAfter.y - originAfter.y, childBefore.y - originBefore.y);
    RECT cr{};
    GetWindowRect(child, &cr);
    POINT tl{cr.left, cr.top};
    ScreenToClient(owner_, &tl);
    EXPECT_EQ(tl.x, 10);
    EXPECT_EQ(tl.y, 10);

    // Alt and a letter opens the bar's popup under its item, or sends a plain item's command.
    ms::test::ChoosePopupCommand(32776);
    SendMessage(child, WM_SYSCHAR, 'f', 0);
    Pump();
    ASSERT_FALSE(ms::test::ShownMenus().empty());
    EXPECT_EQ(ms::test::ShownMenus().back().menu, file);
    EXPECT_EQ(ms::test::ShownMenus().back().at.y, originAfter.y);
    SendMessage(owner_, WM_SYSCHAR, 'H', 0);
    SendMessage(owner_, WM_SYSCHAR, 'q', 0); // no such mnemonic: nothing
    Pump();
    std::vector<WPARAM> commands;
    for (const auto& m : Seen(WM_COMMAND))
        commands.push_back(m.wParam);
    EXPECT_EQ(commands, (std::vector<WPARAM>{32776, 32785}));
    EXPECT_EQ(ms::test::ShownMenus().size(), 1u);

    // The strip shows the menu's background brush.
    const QImage strip = ms::WidgetOf(owner_)->grab().toImage();
    EXPECT_EQ(QColor(strip.pixel(strip.width() - 3, 3)).rgb(), qRgb(0xDC, 0xDC, 0xDC));

    ASSERT_TRUE(SetMenu(owner_, nullptr));
    Pump();
    RECT restored{};
    GetClientRect(owner_, &restored);
    EXPECT_EQ(restored.bottom, before.bottom);
    DestroyMenu(bar);
    DeleteObject(brush);
}

} // namespace
