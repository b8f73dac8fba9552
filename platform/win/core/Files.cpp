#include "platform/win/core/Files.h"

#include "platform/win/core/TempFiles.h"
#include "platform/win/core/WString.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class FileObject : public ms::KernelObject {
public:
    explicit FileObject(int fd) : fd(fd) {}
    ~FileObject() override { ::close(fd); }
    int fd;
};

// A listing kept small (a full find record is over 500 bytes, most of it an empty name
// buffer): the records are written out only as FindFirstFile and FindNextFile hand them over.
class FindObject : public ms::KernelObject {
public:
    struct Entry {
        std::u16string name;
        DWORD attributes = 0;
        FILETIME accessed{}, written{};
        unsigned long long size = 0;
    };
    std::vector<Entry> entries;
    size_t next = 0;

    void Fill(size_t i, WIN32_FIND_DATAW& fd) const {
        const Entry& e = entries[i];
        fd = WIN32_FIND_DATAW{};
        fd.dwFileAttributes = e.attributes;
        fd.ftCreationTime = e.written;
        fd.ftLastAccessTime = e.accessed;
        fd.ftLastWriteTime = e.written;
        fd.nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
        fd.nFileSizeLow = static_cast<DWORD>(e.size);
        ms::CopyBounded(fd.cFileName, MAX_PATH, e.name);
    }
};

std::string Dirname(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsDir(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ENOENT means ERROR_PATH_NOT_FOUND when the folder itself is missing, as on Windows.
void SetErrorForPath(int err, const std::string& path) {
    if (err == ENOENT && !IsDir(Dirname(path)))
        SetLastError(ERROR_PATH_NOT_FOUND);
    else
        ms::SetLastErrorFromErrno(err);
}

std::string HomeDir() {
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    if (struct passwd* pw = ::getpwuid(::getuid()))
        return pw->pw_dir;
    return "/tmp";
}

std::u16string Trimmed(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return ms::FromUtf8(dir);
}

FILETIME ToFileTime(const struct timespec& ts) {
    // 100-nanosecond intervals since 1601-01-01.
    unsigned long long t =
        (static_cast<unsigned long long>(ts.tv_sec) + 11644473600ull) * 10000000ull +
        static_cast<unsigned long long>(ts.tv_nsec) / 100u;
    return FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
}

DWORD AttributesOf(const struct stat& st, const std::u16string& name) {
    DWORD a = 0;
    if (S_ISDIR(st.st_mode))
        a |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(st.st_mode & S_IWUSR))
        a |= FILE_ATTRIBUTE_READONLY;
    if (!name.empty() && name[0] == u'.' && name != u"." && name != u"..")
        a |= FILE_ATTRIBUTE_HIDDEN;
    return a ? a : FILE_ATTRIBUTE_NORMAL;
}

bool WriteAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

} // namespace

std::string ms::NativePath(std::u16string_view path) {
    return ToUtf8(path);
}

std::u16string ms::ProgramDir() {
    const char* env = std::getenv("MS_PROGRAM_DIR");
    if (env && *env)
        return Trimmed(env);
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return u".";
    buf[n] = 0;
    return Trimmed(Dirname(buf));
}

std::u16string ms::ConfigDir() {
    const char* env = std::getenv("XDG_CONFIG_HOME");
    if (env && env[0] == '/')
        return Trimmed(env);
    return Trimmed(HomeDir() + "/.config");
}

// Where a program keeps the files it cannot keep beside itself.
std::u16string ms::DataDir() {
    const char* env = std::getenv("XDG_DATA_HOME");
    if (env && env[0] == '/')
        return Trimmed(env);
    return Trimmed(HomeDir() + "/.local/share");
}

