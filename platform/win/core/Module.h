// Libraries loaded at run time by name, under the Win32 calls. A bare name "Name.dll" stands
// for the shared library "libName.so" in the program folder (ms::ProgramDir), so a program
// finds the libraries that are installed beside it and no other; a name with a '/' is used as
// the path it is. Every LoadLibrary counts one load and needs its own FreeLibrary.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>
#include <string_view>

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L

using FARPROC = void (*)();

// NULL and ERROR_MOD_NOT_FOUND when the library is missing or cannot be loaded.
HMODULE LoadLibraryW(LPCWSTR name);
HMODULE LoadLibrary(LPCWSTR name);
// NULL and ERROR_PROC_NOT_FOUND when the library has no such entry point.
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

namespace ms {
// The file that LoadLibrary opens for `name`.
std::u16string LibraryPath(std::u16string_view name);
} // namespace ms
