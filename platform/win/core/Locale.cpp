#include "platform/win/core/Locale.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace {

struct Language {
    const char* code; // ISO 639 code as in POSIX locale names
    WORD primary;
};

// Every language that has a language file, under the ids the file table uses.
constexpr Language kLanguages[] = {
    {"ar", LANG_ARABIC},     {"bg", LANG_BULGARIAN}, {"zh", LANG_CHINESE}, {"da", LANG_DANISH},
    {"de", LANG_GERMAN},     {"en", LANG_ENGLISH},   {"es", LANG_SPANISH}, {"fi", LANG_FINNISH},
    {"fr", LANG_FRENCH},     {"he", LANG_HEBREW},    {"iw", LANG_HEBREW},  {"it", LANG_ITALIAN},
    {"ja", LANG_JAPANESE},   {"ko", LANG_KOREAN},    {"nl", LANG_DUTCH},   {"no", LANG_NORWEGIAN},
    {"nb", LANG_NORWEGIAN},  {"nn", LANG_NORWEGIAN}, {"pl", LANG_POLISH},  {"pt", LANG_PORTUGUESE},
    {"ru", LANG_RUSSIAN},    {"sv", LANG_SWEDISH},   {"th", LANG_THAI},    {"tr", LANG_TURKISH},
    {"vi", LANG_VIETNAMESE}, {"fa", LANG_PERSIAN},
};

WORD SubLanguage(WORD primary, std::string_view lang, std::string_view region) {
    if (primary == LANG_CHINESE) {
        if (region == "TW")
            return SUBLANG_CHINESE_TRADITIONAL;
        if (region == "HK")
            return SUBLANG_CHINESE_HONGKONG;
        if (region == "SG")
            return SUBLANG_CHINESE_SINGAPORE;
        if (region == "MO")
            return SUBLANG_CHINESE_MACAU;
        return SUBLANG_CHINESE_SIMPLIFIED;
    }
    if (primary == LANG_PORTUGUESE)
        return region == "PT" ? SUBLANG_PORTUGUESE : SUBLANG_PORTUGUESE_BRAZILIAN;
    if (primary == LANG_NORWEGIAN)
        return lang == "nn" ? SUBLANG_NORWEGIAN_NYNORSK : SUBLANG_NORWEGIAN_BOKMAL;
    return SUBLANG_DEFAULT;
}

} // namespace

LANGID ms::LangIdFromLocale(std::string_view locale) {
    // language[_REGION][.charset][@modifier]
    size_t end = locale.find_first_of(".@");
    std::string_view name = locale.substr(0, end);
    size_t sep = name.find_first_of("_-");
    std::string lang(name.substr(0, sep));
    for (auto& c : lang)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string_view region =
        sep == std::string_view::npos ? std::string_view() : name.substr(sep + 1);
    for (const auto& l : kLanguages)
        if (lang == l.code)
            return MAKELANGID(l.primary, SubLanguage(l.primary, lang, region));
    return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

LANGID GetSystemDefaultLangID() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value)
            return ms::LangIdFromLocale(value);
    }
    return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

LANGID GetUserDefaultLangID() {
    return GetSystemDefaultLangID();
}
