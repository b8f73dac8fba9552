#include "platform/win/core/CString.h"

#include <algorithm>
#include <mutex>
#include <ostream>

namespace {

// Reached through a function so that a loader may be installed during static initialisation.
struct LoaderState {
    std::mutex mutex;
    ms::StringLoader loader;
};
LoaderState& Loader() {
    static LoaderState* state = new LoaderState; // never destroyed: usable until the very end
    return *state;
}

bool InSet(const WCHAR* set, WCHAR c) {
    return set && c && wcschr(set, c);
}

} // namespace

void ms::SetStringLoader(StringLoader loader) {
    std::lock_guard lock(Loader().mutex);
    Loader().loader = std::move(loader);
}

BOOL CString::LoadString(UINT id) {
    ms::StringLoader loader;
    {
        std::lock_guard lock(Loader().mutex);
        loader = Loader().loader;
    }
    std::u16string text;
    if (!loader || !loader(id, text))
        return FALSE;
    s_ = std::move(text);
    return TRUE;
}

WCHAR* CString::GetBuffer(int n) {
    if (n > 0 && static_cast<size_t>(n) > s_.size())
        s_.resize(static_cast<size_t>(n));
    return s_.data();
}

WCHAR* CString::GetBufferSetLength(int n) {
    s_.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return s_.data();
}

void CString::ReleaseBuffer(int n) {
    if (n < 0)
        s_.resize(std::char_traits<char16_t>::length(s_.c_str()));
    else if (static_cast<size_t>(n) < s_.size())
        s_.resize(static_cast<size_t>(n));
}

int CString::Compare(const WCHAR* s) const {
    return wcscmp(s_.c_str(), s ? s : u"");
}
int CString::CompareNoCase(const WCHAR* s) const {
    return _wcsicmp(s_.c_str(), s ? s : u"");
}

int CString::Find(WCHAR c, int start) const {
    if (start < 0)
        start = 0;
    size_t i = s_.find(c, static_cast<size_t>(start));
    return i == std::u16string::npos ? -1 : static_cast<int>(i);
}

int CString::Find(const WCHAR* sub, int start) const {
    if (!sub || start < 0 || static_cast<size_t>(start) > s_.size())
        return -1;
    size_t i = s_.find(sub, static_cast<size_t>(start));
    return i == std::u16string::npos ? -1 : static_cast<int>(i);
}

int CString::ReverseFind(WCHAR c) const {
    size_t i = s_.rfind(c);
    return i == std::u16string::npos ? -1 : static_cast<int>(i);
}

int CString::FindOneOf(const WCHAR* set) const {
    if (!set)
        return -1;
    size_t i = s_.find_first_of(set);
    return i == std::u16string::npos ? -1 : static_cast<int>(i);
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    if (first < 0)
        first = 0;
    if (count < 0)
        count = 0;
    if (first >= GetLength())
        return CString();
    return CString(s_.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const {
    return Mid(0, count);
}

CString CString::Right(int count) const {
    if (count < 0)
        count = 0;
    if (count >= GetLength())
        return *this;
    return CString(s_.substr(s_.size() - static_cast<size_t>(count)));
}

CString CString::SpanIncluding(const WCHAR* set) const {
    size_t n = 0;
    while (n < s_.size() && InSet(set, s_[n]))
        ++n;
    return CString(s_.substr(0, n));
}

CString CString::SpanExcluding(const WCHAR* set) const {
    size_t n = 0;
    while (n < s_.size() && !InSet(set, s_[n]))
        ++n;
    return CString(s_.substr(0, n));
}

CString& CString::MakeUpper() {
    for (auto& c : s_)
        c = ms::ToUpper(c);
    return *this;
}

CString& CString::MakeLower() {
    for (auto& c : s_)
        c = ms::ToLower(c);
    return *this;
}

CString& CString::TrimLeft() {
    size_t n = 0;
    while (n < s_.size() && ms::IsSpace(s_[n]))
        ++n;
    s_.erase(0, n);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = s_.size();
    while (n > 0 && ms::IsSpace(s_[n - 1]))
        --n;
    s_.resize(n);
    return *this;
}

CString& CString::TrimLeft(const WCHAR* set) {
    size_t n = 0;
    while (n < s_.size() && InSet(set, s_[n]))
        ++n;
    s_.erase(0, n);
    return *this;
}

CString& CString::TrimRight(const WCHAR* set) {
    size_t n = s_.size();
    while (n > 0 && InSet(set, s_[n - 1]))
        --n;
    s_.resize(n);
    return *this;
}

CString& CString::TrimLeft(WCHAR c) {
    const WCHAR set[2] = {c, 0};
    return TrimLeft(set);
}
CString& CString::TrimRight(WCHAR c) {
    const WCHAR set[2] = {c, 0};
    return TrimRight(set);
}
CString& CString::Trim() {
    return TrimRight().TrimLeft();
}
CString& CString::Trim(WCHAR c) {
    return TrimRight(c).TrimLeft(c);
}
CString& CString::Trim(const WCHAR* set) {
    return TrimRight(set).TrimLeft(set);
}

int CString::Replace(WCHAR from, WCHAR to) {
    int n = 0;
    for (auto& c : s_)
        if (c == from) {
            c = to;
            ++n;
        }
    return n;
}

int CString::Replace(const WCHAR* from, const WCHAR* to) {
    if (!from || !*from)
        return 0;
    std::u16string_view f(from), t(to ? to : u"");
    std::u16string r;
    int n = 0;
    size_t pos = 0;
    for (;;) {
        size_t i = s_.find(f, pos);
        if (i == std::u16string::npos)
            break;
        r.append(s_, pos, i - pos);
        r.append(t);
        pos = i + f.size();
        ++n;
    }
    if (n) {
        r.append(s_, pos, std::u16string::npos);
        s_ = std::move(r);
    }
    return n;
}

int CString::Remove(WCHAR c) {
    auto it = std::remove(s_.begin(), s_.end(), c);
    int n = static_cast<int>(s_.end() - it);
    s_.erase(it, s_.end());
    return n;
}

int CString::Insert(int index, WCHAR c) {
    index = std::clamp(index, 0, GetLength());
    s_.insert(static_cast<size_t>(index), 1, c);
    return GetLength();
}

int CString::Insert(int index, const WCHAR* s) {
    index = std::clamp(index, 0, GetLength());
    if (s)
        s_.insert(static_cast<size_t>(index), s);
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index < 0)
        index = 0;
    if (count > 0 && index < GetLength())
        s_.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

void CString::FormatV(const WCHAR* fmt, va_list args) {
    s_ = ms::FormatV(fmt, args);
}

std::ostream& operator<<(std::ostream& os, const CString& s) {
    return os << s.ToUtf8();
}
