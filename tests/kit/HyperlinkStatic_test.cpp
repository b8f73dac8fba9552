// The hyperlink control: binding to a dialog's static (text, style, tooltip, underline mode),
// its colours before, while and after hovering and after a visit, the error texts, and the
// argument vector of the fallback that starts the program for web pages.
#include "kit/HyperlinkStatic.h"

#include "platform/services/ServiceSeams.h"
#include "platform/win/window/TestSeams.h"

#include "tests/support/Pump.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::u16string>;
using ms::test::PumpUntil;

class HyperlinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"About", WS_POPUP | WS_VISIBLE, 100, 100, 400, 200,
                                    nullptr, nullptr));
        stat = CreateWindowEx(0, u"Static", u"", WS_CHILD | WS_VISIBLE | SS_LEFT, 20, 30, 200, 16,
                              parent.m_hWnd, reinterpret_cast<HMENU>(394), nullptr, nullptr);
        ASSERT_NE(stat, nullptr);
    }
    void TearDown() override {
        link.DestroyWindow();
        parent.DestroyWindow();
    }
    // The text colour the parent's WM_CTLCOLORSTATIC leaves in a DC, and the brush returned.
    COLORREF ColourNow(HBRUSH* brush = nullptr) {
        HDC dc = CreateCompatibleDC(nullptr);
        const LRESULT r = SendMessage(parent.m_hWnd, WM_CTLCOLORSTATIC,
                                      reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(stat));
        if (brush)
            *brush = reinterpret_cast<HBRUSH>(r);
        const COLORREF c = GetTextColor(dc);
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        DeleteDC(dc);
        return c;
    }
    bool Underlined() {
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessage(stat, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        return lf.lfUnderline != 0;
    }

    CWnd parent; // no colour handler: the framework hands the message to the link
    HWND stat = nullptr;
    CHyperlinkStatic link;
};

TEST_F(HyperlinkTest, BindingShowsTheTargetAsTextAndReplacesAnEarlierUnderlineMode) {
    link.SetUrl(u"https://dorvex.example/support");
    link.SetUnderline(1);
    ASSERT_TRUE(link.SubclassWindow(stat));
    CString text;
    link.GetWindowText(text);
    EXPECT_EQ(std::u16string(text.GetString()), u"https://dorvex.example/support");
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    EXPECT_EQ(link.GetUnderline(), -1);
    EXPECT_NE(link.GetLinkCursor(), nullptr);
    EXPECT_FALSE(Underlined());

    // A target set later changes neither the text nor the visited state.
    link.SetUrl(u"https://dorvex.example/other");
    link.GetWindowText(text);
    EXPECT_EQ(std::u16string(text.GetString()), u"https://dorvex.example/support");
    EXPECT_FALSE(link.GetVisited());
    EXPECT_EQ(std::u16string(link.GetUrl().GetString()), u"https://dorvex.example/other");
}

