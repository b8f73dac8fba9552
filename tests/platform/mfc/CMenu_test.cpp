// The framework's menus: an owner-drawn CMenu subclass measured and drawn through the
// framework's routing of WM_MEASUREITEM / WM_DRAWITEM, tracked with a window as command
// target, the command arriving in the window's message map; and the common dialogs' wrappers.
#include "platform/mfc/AfxDlgs.h"
#include "platform/win/core/WString.h"
#include "platform/win/dialogs/DialogSeams.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/TestSeams.h"

#include "tests/support/Pump.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <vector>

namespace {

using ms::test::Pump;

struct Record {
    UINT id;
    COLORREF color;
};

// Owns records passed as item data, as the programs' skinned menus do.
class ColourMenu : public CMenu {
public:
    ~ColourMenu() override {
        for (auto* r : records_)
            delete r;
    }
    void Add(UINT id, COLORREF color, UINT flags = 0) {
        auto* r = new Record{id, color};
        records_.push_back(r);
        AppendMenu(flags | MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(r));
    }
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override {
        ++measured;
        mis->itemWidth = 60;
        mis->itemHeight = 20;
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        auto* r = reinterpret_cast<Record*>(dis->itemData);
        drawn.push_back(r->id);
        CBrush brush(r->color);
        CDC* dc = CDC::FromHandle(dis->hDC);
        CRect rc(dis->rcItem);
        dc->FillRect(&rc, &brush);
    }
    int measured = 0;
    std::vector<UINT> drawn;

private:
    std::vector<Record*> records_;
};

class Target : public CWnd {
public:
    std::vector<UINT> commands;
    void OnRange(UINT id) { commands.push_back(id); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Target, CWnd)
ON_COMMAND_RANGE(100, 199, OnRange)
END_MESSAGE_MAP()

class FrameworkMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        ASSERT_TRUE(target_.CreateEx(0, CWnd::AfxWndClass(), u"Target", WS_OVERLAPPEDWINDOW, 0, 0,
                                     200, 150, nullptr, nullptr));
    }
    void TearDown() override {
        target_.DestroyWindow();
        ms::test::ResetSeams();
    }
    Target target_;
};

TEST_F(FrameworkMenuTest, OwnerDrawnSubclassIsRoutedAndTheCommandReachesTheMap) {
    auto* menu = new ColourMenu;
    ASSERT_TRUE(menu->CreatePopupMenu());
    menu->Add(101, RGB(255, 0, 0));
    menu->Add(102, RGB(0, 0, 255), MF_CHECKED);
    auto* sub = new ColourMenu;
    sub->CreatePopupMenu();
    sub->Add(150, RGB(0, 255, 0));
    menu->AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(sub->m_hMenu), u"More");
    EXPECT_EQ(CMenu::FromHandle(menu->m_hMenu), menu);
    EXPECT_EQ(menu->GetSubMenu(2), sub);

    ms::test::ChoosePopupCommand(102);
    EXPECT_TRUE(menu->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, 30, 30, &target_));
    EXPECT_EQ(menu->measured, 2);
    EXPECT_EQ(menu->drawn, (std::vector<UINT>{101, 102}));
    const auto& shown = ms::test::ShownMenus().back();
    EXPECT_EQ(shown.picture.pixel(shown.items[1].rect.left + 5, shown.items[1].rect.top + 5),
              qRgb(0, 0, 255));
    Pump();
    EXPECT_EQ(target_.commands, (std::vector<UINT>{102}));

    // Through the keyboard into the submenu, whose own object measures and draws.
    ms::test::KeysToPopupMenu({VK_UP, VK_RIGHT, VK_RETURN});
    EXPECT_EQ(menu->TrackPopupMenu(TPM_RETURNCMD, 30, 30, &target_), 150);
    EXPECT_EQ(sub->measured, 1);
    EXPECT_FALSE(sub->drawn.empty());

    // The owner object destroys its menu (and the submenu with it); the sub object detaches.
    HMENU h = menu->m_hMenu;
    sub->Detach();
    delete sub;
    delete menu;
    EXPECT_FALSE(IsMenu(h));
}

TEST_F(FrameworkMenuTest, FileColourAndFontDialogs) {
    CFileDialog save(FALSE, u".bmp", u"photo", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     u"Bitmap Files(*.bmp)|*.bmp|JPEG Files(*.jpg)|*.jpg||");
    ms::test::AnswerFileDialog(u"/tmp/menus-test-photo", 2);
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(save.GetPathName(), CString(u"/tmp/menus-test-photo.jpg"));
    EXPECT_EQ(save.GetFileExt(), CString(u"jpg"));
    EXPECT_EQ(save.GetFileTitle(), CString(u"menus-test-photo"));
    EXPECT_EQ(save.GetFolderPath(), CString(u"/tmp"));
    EXPECT_EQ(save.m_ofn.nFilterIndex, 2u);
    const auto& rec = ms::test::ShownCommonDialogs().back();
    EXPECT_EQ(rec.initialName, u"photo");
    ASSERT_EQ(rec.filters.size(), 2u);
    EXPECT_EQ(rec.filters[0].second, u"*.bmp");

    CColorDialog color(RGB(10, 20, 30));
    ms::test::AnswerColorDialog(RGB(40, 50, 60));
    ASSERT_EQ(color.DoModal(), IDOK);
    EXPECT_EQ(color.GetColor(), RGB(40, 50, 60));
    EXPECT_EQ(ms::test::ShownCommonDialogs().back().color, RGB(10, 20, 30));

    // The text tool's way: the dialog writes the caller's own LOGFONTW.
    LOGFONTW textFont{};
    textFont.lfHeight = -16;
    textFont.lfWeight = 400;
    ms::CopyBounded(textFont.lfFaceName, 32, u"Arial");
    CFontDialog font(nullptr, CF_SCREENFONTS | CF_EFFECTS);
    font.m_cf.lpLogFont = &textFont;
    font.m_cf.rgbColors = RGB(255, 0, 0);
    font.m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    LOGFONTW answer = textFont;
    answer.lfItalic = 1;
    ms::test::AnswerFontDialog(answer, RGB(0, 0, 128));
    ASSERT_EQ(font.DoModal(), IDOK);
    EXPECT_EQ(textFont.lfItalic, 1);
    EXPECT_TRUE(font.IsItalic());
    EXPECT_EQ(font.GetColor(), RGB(0, 0, 128));
    EXPECT_EQ(font.GetFaceName(), CString(u"Arial"));
    EXPECT_EQ(font.GetSize(), 120);

    CPrintDialog print(FALSE);
    EXPECT_FALSE(print.GetDefaults());
    EXPECT_EQ(print.GetPrinterDC(), nullptr);
}

} // namespace
