// The registry of the current user. HKEY_CURRENT_USER is one readable, typed text file per user,
// <XDG config folder>/microscope/registry.txt, shared by both programs. Keeps the Windows
// contract the settings code relies on: key and value names are case-insensitive; opening
// without create fails with ERROR_FILE_NOT_FOUND for a missing key; RegQueryValueEx reports the
// type and the size in bytes (REG_SZ sizes include the terminator as written) and answers
// ERROR_MORE_DATA with the size needed; values are stored byte for byte as set. Every change
// takes a lock on the file, re-reads it, applies the one change and replaces the file
// atomically, so two programs running at once lose nothing. A damaged file is reported once on
// stderr, kept aside as registry.txt.damaged-<time>, and reading continues with an empty store.
// As the store of Windows lives in memory, a file removed while the program runs (its folder
// deleted) is read as this process last saw it, and its next change writes folder and file again.
// Differs: HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE are empty and cannot be written; access
// rights are checked per handle, security descriptors and classes are ignored.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

using REGSAM = DWORD;
using PHKEY = HKEY*;
using LSTATUS = LONG;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u)))

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u
#define REG_QWORD 11u

#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu

#define REG_OPTION_NON_VOLATILE 0u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

LSTATUS RegOpenKeyEx(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS RegCreateKeyEx(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                       REGSAM access, LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition);
LSTATUS RegCloseKey(HKEY key);
// data NULL: only type and size are reported. *size too small: ERROR_MORE_DATA, *size = needed.
LSTATUS RegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                        LPDWORD size);
LSTATUS RegSetValueEx(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD size);
LSTATUS RegDeleteValue(HKEY key, LPCWSTR name);
// Fails with ERROR_ACCESS_DENIED while the key has subkeys, as on Windows.
LSTATUS RegDeleteKey(HKEY key, LPCWSTR subKey);

namespace ms {

std::u16string RegistryFile(); // where HKEY_CURRENT_USER is kept now

// Gathers the changes this process makes while it lives into one replacement of the file, so
// that a run of settings costs one write instead of one each. The file's lock is taken at the
// first change and held to the end: another program that changes a setting meanwhile waits,
// then re-reads, and sees all of the batch or none of it. Queries in this process see each
// change at once. A batch opened inside another joins it. Differs from single changes: the
// calls report success before the file is written; a write that fails at the end loses the
// batch, as a failed single change loses itself.
class RegistryBatch {
public:
    RegistryBatch();
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;
};

} // namespace ms
