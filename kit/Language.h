// The language of Tessary's user interface: the language file and help file that go with a
// Windows language id, the choice at start-up, and the language commands of the main window.
#pragma once

#include "platform/win/WinTypes.h"

#include <functional>

// Language file of a primary language id (the low 10 bits of a Windows language id); for
// Chinese (4) the sub-language 1 gives traditional, any other simplified. Ids outside the
// table give English.
LPCWSTR LanguageFileName(WORD primary, WORD subLanguage);
// "Tessary-CN.CHM" for Chinese with sub-language 2, "Tessary-EN.CHM" for every other choice.
LPCWSTR HelpFileName(WORD primary, WORD subLanguage);

// The language commands of the main window, in the order of its language menu.
struct LanguageCommand {
    UINT id;
    WORD primary;
    WORD subLanguage;
};
inline constexpr LanguageCommand kLanguageCommands[] = {
    {1301, 9, 0},  {1302, 4, 2},  {1351, 4, 1},  {1303, 17, 0}, {1304, 18, 0}, {1305, 7, 0},
    {1306, 22, 0}, {1313, 31, 0}, {1308, 30, 0}, {1352, 25, 0}, {1353, 2, 0},  {1359, 58, 0},
};

// The captions of the main window's frames and of its scale label (buffers of 32 characters).
struct LangTextItem {
    int controlId;
    LPCWSTR key;
    LPCWSTR defaultText;
};
inline constexpr LangTextItem kFrameCaptions[] = {
    {1203, u"TipMeasure", u"Measure"},
    {1148, u"TipCalibration", u"Calibration"},
    {1248, u"TipAutoMeasure", u"Auto Measure"},
    {1247, u"TipComparison", u"Comparison"},
    {1350, u"Rate", u"Scale:"},
};

// The main window's language state. The main window owns one and forwards its language
// commands to it; the window's text reload (its LoadLangTexts) is hooked in as onTextsChanged.
class CLanguageChoice {
public:
    WORD m_langId = 0; // as last read from the registry
    WORD m_subLangId = 0;
    WCHAR m_helpPath[MAX_PATH]{}; // the help file of the language, beside the program
    std::function<void()> onTextsChanged;

    // "LanID" and "SubLanIDD" into m_langId and m_subLangId.
    void LoadLanguageIds();
    // Stores the choice in the registry (m_langId and m_subLangId stay as they are) and points
    // g_langFilePath and m_helpPath at the language's files in the program folder.
    void SetLanguage(WORD primary, WORD subLanguage);
    // The registry's choice when "LanID" is not 0, else the system's default language with
    // sub-language 0, which is then stored, so later starts no longer follow the system.
    void ChooseStartupLanguage();
    // A language command: forget the current files, choose the command's language, then reload
    // the main window's texts. False (and nothing changed) for an id that is no language command.
    bool OnLanguageCommand(UINT commandId);

    void OnLangEnglish() { OnLanguageCommand(1301); }
    void OnLangChineseSimplified() { OnLanguageCommand(1302); }
    void OnLangChineseTraditional() { OnLanguageCommand(1351); }
    void OnLangJapanese() { OnLanguageCommand(1303); }
    void OnLangKorean() { OnLanguageCommand(1304); }
    void OnLangGerman() { OnLanguageCommand(1305); }
    void OnLangPortuguese() { OnLanguageCommand(1306); }
    void OnLangTurkish() { OnLanguageCommand(1313); }
    void OnLangThai() { OnLanguageCommand(1308); }
    void OnLangRussian() { OnLanguageCommand(1352); }
    void OnLangBulgarian() { OnLanguageCommand(1353); }
    void OnLangPersian() { OnLanguageCommand(1359); }
};
