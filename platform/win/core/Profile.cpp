#include "platform/win/core/Profile.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <cerrno>
#include <iconv.h>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::mutex g_mutex;
std::map<std::u16string, UINT>& g_codePages = *new std::map<std::u16string, UINT>;
UINT g_defaultCodePage = 0;

enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, CodePage };

struct Text {
    Encoding encoding = Encoding::Utf8;
    UINT codePage = 0;
    std::vector<std::u16string> lines;
    bool unreadable = false; // present but not readable now: must not be replaced
};

UINT CodePageOf(const std::u16string& file) {
    auto it = g_codePages.find(file);
    return it != g_codePages.end() ? it->second : g_defaultCodePage;
}

std::string IconvName(UINT cp) {
    return cp == 65001 ? "UTF-8" : "CP" + std::to_string(cp);
}

// Converts with iconv; a byte sequence that the code page does not define becomes U+FFFD
// (reading) or '?' (writing), as Windows' own conversion does.
std::optional<std::string> Convert(const std::string& from, const std::string& to,
                                   std::string_view in, std::string_view replacement, size_t unit) {
    iconv_t cd = ::iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out;
    char buf[4096];
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    while (inLeft > 0) {
        char* outPtr = buf;
        size_t outLeft = sizeof buf;
        size_t r = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buf, static_cast<size_t>(outPtr - buf));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            size_t skip = std::min(unit, inLeft); // EILSEQ or EINVAL: replace one unit
            inPtr += skip;
            inLeft -= skip;
            out.append(replacement);
        }
    }
    ::iconv_close(cd);
    return out;
}

std::u16string FromLe(std::string_view b) {
    std::u16string s;
    for (size_t i = 0; i + 1 < b.size(); i += 2)
        s += static_cast<char16_t>(static_cast<unsigned char>(b[i]) |
                                   (static_cast<unsigned char>(b[i + 1]) << 8));
    return s;
}

std::string ToLe(std::u16string_view s) {
    std::string b;
    for (char16_t c : s) {
        b += static_cast<char>(c & 0xFF);
        b += static_cast<char>(c >> 8);
    }
    return b;
}

Text Load(LPCWSTR file) {
    Text t;
    if (!file)
        return t;
    std::u16string name(file);
    auto bytes = ms::ReadFileBytes(name);
    t.codePage = CodePageOf(name);
    if (!bytes) {
        struct stat st;
        t.unreadable = ::stat(ms::NativePath(name).c_str(), &st) == 0;
        if (t.codePage && t.codePage != 65001)
            t.encoding = Encoding::CodePage;
        return t;
    }
    std::string_view b(*bytes);
    std::u16string all;
    if (b.substr(0, 3) == "\xEF\xBB\xBF") {
        t.encoding = Encoding::Utf8Bom;
        all = ms::FromUtf8(b.substr(3));
    } else if (b.substr(0, 2) == "\xFF\xFE") {
        t.encoding = Encoding::Utf16Le;
        all = FromLe(b.substr(2));
    } else if (b.substr(0, 2) == "\xFE\xFF") {
        t.encoding = Encoding::Utf16Be;
        std::string swapped(b.substr(2));
        for (size_t i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        all = FromLe(swapped);
    } else if (t.codePage && t.codePage != 65001) {
        auto le = Convert(IconvName(t.codePage), "UTF-16LE", b, std::string_view("\xFD\xFF", 2), 1);
        t.encoding = le ? Encoding::CodePage : Encoding::Utf8;
        all = le ? FromLe(*le) : ms::FromUtf8(b);
    } else {
        all = ms::FromUtf8(b);
    }
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(u'\n', start);
        if (end == std::u16string::npos)
            end = all.size();
        std::u16string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == u'\r')
            line.pop_back();
        if (end < all.size() || !line.empty())
            t.lines.push_back(std::move(line));
        start = end + 1;
    }
    return t;
}

bool Save(LPCWSTR file, const Text& t) {
    std::u16string all;
    for (const auto& l : t.lines)
        all += l + u"\r\n";
    std::string bytes;
    switch (t.encoding) {
    case Encoding::Utf8:
        bytes = ms::ToUtf8(all);
        break;
    case Encoding::Utf8Bom:
        bytes = "\xEF\xBB\xBF" + ms::ToUtf8(all);
        break;
    case Encoding::Utf16Le:
        bytes = "\xFF\xFE" + ToLe(all);
        break;
    case Encoding::Utf16Be: {
        std::string le = ToLe(all);
        for (size_t i = 0; i + 1 < le.size(); i += 2)
            std::swap(le[i], le[i + 1]);
        bytes = "\xFE\xFF" + le;
        break;
    }
    case Encoding::CodePage: {
        auto cp = Convert("UTF-16LE", IconvName(t.codePage), ToLe(all), "?", 2);
        bytes = cp ? *cp : ms::ToUtf8(all);
        break;
    }
    }
    return ms::WriteFileAtomic(file, bytes);
}

