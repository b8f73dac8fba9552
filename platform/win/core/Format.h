// The one printf-style formatter behind swprintf, _snwprintf, wsprintf and CString::Format.
// Numbers always come out in the "C" locale ("63.830", never "63,830"). Conversions as the
// Windows wide functions read them: %s/%ls/%ws take const WCHAR*, %S/%hs const char* (UTF-8);
// %c is a WCHAR, %C/%hc a char; %d %i %u %o %x %X with h, l (32-bit, as Windows' long),
// ll, I64, I32, I, z; %f %F %e %E %g %G %a %A; %p; width, precision, '*', flags "-+ 0#".
// A NULL string prints "(null)"; %n is refused (prints nothing). Differs from Windows: every
// bounded call terminates its buffer, and wsprintf accepts floating point.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdarg>
#include <cstddef>
#include <string>

namespace ms {

std::u16string FormatV(const WCHAR* fmt, va_list args);
std::u16string Format(const WCHAR* fmt, ...);

} // namespace ms

// Writes at most count-1 characters and a terminator (count > 0). Returns the length written,
// or -1 when the text was cut.
int swprintf(WCHAR* buf, size_t count, const WCHAR* fmt, ...);
int _snwprintf(WCHAR* buf, size_t count, const WCHAR* fmt, ...);
int vswprintf(WCHAR* buf, size_t count, const WCHAR* fmt, va_list args);
int _vsnwprintf(WCHAR* buf, size_t count, const WCHAR* fmt, va_list args);
// As Windows: writes at most 1024 characters including the terminator; returns the length.
int wsprintf(WCHAR* buf, const WCHAR* fmt, ...);
int wvsprintf(WCHAR* buf, const WCHAR* fmt, va_list args);
