#include "platform/win/core/Registry.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace {

struct Value {
    std::u16string name;
    DWORD type = REG_NONE;
    std::string bytes;
    // Zero bytes after `bytes`: the padding a REG_SZ's declared size asks for beyond its text.
    // Kept as a count, so that what a value costs is what the file spells out.
    size_t zeros = 0;

    size_t Size() const { return bytes.size() + zeros; }
};

// The most that the values of one file may hold together (the padding of REG_SZ values
// included); a file that declares more is damaged. The file itself is read up to this size.
constexpr size_t kMaxStoreBytes = 16u << 20;

struct Key {
    std::u16string path; // components joined by '\', as first created
    std::vector<Value> values;
};

struct Store {
    std::vector<Key> keys;

    Key* Find(std::u16string_view path) {
        for (auto& k : keys)
            if (ms::SameNoCase(k.path, path))
                return &k;
        return nullptr;
    }
    bool HasSubkeys(std::u16string_view path) const {
        for (const auto& k : keys)
            if (k.path.size() > path.size() && k.path[path.size()] == u'\\' &&
                ms::SameNoCase(std::u16string_view(k.path).substr(0, path.size()), path))
                return true;
        return false;
    }
};

struct KeyHandle {
    std::u16string path; // "" is the root of HKEY_CURRENT_USER
    REGSAM access;
};

std::mutex g_mutex; // one registry operation at a time in this process
// Open handles. Never destroyed, so that a key left open at exit is not taken for a leak.
std::unordered_set<KeyHandle*>& g_handles = *new std::unordered_set<KeyHandle*>;
KeyHandle g_currentUser{u"", KEY_ALL_ACCESS};

// Text form ---------------------------------------------------------------------------------

void Quote(std::u16string& out, std::u16string_view s) {
    static const char hex[] = "0123456789ABCDEF";
    out += u'"';
    for (char16_t c : s) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) {
            out += u"\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += static_cast<char16_t>(hex[(c >> shift) & 0xF]);
        } else {
            out += c;
        }
    }
    out += u'"';
}

// Reads a quoted string at s[pos]; pos ends after the closing quote.
std::optional<std::u16string> Unquote(std::u16string_view s, size_t& pos) {
    if (pos >= s.size() || s[pos] != u'"')
        return std::nullopt;
    std::u16string out;
    for (++pos; pos < s.size(); ++pos) {
        char16_t c = s[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++pos >= s.size())
            return std::nullopt;
        c = s[pos];
        if (c == u'"' || c == u'\\') {
            out += c;
        } else if (c == u'u' && pos + 4 < s.size()) {
            unsigned v = 0;
            for (int i = 1; i <= 4; ++i) {
                char16_t h = s[pos + static_cast<size_t>(i)];
                int d = (h >= u'0' && h <= u'9')   ? h - u'0'
                        : (h >= u'A' && h <= u'F') ? h - u'A' + 10
                        : (h >= u'a' && h <= u'f') ? h - u'a' + 10
                                                   : -1;
                if (d < 0)
                    return std::nullopt;
                v = v * 16 + static_cast<unsigned>(d);
            }
            out += static_cast<char16_t>(v);
            pos += 4;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::u16string HexBytes(const std::string& bytes) {
    static const char hex[] = "0123456789abcdef";
    std::u16string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i)
            out += u',';
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        out += static_cast<char16_t>(hex[b >> 4]);
        out += static_cast<char16_t>(hex[b & 15]);
    }
    return out;
}

std::optional<std::string> ParseHexBytes(std::u16string_view s) {
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        if (i + 1 >= s.size() || ms::HexDigit(s[i]) < 0 || ms::HexDigit(s[i + 1]) < 0)
            return std::nullopt;
        out += static_cast<char>(ms::HexDigit(s[i]) * 16 + ms::HexDigit(s[i + 1]));
        i += 2;
        if (i < s.size() && s[i++] != u',')
            return std::nullopt;
        if (i == s.size() && s.back() == u',')
            return std::nullopt;
    }
    return out;
}

