#include "platform/win/core/Format.h"

#include "platform/win/core/WString.h"

#include <cstdint>
#include <cstdio>
#include <locale.h>

namespace {

locale_t CLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

// One conversion of a format string (%-08.3ls): its flags, width, precision and length.
struct Conversion {
    bool left = false;
    std::string flags; // the printf flags as written, passed on to snprintf for numbers
    int width = -1;
    int precision = -1;
    enum Len { None, Hh, H, L, Ll, LongDouble, Ptr } len = None;
    bool wide = false;   // l or w: %c/%s mean WCHAR
    bool narrow = false; // h: %c/%s mean char
};

void Pad(std::u16string& out, std::u16string_view body, const Conversion& sp) {
    size_t w = sp.width > 0 ? static_cast<size_t>(sp.width) : 0;
    size_t fill = body.size() < w ? w - body.size() : 0;
    if (!sp.left)
        out.append(fill, u' ');
    out.append(body);
    if (sp.left)
        out.append(fill, u' ');
}

// Numbers: the C library formats the ASCII text, in the "C" locale.
template <typename T>
void Number(std::u16string& out, const Conversion& sp, const char* len, char conv, T v) {
    std::string f(1, '%');
    f += sp.flags;
    if (sp.width >= 0)
        f += std::to_string(sp.width);
    if (sp.precision >= 0) {
        f += '.';
        f += std::to_string(sp.precision);
    }
    f += len;
    f += conv;
    char small[128];
    locale_t old = uselocale(CLocale());
    int n = std::snprintf(small, sizeof small, f.c_str(), v);
    std::string big;
    const char* text = small;
    if (n >= static_cast<int>(sizeof small)) {
        big.resize(static_cast<size_t>(n) + 1);
        std::snprintf(big.data(), big.size(), f.c_str(), v);
        text = big.c_str();
    }
    uselocale(old);
    for (int i = 0; i < n; ++i)
        out += static_cast<char16_t>(static_cast<unsigned char>(text[i]));
}

void Convert(std::u16string& out, Conversion& sp, WCHAR conv, va_list* ap) {
    switch (conv) {
    case u'd':
    case u'i':
        switch (sp.len) {
        case Conversion::Ll:
        case Conversion::Ptr:
            Number(out, sp, "ll", 'd', static_cast<long long>(va_arg(*ap, long long)));
            break;
        case Conversion::H:
            Number(out, sp, "", 'd', static_cast<int>(static_cast<short>(va_arg(*ap, int))));
            break;
        case Conversion::Hh:
            Number(out, sp, "", 'd', static_cast<int>(static_cast<signed char>(va_arg(*ap, int))));
            break;
        default:
            Number(out, sp, "", 'd', va_arg(*ap, int));
        }
        return;
    case u'u':
    case u'o':
    case u'x':
    case u'X': {
        char c = static_cast<char>(conv);
        switch (sp.len) {
        case Conversion::Ll:
        case Conversion::Ptr:
            Number(out, sp, "ll", c, va_arg(*ap, unsigned long long));
            break;
        case Conversion::H:
            Number(out, sp, "", c,
                   static_cast<unsigned>(static_cast<unsigned short>(va_arg(*ap, unsigned))));
            break;
        case Conversion::Hh:
            Number(out, sp, "", c,
                   static_cast<unsigned>(static_cast<unsigned char>(va_arg(*ap, unsigned))));
            break;
        default:
            Number(out, sp, "", c, va_arg(*ap, unsigned));
        }
        return;
    }
    case u'f':
    case u'F':
    case u'e':
    case u'E':
    case u'g':
    case u'G':
    case u'a':
    case u'A':
        if (sp.len == Conversion::LongDouble)
            Number(out, sp, "L", static_cast<char>(conv), va_arg(*ap, long double));
        else
            Number(out, sp, "", static_cast<char>(conv), va_arg(*ap, double));
        return;
    case u'p': {
        // Windows prints a pointer as upper-case hex digits, zero-filled to its full width.
        Conversion p = sp;
        p.flags = sp.left ? "-0" : "0";
        p.precision = -1;
        if (p.width < 0)
            p.width = 2 * static_cast<int>(sizeof(void*));
        Number(
            out, p, "ll", 'X',
            static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(va_arg(*ap, void*))));
        return;
    }
    case u'c':
    case u'C': {
        bool narrow = sp.narrow || (conv == u'C' && !sp.wide);
        int v = va_arg(*ap, int);
        char16_t ch = narrow ? static_cast<char16_t>(static_cast<unsigned char>(v))
                             : static_cast<char16_t>(v);
        Pad(out, std::u16string_view(&ch, 1), sp);
        return;
    }
    case u's':
    case u'S': {
        bool narrow = sp.narrow || (conv == u'S' && !sp.wide);
        std::u16string conv8;
        std::u16string_view body;
        // With a precision, no more than that many characters are read: the text need not be
        // terminated.
        const size_t limit = sp.precision >= 0 ? static_cast<size_t>(sp.precision) : SIZE_MAX;
        if (narrow) {
            const char* s = va_arg(*ap, const char*);
            if (!s)
                s = "(null)";
            size_t n = 0;
            while (n < limit && s[n])
                ++n;
            conv8 = ms::FromUtf8(std::string_view(s, n));
            body = conv8;
        } else {
            const WCHAR* s = va_arg(*ap, const WCHAR*);
            if (!s)
                s = u"(null)";
            size_t n = 0;
            while (n < limit && s[n])
                ++n;
            body = std::u16string_view(s, n);
        }
        if (sp.precision >= 0 && body.size() > static_cast<size_t>(sp.precision))
            body = body.substr(0, static_cast<size_t>(sp.precision));
        Pad(out, body, sp);
        return;
    }
    case u'n':
        (void)va_arg(*ap, void*); // writing through a pointer from a format is never wanted
        return;
    default:
        break;
    }
}

} // namespace