bool Blank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && Blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && Blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// "[name]" (the rest of the line after ']' is ignored).
std::optional<std::u16string_view> SectionName(std::u16string_view line) {
    line = Trim(line);
    if (line.empty() || line[0] != u'[')
        return std::nullopt;
    size_t close = line.find(u']');
    return Trim(
        line.substr(1, close == std::u16string_view::npos ? std::u16string_view::npos : close - 1));
}

// "key = value"; comments and lines without '=' are no entries.
bool Entry(std::u16string_view line, std::u16string_view& key, std::u16string_view& value) {
    std::u16string_view t = Trim(line);
    if (t.empty() || t[0] == u';' || t[0] == u'[')
        return false;
    size_t eq = t.find(u'=');
    if (eq == std::u16string_view::npos)
        return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return true;
}

// Index range [first, end) of the section's entries, or nothing. The name is trimmed as the
// file's names are.
std::optional<std::pair<size_t, size_t>> FindSection(const Text& t, std::u16string_view section) {
    section = Trim(section);
    for (size_t i = 0; i < t.lines.size(); ++i) {
        auto name = SectionName(t.lines[i]);
        if (!name || !ms::SameNoCase(*name, section))
            continue;
        size_t end = i + 1;
        while (end < t.lines.size() && !SectionName(t.lines[end]))
            ++end;
        return std::make_pair(i + 1, end);
    }
    return std::nullopt;
}

std::optional<std::u16string> Lookup(const Text& t, LPCWSTR section, LPCWSTR key) {
    auto range = FindSection(t, section);
    if (!range)
        return std::nullopt;
    for (size_t i = range->first; i < range->second; ++i) {
        std::u16string_view k, v;
        if (Entry(t.lines[i], k, v) && ms::SameNoCase(k, Trim(key)))
            return std::u16string(v);
    }
    return std::nullopt;
}

// Copies a list of names, each terminated, plus a final terminator; cut lists end in two
// terminators and return size-2, as Windows does.
DWORD CopyList(const std::vector<std::u16string>& names, LPWSTR buffer, DWORD size) {
    if (size < 2) {
        if (size == 1)
            buffer[0] = 0;
        return 0;
    }
    DWORD pos = 0;
    for (const auto& n : names) {
        for (char16_t c : n) {
            if (pos >= size - 2) {
                buffer[size - 2] = 0;
                buffer[size - 1] = 0;
                return size - 2;
            }
            buffer[pos++] = c;
        }
        if (pos >= size - 1) {
            buffer[size - 2] = 0;
            buffer[size - 1] = 0;
            return size - 2;
        }
        buffer[pos++] = 0;
    }
    buffer[pos] = 0;
    return pos;
}

} // namespace

void ms::SetProfileCodePage(LPCWSTR file, UINT codePage) {
    std::lock_guard lock(g_mutex);
    if (!file)
        g_defaultCodePage = codePage;
    else if (codePage)
        g_codePages[file] = codePage;
    else
        g_codePages.erase(file);
}

DWORD GetPrivateProfileString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultText, LPWSTR buffer,
                              DWORD size, LPCWSTR file) {
    if (!buffer || size == 0)
        return 0;
    std::unique_lock lock(g_mutex);
    Text t = Load(file);
    lock.unlock();
    if (!section || !key) {
        std::vector<std::u16string> names;
        if (!section) {
            for (const auto& l : t.lines)
                if (auto n = SectionName(l))
                    names.emplace_back(*n);
        } else if (auto range = FindSection(t, section)) {
            for (size_t i = range->first; i < range->second; ++i) {
                std::u16string_view k, v;
                if (Entry(t.lines[i], k, v))
                    names.emplace_back(k);
            }
        }
        return CopyList(names, buffer, size);
    }
    std::u16string value;
    if (auto found = Lookup(t, section, key)) {
        value = *found;
    } else {
        value = defaultText ? defaultText : u"";
        while (!value.empty() && value.back() == u' ')
            value.pop_back();
    }
    return static_cast<DWORD>(ms::CopyBounded(buffer, size, value));
}