TEST_F(HyperlinkTest, ColoursFollowHoverAndVisitAndUnderlineFollowsItsMode) {
    SetWindowText(stat, u"www.dorvex.example");
    ASSERT_TRUE(link.SubclassWindow(stat));
    EXPECT_EQ(std::u16string(link.GetUrl().GetString()), u"www.dorvex.example");
    HBRUSH brush = nullptr;
    EXPECT_EQ(ColourNow(&brush), RGB(0, 0, 238));
    EXPECT_EQ(brush, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));

    // Hovering (mode -1): red and underlined; leaving is noticed at the next tick.
    RECT r{};
    GetWindowRect(stat, &r);
    SetCursorPos(r.left + 3, r.top + 3);
    SendMessage(stat, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(ColourNow(), RGB(255, 0, 0));
    EXPECT_TRUE(Underlined());
    SetCursorPos(r.right + 50, r.bottom + 50);
    EXPECT_TRUE(PumpUntil([&] { return link.TextColor() != RGB(255, 0, 0); }));
    EXPECT_EQ(ColourNow(), RGB(0, 0, 238));
    EXPECT_FALSE(Underlined());

    link.SetVisited(true);
    EXPECT_EQ(ColourNow(), RGB(85, 26, 139));

    // Mode 1 stays underlined through hovering and leaving; mode 0 never underlines.
    link.SetUnderline(1);
    EXPECT_TRUE(Underlined());
    SetCursorPos(r.left + 3, r.top + 3);
    SendMessage(stat, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    SetCursorPos(r.right + 50, r.bottom + 50);
    EXPECT_TRUE(PumpUntil([&] { return link.TextColor() != RGB(255, 0, 0); }));
    EXPECT_TRUE(Underlined());
    link.SetUnderline(0);
    SetCursorPos(r.left + 3, r.top + 3);
    SendMessage(stat, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_FALSE(Underlined());
    SetCursorPos(r.right + 50, r.bottom + 50);
    EXPECT_TRUE(PumpUntil([&] { return link.TextColor() != RGB(255, 0, 0); }));
}

TEST_F(HyperlinkTest, AClickOpensTheTargetAndOnlyASuccessfulOneVisitsIt) {
    link.SetUrl(u"https://dorvex.example/support");
    ASSERT_TRUE(link.SubclassWindow(stat));
    ms::test::ResetSeams();
    auto click = [&] {
        SendMessage(parent.m_hWnd, WM_COMMAND, MAKEWPARAM(394, STN_CLICKED),
                    reinterpret_cast<LPARAM>(stat));
    };

    // The desktop cannot open it, and there is no program for web pages to fall back on: the
    // message for the shell's result, and the link stays unvisited.
    ms::test::FailNextLaunch();
    click();
    ASSERT_EQ(ms::test::ShownLog().size(), 1u);
    const ms::test::Shown& box = ms::test::ShownLog().back();
    EXPECT_EQ(box.kind, ms::test::Shown::MessageBox);
    EXPECT_EQ(box.text, u"Unable to open hyperlink:\n\nThere is no application associated\n"
                        u"with the given filename extension.");
    EXPECT_EQ(box.type & MB_ICONMASK, UINT(MB_ICONEXCLAMATION));
    EXPECT_FALSE(link.GetVisited());
    EXPECT_EQ(ColourNow(), RGB(0, 0, 238));

    click();
    ASSERT_FALSE(ms::test::Launches().empty());
    EXPECT_EQ(ms::test::Launches().back().argv,
              (Args{u"xdg-open", u"https://dorvex.example/support"}));
    EXPECT_TRUE(link.GetVisited());
    EXPECT_EQ(ColourNow(), RGB(85, 26, 139));
    EXPECT_EQ(ms::test::ShownLog().size(), 1u);
}

TEST(Hyperlink, ErrorTextsNameTheResultCode) {
    struct Case {
        INT_PTR code;
        const char16_t* text;
    } cases[] = {
        {0, u"The operating system is out\nof memory or resources."},
        {2, u"The specified file was not found."},
        {26, u"A sharing violation occurred. "},
        {31, u"There is no application associated\nwith the given filename extension."},
        {32, u"The specified dynamic-link library was not found."},
        {99, u"Unknown Error (99) occurred."},
        {-1, u"Unknown Error (-1) occurred."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::u16string(CHyperlinkStatic::OpenErrorText(c.code).GetString()),
                  u"Unable to open hyperlink:\n\n" + std::u16string(c.text));
}

TEST(Hyperlink, FallbackArgumentsCutTheCommandAtItsPlaceholder) {
    const CString url(u"https://dorvex.example/a b");
    EXPECT_EQ(CHyperlinkStatic::FallbackArguments(
                  u"\"/opt/Web Browser/browser\" -osint -url \"%1\"", url),
              (Args{u"/opt/Web Browser/browser", u"-osint", u"-url", url.GetString()}));
    EXPECT_EQ(CHyperlinkStatic::FallbackArguments(u"browser %1 --new", url),
              (Args{u"browser", url.GetString()}));
    // No placeholder: the target follows the whole command line.
    EXPECT_EQ(CHyperlinkStatic::FallbackArguments(u"browser --new-window", url),
              (Args{u"browser", u"--new-window", url.GetString()}));
    // No fixed buffer: a long target stays whole.
    const CString longUrl(std::u16string(2000, u'x').c_str());
    EXPECT_EQ(CHyperlinkStatic::FallbackArguments(u"browser \"%1\"", longUrl).back().size(), 2000u);
}

} // namespace
