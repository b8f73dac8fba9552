// CString: the framework's string class over std::u16string (UTF-16, as on Windows).
// Keeps: indexes and lengths in UTF-16 units, Find/Mid/Left/Right clamping out-of-range
// arguments, GetBuffer/ReleaseBuffer for C-style fills, Format through the one formatter
// ("C" numerics); a CString argument of Format and swprintf is formatted as its text by %s.
// Differs: GetAt, SetAt and [] outside the text throw std::out_of_range (Windows asserts).
#pragma once

#include "platform/win/WinTypes.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"

#include <concepts>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const WCHAR* s) : s_(s ? s : u"") {}
    CString(const WCHAR* s, int n)
        : s_(s ? std::u16string(s, static_cast<size_t>(n < 0 ? 0 : n)) : std::u16string()) {}
    CString(WCHAR c, int repeat = 1) : s_(static_cast<size_t>(repeat < 0 ? 0 : repeat), c) {}
    CString(std::u16string s) : s_(std::move(s)) {}
    CString(std::u16string_view s) : s_(s) {}

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    WCHAR GetAt(int i) const { return s_.at(static_cast<size_t>(i)); }
    void SetAt(int i, WCHAR c) { s_.at(static_cast<size_t>(i)) = c; }
    template <std::integral I> WCHAR operator[](I i) const { return s_.at(static_cast<size_t>(i)); }

    operator LPCWSTR() const { return s_.c_str(); }
    LPCWSTR GetString() const { return s_.c_str(); }
    const std::u16string& Str() const { return s_; }

    // A writable buffer of at least n characters (plus terminator) holding the current text;
    // ReleaseBuffer(-1) then takes the length up to the first 0, ReleaseBuffer(n) takes n.
    WCHAR* GetBuffer(int n = 0);
    WCHAR* GetBufferSetLength(int n);
    void ReleaseBuffer(int n = -1);

    CString& operator=(const WCHAR* s) {
        s_ = s ? s : u"";
        return *this;
    }
    CString& operator=(WCHAR c) {
        s_.assign(1, c);
        return *this;
    }
    CString& operator+=(const CString& o) {
        s_ += o.s_;
        return *this;
    }
    CString& operator+=(const WCHAR* s) {
        if (s)
            s_ += s;
        return *this;
    }
    CString& operator+=(WCHAR c) {
        s_ += c;
        return *this;
    }

    int Compare(const WCHAR* s) const;
    int CompareNoCase(const WCHAR* s) const;

    // Find returns the index or -1; a start beyond the end finds nothing.
    int Find(WCHAR c, int start = 0) const;
    int Find(const WCHAR* sub, int start = 0) const;
    int ReverseFind(WCHAR c) const;
    int FindOneOf(const WCHAR* set) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString SpanIncluding(const WCHAR* set) const;
    CString SpanExcluding(const WCHAR* set) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();
    CString& Trim(WCHAR c);
    CString& Trim(const WCHAR* set);
    CString& TrimLeft();
    CString& TrimLeft(WCHAR c);
    CString& TrimLeft(const WCHAR* set);
    CString& TrimRight();
    CString& TrimRight(WCHAR c);
    CString& TrimRight(const WCHAR* set);

    // Each returns the count of replacements, removals, or the new length.
    int Replace(WCHAR from, WCHAR to);
    int Replace(const WCHAR* from, const WCHAR* to);
    int Remove(WCHAR c);
    int Insert(int index, WCHAR c);
    int Insert(int index, const WCHAR* s);
    int Delete(int index, int count = 1);

    template <typename... Args> void Format(const WCHAR* fmt, const Args&... args) {
        s_ = ms::Format(fmt, args...);
    }
    void FormatV(const WCHAR* fmt, va_list args);
    template <typename... Args> void AppendFormat(const WCHAR* fmt, const Args&... args) {
        s_ += ms::Format(fmt, args...);
    }

    // Loads string resource id through the hook the resource loader installs; FALSE (and the
    // string unchanged) when there is no such string.
    BOOL LoadString(UINT id);

    std::string ToUtf8() const { return ms::ToUtf8(s_); }
    static CString FromUtf8(std::string_view s) { return CString(ms::FromUtf8(s)); }

private:
    std::u16string s_;
};

inline CString operator+(const CString& a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(const CString& a, const WCHAR* b) {
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(const WCHAR* a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(const CString& a, WCHAR b) {
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(WCHAR a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
inline bool operator==(const CString& a, const CString& b) {
    return a.Str() == b.Str();
}
inline bool operator==(const CString& a, const WCHAR* b) {
    return a.Compare(b) == 0;
}
inline bool operator==(const WCHAR* a, const CString& b) {
    return b.Compare(a) == 0;
}
inline bool operator!=(const CString& a, const CString& b) {
    return !(a == b);
}
inline bool operator!=(const CString& a, const WCHAR* b) {
    return !(a == b);
}
inline bool operator!=(const WCHAR* a, const CString& b) {
    return !(a == b);
}
inline bool operator<(const CString& a, const CString& b) {
    return a.Str() < b.Str();
}
inline bool operator<(const CString& a, const WCHAR* b) {
    return a.Compare(b) < 0;
}
inline bool operator<(const WCHAR* a, const CString& b) {
    return b.Compare(a) > 0;
}
// Writes the text as UTF-8 (logs, test output).
std::ostream& operator<<(std::ostream& os, const CString& s);

namespace ms {

// The resource loader installs this once; it returns false for an unknown id.
using StringLoader = std::function<bool(UINT id, std::u16string& out)>;
void SetStringLoader(StringLoader loader);

} // namespace ms
