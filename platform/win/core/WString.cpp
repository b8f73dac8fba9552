#include "platform/win/core/WString.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace ms {

WCHAR ToLower(WCHAR c) {
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? WCHAR(c + 32) : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return WCHAR(c + 32);
    if (c >= 0xFF21 && c <= 0xFF3A)
        return WCHAR(c + 32);
    if (c >= 0x400 && c <= 0x40F)
        return WCHAR(c + 80);
    if (c == 0x178)
        return 0xFF;
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return WCHAR(c + 37);
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return WCHAR(c + 63);
    if ((c >= 0x100 && c <= 0x137 && c != 0x130) || (c >= 0x14A && c <= 0x177) ||
        (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF))
        return (c % 2 == 0) ? WCHAR(c + 1) : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c % 2 == 1) ? WCHAR(c + 1) : c;
    return c;
}

WCHAR ToUpper(WCHAR c) {
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? WCHAR(c - 32) : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return WCHAR(c - 32);
    if (c >= 0xFF41 && c <= 0xFF5A)
        return WCHAR(c - 32);
    if (c >= 0x450 && c <= 0x45F)
        return WCHAR(c - 80);
    if (c == 0xFF)
        return 0x178;
    if (c == 0x3C2)
        return 0x3A3;
    if (c == 0x3AC)
        return 0x386;
    if (c >= 0x3AD && c <= 0x3AF)
        return WCHAR(c - 37);
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return WCHAR(c - 63);
    if ((c >= 0x100 && c <= 0x137 && c != 0x131) || (c >= 0x14A && c <= 0x177) ||
        (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF))
        return (c % 2 == 1) ? WCHAR(c - 1) : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c % 2 == 0) ? WCHAR(c - 1) : c;
    return c;
}

bool SameNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToUpper(a[i]) != ToUpper(b[i]))
            return false;
    return true;
}

