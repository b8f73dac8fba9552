// The C runtime's wide-string calls for WCHAR (char16_t) text, plus UTF-8 <-> UTF-16.
// Keeps the Windows results the system's code relies on: lstrcpyn always terminates, _wtoi and
// wcstod stop at the first character that does not belong to the number ("3abc" is 3) and
// never look at the locale ("C" numerics always). Differs: case folding (_wcsicmp, CString's
// MakeUpper) covers Latin, Greek and Cyrillic letters only, not every script.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>
#include <string>
#include <string_view>

size_t wcslen(const WCHAR* s);
WCHAR* wcscpy(WCHAR* dst, const WCHAR* src);
WCHAR* wcsncpy(WCHAR* dst, const WCHAR* src, size_t n); // pads with 0; may leave no terminator
WCHAR* wcscat(WCHAR* dst, const WCHAR* src);
WCHAR* wcsncat(WCHAR* dst, const WCHAR* src, size_t n);
int wcscmp(const WCHAR* a, const WCHAR* b);
int wcsncmp(const WCHAR* a, const WCHAR* b, size_t n);
int _wcsicmp(const WCHAR* a, const WCHAR* b);
int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t n);
const WCHAR* wcschr(const WCHAR* s, WCHAR c);
WCHAR* wcschr(WCHAR* s, WCHAR c);
const WCHAR* wcsrchr(const WCHAR* s, WCHAR c);
WCHAR* wcsrchr(WCHAR* s, WCHAR c);
const WCHAR* wcsstr(const WCHAR* s, const WCHAR* sub);
WCHAR* wcsstr(WCHAR* s, const WCHAR* sub);
WCHAR* _wcsupr(WCHAR* s);
WCHAR* _wcslwr(WCHAR* s);

// Win32 spellings. lstrcpyn copies at most n-1 characters and always terminates (n > 0);
// lstrlen of NULL is 0.
WCHAR* lstrcpyn(WCHAR* dst, const WCHAR* src, int n);
WCHAR* lstrcpy(WCHAR* dst, const WCHAR* src);
WCHAR* lstrcat(WCHAR* dst, const WCHAR* src);
int lstrlen(const WCHAR* s);
int lstrcmp(const WCHAR* a, const WCHAR* b);
int lstrcmpi(const WCHAR* a, const WCHAR* b);

// Parsing: leading white space, a sign, digits; stops at the first other character.
// _wtoi/_wtol clamp to the int/LONG range on overflow; a NULL or empty text gives 0.
int _wtoi(const WCHAR* s);
LONG _wtol(const WCHAR* s);
LONGLONG _wtoi64(const WCHAR* s);
double _wtof(const WCHAR* s);
double wcstod(const WCHAR* s, WCHAR** end);
LONG wcstol(const WCHAR* s, WCHAR** end, int base);
ULONG wcstoul(const WCHAR* s, WCHAR** end, int base);

namespace ms {

// Copies src into dst[cap], cut to cap-1 characters; always terminates (cap > 0).
// Returns the number of characters copied.
size_t CopyBounded(WCHAR* dst, size_t cap, const WCHAR* src);
size_t CopyBounded(WCHAR* dst, size_t cap, std::u16string_view src);

// Invalid sequences (bad UTF-8, lone surrogates) become U+FFFD.
std::string ToUtf8(std::u16string_view s);
std::u16string FromUtf8(std::string_view s);

WCHAR ToUpper(WCHAR c);
WCHAR ToLower(WCHAR c);
// Equal but for case, as names of profile sections, keys and registry values compare.
bool SameNoCase(std::u16string_view a, std::u16string_view b);
bool IsSpace(WCHAR c);
// The value of a hex digit (either case), -1 for any other character.
int HexDigit(WCHAR c);

} // namespace ms
