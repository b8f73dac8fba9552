#include "wifi/CaptureName.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"

#include <sys/stat.h>

namespace {

bool Exists(const std::u16string& path) {
    return GetFileAttributes(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

std::u16string NewCaptureName(const WCHAR* folder, const SYSTEMTIME& time, const WCHAR* extension) {
    WCHAR stem[MAX_PATH];
    swprintf(stem, MAX_PATH, u"%s/%4d%02d%02d%02d%02d%02d", folder, time.wYear, time.wMonth,
             time.wDay, time.wHour, time.wMinute, time.wSecond);
    std::u16string name = std::u16string(stem) + extension;
    for (int n = 2; Exists(name); ++n) {
        WCHAR suffix[16];
        swprintf(suffix, 16, u"_%d", n);
        name = std::u16string(stem) + suffix + extension;
    }
    return name;
}

bool IsNonEmptyFile(const WCHAR* path) {
    struct stat st {};
    return path && stat(ms::NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           st.st_size > 0;
}

bool IsVideoItem(const std::u16string& path) {
    const std::size_t slash = path.find_last_of(u"/\\");
    return path.find(u"mp4", slash == std::u16string::npos ? 0 : slash + 1) != std::u16string::npos;
}

std::u16string VideoOfItem(const std::u16string& path) {
    return path.size() > 4 ? path.substr(0, path.size() - 4) : std::u16string();
}
