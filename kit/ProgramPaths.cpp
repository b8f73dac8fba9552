#include "kit/ProgramPaths.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"

ProgramPaths g_paths;
HINSTANCE g_hInstance = nullptr;

void InitProgramPaths() {
    WCHAR path[MAX_PATH * 2] = {};
    GetModuleFileName(nullptr, path, MAX_PATH * 2 - 1);
    // Cut the program's name: everything from the last separator on.
    for (int i = static_cast<int>(wcslen(path)) - 1; i > 0; --i) {
        const WCHAR c = path[i];
        path[i] = 0;
        if (c == u'/')
            break;
    }
    ms::CopyBounded(g_paths.programDir, MAX_PATH, path);
    ms::CopyBounded(g_paths.dataDir, MAX_PATH, ms::ProgramDataDir().c_str());
    swprintf(g_paths.calibIniPath, MAX_PATH, u"%s/CalibrationIni.ini", g_paths.dataDir);
}
