// UI texts of both programs: every text the operator sees is looked up by key in the section
// "Rontage" of the current language file, with an English default compiled in.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

// Full path of the current language file; empty until a language has been chosen, and then
// every lookup yields its default.
extern WCHAR g_langFilePath[MAX_PATH];

// The path of the file `fileName` in the program folder (a language or help file) into
// `target`, cut to its size and always terminated.
void ProgramFilePath(WCHAR (&target)[MAX_PATH], LPCWSTR fileName);

// Copies the text of `key` from the current language file, or `defaultText` when the file, the
// section or the key is missing, into `buffer`, cut to `capacity` - 1 characters and always
// terminated. A key present with an empty text gives an empty text. Returns the number of
// characters copied. The file is read on every call (nothing is cached), so a language change
// shows at the next lookup. A capacity of 0 or less writes nothing.
int GetLangText(LPCWSTR key, LPWSTR buffer, int capacity, LPCWSTR defaultText);
// The same as a string, cut to `capacity` - 1 characters.
std::u16string LangString(LPCWSTR key, LPCWSTR defaultText, int capacity = 256);

// The code page that a language file without a byte-order mark is read in: the number that
// ends its name ("Russian1251.ini" -> 1251). Names whose number is no text code page of their
// script are mapped to the one that is ("Bulgarian442.ini" -> 1251, "Persian874.ini" -> 1256);
// a name without a number gives 1252.
UINT LanguageFileCodePage(LPCWSTR path);
