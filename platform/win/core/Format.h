// The one printf-style formatter behind swprintf, _snwprintf, wsprintf and CString::Format.
// Numbers always come out in the "C" locale ("63.830", never "63,830"). Conversions as the
// Windows wide functions read them: %s/%ls/%ws take const WCHAR*, %S/%hs const char* (UTF-8);
// %c is a WCHAR, %C/%hc a char; %d %i %u %o %x %X with h, l (32-bit, as Windows' long),
// ll, I64, I32, I, z; %f %F %e %E %g %G %a %A; %p; width, precision, '*', flags "-+ 0#".
// A NULL string prints "(null)"; %n is refused (prints nothing). A CString or std::u16string
// argument is passed as its text, as MFC's CString is; any other object that cannot travel
// through "..." is refused at compile time. Differs from Windows: every bounded call
// terminates its buffer, and wsprintf accepts floating point.
#pragma once

#include "platform/win/WinTypes.h"

#include <concepts>
#include <cstdarg>
#include <cstddef>
#include <string>
#include <type_traits>

namespace ms {

std::u16string FormatV(const WCHAR* fmt, va_list args);

namespace detail {

std::u16string FormatC(const WCHAR* fmt, ...);
int SnwprintfC(WCHAR* buf, size_t count, const WCHAR* fmt, ...);
int WsprintfC(WCHAR* buf, const WCHAR* fmt, ...);

template <typename T> auto FormatArg(const T& v) {
    if constexpr (requires {
                      { v.GetString() } -> std::convertible_to<const WCHAR*>;
                  })
        return static_cast<const WCHAR*>(v.GetString());
    else if constexpr (std::is_same_v<T, std::u16string>)
        return v.c_str();
    else {
        using D = std::decay_t<const T&>;
        static_assert(std::is_arithmetic_v<D> || std::is_pointer_v<D> || std::is_enum_v<D> ||
                          std::is_null_pointer_v<D>,
                      "only numbers, pointers and text objects can be formatted");
        return static_cast<D>(v);
    }
}

} // namespace detail

template <typename... Args> std::u16string Format(const WCHAR* fmt, const Args&... args) {
    return detail::FormatC(fmt, detail::FormatArg(args)...);
}

} // namespace ms

// Writes at most count-1 characters and a terminator (count > 0). Returns the length written,
// or -1 when the text was cut.
template <typename... Args>
int swprintf(WCHAR* buf, size_t count, const WCHAR* fmt, const Args&... args) {
    return ms::detail::SnwprintfC(buf, count, fmt, ms::detail::FormatArg(args)...);
}
template <typename... Args>
int _snwprintf(WCHAR* buf, size_t count, const WCHAR* fmt, const Args&... args) {
    return ms::detail::SnwprintfC(buf, count, fmt, ms::detail::FormatArg(args)...);
}
int vswprintf(WCHAR* buf, size_t count, const WCHAR* fmt, va_list args);
int _vsnwprintf(WCHAR* buf, size_t count, const WCHAR* fmt, va_list args);
// As Windows: writes at most 1024 characters including the terminator; returns the length.
template <typename... Args> int wsprintf(WCHAR* buf, const WCHAR* fmt, const Args&... args) {
    return ms::detail::WsprintfC(buf, fmt, ms::detail::FormatArg(args)...);
}
int wvsprintf(WCHAR* buf, const WCHAR* fmt, va_list args);
