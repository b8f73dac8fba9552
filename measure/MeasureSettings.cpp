#include "measure/MeasureSettings.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Profile.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"

#include <climits>
#include <cstring>
#include <string>

COLORREF g_lineColor = 0x000000;
int g_lineWidth = 1;
int g_lineType = 0;
COLORREF g_measureTextColor = 0x000000;
COLORREF g_textColor = 0x0000FF;
LOGFONTW g_measureFont{};
LOGFONTW g_textFont{};
int g_detectRange = 20;
double g_actualDistance = 0.0;

namespace {

constexpr const WCHAR* kFontKey = u"SOFTWARE\\varazizuziVe\\font";
constexpr const WCHAR* kUnitsKey = u"SOFTWARE\\varazizuziVe\\Units";
constexpr DWORD kUnitBytes = 12; // "unit" is stored as 6 UTF-16 units, terminator included

// An open registry key, closed with the scope. Readers and writers alike open the existing
// key for reading and writing; none creates it.
class Key {
public:
    explicit Key(const WCHAR* path) {
        if (RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ | KEY_WRITE, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~Key() {
        if (m_key)
            RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return m_key != nullptr; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// A REG_DWORD of exactly 4 bytes, else nothing.
bool QueryDword(const Key& key, const WCHAR* name, DWORD& out) {
    if (!key)
        return false;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueEx(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof value)
        return false;
    out = value;
    return true;
}

void ReadDword(const WCHAR* path, const WCHAR* name, DWORD& global) {
    Key key(path);
    DWORD v = 0;
    if (QueryDword(key, name, v))
        global = v;
}

void ReadInt(const WCHAR* path, const WCHAR* name, int& global, int low, int high) {
    Key key(path);
    DWORD v = 0;
    if (QueryDword(key, name, v)) {
        const int i = static_cast<int>(v);
        if (i >= low && i <= high)
            global = i;
    }
}

void WriteDword(const WCHAR* path, const WCHAR* name, DWORD value) {
    Key key(path);
    if (key)
        RegSetValueEx(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                      sizeof value);
}

std::u16string FontPath(const WCHAR* file) {
    return ms::ProgramDataDir() + u"/" + file;
}

int ReadFont(const WCHAR* file, LOGFONTW& global) {
    global = LOGFONTW{};
    LOGFONTW font{};
    const std::u16string path = FontPath(file);
    if (!GetPrivateProfileStruct(u"FONT", u"LOGFONT", &font, sizeof font, path.c_str()))
        return 0;
    // The face name from a file may lack its terminator.
    font.lfFaceName[LF_FACESIZE - 1] = 0;
    global = font;
    return 1;
}

void WriteFont(const WCHAR* file, const LOGFONTW& font) {
    LOGFONTW copy = font;
    const std::u16string path = FontPath(file);
    WritePrivateProfileStruct(u"FONT", u"LOGFONT", &copy, sizeof copy, path.c_str());
}

} // namespace

void ReadUnitSettings() {
    Key key(kUnitsKey);
    if (key) {
        WCHAR unit[12] = {};
        DWORD type = 0, size = sizeof unit;
        if (RegQueryValueEx(key.get(), u"unit", nullptr, &type, reinterpret_cast<BYTE*>(unit),
                            &size) == ERROR_SUCCESS &&
            type == REG_SZ && size <= sizeof unit) {
            // Taken only when terminated within the bytes read (and so within the buffer).
            const size_t units = size / sizeof(WCHAR);
            size_t n = 0;
            while (n < units && unit[n] != 0)
                ++n;
            if (n < units)
                ms::CopyBounded(g_unitName, 12, unit);
        }
    }
    DWORD decimals = 0;
    if (QueryDword(key, u"decimal", decimals) && decimals >= 2 && decimals <= 5)
        g_decimalPlaces = static_cast<int>(decimals);
}

void ReadLineColor() {
    ReadDword(kFontKey, u"LineColor", g_lineColor);
}
void ReadLineWidth() {
    ReadInt(kFontKey, u"Linewidth", g_lineWidth, 1, 3);
}
void ReadLineType() {
    ReadInt(kFontKey, u"Linetype", g_lineType, INT_MIN, INT_MAX);
}
void ReadMeasureTextColor() {
    ReadDword(kFontKey, u"MeasureTxtColor", g_measureTextColor);
}
void ReadFontSize() {
    ReadInt(kFontKey, u"fontsize", g_fontSize, INT_MIN, INT_MAX);
}
void ReadTextColor() {
    ReadDword(kFontKey, u"fontcolor", g_textColor);
}

void WriteUnitSettings() {
    Key key(kUnitsKey);
    if (!key)
        return;
    WCHAR unit[kUnitBytes / sizeof(WCHAR)] = {};
    size_t n = 0;
    while (n < 12 && g_unitName[n] != 0)
        ++n;
    ms::CopyBounded(unit, kUnitBytes / sizeof(WCHAR), std::u16string_view(g_unitName, n));
    RegSetValueEx(key.get(), u"unit", 0, REG_SZ, reinterpret_cast<const BYTE*>(unit), kUnitBytes);
    const DWORD decimals = static_cast<DWORD>(g_decimalPlaces);
    RegSetValueEx(key.get(), u"decimal", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&decimals),
                  sizeof decimals);
}

void WriteFontSize() {
    WriteDword(kFontKey, u"fontsize", static_cast<DWORD>(g_fontSize));
}
void WriteTextColor() {
    WriteDword(kFontKey, u"fontcolor", g_textColor);
}
void WriteLineColor(COLORREF color) {
    WriteDword(kFontKey, u"LineColor", color);
}
void WriteLineWidth(int width) {
    WriteDword(kFontKey, u"Linewidth", static_cast<DWORD>(width));
}
void WriteLineType(int style) {
    WriteDword(kFontKey, u"Linetype", static_cast<DWORD>(style));
}
void WriteMeasureTextColor(COLORREF color) {
    WriteDword(kFontKey, u"MeasureTxtColor", color);
}

int ReadTextFont() {
    return ReadFont(u"logfont.ini", g_textFont);
}
int ReadMeasureFont() {
    return ReadFont(u"Measurefont.ini", g_measureFont);
}
void WriteTextFont() {
    WriteFont(u"logfont.ini", g_textFont);
}
void WriteMeasureFont() {
    WriteFont(u"Measurefont.ini", g_measureFont);
}

LOGFONTW DefaultLabelFont() {
    LOGFONTW f{};
    f.lfHeight = 14;
    f.lfWeight = 400;
    f.lfCharSet = 134;
    f.lfOutPrecision = 3;
    f.lfClipPrecision = 2;
    f.lfQuality = 1;
    f.lfPitchAndFamily = 0x32;
    ms::CopyBounded(f.lfFaceName, LF_FACESIZE, u"Arial");
    return f;
}
