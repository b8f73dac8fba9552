// The common dialogs answered through their seams: file names with default extensions and
// the checks before returning, colour and font in and out, folders, the default printer.
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "platform/win/dialogs/DialogSeams.h"
#include "platform/win/dialogs/ShlObj.h"
#include "platform/win/window/TestSeams.h"

#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string U(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}

class CommonDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        ASSERT_TRUE(tmp_.isValid());
        dir_ = U(tmp_.path());
    }
    void TearDown() override {
        ms::test::ResetSeams();
        ms::SetPrinterProvider(nullptr);
    }

    // A save or open structure over `buf`, as the framework fills it.
    OPENFILENAME Ofn(const std::u16string& filter, const WCHAR* defExt, DWORD flags) {
        filter_ = filter;
        OPENFILENAME o{};
        o.lStructSize = sizeof o;
        o.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
        o.nFilterIndex = 1;
        o.lpstrFile = buf_;
        o.nMaxFile = static_cast<DWORD>(std::size(buf_));
        o.lpstrFileTitle = title_;
        o.nMaxFileTitle = static_cast<DWORD>(std::size(title_));
        o.lpstrInitialDir = dir_.c_str();
        o.lpstrDefExt = defExt;
        o.Flags = flags | OFN_NOCHANGEDIR;
        buf_[0] = 0;
        return o;
    }

    void Touch(const std::u16string& name) {
        QFile f(QString::fromStdU16String(dir_ + u"/" + name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    QTemporaryDir tmp_;
    std::u16string dir_;
    std::u16string filter_;
    WCHAR buf_[260]{};
    WCHAR title_[64]{};
};

TEST_F(CommonDialogsTest, SavedNamesGetTheDefaultExtension) {
    const std::u16string dxf =
        ms::FilterFromFramework(u"dxf Files(*.dxf)|*.dxf|DXF files(*.DXF)|*.DXF||");
    const std::u16string pics =
        ms::FilterFromFramework(u"Bitmap Files(*.bmp)|*.bmp|All(*.*)|*.*||");
    struct Case {
        std::u16string filter;
        const WCHAR* defExt;
        std::u16string typed;
        DWORD filterIndex;
        std::u16string expected; // name in the temporary folder
        DWORD expectedIndex;
    };
    const Case cases[] = {
        {dxf, u"DXF", u"drawing", 0, u"drawing.dxf", 1},
        {dxf, u"DXF", u"drawing", 2, u"drawing.DXF", 2}, // the chosen filter's extension
        {pics, u".bmp", u"pic", 2, u"pic.bmp", 2},       // "*.*" names none: the default
        {pics, u"bmp", u"pic.jpg", 1, u"pic.jpg", 1},    // an extension of its own stays
        {u"", nullptr, u"plain", 0, u"plain", 1},        // no default extension asked for
    };
    for (const auto& c : cases) {
        OPENFILENAME o = Ofn(c.filter, c.defExt, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
        ms::test::AnswerFileDialog(c.typed, c.filterIndex);
        ASSERT_TRUE(GetSaveFileName(&o)) << ms::ToUtf8(c.typed);
        const std::u16string path(o.lpstrFile);
        EXPECT_EQ(path, dir_ + u"/" + c.expected);
        EXPECT_EQ(std::u16string(o.lpstrFile + o.nFileOffset), c.expected);
        EXPECT_EQ(std::u16string(o.lpstrFileTitle), c.expected);
        const std::size_t dot = c.expected.rfind(u'.');
        if (dot == std::u16string::npos) {
            EXPECT_EQ(o.nFileExtension, 0);
        } else {
            EXPECT_EQ(std::u16string(o.lpstrFile + o.nFileExtension), c.expected.substr(dot + 1));
        }
        if (!c.filter.empty()) {
            EXPECT_EQ(o.nFilterIndex, c.expectedIndex);
        }
    }
    const auto& shown = ms::test::ShownCommonDialogs();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].kind, ms::test::CommonDialog::SaveFile);
    ASSERT_EQ(shown[0].filters.size(), 2u);
    EXPECT_EQ(shown[0].filters[1].first, u"DXF files(*.DXF)");
    EXPECT_EQ(shown[0].filters[1].second, u"*.DXF");
    EXPECT_EQ(shown[0].defaultExt, u"DXF");
    EXPECT_TRUE(shown[0].ok);
}

TEST_F(CommonDialogsTest, QtsDialogGivesTheChosenTypesExtension) {
    // The operator picks the second file type in Qt's dialog and types a bare name.
    OPENFILENAME o =
        Ofn(ms::FilterFromFramework(u"Bitmap Files(*.bmp)|*.bmp|JPEG Files(*.jpg)|*.jpg||"), u"bmp",
            OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    ms::test::CommonAnswer a;
    a.operate = [](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        EXPECT_TRUE(dialog);
        if (!dialog) {
            QMetaObject::invokeMethod(w, "reject");
            return;
        }
        dialog->selectNameFilter(dialog->nameFilters().at(1));
        dialog->selectFile(QStringLiteral("shot"));
        QMetaObject::invokeMethod(dialog, "accept");
    };
    ms::test::AnswerCommonDialog(std::move(a));
    ASSERT_TRUE(GetSaveFileName(&o));
    EXPECT_EQ(std::u16string(o.lpstrFile), dir_ + u"/shot.jpg");
    EXPECT_EQ(o.nFilterIndex, 2u);
}

TEST_F(CommonDialogsTest, ExistingFileAsksBeforeReplacing) {
    Touch(u"old.png");
    OPENFILENAME o = Ofn(ms::FilterFromFramework(u"PNG Files(*.png)|*.png||"), u"png",
                         OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    ms::test::AnswerFileDialog(u"old");
    ms::test::AnswerMessageBox(IDNO);
    ms::test::AnswerFileDialog(u"new");
    ASSERT_TRUE(GetSaveFileName(&o));
    EXPECT_EQ(std::u16string(o.lpstrFile), dir_ + u"/new.png");
    ASSERT_EQ(ms::test::ShownLog().size(), 1u);
    EXPECT_EQ(ms::test::ShownLog()[0].text, u"old.png already exists.\nDo you want to replace it?");

    // Yes replaces; without the flag nobody is asked.
    ms::test::AnswerFileDialog(u"old");
    ms::test::AnswerMessageBox(IDYES);
    ASSERT_TRUE(GetSaveFileName(&o));
    EXPECT_EQ(std::u16string(o.lpstrFile), dir_ + u"/old.png");
    o.Flags &= ~static_cast<DWORD>(OFN_OVERWRITEPROMPT);
    ms::test::AnswerFileDialog(u"old.png");
    ASSERT_TRUE(GetSaveFileName(&o));
    EXPECT_EQ(ms::test::ShownLog().size(), 2u);
}

TEST_F(CommonDialogsTest, RefusalsCancelsAndSmallBuffers) {
    // Open: a missing file is refused with a message; then the operator cancels.
    OPENFILENAME o = Ofn(ms::FilterFromFramework(u"png Files(*.png)|*.png"), u"png",
                         OFN_HIDEREADONLY | OFN_FILEMUSTEXIST);
    ms::CopyBounded(buf_, std::size(buf_), u"*.png");
    ms::test::AnswerFileDialog(u"missing");
    ms::test::AnswerMessageBox(IDOK);
    EXPECT_FALSE(GetOpenFileName(&o));
    EXPECT_EQ(std::u16string(buf_), u"*.png"); // untouched
    EXPECT_EQ(ms::test::ShownCommonDialogs().back().initialName, u"*.png");
    ASSERT_EQ(ms::test::ShownLog().size(), 1u);
    EXPECT_NE(ms::test::ShownLog()[0].text.find(u"File not found"), std::u16string::npos);
    Touch(u"here.png");
    ms::test::AnswerFileDialog(u"here");
    EXPECT_TRUE(GetOpenFileName(&o));

    // A path longer than the caller's buffer is not written past it.
    WCHAR small[8];
    OPENFILENAME s = Ofn(u"", u"png", 0);
    s.lpstrFile = small;
    s.nMaxFile = 8;
    ms::test::AnswerFileDialog(u"a-long-name");
    EXPECT_FALSE(GetSaveFileName(&s));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));

    // No script on the headless platform: cancelled.
    OPENFILENAME c = Ofn(u"", nullptr, 0);
    EXPECT_FALSE(GetSaveFileName(&c));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_FALSE(ms::test::ShownCommonDialogs().back().ok);
}

TEST_F(CommonDialogsTest, ColourAndFontInAndOut) {
    COLORREF custom[16] = {};
    CHOOSECOLOR cc{};
    cc.lStructSize = sizeof cc;
    cc.rgbResult = RGB(255, 0, 0);
    cc.Flags = CC_RGBINIT;
    cc.lpCustColors = custom;
    ms::test::AnswerColorDialog(RGB(1, 2, 3));
    ASSERT_TRUE(ChooseColor(&cc));
    EXPECT_EQ(cc.rgbResult, RGB(1, 2, 3));
    EXPECT_EQ(ms::test::ShownCommonDialogs().back().color, RGB(255, 0, 0));
    ms::test::CancelCommonDialog();
    EXPECT_FALSE(ChooseColor(&cc));
    EXPECT_EQ(cc.rgbResult, RGB(1, 2, 3));

    LOGFONTW measure{};
    measure.lfHeight = 14;
    measure.lfWeight = 400;
    measure.lfCharSet = 134;
    ms::CopyBounded(measure.lfFaceName, 32, u"Arial");
    CHOOSEFONT cf{};
    cf.lStructSize = sizeof cf;
    cf.lpLogFont = &measure;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    cf.rgbColors = RGB(0, 0, 255);
    LOGFONTW chosen = measure;
    chosen.lfHeight = -20;
    chosen.lfWeight = 700;
    chosen.lfUnderline = 1;
    ms::CopyBounded(chosen.lfFaceName, 32, u"SimSun");
    ms::test::AnswerFontDialog(chosen, RGB(0, 128, 0));
    ASSERT_TRUE(ChooseFont(&cf));
    const auto& rec = ms::test::ShownCommonDialogs().back();
    EXPECT_EQ(rec.kind, ms::test::CommonDialog::Font);
    EXPECT_EQ(rec.font.lfHeight, 14); // opened on the caller's font and colour
    EXPECT_EQ(rec.color, RGB(0, 0, 255));
    EXPECT_EQ(measure.lfHeight, -20); // written through the caller's pointer
    EXPECT_EQ(measure.lfWeight, 700);
    EXPECT_EQ(measure.lfUnderline, 1);
    EXPECT_EQ(measure.lfCharSet, 134);
    EXPECT_EQ(std::u16string(measure.lfFaceName), u"SimSun");
    EXPECT_EQ(cf.rgbColors, RGB(0, 128, 0));
    EXPECT_EQ(cf.iPointSize, 150);
    EXPECT_TRUE(cf.nFontType & BOLD_FONTTYPE);

    // Without effects neither colour nor lines change; a cancel changes nothing.
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    chosen.lfUnderline = 0;
    ms::test::AnswerFontDialog(chosen, RGB(9, 9, 9));
    ASSERT_TRUE(ChooseFont(&cf));
    EXPECT_EQ(cf.rgbColors, RGB(0, 128, 0));
    EXPECT_EQ(measure.lfUnderline, 1);
    const LOGFONTW before = measure;
    ms::test::CancelCommonDialog();
    EXPECT_FALSE(ChooseFont(&cf));
    EXPECT_EQ(measure.lfHeight, before.lfHeight);
    cf.lpLogFont = nullptr;
    EXPECT_FALSE(ChooseFont(&cf));
}

TEST_F(CommonDialogsTest, FolderBrowserAndDefaultPrinter) {
    WCHAR display[MAX_PATH];
    BROWSEINFO bi{};
    bi.pszDisplayName = display;
    bi.lpszTitle = u"Please select folder";
    bi.ulFlags = 73;
    ms::test::AnswerFolderDialog(dir_ + u"/");
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolder(&bi);
    ASSERT_NE(pidl, nullptr);
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDList(pidl, path));
    EXPECT_EQ(std::u16string(path), dir_);
    EXPECT_EQ(std::u16string(display), dir_.substr(dir_.rfind(u'/') + 1));
    CoTaskMemFree(pidl);
    EXPECT_EQ(ms::test::ShownCommonDialogs().back().title, u"Please select folder");

    ms::test::AnswerFolderDialog(dir_ + u"/not-there");
    EXPECT_EQ(SHBrowseForFolder(&bi), nullptr);
    ms::test::CancelCommonDialog();
    EXPECT_EQ(SHBrowseForFolder(&bi), nullptr);
    EXPECT_FALSE(SHGetPathFromIDList(nullptr, path));

    PRINTDLG pd{};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    EXPECT_FALSE(PrintDlg(&pd));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(PDERR_NODEFAULTPRN));
    EXPECT_EQ(pd.hDC, nullptr);
    HDC fake = reinterpret_cast<HDC>(0x1234);
    ms::SetPrinterProvider([fake](std::u16string& name, HDC* dc) {
        name = u"A printer with a name longer than thirty-one characters";
        if (dc)
            *dc = fake;
        return true;
    });
    ASSERT_TRUE(PrintDlg(&pd));
    EXPECT_EQ(pd.hDC, fake);
    EXPECT_EQ(std::u16string(pd.deviceName).size(), 31u);
}

} // namespace
