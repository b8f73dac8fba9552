// The Windows language id of the user's locale. Keeps the Windows layout of a LANGID (primary
// language in the low 10 bits, sub-language above) and the ids the language files are chosen
// by; Persian is 58 here, the id the language-file table uses. Differs: the id comes from
// LC_ALL, LC_MESSAGES or LANG (the first that is set); a language without a language file of
// its own (and the "C" locale) gives English (United States), 0x0409.
#pragma once

#include "platform/win/WinTypes.h"

#include <string_view>

using LANGID = WORD;

constexpr LANGID MAKELANGID(WORD primary, WORD sub) {
    return static_cast<LANGID>((sub << 10) | primary);
}
constexpr WORD PRIMARYLANGID(LANGID id) {
    return static_cast<WORD>(id & 0x3FF);
}
constexpr WORD SUBLANGID(LANGID id) {
    return static_cast<WORD>(id >> 10);
}

#define LANG_NEUTRAL 0x00
#define LANG_ARABIC 0x01
#define LANG_BULGARIAN 0x02
#define LANG_CHINESE 0x04
#define LANG_DANISH 0x06
#define LANG_GERMAN 0x07
#define LANG_ENGLISH 0x09
#define LANG_SPANISH 0x0a
#define LANG_FINNISH 0x0b
#define LANG_FRENCH 0x0c
#define LANG_HEBREW 0x0d
#define LANG_ITALIAN 0x10
#define LANG_JAPANESE 0x11
#define LANG_KOREAN 0x12
#define LANG_DUTCH 0x13
#define LANG_NORWEGIAN 0x14
#define LANG_POLISH 0x15
#define LANG_PORTUGUESE 0x16
#define LANG_RUSSIAN 0x19
#define LANG_SWEDISH 0x1d
#define LANG_THAI 0x1e
#define LANG_TURKISH 0x1f
#define LANG_VIETNAMESE 0x2a
#define LANG_PERSIAN 0x3a

#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_CHINESE_TRADITIONAL 0x01
#define SUBLANG_CHINESE_SIMPLIFIED 0x02
#define SUBLANG_CHINESE_HONGKONG 0x03
#define SUBLANG_CHINESE_SINGAPORE 0x04
#define SUBLANG_CHINESE_MACAU 0x05
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_PORTUGUESE_BRAZILIAN 0x01
#define SUBLANG_PORTUGUESE 0x02
#define SUBLANG_NORWEGIAN_BOKMAL 0x01
#define SUBLANG_NORWEGIAN_NYNORSK 0x02

LANGID GetSystemDefaultLangID();
LANGID GetUserDefaultLangID();

namespace ms {

// The id of a POSIX locale name such as "zh_TW.UTF-8" or "de_DE@euro".
LANGID LangIdFromLocale(std::string_view locale);

} // namespace ms