namespace ms {

std::u16string FormatV(const WCHAR* fmt, va_list args) {
    std::u16string out;
    if (!fmt)
        return out;
    va_list ap;
    va_copy(ap, args);
    const WCHAR* p = fmt;
    while (*p) {
        if (*p != u'%') {
            out += *p++;
            continue;
        }
        const WCHAR* start = p++;
        if (*p == u'%') {
            out += u'%';
            ++p;
            continue;
        }
        Conversion sp;
        for (;; ++p) {
            if (*p == u'-')
                sp.left = true;
            else if (*p != u'+' && *p != u' ' && *p != u'0' && *p != u'#')
                break;
            if (sp.flags.find(static_cast<char>(*p)) == std::string::npos)
                sp.flags += static_cast<char>(*p);
        }
        if (*p == u'*') {
            int w = va_arg(ap, int);
            if (w < 0) {
                sp.left = true;
                if (sp.flags.find('-') == std::string::npos)
                    sp.flags += '-';
                w = w == INT32_MIN ? 0 : -w;
            }
            sp.width = w;
            ++p;
        } else if (*p >= u'0' && *p <= u'9') {
            sp.width = 0;
            for (; *p >= u'0' && *p <= u'9'; ++p)
                sp.width = sp.width < 100000 ? sp.width * 10 + (*p - u'0') : sp.width;
        }
        if (*p == u'.') {
            ++p;
            sp.precision = 0;
            if (*p == u'*') {
                int pr = va_arg(ap, int);
                sp.precision = pr < 0 ? -1 : pr;
                ++p;
            } else {
                for (; *p >= u'0' && *p <= u'9'; ++p)
                    sp.precision =
                        sp.precision < 100000 ? sp.precision * 10 + (*p - u'0') : sp.precision;
            }
        }
        if (*p == u'h') {
            sp.narrow = true;
            sp.len = Conversion::H;
            if (*++p == u'h') {
                sp.len = Conversion::Hh;
                ++p;
            }
        } else if (*p == u'l') {
            sp.wide = true;
            if (*++p == u'l') {
                sp.len = Conversion::Ll;
                ++p;
            }
        } else if (*p == u'w') {
            sp.wide = true;
            ++p;
        } else if (*p == u'L') {
            sp.len = Conversion::LongDouble;
            ++p;
        } else if (*p == u'q' || *p == u'j') {
            sp.len = Conversion::Ll;
            ++p;
        } else if (*p == u'z' || *p == u't') {
            sp.len = Conversion::Ptr;
            ++p;
        } else if (*p == u'I') {
            if (p[1] == u'6' && p[2] == u'4') {
                sp.len = Conversion::Ll;
                p += 3;
            } else if (p[1] == u'3' && p[2] == u'2') {
                p += 3;
            } else {
                sp.len = Conversion::Ptr;
                ++p;
            }
        }
        if (!*p) {
            out.append(start, p);
            break;
        }
        WCHAR conv = *p++;
        static const std::u16string_view known = u"diuoxXfFeEgGaApcCsSn";
        if (known.find(conv) == std::u16string_view::npos) {
            out.append(start, p); // an unknown conversion is printed as written
            continue;
        }
        Convert(out, sp, conv, &ap);
    }
    va_end(ap);
    return out;
}

std::u16string detail::FormatC(const WCHAR* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::u16string s = FormatV(fmt, ap);
    va_end(ap);
    return s;
}

} // namespace ms

int _vsnwprintf(WCHAR* buf, size_t count, const WCHAR* fmt, va_list args) {
    if (!buf || count == 0)
        return -1;
    std::u16string s = ms::FormatV(fmt, args);
    ms::CopyBounded(buf, count, s);
    return s.size() < count ? static_cast<int>(s.size()) : -1;
}

int vswprintf(WCHAR* buf, size_t count, const WCHAR* fmt, va_list args) {
    return _vsnwprintf(buf, count, fmt, args);
}

int ms::detail::SnwprintfC(WCHAR* buf, size_t count, const WCHAR* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    int n = _vsnwprintf(buf, count, fmt, ap);
    va_end(ap);
    return n;
}

int wvsprintf(WCHAR* buf, const WCHAR* fmt, va_list args) {
    std::u16string s = ms::FormatV(fmt, args);
    return static_cast<int>(ms::CopyBounded(buf, 1024, s));
}

int ms::detail::WsprintfC(WCHAR* buf, const WCHAR* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    int n = wvsprintf(buf, fmt, ap);
    va_end(ap);
    return n;
}
