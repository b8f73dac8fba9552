// Wavenor's settings, language choice and camera address, without a window: first-run
// defaults, reading back with its range checks, saving all eight values, the language table
// and the system's language, and the camera address from the environment.
#include "wifi/CameraLink.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiLanguage.h"
#include "wifi/WifiSettings.h"

#include "measure/MeasureSettings.h"
#include "measure/Units.h"
#include "kit/LangText.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"

#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::filesystem::path g_home = mstest::Home();
[[maybe_unused]] const std::filesystem::path g_program =
    mstest::NewProgramDir(mstest::ProgramFiles::None);

HKEY OpenSettings() {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kWifiSettingsKey, 0, KEY_READ | KEY_WRITE, &key) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

struct Stored {
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

Stored Read(LPCWSTR name) {
    Stored s;
    HKEY key = OpenSettings();
    if (!key)
        return s;
    BYTE buf[64] = {};
    DWORD size = sizeof buf;
    if (RegQueryValueEx(key, name, nullptr, &s.type, buf, &size) == ERROR_SUCCESS)
        s.bytes.assign(buf, buf + size);
    RegCloseKey(key);
    return s;
}

DWORD ReadDword(LPCWSTR name) {
    const Stored s = Read(name);
    DWORD v = 0xDEADBEEF;
    if (s.type == REG_DWORD && s.bytes.size() == 4)
        std::memcpy(&v, s.bytes.data(), 4);
    return v;
}

void WriteDword(LPCWSTR name, DWORD value) {
    HKEY key = OpenSettings();
    ASSERT_TRUE(key);
    RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void WriteBytes(LPCWSTR name, DWORD type, const void* data, DWORD size) {
    HKEY key = OpenSettings();
    ASSERT_TRUE(key);
    RegSetValueEx(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

class WifiSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteKey(HKEY_CURRENT_USER, kWifiSettingsKey);
        RegDeleteKey(HKEY_CURRENT_USER, kWifiRootKey);
        ResetWifiSettings();
    }
};

TEST_F(WifiSettingsTest, FirstRunWritesTheEightDefaultsAndReadsThemBack) {
    g_captureWidth = 1600; // Tessary's value of the shared global is of no concern here
    EXPECT_EQ(g_unitName[0], 0);
    CreateDefaultWifiSettings();
    const Stored units = Read(u"units");
    EXPECT_EQ(units.type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(units.bytes.size(), 6u); // "mm" and its terminator
    EXPECT_EQ(ReadDword(u"m_decimalnum"), 3u);
    EXPECT_EQ(ReadDword(u"m_line_type"), 0u);
    EXPECT_EQ(ReadDword(u"m_line_color"), 255u);
    EXPECT_EQ(ReadDword(u"m_line_width"), 2u);
    EXPECT_EQ(ReadDword(u"m_language_id"), 0u);
    EXPECT_EQ(ReadDword(u"m_sublanguage_id"), 0u);
    EXPECT_EQ(ReadDword(u"m_textfont_color"), 255u);
    LoadWifiSettings();
    EXPECT_EQ(std::u16string(g_unitName), u"mm");

    // The key exists now: a second first-run call writes nothing over a changed value.
    WriteDword(u"m_decimalnum", 5);
    CreateDefaultWifiSettings();
    EXPECT_EQ(ReadDword(u"m_decimalnum"), 5u);
}

TEST_F(WifiSettingsTest, ARootWithoutItsSettingKeyWritesAndReadsNothing) {
    HKEY root = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kWifiRootKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                             nullptr, &root, &disposition),
              ERROR_SUCCESS);
    RegCloseKey(root);
    CreateDefaultWifiSettings();
    LoadWifiSettings();
    EXPECT_EQ(OpenSettings(), nullptr);
    EXPECT_EQ(g_unitName[0], 0);
    EXPECT_EQ(g_decimalPlaces, 3);
    EXPECT_EQ(g_lineWidth, 2);
    SaveWifiSettings(); // no key: nothing, and no crash
    EXPECT_EQ(OpenSettings(), nullptr);
}

TEST_F(WifiSettingsTest, ReadingKeepsEachSettingApartAndRefusesWhatDoesNotFit) {
    CreateDefaultWifiSettings();
    WriteDword(u"m_line_type", 2);
    WriteDword(u"m_language_id", 0x00070007); // a high word of its own: only the low word counts
    WriteDword(u"m_sublanguage_id", 0x00010002);
    LoadWifiSettings();
    EXPECT_EQ(g_lineType, 2);
    EXPECT_EQ(g_languageId, 7);
    EXPECT_EQ(g_subLanguageId, 2);

    // Out of range, wrong type or unterminated: the setting stays as it was.
    struct Bad {
        LPCWSTR name;
        DWORD value;
    };
    for (const Bad& bad :
         {Bad{u"m_decimalnum", 1000000}, Bad{u"m_decimalnum", 2}, Bad{u"m_line_type", 7},
          Bad{u"m_line_width", 0}, Bad{u"m_line_width", 50}, Bad{u"m_line_color", 0xFF000000}})
        WriteDword(bad.name, bad.value);
    const WCHAR longUnit[12] = {u'm', u'i', u'l', u'l', u'i', u'm',
                                u'e', u't', u'r', u'e', u's', u'x'};
    WriteBytes(u"units", REG_SZ, longUnit, sizeof longUnit);
    LoadWifiSettings();
    EXPECT_EQ(g_decimalPlaces, 3);
    EXPECT_EQ(g_lineType, 2);
    EXPECT_EQ(g_lineWidth, 2);
    EXPECT_EQ(g_lineColor, 255u);
    EXPECT_EQ(std::u16string(g_unitName), u"mm");
    const DWORD number = 5;
    WriteBytes(u"units", REG_DWORD, &number, sizeof number);
    LoadWifiSettings();
    EXPECT_EQ(std::u16string(g_unitName), u"mm");
}

TEST_F(WifiSettingsTest, SavingWritesAllEightValues) {
    CreateDefaultWifiSettings();
    ms::CopyBounded(g_unitName, 12, u"inch");
    g_decimalPlaces = 6;
    g_lineType = 1;
    g_lineColor = 0x00FF00;
    g_lineWidth = 3;
    g_languageId = 22;
    g_subLanguageId = 0;
    g_textColor = 0xFF0000;
    SaveWifiSettings();
    const Stored units = Read(u"units");
    ASSERT_EQ(units.bytes.size(), 12u);
    EXPECT_EQ(units.bytes[0], 'i');
    EXPECT_EQ(units.bytes[8], 0);
    EXPECT_EQ(ReadDword(u"m_decimalnum"), 6u);
    EXPECT_EQ(ReadDword(u"m_line_type"), 1u);
    EXPECT_EQ(ReadDword(u"m_line_color"), 0x00FF00u);
    EXPECT_EQ(ReadDword(u"m_line_width"), 3u);
    EXPECT_EQ(ReadDword(u"m_language_id"), 22u);
    EXPECT_EQ(ReadDword(u"m_sublanguage_id"), 0u);
    EXPECT_EQ(ReadDword(u"m_textfont_color"), 0xFF0000u);

    ResetWifiSettings();
    LoadWifiSettings();
    EXPECT_EQ(std::u16string(g_unitName), u"inch");
    EXPECT_EQ(g_lineType, 1);
    EXPECT_EQ(g_textColor, 0xFF0000u);
}

TEST(WifiLanguageTest, FilesOfTheLanguageTable) {
    struct Case {
        WORD language, sub;
        const char16_t* file;
        const char16_t* help;
    };
    constexpr Case kCases[] = {
        {9, 0, u"English1252.ini", u"Q7-EN.CHM"},   {4, 1, u"Chinese950.ini", u"Q7-CH.CHM"},
        {4, 2, u"Chinese936.ini", u"Q7-CH.CHM"},    {4, 0, u"Chinese936.ini", u"Q7-CH.CHM"},
        {7, 0, u"German1252.ini", u"Q7-EN.CHM"},    {22, 1, u"Portuguese1252.ini", u"Q7-EN.CHM"},
        {31, 1, u"Turkish1254.ini", u"Q7-TUR.CHM"}, {42, 0, u"Vietnamese1258.ini", u"Q7-EN.CHM"},
        {2, 0, u"English1252.ini", u"Q7-EN.CHM"},   {58, 0, u"English1252.ini", u"Q7-EN.CHM"},
        {0, 0, u"English1252.ini", u"Q7-EN.CHM"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.language);
        SetWifiLanguage(c.language, c.sub);
        EXPECT_EQ(std::u16string(g_langFilePath), ms::ProgramDir() + u"/" + c.file);
        EXPECT_EQ(std::u16string(g_helpFilePath), ms::ProgramDir() + u"/" + c.help);
        EXPECT_EQ(std::u16string(g_snapshotExePath), ms::ProgramDir() + u"/SNAPSHOT.exe");
    }
}

TEST(WifiLanguageTest, StartupFollowsTheSystemUntilALanguageIsStored) {
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "de_DE.UTF-8", 1);
    g_languageId = 0;
    g_subLanguageId = 5;
    ChooseWifiStartupLanguage();
    EXPECT_EQ(std::u16string(g_langFilePath), ms::ProgramDir() + u"/German1252.ini");
    setenv("LANG", "sw_KE.UTF-8", 1); // no file of its own
    ChooseWifiStartupLanguage();
    EXPECT_EQ(std::u16string(g_langFilePath), ms::ProgramDir() + u"/English1252.ini");
    g_languageId = 4;
    g_subLanguageId = 1;
    ChooseWifiStartupLanguage();
    EXPECT_EQ(std::u16string(g_langFilePath), ms::ProgramDir() + u"/Chinese950.ini");
    unsetenv("LANG");
    g_languageId = g_subLanguageId = 0;
}