namespace {
std::mutex g_programNameLock;
std::u16string g_programName; // empty: the executable's file name

// Whether a file can be made in the folder: tried, since permissions do not tell for root,
// a read-only mount or a folder on a full disk.
bool CanMakeFilesIn(const std::string& dir) {
    if (!IsDir(dir))
        return false;
    std::string probe = dir + "/.write-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}
} // namespace

void ms::SetProgramName(std::u16string_view name) {
    std::lock_guard lock(g_programNameLock);
    g_programName = name;
}

std::u16string ms::ProgramName() {
    {
        std::lock_guard lock(g_programNameLock);
        if (!g_programName.empty())
            return g_programName;
    }
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return u"program";
    buf[n] = 0;
    const std::string path(buf);
    return FromUtf8(path.substr(path.rfind('/') + 1));
}

std::u16string ms::ProgramDataDir() {
    const std::u16string program = ProgramDir();
    if (CanMakeFilesIn(NativePath(program)))
        return program;
    const std::u16string data = DataDir();
    const std::u16string own = data + u"/" + ProgramName();
    std::error_code ec;
    std::filesystem::create_directories(NativePath(own), ec);
    return own;
}

std::u16string ms::RuntimeDir() {
    const char* env = std::getenv("XDG_RUNTIME_DIR");
    if (env && env[0] == '/')
        return Trimmed(env);
    std::string dir = "/tmp/ms-runtime-" + std::to_string(::getuid());
    ::mkdir(dir.c_str(), 0700);
    return FromUtf8(dir);
}

std::u16string ms::DocumentsDir() {
    const std::string home = HomeDir();
    const char* env = std::getenv("XDG_DOCUMENTS_DIR");
    if (env && env[0] == '/')
        return Trimmed(env);
    std::ifstream dirs(NativePath(ConfigDir()) + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=\"";
    while (std::getline(dirs, line)) {
        if (line.compare(0, key.size(), key) != 0 || line.back() != '"')
            continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.compare(0, 5, "$HOME") == 0)
            value = home + value.substr(5);
        // A documents folder equal to the home folder means "not set" in user-dirs.dirs.
        if (value.empty() || value[0] != '/' || value == home || value == home + "/")
            break;
        return Trimmed(value);
    }
    return Trimmed(home + "/Documents");
}

ms::ReplacingFile::ReplacingFile(std::u16string_view path, StaleTemps stale)
    : path_(NativePath(path)), stale_(stale) {
    struct stat st;
    mode_t mode = ::stat(path_.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0666;
    int fd = ms::CreateTempBeside(path_, temp_, mode);
    if (fd < 0) {
        SetErrorForPath(errno, path_);
        return;
    }
    stream_ = ::fdopen(fd, "wb");
    if (!stream_) {
        ms::SetLastErrorFromErrno(errno);
        ::close(fd);
        ::unlink(temp_.c_str());
    }
}

ms::ReplacingFile::~ReplacingFile() {
    if (!stream_)
        return;
    std::fclose(stream_);
    ::unlink(temp_.c_str());
}

bool ms::ReplacingFile::Commit() {
    if (!stream_)
        return false;
    FILE* stream = stream_;
    stream_ = nullptr;
    // A write that failed earlier left its errno (most likely still current) and the flag.
    bool ok = !std::ferror(stream);
    int err = ok ? 0 : errno;
    if (ok && (std::fflush(stream) != 0 || ::fsync(::fileno(stream)) != 0)) {
        ok = false;
        err = errno;
    }
    if (std::fclose(stream) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) {
        if (::rename(temp_.c_str(), path_.c_str()) == 0) {
            if (stale_ == StaleTemps::RemoveOnCommit)
                ms::RemoveStaleTemps(path_);
            return true;
        }
        err = errno;
    }
    ::unlink(temp_.c_str());
    SetLastErrorFromErrno(err ? err : EIO);
    return false;
}

bool ms::WriteFileAtomic(std::u16string_view path, std::string_view bytes) {
    ReplacingFile file(path);
    if (!file.Stream())
        return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()) != bytes.size()) {
        SetLastErrorFromErrno(errno ? errno : EIO);
        return false;
    }
    return file.Commit();
}

