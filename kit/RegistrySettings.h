// Tessary's settings in the current user's registry, key HKEY_CURRENT_USER
// "SOFTWARE\varazizuziVe" with the subkeys "font", "LanguageID" and "Units". The values of
// "font" and "Units" belong to the measurement settings (measure/MeasureSettings.h); this file
// holds the values of "LanguageID" and the first-run defaults of all three.
//
// Every reader and writer opens its subkey, reads or writes one value and closes it again; none
// creates a missing subkey. A missing key or value leaves the variable as it was and nothing is
// reported. Only REG_DWORD values of exactly 4 bytes are taken, and values used as choices are
// range-checked: one out of range leaves the variable unchanged.
#pragma once

#include "platform/win/core/Registry.h"

namespace ms {
// An existing subkey of HKEY_CURRENT_USER opened for reading and writing, closed with the
// scope; get() is null when it could not be opened (a missing key is never created here).
class OpenRegistryKey {
public:
    explicit OpenRegistryKey(const WCHAR* path) {
        if (RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ | KEY_WRITE, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~OpenRegistryKey() {
        if (m_key)
            RegCloseKey(m_key);
    }
    OpenRegistryKey(const OpenRegistryKey&) = delete;
    OpenRegistryKey& operator=(const OpenRegistryKey&) = delete;
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};
} // namespace ms

extern int g_imageFormat;     // file format of snapshots: 1 BMP, 2 JPEG; 2 at start
extern int g_snapEnable;      // 1 = the device's snapshot button takes pictures; 0 at start
extern int g_showCalibPrompt; // 1 = the calibration prompt shows at start-up; 1 at start

void LoadShowCalibPrompt(); // "sys_date"
void LoadSnapEnable();      // "IsEnableSnap"
void SaveSnapEnable();
void LoadImageFormat(); // "ImageFormat", 1 or 2
void SaveImageFormat();

// "LanID" and "SubLanIDD"; each REG_DWORD gives its low 16 bits. A missing value leaves its
// argument unchanged.
void LoadLanguageIds(WORD& langId, WORD& subLangId);
void SaveLanguageIds(WORD primary, WORD subLanguage);

// Writes the first-run values when the program's key is missing (tried twice); when the key
// exists nothing is written, whatever its subkeys hold.
void CreateDefaultSettings();
