#include "kit/RegistrySettings.h"

#include "platform/win/core/Registry.h"

#include <climits>

int g_imageFormat = 2;
int g_snapEnable = 0;
int g_showCalibPrompt = 1;

namespace {

constexpr const WCHAR* kRootKey = u"SOFTWARE\\varazizuziVe";
constexpr const WCHAR* kFontKey = u"SOFTWARE\\varazizuziVe\\font";
constexpr const WCHAR* kLanguageKey = u"SOFTWARE\\varazizuziVe\\LanguageID";
constexpr const WCHAR* kUnitsKey = u"SOFTWARE\\varazizuziVe\\Units";

// A REG_DWORD of exactly 4 bytes, else false.
bool ReadDword(const WCHAR* path, const WCHAR* name, DWORD& out) {
    ms::OpenRegistryKey key(path);
    if (!key.get())
        return false;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueEx(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return false;
    out = value;
    return true;
}

void ReadInt(const WCHAR* path, const WCHAR* name, int& variable, int low, int high) {
    DWORD v = 0;
    if (!ReadDword(path, name, v))
        return;
    const int i = static_cast<int>(v);
    if (i >= low && i <= high)
        variable = i;
}

void SetDword(HKEY key, const WCHAR* name, DWORD value) {
    RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void WriteDword(const WCHAR* path, const WCHAR* name, DWORD value) {
    ms::OpenRegistryKey key(path);
    if (key.get())
        SetDword(key.get(), name, value);
}

// Creates (or opens) a subkey, writes into it and closes it.
template <typename Fill> void WriteNewKey(const WCHAR* path, Fill fill) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_READ | KEY_WRITE, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return;
    fill(key);
    RegCloseKey(key);
}

} // namespace

// The two flags are switches: any stored number counts, as the program has always taken them.
void LoadShowCalibPrompt() {
    ReadInt(kLanguageKey, u"sys_date", g_showCalibPrompt, INT_MIN, INT_MAX);
}
void LoadSnapEnable() {
    ReadInt(kLanguageKey, u"IsEnableSnap", g_snapEnable, INT_MIN, INT_MAX);
}
void SaveSnapEnable() {
    WriteDword(kLanguageKey, u"IsEnableSnap", static_cast<DWORD>(g_snapEnable));
}

void LoadImageFormat() {
    ReadInt(kLanguageKey, u"ImageFormat", g_imageFormat, 1, 2);
}
void SaveImageFormat() {
    WriteDword(kLanguageKey, u"ImageFormat", static_cast<DWORD>(g_imageFormat));
}

void LoadLanguageIds(WORD& langId, WORD& subLangId) {
    DWORD v = 0;
    if (ReadDword(kLanguageKey, u"LanID", v))
        langId = LOWORD(v);
    if (ReadDword(kLanguageKey, u"SubLanIDD", v))
        subLangId = LOWORD(v);
}

void SaveLanguageIds(WORD primary, WORD subLanguage) {
    ms::RegistryBatch batch; // both values in one write
    ms::OpenRegistryKey key(kLanguageKey);
    if (!key.get())
        return;
    SetDword(key.get(), u"LanID", primary);
    SetDword(key.get(), u"SubLanIDD", subLanguage);
}

void CreateDefaultSettings() {
    for (int attempt = 0; attempt < 2; ++attempt) {
        ms::OpenRegistryKey root(kRootKey);
        if (root.get())
            return;
    }
    // A first start writes the settings file once, not once per value.
    ms::RegistryBatch batch;
    WriteNewKey(kFontKey, [](HKEY key) {
        SetDword(key, u"fontcolor", 255);
        SetDword(key, u"LineColor", 255);
        SetDword(key, u"MeasureTxtColor", 255);
        SetDword(key, u"fontsize", 16);
        SetDword(key, u"Linewidth", 2);
        SetDword(key, u"Linetype", 0);
    });
    WriteNewKey(kLanguageKey, [](HKEY key) {
        SetDword(key, u"LanID", 0);
        SetDword(key, u"SubLanIDD", 0);
        SetDword(key, u"ImageFormat", 2);
        SetDword(key, u"IsEnableSnap", 0);
        SetDword(key, u"sys_date", 1);
    });
    WriteNewKey(kUnitsKey, [](HKEY key) {
        static const WCHAR unit[] = u"mm"; // 6 bytes with the terminator
        RegSetValueEx(key, u"unit", 0, REG_SZ, reinterpret_cast<const BYTE*>(unit), sizeof unit);
        SetDword(key, u"decimal", 3);
    });
}
