#include "kit/RegistrySettings.h"

#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const WCHAR* kRoot = u"SOFTWARE\\varazizuziVe";
const WCHAR* kFont = u"SOFTWARE\\varazizuziVe\\font";
const WCHAR* kLanguage = u"SOFTWARE\\varazizuziVe\\LanguageID";
const WCHAR* kUnits = u"SOFTWARE\\varazizuziVe\\Units";

struct Value {
    bool found = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
    DWORD Dword() const {
        DWORD v = 0;
        if (bytes.size() == sizeof v)
            std::memcpy(&v, bytes.data(), sizeof v);
        return v;
    }
};

Value Query(const WCHAR* path, const WCHAR* name) {
    Value v;
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return v;
    DWORD size = 64;
    v.bytes.resize(size);
    if (RegQueryValueEx(key, name, nullptr, &v.type, v.bytes.data(), &size) == ERROR_SUCCESS) {
        v.found = true;
        v.bytes.resize(size);
    }
    RegCloseKey(key);
    return v;
}

void Set(const WCHAR* path, const WCHAR* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueEx(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void SetDword(const WCHAR* path, const WCHAR* name, DWORD value) {
    Set(path, name, REG_DWORD, &value, sizeof value);
}

bool KeyExists(const WCHAR* path) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

class RegistrySettingsTest : public testing::Test {
protected:
    void SetUp() override {
        for (const WCHAR* path : {kFont, kLanguage, kUnits, kRoot})
            RegDeleteKey(HKEY_CURRENT_USER, path);
        ASSERT_FALSE(KeyExists(kRoot));
        g_imageFormat = 2;
        g_snapEnable = 0;
        g_showCalibPrompt = 1;
    }
};

TEST_F(RegistrySettingsTest, FirstRunWritesExactlyTheDefaults) {
    CreateDefaultSettings();
    struct Expected {
        const WCHAR* path;
        const WCHAR* name;
        DWORD value;
    };
    const Expected dwords[] = {
        {kFont, u"fontcolor", 255},       {kFont, u"LineColor", 255},
        {kFont, u"MeasureTxtColor", 255}, {kFont, u"fontsize", 16},
        {kFont, u"Linewidth", 2},         {kFont, u"Linetype", 0},
        {kLanguage, u"LanID", 0},         {kLanguage, u"SubLanIDD", 0},
        {kLanguage, u"ImageFormat", 2},   {kLanguage, u"IsEnableSnap", 0},
        {kLanguage, u"sys_date", 1},      {kUnits, u"decimal", 3},
    };
    for (const Expected& e : dwords) {
        const Value v = Query(e.path, e.name);
        ASSERT_TRUE(v.found) << ms::ToUtf8(e.name);
        EXPECT_EQ(v.type, REG_DWORD);
        EXPECT_EQ(v.bytes.size(), 4u);
        EXPECT_EQ(v.Dword(), e.value);
    }
    const Value unit = Query(kUnits, u"unit");
    ASSERT_TRUE(unit.found);
    EXPECT_EQ(unit.type, REG_SZ);
    const BYTE mm[] = {'m', 0, 'm', 0, 0, 0};
    EXPECT_EQ(unit.bytes, std::vector<BYTE>(std::begin(mm), std::end(mm)));
}

TEST_F(RegistrySettingsTest, AnExistingKeyGetsNoDefaultsEvenWithSubkeysMissing) {
    SetDword(kLanguage, u"ImageFormat", 1);
    CreateDefaultSettings();
    EXPECT_FALSE(KeyExists(kUnits));
    EXPECT_FALSE(KeyExists(kFont));
    EXPECT_FALSE(Query(kLanguage, u"sys_date").found);
    EXPECT_EQ(Query(kLanguage, u"ImageFormat").Dword(), 1u);
}

TEST_F(RegistrySettingsTest, LanguageIdsTakeTheLow16Bits) {
    CreateDefaultSettings();
    SetDword(kLanguage, u"LanID", 0x00070004);
    SetDword(kLanguage, u"SubLanIDD", 0x00010002);
    WORD lang = 99, sub = 99;
    LoadLanguageIds(lang, sub);
    EXPECT_EQ(lang, 4);
    EXPECT_EQ(sub, 2);

    SaveLanguageIds(25, 1);
    EXPECT_EQ(Query(kLanguage, u"LanID").Dword(), 25u);
    EXPECT_EQ(Query(kLanguage, u"SubLanIDD").Dword(), 1u);
}

TEST_F(RegistrySettingsTest, MissingKeyOrValueLeavesVariablesAndWritesNothing) {
    WORD lang = 7, sub = 3;
    LoadLanguageIds(lang, sub);
    g_imageFormat = 1;
    LoadImageFormat();
    LoadSnapEnable();
    LoadShowCalibPrompt();
    EXPECT_EQ(lang, 7);
    EXPECT_EQ(sub, 3);
    EXPECT_EQ(g_imageFormat, 1);
    EXPECT_EQ(g_snapEnable, 0);
    EXPECT_EQ(g_showCalibPrompt, 1);

    SaveLanguageIds(9, 0);
    SaveImageFormat();
    SaveSnapEnable();
    EXPECT_FALSE(KeyExists(kLanguage)); // writers never create the subkey
}

TEST_F(RegistrySettingsTest, ImageFormatIsRangeCheckedAndRoundTrips) {
    CreateDefaultSettings();
    g_imageFormat = 1;
    SaveImageFormat();
    g_imageFormat = 2;
    LoadImageFormat();
    EXPECT_EQ(g_imageFormat, 1); // BMP chosen, BMP at the next start

    for (DWORD bad : {0u, 3u, 0xFFFFFFFFu}) {
        SetDword(kLanguage, u"ImageFormat", bad);
        LoadImageFormat();
        EXPECT_EQ(g_imageFormat, 1) << bad;
    }
    const WCHAR text[] = u"2";
    Set(kLanguage, u"ImageFormat", REG_SZ, text, sizeof text);
    LoadImageFormat();
    EXPECT_EQ(g_imageFormat, 1); // only a REG_DWORD of 4 bytes counts
}

TEST_F(RegistrySettingsTest, SwitchesRoundTrip) {
    CreateDefaultSettings();
    g_snapEnable = 1;
    SaveSnapEnable();
    g_snapEnable = 0;
    LoadSnapEnable();
    EXPECT_EQ(g_snapEnable, 1);

    SetDword(kLanguage, u"sys_date", 0);
    LoadShowCalibPrompt();
    EXPECT_EQ(g_showCalibPrompt, 0);
}

} // namespace
