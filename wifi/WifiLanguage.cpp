#include "wifi/WifiLanguage.h"

#include "wifi/WifiSettings.h"

#include "kit/LangText.h"

#include "platform/win/core/Locale.h"

#include <string>

WCHAR g_helpFilePath[MAX_PATH];
WCHAR g_snapshotExePath[MAX_PATH];

namespace {

struct LanguageFile {
    WORD language;
    LPCWSTR file;
};

// Chinese (4) is decided by the sub-language in WifiLanguageFileName.
constexpr LanguageFile kLanguageFiles[] = {
    {1, u"Arabic1256.ini"},      {6, u"Danish1252.ini"},      {7, u"German1252.ini"},
    {10, u"Spanish1252.ini"},    {11, u"Finnish1252.ini"},    {12, u"French1252.ini"},
    {13, u"Hebrew1255.ini"},     {16, u"Italian1252.ini"},    {17, u"Japanese932.ini"},
    {18, u"Korean949.ini"},      {19, u"Dutch1252.ini"},      {20, u"Norwegian1252.ini"},
    {21, u"Polish1250.ini"},     {22, u"Portuguese1252.ini"}, {25, u"Russian1251.ini"},
    {29, u"Swedish1252.ini"},    {30, u"Thai874.ini"},        {31, u"Turkish1254.ini"},
    {42, u"Vietnamese1258.ini"},
};

} // namespace

LPCWSTR WifiLanguageFileName(WORD language, WORD subLanguage) {
    if (language == 4)
        return subLanguage == 1 ? u"Chinese950.ini" : u"Chinese936.ini";
    for (const LanguageFile& entry : kLanguageFiles)
        if (entry.language == language)
            return entry.file;
    return u"English1252.ini";
}

LPCWSTR WifiHelpFileName(WORD language) {
    if (language == 4)
        return u"Q7-CH.CHM";
    return language == 31 ? u"Q7-TUR.CHM" : u"Q7-EN.CHM";
}

void SetWifiLanguage(WORD language, WORD subLanguage) {
    ProgramFilePath(g_snapshotExePath, u"SNAPSHOT.exe");
    ProgramFilePath(g_langFilePath, WifiLanguageFileName(language, subLanguage));
    ProgramFilePath(g_helpFilePath, WifiHelpFileName(language));
}

void ChooseWifiStartupLanguage() {
    if (g_languageId != 0)
        SetWifiLanguage(g_languageId, g_subLanguageId);
    else
        SetWifiLanguage(PRIMARYLANGID(GetSystemDefaultLangID()), 0);
}

const WifiLanguageCommand* FindWifiLanguageCommand(UINT id) {
    for (const WifiLanguageCommand& row : kWifiLanguageCommands)
        if (row.id == id)
            return &row;
    return nullptr;
}
