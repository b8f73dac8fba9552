// INI files through the Win32 private-profile calls. Keeps the Windows rules the system's code
// relies on: section and key names are case-insensitive; key, value and section names are
// trimmed of blanks and a value in matching quotes loses them; lines starting with ';' are
// comments; GetPrivateProfileString copies at most size-1 characters, always terminates, and
// returns the count copied (size-1 when cut; size-2 for the NULL-section/NULL-key lists);
// a missing file, section or key gives the default without trailing blanks. The struct calls
// store two upper-case hex digits per byte plus a checksum byte (the byte sum modulo 256); a
// wrong length, digit or checksum fails and leaves the caller's struct untouched.
// Encoding: a UTF-8, UTF-16LE or UTF-16BE byte-order mark decides; otherwise the code page
// named for that file (ms::SetProfileCodePage), else UTF-8. Writes keep the file's encoding,
// use CR LF line ends and replace the file atomically. Differs: a file name without a folder is
// taken relative to the current directory (not the Windows folder); a write whose text would
// add lines or sections (a line break, '=' in a key, ']' in a section name) is refused with
// ERROR_INVALID_PARAMETER instead of damaging the file.
#pragma once

#include "platform/win/WinTypes.h"

DWORD GetPrivateProfileString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultText, LPWSTR buffer,
                              DWORD size, LPCWSTR file);
// Reads the value as a decimal number (leading digits, optional sign); default when missing.
UINT GetPrivateProfileInt(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR file);
// value NULL deletes the key, key NULL deletes the whole section.
BOOL WritePrivateProfileString(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file);
BOOL GetPrivateProfileStruct(LPCWSTR section, LPCWSTR key, LPVOID data, UINT size, LPCWSTR file);
BOOL WritePrivateProfileStruct(LPCWSTR section, LPCWSTR key, LPCVOID data, UINT size, LPCWSTR file);

namespace ms {

// Names the Windows code page (1252, 936, 65001...) of a file that has no byte-order mark;
// file NULL sets the code page of every file not named on its own. codePage 0 forgets it.
void SetProfileCodePage(LPCWSTR file, UINT codePage);

} // namespace ms
