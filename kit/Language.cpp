#include "kit/Language.h"

#include "kit/LangText.h"
#include "kit/RegistrySettings.h"

#include "platform/win/core/Locale.h"

#include <string>

namespace {

struct LanguageFile {
    WORD primary;
    LPCWSTR file;
};

// Chinese (4) is decided by the sub-language in LanguageFileName.
constexpr LanguageFile kLanguageFiles[] = {
    {1, u"Arabic1256.ini"},     {2, u"Bulgarian442.ini"},    {6, u"Danish1252.ini"},
    {7, u"German1252.ini"},     {10, u"Spanish1252.ini"},    {11, u"Finnish1252.ini"},
    {12, u"French1252.ini"},    {13, u"Hebrew1255.ini"},     {16, u"Italian1252.ini"},
    {17, u"Japanese932.ini"},   {18, u"Korean949.ini"},      {19, u"Dutch1252.ini"},
    {20, u"Norwegian1252.ini"}, {21, u"Polish1250.ini"},     {22, u"Portuguese1252.ini"},
    {25, u"Russian1251.ini"},   {29, u"Swedish1252.ini"},    {30, u"Thai874.ini"},
    {31, u"Turkish1254.ini"},   {42, u"Vietnamese1258.ini"}, {58, u"Persian874.ini"},
};

} // namespace

LPCWSTR LanguageFileName(WORD primary, WORD subLanguage) {
    if (primary == 4)
        return subLanguage == 1 ? u"Chinese950.ini" : u"Chinese936.ini";
    for (const LanguageFile& entry : kLanguageFiles)
        if (entry.primary == primary)
            return entry.file;
    return u"English1252.ini";
}

LPCWSTR HelpFileName(WORD primary, WORD subLanguage) {
    return primary == 4 && subLanguage == 2 ? u"Tessary-CN.CHM" : u"Tessary-EN.CHM";
}

void CLanguageChoice::LoadLanguageIds() {
    ::LoadLanguageIds(m_langId, m_subLangId);
}

void CLanguageChoice::SetLanguage(WORD primary, WORD subLanguage) {
    SaveLanguageIds(primary, subLanguage);
    ProgramFilePath(g_langFilePath, LanguageFileName(primary, subLanguage));
    ProgramFilePath(m_helpPath, HelpFileName(primary, subLanguage));
}

void CLanguageChoice::ChooseStartupLanguage() {
    if (m_langId != 0)
        SetLanguage(m_langId, m_subLangId);
    else
        SetLanguage(PRIMARYLANGID(GetSystemDefaultLangID()), 0);
}

bool CLanguageChoice::OnLanguageCommand(UINT commandId) {
    for (const LanguageCommand& command : kLanguageCommands) {
        if (command.id != commandId)
            continue;
        g_langFilePath[0] = 0;
        m_helpPath[0] = 0;
        SetLanguage(command.primary, command.subLanguage);
        if (onTextsChanged)
            onTextsChanged();
        return true;
    }
    return false;
}
