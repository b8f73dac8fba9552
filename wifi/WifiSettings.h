// Wavenor's settings in the current user's registry: eight values under HKEY_CURRENT_USER
// "SOFTWARE\wifimicroscope\setting", one per process-wide setting that the program and its
// measurement views share. The unit, decimals, pen and text colour are the measurement core's
// globals (measure/Units.h, measure/MeasureSettings.h); the language pair is Wavenor's own.
//
// Registry failures are silent: a key that cannot be opened leaves the settings as they are.
// A value of the wrong type, of the wrong size or out of range leaves its setting unchanged,
// so a damaged store can never hand a label an absurd precision or a pen an absurd width.
#pragma once

#include "platform/win/WinTypes.h"

extern WORD g_languageId;    // primary language of the UI, 0 = follow the system
extern WORD g_subLanguageId; // sub-language (only Chinese looks at it)

inline constexpr const WCHAR* kWifiRootKey = u"SOFTWARE\\wifimicroscope";
inline constexpr const WCHAR* kWifiSettingsKey = u"SOFTWARE\\wifimicroscope\\setting";

// Wavenor's values before anything is read: unit empty, 3 decimals, solid red pen 2 pixels
// wide, red text, language 0/0. The program calls it once before its window starts, because
// the measurement core's globals start with Tessary's values.
void ResetWifiSettings();

// First run: when "SOFTWARE\wifimicroscope" cannot be opened (tried twice), creates
// "...\setting" and writes the eight defaults; when it exists nothing is written.
void CreateDefaultWifiSettings();
// Fills the eight settings from the registry ("units" must be a terminated text of at most
// five characters; decimals 3..6, line type 0..2, line width 1..3; the language values give
// their low word).
void LoadWifiSettings();
// Writes all eight settings ("units" as 12 bytes, the others as REG_DWORD); nothing when the
// key cannot be opened.
void SaveWifiSettings();
