// The word-processor report through CWordAutomation and the automation stand-in: the calls a
// report makes, read back from both files it can write (the .docx package's document.xml and
// the RTF's paragraphs), and the failures the class reports itself.
#include "media/WordAutomation.h"

#include "platform/services/Zip.h"
#include "platform/win/window/TestSeams.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using ms::test::ShownLog;

struct ReadBack {
    std::vector<std::u16string> paragraphs; // text of every paragraph
    int pictures = 0;
    QImage picture;                   // the first embedded picture
    std::vector<std::string> formats; // one description per text run: "face size u<kind>"
};

std::u16string U(const QString& s) {
    return s.toStdU16String();
}

ReadBack ReadDocx(const QString& path) {
    ReadBack r;
    auto xml = ms::ReadZipEntry(path.toStdString(), "word/document.xml");
    EXPECT_TRUE(xml.has_value());
    if (!xml)
        return r;
    QXmlStreamReader x(QByteArray::fromStdString(*xml));
    std::string format;
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement())
            continue;
        auto name = x.qualifiedName();
        if (name == u"w:p")
            r.paragraphs.emplace_back();
        else if (name == u"w:rPr")
            format.clear();
        else if (name == u"w:rFonts")
            format += x.attributes().value("w:ascii").toString().toStdString();
        else if (name == u"w:sz")
            format += " " + x.attributes().value("w:val").toString().toStdString();
        else if (name == u"w:u")
            format += " u" + x.attributes().value("w:val").toString().toStdString();
        else if (name == u"w:t") {
            r.paragraphs.back() += x.readElementText().toStdU16String();
            r.formats.push_back(format);
        } else if (name == u"w:drawing")
            ++r.pictures;
    }
    EXPECT_FALSE(x.hasError()) << x.errorString().toStdString();
    if (auto png = ms::ReadZipEntry(path.toStdString(), "word/media/image1.png"))
        r.picture.loadFromData(QByteArray::fromStdString(*png), "PNG");
    return r;
}

// A reader of the RTF that the stand-in writes: groups of the font and colour tables skipped,
// pictures counted (and the first decoded), control words dropped, \par ending paragraphs,
// \uN taken as the character N.
ReadBack ReadRtf(const QString& path) {
    ReadBack r;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray s = f.readAll();
    EXPECT_TRUE(s.startsWith("{\\rtf1"));
    r.paragraphs.emplace_back();
    int depth = 0, skipFrom = -1;
    bool inPict = false;
    QByteArray hex;
    for (qsizetype i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '{') {
            ++depth;
            for (const char* group : {"{\\fonttbl", "{\\colortbl", "{\\pict"})
                if (skipFrom < 0 && s.mid(i).startsWith(group)) {
                    skipFrom = depth;
                    inPict = std::string(group) == "{\\pict";
                    if (inPict)
                        ++r.pictures;
                }
            continue;
        }
        if (c == '}') {
            if (depth == skipFrom) {
                skipFrom = -1;
                if (inPict && r.picture.isNull())
                    r.picture.loadFromData(QByteArray::fromHex(hex), "PNG");
                inPict = false;
            }
            --depth;
            continue;
        }
        if (c == '\\') {
            char next = i + 1 < s.size() ? s[i + 1] : 0;
            if (next == '\\' || next == '{' || next == '}') {
                if (skipFrom < 0)
                    r.paragraphs.back() += char16_t(next);
                ++i;
                continue;
            }
            qsizetype j = i + 1;
            while (j < s.size() && std::isalpha(static_cast<unsigned char>(s[j])))
                ++j;
            QByteArray word = s.mid(i + 1, j - i - 1);
            qsizetype k = j;
            if (k < s.size() && (s[k] == '-' || std::isdigit(static_cast<unsigned char>(s[k]))))
                ++k;
            while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
                ++k;
            int number = s.mid(j, k - j).toInt();
            if (k < s.size() && s[k] == ' ')
                ++k;
            if (skipFrom < 0) {
                if (word == "par")
                    r.paragraphs.emplace_back();
                else if (word == "u") {
                    r.paragraphs.back() += char16_t(number);
                    if (k < s.size() && s[k] == '?')
                        ++k; // the fallback character
                } else if (word == "ul")
                    r.formats.push_back("ul");
            } else if (inPict) {
                // control words of the picture header
            }
            i = k - 1;
            continue;
        }
        if (c == '\n' || c == '\r')
            continue;
        if (inPict)
            hex += c;
        else if (skipFrom < 0)
            r.paragraphs.back() += char16_t(static_cast<unsigned char>(c));
    }
    return r;
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
