// The language of Wavenor's user interface: the language file, help file and sibling
// snapshot program that go with a Windows language id, and the table of the main window's
// language commands.
#pragma once

#include "platform/win/WinTypes.h"

extern WCHAR g_helpFilePath[MAX_PATH];    // the help file of the language (nothing opens it)
extern WCHAR g_snapshotExePath[MAX_PATH]; // the sibling snapshot program beside Wavenor

// Language file of a primary language id; Chinese (4) with sub-language 1 is the traditional
// file, any other sub-language the simplified one; ids outside the table give English.
LPCWSTR WifiLanguageFileName(WORD language, WORD subLanguage);
// "Q7-CH.CHM" for Chinese, "Q7-TUR.CHM" for Turkish, "Q7-EN.CHM" for every other language.
LPCWSTR WifiHelpFileName(WORD language);

// Points g_snapshotExePath, g_langFilePath and g_helpFilePath at the files in the program
// folder (the folder of the executable, where the language files are installed).
void SetWifiLanguage(WORD language, WORD subLanguage);

// The language chosen at start-up: the stored pair when the language id is not 0, else the
// system's language (the low 10 bits of its id) with sub-language 0.
void ChooseWifiStartupLanguage();

// One row per language command of the main window, in menu order: what it passes to the
// language choice and what it stores as the setting (Portuguese and Turkish store
// sub-language 0 although they choose with 1).
struct WifiLanguageCommand {
    UINT id;
    WORD language, subLanguage;             // passed to SetWifiLanguage
    WORD storedLanguage, storedSubLanguage; // stored in g_languageId / g_subLanguageId
};
inline constexpr WifiLanguageCommand kWifiLanguageCommands[] = {
    {1173, 9, 0, 9, 0},   {1174, 4, 2, 4, 2},    {1175, 25, 0, 25, 0},
    {1176, 17, 0, 17, 0}, {1177, 18, 0, 18, 0},  {1178, 7, 0, 7, 0},
    {1179, 4, 1, 4, 1},   {32826, 22, 1, 22, 0}, {32827, 31, 1, 31, 0},
};
// The row of a command id, or null.
const WifiLanguageCommand* FindWifiLanguageCommand(UINT id);
