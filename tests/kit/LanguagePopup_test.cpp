// The language popup: which entry is marked current for the stored ids, and the popup as
// tracked: twelve owner-drawn entries in order with their English texts, drawn in the popup
// colours with the filled ring at the current language, and the chosen command arriving at
// the owner as WM_COMMAND.
#include "kit/LanguagePopup.h"

#include "kit/RegistrySettings.h"

#include "platform/win/window/Menu.h"
#include "platform/win/window/TestSeams.h"

#include "tests/support/Pump.h"

#include <QCoreApplication>
#include <QImage>
#include <gtest/gtest.h>
#include <vector>

namespace {

using ms::test::Pump;

class COwner : public CWnd {
public:
    std::vector<UINT> commands;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_COMMAND)
            commands.push_back(LOWORD(wp));
        return CWnd::WindowProc(msg, wp, lp);
    }
};

TEST(LanguagePopup, MarksOneEntryCurrentByTheStoredIds) {
    struct Case {
        WORD lang, sub;
        UINT command;
    } cases[] = {
        {9, 0, 1301},  {12, 0, 1301}, {0, 0, 1301},  {4, 2, 1302},  {4, 0, 1351},  {4, 1, 1351},
        {4, 3, 1351},  {4, 5, 1351},  {17, 0, 1303}, {18, 0, 1304}, {7, 0, 1305},  {22, 0, 1306},
        {31, 0, 1313}, {30, 0, 1308}, {25, 0, 1352}, {2, 0, 1353},  {58, 0, 1359}, {58, 7, 1359},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CurrentLanguageCommand(c.lang, c.sub), c.command) << c.lang << "/" << c.sub;
}

TEST(LanguagePopup, ShowsTheTwelveLanguagesUnderTheButtonAndSendsTheChoice) {
    ms::EnsureApplication();
    CreateDefaultSettings();
    SaveLanguageIds(17, 0); // Japanese, stored from outside since the last click

    COwner owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, u"Owner", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                               nullptr, nullptr));
    CWnd button;
    ASSERT_TRUE(
        button.Create(nullptr, u"", WS_CHILD | WS_VISIBLE, CRect(10, 250, 90, 280), &owner, 1293));
    CRect buttonRect;
    button.GetWindowRect(&buttonRect);

    CLanguageChoice choice;
    ms::test::ResetSeams();
    ms::test::ChoosePopupCommand(1305);
    ShowLanguagePopup(&owner, &button, choice);
    Pump();
    EXPECT_EQ(choice.m_langId, 17);
    ASSERT_EQ(owner.commands, std::vector<UINT>{1305});

    ASSERT_EQ(ms::test::ShownMenus().size(), 1u);
    const ms::test::ShownMenu& shown = ms::test::ShownMenus().back();
    EXPECT_EQ(shown.owner, owner.m_hWnd);
    EXPECT_EQ(shown.at.x, buttonRect.left);
    EXPECT_EQ(shown.at.y, buttonRect.bottom - 4);
    const UINT ids[] = {1301, 1302, 1351, 1303, 1304, 1305, 1306, 1313, 1308, 1352, 1353, 1359};
    ASSERT_EQ(shown.items.size(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(shown.items[i].id, ids[i]);
        EXPECT_EQ(shown.items[i].flags & (MF_OWNERDRAW | MF_CHECKED | MF_SEPARATOR),
                  UINT(MF_OWNERDRAW));
        EXPECT_EQ(shown.items[i].rect.bottom - shown.items[i].rect.top, 20);
    }

    // Drawn by the menu: the popup background, and the filled ring only at Japanese (the
    // icon's centre is black there; the empty ring shows the ground through).
    const QImage& pic = shown.picture;
    ASSERT_FALSE(pic.isNull());
    auto pixel = [&](int i, int dx, int dy) {
        const RECT& r = shown.items[static_cast<size_t>(i)].rect;
        return pic.pixel(r.left + dx, r.top + dy) & 0xFFFFFFu;
    };
    const QRgb back = qRgb(236, 233, 216) & 0xFFFFFFu;
    for (int i = 0; i < 12; ++i) {
        const RECT& r = shown.items[static_cast<size_t>(i)].rect;
        EXPECT_EQ(pixel(i, r.right - r.left - 2, 1), back) << i;
        EXPECT_EQ(pixel(i, 10, 10) == 0, i == 3) << i;
    }

    // Dismissed: nothing is sent.
    ms::test::ChoosePopupCommand(0);
    ShowLanguagePopup(&owner, &button, choice);
    Pump();
    EXPECT_EQ(owner.commands.size(), 1u);
    button.DestroyWindow();
    owner.DestroyWindow();
}

} // namespace
