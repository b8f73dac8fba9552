#include "kit/Language.h"

#include "kit/LangText.h"
#include "kit/RegistrySettings.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

[[maybe_unused]] const std::filesystem::path g_program =
    mstest::NewProgramDir(mstest::ProgramFiles::None);

const WCHAR* kLanguage = u"SOFTWARE\\varazizuziVe\\LanguageID";

std::u16string InProgramDir(const WCHAR* name) {
    return ms::ProgramDir() + u"/" + name;
}

DWORD StoredDword(const WCHAR* name) {
    HKEY key = nullptr;
    DWORD value = 0xDEAD, size = sizeof value, type = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kLanguage, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    return value;
}

class LanguageTest : public testing::Test {
protected:
    void SetUp() override {
        for (const WCHAR* path : {u"SOFTWARE\\varazizuziVe\\font", kLanguage,
                                  u"SOFTWARE\\varazizuziVe\\Units", u"SOFTWARE\\varazizuziVe"})
            RegDeleteKey(HKEY_CURRENT_USER, path);
        CreateDefaultSettings();
        g_langFilePath[0] = 0;
    }
    void TearDown() override { g_langFilePath[0] = 0; }
};

TEST(LanguageFileName, FollowsTheTable) {
    const struct {
        WORD primary, sub;
        const WCHAR* file;
    } cases[] = {
        {1, 0, u"Arabic1256.ini"},      {2, 0, u"Bulgarian442.ini"},
        {4, 1, u"Chinese950.ini"},      {4, 2, u"Chinese936.ini"},
        {4, 0, u"Chinese936.ini"},      {4, 3, u"Chinese936.ini"},
        {6, 0, u"Danish1252.ini"},      {7, 1, u"German1252.ini"},
        {10, 0, u"Spanish1252.ini"},    {11, 0, u"Finnish1252.ini"},
        {12, 0, u"French1252.ini"},     {13, 0, u"Hebrew1255.ini"},
        {16, 0, u"Italian1252.ini"},    {17, 0, u"Japanese932.ini"},
        {18, 0, u"Korean949.ini"},      {19, 0, u"Dutch1252.ini"},
        {20, 0, u"Norwegian1252.ini"},  {21, 0, u"Polish1250.ini"},
        {22, 0, u"Portuguese1252.ini"}, {25, 0, u"Russian1251.ini"},
        {29, 0, u"Swedish1252.ini"},    {30, 0, u"Thai874.ini"},
        {31, 0, u"Turkish1254.ini"},    {42, 0, u"Vietnamese1258.ini"},
        {58, 0, u"Persian874.ini"},     {9, 0, u"English1252.ini"},
        {0, 0, u"English1252.ini"},     {3, 0, u"English1252.ini"},
        {1023, 0, u"English1252.ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::u16string(LanguageFileName(c.primary, c.sub)), c.file)
            << c.primary << "/" << c.sub;
    EXPECT_EQ(std::u16string(HelpFileName(4, 2)), u"Tessary-CN.CHM");
    EXPECT_EQ(std::u16string(HelpFileName(4, 1)), u"Tessary-EN.CHM");
    EXPECT_EQ(std::u16string(HelpFileName(7, 0)), u"Tessary-EN.CHM");
}

TEST_F(LanguageTest, ChineseCommandsChooseFileAndHelp) {
    CLanguageChoice choice;
    int reloads = 0;
    choice.onTextsChanged = [&] { ++reloads; };

    EXPECT_TRUE(choice.OnLanguageCommand(1302));
    EXPECT_EQ(std::u16string(g_langFilePath), InProgramDir(u"Chinese936.ini"));
    EXPECT_EQ(std::u16string(choice.m_helpPath), InProgramDir(u"Tessary-CN.CHM"));

    choice.OnLangChineseTraditional();
    EXPECT_EQ(std::u16string(g_langFilePath), InProgramDir(u"Chinese950.ini"));
    EXPECT_EQ(std::u16string(choice.m_helpPath), InProgramDir(u"Tessary-EN.CHM"));
    EXPECT_EQ(reloads, 2);
    EXPECT_EQ(StoredDword(u"LanID"), 4u);
    EXPECT_EQ(StoredDword(u"SubLanIDD"), 1u);
    EXPECT_EQ(choice.m_langId, 0); // the members follow the registry only when read again

    EXPECT_FALSE(choice.OnLanguageCommand(1307));
    EXPECT_EQ(std::u16string(g_langFilePath), InProgramDir(u"Chinese950.ini"));
    EXPECT_EQ(reloads, 2);

    // The next start takes the stored choice.
    g_langFilePath[0] = 0;
    CLanguageChoice next;
    next.LoadLanguageIds();
    next.ChooseStartupLanguage();
    EXPECT_EQ(std::u16string(g_langFilePath), InProgramDir(u"Chinese950.ini"));
}

TEST_F(LanguageTest, EveryCommandStoresItsIds) {
    for (const LanguageCommand& command : kLanguageCommands) {
        CLanguageChoice choice;
        ASSERT_TRUE(choice.OnLanguageCommand(command.id));
        EXPECT_EQ(std::u16string(g_langFilePath),
                  InProgramDir(LanguageFileName(command.primary, command.subLanguage)));
        EXPECT_EQ(StoredDword(u"LanID"), command.primary);
        EXPECT_EQ(StoredDword(u"SubLanIDD"), command.subLanguage);
    }
}

TEST_F(LanguageTest, FirstStartFollowsTheSystemLanguage) {
    const std::string saved = std::getenv("LANG") ? std::getenv("LANG") : "";
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "de_DE.UTF-8", 1);
    CLanguageChoice choice;
    choice.LoadLanguageIds();
    choice.ChooseStartupLanguage();
    EXPECT_EQ(std::u16string(g_langFilePath), InProgramDir(u"German1252.ini"));
    EXPECT_EQ(StoredDword(u"LanID"), 7u);
    EXPECT_EQ(StoredDword(u"SubLanIDD"), 0u);

    // Stored now: a later start no longer follows the system.
    setenv("LANG", "fr_FR.UTF-8", 1);
    CLanguageChoice later;
    later.LoadLanguageIds();
    later.ChooseStartupLanguage();
    EXPECT_EQ(std::u16string(g_langFilePath), InProgramDir(u"German1252.ini"));
    setenv("LANG", saved.c_str(), 1);
}

} // namespace
