#include "wifi/WifiSettings.h"

#include "measure/MeasureSettings.h"
#include "kit/RegistrySettings.h"
#include "measure/Units.h"

#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"

#include <cstring>

WORD g_languageId = 0;
WORD g_subLanguageId = 0;

namespace {

// "units" is stored as the first six characters of the unit, terminator included.
constexpr int kUnitChars = 6;

bool QueryDword(HKEY key, const WCHAR* name, DWORD& out) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return false;
    out = value;
    return true;
}

void QueryInt(HKEY key, const WCHAR* name, int& variable, int low, int high) {
    DWORD v = 0;
    if (!QueryDword(key, name, v))
        return;
    const int i = static_cast<int>(v);
    if (i >= low && i <= high)
        variable = i;
}

void QueryColor(HKEY key, const WCHAR* name, COLORREF& variable) {
    DWORD v = 0;
    if (QueryDword(key, name, v) && v <= 0xFFFFFF)
        variable = v;
}

void QueryWord(HKEY key, const WCHAR* name, WORD& variable) {
    DWORD v = 0;
    if (QueryDword(key, name, v))
        variable = LOWORD(v);
}

// The unit text: taken only when it is a REG_SZ that ends within the buffer of g_unitName.
void QueryUnit(HKEY key) {
    WCHAR unit[12] = {};
    static_assert(sizeof unit == sizeof g_unitName);
    DWORD type = 0, size = sizeof unit;
    if (RegQueryValueEx(key, u"units", nullptr, &type, reinterpret_cast<BYTE*>(unit), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ || size < sizeof(WCHAR))
        return;
    const size_t chars = size / sizeof(WCHAR);
    size_t length = 0;
    while (length < chars && unit[length] != 0)
        ++length;
    if (length == chars)
        return; // no terminator within what was stored
    std::memcpy(g_unitName, unit, sizeof unit);
}

void SetDword(HKEY key, const WCHAR* name, DWORD value) {
    RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

} // namespace

void ResetWifiSettings() {
    g_unitName[0] = 0;
    g_decimalPlaces = 3;
    g_lineType = 0;
    g_lineColor = 255;
    g_lineWidth = 2;
    g_languageId = 0;
    g_subLanguageId = 0;
    g_textColor = 255;
}

void CreateDefaultWifiSettings() {
    for (int attempt = 0; attempt < 2; ++attempt) {
        ms::OpenRegistryKey root(kWifiRootKey);
        if (root.get())
            return;
    }
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, kWifiSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_READ | KEY_WRITE, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return;
    static const WCHAR unit[] = u"mm"; // 6 bytes with the terminator
    RegSetValueEx(key, u"units", 0, REG_SZ, reinterpret_cast<const BYTE*>(unit), sizeof unit);
    SetDword(key, u"m_decimalnum", 3);
    SetDword(key, u"m_line_type", 0);
    SetDword(key, u"m_line_color", 255);
    SetDword(key, u"m_line_width", 2);
    SetDword(key, u"m_language_id", 0);
    SetDword(key, u"m_sublanguage_id", 0);
    SetDword(key, u"m_textfont_color", 255);
    RegCloseKey(key);
}

void LoadWifiSettings() {
    ms::OpenRegistryKey key(kWifiSettingsKey);
    if (!key.get())
        return;
    QueryUnit(key.get());
    QueryInt(key.get(), u"m_decimalnum", g_decimalPlaces, 3, 6);
    QueryInt(key.get(), u"m_line_type", g_lineType, 0, 2);
    QueryColor(key.get(), u"m_line_color", g_lineColor);
    QueryInt(key.get(), u"m_line_width", g_lineWidth, 1, 3);
    QueryWord(key.get(), u"m_language_id", g_languageId);
    QueryWord(key.get(), u"m_sublanguage_id", g_subLanguageId);
    QueryColor(key.get(), u"m_textfont_color", g_textColor);
}

void SaveWifiSettings() {
    ms::OpenRegistryKey key(kWifiSettingsKey);
    if (!key.get())
        return;
    WCHAR unit[kUnitChars] = {};
    ms::CopyBounded(unit, kUnitChars, g_unitName);
    RegSetValueEx(key.get(), u"units", 0, REG_SZ, reinterpret_cast<const BYTE*>(unit), sizeof unit);
    SetDword(key.get(), u"m_decimalnum", static_cast<DWORD>(g_decimalPlaces));
    SetDword(key.get(), u"m_line_type", static_cast<DWORD>(g_lineType));
    SetDword(key.get(), u"m_line_color", g_lineColor);
    SetDword(key.get(), u"m_line_width", static_cast<DWORD>(g_lineWidth));
    SetDword(key.get(), u"m_language_id", g_languageId);
    SetDword(key.get(), u"m_sublanguage_id", g_subLanguageId);
    SetDword(key.get(), u"m_textfont_color", g_textColor);
}