int HexDigit(WCHAR c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

bool IsSpace(WCHAR c) {
    return c == u' ' || (c >= 0x09 && c <= 0x0D) || c == 0xA0 || c == 0x3000 || c == 0xFEFF;
}

size_t CopyBounded(WCHAR* dst, size_t cap, std::u16string_view src) {
    if (!dst || cap == 0)
        return 0;
    size_t n = src.size() < cap - 1 ? src.size() : cap - 1;
    for (size_t i = 0; i < n; ++i)
        dst[i] = src[i];
    dst[n] = 0;
    return n;
}

size_t CopyBounded(WCHAR* dst, size_t cap, const WCHAR* src) {
    if (!dst || cap == 0)
        return 0;
    size_t n = 0;
    if (src)
        for (; n + 1 < cap && src[n]; ++n)
            dst[n] = src[n];
    dst[n] = 0;
    return n;
}

std::string ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        char32_t cp;
        size_t len;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            len = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            len = 4;
        } else {
            out += char16_t(0xFFFD);
            ++i;
            continue;
        }
        size_t k = 1;
        for (; k < len && i + k < s.size(); ++k) {
            unsigned char c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                break;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Incomplete, overlong, surrogate or out-of-range sequences: one U+FFFD for the
        // bytes taken, so that the following character survives.
        if (k < len || (len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += char16_t(0xFFFD);
            i += k;
            continue;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

} // namespace ms

size_t wcslen(const WCHAR* s) {
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

WCHAR* wcscpy(WCHAR* dst, const WCHAR* src) {
    WCHAR* d = dst;
    while ((*d++ = *src++))
        ;
    return dst;
}

WCHAR* wcsncpy(WCHAR* dst, const WCHAR* src, size_t n) {
    size_t i = 0;
    for (; i < n && src[i]; ++i)
        dst[i] = src[i];
    for (; i < n; ++i)
        dst[i] = 0;
    return dst;
}

WCHAR* wcscat(WCHAR* dst, const WCHAR* src) {
    wcscpy(dst + wcslen(dst), src);
    return dst;
}

WCHAR* wcsncat(WCHAR* dst, const WCHAR* src, size_t n) {
    WCHAR* d = dst + wcslen(dst);
    size_t i = 0;
    for (; i < n && src[i]; ++i)
        d[i] = src[i];
    d[i] = 0;
    return dst;
}

int wcscmp(const WCHAR* a, const WCHAR* b) {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

int wcsncmp(const WCHAR* a, const WCHAR* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
        if (!a[i])
            break;
    }
    return 0;
}

int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        WCHAR x = ms::ToLower(a[i]), y = ms::ToLower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
        if (!x)
            break;
    }
    return 0;
}

int _wcsicmp(const WCHAR* a, const WCHAR* b) {
    return _wcsnicmp(a, b, SIZE_MAX);
}

const WCHAR* wcschr(const WCHAR* s, WCHAR c) {
    for (;; ++s) {
        if (*s == c)
            return s;
        if (!*s)
            return nullptr;
    }
}
WCHAR* wcschr(WCHAR* s, WCHAR c) {
    return const_cast<WCHAR*>(wcschr(const_cast<const WCHAR*>(s), c));
}

const WCHAR* wcsrchr(const WCHAR* s, WCHAR c) {
    const WCHAR* last = nullptr;
    for (;; ++s) {
        if (*s == c)
            last = s;
        if (!*s)
            return last;
    }
}
WCHAR* wcsrchr(WCHAR* s, WCHAR c) {
    return const_cast<WCHAR*>(wcsrchr(const_cast<const WCHAR*>(s), c));
}

const WCHAR* wcsstr(const WCHAR* s, const WCHAR* sub) {
    size_t n = wcslen(sub);
    for (; *s; ++s)
        if (wcsncmp(s, sub, n) == 0)
            return s;
    return n == 0 ? s : nullptr;
}
WCHAR* wcsstr(WCHAR* s, const WCHAR* sub) {
    return const_cast<WCHAR*>(wcsstr(const_cast<const WCHAR*>(s), sub));
}

WCHAR* _wcsupr(WCHAR* s) {
    for (WCHAR* p = s; *p; ++p)
        *p = ms::ToUpper(*p);
    return s;
}

WCHAR* _wcslwr(WCHAR* s) {
    for (WCHAR* p = s; *p; ++p)
        *p = ms::ToLower(*p);
    return s;
}

WCHAR* lstrcpyn(WCHAR* dst, const WCHAR* src, int n) {
    if (n > 0)
        ms::CopyBounded(dst, static_cast<size_t>(n), src);
    return dst;
}
WCHAR* lstrcpy(WCHAR* dst, const WCHAR* src) {
    return wcscpy(dst, src);
}
WCHAR* lstrcat(WCHAR* dst, const WCHAR* src) {
    return wcscat(dst, src);
}
int lstrlen(const WCHAR* s) {
    return s ? static_cast<int>(wcslen(s)) : 0;
}
int lstrcmp(const WCHAR* a, const WCHAR* b) {
    return wcscmp(a ? a : u"", b ? b : u"");
}
int lstrcmpi(const WCHAR* a, const WCHAR* b) {
    return _wcsicmp(a ? a : u"", b ? b : u"");
}

namespace {

locale_t CLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

// The ASCII prefix of s as narrow text, so that the C library's "C"-locale parsers can read it;
// a number never holds anything else (nor is it longer than 512 characters).
std::string AsciiPrefix(const WCHAR* s) {
    std::string n;
    for (int i = 0; i < 512 && *s && *s < 0x80; ++i, ++s)
        n += static_cast<char>(*s);
    return n;
}

template <typename T, typename Parse>
T ParseInteger(const WCHAR* s, WCHAR** end, int base, Parse parse) {
    if (!s) {
        if (end)
            *end = nullptr;
        return 0;
    }
    std::string n = AsciiPrefix(s);
    char* e = nullptr;
    errno = 0;
    auto v = parse(n.c_str(), &e, base);
    if (end)
        *end = const_cast<WCHAR*>(s) + (e - n.c_str());
    return static_cast<T>(v);
}

template <typename T> T Clamp(long long v) {
    if (v > static_cast<long long>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    if (v < static_cast<long long>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    return static_cast<T>(v);
}

long long ParseLL(const WCHAR* s, WCHAR** end, int base) {
    return ParseInteger<long long>(
        s, end, base, [](const char* p, char** e, int b) { return std::strtoll(p, e, b); });
}

} // namespace

int _wtoi(const WCHAR* s) {
    return Clamp<int>(ParseLL(s, nullptr, 10));
}
LONG _wtol(const WCHAR* s) {
    return Clamp<LONG>(ParseLL(s, nullptr, 10));
}
LONGLONG _wtoi64(const WCHAR* s) {
    return ParseLL(s, nullptr, 10);
}
LONG wcstol(const WCHAR* s, WCHAR** end, int base) {
    return Clamp<LONG>(ParseLL(s, end, base));
}

ULONG wcstoul(const WCHAR* s, WCHAR** end, int base) {
    unsigned long long v = ParseInteger<unsigned long long>(
        s, end, base, [](const char* p, char** e, int b) { return std::strtoull(p, e, b); });
    return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<ULONG>(v);
}

double wcstod(const WCHAR* s, WCHAR** end) {
    if (!s) {
        if (end)
            *end = nullptr;
        return 0.0;
    }
    std::string n = AsciiPrefix(s);
    char* e = nullptr;
    double v = strtod_l(n.c_str(), &e, CLocale());
    if (end)
        *end = const_cast<WCHAR*>(s) + (e - n.c_str());
    return v;
}

double _wtof(const WCHAR* s) {
    return wcstod(s, nullptr);
}
