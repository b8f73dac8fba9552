// The Text dialog of both programs: the text and font it returns, Enter ending it with Cancel,
// a chosen font and colour stored at once, and the WiFi program's copy with its own ids and
// settings.
#include "measure/TextDlg.h"

#include "tests/measure/DialogFixture.h"

#include "res/TessaryResource.h"

#include <QApplication>
#include <QKeyEvent>
#include <filesystem>

namespace {

using namespace mstest;

using TextDialogTest = mstest::MeasureDialogTest;

void PressEnterIn(HWND edit) {
    QWidget* widget = ms::WidgetOf(edit);
    SetFocus(edit);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(widget, &up);
}

TEST_F(TextDialogTest, OkReturnsTheTextColourAndTheChosenFont) {
    g_textFont = Font(-16, u"Arial");
    const LOGFONTW chosen = Font(-30, u"DejaVu Serif");
    ms::test::AnswerFontDialog(chosen, RGB(0, 160, 0));
    CTextDlg dlg;
    ms::test::AnswerDialog(IDD_TEXT, [&](HWND h) {
        WCHAR caption[64]{};
        GetWindowText(h, caption, 64);
        EXPECT_EQ(std::u16string(caption), u"Input Text");
        EXPECT_EQ(Text(h, IDC_TEXT_FONT), u"Text Font");
        EXPECT_EQ(Text(h, IDC_TEXT_PROMPT), u"Please enter text:");
        Type(h, IDC_TEXT_EDIT, u"Scratch 12");
        Press(h, IDC_TEXT_FONT);
        Press(h, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(std::u16string(dlg.m_text.GetString()), u"Scratch 12");
    EXPECT_EQ(dlg.m_color, RGB(0, 160, 0));
    EXPECT_EQ(g_textColor, RGB(0, 160, 0));
    EXPECT_EQ(g_textFont.lfHeight, -30);
    EXPECT_EQ(std::u16string(g_textFont.lfFaceName), u"DejaVu Serif");
    // The font dialog opened on the text font and colour of the moment.
    ASSERT_EQ(ms::test::ShownCommonDialogs().size(), 1u);
    EXPECT_EQ(std::u16string(ms::test::ShownCommonDialogs()[0].font.lfFaceName), u"Arial");
    EXPECT_EQ(ms::test::ShownCommonDialogs()[0].color, RGB(255, 0, 0));
}

TEST_F(TextDialogTest, EnterInTheTextFieldCancels) {
    CTextDlg dlg;
    ms::test::AnswerDialog(IDD_TEXT, [&](HWND h) {
        Type(h, IDC_TEXT_EDIT, u"typed");
        PressEnterIn(GetDlgItem(h, IDC_TEXT_EDIT));
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_FALSE(LastDialog()->leftOpen);
}

TEST_F(TextDialogTest, AFontChosenBeforeCancelStillChangesLaterTexts) {
    const LOGFONTW chosen = Font(-24, u"DejaVu Sans");
    ms::test::AnswerFontDialog(chosen, RGB(0, 0, 200));
    CTextDlg dlg;
    ms::test::AnswerDialog(IDD_TEXT, [&](HWND h) {
        Press(h, IDC_TEXT_FONT);
        Press(h, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(Raw(kFontKey, u"fontcolor"), Dword(RGB(0, 0, 200)));
    g_textFont = LOGFONTW{};
    ASSERT_EQ(ReadTextFont(), 1);
    EXPECT_EQ(g_textFont.lfHeight, -24);
    EXPECT_EQ(std::u16string(g_textFont.lfFaceName), u"DejaVu Sans");

    // A cancelled font dialog changes nothing.
    ms::test::ResetSeams();
    ms::test::CancelCommonDialog();
    CTextDlg again;
    ms::test::AnswerDialog(IDD_TEXT, [&](HWND h) {
        Press(h, IDC_TEXT_FONT);
        Press(h, IDCANCEL);
    });
    again.DoModal();
    EXPECT_EQ(g_textFont.lfHeight, -24);
    EXPECT_EQ(Raw(kFontKey, u"fontcolor"), Dword(RGB(0, 0, 200)));
}

TEST_F(TextDialogTest, TheColourIsReadFromTheRegistryAtOpening) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kFontKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const DWORD blue = RGB(0, 0, 255);
    RegSetValueEx(key, u"fontcolor", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&blue), 4);
    RegCloseKey(key);
    CTextDlg dlg;
    ms::test::PressInDialog(IDD_TEXT, IDCANCEL);
    dlg.DoModal();
    EXPECT_EQ(dlg.m_color, blue);
    EXPECT_EQ(g_textColor, blue);
}

TEST_F(TextDialogTest, TextsAreCutToTheVariantsLength) {
    const std::filesystem::path lang = program_ / "Long.ini";
    FILE* f = std::fopen(lang.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("[Rontage]\nEnterText=0123456789012345678901234567890123456789\n", f);
    std::fclose(f);
    ms::CopyBounded(g_langFilePath, MAX_PATH, ms::FromUtf8(lang.string()));
    CTextDlg dlg;
    ms::test::AnswerDialog(IDD_TEXT, [&](HWND h) {
        EXPECT_EQ(Text(h, IDC_TEXT_PROMPT), u"01234567890123456789012345678");
        Press(h, IDCANCEL);
    });
    dlg.DoModal();
}

} // namespace