std::optional<std::string> ms::ReadFileBytes(std::u16string_view path, size_t maxBytes) {
    int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetErrorForPath(errno, NativePath(path));
        return std::nullopt;
    }
    std::string out;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || out.size() + static_cast<size_t>(n) > maxBytes) {
            ::close(fd);
            SetLastError(n < 0 ? ERROR_READ_FAULT : ERROR_INVALID_DATA);
            return std::nullopt;
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

bool ms::MatchWildcard(std::u16string_view pattern, std::u16string_view name) {
    if (pattern == u"*.*")
        return true; // every name, with or without an extension
    size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || ToUpper(pattern[p]) == ToUpper(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

HANDLE CreateFile(LPCWSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                  DWORD, HANDLE) {
    if (!name || !*name) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = ms::NativePath(name);
    int flags = O_CLOEXEC;
    bool r = access & GENERIC_READ, w = access & GENERIC_WRITE;
    flags |= (r && w) ? O_RDWR : (w ? O_WRONLY : O_RDONLY);
    struct stat st;
    bool existed = ::stat(path.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    switch (disposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        flags |= O_TRUNC;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        if (errno == EEXIST)
            SetLastError(ERROR_FILE_EXISTS);
        else
            SetErrorForPath(errno, path);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = ms::NewHandle(std::make_shared<FileObject>(fd));
    // Windows reports an existing file that CREATE_ALWAYS/OPEN_ALWAYS opened.
    SetLastError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS)
                     ? ERROR_ALREADY_EXISTS
                     : ERROR_SUCCESS);
    return h;
}

BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
    if (read)
        *read = 0;
    auto f = ms::ObjectAs<FileObject>(h);
    if (!f || (!buffer && toRead)) {
        SetLastError(f ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD done = 0;
    char* p = static_cast<char*>(buffer);
    while (done < toRead) {
        ssize_t n = ::read(f->fd, p + done, toRead - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ms::SetLastErrorFromErrno(errno);
            if (read)
                *read = done;
            return FALSE;
        }
        if (n == 0)
            break;
        done += static_cast<DWORD>(n);
    }
    if (read)
        *read = done;
    return TRUE;
}

BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
    if (written)
        *written = 0;
    auto f = ms::ObjectAs<FileObject>(h);
    if (!f || (!buffer && toWrite)) {
        SetLastError(f ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD done = 0;
    const char* p = static_cast<const char*>(buffer);
    while (done < toWrite) {
        ssize_t n = ::write(f->fd, p + done, toWrite - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ms::SetLastErrorFromErrno(n < 0 ? errno : ENOSPC);
            if (written)
                *written = done;
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (written)
        *written = done;
    return TRUE;
}

DWORD SetFilePointer(HANDLE h, LONG distance, LPLONG distanceHigh, DWORD method) {
    auto f = ms::ObjectAs<FileObject>(h);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    long long offset =
        distanceHigh
            ? static_cast<long long>(
                  (static_cast<unsigned long long>(static_cast<DWORD>(*distanceHigh)) << 32) |
                  static_cast<DWORD>(distance))
            : static_cast<long long>(distance);
    int whence = method == FILE_CURRENT ? SEEK_CUR : (method == FILE_END ? SEEK_END : SEEK_SET);
    off_t pos = ::lseek(f->fd, static_cast<off_t>(offset), whence);
    if (pos < 0) {
        SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<unsigned long long>(pos) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(pos);
}

DWORD GetFileSize(HANDLE h, LPDWORD sizeHigh) {
    auto f = ms::ObjectAs<FileObject>(h);
    struct stat st;
    if (!f || ::fstat(f->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    if (sizeHigh)
        *sizeHigh = static_cast<DWORD>(static_cast<unsigned long long>(st.st_size) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(st.st_size);
}

BOOL FlushFileBuffers(HANDLE h) {
    auto f = ms::ObjectAs<FileObject>(h);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (::fsync(f->fd) != 0) {
        ms::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

HANDLE FindFirstFile(LPCWSTR pattern, LPWIN32_FIND_DATA data) {
    if (!pattern || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::u16string_view full(pattern);
    size_t slash = full.rfind(u'/');
    std::u16string dir =
        slash == std::u16string_view::npos ? u"." : std::u16string(full.substr(0, slash));
    if (dir.empty())
        dir = u"/";
    std::u16string_view mask = slash == std::u16string_view::npos ? full : full.substr(slash + 1);
    const std::string native = ms::NativePath(dir);
    DIR* d = ::opendir(native.c_str());
    if (!d) {
        SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                         : ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    auto find = std::make_shared<FindObject>();
    while (struct dirent* e = ::readdir(d)) {
        std::string raw = e->d_name;
        std::u16string name = ms::FromUtf8(raw);
        // Names that are not UTF-8 could not be opened again by the name we would return.
        if (ms::ToUtf8(name) != raw || name.size() >= MAX_PATH || mask.empty() ||
            !ms::MatchWildcard(mask, name))
            continue;
        // Relative to the open folder: no path to build and resolve again for every entry.
        struct stat st;
        if (::fstatat(::dirfd(d), raw.c_str(), &st, 0) != 0 &&
            ::fstatat(::dirfd(d), raw.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        FindObject::Entry entry;
        entry.attributes = AttributesOf(st, name);
        entry.accessed = ToFileTime(st.st_atim);
        entry.written = ToFileTime(st.st_mtim);
        if (!S_ISDIR(st.st_mode))
            entry.size = static_cast<unsigned long long>(st.st_size);
        entry.name = std::move(name);
        find->entries.push_back(std::move(entry));
    }
    ::closedir(d);
    if (find->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::sort(find->entries.begin(), find->entries.end(),
              [](const FindObject::Entry& a, const FindObject::Entry& b) {
                  int c = _wcsicmp(a.name.c_str(), b.name.c_str());
                  return c != 0 ? c < 0 : wcscmp(a.name.c_str(), b.name.c_str()) < 0;
              });
    find->Fill(0, *data);
    find->next = 1;
    SetLastError(ERROR_SUCCESS);
    return ms::NewHandle(find);
}

BOOL FindNextFile(HANDLE h, LPWIN32_FIND_DATA data) {
    auto find = ms::ObjectAs<FindObject>(h);
    if (!find || !data) {
        SetLastError(find ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (find->next >= find->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    find->Fill(find->next++, *data);
    return TRUE;
}

BOOL FindClose(HANDLE h) {
    if (!ms::ObjectAs<FindObject>(h)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return ms::ReleaseHandle(h) ? TRUE : FALSE;
}

BOOL CopyFile(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    if (!from || !to) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string src = ms::NativePath(from), dst = ms::NativePath(to);
    int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (in < 0 || ::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        int err = in < 0 ? errno : EACCES;
        if (in >= 0)
            ::close(in);
        SetErrorForPath(err, src);
        return FALSE;
    }
    if (failIfExists && ::access(dst.c_str(), F_OK) == 0) {
        ::close(in);
        SetLastError(ERROR_FILE_EXISTS);
        return FALSE;
    }
    std::string temp;
    int out = ms::CreateTempBeside(dst, temp, st.st_mode & 0777);
    if (out < 0) {
        int err = errno;
        ::close(in);
        SetErrorForPath(err, dst);
        return FALSE;
    }
    bool ok = true;
    int err = 0;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            err = errno;
            break;
        }
        if (!WriteAll(out, buf, static_cast<size_t>(n))) {
            ok = false;
            err = errno;
            break;
        }
    }
    ::close(in);
    if (::close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) {
        // link() refuses an existing target atomically; rename() replaces it atomically.
        if (failIfExists ? ::link(temp.c_str(), dst.c_str()) == 0
                         : ::rename(temp.c_str(), dst.c_str()) == 0) {
            if (failIfExists)
                ::unlink(temp.c_str());
            ms::RemoveStaleTemps(dst);
            return TRUE;
        }
        err = errno;
    }
    ::unlink(temp.c_str());
    if (err == EEXIST)
        SetLastError(ERROR_FILE_EXISTS);
    else
        ms::SetLastErrorFromErrno(err ? err : EIO);
    return FALSE;
}

BOOL MoveFile(LPCWSTR from, LPCWSTR to) {
    if (!from || !to) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string src = ms::NativePath(from), dst = ms::NativePath(to);
    if (::renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0)
        return TRUE;
    if (errno == EXDEV && !IsDir(src)) {
        if (!CopyFile(from, to, TRUE))
            return FALSE;
        return DeleteFile(from);
    }
    if (errno == EEXIST)
        SetLastError(ERROR_ALREADY_EXISTS);
    else
        SetErrorForPath(errno, src);
    return FALSE;
}

BOOL DeleteFile(LPCWSTR name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string p = ms::NativePath(name);
    if (IsDir(p)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (::unlink(p.c_str()) != 0) {
        SetErrorForPath(errno, p);
        return FALSE;
    }
    return TRUE;
}

DWORD GetFileAttributes(LPCWSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::string p = ms::NativePath(name);
    struct stat st;
    if (::stat(p.c_str(), &st) != 0) {
        SetErrorForPath(errno, p);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::u16string_view n(name);
    size_t slash = n.rfind(u'/');
    return AttributesOf(
        st, std::u16string(slash == std::u16string_view::npos ? n : n.substr(slash + 1)));
}

BOOL CreateDirectory(LPCWSTR name, LPSECURITY_ATTRIBUTES) {
    if (!name || !*name) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (::mkdir(ms::NativePath(name).c_str(), 0777) != 0) {
        if (errno == ENOENT)
            SetLastError(ERROR_PATH_NOT_FOUND);
        else
            ms::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

BOOL RemoveDirectory(LPCWSTR name) {
    if (!name || ::rmdir(ms::NativePath(name).c_str()) != 0) {
        if (!name)
            SetLastError(ERROR_INVALID_PARAMETER);
        else
            SetErrorForPath(errno, ms::NativePath(name));
        return FALSE;
    }
    return TRUE;
}

DWORD GetCurrentDirectory(DWORD size, LPWSTR buffer) {
    char buf[4096];
    if (!::getcwd(buf, sizeof buf)) {
        ms::SetLastErrorFromErrno(errno);
        return 0;
    }
    std::u16string dir = ms::FromUtf8(buf);
    if (!buffer || size <= dir.size())
        return static_cast<DWORD>(dir.size() + 1);
    ms::CopyBounded(buffer, size, dir);
    return static_cast<DWORD>(dir.size());
}

BOOL SetCurrentDirectory(LPCWSTR name) {
    if (!name || ::chdir(ms::NativePath(name).c_str()) != 0) {
        if (!name)
            SetLastError(ERROR_INVALID_PARAMETER);
        else
            SetErrorForPath(errno, ms::NativePath(name));
        return FALSE;
    }
    return TRUE;
}

DWORD GetModuleFileName(HMODULE, LPWSTR buffer, DWORD size) {
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    char exe[4096];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = 0;
    std::string base = exe;
    size_t slash = base.rfind('/');
    if (slash != std::string::npos)
        base = base.substr(slash + 1);
    std::u16string path = ms::ProgramDir() + u"/" + ms::FromUtf8(base);
    ms::CopyBounded(buffer, size, path);
    if (path.size() >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}
