#include "platform/win/core/Module.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Handle.h"
#include "platform/win/core/WString.h"

#include <dlfcn.h>

namespace ms {

std::u16string LibraryPath(std::u16string_view name) {
    if (name.find(u'/') != std::u16string_view::npos)
        return std::u16string(name);
    std::u16string_view stem = name;
    if (stem.size() > 4 && SameNoCase(stem.substr(stem.size() - 4), u".dll"))
        stem.remove_suffix(4);
    return ProgramDir() + u"/lib" + std::u16string(stem) + u".so";
}

} // namespace ms

HMODULE LoadLibraryW(LPCWSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* handle = dlopen(ms::NativePath(ms::LibraryPath(name)).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return static_cast<HMODULE>(handle);
}

HMODULE LoadLibrary(LPCWSTR name) {
    return LoadLibraryW(name);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (!module || !name) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* symbol = dlsym(module, name);
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module) {
    if (!module || dlclose(module) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
