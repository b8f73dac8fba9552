#include "measure/MeasureSettings.h"

#include "platform/win/core/Profile.h"
#include "platform/win/core/Registry.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::filesystem::path g_program = mstest::NewProgramDir(mstest::ProgramFiles::None);

const WCHAR* kFont = u"SOFTWARE\\varazizuziVe\\font";
const WCHAR* kUnits = u"SOFTWARE\\varazizuziVe\\Units";

class MeasureSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteKey(HKEY_CURRENT_USER, kFont);
        RegDeleteKey(HKEY_CURRENT_USER, kUnits);
        ms::CopyBounded(g_unitName, 12, u"mm");
        g_decimalPlaces = 3;
        g_lineColor = 0;
        g_lineWidth = 1;
        g_lineType = 0;
        g_measureTextColor = 0;
        g_fontSize = 16;
        g_textColor = 0x0000FF;
        g_measureFont = LOGFONTW{};
        g_textFont = LOGFONTW{};
    }

    static void CreateKeys() {
        for (const WCHAR* path : {kFont, kUnits}) {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                     nullptr, &key, nullptr),
                      ERROR_SUCCESS);
            RegCloseKey(key);
        }
    }
    static void SetRaw(const WCHAR* path, const WCHAR* name, DWORD type, const void* data,
                       DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        RegSetValueEx(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    static void SetDword(const WCHAR* path, const WCHAR* name, DWORD v) {
        SetRaw(path, name, REG_DWORD, &v, 4);
    }
    // The stored bytes and type of a value; empty when it is missing.
    static std::vector<BYTE> Raw(const WCHAR* path, const WCHAR* name, DWORD& type) {
        HKEY key = nullptr;
        std::vector<BYTE> bytes(64);
        if (RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return {};
        DWORD size = DWORD(bytes.size());
        const LONG r = RegQueryValueEx(key, name, nullptr, &type, bytes.data(), &size);
        RegCloseKey(key);
        if (r != ERROR_SUCCESS)
            return {};
        bytes.resize(size);
        return bytes;
    }
    static std::string FileText(const char* name) {
        std::ifstream in(g_program / name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
};

TEST_F(MeasureSettingsTest, UnitIsTwelveBytesOfRegSz) {
    CreateKeys();
    ms::CopyBounded(g_unitName, 12, u"cm");
    g_decimalPlaces = 4;
    WriteUnitSettings();
    DWORD type = 0;
    const std::vector<BYTE> unit = Raw(kUnits, u"unit", type);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(unit, (std::vector<BYTE>{0x63, 0, 0x6D, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    const std::vector<BYTE> decimal = Raw(kUnits, u"decimal", type);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(decimal, (std::vector<BYTE>{4, 0, 0, 0}));

    ms::CopyBounded(g_unitName, 12, u"mm");
    g_decimalPlaces = 3;
    ReadUnitSettings();
    EXPECT_EQ(std::u16string(g_unitName), u"cm");
    EXPECT_EQ(g_decimalPlaces, 4);
}

TEST_F(MeasureSettingsTest, RoundTripOfEveryValue) {
    CreateKeys();
    WriteLineColor(0x00FF00);
    WriteLineWidth(3);
    WriteLineType(2);
    WriteMeasureTextColor(0x123456);
    g_fontSize = 20;
    WriteFontSize();
    g_textColor = 0x00ABCDEF;
    WriteTextColor();
    g_fontSize = 16;
    g_textColor = 0;
    ReadLineColor();
    ReadLineWidth();
    ReadLineType();
    ReadMeasureTextColor();
    ReadFontSize();
    ReadTextColor();
    EXPECT_EQ(g_lineColor, 0x00FF00u);
    EXPECT_EQ(g_lineWidth, 3);
    EXPECT_EQ(g_lineType, 2);
    EXPECT_EQ(g_measureTextColor, 0x123456u);
    EXPECT_EQ(g_fontSize, 20);
    EXPECT_EQ(g_textColor, 0x00ABCDEFu);
}

TEST_F(MeasureSettingsTest, BadOrMissingValuesLeaveTheStartValues) {
    // No keys at all: nothing is read, and the writers create nothing.
    ReadUnitSettings();
    ReadLineWidth();
    WriteLineWidth(2);
    EXPECT_EQ(g_lineWidth, 1);
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyEx(HKEY_CURRENT_USER, kFont, 0, KEY_READ, &key), ERROR_SUCCESS);

    CreateKeys();
    SetDword(kFont, u"LineColor", 0x00FF00); // "Linewidth" missing
    ReadLineWidth();
    EXPECT_EQ(g_lineWidth, 1);

    struct Case {
        const WCHAR* name;
        DWORD type;
        std::vector<BYTE> bytes;
    } bad[] = {
        {u"Linewidth", REG_DWORD, {9, 0, 0, 0}},        // out of range
        {u"Linewidth", REG_SZ, {2, 0, 0, 0}},           // wrong type
        {u"Linewidth", REG_BINARY, {2, 0, 0, 0, 0, 0}}, // wrong type and size
    };
    for (const Case& c : bad) {
        SetRaw(kFont, c.name, c.type, c.bytes.data(), DWORD(c.bytes.size()));
        ReadLineWidth();
        EXPECT_EQ(g_lineWidth, 1);
    }

    SetDword(kUnits, u"decimal", 9);
    ReadUnitSettings();
    EXPECT_EQ(g_decimalPlaces, 3);

    const std::u16string longUnit(30, u'x');
    SetRaw(kUnits, u"unit", REG_SZ, longUnit.c_str(), DWORD((longUnit.size() + 1) * 2));
    ReadUnitSettings();
    EXPECT_EQ(std::u16string(g_unitName), u"mm");

    // Exactly 12 characters fill the buffer with no room for the terminator.
    const WCHAR unterminated[12] = {u'a', u'b', u'c', u'd', u'e', u'f',
                                    u'g', u'h', u'i', u'j', u'k', u'l'};
    SetRaw(kUnits, u"unit", REG_SZ, unterminated, sizeof unterminated);
    ReadUnitSettings();
    EXPECT_EQ(std::u16string(g_unitName), u"mm");

    SetRaw(kUnits, u"unit", REG_SZ, u"mil", 8);
    ReadUnitSettings();
    EXPECT_EQ(std::u16string(g_unitName), u"mil");
}

TEST_F(MeasureSettingsTest, FontFileRoundTripAndChecksum) {
    g_measureFont = DefaultLabelFont();
    WriteMeasureFont();
    const std::string text = FileText("Measurefont.ini");
    // 92 bytes as hex, then the checksum: the low byte of the sum of the bytes.
    const std::string expectedHex =
        "0E00000000000000000000000000000090010000000000860302013241007200690061006C00";
    EXPECT_NE(text.find("LOGFONT=" + expectedHex), std::string::npos) << text;
    EXPECT_NE(text.find(std::string(108, '0') + "46"), std::string::npos) << text;

    g_measureFont = LOGFONTW{};
    ASSERT_EQ(ReadMeasureFont(), 1);
    const LOGFONTW expected = DefaultLabelFont();
    EXPECT_EQ(std::memcmp(&g_measureFont, &expected, sizeof expected), 0);

    // The text font has its own file.
    EXPECT_EQ(ReadTextFont(), 0);
    g_textFont = DefaultLabelFont();
    g_textFont.lfHeight = -20;
    WriteTextFont();
    g_textFont = LOGFONTW{};
    ASSERT_EQ(ReadTextFont(), 1);
    EXPECT_EQ(g_textFont.lfHeight, -20);
}

TEST_F(MeasureSettingsTest, DamagedFontFileGivesAZeroFont) {
    g_measureFont = DefaultLabelFont();
    WriteMeasureFont();
    std::string text = FileText("Measurefont.ini");
    const size_t at = text.find("46", text.find("LOGFONT=") + 8 + 184);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 2, "47");
    std::ofstream(g_program / "Measurefont.ini", std::ios::binary) << text;

    g_measureFont = DefaultLabelFont();
    EXPECT_EQ(ReadMeasureFont(), 0);
    const LOGFONTW zero{};
    EXPECT_EQ(std::memcmp(&g_measureFont, &zero, sizeof zero), 0);
}

TEST_F(MeasureSettingsTest, FaceNameReadIsTerminated) {
    LOGFONTW f = DefaultLabelFont();
    for (WCHAR& c : f.lfFaceName)
        c = u'A';
    const std::u16string path = std::u16string(ms::FromUtf8((g_program / "logfont.ini").string()));
    ASSERT_TRUE(WritePrivateProfileStruct(u"FONT", u"LOGFONT", &f, sizeof f, path.c_str()));
    ASSERT_EQ(ReadTextFont(), 1);
    EXPECT_EQ(g_textFont.lfFaceName[LF_FACESIZE - 1], 0);
    EXPECT_EQ(g_textFont.lfFaceName[0], u'A');
}

} // namespace
