#include "kit/SaveFolders.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"

#include <string>

WCHAR g_saveBaseDir[MAX_PATH];

int ReadFolderPaths() {
    WCHAR file[MAX_PATH];
    swprintf(file, MAX_PATH, u"%s/folderpath.dat", ms::ProgramDataDir().c_str());
    if (GetFileAttributes(file) == INVALID_FILE_ATTRIBUTES)
        return 0;
    HANDLE h =
        CreateFile(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    WCHAR path[MAX_PATH] = {};
    DWORD read = 0;
    const BOOL ok = ReadFile(h, path, kFolderPathFileSize, &read, nullptr);
    CloseHandle(h);
    if (!ok)
        return 0;
    size_t len = 0;
    while (len < MAX_PATH && path[len])
        ++len;
    // The subfolders must fit whole, with room for the separator before a file name: cut to
    // MAX_PATH, a long base would lose "/Picture" and save pictures into the base itself.
    const size_t subfolderRoom = std::char_traits<char16_t>::length(u"/Picture/");
    if (len == 0 || len + subfolderRoom >= MAX_PATH)
        return 0;
    ms::CopyBounded(g_saveBaseDir, MAX_PATH, path);
    return 1;
}

void InitSaveFolders() {
    if (ReadFolderPaths()) {
        swprintf(g_paths.videoDir, MAX_PATH, u"%s/Video", g_saveBaseDir);
        swprintf(g_paths.pictureDir, MAX_PATH, u"%s/Picture", g_saveBaseDir);
        return;
    }
    const std::u16string documents = ms::DocumentsDir();
    CreateDirectory(documents.c_str(), nullptr);
    WCHAR base[MAX_PATH];
    swprintf(base, MAX_PATH, u"%s/Tessary files", documents.c_str());
    swprintf(g_paths.videoDir, MAX_PATH, u"%s/Tessary files/Video", documents.c_str());
    swprintf(g_paths.pictureDir, MAX_PATH, u"%s/Tessary files/Picture", documents.c_str());
    CreateDirectory(base, nullptr);
    CreateDirectory(g_paths.videoDir, nullptr);
    CreateDirectory(g_paths.pictureDir, nullptr);
    ms::CopyBounded(g_saveBaseDir, MAX_PATH, base);
}