TEST(WifiLanguageTest, PortugueseAndTurkishStoreSubLanguageZero) {
    for (UINT id : {32826u, 32827u}) {
        const WifiLanguageCommand* row = FindWifiLanguageCommand(id);
        ASSERT_TRUE(row);
        EXPECT_EQ(row->subLanguage, 1);
        EXPECT_EQ(row->storedSubLanguage, 0);
    }
    EXPECT_EQ(FindWifiLanguageCommand(1180), nullptr);
}

TEST(WifiFoldersTest, FavoriteLiesBesideTheProgramOrInTheUsersDataFolder) {
    InitWifiFolders();
    const std::u16string program = ms::ProgramDir();
    EXPECT_EQ(std::u16string(g_paths.dataDir), program);
    EXPECT_EQ(std::u16string(g_paths.calibIniPath), program + u"/CalibrationIni.ini");
    for (const WCHAR* dir : {g_favoriteDir, g_paths.pictureDir, g_paths.videoDir})
        EXPECT_TRUE(std::filesystem::is_directory(ms::ToUtf8(dir))) << ms::ToUtf8(dir);
    EXPECT_EQ(std::u16string(g_paths.pictureDir), program + u"/Favorite/Picture");

    // A program folder that cannot take files: everything goes to the data folder instead.
    const std::string saved = ms::ToUtf8(program);
    const std::filesystem::path data = g_home / "data";
    ms::SetProgramName(u"Wavenor");
    setenv("MS_PROGRAM_DIR", (g_home / "no-such-folder").c_str(), 1);
    InitWifiFolders();
    EXPECT_EQ(ms::ToUtf8(g_paths.dataDir), (data / "Wavenor").string());
    EXPECT_TRUE(std::filesystem::is_directory(data / "Wavenor" / "Favorite" / "Video"));
    EXPECT_EQ(ms::ToUtf8(g_paths.calibIniPath), (data / "Wavenor" / "CalibrationIni.ini").string());
    // The language files still come from the program's own folder.
    SetWifiLanguage(7, 0);
    EXPECT_EQ(ms::ToUtf8(g_langFilePath), (g_home / "no-such-folder" / "German1252.ini").string());
    setenv("MS_PROGRAM_DIR", saved.c_str(), 1);
}

