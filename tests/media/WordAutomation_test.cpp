// The word-processor report through CWordAutomation and the automation stand-in: the calls a
// report makes, read back from both files it can write (the .docx package's document.xml and
// the RTF's paragraphs), and the failures the class reports itself.
#include "media/WordAutomation.h"

#include "platform/win/window/TestSeams.h"
#include "tests/media/WordReadBack.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using ms::test::ShownLog;
using mstest::ReadBack;
using mstest::ReadDocx;
using mstest::ReadRtf;

std::u16string U(const QString& s) {
    return s.toStdU16String();
}

class WordAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::test::ResetSeams();
        QImage img(64, 48, QImage::Format_RGB32);
        img.fill(Qt::white);
        img.setPixelColor(5, 7, Qt::red);
        picture = dir.path() + "/10000.bmp";
        ASSERT_TRUE(img.save(picture, "BMP"));
    }
    // What a report of a continual line and a radius circle types, in the report's order.
    void WriteReport(const QString& path) {
        CWordAutomation word;
        ASSERT_EQ(word.Start(), 1);
        word.SetFont(u"Arial", 12.0f, 0, 0);
        word.SetFontStyle(0, 0, 1);
        word.SetAlignment(0);
        for (auto [label, value] : lines) {
            word.TypeText(label);
            if (value)
                word.TypeText(value);
            word.m_selection->TypeParagraph();
        }
        word.InsertPicture(CString(U(picture)));
        word.SaveAs(CString(U(path)));
        word.Quit();
    }
    void ExpectReport(const ReadBack& r) {
        std::vector<std::u16string> want;
        for (auto [label, value] : lines)
            want.push_back(std::u16string(label) + (value ? value : u""));
        want.push_back(u""); // the paragraph holding the picture
        EXPECT_EQ(r.paragraphs, want);
        EXPECT_EQ(r.pictures, 1);
        EXPECT_EQ(r.picture.size(), QSize(64, 48));
        EXPECT_EQ(r.picture.pixelColor(5, 7), QColor(Qt::red));
    }

    QTemporaryDir dir;
    QString picture;
    const std::vector<std::pair<const char16_t*, const char16_t*>> lines = {
        {u"File Name:", nullptr},
        {u"Time of establishment:", nullptr},
        {u"Continual Line", nullptr},
        {u"Length:", u"T:3.750mm"},
        {u"Radius Circle", nullptr},
        {u"Radius1:", u"R:1.000µm"},
        {u"Area:", u"A:<3.142> & \"sq\" {µm²}\\"},
    };
};

TEST_F(WordAutomationTest, ADocxReportHoldsTheLinesInTheirFontAndOnePicture) {
    QString path = dir.path() + "/report.docx";
    WriteReport(path);
    ReadBack r = ReadDocx(path);
    ExpectReport(r);
    ASSERT_FALSE(r.formats.empty());
    for (const auto& f : r.formats)
        EXPECT_EQ(f, "Arial 24 usingle") << "every run Arial 12, underlined; no stray F";
    EXPECT_TRUE(ShownLog().empty());
}

TEST_F(WordAutomationTest, ADocReportIsRtfWithTheSameParagraphs) {
    QString path = dir.path() + "/report.doc";
    WriteReport(path);
    ReadBack r = ReadRtf(path);
    ExpectReport(r);
    EXPECT_EQ(r.formats.size(), 8u) << "the seven lines and the picture, underlined";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("{\\f0\\fnil Arial;}"));
}

TEST_F(WordAutomationTest, WithoutTheWordProcessorStartFailsWithOneMessage) {
    ms::test::FailNextAutomationCreate(u"Word.Application");
    {
        CWordAutomation word;
        EXPECT_EQ(word.Start(), 0);
    }
    ASSERT_EQ(ShownLog().size(), 1u);
    EXPECT_EQ(ShownLog()[0].text, u"Application Create fail!");
    EXPECT_TRUE(ShownLog()[0].type & MB_ICONEXCLAMATION);

    CWordAutomation unstarted;
    unstarted.SetFont(u"Arial", 12.0f, 0, 0);
    unstarted.SetFontStyle(0, 0, 1);
    ASSERT_EQ(ShownLog().size(), 3u);
    EXPECT_EQ(ShownLog()[1].text, u"Select为空，字体设置失败!");
    EXPECT_EQ(ShownLog()[2].text, u"Select为空，字体设置失败!");
}

TEST_F(WordAutomationTest, RejectedCallsThrowAndWriteNothing) {
    QFile bogus(dir.path() + "/bogus.bmp");
    ASSERT_TRUE(bogus.open(QIODevice::WriteOnly));
    bogus.write("not a picture");
    bogus.close();

    CWordAutomation word;
    ASSERT_EQ(word.Start(), 1);
    word.TypeText(u"Line");
    EXPECT_THROW(word.InsertPicture(CString(U(bogus.fileName()))), ms::AutomationError);
    EXPECT_THROW(word.InsertPicture(CString(U(dir.path() + "/missing.bmp"))), ms::AutomationError);
    QString unwritable = dir.path() + "/no/such/folder/report.docx";
    EXPECT_THROW(word.SaveAs(CString(U(unwritable))), ms::AutomationError);
    EXPECT_FALSE(QFile::exists(unwritable));

    // A failed save leaves an older report of that name as it was.
    QString old = dir.path() + "/old.doc";
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old report");
    f.close();
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    bool refused = false;
    try {
        word.SaveAs(CString(U(old)));
    } catch (const ms::AutomationError&) {
        refused = true;
    }
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (refused) { // root writes into read-only folders
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "old report");
    }
    word.Quit();
}

} // namespace