UINT GetPrivateProfileInt(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR file) {
    if (!section || !key)
        return static_cast<UINT>(defaultValue);
    std::unique_lock lock(g_mutex);
    Text t = Load(file);
    lock.unlock();
    auto found = Lookup(t, section, key);
    if (!found || found->empty())
        return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(_wtoi(found->c_str()));
}

namespace {

// A name or value that would change the file's structure when written: a line break anywhere,
// ']' in a section name, '=' in a key, or a key that would read as a comment or a section.
bool Unwritable(LPCWSTR section, LPCWSTR key, LPCWSTR value) {
    auto breaks = [](std::u16string_view s) {
        return s.find_first_of(u"\r\n") != std::u16string_view::npos;
    };
    if (breaks(section) || std::u16string_view(section).find(u']') != std::u16string_view::npos)
        return true;
    if (key) {
        std::u16string_view k = Trim(key);
        if (breaks(k) || k.find(u'=') != std::u16string_view::npos ||
            (!k.empty() && (k[0] == u';' || k[0] == u'[')))
            return true;
    }
    return value && breaks(value);
}

} // namespace

BOOL WritePrivateProfileString(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) {
    if (!section || !file || Unwritable(section, key, value)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(g_mutex);
    Text t = Load(file);
    if (t.unreadable) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // Names are trimmed as the file's are, or a write would add a copy that is never found.
    auto range = FindSection(t, section);
    if (!key) {
        if (!range)
            return TRUE;
        t.lines.erase(t.lines.begin() + static_cast<long>(range->first - 1),
                      t.lines.begin() + static_cast<long>(range->second));
        return Save(file, t) ? TRUE : FALSE;
    }
    const std::u16string_view name = Trim(key);
    std::u16string line = std::u16string(name) + u"=" + (value ? value : u"");
    if (!range) {
        if (!value)
            return TRUE;
        t.lines.push_back(u"[" + std::u16string(Trim(section)) + u"]");
        t.lines.push_back(line);
        return Save(file, t) ? TRUE : FALSE;
    }
    size_t lastEntry = range->first; // insert after the section's last non-blank line
    for (size_t i = range->first; i < range->second; ++i) {
        std::u16string_view k, v;
        if (Entry(t.lines[i], k, v) && ms::SameNoCase(k, name)) {
            if (value)
                t.lines[i] = line;
            else
                t.lines.erase(t.lines.begin() + static_cast<long>(i));
            return Save(file, t) ? TRUE : FALSE;
        }
        if (!Trim(t.lines[i]).empty())
            lastEntry = i + 1;
    }
    if (!value)
        return TRUE;
    t.lines.insert(t.lines.begin() + static_cast<long>(lastEntry), line);
    return Save(file, t) ? TRUE : FALSE;
}

BOOL GetPrivateProfileStruct(LPCWSTR section, LPCWSTR key, LPVOID data, UINT size, LPCWSTR file) {
    if (!section || !key || (!data && size)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::unique_lock lock(g_mutex);
    Text t = Load(file);
    lock.unlock();
    auto found = Lookup(t, section, key);
    if (!found) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (found->size() != 2 * (static_cast<size_t>(size) + 1)) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    std::vector<unsigned char> bytes(size + 1);
    for (size_t i = 0; i <= size; ++i) {
        int hi = ms::HexDigit((*found)[2 * i]), lo = ms::HexDigit((*found)[2 * i + 1]);
        if (hi < 0 || lo < 0) {
            SetLastError(ERROR_INVALID_DATA);
            return FALSE;
        }
        bytes[i] = static_cast<unsigned char>(hi * 16 + lo);
    }
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += bytes[i];
    if ((sum & 0xFF) != bytes[size]) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    std::copy(bytes.begin(), bytes.begin() + size, static_cast<unsigned char*>(data));
    return TRUE;
}

BOOL WritePrivateProfileStruct(LPCWSTR section, LPCWSTR key, LPCVOID data, UINT size,
                               LPCWSTR file) {
    if (!data)
        return WritePrivateProfileString(section, key, nullptr, file);
    static const char hex[] = "0123456789ABCDEF";
    std::u16string text;
    unsigned sum = 0;
    const auto* p = static_cast<const unsigned char*>(data);
    for (UINT i = 0; i < size; ++i) {
        text += static_cast<char16_t>(hex[p[i] >> 4]);
        text += static_cast<char16_t>(hex[p[i] & 15]);
        sum += p[i];
    }
    text += static_cast<char16_t>(hex[(sum >> 4) & 15]);
    text += static_cast<char16_t>(hex[sum & 15]);
    return WritePrivateProfileString(section, key, text.c_str(), file);
}