TEST(CameraLinkTest, DefaultsAndTheEnvironment) {
    unsetenv("WAVENOR_CAMERA_ADDRESS");
    unsetenv("WAVENOR_STREAM_PORT");
    unsetenv("WAVENOR_HTTP_PORT");
    CameraLink link = ReadCameraLink();
    EXPECT_EQ(StreamUrl(link), "http://192.168.1.1:8899");
    EXPECT_EQ(CommandUrl(link, 1, -3),
              "http://192.168.1.1:8899/?action=command&dest=0&plugin=0&id=1&group=01&value=-3");
    EXPECT_EQ(
        ResolutionUrl(link, 4),
        "http://192.168.1.1:80/apply.cgi?submit_button=media&change_action=&action=Apply"
        "&refresh_ddns=1&video_port=8899&video_idx=4&video_frame=10&only_stream=0&auth_need=0");

    setenv("WAVENOR_CAMERA_ADDRESS", "127.0.0.1", 1);
    setenv("WAVENOR_STREAM_PORT", "40123", 1);
    setenv("WAVENOR_HTTP_PORT", "99999", 1); // no port: the default stays
    link = ReadCameraLink();
    EXPECT_EQ(StreamUrl(link), "http://127.0.0.1:40123");
    EXPECT_EQ(link.httpPort, 80);
    setenv("WAVENOR_HTTP_PORT", "80x", 1);
    EXPECT_EQ(ReadCameraLink().httpPort, 80);
    unsetenv("WAVENOR_CAMERA_ADDRESS");
    unsetenv("WAVENOR_STREAM_PORT");
    unsetenv("WAVENOR_HTTP_PORT");
}

} // namespace
