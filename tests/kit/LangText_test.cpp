#include "kit/LangText.h"

#include "platform/win/core/WString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class LangTextTest : public testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "shell-langtext-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
        g_langFilePath[0] = 0;
    }
    void TearDown() override {
        g_langFilePath[0] = 0;
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    // Writes the bytes as a language file and makes it the current one.
    void UseFile(const std::string& name, const std::string& bytes) {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        ms::CopyBounded(g_langFilePath, MAX_PATH, ms::FromUtf8(path.string()));
    }
    std::u16string Text(const WCHAR* key, int capacity = 64, const WCHAR* def = u"Default") {
        WCHAR buffer[300];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        const int n = GetLangText(key, buffer, capacity, def);
        EXPECT_EQ(n, static_cast<int>(std::char_traits<char16_t>::length(buffer)));
        return buffer;
    }
    fs::path m_dir;
};

TEST_F(LangTextTest, NoFileGivesTheDefault) {
    EXPECT_EQ(Text(u"TipLine", 128, u"Line Measurement"), u"Line Measurement"); // nothing chosen
    UseFile("German1252.ini", "");
    fs::remove(m_dir / "German1252.ini");
    EXPECT_EQ(Text(u"TipLine", 128, u"Line Measurement"), u"Line Measurement");
}

TEST_F(LangTextTest, KeysOfTheSectionOnly) {
    UseFile("English1252.ini", "\xEF\xBB\xBF[Other]\r\nTipLine=Wrong\r\n[Rontage]\r\n"
                               "TipArc=Bogen\r\nEmpty=\r\n");
    EXPECT_EQ(Text(u"TipArc"), u"Bogen");
    EXPECT_EQ(Text(u"TipLine"), u"Default");
    EXPECT_EQ(Text(u"Missing"), u"Default");
    EXPECT_EQ(Text(u"Empty"), u""); // a key present with no text gives no text
}

TEST_F(LangTextTest, TextIsCutToTheBuffer) {
    UseFile("English1252.ini", "\xEF\xBB\xBF[Rontage]\r\nLong=abcdefghij\r\n");
    EXPECT_EQ(Text(u"Long", 5), u"abcd");
    EXPECT_EQ(Text(u"Missing", 4, u"Default"), u"Def");
    EXPECT_EQ(Text(u"Long", 1), u"");
    WCHAR untouched[2] = {u'x', u'y'};
    EXPECT_EQ(GetLangText(u"Long", untouched, 0, u"Default"), 0);
    EXPECT_EQ(untouched[0], u'x');
}

TEST_F(LangTextTest, ReadsUtf16AndCodePageFiles) {
    // UTF-16LE with its mark.
    std::u16string utf16 = u"\uFEFF[Rontage]\r\nTipLine=Линия\r\n";
    UseFile("Bulgarian442.ini",
            std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2));
    EXPECT_EQ(Text(u"TipLine"), u"Линия");

    // No mark: the code page in the file's name, here 1251 ("Привет" in that code page).
    UseFile("Russian1251.ini", "[Rontage]\r\nHello=\xCF\xF0\xE8\xE2\xE5\xF2\r\n");
    EXPECT_EQ(Text(u"Hello"), u"Привет");

    UseFile("German1252.ini", "\xEF\xBB\xBF[Rontage]\r\nFlip=Vertikal spiegeln \xC3\xBC\r\n");
    EXPECT_EQ(Text(u"Flip"), u"Vertikal spiegeln ü");
}

TEST(LanguageFileCodePage, ComesFromTheName) {
    const struct {
        const WCHAR* path;
        UINT codePage;
    } cases[] = {
        {u"/x/Russian1251.ini", 1251},  {u"/x/Chinese936.ini", 936},
        {u"/x/Chinese950.ini", 950},    {u"/x/Thai874.ini", 874},
        {u"/x/Bulgarian442.ini", 1251}, {u"/x/Persian874.ini", 1256},
        {u"/x/English1252.ini", 1252},  {u"/x/Japanese932.ini", 932},
        {u"/x/Other.ini", 1252},        {u"", 1252},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageFileCodePage(c.path), c.codePage) << ms::ToUtf8(c.path);
}

// The shipped English file is beside the program and gives the English texts.
TEST(ShippedLanguageFiles, EnglishIsBesideTheProgram) {
    const char* dir = std::getenv("MS_PROGRAM_DIR");
    if (!dir)
        dir = MS_BUILD_PROGRAM_DIR;
    ms::CopyBounded(g_langFilePath, MAX_PATH, ms::FromUtf8(std::string(dir) + "/English1252.ini"));
    WCHAR buffer[128];
    GetLangText(u"TipLine", buffer, 128, u"x");
    EXPECT_EQ(std::u16string(buffer), u"Line Measurement");
    ms::CopyBounded(g_langFilePath, MAX_PATH, ms::FromUtf8(std::string(dir) + "/German1252.ini"));
    GetLangText(u"TipCalibration", buffer, 32, u"x");
    EXPECT_EQ(std::u16string(buffer), u"Kalibrierung");
    g_langFilePath[0] = 0;
}

} // namespace
