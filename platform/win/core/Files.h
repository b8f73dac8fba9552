// Files and folders under the Win32 names: thin POSIX wrappers with Windows return values and
// GetLastError codes. Paths are UTF-16 with '/' as separator. Differs from Windows: share
// modes are not enforced; FindFirstFile matches '*' and '?' case-insensitively without 8.3
// short names and returns its entries sorted by name (case-insensitive), the same on every
// machine; CopyFile, ReplacingFile and WriteFileAtomic replace the target atomically, so a
// failed copy never leaves half a file.
#pragma once

#include "platform/win/WinTypes.h"
#include "platform/win/core/Handle.h"
#include "platform/win/core/TempFiles.h" // StaleTemps

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u

struct OVERLAPPED; // asynchronous I/O is not offered; pass NULL
using LPOVERLAPPED = OVERLAPPED*;

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
using WIN32_FIND_DATA = WIN32_FIND_DATAW;
using LPWIN32_FIND_DATA = WIN32_FIND_DATAW*;

HANDLE CreateFile(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                  DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE h, LONG distance, LPLONG distanceHigh, DWORD method);
DWORD GetFileSize(HANDLE h, LPDWORD sizeHigh);
BOOL FlushFileBuffers(HANDLE h);

// No match: INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND when the
// folder is missing). The listing includes "." and ".." when the pattern matches them.
HANDLE FindFirstFile(LPCWSTR pattern, LPWIN32_FIND_DATA data);
BOOL FindNextFile(HANDLE h, LPWIN32_FIND_DATA data); // FALSE + ERROR_NO_MORE_FILES at the end
BOOL FindClose(HANDLE h);

BOOL CopyFile(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
BOOL MoveFile(LPCWSTR from, LPCWSTR to); // fails with ERROR_ALREADY_EXISTS if `to` exists
BOOL DeleteFile(LPCWSTR name);
DWORD GetFileAttributes(LPCWSTR name);
BOOL CreateDirectory(LPCWSTR name, LPSECURITY_ATTRIBUTES sa);
BOOL RemoveDirectory(LPCWSTR name);
// Returns the length without terminator, or the size needed (with terminator) when the buffer
// is too small (the buffer is then untouched).
DWORD GetCurrentDirectory(DWORD size, LPWSTR buffer);
BOOL SetCurrentDirectory(LPCWSTR name);
// The program's path: the program folder (see ms::ProgramDir) and the executable's name.
// Cut to size-1 characters (terminated; returns size, ERROR_INSUFFICIENT_BUFFER) when too long.
DWORD GetModuleFileName(HMODULE module, LPWSTR buffer, DWORD size);

namespace ms {

// The folder of the running executable, or $MS_PROGRAM_DIR when set; no trailing '/'.
std::u16string ProgramDir();
// $XDG_DOCUMENTS_DIR, else the one named in user-dirs.dirs, else $HOME/Documents.
std::u16string DocumentsDir();
// $XDG_CONFIG_HOME when absolute, else $HOME/.config.
std::u16string ConfigDir();
// $XDG_DATA_HOME when absolute, else $HOME/.local/share.
std::u16string DataDir();
// $XDG_RUNTIME_DIR when set, else a per-user folder under /tmp.
std::u16string RuntimeDir();

// The running program's name ("Tessary", "Wavenor"); the executable's file name until a
// program sets it at start-up. It names the program's folder under DataDir().
void SetProgramName(std::u16string_view name);
std::u16string ProgramName();
// The folder a program keeps its own writable files in (calibrations, the stored capture size,
// fonts, the save folder, the export picture): the program folder where a file can be made
// in it, else DataDir()/ProgramName() (an installed program folder belongs to the system),
// made when missing. Decided at each call, by trying, not from permissions.
std::u16string ProgramDataDir();

std::string NativePath(std::u16string_view path); // UTF-8 for the POSIX calls

// A file that replaces `path` only once it is complete: written under a temporary name beside
// it ("<name>.tmp-<pid>-<n>") and renamed over it by Commit, keeping the old file's
// permissions. Destroyed without a successful Commit, it removes the temporary file and `path`
// stays as it was, byte for byte. A commit also removes the temporary files of every form
// (TempFiles.h) that processes no longer running (killed while writing) left beside `path`,
// unless made with StaleTemps::Leave: a writer of many new files in one folder clears those
// once for the folder (RemoveStaleTempsIn) rather than reading the folder at every commit.
class ReplacingFile {
public:
    explicit ReplacingFile(std::u16string_view path, StaleTemps stale = StaleTemps::RemoveOnCommit);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Where to write; NULL when the temporary file could not be made (GetLastError tells why).
    FILE* Stream() const { return stream_; }
    // Flushes the stream to the disk and renames the file over `path`. False (GetLastError
    // tells why, ERROR_DISK_FULL for a full disk) when a write failed or the rename did.
    bool Commit();

private:
    std::string path_, temp_;
    FILE* stream_ = nullptr;
    StaleTemps stale_;
};

// Writes `bytes` through a ReplacingFile. False (and the old file untouched) on any failure;
// GetLastError tells why.
bool WriteFileAtomic(std::u16string_view path, std::string_view bytes);
// The whole file, or nothing when it cannot be read or is larger than maxBytes.
std::optional<std::string> ReadFileBytes(std::u16string_view path, size_t maxBytes = 64u << 20);
// Case-insensitive '*' / '?' match, as FindFirstFile applies it.
bool MatchWildcard(std::u16string_view pattern, std::u16string_view name);

} // namespace ms
