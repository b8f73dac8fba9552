// The language of Tessary's user interface: the language file and help file that go with a
// Windows language id, the choice at start-up, and the language commands of the main window.
#pragma once

#include "platform/win/WinTypes.h"
#include "res/TessaryResource.h"

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
    {ID_LANG_ENGLISH, 9, 0},
    {ID_LANG_CHINESE_SIMPLIFIED, 4, 2},
    {ID_LANG_CHINESE_TRADITIONAL, 4, 1},
    {ID_LANG_JAPANESE, 17, 0},
    {ID_LANG_KOREAN, 18, 0},
    {ID_LANG_GERMAN, 7, 0},
    {ID_LANG_PORTUGUESE, 22, 0},
    {ID_LANG_TURKISH, 31, 0},
    {ID_LANG_THAI, 30, 0},
    {ID_LANG_RUSSIAN, 25, 0},
    {ID_LANG_BULGARIAN, 2, 0},
    {ID_LANG_PERSIAN, 58, 0},
};

// The captions of the main window's frames and of its scale label (buffers of 32 characters).
struct LangTextItem {
    int controlId;
    LPCWSTR key;
    LPCWSTR defaultText;
};
inline constexpr LangTextItem kFrameCaptions[] = {
    {IDC_FRAME_MEASURE, u"TipMeasure", u"Measure"},
    {IDC_FRAME_CALIBRATION, u"TipCalibration", u"Calibration"},
    {IDC_FRAME_AUTO, u"TipAutoMeasure", u"Auto Measure"},
    {IDC_FRAME_COMPARISON, u"TipComparison", u"Comparison"},
    {IDC_SCALE_LABEL, u"Rate", u"Scale:"},
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

    void OnLangEnglish() { OnLanguageCommand(ID_LANG_ENGLISH); }
    void OnLangChineseSimplified() { OnLanguageCommand(ID_LANG_CHINESE_SIMPLIFIED); }
    void OnLangChineseTraditional() { OnLanguageCommand(ID_LANG_CHINESE_TRADITIONAL); }
    void OnLangJapanese() { OnLanguageCommand(ID_LANG_JAPANESE); }
    void OnLangKorean() { OnLanguageCommand(ID_LANG_KOREAN); }
    void OnLangGerman() { OnLanguageCommand(ID_LANG_GERMAN); }
    void OnLangPortuguese() { OnLanguageCommand(ID_LANG_PORTUGUESE); }
    void OnLangTurkish() { OnLanguageCommand(ID_LANG_TURKISH); }
    void OnLangThai() { OnLanguageCommand(ID_LANG_THAI); }
    void OnLangRussian() { OnLanguageCommand(ID_LANG_RUSSIAN); }
    void OnLangBulgarian() { OnLanguageCommand(ID_LANG_BULGARIAN); }
    void OnLangPersian() { OnLanguageCommand(ID_LANG_PERSIAN); }
};
