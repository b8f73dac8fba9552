// The confirmation and notice dialogs: the caller's text in the message static, the caption
// "Wavenor", and the button pressed as the result, also with an empty text.
#include "wifi/NoticeDlgs.h"

#include "platform/win/window/TestSeams.h"
#include "res/WavenorResource.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string Text(HWND hwnd) {
    WCHAR buf[256] = {};
    GetWindowText(hwnd, buf, 256);
    return buf;
}

class NoticeDlgsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
    }
    void TearDown() override { ms::test::ResetSeams(); }
};

TEST_F(NoticeDlgsTest, ConfirmShowsItsTextAndGivesTheButtonPressed) {
    struct Case {
        const char16_t* message;
        int button;
    };
    for (const Case& c : {Case{u"Delete this file?", IDOK}, Case{u"Delete this file?", IDCANCEL},
                          Case{u"", IDOK}, Case{u"", IDCANCEL}}) {
        SCOPED_TRACE(c.button);
        std::u16string shown = u"<not run>", caption;
        ms::test::AnswerDialog(IDD_CONFIRM, [&](HWND dialog) {
            shown = Text(GetDlgItem(dialog, IDC_CONFIRM_TEXT));
            caption = Text(dialog);
            SendMessage(dialog, WM_COMMAND, static_cast<WPARAM>(c.button), 0);
        });
        CConfirmDlg dlg;
        dlg.m_message = c.message;
        EXPECT_EQ(dlg.DoModal(), c.button);
        EXPECT_EQ(shown, c.message);
        EXPECT_EQ(caption, u"Wavenor");
    }
}

TEST_F(NoticeDlgsTest, NoticeShowsItsTextAndEndsWithOk) {
    for (const char16_t* message : {u"Save success!", u""}) {
        std::u16string shown = u"<not run>";
        bool hasCancel = true;
        ms::test::AnswerDialog(IDD_NOTICE, [&](HWND dialog) {
            shown = Text(GetDlgItem(dialog, IDC_NOTICE_TEXT));
            hasCancel = GetDlgItem(dialog, IDCANCEL) != nullptr;
            SendMessage(dialog, WM_COMMAND, IDOK, 0);
        });
        CNoticeDlg dlg;
        dlg.m_message = message;
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(shown, message);
        EXPECT_FALSE(hasCancel);
    }
}

} // namespace