// A REG_SZ is written as its text plus its byte size: the bytes are the text's UTF-16LE units,
// then cut or zero-padded to the size (the padding holds the terminator). Any byte string
// round-trips: the text is the bytes' units up to the last nonzero one.
std::u16string SzText(const std::string& bytes) {
    std::u16string units;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        unsigned lo = static_cast<unsigned char>(bytes[i]);
        unsigned hi = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        units += static_cast<char16_t>(lo | (hi << 8));
    }
    while (!units.empty() && units.back() == 0)
        units.pop_back();
    return units;
}

// The bytes of `text` cut to `size`; the rest of the size is zero padding, left to the caller.
std::string SzBytes(const std::u16string& text, size_t size) {
    std::string bytes;
    for (char16_t c : text) {
        if (bytes.size() >= size)
            break;
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    bytes.resize(std::min(bytes.size(), size));
    return bytes;
}

std::string Serialize(const Store& store) {
    std::u16string out = u"# Settings of the microscope programs (the current user's registry).\n"
                         u"# [key], then \"value\"=dword:hex | sz(bytes):\"text\" | hex:bytes | "
                         u"hex(type):bytes\n";
    for (const auto& k : store.keys) {
        out += u"\n[" + k.path + u"]\n";
        for (const auto& v : k.values) {
            if (v.name.empty())
                out += u"@";
            else
                Quote(out, v.name);
            out += u'=';
            if (v.type == REG_DWORD && v.bytes.size() == 4) {
                DWORD d = 0;
                for (int i = 3; i >= 0; --i)
                    d = (d << 8) | static_cast<unsigned char>(v.bytes[static_cast<size_t>(i)]);
                char buf[16];
                std::snprintf(buf, sizeof buf, "dword:%08x", d);
                out += ms::FromUtf8(buf);
            } else if (v.type == REG_SZ) {
                out += u"sz(" + ms::FromUtf8(std::to_string(v.Size())) + u"):";
                Quote(out, SzText(v.bytes));
            } else if (v.type == REG_BINARY) {
                out += u"hex:" + HexBytes(v.bytes);
            } else {
                out += u"hex(" + ms::FromUtf8(std::to_string(v.type)) + u"):" + HexBytes(v.bytes);
            }
            out += u'\n';
        }
    }
    return ms::ToUtf8(out);
}

std::optional<DWORD> ParseNumber(std::u16string_view s, int base) {
    if (s.empty() || s.size() > 10)
        return std::nullopt;
    unsigned long long v = 0;
    for (char16_t c : s) {
        int d = (c >= u'0' && c <= u'9')                 ? c - u'0'
                : (base == 16 && c >= u'a' && c <= u'f') ? c - u'a' + 10
                : (base == 16 && c >= u'A' && c <= u'F') ? c - u'A' + 10
                                                         : -1;
        if (d < 0)
            return std::nullopt;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    if (v > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<DWORD>(v);
}

bool ValidPath(std::u16string_view p) {
    if (p.empty() || p.front() == u'\\' || p.back() == u'\\')
        return false;
    for (size_t i = 0; i < p.size(); ++i)
        if (p[i] < 0x20 || (p[i] == u'\\' && p[i + 1] == u'\\'))
            return false;
    return true;
}

// Parses the file; on damage returns nothing and tells the line.
std::optional<Store> Parse(std::string_view text, int& badLine) {
    Store store;
    Key* current = nullptr;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") // an editor may have added a byte-order mark
        text.remove_prefix(3);
    std::u16string all = ms::FromUtf8(text);
    size_t start = 0, total = 0;
    badLine = 0;
    while (start < all.size()) {
        ++badLine;
        size_t end = all.find(u'\n', start);
        if (end == std::u16string::npos)
            end = all.size();
        std::u16string_view line(all.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        if (line.empty() || line[0] == u'#' || line[0] == u';')
            continue;
        if (line[0] == u'[') {
            size_t close = line.rfind(u']');
            if (close == std::u16string_view::npos || close != line.size() - 1)
                return std::nullopt;
            std::u16string_view path = line.substr(1, close - 1);
            if (!ValidPath(path) || store.Find(path))
                return std::nullopt;
            store.keys.push_back(Key{std::u16string(path), {}});
            current = &store.keys.back();
            continue;
        }
        if (!current)
            return std::nullopt;
        Value v;
        size_t pos = 0;
        if (line[0] == u'@') {
            pos = 1;
        } else {
            auto name = Unquote(line, pos);
            if (!name)
                return std::nullopt;
            v.name = *name;
        }
        if (pos >= line.size() || line[pos++] != u'=')
            return std::nullopt;
        std::u16string_view rest = line.substr(pos);
        if (rest.substr(0, 6) == u"dword:") {
            auto d = ParseNumber(rest.substr(6), 16);
            if (!d || rest.size() != 14)
                return std::nullopt;
            v.type = REG_DWORD;
            for (int i = 0; i < 4; ++i)
                v.bytes += static_cast<char>((*d >> (8 * i)) & 0xFF);
        } else if (rest.substr(0, 3) == u"sz(") {
            size_t close = rest.find(u"):");
            if (close == std::u16string_view::npos)
                return std::nullopt;
            auto size = ParseNumber(rest.substr(3, close - 3), 10);
            size_t q = close + 2;
            auto text = Unquote(rest, q);
            if (!size || !text || q != rest.size() || *size > kMaxStoreBytes)
                return std::nullopt;
            v.type = REG_SZ;
            v.bytes = SzBytes(*text, *size);
            v.zeros = *size - v.bytes.size();
        } else if (rest.substr(0, 4) == u"hex:") {
            auto bytes = ParseHexBytes(rest.substr(4));
            if (!bytes)
                return std::nullopt;
            v.type = REG_BINARY;
            v.bytes = *bytes;
        } else if (rest.substr(0, 4) == u"hex(") {
            size_t close = rest.find(u"):");
            if (close == std::u16string_view::npos)
                return std::nullopt;
            auto type = ParseNumber(rest.substr(4, close - 4), 10);
            auto bytes = ParseHexBytes(rest.substr(close + 2));
            if (!type || !bytes)
                return std::nullopt;
            v.type = *type;
            v.bytes = *bytes;
        } else {
            return std::nullopt;
        }
        for (const auto& other : current->values)
            if (ms::SameNoCase(other.name, v.name))
                return std::nullopt;
        total += v.Size();
        if (total > kMaxStoreBytes)
            return std::nullopt;
        current->values.push_back(std::move(v));
    }
    return store;
}

// File access -------------------------------------------------------------------------------

std::string StorePath() {
    return ms::NativePath(ms::RegistryFile());
}

void SetAside(const std::string& path, int line) {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string backup = path + ".damaged-" + stamp;
    struct stat st;
    for (int n = 2; ::stat(backup.c_str(), &st) == 0 && n < 100; ++n)
        backup = path + ".damaged-" + stamp + "-" + std::to_string(n);
    bool kept = ::rename(path.c_str(), backup.c_str()) == 0;
    static bool reported = false; // one line per process, even if the file cannot be moved
    if (!reported)
        std::fprintf(stderr, "registry: %s is damaged (line %d); %s%s; starting with defaults\n",
                     path.c_str(), line, kept ? "kept as " : "could not be moved aside",
                     kept ? backup.c_str() : "");
    reported = true;
}

// The store as this process last read or wrote it, and the file it belongs to. Windows keeps
// the registry in memory while the user is logged on, so settings never vanish under a running
// program; here the file can (its folder removed behind the program's back). A missing file
// that this process has seen is therefore read from here, and the next change writes the
// whole store back, folder and all, so that later changes are not lost at exit.
struct Remembered {
    std::string path;
    Store store;
};
std::optional<Remembered> g_remembered; // under g_mutex

Store Remember(const std::string& path, Store store) {
    g_remembered = Remembered{path, store};
    return store;
}

// The store when its file is missing: what this process last saw of it, else nothing yet.
Store Missing(const std::string& path) {
    if (g_remembered && g_remembered->path == path)
        return g_remembered->store;
    return Store{};
}

// Reads the store. A damaged (or absurdly large) file is moved aside and reads as empty; a
// file that exists but cannot be read now gives nothing, so that no write replaces it.
std::optional<Store> Read(const std::string& path) {
    auto bytes = ms::ReadFileBytes(ms::FromUtf8(path), kMaxStoreBytes);
    if (!bytes) {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0)
            return Missing(path);
        if (GetLastError() != ERROR_INVALID_DATA)
            return std::nullopt;
        SetAside(path, 0);
        return Remember(path, Store{});
    }
    int line = 0;
    if (auto store = Parse(*bytes, line))
        return Remember(path, std::move(*store));
    SetAside(path, line);
    return Remember(path, Store{});
}

bool MakeFolders(const std::string& file) {
    for (size_t i = 1; i < file.size(); ++i)
        if (file[i] == '/') {
            std::string dir = file.substr(0, i);
            if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    return true;
}

// Holds the cross-process lock of the store while it lives.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR)
                ;
    }
    ~FileLock() {
        if (fd_ >= 0)
            ::close(fd_); // releases the lock
    }
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The open batch of this process (ms::RegistryBatch): the store read under the file's lock at
// its first change, that lock, and whether anything changed. Under g_mutex.
struct Batch {
    int depth = 0;
    std::string path;
    std::unique_ptr<FileLock> lock;
    std::optional<Store> store;
    bool changed = false;
};
Batch g_batch;

bool InBatch(const std::string& path) {
    return g_batch.store && g_batch.path == path;
}

// Reads the store for a query. Unlocked: writers replace the file atomically, so a reader
// sees either the old or the new file. A damaged file is set aside under the lock.
Store ReadForQuery() {
    const std::string path = StorePath();
    if (InBatch(path))
        return *g_batch.store;
    auto bytes = ms::ReadFileBytes(ms::FromUtf8(path), kMaxStoreBytes);
    int line = 0;
    if (bytes)
        if (auto store = Parse(*bytes, line))
            return Remember(path, std::move(*store));
    struct stat st;
    if (!bytes && ::stat(path.c_str(), &st) != 0)
        return Missing(path);
    FileLock lock(path);
    return Read(path).value_or(Store{});
}

// Applies one change under the lock to a freshly read store; writes only when `change` says
// the store changed and returned ERROR_SUCCESS.
template <typename Change> LSTATUS Modify(Change change) {
    const std::string path = StorePath();
    if (g_batch.depth > 0 && !g_batch.store) {
        if (!MakeFolders(path))
            return ERROR_ACCESS_DENIED;
        auto lock = std::make_unique<FileLock>(path);
        if (!lock->Held())
            return ERROR_ACCESS_DENIED;
        std::optional<Store> read = Read(path);
        if (!read)
            return ERROR_ACCESS_DENIED;
        g_batch.path = path;
        g_batch.lock = std::move(lock);
        g_batch.store = std::move(read);
    }
    if (InBatch(path)) {
        // A refused change leaves the batch as it was.
        Store next = *g_batch.store;
        bool changed = false;
        LSTATUS r = change(next, changed);
        if (r != ERROR_SUCCESS || !changed)
            return r;
        g_batch.store = Remember(path, std::move(next));
        g_batch.changed = true;
        return ERROR_SUCCESS;
    }
    if (!MakeFolders(path))
        return ERROR_ACCESS_DENIED;
    FileLock lock(path);
    if (!lock.Held())
        return ERROR_ACCESS_DENIED;
    std::optional<Store> read = Read(path);
    if (!read)
        return ERROR_ACCESS_DENIED; // never replace settings that could not be read
    Store& store = *read;
    bool changed = false;
    LSTATUS r = change(store, changed);
    if (r != ERROR_SUCCESS || !changed)
        return r;
    if (!ms::WriteFileAtomic(ms::FromUtf8(path), Serialize(store)))
        return GetLastError() == ERROR_DISK_FULL ? ERROR_DISK_FULL : ERROR_CANTWRITE;
    Remember(path, std::move(store));
    return ERROR_SUCCESS;
}

// Handles -----------------------------------------------------------------------------------

KeyHandle* HandleOf(HKEY key) {
    if (key == HKEY_CURRENT_USER)
        return &g_currentUser;
    auto* h = reinterpret_cast<KeyHandle*>(key);
    return g_handles.count(h) ? h : nullptr;
}

bool IsOtherRoot(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_LOCAL_MACHINE;
}

// The handle a call works on: the roots this store does not hold answer otherRoot, a handle
// that is not open ERROR_INVALID_HANDLE.
LSTATUS Resolve(HKEY key, LSTATUS otherRoot, KeyHandle*& handle) {
    handle = nullptr;
    if (IsOtherRoot(key))
        return otherRoot;
    handle = HandleOf(key);
    return handle ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// The full path of subKey under the key; components are split on '\', empty ones dropped.
std::optional<std::u16string> Join(const KeyHandle& parent, LPCWSTR subKey) {
    std::u16string path = parent.path;
    std::u16string_view rest(subKey ? subKey : u"");
    while (!rest.empty()) {
        size_t sep = rest.find(u'\\');
        std::u16string_view part = rest.substr(0, sep);
        rest = sep == std::u16string_view::npos ? std::u16string_view() : rest.substr(sep + 1);
        if (part.empty())
            continue;
        if (part.size() > 255)
            return std::nullopt;
        for (char16_t c : part)
            if (c < 0x20)
                return std::nullopt;
        if (!path.empty())
            path += u'\\';
        path += part;
    }
    return path;
}

bool KeyExists(Store& store, std::u16string_view path) {
    return path.empty() || store.Find(path);
}

HKEY NewHandle(std::u16string path, REGSAM access) {
    auto* h = new KeyHandle{std::move(path), access};
    g_handles.insert(h);
    return reinterpret_cast<HKEY>(h);
}

Value* FindValue(Key& k, LPCWSTR name) {
    std::u16string_view n(name ? name : u"");
    for (auto& v : k.values)
        if (ms::SameNoCase(v.name, n))
            return &v;
    return nullptr;
}

} // namespace

ms::RegistryBatch::RegistryBatch() {
    std::lock_guard lock(g_mutex);
    ++g_batch.depth;
}

ms::RegistryBatch::~RegistryBatch() {
    std::lock_guard lock(g_mutex);
    if (--g_batch.depth > 0)
        return;
    if (g_batch.changed)
        ms::WriteFileAtomic(ms::FromUtf8(g_batch.path), Serialize(*g_batch.store));
    g_batch = Batch{}; // releases the file's lock
}

std::u16string ms::RegistryFile() {
    return ConfigDir() + u"/microscope/registry.txt";
}

LSTATUS RegOpenKeyEx(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::lock_guard lock(g_mutex);
    KeyHandle* parent;
    if (LSTATUS r = Resolve(key, ERROR_FILE_NOT_FOUND, parent); r != ERROR_SUCCESS)
        return r;
    auto path = Join(*parent, subKey);
    if (!path)
        return ERROR_INVALID_PARAMETER;
    Store store = ReadForQuery();
    if (!KeyExists(store, parent->path))
        return ERROR_KEY_DELETED;
    Key* k = path->empty() ? nullptr : store.Find(*path);
    if (!path->empty() && !k)
        return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(k ? k->path : *path, access);
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyEx(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM access,
                       LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::lock_guard lock(g_mutex);
    KeyHandle* parent;
    if (LSTATUS r = Resolve(key, ERROR_ACCESS_DENIED, parent); r != ERROR_SUCCESS)
        return r;
    auto path = Join(*parent, subKey);
    if (!path)
        return ERROR_INVALID_PARAMETER;
    std::u16string finalPath = *path;
    DWORD how = REG_OPENED_EXISTING_KEY;
    LSTATUS r = Modify([&](Store& store, bool& changed) -> LSTATUS {
        if (!KeyExists(store, parent->path))
            return ERROR_KEY_DELETED;
        if (path->empty())
            return ERROR_SUCCESS;
        // Create every missing ancestor, keeping the spelling of those that exist.
        std::u16string built;
        size_t pos = 0;
        while (pos < path->size()) {
            size_t sep = path->find(u'\\', pos);
            if (sep == std::u16string::npos)
                sep = path->size();
            std::u16string part = path->substr(pos, sep - pos);
            std::u16string candidate = built.empty() ? part : built + u'\\' + part;
            if (Key* k = store.Find(candidate)) {
                built = k->path;
            } else {
                store.keys.push_back(Key{candidate, {}});
                built = candidate;
                changed = true;
                how = REG_CREATED_NEW_KEY;
            }
            pos = sep + 1;
        }
        finalPath = built;
        return ERROR_SUCCESS;
    });
    if (r != ERROR_SUCCESS)
        return r;
    if (disposition)
        *disposition = how;
    *result = NewHandle(finalPath, access);
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
    std::lock_guard lock(g_mutex);
    if (key == HKEY_CURRENT_USER || IsOtherRoot(key))
        return ERROR_SUCCESS;
    auto* h = reinterpret_cast<KeyHandle*>(key);
    if (!g_handles.erase(h))
        return ERROR_INVALID_HANDLE;
    delete h;
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    std::lock_guard lock(g_mutex);
    KeyHandle* h;
    if (LSTATUS r = Resolve(key, ERROR_FILE_NOT_FOUND, h); r != ERROR_SUCCESS)
        return r;
    if (!(h->access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    Store store = ReadForQuery();
    if (h->path.empty())
        return ERROR_FILE_NOT_FOUND; // the root holds no values
    Key* k = store.Find(h->path);
    if (!k)
        return ERROR_KEY_DELETED;
    Value* v = FindValue(*k, name);
    if (!v)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = v->type;
    DWORD needed = static_cast<DWORD>(v->Size());
    if (!data) {
        if (size)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::fill(std::copy(v->bytes.begin(), v->bytes.end(), data), data + needed, 0);
    *size = needed;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueEx(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    std::lock_guard lock(g_mutex);
    KeyHandle* h;
    if (LSTATUS r = Resolve(key, ERROR_ACCESS_DENIED, h); r != ERROR_SUCCESS)
        return r;
    if (!(h->access & KEY_SET_VALUE) || h->path.empty())
        return ERROR_ACCESS_DENIED;
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
    return Modify([&](Store& store, bool& changed) -> LSTATUS {
        Key* k = store.Find(h->path);
        if (!k)
            return ERROR_KEY_DELETED;
        Value* v = FindValue(*k, name);
        if (!v) {
            k->values.push_back(Value{name ? name : u"", type, bytes});
        } else {
            v->type = type;
            v->bytes = bytes;
            v->zeros = 0;
        }
        changed = true;
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteValue(HKEY key, LPCWSTR name) {
    std::lock_guard lock(g_mutex);
    KeyHandle* h;
    if (LSTATUS r = Resolve(key, ERROR_ACCESS_DENIED, h); r != ERROR_SUCCESS)
        return r;
    if (!(h->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    return Modify([&](Store& store, bool& changed) -> LSTATUS {
        Key* k = store.Find(h->path);
        if (!k)
            return h->path.empty() ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
        Value* v = FindValue(*k, name);
        if (!v)
            return ERROR_FILE_NOT_FOUND;
        k->values.erase(k->values.begin() + (v - k->values.data()));
        changed = true;
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteKey(HKEY key, LPCWSTR subKey) {
    std::lock_guard lock(g_mutex);
    KeyHandle* h;
    if (LSTATUS r = Resolve(key, ERROR_ACCESS_DENIED, h); r != ERROR_SUCCESS)
        return r;
    if (!subKey)
        return ERROR_INVALID_PARAMETER;
    auto path = Join(*h, subKey);
    if (!path)
        return ERROR_INVALID_PARAMETER;
    if (path->empty())
        return ERROR_ACCESS_DENIED; // the root stays
    return Modify([&](Store& store, bool& changed) -> LSTATUS {
        Key* k = store.Find(*path);
        if (!k)
            return ERROR_FILE_NOT_FOUND;
        if (store.HasSubkeys(*path))
            return ERROR_ACCESS_DENIED;
        store.keys.erase(store.keys.begin() + (k - store.keys.data()));
        changed = true;
        return ERROR_SUCCESS;
    });
}
